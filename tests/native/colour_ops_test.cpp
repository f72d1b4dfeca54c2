// Greyscale, the grey-palette test, the colour count and the channel swap at
// every depth and both row orders, on the whole picture and on a part (the
// rest unchanged), with library failures injected.
#include <gtest/gtest.h>

#include <vector>

#include "colour_fixture.h"
#include "image/qv_Canvas.h"
#include "image/qv_ChannelSwap.h"
#include "image/qv_DibHolder.h"
#include "image/qv_Grey.h"
#include "image/qv_PalOptimize.h"

using namespace colourfix;

namespace {

uint32_t GreyColour(uint32_t c) {
    const uint32_t y = Grey_Of(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return y | y << 8 | y << 16;
}

bool Inside(const SelRect &r, int32_t x, int32_t y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

TEST(Grey, WholePictureAtEveryDepth) {
    for (const Kind &k : kKinds)
        for (int32_t height : {5, -5}) {
            SCOPED_TRACE(Name(k, height));
            fake::Scope scope;
            const DibHandle p = MakeRandom(k, 11, height, 7);
            ASSERT_NE(p, 0);
            const std::vector<uint32_t> before = Colours(p);
            DibHandle fresh = 123;
            ASSERT_EQ(Grey_Apply(p, &fresh, nullptr), 1);
            if (k.depth <= 8) {
                // The table turns grey; depth and pixels stay.
                EXPECT_EQ(fresh, 0);
                EXPECT_EQ(Depth(p), k.depth);
                EXPECT_EQ(Pal_IsGrey(p), 1);
            } else {
                ASSERT_NE(fresh, 0);
                EXPECT_EQ(Depth(fresh), 8);
                EXPECT_GT(SignedHeight(fresh), 0);  // always bottom-up
                EXPECT_EQ(Colours(p), before);      // the source is left alone
            }
            const DibHandle result = fresh ? fresh : p;
            std::vector<uint32_t> expected;
            for (uint32_t c : before) expected.push_back(GreyColour(c));
            EXPECT_EQ(Colours(result), expected);
            if (fresh) Dibcore_DeleteDIB(fresh);
        }
}

TEST(Grey, PartBecomesTrueColourAndOnlyThePartChanges) {
    const SelRect rect{9, 4, 2, 1};  // corners in any order
    const SelRect r{2, 1, 9, 4};
    for (const Kind &k : kKinds)
        for (int32_t height : {6, -6}) {
            SCOPED_TRACE(Name(k, height));
            fake::Scope scope;
            const DibHandle p = MakeRandom(k, 11, height, 3);
            ASSERT_NE(p, 0);
            const std::vector<uint32_t> before = Colours(p);
            DibHandle fresh = 0;
            ASSERT_EQ(Grey_Apply(p, &fresh, &rect), 1);
            EXPECT_EQ(fresh, 0);
            EXPECT_EQ(Depth(p), 24);
            const std::vector<uint32_t> after = Colours(p);
            for (int32_t y = 0; y < 6; ++y)
                for (int32_t x = 0; x < 11; ++x) {
                    const uint32_t was = before[size_t(y * 11 + x)];
                    EXPECT_EQ(after[size_t(y * 11 + x)], Inside(r, x, y) ? GreyColour(was) : was) << x << "," << y;
                }
        }
}

TEST(Grey, GreyPaletteNeedsNothingAndEmptyRectFails) {
    fake::Scope scope;
    std::vector<DibRgbQuad> pal(256);
    for (int i = 0; i < 256; ++i) pal[i] = DibRgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    const DibHandle grey = Dib_Create(4, 4, 8, 256, 0, pal.data());
    const std::vector<uint8_t> bytes = Bytes(grey);
    DibHandle fresh = 0;
    // Even for a part: a grey palette picture does not become 24 bits.
    const SelRect part{0, 0, 2, 2};
    EXPECT_EQ(Grey_Apply(grey, &fresh, &part), 1);
    EXPECT_EQ(fresh, 0);
    EXPECT_EQ(Bytes(grey), bytes);

    const DibHandle colour = MakeRandom(kKinds[6], 4, 4, 1);
    const SelRect outside{10, 10, 20, 20}, empty{2, 2, 2, 3};
    EXPECT_EQ(Grey_Apply(colour, &fresh, &outside), 0);
    EXPECT_EQ(Grey_Apply(colour, &fresh, &empty), 0);
    EXPECT_EQ(fresh, 0);
}

TEST(Grey, PalIsGreyCasesAndCoreHeadersRefused) {
    fake::Scope scope;
    const DibRgbQuad greys[2] = {{0, 0, 0, 0}, {9, 9, 9, 0}};
    const DibRgbQuad mixed[2] = {{0, 0, 0, 0}, {9, 9, 8, 0}};
    EXPECT_EQ(Pal_IsGrey(Dib_Create(3, 3, 1, 2, 0, greys)), 1);
    EXPECT_EQ(Pal_IsGrey(Dib_Create(3, 3, 1, 2, 0, mixed)), 0);
    EXPECT_EQ(Pal_IsGrey(Dib_Create(3, 3, 24, 0, 0, nullptr)), 0);
    EXPECT_EQ(Pal_IsGrey(0), 0);
    // A true-colour picture with an optional grey table is not grey.
    struct {
        DibInfoHeader h;
        DibRgbQuad table[1];
    } withTable{};
    withTable.h = DibInfoHeader{40, 2, 2, 1, 24, 0, 0, 0, 0, 1, 0};
    withTable.table[0] = DibRgbQuad{5, 5, 5, 0};
    const DibHandle tc = Dibcore_CreateDIB(&withTable, nullptr);
    ASSERT_NE(tc, 0);
    EXPECT_EQ(Pal_IsGrey(tc), 0);
    // Core headers hold 3-byte entries: refused rather than misread.
    const DibHandle c = MakeCoreHeaderPicture();
    ASSERT_NE(c, 0);
    EXPECT_EQ(Pal_IsGrey(c), 0);
    DibHandle fresh = 0;
    EXPECT_EQ(Grey_Apply(c, &fresh, nullptr), 0);
    EXPECT_EQ(Dib_CountColours(c), 0u);
    EXPECT_EQ(ChannelSwap(c, 2, 1, 0), 0);
    EXPECT_EQ(Pal_OptimizeDepth(c), 0);
    EXPECT_EQ(Canvas_Resize(1, c, 1, 1, 1, 0), 0);
    EXPECT_EQ(scope.lib.Live(), 5u);  // nothing new was made
}

TEST(Grey, HolderReplacesThePictureOnlyOnSuccess) {
    fake::Scope scope;
    DibHolder h;
    ASSERT_EQ(DibHolder_Attach(h, MakeRandom(kKinds[6], 5, 3, 2)), 1);
    const std::vector<uint32_t> before = Colours(h.handle);
    scope.lib.failAt[fake::kCreate] = scope.lib.calls[fake::kCreate] + 1;
    EXPECT_EQ(DibHolder_Grayscale(h, nullptr), 0);
    EXPECT_EQ(Colours(h.handle), before);
    EXPECT_EQ(scope.lib.Live(), 1u);
    ASSERT_EQ(DibHolder_Grayscale(h, nullptr), 1);
    EXPECT_EQ(DibHolder_GetBitCount(h), 8);
    EXPECT_EQ(h.data, Dibcore_DataDIB(h.handle));
    EXPECT_EQ(scope.lib.Live(), 1u);  // the old picture was released
    DibHolder empty;
    EXPECT_EQ(DibHolder_Grayscale(empty, nullptr), 0);
}

TEST(Grey, InjectedFailuresLeaveThePicture) {
    const SelRect part{1, 1, 4, 3};
    for (const Kind &k : kKinds)
        for (const SelRect *rect : {static_cast<const SelRect *>(nullptr), &part}) {
            SCOPED_TRACE(std::string(k.name) + (rect ? " part" : " whole"));
            ForEachInjectedFailure([&] { return MakeRandom(k, 6, -4, 5); },
                                   [&](DibHandle p, DibHandle *fresh) {
                                       const int ok = Grey_Apply(p, fresh, rect);
                                       if (*fresh) Dibcore_DeleteDIB(*fresh), *fresh = 0;
                                       return ok;
                                   });
        }
}

// One picture per case: raw pixel bytes written as given.
struct CountCase {
    const char *name;
    int depth;
    std::vector<DibRgbQuad> table;
    const uint32_t *masks;
    std::vector<uint32_t> pixels;  // raw values, one row
    uint64_t expected;
};

DibHandle MakeRow(const CountCase &c, int32_t height) {
    const DibHandle p = Dib_Create(int32_t(c.pixels.size()), height, c.depth, uint32_t(c.table.size()), 0,
                                   c.table.empty() ? static_cast<const void *>(c.masks) : c.table.data());
    if (p == 0) return 0;
    DibData *d = Dibcore_DataDIB(p);
    const uint32_t stride = Dib_RowStride(c.depth, int64_t(c.pixels.size()));
    for (int32_t y = 0; y < (height < 0 ? -height : height); ++y) {
        uint8_t *row = d->bits + uint64_t(y) * stride;
        for (size_t x = 0; x < c.pixels.size(); ++x) {
            const uint32_t v = c.pixels[x];
            switch (c.depth) {
            case 1: row[x / 8] |= uint8_t((v & 1) << (7 - x % 8)); break;
            case 4: row[x / 2] |= uint8_t(x % 2 ? v : v << 4); break;
            default: std::memcpy(row + x * size_t(c.depth / 8), &v, size_t(c.depth / 8)); break;
            }
        }
    }
    return p;
}

TEST(CountColours, Cases) {
    constexpr uint32_t kAll32[3] = {0xFFF00000, 0x000FFC00, 0x000003FF};
    const DibRgbQuad r{0, 0, 255, 0}, g{0, 255, 0, 0}, b{255, 0, 0, 0}, k{0, 0, 0, 0}, w{255, 255, 255, 0};
    const CountCase cases[] = {
        {"1bit one used", 1, {r, g}, nullptr, {0, 0, 0}, 1},
        {"1bit same colours", 1, {r, r}, nullptr, {0, 1, 0, 1}, 1},
        {"4bit 16 entries 3 colours", 4,
         {r, g, b, r, g, b, r, g, b, r, g, b, r, g, b, r}, nullptr,
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 3},
        // Indexes past a short table read black: never past the map's end.
        {"8bit short table, index past it", 8, {r, g}, nullptr, {0, 200, 255, 1}, 3},
        {"8bit short table holding black", 8, {k, g}, nullptr, {0, 200, 255}, 1},
        {"4bit short table", 4, {r, g, b}, nullptr, {0, 15, 2}, 3},
        {"16bit 555 ignores bit 15", 16, {}, nullptr, {0x1234, 0x9234, 0x0001}, 2},
        {"16bit 565", 16, {}, kMask565, {0xF800, 0x07E0, 0xF800, 0x001F}, 3},
        {"24bit", 24, {}, nullptr, {0x010203, 0x010203, 0x030201, 0}, 3},
        {"32bit plain ignores byte 3", 32, {}, nullptr, {0x11010203, 0x22010203, 0x00FFFFFF}, 2},
        {"32bit 10-10-10", 32, {}, kMask101010, {0x3FF00000, 0xC0000000, 0x00000001}, 3},
        // Masks covering all 32 bits allow 2^32 values: no wrap to 0.
        {"32bit masks over all bits", 32, {}, kAll32, {0xFFFFFFFF, 0x80000000, 0xFFFFFFFF}, 2},
    };
    (void)w;
    for (const CountCase &c : cases)
        for (int32_t height : {3, -3}) {
            SCOPED_TRACE(std::string(c.name) + (height < 0 ? " top-down" : " bottom-up"));
            fake::Scope scope;
            const DibHandle p = MakeRow(c, height);
            ASSERT_NE(p, 0);
            EXPECT_EQ(Dib_CountColours(p), c.expected);
        }
}

TEST(CountColours, RefusalsAndFailures) {
    fake::Scope scope;
    EXPECT_EQ(Dib_CountColours(0), 0u);
    // RLE pixels cannot be counted.
    const DibHandle p = MakeRle8Picture();
    ASSERT_NE(p, 0);
    EXPECT_EQ(Dib_CountColours(p), 0u);
    // 16-bit fields whose masks hold no bits.
    const uint32_t none[3] = {0, 0, 0};
    EXPECT_EQ(Dib_CountColours(Dib_Create(2, 2, 16, 0, 0, none)), 0u);
    const DibHandle ok = Dib_Create(2, 2, 24, 0, 0, nullptr);
    scope.lib.failAt[fake::kData] = scope.lib.calls[fake::kData] + 1;
    EXPECT_EQ(Dib_CountColours(ok), 0u);
    EXPECT_EQ(Dib_CountColours(ok), 1u);
}

TEST(CountColours, EveryTrueColourCountsInFull) {
    fake::Scope scope;
    const DibHandle p = Dib_Create(4096, -4096, 24, 0, 0, nullptr);
    ASSERT_NE(p, 0);
    DibData *d = Dibcore_DataDIB(p);
    for (uint32_t i = 0; i < (1u << 24); ++i) std::memcpy(d->bits + size_t(i) * 3, &i, 3);
    EXPECT_EQ(Dib_CountColours(p), uint64_t{1} << 24);
}

uint32_t Permuted(uint32_t c, const int8_t o[3]) {
    uint32_t out = 0;
    for (int i = 0; i < 3; ++i) out |= ((c >> (8 * o[i])) & 0xFFu) << (8 * i);
    return out;
}

TEST(ChannelSwap, OrdersTable) {
    // Each order applied to (R, G, B) = (1, 2, 3).
    const uint32_t expected[5] = {0x020301, 0x010203, 0x020103, 0x030102, 0x010302};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Permuted(0x030201, kChannelSwapOrders[i]), expected[i]) << i;
}

TEST(ChannelSwap, WholePictureEveryOrderAndDepth) {
    for (const Kind &k : kKinds)
        for (int order = 0; order < 5; ++order)
            for (int32_t height : {4, -4}) {
                SCOPED_TRACE(Name(k, height) + " order " + std::to_string(order));
                fake::Scope scope;
                const DibHandle p = MakeRandom(k, 7, height, uint32_t(order + 10));
                ASSERT_NE(p, 0);
                const std::vector<uint32_t> before = Colours(p);
                std::vector<uint8_t> fourth;
                if (k.depth == 32 && !k.masks)
                    for (int32_t y = 0; y < 4; ++y)
                        for (int32_t x = 0; x < 7; ++x) fourth.push_back(uint8_t(Dib_GetPixelValue(p, x, y) >> 24));
                const int8_t *o = kChannelSwapOrders[order];
                ASSERT_EQ(ChannelSwap(p, o[0], o[1], o[2]), 1);
                std::vector<uint32_t> expected;
                for (uint32_t c : before) expected.push_back(Permuted(c, o));
                EXPECT_EQ(Colours(p), expected);
                // 5-6-5 keeps its fields only when green stays green.
                const bool converts = k.masks == kMask565 && o[1] != 1;
                EXPECT_EQ(Depth(p), converts ? 24 : k.depth);
                if (k.depth == 16 && !converts)  // the unused top bit is cleared
                    for (int32_t x = 0; x < 7; ++x) EXPECT_EQ(Dib_GetPixelValue(p, x, 0) & (k.masks ? 0 : 0x8000u), 0u);
                if (!fourth.empty())
                    for (int32_t y = 0, i = 0; y < 4; ++y)
                        for (int32_t x = 0; x < 7; ++x, ++i)
                            EXPECT_EQ(uint8_t(Dib_GetPixelValue(p, x, y) >> 24), fourth[size_t(i)]);
            }
}

TEST(ChannelSwap, SourcesTakenModuloThree) {
    fake::Scope scope;
    const DibHandle p = MakeRandom(kKinds[6], 3, 2, 1);
    const std::vector<uint32_t> before = Colours(p);
    ASSERT_EQ(ChannelSwap(p, 3, -1, 5), 1);  // = (red, blue, blue)
    const int8_t o[3] = {0, 2, 2};
    std::vector<uint32_t> expected;
    for (uint32_t c : before) expected.push_back(Permuted(c, o));
    EXPECT_EQ(Colours(p), expected);
}

TEST(ChannelSwap, PartSwapsOnlyThePart) {
    const SelRect r{1, 2, 6, 4};
    for (const Kind &k : kKinds)
        for (int32_t height : {5, -5}) {
            SCOPED_TRACE(Name(k, height));
            fake::Scope scope;
            const DibHandle p = MakeRandom(k, 8, height, 9);
            ASSERT_NE(p, 0);
            const std::vector<uint32_t> before = Colours(p);
            const int8_t *o = kChannelSwapOrders[2];
            ASSERT_EQ(ChannelSwap_Rect(p, &r, o[0], o[1], o[2]), 1);
            const bool converts = k.depth <= 8 || k.masks == kMask565;
            EXPECT_EQ(Depth(p), converts ? 24 : k.depth);
            EXPECT_EQ(SignedHeight(p) < 0, height < 0 && !converts);
            const std::vector<uint32_t> after = Colours(p);
            for (int32_t y = 0; y < 5; ++y)
                for (int32_t x = 0; x < 8; ++x) {
                    const uint32_t was = before[size_t(y * 8 + x)];
                    EXPECT_EQ(after[size_t(y * 8 + x)], Inside(r, x, y) ? Permuted(was, o) : was) << x << "," << y;
                }
            EXPECT_EQ(scope.lib.Live(), 1u);
        }
}

TEST(ChannelSwap, WholeRectKeepsPaletteDepthAndEmptyFails) {
    fake::Scope scope;
    const DibHandle p = MakeRandom(kKinds[2], 4, 4, 1);
    const SelRect all{-5, -5, 50, 50}, empty{1, 1, 1, 3};
    EXPECT_EQ(ChannelSwap_Rect(p, &all, 2, 1, 0), 1);
    EXPECT_EQ(Depth(p), 8);
    EXPECT_EQ(ChannelSwap_Rect(p, &empty, 2, 1, 0), 0);
    EXPECT_EQ(ChannelSwap_Rect(0, nullptr, 2, 1, 0), 0);
}

TEST(ChannelSwap, InjectedFailuresLeaveTheColours) {
    const SelRect part{1, 1, 4, 3};
    for (const Kind &k : kKinds)
        for (const SelRect *rect : {static_cast<const SelRect *>(nullptr), &part}) {
            SCOPED_TRACE(std::string(k.name) + (rect ? " part" : " whole"));
            ForEachInjectedFailure([&] { return MakeRandom(k, 6, -4, 5); },
                                   [&](DibHandle p, DibHandle *) { return ChannelSwap_Rect(p, rect, 1, 0, 2); });
        }
}

}  // namespace
