// The two pictures of the levels dialog: the histogram as bars over the
// input levels, and the ramp of output levels. Both draw into a picture of
// the library; nothing is ever drawn past the target's width or height.
#pragma once

#include <cstdint>

#include "dibcore_api.h"
#include "image/qv_Histogram.h"

// Channel flags: 1 red, 2 green, 4 blue; 0 means all three.
enum HistogramChannel : int32_t { kHistRed = 1, kHistGreen = 2, kHistBlue = 4, kHistAll = 7 };

// Bars of the selected channels' summed counts in the top `height` rows
// (negative taken as positive), rising from row height - 1 and scaled so the
// largest sum fills the height (small bins are stretched when a few bins
// tower over the rest). Columns: with `columnMap` column j shows bin
// columnMap[j] for `width` columns (below 1: 256); without it each bin spans
// max(1, width / 256) columns. The target is 8 bits (uncompressed, at least
// 2 colour-table entries: entry 0 is made white, entry 1 the bar colour) or
// 24 bits. `barColour` is 0x00BBGGRR. An all-zero histogram draws the
// background only. 1 drawn (or a height of 0), 0 for an unusable target.
int Histogram_DrawGraph(int32_t channels, DibHandle target, int32_t width, int32_t height, const uint8_t *columnMap,
                        uint32_t barColour, const Histogram *histogram);

// A ramp over the selected channels in a 24-bit target: the first row gets
// the values 0..255 each repeated max(1, width / 256) times (width below 1:
// 256), or columnValues[0..width-1] when given; each pixel takes the value in
// its selected channels and 0 in the others; that row is copied down the
// whole target. 1 or 0.
int Histogram_DrawRamp(int32_t channels, DibHandle target, int32_t width, const uint8_t *columnValues);
