// Greyscale, the grey-palette test and the count of distinct colours a
// picture uses.
#pragma once

#include <cstdint>

#include "dibcore_api.h"
#include "image/qv_DibCore.h"
#include "image/qv_DibHolder.h"

// Grey value of a colour's channels: (299 R + 587 G + 114 B + 500) / 1000.
inline uint8_t Grey_Of(uint32_t r, uint32_t g, uint32_t b) {
    return uint8_t((299u * r + 587u * g + 114u * b + 500u) / 1000u);
}

// Turns the picture, or the part of it in `rect` (null = whole), grey. 1 or
// 0. On success *fresh is either a new bottom-up 8-bit grey picture that the
// caller puts in place of the old one (and owns), or 0 when the picture was
// changed in place or needed nothing:
// - a picture with an all-grey palette needs nothing;
// - a whole palette picture gets grey table entries (depth and pixels stay);
// - a whole 16/24/32-bit picture gives the new 8-bit picture;
// - a part is greyed in place after the picture became 24 bits (DIBto24Bit),
//   since a colour table cannot change for a part only.
int Grey_Apply(DibHandle picture, DibHandle *fresh, const SelRect *rect);

// Grey_Apply on the held picture; a new picture replaces the held one.
int DibHolder_Grayscale(DibHolder &h, const SelRect *rect);

// 1 when the picture has a palette depth and a colour table of 1..65536
// entries, all with equal red, green and blue (core headers refused).
int Pal_IsGrey(DibHandle picture);

// Distinct colours the pixels use; 0 when they cannot be counted (RLE, no
// table or masks, short memory). Palette pixels past the usable colour count
// are counted as black, as the 24-bit conversion shows them.
uint64_t Dib_CountColours(DibHandle picture);
