#include "image/qv_DibScale.h"

#include <cstring>

#include "image/qv_DibCore.h"
#include "image/qv_Transp.h"

bool Dib_ScaleNearest(const void *dstHeader, uint8_t *dstBits, const DibData &src, int32_t sx, int32_t sy,
                      int32_t sw, int32_t sh) {
    DibFields d, s;
    if (Dib_GetHeaderFields(dstHeader, &d) == 0 || Dib_GetHeaderFields(src.header, &s) == 0) return false;
    if (sw <= 0 || sh <= 0 || sx < 0 || sy < 0 || sx + int64_t(sw) > s.width || sy + int64_t(sh) > s.height) return false;
    if (s.compression != kDibRgb && s.compression != kDibBitFields) return false;
    const bool sameDepth = d.depth == s.depth;
    if (!sameDepth && d.depth != 24) return false;
    const uint32_t dStride = Dib_RowStride(d.depth, d.width), sStride = Dib_RowStride(s.depth, s.width);
    for (int32_t y = 0; y < d.height; ++y) {
        const int32_t srcY = sy + int32_t(int64_t(y) * sh / d.height);
        uint8_t *drow = Dib_RowFromTop(dstBits, dStride, d.signedHeight, y);
        const uint8_t *srow = Dib_RowFromTop(src.bits, sStride, s.signedHeight, srcY);
        for (int32_t x = 0; x < d.width; ++x) {
            const int32_t srcX = sx + int32_t(int64_t(x) * sw / d.width);
            if (!sameDepth) {
                const uint32_t c = Dib_ReadPixelColour(&src, srcX, srcY);
                drow[x * 3] = uint8_t(c >> 16);
                drow[x * 3 + 1] = uint8_t(c >> 8);
                drow[x * 3 + 2] = uint8_t(c);
            } else if (d.depth >= 8) {
                std::memcpy(drow + x * (d.depth / 8), srow + int64_t(srcX) * (d.depth / 8), size_t(d.depth / 8));
            } else {
                const int per = 8 / d.depth;
                const uint32_t mask = (1u << d.depth) - 1;
                const int sshift = 8 - d.depth * (srcX % per + 1), dshift = 8 - d.depth * (x % per + 1);
                const uint32_t v = (srow[srcX / per] >> sshift) & mask;
                drow[x / per] = uint8_t((drow[x / per] & ~(mask << dshift)) | (v << dshift));
            }
        }
    }
    return true;
}
