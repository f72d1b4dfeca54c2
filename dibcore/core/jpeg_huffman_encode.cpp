#include "jpeg_huffman_encode.h"

#include "jpeg_tables.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dibcore {

void Jpeg_OptimalHuffman(const uint32_t freqIn[256], JpegHuffCode *out) {
    // Huffman's construction over 257 symbols: symbol 256 is a reserved
    // extra so no real symbol gets the all-ones code.
    int64_t freq[257];
    int codesize[257] = {};
    int others[257];
    for (int i = 0; i < 256; ++i) freq[i] = freqIn[i];
    freq[256] = 1;
    for (int i = 0; i < 257; ++i) others[i] = -1;
    for (;;) {
        int c1 = -1, c2 = -1;
        int64_t v = INT64_MAX;
        for (int i = 0; i < 257; ++i)
            if (freq[i] && freq[i] <= v) v = freq[i], c1 = i;
        v = INT64_MAX;
        for (int i = 0; i < 257; ++i)
            if (freq[i] && freq[i] <= v && i != c1) v = freq[i], c2 = i;
        if (c2 < 0) break;
        freq[c1] += freq[c2];
        freq[c2] = 0;
        ++codesize[c1];
        while (others[c1] >= 0) {
            c1 = others[c1];
            ++codesize[c1];
        }
        others[c1] = c2;
        ++codesize[c2];
        while (others[c2] >= 0) {
            c2 = others[c2];
            ++codesize[c2];
        }
    }
    int bits[260] = {};
    for (int i = 0; i < 257; ++i)
        if (codesize[i]) ++bits[codesize[i]];
    // Limit lengths to 16: move pairs of the longest codes up the tree.
    for (int i = 259; i > 16; --i) {
        while (bits[i] > 0) {
            int j = i - 2;
            while (bits[j] == 0) --j;
            bits[i] -= 2;
            bits[i - 1]++;
            bits[j + 1] += 2;
            bits[j]--;
        }
    }
    int i = 16;
    while (i > 0 && bits[i] == 0) --i;
    if (i > 0) bits[i]--;  // drop the reserved symbol's code
    std::memset(out, 0, sizeof *out);
    for (int l = 1; l <= 16; ++l) out->counts[l - 1] = static_cast<uint8_t>(bits[l]);
    int n = 0;
    for (int l = 1; l <= 32 * 8; ++l)
        for (int s = 0; s < 256; ++s)
            if (codesize[s] == l) out->symbols[n++] = static_cast<uint8_t>(s);
    out->symbolCount = n;
    // Canonical codes in symbol order of increasing length.
    uint32_t code = 0;
    int k = 0;
    for (int l = 1; l <= 16; ++l) {
        for (int c = 0; c < out->counts[l - 1]; ++c, ++k) {
            out->code[out->symbols[k]] = static_cast<uint16_t>(code++);
            out->size[out->symbols[k]] = static_cast<uint8_t>(l);
            out->packed[out->symbols[k]] = (code - 1) << 8 | static_cast<uint32_t>(l);
        }
        code <<= 1;
    }
}

uint32_t Jpeg_CoefCodeScalar(int v) {
    const uint32_t a = static_cast<uint32_t>(v < 0 ? -v : v);
    const int n = a ? 32 - __builtin_clz(a) : 0;
    const uint32_t bits = static_cast<uint32_t>(v < 0 ? v - 1 : v) & ((uint32_t{1} << n) - 1);
    return bits << 4 | static_cast<uint32_t>(n);
}

JpegCoefCodes::JpegCoefCodes() {
    for (int i = 0; i < 4096; ++i) at[i] = Jpeg_CoefCodeScalar(i - 2048);
}
const JpegCoefCodes kJpegCoefCodes;

void JpegBitWriter::Spill() {
    out_->Append(buf_, pos_);
    pos_ = 0;
}

void JpegBitWriter::PutFull(uint32_t bits, int n) {
    State s = Open(16);
    Put(s, bits, n);
    Close(s);
}

void JpegBitWriter::Flush() {
    if (pos_ > sizeof buf_ - 32) Spill();
    State s{acc_, free_, buf_ + pos_};
    // Pad to a byte with ones, then write the whole bytes from the top.
    const int pad = s.free & 7;  // 64 is a whole number of bytes
    if (pad) Put(s, (1u << pad) - 1, pad);
    int used = 64 - s.free;
    while (used >= 8) {
        used -= 8;
        const uint8_t b = static_cast<uint8_t>(s.acc >> used);
        *s.p++ = b;
        if (b == 0xFF) *s.p++ = 0;
    }
    s.acc = 0;
    s.free = 64;
    Close(s);
    Spill();
}

namespace {

// For each row of a block and each pattern of its non-zero columns, the
// zigzag bits of those positions: eight lookups turn a row-major mask into
// a zigzag one.
struct ZigzagBits {
    uint64_t bits[8][256];
    ZigzagBits() {
        uint8_t zigzagOf[64];
        for (int k = 0; k < 64; ++k) zigzagOf[kJpegZigzagToNatural[k]] = static_cast<uint8_t>(k);
        for (int r = 0; r < 8; ++r)
            for (int p = 0; p < 256; ++p) {
                uint64_t m = 0;
                for (int c = 0; c < 8; ++c)
                    if (p & (1 << c)) m |= uint64_t{1} << zigzagOf[r * 8 + c];
                bits[r][p] = m;
            }
    }
};
const ZigzagBits kZigzagBits;

}  // namespace

uint64_t Jpeg_NonzeroMask(const int16_t *z) {
    uint64_t natural = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (int i = 0; i < 4; ++i) {
        const __m128i a = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(z + 16 * i)), zero);
        const __m128i b = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(z + 16 * i + 8)), zero);
        natural |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(a, b)))) << (16 * i);
    }
    natural = ~natural;
#else
    for (int n = 0; n < 64; ++n)
        if (z[n]) natural |= uint64_t{1} << n;
#endif
    uint64_t m = 0;
    for (int r = 0; r < 8; ++r) m |= kZigzagBits.bits[r][(natural >> (8 * r)) & 0xFF];
    return m;
}

}  // namespace dibcore
