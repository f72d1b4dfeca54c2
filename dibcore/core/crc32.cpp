#include "crc32.h"

#include <cstring>

namespace dibcore {

namespace {

// Slicing-by-8 tables: table[k][b] is the CRC of byte b followed by k zero
// bytes, so eight input bytes fold in with eight independent lookups.
struct CrcTables {
    uint32_t t[8][256];
    constexpr CrcTables() : t{} {
        for (uint32_t b = 0; b < 256; ++b) {
            uint32_t c = b;
            for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
            t[0][b] = c;
        }
        for (uint32_t b = 0; b < 256; ++b)
            for (int k = 1; k < 8; ++k) t[k][b] = (t[k - 1][b] >> 8) ^ t[0][t[k - 1][b] & 0xFF];
    }
};

constexpr CrcTables kTables;

}  // namespace

uint32_t Crc32_Update(uint32_t crc, const void *bytes, size_t length) {
    const auto *p = static_cast<const uint8_t *>(bytes);
    uint32_t c = ~crc;
    if (p == nullptr) return crc;
    const auto &t = kTables.t;
    while (length >= 8) {
        uint32_t lo, hi;
        std::memcpy(&lo, p, 4);
        std::memcpy(&hi, p + 4, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        lo = __builtin_bswap32(lo);
        hi = __builtin_bswap32(hi);
#endif
        lo ^= c;
        c = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
            t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
        p += 8;
        length -= 8;
    }
    while (length--) c = (c >> 8) ^ t[0][(c ^ *p++) & 0xFF];
    return ~c;
}

}  // namespace dibcore
