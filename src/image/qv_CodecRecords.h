// The codec records that the loader hands to the library's PNG and GIF entry
// points. The library's own headers define them, so both sides read one
// layout; their sizes and offsets are pinned there for x86_64.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dib_gif.h"
#include "dib_png.h"
#include "dibcore_api.h"
#include "image/qv_Transp.h"

// Transparency takes the palette alpha table as raw bytes (alpha, then the
// count); the PNG reader's table must have exactly that layout.
static_assert(sizeof(PngAlphaTable) == kPaletteAlphaBytes && offsetof(PngAlphaTable, count) == 256,
              "palette alpha table as transparency reads it");
static_assert(sizeof(DibHandle) == sizeof(GifFrameRecord::picture), "frame picture is a handle");
