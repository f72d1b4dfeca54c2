// Drawing one GIF frame (a 1, 4 or 8-bit picture) onto a 24-bit canvas.
#pragma once

#include <cstdint>

#include "dibcore_api.h"

// The canvas is made 24 bits and the frame uncompressed first. Pixels whose
// index is `transparent` are left alone (an index past the depth's range
// means none); indexes past a short colour table draw black. 1 ok (also when
// nothing is left after clipping), 0 failure.
int GifFrame_Overlay(int32_t left, int32_t top, DibHandle frame, uint32_t transparent, DibHandle canvas);
