// The entry points of dibcore.dll, shared by the library and the program's
// binding. Every entry point uses the standard Windows calling convention;
// handle 0 means none and a zero result is failure. Paths are UTF-16 in the
// Quivelta build and ANSI in the Quivelta98 build.
#pragma once

#include <cstdint>

#include "dib_records.h"

#if defined(_WIN32)
#define DIBCORE_CALL __stdcall
#else
#define DIBCORE_CALL
#endif

#if defined(DIBCORE_UTF16) ? DIBCORE_UTF16 : !defined(QV_ANSI)
using DibPathChar = wchar_t;
#else
using DibPathChar = char;
#endif

// Records defined with their codecs (dib_png.h, dib_gif.h).
struct PngInfo;
struct PngSaveOptions;
struct GifStillInfo;
struct GifInfo;
struct GifFrameRecord;
struct GifSaveOptions;

extern "C" {
// In the order of the program's binding table.
typedef int32_t(DIBCORE_CALL *DeleteDIB_t)(DibHandle handle);
typedef DibData *(DIBCORE_CALL *DataDIB_t)(DibHandle handle);
// header: a packed DIB (header, then colour table or masks); bits may be null
// (zeroed pixels). The new picture holds a copy.
typedef DibHandle(DIBCORE_CALL *CreateDIB_t)(const void *header, const void *bits);
typedef DibHandle(DIBCORE_CALL *CopyDIB_t)(DibHandle handle);
// Negative width mirrors left-right, negative height top-bottom.
typedef DibHandle(DIBCORE_CALL *CutDIB_t)(DibHandle handle, int32_t x, int32_t y, int32_t width, int32_t height);
// 90, 180 or 270 degrees clockwise, in place.
typedef int32_t(DIBCORE_CALL *TurnDIB_t)(DibHandle handle, int32_t angle);
typedef int32_t(DIBCORE_CALL *DIBto24Bit_t)(DibHandle handle);
// masks: red, green, blue, or null for 5-5-5.
typedef int32_t(DIBCORE_CALL *DIBto16BitEx_t)(DibHandle handle, const uint32_t *masks, int32_t mode);
typedef int32_t(DIBCORE_CALL *DIBto8Bit_t)(DibHandle handle, int32_t reserved, int32_t mode);
// angle in thousandths of a degree, background as COLORREF (red low byte).
typedef int32_t(DIBCORE_CALL *TurnDIBex_t)(DibHandle handle, int32_t angle, uint32_t background);
typedef int32_t(DIBCORE_CALL *DIBtoRLE_t)(DibHandle handle);
typedef int32_t(DIBCORE_CALL *RLEtoDIB_t)(DibHandle handle);
typedef int32_t(DIBCORE_CALL *DIBtoBMP_t)(const DibPathChar *path, DibHandle handle);
typedef DibHandle(DIBCORE_CALL *BMPtoDIB_t)(const DibPathChar *path);
typedef DibHandle(DIBCORE_CALL *JPGtoDIB_t)(const DibPathChar *path);
typedef DibHandle(DIBCORE_CALL *PNGtoDIB_t)(const DibPathChar *path);
typedef DibHandle(DIBCORE_CALL *BMPMtoDIB_t)(const void *memory, uint32_t size);
typedef DibHandle(DIBCORE_CALL *JPGMtoDIB_t)(const void *memory, uint32_t size);
typedef DibHandle(DIBCORE_CALL *PNGMtoDIB_t)(const void *memory, uint32_t size);
// quality 1..100; flags bit 0: progressive.
typedef int32_t(DIBCORE_CALL *DIBtoJPG_t)(const DibPathChar *path, DibHandle handle, int32_t quality, uint32_t flags);
typedef int32_t(DIBCORE_CALL *DIBtoPNGex_t)(const DibPathChar *path, DibHandle handle, const PngSaveOptions *options);
typedef int32_t(DIBCORE_CALL *DIBtoGIFex_t)(const DibPathChar *path, DibHandle handle, const GifSaveOptions *options);
// The alpha channel as a grey picture; 0 when the file has none.
typedef DibHandle(DIBCORE_CALL *PNGAtoDIB_t)(const DibPathChar *path);
typedef DibHandle(DIBCORE_CALL *PNGMAtoDIB_t)(const void *memory, uint32_t size);
typedef int32_t(DIBCORE_CALL *InfoPNG_t)(const DibPathChar *path, PngInfo *info, intptr_t spare1, intptr_t spare2);
typedef int32_t(DIBCORE_CALL *InfoPNGM_t)(const void *memory, uint32_t size, PngInfo *info, intptr_t spare1,
                                          intptr_t spare2);
typedef DibHandle(DIBCORE_CALL *GIFtoDIBex_t)(const DibPathChar *path, GifStillInfo *info);
typedef DibHandle(DIBCORE_CALL *GIFMtoDIBex_t)(const void *memory, uint32_t size, GifStillInfo *info);
// Fills the record, frame count first.
typedef int32_t(DIBCORE_CALL *InfoGIF_t)(const DibPathChar *path, GifInfo *info);
typedef int32_t(DIBCORE_CALL *InfoGIFM_t)(const void *memory, uint32_t size, GifInfo *info);
// One new picture per frame into `frames` (count records).
typedef int32_t(DIBCORE_CALL *GIFAniToDIB_t)(const DibPathChar *path, GifFrameRecord *frames, int32_t count,
                                             intptr_t reserved);
typedef int32_t(DIBCORE_CALL *GIFMAniToDIB_t)(const void *memory, uint32_t size, GifFrameRecord *frames,
                                              int32_t count, intptr_t reserved);
// Low 16 bits 1; bit 16 set in the UTF-16 build, clear in the ANSI build.
typedef uint32_t(DIBCORE_CALL *DibcoreVersionDW_t)();
}

// The names in binding-table order (32 entries).
constexpr const char *kDibcoreEntryNames[32] = {
    "DeleteDIB",  "DataDIB",     "CreateDIB",  "CopyDIB",    "CutDIB",     "TurnDIB",     "DIBto24Bit", "DIBto16BitEx",
    "DIBto8Bit",  "TurnDIBex",   "DIBtoRLE",   "RLEtoDIB",   "DIBtoBMP",   "BMPtoDIB",    "JPGtoDIB",   "PNGtoDIB",
    "BMPMtoDIB",  "JPGMtoDIB",   "PNGMtoDIB",  "DIBtoJPG",   "DIBtoPNGex", "DIBtoGIFex",  "PNGAtoDIB",  "PNGMAtoDIB",
    "InfoPNG",    "InfoPNGM",    "GIFtoDIBex", "GIFMtoDIBex", "InfoGIF",   "InfoGIFM",    "GIFAniToDIB", "GIFMAniToDIB",
};

constexpr uint32_t kDibcoreVersionLow = 1;
constexpr uint32_t kDibcoreVersionUtf16Bit = 0x10000;
