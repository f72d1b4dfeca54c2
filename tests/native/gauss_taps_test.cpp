// The Gaussian row functions: every vector level this processor runs gives
// the scalar reference's values byte for byte, for the filter's own kernels
// and made-up ones at the limits of what the rows accept, at every width up
// to past the widest vector block (the tails), on random, all-255 and
// black-and-white inputs; inputs are allocated at their exact size so that
// a read past a row's end is caught. And the kernels the rows refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "image/qv_Gauss.h"
#include "image/qv_GaussTaps.h"

namespace {

std::vector<GaussSimd> Levels() {
    std::vector<GaussSimd> v;
    for (int32_t l = 0; l <= int32_t(GaussSimd_Best()); ++l) v.push_back(GaussSimd(l));
    return v;
}

const char *LevelName(GaussSimd l) {
    switch (l) {
        case GaussSimd::Scalar: return "scalar";
        case GaussSimd::Sse2: return "SSE2";
        case GaussSimd::Avx2: return "AVX2";
    }
    return "?";
}

GaussKernel FromWeights(std::initializer_list<int32_t> w) {
    GaussKernel k{};
    k.n = int32_t(w.size()) - 1;
    std::copy(w.begin(), w.end(), k.w);
    return k;
}

// Side weights at random, the centre taking the rest of 65536 (at most
// 65534, the largest the rows take).
GaussKernel RandomKernel(int32_t n, std::mt19937 &rng) {
    GaussKernel k{};
    k.n = n;
    int64_t sides = 0;
    for (int32_t i = 1; i <= n; ++i) {
        k.w[i] = std::min<int32_t>(32767, int32_t(rng() % uint32_t(32768 / n + 1)));
        sides += 2 * int64_t{k.w[i]};
    }
    if (sides < 2) k.w[1] = 1, sides += 2;
    k.w[0] = int32_t(std::min<int64_t>(65534, 65536 - sides));
    return k;
}

struct NamedKernel {
    std::string name;
    GaussKernel kernel;
};

std::vector<NamedKernel> Kernels() {
    std::vector<NamedKernel> v;
    for (int32_t r : {50, 400, 600, 800, 1000, 1700, 3000, 5000, 20000, kGaussMaxRadius}) {
        NamedKernel k{"radius " + std::to_string(r), {}};
        Gauss_KernelForRadius(r, &k.kernel);
        v.push_back(k);
    }
    // The largest centre, the largest side weights, sums of exactly 65536.
    v.push_back({"centre 65534", FromWeights({65534, 1})});
    v.push_back({"centre 65532, two sides", FromWeights({65532, 1, 1})});
    v.push_back({"side 32767 and no centre", FromWeights({0, 32767, 1})});
    v.push_back({"side 32767, odd n", FromWeights({2, 32767})});
    v.push_back({"two sides 16383", FromWeights({2, 16383, 16383, 0})});
    GaussKernel widest{};
    widest.n = kGaussMaxHalfWidth;
    for (int32_t i = 1; i <= widest.n; ++i) widest.w[i] = 65;
    widest.w[0] = 65536 - 2 * 65 * widest.n;
    v.push_back({"widest", widest});
    std::mt19937 rng(31);
    for (int32_t n : {1, 2, 3, 6, 7, 8, 9, 16, 17, 31, 32, 33, 64, 65, 100})
        v.push_back({"random n " + std::to_string(n), RandomKernel(n, rng)});
    return v;
}

// The row sums straight from their definition, in 64 bits.
template <class Out>
std::vector<Out> Definition(const GaussKernel &k, const uint16_t *const *minus, const uint16_t *const *plus,
                            size_t count) {
    std::vector<Out> out(count);
    for (size_t i = 0; i < count; ++i) {
        int64_t s = int64_t{k.w[0]} * minus[0][i];
        for (int32_t j = 1; j <= k.n; ++j) s += int64_t{k.w[j]} * (minus[j][i] + plus[j][i]);
        out[i] = Out(std::min<int64_t>(255, (s + 0x8000) >> 16));
    }
    return out;
}

enum class Input { Random, All255, BlackAndWhite };

uint16_t Value(Input in, std::mt19937 &rng) {
    switch (in) {
        case Input::Random: return uint16_t(rng() % 256);
        case Input::All255: return 255;
        case Input::BlackAndWhite: return rng() % 2 ? 255 : 0;
    }
    return 0;
}

// Runs every level's row16 and row8 on the same taps and checks them
// against the definition (and so against each other).
void ExpectRowsAgree(const NamedKernel &nk, const GaussTaps &taps, const uint16_t *const *minus,
                     const uint16_t *const *plus, size_t count, const std::string &what) {
    const std::vector<uint16_t> want16 = Definition<uint16_t>(nk.kernel, minus, plus, count);
    const std::vector<uint8_t> want8 = Definition<uint8_t>(nk.kernel, minus, plus, count);
    for (GaussSimd level : Levels()) {
        const GaussRowFns fns = GaussTaps_Functions(level);
        // Outputs of the exact size too: a store past the end is caught.
        std::unique_ptr<uint16_t[]> out16(new uint16_t[count]);
        std::unique_ptr<uint8_t[]> out8(new uint8_t[count]);
        fns.row16(taps, minus, plus, count, out16.get());
        fns.row8(taps, minus, plus, count, out8.get());
        ASSERT_TRUE(std::equal(want16.begin(), want16.end(), out16.get()))
            << nk.name << " " << what << " width " << count << " " << LevelName(level) << " (16 bits)";
        ASSERT_TRUE(std::equal(want8.begin(), want8.end(), out8.get()))
            << nk.name << " " << what << " width " << count << " " << LevelName(level) << " (8 bits)";
    }
}

std::vector<size_t> Widths() {
    std::vector<size_t> v;
    for (size_t w = 1; w <= 70; ++w) v.push_back(w);
    for (size_t w : {79, 80, 95, 127, 128, 131, 200}) v.push_back(w);
    return v;
}

TEST(GaussTaps, VectorRowsEqualTheScalarReference) {
    std::mt19937 rng(5);
    for (const NamedKernel &nk : Kernels()) {
        GaussTaps taps;
        ASSERT_TRUE(GaussTaps_Make(nk.kernel, &taps)) << nk.name;
        const int32_t n = nk.kernel.n;
        for (Input in : {Input::Random, Input::All255, Input::BlackAndWhite})
            for (size_t count : Widths()) {
                // Across: one padded row, the taps 3 values apart as the
                // horizontal pass sets them; the padded row ends where the
                // last tap's values end.
                std::vector<uint16_t> pad(count + 6 * size_t(n));
                for (uint16_t &v : pad) v = Value(in, rng);
                std::vector<const uint16_t *> minus(size_t(n) + 2), plus(size_t(n) + 2);
                for (int32_t k = 0; k <= n + 1; ++k) {
                    const int32_t m = std::min(k, n);  // the padding entry repeats tap n
                    minus[size_t(k)] = pad.data() + 3 * size_t(n - m);
                    plus[size_t(k)] = pad.data() + 3 * size_t(n + m);
                }
                ExpectRowsAgree(nk, taps, minus.data(), plus.data(), count, "across");
                if (n > 40 || (in == Input::All255 && count > 70)) continue;
                // Down: every tap its own row of exactly `count` values, the
                // padding entry too (its weight is 0).
                std::vector<std::unique_ptr<uint16_t[]>> rows;
                for (int32_t k = 0; k < 2 * (n + 2); ++k) {
                    rows.emplace_back(new uint16_t[count]);
                    for (size_t i = 0; i < count; ++i) rows.back()[i] = Value(in, rng);
                }
                for (int32_t k = 0; k <= n + 1; ++k) {
                    minus[size_t(k)] = rows[size_t(k)].get();
                    plus[size_t(k)] = k == 0 ? rows[0].get() : rows[size_t(n + 2 + k)].get();
                }
                ExpectRowsAgree(nk, taps, minus.data(), plus.data(), count, "down");
            }
    }
}

TEST(GaussTaps, AllWhiteGivesWhiteAndBlackGivesBlack) {
    // A kernel summing to 65536 over all-255 values gives 0xFF0000, exactly
    // 255 after rounding, however the weights are split.
    for (const NamedKernel &nk : Kernels()) {
        GaussTaps taps;
        ASSERT_TRUE(GaussTaps_Make(nk.kernel, &taps));
        const size_t count = 45;
        for (uint16_t value : {uint16_t{0}, uint16_t{255}}) {
            const std::vector<uint16_t> row(count, value);
            std::vector<const uint16_t *> taps16(size_t(nk.kernel.n) + 2, row.data());
            int64_t total = nk.kernel.w[0];
            for (int32_t k = 1; k <= nk.kernel.n; ++k) total += 2 * int64_t{nk.kernel.w[k]};
            const int want = int(std::min<int64_t>(255, (total * value + 0x8000) >> 16));
            for (GaussSimd level : Levels()) {
                std::vector<uint8_t> out(count);
                GaussTaps_Functions(level).row8(taps, taps16.data(), taps16.data(), count, out.data());
                for (uint8_t v : out) ASSERT_EQ(v, want) << nk.name << " " << LevelName(level) << " " << value;
                if (total == 65536) {
                    ASSERT_EQ(want, value);
                }
            }
        }
    }
}

TEST(GaussTaps, WidenEqualsTheScalarReference) {
    std::mt19937 rng(8);
    for (size_t count = 0; count <= 70; ++count)
        for (GaussSimd level : Levels()) {
            std::unique_ptr<uint8_t[]> in(new uint8_t[count + 1]);  // never empty
            for (size_t i = 0; i < count; ++i) in[i] = uint8_t(rng());
            std::unique_ptr<uint16_t[]> out(new uint16_t[count + 1]);
            out[count] = 0xBEEF;
            GaussTaps_Functions(level).widen(in.get(), count, out.get());
            for (size_t i = 0; i < count; ++i) ASSERT_EQ(out[i], in[i]) << count << " " << LevelName(level);
            ASSERT_EQ(out[count], 0xBEEF) << count << " " << LevelName(level);
        }
}

TEST(GaussTaps, KernelsTheRowsCannotSumExactlyAreRefused) {
    const struct {
        const char *name;
        GaussKernel kernel;
        bool fits;
    } cases[] = {
        {"no side weight", FromWeights({65536}), false},
        {"centre 65535", FromWeights({65535, 0}), false},
        {"centre 65534", FromWeights({65534, 1}), true},
        {"side weight 32768", FromWeights({0, 32768}), false},
        {"side weight 32767", FromWeights({2, 32767}), true},
        {"negative side weight", FromWeights({65536, -1, 1}), false},
        {"negative centre", FromWeights({-2, 32767, 2}), false},
        {"total 65537", FromWeights({65533, 1, 1}), false},
        {"total 65536", FromWeights({65532, 1, 1}), true},
        {"total below 65536", FromWeights({60000, 10, 10}), true},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(GaussTaps_Fits(c.kernel), c.fits) << c.name;
        GaussTaps taps;
        EXPECT_EQ(GaussTaps_Make(c.kernel, &taps), c.fits) << c.name;
    }
    GaussKernel wide{};
    wide.n = kGaussMaxHalfWidth + 1;
    wide.w[0] = 1;
    EXPECT_FALSE(GaussTaps_Fits(wide));
    wide.n = 0;
    EXPECT_FALSE(GaussTaps_Fits(wide));
    wide.n = -3;
    EXPECT_FALSE(GaussTaps_Fits(wide));
}

}  // namespace
