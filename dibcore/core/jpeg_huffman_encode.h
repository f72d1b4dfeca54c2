// Huffman coding for the JPEG encoder: optimal code lengths from symbol
// counts (limited to 16 bits, all-ones code kept free) and a bit writer that
// stuffs zeros after 0xFF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "bytes.h"

namespace dibcore {

struct JpegHuffCode {
    uint8_t counts[16];    // codes of each length 1..16
    uint8_t symbols[256];  // in code order
    int symbolCount;
    uint16_t code[256];
    uint8_t size[256];  // 0: symbol unused
    uint32_t packed[256];  // code << 8 | size: one load in the hot loop
};

// Builds the best code for `freq` (symbols with count 0 get no code).
void Jpeg_OptimalHuffman(const uint32_t freq[256], JpegHuffCode *out);

// Which coefficients of a block (natural order) are not zero, as a mask in
// zigzag order: bit k for the k-th coefficient of the zigzag sequence.
uint64_t Jpeg_NonzeroMask(const int16_t *natural);

class JpegBitWriter {
public:
    explicit JpegBitWriter(ByteBuffer *out) : out_(out) {}
    // n in 1..32 bits; the value's bits above n are ignored.
    inline void Put(uint32_t bits, int n) {
        acc_ = (acc_ << n) | (bits & (0xFFFFFFFFu >> (32 - n)));
        count_ += n;
        if (count_ >= 32) Drain32();
    }
    // Pads the last byte with one bits and hands everything to the buffer.
    void Flush();

    // Hot loops take the state into registers: Open() makes room for
    // `bytes` more output, Close() puts the state back.
    struct State {
        uint64_t acc;
        int count;
        uint8_t *p;
    };
    State Open(size_t bytes) {
        if (pos_ + bytes > sizeof buf_) Spill();
        return {acc_, count_, buf_ + pos_};
    }
    void Close(const State &s) {
        acc_ = s.acc;
        count_ = s.count;
        pos_ = static_cast<size_t>(s.p - buf_);
    }
    static inline void Put(State &s, uint32_t bits, int n) {
        s.acc = (s.acc << n) | bits;
        s.count += n;
        if (s.count >= 32) {
            s.count -= 32;
            const uint32_t w = static_cast<uint32_t>(s.acc >> s.count);
            const uint32_t x = ~w;
            if (((x - 0x01010101u) & ~x & 0x80808080u) == 0) {
                const uint32_t be = __builtin_bswap32(w);
                std::memcpy(s.p, &be, 4);
                s.p += 4;
            } else {
                for (int shift = 24; shift >= 0; shift -= 8) {
                    const uint8_t b = uint8_t(w >> shift);
                    *s.p++ = b;
                    if (b == 0xFF) *s.p++ = 0;
                }
            }
        }
    }
    bool ok() const { return !out_->failed(); }

private:
    inline void Drain32() {
        count_ -= 32;
        const uint32_t w = static_cast<uint32_t>(acc_ >> count_);
        if (pos_ > sizeof buf_ - 8) Spill();
        // Bytes of 0xFF need a stuffed zero after them; most words have none.
        const uint32_t x = ~w;
        if (((x - 0x01010101u) & ~x & 0x80808080u) == 0) {
            buf_[pos_] = uint8_t(w >> 24), buf_[pos_ + 1] = uint8_t(w >> 16);
            buf_[pos_ + 2] = uint8_t(w >> 8), buf_[pos_ + 3] = uint8_t(w);
            pos_ += 4;
        } else {
            for (int shift = 24; shift >= 0; shift -= 8) {
                const uint8_t b = uint8_t(w >> shift);
                buf_[pos_++] = b;
                if (b == 0xFF) buf_[pos_++] = 0;
            }
        }
    }
    void Spill();
    ByteBuffer *out_;
    uint64_t acc_ = 0;
    int count_ = 0;
    size_t pos_ = 0;
    uint8_t buf_[8192];
};

}  // namespace dibcore
