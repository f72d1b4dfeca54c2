// 3 x 3 sharpening after a resize, over 24-bit pixels with the edges clamped.
#include "image/resample/qv_ResampleWork.h"

const int32_t kResampleSharpenKernel[9] = {-1, -1, -1, -1, 48, -1, -1, -1, -1};

int Resample_Sharpen3x3Bits(const uint8_t *srcBits, int32_t srcStride, uint8_t *dstBits, int32_t dstStride,
                            int32_t width, int32_t height, const int32_t kernel[9]) {
    if (srcBits == nullptr || dstBits == nullptr || kernel == nullptr || width <= 0 || height <= 0 || srcStride == 0 ||
        dstStride == 0)
        return 0;
    for (int32_t y = 0; y < height; ++y) {
        // Row 0 is the bottom row, so the kernel's top row meets row y + 1.
        const uint8_t *rows[3] = {Resample_Row(srcBits, srcStride, y + 1 < height ? y + 1 : height - 1),
                                  Resample_Row(srcBits, srcStride, y),
                                  Resample_Row(srcBits, srcStride, y > 0 ? y - 1 : 0)};
        uint8_t *out = Resample_Row(dstBits, dstStride, y);
        for (int32_t x = 0; x < width; ++x) {
            const int64_t cols[3] = {3 * int64_t{x > 0 ? x - 1 : 0}, 3 * int64_t{x},
                                     3 * int64_t{x + 1 < width ? x + 1 : width - 1}};
            for (int c = 0; c < 3; ++c) {
                int32_t s = 0;
                for (int i = 0; i < 3; ++i)
                    for (int j = 0; j < 3; ++j) s += kernel[3 * i + j] * rows[i][cols[j] + c];
                out[3 * x + c] = s <= 0 ? 0 : s > 10179 ? 255 : static_cast<uint8_t>((s + 20) / 40);
            }
        }
    }
    return 1;
}
