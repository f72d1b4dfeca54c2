// The picture loader: one file or memory block decoded into a LoadedImage,
// by the decoder its loader id names, and once more by the decoder its
// content names when that fails.
#pragma once

#include <windows.h>

#include <cstdint>

#include "image/qv_CodecRecords.h"
#include "image/qv_DibHolder.h"

// The settings the loader follows; the caller fills them from the settings
// store.
struct LoadOptions {
    bool bmpTrans = false;     // compose a BMP alpha channel over the background
    bool gifTrans = false;     // replace a GIF's transparent index
    bool gifFileBg = false;    // GIF: use the file's own background colour
    bool gifAni = false;       // GIF: load animations as animations
    bool pngTrans = false;     // apply PNG transparency
    bool pngFileBg = false;    // PNG: use the file's own background colour
    bool exifRota = false;     // turn JPEGs upright by their EXIF orientation
    bool loadBf24 = false;     // convert every masked 16/32-bit picture to 24 bits
    bool spiPrior = false;     // image plug-ins before the built-in decoders
    bool win9x = false;
    uint32_t background = 0xFFFFFF;  // COLORREF
};

enum LoadedFlags : uint32_t { kLoadedStill = 32, kLoadedAnimation = 128 };

struct LoadedImage {
    DibHolder image;
    uint32_t flags = 0;
    int32_t loaderId = 0;
    uint32_t loadMs = 0;
    int32_t transparency = 0;   // 1 alpha channel applied, 2 transparent colour
    int32_t colourKind = 0;     // 0 palette, 1 true colour, 2 true colour with masks
    int32_t bitsPerPixel = 0;
    int32_t width = 0;
    int32_t height = 0;
    WCHAR formatName[256] = {};
    GifInfo gifInfo = {};
    int32_t frameCount = 0;
    GifFrameRecord *frames = nullptr;  // QV_Alloc

    LoadedImage() = default;
    ~LoadedImage();
    LoadedImage(const LoadedImage &) = delete;
    LoadedImage &operator=(const LoadedImage &) = delete;
};

// A plug-in decoder (the plug-in manager provides it): 0 success.
using PluginDecoder = int (*)(LoadedImage *record, const TCHAR *path, const char *pluginName, const void *memory,
                              uint32_t size, int32_t loaderId, int firstFrameOnly);
extern PluginDecoder g_imgLoadPluginDecoder;

// 0 success, nonzero failure; the decoding time goes to loadMs.
int ImgLoad_FromSource(LoadedImage *record, const TCHAR *path, const char *pluginName, const void *memory,
                       uint32_t size, int32_t loaderId, int refuseAnimation, int firstFrameOnly,
                       const LoadOptions &options);
// 0 success, 1 failure, -1 no decoder.
int ImgLoad_Decode(LoadedImage *record, const TCHAR *path, const char *pluginName, const void *memory,
                   uint32_t size, int32_t loaderId, int refuseAnimation, int firstFrameOnly,
                   const LoadOptions &options, int allowShortName, int noRetry);
int ImgLoad_Retry(LoadedImage *record, const TCHAR *path, const char *pluginName, const void *memory,
                  uint32_t size, int32_t loaderId, int refuseAnimation, int firstFrameOnly,
                  const LoadOptions &options);

void ImgLoad_Clear(LoadedImage *record);
void ImgLoad_FreeFrames(LoadedImage *record, int deletePictures);
void ImgLoad_FreeAll(LoadedImage *record);
inline void ImgLoad_Destroy(LoadedImage *record) { ImgLoad_FreeAll(record); }
GifFrameRecord *ImgLoad_AllocFrames(int32_t count);

// Files this large are neither read whole nor shown to plug-ins.
constexpr uint64_t kLoadHeadLimit = 134217728;  // 128 MiB
constexpr uint32_t kLoadHeadBytes = 2048;
