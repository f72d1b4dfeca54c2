// Pixel values at every depth, both row orders: colour to value and back,
// rectangle fills (sub-byte edges included), reading one pixel with its
// refusals, and the conversion to 24 bits. Pictures live in the fake library,
// whose in-place conversions move the storage, so a stale pointer shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "common/fake_dibcore.h"
#include "image/qv_ChannelMasks.h"
#include "image/qv_DibOps.h"
#include "image/qv_PixelValue.h"
#include "raw_pixel.h"

namespace {

constexpr uint32_t kMask555[3] = {0x7C00, 0x03E0, 0x001F};
constexpr uint32_t kMask565[3] = {0xF800, 0x07E0, 0x001F};
constexpr uint32_t kMask101010[3] = {0x3FF00000, 0x000FFC00, 0x000003FF};
constexpr uint32_t kMask888[3] = {0xFF0000, 0x00FF00, 0x0000FF};

struct Kind {
    const char *name;
    int depth;
    uint32_t colours;       // palette entries (1/4/8 bits)
    const uint32_t *masks;  // stored bit fields, or null
    uint32_t colour;        // a colour to write ...
    uint32_t value;         // ... its pixel value ...
    uint32_t readBack;      // ... and the colour read back
};

// Palettes are greys i * 255 / (n - 1), so the colours below match exactly.
const Kind kKinds[] = {
    {"1bit", 1, 2, nullptr, 0xF0F0F0, 1, 0xFFFFFF},
    {"4bit", 4, 16, nullptr, 0x333333, 3, 0x333333},
    {"8bit", 8, 256, nullptr, 0x808080, 128, 0x808080},
    {"16bit-555", 16, 0, nullptr, 0xC08040, 0x2217, 0xBD8442},
    {"16bit-555-fields", 16, 0, kMask555, 0xC08040, 0x2217, 0xBD8442},
    {"16bit-565", 16, 0, kMask565, 0xC08040, 0x4417, 0xBD8242},
    {"24bit", 24, 0, nullptr, 0xC08040, 0x4080C0, 0xC08040},
    {"32bit", 32, 0, nullptr, 0xC08040, 0x4080C0, 0xC08040},
    {"32bit-888-fields", 32, 0, kMask888, 0xC08040, 0x4080C0, 0xC08040},
    {"32bit-101010", 32, 0, kMask101010, 0xC08040, 0x10180B03, 0xC08040},
};

DibHandle MakePicture(const Kind &k, int32_t w, int32_t h) {
    if (k.depth <= 8) {
        std::vector<DibRgbQuad> pal(k.colours);
        for (uint32_t i = 0; i < k.colours; ++i) {
            const uint8_t g = uint8_t(i * 255 / (k.colours - 1));
            pal[i] = DibRgbQuad{g, g, g, 0};
        }
        return Dib_Create(w, h, k.depth, k.colours, 0, pal.data());
    }
    return Dib_Create(w, h, k.depth, 0, 0, k.masks);
}

uint32_t RawAt(const DibData *d, int32_t x, int32_t y) { return RawPixelOf(*d->header, d->bits, x, y); }

void FillRandom(DibData *d, uint32_t seed) {
    std::mt19937 rng(seed);
    for (uint32_t i = 0; i < d->bitsSize; ++i) d->bits[i] = uint8_t(rng());
}

TEST(PixelValue, ColourToValueAndBackAtEveryDepth) {
    for (const Kind &k : kKinds)
        for (int32_t height : {3, -3}) {
            SCOPED_TRACE(std::string(k.name) + (height < 0 ? " top-down" : " bottom-up"));
            fake::Scope scope;
            const DibHandle p = MakePicture(k, 13, height);
            ASSERT_NE(p, 0);
            const DibData *d = Dibcore_DataDIB(p);
            EXPECT_EQ(Dib_ColourToPixel(d->header, d->headerSize, k.colour), k.value);
            ASSERT_EQ(Dib_FillColour(p, nullptr, k.colour), 1);
            d = Dibcore_DataDIB(p);
            for (int32_t y = 0; y < 3; ++y)
                for (int32_t x = 0; x < 13; ++x) {
                    ASSERT_EQ(RawAt(d, x, y), k.value) << x << "," << y;
                    ASSERT_EQ(Dib_GetPixelValue(p, x, y), k.value);
                    ASSERT_EQ(Dib_GetPixelColour(x, p, y), k.readBack);
                }
            EXPECT_EQ(scope.lib.doubleFrees, 0);
        }
}

TEST(PixelValue, ReadsTheImageRowFromTheTop) {
    for (int32_t height : {2, -2}) {
        fake::Scope scope;
        const DibHandle p = Dib_Create(8, height, 8, 256, 1, nullptr);
        DibData *d = Dibcore_DataDIB(p);
        const uint32_t stride = Dib_RowStride(8, 8);
        d->bits[5] = 11;           // first memory row
        d->bits[stride + 5] = 22;  // last memory row
        // Bottom-up: image row 0 is the last memory row.
        EXPECT_EQ(Dib_GetPixelValue(p, 5, 0), height > 0 ? 22u : 11u);
        EXPECT_EQ(Dib_GetPixelValue(p, 5, 1), height > 0 ? 11u : 22u);
    }
}

TEST(PixelValue, FillChangesOnlyTheClippedRectangle) {
    const SelRect rects[] = {
        {3, 0, 12, 3},   // 1 bit: the last five of byte 0, the first four of byte 1
        {2, 1, 6, 2},    // 1 bit: both ends in one byte
        {1, 0, 2, 3},    // one odd pixel (a low nibble at 4 bits)
        {2, 2, 3, 3},    // one even pixel
        {5, 0, 13, 1},   // up to the right edge
        {13, -2, -4, 9}, // corners out of order and past the picture
    };
    for (const Kind &k : kKinds)
        for (int32_t height : {3, -3})
            for (const SelRect &r : rects) {
                SCOPED_TRACE(std::string(k.name) + (height < 0 ? " top-down " : " bottom-up ") +
                             std::to_string(r.left) + ".." + std::to_string(r.right));
                fake::Scope scope;
                const DibHandle p = MakePicture(k, 13, height);
                DibData *d = Dibcore_DataDIB(p);
                FillRandom(d, uint32_t(r.left * 31 + r.top));
                std::vector<uint32_t> before;
                for (int32_t y = 0; y < 3; ++y)
                    for (int32_t x = 0; x < 13; ++x) before.push_back(RawAt(d, x, y));
                ASSERT_EQ(Dib_FillRect(p, &r, k.value), 1);
                d = Dibcore_DataDIB(p);  // the decompression moved it
                SelRect c;
                ASSERT_TRUE(Rect_ClipToImage(&r, 13, 3, &c));
                for (int32_t y = 0; y < 3; ++y)
                    for (int32_t x = 0; x < 13; ++x) {
                        const bool inside = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
                        ASSERT_EQ(RawAt(d, x, y), inside ? k.value : before[size_t(y * 13 + x)]) << x << "," << y;
                    }
            }
}

TEST(PixelValue, FillLimitsPaletteValues) {
    struct Case {
        int depth;
        uint32_t colours, value, stored;
    } cases[] = {
        {8, 16, 300, 15},  // limited to the colour count
        {8, 256, 300, 44}, // cut to 8 bits first
        {4, 16, 0x13, 3},  // cut to 4 bits first
        {4, 6, 0x0E, 5},
        {1, 2, 5, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.depth) + " bits, value " + std::to_string(c.value));
        fake::Scope scope;
        const DibHandle p = Dib_Create(9, 2, c.depth, c.colours, 0, nullptr);
        ASSERT_EQ(Dib_FillRect(p, nullptr, c.value), 1);
        EXPECT_EQ(Dib_GetPixelValue(p, 8, 1), c.stored);
    }
}

TEST(PixelValue, IndexPastTheTableReadsEntryZero) {
    fake::Scope scope;
    const DibRgbQuad pal[6] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {10, 11, 12, 0}};
    const DibHandle p = Dib_Create(4, -1, 4, 6, 0, pal);
    DibData *d = Dibcore_DataDIB(p);
    d->bits[0] = 0x59;  // indexes 5 and 9
    EXPECT_EQ(Dib_GetPixelColour(0, p, 0), 0x0A0B0Cu);
    EXPECT_EQ(Dib_GetPixelColour(1, p, 0), 0x010203u);
    EXPECT_EQ(Dib_GetPixelValue(p, 1, 0), 9u);
}

TEST(PixelValue, RefusalsLeaveThePictureAlone) {
    fake::Scope scope;
    const DibHandle p = Dib_Create(4, 3, 8, 4, 0, nullptr);
    DibData *d = Dibcore_DataDIB(p);
    std::memset(d->bits, 2, d->bitsSize);
    d->header->biClrUsed = 4;
    const struct {
        int32_t x, y;
    } outside[] = {{-1, 0}, {0, -1}, {4, 0}, {0, 3}, {INT32_MAX, 0}, {0, INT32_MIN}};
    for (auto o : outside) {
        EXPECT_EQ(Dib_GetPixelValue(p, o.x, o.y), 0u) << o.x << "," << o.y;
        EXPECT_EQ(Dib_GetPixelColour(o.x, p, o.y), 0u);
    }
    const SelRect empty{2, 1, 2, 3}, past{4, 0, 9, 3};
    EXPECT_EQ(Dib_FillRect(p, &empty, 1), 0);
    EXPECT_EQ(Dib_FillRect(p, &past, 1), 0);
    EXPECT_EQ(Dib_GetPixelValue(p, 3, 2), 2u);
    // A palette with no entries: the value reads, the colour does not, and
    // nothing can be filled. (Straight on the data: the fake's decompression
    // would restore the sizes.)
    d = Dibcore_DataDIB(p);
    d->headerSize = 40;
    EXPECT_EQ(Dib_GetPixelValue(p, 1, 1), 2u);
    EXPECT_EQ(Dib_GetPixelColour(1, p, 1), 0u);
    EXPECT_FALSE(PixelValue_Fill(d, nullptr, 1));
    // Bits shorter than the header claims.
    d->headerSize = 40 + 16;
    d->bitsSize = 8;
    EXPECT_EQ(Dib_GetPixelValue(p, 0, 0), 0u);
    EXPECT_FALSE(PixelValue_Fill(d, nullptr, 1));
    // Compressed pixels are not read.
    d = Dibcore_DataDIB(p);
    d->bitsSize = Dib_RowStride(8, 4) * 3;
    d->header->biCompression = kDibRle8;
    EXPECT_EQ(Dib_GetPixelValue(p, 0, 0), 0u);
    EXPECT_EQ(Dib_GetPixelColour(0, p, 0), 0u);
    // An unbound decompression fails the fill.
    d->header->biCompression = kDibRgb;
    g_dibcore.RLEtoDIB = nullptr;
    EXPECT_EQ(Dib_FillRect(p, nullptr, 1), 0);
    EXPECT_EQ(Dib_GetPixelValue(p, 0, 0), 2u);
}

TEST(PixelValue, CoreHeaderTablesAreRefused) {
    // A 12-byte header with a 3-byte-entry table and 4 x 1 pixels.
    struct {
        DibCoreHeader h;
        uint8_t table[2 * 3];
    } packed{};
    packed.h.bcSize = 12;
    packed.h.bcWidth = 4;
    packed.h.bcHeight = 1;
    packed.h.bcPlanes = 1;
    packed.h.bcBitCount = 1;
    std::memset(packed.table + 3, 0xFF, 3);
    uint8_t bits[4] = {0xF0, 0, 0, 0};
    DibData d{sizeof packed, sizeof bits, reinterpret_cast<DibInfoHeader *>(&packed), bits};
    uint32_t out = 1;
    EXPECT_EQ(Pal_NearestIndex(&packed, sizeof packed, 0xFFFFFF), 0u);
    EXPECT_EQ(Dib_ColourToPixel(&packed, sizeof packed, 0xFFFFFF), 0u);
    EXPECT_TRUE(PixelValue_Read(&d, 0, 0, &out));
    EXPECT_EQ(out, 1u);
    EXPECT_FALSE(PixelValue_ReadColour(&d, 0, 0, &out));
    EXPECT_FALSE(PixelValue_Fill(&d, nullptr, 0));
    EXPECT_EQ(bits[0], 0xF0);
    // Header sizes below 40 other than 12 give 0 too.
    DibInfoHeader odd{};
    odd.biSize = 20;
    odd.biBitCount = 24;
    EXPECT_EQ(Dib_ColourToPixel(&odd, 0, 0xFFFFFF), 0u);
}

TEST(PixelValue, NearestPaletteEntry) {
    DibRgbQuad pal[8] = {};
    for (int i = 0; i < 8; ++i) pal[i] = DibRgbQuad{uint8_t(i * 30), uint8_t(i * 30), uint8_t(i * 30), 0};
    pal[3] = pal[5] = DibRgbQuad{0, 0, 255, 0};  // pure red twice
    pal[6] = DibRgbQuad{0, 10, 100, 0};
    pal[7] = DibRgbQuad{10, 0, 100, 0};  // as far from 0x000064 as entry 6
    struct Case {
        uint32_t colour, index;
    } cases[] = {{0x0000FF, 3}, {0x0000F0, 3}, {0x000064, 6}, {0x000000, 0}, {0xD2D2D2, 4}};
    fake::Scope scope;
    const DibHandle p = Dib_Create(1, 1, 8, 8, 0, pal);
    const DibData *d = Dibcore_DataDIB(p);
    for (const Case &c : cases) EXPECT_EQ(Pal_NearestIndex(d->header, d->headerSize, c.colour), c.index) << c.colour;
    // A table cut short by the library's own size is never read past.
    EXPECT_EQ(Pal_NearestIndex(d->header, 40 + 4 * 3, 0x0000FF), 0u);
}

TEST(PixelValue, ChannelWideningAndNarrowing) {
    const struct {
        int width;
        std::vector<uint8_t> begins;
    } widen[] = {
        {1, {0, 255}},
        {2, {0, 85, 170, 255}},
        {3, {0, 36, 73, 109, 146, 182, 219, 255}},
        {5, {0, 8, 16, 25, 33}},
        {6, {0, 4, 8, 12, 16, 20}},
        {7, {0, 2, 4}},
    };
    for (const auto &w : widen)
        for (size_t v = 0; v < w.begins.size(); ++v) EXPECT_EQ(Dib_ScaleTo8Bit(uint32_t(v), w.width), w.begins[v]);
    EXPECT_EQ(Dib_ScaleTo8Bit(64, 7), 129);
    EXPECT_EQ(Dib_ScaleTo8Bit(63, 6), 255);
    EXPECT_EQ(Dib_ScaleTo8Bit(32, 6), 130);
    EXPECT_EQ(Dib_ScaleTo8Bit(16, 5), 132);
    EXPECT_EQ(Dib_ScaleTo8Bit(0xAB, 8), 0xAB);
    EXPECT_EQ(Dib_ScaleTo8Bit(0x2AF, 10), 0xAB);
    const struct {
        uint32_t channel;
        int width;
        uint32_t field;
    } narrow[] = {{255, 1, 1}, {127, 1, 0}, {128, 1, 1}, {128, 5, 16}, {255, 6, 63}, {0xAB, 8, 0xAB},
                  {0xAB, 10, 0x2AE}, {0xFF, 16, 0xFFFF}, {0x81, 12, 0x818}, {0xFF, 32, 0xFFFFFFFF}};
    for (const auto &n : narrow) EXPECT_EQ(Channel_Narrow(n.channel, n.width), n.field) << n.channel << "/" << n.width;
    // Narrow fields: every field value survives widening and narrowing again;
    // wide fields: every channel survives narrowing and widening.
    for (int w = 1; w <= 7; ++w)
        for (uint32_t f = 0; f < (1u << w); ++f) EXPECT_EQ(Channel_Narrow(Dib_ScaleTo8Bit(f, w), w), f) << w;
    for (int w = 8; w <= 32; ++w)
        for (uint32_t c = 0; c < 256; ++c) EXPECT_EQ(Dib_ScaleTo8Bit(Channel_Narrow(c, w), w), c) << w;
}

TEST(PixelValue, MaskedFieldsAreNormalisedOnce) {
    // Overlapping masks lose the shared bits; 16-bit masks lose their high half.
    const struct {
        int depth;
        uint32_t in[3], out[3];
        int shifts[3], widths[3];
    } cases[] = {
        {16, {0xF800, 0x07E0, 0x001F}, {0xF800, 0x07E0, 0x001F}, {11, 5, 0}, {5, 6, 5}},
        {16, {0x1F0000, 0x03E0, 0x001F}, {0, 0x03E0, 0x001F}, {0, 5, 0}, {0, 5, 5}},
        {32, {0xFF00, 0x0FF0, 0x00FF}, {0xFF00, 0x00F0, 0x000F}, {8, 4, 0}, {8, 4, 4}},
        {32, {0x0F0F, 0, 0}, {0x000F, 0, 0}, {0, 0, 0}, {4, 0, 0}},
    };
    for (const auto &c : cases) {
        ChannelMasks m;
        ChannelMasks_Set(c.depth, c.in, &m);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(m.mask[i], c.out[i]) << i;
            EXPECT_EQ(int(m.shift[i]), c.shifts[i]) << i;
            EXPECT_EQ(int(m.width[i]), c.widths[i]) << i;
        }
    }
}

// What pixel (x, y) must become in 24 bits, worked out from the header.
uint32_t ExpectedColour(const DibData *d, const Kind &k, int32_t x, int32_t y) {
    const uint32_t v = RawAt(d, x, y);
    if (k.depth <= 8) {
        if (v >= k.colours) return 0;  // past a short table: black
        const uint8_t g = uint8_t(v * 255 / (k.colours - 1));
        return uint32_t(g) * 0x010101u;
    }
    if (k.depth == 24 || (k.depth == 32 && (k.masks == nullptr || k.masks == kMask888)))
        return ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16);
    const uint32_t *m = k.masks ? k.masks : kMask555;
    uint32_t c = 0;
    for (int i = 0; i < 3; ++i) {
        int shift = 0, width = 0;
        while (!((m[i] >> shift) & 1)) ++shift;
        while ((m[i] >> (shift + width)) & 1) ++width;
        const uint32_t f = (v & m[i]) >> shift, top = (1u << width) - 1;
        const uint32_t c8 = width < 8 ? (f * 255 + top / 2) / top : f >> (width - 8);
        c |= c8 << (8 * i);
    }
    return c;
}

TEST(PixelValue, To24BitFromEveryDepth) {
    Kind kinds[std::size(kKinds) + 1];
    std::copy(std::begin(kKinds), std::end(kKinds), kinds);
    kinds[std::size(kKinds)] = {"4bit-short", 4, 6, nullptr, 0, 0, 0};
    for (const Kind &k : kinds)
        for (int32_t height : {4, -4}) {
            if (k.depth == 24) continue;
            SCOPED_TRACE(std::string(k.name) + (height < 0 ? " top-down" : " bottom-up"));
            fake::Scope scope;
            const DibHandle p = MakePicture(k, 11, height);
            DibData *d = Dibcore_DataDIB(p);
            FillRandom(d, 5);
            d->header->biXPelsPerMeter = 3780;
            d->header->biYPelsPerMeter = 2000;
            const DibHandle q = Dib_To24Bit(0, p);
            ASSERT_NE(q, 0);
            d = Dibcore_DataDIB(p);
            const DibData *t = Dibcore_DataDIB(q);
            EXPECT_EQ(t->header->biBitCount, 24);
            EXPECT_EQ(t->header->biHeight, 4);  // always bottom-up
            EXPECT_EQ(t->header->biXPelsPerMeter, 3780);
            EXPECT_EQ(t->header->biYPelsPerMeter, 2000);
            for (int32_t y = 0; y < 4; ++y)
                for (int32_t x = 0; x < 11; ++x) {
                    const uint32_t raw = RawAt(t, x, y);  // B, G, R bytes as 0xRRGGBB
                    const uint32_t got = ((raw >> 16) & 0xFF) | (raw & 0xFF00) | ((raw & 0xFF) << 16);
                    ASSERT_EQ(got, ExpectedColour(d, k, x, y)) << x << "," << y;
                }
            Dibcore_DeleteDIB(q);
            EXPECT_EQ(scope.lib.Live(), 1u);
        }
}

TEST(PixelValue, To24BitCopiesOnlyWhenAskedAndFailsCleanly) {
    fake::Scope scope;
    const DibHandle p = Dib_Create(5, 2, 24, 0, 0, nullptr);
    FillRandom(Dibcore_DataDIB(p), 9);
    EXPECT_EQ(Dib_To24Bit(0, p), 0);
    const DibHandle q = Dib_To24Bit(1, p);
    ASSERT_NE(q, 0);
    ASSERT_NE(q, p);
    const DibData *a = Dibcore_DataDIB(p), *b = Dibcore_DataDIB(q);
    ASSERT_EQ(a->bitsSize, b->bitsSize);
    EXPECT_EQ(0, std::memcmp(a->bits, b->bits, a->bitsSize));
    Dibcore_DeleteDIB(q);
    // Every failing library call gives 0 and leaks nothing.
    const DibHandle pal = Dib_Create(5, 2, 8, 256, 1, nullptr);
    for (fake::Entry e : {fake::kRle, fake::kCreate, fake::kData})
        for (int n = 1; n <= 4; ++n) {
            std::fill(std::begin(scope.lib.calls), std::end(scope.lib.calls), 0);
            std::fill(std::begin(scope.lib.failAt), std::end(scope.lib.failAt), 0);
            scope.lib.failAt[e] = n;
            const DibHandle r = Dib_To24Bit(0, pal);
            if (r) Dibcore_DeleteDIB(r);
            EXPECT_EQ(scope.lib.Live(), 2u) << e << " " << n;
        }
    std::fill(std::begin(scope.lib.failAt), std::end(scope.lib.failAt), 0);
    scope.lib.failAt[fake::kRle] = scope.lib.calls[fake::kRle] + 1;
    EXPECT_EQ(Dib_To24Bit(0, pal), 0);
    EXPECT_EQ(scope.lib.doubleFrees, 0);
}

}  // namespace
