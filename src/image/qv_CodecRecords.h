// The codec records that the loader hands to the library's PNG and GIF entry
// points, in the layout both sides agree on. The library declares its own
// PngInfo, GifStillInfo, GifInfo and GifFrameRecord; the loader fills these
// mirrors and passes them through the entry points' pointer types.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dibcore_api.h"

struct LoadPngInfo {            // 36 bytes
    uint32_t flags;             // in: 0x50018; out: 8 transparency, 0x10 background, 0x10000 background is an
                                // index, 0x20000 transparency is one colour to replace
    uint32_t unused[3];
    uint32_t transparent;       // in: address of the palette alpha table; out: transparent colour or index
    uint32_t background;
    uint32_t rest[3];
};
constexpr uint32_t kPngInfoRequest = 0x50018;
constexpr uint32_t kPngHasTransparency = 8;
constexpr uint32_t kPngHasBackground = 0x10;
constexpr uint32_t kPngBackgroundIsIndex = 0x10000;
constexpr uint32_t kPngReplaceColour = 0x20000;

struct LoadGifStillInfo {       // 28 bytes
    uint32_t flags;             // in: 0x20000; out: 8 transparent index, 0x10 background colour
    uint32_t transparentIndex;
    uint32_t background;
    uint32_t rest[4];
};
constexpr uint32_t kGifStillRequest = 0x20000;
constexpr uint32_t kGifHasTransparent = 8;
constexpr uint32_t kGifHasBackground = 0x10;

struct LoadGifInfo {            // 32 bytes
    int32_t frameCount;
    uint16_t logicalWidth;
    uint16_t logicalHeight;
    int32_t width;              // used when the 16-bit sides are 0
    int32_t height;
    uint16_t loopCount;
    uint16_t backgroundIndex;   // 256 or more: none
    uint32_t backgroundColour;
    uint8_t unused;
    uint8_t loop;
    uint8_t rest[6];
};

struct LoadGifFrame {           // 16 bytes
    DibHandle picture;
    uint16_t left;
    uint16_t top;
    uint16_t delay;             // 1/100 s
    uint16_t transparentIndex;  // 256 or more: none
    uint8_t disposal;
    uint8_t unused[3];
};

static_assert(sizeof(LoadPngInfo) == 36 && offsetof(LoadPngInfo, transparent) == 16 &&
                  offsetof(LoadPngInfo, background) == 20, "PngInfo layout");
static_assert(sizeof(LoadGifStillInfo) == 28, "GifStillInfo layout");
static_assert(sizeof(LoadGifInfo) == 32 && offsetof(LoadGifInfo, backgroundColour) == 20 &&
                  offsetof(LoadGifInfo, loop) == 25, "GifInfo layout");
static_assert(sizeof(LoadGifFrame) == 16 && offsetof(LoadGifFrame, disposal) == 12, "GifFrameRecord layout");

inline PngInfo *AsPngInfo(LoadPngInfo *p) { return reinterpret_cast<PngInfo *>(p); }
inline GifStillInfo *AsGifStillInfo(LoadGifStillInfo *p) { return reinterpret_cast<GifStillInfo *>(p); }
inline GifInfo *AsGifInfo(LoadGifInfo *p) { return reinterpret_cast<GifInfo *>(p); }
inline GifFrameRecord *AsGifFrames(LoadGifFrame *p) { return reinterpret_cast<GifFrameRecord *>(p); }
