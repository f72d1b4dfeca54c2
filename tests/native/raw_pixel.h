// The raw value of pixel (x, y), y from the top, read byte by byte from the
// header's own numbers: a reader independent of the library's row code, for
// checking what that code wrote.
#pragma once

#include <cstdint>
#include <cstring>

#include "dib_records.h"

inline uint32_t RawPixelOf(const DibInfoHeader &h, const uint8_t *bits, int64_t x, int64_t y) {
    const int64_t rows = h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight;
    const uint64_t stride = ((uint64_t(h.biWidth) * h.biBitCount + 31) / 32) * 4;
    const uint8_t *row = bits + stride * uint64_t(h.biHeight < 0 ? y : rows - 1 - y);
    switch (h.biBitCount) {
        case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
        case 4: return x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4;
        case 8: return row[x];
        case 16: return row[2 * x] | (row[2 * x + 1] << 8);
        case 24: return row[3 * x] | (row[3 * x + 1] << 8) | (uint32_t(row[3 * x + 2]) << 16);
        default: {
            uint32_t v;
            std::memcpy(&v, row + 4 * x, 4);
            return v;
        }
    }
}
