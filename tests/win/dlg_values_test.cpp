// What the dialogs remember in section [Dlg] of the configuration file under
// Wine: every key's acceptance (refused, clamped, masked, reduced), keys
// with missing or extra values, the remembered positions, the built-in
// values when the section is absent, and a save read back by the next run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "other/qv_Cfg.h"
#include "other/qv_CfgValue.h"
#include "other/qv_CmdLine.h"
#include "other/qv_DlgValues.h"
#include "other/qv_Instance.h"
#include "other/qv_Mru.h"
#include "other/qv_OptTable.h"
#include "other/qv_Settings.h"
#include "support/user_folder.h"

namespace {

class DlgValuesCfg : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Open());
        Settings_InitBoth(61);
        Mru_ResetForTests();
        g_optEffects = OptEffects{};
        g_dlgValues = g_dlgDefaults;
        ASSERT_EQ(Cfg_EnsureFolders(), 0);
    }
    void TearDown() override {
        Cfg_ResetForTests();
        Instance_Release();
        g_cmdLine = CommandLine{};
        Settings_InitBoth(61);
        g_dlgValues = g_dlgDefaults;
    }
    // A later run of the program: nothing read yet, every value built in.
    void NewRun() {
        Cfg_ResetForTests();
        Settings_InitBoth(61);
        g_dlgValues = g_dlgDefaults;
        ASSERT_EQ(Cfg_BuildPath(), 0);
    }
    // The whole file, in the encoding this build writes.
    void WriteCfg(const tstring &text) {
#if defined(QV_ANSI)
        ASSERT_TRUE(WriteFileBytes(Cfg_Path(), std::string(text.begin(), text.end())));
#else
        std::string bytes("\xFF\xFE", 2);
        for (TCHAR c : text) bytes += char(c & 0xFF), bytes += char((c >> 8) & 0xFF);
        ASSERT_TRUE(WriteFileBytes(Cfg_Path(), bytes));
#endif
    }
    tstring Read(const TCHAR *key) {
        TCHAR buffer[256];
        GetPrivateProfileString(TEXT("Dlg"), key, TEXT("<missing>"), buffer, 256, Cfg_Path());
        return buffer;
    }

    TestUserFolder folder_{TEXT("dlgv"), TEXT("tester")};
};

tstring Widen(const char *s) { return tstring(s, s + std::strlen(s)); }

tstring Format(const DlgValues &v, size_t key) {
    TCHAR text[64];
    DlgValues_FormatText(&v, key, text, 64);
    return text;
}

// A valid value other than the built-in one for every key.
DlgValues EveryValueChanged() {
    DlgValues v;
    v.resizePrintUnit = 0;
    v.resizeResolutionUnit = 1;
    v.resizeResample = 0;
    v.resizeKeepAspect = 0;
    v.resizeSharpen = 0;
    v.resizeQuality[0] = 0;
    v.resizeQuality[1] = 10;
    v.levelPreview = 0;
    v.brightPreview = 0;
    v.hslColourise = 1;
    v.hslGreyMethod = 0;
    v.hslColouriseValues[0] = 360;
    v.hslColouriseValues[1] = 0;
    v.hslColouriseValues[2] = -100;
    v.unsharpMask[0] = 100;
    v.unsharpMask[1] = 400;
    v.unsharpMask[2] = 255;
    v.gaussianBlur[0] = 1;
    v.gaussianBlur[1] = 99;
    v.rotateAngle = -12345;
    v.rotateColour = 0xFFFFFF;
    v.canvasUnit = 3;
    v.canvasAnchor = 8;
    v.canvasKeepAspect = 1;
    v.canvasColour = 0x123456;
    v.newImageSize[0] = 65535;
    v.newImageSize[1] = 1;
    v.newImageDepth = 0;
    v.newImageColour = 0xABCDEF;
    v.colourDepthDither = 0;
    v.palettePreview = 0;
    std::strcpy(v.cpMaskCode, "QUIVER");
    v.cpMaskPreview = 0;
    v.rainbowBandWidth = 32;
    v.rainbowPreview = 0;
    v.openPreview = 0;
    v.openQuality = 2;
    v.openFilter = 1;
    v.jumpPreview = 0;
    v.jumpQuality = 0;
    v.infoColourCount = 1;
    v.printCopies = 1000;
    v.printAnchor = 0;
    v.printSizeMode = 4;
    v.printKeepAspect = 0;
    v.printUnit = 0;
    v.printDensity = 2;
    v.printRotate = 2;
    v.printMargins[0] = 30, v.printMargins[1] = 10, v.printMargins[2] = 40, v.printMargins[3] = 20;
    v.printCustomSize[0] = 2100, v.printCustomSize[1] = 2970;
    for (int i = 0; i < kDlgPosCount; ++i) {
        v.position[i] = DlgPosition{-100 + 10 * i, 50 + i};
        v.positionKnown[i] = 1;
    }
    return v;
}

TEST_F(DlgValuesCfg, EveryKeyOfTheOptionTableHasAPlaceAndTheSameValueCount) {
    size_t rows = 0;
    const OptRow *t = Opt_Table(&rows);
    const OptRow *end = t + rows;
    size_t keys = 0;
    const DlgValues changed = EveryValueChanged();
    for (const OptRow *r = t; r < end; r += Opt_KeyRowCount(r, end)) {
        if (r->section != CfgSection::Dlg) continue;
        ++keys;
        size_t found = DlgValues_KeyCount();
        for (size_t i = 0; i < DlgValues_KeyCount(); ++i)
            if (std::strcmp(DlgValues_KeyName(i), r->key) == 0) found = i;
        ASSERT_LT(found, DlgValues_KeyCount()) << r->key;
        if (std::strcmp(r->key, "CPMaskCode") == 0) continue;  // a text
        const tstring text = Format(changed, found);
        EXPECT_EQ(size_t(std::count(text.begin(), text.end(), TEXT('|')) + 1), size_t(r->slots)) << r->key;
    }
    EXPECT_EQ(keys, DlgValues_KeyCount());
    EXPECT_EQ(DlgValues_KeyName(DlgValues_KeyCount()), nullptr);
    // Every key's text changes with its values: no member is left out.
    for (size_t i = 0; i < DlgValues_KeyCount(); ++i)
        EXPECT_NE(Format(changed, i), Format(g_dlgDefaults, i)) << DlgValues_KeyName(i);
}

TEST_F(DlgValuesCfg, WithoutTheSectionEveryValueIsBuiltIn) {
    WriteCfg(TEXT("[Boot]\r\nMulti=0\r\n[Other]\r\nWheelSpd=50\r\n"));
    ASSERT_EQ(Cfg_LoadDlg(), 1);
    for (size_t i = 0; i < DlgValues_KeyCount(); ++i)
        EXPECT_EQ(Format(g_dlgValues, i), Format(g_dlgDefaults, i)) << DlgValues_KeyName(i);
    // The values the dialogs start from.
    const DlgValues &d = g_dlgValues;
    EXPECT_EQ(d.resizePrintUnit, 1);
    EXPECT_EQ(d.resizeResolutionUnit, 0);
    EXPECT_EQ(d.resizeResample + d.resizeKeepAspect + d.resizeSharpen, 3);
    EXPECT_EQ(d.resizeQuality[0], 7);
    EXPECT_EQ(d.resizeQuality[1], 7);
    EXPECT_EQ(d.rotateAngle, 0);
    EXPECT_EQ(d.rotateColour, 0u);
    EXPECT_EQ(d.unsharpMask[0], 6);
    EXPECT_EQ(d.unsharpMask[1], 100);
    EXPECT_EQ(d.unsharpMask[2], 0);
    EXPECT_EQ(d.gaussianBlur[0], 6);
    EXPECT_EQ(d.gaussianBlur[1], 0);
    EXPECT_EQ(d.hslColouriseValues[1], 25);
    EXPECT_EQ(d.hslGreyMethod, 2);
    EXPECT_EQ(d.canvasAnchor, 4);
    EXPECT_EQ(d.newImageSize[0], 160);
    EXPECT_EQ(d.newImageSize[1], 120);
    EXPECT_EQ(d.newImageDepth, 5);
    EXPECT_EQ(d.rainbowBandWidth, 8);
    EXPECT_EQ(d.printDensity, 5);
    EXPECT_STREQ(d.cpMaskCode, "");
    for (int i = 0; i < kDlgPosCount; ++i) EXPECT_EQ(d.positionKnown[i], 0) << i;
    // Saved, they are written out, but no position and no empty keyword.
    ASSERT_EQ(Cfg_SaveAll(), 1);
    EXPECT_EQ(Read(TEXT("RsizQual")), TEXT("7|7"));
    EXPECT_EQ(Read(TEXT("UnshMask")), TEXT("6|100|0"));
    EXPECT_EQ(Read(TEXT("PrintBri")), TEXT("0"));
    EXPECT_EQ(Read(TEXT("RotateAng")), TEXT("0"));
    EXPECT_EQ(Read(TEXT("SelPos")), TEXT("<missing>"));
    EXPECT_EQ(Read(TEXT("CPMaskCode")), TEXT("<missing>"));
    EXPECT_EQ(Read(TEXT("WheelSpd")), TEXT("<missing>"));  // [Dlg] only holds its own
}

#define FIELD(expr) [](const DlgValues &v) -> int64_t { return int64_t(v.expr); }

struct KeyCase {
    const char *line;  // "key=value" as a hand-edited file holds it
    int64_t (*field)(const DlgValues &);
    int64_t want;
};

// Each case is read on its own into the built-in values.
const KeyCase kKeyCases[] = {
    {"NewImgSize=640|480", FIELD(newImageSize[0]), 640},
    {"NewImgSize=640|480", FIELD(newImageSize[1]), 480},
    {"NewImgSize=0|65536", FIELD(newImageSize[0]), 160},  // each value refused on its own
    {"NewImgSize=0|65536", FIELD(newImageSize[1]), 120},
    {"NewImgSize=0|77", FIELD(newImageSize[1]), 77},
    {"NewImgSize=300", FIELD(newImageSize[0]), 300},     // a missing second value keeps its own
    {"NewImgSize=300", FIELD(newImageSize[1]), 120},
    {"NewImgSize=1|2|3", FIELD(newImageSize[0]), 160},   // more values than the key holds: ignored
    {"RsizQual=3|11", FIELD(resizeQuality[0]), 3},
    {"RsizQual=3|11", FIELD(resizeQuality[1]), 7},
    {"RsizQual=-1|10", FIELD(resizeQuality[1]), 10},
    {"RsizQual=a|3", FIELD(resizeQuality[1]), 7},        // not numbers: ignored whole
    {"HSLUniPrm=400|150|-150", FIELD(hslColouriseValues[0]), 360},
    {"HSLUniPrm=400|150|-150", FIELD(hslColouriseValues[1]), 100},
    {"HSLUniPrm=400|150|-150", FIELD(hslColouriseValues[2]), -100},
    {"HSLUniPrm=-5|-1|20", FIELD(hslColouriseValues[0]), 0},
    {"HSLUniPrm=-5|-1|20", FIELD(hslColouriseValues[1]), 0},
    {"HSLUniPrm=-5|-1|20", FIELD(hslColouriseValues[2]), 20},
    {"UnshMask=0|500|300", FIELD(unsharpMask[0]), 1},
    {"UnshMask=0|500|300", FIELD(unsharpMask[1]), 400},
    {"UnshMask=0|500|300", FIELD(unsharpMask[2]), 255},
    {"UnshMask=150|0|-3", FIELD(unsharpMask[0]), 100},
    {"UnshMask=150|0|-3", FIELD(unsharpMask[1]), 1},
    {"UnshMask=150|0|-3", FIELD(unsharpMask[2]), 0},
    {"GauBlur=20|150", FIELD(gaussianBlur[0]), 20},
    {"GauBlur=20|150", FIELD(gaussianBlur[1]), 99},
    {"GauBlur=-4", FIELD(gaussianBlur[0]), 1},
    {"GauBlur=-4", FIELD(gaussianBlur[1]), 0},
    // The file gives top, bottom, left, right; the layout keeps left, top, right, bottom.
    {"PrintMgn=10|20|30|40", FIELD(printMargins[0]), 30},
    {"PrintMgn=10|20|30|40", FIELD(printMargins[1]), 10},
    {"PrintMgn=10|20|30|40", FIELD(printMargins[2]), 40},
    {"PrintMgn=10|20|30|40", FIELD(printMargins[3]), 20},
    {"PrintMgn=-5|20|30|40", FIELD(printMargins[1]), 0},
    {"PrintMgn=10|20|30", FIELD(printMargins[0]), 0},   // all four needed
    {"PrintUsSz=-1|500", FIELD(printCustomSize[0]), 0},
    {"PrintUsSz=-1|500", FIELD(printCustomSize[1]), 500},
    {"PrintUsSz=700", FIELD(printCustomSize[0]), 1000},  // both needed
    {"RotateAng=12345", FIELD(rotateAngle), 12345},
    {"RotateAng=-360000", FIELD(rotateAngle), -360000},
    {"RotateAng=450000", FIELD(rotateAngle), 90000},
    {"RotateAng=-450000", FIELD(rotateAngle), -90000},
    {"RotateAng=-720001", FIELD(rotateAngle), -1},
    {"RotateAng=2147483647", FIELD(rotateAngle), 2147483647 % 360000},
    {"RotateAng=2147483648", FIELD(rotateAngle), 0},     // beyond 32 bits: ignored
    {"PrintBri=-5", FIELD(printDensity), 0},
    {"PrintBri=5", FIELD(printDensity), 10},
    {"PrintBri=6", FIELD(printDensity), 5},
    {"PrintBri=-2", FIELD(printDensity), 3},
    {"BrightPrev=0", FIELD(brightPreview), 0},
    {"LevelPrev=0", FIELD(levelPreview), 0},
    {"InfoColCnt=7", FIELD(infoColourCount), 1},
    {"RsizSharp=-1", FIELD(resizeSharpen), 1},
    {"RsizRsiz=0", FIELD(resizeResample), 0},
    {"FlagUniHSL=2", FIELD(hslColourise), 1},
    {"ImgSizUnit=3", FIELD(canvasUnit), 3},
    {"ImgSizUnit=4", FIELD(canvasUnit), 0},
    {"ImgSizAnch=9", FIELD(canvasAnchor), 4},
    {"PrintAnch=8", FIELD(printAnchor), 8},
    {"ImgSizCol=4294967295", FIELD(canvasColour), 0xFFFFFF},
    {"NewImgCol=255", FIELD(newImageColour), 255},
    {"RotateCol=16777217", FIELD(rotateColour), 1},
    {"NewImgBPP=6", FIELD(newImageDepth), 5},
    {"NewImgBPP=0", FIELD(newImageDepth), 0},
    {"OpenQual=5", FIELD(openQuality), 2},
    {"JumpQual=-1", FIELD(jumpQuality), 0},
    {"OpenFilter=3", FIELD(openFilter), 2},
    {"OpenFilter=1", FIELD(openFilter), 1},
    {"NijiSize=16", FIELD(rainbowBandWidth), 16},
    {"NijiSize=3", FIELD(rainbowBandWidth), 8},
    {"NijiSize=1", FIELD(rainbowBandWidth), 1},
    {"NijiSize=64", FIELD(rainbowBandWidth), 8},
    {"RsizPrnt=2", FIELD(resizePrintUnit), 1},
    {"RsizReso=1", FIELD(resizeResolutionUnit), 1},
    {"PrintUnit=0", FIELD(printUnit), 0},
    {"HSLGray=3", FIELD(hslGreyMethod), 2},
    {"PrintRota=2", FIELD(printRotate), 2},
    {"PrintCopi=0", FIELD(printCopies), 1},
    {"PrintCopi=1001", FIELD(printCopies), 1},
    {"PrintCopi=1000", FIELD(printCopies), 1000},
    {"PrintSzTp=5", FIELD(printSizeMode), 0},
    {"PrintSzTp= 4 ", FIELD(printSizeMode), 4},         // blanks around a value are allowed
    {"SelPos=10|-20", FIELD(position[kDlgPosSel].left), 10},
    {"SelPos=10|-20", FIELD(position[kDlgPosSel].top), -20},
    {"SelPos=10|-20", FIELD(positionKnown[kDlgPosSel]), 1},
    {"LevelPos=-3000|4000", FIELD(positionKnown[kDlgPosLevel]), 1},
    {"BrightPos=5", FIELD(positionKnown[kDlgPosBright]), 0},  // two numbers needed
    {"ZoomPos=x|1", FIELD(positionKnown[kDlgPosZoom]), 0},
    {"PalPos=1|2|3", FIELD(positionKnown[kDlgPosPal]), 0},
};

TEST_F(DlgValuesCfg, EachKeyIsTakenRefusedOrLimitedByItsRule) {
    for (const KeyCase &c : kKeyCases) {
        NewRun();
        WriteCfg(TEXT("[Dlg]\r\n") + Widen(c.line) + TEXT("\r\n"));
        ASSERT_EQ(Cfg_LoadDlg(), 1);
        EXPECT_EQ(c.field(g_dlgValues), c.want) << c.line;
    }
}

TEST_F(DlgValuesCfg, KeysThatDoNotParseAreCountedAndLeaveTheirValues) {
    WriteCfg(TEXT("[Dlg]\r\nRsizQual=a|3\r\nPrintMgn=1|2|3\r\nNijiSize=1|2\r\nSelPos=4\r\nRotateAng=-\r\n"
                  "PrintCopi=20\r\n"));
    ASSERT_EQ(Cfg_LoadDlg(), 1);
    EXPECT_EQ(Cfg_RejectedKeyCount(), 5);
    EXPECT_EQ(g_dlgValues.printCopies, 20);
    EXPECT_EQ(g_dlgValues.rainbowBandWidth, 8);
    EXPECT_EQ(g_dlgValues.positionKnown[kDlgPosSel], 0);
}

TEST_F(DlgValuesCfg, KeywordIsNormalisedWhenRead) {
    const struct {
        const TCHAR *text;
        const char *want;
    } cases[] = {
        {TEXT("abc1-d"), "ABCD"},
        {TEXT("QwertyUiopAsdfGhjkl"), "QWERTYUIOPASDFGH"},  // at most 16 letters
        {TEXT("12 34"), ""},
#if !defined(QV_ANSI)
        {L"\xFF21\xFF42z", "ABZ"},       // full-width letters folded
        {L"\x00E9t\x00E9", "ETE"},       // accents split off
#endif
    };
    for (const auto &c : cases) {
        NewRun();
        WriteCfg(tstring(TEXT("[Dlg]\r\nCPMaskCode=")) + c.text + TEXT("\r\n"));
        ASSERT_EQ(Cfg_LoadDlg(), 1);
        EXPECT_STREQ(g_dlgValues.cpMaskCode, c.want);
        char direct[kDlgKeywordChars];
        EXPECT_EQ(DlgValues_NormalizeCode(c.text, direct), std::strlen(c.want));
        EXPECT_STREQ(direct, c.want);
    }
}

TEST_F(DlgValuesCfg, SavedValuesAreReadBackAfterARestart) {
    ASSERT_EQ(Cfg_LoadDlg(), 1);  // the section is written only once read
    DlgValues written = EveryValueChanged();
    written.positionKnown[kDlgPosBright] = 0;  // never placed in this run
    g_dlgValues = written;
    ASSERT_EQ(Cfg_SaveAll(), 1);
    EXPECT_EQ(Read(TEXT("PrintMgn")), TEXT("10|20|30|40"));
    EXPECT_EQ(Read(TEXT("PrintBri")), TEXT("-3"));
    EXPECT_EQ(Read(TEXT("RotateAng")), TEXT("-12345"));
    EXPECT_EQ(Read(TEXT("RotateCol")), TEXT("16777215"));
    EXPECT_EQ(Read(TEXT("HSLUniPrm")), TEXT("360|0|-100"));
    EXPECT_EQ(Read(TEXT("SelPos")), TEXT("-100|50"));
    EXPECT_EQ(Read(TEXT("LevelPos")), TEXT("-40|56"));
    EXPECT_EQ(Read(TEXT("BrightPos")), TEXT("<missing>"));
    EXPECT_EQ(Read(TEXT("CPMaskCode")), TEXT("QUIVER"));

    NewRun();
    ASSERT_EQ(Cfg_LoadDlg(), 1);
    for (size_t i = 0; i < DlgValues_KeyCount(); ++i)
        EXPECT_EQ(Format(g_dlgValues, i), Format(written, i)) << DlgValues_KeyName(i);
    EXPECT_EQ(g_dlgValues.printMargins[0], 30);
    EXPECT_EQ(g_dlgValues.printDensity, 2);
    EXPECT_EQ(g_dlgValues.rotateColour, 0xFFFFFFu);
    EXPECT_EQ(g_dlgValues.position[kDlgPosZoom].left, -50);
    EXPECT_EQ(g_dlgValues.positionKnown[kDlgPosZoom], 1);
    EXPECT_EQ(g_dlgValues.positionKnown[kDlgPosBright], 0);
    EXPECT_STREQ(g_dlgValues.cpMaskCode, "QUIVER");
    EXPECT_EQ(Cfg_RejectedKeyCount(), 0);

    // A position forgotten and a keyword emptied remove their keys.
    g_dlgValues.positionKnown[kDlgPosSel] = 0;
    g_dlgValues.cpMaskCode[0] = 0;
    ASSERT_EQ(Cfg_SaveAll(), 1);
    EXPECT_EQ(Read(TEXT("SelPos")), TEXT("<missing>"));
    EXPECT_EQ(Read(TEXT("CPMaskCode")), TEXT("<missing>"));
    EXPECT_EQ(Read(TEXT("LevelPos")), TEXT("-40|56"));
}

TEST_F(DlgValuesCfg, ReadOncePerRunAndWrittenOnlyWhenRead) {
    WriteCfg(TEXT("[Dlg]\r\nRsizQual=3|4\r\nMine=kept\r\n"));
    g_dlgValues.resizeQuality[0] = 1;
    ASSERT_EQ(Cfg_SaveAll(), 1);  // not read in this run: the section stays as it was
    EXPECT_EQ(Read(TEXT("RsizQual")), TEXT("3|4"));
    EXPECT_EQ(Read(TEXT("RotateAng")), TEXT("<missing>"));

    ASSERT_EQ(Cfg_LoadDlg(), 1);
    EXPECT_EQ(g_dlgValues.resizeQuality[0], 3);
    WritePrivateProfileString(TEXT("Dlg"), TEXT("RsizQual"), TEXT("9|9"), Cfg_Path());
    ASSERT_EQ(Cfg_LoadDlg(), 1);  // a second call reads nothing
    EXPECT_EQ(g_dlgValues.resizeQuality[0], 3);
    g_dlgValues.resizeQuality[1] = 0;
    ASSERT_EQ(Cfg_SaveAll(), 1);
    EXPECT_EQ(Read(TEXT("RsizQual")), TEXT("3|0"));
    EXPECT_EQ(Read(TEXT("Mine")), TEXT("kept"));  // keys of no dialog stay
}

TEST_F(DlgValuesCfg, ARefusedReadDoesNotMarkTheSectionRead) {
    WriteCfg(TEXT("[Dlg]\r\nRsizQual=3|4\r\n"));
    Instance_Release();  // the configuration lock cannot be taken
    EXPECT_EQ(Cfg_LoadDlg(), 0);
    EXPECT_EQ(g_dlgValues.resizeQuality[0], 7);
    ASSERT_EQ(Instance_CreateMutex(), 0);  // the lock is back
    g_dlgValues.resizeQuality[0] = 1;
    ASSERT_EQ(Cfg_SaveAll(), 1);
    EXPECT_EQ(Read(TEXT("RsizQual")), TEXT("3|4")) << "the file's values were never read, so they stay";
    ASSERT_EQ(Cfg_LoadDlg(), 1);
    EXPECT_EQ(g_dlgValues.resizeQuality[0], 3);
}

}  // namespace
