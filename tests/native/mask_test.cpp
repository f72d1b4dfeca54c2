// The simple masks over every depth and both row orders, in the fake library
// that moves storage on every in-place call: each mask applied twice gives the
// picture back and never touches the outside of its rectangle; the Win
// column permutation matches turning, permuting rows and turning back; the
// exact values of the channel masks and the rainbow; refusals and injected
// library failures leave the picture as it was.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "colour_fixture.h"
#include "common/fake_dibcore.h"
#include "image/qv_DibOps.h"
#include "image/qv_Mask.h"
#include "image/qv_PixelValue.h"
#include "raw_pixel.h"

namespace {

using colourfix::Colours;
using colourfix::Kind;
using colourfix::KindNamed;
using colourfix::kMask101010;
using colourfix::kMask555;
using colourfix::kMask565;
using colourfix::kMask888;
using colourfix::MakeRandom;

constexpr uint32_t kMask55NoBlue[3] = {0x7C00, 0x03E0, 0};

const std::vector<Kind> kKinds = colourfix::KindsNamed({"1bit", "4bit", "4bit-short", "8bit", "16bit-555", "16bit-565",
                                                        "24bit", "32bit", "32bit-888", "32bit-101010"});

int32_t WidthOf(DibHandle p) { return Dibcore_DataDIB(p)->header->biWidth; }
int32_t HeightOf(DibHandle p) { return std::abs(Dibcore_DataDIB(p)->header->biHeight); }

// What a picture is: its header, table and every raw value, rows from the top.
struct Shot {
    std::vector<uint8_t> header;
    std::vector<uint32_t> raw;
    bool operator==(const Shot &o) const { return header == o.header && raw == o.raw; }
};

Shot Take(DibHandle p) {
    const DibData *d = Dibcore_DataDIB(p);
    Shot s;
    const uint8_t *h = reinterpret_cast<const uint8_t *>(d->header);
    s.header.assign(h, h + d->headerSize);
    for (int32_t y = 0; y < HeightOf(p); ++y)
        for (int32_t x = 0; x < WidthOf(p); ++x) s.raw.push_back(RawPixelOf(*d->header, d->bits, x, y));
    return s;
}

bool Inside(const SelRect &r, int32_t x, int32_t y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

struct Op {
    const char *name;
    int32_t minWidth, minHeight;
    std::function<int(DibHandle, const SelRect *)> apply, undo;
};

const std::vector<Op> &Ops() {
    static const std::vector<Op> ops = [] {
        // A table that is not its own inverse, so undo needs the inverse.
        static const uint8_t kShift[16] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2};
        static uint8_t kShiftBack[16];
        for (int j = 0; j < 16; ++j) kShiftBack[kShift[j]] = uint8_t(j);
        std::vector<Op> v;
        // Without `back` the mask undoes itself.
        auto add = [&](const char *name, int32_t mw, int32_t mh, std::function<int(DibHandle, const SelRect *)> f,
                       std::function<int(DibHandle, const SelRect *)> back = nullptr) {
            v.push_back(Op{name, mw, mh, f, back ? back : f});
        };
        add("mirror-lr", 2, 1, [](DibHandle p, const SelRect *r) { return Dib_MirrorRect(p, r, 0); });
        add("mirror-tb", 1, 2, [](DibHandle p, const SelRect *r) { return Dib_MirrorRect(p, r, 1); });
        add("glass-across", 2, 1, [](DibHandle p, const SelRect *r) { return Mask_Glass(3, p, r, 1, 1); });
        add("glass-down", 1, 2, [](DibHandle p, const SelRect *r) { return Mask_Glass(5, p, r, 0, 1); });
        add("xor", 1, 1, [](DibHandle p, const SelRect *r) { return Dib_XorRect(p, r, 0xA5C35A96); });
        add("negative", 1, 1, [](DibHandle p, const SelRect *r) { return Mask_Negative(p, r, 1, 1, 1); });
        add("negative-green", 1, 1, [](DibHandle p, const SelRect *r) { return Mask_Negative(p, r, 0, 1, 0); });
        add("xor80", 1, 1, [](DibHandle p, const SelRect *r) { return Mask_Xor80(p, r, 1, 1, 1); });
        add("xor80-red-blue", 1, 1, [](DibHandle p, const SelRect *r) { return Mask_Xor80(p, r, 1, 0, 1); });
        add("rainbow-8", 8, 8, [](DibHandle p, const SelRect *r) { return Mask_Rainbow(p, r, 8); });
        add("rainbow-3", 3, 3, [](DibHandle p, const SelRect *r) { return Mask_Rainbow(p, r, 3); });
        add("win", 16, 1, [](DibHandle p, const SelRect *r) { return Mask_ColumnPermute16(p, r, kWinMaskTable); });
        add("rows", 1, 16, [](DibHandle p, const SelRect *r) { return Mask_RowPermute16(p, r, kShift); },
            [](DibHandle p, const SelRect *r) { return Mask_RowPermute16(p, r, kShiftBack); });
        add("columns", 16, 1, [](DibHandle p, const SelRect *r) { return Mask_ColumnPermute16(p, r, kShift); },
            [](DibHandle p, const SelRect *r) { return Mask_ColumnPermute16(p, r, kShiftBack); });
        return v;
    }();
    return ops;
}

constexpr int32_t kW = 37, kH = 35;

TEST(Mask, TwiceRestoresAndLeavesTheOutside) {
    const SelRect rects[] = {
        {0, 0, kW, kH},    // the whole picture
        {3, 2, 30, 34},    // sub-byte edges on both sides, 32 rows: two blocks of 16
        {17, 1, 36, 18},   // from the middle of a byte to one before the edge
        {2, 3, 6, 12},     // 1 and 4 bits: both ends in one byte
        {40, 30, -5, 33},  // corners out of order and past the picture
    };
    for (const Op &op : Ops())
        for (const Kind &k : kKinds)
            for (int32_t sign : {1, -1})
                for (const SelRect &asked : rects) {
                    SelRect r;
                    ASSERT_TRUE(Rect_ClipToImage(&asked, kW, kH, &r));
                    if (r.right - r.left < op.minWidth || r.bottom - r.top < op.minHeight) continue;
                    SCOPED_TRACE(std::string(op.name) + " " + k.name + (sign < 0 ? " top-down " : " bottom-up ") +
                                 std::to_string(r.left) + "," + std::to_string(r.top) + ".." +
                                 std::to_string(r.right) + "," + std::to_string(r.bottom));
                    fake::Scope scope;
                    const DibHandle p = MakeRandom(k, kW, sign * kH, uint32_t(r.left * 7 + r.top));
                    ASSERT_NE(p, 0);
                    const Shot before = Take(p);
                    const std::vector<uint32_t> colours = Colours(p);
                    ASSERT_EQ(op.apply(p, &asked), 1);
                    const std::vector<uint32_t> once = Colours(p);
                    bool changed = false;
                    for (int32_t y = 0; y < kH; ++y)
                        for (int32_t x = 0; x < kW; ++x) {
                            const size_t i = size_t(y * kW + x);
                            if (Inside(r, x, y)) changed |= once[i] != colours[i];
                            else ASSERT_EQ(once[i], colours[i]) << "outside changed at " << x << "," << y;
                        }
                    EXPECT_TRUE(changed);
                    ASSERT_EQ(op.undo(p, &asked), 1);
                    const Shot after = Take(p);
                    if (after.header.size() == before.header.size() && after.header[14] == before.header[14])
                        EXPECT_TRUE(after == before);  // same depth: exactly the same bytes
                    else
                        EXPECT_EQ(Colours(p), colours);  // a part of a palette picture went to 24 bits
                    EXPECT_EQ(scope.lib.Live(), 1u);
                    EXPECT_EQ(scope.lib.doubleFrees, 0);
                }
}

TEST(Mask, RowPermutationMovesWholeBlocksOfSixteen) {
    // 40 rows: rows 0..31 form two blocks, rows 32..39 stay.
    for (const Kind &k : {KindNamed("1bit"), KindNamed("8bit"), KindNamed("24bit")})
        for (int32_t sign : {1, -1}) {
            SCOPED_TRACE(std::string(k.name) + (sign < 0 ? " top-down" : " bottom-up"));
            fake::Scope scope;
            const DibHandle p = MakeRandom(k, 21, sign * 40, 5);
            const Shot before = Take(p);
            const SelRect r{1, 0, 19, 40};
            uint8_t inverse[16];
            for (int j = 0; j < 16; ++j) inverse[kWinMaskTable[j]] = uint8_t(j);
            ASSERT_EQ(Mask_RowPermute16(p, &r, kWinMaskTable), 1);
            const Shot after = Take(p);
            for (int32_t y = 0; y < 40; ++y)
                for (int32_t x = 0; x < 21; ++x) {
                    int32_t from = y;
                    if (y < 32 && Inside(r, x, y)) from = (y & ~15) + inverse[y & 15];
                    ASSERT_EQ(after.raw[size_t(y * 21 + x)], before.raw[size_t(from * 21 + x)]) << x << "," << y;
                }
        }
}

// The Win mask as it was first defined: turn the picture a quarter clockwise,
// permute the rows of the turned rectangle, turn back.
Shot TurnedReference(DibHandle original, const SelRect &r, const uint8_t table[16]) {
    const DibHandle q = Dibcore_CopyDIB(original);
    EXPECT_EQ(Dibcore_TurnDIB(q, 90), 1);
    const int32_t turnedWidth = WidthOf(q);
    const SelRect t{turnedWidth - r.bottom, r.left, turnedWidth - r.top, r.right};
    EXPECT_EQ(Mask_RowPermute16(q, &t, table), 1);
    EXPECT_EQ(Dibcore_TurnDIB(q, 270), 1);
    const Shot s = Take(q);
    Dibcore_DeleteDIB(q);
    return s;
}

TEST(Mask, WinInPlaceEqualsTurnPermuteTurnBack) {
    const SelRect rects[] = {{0, 0, 41, 23}, {3, 2, 40, 21}, {9, 5, 25, 6}};
    // The Win table is its own inverse; the rotation is not, so it shows a
    // permutation done the wrong way round.
    const uint8_t rotate[16] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2};
    for (const uint8_t *table : {kWinMaskTable, rotate})
        for (const Kind &k : kKinds)
            for (int32_t sign : {1, -1})
                for (const SelRect &r : rects) {
                    SCOPED_TRACE(std::string(k.name) + (sign < 0 ? " top-down " : " bottom-up ") +
                                 std::to_string(r.left) + (table == rotate ? " rotate" : " win"));
                    fake::Scope scope;
                    const DibHandle p = MakeRandom(k, 41, sign * 23, 9);
                    const Shot expected = TurnedReference(p, r, table);
                    ASSERT_EQ(Mask_ColumnPermute16(p, &r, table), 1);
                    EXPECT_TRUE(Take(p).raw == expected.raw);
                    EXPECT_EQ(scope.lib.Live(), 1u);
                }
}

TEST(Mask, Refusals) {
    fake::Scope scope;
    const DibHandle tall = MakeRandom(KindNamed("8bit"), 20, 20, 1), flat = MakeRandom(KindNamed("8bit"), 15, 15, 2);
    const Shot tallBefore = Take(tall), flatBefore = Take(flat);
    uint8_t outOfRange[16], twice[16];
    for (int j = 0; j < 16; ++j) outOfRange[j] = twice[j] = uint8_t(j);
    outOfRange[7] = 16;
    twice[7] = 6;
    const SelRect narrow{0, 0, 15, 20}, low{0, 0, 20, 15};
    EXPECT_EQ(Mask_RowPermute16(tall, nullptr, outOfRange), 0);
    EXPECT_EQ(Mask_RowPermute16(tall, nullptr, twice), 0);
    EXPECT_EQ(Mask_RowPermute16(tall, nullptr, nullptr), 0);
    EXPECT_EQ(Mask_ColumnPermute16(tall, nullptr, twice), 0);
    EXPECT_EQ(Mask_RowPermute16(tall, &low, kWinMaskTable), 0);
    EXPECT_EQ(Mask_ColumnPermute16(tall, &narrow, kWinMaskTable), 0);  // 15 wide
    EXPECT_EQ(Mask_RowPermute16(flat, nullptr, kWinMaskTable), 0);
    EXPECT_EQ(Mask_ColumnPermute16(flat, nullptr, kWinMaskTable), 0);
    EXPECT_TRUE(Take(tall) == tallBefore);
    EXPECT_TRUE(Take(flat) == flatBefore);
    // A rectangle that clips to nothing fails every mask.
    const SelRect empty{5, 5, 5, 9}, past{20, 0, 30, 20};
    for (const Op &op : Ops())
        for (const SelRect *r : {&empty, &past}) {
            EXPECT_EQ(op.apply(tall, r), 0) << op.name;
            EXPECT_TRUE(Take(tall) == tallBefore) << op.name;
        }
}

TEST(Mask, GlassStrips) {
    // 8 bits, every pixel its own column number: where each column ends up.
    struct Case {
        int32_t strip;
        int remainder;
        int result;
        std::vector<int32_t> from;  // source column of columns 0..39
    };
    std::vector<int32_t> keep(40), three(40), threeAndRest(40);
    for (int32_t x = 0; x < 40; ++x) keep[size_t(x)] = three[size_t(x)] = threeAndRest[size_t(x)] = x;
    // Rectangle 2..37 (35 wide): strips 2..11, 12..21, 22..31; remainder 32..36.
    for (int32_t s = 2; s < 32; s += 10)
        for (int32_t i = 0; i < 10; ++i) three[size_t(s + i)] = threeAndRest[size_t(s + i)] = s + 9 - i;
    for (int32_t i = 0; i < 5; ++i) threeAndRest[size_t(32 + i)] = 36 - i;
    const Case cases[] = {
        {10, 0, 1, three}, {10, 1, 1, threeAndRest}, {1, 1, 0, keep}, {0, 1, 0, keep}, {-4, 1, 0, keep},
        {36, 0, 1, keep},  // no whole strip fits and there is no remainder
    };
    for (const Case &c : cases)
        for (int sideBySide : {1, 0})
            for (int32_t sign : {1, -1}) {
                SCOPED_TRACE("strip " + std::to_string(c.strip) + " remainder " + std::to_string(c.remainder) +
                             (sideBySide ? " across" : " down") + (sign < 0 ? " top-down" : " bottom-up"));
                fake::Scope scope;
                // Down is the same picture turned: rows numbered instead.
                const int32_t w = sideBySide ? 40 : 3, h = sideBySide ? 3 : 40;
                const DibHandle p = Dib_Create(w, sign * h, 8, 256, 0, nullptr);
                DibData *d = Dibcore_DataDIB(p);
                for (int32_t y = 0; y < h; ++y)
                    for (int32_t x = 0; x < w; ++x)
                        Dib_RowFromTop(d->bits, Dib_RowStride(8, w), sign * h, y)[x] = uint8_t(sideBySide ? x : y);
                const SelRect r = sideBySide ? SelRect{2, 0, 37, 3} : SelRect{0, 2, 3, 37};
                ASSERT_EQ(Mask_Glass(c.strip, p, &r, sideBySide, c.remainder), c.result);
                for (int32_t i = 0; i < 40; ++i) {
                    const uint32_t v = sideBySide ? Dib_GetPixelValue(p, i, 1) : Dib_GetPixelValue(p, 1, i);
                    ASSERT_EQ(v, uint32_t(c.from[size_t(i)])) << "at " << i;
                }
            }
}

TEST(Mask, ChannelMaskValues) {
    // Every pixel in the rectangle is XORed with `xor`; the rest stays.
    struct Case {
        const char *name;
        int depth;
        const uint32_t *masks;
        bool xor80;
        int red, green, blue;
        uint32_t xorValue;
    } cases[] = {
        {"negative blue 565", 16, kMask565, false, 0, 0, 1, 0x001F},
        {"negative green 565", 16, kMask565, false, 0, 1, 0, 0x07E0},
        {"negative all 555", 16, nullptr, false, 1, 1, 1, 0x7FFF},
        {"negative red 24", 24, nullptr, false, 1, 0, 0, 0xFF0000},
        {"negative all 24", 24, nullptr, false, 1, 1, 1, 0xFFFFFF},
        {"negative blue 32", 32, nullptr, false, 0, 0, 1, 0x0000FF},
        {"negative green 101010", 32, kMask101010, false, 0, 1, 0, 0x000FFC00},
        {"xor80 all 555", 16, nullptr, true, 1, 1, 1, 0x4210},
        {"xor80 all 555 fields", 16, kMask555, true, 1, 1, 1, 0x4210},
        {"xor80 all 565", 16, kMask565, true, 1, 1, 1, 0x8410},
        {"xor80 blue of no field", 16, kMask55NoBlue, true, 0, 1, 1, 0x0200},
        {"xor80 all 24", 24, nullptr, true, 1, 1, 1, 0x808080},
        {"xor80 green 32", 32, nullptr, true, 0, 1, 0, 0x008000},
        {"xor80 all 888 fields", 32, kMask888, true, 1, 1, 1, 0x808080},
        {"xor80 red 101010", 32, kMask101010, true, 1, 0, 0, 0x20000000},
    };
    // Odd width so that 16 and 24 bits end off an 8-byte word.
    const SelRect rects[] = {{0, 0, 29, 4}, {5, 1, 28, 3}};
    for (const Case &c : cases)
        for (int32_t sign : {1, -1})
            for (const SelRect &r : rects) {
                SCOPED_TRACE(std::string(c.name) + (sign < 0 ? " top-down " : " bottom-up ") + std::to_string(r.left));
                fake::Scope scope;
                const Kind k{c.name, c.depth, 0, c.masks};
                const DibHandle p = MakeRandom(k, 29, sign * 4, 3);
                const Shot before = Take(p);
                ASSERT_EQ(c.xor80 ? Mask_Xor80(p, &r, c.red, c.green, c.blue)
                                  : Mask_Negative(p, &r, c.red, c.green, c.blue),
                          1);
                const Shot after = Take(p);
                for (int32_t y = 0; y < 4; ++y)
                    for (int32_t x = 0; x < 29; ++x) {
                        const size_t i = size_t(y * 29 + x);
                        ASSERT_EQ(after.raw[i], before.raw[i] ^ (Inside(r, x, y) ? c.xorValue : 0u)) << x << "," << y;
                    }
            }
}

TEST(Mask, PaletteWholePictureChangesOnlyTheTable) {
    for (const Kind &k : {KindNamed("1bit"), KindNamed("4bit-short"), KindNamed("8bit")}) {
        SCOPED_TRACE(k.name);
        fake::Scope scope;
        const DibHandle p = MakeRandom(k, 9, 5, 4);
        const Shot before = Take(p);
        ASSERT_EQ(Mask_Negative(p, nullptr, 1, 0, 1), 1);
        const Shot after = Take(p);
        EXPECT_EQ(after.raw, before.raw);
        for (size_t i = 40; i < before.header.size(); ++i) {
            const uint8_t flip = (i - 40) % 4 == 0 || (i - 40) % 4 == 2 ? 0xFF : 0x00;  // blue and red bytes
            ASSERT_EQ(after.header[i], uint8_t(before.header[i] ^ flip)) << i;
        }
    }
    // A part of a palette picture: 24 bits, since the table is shared.
    fake::Scope scope;
    const DibHandle p = MakeRandom(KindNamed("4bit"), 9, 5, 4);
    const SelRect part{1, 1, 3, 3};
    const uint32_t colour = Dib_GetPixelColour(2, p, 2);
    ASSERT_EQ(Mask_Xor80(p, &part, 1, 1, 0), 1);
    EXPECT_EQ(Dibcore_DataDIB(p)->header->biBitCount, 24);
    EXPECT_EQ(Dib_GetPixelColour(2, p, 2), colour ^ 0x008080u);
}

TEST(Mask, RainbowCells) {
    struct Case {
        int64_t r, k;
        int32_t band;
        uint8_t b, g, red;
        // phase p = (r + k) x band / (band < 9 ? 1 : band / 8); q = p mod 48, q' = (p + 16) mod 48
    } cases[] = {
        {0, 0, 8, 0, 0, 255},    // p 0
        {0, 1, 8, 0, 255, 255},  // p 8
        {1, 0, 8, 0, 255, 255},  // p 8
        {1, 1, 8, 0, 255, 0},    // p 16
        {2, 1, 8, 255, 255, 0},  // p 24
        {3, 2, 8, 255, 0, 255},  // p 40
        {3, 3, 8, 0, 0, 255},    // p 48 wraps to 0
        {0, 1, 1, 0, 32, 255},   // p 1: green 32 x (16 - 15)
        {7, 5, 1, 0, 255, 128},  // p 12: red 32 x (16 - 12)
        {0, 3, 16, 255, 255, 0}, // band 16 halves the phase: p 24
        {1, 2, 3, 0, 255, 224},  // p 9: red 32 x (16 - 9)
    };
    for (const Case &c : cases) {
        uint8_t bgr[3];
        Mask_RainbowCell(c.r, c.k, c.band, bgr);
        EXPECT_EQ(bgr[0], c.b) << c.r << "," << c.k << " band " << c.band;
        EXPECT_EQ(bgr[1], c.g) << c.r << "," << c.k << " band " << c.band;
        EXPECT_EQ(bgr[2], c.red) << c.r << "," << c.k << " band " << c.band;
    }
    // On a black picture, offset rectangle: cells start at its corner and the
    // partial cells at the right and bottom stay black.
    fake::Scope scope;
    const DibHandle p = Dib_Create(24, -20, 24, 0, 0, nullptr);
    const SelRect r{3, 2, 23, 20};  // 20 x 18: 2 x 2 cells of 8
    ASSERT_EQ(Mask_Rainbow(p, &r, 8), 1);
    EXPECT_EQ(Dib_GetPixelColour(3, p, 2), 0x0000FFu);
    EXPECT_EQ(Dib_GetPixelColour(10, p, 9), 0x0000FFu);
    EXPECT_EQ(Dib_GetPixelColour(11, p, 2), 0x00FFFFu);
    EXPECT_EQ(Dib_GetPixelColour(3, p, 10), 0x00FFFFu);
    EXPECT_EQ(Dib_GetPixelColour(18, p, 17), 0x00FF00u);
    EXPECT_EQ(Dib_GetPixelColour(19, p, 5), 0u);  // partial cell column
    EXPECT_EQ(Dib_GetPixelColour(5, p, 18), 0u);  // partial cell row
    EXPECT_EQ(Dib_GetPixelColour(2, p, 5), 0u);   // outside
    EXPECT_EQ(Mask_Rainbow(p, &r, 0), 0);
    EXPECT_EQ(Mask_Rainbow(p, &r, 64), 1);  // no whole cell: nothing to do
}

// Each library call an operation makes fails in turn: every failure leaves
// the colours as they were and leaks nothing; in the end the operation runs.
TEST(Mask, InjectedFailuresLeaveThePicture) {
    const SelRect part{3, 2, 30, 34};
    for (const Op &op : Ops())
        for (const Kind &k : {KindNamed("1bit"), KindNamed("8bit"), KindNamed("16bit-565"), KindNamed("24bit")})
            for (const SelRect *r : {static_cast<const SelRect *>(nullptr), &part})
                for (fake::Entry e : {fake::kRle, fake::kTo24, fake::kData}) {
                    SCOPED_TRACE(std::string(op.name) + " " + k.name + (r ? " part " : " whole ") +
                                 std::to_string(int(e)));
                    bool done = false;
                    for (int n = 1; n < 20 && !done; ++n) {
                        fake::Scope scope;
                        const DibHandle p = MakeRandom(k, kW, kH, 8);
                        const Shot before = Take(p);
                        const std::vector<uint32_t> colours = Colours(p);
                        scope.lib.failAt[e] = scope.lib.calls[e] + n;
                        const int result = op.apply(p, r);
                        const bool failed = scope.lib.calls[e] >= scope.lib.failAt[e];
                        if (failed) {
                            EXPECT_EQ(result, 0) << "call " << n;
                            EXPECT_EQ(Colours(p), colours) << "call " << n;
                            if (Dibcore_DataDIB(p)->header->biBitCount == k.depth) {
                                EXPECT_TRUE(Take(p) == before);
                            }
                        } else {
                            EXPECT_EQ(result, 1);
                            done = true;
                        }
                        EXPECT_EQ(scope.lib.Live(), 1u);
                    }
                    EXPECT_TRUE(done);
                }
}

}  // namespace
