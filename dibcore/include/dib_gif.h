// Records of the GIF entry points, shared by dibcore.dll and the program.
// Their sizes and offsets are fixed by the binding, so each is pinned below
// for x86_64 as built here.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// Filled by GIFtoDIBex / GIFMtoDIBex for the first frame.
struct GifStillInfo {
    uint32_t flags;             // caller presets kGifStillPreset; see kGifStill* below
    uint32_t transparentIndex;  // valid with kGifStillTransparent
    uint32_t background;        // COLORREF (red in the low byte), valid with kGifStillBackground
    uint8_t reserved[16];       // zero
};

// Filled by InfoGIF / InfoGIFM (and by GIFAniToDIB when it is given one).
struct GifInfo {
    int32_t frameCount;
    uint16_t screenWidth;       // logical screen as the file states it
    uint16_t screenHeight;
    int32_t width;              // the screen actually used: the stated one, or
    int32_t height;             // the frames' extent where it is 0 (<= 65535)
    uint16_t loopCount;         // 0 = for ever (with loopFlag)
    uint16_t backgroundIndex;   // 256 or more = none
    uint32_t background;        // COLORREF of the background index
    uint8_t reserved24;
    uint8_t loopFlag;           // 1 when the file has a loop block
    uint8_t reserved26[6];
};

// One per frame, filled by GIFAniToDIB / GIFMAniToDIB.
struct GifFrameRecord {
    int32_t picture;            // DibHandle, 0 for a frame of no area
    uint16_t left;
    uint16_t top;
    uint16_t delay;             // 1/100 s
    uint16_t transparentIndex;  // 256 or more = none
    uint8_t disposal;
    uint8_t reserved[3];
};

// DIBtoGIFex's options.
struct GifSaveOptions {
    uint32_t flags;             // kGifSave* below
    uint32_t transparentIndex;  // with kGifSaveTransparent
    uint8_t reserved[20];
};

#pragma pack(pop)

enum : uint32_t {
    kGifStillTransparent = 0x8,
    kGifStillBackground = 0x10,
    kGifStillPreset = 0x20000,

    kGifSaveInterlace = 0x80,
    kGifSaveTransparent = 0x8,      // the program sets 0x20008; bit 3 decides
    kGifSaveUncompressed = 0x100000,
};

constexpr uint16_t kGifNoIndex = 0xFFFF;

static_assert(sizeof(GifStillInfo) == 28, "GifStillInfo layout");
static_assert(offsetof(GifStillInfo, transparentIndex) == 4, "GifStillInfo layout");
static_assert(offsetof(GifStillInfo, background) == 8, "GifStillInfo layout");

static_assert(sizeof(GifInfo) == 32, "GifInfo layout");
static_assert(offsetof(GifInfo, screenWidth) == 4, "GifInfo layout");
static_assert(offsetof(GifInfo, screenHeight) == 6, "GifInfo layout");
static_assert(offsetof(GifInfo, width) == 8, "GifInfo layout");
static_assert(offsetof(GifInfo, height) == 12, "GifInfo layout");
static_assert(offsetof(GifInfo, loopCount) == 16, "GifInfo layout");
static_assert(offsetof(GifInfo, backgroundIndex) == 18, "GifInfo layout");
static_assert(offsetof(GifInfo, background) == 20, "GifInfo layout");
static_assert(offsetof(GifInfo, loopFlag) == 25, "GifInfo layout");

static_assert(sizeof(GifFrameRecord) == 16, "GifFrameRecord layout");
static_assert(offsetof(GifFrameRecord, left) == 4, "GifFrameRecord layout");
static_assert(offsetof(GifFrameRecord, top) == 6, "GifFrameRecord layout");
static_assert(offsetof(GifFrameRecord, delay) == 8, "GifFrameRecord layout");
static_assert(offsetof(GifFrameRecord, transparentIndex) == 10, "GifFrameRecord layout");
static_assert(offsetof(GifFrameRecord, disposal) == 12, "GifFrameRecord layout");

static_assert(sizeof(GifSaveOptions) == 28, "GifSaveOptions layout");
static_assert(offsetof(GifSaveOptions, transparentIndex) == 4, "GifSaveOptions layout");
