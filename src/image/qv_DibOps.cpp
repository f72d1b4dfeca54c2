#include "image/qv_DibOps.h"

#include <cstdlib>
#include <cstring>

#include "image/qv_DibApi.h"

int32_t Dib_GetInfo(DibHandle handle, int32_t *width, DibData **data, int32_t *height, int absoluteHeight) {
    if (width) *width = 0;
    if (data) *data = nullptr;
    if (height) *height = 0;
    DibData *d = Dibcore_DataDIB(handle);
    if (d == nullptr || d->header == nullptr) return 0;
    DibFields f;
    if (Dib_GetHeaderFields(d->header, &f) == 0) return 0;
    if (f.width <= 0 || f.signedHeight == 0) return 0;
    switch (f.depth) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return 0;
    }
    if (width) *width = f.width;
    if (data) *data = d;
    if (height) *height = absoluteHeight ? f.height : f.signedHeight;
    return f.depth;
}

DibHandle Dib_Create(int32_t width, int32_t height, int32_t depth, uint32_t colours, int exact,
                     const void *paletteOrMasks) {
    struct {
        DibInfoHeader h;
        uint8_t table[256 * 4];
    } packed;
    std::memset(&packed, 0, sizeof packed);
    DibInfoHeader &h = packed.h;
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = uint16_t(depth);
    switch (depth) {
    case 1: case 4: case 8: {
        const uint32_t most = 1u << depth;
        if (colours > most || colours == 0) colours = most;
        if (!exact && colours < most) h.biClrUsed = colours;
        if (paletteOrMasks) std::memcpy(packed.table, paletteOrMasks, colours * 4);
        break;
    }
    case 16: case 32:
        if (paletteOrMasks) {
            h.biCompression = kDibBitFields;
            std::memcpy(packed.table, paletteOrMasks, 12);
        }
        break;
    case 24: break;
    default: return 0;
    }
    if (Dib_RowStride(depth, width) == 0 || height == 0) return 0;
    return Dibcore_CreateDIB(&packed, nullptr);
}

DibHandle Dib_CreateSameFormat(DibHandle handle, int32_t width, int32_t height) {
    DibData *d = Dibcore_DataDIB(handle);
    if (d == nullptr || d->header == nullptr) return 0;
    DibFields f;
    if (Dib_GetHeaderFields(d->header, &f) == 0 || f.kind == kDibKindCore) return 0;
    if (f.compression > kDibBitFields) return 0;
    const uint32_t size = Dib_HeaderAndPaletteSize(d->header);
    if (size == 0 || size > d->headerSize) return 0;
    const uint32_t stride = Dib_RowStride(f.depth, width);
    const int64_t rows = height < 0 ? -int64_t{height} : height;
    if (stride == 0 || rows == 0 || rows >= int64_t(0x7FFFFFFF / stride)) return 0;
    uint8_t *copy = static_cast<uint8_t *>(std::malloc(size));
    if (copy == nullptr) return 0;
    std::memcpy(copy, d->header, size);
    DibInfoHeader h;
    std::memcpy(&h, copy, sizeof h);
    h.biWidth = width;
    h.biHeight = height;
    h.biSizeImage = 0;
    if (h.biCompression == kDibRle8 || h.biCompression == kDibRle4) h.biCompression = kDibRgb;
    std::memcpy(copy, &h, sizeof h);
    const DibHandle result = Dibcore_CreateDIB(copy, nullptr);
    std::free(copy);
    return result;
}

int Dib_PasteRect(DibHandle dst, DibHandle src, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx, int32_t sy) {
    if (!Dibcore_RLEtoDIB(dst) || !Dibcore_RLEtoDIB(src)) return 0;
    DibData *d = Dibcore_DataDIB(dst);
    DibData *s = Dibcore_DataDIB(src);
    if (d == nullptr || s == nullptr) return 0;
    return Dib_CopyRect(d->header, d->bits, x, y, w, h, s->header, s->bits, sx, sy) ? 1 : 0;
}

int Dib_Normalize(DibHandle handle) {
    DibData *d = Dibcore_DataDIB(handle);
    if (d == nullptr) return 0;
    return Dib_NormalizeBits(d->header, d->bits) ? 1 : 0;
}

int Dib_CopyResolution(const void *sourceHeader, DibHandle dst) {
    DibData *d = Dibcore_DataDIB(dst);
    if (d == nullptr || sourceHeader == nullptr) return 0;
    DibInfoHeader s;
    std::memcpy(&s, sourceHeader, sizeof(uint32_t));
    if (s.biSize < 40 || d->header->biSize < 40) return 0;
    std::memcpy(&s, sourceHeader, sizeof s);
    d->header->biXPelsPerMeter = s.biXPelsPerMeter;
    d->header->biYPelsPerMeter = s.biYPelsPerMeter;
    return 1;
}

int Dib_SetResolution(DibHandle handle, int32_t x, int32_t y) {
    DibData *d = Dibcore_DataDIB(handle);
    if (d == nullptr || d->header == nullptr || d->header->biSize < 40) return 0;
    if (x < 0) x = y;
    if (y < 0) y = x;
    if (x < 0) x = y = 0;
    d->header->biXPelsPerMeter = x;
    d->header->biYPelsPerMeter = y;
    return 1;
}

int Dib_FlipRows(DibData *data) {
    if (data == nullptr || data->bits == nullptr) return 0;
    DibFields f;
    if (Dib_GetHeaderFields(data->header, &f) == 0) return 0;
    if (f.compression != kDibRgb && f.compression != kDibBitFields) return 0;
    const uint32_t stride = Dib_RowStride(f.depth, f.width);
    if (stride == 0 || uint64_t(stride) * uint64_t(f.height) > data->bitsSize) return 0;
    uint8_t *temp = static_cast<uint8_t *>(std::malloc(stride));
    if (temp == nullptr) return 0;
    for (int32_t top = 0, bottom = f.height - 1; top < bottom; ++top, --bottom) {
        uint8_t *a = data->bits + uint64_t(top) * stride;
        uint8_t *b = data->bits + uint64_t(bottom) * stride;
        std::memcpy(temp, a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, temp, stride);
    }
    std::free(temp);
    return 1;
}

int SaveBmp_TryRle(DibHandle handle) {
    DibData *d = Dibcore_DataDIB(handle);
    if (d == nullptr) return 0;
    DibFields f;
    if (Dib_GetHeaderFields(d->header, &f) == 0 || f.kind == kDibKindCore) return 0;
    if ((f.depth != 4 && f.depth != 8) || f.compression > kDibRle4) return 0;
    const uint32_t stride = Dib_RowStride(f.depth, f.width);
    const uint64_t plain = uint64_t(stride) * uint64_t(f.height);
    if (stride == 0 || plain > 0xFFFFFFFFu) return 0;
    if (f.compression == kDibRgb && !Dibcore_DIBtoRLE(handle)) return 0;
    d = Dibcore_DataDIB(handle);
    if (d == nullptr) return 0;
    if (d->header->biSizeImage >= plain && !Dibcore_RLEtoDIB(handle)) return 0;
    return 1;
}

int SaveBmp_SetOrientation(int bottomUp, DibHandle handle) {
    DibData *d = Dibcore_DataDIB(handle);
    if (d == nullptr) return 0;
    DibFields f;
    if (Dib_GetHeaderFields(d->header, &f) == 0 || f.kind == kDibKindCore) return 0;
    // RLE data is always stored bottom-up; there is nothing to turn round.
    if (f.compression == kDibRle8 || f.compression == kDibRle4) return 1;
    if (f.compression != kDibRgb && f.compression != kDibBitFields) return 0;
    if ((f.signedHeight > 0) == (bottomUp != 0)) return 1;
    const int32_t saved = d->header->biHeight;
    d->header->biHeight = -saved;
    if (!Dib_FlipRows(d)) {
        d->header->biHeight = saved;
        return 0;
    }
    return 1;
}
