// Bitmap work on library pictures (handles): creating, pasting, clean-up
// before export and the BMP writer's preparation. Goes through the binding
// table only, so it builds natively and is tested with a fake library.
#pragma once

#include <cstdint>

#include "dibcore_api.h"
#include "image/qv_DibCore.h"

// Depth (1, 4, 8, 16, 24, 32) with width, data and height (absolute when
// asked); 0 and zeroed outputs otherwise.
int32_t Dib_GetInfo(DibHandle handle, int32_t *width, DibData **data, int32_t *height, int absoluteHeight);

// New picture through CreateDIB with a 40-byte header. 1/4/8 bits: colours
// limited to 2^depth; without `exact` a smaller count goes into biClrUsed and
// only that many entries are copied. 16/32 bits with masks: BI_BITFIELDS.
// `paletteOrMasks` is DibRgbQuad[colours] or uint32_t[3]; may be null.
DibHandle Dib_Create(int32_t width, int32_t height, int32_t depth, uint32_t colours, int exact,
                     const void *paletteOrMasks);

// Same header, table and masks, new size; RLE becomes uncompressed.
DibHandle Dib_CreateSameFormat(DibHandle handle, int32_t width, int32_t height);

// RLEtoDIB both, then Dib_CopyRect.
int Dib_PasteRect(DibHandle dst, DibHandle src, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx, int32_t sy);

int Dib_Normalize(DibHandle handle);
int Dib_CopyResolution(const void *sourceHeader, DibHandle dst);
// Pixels per metre; a negative value takes the other, both negative give 0.
int Dib_SetResolution(DibHandle handle, int32_t x, int32_t y);

// Mirrors the rows of an uncompressed picture top-bottom in place.
int Dib_FlipRows(DibData *data);

// BMP writer preparation: compress a 4/8-bit picture when that is smaller.
int SaveBmp_TryRle(DibHandle handle);
// Stores the picture bottom-up (1) or top-down (0) without changing how it
// looks. A compressed picture cannot be stored top-down at all, so it is left
// as it is and the call succeeds.
int SaveBmp_SetOrientation(int bottomUp, DibHandle handle);
