// The program's binding to the image library: one table of entry points and
// one forwarding function per entry point. No Win32 here, so the table can be
// filled by the real loader (qv_DibcoreLoad.cpp) or by a test that hands in a
// library of its own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dibcore_api.h"

struct PngAlphaTable;

// The module, then one slot per entry point in kDibcoreEntryNames order. A
// slot stays null when the library is not loaded or lacks that entry point.
struct DibcoreApi {
    void *module;
    DeleteDIB_t DeleteDIB;
    DataDIB_t DataDIB;
    CreateDIB_t CreateDIB;
    CopyDIB_t CopyDIB;
    CutDIB_t CutDIB;
    TurnDIB_t TurnDIB;
    DIBto24Bit_t DIBto24Bit;
    DIBto16BitEx_t DIBto16BitEx;
    DIBto8Bit_t DIBto8Bit;
    TurnDIBex_t TurnDIBex;
    DIBtoRLE_t DIBtoRLE;
    RLEtoDIB_t RLEtoDIB;
    DIBtoBMP_t DIBtoBMP;
    BMPtoDIB_t BMPtoDIB;
    JPGtoDIB_t JPGtoDIB;
    PNGtoDIB_t PNGtoDIB;
    BMPMtoDIB_t BMPMtoDIB;
    JPGMtoDIB_t JPGMtoDIB;
    PNGMtoDIB_t PNGMtoDIB;
    DIBtoJPG_t DIBtoJPG;
    DIBtoPNGex_t DIBtoPNGex;
    DIBtoGIFex_t DIBtoGIFex;
    PNGAtoDIB_t PNGAtoDIB;
    PNGMAtoDIB_t PNGMAtoDIB;
    InfoPNG_t InfoPNG;
    InfoPNGM_t InfoPNGM;
    GIFtoDIBex_t GIFtoDIBex;
    GIFMtoDIBex_t GIFMtoDIBex;
    InfoGIF_t InfoGIF;
    InfoGIFM_t InfoGIFM;
    GIFAniToDIB_t GIFAniToDIB;
    GIFMAniToDIB_t GIFMAniToDIB;
};

constexpr int kDibcoreEntryCount = 32;
static_assert(sizeof(DibcoreApi) == sizeof(void *) * (1 + kDibcoreEntryCount), "one slot per entry point");
static_assert(offsetof(DibcoreApi, GIFMAniToDIB) == sizeof(void *) * kDibcoreEntryCount, "slots in table order");

// The one binding; zero until Dibcore_Load (or a test) fills it.
extern DibcoreApi g_dibcore;

void Dibcore_ClearEntryTable();
// Stores `address` in slot `index` (0..31, kDibcoreEntryNames order).
void Dibcore_SetSlot(DibcoreApi *api, int index, void *address);
void *Dibcore_GetSlot(const DibcoreApi *api, int index);

// The version word a build accepts: low 16 bits 1, bit 16 set for the UTF-16
// build and clear for the ANSI build.
bool Dibcore_VersionAccepted(uint32_t word, bool utf16Build);

enum DibcoreBindResult {
    kDibcoreBound = 1,
    kDibcoreBadVersion = -1,   // missing DibcoreVersionDW or a refused word
    kDibcoreMissingEntry = -2, // *lastMissing names the last missing entry point
};

// Looks up `name` in the library (GetProcAddress in the program, a table in
// tests); null when missing.
using DibcoreLookup = void *(*)(void *context, const char *name);

// Checks the version word, then resolves all 32 entry points into `api`
// (every name is looked up, even after a miss). `api->module` is set to
// `module` whatever the result.
DibcoreBindResult Dibcore_Bind(void *module, DibcoreLookup lookup, void *context, bool utf16Build, DibcoreApi *api,
                               const char **lastMissing);

// Forwarders: the ones taking a path are built per text flavour with the
// program code (qv_DibPathCalls.cpp); the rest are portable. Each passes its arguments on when the slot is bound and returns
// 0 (null) otherwise, so an unbound library makes every picture operation
// fail quietly.
int32_t Dibcore_DeleteDIB(DibHandle handle);
DibData *Dibcore_DataDIB(DibHandle handle);
DibHandle Dibcore_CreateDIB(const void *header, const void *bits);
DibHandle Dibcore_CopyDIB(DibHandle handle);
DibHandle Dibcore_CutDIB(DibHandle handle, int32_t x, int32_t y, int32_t width, int32_t height);
int32_t Dibcore_TurnDIB(DibHandle handle, int32_t angle);
int32_t Dibcore_DIBto24Bit(DibHandle handle);
int32_t Dibcore_DIBto16BitEx(DibHandle handle, const uint32_t *masks, int32_t mode);
int32_t Dibcore_DIBto8Bit(DibHandle handle, int32_t reserved, int32_t mode);
int32_t Dibcore_TurnDIBex(DibHandle handle, int32_t angle, uint32_t background);
int32_t Dibcore_DIBtoRLE(DibHandle handle);
int32_t Dibcore_RLEtoDIB(DibHandle handle);
int32_t Dibcore_DIBtoBMP(const DibPathChar *path, DibHandle handle);
DibHandle Dibcore_BMPtoDIB(const DibPathChar *path);
DibHandle Dibcore_JPGtoDIB(const DibPathChar *path);
DibHandle Dibcore_PNGtoDIB(const DibPathChar *path);
DibHandle Dibcore_BMPMtoDIB(const void *memory, uint32_t size);
DibHandle Dibcore_JPGMtoDIB(const void *memory, uint32_t size);
DibHandle Dibcore_PNGMtoDIB(const void *memory, uint32_t size);
int32_t Dibcore_DIBtoJPG(const DibPathChar *path, DibHandle handle, int32_t quality, uint32_t flags);
int32_t Dibcore_DIBtoPNGex(const DibPathChar *path, DibHandle handle, const PngSaveOptions *options);
int32_t Dibcore_DIBtoGIFex(const DibPathChar *path, DibHandle handle, const GifSaveOptions *options);
DibHandle Dibcore_PNGAtoDIB(const DibPathChar *path);
DibHandle Dibcore_PNGMAtoDIB(const void *memory, uint32_t size);
// alphaTable (may be null) receives the palette alpha table; its address goes
// in the entry point's first spare argument.
int32_t Dibcore_InfoPNG(const DibPathChar *path, PngInfo *info, PngAlphaTable *alphaTable);
int32_t Dibcore_InfoPNGM(const void *memory, uint32_t size, PngInfo *info, PngAlphaTable *alphaTable);
DibHandle Dibcore_GIFtoDIBex(const DibPathChar *path, GifStillInfo *info);
DibHandle Dibcore_GIFMtoDIBex(const void *memory, uint32_t size, GifStillInfo *info);
int32_t Dibcore_InfoGIF(const DibPathChar *path, GifInfo *info);
int32_t Dibcore_InfoGIFM(const void *memory, uint32_t size, GifInfo *info);
int32_t Dibcore_GIFAniToDIB(const DibPathChar *path, GifFrameRecord *frames, int32_t count);
int32_t Dibcore_GIFMAniToDIB(const void *memory, uint32_t size, GifFrameRecord *frames, int32_t count);
