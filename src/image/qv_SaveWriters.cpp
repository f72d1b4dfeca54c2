#include "image/qv_SaveWriters.h"

#include <type_traits>

#include "image/qv_DibApi.h"
#include "image/qv_SaveWriterCore.h"

static_assert(std::is_same<TCHAR, DibPathChar>::value, "the library takes paths in the program's text flavour");

namespace {

const DibPathChar *PathOf(void *context) { return static_cast<const DibPathChar *>(context); }

int32_t WriteBmp(void *context, DibHandle picture) { return Dibcore_DIBtoBMP(PathOf(context), picture); }
int32_t WriteGif(void *context, DibHandle picture, const GifSaveOptions *options) {
    return Dibcore_DIBtoGIFex(PathOf(context), picture, options);
}
int32_t WriteJpeg(void *context, DibHandle picture, int32_t quality, uint32_t flags) {
    return Dibcore_DIBtoJPG(PathOf(context), picture, quality, flags);
}
int32_t WritePng(void *context, DibHandle picture, const PngSaveOptions *options) {
    return Dibcore_DIBtoPNGex(PathOf(context), picture, options);
}

// The library's writers bound to `path`; null when there is no path.
SaveSink FileSink(const TCHAR *path) {
    SaveSink s{const_cast<TCHAR *>(path), WriteBmp, WriteGif, WriteJpeg, WritePng};
    if (path == nullptr || path[0] == 0) s = SaveSink{};
    return s;
}

}  // namespace

int SaveBmp_Write(const TCHAR *path, DibHolder &picture) {
    return SaveBmp_WriteTo(picture, g_saveOptions, FileSink(path));
}
int SaveGif_Write(const TCHAR *path, DibHolder &picture) {
    return SaveGif_WriteTo(picture, g_saveOptions, FileSink(path));
}
int SaveJpeg_Write(const TCHAR *path, DibHolder &picture) {
    return SaveJpeg_WriteTo(picture, g_saveOptions, FileSink(path));
}
int SavePng_Write(const TCHAR *path, DibHolder &picture) {
    return SavePng_WriteTo(picture, g_saveOptions, FileSink(path));
}
