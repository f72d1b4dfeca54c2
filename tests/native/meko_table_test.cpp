// The Meko table file: good files of every size, each way a file can be bad,
// the two-step read the loader does, the working grid of a rectangle and the
// cell order, including entries far enough apart that a wrapped 16-bit
// difference would misorder them.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "image/qv_MekoTable.h"
#include "util/qv_Crc32.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutU32(Bytes *b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*b)[at + i] = uint8_t(v >> (8 * i));
}

// A table file written from its definition: signature, length, CRC-32 of the
// data, then the data.
Bytes TableFile(const Bytes &data) {
    Bytes file = {0xAF, 0x44, 0x41, 0x54, 0x0D, 0x0A, 0x1A, 0x0A, 'M', 'e', 'k', 'o', 'R', 'a', 'n', 'd'};
    file.resize(24);
    PutU32(&file, 16, uint32_t(data.size()));
    PutU32(&file, 20, Util_Crc32(data.size(), data.data()));
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

Bytes Entries(const std::vector<uint16_t> &entries) {
    Bytes data;
    for (uint16_t e : entries) {
        data.push_back(uint8_t(e));
        data.push_back(uint8_t(e >> 8));
    }
    return data;
}

// Deterministic filler for the large tables.
Bytes Noise(size_t n, uint32_t seed) {
    Bytes data(n);
    for (uint8_t &b : data) {
        seed = seed * 1103515245u + 12345u;
        b = uint8_t(seed >> 16);
    }
    return data;
}

TEST(MekoTable, GoodFilesGiveTheirEntries) {
    struct Case {
        const char *name;
        Bytes data;
        size_t trailing;  // bytes after the data, which the loader never reads
        uint32_t count;
    };
    const Case cases[] = {
        {"one entry", Entries({0xBEEF}), 0, 1},
        {"four entries", Entries({3, 0xFFFF, 0x8000, 0}), 0, 4},
        {"odd length ignores the last byte", Bytes{1, 2, 3}, 0, 1},
        {"longest", Noise(65535, 7), 0, 32767},
        {"bytes after the data", Entries({5, 6}), 9, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = TableFile(c.data);
        file.resize(file.size() + c.trailing, 0x5A);
        MekoTable table{};
        ASSERT_EQ(MekoTable_Parse(file.data(), file.size(), &table), kMekoTableOk);
        EXPECT_EQ(table.count, c.count);
        for (uint32_t i = 0; i < table.count; ++i)
            ASSERT_EQ(MekoTable_Entry(table, i), c.data[2 * i] | c.data[2 * i + 1] << 8) << i;
    }
}

TEST(MekoTable, CrcIsTheStandardOne) {
    // Written out by hand, not through the CRC code: "123456789" has the
    // well-known CRC-32 CBF43926.
    Bytes file = {0xAF, 0x44, 0x41, 0x54, 0x0D, 0x0A, 0x1A, 0x0A, 'M', 'e', 'k', 'o', 'R', 'a', 'n', 'd',
                  9,    0,    0,    0,    0x26, 0x39, 0xF4, 0xCB, '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    MekoTable table{};
    ASSERT_EQ(MekoTable_Parse(file.data(), file.size(), &table), kMekoTableOk);
    EXPECT_EQ(table.count, 4u);
    EXPECT_EQ(MekoTable_Entry(table, 0), 0x3231);
}

TEST(MekoTable, EachDamageHasItsCode) {
    const Bytes good = TableFile(Entries({10, 20, 30, 40}));
    struct Case {
        const char *name;
        void (*damage)(Bytes *);
        MekoTableStatus want;
    };
    const Case cases[] = {
        {"empty", [](Bytes *f) { f->clear(); }, kMekoTableShortHeader},
        {"header cut short", [](Bytes *f) { f->resize(23); }, kMekoTableShortHeader},
        {"first signature byte", [](Bytes *f) { (*f)[0] = 0xAE; }, kMekoTableBadSignature},
        {"last signature byte", [](Bytes *f) { (*f)[15] = 'D'; }, kMekoTableBadSignature},
        {"length 0", [](Bytes *f) { PutU32(f, 16, 0); }, kMekoTableBadLength},
        {"length 1", [](Bytes *f) { PutU32(f, 16, 1); }, kMekoTableBadLength},
        {"length 65536", [](Bytes *f) { PutU32(f, 16, 65536); }, kMekoTableBadLength},
        {"length with the high word set", [](Bytes *f) { PutU32(f, 16, 0x00010008); }, kMekoTableBadLength},
        {"length all ones", [](Bytes *f) { PutU32(f, 16, 0xFFFFFFFF); }, kMekoTableBadLength},
        {"data one byte short", [](Bytes *f) { f->pop_back(); }, kMekoTableShortData},
        {"header only", [](Bytes *f) { f->resize(24); }, kMekoTableShortData},
        {"length longer than the file", [](Bytes *f) { PutU32(f, 16, 9); }, kMekoTableShortData},
        {"data byte changed", [](Bytes *f) { (*f)[24 + 5] ^= 1; }, kMekoTableBadCrc},
        {"stored CRC changed", [](Bytes *f) { (*f)[23] ^= 0x80; }, kMekoTableBadCrc},
        {"length shorter than the data", [](Bytes *f) { PutU32(f, 16, 6); }, kMekoTableBadCrc},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = good;
        c.damage(&file);
        MekoTable table{nullptr, 77};
        EXPECT_EQ(MekoTable_Parse(file.data(), file.size(), &table), c.want);
        EXPECT_EQ(table.count, 77u) << "a refused file leaves the table alone";
    }
    // Every signature byte counts.
    for (size_t i = 0; i < kMekoSignatureBytes; ++i) {
        Bytes file = good;
        file[i] ^= 0x20;
        MekoTable table{};
        EXPECT_EQ(MekoTable_Parse(file.data(), file.size(), &table), kMekoTableBadSignature) << i;
    }
}

TEST(MekoTable, TwoStepReadAsTheLoaderDoes) {
    // The loader reads the header, then exactly `length` bytes into its own
    // block; a short read passes the bytes it got.
    const Bytes file = TableFile(Noise(1000, 3));
    MekoTableHeader header{};
    ASSERT_EQ(MekoTable_ParseHeader(file.data(), kMekoHeaderBytes, &header), kMekoTableOk);
    EXPECT_EQ(header.length, 1000u);
    const Bytes block(file.begin() + 24, file.end());
    MekoTable table{};
    EXPECT_EQ(MekoTable_CheckData(header, block.data(), 999, &table), kMekoTableShortData);
    EXPECT_EQ(MekoTable_CheckData(header, nullptr, 0, &table), kMekoTableShortData);
    ASSERT_EQ(MekoTable_CheckData(header, block.data(), block.size(), &table), kMekoTableOk);
    EXPECT_EQ(table.data, block.data());
    EXPECT_EQ(table.count, 500u);
    EXPECT_EQ(MekoTable_ParseHeader(nullptr, 0, &header), kMekoTableShortHeader);
}

TEST(MekoGrid, RectanglesAgainstTheTable) {
    struct Case {
        int32_t width, height;
        uint32_t entries;
        MekoResult want;
        MekoGrid grid;
    };
    const Case cases[] = {
        {40, 40, 100, kMekoReady, {32, 32, 2, 2}},  // right and bottom 8 pixels stay
        {16, 16, 2, kMekoReady, {16, 16, 1, 1}},    // smallest rectangle and table
        {15, 100, 100, kMekoTooSmall, {}},
        {100, 15, 100, kMekoTooSmall, {}},
        {-32, 32, 100, kMekoTooSmall, {}},
        {32, 32, 4, kMekoTooManyCells, {}},  // 4 cells need more than 4 entries
        {48, 16, 4, kMekoReady, {48, 16, 3, 1}},
        {63, 17, 4, kMekoReady, {48, 16, 3, 1}},
        {16, 16, 1, kMekoTooManyCells, {}},
        {16, 16, 0, kMekoTooManyCells, {}},
        {0x7FFFFFFF, 0x7FFFFFFF, 32767, kMekoTooManyCells, {}},  // 2^54 cells, no wrap
        {641 * 16, 6700417 * 16, 2, kMekoTooManyCells, {}},      // 2^32 + 1 cells, no wrap to 1
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " with " << c.entries);
        MekoGrid grid{-1, -1, -1, -1};
        ASSERT_EQ(Meko_Grid(c.width, c.height, c.entries, &grid), c.want);
        if (c.want != kMekoReady) {
            EXPECT_EQ(grid.width, -1) << "grid written on a refusal";
            continue;
        }
        EXPECT_EQ(grid.width, c.grid.width);
        EXPECT_EQ(grid.height, c.grid.height);
        EXPECT_EQ(grid.across, c.grid.across);
        EXPECT_EQ(grid.down, c.grid.down);
    }
}

std::vector<uint32_t> Order(const Bytes &file, uint32_t cells, MekoResult want = kMekoReady) {
    MekoTable table{};
    EXPECT_EQ(MekoTable_Parse(file.data(), file.size(), &table), kMekoTableOk);
    std::vector<uint32_t> order(cells + 1, 0xDEADu);
    EXPECT_EQ(Meko_CellOrder(table, cells, order.data()), want);
    EXPECT_EQ(order[cells], 0xDEADu) << "wrote past the cells";
    order.pop_back();
    return order;
}

TEST(MekoCellOrder, HandComputedOrders) {
    using V = std::vector<uint32_t>;
    struct Case {
        const char *name;
        std::vector<uint16_t> entries;
        uint32_t cells;
        V want;
    };
    const Case cases[] = {
        {"ties by cell index", {30, 10, 20, 10, 5}, 4, V{1, 3, 2, 0}},
        // A wrapped 16-bit difference would put 0xFFFF before 0 and 0x8000
        // before 0x7FFF.
        {"entries 32768 and more apart", {0xFFFF, 0x0000, 0x8000, 0x7FFF, 1}, 4, V{1, 3, 2, 0}},
        {"all equal keep their places", {9, 9, 9, 9, 9, 9}, 5, V{0, 1, 2, 3, 4}},
        {"only the first cells' entries count", {2, 1, 0, 0, 0}, 2, V{1, 0}},
        {"one cell", {0xFFFF, 0}, 1, V{0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Order(TableFile(Entries(c.entries)), c.cells), c.want);
    }
}

TEST(MekoCellOrder, LargestTableGivesASortedPermutation) {
    // Wide-ranging entries with many ties: every cell once, entries
    // non-decreasing in unsigned order, ties by rising cell index.
    Bytes data = Noise(65535, 11);
    for (size_t i = 0; i + 1 < data.size(); i += 8) data[i + 1] = data[i + 1] & 0x81;  // ties
    const Bytes file = TableFile(data);
    const uint32_t cells = 32766;
    const std::vector<uint32_t> order = Order(file, cells);
    MekoTable table{};
    ASSERT_EQ(MekoTable_Parse(file.data(), file.size(), &table), kMekoTableOk);
    std::vector<bool> seen(cells, false);
    for (uint32_t s = 0; s < cells; ++s) {
        ASSERT_LT(order[s], cells);
        ASSERT_FALSE(seen[order[s]]) << s;
        seen[order[s]] = true;
        if (s == 0) continue;
        const uint16_t a = MekoTable_Entry(table, order[s - 1]), b = MekoTable_Entry(table, order[s]);
        ASSERT_TRUE(a < b || (a == b && order[s - 1] < order[s])) << s;
    }
}

TEST(MekoCellOrder, RefusesCellsTheTableCannotCover) {
    const Bytes four = TableFile(Entries({4, 3, 2, 1}));
    EXPECT_EQ(Order(four, 4, kMekoTooManyCells), std::vector<uint32_t>(4, 0xDEADu));
    EXPECT_EQ(Order(four, 0, kMekoTooManyCells), std::vector<uint32_t>{});
    EXPECT_EQ(Order(four, 3), (std::vector<uint32_t>{2, 1, 0}));
}

}  // namespace
