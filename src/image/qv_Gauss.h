// The Gaussian filter behind the sharpen and blur commands and their dialogs:
// one separable kernel of 16.16 weights, run as a horizontal and a vertical
// pass over 24-bit pixels. A positive amount sharpens (unsharp mask), a
// negative one blurs, fully at -1000 and as a blend toward the blurred value
// above that.
#pragma once

#include <cstdint>

#include "dibcore_api.h"
#include "image/qv_DibCore.h"

// Radius: the standard deviation in thousandths of a pixel, 1..100000.
constexpr int32_t kGaussMaxRadius = 100000;
// The kernel never needs more than (5 r + 1849) / 1000 weights a side.
constexpr int32_t kGaussMaxHalfWidth = (5 * kGaussMaxRadius + 1849) / 1000;

// w[0] is the centre, w[k] serves the offsets -k and +k; n is the half-width.
// w[0] + 2 (w[1] + ... + w[n]) is at most 65536.
struct GaussKernel {
    int32_t n;
    int32_t w[kGaussMaxHalfWidth + 1];
};

// Weights of a Gaussian with sigma = sigmaMilli / 1000 into weights[0..n],
// n <= nMax: each side weight is exp(-k^2 / 2 sigma^2) in 16.16, the kernel
// stops before a weight that would vanish once normalised, and all weights
// are then scaled to sum to 65536 (truncated). The n used; 0 (failure) for
// nMax < 1, no output, or a kernel that stops before its first side weight.
int32_t Gauss_Kernel(int32_t sigmaMilli, int32_t *weights, int32_t nMax);

// The kernel of a radius as the filter uses it: the radius limited to
// 1..kGaussMaxRadius, sigma (r + 170) / 1000 and at most (5 r + 1849) / 1000
// weights a side. kernel->n is 0 when it comes out empty.
void Gauss_KernelForRadius(int32_t radius, GaussKernel *kernel);

// Filters `rect` (null = the whole picture, clipped to it) with the radius
// (thousandths of a pixel, limited to 100000), amount (>= 1 sharpens with
// strength amount / 1000; below 1 blurs with strength min(1000, -amount) /
// 1000) and threshold (0..255, limited; sharpening only). 1 or 0.
// - result null: the picture changes in place; one that is not 24 bits is
//   made 24 bits first (DIBto24Bit).
// - result set: the picture is left as it is and *result receives a new
//   24-bit picture of the rectangle's size (the caller owns it), 0 on
//   failure. Pictures that are not 24 bits are read through a 24-bit copy.
// A kernel with no side weights (radius below 50) changes nothing and succeeds
// at once: in place nothing happens, with a result slot it holds the
// unchanged rectangle. No picture, a radius below 1, an empty rectangle, an
// amount of 0 (a blur of no strength) and any failed allocation, conversion,
// cut or creation give 0, with everything made on the way released.
int Gauss_Apply(DibHandle picture, DibHandle *result, const SelRect *rect, int32_t radius, int32_t amount,
                int32_t threshold);
