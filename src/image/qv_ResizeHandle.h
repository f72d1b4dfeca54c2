// The resampler over pictures of the image library: the entries that the
// display copy, the resize dialog and the previews call with handles and
// holders. The source picture is never changed (its RLE compression may be
// undone in place first, which keeps its pixels).
#pragma once

#include <cstdint>

#include "image/qv_DibHolder.h"

// A new picture resized with the quality codes (24 bits, or the source's
// depth when no filtering applies); 0 on failure.
DibHandle Resize_Filtered(DibHandle picture, int32_t newWidth, int32_t newHeight, int32_t reduceCode,
                          int32_t enlargeCode);

// A new picture of the same depth and colour table, nearest neighbour; the
// same size gives a copy. 0 on failure.
DibHandle Resize_Simple(DibHandle picture, int32_t newWidth, int32_t newHeight);

// Into an empty target only: the target receives Resize_Filtered of the
// source and is locked; 1/0. A target that holds a picture is left alone.
int DibHolder_CreateResized(const DibHolder &source, DibHolder &target, int32_t newWidth, int32_t newHeight,
                            int32_t reduceCode, int32_t enlargeCode);

// Sharpens a picture in place with a 3 x 3 kernel (rows top to bottom); the
// picture is made 24-bit first. 1/0.
int Resample_Sharpen3x3(DibHandle picture, const int32_t kernel[9]);
