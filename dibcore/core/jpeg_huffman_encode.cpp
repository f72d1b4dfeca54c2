#include "jpeg_huffman_encode.h"

#include <cstring>

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
        }
        code <<= 1;
    }
}

void JpegBitWriter::Drain() {
    uint8_t bytes[16];
    int n = 0;
    while (count_ >= 8) {
        const uint8_t b = static_cast<uint8_t>(acc_ >> (count_ - 8));
        count_ -= 8;
        bytes[n++] = b;
        if (b == 0xFF) bytes[n++] = 0;
    }
    acc_ &= (uint64_t{1} << count_) - 1;
    out_->Append(bytes, static_cast<size_t>(n));
}

void JpegBitWriter::Flush() {
    const int pad = (8 - (count_ & 7)) & 7;
    if (pad) Put((1u << pad) - 1, pad);
    if (count_ > 0) Drain();
}

}  // namespace dibcore
