// The cell masks over the fake library (which moves storage on every in-place
// call): the FL spiral walk, the CP keyword order worked out by hand, the
// Meko codes, exact single-step results on small 24-bit pictures, and the
// round trips (FL twice, CP twice, Meko forward then reverse) at every depth,
// both row orders, whole pictures and rectangles, with injected failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "colour_fixture.h"
#include "common/fake_dibcore.h"
#include "image/qv_CellMask.h"
#include "image/qv_DibOps.h"
#include "image/qv_PixelValue.h"
#include "raw_pixel.h"
#include "util/qv_Crc32.h"

namespace {

using colourfix::Kind;
using colourfix::KindNamed;

const std::vector<Kind> kKinds = colourfix::KindsNamed(
    {"1bit", "4bit", "8bit", "16bit-555", "16bit-565", "24bit", "32bit", "32bit-101010"});

// A picture of random pixels and, for palette kinds, a random table.
DibHandle MakePicture(const Kind &k, int32_t w, int32_t h, uint32_t seed) {
    const DibHandle p = colourfix::MakeRandom(k, w, h, seed);
    if (p == 0) return 0;
    DibData *d = Dibcore_DataDIB(p);
    // Bits outside the fields are no part of the picture (a channel swap
    // clears them).
    if (k.depth == 16) {
        const uint32_t keep = k.masks ? k.masks[0] | k.masks[1] | k.masks[2] : 0x7FFF;
        for (uint32_t i = 1; i < d->bitsSize; i += 2) d->bits[i] &= uint8_t(keep >> 8);
    }
    if (k.depth == 32 && k.masks)
        for (uint32_t i = 3; i < d->bitsSize; i += 4) d->bits[i] &= uint8_t((k.masks[0] | k.masks[1] | k.masks[2]) >> 24);
    return p;
}

// What a picture shows and holds: its depth, raw values, colours and table.
struct Look {
    int depth = 0;
    std::vector<uint32_t> raw, colours;
    std::vector<uint8_t> table;
};

Look LookOf(DibHandle p) {
    Look l;
    int32_t w = 0, h = 0;
    DibData *d = nullptr;
    l.depth = Dib_GetInfo(p, &w, &d, &h, 1);
    if (l.depth == 0) return l;
    const uint8_t *head = reinterpret_cast<const uint8_t *>(d->header);
    l.table.assign(head + d->header->biSize, head + d->headerSize);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            l.raw.push_back(RawPixelOf(*d->header, d->bits, x, y));
            l.colours.push_back(Dib_GetPixelColour(x, p, y));
        }
    return l;
}

// The same picture: every value and the table when the depth is the same,
// else (after a conversion to 24 bits) every colour.
void ExpectSameLook(const Look &a, const Look &b) {
    ASSERT_EQ(a.colours.size(), b.colours.size());
    if (a.depth == b.depth) {
        EXPECT_TRUE(a.raw == b.raw) << "pixel values differ";
        EXPECT_TRUE(a.table == b.table) << "tables differ";
    }
    EXPECT_TRUE(a.colours == b.colours) << "colours differ";
}

// Pixels outside `r` keep their colours.
void ExpectOutsideKept(const Look &before, const Look &after, int32_t w, const SelRect &r) {
    ASSERT_EQ(before.colours.size(), after.colours.size());
    for (size_t i = 0; i < before.colours.size(); ++i) {
        const int32_t x = int32_t(i % size_t(w)), y = int32_t(i / size_t(w));
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) continue;
        ASSERT_EQ(before.colours[i], after.colours[i]) << x << "," << y;
    }
}

using Apply = std::function<int(DibHandle)>;

// A round trip on a fresh picture: `there` changes it and keeps everything
// outside `worked` (the whole cells of a rectangle), `back` gives it back
// exactly; both return `done`. `between` receives the look in between.
void ExpectRoundTrip(const Kind &k, int32_t w, int32_t h, uint32_t seed, const SelRect *rect, const SelRect &worked,
                     const Apply &there, const Apply &back, int done, Look *between = nullptr) {
    fake::Scope scope;
    const DibHandle p = MakePicture(k, w, h, seed);
    const Look before = LookOf(p);
    ASSERT_EQ(there(p), done);
    const Look once = LookOf(p);
    EXPECT_FALSE(once.colours == before.colours);
    if (rect) ExpectOutsideKept(before, once, w, worked);
    ASSERT_EQ(back(p), done);
    ExpectSameLook(before, LookOf(p));
    EXPECT_EQ(scope.lib.Live(), 1u);
    EXPECT_EQ(scope.lib.doubleFrees, 0);
    if (between) *between = once;
}

std::string Trace(const Kind &k, int32_t h, const SelRect *r) {
    return std::string(k.name) + (h < 0 ? " top-down" : " bottom-up") + (r ? " rect" : " whole");
}

// B, G, R bytes of 24-bit pixel (x, y) from the top.
uint32_t Bgr(DibHandle p, int32_t x, int32_t y) {
    const DibData *d = Dibcore_DataDIB(p);
    return RawPixelOf(*d->header, d->bits, x, y);
}

// A 24-bit picture whose every pixel names its place: B = x, G = y, R = 0x5A.
DibHandle PlacesPicture(int32_t w, int32_t h) {
    const DibHandle p = Dib_Create(w, h, 24, 0, 0, nullptr);
    DibData *d = Dibcore_DataDIB(p);
    const uint32_t stride = Dib_RowStride(24, w);
    for (int32_t y = 0; y < (h < 0 ? -h : h); ++y) {
        uint8_t *row = Dib_RowFromTop(d->bits, stride, h, y);
        for (int32_t x = 0; x < w; ++x) {
            row[3 * x] = uint8_t(x);
            row[3 * x + 1] = uint8_t(y);
            row[3 * x + 2] = 0x5A;
        }
    }
    return p;
}
uint32_t Place(int32_t x, int32_t y) { return 0x5A0000u | uint32_t(y) << 8 | uint32_t(x); }
// The same after inverting all three channels and exchanging red and green.
uint32_t Inverted(uint32_t bgr) { return bgr ^ 0xFFFFFFu; }
uint32_t InvertedSwapped(uint32_t bgr) {
    const uint32_t b = bgr & 0xFF, g = (bgr >> 8) & 0xFF, r = bgr >> 16;
    return ((255 - g) << 16 | (255 - r) << 8 | (255 - b));
}

// ---- FL ------------------------------------------------------------------

TEST(FlSpiral, WalksTheRingsFromTheBottomLeft) {
    struct Case {
        int32_t across, down;
        std::vector<int32_t> order;
    };
    const Case cases[] = {
        {1, 1, {0}},
        {4, 1, {0, 1, 2, 3}},  // one row: left to right
        {1, 4, {3, 2, 1, 0}},  // one column: bottom to top
        {3, 3, {6, 7, 8, 5, 2, 1, 0, 3, 4}},
        // Outer ring: bottom row, right column up, top row back, left column
        // down; then the inner 2 x 3 ring the same way.
        {4, 5, {16, 17, 18, 19, 15, 11, 7, 3, 2, 1, 0, 4, 8, 12, 13, 14, 10, 6, 5, 9}},
    };
    for (const Case &c : cases) {
        std::vector<int32_t> order(size_t(c.across * c.down), -1);
        ASSERT_TRUE(Fl_SpiralOrder(c.across, c.down, order.data()));
        EXPECT_EQ(order, c.order) << c.across << "x" << c.down;
    }
    int32_t one = 0;
    EXPECT_FALSE(Fl_SpiralOrder(0, 3, &one));
    EXPECT_FALSE(Fl_SpiralOrder(3, -1, &one));
}

TEST(FlSpiral, ListsEveryCellOnceAtEverySize) {
    for (int32_t across = 1; across <= 12; ++across)
        for (int32_t down = 1; down <= 12; ++down) {
            const size_t n = size_t(across * down);
            // One slot more than needed: a walk that runs over shows.
            std::vector<int32_t> order(n + 1, -1);
            ASSERT_TRUE(Fl_SpiralOrder(across, down, order.data()));
            EXPECT_EQ(order[n], -1) << across << "x" << down;
            std::vector<int32_t> sorted(order.begin(), order.begin() + std::ptrdiff_t(n));
            std::sort(sorted.begin(), sorted.end());
            for (size_t i = 0; i < n; ++i) ASSERT_EQ(sorted[i], int32_t(i)) << across << "x" << down;
            EXPECT_EQ(order[0], (down - 1) * across) << "starts at the bottom-left";
        }
}

TEST(FlMask, MovesCellsToTheirMirrorPositionOnTheSpiral) {
    // Three cells in a row: the spiral is 0, 1, 2, so cells 0 and 2 trade
    // places and the middle one stays (not even inverted).
    struct Case {
        int32_t width, height;
        const SelRect *rect;
        int32_t left, top;  // where the 24 x 8 area lands
    };
    const SelRect part{3, 2, 30, 13};  // 27 x 11 rounds down to 24 x 8
    const Case cases[] = {{24, 8, nullptr, 0, 0}, {24, -8, nullptr, 0, 0}, {30, 20, &part, 3, 2}, {30, -20, &part, 3, 2}};
    for (const Case &c : cases)
        for (int negative : {0, 1}) {
            SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + (negative ? " negative" : ""));
            fake::Scope scope;
            const DibHandle p = PlacesPicture(c.width, c.height);
            ASSERT_EQ(Mask_Fl(p, c.rect, negative), 1);
            const int32_t rows = c.height < 0 ? -c.height : c.height;
            for (int32_t y = 0; y < rows; ++y)
                for (int32_t x = 0; x < c.width; ++x) {
                    const int32_t ax = x - c.left, ay = y - c.top;
                    uint32_t want = Place(x, y);
                    if (ax >= 0 && ax < 24 && ay >= 0 && ay < 8 && (ax < 8 || ax >= 16)) {
                        const int32_t sx = ax < 8 ? x + 16 : x - 16;
                        want = negative ? Inverted(Place(sx, y)) : Place(sx, y);
                    }
                    ASSERT_EQ(Bgr(p, x, y), want) << x << "," << y;
                }
            EXPECT_EQ(scope.lib.Live(), 1u);
        }
}

TEST(FlMask, TwiceRestoresThePicture) {
    const SelRect part{5, 3, 30, 18};  // 25 x 15 works on 24 x 8 (3 x 1 cells)
    for (const Kind &k : kKinds)
        for (int32_t height : {27, -27})
            for (const SelRect *rect : {static_cast<const SelRect *>(nullptr), &part})
                for (int negative : {0, 1}) {
                    SCOPED_TRACE(Trace(k, height, rect) + (negative ? " negative" : ""));
                    const Apply fl = [&](DibHandle p) { return Mask_Fl(p, rect, negative); };
                    ExpectRoundTrip(k, 35, height, 11, rect, SelRect{5, 3, 29, 11}, fl, fl, 1);
                }
}

TEST(FlMask, RefusesLessThanOneCell) {
    const SelRect narrow{0, 0, 7, 16}, low{2, 2, 20, 9}, outside{40, 0, 50, 10};
    for (const SelRect *r : {&narrow, &low, &outside}) {
        fake::Scope scope;
        const DibHandle p = MakePicture(KindNamed("24bit"), 24, 16, 3);
        const Look before = LookOf(p);
        EXPECT_EQ(Mask_Fl(p, r, 1), 0);
        ExpectSameLook(before, LookOf(p));
    }
}

// ---- CP ------------------------------------------------------------------

TEST(CpMask, KeywordChecks) {
    struct Case {
        const char *keyword;
        int ok;
    };
    const Case cases[] = {
        {"A", 1},
        {"Quivelta", 1},                // lower case counts as upper case
        {"ABCDEFGHIJKLMNOP", 1},        // 16 letters
        {"ABCDEFGHIJKLMNOP1", 1},       // the 17th character is cut off first
        {"ABCDEFGHIJKLMNO1", 0},        // a digit within the first 16
        {"AB3", 0},
        {"A B", 0},
        {"\xC4" "B", 0},                // a letter outside A..Z
        {"", 0},
        {nullptr, 0},
    };
    for (const Case &c : cases) EXPECT_EQ(CpMask_CheckKeyword(c.keyword), c.ok) << (c.keyword ? c.keyword : "null");
}

TEST(CpMask, OrderMatchesHandComputedVectors) {
    // "A" (value 16), 4 cells: L = 1, e = 4 mod 1 + 1 = 1, d = 3.
    //   i0: d = 3+16+1 = 20 -> 0, free         order[0] = 0, e = 2
    //   i1: d = 0+16+2 = 18 -> 2, free         order[2] = 1, e = 3
    //   i2: d = 2+16+3 = 21 -> 1, free         order[1] = 2, e = 4
    //   i3: d = 1+16+4 = 21 -> 1 taken, odd: down to 0 taken, wraps to 3
    //                                          order[3] = 3
    // "BO" (23, 1), 5 cells: L = 2, e = 5 mod 2 + 2 = 3, d = 4.
    //   i0 B: d = 4+23+3 = 30 -> 0             order[0] = 0, e = 4
    //   i1 O: d = 0+1+4 = 5 -> 0 taken, odd: wraps to 4
    //                                          order[4] = 1, e = 5
    //   i2 B: d = 4+23+5 = 32 -> 2             order[2] = 2, e = 6
    //   i3 O: d = 2+1+6 = 9 -> 4 taken, odd: 3 order[3] = 3, e = 7
    //   i4 B: d = 3+23+7 = 33 -> 3 taken, even: 4 taken, wraps to 0 taken, 1
    //                                          order[1] = 4
    struct Case {
        const char *keyword;
        std::vector<int32_t> order;
    };
    const Case cases[] = {
        {"A", {0, 2, 1, 3}}, {"a", {0, 2, 1, 3}}, {"BO", {0, 4, 2, 3, 1}}, {"bO", {0, 4, 2, 3, 1}}, {"Z", {0}},
    };
    for (const Case &c : cases) {
        std::vector<int32_t> order(c.order.size() + 1, -7);
        ASSERT_TRUE(CpMask_Order(c.keyword, int32_t(c.order.size()), order.data())) << c.keyword;
        EXPECT_EQ(order.back(), -7) << "wrote past the cells";
        order.pop_back();
        EXPECT_EQ(order, c.order) << c.keyword;
    }
    int32_t slot;
    EXPECT_FALSE(CpMask_Order("A1", 1, &slot));
    EXPECT_FALSE(CpMask_Order("A", 0, &slot));
}

TEST(CpMask, LongKeywordsOrderAsTheirFirstSixteenLetters) {
    std::vector<int32_t> a(97), b(97);
    ASSERT_TRUE(CpMask_Order("ABCDEFGHIJKLMNOPQRS", 97, a.data()));
    ASSERT_TRUE(CpMask_Order("abcdefghijklmnop", 97, b.data()));
    EXPECT_EQ(a, b);
    std::vector<int32_t> sorted = a;
    std::sort(sorted.begin(), sorted.end());
    for (int32_t i = 0; i < 97; ++i) ASSERT_EQ(sorted[size_t(i)], i);
}

TEST(CpMask, OneCellOnlyInvertsAndExchangesRedAndGreen) {
    for (int32_t height : {8, -8}) {
        fake::Scope scope;
        const DibHandle p = PlacesPicture(8, height);
        ASSERT_EQ(CpMask_Apply("Key", p, nullptr), 1);
        for (int32_t y = 0; y < 8; ++y)
            for (int32_t x = 0; x < 8; ++x) ASSERT_EQ(Bgr(p, x, y), InvertedSwapped(Place(x, y))) << x << "," << y;
    }
    // A palette picture taken whole keeps its pixels and changes its table.
    fake::Scope scope;
    const DibRgbQuad pal[2] = {{0x10, 0x20, 0x30, 0}, {0xF0, 0x80, 0x01, 0}};
    const DibHandle p = Dib_Create(8, 8, 1, 2, 1, pal);
    DibData *d = Dibcore_DataDIB(p);
    for (uint32_t i = 0; i < d->bitsSize; ++i) d->bits[i] = uint8_t(0x5A + i);
    const Look before = LookOf(p);
    ASSERT_EQ(CpMask_Apply("Key", p, nullptr), 1);
    const Look after = LookOf(p);
    EXPECT_EQ(after.depth, 1);
    EXPECT_EQ(after.raw, before.raw);
    const std::vector<uint8_t> table = {0xEF, 0xCF, 0xDF, 0, 0x0F, 0xFE, 0x7F, 0};  // B, G, R from !B, !R, !G
    EXPECT_EQ(after.table, table);
}

TEST(CpMask, PairsOfDifferentParityAreTransposed) {
    // "A" over 2 x 2 cells orders them 0, 2, 1, 3: pairs (0, 3) and (2, 1),
    // both of different parity, so every cell receives its partner
    // transposed (and inverted, red and green exchanged).
    const int32_t partner[4] = {3, 2, 1, 0};
    for (int32_t height : {16, -16}) {
        fake::Scope scope;
        const DibHandle p = PlacesPicture(16, height);
        ASSERT_EQ(CpMask_Apply("A", p, nullptr), 1);
        for (int32_t c = 0; c < 4; ++c)
            for (int32_t y = 0; y < 8; ++y)
                for (int32_t x = 0; x < 8; ++x) {
                    const int32_t q = partner[c];
                    const uint32_t want = InvertedSwapped(Place((q % 2) * 8 + y, (q / 2) * 8 + x));
                    ASSERT_EQ(Bgr(p, (c % 2) * 8 + x, (c / 2) * 8 + y), want) << c << ": " << x << "," << y;
                }
        EXPECT_EQ(scope.lib.Live(), 1u);
    }
}

TEST(CpMask, TwiceRestoresThePicture) {
    const SelRect part{5, 3, 39, 30};  // 34 x 27 works on 32 x 24 (4 x 3 cells)
    for (const Kind &k : kKinds)
        for (int32_t height : {32, -32})
            for (const SelRect *rect : {static_cast<const SelRect *>(nullptr), &part})
                for (const char *keyword : {"A", "Quivelta", "ZZZZZZZZZZZZZZZZ"}) {
                    SCOPED_TRACE(Trace(k, height, rect) + " " + keyword);
                    const Apply cp = [&](DibHandle p) { return CpMask_Apply(keyword, p, rect); };
                    ExpectRoundTrip(k, 40, height, 5, rect, SelRect{5, 3, 37, 27}, cp, cp, 1);
                }
}

TEST(CpMask, RefusesBadKeywordsAndSmallRectangles) {
    const SelRect small{0, 0, 8, 7};
    struct Case {
        const char *keyword;
        const SelRect *rect;
    } cases[] = {{"AB1", nullptr}, {"", nullptr}, {"A", &small}};
    for (const Case &c : cases) {
        fake::Scope scope;
        const DibHandle p = MakePicture(KindNamed("24bit"), 16, 16, 9);
        const Look before = LookOf(p);
        EXPECT_EQ(CpMask_Apply(c.keyword, p, c.rect), 0);
        ExpectSameLook(before, LookOf(p));
    }
}

// ---- Meko ----------------------------------------------------------------

using Bytes = std::vector<uint8_t>;

// A table file written from its layout, parsed by the program's own parser.
Bytes TableFile(const std::vector<uint16_t> &entries) {
    Bytes data;
    for (uint16_t e : entries) {
        data.push_back(uint8_t(e));
        data.push_back(uint8_t(e >> 8));
    }
    Bytes file = {0xAF, 0x44, 0x41, 0x54, 0x0D, 0x0A, 0x1A, 0x0A, 'M', 'e', 'k', 'o', 'R', 'a', 'n', 'd'};
    const uint32_t length = uint32_t(data.size()), crc = Util_Crc32(data.size(), data.data());
    for (int i = 0; i < 4; ++i) file.push_back(uint8_t(length >> (8 * i)));
    for (int i = 0; i < 4; ++i) file.push_back(uint8_t(crc >> (8 * i)));
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

Bytes g_tableFile;
bool g_tableFails = false;
int g_tableLoads = 0;

bool TestTableSource(MekoTable *out) {
    ++g_tableLoads;
    return !g_tableFails && MekoTable_Parse(g_tableFile.data(), g_tableFile.size(), out) == kMekoTableOk;
}

// Installs a table source over `entries` for one test.
class TableScope {
public:
    explicit TableScope(const std::vector<uint16_t> &entries) {
        g_tableFile = TableFile(entries);
        g_tableFails = false;
        g_tableLoads = 0;
        g_mekoTableSource = TestTableSource;
    }
    ~TableScope() { g_mekoTableSource = nullptr; }
    TableScope(const TableScope &) = delete;
    TableScope &operator=(const TableScope &) = delete;
};

// Entries far apart (a wrapped 16-bit difference would misorder them),
// equal ones, and more than any test picture has cells.
std::vector<uint16_t> MixedEntries(size_t n) {
    std::vector<uint16_t> e(n);
    uint32_t seed = 77;
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        e[i] = i % 5 == 0 ? uint16_t(0xFFF0 + i % 3) : i % 7 == 0 ? 3 : uint16_t(seed >> 12);
    }
    return e;
}

TEST(MekoMask, ResultCodes) {
    struct Case {
        const char *name;
        size_t entries;  // 0: no table source
        bool sourceFails;
        int32_t width, height;
        SelRect rect;
        int code;
    };
    const Case cases[] = {
        {"no source", 0, false, 64, 64, {0, 0, 64, 64}, kMekoNoTable},
        {"source fails", 50, true, 64, 64, {0, 0, 64, 64}, kMekoNoTable},
        {"15 x 100", 50, false, 64, 128, {0, 0, 15, 100}, kMekoTooSmall},
        {"100 x 15", 50, false, 128, 64, {0, 0, 100, 15}, kMekoTooSmall},
        {"outside", 50, false, 64, 64, {70, 0, 90, 40}, kMekoTooSmall},
        {"4 entries, 4 cells", 4, false, 32, 32, {0, 0, 32, 32}, kMekoTooManyCells},
        {"4 entries, 3 cells", 4, false, 48, 16, {0, 0, 48, 16}, kMekoReady},
        {"4 entries, 3 cells rounded", 4, false, 63, 31, {0, 0, 63, 31}, kMekoReady},
        {"1 entry, 1 cell", 1, false, 16, 16, {0, 0, 16, 16}, kMekoTooManyCells},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fake::Scope scope;
        TableScope table(MixedEntries(c.entries));
        if (c.entries == 0) g_mekoTableSource = nullptr;
        g_tableFails = c.sourceFails;
        const DibHandle p = MakePicture(KindNamed("24bit"), c.width, c.height, 2);
        const Look before = LookOf(p);
        EXPECT_EQ(Meko_Check(p, &c.rect, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), c.code);
        const int applied = Meko_Apply(p, &c.rect, 0);
        EXPECT_EQ(applied, c.code);
        if (applied != kMekoReady) ExpectSameLook(before, LookOf(p));
    }
    fake::Scope scope;
    TableScope table(MixedEntries(50));
    EXPECT_EQ(Meko_Check(0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), kMekoNoPicture);
    EXPECT_EQ(Meko_Apply(0, nullptr, 1), kMekoNoPicture);
}

TEST(MekoMask, CheckGivesTheRoundedGrid) {
    fake::Scope scope;
    TableScope table(MixedEntries(50));
    const DibHandle p = MakePicture(KindNamed("24bit"), 60, 60, 2);
    const SelRect r{50, 45, 10, 5};  // corners out of order: 40 x 40 from (10, 5)
    int32_t v[6] = {-1, -1, -1, -1, -1, -1};
    ASSERT_EQ(Meko_Check(p, &r, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), kMekoReady);
    const int32_t want[6] = {10, 5, 32, 32, 2, 2};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(v[i], want[i]) << i;
}

TEST(MekoMask, ForwardMovesCellsInTableOrderAndInverts) {
    // Entries 5, 1, 3 (the fourth only makes room for three cells): the
    // order by entry is cells 1, 2, 0, so cell 0 receives cell 1, cell 1
    // receives cell 2 and cell 2 receives cell 0.
    const int32_t source[3] = {1, 2, 0};
    for (int32_t height : {20, -20}) {
        fake::Scope scope;
        TableScope table({5, 1, 3, 0});
        const DibHandle p = PlacesPicture(50, height);
        const SelRect r{1, 2, 50, 20};  // 49 x 18 works on 48 x 16 at (1, 2)
        ASSERT_EQ(Meko_Apply(p, &r, 0), kMekoReady);
        for (int32_t y = 0; y < 20; ++y)
            for (int32_t x = 0; x < 50; ++x) {
                uint32_t want = Place(x, y);
                if (x >= 1 && x < 49 && y >= 2 && y < 18) {
                    const int32_t cell = (x - 1) / 16;
                    want = Inverted(Place(x + (source[cell] - cell) * 16, y));
                }
                ASSERT_EQ(Bgr(p, x, y), want) << x << "," << y;
            }
        ASSERT_EQ(Meko_Apply(p, &r, 1), kMekoReady);
        for (int32_t y = 0; y < 20; ++y)
            for (int32_t x = 0; x < 50; ++x) ASSERT_EQ(Bgr(p, x, y), Place(x, y)) << x << "," << y;
    }
}

TEST(MekoMask, ForwardThenReverseRestoresThePicture) {
    const SelRect part{5, 3, 53, 40};  // 48 x 37 works on 48 x 32 (3 x 2 cells)
    for (const Kind &k : kKinds)
        for (int32_t height : {48, -48})
            for (const SelRect *rect : {static_cast<const SelRect *>(nullptr), &part}) {
                SCOPED_TRACE(Trace(k, height, rect));
                TableScope table(MixedEntries(40));
                Look once;
                ExpectRoundTrip(
                    k, 64, height, 21, rect, SelRect{5, 3, 53, 35},
                    [&](DibHandle p) { return Meko_Apply(p, rect, 0); },
                    [&](DibHandle p) { return Meko_Apply(p, rect, 1); }, kMekoReady, &once);
                if (!rect) {
                    EXPECT_EQ(once.depth, k.depth) << "a whole picture keeps its depth";
                }
            }
}

// ---- Failure injection ---------------------------------------------------

TEST(CellMasks, InjectedFailuresLeaveThePictureAndLeakNothing) {
    const SelRect part{3, 2, 45, 36};
    struct Op {
        const char *name;
        int (*run)(DibHandle, const SelRect *);
        int done;
    };
    const Op ops[] = {
        {"fl", [](DibHandle p, const SelRect *r) { return Mask_Fl(p, r, 0); }, 1},
        {"fl negative", [](DibHandle p, const SelRect *r) { return Mask_Fl(p, r, 1); }, 1},
        {"cp", [](DibHandle p, const SelRect *r) { return CpMask_Apply("Quivelta", p, r); }, 1},
        {"meko", [](DibHandle p, const SelRect *r) { return Meko_Apply(p, r, 0); }, kMekoReady},
    };
    const fake::Entry entries[] = {fake::kCut, fake::kCopy, fake::kData, fake::kTurn, fake::kTo24, fake::kRle};
    for (const Op &op : ops)
        for (const Kind *k : {&KindNamed("8bit"), &KindNamed("16bit-565"), &KindNamed("24bit")})
            for (const SelRect *rect : {static_cast<const SelRect *>(nullptr), &part}) {
                int failures = 0;
                for (fake::Entry e : entries)
                    for (int n = 1; n <= 40; ++n) {
                        SCOPED_TRACE(std::string(op.name) + " " + Trace(*k, 40, rect) + " entry " + std::to_string(e) +
                                     " call " + std::to_string(n));
                        fake::Scope scope;
                        TableScope table(MixedEntries(40));
                        const DibHandle p = MakePicture(*k, 48, 40, 8);
                        const Look before = LookOf(p);
                        std::fill(std::begin(scope.lib.calls), std::end(scope.lib.calls), 0);
                        scope.lib.failAt[e] = n;
                        const int result = op.run(p, rect);
                        scope.lib.failAt[e] = 0;
                        EXPECT_EQ(scope.lib.Live(), 1u);
                        EXPECT_EQ(scope.lib.doubleFrees, 0);
                        if (scope.lib.calls[e] < n) {
                            EXPECT_EQ(result, op.done);  // the failure was never reached
                            break;
                        }
                        // A failed DataDIB may be survived by fetching again;
                        // no other failed call may go unnoticed.
                        if (e == fake::kData && result == op.done) continue;
                        EXPECT_NE(result, op.done) << "a failed call went unnoticed";
                        ++failures;
                        ExpectSameLook(before, LookOf(p));
                    }
                EXPECT_GT(failures, 0);
            }
}

}  // namespace
