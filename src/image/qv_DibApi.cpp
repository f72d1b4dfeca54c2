#include "image/qv_DibApi.h"

#include <cstring>

DibcoreApi g_dibcore = {};

void Dibcore_ClearEntryTable() { std::memset(&g_dibcore, 0, sizeof g_dibcore); }

void Dibcore_SetSlot(DibcoreApi *api, int index, void *address) {
    if (api == nullptr || index < 0 || index >= kDibcoreEntryCount) return;
    // Slots are function pointers of different types laid out one after
    // another; copy the address bytes rather than alias the struct.
    std::memcpy(reinterpret_cast<char *>(api) + offsetof(DibcoreApi, DeleteDIB) + size_t(index) * sizeof(void *),
                &address, sizeof address);
}

void *Dibcore_GetSlot(const DibcoreApi *api, int index) {
    void *address = nullptr;
    if (api == nullptr || index < 0 || index >= kDibcoreEntryCount) return nullptr;
    std::memcpy(&address,
                reinterpret_cast<const char *>(api) + offsetof(DibcoreApi, DeleteDIB) + size_t(index) * sizeof(void *),
                sizeof address);
    return address;
}

bool Dibcore_VersionAccepted(uint32_t word, bool utf16Build) {
    if ((word & 0xFFFFu) != kDibcoreVersionLow) return false;
    const bool utf16Library = (word & kDibcoreVersionUtf16Bit) != 0;
    return utf16Library == utf16Build;
}

DibcoreBindResult Dibcore_Bind(void *module, DibcoreLookup lookup, void *context, bool utf16Build, DibcoreApi *api,
                               const char **lastMissing) {
    if (lastMissing) *lastMissing = nullptr;
    std::memset(api, 0, sizeof *api);
    api->module = module;
    void *versionAddress = lookup(context, "DibcoreVersionDW");
    if (versionAddress == nullptr) return kDibcoreBadVersion;
    DibcoreVersionDW_t version;
    std::memcpy(&version, &versionAddress, sizeof version);
    if (!Dibcore_VersionAccepted(version(), utf16Build)) return kDibcoreBadVersion;
    const char *missing = nullptr;
    for (int i = 0; i < kDibcoreEntryCount; ++i) {
        void *address = lookup(context, kDibcoreEntryNames[i]);
        if (address == nullptr) missing = kDibcoreEntryNames[i];
        Dibcore_SetSlot(api, i, address);
    }
    if (missing != nullptr) {
        if (lastMissing) *lastMissing = missing;
        return kDibcoreMissingEntry;
    }
    return kDibcoreBound;
}

int32_t Dibcore_DeleteDIB(DibHandle h) { return g_dibcore.DeleteDIB ? g_dibcore.DeleteDIB(h) : 0; }
DibData *Dibcore_DataDIB(DibHandle h) { return g_dibcore.DataDIB ? g_dibcore.DataDIB(h) : nullptr; }
DibHandle Dibcore_CreateDIB(const void *header, const void *bits) {
    return g_dibcore.CreateDIB ? g_dibcore.CreateDIB(header, bits) : 0;
}
DibHandle Dibcore_CopyDIB(DibHandle h) { return g_dibcore.CopyDIB ? g_dibcore.CopyDIB(h) : 0; }
DibHandle Dibcore_CutDIB(DibHandle h, int32_t x, int32_t y, int32_t w, int32_t ht) {
    return g_dibcore.CutDIB ? g_dibcore.CutDIB(h, x, y, w, ht) : 0;
}
int32_t Dibcore_TurnDIB(DibHandle h, int32_t angle) { return g_dibcore.TurnDIB ? g_dibcore.TurnDIB(h, angle) : 0; }
int32_t Dibcore_DIBto24Bit(DibHandle h) { return g_dibcore.DIBto24Bit ? g_dibcore.DIBto24Bit(h) : 0; }
int32_t Dibcore_DIBto16BitEx(DibHandle h, const uint32_t *masks, int32_t mode) {
    return g_dibcore.DIBto16BitEx ? g_dibcore.DIBto16BitEx(h, masks, mode) : 0;
}
int32_t Dibcore_DIBto8Bit(DibHandle h, int32_t reserved, int32_t mode) {
    return g_dibcore.DIBto8Bit ? g_dibcore.DIBto8Bit(h, reserved, mode) : 0;
}
int32_t Dibcore_TurnDIBex(DibHandle h, int32_t angle, uint32_t background) {
    return g_dibcore.TurnDIBex ? g_dibcore.TurnDIBex(h, angle, background) : 0;
}
int32_t Dibcore_DIBtoRLE(DibHandle h) { return g_dibcore.DIBtoRLE ? g_dibcore.DIBtoRLE(h) : 0; }
int32_t Dibcore_RLEtoDIB(DibHandle h) { return g_dibcore.RLEtoDIB ? g_dibcore.RLEtoDIB(h) : 0; }
DibHandle Dibcore_BMPMtoDIB(const void *m, uint32_t n) { return g_dibcore.BMPMtoDIB ? g_dibcore.BMPMtoDIB(m, n) : 0; }
DibHandle Dibcore_JPGMtoDIB(const void *m, uint32_t n) { return g_dibcore.JPGMtoDIB ? g_dibcore.JPGMtoDIB(m, n) : 0; }
DibHandle Dibcore_PNGMtoDIB(const void *m, uint32_t n) { return g_dibcore.PNGMtoDIB ? g_dibcore.PNGMtoDIB(m, n) : 0; }
DibHandle Dibcore_PNGMAtoDIB(const void *m, uint32_t n) {
    return g_dibcore.PNGMAtoDIB ? g_dibcore.PNGMAtoDIB(m, n) : 0;
}
int32_t Dibcore_InfoPNGM(const void *m, uint32_t n, PngInfo *info, PngAlphaTable *alphaTable) {
    return g_dibcore.InfoPNGM ? g_dibcore.InfoPNGM(m, n, info, reinterpret_cast<intptr_t>(alphaTable), 0) : 0;
}
DibHandle Dibcore_GIFMtoDIBex(const void *m, uint32_t n, GifStillInfo *info) {
    return g_dibcore.GIFMtoDIBex ? g_dibcore.GIFMtoDIBex(m, n, info) : 0;
}
int32_t Dibcore_InfoGIFM(const void *m, uint32_t n, GifInfo *info) {
    return g_dibcore.InfoGIFM ? g_dibcore.InfoGIFM(m, n, info) : 0;
}
int32_t Dibcore_GIFMAniToDIB(const void *m, uint32_t n, GifFrameRecord *frames, int32_t count) {
    return g_dibcore.GIFMAniToDIB ? g_dibcore.GIFMAniToDIB(m, n, frames, count, 0) : 0;
}
