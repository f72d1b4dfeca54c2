// The inner loop of both Gaussian passes: one row of sums over symmetric tap
// pairs, w[0] c + sum of w[k] (a[-k] + a[+k]), rounded to a channel value.
// The horizontal pass points the taps at an edge-padded copy of a source row
// (offsets of 3k values), the vertical pass at the rows above and below, so
// neither needs a clamp inside the loop. Inputs are channel values widened
// to 16 bits (0..255). The scalar form is the reference; the vector forms
// give its values exactly.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/qv_Gauss.h"

enum class GaussSimd : int32_t { Scalar = 0, Sse2 = 1, Avx2 = 2 };

// The best level this processor runs (AVX2 by a run-time check).
GaussSimd GaussSimd_Best();

// A kernel in the form the row functions take. The vector forms multiply
// 16-bit pairs: (c, c) by the centre weight split in two halves, and
// (a[-k] + a[+k], a[-k-1] + a[+k+1]) by (w[k], w[k+1]).
struct GaussTaps {
    int32_t n = 0;
    int32_t w[kGaussMaxHalfWidth + 2] = {};  // w[n + 1] = 0 pads an odd n
    int32_t pairs = 0;                       // side pairs: (n + 1) / 2
    uint32_t centrePair = 0;
    uint32_t sidePairs[(kGaussMaxHalfWidth + 1) / 2] = {};
};

// True when every sum fits the row functions exactly: 1 <= n <= max, no
// negative weight, w[0] <= 65534 and side weights <= 32767 (each fits a
// signed 16-bit lane, the centre in two), and a total of at most 65536, so
// that no sum of 255s passes 0xFF0000. Every kernel from Gauss_Kernel does.
bool GaussTaps_Fits(const GaussKernel &kernel);
// Fills `taps` from a kernel that fits; false otherwise.
bool GaussTaps_Make(const GaussKernel &kernel, GaussTaps *taps);

// One output row of `count` values. minus[k] and plus[k] (k = 0..n + 1 when
// n is odd, else 0..n) point at the values k taps before and after the
// output's own (minus[0] = plus[0]: the centre); the padding entry n + 1
// must point at readable values (its weight is 0). Each output value is
// min(255, (sum + 0x8000) >> 16).
using GaussRow16 = void (*)(const GaussTaps &taps, const uint16_t *const *minus, const uint16_t *const *plus,
                            size_t count, uint16_t *out);
using GaussRow8 = void (*)(const GaussTaps &taps, const uint16_t *const *minus, const uint16_t *const *plus,
                           size_t count, uint8_t *out);
// Channel bytes widened to 16 bits.
using GaussWiden = void (*)(const uint8_t *in, size_t count, uint16_t *out);

struct GaussRowFns {
    GaussRow16 row16;
    GaussRow8 row8;
    GaussWiden widen;
};

// Values begin..end-1 of a row in plain C++: the reference, and the tail
// that the vector forms leave over.
template <class Out>
inline void GaussTaps_SumRange(const GaussTaps &taps, const uint16_t *const *minus, const uint16_t *const *plus,
                               size_t begin, size_t end, Out *out) {
    const int32_t n = taps.n;
    const int32_t *w = taps.w;
    for (size_t i = begin; i < end; ++i) {
        // At most 65536 x 255: GaussTaps_Fits keeps every sum in range.
        int32_t s = w[0] * minus[0][i];
        for (int32_t k = 1; k <= n; ++k) s += w[k] * (minus[k][i] + plus[k][i]);
        const int32_t v = (s + 0x8000) >> 16;
        out[i] = Out(v > 255 ? 255 : v);
    }
}

// The functions of a level (clamped to what the processor runs).
GaussRowFns GaussTaps_Functions(GaussSimd level);

void GaussTaps_Row16Scalar(const GaussTaps &taps, const uint16_t *const *minus, const uint16_t *const *plus,
                           size_t count, uint16_t *out);
void GaussTaps_Row8Scalar(const GaussTaps &taps, const uint16_t *const *minus, const uint16_t *const *plus,
                          size_t count, uint8_t *out);
void GaussTaps_WidenScalar(const uint8_t *in, size_t count, uint16_t *out);

void GaussTaps_Row16Sse2(const GaussTaps &taps, const uint16_t *const *minus, const uint16_t *const *plus,
                         size_t count, uint16_t *out);
void GaussTaps_Row8Sse2(const GaussTaps &taps, const uint16_t *const *minus, const uint16_t *const *plus,
                        size_t count, uint8_t *out);
void GaussTaps_WidenSse2(const uint8_t *in, size_t count, uint16_t *out);

void GaussTaps_Row16Avx2(const GaussTaps &taps, const uint16_t *const *minus, const uint16_t *const *plus,
                         size_t count, uint16_t *out);
void GaussTaps_Row8Avx2(const GaussTaps &taps, const uint16_t *const *minus, const uint16_t *const *plus,
                        size_t count, uint8_t *out);
void GaussTaps_WidenAvx2(const uint8_t *in, size_t count, uint16_t *out);
