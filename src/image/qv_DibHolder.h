// The image holder: owns one library picture and the DibData pointer that
// DataDIB gave for it. Every operation leaves the holder unchanged, holding
// the new picture, or empty; a handle is never leaked nor freed twice.
#pragma once

#include <cstdint>

#include "dibcore_api.h"
#include "image/qv_DibCore.h"

class DibHolder {
public:
    DibHandle handle = 0;    // owned picture; 0 = empty
    DibData *data = nullptr; // refreshed after every call that may move storage

    DibHolder() = default;
    ~DibHolder();
    DibHolder(const DibHolder &) = delete;
    DibHolder &operator=(const DibHolder &) = delete;
    bool empty() const { return handle == 0; }
};

// DeleteDIB when set (its result; 1 when empty), then empty.
int32_t DibHolder_Free(DibHolder &h);
inline int32_t DibHolder_Delete(DibHolder &h) { return DibHolder_Free(h); }
// data = DataDIB(handle). Empty holders succeed. A held picture whose data
// cannot be fetched is freed, so no holder ever keeps a stale pointer.
int DibHolder_Lock(DibHolder &h);
// Into an empty holder only; on a failing lock the holder is empty again and
// the caller still owns (and deletes) `handle`.
int DibHolder_Attach(DibHolder &h, DibHandle handle);
// The common tail of every loader: takes `fresh` into the empty holder, or
// deletes it and stays empty. 0 when fresh is 0 or cannot be attached.
int DibHolder_AttachNew(DibHolder &h, DibHandle fresh);
// Hands the handle over to the caller; the holder is empty afterwards.
DibHandle DibHolder_Take(DibHolder &h);

int DibHolder_CopyFrom(DibHolder &h, const DibHolder &source);
int DibHolder_Create(DibHolder &h, int32_t width, int32_t height, int32_t depth, uint32_t colours, int exact,
                     const void *paletteOrMasks);
int DibHolder_CreateDIB(DibHolder &h, const void *header, const void *bits);

// In place; the library's result when the relock works. The holder is freed
// when the picture can no longer be fetched.
int DibHolder_Turn(DibHolder &h, int32_t degrees);
int DibHolder_TurnEx(DibHolder &h, int32_t angle, uint32_t background);

// Loaders into an empty holder; the holder is empty when the call or the lock
// fails. Those taking a path are built with the program code of each text
// flavour (qv_DibPathCalls.cpp).
int DibHolder_BMPtoDIB(DibHolder &h, const DibPathChar *path);
int DibHolder_BMPMtoDIB(DibHolder &h, const void *memory, uint32_t size);
int DibHolder_JPGtoDIB(DibHolder &h, const DibPathChar *path);
int DibHolder_JPGMtoDIB(DibHolder &h, const void *memory, uint32_t size);
int DibHolder_PNGtoDIB(DibHolder &h, const DibPathChar *path);
int DibHolder_PNGMtoDIB(DibHolder &h, const void *memory, uint32_t size);
int DibHolder_PNGAtoDIB(DibHolder &h, const DibPathChar *path);
int DibHolder_PNGMAtoDIB(DibHolder &h, const void *memory, uint32_t size);
int DibHolder_GIFtoDIBex(DibHolder &h, const DibPathChar *path, GifStillInfo *info);
int DibHolder_GIFMtoDIBex(DibHolder &h, const void *memory, uint32_t size, GifStillInfo *info);

// source != 0: a new 24-bit copy of it into the empty holder. source == 0:
// the held picture becomes 24 bits when it is not.
int DibHolder_To24Bit(DibHolder &h, DibHandle source);
int DibHolder_MakeTrueColorCopy(const DibHolder &source, DibHolder &target);

// The replacing pattern: `ok` and `fresh` are what an operation on the held
// picture gave (fresh 0 = it worked in place). Frees the held picture and
// attaches the fresh one; a fresh handle that cannot be attached is deleted.
int DibHolder_Replace(DibHolder &h, int ok, DibHandle fresh);

// Transparency (see qv_Transp.h) applied to the held picture.
int DibHolder_ApplyTransparency(DibHolder &h, const uint8_t *paletteAlpha, DibHandle alpha, uint32_t background,
                                int backgroundIsIndex, uint32_t transparent, int replace);
// Whole picture: CutDIB with a negative size; a part: a mirrored cut pasted
// back in place.
int DibHolder_Mirror(DibHolder &h, const SelRect *rect, int vertical);

int32_t DibHolder_GetWidth(const DibHolder &h);
int32_t DibHolder_GetHeight(const DibHolder &h);  // absolute
int32_t DibHolder_GetBitCount(const DibHolder &h);
uint32_t DibHolder_GetColorTable(const DibHolder &h, const uint8_t **table, const uint32_t **masks, uint32_t *count);
bool DibHolder_IsBottomUp(const DibHolder &h);
int DibHolder_PasteRect(DibHolder &dst, DibHolder &src, int32_t x, int32_t y, int32_t w, int32_t h,
                        int32_t sx, int32_t sy);
