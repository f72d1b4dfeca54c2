#include "image/qv_FitCore.h"

#include "util/qv_MathUtil.h"

namespace {

constexpr int32_t kZoomUnit = 10000000;  // 100 %

// a * b / c rounded to nearest; *overflow set when it leaves the i32 range.
int32_t MulDiv(int32_t a, int32_t b, int32_t c, bool *overflow) {
    int32_t flag = 0;
    const int32_t r = Math_MulDivRound(a, &flag, b, c);
    if (flag) *overflow = true;
    return r;
}

int32_t AtLeastOne(int32_t v) { return v < 1 ? 1 : v; }

// The side that fitting by aspect uses: 1 width, 2 height. The picture
// fills the area on the side that leaves the other side at least as long as
// the area.
int32_t AspectSide(int32_t areaWidth, int32_t areaHeight, int32_t pictureWidth, int32_t pictureHeight) {
    bool overflow = false;
    if (pictureWidth < pictureHeight) {
        const int32_t w = MulDiv(pictureWidth, areaHeight, pictureHeight, &overflow);
        return overflow || areaWidth < w ? kFitHeight : kFitWidth;
    }
    const int32_t h = MulDiv(pictureHeight, areaWidth, pictureWidth, &overflow);
    return !overflow && h < areaHeight ? kFitHeight : kFitWidth;
}

}  // namespace

int32_t Fit_ComputeWhole(int32_t pictureHeight, int32_t areaWidth, int32_t areaHeight, int32_t pictureWidth,
                         int32_t *outWidth, int32_t *outHeight) {
    if (areaWidth <= 0 || areaHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return -1;
    if ((pictureWidth == areaWidth && pictureHeight <= areaHeight) ||
        (pictureHeight == areaHeight && pictureWidth <= areaWidth)) {
        *outWidth = pictureWidth;
        *outHeight = pictureHeight;
        return kZoomUnit;
    }
    const bool taller = pictureHeight > pictureWidth;
    int32_t w, h;
    bool overflow = false;
    if (taller) {
        h = areaHeight;
        w = MulDiv(pictureWidth, areaHeight, pictureHeight, &overflow);
        if (overflow || w > areaWidth) {
            w = areaWidth;
            h = MulDiv(pictureHeight, areaWidth, pictureWidth, &overflow);
        }
    } else {
        w = areaWidth;
        h = MulDiv(pictureHeight, areaWidth, pictureWidth, &overflow);
        if (overflow || h > areaHeight) {
            h = areaHeight;
            w = MulDiv(pictureWidth, areaHeight, pictureHeight, &overflow);
        }
    }
    *outWidth = AtLeastOne(w);
    *outHeight = AtLeastOne(h);
    if (w == areaWidth && h == areaHeight) return 0;
    // A whole percentage that reproduces the area exactly is taken as it is.
    bool pOverflow = false;
    const int32_t p = taller ? MulDiv(h, 100, pictureHeight, &pOverflow) : MulDiv(w, 100, pictureWidth, &pOverflow);
    if (!pOverflow && p < 21474) {
        bool o = false;
        const int32_t sw = MulDiv(pictureWidth, p, 100, &o), sh = MulDiv(pictureHeight, p, 100, &o);
        if (!o && sw == areaWidth && sh == areaHeight) {
            *outWidth = sw;
            *outHeight = sh;
            return p * 100000;
        }
    }
    return 0;
}

int32_t Fit_ComputeZoomWhole(int32_t pictureWidth, int32_t pictureHeight, int32_t areaWidth, int32_t areaHeight) {
    int32_t w = 0, h = 0, type = 0;
    return Fit_Compute(kFitWhole, areaWidth, areaHeight, pictureWidth, pictureHeight, 0, 0, 0, &w, &h, &type);
}

int32_t Fit_ComputeSide(int axis, int32_t areaWidth, int32_t areaHeight, int32_t pictureWidth,
                        int32_t pictureHeight, int32_t barReserve, int32_t *outWidth, int32_t *outHeight) {
    if (areaWidth <= 0 || areaHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return -1;
    // Height fitting is width fitting with the axes swapped.
    const bool swap = axis != 0;
    const int32_t aMain = swap ? areaHeight : areaWidth, aCross = swap ? areaWidth : areaHeight;
    const int32_t pMain = swap ? pictureHeight : pictureWidth, pCross = swap ? pictureWidth : pictureHeight;
    bool overflow = false;
    int32_t cross = MulDiv(pCross, aMain, pMain, &overflow);
    int32_t main = aMain;
    const bool crossOverflow = overflow;
    if (crossOverflow) main = MulDiv(pMain, cross, pCross, &overflow);
    if (cross <= aCross)
        return Fit_ComputeWhole(pictureHeight, areaWidth, areaHeight, pictureWidth, outWidth, outHeight);
    // The cross axis scrolls: its bar takes room from the main axis.
    if (barReserve > 0 && barReserve < aMain && main > aMain - barReserve) {
        main = aMain - barReserve;
        bool o = false;
        cross = MulDiv(pCross, main, pMain, &o);
    }
    if (cross <= aCross)
        return Fit_ComputeWhole(pictureHeight, areaWidth, areaHeight, pictureWidth, outWidth, outHeight);
    main = AtLeastOne(main);
    cross = AtLeastOne(cross);
    *outWidth = swap ? cross : main;
    *outHeight = swap ? main : cross;
    bool o = false;
    return crossOverflow ? MulDiv(cross, kZoomUnit, pCross, &o) : MulDiv(main, kZoomUnit, pMain, &o);
}

int32_t Fit_Compute(int32_t type, int32_t areaWidth, int32_t areaHeight, int32_t pictureWidth,
                    int32_t pictureHeight, int32_t maxPercent, int32_t vBarWidth, int32_t hBarHeight,
                    int32_t *outWidth, int32_t *outHeight, int32_t *outType) {
    if (areaWidth <= 0 || areaHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return -1;
    if (type == kFitAspect) type = AspectSide(areaWidth, areaHeight, pictureWidth, pictureHeight);
    if (type < kFitWhole || type > kFitAspect) type = kFitWhole;
    int32_t w = 0, h = 0, zoom;
    switch (type) {
        case kFitWidth:
            zoom = Fit_ComputeSide(0, areaWidth, areaHeight, pictureWidth, pictureHeight, vBarWidth, &w, &h);
            break;
        case kFitHeight:
            zoom = Fit_ComputeSide(1, areaWidth, areaHeight, pictureWidth, pictureHeight, hBarHeight, &w, &h);
            break;
        default:
            zoom = Fit_ComputeWhole(pictureHeight, areaWidth, areaHeight, pictureWidth, &w, &h);
            break;
    }
    zoom = Fit_ApplyMaximum(maxPercent, pictureWidth, pictureHeight, &w, &h, zoom);
    *outWidth = w;
    *outHeight = h;
    if (outType != nullptr) *outType = type;
    return zoom;
}

int32_t Fit_ApplyMaximum(int32_t maxPercent, int32_t pictureWidth, int32_t pictureHeight, int32_t *width,
                         int32_t *height, int32_t zoom) {
    if (maxPercent > 0 && maxPercent <= INT32_MAX / 100000) {
        bool overflow = false;
        const int32_t mw = MulDiv(pictureWidth, maxPercent, 100, &overflow);
        const int32_t mh = MulDiv(pictureHeight, maxPercent, 100, &overflow);
        if (!overflow) {
            if (mw < *width || mh < *height) {
                *width = mw;
                *height = mh;
                zoom = maxPercent * 100000;
            } else if (mw == *width && mh == *height) {
                zoom = maxPercent * 100000;
            }
        }
    }
    *width = AtLeastOne(*width);
    *height = AtLeastOne(*height);
    if (zoom == 0) {
        bool o = false;
        zoom = pictureHeight > pictureWidth && *height != pictureHeight
                   ? MulDiv(*height, kZoomUnit, pictureHeight, &o)
                   : MulDiv(*width, kZoomUnit, pictureWidth, &o);
    }
    return zoom;
}

bool Fit_FitsAtActualSize(int32_t type, int32_t areaWidth, int32_t areaHeight, int32_t pictureWidth,
                          int32_t pictureHeight, int32_t vBarWidth, int32_t hBarHeight) {
    if (areaWidth <= 0 || areaHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return false;
    if (type == kFitAspect) type = AspectSide(areaWidth, areaHeight, pictureWidth, pictureHeight);
    switch (type) {
        case kFitWidth:
            return pictureWidth <= (pictureHeight > areaHeight ? int64_t(areaWidth) - vBarWidth : areaWidth);
        case kFitHeight:
            return pictureHeight <= (pictureWidth > areaWidth ? int64_t(areaHeight) - hBarHeight : areaHeight);
        default:
            return pictureWidth <= areaWidth && pictureHeight <= areaHeight;
    }
}
