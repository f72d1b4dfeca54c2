// The memory-bound halves of turning and mirroring: a blocked quarter turn of
// a plane of whole-byte pixels and the reversal of one row. Both work on raw
// bytes and never look at what a pixel means, so every 8-, 16-, 24- and
// 32-bit layout goes through them.
#pragma once

#include <cstdint>

namespace dibcore {

// A plane of pixels: the first byte of the top row and the signed byte step
// from one row to the row below (negative for bottom-up pictures).
struct PixelPlane {
    uint8_t *top;
    int64_t step;
};

// Writes the quarter turn of a `width` x `height` plane of `bytesPerPixel`
// (1 to 4) byte pixels into `dst`, which is `height` wide and `width` high.
// Clockwise, target (x, y) is source (y, height - 1 - x); counter-clockwise
// it is source (width - 1 - y, x). Only pixel bytes are written: the padding
// at the end of each target row keeps what it holds.
void TurnPlaneQuarter(const PixelPlane &src, int64_t width, int64_t height, int bytesPerPixel, const PixelPlane &dst,
                      bool clockwise);

// Copies `count` pixels of `bytesPerPixel` (1 to 4) bytes from `src` to `dst`
// in reverse order. The two rows must not overlap.
void ReverseRow(const uint8_t *src, uint8_t *dst, int64_t count, int bytesPerPixel);

}  // namespace dibcore
