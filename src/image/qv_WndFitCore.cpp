#include "image/qv_WndFitCore.h"

namespace {

int32_t Clamp32(int64_t v) { return int32_t(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v); }

// Two centres count as the same within this many pixels: a window centred
// once stays centred although odd sizes round its centre.
constexpr int64_t kCentredSlack = 2;

// Start of a span of `size` inside [workStart, workEnd): moved in, keeping
// the size (the caller has cut it to the work area already).
int64_t KeepInside(int64_t start, int64_t size, int64_t workStart, int64_t workEnd) {
    if (start + size > workEnd) start = workEnd - size;
    if (start < workStart) start = workStart;
    return start;
}

}  // namespace

int32_t WndFit_CentreSpan(int32_t workStart, int32_t workEnd, int32_t oldStart, int32_t oldEnd, int32_t newStart,
                          int32_t *size) {
    const int64_t work = int64_t{workEnd} - workStart;
    const int64_t oldSize = int64_t{oldEnd} - oldStart;
    const int64_t newSize = *size;
    if (newSize >= work) {
        *size = Clamp32(work > 0 ? work : 0);
        return workStart;
    }
    if (newSize == oldSize) return newStart;
    const int64_t oldCentre2 = int64_t{oldStart} + oldEnd;  // twice the centre
    const int64_t workCentre2 = int64_t{workStart} + workEnd;
    const int64_t gap2 = oldCentre2 > workCentre2 ? oldCentre2 - workCentre2 : workCentre2 - oldCentre2;
    int64_t start;
    if (gap2 <= 2 * kCentredSlack)
        start = workStart + (work - newSize) / 2;
    else
        start = oldStart + (oldSize - newSize) / 2;  // half the difference each side
    return Clamp32(KeepInside(start, newSize, workStart, workEnd));
}

Rect WndFit_PlaceRect(const Rect &work, const Rect &oldRect, const Rect &newRect, bool centre) {
    if (!centre) return newRect;
    int32_t width = Clamp32(int64_t{newRect.right} - newRect.left);
    int32_t height = Clamp32(int64_t{newRect.bottom} - newRect.top);
    const int32_t left = WndFit_CentreSpan(work.left, work.right, oldRect.left, oldRect.right, newRect.left, &width);
    const int32_t top = WndFit_CentreSpan(work.top, work.bottom, oldRect.top, oldRect.bottom, newRect.top, &height);
    return Rect{left, top, Clamp32(int64_t{left} + width), Clamp32(int64_t{top} + height)};
}

int32_t WndFit_MinWidth(int32_t extraWidth, int32_t menuBarFigure, bool menuBar, int32_t toolbarMaxWidth,
                        bool fitToToolbar, int32_t minTrackWidth) {
    int64_t m = minTrackWidth;
    if (menuBar && int64_t{extraWidth} + menuBarFigure > m) m = int64_t{extraWidth} + menuBarFigure;
    if (fitToToolbar && int64_t{extraWidth} + toolbarMaxWidth > m) m = int64_t{extraWidth} + toolbarMaxWidth;
    return Clamp32(m);
}

Rect WndFit_WindowAround(const WndFitSizing &s) {
    const int64_t workW = int64_t{s.work.right} - s.work.left;
    const int64_t workH = int64_t{s.work.bottom} - s.work.top;
    int64_t width = int64_t{s.contentWidth} + s.extraWidth;
    int64_t height = int64_t{s.contentHeight} + s.extraHeight;
    if (width < s.minWidth) width = s.minWidth;
    bool cutWidth = false;
    if (width > workW) {
        width = workW;
        height += s.hBarHeight;  // the picture now scrolls sideways
        cutWidth = true;
    }
    if (height > workH) {
        height = workH;
        if (!cutWidth) {
            width += s.vBarWidth;
            if (width > workW) width = workW;
        }
    }
    const int64_t left = KeepInside(s.left, width, s.work.left, s.work.right);
    const int64_t top = KeepInside(s.top, height, s.work.top, s.work.bottom);
    return Rect{Clamp32(left), Clamp32(top), Clamp32(left + width), Clamp32(top + height)};
}
