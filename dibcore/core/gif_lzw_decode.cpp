#include <cstring>

#include "gif_lzw.h"

namespace dibcore {

namespace {

constexpr int kMaxCodeBits = 12;
constexpr uint32_t kMaxCodes = 1u << kMaxCodeBits;

// Reads LSB-first codes from a buffer that has 8 readable bytes past its end.
class BitReader {
public:
    BitReader(const uint8_t *data, size_t bytes) : data_(data), totalBits_(uint64_t{bytes} * 8) {}
    // False when fewer than `width` bits are left.
    bool Read(int width, uint32_t *code) {
        if (bitPos_ + static_cast<uint64_t>(width) > totalBits_) return false;
        uint64_t word;
        std::memcpy(&word, data_ + (bitPos_ >> 3), sizeof word);
        *code = static_cast<uint32_t>(word >> (bitPos_ & 7)) & ((1u << width) - 1);
        bitPos_ += static_cast<uint64_t>(width);
        return true;
    }

private:
    const uint8_t *data_;
    uint64_t totalBits_;
    uint64_t bitPos_ = 0;
};

// A code's string is kept as where it was last written in the output and how
// long it is: LZW only ever adds "previous string plus one byte", and that
// string sits in the output right where the previous code was written.
struct Entry {
    uint32_t pos;
    uint32_t len;
};

void CopyString(uint8_t *dst, const uint8_t *src, size_t len) {
    if (static_cast<size_t>(dst - src) >= 16) {
        // The output has slack, so whole 16-byte steps may overshoot.
        for (size_t i = 0; i < len; i += 16) std::memcpy(dst + i, src + i, 16);
    } else {
        // Overlapping (the "code not yet in the table" case): byte order
        // matters, each byte may be one just written.
        for (size_t i = 0; i < len; ++i) dst[i] = src[i];
    }
}

}  // namespace

size_t Lzw_Decode(const uint8_t *packed, size_t packedBytes, int minCodeSize, uint32_t tableSize, uint8_t *out,
                  size_t pixels) {
    if (minCodeSize < 1 || minCodeSize > 8 || pixels == 0) return 0;
    const uint32_t clear = 1u << minCodeSize;
    const uint32_t endCode = clear + 1;
    uint8_t roots[256];
    for (uint32_t c = 0; c < clear; ++c) roots[c] = c < tableSize ? static_cast<uint8_t>(c) : 0;

    Entry table[kMaxCodes];
    BitReader bits(packed, packedBytes);
    uint32_t next = clear + 2;
    int width = minCodeSize + 1;
    bool havePrev = false;
    uint32_t prevPos = 0, prevLen = 0;
    size_t o = 0;
    uint32_t code;
    while (o < pixels && bits.Read(width, &code)) {
        if (code == clear) {
            next = clear + 2;
            width = minCodeSize + 1;
            havePrev = false;
            continue;
        }
        if (code == endCode) break;
        uint32_t len;
        if (code < clear) {
            out[o] = roots[code];
            len = 1;
        } else if (code < next && havePrev) {
            // A table code needs a previous code: right after a clear only
            // roots exist, and `next` has not moved.
            const Entry e = table[code];
            len = e.len;
            if (len > pixels - o) len = static_cast<uint32_t>(pixels - o);
            CopyString(out + o, out + e.pos, len);
        } else if (code == next && havePrev) {
            len = prevLen + 1;
            if (len > pixels - o) len = static_cast<uint32_t>(pixels - o);
            CopyString(out + o, out + prevPos, len);
        } else {
            break;  // past the table: the rest of the stream is noise
        }
        if (havePrev && next < kMaxCodes) {
            table[next].pos = prevPos;
            table[next].len = prevLen + 1;
            ++next;
            if (next == (1u << width) && width < kMaxCodeBits) ++width;
        }
        havePrev = true;
        prevPos = static_cast<uint32_t>(o);
        prevLen = len;
        o += len;
    }
    return o;
}

size_t Lzw_DecodeReference(const uint8_t *packed, size_t packedBytes, int minCodeSize, uint32_t tableSize,
                           uint8_t *out, size_t pixels) {
    if (minCodeSize < 1 || minCodeSize > 8 || pixels == 0) return 0;
    const uint32_t clear = 1u << minCodeSize;
    const uint32_t endCode = clear + 1;
    static thread_local uint16_t prefix[kMaxCodes];
    static thread_local uint8_t suffix[kMaxCodes];
    static thread_local uint8_t stack[kMaxCodes + 1];
    BitReader bits(packed, packedBytes);
    uint32_t next = clear + 2;
    int width = minCodeSize + 1;
    int prev = -1;
    uint8_t first = 0;
    size_t o = 0;
    uint32_t code;
    while (o < pixels && bits.Read(width, &code)) {
        if (code == clear) {
            next = clear + 2;
            width = minCodeSize + 1;
            prev = -1;
            continue;
        }
        if (code == endCode) break;
        uint32_t depth = 0;
        uint32_t c = code;
        if (code < clear) {
            stack[depth++] = code < tableSize ? static_cast<uint8_t>(code) : 0;
        } else if (prev >= 0 && code <= next) {
            if (code == next) {
                stack[depth++] = first;
                c = static_cast<uint32_t>(prev);
            }
            while (c >= clear) {
                stack[depth++] = suffix[c];
                c = prefix[c];
            }
            stack[depth++] = c < tableSize ? static_cast<uint8_t>(c) : 0;
        } else {
            break;
        }
        first = stack[depth - 1];
        while (depth > 0 && o < pixels) out[o++] = stack[--depth];
        if (prev >= 0 && next < kMaxCodes) {
            prefix[next] = static_cast<uint16_t>(prev);
            suffix[next] = first;
            ++next;
            if (next == (1u << width) && width < kMaxCodeBits) ++width;
        }
        prev = static_cast<int>(code);
    }
    return o;
}

}  // namespace dibcore
