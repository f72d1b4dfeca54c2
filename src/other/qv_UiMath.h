// The arithmetic of windows, cursors and dialogs, kept free of Win32 so it is
// tested natively: DPI factors, the default window size, monitor choice and
// placement in a work area, the view's scroll-bar decision, the selection
// auto-scroll step, cursor hiding by reasons, dialog layout directives, the
// slider positions and the 3 x 3 anchor picker.
#pragma once

#include <cstddef>
#include <cstdint>

#include "util/qv_MathUtil.h"

// ------------------------------------------------------------ screen facts

// percent = dpi x 100 / 96 rounded up; factor = (percent, plus 25 below 200)
// / 100, at least 1.
int32_t UiMath_DpiPercent(int32_t dpi, int32_t *percent);

// "480|360" scaled by dpi / 96 when above 96; each part 1..32766 or the
// defaults 480 and 360; results at most 32767 and at least the unscaled value.
void UiMath_DefaultSize(const char16_t *text, int32_t dpiX, int32_t dpiY, int32_t *width, int32_t *height);

// The monitor a rectangle belongs to: the one it overlaps most, else the
// nearest; -1 without monitors.
int UiMath_PickMonitor(const Rect &rect, const Rect *monitors, size_t count);

// Number of monitors a rectangle touches.
size_t UiMath_CountTouched(const Rect &rect, const Rect *monitors, size_t count);

// Centres rect on `centreOn` (when given), then moves it inside the work
// area, keeping its size where it fits and cutting it where it does not.
void UiMath_PlaceInWorkArea(Rect *rect, const Rect &workArea, const Rect *centreOn);

// ------------------------------------------------------------ view

struct ScrollBarNeed {
    bool horizontal;
    bool vertical;
    int32_t clientWidth;   // what is left for the picture
    int32_t clientHeight;
};

// Which scroll bars a picture of pictureW x pictureH needs in a client area
// of clientW x clientH (measured without bars).
ScrollBarNeed UiMath_ScrollBarsNeeded(int32_t clientW, int32_t clientH, int32_t pictureW, int32_t pictureH,
                                      int32_t hBarHeight, int32_t vBarWidth);

// Auto-scroll step for a cursor `beyond` pixels past an edge (negative:
// before the start edge) at `zoom` (10000000 = 100 %).
int32_t UiMath_AutoScrollStep(int32_t beyond, bool onMonitor, int32_t zoom);

// ------------------------------------------------------------ cursor

// Hiding the mouse cursor by reasons: a reason is a bit, not a count; show
// reasons win over hide reasons.
struct CursorReasons {
    uint32_t hide = 0;
    uint32_t show = 0;
    int32_t shown = 1;
};

// Returns the new shown state, or -1 for a bit of 32 or more.
int32_t CursorReasons_SetHide(CursorReasons *c, uint32_t bit, bool on);
int32_t CursorReasons_SetShow(CursorReasons *c, uint32_t bit, bool on);

// ------------------------------------------------------------ dialogs

struct LayoutTarget {
    int32_t control;        // 2131..2140
    bool edges[4];          // left, top, right, bottom taken from the reference
};

struct LayoutDirective {
    int32_t reference;      // 2131..2140
    LayoutTarget targets[10];
    size_t count;
};

// Parses "N=T(LTRB)=T(LTRB)..."; false for a text shorter than 5 characters
// or a malformed head. A malformed group ends the directive (the groups
// before it count).
bool UiMath_ParseLayoutDirective(const char16_t *text, LayoutDirective *out);

// Slider position for a mode: 0 absolute, 1/2 plus/minus a line, 3/4 plus/minus
// a page, 5 doubled, 6 zero, 7 minimum, 8 maximum; always clamped.
int32_t UiMath_SliderPos(int32_t mode, int32_t value, int32_t current, int32_t minimum, int32_t maximum,
                         int32_t line, int32_t page);

struct AnchorGeometry {
    int32_t cell;    // cell side
    int32_t size;    // picker side: border + 3 x cell
    int32_t border;
};

// Cells from the static's client size; false when a cell would be below
// 4 x border.
bool UiMath_AnchorLayout(int32_t clientW, int32_t clientH, int32_t border, AnchorGeometry *out);
// Cell 0..8 under (x, y) relative to the picker, -1 outside.
int32_t UiMath_AnchorHitTest(const AnchorGeometry &g, int32_t x, int32_t y);
