#include "jpeg_coef_masks.h"

#include "jpeg_tables.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dibcore {

JpegMagnitudeMasks Jpeg_MagnitudeMasksScalar(const int16_t *z, int al) {
    JpegMagnitudeMasks m{0, 0};
    for (int k = 0; k < 64; ++k) {
        const int a = (z[k] < 0 ? -z[k] : z[k]) >> al;
        if (a != 0) m.nonzero |= uint64_t{1} << k;
        if (a > 1) m.above1 |= uint64_t{1} << k;
    }
    return m;
}

#if defined(__SSE2__)

JpegMagnitudeMasks Jpeg_MagnitudeMasksSse2(const int16_t *z, int al) {
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

JpegMagnitudeMasks Jpeg_MagnitudeMasksSse2(const int16_t *z, int al) { return Jpeg_MagnitudeMasksScalar(z, al); }

#endif

void Jpeg_NaturalToZigzag(const int16_t *natural, int16_t *zigzag) {
    for (int k = 0; k < 64; ++k) zigzag[k] = natural[kJpegZigzagToNatural[k]];
}

}  // namespace dibcore
