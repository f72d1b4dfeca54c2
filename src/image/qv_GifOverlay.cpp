#include "image/qv_GifOverlay.h"

#include <cstring>

#include "image/qv_DibApi.h"
#include "image/qv_DibCore.h"
#include "image/qv_DibOps.h"

int GifFrame_Overlay(int32_t left, int32_t top, DibHandle frame, uint32_t transparent, DibHandle canvas) {
    DibData *c = Dibcore_DataDIB(canvas);
    if (c == nullptr) return 0;
    if ((c->header->biBitCount != 24 || c->header->biCompression != kDibRgb) && !Dibcore_DIBto24Bit(canvas)) return 0;
    if (!Dibcore_RLEtoDIB(frame)) return 0;
    int32_t cw = 0, ch = 0, fw = 0, fh = 0;
    DibData *f = nullptr;
    if (Dib_GetInfo(canvas, &cw, &c, &ch, 1) != 24) return 0;
    const int32_t depth = Dib_GetInfo(frame, &fw, &f, &fh, 1);
    if (depth != 1 && depth != 4 && depth != 8) return 0;
    const uint8_t *table = nullptr;
    uint32_t count = 0;
    if (Dib_GetColorTable(f->header, f->headerSize, &table, nullptr, &count) == 0) return 0;
    const uint32_t entryBytes = f->header->biSize == 12 ? 3 : 4;
    // A full table of 256 entries; the ones the file lacks are black.
    uint8_t bgr[256][3] = {};
    for (uint32_t i = 0; i < count && i < 256; ++i) std::memcpy(bgr[i], table + i * entryBytes, 3);
    const bool hasTransparent = transparent < (1u << depth);

    int64_t x0 = left, y0 = top, sx = 0, sy = 0, w = fw, h = fh;
    if (x0 < 0) { sx = -x0; w += x0; x0 = 0; }
    if (y0 < 0) { sy = -y0; h += y0; y0 = 0; }
    if (w > cw - x0) w = cw - x0;
    if (h > ch - y0) h = ch - y0;
    if (w <= 0 || h <= 0) return 1;
    const uint32_t cStride = Dib_RowStride(24, cw), fStride = Dib_RowStride(depth, fw);
    for (int64_t r = 0; r < h; ++r) {
        const uint8_t *src = Dib_RowFromTop(f->bits, fStride, f->header->biHeight, int32_t(sy + r));
        uint8_t *dst = Dib_RowFromTop(c->bits, cStride, c->header->biHeight, int32_t(y0 + r)) + x0 * 3;
        for (int64_t i = 0; i < w; ++i) {
            const int64_t x = sx + i;
            uint32_t index;
            if (depth == 8) index = src[x];
            else if (depth == 4) index = (x & 1) ? src[x >> 1] & 0xF : src[x >> 1] >> 4;
            else index = (src[x >> 3] >> (7 - (x & 7))) & 1;
            if (hasTransparent && index == transparent) continue;
            std::memcpy(dst + i * 3, bgr[index], 3);
        }
    }
    return 1;
}
