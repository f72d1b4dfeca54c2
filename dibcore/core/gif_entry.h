// The memory forms of the GIF entry points, over the handle table: what the
// DLL exports call once a file is in memory. Kept out of the DLL layer so the
// hand-over of frames to handles (and its clean-up) runs in native tests.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dib_gif.h"
#include "dib_records.h"

namespace dibcore {

// A handle to the first frame, 0 on failure (the record is then zeroed).
DibHandle GifEntry_Still(const void *memory, size_t size, GifStillInfo *info);
// The frame count, 0 on failure (the record is then zeroed).
int32_t GifEntry_Info(const void *memory, size_t size, GifInfo *info);
// Up to `count` frames as handles; the number filled, 0 on failure, when no
// handle is left behind and the records are zeroed. `info` may be null.
int32_t GifEntry_Frames(const void *memory, size_t size, GifFrameRecord *records, int32_t count, GifInfo *info);

}  // namespace dibcore
