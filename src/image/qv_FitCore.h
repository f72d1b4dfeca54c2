// Fit arithmetic: how large a picture is shown in an area, with an exact
// zoom factor (10000000 = 100 %). Plain integers, no windows.
#pragma once

#include <cstdint>

// Fit types (option FitOpt).
enum FitType : int32_t { kFitWhole = 0, kFitWidth = 1, kFitHeight = 2, kFitAspect = 3 };

// The whole picture inside the area; the zoom, or 0 when it is left to
// Fit_ApplyMaximum.
int32_t Fit_ComputeWhole(int32_t pictureHeight, int32_t areaWidth, int32_t areaHeight, int32_t pictureWidth,
                         int32_t *outWidth, int32_t *outHeight);
int32_t Fit_ComputeZoomWhole(int32_t pictureWidth, int32_t pictureHeight, int32_t areaWidth, int32_t areaHeight);

// One side (axis 0 width, 1 height) with the scroll-bar reserve of the
// other axis; the zoom, or 0 when it is left to Fit_ApplyMaximum.
int32_t Fit_ComputeSide(int axis, int32_t areaWidth, int32_t areaHeight, int32_t pictureWidth,
                        int32_t pictureHeight, int32_t barReserve, int32_t *outWidth, int32_t *outHeight);

// Any fit type with the maximum fit zoom (percent, 0 or less = none) and the
// scroll-bar sizes (vertical bar width, horizontal bar height; 0 without
// bars). The zoom, or -1 on invalid input (any size 0 or less). outType
// receives the type actually used (aspect resolves to width or height).
int32_t Fit_Compute(int32_t type, int32_t areaWidth, int32_t areaHeight, int32_t pictureWidth,
                    int32_t pictureHeight, int32_t maxPercent, int32_t vBarWidth, int32_t hBarHeight,
                    int32_t *outWidth, int32_t *outHeight, int32_t *outType);

// The maximum zoom and the final zoom; zoom 0 = not yet set.
int32_t Fit_ApplyMaximum(int32_t maxPercent, int32_t pictureWidth, int32_t pictureHeight, int32_t *width,
                         int32_t *height, int32_t zoom);

// Whether the picture fits the area at actual size for the fit type.
bool Fit_FitsAtActualSize(int32_t type, int32_t areaWidth, int32_t areaHeight, int32_t pictureWidth,
                          int32_t pictureHeight, int32_t vBarWidth, int32_t hBarHeight);
