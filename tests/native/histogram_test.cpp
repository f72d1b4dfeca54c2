// Histograms at every depth against counts taken from the colour reader,
// the levels found from them (thresholds, one range or per channel, the
// collapsed range), and the automatic correction on whole pictures and parts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "colour_fixture.h"
#include "image/qv_Histogram.h"

using namespace colourfix;

namespace {

// Counts of the rectangle as the colour reader sees its pixels.
Histogram ModelHistogram(DibHandle p, const SelRect &r) {
    Histogram h{};
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x) {
            const uint32_t c = Dib_GetPixelColour(x, p, y);
            ++h.count[0][c & 0xFF];
            ++h.count[1][(c >> 8) & 0xFF];
            ++h.count[2][(c >> 16) & 0xFF];
        }
    return h;
}

bool Same(const Histogram &a, const Histogram &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(HistogramCompute, EveryDepthWholeAndPart) {
    const SelRect part{7, 4, 2, 1};  // corners in any order
    const SelRect r{2, 1, 7, 4};
    const SelRect whole{0, 0, 11, 6};
    for (const Kind &k : KindsNamed({"1bit", "4bit", "4bit-short", "8bit", "8bit-short", "16bit-555", "16bit-565",
                                     "24bit", "32bit", "32bit-888"}))
        for (int32_t height : {6, -6}) {
            SCOPED_TRACE(Name(k, height));
            fake::Scope scope;
            const DibHandle p = MakeRandom(k, 11, height, 3);
            Histogram h;
            ASSERT_EQ(Histogram_Compute(p, nullptr, &h), 1);
            EXPECT_TRUE(Same(h, ModelHistogram(p, whole)));
            ASSERT_EQ(Histogram_Compute(p, &part, &h), 1);
            EXPECT_TRUE(Same(h, ModelHistogram(p, r)));
        }
}

TEST(HistogramCompute, NarrowFieldsCountUnderTheirWidenedValue) {
    fake::Scope scope;
    // 5-6-5: green raw 63 is 255, raw 32 is 130; red raw 31 is 255, 1 is 8.
    const DibHandle p = Dib_Create(3, 1, 16, 0, 0, kMask565);
    DibData *d = Dibcore_DataDIB(p);
    const uint16_t pixels[3] = {uint16_t(63 << 5), uint16_t(32 << 5 | 31 << 11), uint16_t(1 << 11 | 1)};
    std::memcpy(d->bits, pixels, sizeof pixels);
    Histogram h;
    ASSERT_EQ(Histogram_Compute(p, nullptr, &h), 1);
    EXPECT_EQ(h.count[1][255], 1u);
    EXPECT_EQ(h.count[1][130], 1u);
    EXPECT_EQ(h.count[1][0], 1u);
    EXPECT_EQ(h.count[0][255], 1u);
    EXPECT_EQ(h.count[0][8], 1u);
    EXPECT_EQ(h.count[0][0], 1u);
    EXPECT_EQ(h.count[2][8], 1u);
    EXPECT_EQ(h.count[2][0], 2u);
    // A mask with no bits counts every pixel at 0.
    const uint32_t noBlue[3] = {0x7C00, 0x03E0, 0};
    const DibHandle q = Dib_Create(4, 2, 16, 0, 0, noBlue);
    std::memset(Dibcore_DataDIB(q)->bits, 0xFF, Dibcore_DataDIB(q)->bitsSize);
    ASSERT_EQ(Histogram_Compute(q, nullptr, &h), 1);
    EXPECT_EQ(h.count[2][0], 8u);
    EXPECT_EQ(h.count[0][255], 8u);
}

TEST(HistogramCompute, PalettePixelsPastTheColourCountAreNotCounted) {
    fake::Scope scope;
    std::vector<DibRgbQuad> pal(20, DibRgbQuad{1, 2, 3, 0});
    const DibHandle p = Dib_Create(4, 1, 8, 20, 0, pal.data());
    const uint8_t index[4] = {0, 19, 20, 255};
    std::memcpy(Dibcore_DataDIB(p)->bits, index, 4);
    Histogram h;
    ASSERT_EQ(Histogram_Compute(p, nullptr, &h), 1);
    EXPECT_EQ(h.count[0][3], 2u);
    EXPECT_EQ(h.count[1][2], 2u);
    EXPECT_EQ(h.count[2][1], 2u);
    EXPECT_EQ(h.count[0][0], 0u);
}

TEST(HistogramCompute, RefusalsLeaveItZeroed) {
    fake::Scope scope;
    const DibHandle compressed = MakeRle8Picture();
    const DibHandle wide = MakeRandom(KindNamed("32bit-101010"), 3, 3, 1);
    const DibHandle plain = MakeRandom(KindNamed("24bit"), 3, 3, 1);
    const SelRect outside{5, 5, 9, 9}, empty{1, 1, 1, 3};
    const Histogram zero{};
    const struct {
        const char *name;
        DibHandle p;
        const SelRect *rect;
    } cases[] = {
        {"RLE pixels", compressed, nullptr},
        {"fields wider than 8 bits", wide, nullptr},
        {"rectangle outside", plain, &outside},
        {"empty rectangle", plain, &empty},
        {"core header", MakeCoreHeaderPicture(), nullptr},
        {"no picture", 0, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Histogram h;
        std::memset(&h, 0x77, sizeof h);
        EXPECT_EQ(Histogram_Compute(c.p, c.rect, &h), 0);
        EXPECT_TRUE(Same(h, zero));
    }
    EXPECT_EQ(Histogram_Compute(plain, nullptr, nullptr), 0);
}

// ---- Levels from a histogram. ----

struct Bins {
    int bin;
    uint32_t count;
};

Histogram Make(std::initializer_list<Bins> red, std::initializer_list<Bins> green, std::initializer_list<Bins> blue) {
    Histogram h{};
    for (const Bins &b : red) h.count[0][b.bin] += b.count;
    for (const Bins &b : green) h.count[1][b.bin] += b.count;
    for (const Bins &b : blue) h.count[2][b.bin] += b.count;
    return h;
}

TEST(LevelsFromHistogram, Thresholds) {
    // 10000 pixels: a clip of 10 (0.1 %) lets 10 pixels go at each end.
    const struct {
        const char *name;
        Histogram h;
        int32_t low, high;
        int perChannel;
        int result;
        uint8_t in[3][2];  // red, green, blue: low, high
    } cases[] = {
        {"no clip finds the used range",
         Make({{50, 5000}, {200, 5000}}, {{0, 5000}, {255, 5000}}, {{10, 9999}, {11, 1}}), 0, 0, 1, 1,
         {{50, 200}, {0, 255}, {10, 11}}},
        {"nine pixels are clipped, the tenth is kept",
         Make({{0, 9}, {1, 1}, {100, 9980}, {254, 1}, {255, 9}}, {{128, 10000}}, {{0, 10}, {100, 9980}, {255, 10}}), 10,
         10, 1, 1, {{1, 254}, {127, 128}, {0, 255}}},
        {"ten pixels at an end: that end stays",
         Make({{0, 10}, {100, 9980}, {255, 10}}, {{0, 10}, {100, 9980}, {255, 10}}, {{0, 10}, {100, 9980}, {255, 10}}),
         10, 10, 1, -1, {{0, 255}, {0, 255}, {0, 255}}},
        {"one value collapses to the narrowest range below it", Make({{100, 10000}}, {{0, 10000}}, {{255, 10000}}), 10,
         10, 1, 1, {{99, 100}, {0, 1}, {254, 255}}},
        {"clips of 10000 cross over", Make({{0, 5000}, {255, 5000}}, {{0, 5000}, {255, 5000}}, {{0, 5000}, {255, 5000}}),
         10000, 99999, 1, 1, {{127, 128}, {127, 128}, {127, 128}}},
        {"one range for all: thresholds from three times the pixels",
         Make({{0, 20}, {60, 9980}}, {{60, 9970}, {255, 30}}, {{60, 10000}}), 10, 10, 0, 1,
         {{60, 255}, {60, 255}, {60, 255}}},
        {"one range for all collapses below a shared peak",
         Make({{0, 10}, {60, 9990}}, {{60, 9990}, {200, 10}}, {{60, 10000}}), 10, 10, 0, 1,
         {{59, 60}, {59, 60}, {59, 60}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        LevelsParams out;
        const LevelsArea area{100, 100};
        ASSERT_EQ(Levels_FromHistogram(&area, c.low, c.high, c.perChannel, &c.h, &out), c.result);
        for (int ch = 0; ch < 3; ++ch) {
            EXPECT_EQ(out.channel[ch].inLow, c.in[ch][0]) << ch;
            EXPECT_EQ(out.channel[ch].inHigh, c.in[ch][1]) << ch;
            EXPECT_EQ(out.channel[ch].gamma, 1000);
            EXPECT_EQ(out.channel[ch].outLow, 0);
            EXPECT_EQ(out.channel[ch].outHigh, 255);
        }
    }
}

TEST(LevelsFromHistogram, TotalsAndFailures) {
    const Histogram h = Make({{40, 3}, {90, 1}}, {{40, 4}}, {{90, 4}});
    LevelsParams out;
    // Without an area the red counts give the total.
    EXPECT_EQ(Levels_FromHistogram(nullptr, 0, 0, 1, &h, &out), 1);
    EXPECT_EQ(out.channel[0].inLow, 40);
    EXPECT_EQ(out.channel[0].inHigh, 90);
    const LevelsArea one{1, 1}, none{0, 5}, flat{4, -1};
    EXPECT_EQ(Levels_FromHistogram(&one, 0, 0, 1, &h, &out), -1);
    EXPECT_EQ(out.channel[0].inLow, 0);  // identity on every outcome
    EXPECT_EQ(Levels_FromHistogram(&none, 0, 0, 1, &h, &out), 0);
    EXPECT_EQ(Levels_FromHistogram(&flat, 0, 0, 1, &h, &out), 1);
    const Histogram empty{};
    EXPECT_EQ(Levels_FromHistogram(nullptr, 0, 0, 1, &empty, &out), 0);
    EXPECT_EQ(Levels_FromHistogram(nullptr, 0, 0, 1, nullptr, &out), 0);
    EXPECT_EQ(Levels_FromHistogram(nullptr, 0, 0, 1, &h, nullptr), 0);
    // A huge area: the thresholds saturate rather than wrap, so nothing is
    // found and the range collapses about the middle.
    const LevelsArea huge{0x7FFFFFFF, 0x7FFFFFFF};
    EXPECT_EQ(Levels_FromHistogram(&huge, 10000, 10000, 1, &h, &out), 1);
    EXPECT_EQ(out.channel[0].inLow, 127);
    EXPECT_EQ(out.channel[0].inHigh, 128);
}

// ---- Auto level and auto contrast. ----

// A 24-bit picture whose channels cycle through `lo`..`hi` of red, green,
// blue, so every value has about 2000 / (hi - lo + 1) pixels.
DibHandle MakeRange(const int lo[3], const int hi[3], int32_t height = 40) {
    const DibHandle p = Dib_Create(50, height, 24, 0, 0, nullptr);
    DibData *d = Dibcore_DataDIB(p);
    const uint32_t stride = Dib_RowStride(24, 50);
    for (int32_t y = 0; y < std::abs(height); ++y)
        for (int32_t x = 0; x < 50; ++x)
            for (int c = 0; c < 3; ++c)
                d->bits[y * stride + 3 * x + (2 - c)] = uint8_t(lo[c] + (y * 50 + x) % (hi[c] - lo[c] + 1));
    return p;
}

void ChannelRange(DibHandle p, int c, int *lo, int *hi) {
    *lo = 255;
    *hi = 0;
    for (uint32_t colour : Colours(p)) {
        const int v = int((colour >> (8 * c)) & 0xFF);
        *lo = std::min(*lo, v);
        *hi = std::max(*hi, v);
    }
}

TEST(ToneAutoLevel, StretchesToTheFullRange) {
    fake::Scope scope;
    const int lo[3] = {100, 30, 60}, hi[3] = {150, 220, 90};
    // Per channel: each channel on its own reaches 0 and 255.
    const DibHandle p = MakeRange(lo, hi);
    ASSERT_EQ(Tone_AutoLevel(p, nullptr, 1), 1);
    for (int c = 0; c < 3; ++c) {
        int a, b;
        ChannelRange(p, c, &a, &b);
        EXPECT_EQ(a, 0) << c;
        EXPECT_EQ(b, 255) << c;
    }
    // One range for all: 30..220 becomes 0..255 in every channel.
    const DibHandle q = MakeRange(lo, hi);
    ASSERT_EQ(Tone_AutoLevel(q, nullptr, 0), 1);
    int a, b;
    ChannelRange(q, 1, &a, &b);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 255);
    ChannelRange(q, 0, &a, &b);
    EXPECT_EQ(a, 94);  // (100 - 30) x 255 / 190 = 93.9
    EXPECT_EQ(b, 161);  // (150 - 30) x 255 / 190 = 161.05
}

TEST(ToneAutoLevel, NothingToDo) {
    fake::Scope scope;
    const int lo[3] = {0, 0, 0}, hi[3] = {255, 255, 255};
    const DibHandle full = MakeRange(lo, hi, -40);
    const std::vector<uint8_t> bytes = Bytes(full);
    EXPECT_EQ(Tone_AutoLevel(full, nullptr, 1), 1);
    EXPECT_EQ(Tone_AutoLevel(full, nullptr, 0), 1);
    EXPECT_EQ(Bytes(full), bytes);
    // A single pixel: done, unchanged; even on a palette picture.
    const DibHandle pal = MakeRandom(KindNamed("4bit"), 6, 6, 2);
    const std::vector<uint8_t> palBytes = Bytes(pal);
    const SelRect one{3, 2, 4, 3};
    EXPECT_EQ(Tone_AutoLevel(pal, &one, 1), 1);
    EXPECT_EQ(Bytes(pal), palBytes);
    // Refused: empty rectangle, no picture, RLE pixels.
    const SelRect empty{3, 2, 3, 5};
    EXPECT_EQ(Tone_AutoLevel(pal, &empty, 1), 0);
    EXPECT_EQ(Tone_AutoLevel(0, nullptr, 1), 0);
    EXPECT_EQ(Tone_AutoLevel(MakeRle8Picture({9, 9, 9, 0}, {1, 1, 1, 0}), nullptr, 1), 0);
}

TEST(ToneAutoLevel, APartOfAPalettePicture) {
    fake::Scope scope;
    std::vector<DibRgbQuad> pal(16);
    for (int i = 0; i < 16; ++i) pal[size_t(i)] = DibRgbQuad{uint8_t(100 + i), uint8_t(100 + i), uint8_t(100 + i), 0};
    const DibHandle p = Dib_Create(8, 8, 4, 16, 1, pal.data());
    DibData *d = Dibcore_DataDIB(p);
    for (uint32_t i = 0; i < d->bitsSize; ++i) d->bits[i] = uint8_t(i * 0x37);
    const std::vector<uint32_t> before = Colours(p);
    const SelRect part{0, 0, 8, 4};
    ASSERT_EQ(Tone_AutoLevel(p, &part, 1), 1);
    EXPECT_EQ(Depth(p), 24);
    const std::vector<uint32_t> after = Colours(p);
    uint32_t darkest = 255, lightest = 0;
    for (size_t i = 0; i < after.size(); ++i) {
        if (i >= 32) {
            ASSERT_EQ(after[i], before[i]) << i;
            continue;
        }
        darkest = std::min(darkest, after[i] & 0xFF);
        lightest = std::max(lightest, after[i] & 0xFF);
    }
    EXPECT_EQ(darkest, 0u);
    EXPECT_EQ(lightest, 255u);
}

}  // namespace
