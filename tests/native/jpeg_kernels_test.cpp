// The SIMD kernels of the JPEG decoder and encoder against their scalar
// references, bit for bit, at odd sizes and on hostile coefficient values.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "jpeg_color.h"
#include "jpeg_idct.h"

using namespace dibcore;

namespace {

void ExpectSameIdct(const int16_t *coef, const char *what) {
    uint8_t a[8 * 11], b[8 * 11];
    std::memset(a, 0xAA, sizeof a);
    std::memset(b, 0xAA, sizeof b);
    Jpeg_IdctScalar(coef, a, 11);
    Jpeg_IdctSse2(coef, b, 11);
    ASSERT_EQ(0, std::memcmp(a, b, sizeof a)) << what;
}

TEST(JpegIdct, Sse2EqualsScalarOnTypicalAndHostileBlocks) {
    std::mt19937 rng(7);
    alignas(16) int16_t coef[64];
    // Photo-like: big DC, AC falling with frequency.
    for (int n = 0; n < 3000; ++n) {
        for (int k = 0; k < 64; ++k) {
            const int range = k == 0 ? 2047 : 1500 / (1 + (k % 8) + (k / 8));
            coef[k] = static_cast<int16_t>(int(rng() % (2 * range + 1)) - range);
        }
        ExpectSameIdct(coef, "typical");
    }
    // Only the 4x4 lowest frequencies, as most photo blocks (a shorter path).
    for (int n = 0; n < 3000; ++n) {
        std::memset(coef, 0, sizeof coef);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) coef[r * 8 + c] = static_cast<int16_t>(n % 3 ? int(rng() % 1601) - 800 : int16_t(rng()));
        ExpectSameIdct(coef, "low frequencies");
    }
    // Anything a damaged file can produce, including the extremes.
    for (int n = 0; n < 3000; ++n) {
        for (int k = 0; k < 64; ++k) coef[k] = static_cast<int16_t>(rng());
        if (n % 10 == 0) coef[rng() % 64] = -32768;
        ExpectSameIdct(coef, "hostile");
    }
    for (int16_t v : {int16_t(-32768), int16_t(32767)}) {
        for (int k = 0; k < 64; ++k) coef[k] = v;
        ExpectSameIdct(coef, "saturated");
    }
}

TEST(JpegIdct, DcOnlyShortcutEqualsFullTransform) {
    alignas(16) int16_t coef[64] = {};
    for (int dc = -40000; dc <= 40000; dc += 7) {
        coef[0] = static_cast<int16_t>(dc < -32768 ? -32768 : dc > 32767 ? 32767 : dc);
        uint8_t a[64], b[64];
        Jpeg_IdctScalar(coef, a, 8);
        Jpeg_IdctDcOnly(coef[0], b, 8);
        ASSERT_EQ(0, std::memcmp(a, b, 64)) << coef[0];
    }
}

std::vector<uint8_t> RandomRow(std::mt19937 &rng, int n) {
    std::vector<uint8_t> v(static_cast<size_t>(n) + 64);
    for (auto &x : v) x = static_cast<uint8_t>(rng());
    return v;
}

TEST(JpegColour, UpsamplersEqualScalarAtEveryWidth) {
    std::mt19937 rng(11);
    for (int n = 1; n <= 80; ++n) {
        for (int trial = 0; trial < 4; ++trial) {
            const auto a = RandomRow(rng, n), b = RandomRow(rng, n);
            std::vector<uint8_t> s(2 * n + 64, 0x55), v(2 * n + 64, 0x55);
            Jpeg_UpsampleH2Scalar(a.data(), n, s.data());
            Jpeg_UpsampleH2Sse2(a.data(), n, v.data());
            ASSERT_EQ(s, v) << "h2 width " << n;
            std::vector<int16_t> sums(n + 16);
            std::fill(s.begin(), s.end(), 0x55);
            std::fill(v.begin(), v.end(), 0x55);
            Jpeg_UpsampleH2V2Scalar(a.data(), b.data(), n, s.data(), sums.data());
            Jpeg_UpsampleH2V2Sse2(a.data(), b.data(), n, v.data(), sums.data());
            ASSERT_EQ(s, v) << "h2v2 width " << n;
        }
    }
}

TEST(JpegColour, UpsamplersKeepFlatAreasAndEdges) {
    // A flat row stays flat; the outermost samples are copied at the ends.
    std::vector<uint8_t> in(9, 77), out(18);
    Jpeg_UpsampleH2Sse2(in.data(), 9, out.data());
    for (uint8_t o : out) EXPECT_EQ(o, 77);
    const uint8_t ramp[4] = {0, 100, 200, 40};
    uint8_t o2[8];
    Jpeg_UpsampleH2Scalar(ramp, 4, o2);
    EXPECT_EQ(o2[0], 0);
    EXPECT_EQ(o2[7], 40);
    EXPECT_EQ(o2[1], (0 * 3 + 100 + 2) >> 2);
}

TEST(JpegColour, YccConversionEqualsScalarAndKnownColours) {
    std::mt19937 rng(5);
    for (int n = 1; n <= 70; ++n) {
        const auto y = RandomRow(rng, n), cb = RandomRow(rng, n), cr = RandomRow(rng, n);
        std::vector<uint8_t> s(3 * n + 8, 1), v(3 * n + 8, 1);
        Jpeg_YccToBgrScalar(y.data(), cb.data(), cr.data(), n, s.data());
        Jpeg_YccToBgrSse2(y.data(), cb.data(), cr.data(), n, v.data());
        ASSERT_EQ(s, v) << "width " << n;
    }
    // Every (Y, Cb, Cr) triple in steps, including the clamped corners.
    std::vector<uint8_t> y, cb, cr;
    for (int a = 0; a < 256; a += 5)
        for (int b = 0; b < 256; b += 3)
            for (int c = 0; c < 256; c += 7) y.push_back(uint8_t(a)), cb.push_back(uint8_t(b)), cr.push_back(uint8_t(c));
    const int n = static_cast<int>(y.size());
    std::vector<uint8_t> s(3 * y.size()), v(3 * y.size());
    Jpeg_YccToBgrScalar(y.data(), cb.data(), cr.data(), n, s.data());
    Jpeg_YccToBgrSse2(y.data(), cb.data(), cr.data(), n, v.data());
    EXPECT_EQ(s, v);
    // Neutral chroma gives grey; pure red in YCbCr comes back red.
    const uint8_t gy[1] = {90}, g128[1] = {128};
    uint8_t px[3];
    Jpeg_YccToBgrScalar(gy, g128, g128, 1, px);
    EXPECT_EQ(px[0], 90);
    EXPECT_EQ(px[1], 90);
    EXPECT_EQ(px[2], 90);
    const uint8_t ry[1] = {76}, rcb[1] = {85}, rcr[1] = {255};
    Jpeg_YccToBgrScalar(ry, rcb, rcr, 1, px);
    EXPECT_LE(px[0], 2);
    EXPECT_LE(px[1], 2);
    EXPECT_GE(px[2], 253);
}

TEST(JpegColour, EncoderKernelsEqualScalarAtEveryWidth) {
    std::mt19937 rng(17);
    for (int n = 1; n <= 70; ++n) {
        const auto bgr = RandomRow(rng, 3 * n), row0 = RandomRow(rng, 2 * n), row1 = RandomRow(rng, 2 * n);
        std::vector<uint8_t> ys(n + 8), bs(n + 8), rs(n + 8), yv(n + 8), bv(n + 8), rv(n + 8);
        Jpeg_BgrToYccScalar(bgr.data(), n, ys.data(), bs.data(), rs.data());
        Jpeg_BgrToYccSse2(bgr.data(), n, yv.data(), bv.data(), rv.data());
        ASSERT_EQ(ys, yv) << n;
        ASSERT_EQ(bs, bv) << n;
        ASSERT_EQ(rs, rv) << n;
        std::vector<uint8_t> ds(n + 8, 7), dv(n + 8, 7);
        Jpeg_Downsample2x2Scalar(row0.data(), row1.data(), n, ds.data());
        Jpeg_Downsample2x2Sse2(row0.data(), row1.data(), n, dv.data());
        ASSERT_EQ(ds, dv) << n;
    }
    // White, black and grey stay neutral.
    const uint8_t px[9] = {255, 255, 255, 0, 0, 0, 128, 128, 128};
    uint8_t y[3], cb[3], cr[3];
    Jpeg_BgrToYccSse2(px, 3, y, cb, cr);
    EXPECT_EQ(y[0], 255);
    EXPECT_EQ(y[1], 0);
    EXPECT_EQ(y[2], 128);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(cb[i], 128);
        EXPECT_EQ(cr[i], 128);
    }
}

// The byte-shuffle conversion (taken when the processor has it) over rows of
// exactly 3n bytes, so a read past the row shows under ASan, and over every
// value of each channel.
TEST(JpegColour, BestEncoderConversionEqualsScalar) {
    const JpegBgrToYccFn best = Jpeg_BgrToYccBest();
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("ssse3")) GTEST_SKIP() << "no SSSE3";
    ASSERT_EQ(best, &Jpeg_BgrToYccSsse3);
    std::mt19937 rng(23);
    std::vector<std::vector<uint8_t>> rows;
    for (int n = 1; n <= 100; ++n) rows.push_back(RandomRow(rng, 3 * n));
    std::vector<uint8_t> ramp(3 * 256);
    for (int c = 0; c < 3; ++c) {
        for (int v = 0; v < 256; ++v)
            for (int k = 0; k < 3; ++k) ramp[3 * v + k] = static_cast<uint8_t>(k == c ? v : 255 - v);
        rows.push_back(ramp);
    }
    for (const auto &bgr : rows) {
        const int n = static_cast<int>(bgr.size() / 3);
        std::vector<uint8_t> ys(n), bs(n), rs(n), yv(n), bv(n), rv(n);
        Jpeg_BgrToYccScalar(bgr.data(), n, ys.data(), bs.data(), rs.data());
        Jpeg_BgrToYccSsse3(bgr.data(), n, yv.data(), bv.data(), rv.data());
        ASSERT_EQ(ys, yv) << n;
        ASSERT_EQ(bs, bv) << n;
        ASSERT_EQ(rs, rv) << n;
    }
}

TEST(JpegColour, InvertedInksTimesBlack) {
    // Stored inverted: 255 is no ink. No ink and no black is white; full
    // black is black whatever the inks; half black halves the colour.
    const uint8_t c[3] = {255, 255, 0}, m[3] = {255, 0, 255}, y[3] = {255, 128, 0}, k[3] = {255, 0, 128};
    uint8_t bgr[9];
    Jpeg_CmykToBgr(c, m, y, k, 3, bgr);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(bgr[i], 255);
    for (int i = 3; i < 6; ++i) EXPECT_EQ(bgr[i], 0);
    EXPECT_EQ(bgr[6], 0);
    EXPECT_EQ(bgr[7], 128);
    EXPECT_EQ(bgr[8], 0);
}

}  // namespace

#include "jpeg_fdct.h"
#include "jpeg_tables.h"

namespace {

TEST(JpegFdct, Sse2EqualsScalarForEveryQuality) {
    std::mt19937 rng(3);
    for (int quality = 1; quality <= 100; ++quality) {
        for (const uint8_t *base : {kJpegStdLumaQuant, kJpegStdChromaQuant}) {
            uint16_t q[64];
            Jpeg_ScaleQuant(base, quality, q);
            JpegDivisors d;
            Jpeg_MakeDivisors(q, &d);
            for (int n = 0; n < 40; ++n) {
                uint8_t px[8 * 13];
                const int kind = n % 4;  // noise, flat extremes, edges, smooth
                for (int i = 0; i < 8 * 13; ++i) {
                    const int x = i % 13, y = i / 13;
                    px[i] = kind == 0   ? uint8_t(rng())
                            : kind == 1 ? uint8_t(n & 8 ? 255 : 0)
                            : kind == 2 ? uint8_t((x + y) % 2 ? 255 : 0)
                                        : uint8_t(100 + 10 * x - 7 * y);
                }
                int16_t a[64], b[64];
                Jpeg_FdctQuantizeScalar(px, 13, d, a);
                Jpeg_FdctQuantizeSse2(px, 13, d, b);
                ASSERT_EQ(0, std::memcmp(a, b, sizeof a)) << "quality " << quality << " block " << n;
            }
        }
    }
}

TEST(JpegFdct, Sse2EqualsScalarOnEveryExtremePattern) {
    // Blocks of 0 and 255 only, every pattern of rows times every pattern of
    // columns, unquantised: the largest sums each pass can meet (the second
    // pass keeps some of them in 16 bits, all black reaches -32768).
    uint16_t q[64];
    for (uint16_t &v : q) v = 1;
    JpegDivisors d;
    Jpeg_MakeDivisors(q, &d);
    for (int rows = 0; rows < 256; ++rows)
        for (int cols = 0; cols < 256; ++cols) {
            uint8_t px[64];
            for (int i = 0; i < 64; ++i) px[i] = (((rows >> (i / 8)) ^ (cols >> (i % 8))) & 1) ? 255 : 0;
            int16_t a[64], b[64];
            Jpeg_FdctQuantizeScalar(px, 8, d, a);
            Jpeg_FdctQuantizeSse2(px, 8, d, b);
            ASSERT_EQ(0, std::memcmp(a, b, sizeof a)) << "rows " << rows << " columns " << cols;
        }
}

TEST(JpegFdct, ExactDivisionForEveryDivisorAndMagnitude) {
    // Quantiser values 1..255 and every magnitude the transform can give,
    // against plain division.
    uint16_t q[64];
    for (int v = 1; v <= 255; v += 64 / 64) {
        for (int k = 0; k < 64; ++k) q[k] = uint16_t(v);
        JpegDivisors d;
        Jpeg_MakeDivisors(q, &d);
        const uint32_t div = 8u * v;
        for (uint32_t a = 0; a < 32768; a += 1 + a / 512) {
            const uint32_t scalar = static_cast<uint32_t>((uint64_t{a} * d.reciprocal[0]) >> 32);
            const uint32_t simd = ((a * d.reciprocal16[0]) >> 16) * d.shiftScale[0] >> 16;
            ASSERT_EQ(scalar, a / div) << v << " " << a;
            ASSERT_EQ(simd, a / div) << v << " " << a;
        }
    }
}

}  // namespace

#include "jpeg_coef_masks.h"

namespace {

TEST(JpegCoefMasks, Sse2EqualsScalarForEveryPointTransform) {
    std::mt19937 rng(11);
    for (int n = 0; n < 3000; ++n) {
        alignas(16) int16_t z[64];
        const int kind = n % 5;  // full range, quantised size, sparse, extremes, one power-of-two edge
        for (int k = 0; k < 64; ++k) {
            int v;
            switch (kind) {
            case 0: v = int(rng() % 65535) - 32767; break;
            case 1: v = int(rng() % 4097) - 2048; break;
            case 2: v = rng() % 6 ? 0 : int(rng() % 9) - 4; break;
            case 3: v = (rng() & 1 ? 1 : -1) * (rng() & 2 ? 2048 : 32767); break;
            default: {
                const int p = 1 << (rng() % 14);
                v = (rng() & 1 ? 1 : -1) * (p + int(rng() % 3) - 1);
            }
            }
            z[k] = int16_t(v);
        }
        for (int al = 0; al <= 13; ++al) {
            const JpegMagnitudeMasks a = Jpeg_MagnitudeMasksScalar(z, al), b = Jpeg_MagnitudeMasksSse2(z, al);
            ASSERT_EQ(a.nonzero, b.nonzero) << "block " << n << " al " << al;
            ASSERT_EQ(a.above1, b.above1) << "block " << n << " al " << al;
        }
    }
}

TEST(JpegCoefMasks, Sse2EqualsScalarOnQuantisedBlocksOfEveryQuality) {
    // The blocks the encoder really gives: transformed, quantised at every
    // quality with both tables, reordered to zigzag.
    std::mt19937 rng(12);
    for (int quality = 1; quality <= 100; ++quality)
        for (const uint8_t *base : {kJpegStdLumaQuant, kJpegStdChromaQuant}) {
            uint16_t q[64];
            Jpeg_ScaleQuant(base, quality, q);
            JpegDivisors d;
            Jpeg_MakeDivisors(q, &d);
            for (int n = 0; n < 24; ++n) {
                uint8_t px[64];
                for (int i = 0; i < 64; ++i)
                    px[i] = n % 3 == 0 ? uint8_t(rng())                              // noise
                            : n % 3 == 1 ? uint8_t(((i % 8) + (i / 8)) % 2 ? 255 : 0)  // extremes
                                         : uint8_t(128 + int(rng() % 41) - 20 + 9 * (i % 8));
                alignas(16) int16_t natural[64], z[64];
                Jpeg_FdctQuantizeScalar(px, 8, d, natural);
                Jpeg_NaturalToZigzag(natural, z);
                for (int k = 0; k < 64; ++k) ASSERT_EQ(z[k], natural[kJpegZigzagToNatural[k]]);
                for (int al = 0; al <= 3; ++al) {
                    const JpegMagnitudeMasks a = Jpeg_MagnitudeMasksScalar(z, al), b = Jpeg_MagnitudeMasksSse2(z, al);
                    ASSERT_EQ(a.nonzero, b.nonzero) << "quality " << quality << " block " << n << " al " << al;
                    ASSERT_EQ(a.above1, b.above1) << "quality " << quality << " block " << n << " al " << al;
                }
            }
        }
}

TEST(JpegCoefMasks, KnownMagnitudesAndBands) {
    // Coefficients 0, 1, -1, 2, -2, 3, -4, 5 at zigzag positions 0..7, rest 0.
    int16_t z[64] = {0, 1, -1, 2, -2, 3, -4, 5};
    struct Case {
        int al;
        uint64_t nonzero, above1;
    } cases[] = {
        {0, 0xFE, 0xF8},  // 1 and -1 are new at full precision
        {1, 0xF8, 0xC0},  // |2|,|3| >> 1 == 1; |4|,|5| >> 1 == 2
        {2, 0xC0, 0x00},
        {3, 0x00, 0x00},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Jpeg_MagnitudeMasks(z, c.al).nonzero, c.nonzero) << c.al;
        EXPECT_EQ(Jpeg_MagnitudeMasks(z, c.al).above1, c.above1) << c.al;
    }
    struct Band {
        int ss, se;
        uint64_t mask;
    } bands[] = {{0, 0, 1}, {1, 5, 0x3E}, {6, 63, ~uint64_t{0} << 6}, {1, 63, ~uint64_t{1}}, {63, 63, uint64_t{1} << 63}};
    for (const Band &b : bands) EXPECT_EQ(Jpeg_BandMask(b.ss, b.se), b.mask) << b.ss << ".." << b.se;
}

}  // namespace
