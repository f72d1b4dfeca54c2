// The simple masks: reversible scrambles of a rectangle of the picture that
// the user can show and hide again. Mirroring, glass strips, the row and
// column permutations in blocks of 16, XOR of the pixel bytes (negative and
// XOR 0x80 per channel) and rainbow bands. Each clips its rectangle to the
// picture (null = the whole picture; an empty result fails) and returns 1
// done or 0 failed. A failure leaves the picture as it was: the only library
// calls (RLEtoDIB, DIBto24Bit) come before the first pixel changes.
//
// Every operation here is its own inverse with the same arguments, except the
// permutations, whose inverse is the permutation by the inverse table.
#pragma once

#include <cstdint>

#include "dibcore_api.h"
#include "image/qv_DibCore.h"

// Entry j is where pixel j of each block of 16 moves to. It is an involution
// (applying it twice restores the picture), which the mask's undo relies on.
extern const uint8_t kWinMaskTable[16];

// Mirrors the rectangle left-right, or top-bottom when `vertical` is set, in
// place. Any depth; compressed pictures are first made uncompressed.
int Dib_MirrorRect(DibHandle picture, const SelRect *rect, int vertical);

// Strips `strip` (> 1) pixels wide from the left edge, each mirrored
// left-right (`sideBySide`), or strips `strip` rows high from the top, each
// mirrored top-bottom. With `remainder` the leftover strip is mirrored too
// when it is more than 1 pixel across.
int Mask_Glass(int32_t strip, DibHandle picture, const SelRect *rect, int sideBySide, int remainder);

// Within the rectangle's columns, row top+16k+j moves to row top+16k+table[j]
// for every complete block of 16 rows; the rows after the last block stay.
// The table must be a permutation of 0..15; picture at least 16 rows high,
// rectangle at least 16 rows high.
int Mask_RowPermute16(DibHandle picture, const SelRect *rect, const uint8_t table[16]);

// The same across: within the rectangle's rows, column left+16k+j moves to
// column left+16k+table[j] for every complete block of 16 columns (the Win
// mask). Done in place a row at a time, at every depth; picture and
// rectangle at least 16 pixels wide.
int Mask_ColumnPermute16(DibHandle picture, const SelRect *rect, const uint8_t table[16]);

// XORs every pixel of the rectangle with `value`'s low bpp / 8 bytes in
// memory order. Palette pictures: the whole picture XORs the B, G, R bytes
// of the colour table instead; a part first turns the picture into 24 bits,
// since a colour table cannot change for a part only.
int Dib_XorRect(DibHandle picture, const SelRect *rect, uint32_t value);

// Inverts the chosen channels: every bit of each chosen field flips.
int Mask_Negative(DibHandle picture, const SelRect *rect, int red, int green, int blue);

// Flips the top bit of each chosen channel's field.
int Mask_Xor80(DibHandle picture, const SelRect *rect, int red, int green, int blue);

// Turns the picture into 24 bits, then XORs cells of `band` x `band` pixels
// (from the rectangle's top-left; partial cells at the right and bottom
// stay) with a colour that cycles along the diagonals.
int Mask_Rainbow(DibHandle picture, const SelRect *rect, int32_t band);

// The colour cell (row r, column k) of a rainbow of `band` is XORed with,
// as B, G, R bytes in out[0..2].
void Mask_RainbowCell(int64_t r, int64_t k, int32_t band, uint8_t out[3]);
