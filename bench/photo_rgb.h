// The generated photograph of the benchmarks: packed R, G, B rows from the
// top with smooth light, hard-edged shapes (an 8 x 8 checkerboard), fine
// texture and sensor noise, so that neighbouring pixels and hue, saturation
// and lightness vary as in a photograph.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

inline std::vector<uint8_t> MakePhotoRgb(int32_t width, int32_t height) {
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    std::mt19937 rng(42);
    const int32_t cellWidth = width / 8 > 0 ? width / 8 : 1, cellHeight = height / 8 > 0 ? height / 8 : 1;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t *q = rgb.data() + (size_t(y) * size_t(width) + size_t(x)) * 3;
            const int shape = ((x / cellWidth + y / cellHeight) & 1) ? 40 : 0;
            const int texture = ((x * 13 + y * 7) % 23) - 11;
            const int noise = static_cast<int>(rng() % 9) - 4;
            const int v[3] = {80 + y * 120 / height + shape + texture + noise, 60 + x * 150 / width + shape / 2 + noise,
                              200 - y * 100 / height + texture + noise};
            for (int c = 0; c < 3; ++c) q[c] = static_cast<uint8_t>(v[c] < 0 ? 0 : v[c] > 255 ? 255 : v[c]);
        }
    return rgb;
}
