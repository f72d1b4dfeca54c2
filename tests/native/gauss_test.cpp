// The Gaussian filter: the kernel against a long-double model of its steps,
// the whole filter against a literal two-pass reference on small random
// pictures (in place and into a result slot), pictures of other depths read
// through a 24-bit copy, the limits of radius, amount and threshold, the
// refusals of the filter and of the passes, library failures injected, and
// bands on threads against one thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "colour_fixture.h"
#include "edit_tasks_scope.h"
#include "image/qv_CorrectionTable.h"
#include "image/qv_DibRows.h"
#include "image/qv_Gauss.h"
#include "image/qv_GaussPass.h"
#include "image/qv_GaussTaps.h"
#include "image/qv_PixelValue.h"
#include "raw_pixel.h"

using namespace colourfix;

namespace {

// ---- The kernel: a long-double model of its steps. ----

// Weights 0..n, or none when the kernel fails.
std::vector<int32_t> ModelKernel(int32_t sigmaMilli, int32_t limit) {
    if (limit < 1) return {};
    const long double sigma = sigmaMilli / 1000.0L;
    std::vector<int64_t> w{65536};
    int64_t total = 65536;
    for (int32_t i = 1; i <= limit; ++i) {
        const long double v = std::exp(-static_cast<long double>(i) * i / (2 * sigma * sigma));
        const int64_t wi = static_cast<int64_t>(std::trunc(v * 65536));
        const int64_t grown = total + 2 * wi;
        if (static_cast<int64_t>(std::trunc(wi * (65536.0L / grown))) == 0) break;
        w.push_back(wi);
        total = grown;
    }
    if (w.size() < 2) return {};
    std::vector<int32_t> out;
    for (int64_t x : w) out.push_back(static_cast<int32_t>(std::trunc(x * 65536.0L / total)));
    return out;
}

int32_t RadiusLimit(int32_t r) { return (5 * r + 1849) / 1000; }

// Non-negative, never increasing outwards, and summing to 65536 less what
// truncating each weight lost (under 1 each).
void ExpectSoundKernel(const int32_t *w, int32_t n) {
    int64_t total = w[0];
    for (int32_t k = 0; k <= n; ++k) {
        ASSERT_GE(w[k], 0) << k;
        if (k > 0) {
            ASSERT_LE(w[k], w[k - 1]) << k;
            total += 2 * int64_t{w[k]};
        }
    }
    EXPECT_LE(total, 65536);
    EXPECT_GT(total, 65536 - (2 * int64_t{n} + 1));
}

TEST(GaussKernel, FollowsTheModel) {
    constexpr int32_t kNoCheck = -1;
    const struct {
        const char *name;
        int32_t sigmaMilli, limit, n;  // n: the half-width expected, kNoCheck: the model's only
    } cases[] = {
        {"radius 1: sigma 0.171 stops before its first side weight", 171, RadiusLimit(1), 0},
        {"radius 49: the last radius without side weights", 219, RadiusLimit(49), 0},
        {"radius 50: one side weight", 220, RadiusLimit(50), 1},
        {"radius 600: sigma 0.77, limit 4", 770, 4, 3},
        {"radius 5000: sigma 5.17, limit 26", 5170, 26, 21},
        {"radius 100000: the largest", 100170, 501, 334},
        {"a limit that binds", 5170, 3, 3},
        {"a limit of one", 5170, 1, 1},
        {"a limit of 0 fails", 1170, 0, 0},
        {"a negative limit fails", 1170, -4, 0},
        {"sigma 0 fails", 0, 10, 0},
        {"a huge sigma keeps every weight up to the largest limit", INT32_MAX, kGaussMaxHalfWidth, kGaussMaxHalfWidth},
        {"a huge sigma with a huge limit stops where weights vanish", INT32_MAX, 100000, kNoCheck},
        {"sigma 30.17", 30170, RadiusLimit(30000), kNoCheck},
        {"sigma 2.5 with room to spare", 2500, 1000, kNoCheck},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        constexpr int32_t kGuard = 4, kSentinel = -77;
        std::vector<int32_t> w(size_t(std::max(c.limit, 0)) + 1 + kGuard, kSentinel);
        const int32_t n = Gauss_Kernel(c.sigmaMilli, w.data(), c.limit);
        if (c.n != kNoCheck) {
            EXPECT_EQ(n, c.n);
        }
        if (c.sigmaMilli != 0) {
            const std::vector<int32_t> model = ModelKernel(c.sigmaMilli, c.limit);
            ASSERT_EQ(n, model.empty() ? 0 : int32_t(model.size()) - 1);
            for (int32_t k = 0; k <= n && n > 0; ++k) ASSERT_EQ(w[size_t(k)], model[size_t(k)]) << k;
        }
        for (size_t k = w.size() - kGuard; k < w.size(); ++k) EXPECT_EQ(w[k], kSentinel) << "written past the limit";
        if (n > 0) ExpectSoundKernel(w.data(), n);
    }
    int32_t w[4];
    EXPECT_EQ(Gauss_Kernel(770, nullptr, 3), 0);
    EXPECT_EQ(Gauss_Kernel(770, w, 3), 3);
}

TEST(GaussKernel, EveryRadiusFollowsTheModelAndFitsTheRows) {
    std::vector<int32_t> radii;
    for (int32_t r = 1; r <= 3000; ++r) radii.push_back(r);
    for (int32_t r = 3000; r < kGaussMaxRadius; r += r / 40) radii.push_back(r);
    radii.push_back(kGaussMaxRadius);
    GaussKernel k;
    for (int32_t r : radii) {
        Gauss_KernelForRadius(r, &k);
        const std::vector<int32_t> model = ModelKernel(r + 170, RadiusLimit(r));
        ASSERT_EQ(k.n, model.empty() ? 0 : int32_t(model.size()) - 1) << r;
        ASSERT_EQ(k.n == 0, r < 50) << r;
        for (int32_t i = 0; i <= k.n && k.n > 0; ++i) ASSERT_EQ(k.w[i], model[size_t(i)]) << r << " weight " << i;
        if (k.n > 0) {
            ASSERT_TRUE(GaussTaps_Fits(k)) << r;
        }
    }
    // Radii are limited to 1..100000.
    GaussKernel largest, smallest;
    Gauss_KernelForRadius(kGaussMaxRadius, &largest);
    Gauss_KernelForRadius(1, &smallest);
    for (int32_t r : {kGaussMaxRadius + 1, 5000000, INT32_MAX}) {
        Gauss_KernelForRadius(r, &k);
        ASSERT_EQ(k.n, largest.n) << r;
        for (int32_t i = 0; i <= k.n; ++i) ASSERT_EQ(k.w[i], largest.w[i]) << r;
    }
    for (int32_t r : {0, -1, INT32_MIN}) {
        Gauss_KernelForRadius(r, &k);
        EXPECT_EQ(k.n, 0) << r;
    }
    EXPECT_EQ(smallest.n, 0);
}

// ---- The correction table. ----

TEST(GaussCorrectionTable, ScalesRoundsAndDropsWithinTheThreshold) {
    int16_t t[kCorrectionEntries];
    // Strength 350: 35 % of the difference, halves away from zero.
    ASSERT_TRUE(CorrectionTable_Build(350, 0, t));
    for (int i = -255; i <= 255; ++i) {
        const int a = std::abs(i), rounded = (2 * a * 350 + 1000) / 2000;
        ASSERT_EQ(t[kCorrectionCentre + i], i < 0 ? -rounded : rounded) << i;
    }
    EXPECT_EQ(t[kCorrectionCentre + 10], 4);   // 3.5
    EXPECT_EQ(t[kCorrectionCentre - 10], -4);  // -3.5
    // Strength 1500, threshold 15: no change while the scaled difference
    // rounds to 15 or less, then the excess.
    ASSERT_TRUE(CorrectionTable_Build(1500, 15, t));
    for (int i = 0; i <= 255; ++i) {
        const int scaled = (500 + 1500 * i) / 1000;
        const int want = std::min(255, std::max(0, scaled - 15));
        ASSERT_EQ(t[kCorrectionCentre + i], want) << i;
        ASSERT_EQ(t[kCorrectionCentre - i], -want) << i;
    }
    EXPECT_EQ(t[kCorrectionCentre + 10], 0);  // 15
    EXPECT_EQ(t[kCorrectionCentre + 11], 2);  // 17 - 15
    // Extreme strengths and thresholds give the formula's values.
    ASSERT_TRUE(CorrectionTable_Build(INT32_MAX, 0, t));
    EXPECT_EQ(t[kCorrectionCentre], 0);
    EXPECT_EQ(t[kCorrectionCentre + 1], 255);
    EXPECT_EQ(t[kCorrectionCentre - 255], -255);
    ASSERT_TRUE(CorrectionTable_Build(INT32_MAX, INT32_MAX, t));
    for (int16_t v : t) ASSERT_EQ(v, 0);
    // No strength, no table: the old one is left alone.
    for (int32_t strength : {0, -1, INT32_MIN}) {
        std::fill(std::begin(t), std::end(t), int16_t{99});
        EXPECT_FALSE(CorrectionTable_Build(strength, 0, t)) << strength;
        for (int16_t v : t) ASSERT_EQ(v, 99);
    }
    EXPECT_FALSE(CorrectionTable_Build(1000, 0, nullptr));
}

// ---- Pictures and the reference filter. ----

// 24-bit pixels as bytes (blue, green, red), rows from the top.
struct Rgb24 {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> v;
    uint8_t &At(int32_t x, int32_t y, int c) { return v[(size_t(y) * size_t(width) + size_t(x)) * 3 + size_t(c)]; }
    uint8_t At(int32_t x, int32_t y, int c) const {
        return v[(size_t(y) * size_t(width) + size_t(x)) * 3 + size_t(c)];
    }
};

Rgb24 Blank(int32_t width, int32_t height) {
    Rgb24 p;
    p.width = width;
    p.height = height;
    p.v.assign(size_t(width) * size_t(height) * 3, 0);
    return p;
}

// Read byte by byte from the header's own numbers; empty unless 24 bits.
Rgb24 Read24(DibHandle h) {
    const DibData *d = Dibcore_DataDIB(h);
    if (d == nullptr || d->header->biBitCount != 24) return {};
    const DibInfoHeader &hd = *d->header;
    Rgb24 p = Blank(hd.biWidth, std::abs(hd.biHeight));
    for (int32_t y = 0; y < p.height; ++y)
        for (int32_t x = 0; x < p.width; ++x) {
            const uint32_t raw = RawPixelOf(hd, d->bits, x, y);
            for (int c = 0; c < 3; ++c) p.At(x, y, c) = uint8_t(raw >> (8 * c));
        }
    return p;
}

Rgb24 Cut(const Rgb24 &p, const SelRect &r) {
    Rgb24 out = Blank(r.right - r.left, r.bottom - r.top);
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x)
            for (int c = 0; c < 3; ++c) out.At(x - r.left, y - r.top, c) = p.At(x, y, c);
    return out;
}

::testing::AssertionResult SameBytes(const std::vector<uint8_t> &got, const std::vector<uint8_t> &want) {
    if (got.size() != want.size())
        return ::testing::AssertionFailure() << got.size() << " bytes, want " << want.size();
    size_t diffs = 0, first = 0;
    for (size_t i = 0; i < got.size(); ++i)
        if (got[i] != want[i] && diffs++ == 0) first = i;
    if (diffs == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << diffs << " bytes differ, the first at " << first << ": "
                                         << int(got[first]) << ", want " << int(want[first]);
}

::testing::AssertionResult SamePixels(const Rgb24 &got, const Rgb24 &want) {
    if (got.width != want.width || got.height != want.height)
        return ::testing::AssertionFailure() << got.width << " x " << got.height << ", want " << want.width << " x "
                                             << want.height;
    return SameBytes(got.v, want.v);
}

// The picture's bytes (header block and bits) with `part` written over the
// pixels of `r`: row padding and every other pixel as they were.
std::vector<uint8_t> BytesWith(DibHandle h, const Rgb24 &part, const SelRect &r) {
    std::vector<uint8_t> bytes = Bytes(h);
    const DibData *d = Dibcore_DataDIB(h);
    const int32_t width = d->header->biWidth, signedHeight = d->header->biHeight;
    const int32_t rows = std::abs(signedHeight);
    const size_t stride = (size_t(width) * 24 + 31) / 32 * 4;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        const size_t row = size_t(signedHeight < 0 ? y : rows - 1 - y);
        for (int32_t x = r.left; x < r.right; ++x)
            for (int c = 0; c < 3; ++c)
                bytes[d->headerSize + row * stride + 3 * size_t(x) + size_t(c)] = part.At(x - r.left, y - r.top, c);
    }
    return bytes;
}

int Round16(int64_t sum) { return sum > 0xFEFFFF ? 255 : int((sum + 0x8000) >> 16); }

// T(i) of a strength and threshold, i = -255..255.
int Correction(int64_t strength, int64_t threshold, int i) {
    const int64_t t = std::clamp<int64_t>((500 + std::abs(i) * strength) / 1000 - threshold, 0, 255);
    return int(i < 0 ? -t : t);
}

// The filtered rectangle `r` (clipped) of `src`, step by step: the kernel of
// the limited radius; the horizontal pass over the rectangle's columns into
// 8-bit rows top - n .. bottom + n (clipped), every tap's column clamped to
// the picture; the vertical pass with rows clamped to those rows; then the
// full blur, the blend toward the blurred value or the sharpening through
// the correction table, limited to 0..255.
Rgb24 ReferenceFilter(const Rgb24 &src, const SelRect &r, int32_t radius, int32_t amount, int32_t threshold) {
    const int32_t limited = std::min(radius, kGaussMaxRadius);
    const std::vector<int32_t> w = ModelKernel(limited + 170, RadiusLimit(limited));
    Rgb24 out = Cut(src, r);
    if (w.empty()) return out;
    const int32_t n = int32_t(w.size()) - 1;
    const bool sharpen = amount >= 1;
    const int64_t strength = sharpen ? amount : std::min<int64_t>(1000, -int64_t{amount});
    const int64_t t = sharpen ? std::clamp<int32_t>(threshold, 0, 255) : 0;

    const int32_t top = std::max(0, r.top - n), bottom = std::min(src.height, r.bottom + n);
    Rgb24 across = Blank(r.right - r.left, bottom - top);
    for (int32_t y = top; y < bottom; ++y)
        for (int32_t x = 0; x < across.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int64_t sum = 0;
                for (int32_t k = -n; k <= n; ++k)
                    sum += int64_t{w[size_t(std::abs(k))]} * src.At(std::clamp(r.left + x + k, 0, src.width - 1), y, c);
                across.At(x, y - top, c) = uint8_t(Round16(sum));
            }
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = 0; x < out.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int64_t sum = 0;
                for (int32_t k = -n; k <= n; ++k)
                    sum += int64_t{w[size_t(std::abs(k))]} * across.At(x, std::clamp(y + k, top, bottom - 1) - top, c);
                const int v = out.At(x, y - r.top, c);
                int result;
                if (!sharpen && strength == 1000) {
                    result = Round16(sum);
                } else {
                    const int b = int((std::min<int64_t>(sum, 0xFF0000) + 0x8000) >> 16);
                    result = v + (sharpen ? Correction(strength, t, v - b) : Correction(strength, 0, b - v));
                }
                out.At(x, y - r.top, c) = uint8_t(std::clamp(result, 0, 255));
            }
    return out;
}

struct FilterCase {
    const char *name;
    int32_t radius, amount, threshold;
};

// The edit menu's sharpen and blur commands.
const FilterCase kPresets[] = {
    {"sharpen", 600, 1000, 0},           {"sharpen, strong", 800, 2000, 0}, {"sharpen, edges only", 600, 1500, 15},
    {"blur", 400, -1000, 0},             {"blur, strong", 800, -1000, 0},   {"blur, soft", 5000, -350, 0},
};

const FilterCase kOtherFilters[] = {
    {"smallest kernel", 50, 700, 0},
    {"faintest blend", 1200, -1, 0},
    {"nearly full blur", 2500, -999, 0},
    {"strong sharpen, high threshold", 1500, 3000, 200},
    {"a blur ignores the threshold", 900, -500, 77},
    {"strongest sharpen", 300, INT32_MAX, 0},
    {"kernel wider than the picture", 30000, -1000, 0},
    {"largest radius", kGaussMaxRadius, 800, 5},
};

struct RectCase {
    const char *name;
    SelRect (*make)(int32_t width, int32_t height);  // null: no rectangle
};

const RectCase kRects[] = {
    {"whole picture", nullptr},
    {"left edge", [](int32_t w, int32_t h) { return SelRect{0, h / 4, w / 3 + 1, h - h / 4}; }},
    {"top edge", [](int32_t w, int32_t h) { return SelRect{w / 4, 0, w - w / 4, h / 3 + 1}; }},
    {"right edge", [](int32_t w, int32_t h) { return SelRect{w - w / 3 - 1, h / 4, w, h - h / 4}; }},
    {"bottom edge", [](int32_t w, int32_t h) { return SelRect{w / 4, h - h / 3 - 1, w - w / 4, h}; }},
    {"interior", [](int32_t w, int32_t h) { return SelRect{w / 3, h / 3, w - w / 3, h - h / 3}; }},
    {"one pixel", [](int32_t w, int32_t h) { return SelRect{w / 2, h / 2, w / 2 + 1, h / 2 + 1}; }},
    {"top-left corner", [](int32_t w, int32_t h) { return SelRect{0, 0, w / 2 + 1, h / 2 + 1}; }},
    {"bottom-right corner", [](int32_t w, int32_t h) { return SelRect{w / 2, h / 2, w, h}; }},
    {"corners swapped and sticking out", [](int32_t w, int32_t h) { return SelRect{w + 6, h / 2 + 1, -4, -3}; }},
};

struct PictureCase {
    const char *name;
    int32_t width, height;  // height < 0: top-down
    uint32_t seed;
    bool blackAndWhite;  // every channel 0 or 255: the largest sums and differences
};

const PictureCase kPictures[] = {
    {"37 x 23 bottom-up", 37, 23, 1, false},
    {"29 x 17 top-down", 29, -17, 2, false},
    {"24 x 21 black and white", 24, 21, 3, true},
    {"one column", 1, 9, 4, false},
    {"one row", 11, -1, 5, false},
};

DibHandle MakePicture(const PictureCase &p) {
    const DibHandle h = MakeRandom(KindNamed("24bit"), p.width, p.height, p.seed);
    if (h != 0 && p.blackAndWhite) {
        DibData *d = Dibcore_DataDIB(h);
        for (uint32_t i = 0; i < d->bitsSize; ++i) d->bits[i] = d->bits[i] & 1 ? 255 : 0;
    }
    return h;
}

// The rectangle as the filter takes it and as it clips it.
struct Target {
    SelRect given{}, clipped{};
    const SelRect *rect = nullptr;
};

Target TargetOf(const RectCase &rc, int32_t width, int32_t height) {
    Target t;
    if (rc.make != nullptr) {
        t.given = rc.make(width, height);
        t.rect = &t.given;
    }
    Rect_ClipToImage(t.rect, width, height, &t.clipped);
    return t;
}

// ---- The whole filter. ----

TEST(GaussApply, InPlaceAndIntoASlotFollowTheReference) {
    std::vector<FilterCase> filters(std::begin(kPresets), std::end(kPresets));
    filters.insert(filters.end(), std::begin(kOtherFilters), std::end(kOtherFilters));
    for (const PictureCase &pc : kPictures)
        for (const FilterCase &fc : filters)
            for (const RectCase &rc : kRects) {
                SCOPED_TRACE(std::string(pc.name) + " / " + fc.name + " / " + rc.name);
                fake::Scope scope;
                const DibHandle inPlace = MakePicture(pc), kept = MakePicture(pc);
                ASSERT_NE(inPlace, 0);
                const Target t = TargetOf(rc, pc.width, std::abs(pc.height));
                const Rgb24 want = ReferenceFilter(Read24(inPlace), t.clipped, fc.radius, fc.amount, fc.threshold);
                const std::vector<uint8_t> before = Bytes(kept), wantBytes = BytesWith(inPlace, want, t.clipped);

                ASSERT_EQ(Gauss_Apply(inPlace, nullptr, t.rect, fc.radius, fc.amount, fc.threshold), 1);
                EXPECT_TRUE(SameBytes(Bytes(inPlace), wantBytes));

                const size_t live = scope.lib.Live();
                DibHandle slot = 0;
                ASSERT_EQ(Gauss_Apply(kept, &slot, t.rect, fc.radius, fc.amount, fc.threshold), 1);
                ASSERT_NE(slot, 0);
                EXPECT_EQ(Depth(slot), 24);
                EXPECT_TRUE(SamePixels(Read24(slot), want));
                EXPECT_TRUE(SameBytes(Bytes(kept), before));
                EXPECT_EQ(scope.lib.Live(), live + 1);
            }
}

TEST(GaussApply, OtherDepthsAreFilteredAsTheir24BitConversion) {
    const FilterCase filters[] = {kPresets[0], kPresets[2], kPresets[4], kPresets[5]};
    const RectCase rects[] = {kRects[0], kRects[1], kRects[5], kRects[8]};
    for (const char *kind : {"4bit-short", "8bit", "16bit-555", "16bit-565", "32bit"})
        for (int32_t height : {13, -13})
            for (const FilterCase &fc : filters)
                for (const RectCase &rc : rects) {
                    SCOPED_TRACE(Name(KindNamed(kind), height) + " / " + fc.name + " / " + rc.name);
                    fake::Scope scope;
                    const DibHandle p = MakeRandom(KindNamed(kind), 19, height, 7);
                    ASSERT_NE(p, 0);
                    const std::vector<uint8_t> before = Bytes(p);
                    const Target t = TargetOf(rc, 19, 13);
                    // What the 24-bit conversion becomes when filtered in place.
                    const DibHandle converted = Dib_To24Bit(1, p);
                    ASSERT_EQ(Gauss_Apply(converted, nullptr, t.rect, fc.radius, fc.amount, fc.threshold), 1);
                    const Rgb24 want = Read24(converted);

                    // Into a slot: the rectangle of that, the picture untouched.
                    const size_t live = scope.lib.Live();
                    DibHandle slot = 0;
                    ASSERT_EQ(Gauss_Apply(p, &slot, t.rect, fc.radius, fc.amount, fc.threshold), 1);
                    EXPECT_TRUE(SamePixels(Read24(slot), Cut(want, t.clipped)));
                    EXPECT_TRUE(SameBytes(Bytes(p), before));
                    EXPECT_EQ(scope.lib.Live(), live + 1);  // the work copy is released

                    // In place: the picture becomes 24 bits, even for a part.
                    ASSERT_EQ(Gauss_Apply(p, nullptr, t.rect, fc.radius, fc.amount, fc.threshold), 1);
                    EXPECT_EQ(Depth(p), 24);
                    EXPECT_TRUE(SamePixels(Read24(p), want));
                    EXPECT_EQ(scope.lib.Live(), live + 1);
                }
}

TEST(GaussApply, AKernelWithoutSideWeightsChangesNothing) {
    for (const char *kind : {"24bit", "16bit-565", "8bit"})
        for (int32_t radius : {1, 49})
            for (const RectCase &rc : {kRects[0], kRects[5]}) {
                SCOPED_TRACE(std::string(kind) + " radius " + std::to_string(radius) + " / " + rc.name);
                fake::Scope scope;
                const DibHandle p = MakeRandom(KindNamed(kind), 9, -6, 3);
                const std::vector<uint8_t> before = Bytes(p);
                const Target t = TargetOf(rc, 9, 6);
                EXPECT_EQ(Gauss_Apply(p, nullptr, t.rect, radius, 2000, 0), 1);
                EXPECT_TRUE(SameBytes(Bytes(p), before));  // not even made 24 bits
                DibHandle slot = 0;
                EXPECT_EQ(Gauss_Apply(p, &slot, t.rect, radius, -1000, 0), 1);
                EXPECT_TRUE(SamePixels(Read24(slot), Cut(Read24(Dib_To24Bit(1, p)), t.clipped)));
                EXPECT_TRUE(SameBytes(Bytes(p), before));
            }
}

TEST(GaussApply, AmountsThresholdsAndRadiiBeyondTheirRangesAreLimited) {
    const struct {
        const char *name;
        FilterCase given, same;
    } cases[] = {
        {"amount INT32_MIN is the full blur", {"", 800, INT32_MIN, 0}, {"", 800, -1000, 0}},
        {"amount -1001 is the full blur", {"", 800, -1001, 0}, {"", 800, -1000, 0}},
        {"threshold 300 is 255", {"", 600, 300000, 300}, {"", 600, 300000, 255}},
        {"threshold INT32_MAX is 255", {"", 600, 300000, INT32_MAX}, {"", 600, 300000, 255}},
        {"threshold -1 is 0", {"", 600, 1000, -1}, {"", 600, 1000, 0}},
        {"threshold INT32_MIN is 0", {"", 600, 1000, INT32_MIN}, {"", 600, 1000, 0}},
        {"radius 100001 is 100000", {"", kGaussMaxRadius + 1, 900, 0}, {"", kGaussMaxRadius, 900, 0}},
        {"radius INT32_MAX is 100000", {"", INT32_MAX, -1000, 0}, {"", kGaussMaxRadius, -1000, 0}},
    };
    for (const auto &c : cases)
        for (const RectCase &rc : {kRects[0], kRects[4]}) {
            SCOPED_TRACE(std::string(c.name) + " / " + rc.name);
            fake::Scope scope;
            const PictureCase pc{"", 15, 11, 9, false};
            const DibHandle given = MakePicture(pc), same = MakePicture(pc);
            const std::vector<uint8_t> before = Bytes(given);
            const Target t = TargetOf(rc, 15, 11);
            ASSERT_EQ(Gauss_Apply(same, nullptr, t.rect, c.same.radius, c.same.amount, c.same.threshold), 1);
            ASSERT_FALSE(SameBytes(Bytes(same), before));  // the comparison means something
            DibHandle slotGiven = 0;
            ASSERT_EQ(Gauss_Apply(given, &slotGiven, t.rect, c.given.radius, c.given.amount, c.given.threshold), 1);
            EXPECT_TRUE(SamePixels(Read24(slotGiven), Cut(Read24(same), t.clipped)));
            ASSERT_EQ(Gauss_Apply(given, nullptr, t.rect, c.given.radius, c.given.amount, c.given.threshold), 1);
            EXPECT_TRUE(SameBytes(Bytes(given), Bytes(same)));
        }
}

TEST(GaussApply, RefusalsLeaveThePictureAndTheSlotEmpty) {
    const SelRect part{2, 1, 7, 5}, empty{3, 2, 3, 5}, flat{1, 4, 6, 4}, outside{20, 1, 30, 5};
    const struct {
        const char *name;
        bool picture;
        const SelRect *rect;
        int32_t radius, amount;
    } cases[] = {
        {"no picture", false, &part, 600, 1000},
        {"radius 0", true, &part, 0, 1000},
        {"negative radius", true, nullptr, -600, 1000},
        {"radius INT32_MIN", true, nullptr, INT32_MIN, -1000},
        {"no width", true, &empty, 600, 1000},
        {"no height", true, &flat, 600, 1000},
        {"outside the picture", true, &outside, 600, 1000},
        {"amount 0: a blur of no strength", true, &part, 600, 0},
        {"amount 0 on the whole picture", true, nullptr, 5000, 0},
    };
    for (const char *kind : {"24bit", "16bit-565"})
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(kind) + " / " + c.name);
            fake::Scope scope;
            const DibHandle p = c.picture ? MakeRandom(KindNamed(kind), 9, 7, 2) : 0;
            const std::vector<uint8_t> before = c.picture ? Bytes(p) : std::vector<uint8_t>{};
            const size_t live = scope.lib.Live();
            DibHandle slot = 12345;  // whatever the caller left there
            EXPECT_EQ(Gauss_Apply(p, &slot, c.rect, c.radius, c.amount, 0), 0);
            EXPECT_EQ(slot, 0);
            EXPECT_EQ(Gauss_Apply(p, nullptr, c.rect, c.radius, c.amount, 0), 0);
            if (c.picture) {
                EXPECT_TRUE(SameBytes(Bytes(p), before));
            }
            EXPECT_EQ(scope.lib.Live(), live);
        }
}

TEST(GaussApply, InjectedFailuresLeaveThePicture) {
    const SelRect part{1, 1, 6, 5};
    for (const char *kind : {"8bit", "16bit-565", "24bit"})
        for (const SelRect *rect : {&part, static_cast<const SelRect *>(nullptr)})
            for (const FilterCase &fc : {kPresets[0], kPresets[4]})
                for (bool slot : {false, true}) {
                    SCOPED_TRACE(std::string(kind) + (rect ? " part / " : " whole / ") + fc.name +
                                 (slot ? " / slot" : " / in place"));
                    ForEachInjectedFailure([&] { return MakeRandom(KindNamed(kind), 8, 7, 4); },
                                           [&](DibHandle p, DibHandle *fresh) {
                                               return Gauss_Apply(p, slot ? fresh : nullptr, rect, fc.radius,
                                                                  fc.amount, fc.threshold);
                                           });
                }
}

// ---- The passes' own refusals. ----

TEST(GaussPass, RefusesWhatItCannotFilter) {
    fake::Scope scope;
    GaussKernel kernel, none;
    Gauss_KernelForRadius(600, &kernel);
    Gauss_KernelForRadius(1, &none);
    const int32_t width = 9, height = 7;
    const SelRect rect{1, 1, 7, 5};

    GaussWork work;
    EXPECT_FALSE(GaussWork_Prepare(nullptr, kernel, rect, width, height, nullptr));
    EXPECT_FALSE(GaussWork_Prepare(&work, none, rect, width, height, nullptr));
    for (const SelRect &bad : {SelRect{1, 1, 1, 5}, SelRect{6, 1, 2, 5}, SelRect{-1, 1, 4, 4}, SelRect{1, -1, 4, 4},
                               SelRect{1, 1, 10, 5}, SelRect{1, 1, 7, 8}})
        EXPECT_FALSE(GaussWork_Prepare(&work, kernel, bad, width, height, nullptr))
            << bad.left << "," << bad.top << "," << bad.right << "," << bad.bottom;
    ASSERT_TRUE(GaussWork_Prepare(&work, kernel, rect, width, height, nullptr));

    const DibHandle source = MakeRandom(KindNamed("24bit"), width, height, 1);
    const DibHandle palette = MakeRandom(KindNamed("8bit"), width, height, 2);
    const DibHandle target = MakeRandom(KindNamed("24bit"), 6, 4, 3);
    const DibHandle wider = MakeRandom(KindNamed("24bit"), width + 1, height, 4);
    DibRows sourceRows, paletteRows, targetRows, widerRows;
    ASSERT_TRUE(DibRows_Open(Dibcore_DataDIB(source), &sourceRows));
    ASSERT_TRUE(DibRows_Open(Dibcore_DataDIB(palette), &paletteRows));
    ASSERT_TRUE(DibRows_Open(Dibcore_DataDIB(target), &targetRows));
    ASSERT_TRUE(DibRows_Open(Dibcore_DataDIB(wider), &widerRows));
    int16_t table[kCorrectionEntries];
    ASSERT_TRUE(CorrectionTable_Build(1000, 0, table));

    // The job that works: the rectangle into a picture of its size.
    const auto good = [&] {
        GaussPassJob j;
        j.source = sourceRows;
        j.rect = rect;
        j.target = targetRows;
        j.output = GaussOutput::Sharpen;
        j.table = table;
        return j;
    };
    const struct {
        const char *name;
        void (*change)(GaussPassJob &j, const DibRows &palette, const DibRows &wider);
    } cases[] = {
        {"an 8-bit source read as 24-bit rows",
         [](GaussPassJob &j, const DibRows &p, const DibRows &) { j.source = p; }},
        {"an 8-bit target", [](GaussPassJob &j, const DibRows &p, const DibRows &) { j.target = p; }},
        {"another rectangle than prepared",
         [](GaussPassJob &j, const DibRows &, const DibRows &) { j.rect = SelRect{1, 1, 7, 4}; }},
        {"another source size than prepared",
         [](GaussPassJob &j, const DibRows &, const DibRows &w) { j.source = w; }},
        {"a target too narrow", [](GaussPassJob &j, const DibRows &, const DibRows &) { j.targetLeft = 1; }},
        {"a target too short", [](GaussPassJob &j, const DibRows &, const DibRows &) { j.targetTop = 1; }},
        {"a negative place", [](GaussPassJob &j, const DibRows &, const DibRows &) { j.targetLeft = -1; }},
        {"in place, shifted",
         [](GaussPassJob &j, const DibRows &, const DibRows &) {
             j.target = j.source;
             j.targetLeft = 2;
             j.targetTop = 1;
         }},
        {"sharpen without a table", [](GaussPassJob &j, const DibRows &, const DibRows &) { j.table = nullptr; }},
        {"blend without a table",
         [](GaussPassJob &j, const DibRows &, const DibRows &) {
             j.output = GaussOutput::Blend;
             j.table = nullptr;
         }},
    };
    const std::vector<uint8_t> sourceBytes = Bytes(source), paletteBytes = Bytes(palette), targetBytes = Bytes(target);
    for (const auto &c : cases) {
        GaussPassJob j = good();
        c.change(j, paletteRows, widerRows);
        EXPECT_EQ(GaussPass_Run(j, &work, GaussSimd_Best()), 0) << c.name;
        EXPECT_TRUE(SameBytes(Bytes(source), sourceBytes)) << c.name;
        EXPECT_TRUE(SameBytes(Bytes(palette), paletteBytes)) << c.name;
        EXPECT_TRUE(SameBytes(Bytes(target), targetBytes)) << c.name;
    }
    GaussWork unprepared;
    EXPECT_EQ(GaussPass_Run(good(), &unprepared, GaussSimd_Best()), 0);
    EXPECT_EQ(GaussPass_Run(good(), nullptr, GaussSimd_Best()), 0);
    // The job that works does run: as a full blur (which does not read the
    // target first) it gives the reference's blurred rectangle.
    GaussPassJob blur = good();
    blur.output = GaussOutput::FullBlur;
    blur.table = nullptr;
    ASSERT_EQ(GaussPass_Run(blur, &work, GaussSimd_Best()), 1);
    EXPECT_TRUE(SamePixels(Read24(target), ReferenceFilter(Read24(source), rect, 600, -1000, 0)));
}

// ---- Bands on threads. ----

std::atomic<size_t> g_mostTasks{0};
void CountingRun(size_t count, void (*task)(void *, size_t), void *context) {
    if (count > g_mostTasks) g_mostTasks = count;
    RunOnStdThreads(count, task, context);
}

TEST(GaussBands, ThreadsGiveTheBytesOfOne) {
    // Pictures large enough to be cut into bands: at least 2^22 multiply-adds
    // and two bands of max(2n, 16) rows.
    const struct {
        const char *name;
        int32_t width, height;
        SelRect rect;  // all 0: the whole picture
        FilterCase filter;
    } cases[] = {
        {"sharpen, whole, bottom-up", 701, 403, {}, kPresets[0]},
        {"soft blur, interior, top-down", 677, -409, {13, 40, 650, 380}, kPresets[5]},
        {"full blur at the top", 520, 240, {0, 0, 500, 200}, {"", 5000, -1000, 0}},
        {"edges sharpened at the bottom right", 701, -403, {300, 250, 701, 403}, {"", 3000, 2000, 15}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        fake::Scope scope;
        const FilterCase &f = c.filter;
        const SelRect *rect = c.rect.right > 0 ? &c.rect : nullptr;
        const DibHandle one = MakeRandom(KindNamed("24bit"), c.width, c.height, 6);
        const DibHandle source = MakeRandom(KindNamed("24bit"), c.width, c.height, 6);
        ASSERT_EQ(Gauss_Apply(one, nullptr, rect, f.radius, f.amount, f.threshold), 1);
        DibHandle oneSlot = 0;
        ASSERT_EQ(Gauss_Apply(source, &oneSlot, rect, f.radius, f.amount, f.threshold), 1);
        for (unsigned threads : {2u, 3u, 4u, 7u}) {
            SCOPED_TRACE(std::to_string(threads) + " threads");
            const DibHandle banded = MakeRandom(KindNamed("24bit"), c.width, c.height, 6);
            EditTasksScope tasks(threads, CountingRun);
            g_mostTasks = 0;
            ASSERT_EQ(Gauss_Apply(banded, nullptr, rect, f.radius, f.amount, f.threshold), 1);
            EXPECT_GE(g_mostTasks, 2u);  // it really ran in bands
            EXPECT_LE(g_mostTasks, threads);
            EXPECT_TRUE(SameBytes(Bytes(banded), Bytes(one)));
            DibHandle slot = 0;
            ASSERT_EQ(Gauss_Apply(source, &slot, rect, f.radius, f.amount, f.threshold), 1);
            EXPECT_TRUE(SameBytes(Bytes(slot), Bytes(oneSlot)));
        }
    }
    // A small picture stays on the calling thread.
    fake::Scope scope;
    EditTasksScope tasks(4, CountingRun);
    g_mostTasks = 0;
    ASSERT_EQ(Gauss_Apply(MakeRandom(KindNamed("24bit"), 64, 64, 1), nullptr, nullptr, 5000, -1000, 0), 1);
    EXPECT_EQ(g_mostTasks, 0u);
}

}  // namespace
