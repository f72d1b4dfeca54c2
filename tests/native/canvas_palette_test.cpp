// Palette reduction and canvas size at every depth and both row orders,
// with library failures injected.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>
#include <vector>

#include "colour_fixture.h"
#include "image/qv_Canvas.h"
#include "image/qv_PalOptimize.h"

using namespace colourfix;

namespace {

// A picture of `kind` whose pixels take `n` different colours (cycling).
DibHandle MakeColours(const Kind &k, int32_t w, int32_t h, uint32_t n) {
    std::vector<DibRgbQuad> pal(k.depth <= 8 ? (k.colours ? k.colours : 1u << k.depth) : 0);
    for (size_t i = 0; i < pal.size(); ++i) pal[i] = DibRgbQuad{uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 3), 0};
    const DibHandle p = k.depth <= 8 ? Dib_Create(w, h, k.depth, uint32_t(pal.size()), 0, pal.data())
                                     : Dib_Create(w, h, k.depth, 0, 0, k.masks);
    if (p == 0) return 0;
    const int32_t rows = h < 0 ? -h : h;
    uint32_t i = 0;
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < w; ++x, i = (i + 1) % n) {
            // Palette pictures use index i; others a colour spread over all channels.
            const uint32_t colour = i * 0x010305u ^ (i << 20);
            const uint32_t v = k.depth <= 8 ? i : Dib_ColourToPixel(Dibcore_DataDIB(p)->header, 0, colour);
            const SelRect one{x, y, x + 1, y + 1};
            if (!Dib_FillRect(p, &one, v)) return 0;
        }
    return p;
}

struct OptimiseCase {
    const char *name;
    Kind kind;
    uint32_t colours;
    int resultDepth;  // 0 = no result
};

TEST(PalOptimize, Cases) {
    const OptimiseCase cases[] = {
        {"24bit 1 colour", {"", 24, 0, nullptr}, 1, 1},
        {"24bit 2 colours", {"", 24, 0, nullptr}, 2, 1},
        {"24bit 3 colours", {"", 24, 0, nullptr}, 3, 4},
        {"24bit 16 colours", {"", 24, 0, nullptr}, 16, 4},
        {"24bit 17 colours", {"", 24, 0, nullptr}, 17, 8},
        {"24bit 256 colours", {"", 24, 0, nullptr}, 256, 8},
        {"24bit 257 colours", {"", 24, 0, nullptr}, 257, 0},
        {"8bit 200 colours", {"", 8, 256, nullptr}, 200, 0},
        {"8bit 16 colours", {"", 8, 256, nullptr}, 16, 4},
        {"4bit 2 colours", {"", 4, 16, nullptr}, 2, 1},
        {"4bit 3 colours", {"", 4, 16, nullptr}, 3, 0},
        {"32bit 5 colours", {"", 32, 0, nullptr}, 5, 4},
        {"32bit 1000 colours", {"", 32, 0, nullptr}, 1000, 24},
        {"32bit masked", {"", 32, 0, kMask101010}, 2, 0},
        {"16bit", {"", 16, 0, kMask565}, 2, 0},
        {"1bit", {"", 1, 2, nullptr}, 2, 0},
    };
    for (const OptimiseCase &c : cases)
        for (int32_t height : {40, -40}) {
            SCOPED_TRACE(std::string(c.name) + (height < 0 ? " top-down" : " bottom-up"));
            fake::Scope scope;
            const DibHandle p = MakeColours(c.kind, 29, height, c.colours);
            ASSERT_NE(p, 0);
            const std::vector<uint8_t> bytes = Bytes(p);
            const std::vector<uint32_t> colours = Colours(p);
            const DibHandle r = Pal_OptimizeDepth(p);
            EXPECT_EQ(Bytes(p), bytes);  // the source is left alone
            EXPECT_EQ(scope.lib.Live(), r ? 2u : 1u);
            if (c.resultDepth == 0) {
                EXPECT_EQ(r, 0);
                continue;
            }
            ASSERT_NE(r, 0);
            EXPECT_EQ(Depth(r), c.resultDepth);
            EXPECT_EQ(SignedHeight(r), std::abs(height));  // bottom-up
            EXPECT_EQ(Colours(r), colours);
            if (c.resultDepth <= 8) {
                // The table: exactly the colours used, ascending as R << 16 | G << 8 | B.
                const DibData *d = Dibcore_DataDIB(r);
                const uint32_t n = d->header->biClrUsed ? d->header->biClrUsed : 1u << c.resultDepth;
                std::set<uint32_t> used;
                for (uint32_t col : colours) used.insert((col & 0xFF) << 16 | (col & 0xFF00) | col >> 16);
                const auto *table = reinterpret_cast<const uint8_t *>(d->header) + 40;
                std::vector<uint32_t> values;
                for (uint32_t i = 0; i < n; ++i) values.push_back(table[4 * i] | table[4 * i + 1] << 8 | table[4 * i + 2] << 16);
                EXPECT_EQ(values, std::vector<uint32_t>(used.begin(), used.end()));
            }
        }
}

TEST(PalOptimize, InjectedFailuresLeakNothing) {
    for (const Kind &k : {Kind{"", 24, 0, nullptr}, Kind{"", 8, 256, nullptr}, Kind{"", 32, 0, nullptr}})
        ForEachInjectedFailure([&] { return MakeColours(k, 9, -5, 3); },
                               [&](DibHandle p, DibHandle *fresh) {
                                   *fresh = Pal_OptimizeDepth(p);
                                   return *fresh != 0 ? 1 : 0;
                               });
}

struct CanvasCase {
    const char *name;
    int32_t left, top, right, bottom;
    bool ok;
};

TEST(Canvas, MarginsAtEveryDepth) {
    const CanvasCase cases[] = {
        {"frame", 2, 1, 3, 2, true},
        {"crop only", -2, 0, -3, 0, true},
        {"crop left and top, grow right and bottom", -3, -1, 4, 2, true},
        {"grow left and top, crop right and bottom", 2, 3, -4, -2, true},
        {"grow one side only", 0, 0, 0, 5, true},
        {"unchanged", 0, 0, 0, 0, true},
        {"left removes the width", -10, 0, 5, 0, false},
        {"bottom removes the height", 0, 0, 0, -6, false},
        {"both sides leave nothing", -5, 0, -5, 0, false},
        {"too wide", 70000, 0, 0, 0, false},
        {"wraps in 32 bits", INT32_MAX, 0, INT32_MAX, 0, false},
        {"most negative", INT32_MIN, 0, 0, 0, false},
    };
    const int32_t W = 10, H = 6;
    const uint32_t colour = 0x4080C0;
    for (const Kind &k : kKinds)
        for (int32_t height : {H, -H})
            for (const CanvasCase &c : cases) {
                SCOPED_TRACE(Name(k, height) + " " + c.name);
                fake::Scope scope;
                const DibHandle p = MakeRandom(k, W, height, 4);
                ASSERT_NE(p, 0);
                const std::vector<uint32_t> colours = Colours(p);
                const DibHandle r = Canvas_Resize(c.left, p, c.top, c.right, c.bottom, colour);
                EXPECT_EQ(Colours(p), colours);
                if (!c.ok) {
                    EXPECT_EQ(r, 0);
                    EXPECT_EQ(scope.lib.Live(), 1u);
                    continue;
                }
                ASSERT_NE(r, 0);
                const int32_t nw = W + c.left + c.right, nh = H + c.top + c.bottom;
                EXPECT_EQ(Width(r), nw);
                EXPECT_EQ(SignedHeight(r), height < 0 ? -nh : nh);
                EXPECT_EQ(Depth(r), k.depth);
                const DibData *d = Dibcore_DataDIB(r);
                const uint32_t fill = Dib_ColourToPixel(d->header, d->headerSize, colour);
                for (int32_t y = 0; y < nh; ++y)
                    for (int32_t x = 0; x < nw; ++x) {
                        const int32_t sx = x - c.left, sy = y - c.top;
                        const bool copied = sx >= 0 && sx < W && sy >= 0 && sy < H;
                        EXPECT_EQ(Dib_GetPixelValue(r, x, y), copied ? Dib_GetPixelValue(p, sx, sy) : fill)
                            << x << "," << y;
                    }
            }
}

TEST(Canvas, PaletteMarginTakesTheNearestEntry) {
    fake::Scope scope;
    const DibRgbQuad pal[3] = {{0, 0, 0, 0}, {0, 0, 250, 0}, {255, 255, 255, 0}};
    const DibHandle p = Dib_Create(3, 2, 4, 3, 0, pal);
    const DibHandle r = Canvas_Resize(1, p, 0, 0, 0, 0x0000F0);  // nearly red
    ASSERT_NE(r, 0);
    EXPECT_EQ(Dib_GetPixelValue(r, 0, 1), 1u);
    EXPECT_EQ(Dib_GetPixelColour(0, r, 1), 0x0000FAu);
}

TEST(Canvas, InjectedFailuresLeakNothing) {
    for (const Kind &k : kKinds)
        ForEachInjectedFailure([&] { return MakeRandom(k, 7, -5, 8); },
                               [&](DibHandle p, DibHandle *fresh) {
                                   *fresh = Canvas_Resize(2, p, -1, 1, 3, 0xFF);
                                   return *fresh != 0 ? 1 : 0;
                               });
}

}  // namespace
