// Creating pictures from a caller's packed DIB and cutting rectangles out of
// held pictures.
#pragma once

#include <cstdint>

#include "picture.h"

namespace dibcore {

// A new picture from a packed DIB (header, then colour table or masks) and
// its bits (null: zeroed). Core headers become 40-byte info headers; an RLE
// header must give the compressed size in biSizeImage. Null for headers the
// library does not hold.
Picture *PictureFromPacked(const void *packed, const void *bits);

// The rectangle [x, x + |width|) x [y, y + |height|) (y from the top) clipped
// to the picture, as a new picture of the same format; a negative width
// mirrors it left-right, a negative height top-bottom. Null when nothing of
// the rectangle lies on the picture.
Picture *CutPicture(const Picture &src, int32_t x, int32_t y, int32_t width, int32_t height);

// `src` when it is uncompressed, else its expansion held in `temp`; null when
// the expansion fails.
const Picture *Uncompressed(const Picture &src, PictureOwner *temp);

}  // namespace dibcore
