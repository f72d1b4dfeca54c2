// Entropy-coded data of a JPEG scan: a 64-bit bit buffer over the bytes with
// stuffed zeros removed, and Huffman tables decoded through a 9-bit lookahead.
// Past a marker or the end of the data the reader feeds zero bits and counts
// them, so a damaged scan is bounded and detectable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace dibcore {

constexpr int kJpegLookBits = 9;

struct JpegHuffTable {
    // (length << 8) | symbol for codes of up to kJpegLookBits bits, else 0.
    uint16_t fast[1 << kJpegLookBits];
    // AC tables only: value << 16 | run << 8 | bits used, when the code and
    // its extra bits both fit the lookahead; else 0.
    int32_t fastAc[1 << kJpegLookBits];
    // Longer codes: maxcode[l] is one past the largest code of length l,
    // left-aligned in 16 bits; delta[l] turns a code into a symbol index.
    uint32_t maxcode[18];
    int32_t delta[17];
    uint8_t symbols[256];
    bool defined;
};

// Builds `table` from 16 counts and the symbols; false for an impossible
// code set (more codes than a length can hold).
bool Jpeg_BuildHuffTable(const uint8_t counts[16], const uint8_t *symbols, int symbolCount, bool ac,
                         JpegHuffTable *table);

inline int Jpeg_Extend(uint32_t v, int s) {
    // A value with a clear top bit is negative: v - (2^s - 1).
    return s == 0 ? 0 : (v < (1u << (s - 1)) ? static_cast<int>(v) - (1 << s) + 1 : static_cast<int>(v));
}

class JpegBitReader {
public:
    void Start(const uint8_t *p, const uint8_t *end) {
        p_ = p;
        end_ = end;
        buf_ = 0;
        bits_ = 0;
        padBits_ = 0;
        atMarker_ = false;
    }
    // Drops what is buffered (restart markers begin on a byte boundary).
    void Reset() {
        buf_ = 0;
        bits_ = 0;
        padBits_ = 0;
    }
    const uint8_t *Position() const { return p_; }
    void SetPosition(const uint8_t *p) {
        p_ = p;
        atMarker_ = false;
        Reset();
    }
    bool AtMarker() const { return atMarker_; }
    // True once bits past the real data have been consumed.
    bool Exhausted() const { return padBits_ > bits_; }

    inline void Refill() {
        if (bits_ > 56) return;
        if (!atMarker_ && end_ - p_ >= 8) {
            uint64_t w;
            std::memcpy(&w, p_, 8);
            // Any 0xFF byte (stuffing or a marker) takes the careful path.
            const uint64_t x = ~w;
            if (((x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull) == 0) {
                w = __builtin_bswap64(w);
                const int take = (64 - bits_) >> 3;
                const uint64_t kept = take == 8 ? w : w & ~(~0ull >> (8 * take));
                buf_ |= kept >> bits_;
                bits_ += 8 * take;
                p_ += take;
                return;
            }
        }
        RefillSlow();
    }
    // Hot loops keep the bit buffer in registers between refills.
    void Export(uint64_t *buf, int *bits) const {
        *buf = buf_;
        *bits = bits_;
    }
    void Import(uint64_t buf, int bits) {
        buf_ = buf;
        bits_ = bits;
    }
    inline uint32_t Peek(int n) const { return static_cast<uint32_t>(buf_ >> (64 - n)); }
    inline void Skip(int n) {
        buf_ <<= n;
        bits_ -= n;
    }
    // n in 0..16; call Refill first so at least 32 bits are there.
    inline uint32_t Get(int n) {
        if (n == 0) return 0;
        const uint32_t v = Peek(n);
        Skip(n);
        return v;
    }
    inline int Decode(const JpegHuffTable &t) {
        const uint32_t look = Peek(kJpegLookBits);
        const uint16_t f = t.fast[look];
        if (f) {
            Skip(f >> 8);
            return f & 0xFF;
        }
        const uint32_t peek16 = Peek(16);
        int l = kJpegLookBits + 1;
        while (l <= 16 && peek16 >= t.maxcode[l]) ++l;
        if (l > 16) {  // no such code: damaged data
            Skip(16);
            return 0;
        }
        const int index = static_cast<int>(peek16 >> (16 - l)) + t.delta[l];
        Skip(l);
        return t.symbols[index & 0xFF];
    }

private:
    void RefillSlow() {
        while (bits_ <= 56) {
            uint32_t byte = 0;
            if (!atMarker_ && p_ < end_) {
                byte = *p_;
                if (byte == 0xFF) {
                    const uint32_t next = p_ + 1 < end_ ? p_[1] : 0x100;
                    if (next == 0) {
                        p_ += 2;
                    } else {
                        // A marker (or the end): leave it for the caller.
                        atMarker_ = true;
                        byte = 0;
                        padBits_ += 8;
                    }
                } else {
                    ++p_;
                }
            } else {
                padBits_ += 8;
            }
            buf_ |= static_cast<uint64_t>(byte) << (56 - bits_);
            bits_ += 8;
        }
    }

    const uint8_t *p_ = nullptr;
    const uint8_t *end_ = nullptr;
    uint64_t buf_ = 0;
    int bits_ = 0;
    int padBits_ = 0;
    bool atMarker_ = false;
};

}  // namespace dibcore
