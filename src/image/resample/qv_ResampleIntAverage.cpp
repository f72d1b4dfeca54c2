// Integer block averaging: every destination pixel is the truncated mean of a
// block of floor or ceil(source / destination) pixels per axis, the longer
// blocks spread evenly by an error term.
#include <cstring>

#include "image/resample/qv_ResampleWork.h"

namespace {

// Largest block for which 255 * pixels fits 32 bits.
constexpr uint64_t kIntAverageBlockLimit = 0x01010101;

// Block lengths along one axis (they add up to src).
void RunTable(int32_t src, int32_t dst, int32_t *runs) {
    int64_t e = dst;
    for (int32_t i = 0; i < dst; ++i) {
        int32_t count = 1;
        e += 2 * int64_t{dst} - 2 * int64_t{src};
        while (e <= 0) {
            ++count;
            e += 2 * int64_t{dst};
        }
        runs[i] = count;
    }
}

}  // namespace

int Resample_IntAverage(ResampleRequest *r) {
    if (!Resample_CheckRequest(r)) return 0;
    if (r->dstWidth > r->srcWidth || r->dstHeight > r->srcHeight) return 0;
    if (r->srcWidth == 1 && r->srcHeight == 1) return Resample_FillFromOnePixel(r);
    const int32_t dw = r->dstWidth, dh = r->dstHeight;
    const uint64_t bw = (uint64_t{static_cast<uint32_t>(r->srcWidth)} + dw - 1) / dw;
    const uint64_t bh = (uint64_t{static_cast<uint32_t>(r->srcHeight)} + dh - 1) / dh;
    // Past the limit each row's block sum is divided by its columns before the
    // rows are added, so that no sum passes 32 bits.
    const bool twoStage = bw * bh > kIntAverageBlockLimit;

    ResampleBuffer colRuns, rowRuns, accBuffer;
    if (colRuns.Alloc(4 * (uint64_t{static_cast<uint32_t>(dw)} + 1)) == nullptr ||
        rowRuns.Alloc(4 * (uint64_t{static_cast<uint32_t>(dh)} + 1)) == nullptr ||
        accBuffer.Alloc(12 * uint64_t{static_cast<uint32_t>(dw)}) == nullptr)
        return 0;
    int32_t *cols = colRuns.as<int32_t>();
    int32_t *rows = rowRuns.as<int32_t>();
    RunTable(r->srcWidth, dw, cols);
    RunTable(r->srcHeight, dh, rows);
    uint32_t *acc = accBuffer.as<uint32_t>();

    int64_t srcRow = 0;
    for (int32_t i = 0; i < dh; ++i) {
        std::memset(acc, 0, 12 * static_cast<size_t>(dw));
        for (int32_t k = 0; k < rows[i]; ++k, ++srcRow) {
            const uint8_t *p = Resample_Row(r->srcBits, r->srcStride, srcRow);
            uint32_t *a = acc;
            for (int32_t d = 0; d < dw; ++d, a += 3) {
                uint32_t b = 0, g = 0, red = 0;
                for (int32_t c = 0; c < cols[d]; ++c, p += 3) {
                    b += p[0];
                    g += p[1];
                    red += p[2];
                }
                if (twoStage) {
                    b /= static_cast<uint32_t>(cols[d]);
                    g /= static_cast<uint32_t>(cols[d]);
                    red /= static_cast<uint32_t>(cols[d]);
                }
                a[0] += b;
                a[1] += g;
                a[2] += red;
            }
        }
        uint8_t *out = Resample_Row(r->dstBits, r->dstStride, i);
        const uint32_t *a = acc;
        for (int32_t d = 0; d < dw; ++d, a += 3, out += 3) {
            const uint32_t n = twoStage ? static_cast<uint32_t>(rows[i])
                                        : static_cast<uint32_t>(rows[i]) * static_cast<uint32_t>(cols[d]);
            out[0] = static_cast<uint8_t>(a[0] / n);
            out[1] = static_cast<uint8_t>(a[1] / n);
            out[2] = static_cast<uint8_t>(a[2] / n);
        }
    }
    return 1;
}

int Resample_IntAverageHalf(ResampleRequest *r) {
    if (!Resample_CheckRequest(r)) return 0;
    if ((int64_t{r->srcWidth} + 1) / 2 >= r->dstWidth && (int64_t{r->srcHeight} + 1) / 2 >= r->dstHeight)
        return Resample_IntAverage(r);
    return Resample_Linear(r);
}
