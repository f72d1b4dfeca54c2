#include "jpeg_bitreader.h"

namespace dibcore {

bool Jpeg_BuildHuffTable(const uint8_t counts[16], const uint8_t *symbols, int symbolCount, bool ac,
                         JpegHuffTable *t) {
    std::memset(t, 0, sizeof *t);
    int total = 0;
    for (int l = 0; l < 16; ++l) total += counts[l];
    if (total > 256 || total > symbolCount) return false;
    std::memcpy(t->symbols, symbols, static_cast<size_t>(total));

    uint32_t code = 0;
    int k = 0;
    for (int l = 1; l <= 16; ++l) {
        const int n = counts[l - 1];
        t->delta[l] = k - static_cast<int>(code);
        for (int i = 0; i < n; ++i, ++k, ++code) {
            // A length cannot hold more codes than its bit count allows.
            if (code >= (1u << l)) return false;
            if (l <= kJpegLookBits) {
                const int spare = kJpegLookBits - l;
                const uint32_t first = code << spare;
                for (uint32_t j = 0; j < (1u << spare); ++j)
                    t->fast[first + j] = static_cast<uint16_t>((l << 8) | t->symbols[k]);
            }
        }
        t->maxcode[l] = code << (16 - l);
        code <<= 1;
    }
    t->maxcode[17] = 0xFFFFFFFFu;

    if (ac) {
        // Run, size and value in one lookup for short codes with few extra bits.
        for (uint32_t i = 0; i < (1u << kJpegLookBits); ++i) {
            const uint16_t f = t->fast[i];
            if (!f) continue;
            const int len = f >> 8, rs = f & 0xFF, run = rs >> 4, size = rs & 15;
            if (size == 0 || len + size > kJpegLookBits) continue;
            const uint32_t raw = (i >> (kJpegLookBits - len - size)) & ((1u << size) - 1);
            const int value = Jpeg_Extend(raw, size);
            t->fastAc[i] = static_cast<int32_t>(static_cast<uint32_t>(value) << 16) | (run << 8) | (len + size);
        }
    }
    t->defined = true;
    return true;
}

}  // namespace dibcore
