// Driver of the separable filter: one pass along the rows and one along the
// columns, in the order that keeps the intermediate picture small.
#include <cstring>

#include "image/resample/qv_ResampleWork.h"

namespace {

using ApplyRowsFn = int (*)(const ResampleRequest *, const ResampleWeights *);
using ApplyColumnsFn = int (*)(const ResampleWeights *, const ResampleRequest *);

ApplyRowsFn RowsFor(ResampleSimd level) {
    switch (level) {
        case ResampleSimd::Avx2: return Filter_ApplyRowsAvx2;
        case ResampleSimd::Sse2: return Filter_ApplyRowsSse2;
        case ResampleSimd::Scalar: break;
    }
    return Filter_ApplyRows;
}

ApplyColumnsFn ColumnsFor(ResampleSimd level) {
    switch (level) {
        case ResampleSimd::Avx2: return Filter_ApplyColumnsAvx2;
        case ResampleSimd::Sse2: return Filter_ApplyColumnsSse2;
        case ResampleSimd::Scalar: break;
    }
    return Filter_ApplyColumns;
}

// One pass along one axis; the other axis of `pass` is unchanged.
// 1 done, 0 failed.
int RunPass(ResampleRequest *pass, bool horizontal, ResampleWeightsBuilder enlarge, ResampleWeightsBuilder reduce) {
    const int32_t src = horizontal ? pass->srcWidth : pass->srcHeight;
    const int32_t dst = horizontal ? pass->dstWidth : pass->dstHeight;
    if (src == dst) return 1;
    ResampleWeights weights;
    int built = 0;
    if (src < dst)
        built = enlarge(pass, &weights, horizontal ? 1 : 0);
    else if (dst >= src / 100)
        built = reduce(pass, &weights, horizontal ? 1 : 0);
    // Past a hundredth the widened kernel would need more than 100 x taps per
    // pixel; averaging does that pass instead.
    if (!built) return pass->fallback == 1 ? Resample_PassFallback(pass) : 0;
    const ResampleSimd level = Resample_GetSimd();
    return horizontal ? RowsFor(level)(pass, &weights) : ColumnsFor(level)(&weights, pass);
}

int CopyRows(const ResampleRequest *r) {
    for (int32_t y = 0; y < r->dstHeight; ++y)
        std::memcpy(Resample_Row(r->dstBits, r->dstStride, y), Resample_Row(r->srcBits, r->srcStride, y),
                    3 * static_cast<size_t>(r->dstWidth));
    return 1;
}

}  // namespace

uint32_t Filter_PassCost(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return 0;
    const uint64_t accumulator = 12 * uint64_t{static_cast<uint32_t>(width)};
    if (accumulator > UINT32_MAX) return 0;
    const uint64_t total = accumulator + Resample_Stride24(width) * static_cast<uint32_t>(height);
    return total > 0x7FFFFFFF ? 0 : static_cast<uint32_t>(total);
}

int Resample_PassFallback(ResampleRequest *r) {
    if (r->dstWidth > r->srcWidth || r->dstHeight > r->srcHeight) return Resample_Linear(r);
    return Resample_AreaAverage(r);
}

int Resample_Separable(ResampleRequest *request, ResampleWeightsBuilder enlarge, ResampleWeightsBuilder reduce) {
    if (!Resample_CheckRequest(request) || enlarge == nullptr || reduce == nullptr) return 0;
    ResampleRequest r = *request;
    if (r.srcWidth == 1 && r.srcHeight == 1) return Resample_FillFromOnePixel(&r);
    const bool widthChanges = r.dstWidth != r.srcWidth, heightChanges = r.dstHeight != r.srcHeight;
    if (!widthChanges && !heightChanges) return CopyRows(&r);
    if (r.dstWidth < r.srcWidth / 100 && r.dstHeight < r.srcHeight / 100)
        return r.fallback == 1 ? Resample_PassFallback(&r) : 0;
    if (!widthChanges || !heightChanges) return RunPass(&r, widthChanges, enlarge, reduce);

    uint32_t costRows = Filter_PassCost(r.dstWidth, r.srcHeight);
    uint32_t costColumns = Filter_PassCost(r.srcWidth, r.dstHeight);
    if (costRows == 0 && costColumns == 0) return r.fallback == 1 ? Resample_PassFallback(&r) : 0;
    if (costRows == 0) costRows = UINT32_MAX;
    if (costColumns == 0) costColumns = UINT32_MAX;
    const bool rowsFirst = !(costColumns < costRows);

    // First pass into the intermediate: the pass's destination size on its
    // axis, the source size on the other.
    const int32_t midWidth = rowsFirst ? r.dstWidth : r.srcWidth;
    const int32_t midHeight = rowsFirst ? r.srcHeight : r.dstHeight;
    const uint64_t midStride = Resample_Stride24(midWidth);
    ResampleBuffer intermediate;
    if (midStride > INT32_MAX || intermediate.Alloc(midStride * static_cast<uint32_t>(midHeight)) == nullptr)
        return r.fallback == 1 ? Resample_PassFallback(&r) : 0;
    ResampleRequest first = r;
    first.dstBits = intermediate.data();
    first.dstWidth = midWidth;
    first.dstHeight = midHeight;
    first.dstStride = static_cast<int32_t>(midStride);
    if (!RunPass(&first, rowsFirst, enlarge, reduce)) return 0;

    ResampleRequest second = r;
    second.srcBits = intermediate.data();
    second.srcWidth = midWidth;
    second.srcHeight = midHeight;
    second.srcStride = static_cast<int32_t>(midStride);
    return RunPass(&second, !rowsFirst, enlarge, reduce);
}
