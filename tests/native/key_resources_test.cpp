// The generated key resources against the readable tables they come from:
// sizes and layout of the default maps, a reading of the bytes that shares no
// code with the writer, and the key-name texts in both encodings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keyresgen_lib.h"
#include "other/qv_KeyMapCore.h"
#include "other/qv_KeyNameCore.h"

namespace {

using namespace keyresgen;

struct Generated {
    NameTable names;
    std::vector<MapRow> map;
};

Generated Load() {
    Generated g;
    bool ok1 = false, ok2 = false;
    const std::string names = ReadWholeFile(QV_RES_DIR "/keynames.txt", &ok1);
    const std::string map = ReadWholeFile(QV_RES_DIR "/keymap_default.txt", &ok2);
    EXPECT_TRUE(ok1 && ok2);
    std::string error;
    EXPECT_TRUE(ParseNames(names, &g.names, &error)) << error;
    EXPECT_TRUE(ParseDefaultMap(map, g.names, &g.map, &error)) << error;
    return g;
}

unsigned U16(const std::vector<uint8_t> &b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t U32(const std::vector<uint8_t> &b, size_t at) { return U16(b, at) | uint32_t(U16(b, at + 2)) << 16; }

TEST(KeyResources, DefaultMapImages) {
    const Generated g = Load();
    ASSERT_EQ(g.names.rows.size(), 69u);
    ASSERT_EQ(g.map.size(), 105u);
    const std::vector<uint8_t> w = DefaultMapImage(g.map, 1), a = DefaultMapImage(g.map, 0);
    ASSERT_EQ(w.size(), 796u);
    ASSERT_EQ(a.size(), 796u);
    // padding count 3, three zero bytes, the chunk trailer
    const std::vector<uint8_t> tail(w.end() - 11, w.end());
    EXPECT_EQ(tail, (std::vector<uint8_t>{3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    std::vector<size_t> differ;
    for (size_t i = 0; i < w.size(); ++i)
        if (w[i] != a[i]) differ.push_back(i);
    EXPECT_EQ(differ, std::vector<size_t>{28});  // the text form: 1 and 0
    EXPECT_EQ(w[28], 1);

    // Read the bytes by hand, then against the readable table.
    EXPECT_EQ(std::string(w.begin() + 8, w.begin() + 16), "QVCustom");
    EXPECT_EQ(U32(w, 16), 768u);
    EXPECT_EQ(std::string(w.begin() + 20, w.begin() + 24), "Keys");
    EXPECT_EQ(U32(w, 24), 0u);
    ASSERT_EQ(U16(w, 30), 105u);
    size_t pos = 32;
    for (const MapRow &row : g.map) {
        SCOPED_TRACE(row.command);
        ASSERT_EQ(U16(w, pos), row.command);
        const unsigned n = U16(w, pos + 2);
        ASSERT_EQ(n, row.keys.size());
        for (unsigned k = 0; k < n; ++k) {
            EXPECT_EQ(w[pos + 4 + k], row.keys[k].flags);
            EXPECT_EQ(U16(w, pos + 4 + n + 2 * k), row.keys[k].code);
            EXPECT_TRUE(row.keys[k].flags == 0 || (row.keys[k].flags & kKeyVirt));
        }
        pos += 4 + 3 * n;
    }
    EXPECT_EQ(pos, w.size() - 11);
}

TEST(KeyResources, ProgramReadsTheDefaultMap) {
    const Generated g = Load();
    for (uint16_t form : {0, 1}) {
        const std::vector<uint8_t> image = DefaultMapImage(g.map, form);
        KeyTable t{0, nullptr};
        ASSERT_EQ(KeyMap_ParseChunk(image.data() + 24, 768, form, nullptr, &t), 0);
        ASSERT_EQ(t.count, 105);
        // A few bindings every user knows, written out by hand.
        struct Want {
            uint16_t command;
            std::vector<std::pair<uint8_t, uint16_t>> keys;
        } wants[] = {
            {40001, {{0x01, 'O'}}},
            {40062, {{0x01, 0x20}, {0x01, 0x60}}},
            {40066, {{0x09, 0x23}}},
            {40082, {{0x00, '+'}, {0x01, 0x6B}, {0x00, ';'}}},
            {40424, {{0x15, 'N'}}},
            {45001, {{0x01, 0x5D}, {0x05, 0x79}}},
            {45102, {{0x01, 0x27}}},
        };
        for (const Want &want : wants) {
            const int at = KeyMap_FindCommand(&t, want.command, 0, 0, 0);
            ASSERT_GE(at, 0) << want.command;
            std::vector<std::pair<uint8_t, uint16_t>> got;
            for (int k = 0; k < t.items[at].count; ++k) got.emplace_back(t.items[at].flags[k], t.items[at].key[k]);
            EXPECT_EQ(got, want.keys) << want.command;
        }
        KeyMap_Free(&t);
    }
}

TEST(KeyResources, KeyNameTexts) {
    const Generated g = Load();
    std::vector<uint8_t> utf16, cp932;
    ASSERT_TRUE(NamesUtf16(g.names, &utf16));
    ASSERT_TRUE(NamesCp932(g.names, &cp932));
    ASSERT_GE(utf16.size(), 4u);
    EXPECT_EQ(utf16[0], 0xFF);
    EXPECT_EQ(utf16[1], 0xFE);
    std::u16string wide;
    for (size_t i = 2; i + 1 < utf16.size(); i += 2) wide += char16_t(U16(utf16, i));
    KeyNameTableT<char16_t> w;
    ASSERT_EQ(KeyName_ParseTable(wide.data(), wide.size(), &w), 1);
    KeyNameTableT<char> a;
    ASSERT_EQ(KeyName_ParseTable(reinterpret_cast<const char *>(cp932.data()), cp932.size(), &a), 1);
    ASSERT_EQ(w.count, 69);
    ASSERT_EQ(a.count, 69);
    EXPECT_EQ(std::u16string(w.separator), u"+");
    EXPECT_EQ(std::u16string(w.unknown), u"??");
    EXPECT_EQ(std::u16string(w.entries[KeyName_FindEntry(&w, 0x1C)].name), u"変換");
    EXPECT_EQ(std::u16string(w.entries[KeyName_FindEntry(&w, 0x25)].name), u"←");
    EXPECT_EQ(std::u16string(w.entries[KeyName_FindEntry(&w, 0x87)].name), u"F24");
    EXPECT_EQ(std::string(a.entries[KeyName_FindEntry(&a, 0x1C)].name), "\x95\xCF\x8A\xB7");  // 変換
    EXPECT_EQ(std::string(a.entries[KeyName_FindEntry(&a, 0x25)].name), "\x81\xA9");          // ←
    for (int i = 0; i < 69; ++i) EXPECT_EQ(w.entries[i].code, a.entries[i].code);
}

TEST(KeyResources, GeneratorRejectsBadTables) {
    NameTable names;
    std::string error;
    ASSERT_TRUE(ParseNames("10 Shift\n20 Space\nseparator +\nunknown ??\n", &names, &error)) << error;
    std::vector<MapRow> map;
    const char *bad[] = {"40001 Nowhere\n", "40001\n", "70000 A\n", "40001 char:ab\n", "40001 A A A A A A A A A\n", ""};
    for (const char *b : bad) {
        SCOPED_TRACE(b);
        EXPECT_FALSE(ParseDefaultMap(b, names, &map, &error));
    }
    EXPECT_FALSE(ParseNames("10 Shift\n10 Shift\nseparator +\nunknown ??\n", &names, &error));
    EXPECT_FALSE(ParseNames("10 Shift\n", &names, &error));
}

}  // namespace
