// Per-block coefficient masks for the progressive encoder's scans: one pass
// over a block (zigzag order) tells which coefficients a scan sends, so the
// scan walks only those instead of testing all 63.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dibcore {

struct JpegMagnitudeMasks {
    uint64_t nonzero;  // bit k: |z[k]| >> al is not zero
    uint64_t above1;   // bit k: |z[k]| >> al is above one (sent before)
};

// `zigzag`: 64 coefficients, |z| <= 32767; `al`: 0..13.
JpegMagnitudeMasks Jpeg_MagnitudeMasksScalar(const int16_t *zigzag, int al);

#if defined(__SSE2__)
// Inline so a scan that needs only `nonzero` drops the other half.
inline JpegMagnitudeMasks Jpeg_MagnitudeMasksSse2(const int16_t *z, int al) {
    // |z| >> al is non-zero when |z| > 2^al - 1, above one when |z| > 2^(al+1) - 1.
    const __m128i zero = _mm_setzero_si128();
    const __m128i t1 = _mm_set1_epi16(static_cast<int16_t>((1 << al) - 1));
    const __m128i t2 = _mm_set1_epi16(static_cast<int16_t>((2 << al) - 1));
    JpegMagnitudeMasks m{0, 0};
    for (int i = 0; i < 4; ++i) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(z + 16 * i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(z + 16 * i + 8));
        const __m128i absA = _mm_max_epi16(a, _mm_sub_epi16(zero, a));
        const __m128i absB = _mm_max_epi16(b, _mm_sub_epi16(zero, b));
        const uint32_t nz = static_cast<uint32_t>(
            _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpgt_epi16(absA, t1), _mm_cmpgt_epi16(absB, t1))));
        const uint32_t big = static_cast<uint32_t>(
            _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpgt_epi16(absA, t2), _mm_cmpgt_epi16(absB, t2))));
        m.nonzero |= uint64_t{nz} << (16 * i);
        m.above1 |= uint64_t{big} << (16 * i);
    }
    return m;
}
#else
inline JpegMagnitudeMasks Jpeg_MagnitudeMasksSse2(const int16_t *z, int al) {
    return Jpeg_MagnitudeMasksScalar(z, al);
}
#endif

inline JpegMagnitudeMasks Jpeg_MagnitudeMasks(const int16_t *zigzag, int al) {
#if defined(__SSE2__)
    return Jpeg_MagnitudeMasksSse2(zigzag, al);
#else
    return Jpeg_MagnitudeMasksScalar(zigzag, al);
#endif
}

// Bits ss..se (0 <= ss <= se <= 63).
inline uint64_t Jpeg_BandMask(int ss, int se) { return (~uint64_t{0} >> (63 - se)) & (~uint64_t{0} << ss); }

// Reorders a block from natural (row-major) order to zigzag order.
void Jpeg_NaturalToZigzag(const int16_t *natural, int16_t *zigzag);

}  // namespace dibcore
