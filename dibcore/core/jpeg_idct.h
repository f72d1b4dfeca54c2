// Inverse DCT of one 8x8 block: the accurate integer method (13-bit
// constants, two passes), so pixels match the common reference decoders.
// `coef` holds dequantised coefficients in natural order; the result is
// written as 8 rows of 8 samples, `stride` bytes apart.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dibcore {

// The reference. Arithmetic wraps modulo 2^32 and the pass-1 results
// saturate to 16 bits, exactly as the SIMD path does, so the two agree bit
// for bit on any input, damaged files included.
void Jpeg_IdctScalar(const int16_t *coef, uint8_t *out, ptrdiff_t stride);
void Jpeg_IdctSse2(const int16_t *coef, uint8_t *out, ptrdiff_t stride);

// A block with only a DC term: a flat 8x8 of one value (same result as the
// full transform).
void Jpeg_IdctDcOnly(int dc, uint8_t *out, ptrdiff_t stride);

inline void Jpeg_Idct(const int16_t *coef, uint8_t *out, ptrdiff_t stride) {
#if defined(__SSE2__)
    Jpeg_IdctSse2(coef, out, stride);
#else
    Jpeg_IdctScalar(coef, out, stride);
#endif
}

}  // namespace dibcore
