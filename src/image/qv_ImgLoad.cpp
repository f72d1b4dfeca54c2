#include "image/qv_ImgLoad.h"

#include <cstring>

#include "image/qv_BmpAlpha.h"
#include "image/qv_DibApi.h"
#include "image/qv_DibOps.h"
#include "image/qv_Exif.h"
#include "image/qv_FileSource.h"
#include "image/qv_Format.h"
#include "image/qv_GifOverlay.h"
#include "image/qv_Sniff.h"
#include "image/qv_Transp.h"
#include "other/qv_Mem.h"
#include "other/qv_SysFacts.h"
#include "other/qv_SysSeams.h"

PluginDecoder g_imgLoadPluginDecoder = nullptr;

namespace {

constexpr int kOk = 0, kFailed = 1, kRefused = -1;
constexpr int32_t kLastPluginId = 16777470;

// Where a decoder reads from: a path, or the caller's memory block.
struct Source {
    const TCHAR *path;
    const void *memory;
    uint32_t size;
};

// A byte source over the same data, for the parsers that look inside it.
struct SourceReader {
    FileReader file;
    MemoryReader memory;
    ByteSource source{};
    bool Open(const Source &s) {
        if (s.memory != nullptr) {
            source = ByteSource_FromMemory(&memory, s.memory, s.size);
            return true;
        }
        if (!FileReader_Open(&file, s.path)) return false;
        source = ByteSource_FromFile(&file);
        return true;
    }
};

void Describe(LoadedImage *r) {
    r->flags = kLoadedStill;
    const DibData *d = r->image.data;
    r->bitsPerPixel = DibHolder_GetBitCount(r->image);
    r->colourKind = r->bitsPerPixel <= 8 ? 0 : (d && d->header->biCompression == kDibBitFields ? 2 : 1);
}

int DecodeBmp(LoadedImage *r, const Source &s, const LoadOptions &o) {
    const int ok = s.memory ? DibHolder_BMPMtoDIB(r->image, s.memory, s.size) : DibHolder_BMPtoDIB(r->image, s.path);
    if (!ok) return kRefused;
    if (o.bmpTrans) {
        SourceReader reader;
        const DibHandle alpha = reader.Open(s) ? BmpAlpha_ReadMask(reader.source) : 0;
        if (alpha != 0) {
            const bool made24 = DibHolder_To24Bit(r->image, 0) != 0;
            if (made24 && DibHolder_ApplyTransparency(r->image, nullptr, alpha, o.background, 0, 0, 0))
                r->transparency = 1;
            Dibcore_DeleteDIB(alpha);
            if (!made24) return kFailed;
        }
    }
    Describe(r);
    return kOk;
}

int DecodeJpeg(LoadedImage *r, const Source &s, const LoadOptions &o) {
    const int ok = s.memory ? DibHolder_JPGMtoDIB(r->image, s.memory, s.size) : DibHolder_JPGtoDIB(r->image, s.path);
    if (!ok) return kRefused;
    if (o.exifRota) {
        SourceReader reader;
        const int orientation = reader.Open(s) ? Exif_ReadOrientation(reader.source) : 0;
        if (!Exif_ApplyOrientation(r->image, orientation)) return kFailed;
    }
    Describe(r);
    return kOk;
}

int DecodePng(LoadedImage *r, const Source &s, const LoadOptions &o) {
    const int ok = s.memory ? DibHolder_PNGMtoDIB(r->image, s.memory, s.size) : DibHolder_PNGtoDIB(r->image, s.path);
    if (!ok) return kRefused;
    if (o.pngTrans) {
        const DibHandle alpha = s.memory ? Dibcore_PNGMAtoDIB(s.memory, s.size) : Dibcore_PNGAtoDIB(s.path);
        PngAlphaTable paletteAlpha{};
        PngInfo info{};
        info.flags = kPngInfoAsked;
        const int32_t got = s.memory ? Dibcore_InfoPNGM(s.memory, s.size, &info, &paletteAlpha)
                                     : Dibcore_InfoPNG(s.path, &info, &paletteAlpha);
        if (!got) {
            info = PngInfo{};
            paletteAlpha = PngAlphaTable{};
        }
        if (alpha != 0 || (info.flags & kPngInfoTransparency)) {
            const bool own = o.pngFileBg && (info.flags & kPngInfoBackground);
            const uint32_t background = own ? info.background : o.background;
            const int isIndex = own && (info.flags & kPngInfoBackgroundIndex) ? 1 : 0;
            const int applied = DibHolder_ApplyTransparency(r->image, reinterpret_cast<const uint8_t *>(&paletteAlpha),
                                                            alpha, background, isIndex, info.transparent,
                                                            (info.flags & kPngInfoReplaceOne) ? 1 : 0);
            if (info.flags & kPngInfoTransparency) r->transparency = 2;
            else if (alpha != 0 && applied) r->transparency = 1;
        }
        if (alpha != 0) Dibcore_DeleteDIB(alpha);
        if (r->image.empty()) return kFailed;
    }
    Describe(r);
    return kOk;
}

int32_t GifFrames(const Source &s, GifFrameRecord *frames, int32_t count) {
    return s.memory ? Dibcore_GIFMAniToDIB(s.memory, s.size, frames, count)
                    : Dibcore_GIFAniToDIB(s.path, frames, count);
}

int DecodeGif(LoadedImage *r, const Source &s, const LoadOptions &o, int refuseAnimation, int firstFrameOnly) {
    GifInfo info{};
    int32_t count = 1;
    if (o.gifAni) {
        const int32_t got = s.memory ? Dibcore_InfoGIFM(s.memory, s.size, &info)
                                     : Dibcore_InfoGIF(s.path, &info);
        if (!got || info.frameCount <= 0) return kRefused;
        count = info.frameCount;
    }
    if (count == 1) {
        GifStillInfo still{};
        still.flags = kGifStillPreset;
        const int ok = s.memory ? DibHolder_GIFMtoDIBex(r->image, s.memory, s.size, &still)
                                : DibHolder_GIFtoDIBex(r->image, s.path, &still);
        if (!ok) return kRefused;
        if (o.gifTrans && (still.flags & kGifStillTransparent)) {
            const uint32_t background =
                o.gifFileBg && (still.flags & kGifStillBackground) ? still.background : o.background;
            DibHolder_ApplyTransparency(r->image, nullptr, 0, background, 0, still.transparentIndex, 1);
            r->transparency = 2;
        }
        Describe(r);
        return kOk;
    }
    if (refuseAnimation) return kFailed;
    const int32_t screenW = info.screenWidth ? info.screenWidth : (info.width > 65535 ? 65535 : info.width);
    const int32_t screenH = info.screenHeight ? info.screenHeight : (info.height > 65535 ? 65535 : info.height);
    if (firstFrameOnly) {
        GifFrameRecord first{};
        if (GifFrames(s, &first, 1) <= 0 || first.picture == 0) {
            if (first.picture) Dibcore_DeleteDIB(first.picture);
            return kRefused;
        }
        int ok = screenW > 0 && screenH > 0 && DibHolder_Create(r->image, screenW, screenH, 24, 0, 0, nullptr);
        if (ok) {
            // Fill with the background, then draw the frame over it.
            const uint32_t bg = o.background;
            DibData *d = r->image.data;
            const uint32_t stride = Dib_RowStride(24, screenW);
            for (int32_t y = 0; y < screenH; ++y)
                for (int32_t x = 0; x < screenW; ++x) {
                    uint8_t *p = d->bits + uint64_t(y) * stride + x * 3;
                    p[0] = uint8_t(bg >> 16);
                    p[1] = uint8_t(bg >> 8);
                    p[2] = uint8_t(bg);
                }
            ok = GifFrame_Overlay(first.left, first.top, first.picture, first.transparentIndex, r->image.handle);
            DibHolder_Lock(r->image);
        }
        Dibcore_DeleteDIB(first.picture);
        if (!ok) return kFailed;
        Describe(r);
        return kOk;
    }
    r->frames = ImgLoad_AllocFrames(count);
    if (r->frames == nullptr) return kFailed;
    r->frameCount = count;
    if (GifFrames(s, r->frames, count) <= 0 || screenW <= 0 || screenH <= 0) return kFailed;
    if (!o.gifFileBg || info.backgroundIndex >= 256) info.background = o.background;
    r->gifInfo = info;
    r->width = screenW;
    r->height = screenH;
    r->bitsPerPixel = 24;
    r->colourKind = 1;
    r->flags = kLoadedAnimation;
    return kOk;
}

// Makes the still picture what the rest of the program expects: palette
// pictures uncompressed, unusual bit masks as 24 bits.
int NormaliseStill(LoadedImage *r, const LoadOptions &o) {
    const int32_t depth = DibHolder_GetBitCount(r->image);
    if (depth == 24) return 1;
    if (depth <= 8) {
        const int ok = Dibcore_RLEtoDIB(r->image.handle);
        return DibHolder_Lock(r->image) && ok && !r->image.empty();
    }
    uint32_t masks[3];
    const bool stored = r->image.data->header->biCompression == kDibBitFields && Dib_EffectiveMasks(r->image.data->header, masks);
    if (!Bmp_MasksNeed24Bit(stored ? masks : nullptr, depth, o.loadBf24, o.win9x)) return 1;
    if (!DibHolder_To24Bit(r->image, 0)) return 0;
    Describe(r);
    return 1;
}

int DecodeById(LoadedImage *r, const Source &s, const char *pluginName, int32_t id, int refuseAnimation,
               int firstFrameOnly, const LoadOptions &o) {
    switch (id) {
    case kLoaderBmp: return DecodeBmp(r, s, o);
    case kLoaderJpeg: return DecodeJpeg(r, s, o);
    case kLoaderPng: return DecodePng(r, s, o);
    case kLoaderGif: return DecodeGif(r, s, o, refuseAnimation, firstFrameOnly);
    default: break;
    }
    if (id >= kLoaderFirstPlugin && id <= kLastPluginId) {
        if (g_imgLoadPluginDecoder == nullptr) return kFailed;
        return g_imgLoadPluginDecoder(r, s.path, pluginName, s.memory, s.size, id, firstFrameOnly);
    }
    return kRefused;
}

#if !defined(QV_ANSI)
// Reads the whole file into one buffer of at least kLoadHeadBytes; never
// more than was allocated, whatever the file does meanwhile.
uint8_t *ReadWhole(FileReader &file, uint64_t fileSize, uint32_t *size) {
    const uint32_t allocated = fileSize < kLoadHeadBytes ? kLoadHeadBytes : uint32_t(fileSize);
    uint8_t *buffer = static_cast<uint8_t *>(QV_Alloc(allocated));
    if (buffer == nullptr) return nullptr;
    std::memset(buffer, 0, allocated);
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    SetFilePointerEx(file.file, zero, nullptr, FILE_BEGIN);
    uint32_t total = 0;
    while (total < allocated) {
        DWORD got = 0;
        if (!ReadFile(file.file, buffer + total, allocated - total, &got, nullptr) || got == 0) break;
        total += got;
    }
    *size = allocated;
    return buffer;
}
#endif

}  // namespace

LoadedImage::~LoadedImage() { ImgLoad_FreeAll(this); }

GifFrameRecord *ImgLoad_AllocFrames(int32_t count) {
    if (count <= 0 || uint64_t(count) * sizeof(GifFrameRecord) > kMemMaxRequest) return nullptr;
    auto *frames = static_cast<GifFrameRecord *>(QV_Alloc(uint32_t(count * sizeof(GifFrameRecord))));
    if (frames) std::memset(frames, 0, size_t(count) * sizeof(GifFrameRecord));
    return frames;
}

void ImgLoad_Clear(LoadedImage *r) {
    r->flags = 0;
    r->loaderId = 0;
    r->loadMs = 0;
    r->transparency = 0;
    r->colourKind = 0;
    r->bitsPerPixel = 0;
    r->width = 0;
    r->height = 0;
    r->formatName[0] = 0;
    r->frames = nullptr;
}

void ImgLoad_FreeFrames(LoadedImage *r, int deletePictures) {
    if (r->frames != nullptr) {
        if (deletePictures)
            for (int32_t i = 0; i < r->frameCount; ++i)
                if (r->frames[i].picture != 0) Dibcore_DeleteDIB(r->frames[i].picture);
        QV_Free(r->frames);
    }
    r->frames = nullptr;
    r->frameCount = 0;
}

void ImgLoad_FreeAll(LoadedImage *r) {
    ImgLoad_FreeFrames(r, 1);
    DibHolder_Free(r->image);
    ImgLoad_Clear(r);
    std::memset(&r->gifInfo, 0, sizeof r->gifInfo);
}

int ImgLoad_FromSource(LoadedImage *record, const TCHAR *path, const char *pluginName, const void *memory,
                       uint32_t size, int32_t loaderId, int refuseAnimation, int firstFrameOnly,
                       const LoadOptions &options) {
    const DWORD start = g_sys.timeGetTime();
    const int result = ImgLoad_Decode(record, path, pluginName, memory, size, loaderId, refuseAnimation,
                                      firstFrameOnly, options, 0, 0);
    record->loadMs = g_sys.timeGetTime() - start;
    return result;
}

int ImgLoad_Decode(LoadedImage *r, const TCHAR *path, const char *pluginName, const void *memory, uint32_t size,
                   int32_t loaderId, int refuseAnimation, int firstFrameOnly, const LoadOptions &o,
                   int allowShortName, int noRetry) {
    (void)allowShortName;  // the short plug-in name comes with the plug-in manager
    ImgLoad_FreeAll(r);
    if (memory != nullptr ? size == 0 : (path == nullptr || path[0] == 0)) return kFailed;
    if (loaderId <= 0 && path != nullptr) loaderId = Format_IdFromPath(path, o.spiPrior);
    const Source s{path, memory, size};
    int result = DecodeById(r, s, pluginName, loaderId, refuseAnimation, firstFrameOnly, o);
    if (result == kOk) {
        r->loaderId = loaderId;
        if (loaderId < kLoaderFirstPlugin && (r->flags & kLoadedStill)) {
            if (!NormaliseStill(r, o)) result = kFailed;
            r->width = DibHolder_GetWidth(r->image);
            r->height = DibHolder_GetHeight(r->image);
        }
    }
    if (result != kOk && !noRetry) {
        ImgLoad_FreeAll(r);
        return ImgLoad_Retry(r, path, pluginName, memory, size, loaderId, refuseAnimation, firstFrameOnly, o);
    }
    return result;
}

int ImgLoad_Retry(LoadedImage *r, const TCHAR *path, const char *pluginName, const void *memory, uint32_t size,
                  int32_t failedId, int refuseAnimation, int firstFrameOnly, const LoadOptions &o) {
#if defined(QV_ANSI)
    const int32_t id = Format_DetectDecoder(size, memory, path, pluginName, failedId, true, o.spiPrior);
    if (id == -1) return kFailed;
    if (id == 0) return kRefused;
    if (id == failedId) return kFailed;
    return ImgLoad_Decode(r, path, pluginName, memory, size, id, refuseAnimation, firstFrameOnly, o, 0, 1);
#else
    FileReader file;
    uint64_t fileSize = 0;
    bool tooBig = false;
    uint8_t head[kLoadHeadBytes] = {};
    bool headRead = false;
    if (memory == nullptr && pluginName == nullptr) {
        if (!FileReader_Open(&file, path) || !FileReader_Size(&file, &fileSize)) return kFailed;
        if (fileSize == 0) return kFailed;
        const uint64_t quarter = uint64_t(Sys_GetTotalPhysMemory()) / 4;
        tooBig = fileSize >= (uint64_t{1} << 32) || fileSize > kLoadHeadLimit || fileSize > quarter;
        if (!tooBig) {
            DWORD got = 0;
            if (!ReadFile(file.file, head, kLoadHeadBytes, &got, nullptr)) return kFailed;
            headRead = true;
        }
    }
    const int32_t id = headRead ? Format_DetectDecoder(kLoadHeadBytes, head, path, pluginName, failedId, true, o.spiPrior)
                                : Format_DetectDecoder(size, memory, path, pluginName, failedId, !tooBig, o.spiPrior);
    if (id == -1) return kFailed;
    if (id == 0) return tooBig ? kFailed : kRefused;
    const bool plugin = id >= kLoaderFirstPlugin;
    if (!plugin) {
        if (id == failedId) return kFailed;
        return ImgLoad_Decode(r, path, pluginName, memory, size, id, refuseAnimation, firstFrameOnly, o, 0, 1);
    }
    if (!headRead) {
        if (id == failedId) return kFailed;
        return ImgLoad_Decode(r, path, pluginName, memory, size, id, refuseAnimation, firstFrameOnly, o, 0, 1);
    }
    // A plug-in found by content gets the data from memory.
    if (fileSize > kLoadHeadBytes) {
        uint32_t wholeSize = 0;
        uint8_t *whole = ReadWhole(file, fileSize, &wholeSize);
        if (whole == nullptr) return kFailed;
        const int result =
            ImgLoad_Decode(r, path, pluginName, whole, wholeSize, id, refuseAnimation, firstFrameOnly, o, 1, 1);
        QV_Free(whole);
        return result;
    }
    return ImgLoad_Decode(r, path, pluginName, head, kLoadHeadBytes, id, refuseAnimation, firstFrameOnly, o, 1, 1);
#endif
}
