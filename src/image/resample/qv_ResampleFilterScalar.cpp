// The two passes of the separable filter in plain C++: the reference that
// every vector path must match byte for byte. Sums are weight x byte in
// signed 32 bits (the weight builder guarantees they cannot overflow).
#include <cstring>

#include "image/resample/qv_ResampleWork.h"

int Filter_ApplyRows(const ResampleRequest *pass, const ResampleWeights *weights) {
    const int32_t taps = weights->taps;
    for (int32_t y = 0; y < pass->dstHeight; ++y) {
        const uint8_t *in = Resample_Row(pass->srcBits, pass->srcStride, y);
        uint8_t *out = Resample_Row(pass->dstBits, pass->dstStride, y);
        const int32_t *w = weights->Weights();
        const int32_t *o = weights->Offsets();
        for (int32_t x = 0; x < pass->dstWidth; ++x, out += 3, w += taps, o += taps) {
            int32_t b = 0, g = 0, r = 0;
            for (int32_t k = 0; k < taps; ++k) {
                const uint8_t *p = in + o[k];
                b += w[k] * p[0];
                g += w[k] * p[1];
                r += w[k] * p[2];
            }
            out[0] = Filter_Byte(b);
            out[1] = Filter_Byte(g);
            out[2] = Filter_Byte(r);
        }
    }
    return 1;
}

int Filter_ApplyColumns(const ResampleWeights *weights, const ResampleRequest *pass) {
    const size_t values = 3 * static_cast<size_t>(pass->dstWidth);
    ResampleBuffer accBuffer;
    if (accBuffer.Alloc(4 * uint64_t{values}) == nullptr) return 0;
    int32_t *acc = accBuffer.as<int32_t>();
    const int32_t taps = weights->taps;
    for (int32_t y = 0; y < pass->dstHeight; ++y) {
        std::memset(acc, 0, values * 4);
        const int32_t *w = weights->Weights() + static_cast<size_t>(y) * taps;
        const int32_t *o = weights->Offsets() + static_cast<size_t>(y) * taps;
        for (int32_t k = 0; k < taps; ++k) {
            const uint8_t *in = Resample_Row(pass->srcBits, pass->srcStride, o[k]);
            const int32_t wk = w[k];
            for (size_t i = 0; i < values; ++i) acc[i] += wk * in[i];
        }
        uint8_t *out = Resample_Row(pass->dstBits, pass->dstStride, y);
        for (size_t i = 0; i < values; ++i) out[i] = Filter_Byte(acc[i]);
    }
    return 1;
}
