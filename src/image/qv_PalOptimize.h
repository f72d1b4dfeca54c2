// Lossless reduction of a picture that uses few colours to the smallest
// palette depth that holds them.
#pragma once

#include "dibcore_api.h"

// New picture owned by the caller, or 0; the source is not changed. 4, 8,
// 24 and plain 32-bit pictures with at most 256 colours become 1 (up to 2
// colours), 4 (up to 16) or 8 bits, table sorted by R << 16 | G << 8 | B,
// when that is smaller than their depth. When nothing is reduced a plain
// 32-bit picture gives its 24-bit copy and any other picture 0. 1-bit,
// 16-bit and masked 32-bit pictures give 0.
DibHandle Pal_OptimizeDepth(DibHandle picture);
