// The resampling methods against independent models: a double-precision
// convolution for the separable kernels, an exact rational area average, and
// the symmetry and flat-picture properties every method should keep.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "resample_test_support.h"

using namespace resample_test;

namespace {

// ---- Double-precision model of the separable filter. ----

struct ModelKernel {
    int32_t code;
    double radius;
    std::function<double(double)> k;
};

double SincWindow(double t, double window) {
    if (t < 2.220446049250313e-16) return 1.0;
    const double a = 3.141592653589793 * t;
    return std::sin(a) * std::sin(a / window) / (a * a / window);
}

const ModelKernel kModelKernels[] = {
    {kQualityHermite, 1.0, [](double t) { return 2 * t * t * t - 3 * t * t + 1; }},
    {kQualityQuadraticSpline, 1.5, [](double t) { return t < 0.5 ? 0.75 - t * t : 0.5 * (t - 1.5) * (t - 1.5); }},
    {kQualityCubicSpline, 2.0,
     [](double t) { return t < 1 ? (3 * t * t * t - 6 * t * t + 4) / 6 : std::pow(2 - t, 3) / 6; }},
    {kQualityMitchell, 2.0,
     [](double t) {
         // B = C = 1/3.
         const double b = 1.0 / 3, c = 1.0 / 3;
         if (t < 1) return ((12 - 9 * b - 6 * c) * t * t * t + (-18 + 12 * b + 6 * c) * t * t + (6 - 2 * b)) / 6;
         return ((-b - 6 * c) * t * t * t + (6 * b + 30 * c) * t * t + (-12 * b - 48 * c) * t + (8 * b + 24 * c)) / 6;
     }},
    {kQualityCatmullRom, 2.0,
     [](double t) {
         const double a = -0.5;
         if (t < 1) return (a + 2) * t * t * t - (a + 3) * t * t + 1;
         return a * t * t * t - 5 * a * t * t + 8 * a * t - 4 * a;
     }},
    {kQualitySinc225, 2.0, [](double t) { return SincWindow(t, 2.25); }},
    {kQualitySinc25, 2.0, [](double t) { return SincWindow(t, 2.5); }},
    {kQualityLanczos3, 3.0, [](double t) { return SincWindow(t, 3.0); }},
};

struct Tap {
    int32_t index;
    double weight;
};

// Every sample within the kernel's reach, weights normalised to 1.
std::vector<std::vector<Tap>> ModelAxis(int32_t src, int32_t dst, const ModelKernel &kernel) {
    std::vector<std::vector<Tap>> axis(dst);
    const double s = src, d = dst, r = kernel.radius;
    for (int32_t i = 0; i < dst; ++i) {
        const double centre = i + 0.5;
        // Distance of sample j from this pixel's centre, in the units the
        // kernel is applied in (source pixels up, destination pixels down).
        auto distance = [&](int64_t j) {
            return dst > src ? std::fabs(centre * s / d - (j + 0.5)) : std::fabs(centre - (j + 0.5) * d / s);
        };
        const double reach = dst > src ? r : r * s / d;
        const double mid = centre * s / d;
        double sum = 0;
        for (int64_t j = static_cast<int64_t>(std::floor(mid - reach)) - 2;
             j <= static_cast<int64_t>(std::ceil(mid + reach)) + 2; ++j) {
            const double t = distance(j);
            if (t >= r) continue;
            const double w = kernel.k(t);
            axis[i].push_back({static_cast<int32_t>(std::clamp<int64_t>(j, 0, src - 1)), w});
            sum += w;
        }
        for (Tap &tap : axis[i]) tap.weight = sum == 0 ? 0 : tap.weight / sum;
    }
    return axis;
}

uint8_t ModelByte(double v) { return static_cast<uint8_t>(std::clamp(std::floor(v + 0.5), 0.0, 255.0)); }

Image ModelPass(const Image &src, int32_t dw, int32_t dh, const ModelKernel &kernel, bool horizontal) {
    Image out(dw, dh);
    const auto axis = horizontal ? ModelAxis(src.width, dw, kernel) : ModelAxis(src.height, dh, kernel);
    for (int32_t y = 0; y < dh; ++y)
        for (int32_t x = 0; x < dw; ++x)
            for (int c = 0; c < 3; ++c) {
                double v = 0;
                for (const Tap &t : axis[horizontal ? x : y])
                    v += t.weight * (horizontal ? src.At(t.index, y, c) : src.At(x, t.index, c));
                out.At(x, y, c) = ModelByte(v);
            }
    return out;
}

uint64_t ModelCost(int64_t w, int64_t h) { return 12 * w + ((24 * w + 31) / 32) * 4 * h; }

Image ModelSeparable(const Image &src, int32_t dw, int32_t dh, const ModelKernel &kernel) {
    if (src.width == 1 && src.height == 1) {
        Image out(dw, dh);
        for (int32_t y = 0; y < dh; ++y)
            for (int32_t x = 0; x < dw; ++x)
                for (int c = 0; c < 3; ++c) out.At(x, y, c) = src.At(0, 0, c);
        return out;
    }
    const bool changeW = dw != src.width, changeH = dh != src.height;
    if (!changeH) return ModelPass(src, dw, dh, kernel, true);
    if (!changeW) return ModelPass(src, dw, dh, kernel, false);
    // The order that keeps the intermediate small; rows first on a tie.
    if (ModelCost(src.width, dh) < ModelCost(dw, src.height))
        return ModelPass(ModelPass(src, src.width, dh, kernel, false), dw, dh, kernel, true);
    return ModelPass(ModelPass(src, dw, src.height, kernel, true), dw, dh, kernel, false);
}

struct SizeCase {
    int32_t sw, sh, dw, dh;
};

const SizeCase kFilterSizes[] = {
    {2, 2, 4, 4},       {7, 7, 19, 19}, {19, 19, 7, 7},     {100, 100, 37, 37}, {1000, 12, 10, 12}, {12, 1000, 12, 10},
    {1000, 30, 10, 90}, {7, 19, 19, 7}, {100, 37, 37, 100}, {19, 7, 7, 19},     {1, 7, 1, 19},      {19, 1, 7, 1},
    {1, 1, 5, 3},       {7, 7, 1, 1},   {1, 19, 3, 7},      {2, 1, 1, 2},
};

// A two-pass resize is checked pass by pass: a difference of one in the
// intermediate may legitimately grow through a sharp second kernel, so the
// second pass of the model starts from the engine's own first pass (a
// one-axis resize runs exactly that pass).
TEST(ResampleModel, SeparableKernelsWithinOneOfDoubleModel) {
    for (const ModelKernel &kernel : kModelKernels)
        for (const SizeCase &c : kFilterSizes) {
            const Image src = Noise(c.sw, c.sh, 17 + c.sw * 31 + c.dh);
            auto engine = [&](const Image &in, int32_t w, int32_t h) {
                int ok = 0;
                Image out = RunMethod([&](ResampleRequest *r) { return Separable(kernel.code, r); }, in, w, h, &ok);
                EXPECT_EQ(ok, 1);
                return out;
            };
            const Image got = engine(src, c.dw, c.dh);
            Image want;
            const bool twoPass = c.dw != c.sw && c.dh != c.sh && !(c.sw == 1 && c.sh == 1);
            if (twoPass) {
                const bool columnsFirst = ModelCost(c.sw, c.dh) < ModelCost(c.dw, c.sh);
                const int32_t mw = columnsFirst ? c.sw : c.dw, mh = columnsFirst ? c.dh : c.sh;
                const Image mid = engine(src, mw, mh);
                EXPECT_LE(MaxDiff(mid, ModelPass(src, mw, mh, kernel, !columnsFirst)), 1)
                    << "first pass, code " << kernel.code << " " << c.sw << "x" << c.sh;
                want = ModelPass(mid, c.dw, c.dh, kernel, columnsFirst);
            } else {
                want = ModelSeparable(src, c.dw, c.dh, kernel);
            }
            EXPECT_LE(MaxDiff(got, want), 1)
                << "code " << kernel.code << " " << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh;
        }
}

// ---- Exact rational model of the area average. ----

// The source read as repeated k times per axis, k = ceil(dst / src) (1 when
// reducing), then each destination pixel the exact mean of the area it
// covers, rounded half up.
Image ModelArea(const Image &src, int32_t dw, int32_t dh) {
    const int64_t kx = (src.width + dw - 1) / src.width, ky = (src.height + dh - 1) / src.height;
    const int64_t vw = src.width * kx, vh = src.height * ky;
    Image out(dw, dh);
    // In units of 1 / (dst) virtual pixels: destination d spans [d vw, (d+1) vw)
    // and virtual pixel v spans [v dw, (v+1) dw).
    auto overlap = [](int64_t d, int64_t dstN, int64_t v, int64_t srcN) {
        const int64_t lo = std::max(d * srcN, v * dstN), hi = std::min((d + 1) * srcN, (v + 1) * dstN);
        return std::max<int64_t>(0, hi - lo);
    };
    for (int32_t y = 0; y < dh; ++y)
        for (int32_t x = 0; x < dw; ++x)
            for (int c = 0; c < 3; ++c) {
                int64_t sum = 0;
                for (int64_t vy = 0; vy < vh; ++vy) {
                    const int64_t oy = overlap(y, dh, vy, vh);
                    if (oy == 0) continue;
                    for (int64_t vx = 0; vx < vw; ++vx) {
                        const int64_t ox = overlap(x, dw, vx, vw);
                        if (ox)
                            sum += ox * oy * src.At(static_cast<int32_t>(vx / kx), static_cast<int32_t>(vy / ky), c);
                    }
                }
                const int64_t area = vw * vh;  // each destination pixel covers vw x vh units
                out.At(x, y, c) = static_cast<uint8_t>((2 * sum + area) / (2 * area));
            }
    return out;
}

TEST(ResampleModel, AreaAverageMatchesExactRationalModelForAllSizesUpTo40) {
    for (int32_t s = 1; s <= 40; ++s)
        for (int32_t d = 1; d <= 40; ++d) {
            const Image across = Noise(s, 3, 1000 + s * 41 + d);
            const Image down = Noise(2, s, 2000 + s * 41 + d);
            int ok = 0;
            const Image gotAcross = RunMethod(Resample_AreaAverage, across, d, 2, &ok);
            ASSERT_EQ(ok, 1);
            ASSERT_EQ(gotAcross.Pixels(), ModelArea(across, d, 2).Pixels()) << s << " -> " << d << " across";
            const Image gotDown = RunMethod(Resample_AreaAverage, down, 3, d, &ok);
            ASSERT_EQ(ok, 1);
            ASSERT_EQ(gotDown.Pixels(), ModelArea(down, 3, d).Pixels()) << s << " -> " << d << " down";
        }
}

TEST(ResampleModel, AreaAverageMatchesModelOnBothAxesAtOnce) {
    std::mt19937 rng(5);
    for (int i = 0; i < 200; ++i) {
        const int32_t sw = 1 + rng() % 40, sh = 1 + rng() % 40, dw = 1 + rng() % 40, dh = 1 + rng() % 40;
        const Image src = Noise(sw, sh, i);
        int ok = 0;
        const Image got = RunMethod(Resample_AreaAverage, src, dw, dh, &ok);
        ASSERT_EQ(ok, 1);
        ASSERT_EQ(got.Pixels(), ModelArea(src, dw, dh).Pixels()) << sw << "x" << sh << " -> " << dw << "x" << dh;
    }
}

// ---- Properties every method keeps. ----

const int32_t kAllCodes[] = {kQualityLinear,     kQualityAreaAverage,     kQualityIntAverage,  kQualityIntAverageHalf,
                             kQualityHermite,    kQualityQuadraticSpline, kQualityCubicSpline, kQualityMitchell,
                             kQualityCatmullRom, kQualitySinc225,         kQualitySinc25,      kQualityLanczos3,
                             kQualityNone};

TEST(ResampleModel, FlatPictureStaysFlat) {
    const SizeCase sizes[] = {{40, 30, 13, 7},  {13, 7, 40, 30}, {1000, 4, 10, 3}, {3, 1000, 2, 10},
                              {30, 40, 41, 11}, {5, 5, 5, 1},    {1, 9, 4, 2},     {9, 1, 2, 4}};
    for (int32_t code : kAllCodes)
        for (const SizeCase &c : sizes)
            for (uint8_t v : {uint8_t{0}, uint8_t{1}, uint8_t{128}, uint8_t{254}, uint8_t{255}}) {
                Image src(c.sw, c.sh);
                for (int32_t y = 0; y < c.sh; ++y) std::memset(src.Row(y), v, 3 * c.sw);
                Image dst(c.dw, c.dh);
                ResampleRequest r = RequestFor(dst, src);
                ASSERT_EQ(Resample_Dispatch(&r, code, code), 1);
                for (uint8_t b : dst.Pixels()) ASSERT_EQ(b, v) << "code " << code << " " << c.sw << "x" << c.sh;
            }
}

TEST(ResampleModel, MirroredSourceGivesMirroredResult) {
    // Methods symmetric by construction; nearest neighbour and block
    // averaging break ties one way and are left out.
    const int32_t codes[] = {kQualityLinear,      kQualityAreaAverage, kQualityHermite,    kQualityQuadraticSpline,
                             kQualityCubicSpline, kQualityMitchell,    kQualityCatmullRom, kQualitySinc225,
                             kQualitySinc25,      kQualityLanczos3};
    const SizeCase sizes[] = {{37, 23, 100, 61}, {100, 61, 37, 23}, {64, 48, 21, 77}, {9, 9, 4, 4}};
    for (int32_t code : codes)
        for (const SizeCase &c : sizes) {
            const Image src = Photo(c.sw, c.sh, 3);
            auto resize = [&](const Image &in) {
                Image out(c.dw, c.dh);
                ResampleRequest r = RequestFor(out, in);
                EXPECT_EQ(Resample_Dispatch(&r, code, code), 1);
                return out;
            };
            EXPECT_LE(MaxDiff(resize(MirrorX(src)), MirrorX(resize(src))), 1) << "code " << code << " across";
            EXPECT_LE(MaxDiff(resize(MirrorY(src)), MirrorY(resize(src))), 1) << "code " << code << " down";
        }
}

}  // namespace
