#include "image/qv_DibHolder.h"

#include "image/qv_DibApi.h"
#include "image/qv_DibOps.h"
#include "image/qv_Transp.h"

DibHolder::~DibHolder() { DibHolder_Free(*this); }

int32_t DibHolder_Free(DibHolder &h) {
    int32_t result = 1;
    if (h.handle != 0) result = Dibcore_DeleteDIB(h.handle);
    h.handle = 0;
    h.data = nullptr;
    return result;
}

namespace {

// Fetches the data again after a call that may have moved it; a picture that
// can no longer be reached is given up rather than kept with a stale pointer.
int Relock(DibHolder &h) {
    if (h.handle == 0) {
        h.data = nullptr;
        return 0;
    }
    h.data = Dibcore_DataDIB(h.handle);
    if (h.data == nullptr) {
        DibHolder_Free(h);
        return 0;
    }
    return 1;
}

}  // namespace

int DibHolder_Lock(DibHolder &h) {
    if (h.handle == 0) {
        h.data = nullptr;
        return 1;
    }
    return Relock(h);
}

int DibHolder_AttachNew(DibHolder &h, DibHandle fresh) {
    if (fresh == 0) return 0;
    if (!DibHolder_Attach(h, fresh)) {
        Dibcore_DeleteDIB(fresh);
        return 0;
    }
    return 1;
}

int DibHolder_Attach(DibHolder &h, DibHandle handle) {
    if (h.handle != 0 || handle == 0) return 0;
    h.data = Dibcore_DataDIB(handle);
    if (h.data == nullptr) return 0;  // holder untouched: the caller keeps the handle
    h.handle = handle;
    return 1;
}

DibHandle DibHolder_Take(DibHolder &h) {
    const DibHandle handle = h.handle;
    h.handle = 0;
    h.data = nullptr;
    return handle;
}

int DibHolder_CopyFrom(DibHolder &h, const DibHolder &source) {
    if (h.handle != 0 || source.handle == 0) return 0;
    return DibHolder_AttachNew(h, Dibcore_CopyDIB(source.handle));
}

int DibHolder_Create(DibHolder &h, int32_t width, int32_t height, int32_t depth, uint32_t colours, int exact,
                     const void *paletteOrMasks) {
    if (h.handle != 0) return 0;
    return DibHolder_AttachNew(h, Dib_Create(width, height, depth, colours, exact, paletteOrMasks));
}

int DibHolder_CreateDIB(DibHolder &h, const void *header, const void *bits) {
    if (h.handle != 0) return 0;
    return DibHolder_AttachNew(h, Dibcore_CreateDIB(header, bits));
}

int DibHolder_Turn(DibHolder &h, int32_t degrees) {
    if (h.handle == 0) return 0;
    const int32_t result = Dibcore_TurnDIB(h.handle, degrees);
    return Relock(h) ? result : 0;
}

int DibHolder_TurnEx(DibHolder &h, int32_t angle, uint32_t background) {
    if (h.handle == 0) return 0;
    const int32_t result = Dibcore_TurnDIBex(h.handle, angle, background);
    return Relock(h) ? result : 0;
}

int DibHolder_BMPMtoDIB(DibHolder &h, const void *memory, uint32_t size) {
    return h.handle == 0 && DibHolder_AttachNew(h, Dibcore_BMPMtoDIB(memory, size));
}
int DibHolder_JPGMtoDIB(DibHolder &h, const void *memory, uint32_t size) {
    return h.handle == 0 && DibHolder_AttachNew(h, Dibcore_JPGMtoDIB(memory, size));
}
int DibHolder_PNGMtoDIB(DibHolder &h, const void *memory, uint32_t size) {
    return h.handle == 0 && DibHolder_AttachNew(h, Dibcore_PNGMtoDIB(memory, size));
}
int DibHolder_PNGMAtoDIB(DibHolder &h, const void *memory, uint32_t size) {
    return h.handle == 0 && DibHolder_AttachNew(h, Dibcore_PNGMAtoDIB(memory, size));
}
int DibHolder_GIFMtoDIBex(DibHolder &h, const void *memory, uint32_t size, GifStillInfo *info) {
    return h.handle == 0 && DibHolder_AttachNew(h, Dibcore_GIFMtoDIBex(memory, size, info));
}

int DibHolder_To24Bit(DibHolder &h, DibHandle source) {
    if (source != 0) {
        if (h.handle != 0) return 0;
        const DibHandle copy = Dibcore_CopyDIB(source);
        if (copy == 0) return 0;
        DibData *d = Dibcore_DataDIB(copy);
        if (d == nullptr || (d->header->biBitCount != 24 && !Dibcore_DIBto24Bit(copy))) {
            Dibcore_DeleteDIB(copy);
            return 0;
        }
        return DibHolder_AttachNew(h, copy);
    }
    if (h.handle == 0 || h.data == nullptr) return 0;
    if (h.data->header->biBitCount == 24 && h.data->header->biCompression == kDibRgb) return Relock(h);
    const int32_t result = Dibcore_DIBto24Bit(h.handle);
    return Relock(h) && result ? 1 : 0;
}

int DibHolder_MakeTrueColorCopy(const DibHolder &source, DibHolder &target) {
    if (source.handle == 0) return 0;
    return DibHolder_To24Bit(target, source.handle);
}

int DibHolder_Replace(DibHolder &h, int ok, DibHandle fresh) {
    if (!ok) {
        if (fresh != 0) Dibcore_DeleteDIB(fresh);
        if (h.handle != 0) Relock(h);
        return 0;
    }
    if (fresh == 0) return Relock(h);
    if (fresh == h.handle) return Relock(h);  // a library that answers with the same handle
    DibHolder_Free(h);
    return DibHolder_AttachNew(h, fresh);
}

int DibHolder_ApplyTransparency(DibHolder &h, const uint8_t *paletteAlpha, DibHandle alpha, uint32_t background,
                                int backgroundIsIndex, uint32_t transparent, int replace) {
    if (h.handle == 0) return 0;
    DibHandle fresh = 0;
    const int ok = Transp_Apply(paletteAlpha, h.handle, alpha, &fresh, background, backgroundIsIndex, transparent,
                                replace);
    return DibHolder_Replace(h, ok, fresh);
}

int DibHolder_Mirror(DibHolder &h, const SelRect *rect, int vertical) {
    int32_t width = 0, height = 0;
    if (h.handle == 0 || Dib_GetInfo(h.handle, &width, nullptr, &height, 1) == 0) return 0;
    SelRect r;
    if (!Rect_ClipToImage(rect, width, height, &r)) return 0;
    const int32_t w = r.right - r.left, ht = r.bottom - r.top;
    if (w == width && ht == height) {
        const DibHandle fresh =
            vertical ? Dibcore_CutDIB(h.handle, 0, 0, width, -height) : Dibcore_CutDIB(h.handle, 0, 0, -width, height);
        return DibHolder_Replace(h, fresh != 0, fresh);
    }
    const DibHandle part =
        vertical ? Dibcore_CutDIB(h.handle, r.left, r.top, w, -ht) : Dibcore_CutDIB(h.handle, r.left, r.top, -w, ht);
    if (part == 0) return 0;
    const int pasted = Dib_PasteRect(h.handle, part, r.left, r.top, w, ht, 0, 0);
    Dibcore_DeleteDIB(part);
    return Relock(h) && pasted ? 1 : 0;
}

int32_t DibHolder_GetWidth(const DibHolder &h) {
    DibFields f;
    return h.data && Dib_GetHeaderFields(h.data->header, &f) ? f.width : 0;
}

int32_t DibHolder_GetHeight(const DibHolder &h) {
    DibFields f;
    return h.data && Dib_GetHeaderFields(h.data->header, &f) ? f.height : 0;
}

int32_t DibHolder_GetBitCount(const DibHolder &h) {
    DibFields f;
    return h.data && Dib_GetHeaderFields(h.data->header, &f) ? f.depth : 0;
}

uint32_t DibHolder_GetColorTable(const DibHolder &h, const uint8_t **table, const uint32_t **masks, uint32_t *count) {
    if (h.data == nullptr) return 0;
    return Dib_GetColorTable(h.data->header, h.data->headerSize, table, masks, count);
}

bool DibHolder_IsBottomUp(const DibHolder &h) {
    DibFields f;
    return h.data && Dib_GetHeaderFields(h.data->header, &f) && f.signedHeight > 0;
}

int DibHolder_PasteRect(DibHolder &dst, DibHolder &src, int32_t x, int32_t y, int32_t w, int32_t h,
                        int32_t sx, int32_t sy) {
    if (dst.handle == 0 || src.handle == 0) return 0;
    const int ok = Dib_PasteRect(dst.handle, src.handle, x, y, w, h, sx, sy);
    // RLEtoDIB may have moved either picture.
    const int relocked = Relock(dst);
    Relock(src);
    return ok && relocked;
}
