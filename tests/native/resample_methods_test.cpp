// The resampling methods on the small cases whose results can be worked out
// by hand, their limits, refusals and fall-backs.
#include <gtest/gtest.h>

#include "image/resample/qv_ResampleWork.h"
#include "resample_test_support.h"

using namespace resample_test;

namespace {

Image Row(std::initializer_list<uint8_t> values) {
    Image img(static_cast<int32_t>(values.size()), 1);
    int32_t x = 0;
    for (uint8_t v : values) {
        for (int c = 0; c < 3; ++c) img.At(x, 0, c) = v;
        ++x;
    }
    return img;
}

std::vector<int> Channel0(const Image &img) {
    std::vector<int> out;
    for (int32_t y = 0; y < img.height; ++y)
        for (int32_t x = 0; x < img.width; ++x) out.push_back(img.At(x, y, 0));
    return out;
}

TEST(ResampleFrame, LeastCommonMultiple) {
    struct Case {
        uint32_t a, b, lcm;
    };
    const Case cases[] = {{5, 5, 5},
                          {0, 7, 0},
                          {7, 0, 0},
                          {1, 9, 9},
                          {9, 1, 9},
                          {4, 6, 12},
                          {6, 4, 12},
                          {3, 100, 300},
                          {2, 1000, 1000},
                          {65535, 65534, 4294770690u},
                          {65536, 65535, 4294901760u},
                          {65537, 65536, 0},
                          {100003, 99991, 0}};
    for (const Case &c : cases) EXPECT_EQ(Resample_Lcm(c.a, c.b), c.lcm) << c.a << " " << c.b;
}

TEST(ResampleFrame, QualityIndexToMethodCode) {
    const int32_t reduce[] = {0, 31, 20, 40, 50, 60, 70, 80, 90, 100, 110};
    const int32_t enlarge[] = {0, 10, 20, 40, 50, 60, 70, 80, 90, 100, 110};
    for (int32_t i = 0; i <= 10; ++i) {
        EXPECT_EQ(Zoom_QualityToMethod(i, true), reduce[i]);
        EXPECT_EQ(Zoom_QualityToMethod(i, false), enlarge[i]);
    }
    EXPECT_EQ(Zoom_QualityToMethod(11, true), 0);
    EXPECT_EQ(Zoom_QualityToMethod(-1, false), 0);
}

TEST(ResampleFrame, EveryMethodRefusesBadRequests) {
    Image src = Noise(4, 4, 1), dst(2, 2);
    using Method = int (*)(ResampleRequest *);
    const Method methods[] = {Resample_AreaAverage,    Resample_AreaEnlarge, Resample_IntAverage,
                              Resample_IntAverageHalf, Resample_Linear,      Resample_Replicate};
    const ResampleRequest good = RequestFor(dst, src);
    std::vector<ResampleRequest> bad(7, good);
    bad[0].dstBits = nullptr;
    bad[1].srcBits = nullptr;
    bad[2].dstWidth = 0;
    bad[3].srcHeight = -1;
    bad[4].dstStride = 0;
    bad[5].srcStride = 0;
    bad[6].srcWidth = 0;
    for (ResampleRequest r : bad) {
        for (Method m : methods) EXPECT_EQ(m(&r), 0);
        EXPECT_EQ(Separable(kQualityLanczos3, &r), 0);
        EXPECT_EQ(Resample_Dispatch(&r, 20, 20), 0);
    }
}

// ---- Hand-worked results. ----

TEST(ResampleMethods, AreaAverageThreeToTwo) {
    int ok = 0;
    const Image got = RunMethod(Resample_AreaAverage, Row({10, 40, 100}), 2, 1, &ok);
    ASSERT_EQ(ok, 1);
    // (2 * 10 + 40) / 3 = 20; (40 + 2 * 100) / 3 = 80.
    EXPECT_EQ(Channel0(got), (std::vector<int>{20, 80}));
}

TEST(ResampleMethods, IntegerAveragingBlocksAndTruncation) {
    int ok = 0;
    // Blocks of 3, 2, 3, 2 columns.
    const Image ten = Row({0, 3, 6, 10, 20, 30, 40, 50, 90, 91});
    EXPECT_EQ(Channel0(RunMethod(Resample_IntAverage, ten, 4, 1, &ok)), (std::vector<int>{3, 15, 40, 90}));
    // The block 1, 2 truncates to 1; the area average rounds 1.5 up to 2.
    EXPECT_EQ(Channel0(RunMethod(Resample_IntAverage, Row({1, 2}), 1, 1, &ok)), (std::vector<int>{1}));
    EXPECT_EQ(Channel0(RunMethod(Resample_AreaAverage, Row({1, 2}), 1, 1, &ok)), (std::vector<int>{2}));
    // Enlarging is not block averaging.
    EXPECT_EQ(RunMethod(Resample_IntAverage, ten, 11, 1, &ok).width, 11);
    EXPECT_EQ(ok, 0);
}

TEST(ResampleMethods, IntAverageHalfChoosesByHalfSize) {
    const Image src = Noise(21, 9, 3);
    int ok = 0;
    // (21 + 1) / 2 = 11 and (9 + 1) / 2 = 5: averaging.
    EXPECT_EQ(RunMethod(Resample_IntAverageHalf, src, 11, 5, &ok).Pixels(),
              RunMethod(Resample_IntAverage, src, 11, 5, &ok).Pixels());
    EXPECT_EQ(RunMethod(Resample_IntAverageHalf, src, 12, 5, &ok).Pixels(),
              RunMethod(Resample_Linear, src, 12, 5, &ok).Pixels());
}

TEST(ResampleMethods, LinearIsCornerAlignedAndTruncates) {
    int ok = 0;
    EXPECT_EQ(Channel0(RunMethod(Resample_Linear, Row({0, 200}), 5, 1, &ok)), (std::vector<int>{0, 50, 100, 150, 200}));
    EXPECT_EQ(Channel0(RunMethod(Resample_Linear, Row({0, 255}), 3, 1, &ok)), (std::vector<int>{0, 127, 255}));
    // Last destination pixel lands on the last source pixel at every ratio.
    for (int32_t d : {2, 3, 7, 100, 999}) {
        const Image src = Noise(37, 2, static_cast<uint32_t>(d));
        const Image got = RunMethod(Resample_Linear, src, d, 2, &ok);
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(got.At(d - 1, 1, c), src.At(36, 1, c)) << d;
            EXPECT_EQ(got.At(0, 0, c), src.At(0, 0, c)) << d;
        }
    }
}

// Sides of 65535 pixels: (S - 1) << 16 passes 32 bits, and the four-neighbour
// sum of a white picture reaches 255 * 2^24, beyond a signed 32-bit value.
TEST(ResampleMethods, LinearHandlesFullSidesAndWhiteWithoutOverflow) {
    Image wide(65535, 2);
    for (int32_t x = 0; x < 65535; ++x)
        for (int c = 0; c < 3; ++c) wide.At(x, 0, c) = wide.At(x, 1, c) = static_cast<uint8_t>(x);
    int ok = 0;
    const Image narrow = RunMethod(Resample_Linear, wide, 3, 2, &ok);
    ASSERT_EQ(ok, 1);
    EXPECT_EQ(narrow.At(2, 0, 0), static_cast<uint8_t>(65534));
    EXPECT_EQ(narrow.At(1, 1, 0), static_cast<uint8_t>(32767));
    Image white(9, 9);
    for (int32_t y = 0; y < 9; ++y) std::memset(white.Row(y), 255, 27);
    for (uint8_t b : RunMethod(Resample_Linear, white, 4, 3, &ok).Pixels()) ASSERT_EQ(b, 255);
}

TEST(ResampleMethods, NearestNeighbourPicks) {
    auto pick = [](int32_t s, int32_t d) {
        Image src(s, 1);
        for (int32_t x = 0; x < s; ++x) src.At(x, 0, 0) = static_cast<uint8_t>(x);
        Image dst(d, 1);
        EXPECT_EQ(Stretch_Nearest(src.bytes.data(), src.stride, 0, s, 1, 24, dst.bytes.data(), dst.stride, d, 1), 1);
        return Channel0(dst);
    };
    EXPECT_EQ(pick(5, 3), (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(pick(2, 4), (std::vector<int>{0, 0, 1, 1}));
    // Reduction: round(i (S - 1) / (D - 1)), halves up.
    for (int32_t s : {7, 40, 200})
        for (int32_t d = 1; d < s; d += 3) {
            const std::vector<int> got = pick(s, d);
            for (int32_t i = 0; i < d; ++i)
                ASSERT_EQ(got[i], d == 1 ? 0 : (2 * i * (s - 1) + (d - 1)) / (2 * (d - 1))) << s << "->" << d;
        }
    // Enlargement: every source pixel used, in order, floor or ceil(D / S)
    // times.
    for (int32_t s : {1, 3, 7, 40})
        for (int32_t d = s; d < 5 * s + 3; d += 2) {
            const std::vector<int> got = pick(s, d);
            std::vector<int> count(s, 0);
            for (int32_t i = 0; i < d; ++i) {
                ASSERT_GE(got[i], i ? got[i - 1] : 0);
                ++count[got[i]];
            }
            for (int c : count) ASSERT_TRUE(c == d / s || c == (d + s - 1) / s) << s << "->" << d;
        }
}

TEST(ResampleMethods, NearestNeighbourKeepsEveryDepth) {
    // Indices 0..S-1 stored at each depth, stretched, read back.
    const int32_t s = 13, h = 3;
    for (int32_t bpp : {1, 4, 8, 16, 24, 32})
        for (int32_t d : {5, 13, 29}) {
            const uint32_t top = bpp == 1 ? 1 : bpp == 4 ? 15 : 255;
            auto stride = [&](int32_t w) { return ((w * bpp + 31) / 32) * 4; };
            std::vector<uint8_t> src(static_cast<size_t>(stride(s)) * h), dst(static_cast<size_t>(stride(d)) * 2);
            auto put = [&](uint8_t *row, int32_t x, uint32_t v) {
                if (bpp == 1)
                    row[x / 8] |= static_cast<uint8_t>((v & 1) << (7 - x % 8));
                else if (bpp == 4)
                    row[x / 2] |= static_cast<uint8_t>((v & 15) << (x % 2 ? 0 : 4));
                else
                    row[x * bpp / 8] = static_cast<uint8_t>(v);
            };
            auto get = [&](const uint8_t *row, int32_t x) -> uint32_t {
                if (bpp == 1) return (row[x / 8] >> (7 - x % 8)) & 1;
                if (bpp == 4) return (row[x / 2] >> (x % 2 ? 0 : 4)) & 15;
                return row[x * bpp / 8];
            };
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < s; ++x)
                    put(src.data() + y * stride(s), x, static_cast<uint32_t>(x + y) % (top + 1));
            ASSERT_EQ(Stretch_Nearest(src.data(), stride(s), 0, s, h, bpp, dst.data(), stride(d), d, 2), 1);
            // Reference: the same stretch at 8 bits.
            std::vector<uint8_t> src8(static_cast<size_t>(16) * h), dst8(static_cast<size_t>((d + 3) / 4 * 4) * 2);
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < s; ++x) src8[y * 16 + x] = static_cast<uint8_t>((x + y) % (top + 1));
            ASSERT_EQ(Stretch_Nearest(src8.data(), 16, 0, s, h, 8, dst8.data(), (d + 3) / 4 * 4, d, 2), 1);
            for (int32_t y = 0; y < 2; ++y)
                for (int32_t x = 0; x < d; ++x)
                    ASSERT_EQ(get(dst.data() + y * stride(d), x), dst8[y * ((d + 3) / 4 * 4) + x]) << bpp << " " << d;
        }
    uint8_t px[4] = {};
    EXPECT_EQ(Stretch_Nearest(px, 4, -1, 1, 1, 8, px, 4, 1, 1), 0);
    EXPECT_EQ(Stretch_Nearest(px, 4, 0, 1, 1, 2, px, 4, 1, 1), 0);
}

TEST(ResampleMethods, HermiteTwoToFourKeepsEdgePixel) {
    int ok = 0;
    const Image got =
        RunMethod([](ResampleRequest *r) { return Separable(kQualityHermite, r); }, Row({40, 200}), 4, 1, &ok);
    ASSERT_EQ(ok, 1);
    EXPECT_EQ(got.At(0, 0, 0), 40);
    EXPECT_EQ(got.At(3, 0, 0), 200);
    // One row high, two rows to four: only the vertical pass runs.
    Image column(1, 2);
    column.At(0, 0, 1) = 10;
    column.At(0, 1, 1) = 250;
    const Image tall = RunMethod([](ResampleRequest *r) { return Separable(kQualityHermite, r); }, column, 1, 4, &ok);
    EXPECT_EQ(tall.At(0, 0, 1), 10);
    EXPECT_EQ(tall.At(0, 3, 1), 250);
}

TEST(ResampleMethods, SharpKernelsClampOvershoot) {
    int ok = 0;
    for (int32_t code : {kQualityCatmullRom, kQualitySinc225, kQualityLanczos3}) {
        const Image got = RunMethod([&](ResampleRequest *r) { return Separable(code, r); },
                                    Row({0, 0, 0, 255, 255, 255}), 23, 1, &ok);
        const std::vector<int> v = Channel0(got);
        EXPECT_EQ(*std::min_element(v.begin(), v.end()), 0) << code;
        EXPECT_EQ(*std::max_element(v.begin(), v.end()), 255) << code;
    }
}

// Past a hundredth the separable filter averages instead.
TEST(ResampleMethods, SeparableHundredthRule) {
    const Image big = Noise(1000, 1000, 9);
    auto lanczos = [](ResampleRequest *r) { return Separable(kQualityLanczos3, r); };
    int ok = 0;
    EXPECT_EQ(RunMethod(lanczos, big, 5, 5, &ok).Pixels(), RunMethod(Resample_AreaAverage, big, 5, 5, &ok).Pixels());
    EXPECT_NE(RunMethod(lanczos, big, 20, 20, &ok).Pixels(),
              RunMethod(Resample_AreaAverage, big, 20, 20, &ok).Pixels());
    RunMethod(lanczos, big, 5, 5, &ok, 0);
    EXPECT_EQ(ok, 0);

    const Image strip = Noise(1000, 10, 10);
    EXPECT_EQ(RunMethod(lanczos, strip, 5, 10, &ok).Pixels(),
              RunMethod(Resample_AreaAverage, strip, 5, 10, &ok).Pixels());
    EXPECT_EQ(RunMethod(lanczos, strip, 9, 10, &ok).Pixels(),
              RunMethod(Resample_AreaAverage, strip, 9, 10, &ok).Pixels());
    EXPECT_NE(RunMethod(lanczos, strip, 10, 10, &ok).Pixels(),
              RunMethod(Resample_AreaAverage, strip, 10, 10, &ok).Pixels());

    EXPECT_EQ(Filter_PassCost(10, 10), 12u * 10 + 32u * 10);
    EXPECT_EQ(Filter_PassCost(0, 10), 0u);
    EXPECT_EQ(Filter_PassCost(60000, 60000), 0u);
}

// 1000 to 10 takes ceil(6 x 1000 / 10) = 600 taps, and every table of
// weights adds up to exactly 65536 however many taps it truncates.
TEST(ResampleMethods, WeightTablesSumToOne) {
    const ResampleFilterBuilders *lanczos = Resample_FilterForCode(kQualityLanczos3);
    ASSERT_NE(lanczos, nullptr);
    EXPECT_EQ(Resample_FilterForCode(20), nullptr);
    Image src(1000, 4), dst(10, 4);
    ResampleRequest r = RequestFor(dst, src);
    ResampleWeights w;
    EXPECT_EQ(lanczos->enlarge(&r, &w, 1), 0);
    ASSERT_EQ(lanczos->reduce(&r, &w, 1), 1);
    EXPECT_EQ(w.taps, 600);
    EXPECT_EQ(lanczos->reduce(&r, &w, 0), 0);  // heights unchanged
    for (int32_t code : kFilterCodes)
        for (auto sizes : {std::pair<int32_t, int32_t>{1000, 10}, {100, 37}, {7, 19}, {2, 4}, {19, 7}}) {
            Image s2(sizes.first, 1), d2(sizes.second, 1);
            ResampleRequest q = RequestFor(d2, s2);
            const ResampleFilterBuilders *f = Resample_FilterForCode(code);
            ASSERT_EQ((sizes.second > sizes.first ? f->enlarge : f->reduce)(&q, &w, 1), 1);
            for (int32_t i = 0; i < w.count; ++i) {
                int64_t sum = 0;
                for (int32_t k = 0; k < w.taps; ++k) {
                    sum += w.Weights()[i * w.taps + k];
                    const int32_t off = w.Offsets()[i * w.taps + k];
                    ASSERT_TRUE(off >= 0 && off <= 3 * (sizes.first - 1) && off % 3 == 0);
                }
                ASSERT_EQ(sum, 65536) << code << " " << sizes.first << "->" << sizes.second << " pixel " << i;
            }
        }
}

TEST(ResampleMethods, AreaEnlargeReplicatesOrFallsBack) {
    int ok = 0;
    EXPECT_EQ(Channel0(RunMethod(Resample_AreaEnlarge, Row({7, 9}), 6, 1, &ok)), (std::vector<int>{7, 7, 7, 9, 9, 9}));
    // 43691 -> 65535 repeats each pixel twice; lcm(65535, 87382) passes 32 bits.
    const Image wide = Noise(43691, 1, 4);
    const Image viaLinear = RunMethod(Resample_Linear, wide, 65535, 1, &ok);
    EXPECT_EQ(RunMethod(Resample_AreaEnlarge, wide, 65535, 1, &ok).Pixels(), viaLinear.Pixels());
    EXPECT_EQ(ok, 1);
    RunMethod(Resample_AreaEnlarge, wide, 65535, 1, &ok, 0);
    EXPECT_EQ(ok, 0);
}

TEST(ResampleMethods, AreaAverageFallsBackWhenGridOverflows) {
    ASSERT_EQ(Resample_Lcm(100003, 99991), 0u);
    const Image wide = Noise(100003, 1, 6);
    int ok = 0;
    EXPECT_EQ(RunMethod(Resample_AreaAverage, wide, 99991, 1, &ok).Pixels(),
              RunMethod(Resample_IntAverageHalf, wide, 99991, 1, &ok).Pixels());
    RunMethod(Resample_AreaAverage, wide, 99991, 1, &ok, 0);
    EXPECT_EQ(ok, 0);
}

TEST(ResampleMethods, SharpenKeepsFlatGreyAndClamps) {
    Image flat(5, 4), out(5, 4);
    for (int32_t y = 0; y < 4; ++y) std::memset(flat.Row(y), 77, 15);
    ASSERT_EQ(Resample_Sharpen3x3Bits(flat.bytes.data(), flat.stride, out.bytes.data(), out.stride, 5, 4,
                                      kResampleSharpenKernel),
              1);
    for (uint8_t b : out.Pixels()) ASSERT_EQ(b, 77);
    Image dot(3, 3);
    for (int32_t y = 0; y < 3; ++y) std::memset(dot.Row(y), 0, 9);
    dot.At(1, 1, 0) = 255;
    ASSERT_EQ(Resample_Sharpen3x3Bits(dot.bytes.data(), dot.stride, out.bytes.data(), out.stride, 3, 3,
                                      kResampleSharpenKernel),
              1);
    EXPECT_EQ(out.At(1, 1, 0), 255);  // 48 * 255 > 10179
    EXPECT_EQ(out.At(0, 0, 0), 0);    // -255 <= 0
}

}  // namespace
