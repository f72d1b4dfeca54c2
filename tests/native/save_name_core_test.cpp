// The save dialog's decisions without windows: the extension a typed name
// gets, Save against Save As, the format a loader gives, a number typed into
// a panel and the admission of [Save] keys.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dlg/qv_SaveNameCore.h"
#include "util/qv_StrCore.h"
#include "other/qv_OptTable.h"

namespace {

struct FixCase {
    const char *what;
    const char *typed;
    size_t capacity;
    int format;
    int sameFormatSave;
    const char *stem;  // Save: the picture's path without extension
    const char *ext;   // the picture's extension
    int upper;
    const char *want;  // the name afterwards (as typed when refused)
    int result;
};

TEST(SaveNameCore, FixExtensionTable) {
    const FixCase cases[] = {
        {"no extension, PNG", "C:\\p\\photo", 260, kSavePng, 0, nullptr, "jpg", 0, "C:\\p\\photo.png", kSaveNameExtended},
        {"no extension, PNG upper", "C:\\p\\photo", 260, kSavePng, 0, nullptr, "jpg", 1, "C:\\p\\photo.PNG",
         kSaveNameExtended},
        {"upper case only on what is appended", "C:\\p\\photo", 260, kSaveGif, 0, nullptr, nullptr, 1,
         "C:\\p\\photo.GIF", kSaveNameExtended},
        {".JPE kept for JPEG", "C:\\p\\x.JPE", 260, kSaveJpeg, 0, nullptr, "png", 1, "C:\\p\\x.JPE", kSaveNameKept},
        {".jfif kept for JPEG", "x.jfif", 260, kSaveJpeg, 0, nullptr, nullptr, 0, "x.jfif", kSaveNameKept},
        {"foreign extension gets the format's", "C:\\p\\x.txt", 260, kSaveGif, 0, nullptr, nullptr, 0,
         "C:\\p\\x.txt.gif", kSaveNameExtended},
        {"JPEG extension with BMP chosen", "x.jpg", 260, kSaveBmp, 0, nullptr, "jpg", 0, "x.jpg.bmp",
         kSaveNameExtended},
        {"the source's spelling when it fits the format", "C:\\p\\photo", 260, kSaveJpeg, 0, nullptr, "JPEG", 0,
         "C:\\p\\photo.jpeg", kSaveNameExtended},
        {"Save, name untouched keeps .dib", "C:\\p\\photo", 260, kSaveBmp, 1, "C:\\p\\photo", "dib", 0,
         "C:\\p\\photo.dib", kSaveNameExtended},
        {"Save, name untouched, upper", "C:\\p\\photo", 260, kSaveBmp, 1, "C:\\p\\photo", "dib", 1,
         "C:\\p\\photo.DIB", kSaveNameExtended},
        {"Save, full source name kept", "C:\\P\\PHOTO.DIB", 260, kSaveBmp, 1, "C:\\p\\photo", "dib", 0,
         "C:\\P\\PHOTO.DIB", kSaveNameKept},
        {"Save As with a .dib source still keeps .dib", "C:\\p\\photo", 260, kSaveBmp, 0, nullptr, "dib", 0,
         "C:\\p\\photo.dib", kSaveNameExtended},
        {"a dot in a folder is no extension", "C:\\v1.png\\photo", 260, kSavePng, 0, nullptr, nullptr, 0,
         "C:\\v1.png\\photo.png", kSaveNameExtended},
        {"a typed trailing dot takes the extension alone", "C:\\p\\photo.", 260, kSavePng, 0, nullptr, nullptr, 0,
         "C:\\p\\photo.png", kSaveNameExtended},
        {"room for the dot but not the extension: refused", "photo", 8, kSavePng, 0, nullptr, nullptr, 0, "photo",
         kSaveNameRefused},
        {"trailing dot and no room: refused", "photo.", 8, kSavePng, 0, nullptr, nullptr, 0, "photo.",
         kSaveNameRefused},
        {"exactly enough room", "photo", 10, kSavePng, 0, nullptr, nullptr, 0, "photo.png", kSaveNameExtended},
        {"no room even for the dot", "photo", 6, kSavePng, 0, nullptr, nullptr, 0, "photo", kSaveNameNoRoom},
        {"empty name refused", "", 260, kSavePng, 0, nullptr, nullptr, 0, "", kSaveNameRefused},
        {"bad format refused", "x", 260, 7, 0, nullptr, nullptr, 0, "x", kSaveNameRefused},
    };
    for (const FixCase &c : cases) {
        SCOPED_TRACE(c.what);
        char name[260] = {};
        std::strcpy(name, c.typed);
        const SaveNameRules<char> rules{c.format, c.sameFormatSave, c.stem, c.ext, c.upper};
        EXPECT_EQ(SaveFileDlg_FixExtension(name, c.capacity, rules), c.result);
        EXPECT_STREQ(name, c.want);
        EXPECT_LT(std::strlen(name), c.capacity);
    }
}

TEST(SaveNameCore, FixExtensionWide) {
    wchar_t name[64] = L"D:\\Bilder\\\u00e4pfel";
    const SaveNameRules<wchar_t> rules{kSaveJpeg, 0, nullptr, L"Jpe", 1};
    EXPECT_EQ(SaveFileDlg_FixExtension(name, 64, rules), kSaveNameExtended);
    EXPECT_EQ(std::wstring(name), L"D:\\Bilder\\\u00e4pfel.JPE");
}

TEST(SaveNameCore, NamePieces) {
    EXPECT_EQ(SaveName_NameStart("C:\\a.b\\c.d.png"), 7u);
    EXPECT_EQ(SaveName_ExtensionDot("C:\\a.b\\c.d.png"), 10u);
    EXPECT_EQ(SaveName_ExtensionDot("C:\\a.b\\name"), 11u);  // the folder's dot is not the name's
    EXPECT_EQ(SaveName_ExtensionDot(".hidden"), 0u);
    EXPECT_EQ(SaveName_NameStart("C:name.png"), 2u);
}

// A double-byte code page stand-in: bytes 0x81..0x9F lead a pair.
bool FakeLead(unsigned char c) { return c >= 0x81 && c <= 0x9F; }

TEST(SaveNameCore, AnsiDoubleByteTrailIsNoSeparator) {
    const qvtext::LeadByteTest saved = qvtext::g_leadByteTest;
    qvtext::g_leadByteTest = FakeLead;
    // Folder "\x8A\x5C" and name "\x83\x5C.jpg": both pairs end in the byte of '\\'.
    const char *path = "C:\\\x8A\x5C\\\x83\x5C.jpg";
    EXPECT_EQ(SaveName_NameStart(path), 6u);
    EXPECT_EQ(SaveName_ExtensionDot(path), 8u);
    char name[32] = "C:\\\x8A\x5C\\\x83\x5C";
    const SaveNameRules<char> rules{kSavePng, 0, nullptr, nullptr, 0};
    EXPECT_EQ(SaveFileDlg_FixExtension(name, 32, rules), kSaveNameExtended);
    EXPECT_STREQ(name, "C:\\\x8A\x5C\\\x83\x5C.png");
    qvtext::g_leadByteTest = saved;
}

TEST(SaveNameCore, FormatsAndLoaders) {
    struct Case {
        int32_t loader;
        int format;
    } cases[] = {{2, kSaveBmp}, {3, kSaveJpeg}, {4, kSavePng}, {5, kSaveGif}, {0, -1}, {256, -1}, {0x10000FF, -1}};
    for (const Case &c : cases) EXPECT_EQ(SaveFormat_FromLoader(c.loader), c.format) << c.loader;
    int count = 0;
    const char *const *jpeg = SaveFormat_Extensions(kSaveJpeg, &count);
    ASSERT_EQ(count, 4);
    EXPECT_STREQ(jpeg[0], "jpg");
    EXPECT_EQ(SaveFormat_Extensions(4, &count), nullptr);
    EXPECT_EQ(count, 0);
}

TEST(SaveNameCore, SaveOrSaveAs) {
    struct Case {
        const char *what;
        SavePlanFacts facts;
        SavePlan want;
    } cases[] = {
        {"plain JPEG file: written over", {0, 3, 1, 0, 0, 4}, {0, kSaveJpeg}},
        {"plain GIF file", {0, 5, 1, 0, 0, 1}, {0, kSaveGif}},
        {"Save As asked: the remembered filter", {1, 3, 1, 0, 0, 4}, {1, kSavePng}},
        {"Save As with a bad remembered filter", {1, 3, 1, 0, 0, 9}, {1, kSaveBmp}},
        {"plug-in picture", {0, 300, 1, 0, 0, 2}, {1, kSaveGif}},
        {"archive member keeps its format", {0, 4, 1, 1, 0, 1}, {1, kSavePng}},
        {"two-page spread", {0, 3, 1, 0, 1, 1}, {1, kSaveJpeg}},
        {"no file", {0, 2, 0, 0, 0, 3}, {1, kSaveBmp}},
        {"new picture", {0, 0, 0, 0, 0, 3}, {1, kSaveJpeg}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const SavePlan plan = SaveFileDlg_PlanSave(c.facts);
        EXPECT_EQ(plan.saveAs, c.want.saveAs);
        EXPECT_EQ(plan.format, c.want.format);
    }
}

TEST(SaveNameCore, TypedPanelNumbers) {
    struct Case {
        const char *text;
        int32_t min, max;
        int replace;
        int32_t value;
    } cases[] = {
        {"0", 1, 100, 1, 1},       {"101", 1, 100, 1, 100},  {"50", 1, 100, 0, 0},   {"", 1, 100, 0, 0},
        {"-", 0, 9, 0, 0},         {"12", 0, 9, 1, 9},       {"-3", 0, 9, 1, 0},     {"300", 0, 255, 1, 255},
        {"99999999999", 0, 255, 1, 255}, {"1x", 1, 100, 0, 0}, {" 7 ", 0, 9, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        int32_t value = -77;
        EXPECT_EQ(SavePanel_TypedValue(c.text, c.min, c.max, &value), c.replace);
        if (c.replace) EXPECT_EQ(value, c.value);
    }
}

const OptRow *SaveRow(const char *key) {
    size_t n = 0;
    const OptRow *t = Opt_Table(&n);
    for (size_t i = 0; i < n; ++i)
        if (t[i].section == CfgSection::Save && t[i].key != nullptr && std::strcmp(t[i].key, key) == 0) return &t[i];
    return nullptr;
}

TEST(SaveNameCore, ConfigurationKeysUnderTheirRules) {
    struct Case {
        const char *key;
        int32_t value;
        int taken;
        int32_t stored;
    } cases[] = {
        {"Filter", 3, 1, 3},     {"Filter", 0, 0, 0},       {"Filter", 5, 0, 0},    {"OrigTime", 7, 1, 1},
        {"JpgQual", 0, 1, 1},    {"JpgQual", 500, 1, 100},  {"PngCmpLv", -2, 1, 0}, {"GifTraCol", 999, 1, 255},
        {"PngTrans", 5, 1, 4},   {"GifTrans", 5, 1, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + std::to_string(c.value));
        const OptRow *row = SaveRow(c.key);
        ASSERT_NE(row, nullptr);
        int32_t out = -1;
        EXPECT_EQ(SaveCfg_Admit(row, c.value, &out), c.taken);
        if (c.taken) EXPECT_EQ(out, c.stored);
    }
}

}  // namespace
