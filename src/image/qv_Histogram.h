// The histogram of a picture or a rectangle of it, the levels that stretch
// it (auto level, auto contrast), and the whole automatic correction.
#pragma once

#include <cstdint>

#include "dibcore_api.h"
#include "image/qv_DibCore.h"
#include "image/qv_Tone.h"

// Pixel counts by 8-bit channel value: red, then green, then blue.
struct Histogram {
    uint32_t count[3][256];
};
static_assert(sizeof(Histogram) == 3072, "three rows of 256 counts");

// Counts the rectangle (null = the whole picture). Palette pixels count
// under their colour-table entry (indexes past the colour count are not
// counted); masked fields under their value widened to 8 bits. 0 for RLE
// pixels, a field wider than 8 bits, rows that cannot be read or an empty
// rectangle; the histogram is zeroed first in every case.
int Histogram_Compute(DibHandle picture, const SelRect *rect, Histogram *histogram);

// The size of the counted area, when known.
struct LevelsArea {
    int32_t width, height;
};

// Input levels that clip `lowClip` and `highClip` ten-thousandths of the
// counted pixels at each end (each limited to 0..10000): per channel, or one
// range for all three when `perChannel` is 0. The total is the area's size
// when given, else the sum of the red counts. `out` is set to the identity
// first; gamma and output bounds stay identity. 1 changed, -1 no change
// (also for a single pixel), 0 no pixels or no histogram.
int Levels_FromHistogram(const LevelsArea *area, int32_t lowClip, int32_t highClip, int perChannel,
                         const Histogram *histogram, LevelsParams *out);

// Auto level (`perChannel` 1) or auto contrast (0) on the rectangle (null =
// the whole picture), both clipping 0.1 % at each end. 1 also when nothing
// changes and for a 1 x 1 rectangle; 0 on failure.
int Tone_AutoLevel(DibHandle picture, const SelRect *rect, int perChannel);
