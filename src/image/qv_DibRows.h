// Row access to the uncompressed pixels of library data, checked once: the
// header is valid, the pixels are not RLE, and the bits really hold every row
// the header claims, so row loops need no further bounds checks.
#pragma once

#include <cstdint>

#include "dib_records.h"
#include "image/qv_DibCore.h"

struct DibRows {
    DibFields fields{};
    uint32_t stride = 0;
    uint8_t *bits = nullptr;

    uint8_t *Row(int32_t y) const { return Dib_RowFromTop(bits, stride, fields.signedHeight, y); }
};

// False for null or invalid data, RLE pixels, a core header and short bits.
bool DibRows_Open(const DibData *data, DibRows *out);

// Colour table of a palette picture (1, 4, 8 bits) as the library holds it:
// 4-byte entries, never more than 2^depth nor past the header block. False
// for other depths, a core header (3-byte entries) or an empty table.
bool DibRows_Palette(const DibData *data, uint8_t **entries, uint32_t *count);

// Every entry of a colour table of any depth (at most 65536, never past the
// header block), for operations that rewrite the whole table. False for a
// core header or no table.
bool DibRows_WholeTable(const DibData *data, uint8_t **entries, uint32_t *count);

// Plain 32 bits: no masks, or exactly 8-8-8, read as B, G, R, X bytes.
bool DibRows_IsPlain32(const void *header);
