// Corner-aligned linear interpolation: destination i samples source position
// i * (S - 1) / (D - 1), so the first and last pixels are taken whole.
#include <cstring>

#include "image/resample/qv_ResampleWork.h"

namespace {

// Source index and 16-bit fraction (0..65536) of every destination index.
// Positions are kept in 64 bits: (S - 1) << 16 passes 32 bits for a side of
// 65535.
bool LinearAxis(int32_t src, int32_t dst, int32_t *index, uint32_t *frac) {
    if (dst == 1 || src == 1) {
        for (int32_t i = 0; i < dst; ++i) {
            index[i] = 0;
            frac[i] = 0;
        }
        return true;
    }
    const int64_t span = int64_t{src - 1} << 16;
    const int64_t step = span / (dst - 1);
    if (step > INT64_C(0xFFFFFFFF)) return false;
    const int64_t rest = span - step * (dst - 1);
    // The truncated rest of the step is spread by an error term, so the last
    // destination pixel lands exactly on the last source pixel.
    int64_t error = (dst - 1) - rest / 2;
    int64_t pos = 0;
    for (int32_t i = 0; i < dst; ++i) {
        int64_t x = pos >> 16;
        uint32_t f = static_cast<uint32_t>(pos & 0xFFFF);
        if (x > src - 2) {
            x = src - 2;
            f = 65536;
        }
        index[i] = static_cast<int32_t>(x);
        frac[i] = f;
        pos += step;
        error -= rest;
        if (error <= 0) {
            error += dst - 1;
            pos += 1;
        }
    }
    return true;
}

// One row across with 16-bit fractions, truncated.
void LinearRow(const uint8_t *in, const int32_t *index, const uint32_t *frac, int32_t width, uint8_t *out) {
    for (int32_t i = 0; i < width; ++i, out += 3) {
        const uint8_t *p = in + 3 * static_cast<size_t>(index[i]);
        const uint32_t f = frac[i], g = 65536 - f;
        out[0] = static_cast<uint8_t>((p[0] * g + p[3] * f) >> 16);
        out[1] = static_cast<uint8_t>((p[1] * g + p[4] * f) >> 16);
        out[2] = static_cast<uint8_t>((p[2] * g + p[5] * f) >> 16);
    }
}

// Reduction in height: each destination pixel straight from its four
// neighbours with 12-bit fractions. The weights add up to 2^24, so the sum
// reaches 255 * 2^24, which needs all 32 unsigned bits.
void LinearFourNeighbours(const ResampleRequest *r, const int32_t *xi, const uint32_t *xf, const int32_t *yi,
                          const uint32_t *yf) {
    for (int32_t y = 0; y < r->dstHeight; ++y) {
        const uint8_t *row0 = Resample_Row(r->srcBits, r->srcStride, yi[y]);
        const uint8_t *row1 = Resample_Row(r->srcBits, r->srcStride, yi[y] + 1);
        const uint32_t fy = yf[y] >> 4, gy = 4096 - fy;
        uint8_t *out = Resample_Row(r->dstBits, r->dstStride, y);
        for (int32_t x = 0; x < r->dstWidth; ++x, out += 3) {
            const size_t o = 3 * static_cast<size_t>(xi[x]);
            const uint32_t fx = xf[x] >> 4, gx = 4096 - fx;
            const uint32_t w00 = gx * gy, w01 = fx * gy, w10 = gx * fy, w11 = fx * fy;
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<uint8_t>(
                    (row0[o + c] * w00 + row0[o + 3 + c] * w01 + row1[o + c] * w10 + row1[o + 3 + c] * w11) >> 24);
        }
    }
}

}  // namespace

void Linear_BlendRowScalar(const uint8_t *a, const uint8_t *b, uint32_t f, uint8_t *out, int64_t bytes) {
    const uint32_t g = 65536 - f;
    for (int64_t k = 0; k < bytes; ++k) out[k] = static_cast<uint8_t>((a[k] * g + b[k] * f) >> 16);
}

int Resample_Linear(ResampleRequest *r) {
    if (!Resample_CheckRequest(r)) return 0;
    const int32_t sw = r->srcWidth, sh = r->srcHeight, dw = r->dstWidth, dh = r->dstHeight;
    if (sw == 1 && sh == 1) return Resample_FillFromOnePixel(r);

    ResampleBuffer xIndex, xFrac, yIndex, yFrac;
    if (xIndex.Alloc(4 * uint64_t{static_cast<uint32_t>(dw)}) == nullptr ||
        xFrac.Alloc(4 * uint64_t{static_cast<uint32_t>(dw)}) == nullptr ||
        yIndex.Alloc(4 * uint64_t{static_cast<uint32_t>(dh)}) == nullptr ||
        yFrac.Alloc(4 * uint64_t{static_cast<uint32_t>(dh)}) == nullptr)
        return 0;
    int32_t *xi = xIndex.as<int32_t>(), *yi = yIndex.as<int32_t>();
    uint32_t *xf = xFrac.as<uint32_t>(), *yf = yFrac.as<uint32_t>();
    if (!LinearAxis(sw, dw, xi, xf) || !LinearAxis(sh, dh, yi, yf)) return 0;
    const size_t rowBytes = 3 * static_cast<size_t>(dw);

    if (sw == 1) {
        // One column: interpolate it down, then spread each value across.
        for (int32_t y = 0; y < dh; ++y) {
            uint8_t px[3];
            const uint8_t *a = Resample_Row(r->srcBits, r->srcStride, yi[y]);
            if (sh == 1) {
                std::memcpy(px, a, 3);
            } else {
                const uint8_t *b = Resample_Row(r->srcBits, r->srcStride, yi[y] + 1);
                Linear_BlendRowScalar(a, b, yf[y], px, 3);
            }
            Resample_FillColour(Resample_Row(r->dstBits, r->dstStride, y), dw, 1, r->dstStride,
                                uint32_t{px[0]} | uint32_t{px[1]} << 8 | uint32_t{px[2]} << 16);
        }
        return 1;
    }
    if (sh == 1) {
        LinearRow(r->srcBits, xi, xf, dw, r->dstBits);
        for (int32_t y = 1; y < dh; ++y) std::memcpy(Resample_Row(r->dstBits, r->dstStride, y), r->dstBits, rowBytes);
        return 1;
    }
    if (dh < sh) {
        LinearFourNeighbours(r, xi, xf, yi, yf);
        return 1;
    }
    // Rows across first, each into the destination row of the same index;
    // then down in place from the last row up: a destination row never lies
    // above the rows it reads, so nothing is overwritten before it is read.
    for (int32_t y = 0; y < sh; ++y) {
        const uint8_t *in = Resample_Row(r->srcBits, r->srcStride, y);
        uint8_t *out = Resample_Row(r->dstBits, r->dstStride, y);
        if (dw == sw)
            std::memcpy(out, in, rowBytes);
        else
            LinearRow(in, xi, xf, dw, out);
    }
    if (dh != sh) {
        for (int32_t y = dh - 1; y >= 0; --y) {
            const uint8_t *a = Resample_Row(r->dstBits, r->dstStride, yi[y]);
            const uint8_t *b = Resample_Row(r->dstBits, r->dstStride, yi[y] + 1);
            Linear_BlendRow(a, b, yf[y], Resample_Row(r->dstBits, r->dstStride, y), static_cast<int64_t>(rowBytes));
        }
    }
    return 1;
}
