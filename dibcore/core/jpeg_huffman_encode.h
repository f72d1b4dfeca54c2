// Huffman coding for the JPEG encoder: optimal code lengths from symbol
// counts (limited to 16 bits, all-ones code kept free) and a bit writer that
// stuffs zeros after 0xFF.
#pragma once

#include <cstdint>

#include "bytes.h"

namespace dibcore {

struct JpegHuffCode {
    uint8_t counts[16];    // codes of each length 1..16
    uint8_t symbols[256];  // in code order
    int symbolCount;
    uint16_t code[256];
    uint8_t size[256];  // 0: symbol unused
};

// Builds the best code for `freq` (symbols with count 0 get no code).
void Jpeg_OptimalHuffman(const uint32_t freq[256], JpegHuffCode *out);

class JpegBitWriter {
public:
    explicit JpegBitWriter(ByteBuffer *out) : out_(out) {}
    inline void Put(uint32_t bits, int n) {
        acc_ = (acc_ << n) | (bits & ((1u << n) - 1));
        count_ += n;
        if (count_ >= 32) Drain();
    }
    // Pads the last byte with one bits.
    void Flush();
    bool ok() const { return !out_->failed(); }

private:
    void Drain();
    ByteBuffer *out_;
    uint64_t acc_ = 0;
    int count_ = 0;
};

}  // namespace dibcore
