#include "image/qv_Canvas.h"

#include <algorithm>

#include "image/qv_DibApi.h"
#include "image/qv_DibOps.h"
#include "image/qv_PixelValue.h"
#include "image/resample/qv_ResampleDib.h"

namespace {

// New sides in 64 bits: margins near the 32-bit limits must not wrap.
bool NewSizeAllowed(int32_t depth, int64_t w, int64_t h) {
    if (w < 1 || h < 1 || w > kResampleMaxSide || h > kResampleMaxSide) return false;
    const uint64_t stride = Dib_RowStride(depth, w);
    return stride != 0 && stride * uint64_t(h) <= kResampleMaxBits;
}

}  // namespace

DibHandle Canvas_Resize(int32_t left, DibHandle picture, int32_t top, int32_t right, int32_t bottom, uint32_t colour) {
    if (!Dibcore_RLEtoDIB(picture)) return 0;
    int32_t width = 0, height = 0, signedHeight = 0;
    const int32_t depth = Dib_GetInfo(picture, &width, nullptr, &signedHeight, 0);
    if (depth == 0) return 0;
    height = signedHeight < 0 ? -signedHeight : signedHeight;
    // A side may not remove the whole width or height.
    if (int64_t{left} <= -int64_t{width} || int64_t{right} <= -int64_t{width} ||
        int64_t{top} <= -int64_t{height} || int64_t{bottom} <= -int64_t{height})
        return 0;
    const int64_t W = int64_t{width} + left + right, H = int64_t{height} + top + bottom;
    if (!NewSizeAllowed(depth, W, H)) return 0;

    // The surviving part; its sides are at least 1 whenever W and H are.
    const int32_t copyW = int32_t(int64_t{width} + std::min(0, left) + std::min(0, right));
    const int32_t copyH = int32_t(int64_t{height} + std::min(0, top) + std::min(0, bottom));
    const int32_t dx = std::max(0, left), dy = std::max(0, top);
    const DibHandle result = Dib_CreateSameFormat(picture, int32_t(W), signedHeight < 0 ? -int32_t(H) : int32_t(H));
    if (result == 0) return 0;
    if (!Dib_PasteRect(result, picture, dx, dy, copyW, copyH, std::max(0, -left), std::max(0, -top))) {
        Dibcore_DeleteDIB(result);
        return 0;
    }
    if (left <= 0 && top <= 0 && right <= 0 && bottom <= 0) return result;

    const DibData *d = Dibcore_DataDIB(result);
    if (d == nullptr || d->header == nullptr) {
        Dibcore_DeleteDIB(result);
        return 0;
    }
    const uint32_t value = Dib_ColourToPixel(d->header, d->headerSize, colour);
    // Only sides that grow have a strip; a cropped side has none to fill.
    const int32_t w = int32_t(W), h = int32_t(H);
    const struct {
        bool grows;
        SelRect strip;
    } strips[] = {
        {left > 0, {0, 0, left, h}},
        {top > 0, {dx, 0, dx + copyW, top}},
        {right > 0, {dx + copyW, 0, w, h}},
        {bottom > 0, {dx, dy + copyH, dx + copyW, h}},
    };
    for (const auto &s : strips)
        if (s.grows && !Dib_FillRect(result, &s.strip, value)) {
            Dibcore_DeleteDIB(result);
            return 0;
        }
    return result;
}
