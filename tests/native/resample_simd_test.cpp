// Every vector path gives the scalar reference's bytes: random sizes up to
// 3000, odd widths, one-pixel sides, extreme ratios, rows in either order.
#include <gtest/gtest.h>

#include "resample_test_support.h"

using namespace resample_test;

namespace {

struct Sizes {
    int32_t sw, sh, dw, dh;
};

std::vector<Sizes> SizesToTry(uint32_t seed) {
    std::vector<Sizes> sizes = {
        {1, 1, 3000, 2},  {3000, 2, 1, 1}, {1, 3000, 2, 1},  {3000, 3, 30, 5}, {31, 7, 3000, 3},
        {2, 3000, 1, 37}, {5, 3, 3, 5},    {17, 1, 5, 9},    {1, 17, 9, 5},    {11, 11, 11, 12},
        {641, 3, 13, 1},  {13, 1, 641, 3}, {33, 33, 35, 31}, {101, 5, 102, 5},
    };
    std::mt19937 rng(seed);
    for (int i = 0; i < 4; ++i) {
        // One long side up to 3000, the other short, to keep the run quick.
        const int32_t a = 1 + static_cast<int32_t>(rng() % 3000), b = 1 + static_cast<int32_t>(rng() % 3000);
        const int32_t c = 1 + static_cast<int32_t>(rng() % 24), d = 1 + static_cast<int32_t>(rng() % 24);
        if (i % 2)
            sizes.push_back({a, c, b, d});
        else
            sizes.push_back({c, a, d, b});
    }
    return sizes;
}

// Runs a code with rows bottom-up or top-down (negative strides), returns
// the pixels in picture order.
std::vector<uint8_t> RunCode(int32_t code, const Image &src, const Sizes &s, bool topDown) {
    Image dst(s.dw, s.dh);
    ResampleRequest r = RequestFor(dst, src);
    if (topDown) {
        r.srcBits = src.Row(s.sh - 1);
        r.srcStride = -src.stride;
        r.dstBits = dst.Row(s.dh - 1);
        r.dstStride = -dst.stride;
    }
    EXPECT_EQ(Resample_Dispatch(&r, code, code), 1);
    if (!topDown) return dst.Pixels();
    std::vector<uint8_t> out;
    for (int32_t y = s.dh - 1; y >= 0; --y) out.insert(out.end(), dst.Row(y), dst.Row(y) + 3 * s.dw);
    return out;
}

Image SourceFor(const Sizes &s, uint32_t seed, bool topDown) {
    const Image img = Photo(s.sw, s.sh, seed);
    return topDown ? MirrorY(img) : img;
}

TEST(ResampleSimd, VectorPathsMatchScalarReference) {
    const int32_t codes[] = {kQualityLinear,      kQualityHermite,  kQualityQuadraticSpline,
                             kQualityCubicSpline, kQualityMitchell, kQualityCatmullRom,
                             kQualitySinc225,     kQualitySinc25,   kQualityLanczos3};
    std::vector<ResampleSimd> levels = {ResampleSimd::Sse2};
    if (Resample_BestSimd() == ResampleSimd::Avx2) levels.push_back(ResampleSimd::Avx2);
    for (int32_t code : codes) {
        uint32_t seed = static_cast<uint32_t>(code);
        for (const Sizes &s : SizesToTry(seed)) {
            const bool topDown = (++seed & 1) != 0;
            const Image src = SourceFor(s, seed, topDown);
            std::vector<uint8_t> reference;
            {
                SimdScope scope(ResampleSimd::Scalar);
                reference = RunCode(code, src, s, topDown);
            }
            for (ResampleSimd level : levels) {
                SimdScope scope(level);
                ASSERT_EQ(RunCode(code, src, s, topDown), reference)
                    << "code " << code << " level " << static_cast<int>(level) << " " << s.sw << "x" << s.sh << " -> "
                    << s.dw << "x" << s.dh;
            }
        }
    }
}

// Weight tables that need the split into 16-bit halves (enlarging gives
// weights near 65536) and ones that do not, on noise with hard overshoots.
TEST(ResampleSimd, SplitAndPlainWeightsMatchOnNoise) {
    const Sizes sizes[] = {{7, 5, 29, 23}, {29, 23, 7, 5}, {64, 3, 65, 3}, {3, 64, 3, 63}, {45, 2, 44, 2}};
    for (int32_t code : kFilterCodes)
        for (const Sizes &s : sizes) {
            const Image src = Noise(s.sw, s.sh, static_cast<uint32_t>(code + s.dw));
            std::vector<uint8_t> reference;
            {
                SimdScope scope(ResampleSimd::Scalar);
                reference = RunCode(code, src, s, false);
            }
            SimdScope scope(Resample_BestSimd());
            ASSERT_EQ(RunCode(code, src, s, false), reference) << "code " << code << " " << s.sw << "->" << s.dw;
            SimdScope sse(ResampleSimd::Sse2);
            ASSERT_EQ(RunCode(code, src, s, false), reference) << "code " << code << " " << s.sw << "->" << s.dw;
        }
}

TEST(ResampleSimd, LevelIsClampedToProcessor) {
    SimdScope scope(ResampleSimd::Avx2);
    EXPECT_LE(static_cast<int>(Resample_GetSimd()), static_cast<int>(Resample_BestSimd()));
}

}  // namespace
