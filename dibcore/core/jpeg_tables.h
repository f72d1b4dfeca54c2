// Constant tables shared by the JPEG decoder and encoder.
#pragma once

#include <cstdint>

namespace dibcore {

// Zigzag index -> natural (row-major) index. Sixteen extra entries map to 63
// so a damaged run length can never index outside a block.
extern const uint8_t kJpegZigzagToNatural[64 + 16];

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
