// The tool bar and the status bar shown through the program's own rules:
// shown or hidden with the cursor-show reason that keeps the cursor visible
// over them, and brought up while the cursor rests at their edge (full
// screen, or the window layout with an edge-only bar), then hidden again by
// the frame's check timer once the cursor has left.
#pragma once

#include <windows.h>

constexpr int kShowReasonToolbar = 3;
constexpr int kShowReasonStatusBar = 4;

// The two questions the edge asks the system, replaced in tests; null
// entries ask the system itself.
struct BarsSeams {
    BOOL(WINAPI *cursorPos)(POINT *out);
    HWND(WINAPI *activeWindow)();
};
extern BarsSeams g_barsSeams;

// Show or hide when the state differs. redraw: the frame lays out its
// children again. keepCursor > 0: the cursor stays visible while the bar is
// shown. Each returns the shown state afterwards (0 without the bar).
int Bars_ShowToolbar(int redraw, int keepCursor);
int Bars_HideToolbar(int redraw);
int Bars_ShowStatusBar(int redraw, int keepCursor);
int Bars_HideStatusBar(int redraw);

// bar 0 the tool bar, 1 the status bar. point: screen coordinates, null for
// the cursor. mode < 0 only hides. checkKeys: a held mouse button (or Shift
// or Ctrl over a hidden bar) leaves the bar alone. 1 when the bar is in edge
// mode and took the question, else 0.
int Bars_AutoShowAtEdge(int bar, const POINT *point, int mode, int checkKeys);
int StatusBar_AutoShowAtCursor(const POINT *point, int mode, int checkKeys);
// 1 while some bar in edge mode is shown, so the check timer is still needed.
int Bars_AutoHideAllowed();

// The frame's check timer: the bars decide at the point (null: the cursor)
// whether to stay. A bar that hid itself makes the point the last seen mouse
// position; the timer ends when no edge bar is shown.
void Bars_OnCheckTimer(HWND frame, const POINT *point);
// The frame lost activation or the view its focus: hide what the edge showed.
void Bars_StopAutoShow();
