// The seven passes of Adam7 interlacing: where each starts and its steps.
#pragma once

#include <cstdint>

namespace dibcore {

struct PngPass {
    uint32_t x0, y0, dx, dy;
};

constexpr PngPass kAdam7[7] = {
    {0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2},
};

// Pixels a pass covers along a side of `size` pixels, starting at `start`
// with step `step`.
constexpr uint32_t PngPassSize(uint32_t size, uint32_t start, uint32_t step) {
    return size > start ? (size - start + step - 1) / step : 0;
}

// Bytes of one row of `width` pixels at `bitsPerPixel`, without the filter byte.
constexpr uint64_t PngRowBytes(uint64_t width, int bitsPerPixel) {
    return (width * uint64_t(bitsPerPixel) + 7) / 8;
}

}  // namespace dibcore
