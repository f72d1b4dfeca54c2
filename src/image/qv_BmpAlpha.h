// The alpha channel of a 16/32-bit bit-field BMP as an 8-bit grey picture.
#pragma once

#include "dibcore_api.h"
#include "image/qv_ByteSource.h"

// New 8-bit picture (grey palette, same width and row order as the file) of
// the alpha bits, or 0 when the file has none. Rows missing at the end of the
// file are opaque (255).
DibHandle BmpAlpha_ReadMask(const ByteSource &source);
