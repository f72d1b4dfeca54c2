// Reading one pixel of any supported depth (1, 4, 8, 16, 24, 32 bits) as
// 0x00RRGGBB, from the facts of a DIB header: colour table or channel masks.
#pragma once

#include <cstdint>

#include "dib_records.h"
#include "image/qv_ChannelMasks.h"

// Everything the fetch functions need to read a picture's pixels.
struct PixelSource {
    int32_t bitsPerPixel = 0;
    bool plain32 = false;  // 32 bits read as B, G, R, X bytes
    ChannelMasks masks = {};
    uint32_t colourCount = 0;    // usable palette entries (palette depths)
    uint32_t palette[256] = {};  // 0x00RRGGBB; entries past the table are black
};

using PixelFetch = uint32_t (*)(const uint8_t *row, int64_t x, const PixelSource *source);

// Reads the header (40 bytes or more; core headers are refused), its masks
// and its colour table from a packed DIB of headerBytes bytes. 0 when the
// depth or compression is not one the fetch functions read, or the table
// lies beyond headerBytes.
int PixelSource_FromHeader(const DibInfoHeader *header, uint32_t headerBytes, PixelSource *out);

// The reader of the source's depth; null for other depths.
PixelFetch PixelFetch_ForDepth(const PixelSource *source);

// Converts `width` pixels of a row, from column firstColumn, to B, G, R bytes.
void PixelFetch_Row24(const PixelSource *source, const uint8_t *row, int64_t firstColumn, int64_t width, uint8_t *out);
