// Per-block coefficient masks for the progressive encoder's scans: one pass
// over a block (zigzag order) tells which coefficients a scan sends, so the
// scan walks only those instead of testing all 63.
#pragma once

#include <cstdint>

namespace dibcore {

struct JpegMagnitudeMasks {
    uint64_t nonzero;  // bit k: |z[k]| >> al is not zero
    uint64_t above1;   // bit k: |z[k]| >> al is above one (sent before)
};

// `zigzag`: 64 coefficients, |z| <= 32767; `al`: 0..13.
JpegMagnitudeMasks Jpeg_MagnitudeMasksScalar(const int16_t *zigzag, int al);
JpegMagnitudeMasks Jpeg_MagnitudeMasksSse2(const int16_t *zigzag, int al);

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
