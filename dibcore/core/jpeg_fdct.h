// Forward DCT and quantisation of one 8x8 block for the JPEG encoder: the
// accurate integer method, with division by the quantiser done exactly
// through 32-bit reciprocals.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dibcore {

struct JpegDivisors {
    uint32_t reciprocal[64];  // natural order: ceil(2^32 / (8 q))
    uint16_t half[64];        // (8 q) / 2, the rounding term
};

// `quantZigzag`: 1..255 (or up to 65535) per coefficient, zigzag order.
void Jpeg_MakeDivisors(const uint16_t *quantZigzag, JpegDivisors *d);

// Transforms 8 rows of 8 samples (`stride` apart) and writes the quantised
// coefficients in zigzag order.
void Jpeg_FdctQuantize(const uint8_t *in, ptrdiff_t stride, const JpegDivisors &d, int16_t *outZigzag);

}  // namespace dibcore
