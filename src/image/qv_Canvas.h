// Canvas size: margins added to or removed from the sides of a picture.
#pragma once

#include <cstdint>

#include "dibcore_api.h"

// New picture owned by the caller, or 0 (the source is made uncompressed
// but otherwise not changed). A positive margin adds that many pixels on
// its side, filled with `colour` (COLORREF; the nearest entry for palette
// pictures); a negative one removes them. No side may remove the whole
// width or height; the new size must be at least 1 x 1 and within the
// picture size limits.
DibHandle Canvas_Resize(int32_t left, DibHandle picture, int32_t top, int32_t right, int32_t bottom, uint32_t colour);
