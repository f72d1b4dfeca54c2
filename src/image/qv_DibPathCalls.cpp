// The entry points that take a file path. A path is UTF-16 in one program and
// ANSI in the other, so these are built once per text flavour with the
// program code rather than once in the portable library.
#include "image/qv_DibApi.h"
#include "image/qv_DibHolder.h"

int32_t Dibcore_DIBtoBMP(const DibPathChar *path, DibHandle h) {
    return g_dibcore.DIBtoBMP ? g_dibcore.DIBtoBMP(path, h) : 0;
}
DibHandle Dibcore_BMPtoDIB(const DibPathChar *path) { return g_dibcore.BMPtoDIB ? g_dibcore.BMPtoDIB(path) : 0; }
DibHandle Dibcore_JPGtoDIB(const DibPathChar *path) { return g_dibcore.JPGtoDIB ? g_dibcore.JPGtoDIB(path) : 0; }
DibHandle Dibcore_PNGtoDIB(const DibPathChar *path) { return g_dibcore.PNGtoDIB ? g_dibcore.PNGtoDIB(path) : 0; }
int32_t Dibcore_DIBtoJPG(const DibPathChar *path, DibHandle h, int32_t quality, uint32_t flags) {
    return g_dibcore.DIBtoJPG ? g_dibcore.DIBtoJPG(path, h, quality, flags) : 0;
}
int32_t Dibcore_DIBtoPNGex(const DibPathChar *path, DibHandle h, const PngSaveOptions *options) {
    return g_dibcore.DIBtoPNGex ? g_dibcore.DIBtoPNGex(path, h, options) : 0;
}
int32_t Dibcore_DIBtoGIFex(const DibPathChar *path, DibHandle h, const GifSaveOptions *options) {
    return g_dibcore.DIBtoGIFex ? g_dibcore.DIBtoGIFex(path, h, options) : 0;
}
DibHandle Dibcore_PNGAtoDIB(const DibPathChar *path) { return g_dibcore.PNGAtoDIB ? g_dibcore.PNGAtoDIB(path) : 0; }
int32_t Dibcore_InfoPNG(const DibPathChar *path, PngInfo *info, PngAlphaTable *alphaTable) {
    return g_dibcore.InfoPNG ? g_dibcore.InfoPNG(path, info, reinterpret_cast<intptr_t>(alphaTable), 0) : 0;
}
DibHandle Dibcore_GIFtoDIBex(const DibPathChar *path, GifStillInfo *info) {
    return g_dibcore.GIFtoDIBex ? g_dibcore.GIFtoDIBex(path, info) : 0;
}
int32_t Dibcore_InfoGIF(const DibPathChar *path, GifInfo *info) {
    return g_dibcore.InfoGIF ? g_dibcore.InfoGIF(path, info) : 0;
}
int32_t Dibcore_GIFAniToDIB(const DibPathChar *path, GifFrameRecord *frames, int32_t count) {
    return g_dibcore.GIFAniToDIB ? g_dibcore.GIFAniToDIB(path, frames, count, 0) : 0;
}

int DibHolder_BMPtoDIB(DibHolder &h, const DibPathChar *path) {
    return h.handle == 0 && DibHolder_AttachNew(h, Dibcore_BMPtoDIB(path));
}
int DibHolder_JPGtoDIB(DibHolder &h, const DibPathChar *path) {
    return h.handle == 0 && DibHolder_AttachNew(h, Dibcore_JPGtoDIB(path));
}
int DibHolder_PNGtoDIB(DibHolder &h, const DibPathChar *path) {
    return h.handle == 0 && DibHolder_AttachNew(h, Dibcore_PNGtoDIB(path));
}
int DibHolder_PNGAtoDIB(DibHolder &h, const DibPathChar *path) {
    return h.handle == 0 && DibHolder_AttachNew(h, Dibcore_PNGAtoDIB(path));
}
int DibHolder_GIFtoDIBex(DibHolder &h, const DibPathChar *path, GifStillInfo *info) {
    return h.handle == 0 && DibHolder_AttachNew(h, Dibcore_GIFtoDIBex(path, info));
}
