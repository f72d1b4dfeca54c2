// The option table itself, the setters' clamps and refusals, and reading and
// writing configuration values through it.
#include <gtest/gtest.h>

#include "image/resample/qv_Resample.h"

#include <climits>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "other/qv_CfgValue.h"
#include "other/qv_OptTable.h"
#include "other/qv_Settings.h"

namespace {

using U16 = std::u16string;

std::string Name(const OptRow &r) {
    return std::string(Cfg_SectionName(r.section)) + "/" + (r.key ? r.key : "-") + "#" + std::to_string(r.slot);
}

class OptionTable : public ::testing::Test {
protected:
    void SetUp() override {
        Settings_InitBoth(61);
        g_optEffects = OptEffects{};
        table = Opt_Table(&count);
        end = table + count;
    }
    const OptRow *Key(CfgSection section, const char *key) {
        for (const OptRow *r = table; r < end; ++r)
            if (r->section == section && r->key && std::strcmp(r->key, key) == 0) return r;
        ADD_FAILURE() << key;
        return nullptr;
    }
    CfgKeyResult Apply(CfgSection section, const char *key, const char16_t *text) {
        const OptRow *r = Key(section, key);
        return Cfg_ApplyKey(&g_settings, r, Opt_KeyRowCount(r, end), text, &g_defaultSettings);
    }
    U16 Format(CfgSection section, const char *key) {
        const OptRow *r = Key(section, key);
        char16_t out[64];
        Cfg_FormatKey(&g_settings, r, Opt_KeyRowCount(r, end), out, 64);
        return out;
    }
    const OptRow *table = nullptr;
    const OptRow *end = nullptr;
    size_t count = 0;
};

TEST_F(OptionTable, EveryOptionIndexOnce) {
    std::map<int, int> bytes, ints, zoom, fields;
    for (const OptRow *r = table; r < end; ++r) {
        if (r->kind == OptKind::Byte || r->kind == OptKind::BitOfByte) ++bytes[r->target];
        if (r->kind == OptKind::Int) ++ints[r->target];
        if (r->kind == OptKind::ZoomQ) ++zoom[r->target];
        if (r->kind == OptKind::Field) ++fields[r->target];
    }
    ASSERT_EQ(bytes.size(), size_t(kOptByteCount));
    for (int i = 0; i < kOptByteCount; ++i) EXPECT_EQ(bytes[i], 1) << "byte " << i;
    ASSERT_EQ(ints.size(), size_t(kOptIntCount));
    for (int i = 0; i < kOptIntCount; ++i) EXPECT_EQ(ints[i], 1) << "int " << i;
    ASSERT_EQ(zoom.size(), size_t(2 * kZoomModes));
    ASSERT_EQ(fields.size(), 7u);
}

TEST_F(OptionTable, EveryKeyOnceAndItsRowsTogether) {
    std::set<std::string> keys, slots;
    for (const OptRow *r = table; r < end;) {
        const size_t n = Opt_KeyRowCount(r, end);
        if (r->key == nullptr) {
            EXPECT_EQ(r->section, CfgSection::None);
            ++r;
            continue;
        }
        EXPECT_NE(r->section, CfgSection::None) << r->key;
        const std::string key = std::string(Cfg_SectionName(r->section)) + "/" + r->key;
        EXPECT_TRUE(keys.insert(key).second) << key << " appears in two places";
        std::set<int> seen;
        for (size_t i = 0; i < n; ++i) {
            EXPECT_EQ(r[i].slots, r->slots) << key;
            EXPECT_LT(r[i].slot, r->slots) << key;
            EXPECT_EQ(r[i].needAll, r->needAll) << key;
            EXPECT_EQ(r[i].isSigned, r->isSigned) << key;
            seen.insert(r[i].slot);
        }
        EXPECT_EQ(int(seen.size()), int(r->slots)) << key << ": every value has a row";
        r += n;
    }
    // Keys shared by two sections are different keys.
    EXPECT_TRUE(keys.count("Load/GifTrans") && keys.count("Save/GifTrans"));
}

TEST_F(OptionTable, SectionsAsTheFileHasThem) {
    std::map<CfgSection, std::vector<std::string>> keys;
    for (const OptRow *r = table; r < end; r += Opt_KeyRowCount(r, end) ? Opt_KeyRowCount(r, end) : 1)
        if (r->key) keys[r->section].push_back(r->key);
    EXPECT_EQ(keys[CfgSection::Boot], (std::vector<std::string>{"Multi", "Active"}));
    EXPECT_EQ(keys[CfgSection::Flag].size(), 38u);
    EXPECT_EQ(keys[CfgSection::Flag].front(), "DropActv");
    EXPECT_EQ(keys[CfgSection::Flag][8], "FDelAsk");
    EXPECT_EQ(keys[CfgSection::Flag].back(), "DisableIME");
    EXPECT_EQ(keys[CfgSection::ChildWnd], (std::vector<std::string>{"Menub", "Tlb", "Sttb", "Scrb"}));
    EXPECT_EQ(keys[CfgSection::Mask], (std::vector<std::string>{"Nega", "XOR", "Q0", "GlsSize", "GlsEx", "RGB", "FLNega"}));
    EXPECT_EQ(keys[CfgSection::Load].size(), 7u);
    EXPECT_EQ(keys[CfgSection::MRUF], (std::vector<std::string>{"OpenLast", "LastF", "LastA", "F00", "A00"}));
    EXPECT_EQ(keys[CfgSection::MRUD], (std::vector<std::string>{"Save", "D%02d", "F%02d"}));
    EXPECT_EQ(keys[CfgSection::Save].size(), 16u);
    EXPECT_EQ(keys[CfgSection::CpMv].size(), 6u);
    EXPECT_EQ(std::string(Cfg_SectionName(CfgSection::ChildWnd)), "ChildWnd");
    for (const OptRow *r = table; r < end; ++r) {
        const bool lazySection =
            r->section == CfgSection::Dlg || r->section == CfgSection::Save || r->section == CfgSection::CpMv;
        EXPECT_EQ(bool(r->lazy), lazySection) << Name(*r);
    }
}

TEST_F(OptionTable, DefaultsObeyTheirRules) {
    for (const OptRow *r = table; r < end; ++r) {
        if (r->kind == OptKind::External || r->kind == OptKind::Text || r->kind == OptKind::Remembered ||
            r->kind == OptKind::Obsolete)
            continue;
        EXPECT_TRUE(Opt_RowAccepts(r, r->def)) << Name(*r);
        EXPECT_EQ(Opt_ReadRow(&g_settings, r), r->kind == OptKind::BitOfByte ? r->def : r->def) << Name(*r);
    }
    EXPECT_EQ(g_settings.option[kOptToolbar], 0);
    EXPECT_EQ(g_defaultSettings.option[kOptToolbar], 1);
    EXPECT_EQ(g_defaultSettings.option[kOptStatus], 1);
    EXPECT_EQ(g_defaultSettings.locked, 1);
    EXPECT_EQ(g_settings.slideInterval, 5000);
    EXPECT_EQ(g_settings.glassSize, 8);
    EXPECT_EQ(g_settings.infoTextColour, 0xFFFFFFu);
    EXPECT_EQ(g_settings.optInt[13], 480);
    const uint8_t wantQ[10] = {2, 2, 2, 1, 2, 1, 1, 1, 1, 1};
    EXPECT_EQ(std::memcmp(g_settings.zoomQuality, wantQ, 10), 0);
    EXPECT_EQ(g_settings.option[kOptSortNatural], 1);
    Settings old;
    Settings_Init(&old, 50);
    EXPECT_EQ(old.option[kOptSortNatural], 0);  // before Windows XP
}

TEST_F(OptionTable, SettersClampAndRefuse) {
    EXPECT_EQ(Opt_SetFlag(111, 1) & 0xFF, 0);
    EXPECT_EQ(Opt_SetFlag(-1, 1), 0);
    Opt_SetFlag(16, 7);
    EXPECT_EQ(g_settings.option[16], 1);
    Opt_SetGifAnimLimit(5);
    EXPECT_EQ(g_settings.option[24], 4);
    Opt_SetGifAnimLimit(7);
    EXPECT_EQ(g_settings.option[24], 4);
    Opt_SetWheelSpeed(0);
    EXPECT_EQ(g_settings.optInt[3], 1);
    Opt_SetSlideInterval(50);
    EXPECT_EQ(g_settings.slideInterval, 100);
    Opt_SetFileSkip(1);
    EXPECT_EQ(g_settings.fileSkip, 2);
    Opt_SetGlassSize(1000);
    EXPECT_EQ(g_settings.glassSize, 999);
    Opt_SetShowMode(1, 3);
    EXPECT_EQ(g_settings.option[85], 1);
    Opt_SetShowMode(1, 4);
    EXPECT_EQ(g_settings.option[85], 2);
    Opt_SetShowMode(1, 0);
    EXPECT_EQ(g_settings.option[85], 2);  // full-screen mode 0 is refused
    Opt_SetShowMode(0, 3);
    EXPECT_EQ(g_settings.option[84], 3);
    EXPECT_EQ(Opt_SetZoomQuality(5, 1, 3), 0);
    EXPECT_EQ(Opt_SetZoomQuality(2, 1, 11), 0);
    EXPECT_EQ(Opt_SetZoomQuality(2, 0, 10), 1);
    EXPECT_EQ(Opt_GetZoomQuality(2, 0), 10);
    Opt_SetSelGrid(3);
    EXPECT_EQ(g_settings.option[83], 1);
    Opt_SetSelGrid(16);
    EXPECT_EQ(g_settings.selStep[0], 16);
    Opt_SetSelGrid(0);
    EXPECT_EQ(g_settings.selStep[3], 1);
    Opt_SetUndoMax(-4);
    EXPECT_EQ(g_settings.undoMax, 0);
    Opt_SetDragMargin(5000);
    EXPECT_EQ(g_settings.dragMargin, 999);
    Opt_SetMaskRgb(9);
    EXPECT_EQ(g_settings.option[65], 4);
    Opt_SetSortType(6, 1);
    EXPECT_EQ(g_settings.option[82], 1);
    Opt_SetSortType(4, 1);
    Opt_SetFlag(kOptSortReverse, 1);
    EXPECT_EQ(Opt_GetSortType(), 4 + 256);
    Opt_EnableZoomLock(1, 0, 0);
    EXPECT_EQ(g_settings.optInt[kIntZoomLock], 1);
    Opt_SetWindowRect(100, 50, 10, 5);
    EXPECT_EQ(g_settings.optInt[11], 10);
    EXPECT_EQ(g_settings.optInt[14], 50);
}

int g_captionCalls = 0;
int g_undoOffCalls = 0;

TEST_F(OptionTable, LiveEffectsOnlyForTheLiveRecordAndOnChange) {
    g_captionCalls = g_undoOffCalls = 0;
    g_optEffects.captionChanged = [] { ++g_captionCalls; };
    g_optEffects.undoOff = [] { ++g_undoOffCalls; };
    Opt_SetCaptionFileName(2);  // unchanged
    Opt_SetCaptionFileName(0);
    Opt_SetCaptionFileName(9);  // refused
    EXPECT_EQ(g_captionCalls, 1);
    Opt_SetUndoMax(0);
    EXPECT_EQ(g_undoOffCalls, 1);
    Apply(CfgSection::Other, "CapbFN", u"1");
    EXPECT_EQ(g_captionCalls, 2);
    Settings other;
    Settings_Init(&other, 61);
    Opt_ApplyRow(&other, Key(CfgSection::Other, "CapbFN"), 0, nullptr);
    EXPECT_EQ(g_captionCalls, 2);
    g_optEffects = OptEffects{};
}

TEST_F(OptionTable, MenuMaps) {
    EXPECT_EQ(Opt_SortTypeFromMenu(40802, 1), 4);
    EXPECT_EQ(Opt_SortTypeFromMenu(3, 0), 40804);
    EXPECT_EQ(Opt_SelGridFromMenu(40407, 1), 0);
    EXPECT_EQ(Opt_ShowModeFromMenu(99, 1), 5);      // unknown: the row the terminator names
    EXPECT_EQ(Opt_ShowModeFromMenu(99, 0), 41026);
    EXPECT_EQ(Opt_FitTypeFromMenu(12345, 1), 0);
    EXPECT_EQ(Opt_RotateFromMenu(41068, 1), 7);
    EXPECT_EQ(Zoom_QualityToMethod(1, true), 31);
    EXPECT_EQ(Zoom_QualityToMethod(1, false), 10);
    EXPECT_EQ(Zoom_QualityToMethod(10, false), 110);
    EXPECT_EQ(Zoom_QualityToMethod(11, false), 0);
}

TEST_F(OptionTable, ReadingValuesTable) {
    struct Case {
        CfgSection section;
        const char *key;
        const char16_t *text;
        CfgKeyResult result;
        U16 after;  // the key formatted afterwards
    } cases[] = {
        {CfgSection::Other, "GIFAniLmt", u"5", kCfgKeyApplied, u"4"},
        {CfgSection::Other, "GIFAniLmt", u"7", kCfgKeyApplied, u"4"},   // refused: keeps 4
        {CfgSection::Other, "WheelSpd", u"0", kCfgKeyApplied, u"1"},
        {CfgSection::Other, "WheelSpd", u"-20", kCfgKeyApplied, u"1"},
        {CfgSection::Other, "WheelSpd", u"12abc", kCfgKeyNotNumber, u"1"},
        {CfgSection::Other, "WheelSpd", u"99999999999", kCfgKeyNotNumber, u"1"},
        {CfgSection::Other, "WheelSpd", u" 250 ", kCfgKeyApplied, u"250"},
        {CfgSection::Other, "TmAutoNx", u"50", kCfgKeyApplied, u"100"},
        {CfgSection::Other, "FileSkip", u"1", kCfgKeyApplied, u"2"},
        {CfgSection::Mask, "GlsSize", u"1000", kCfgKeyApplied, u"999"},
        {CfgSection::Mask, "Nega", u"255", kCfgKeyApplied, u"7"},       // masked to the channel bits
        {CfgSection::Mask, "XOR", u"10", kCfgKeyApplied, u"2"},
        {CfgSection::Mask, "Q0", u"300", kCfgKeyApplied, u"44"},        // 300 & 63
        {CfgSection::Wnd, "BGCol1", u"4294967295", kCfgKeyApplied, u"16777215"},
        {CfgSection::Wnd, "BGCol2", u"-1", kCfgKeyApplied, u"16777215"},
        {CfgSection::Other, "ZmQNml", u"11|3", kCfgKeyApplied, u"2|3"},  // 11 refused, 3 taken
        {CfgSection::Other, "ZmQMax", u"10", kCfgKeyApplied, u"10|1"},
        {CfgSection::Wnd, "UserRect", u"1|2|3", kCfgKeyIncomplete, u"0|0|480|360"},
        {CfgSection::Wnd, "UserRect", u"300|200|10|20", kCfgKeyApplied, u"10|20|300|200"},
        {CfgSection::Wnd, "UserRect", u"1|2|3|4|5", kCfgKeyNotNumber, u"10|20|300|200"},
        {CfgSection::Other, "ShowOpt", u"4|4", kCfgKeyApplied, u"4|2"},
        {CfgSection::Other, "ShowOpt", u"9|0", kCfgKeyApplied, u"4|2"},
        {CfgSection::Other, "ZmStep", u"0|9000", kCfgKeyApplied, u"1|5000"},
        {CfgSection::Other, "SlctBgn", u"0|1500", kCfgKeyApplied, u"1|999"},
        {CfgSection::ChildWnd, "Tlb", u"3|0", kCfgKeyApplied, u"3|0"},
        {CfgSection::ChildWnd, "Tlb", u"2", kCfgKeyApplied, u"2|0"},
        {CfgSection::ChildWnd, "Tlb", nullptr, kCfgKeyMissing, u"1|0"},  // the defaults block's bar
        {CfgSection::ChildWnd, "Sttb", u"", kCfgKeyMissing, u"1|1"},
        {CfgSection::Flag, "PasteEx", u"42", kCfgKeyApplied, u"1"},
        {CfgSection::Flag, "PasteEx", u"0", kCfgKeyApplied, u"0"},
        {CfgSection::Flag, "PasteEx", u"|", kCfgKeyNotNumber, u"0"},
        {CfgSection::Other, "ZmLock", u"2147483647", kCfgKeyApplied, u"500000000"},
        {CfgSection::Other, "SimpleZm", u"-5", kCfgKeyApplied, u"0"},
        {CfgSection::Other, "SelSize", u"16", kCfgKeyApplied, u"16"},
        {CfgSection::Other, "SelSize", u"3", kCfgKeyApplied, u"16"},
    };
    for (const auto &k : cases) {
        EXPECT_EQ(Apply(k.section, k.key, k.text), k.result) << k.key;
        EXPECT_EQ(Format(k.section, k.key), k.after) << k.key;
    }
}

TEST_F(OptionTable, TextKeysAreLeftToTheFileModule) {
    EXPECT_EQ(Apply(CfgSection::Other, "FontName", u"\"Arial\""), kCfgKeyNotStored);
    EXPECT_EQ(Format(CfgSection::Other, "FontName"), u"");
    EXPECT_EQ(Apply(CfgSection::Dlg, "PrintCopi", u"5"), kCfgKeyNotStored);
}

TEST_F(OptionTable, FontParameters) {
    Settings s;
    Settings_Init(&s, 61);
    EXPECT_EQ(Opt_ParseFontT<char16_t>(&s, u"R120|-13|0|0|0|400|0|0|0|128|0|0|1|0", u"Arial", 0, 96), 1);
    EXPECT_EQ(s.fontDpi, 120);
    EXPECT_EQ(s.font.values[0], -13);
    EXPECT_EQ(s.font.values[8], 128);
    char16_t text[300];
    EXPECT_GT(Opt_FormatFontT(&s, text, 300), 0);
    EXPECT_EQ(U16(text), u"R120|-13|0|0|0|400|0|0|0|128|0|0|1|0");
    EXPECT_EQ(Opt_ParseFontT<char16_t>(&s, u"-13|0|0|0|400|0|0|0|128|0|0|1|0", u"Arial", 0, 144), 1);
    EXPECT_EQ(s.fontDpi, 144);
    // Twelve values, a bad number, an empty face, a 32-unit face: refused.
    EXPECT_EQ(Opt_ParseFontT<char16_t>(&s, u"-13|0|0|0|400|0|0|0|128|0|0|1", u"Arial", 0, 96), 0);
    EXPECT_EQ(Opt_ParseFontT<char16_t>(&s, u"R96|-13|0|0|0|4x0|0|0|0|128|0|0|1|0", u"Arial", 0, 96), 0);
    EXPECT_EQ(Opt_ParseFontT<char16_t>(&s, u"R96|-13|0|0|0|400|0|0|0|128|0|0|1|0", u"", 0, 96), 0);
    EXPECT_EQ(Opt_ParseFontT<char16_t>(&s, u"R96|-13|0|0|0|400|0|0|0|128|0|0|1|0", U16(32, u'f').c_str(), 0, 96), 0);
    s.locked = 1;
    EXPECT_EQ(Opt_ParseFontT<char16_t>(&s, u"R96|-13|0|0|0|400|0|0|0|128|0|0|1|0", u"Arial", 0, 96), 0);
    EXPECT_EQ(Opt_ParseFontT<char16_t>(&s, u"R96|-13|0|0|0|400|0|0|0|128|0|0|1|0", u"Arial", 1, 96), 1);
}

}  // namespace
