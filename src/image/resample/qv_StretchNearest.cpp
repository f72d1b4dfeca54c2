// Nearest-neighbour stretch that keeps the depth. Reductions are corner
// aligned with rounding (destination i takes round(i * (S - 1) / (D - 1)));
// enlargements spread the repeats by an error term starting at D - S / 2.
#include <cstring>

#include "image/resample/qv_ResampleWork.h"

namespace {

// Source index of every destination index along one axis.
bool NearestAxis(int64_t src, int64_t dst, int32_t *map) {
    int64_t s = 0;
    map[0] = 0;
    if (dst < src) {
        if (src - 1 > 0x3FFFFFFF) return false;
        int64_t error = dst - 1;
        for (int64_t i = 1; i < dst; ++i) {
            ++s;
            error -= 2 * (src - dst);
            while (error <= 0) {
                error += 2 * (dst - 1);
                ++s;
            }
            map[i] = static_cast<int32_t>(s);
        }
        return true;
    }
    int64_t error = dst - src / 2;
    for (int64_t i = 1; i < dst; ++i) {
        error -= src;
        if (error <= 0) {
            error += dst;
            if (s < src - 1) ++s;
        }
        map[i] = static_cast<int32_t>(s);
    }
    return true;
}

void StretchRow(const uint8_t *in, const int32_t *map, int32_t width, int32_t first, int32_t bpp, uint8_t *out) {
    switch (bpp) {
        case 1: {
            // Eight destination pixels per byte, bit 7 first; a partial last
            // byte repeats the last pixel into its unused bits.
            for (int32_t i = 0; i < width; i += 8) {
                uint32_t byte = 0;
                for (int32_t k = 0; k < 8; ++k) {
                    const int64_t x = int64_t{first} + map[i + k < width ? i + k : width - 1];
                    byte |= ((in[x >> 3] >> (7 - (x & 7))) & 1u) << (7 - k);
                }
                out[i >> 3] = static_cast<uint8_t>(byte);
            }
            return;
        }
        case 4:
            for (int32_t i = 0; i < width; i += 2) {
                uint32_t byte = 0;
                for (int32_t k = 0; k < 2; ++k) {
                    const int64_t x = int64_t{first} + map[i + k < width ? i + k : width - 1];
                    const uint32_t v = (x & 1) ? (in[x >> 1] & 0x0F) : (in[x >> 1] >> 4);
                    byte |= v << (4 - 4 * k);
                }
                out[i >> 1] = static_cast<uint8_t>(byte);
            }
            return;
        default: {
            const size_t n = static_cast<size_t>(bpp / 8);
            const uint8_t *base = in + static_cast<size_t>(first) * n;
            if (n == 3) {
                for (int32_t i = 0; i < width; ++i, out += 3) {
                    const uint8_t *p = base + 3 * static_cast<size_t>(map[i]);
                    out[0] = p[0];
                    out[1] = p[1];
                    out[2] = p[2];
                }
                return;
            }
            for (int32_t i = 0; i < width; ++i, out += n) std::memcpy(out, base + n * static_cast<size_t>(map[i]), n);
            return;
        }
    }
}

}  // namespace

int Stretch_Nearest(const uint8_t *srcBits, int32_t srcStride, int32_t firstColumn, int32_t srcWidth, int32_t srcHeight,
                    int32_t bitsPerPixel, uint8_t *dstBits, int32_t dstStride, int32_t dstWidth, int32_t dstHeight) {
    if (dstBits == nullptr || firstColumn < 0 ||
        !Resample_CheckArgs(dstWidth, dstHeight, dstStride, srcBits, srcWidth, srcHeight, srcStride))
        return 0;
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 &&
        bitsPerPixel != 32)
        return 0;
    ResampleBuffer xBuffer, yBuffer;
    if (xBuffer.Alloc(4 * (uint64_t{static_cast<uint32_t>(dstWidth)} + 8)) == nullptr ||
        yBuffer.Alloc(4 * uint64_t{static_cast<uint32_t>(dstHeight)}) == nullptr)
        return 0;
    int32_t *xmap = xBuffer.as<int32_t>(), *ymap = yBuffer.as<int32_t>();
    if (!NearestAxis(srcWidth, dstWidth, xmap) || !NearestAxis(srcHeight, dstHeight, ymap)) return 0;
    const uint64_t rowBytes = (uint64_t{static_cast<uint32_t>(dstWidth)} * static_cast<uint32_t>(bitsPerPixel) + 7) / 8;
    for (int32_t y = 0; y < dstHeight; ++y) {
        uint8_t *out = Resample_Row(dstBits, dstStride, y);
        if (y > 0 && ymap[y] == ymap[y - 1])
            std::memcpy(out, Resample_Row(dstBits, dstStride, y - 1), static_cast<size_t>(rowBytes));
        else
            StretchRow(Resample_Row(srcBits, srcStride, ymap[y]), xmap, dstWidth, firstColumn, bitsPerPixel, out);
    }
    return 1;
}
