// Small 24-bit pictures for the resampling tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "image/resample/qv_Resample.h"

namespace resample_test {

// Bottom-up 24-bit pixels, rows padded to 4 bytes.
struct Image {
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    std::vector<uint8_t> bytes;

    Image() = default;
    Image(int32_t w, int32_t h) : width(w), height(h), stride(((24 * w + 31) / 32) * 4) {
        bytes.assign(static_cast<size_t>(stride) * h + 1, 0xCD);
    }
    uint8_t *Row(int32_t y) { return bytes.data() + static_cast<size_t>(y) * stride; }
    const uint8_t *Row(int32_t y) const { return bytes.data() + static_cast<size_t>(y) * stride; }
    uint8_t &At(int32_t x, int32_t y, int c) { return Row(y)[3 * x + c]; }
    uint8_t At(int32_t x, int32_t y, int c) const { return Row(y)[3 * x + c]; }

    // Pixel bytes only (row padding left out), for comparisons.
    std::vector<uint8_t> Pixels() const {
        std::vector<uint8_t> out;
        for (int32_t y = 0; y < height; ++y) out.insert(out.end(), Row(y), Row(y) + 3 * width);
        return out;
    }
};

inline Image Noise(int32_t w, int32_t h, uint32_t seed) {
    Image img(w, h);
    std::mt19937 rng(seed);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < 3 * w; ++x) img.Row(y)[x] = static_cast<uint8_t>(rng());
    return img;
}

// Smooth gradients with a few hard edges: closer to a photograph than noise.
inline Image Photo(int32_t w, int32_t h, uint32_t seed) {
    Image img(w, h);
    std::mt19937 rng(seed);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const int edge = ((x * 7 / (w + 1)) + (y * 5 / (h + 1))) & 1 ? 60 : 0;
            img.At(x, y, 0) = static_cast<uint8_t>((x * 255) / (w > 1 ? w - 1 : 1) / 2 + edge + (rng() & 15));
            img.At(x, y, 1) = static_cast<uint8_t>((y * 255) / (h > 1 ? h - 1 : 1) / 2 + edge + (rng() & 15));
            img.At(x, y, 2) = static_cast<uint8_t>(((x + y) * 97) % 200 + (rng() & 31));
        }
    return img;
}

inline ResampleRequest RequestFor(Image &dst, const Image &src, int32_t fallback = 1) {
    return {dst.bytes.data(), dst.width,  dst.height, dst.stride, src.bytes.data(),
            src.width,        src.height, src.stride, fallback};
}

inline Image MirrorX(const Image &src) {
    Image out(src.width, src.height);
    for (int32_t y = 0; y < src.height; ++y)
        for (int32_t x = 0; x < src.width; ++x)
            for (int c = 0; c < 3; ++c) out.At(x, y, c) = src.At(src.width - 1 - x, y, c);
    return out;
}

inline Image MirrorY(const Image &src) {
    Image out(src.width, src.height);
    for (int32_t y = 0; y < src.height; ++y) std::memcpy(out.Row(y), src.Row(src.height - 1 - y), 3 * src.width);
    return out;
}

// Largest difference of two same-sized pictures.
inline int MaxDiff(const Image &a, const Image &b) {
    int worst = 0;
    for (int32_t y = 0; y < a.height; ++y)
        for (int32_t x = 0; x < 3 * a.width; ++x) {
            const int d = a.Row(y)[x] - b.Row(y)[x];
            worst = std::max(worst, d < 0 ? -d : d);
        }
    return worst;
}

// Runs a method into a new picture; the result flag goes to *ok.
template <typename Fn>
Image RunMethod(Fn method, const Image &src, int32_t w, int32_t h, int *ok, int32_t fallback = 1) {
    Image dst(w, h);
    ResampleRequest r = RequestFor(dst, src, fallback);
    *ok = method(&r);
    return dst;
}

constexpr int32_t kFilterCodes[] = {kQualityHermite,    kQualityQuadraticSpline, kQualityCubicSpline, kQualityMitchell,
                                    kQualityCatmullRom, kQualitySinc225,         kQualitySinc25,      kQualityLanczos3};

inline int Separable(int32_t code, ResampleRequest *r) {
    const ResampleFilterBuilders *f = Resample_FilterForCode(code);
    return Resample_Separable(r, f->enlarge, f->reduce);
}

// Restores the vector level when a test ends.
class SimdScope {
public:
    explicit SimdScope(ResampleSimd level) : old_(Resample_SetSimd(level)) {}
    ~SimdScope() { Resample_SetSimd(old_); }
    SimdScope(const SimdScope &) = delete;
    SimdScope &operator=(const SimdScope &) = delete;

private:
    ResampleSimd old_;
};

}  // namespace resample_test
