// Transparency resolved at load time against one background colour: palette
// alpha, one transparent colour or index, or an alpha picture composed over
// the background. Colours are COLORREF values (red in the low byte).
#pragma once

#include <cstdint>

#include "dibcore_api.h"

// Palette alpha table as the PNG reader fills it: 256 alpha bytes, then an
// i32 count of valid entries.
constexpr uint32_t kPaletteAlphaBytes = 260;

// alpha == 0: palette alpha (table with a count), else the replace flag (the
// palette entry `transparent` becomes the background), else every occurrence
// of the colour `transparent` becomes the background; all in place (*fresh 0).
// alpha != 0: an 8-bit grey picture of the same size; a new 24-bit picture of
// the composition goes to *fresh. 1 ok, 0 failure (nothing changed, *fresh 0).
int Transp_Apply(const uint8_t *paletteAlpha, DibHandle picture, DibHandle alpha, DibHandle *fresh,
                 uint32_t background, int backgroundIsIndex, uint32_t transparent, int replace);

// One channel of the composition: (src x a + bg x (255 - a)) / 255.
inline uint8_t Transp_Blend(uint32_t src, uint32_t bg, uint32_t a) {
    return uint8_t((src * a + bg * (255u - a)) / 255u);
}

// A colour channel narrowed to a field of `width` bits: (v x (2^w - 1) + 127) / 255.
uint32_t Transp_NarrowChannel(uint32_t value, int width);

// Writes 6-byte records (u16 index, then blue, green, red and a fourth byte)
// into the colour table of `packed` (4-byte entries; 3 bytes for a core
// header); records past the table are skipped. 0 when there is no table.
int Dib_SetPaletteEntries(const uint8_t *records, void *packed, int count);

// COLORREF of pixel (x, y from the top) of an uncompressed picture; indexes
// past a short colour table read as black.
uint32_t Dib_ReadPixelColour(const DibData *data, int32_t x, int32_t y);
