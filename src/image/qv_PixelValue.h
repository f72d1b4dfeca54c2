// Pixel primitives of the editing operations: a colour (COLORREF, red in the
// low byte) turned into the pixel value of a picture of any depth, one pixel
// read back as a value or a colour, a rectangle filled with a value, and any
// depth converted to a new 24-bit picture.
//
// How an operation treats a selection: the rectangle is clipped to the
// picture with Rect_ClipToImage (none = the whole picture; empty fails); the
// whole picture is changed in place; a part is either changed in place row by
// row, or cut out with CutDIB, changed, pasted back with Dib_PasteRect and the
// copy released (on failure only the copy is lost). Channel-wise operations
// on a part of a palette picture first convert it to 24 bits, since a colour
// table cannot change for a part only. Undo, wait cursor and refresh belong
// to the calling command.
//
// Colour tables with 3-byte entries (12-byte core headers) are refused by
// every reader and writer here.
#pragma once

#include <cstdint>

#include "dibcore_api.h"
#include "image/qv_DibCore.h"

// `headerBytes` is the size of header and table as the library holds it
// (DibData::headerSize); 0 trusts the header's own colour count.

// Nearest palette entry by |dR| + |dG| + |dB| over the usable count (the
// smaller of the table's entries and 2^depth); ties and exact matches go to
// the lowest index. 0 without a table or for a core header.
uint32_t Pal_NearestIndex(const void *header, uint32_t headerBytes, uint32_t colour);

// Packed 16/32-bit value: plain 32 bits (no masks or 8-8-8) give
// R << 16 | G << 8 | B; otherwise each channel narrowed to its field.
uint32_t Dib_ColourToMaskedPixel(const void *header, uint32_t colour);

// Pixel value of `colour` for the picture's depth: palette index, packed
// value, or R << 16 | G << 8 | B for 24 bits. 0 for an unusable header.
uint32_t Dib_ColourToPixel(const void *header, uint32_t headerBytes, uint32_t colour);

// A channel narrowed to a field of `width` bits (1..32): rounded below 8
// bits; wider fields get the channel in their top 8 bits with its leading
// bits repeated below, so 0xFF fills the field.
uint32_t Channel_Narrow(uint32_t channel, int width);

// Readers over library data; false (and *out 0) for coordinates outside the
// picture, compressed pixels (other than bit fields), bits shorter than the
// header claims, and for colours a missing or empty colour table.
bool PixelValue_Read(const DibData *data, int32_t x, int32_t y, uint32_t *out);
bool PixelValue_ReadColour(const DibData *data, int32_t x, int32_t y, uint32_t *out);
// Fills the clipped rectangle of uncompressed data with `value`.
bool PixelValue_Fill(DibData *data, const SelRect *rect, uint32_t value);

// Raw value (palette index or packed value) of pixel (x, y from the top).
uint32_t Dib_GetPixelValue(DibHandle picture, int32_t x, int32_t y);
// COLORREF of pixel (x, y from the top); palette indexes past the colour
// count read entry 0. 0 on any failure.
uint32_t Dib_GetPixelColour(int32_t x, DibHandle picture, int32_t y);

// Decompresses the picture (RLEtoDIB), then fills the clipped rectangle (none
// = the whole picture). Palette values are cut to 4 or 8 bits and limited to
// the colour count - 1. 1 or 0.
int Dib_FillRect(DibHandle picture, const SelRect *rect, uint32_t value);
// Dib_FillRect with the pixel value of `colour`.
int Dib_FillColour(DibHandle picture, const SelRect *rect, uint32_t colour);

// New bottom-up 24-bit picture of the same size and resolution; owned by the
// caller. A 24-bit source gives a copy when copyWhen24 is set, else 0.
// Palette indexes past a short table become black.
DibHandle Dib_To24Bit(int copyWhen24, DibHandle picture);
