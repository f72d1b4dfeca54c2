// Zoom and page arithmetic of the current picture: the preset zoom steps,
// the percentage shown to the user, zooming in and out, the displayed size at
// a fixed zoom, the display-copy decision, the comic step, the two-page
// layout and the automatic rotation. Plain integers, no windows.
#pragma once

#include <cstdint>

constexpr int32_t kZoomUnit100 = 10000000;  // 100 %
constexpr int32_t kZoomTopPercent = 5000;
constexpr int kZoomPresetCount = 33;

// The preset steps in percent, ascending.
const int32_t *Zoom_PresetSteps();

// The whole percent shown for a zoom: rounded, but never 100 unless exact.
int32_t Zoom_PercentOf(int32_t zoom);

// Zoom in (direction +1) or out (-1) from a whole percent: to the next
// preset step, or (byStep) by ZmStep steps: stepBelow under 100 %,
// stepAbove at and over it. The result stays within 1 .. 5000.
int32_t Zoom_NextPercent(int32_t percent, int direction, bool byStep, int32_t stepBelow, int32_t stepAbove);

// The displayed size at a fixed zoom: picture size x zoom / 10000000, in 64
// bits, rounded, at least 1. false when a side leaves the i32 range.
bool Zoom_DisplayedSize(int32_t pictureWidth, int32_t pictureHeight, int32_t zoom, int32_t *width,
                        int32_t *height);

// How a fitted picture is shown.
enum class FitShow : int32_t { Actual, DrawnScaled, DisplayCopy };

struct FitShowInput {
    int32_t pictureWidth, pictureHeight;
    int32_t fittedWidth, fittedHeight;
    int32_t fitZoom;
    int32_t method;          // resampling method of the view mode and direction; 0 = none
    bool keepZoom;           // keep-zoom set
    int32_t simpleZoom;      // SimpleZm percent; below 100 = off
    uint64_t physicalMemory; // bytes
};
struct FitShowResult {
    FitShow show;
    int32_t zoom;
};
// Actual size when the fitted size is the picture's; drawn scaled without a
// method, with keep-zoom, past the SimpleZm threshold, or when a 24-bit copy
// would break the picture limits or take more than half the memory; else a
// display copy.
FitShowResult Zoom_DecideFitShow(const FitShowInput &in);

// The comic step: the list move and the direction handed to the two-page
// composition, for a step a, a load "how" (0 relative, 6 single page), the
// singlePage flag of the last load, and whether the picture is outside the
// current list (a step of 0 then moves on by one).
struct ComicMove {
    int32_t move;
    int32_t direction;  // -1, 0, 1
};
ComicMove Comic_Step(int32_t a, int32_t how, bool comicMode, bool singlePage, bool notInList);

// The two-page view: the current page and its neighbour in the direction of
// travel, laid side by side on one canvas.
struct TwoPageLayout {
    int32_t currentWidth, currentHeight;      // after height matching
    int32_t neighbourWidth, neighbourHeight;
    int32_t resized;                          // 0 none, 1 current page, 2 neighbour
    int32_t canvasWidth, canvasHeight;
    int32_t currentX, currentY;               // where each page is pasted
    int32_t neighbourX, neighbourY;
    bool currentOnLeft;
};
// matching: 0 none, 1 the taller page comes down, 2 the shorter goes up.
// direction: +1 forward, -1 back. false when a size overflows (no two-page
// view).
bool TwoPage_Layout(int32_t currentWidth, int32_t currentHeight, int32_t neighbourWidth, int32_t neighbourHeight,
                    int32_t matching, int32_t direction, bool leftToRight, TwoPageLayout *out);

// The automatic rotation of RotaOpt for a picture: 0, 90, 180 or 270.
int32_t AutoRotate_Degrees(int32_t rotaOpt, int32_t width, int32_t height);
