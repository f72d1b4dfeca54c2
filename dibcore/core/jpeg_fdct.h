// Forward DCT and quantisation of one 8x8 block for the JPEG encoder: the
// accurate integer method, with division by the quantiser done exactly
// through 32-bit reciprocals.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dibcore {

struct JpegDivisors {
    // Natural order. The scalar path divides by ceil(2^32 / (8 q)); the SIMD
    // path by a 16-bit reciprocal and a per-lane shift done as a second
    // multiplication. Both are exact for every magnitude the transform gives.
    uint32_t reciprocal[64];
    alignas(16) uint16_t half[64];  // (8 q) / 2, the rounding term
    alignas(16) uint16_t reciprocal16[64];
    alignas(16) uint16_t shiftScale[64];
};

// `quantZigzag`: 1..255 (or up to 65535) per coefficient, zigzag order.
void Jpeg_MakeDivisors(const uint16_t *quantZigzag, JpegDivisors *d);

// Transforms 8 rows of 8 samples (`stride` apart) and writes the quantised
// coefficients in natural order. The SSE2 path equals the scalar one bit for
// bit.
void Jpeg_FdctQuantizeScalar(const uint8_t *in, ptrdiff_t stride, const JpegDivisors &d, int16_t *out);
void Jpeg_FdctQuantizeSse2(const uint8_t *in, ptrdiff_t stride, const JpegDivisors &d, int16_t *out);

inline void Jpeg_FdctQuantize(const uint8_t *in, ptrdiff_t stride, const JpegDivisors &d, int16_t *out) {
#if defined(__SSE2__)
    Jpeg_FdctQuantizeSse2(in, stride, d, out);
#else
    Jpeg_FdctQuantizeScalar(in, stride, d, out);
#endif
}

}  // namespace dibcore
