#include "image/qv_ZoomCore.h"

#include "util/qv_MathUtil.h"

namespace {

const int32_t kPresets[kZoomPresetCount] = {1,   2,   5,   10,  15,  20,   25,   30,   40,   50,   60,
                                            75,  100, 125, 150, 175, 200,  250,  300,  350,  400,  500,
                                            600, 800, 1000, 1300, 1600, 2000, 2500, 3000, 3500, 4000, 5000};

int32_t ClampPercent(int64_t p) { return p < 1 ? 1 : (p > kZoomTopPercent ? kZoomTopPercent : int32_t(p)); }

int32_t NextPreset(int32_t percent, int direction) {
    if (direction > 0) {
        for (int32_t p : kPresets)
            if (p > percent) return p;
        return kZoomTopPercent;
    }
    for (int i = kZoomPresetCount - 1; i >= 0; --i)
        if (kPresets[i] < percent) return kPresets[i];
    return 1;
}

// The grid 100 + k * step (k >= 0) above 100 %, 100 - k * step below.
int32_t NextOnGrid(int32_t percent, int direction, int32_t stepBelow, int32_t stepAbove) {
    const int64_t h = percent;
    if (direction > 0) {
        if (h >= 100) {
            const int64_t s = stepAbove > 0 ? stepAbove : 1;
            return ClampPercent(100 + ((h - 100) / s + 1) * s);
        }
        const int64_t s = stepBelow > 0 ? stepBelow : 1;
        // The smallest 100 - k * s above h.
        return ClampPercent(100 - ((100 - h - 1) / s) * s);
    }
    if (h > 100) {
        const int64_t s = stepAbove > 0 ? stepAbove : 1;
        // The largest 100 + k * s below h.
        return ClampPercent(100 + ((h - 100 - 1) / s) * s);
    }
    const int64_t s = stepBelow > 0 ? stepBelow : 1;
    return ClampPercent(100 - ((100 - h) / s + 1) * s);
}

int64_t Scaled(int64_t side, int64_t zoom) { return (side * zoom + kZoomUnit100 / 2) / kZoomUnit100; }

int Sign(int64_t v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

int32_t Clamp32(int64_t v) { return v > INT32_MAX ? INT32_MAX : (v < INT32_MIN ? INT32_MIN : int32_t(v)); }

}  // namespace

const int32_t *Zoom_PresetSteps() { return kPresets; }

int32_t Zoom_PercentOf(int32_t zoom) {
    const int32_t p = (zoom / 10000 + 5) / 10;
    if (p == 100 && zoom != kZoomUnit100) return zoom < kZoomUnit100 ? 99 : 101;
    return p;
}

int32_t Zoom_NextPercent(int32_t percent, int direction, bool byStep, int32_t stepBelow, int32_t stepAbove) {
    percent = ClampPercent(percent);
    return byStep ? NextOnGrid(percent, direction, stepBelow, stepAbove) : NextPreset(percent, direction);
}

bool Zoom_DisplayedSize(int32_t pictureWidth, int32_t pictureHeight, int32_t zoom, int32_t *width,
                        int32_t *height) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || zoom <= 0) return false;
    const int64_t w = Scaled(pictureWidth, zoom), h = Scaled(pictureHeight, zoom);
    if (w > INT32_MAX || h > INT32_MAX) return false;
    *width = w < 1 ? 1 : int32_t(w);
    *height = h < 1 ? 1 : int32_t(h);
    return true;
}

FitShowResult Zoom_DecideFitShow(const FitShowInput &in) {
    if (in.fittedWidth == in.pictureWidth && in.fittedHeight == in.pictureHeight)
        return {FitShow::Actual, kZoomUnit100};
    if (in.method == 0 || in.keepZoom) return {FitShow::DrawnScaled, in.fitZoom};
    if (in.simpleZoom >= 100) {
        int32_t overflowW = 0, overflowH = 0;
        const int32_t limitW = Math_MulDivRound(in.pictureWidth, &overflowW, in.simpleZoom, 100);
        const int32_t limitH = Math_MulDivRound(in.pictureHeight, &overflowH, in.simpleZoom, 100);
        if ((!overflowW && in.fittedWidth >= limitW) || (!overflowH && in.fittedHeight >= limitH)) {
            const int64_t floor = int64_t(in.simpleZoom) * 100000;
            const int64_t zoom = in.fitZoom > floor ? in.fitZoom : floor;
            return {FitShow::DrawnScaled, zoom > int64_t(kZoomTopPercent) * 100000 ? kZoomTopPercent * 100000
                                                                                    : int32_t(zoom)};
        }
    }
    const uint64_t stride = (uint64_t(in.fittedWidth) * 24 + 31) / 32 * 4;
    const uint64_t bytes = stride * uint64_t(in.fittedHeight);
    if (in.fittedWidth <= 65535 && in.fittedHeight <= 65535 && bytes <= (uint64_t{1} << 30) &&
        bytes <= in.physicalMemory / 2)
        return {FitShow::DisplayCopy, in.fitZoom};
    return {FitShow::DrawnScaled, in.fitZoom};
}

ComicMove Comic_Step(int32_t a, int32_t how, bool comicMode, bool singlePage, bool notInList) {
    int64_t move = a;
    int direction = Sign(a);
    if (comicMode && (how == 0 || how == 6)) {
        if (how == 0) {
            if (a > 0) move = singlePage ? 2 * int64_t(a) - 1 : 2 * int64_t(a);
            else if (a < 0) move = 2 * int64_t(a) + 1;
        } else {
            if (a < 0 && !singlePage) move = int64_t(a) + 1;
            if (singlePage) direction = -direction;
        }
    }
    if (notInList && move == 0 && (how == 0 || how == 6)) move = 1;
    return {Clamp32(move), direction};
}

bool TwoPage_Layout(int32_t currentWidth, int32_t currentHeight, int32_t neighbourWidth, int32_t neighbourHeight,
                    int32_t matching, int32_t direction, bool leftToRight, TwoPageLayout *out) {
    if (currentWidth <= 0 || currentHeight <= 0 || neighbourWidth <= 0 || neighbourHeight <= 0) return false;
    TwoPageLayout l{};
    l.currentWidth = currentWidth;
    l.currentHeight = currentHeight;
    l.neighbourWidth = neighbourWidth;
    l.neighbourHeight = neighbourHeight;
    if ((matching == 1 || matching == 2) && currentHeight != neighbourHeight) {
        // 1: the taller page changes; 2: the shorter one. It keeps its aspect.
        const bool currentTaller = currentHeight > neighbourHeight;
        const bool changeCurrent = matching == 1 ? currentTaller : !currentTaller;
        int32_t *w = changeCurrent ? &l.currentWidth : &l.neighbourWidth;
        int32_t *h = changeCurrent ? &l.currentHeight : &l.neighbourHeight;
        const int32_t target = changeCurrent ? neighbourHeight : currentHeight;
        int32_t overflow = 0;
        const int32_t nw = Math_MulDivRound(*w, &overflow, target, *h);
        if (overflow) return false;
        *w = nw < 1 ? 1 : nw;
        *h = target;
        l.resized = changeCurrent ? 1 : 2;
    }
    const int64_t canvasWidth = int64_t(l.currentWidth) + l.neighbourWidth;
    if (canvasWidth > INT32_MAX) return false;
    l.canvasWidth = int32_t(canvasWidth);
    l.canvasHeight = l.currentHeight > l.neighbourHeight ? l.currentHeight : l.neighbourHeight;
    l.currentOnLeft = direction >= 0 ? leftToRight : !leftToRight;
    l.currentX = l.currentOnLeft ? 0 : l.neighbourWidth;
    l.neighbourX = l.currentOnLeft ? l.currentWidth : 0;
    l.currentY = (l.canvasHeight - l.currentHeight) / 2;
    l.neighbourY = (l.canvasHeight - l.neighbourHeight) / 2;
    *out = l;
    return true;
}

int32_t AutoRotate_Degrees(int32_t rotaOpt, int32_t width, int32_t height) {
    struct Row {
        int32_t degrees;
        int32_t onlyWhen;  // 0 always, 1 when taller than wide, 2 when wider than tall
    };
    static const Row kRows[8] = {{0, 0}, {270, 0}, {90, 0}, {270, 1}, {90, 1}, {270, 2}, {90, 2}, {180, 0}};
    if (rotaOpt < 0 || rotaOpt > 7) return 0;
    const Row &r = kRows[rotaOpt];
    if (r.onlyWhen == 1 && width >= height) return 0;
    if (r.onlyWhen == 2 && height >= width) return 0;
    return r.degrees;
}
