// Turning unfiltered PNG rows into picture rows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dibcore {

// How the samples of one file map onto the picture.
struct PngUnpackLayout {
    int colourType;
    int depth;     // bits per sample in the file
    int outBits;   // bits per pixel of the picture: 1, 4, 8 or 24
};

// Unpacks `n` pixels of `raw` into one unit per pixel: a byte (palette
// index; grey 1-bit as 0/1; other grey as its 8-bit level) or three bytes
// blue, green, red. `alpha` (may be null) receives the alpha samples of
// alpha-channel files. With outBits 8 or 24 the units are the picture row.
void PngUnpackRow(const PngUnpackLayout &layout, const uint8_t *raw, uint32_t n, uint8_t *units, uint8_t *alpha);

// Writes a non-interlaced row straight into a picture row of outBits.
void PngStoreRow(const PngUnpackLayout &layout, const uint8_t *raw, uint32_t width, uint8_t *dibRow,
                 uint8_t *alphaRow);

// Places `n` units at x = x0, x0 + dx, ... of a picture row of `outBits`.
void PngScatterUnits(const uint8_t *units, uint32_t n, int outBits, uint32_t x0, uint32_t dx, uint8_t *dibRow);

}  // namespace dibcore
