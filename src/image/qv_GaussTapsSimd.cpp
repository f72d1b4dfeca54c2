// Vector forms of the Gaussian row sums. SSE2 is the x86-64 baseline; AVX2
// is compiled per function and chosen at run time. The sums are the scalar
// reference's integers (integer addition does not depend on its order) and
// the rounding is the same arithmetic, so the values are the same.
//
// Per tap pair the two sides are added as 16-bit values first (at most
// 510), then pmaddwd multiplies two neighbouring taps' sums by their weights
// and adds them in 32 bits: one multiply for four taps of a value. The
// centre weight may pass 32767, so the centre value is paired with itself
// and the weight split in two halves.
#include <cstring>

#include "image/qv_GaussTaps.h"

#if !(defined(__x86_64__) || defined(__i386__))

void GaussTaps_Row16Sse2(const GaussTaps &t, const uint16_t *const *m, const uint16_t *const *p, size_t n,
                         uint16_t *out) {
    GaussTaps_Row16Scalar(t, m, p, n, out);
}
void GaussTaps_Row8Sse2(const GaussTaps &t, const uint16_t *const *m, const uint16_t *const *p, size_t n,
                        uint8_t *out) {
    GaussTaps_Row8Scalar(t, m, p, n, out);
}
void GaussTaps_WidenSse2(const uint8_t *in, size_t n, uint16_t *out) { GaussTaps_WidenScalar(in, n, out); }
void GaussTaps_Row16Avx2(const GaussTaps &t, const uint16_t *const *m, const uint16_t *const *p, size_t n,
                         uint16_t *out) {
    GaussTaps_Row16Scalar(t, m, p, n, out);
}
void GaussTaps_Row8Avx2(const GaussTaps &t, const uint16_t *const *m, const uint16_t *const *p, size_t n,
                        uint8_t *out) {
    GaussTaps_Row8Scalar(t, m, p, n, out);
}
void GaussTaps_WidenAvx2(const uint8_t *in, size_t n, uint16_t *out) { GaussTaps_WidenScalar(in, n, out); }

#else

#include <immintrin.h>

#define QV_AVX2 __attribute__((target("avx2")))

namespace {

// ---- SSE2: 8 values a chunk, C chunks share each tap's pointer loads. ----

inline __m128i Load8(const uint16_t *p) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)); }

inline __m128i Round8(__m128i lo, __m128i hi) {
    const __m128i half = _mm_set1_epi32(0x8000);
    return _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(lo, half), 16), _mm_srai_epi32(_mm_add_epi32(hi, half), 16));
}

// Values i .. i + 8C - 1 as C vectors of eight 16-bit results (not yet
// limited to 255).
template <int C>
inline void Sums8(const GaussTaps &t, const uint16_t *const *minus, const uint16_t *const *plus, size_t i,
                  __m128i out[C]) {
    __m128i lo[C], hi[C];
    const __m128i cw = _mm_set1_epi32(static_cast<int32_t>(t.centrePair));
    for (int c = 0; c < C; ++c) {
        const __m128i v = Load8(minus[0] + i + 8 * c);
        lo[c] = _mm_madd_epi16(_mm_unpacklo_epi16(v, v), cw);
        hi[c] = _mm_madd_epi16(_mm_unpackhi_epi16(v, v), cw);
    }
    for (int32_t p = 0; p < t.pairs; ++p) {
        const int32_t k = 2 * p + 1;
        const uint16_t *a = minus[k] + i, *b = plus[k] + i, *d = minus[k + 1] + i, *e = plus[k + 1] + i;
        const __m128i wp = _mm_set1_epi32(static_cast<int32_t>(t.sidePairs[p]));
        for (int c = 0; c < C; ++c) {
            const __m128i s1 = _mm_add_epi16(Load8(a + 8 * c), Load8(b + 8 * c));
            const __m128i s2 = _mm_add_epi16(Load8(d + 8 * c), Load8(e + 8 * c));
            lo[c] = _mm_add_epi32(lo[c], _mm_madd_epi16(_mm_unpacklo_epi16(s1, s2), wp));
            hi[c] = _mm_add_epi32(hi[c], _mm_madd_epi16(_mm_unpackhi_epi16(s1, s2), wp));
        }
    }
    for (int c = 0; c < C; ++c) out[c] = Round8(lo[c], hi[c]);
}

template <int C>
inline void Store8(const __m128i v[C], uint16_t *out) {
    const __m128i top = _mm_set1_epi16(255);
    for (int c = 0; c < C; ++c)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8 * c), _mm_min_epi16(v[c], top));
}

template <int C>
inline void Store8(const __m128i v[C], uint8_t *out) {
    for (int c = 0; c + 1 < C; c += 2)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8 * c), _mm_packus_epi16(v[c], v[c + 1]));
    if (C % 2) _mm_storel_epi64(reinterpret_cast<__m128i *>(out + 8 * (C - 1)), _mm_packus_epi16(v[C - 1], v[C - 1]));
}

template <class Out>
void RowSse2(const GaussTaps &t, const uint16_t *const *minus, const uint16_t *const *plus, size_t count, Out *out) {
    constexpr int kBlock = 4;
    size_t i = 0;
    __m128i v[kBlock];
    for (; i + 8 * kBlock <= count; i += 8 * kBlock) {
        Sums8<kBlock>(t, minus, plus, i, v);
        Store8<kBlock>(v, out + i);
    }
    for (; i + 8 <= count; i += 8) {
        Sums8<1>(t, minus, plus, i, v);
        Store8<1>(v, out + i);
    }
    GaussTaps_SumRange(t, minus, plus, i, count, out);
}

// ---- AVX2: 16 values a chunk. ----

QV_AVX2 inline __m256i Load16(const uint16_t *p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)); }

QV_AVX2 inline __m256i Round16(__m256i lo, __m256i hi) {
    const __m256i half = _mm256_set1_epi32(0x8000);
    // unpacklo/hi take values 0-3 and 8-11 / 4-7 and 12-15 of the two
    // 128-bit lanes; packing lane by lane puts them back in order.
    return _mm256_packs_epi32(_mm256_srai_epi32(_mm256_add_epi32(lo, half), 16),
                              _mm256_srai_epi32(_mm256_add_epi32(hi, half), 16));
}

template <int C>
QV_AVX2 inline void Sums16(const GaussTaps &t, const uint16_t *const *minus, const uint16_t *const *plus, size_t i,
                           __m256i out[C]) {
    __m256i lo[C], hi[C];
    const __m256i cw = _mm256_set1_epi32(static_cast<int32_t>(t.centrePair));
    for (int c = 0; c < C; ++c) {
        const __m256i v = Load16(minus[0] + i + 16 * c);
        lo[c] = _mm256_madd_epi16(_mm256_unpacklo_epi16(v, v), cw);
        hi[c] = _mm256_madd_epi16(_mm256_unpackhi_epi16(v, v), cw);
    }
    for (int32_t p = 0; p < t.pairs; ++p) {
        const int32_t k = 2 * p + 1;
        const uint16_t *a = minus[k] + i, *b = plus[k] + i, *d = minus[k + 1] + i, *e = plus[k + 1] + i;
        const __m256i wp = _mm256_set1_epi32(static_cast<int32_t>(t.sidePairs[p]));
        for (int c = 0; c < C; ++c) {
            const __m256i s1 = _mm256_add_epi16(Load16(a + 16 * c), Load16(b + 16 * c));
            const __m256i s2 = _mm256_add_epi16(Load16(d + 16 * c), Load16(e + 16 * c));
            lo[c] = _mm256_add_epi32(lo[c], _mm256_madd_epi16(_mm256_unpacklo_epi16(s1, s2), wp));
            hi[c] = _mm256_add_epi32(hi[c], _mm256_madd_epi16(_mm256_unpackhi_epi16(s1, s2), wp));
        }
    }
    for (int c = 0; c < C; ++c) out[c] = Round16(lo[c], hi[c]);
}

template <int C>
QV_AVX2 inline void Store16(const __m256i v[C], uint16_t *out) {
    const __m256i top = _mm256_set1_epi16(255);
    for (int c = 0; c < C; ++c)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + 16 * c), _mm256_min_epi16(v[c], top));
}

template <int C>
QV_AVX2 inline void Store16(const __m256i v[C], uint8_t *out) {
    // Packing works lane by lane: the 64-bit quarters come out as values
    // 0-7, 16-23, 8-15, 24-31 and are put back in order.
    for (int c = 0; c + 1 < C; c += 2)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + 16 * c),
                            _mm256_permute4x64_epi64(_mm256_packus_epi16(v[c], v[c + 1]), 0xD8));
    if (C % 2) {
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(v[C - 1], v[C - 1]), 0xD8);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 16 * (C - 1)), _mm256_castsi256_si128(packed));
    }
}

template <class Out>
QV_AVX2 void RowAvx2(const GaussTaps &t, const uint16_t *const *minus, const uint16_t *const *plus, size_t count,
                     Out *out) {
    constexpr int kBlock = 4;
    size_t i = 0;
    __m256i v[kBlock];
    for (; i + 16 * kBlock <= count; i += 16 * kBlock) {
        Sums16<kBlock>(t, minus, plus, i, v);
        Store16<kBlock>(v, out + i);
    }
    for (; i + 16 <= count; i += 16) {
        Sums16<1>(t, minus, plus, i, v);
        Store16<1>(v, out + i);
    }
    GaussTaps_SumRange(t, minus, plus, i, count, out);
}

}  // namespace

void GaussTaps_Row16Sse2(const GaussTaps &t, const uint16_t *const *minus, const uint16_t *const *plus, size_t count,
                         uint16_t *out) {
    RowSse2(t, minus, plus, count, out);
}

void GaussTaps_Row8Sse2(const GaussTaps &t, const uint16_t *const *minus, const uint16_t *const *plus, size_t count,
                        uint8_t *out) {
    RowSse2(t, minus, plus, count, out);
}

void GaussTaps_WidenSse2(const uint8_t *in, size_t count, uint16_t *out) {
    const __m128i zero = _mm_setzero_si128();
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i + 8), _mm_unpackhi_epi8(v, zero));
    }
    GaussTaps_WidenScalar(in + i, count - i, out + i);
}

QV_AVX2 void GaussTaps_Row16Avx2(const GaussTaps &t, const uint16_t *const *minus, const uint16_t *const *plus,
                                 size_t count, uint16_t *out) {
    RowAvx2(t, minus, plus, count, out);
}

QV_AVX2 void GaussTaps_Row8Avx2(const GaussTaps &t, const uint16_t *const *minus, const uint16_t *const *plus,
                                size_t count, uint8_t *out) {
    RowAvx2(t, minus, plus, count, out);
}

QV_AVX2 void GaussTaps_WidenAvx2(const uint8_t *in, size_t count, uint16_t *out) {
    size_t i = 0;
    for (; i + 16 <= count; i += 16)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + i),
                            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i))));
    GaussTaps_WidenScalar(in + i, count - i, out + i);
}

#endif
