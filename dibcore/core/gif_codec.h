// GIF reading and writing over memory, for the DLL layer and the command-line
// tool. Pictures come out as 1-, 4- or 8-bit palette pictures chosen by the
// size of the frame's colour table (2 entries: 1 bit; up to 16: 4 bits; else
// 8 bits), bottom-up, with the table exactly as the file holds it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bytes.h"
#include "dib_gif.h"
#include "picture.h"

namespace dibcore {

enum class GifStatus {
    kOk = 0,
    kNotGif,        // no signature, or the data ends before the first frame
    kTooLarge,      // a side or a picture beyond the library's limits, or more
                    // than the data could possibly fill
    kNoMemory,
    kBadPicture,    // writer: not a 1/4/8-bit uncompressed picture
};

// One decoded frame; `picture` is null for a frame of no area.
struct GifFrame {
    Picture *picture;
    uint16_t left, top;
    uint16_t delay;              // 1/100 s
    uint16_t transparentIndex;   // kGifNoIndex when none
    uint8_t disposal;
};

// The logical screen, loop block, background and the number of frames
// (counted by walking the whole file).
GifStatus Gif_ReadInfo(const uint8_t *data, size_t size, GifInfo *info);

// The first frame on the logical screen, clipped to it; where the frame does
// not cover the screen the picture holds the transparent index when there is
// one, else the background index. `info` may be null.
GifStatus Gif_DecodeStill(const uint8_t *data, size_t size, Picture **out, GifStillInfo *info);

// Up to `capacity` frames, each a picture of its own size and table. On
// success *decoded frames are filled (the caller owns their pictures); on
// failure nothing is left allocated. `info` may be null.
GifStatus Gif_DecodeFrames(const uint8_t *data, size_t size, GifFrame *frames, int capacity, int *decoded,
                           GifInfo *info);

// Writes a 1-, 4- or 8-bit picture as a one-frame GIF with its palette in
// order (padded to a power of two, and to cover every index used).
GifStatus Gif_Encode(const Picture &picture, const GifSaveOptions &options, ByteBuffer *out);

}  // namespace dibcore
