#include "image/qv_ResizeHandle.h"

#include <cstdlib>
#include <cstring>

#include "image/qv_DibApi.h"
#include "image/resample/qv_Resample.h"
#include "image/resample/qv_ResampleDib.h"

namespace {

// The picture's memory as the resampler reads it; RLE is undone first.
bool ViewOf(DibHandle picture, DibView *view) {
    if (picture == 0 || !Dibcore_RLEtoDIB(picture)) return false;
    const DibData *d = Dibcore_DataDIB(picture);
    if (d == nullptr || d->header == nullptr || d->bits == nullptr) return false;
    *view = DibView{d->header, d->headerSize, d->bits, d->bitsSize};
    return true;
}

// A library picture holding a copy of the result; the result is freed.
DibHandle ToHandle(ResampledDib *result) {
    const DibHandle h = Dibcore_CreateDIB(result->header, result->bits);
    ResampledDib_Free(result);
    return h;
}

}  // namespace

DibHandle Resize_Filtered(DibHandle picture, int32_t newWidth, int32_t newHeight, int32_t reduceCode,
                          int32_t enlargeCode) {
    DibView view;
    if (!ViewOf(picture, &view)) return 0;
    ResampledDib result;
    if (!Resize_Filtered(&view, newWidth, newHeight, reduceCode, enlargeCode, &result)) return 0;
    return ToHandle(&result);
}

DibHandle Resize_Simple(DibHandle picture, int32_t newWidth, int32_t newHeight) {
    DibView view;
    if (!ViewOf(picture, &view)) return 0;
    int32_t w = newWidth, h = newHeight;
    const int32_t srcW = view.header->biWidth;
    const int32_t srcH = view.header->biHeight < 0 ? -view.header->biHeight : view.header->biHeight;
    if (!Resample_ResolveSize(srcW, srcH, &w, &h)) return 0;
    if (w == srcW && h == srcH) return Dibcore_CopyDIB(picture);
    ResampledDib result;
    if (!Resize_Simple(&view, w, h, &result)) return 0;
    return ToHandle(&result);
}

int DibHolder_CreateResized(const DibHolder &source, DibHolder &target, int32_t newWidth, int32_t newHeight,
                            int32_t reduceCode, int32_t enlargeCode) {
    if (!target.empty() || source.empty()) return 0;
    const DibHandle fresh = Resize_Filtered(source.handle, newWidth, newHeight, reduceCode, enlargeCode);
    if (fresh == 0) return 0;
    if (!DibHolder_Attach(target, fresh)) {
        Dibcore_DeleteDIB(fresh);
        return 0;
    }
    return 1;
}

int Resample_Sharpen3x3(DibHandle picture, const int32_t kernel[9]) {
    if (picture == 0 || kernel == nullptr || !Dibcore_DIBto24Bit(picture)) return 0;
    DibData *d = Dibcore_DataDIB(picture);
    if (d == nullptr || d->header == nullptr || d->bits == nullptr) return 0;
    const DibInfoHeader &h = *d->header;
    const int32_t width = h.biWidth, height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const uint64_t stride = ((uint64_t(width) * 24 + 31) / 32) * 4;
    const uint64_t bytes = stride * uint64_t(height);
    if (width <= 0 || height <= 0 || bytes > d->bitsSize) return 0;
    // The convolution reads the neighbours of every pixel: work from a copy.
    auto *copy = static_cast<uint8_t *>(std::malloc(bytes));
    if (copy == nullptr) return 0;
    std::memcpy(copy, d->bits, bytes);
    // Rows bottom-up as the kernel expects; a top-down picture is walked
    // from its last row with a negative stride.
    const int64_t s = int64_t(stride);
    const uint8_t *src = h.biHeight < 0 ? copy + (height - 1) * s : copy;
    uint8_t *dst = h.biHeight < 0 ? d->bits + (height - 1) * s : d->bits;
    const int32_t step = int32_t(h.biHeight < 0 ? -s : s);
    const int ok = Resample_Sharpen3x3Bits(src, step, dst, step, width, height, kernel);
    std::free(copy);
    return ok;
}
