// The program's own scaling for drawing: nearest neighbour into a picture of
// the destination size, at the same depth or into 24 bits.
#pragma once

#include <cstdint>

#include "dib_records.h"

// Fills the whole destination (uncompressed, same format as the source, or
// 24 bits) from the source rectangle (sx, sy, sw, sh; y from the top).
bool Dib_ScaleNearest(const void *dstHeader, uint8_t *dstBits, const DibData &src, int32_t sx, int32_t sy,
                      int32_t sw, int32_t sh);
