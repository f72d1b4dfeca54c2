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

// What a coefficient (or DC difference) v sends: its magnitude category n
// in the low 4 bits, and above them its n extra bits (v itself, or v - 1
// when negative, cut to n bits). A table for |v| < 2048, which holds every
// coefficient of 8-bit samples; the rest are computed.
struct JpegCoefCodes {
    uint32_t at[4096];
    JpegCoefCodes();
};
extern const JpegCoefCodes kJpegCoefCodes;
uint32_t Jpeg_CoefCodeScalar(int v);
inline uint32_t Jpeg_CoefCode(int v) {
    const uint32_t i = static_cast<uint32_t>(v + 2048);
    return i < 4096 ? kJpegCoefCodes.at[i] : Jpeg_CoefCodeScalar(v);
}

// Bits gather in a 64-bit word whose free low bits are counted down; a full
// word goes out as eight bytes at once, and only a word that holds a 0xFF
// byte takes the byte-by-byte path that stuffs zeros.
class JpegBitWriter {
public:
    explicit JpegBitWriter(ByteBuffer *out) : out_(out) {}
    // n in 1..32 bits; the value's bits above n are ignored.
    inline void Put(uint32_t bits, int n) {
        bits &= 0xFFFFFFFFu >> (32 - n);
        if (free_ - n >= 0) {
            free_ -= n;
            acc_ = (acc_ << n) | bits;
            return;
        }
        PutFull(bits, n);
    }
    // Pads the last byte with one bits and hands everything to the buffer.
    void Flush();

    // Hot loops take the state into registers: Open() makes room for
    // `bytes` more output, Close() puts the state back.
    struct State {
        uint64_t acc;
        int free;  // bits of `acc` not yet used, 0..64
        uint8_t *p;
    };
    State Open(size_t bytes) {
        if (pos_ + bytes > sizeof buf_) Spill();
        return {acc_, free_, buf_ + pos_};
    }
    void Close(const State &s) {
        acc_ = s.acc;
        free_ = s.free;
        pos_ = static_cast<size_t>(s.p - buf_);
    }
    // `bits` must have nothing above its n (1..32) bits. Writes at most 16
    // bytes.
    static inline void Put(State &s, uint32_t bits, int n) {
        s.free -= n;
        if (s.free >= 0) {
            s.acc = (s.acc << n) | bits;
            return;
        }
        // The word fills: its last -free bits come from the top of `bits`,
        // the rest of `bits` starts the next word (its stale high bits are
        // shifted out before they are written).
        const uint64_t w = (s.acc << (n + s.free)) | (uint64_t{bits} >> -s.free);
        Write64(s, w);
        s.free += 64;
        s.acc = bits;
    }
    bool ok() const { return !out_->failed(); }

private:
    static inline void Write64(State &s, uint64_t w) {
        const uint64_t x = ~w;
        if (((x - 0x0101010101010101u) & ~x & 0x8080808080808080u) == 0) {
            const uint64_t be = __builtin_bswap64(w);
            std::memcpy(s.p, &be, 8);
            s.p += 8;
            return;
        }
        for (int shift = 56; shift >= 0; shift -= 8) {
            const uint8_t b = uint8_t(w >> shift);
            *s.p++ = b;
            if (b == 0xFF) *s.p++ = 0;
        }
    }
    void PutFull(uint32_t bits, int n);  // the word fills
    void Spill();
    ByteBuffer *out_;
    uint64_t acc_ = 0;
    int free_ = 64;
    size_t pos_ = 0;
    uint8_t buf_[8192];
};

}  // namespace dibcore
