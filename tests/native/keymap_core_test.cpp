// The key map as data: the "Keys" chunk reader and writer, search, removal,
// conflict removal, reset to the defaults, accelerator entries, and the key
// names in both text units.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "custom_fixture.h"
#include "other/qv_KeyMapCore.h"
#include "other/qv_KeyNameCore.h"

namespace {

// Owns a table for one test.
struct Table {
    KeyTable t{0, nullptr};
    Table() = default;
    Table(std::initializer_list<std::pair<uint16_t, std::vector<StoredKey>>> records) {
        KeyMap_Alloc(&t, int32_t(records.size()));
        int i = 0;
        for (const auto &r : records) {
            KeyBinding &b = t.items[i++];
            b.command = r.first;
            b.count = int16_t(r.second.size());
            for (size_t k = 0; k < r.second.size() && k < 8; ++k) b.flags[k] = r.second[k].flags, b.key[k] = r.second[k].code;
        }
    }
    ~Table() { KeyMap_Free(&t); }
    Table(const Table &) = delete;
    Table &operator=(const Table &) = delete;
};

std::vector<std::pair<uint16_t, std::vector<StoredKey>>> Records(const KeyTable &t) {
    std::vector<std::pair<uint16_t, std::vector<StoredKey>>> out;
    for (int32_t i = 0; i < t.count; ++i) {
        std::vector<StoredKey> keys;
        for (int k = 0; k < t.items[i].count; ++k) keys.push_back({t.items[i].flags[k], t.items[i].key[k]});
        out.emplace_back(t.items[i].command, keys);
    }
    return out;
}

constexpr uint8_t V = kKeyVirt;

TEST(KeysChunk, RoundTripKeepsRecordsAndPads) {
    // Ids above 32767 must stay known: the field is unsigned.
    Table map{{40062, {{V, 0x20}, {V, 0x60}}}, {45102, {{V | kKeyShift | kKeyCtrl | kKeyAlt, 0x27}}},
              {40082, {{0, '+'}, {V, 0x6B}, {0, ';'}}}, {40099, {}}};
    const uint32_t size = KeyMap_ChunkSize(&map.t);
    EXPECT_EQ(size % 4, 0u);
    Bytes data(size);
    ASSERT_EQ(KeyMap_ComposeChunk(&map.t, kKeyTextUtf16, data.data(), size), size);
    // the record without keys is not stored; 8 + 3 records + padding count
    EXPECT_EQ(Custom_GetU16(data.data() + 6), 3);
    const uint32_t recordBytes = (4 + 6) + (4 + 3) + (4 + 9);
    EXPECT_EQ(size, 8 + recordBytes + 4 + 2);
    EXPECT_EQ(Custom_GetU32(data.data() + 8 + recordBytes), 2u);

    Table back;
    ASSERT_EQ(KeyMap_ParseChunk(data.data(), size, -1, nullptr, &back.t), 0);
    auto expect = Records(map.t);
    expect.pop_back();
    EXPECT_EQ(Records(back.t), expect);
}

TEST(KeysChunk, NinthKeyIsNotSaved) {
    Table map{{40001, {}}};
    KeyBinding &r = map.t.items[0];
    for (int k = 0; k < 8; ++k) r.flags[k] = V, r.key[k] = uint16_t(0x70 + k);
    r.count = 9;  // a dialog's table may hold one more than is stored
    Bytes data(KeyMap_ChunkSize(&map.t));
    ASSERT_NE(KeyMap_ComposeChunk(&map.t, 1, data.data(), uint32_t(data.size())), 0u);
    EXPECT_EQ(Custom_GetU16(data.data() + 10), 8);
    Table back;
    ASSERT_EQ(KeyMap_ParseChunk(data.data(), uint32_t(data.size()), -1, nullptr, &back.t), 0);
    ASSERT_EQ(back.t.count, 1);
    EXPECT_EQ(back.t.items[0].count, 8);
    EXPECT_EQ(back.t.items[0].key[7], 0x77);
}

struct ParseCase {
    const char *name;
    Bytes data;
    int required;
    int expect;
    std::vector<std::pair<uint16_t, std::vector<StoredKey>>> records;
};

TEST(KeysChunk, ReaderTakesWhatIsSound) {
    Bytes shortLast = KeysData(1, 3, {{40001, {{V, 'O'}}}, {40002, {{V, 'R'}}}}, false);
    Add16(&shortLast, 40003), Add16(&shortLast, 4), shortLast.insert(shortLast.end(), {1, 1, 1});  // claims 4 keys
    Bytes badFirstWord = KeysData(1, 1, {{40001, {{V, 'O'}}}});
    badFirstWord[0] = 1;
    Bytes bigDeclared = KeysData(1, 0x8001, {{40001, {{V, 'O'}}}});
    const ParseCase cases[] = {
        {"too short", Bytes(11, 0), -1, 1, {}},
        {"first word not 0", badFirstWord, -1, 4, {}},
        {"no records", KeysData(1, 0, {}), -1, 0, {}},
        {"short last record ends reading", shortLast, -1, 0, {{40001, {{V, 'O'}}}, {40002, {{V, 'R'}}}}},
        {"count with bit 15", bigDeclared, -1, 0, {{40001, {{V, 'O'}}}}},
        {"key count 0 ends reading", KeysData(1, 2, {{40001, {{V, 'O'}}}, {40002, {}}}), -1, 0, {{40001, {{V, 'O'}}}}},
        {"stray flag bits are dropped", KeysData(1, 1, {{40001, {{0xE3, 'O'}}}}), -1, 0, {{40001, {{V, 'O'}}}}},
        {"ANSI build refuses the UTF-16 build's chunk", KeysData(1, 1, {{40001, {{V, 'O'}}}}), 0, 5, {}},
        {"ANSI build reads its own chunk", KeysData(0, 1, {{40001, {{0, 0xE9}}}}), 0, 0, {{40001, {{0, 0xE9}}}}},
    };
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(c.name);
        Table out{{1, {{V, 1}}}};  // a failure leaves the table as it was
        EXPECT_EQ(KeyMap_ParseChunk(c.data.data(), uint32_t(c.data.size()), c.required, nullptr, &out.t), c.expect);
        if (c.expect == 0) EXPECT_EQ(Records(out.t), c.records);
        else EXPECT_EQ(Records(out.t), (std::vector<std::pair<uint16_t, std::vector<StoredKey>>>{{1, {{V, 1}}}}));
    }
}

// A code page in which byte 0x81 is no character.
bool FakeAnsi(uint16_t code, uint16_t *wide) {
    if (code == 0x81) return false;
    *wide = code == 0xE9 ? 0x00E9 : code;
    return true;
}

TEST(KeysChunk, AnsiCharacterKeysConvertOrGo) {
    const Bytes data = KeysData(0, 3, {{40082, {{0, 0x81}, {V, 0x6B}, {0, ';'}}}, {40083, {{0, 0x81}}}, {40084, {{0, 0xE9}}}});
    Table out;
    ASSERT_EQ(KeyMap_ParseChunk(data.data(), uint32_t(data.size()), -1, FakeAnsi, &out.t), 0);
    // the bad key goes, the command's other keys stay; a command left without keys goes
    EXPECT_EQ(Records(out.t), (std::vector<std::pair<uint16_t, std::vector<StoredKey>>>{
                                  {40082, {{V, 0x6B}, {0, ';'}}}, {40084, {{0, 0xE9}}}}));
    // a UTF-16 chunk is never converted
    const Bytes wide = KeysData(1, 1, {{40083, {{0, 0x81}}}});
    ASSERT_EQ(KeyMap_ParseChunk(wide.data(), uint32_t(wide.size()), -1, FakeAnsi, &out.t), 0);
    EXPECT_EQ(out.t.count, 1);
}

TEST(KeyMapSearch, FindByCommandAndByKey) {
    Table map{{40061, {{V, 0x08}, {V | 0x02, 0x6E}}}, {40062, {{V, 0x20}}}, {40063, {{V | kKeyCtrl, 0x21}}}};
    EXPECT_EQ(KeyMap_FindCommand(&map.t, 40062, 0, 0, 0), 1);
    EXPECT_EQ(KeyMap_FindCommand(&map.t, 40064, 0, 0, 0), -1);
    EXPECT_EQ(KeyMap_FindCommand(&map.t, 0, V | 0x02, 0x20, 1), 1);   // 0x02 of the search ignored
    EXPECT_EQ(KeyMap_FindCommand(&map.t, 0, V, 0x6E, 1), 0);          // and of the stored key
    EXPECT_EQ(KeyMap_FindCommand(&map.t, 40062, V, 0x20, 1), -1);     // never the command being edited
    EXPECT_EQ(KeyMap_FindCommand(&map.t, 0, V, 0x21, 1), -1);         // Ctrl must match
    EXPECT_EQ(KeyMap_FindCommand(nullptr, 0, V, 0x21, 1), -1);
}

TEST(KeyMapSearch, RemoveKey) {
    struct Case {
        const char *name;
        int index;
        uint8_t flags;
        uint16_t key;
        int expect;
        std::vector<uint16_t> left;
    } cases[] = {
        {"by index moves later keys down", 0, 0, 0, 2, {0x60, 0x61}},
        {"last index", 2, 0, 0, 2, {0x20, 0x60}},
        {"index out of range", 3, 0, 0, -1, {0x20, 0x60, 0x61}},
        {"by key with exact flags", -1, V, 0x60, 2, {0x20, 0x61}},
        {"by key, flags differ", -1, V | kKeyShift, 0x60, -1, {0x20, 0x60, 0x61}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Table map{{40062, {{V, 0x20}, {V, 0x60}, {V, 0x61}}}};
        EXPECT_EQ(KeyMap_RemoveKey(&map.t.items[0], c.index, c.flags, c.key), c.expect);
        std::vector<uint16_t> left;
        for (int k = 0; k < map.t.items[0].count; ++k) left.push_back(map.t.items[0].key[k]);
        EXPECT_EQ(left, c.left);
    }
    Table empty{{40062, {}}};
    EXPECT_EQ(KeyMap_RemoveKey(&empty.t.items[0], 0, 0, 0), 0);
}

TEST(KeyMapSearch, RemoveConflictsEndsWithoutDuplicates) {
    // The key sits in two other commands, once with the ignored bit stored.
    Table map{{40061, {{V | 0x02, 0x20}, {V, 0x08}}}, {40062, {{V, 0x20}}}, {40063, {{V, 0x20}, {V, 0x21}}}};
    EXPECT_EQ(KeyMap_RemoveConflicts(&map.t, 40062, V, 0x20), 2);
    EXPECT_EQ(Records(map.t), (std::vector<std::pair<uint16_t, std::vector<StoredKey>>>{
                                  {40061, {{V, 0x08}}}, {40062, {{V, 0x20}}}, {40063, {{V, 0x21}}}}));
    EXPECT_EQ(KeyMap_RemoveConflicts(&map.t, 40062, V, 0x20), 0);
}

TEST(KeyMapDefaults, ResetTakesEachDefaultOnce) {
    Table map{{40062, {{V, 0x41}}}, {40001, {}}, {40062, {{V, 0x42}}}, {40999, {{V, 0x43}}}, {0, {{V, 0x44}}}};
    Table defaults{{40001, {{V, 'O'}}}, {40062, {{V, 0x20}, {V, 0x60}}}, {45101, {{V, 0x25}}}};
    KeyMap_ApplyDefaults(&map.t, &defaults.t);
    EXPECT_EQ(Records(map.t), (std::vector<std::pair<uint16_t, std::vector<StoredKey>>>{
                                  {40062, {{V, 0x20}, {V, 0x60}}}, {40001, {{V, 'O'}}}, {40062, {}}, {40999, {}}, {0, {}}}));
    Table same{{40062, {{V, 0x41}}}};
    Table none;
    KeyMap_ApplyDefaults(&same.t, &none.t);  // no defaults: nothing changes
    EXPECT_EQ(same.t.items[0].count, 1);
}

TEST(KeyMapAccelerators, OneEntryPerKeyInTableOrder) {
    Table map{{40061, {{V, 0x08}, {V, 0x6E}}}, {40070, {}}, {40082, {{0, '+'}}}};
    ASSERT_EQ(KeyMap_AccelCount(&map.t), 3);
    AccelEntry e[3];
    ASSERT_EQ(KeyMap_BuildAccelEntries(&map.t, e, 3), 3);
    const AccelEntry want[] = {{V, 0, 0x08, 40061}, {V, 0, 0x6E, 40061}, {0, 0, '+', 40082}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(e[i].fVirt, want[i].fVirt);
        EXPECT_EQ(e[i].key, want[i].key);
        EXPECT_EQ(e[i].cmd, want[i].cmd);
    }
    EXPECT_EQ(KeyMap_BuildAccelEntries(&map.t, e, 2), 2);
}

// ------------------------------------------------------------ key names

template <class Ch>
std::basic_string<Ch> Units(const char *ascii) {
    std::basic_string<Ch> s;
    for (const char *p = ascii; *p; ++p) s += Ch(*p);
    return s;
}

const char kNames[] = "5\r\n10 Shift\r\n11 Ctrl\r\n12 Alt\r\n20 Space\r\n6B Num+\r\n<<\r\n+\r\n??\r\n>>\r\n";

bool AsciiPrintable(uint16_t c) { return c >= 0x20 && c != 0x7F; }

template <class Ch>
class KeyNames : public ::testing::Test {};
using TextUnits = ::testing::Types<char16_t, char>;
TYPED_TEST_SUITE(KeyNames, TextUnits);

TYPED_TEST(KeyNames, FormatsKeys) {
    using Ch = TypeParam;
    const auto text = Units<Ch>(kNames);
    KeyNameTableT<Ch> table;
    ASSERT_EQ(KeyName_ParseTable(text.data(), text.size(), &table), 1);
    struct Case {
        uint16_t key;
        uint8_t flags;
        int allowUnknown;
        const char *expect;
    } cases[] = {
        {0x10, V | kKeyShift, 1, ""},                      // Shift alone
        {'A', V | kKeyShift | kKeyCtrl, 0, "Ctrl+Shift+A"},
        {'7', V | kKeyAlt | kKeyCtrl, 0, "Ctrl+Alt+7"},
        {0x20, V, 0, "Space"},
        {0x6B, V, 0, "Num+"},
        {0xE8, V, 1, "??"},
        {0xE8, V | kKeyCtrl, 0, ""},
        {'+', 0, 0, "+"},
        {'a', kKeyCtrl, 0, "Ctrl+a"},
        {0, 0, 1, ""},
        {0x07, 0, 1, "??"},
        {0xD800, 0, 0, ""},
    };
    Ch out[512];
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expect);
        const int n = KeyName_FormatText(&table, c.key, c.flags, c.allowUnknown, AsciiPrintable, out, 512);
        EXPECT_EQ(std::basic_string<Ch>(out), Units<Ch>(c.expect));
        EXPECT_EQ(n, int(std::strlen(c.expect)));
    }
    // the key name is left out when it does not fit
    EXPECT_EQ(KeyName_FormatText(&table, 0x20, V | kKeyCtrl, 0, AsciiPrintable, out, 8), 5);
    EXPECT_EQ(std::basic_string<Ch>(out), Units<Ch>("Ctrl+"));
    KeyNameTableT<Ch> none;
    out[0] = Ch('x');
    EXPECT_EQ(KeyName_FormatText(&none, 0x20, V, 1, AsciiPrintable, out, 512), -1);
    EXPECT_EQ(out[0], Ch(0));
}

TYPED_TEST(KeyNames, RefusesBrokenTables) {
    using Ch = TypeParam;
    const char *bad[] = {
        "",
        "0\r\n<<\r\n+\r\n??\r\n",
        "2\r\n10 Shift\r\n11 Ctrl\r\n<<\r\n+\r\n??\r\n",                     // no Alt
        "3\r\n10 Shift\r\n11 Ctrl\r\n12 Alt\r\n+\r\n??\r\n",                 // no "<" line
        "3\r\n10 Shift\r\n11 Ctrl\r\n12 Alt\r\n<<\r\n+\r\n??",               // unknown text not ended
        "3\r\n10 Shift\r\n11 Ctrl\r\n12 \r\n<<\r\n+\r\n??\r\n",              // empty name
        "4\r\n10 Shift\r\n11 Ctrl\r\n12 Alt\r\n<<\r\n+\r\n??\r\n",           // fewer entries than counted
        "7F01\r\n10 Shift\r\n11 Ctrl\r\n12 Alt\r\n<<\r\n+\r\n??\r\n",        // count above the limit
        "3\r\n10 Shift\r\n11 Ctrl\r\n10000 Alt\r\n<<\r\n+\r\n??\r\n",        // code above 0xFFFF
    };
    for (const char *b : bad) {
        SCOPED_TRACE(b);
        const auto text = Units<Ch>(b);
        KeyNameTableT<Ch> table;
        EXPECT_EQ(KeyName_ParseTable(text.data(), text.size(), &table), 0);
        EXPECT_FALSE(table.Loaded());
    }
    const auto lf = Units<Ch>("3\n10 Shift\n11 Ctrl\n12 Alt\n<\n-\n?\n");
    KeyNameTableT<Ch> table;
    EXPECT_EQ(KeyName_ParseTable(lf.data(), lf.size(), &table), 1);
    EXPECT_EQ(std::basic_string<Ch>(table.separator), Units<Ch>("-"));
}

}  // namespace
