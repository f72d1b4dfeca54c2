// The arithmetic of placing the frame around a picture within the work
// area: sizes, minimum widths, keeping the window inside, and centring.
// Plain integers, no windows, so every rule is tested natively.
#pragma once

#include <cstdint>

#include "util/qv_MathUtil.h"

// One axis of a window placed with centring. A window smaller than the work
// area keeps its old centre, or is centred in the work area when the old
// one was (centres within 2 pixels); when its size does not change it keeps
// the position the caller passed and is not clamped. A window at least as
// large as the work area starts at its edge and takes its size. The result
// is kept inside the work area. Returns the new start; *size may be cut.
int32_t WndFit_CentreSpan(int32_t workStart, int32_t workEnd, int32_t oldStart, int32_t oldEnd, int32_t newStart,
                          int32_t *size);

// The rectangle a window takes with centring on (both axes through
// WndFit_CentreSpan) or off (as given).
Rect WndFit_PlaceRect(const Rect &work, const Rect &oldRect, const Rect &newRect, bool centre);

// What sizing the frame around a displayed picture needs.
struct WndFitSizing {
    Rect work;               // work area of the frame's monitor
    int32_t left, top;       // the frame's current position
    int32_t contentWidth;    // displayed picture (or default) size
    int32_t contentHeight;
    int32_t extraWidth;      // frame size minus the view's client size
    int32_t extraHeight;
    int32_t minWidth;        // the largest of the minimum widths
    int32_t vBarWidth;       // added to the width when the height is cut
    int32_t hBarHeight;      // added to the height when the width is cut
};

// The smallest frame width the options ask for: the non-client width plus
// the menu bar's figure (menu bar on), plus the tool bar's largest width
// (tool bar on and fitting to it), and the minimum tracking width.
int32_t WndFit_MinWidth(int32_t extraWidth, int32_t menuBarFigure, bool menuBar, int32_t toolbarMaxWidth,
                        bool fitToToolbar, int32_t minTrackWidth);

// The frame around the content: content plus non-client size, at least the
// minimum width, its left and top kept but not outside the work area; a
// window reaching past the right (bottom) edge moves left (up), and one
// larger than the work area is cut to it, the other axis gaining room for
// the scroll bar that the cut brings.
Rect WndFit_WindowAround(const WndFitSizing &s);
