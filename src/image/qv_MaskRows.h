// Row moves shared by the mask operations over the checked rows of DibRows:
// preparing a picture's rows and a rectangle, and pixel and bit-span moves
// that work at every depth, sub-byte pixels included, touching no bit outside
// the span.
#pragma once

#include <cstdint>
#include <cstring>

#include "dibcore_api.h"
#include "image/qv_DibCore.h"
#include "image/qv_DibRows.h"

// Uncompresses the picture (RLEtoDIB may move the storage), fetches its data
// afresh and clips `rect`. False on any failure or an empty rectangle.
bool MaskRows_Prepare(DibHandle picture, const SelRect *rect, DibRows *rows, SelRect *clipped);

// A run of pixels as bits: `first` is the byte holding pixel `left`, `head`
// the bit offset of that pixel inside it (0 = most significant), `count` the
// bits of the run, `bytes` the bytes it touches.
struct BitSpan {
    int64_t first;
    unsigned head;
    int64_t count;
    int64_t bytes;
};

inline BitSpan BitSpan_Of(int64_t left, int64_t right, int depth) {
    const int64_t start = left * depth, end = right * depth;
    BitSpan s;
    s.first = start >> 3;
    s.head = unsigned(start & 7);
    s.count = end - start;
    s.bytes = ((end + 7) >> 3) - s.first;
    return s;
}

// Copies the span's bits from src to dst (both pointing at the span's first
// byte); bits around the span in the edge bytes stay.
void BitSpan_Copy(uint8_t *dst, const uint8_t *src, const BitSpan &s);
// Exchanges the span's bits between a and b.
void BitSpan_Swap(uint8_t *a, uint8_t *b, const BitSpan &s);

// Pixel value x of a row at depths 1, 4, 8, 16, 24, 32 (little-endian).
inline uint32_t MaskRows_Get(const uint8_t *row, int64_t x, int depth) {
    switch (depth) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4: return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    default: {
        uint32_t v = 0;
        std::memcpy(&v, row + x * (depth / 8), size_t(depth / 8));
        return v;
    }
    }
}

inline void MaskRows_Set(uint8_t *row, int64_t x, int depth, uint32_t v) {
    switch (depth) {
    case 1: {
        const uint8_t bit = uint8_t(0x80u >> (x & 7));
        row[x >> 3] = (v & 1u) ? uint8_t(row[x >> 3] | bit) : uint8_t(row[x >> 3] & ~bit);
        break;
    }
    case 4:
        if (x & 1) row[x >> 1] = uint8_t((row[x >> 1] & 0xF0u) | (v & 0x0Fu));
        else row[x >> 1] = uint8_t((row[x >> 1] & 0x0Fu) | (v & 0x0Fu) << 4);
        break;
    default: std::memcpy(row + x * (depth / 8), &v, size_t(depth / 8)); break;
    }
}
