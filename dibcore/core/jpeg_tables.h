// Constant tables shared by the JPEG decoder and encoder.
#pragma once

#include <cstdint>

namespace dibcore {

// Zigzag index -> natural (row-major) index. Sixteen extra entries map to 63
// so a damaged run length can never index outside a block. Visible here so
// loops over it unroll with constant offsets.
inline constexpr uint8_t kJpegZigzagToNatural[64 + 16] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33,
    40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36,
    29, 22, 15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54,
    47, 55, 62, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63};

// The example tables of the standard, in zigzag order.
extern const uint8_t kJpegStdLumaQuant[64];
extern const uint8_t kJpegStdChromaQuant[64];

// The example Huffman tables of the standard: 16 code counts, then values.
struct JpegStdHuffman {
    uint8_t counts[16];
    uint8_t values[162];
    int valueCount;
};
extern const JpegStdHuffman kJpegStdDcLuma, kJpegStdAcLuma, kJpegStdDcChroma, kJpegStdAcChroma;

// Quality 1..100 scaling of a standard table (zigzag order in and out),
// limited to 1..255 so every table stays baseline.
void Jpeg_ScaleQuant(const uint8_t *base, int quality, uint16_t *out);

}  // namespace dibcore
