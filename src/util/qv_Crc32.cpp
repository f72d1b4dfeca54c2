#include "qv_Crc32.h"

#include <array>

namespace {

// Slicing by eight tables: CRC runs over whole files (archives, print names)
// and the byte-at-a-time loop is the slow part there.
struct CrcTables {
    std::array<std::array<uint32_t, 256>, 8> t{};
    constexpr CrcTables() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (uint32_t i = 0; i < 256; ++i)
            for (int s = 1; s < 8; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    }
};

constexpr CrcTables kTables;

}  // namespace

uint32_t Util_Crc32Update(uint32_t crc, const void *buffer, size_t length) {
    if (buffer == nullptr) return crc;
    const auto *p = static_cast<const uint8_t *>(buffer);
    uint32_t c = ~crc;
    const auto &t = kTables.t;
    while (length >= 8) {
        const uint32_t lo = c ^ (uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
        c = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^ t[3][p[4]] ^
            t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
        p += 8;
        length -= 8;
    }
    while (length-- > 0) c = t[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return ~c;
}

uint32_t Util_Crc32(size_t length, const void *buffer) {
    if (buffer == nullptr) return 0;
    return Util_Crc32Update(0, buffer, length);
}
