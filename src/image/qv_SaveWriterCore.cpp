#include "image/qv_SaveWriterCore.h"

#include "image/qv_DibApi.h"
#include "image/qv_DibOps.h"
#include "image/qv_PalOptimize.h"

namespace {

// DIBto16BitEx / DIBto8Bit mode: reduce by error diffusion.
constexpr int32_t kReduceDiffuse = 2;

bool IsRle(const DibHolder &h) {
    return h.data != nullptr && (h.data->header->biCompression == kDibRle8 || h.data->header->biCompression == kDibRle4);
}

bool IsPlain32(const DibHolder &h) {
    return h.data != nullptr && h.data->header->biBitCount == 32 && h.data->header->biCompression == kDibRgb;
}

// The library call `ok` changed the copy in place; refetch its storage.
bool Converted(DibHolder &copy, int32_t ok) { return DibHolder_Lock(copy) && !copy.empty() && ok != 0; }

int Failed(DibHolder &copy) {
    DibHolder_Free(copy);
    return 0;
}

// An uncompressed copy of an RLE picture; the writers of palette formats
// take no RLE data.
int ExpandedCopy(const DibHolder &picture, DibHolder &copy) {
    if (!DibHolder_CopyFrom(copy, picture)) return Failed(copy);
    return Converted(copy, Dibcore_RLEtoDIB(copy.handle)) ? 1 : Failed(copy);
}

DibHandle Written(const DibHolder &picture, const DibHolder &copy) {
    return copy.empty() ? picture.handle : copy.handle;
}

}  // namespace

int SaveGif_Prepare(const DibHolder &picture, DibHolder &copy) {
    if (picture.empty() || !copy.empty()) return 0;
    const int32_t depth = DibHolder_GetBitCount(picture);
    if (depth <= 8) return IsRle(picture) ? ExpandedCopy(picture, copy) : (depth > 0 ? 1 : 0);
    // A picture of few colours keeps them exactly; the reduction leaves its
    // source alone, so it can work on the picture itself and be the copy.
    if (depth > 16) DibHolder_AttachNew(copy, Pal_OptimizeDepth(picture.handle));
    if (copy.empty() && !DibHolder_CopyFrom(copy, picture)) return Failed(copy);
    if (DibHolder_GetBitCount(copy) > 16 &&
        !Converted(copy, Dibcore_DIBto16BitEx(copy.handle, nullptr, kReduceDiffuse)))
        return Failed(copy);
    if (DibHolder_GetBitCount(copy) > 8 && !Converted(copy, Dibcore_DIBto8Bit(copy.handle, 0, kReduceDiffuse)))
        return Failed(copy);
    return 1;
}

int SaveJpeg_Prepare(const DibHolder &picture, DibHolder &copy) {
    if (picture.empty() || !copy.empty()) return 0;
    if (DibHolder_GetBitCount(picture) == 24 && !IsRle(picture)) return 1;
    return DibHolder_MakeTrueColorCopy(picture, copy) ? 1 : Failed(copy);
}

int SavePng_Prepare(const DibHolder &picture, DibHolder &copy) {
    if (picture.empty() || !copy.empty()) return 0;
    const int32_t depth = DibHolder_GetBitCount(picture);
    if (depth == 16 || depth == 32) return DibHolder_MakeTrueColorCopy(picture, copy) ? 1 : Failed(copy);
    if (IsRle(picture)) return ExpandedCopy(picture, copy);
    return depth > 0 ? 1 : 0;
}

int SaveGif_WriteTo(const DibHolder &picture, const SaveOptions &options, const SaveSink &sink) {
    DibHolder copy;
    if (sink.gif == nullptr || !SaveGif_Prepare(picture, copy)) return 0;
    const DibHandle written = Written(picture, copy);
    GifSaveOptions record;
    if (!SaveGif_Options(options, written, &record)) return 0;
    return sink.gif(sink.context, written, &record) ? 1 : 0;
}

int SaveJpeg_WriteTo(const DibHolder &picture, const SaveOptions &options, const SaveSink &sink) {
    DibHolder copy;
    if (sink.jpeg == nullptr || !SaveJpeg_Prepare(picture, copy)) return 0;
    return sink.jpeg(sink.context, Written(picture, copy), options.jpgQual, SaveJpeg_Flags(options)) ? 1 : 0;
}

int SavePng_WriteTo(const DibHolder &picture, const SaveOptions &options, const SaveSink &sink) {
    DibHolder copy;
    if (sink.png == nullptr || !SavePng_Prepare(picture, copy)) return 0;
    const DibHandle written = Written(picture, copy);
    PngSaveOptions record;
    if (!SavePng_Options(options, written, &record)) return 0;
    return sink.png(sink.context, written, &record) ? 1 : 0;
}

int SaveBmp_WriteTo(DibHolder &picture, const SaveOptions &options, const SaveSink &sink) {
    if (sink.bmp == nullptr || picture.empty() || picture.data == nullptr) return 0;
    // Normalising sets the fourth byte of every plain 32-bit pixel, which may
    // be the picture's alpha: such a picture is written from a copy.
    DibHolder copy;
    if (IsPlain32(picture) && !DibHolder_CopyFrom(copy, picture)) return 0;
    DibHolder &target = copy.empty() ? picture : copy;
    const DibHandle h = target.handle;
    const bool wasRle = IsRle(target);
    const bool wasBottomUp = DibHolder_IsBottomUp(target);
    // Compressing and expanding again leaves the size field 0; an
    // uncompressed picture gets its own back.
    const uint32_t sizeImage = target.data->header->biSizeImage;

    // A 4/8-bit picture stays compressed only when that is smaller; anything
    // else (and a failed attempt) is written uncompressed.
    bool ready = (options.bmpRle && SaveBmp_TryRle(h)) || Dibcore_RLEtoDIB(h);
    ready = ready && Dib_Normalize(h) && SaveBmp_SetOrientation(options.bmpTop ? 0 : 1, h);
    const bool written = ready && sink.bmp(sink.context, h) != 0;

    // Both steps are tried whatever the other gave, so a failure leaves as
    // little changed as it can. RLE data is bottom-up by nature: the rows are
    // turned back before compressing.
    bool restored;
    if (wasRle) {
        const bool turned = SaveBmp_SetOrientation(1, h) != 0;
        restored = Dibcore_DIBtoRLE(h) != 0 && turned;
    } else {
        const bool expanded = Dibcore_RLEtoDIB(h) != 0;
        restored = SaveBmp_SetOrientation(wasBottomUp ? 1 : 0, h) != 0 && expanded;
    }
    DibHolder_Lock(target);
    if (!wasRle && restored && !target.empty()) target.data->header->biSizeImage = sizeImage;
    return written && restored && !target.empty() ? 1 : 0;
}
