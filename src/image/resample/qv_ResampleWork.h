// Shared pieces of the resampling methods: work buffers, row addressing and
// the weight tables of the separable filter. Internal to src/image/resample.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/resample/qv_Resample.h"

// Largest work buffer; sizes are computed in 64 bits and refused above this.
constexpr uint64_t kResampleMaxBuffer = 0x7FFFFF00u;

// One heap block owned for the life of a method call; released on every path.
class ResampleBuffer {
public:
    ResampleBuffer() = default;
    ~ResampleBuffer() { std::free(data_); }
    ResampleBuffer(const ResampleBuffer &) = delete;
    ResampleBuffer &operator=(const ResampleBuffer &) = delete;

    // Zeroed block of `bytes` (at least one); null when too large or short.
    uint8_t *Alloc(uint64_t bytes) {
        std::free(data_);
        data_ = nullptr;
        if (bytes > kResampleMaxBuffer) return nullptr;
        // 32 spare bytes let vector loops read whole registers at the end.
        data_ = static_cast<uint8_t *>(std::calloc(static_cast<size_t>(bytes) + 32, 1));
        return data_;
    }
    void Free() {
        std::free(data_);
        data_ = nullptr;
    }
    uint8_t *data() const { return data_; }
    template <typename T>
    T *as() const {
        return reinterpret_cast<T *>(data_);
    }

private:
    uint8_t *data_ = nullptr;
};

inline const uint8_t *Resample_Row(const uint8_t *bits, int32_t stride, int64_t row) {
    return bits + static_cast<ptrdiff_t>(row) * stride;
}
inline uint8_t *Resample_Row(uint8_t *bits, int32_t stride, int64_t row) {
    return bits + static_cast<ptrdiff_t>(row) * stride;
}

// Bytes of a 24-bit row padded to 4 bytes, in 64 bits.
inline uint64_t Resample_Stride24(int64_t width) { return static_cast<uint64_t>((24 * width + 31) / 32) * 4; }

// 1 x 1 source: the whole destination takes its colour.
int Resample_FillFromOnePixel(ResampleRequest *request);

// Weight table of one axis: taps weights and taps offsets per destination
// pixel, 16.16 fixed point. Offsets are bytes inside a row (pixel x 3) for the
// horizontal pass and row indexes for the vertical pass.
struct ResampleWeights {
    int32_t taps = 0;
    int32_t count = 0;       // destination pixels
    ResampleBuffer weights;  // int32_t [count * taps]
    ResampleBuffer offsets;  // int32_t [count * taps]
    int32_t *Weights() const { return weights.as<int32_t>(); }
    int32_t *Offsets() const { return offsets.as<int32_t>(); }
};
void Weights_Release(ResampleWeights *weights);

// One pass of the separable filter over a request whose other axis is
// unchanged. The scalar forms are the reference; the others give its bytes.
int Filter_ApplyRows(const ResampleRequest *pass, const ResampleWeights *weights);
int Filter_ApplyColumns(const ResampleWeights *weights, const ResampleRequest *pass);
int Filter_ApplyRowsSse2(const ResampleRequest *pass, const ResampleWeights *weights);
int Filter_ApplyColumnsSse2(const ResampleWeights *weights, const ResampleRequest *pass);
int Filter_ApplyRowsAvx2(const ResampleRequest *pass, const ResampleWeights *weights);
int Filter_ApplyColumnsAvx2(const ResampleWeights *weights, const ResampleRequest *pass);

// Byte of a filtered sum: clamped, rounded half up.
inline uint8_t Filter_Byte(int32_t s) {
    if (s < 0) return 0;
    if (s >= 0xFF0000) return 255;
    return static_cast<uint8_t>((s + 0x8000) >> 16);
}

// The vertical linear pass between two rows with a 16-bit fraction
// (0..65536), truncated: out = (a * (65536 - f) + b * f) >> 16.
void Linear_BlendRow(const uint8_t *a, const uint8_t *b, uint32_t f, uint8_t *out, int64_t bytes);
void Linear_BlendRowScalar(const uint8_t *a, const uint8_t *b, uint32_t f, uint8_t *out, int64_t bytes);
void Linear_BlendRowSse2(const uint8_t *a, const uint8_t *b, uint32_t f, uint8_t *out, int64_t bytes);
void Linear_BlendRowAvx2(const uint8_t *a, const uint8_t *b, uint32_t f, uint8_t *out, int64_t bytes);
