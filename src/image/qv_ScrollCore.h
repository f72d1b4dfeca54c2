// The view's scroll state and its arithmetic: positions, ranges, steps and
// the mapping of scroll-bar codes and keys to moves. Portable; the Win32
// side (qv_Scroll.h) only mirrors the results onto the window's bars.
// Positions live here rather than in the bars so they survive while the bars
// are switched off.
#pragma once

#include <cstdint>

struct HWND__;  // the window handle type of <windows.h>

struct ScrollState {
    HWND__ *window;
    int32_t enabled;              // 1: the window's bars follow the record
    int32_t hAllowed, vAllowed;   // the window had WS_HSCROLL / WS_VSCROLL when attached
    int32_t hShown, vShown;       // the axis can scroll (its bar is present)
    int32_t hPos, vPos;
    int32_t hMax, hMin, vMax, vMin;
    int32_t hLine, vLine;         // line steps
    int32_t hPage, vPage;         // page steps
};

constexpr int kScrollHorz = 0;
constexpr int kScrollVert = 1;
constexpr int kScrollBoth = 3;

// Position modes of Scroll_SetPos.
enum ScrollMode : int32_t {
    kScrollTo = 0,
    kScrollLineFwd = 1,
    kScrollLineBack = 2,
    kScrollPageFwd = 3,
    kScrollPageBack = 4,
    kScrollByPlus = 5,
    kScrollByMinus = 6,  // a negative value moves forward (drag scroll)
    kScrollToMin = 7,
    kScrollToMax = 8,
};

// The scroll-bar notification codes (the values of SB_LINEUP ... SB_ENDSCROLL).
enum ScrollCode : int32_t {
    kSbLineUp = 0,
    kSbLineDown = 1,
    kSbPageUp = 2,
    kSbPageDown = 3,
    kSbThumbPosition = 4,
    kSbThumbTrack = 5,
    kSbTop = 6,
    kSbBottom = 7,
    kSbEndScroll = 8,
};

// One axis of the record, addressed by reference.
struct ScrollAxis {
    int32_t *shown, *pos, *max, *min, *line, *page;
};
// Null for an axis other than 0 or 1.
bool ScrollCore_Axis(ScrollState *s, int axis, ScrollAxis *out);

// No window, enabled, everything else 0.
void ScrollCore_Init(ScrollState *s);

// The position a mode gives, cut to the axis's range. false for an unknown
// mode or axis (nothing to do).
bool ScrollCore_NewPos(const ScrollState &s, int axis, int32_t mode, int32_t value, int32_t *out);

// Range 0..total - page; the position is cut into it and the page step
// becomes page. Refused (false, nothing changed) unless 0 < page < total.
bool ScrollCore_SetRange(ScrollState *s, int axis, int32_t page, int32_t total);

// Axis 0, 1 or 3 (both); a null step leaves that step alone. false for
// another axis.
bool ScrollCore_SetSteps(ScrollState *s, int axis, const int32_t *line, const int32_t *page);

// Both ranges zeroed and both bars not shown; positions kept, so they come
// back (cut to the new range) when the bars are driven again.
void ScrollCore_Disable(ScrollState *s);

// What a scroll-bar code does: the mode, whether the value is the thumb's
// track position, and whether the bar itself moves (the thumb track moves
// only the picture). false: the code changes nothing.
struct ScrollAction {
    int32_t mode;
    bool fromTrack;
    bool moveBar;
};
bool ScrollCore_ActionForCode(int32_t code, ScrollAction *out);

// The code and axis a key stands for: arrows name their own axis, Page Up,
// Page Down, Home and End act on the given one. false: not a scroll key.
bool ScrollCore_KeyToCode(uint32_t virtualKey, int givenAxis, int32_t *code, int *axis);
