// What the pixel-operation benchmarks (tone tables, hue and saturation,
// Gaussian filter) share: a generated 4700 x 3130 (14.7-megapixel)
// photo-like picture, the program's image library bound straight to the
// core so the operations make their own calls without a DLL, and the edit
// threads for a span of rows.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "core_binding.h"
#include "handles.h"
#include "image/qv_DibApi.h"
#include "photo_rgb.h"
#include "picture.h"
#include "rle.h"
#include "storage.h"
#include "transform.h"

namespace pixelbench {

using namespace dibcore;

constexpr int32_t kWidth = 4700;
constexpr int32_t kHeight = 3130;

// The photo as packed R, G, B rows from the top.
inline const std::vector<uint8_t> &PhotoRgb() {
    static const std::vector<uint8_t> rgb = MakePhotoRgb(kWidth, kHeight);
    return rgb;
}

// The photo as the program holds it: 24 bits, bottom-up B, G, R rows.
inline Picture *OurPicture() {
    const std::vector<uint8_t> &rgb = PhotoRgb();
    Picture *p = NewSimplePicture(kWidth, kHeight, 24, 0, nullptr);
    if (p == nullptr) return nullptr;
    for (int32_t y = 0; y < kHeight; ++y) {
        const uint8_t *in = rgb.data() + size_t(y) * kWidth * 3;
        uint8_t *out = RowFromTop(*p, y);
        for (int32_t x = 0; x < kWidth; ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return p;
}

inline int64_t PictureBytes() { return int64_t(RowStride(kWidth, 24)) * kHeight; }

// Puts the first pixels back into a picture an operation changed in place.
inline void Restore(DibHandle h, const Picture &pristine) {
    Picture *p = Handles_Get(h);
    if (p != nullptr && p->data.bitsSize == pristine.data.bitsSize)
        std::memcpy(p->data.bits, pristine.data.bits, pristine.data.bitsSize);
}


}  // namespace pixelbench
