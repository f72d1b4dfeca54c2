// How the pixels of a held picture are laid out: depth, size, row order,
// colour table and bit masks, read once from the header so that hot loops work
// on plain numbers and row pointers.
#pragma once

#include <cstdint>

#include "picture.h"

namespace dibcore {

// One colour field of a 16- or 32-bit pixel.
struct MaskField {
    uint32_t shift = 0;
    uint32_t width = 0;  // bits; 0 for an empty mask
};

struct PixelLayout {
    int32_t width = 0;
    int32_t height = 0;        // absolute
    bool topDown = false;
    int bpp = 0;
    uint32_t compression = 0;
    uint64_t stride = 0;
    const DibRgbQuad *palette = nullptr;  // 1/4/8 bits
    uint32_t colours = 0;                 // entries actually held, <= 2^bpp
    uint32_t masks[4] = {0, 0, 0, 0};     // red, green, blue, alpha (16/32 bits)
    bool plain32 = false;                 // 32 bits read as B, G, R bytes
    MaskField field[3];                   // red, green, blue
};

// Fills `out` from a held picture; false for a depth or compression pair the
// library does not hold.
bool ReadLayout(const Picture &p, PixelLayout *out);

// Masks of a header: from inside a long header or after a 40-byte one when
// the compression is bit fields, else the defaults (5-5-5 for 16 bits, 8-8-8
// for 32). `afterHeader` is the byte block that follows the header.
void MasksOf(const DibInfoHeader &h, const uint8_t *afterHeader, uint32_t masks[4]);

// The lowest run of contiguous one bits of `mask`.
MaskField FieldOf(uint32_t mask);

// Widens a field value of `width` bits to 8 bits: widths up to 7 map 0..2^w-1
// onto 0..255 rounding to nearest, 8 is taken as is, wider fields keep their
// top 8 bits.
extern const uint8_t *const kExpandTables[8];
inline uint8_t WidenField(uint32_t value, uint32_t width) {
    if (width < 8) return kExpandTables[width][value];
    return static_cast<uint8_t>(value >> (width - 8));
}
inline uint8_t ReadField(uint32_t pixel, const MaskField &f) {
    if (f.width == 0) return 0;
    const uint32_t v = (pixel >> f.shift) & (f.width >= 32 ? 0xFFFFFFFFu : ((1u << f.width) - 1));
    return WidenField(v, f.width);
}

// Narrows an 8-bit channel to `width` bits with rounding; `bias` 127 rounds to
// nearest, other values (0..254) dither.
inline uint32_t NarrowChannel(uint32_t c, uint32_t width, uint32_t bias = 127) {
    if (width < 8) return (((1u << width) - 1) * c + bias) / 255;
    if (width == 8) return c;
    // Wider fields repeat the leading bits below so 255 fills the field.
    uint32_t v = 0;
    for (int32_t at = static_cast<int32_t>(width) - 8; at > -8; at -= 8) v |= at >= 0 ? c << at : c >> -at;
    return v;
}

// Row y counted from the top.
inline uint8_t *LayoutRow(const PixelLayout &l, uint8_t *bits, int64_t y) {
    const int64_t stored = l.topDown ? y : int64_t{l.height} - 1 - y;
    return bits + static_cast<uint64_t>(stored) * l.stride;
}

// A full 256-entry table: the held entries, black past them, so an index the
// table does not cover never reads outside it.
void FullPalette(const PixelLayout &l, DibRgbQuad out[256]);

// One pixel of a 1/4/8-bit row.
inline uint32_t IndexAt(const uint8_t *row, int64_t x, int bpp) {
    switch (bpp) {
        case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
        case 4: return (x & 1) ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4;
        default: return row[x];
    }
}
inline void PutIndex(uint8_t *row, int64_t x, int bpp, uint32_t v) {
    switch (bpp) {
        case 1: {
            const uint8_t bit = static_cast<uint8_t>(0x80u >> (x & 7));
            row[x >> 3] = static_cast<uint8_t>(v ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit));
            break;
        }
        case 4:
            row[x >> 1] = (x & 1) ? static_cast<uint8_t>((row[x >> 1] & 0xF0) | (v & 0x0F))
                                  : static_cast<uint8_t>((row[x >> 1] & 0x0F) | (v << 4));
            break;
        default: row[x] = static_cast<uint8_t>(v);
    }
}

}  // namespace dibcore
