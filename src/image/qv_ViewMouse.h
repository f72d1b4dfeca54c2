// The view's three left-button drag kinds (0 scroll or, in selection mode,
// select; 1 zoom; 2 move the frame), their start threshold, and the
// selection auto-scroll timer. The mouse mapping decides which button drives
// which kind; this module does the work on g_viewState. Every function that
// returns int answers whether the view must be redrawn.
#pragma once

#include <windows.h>

// Drag kinds, the values of the mouse mapping's drag modes 0..2.
constexpr int kDragKindScroll = 0;
constexpr int kDragKindZoom = 1;
constexpr int kDragKindMove = 2;

int ViewMouse_BeginDrag(POINT client, int kind, WPARAM keys);
int ViewMouse_OnMove(POINT screen, POINT client, WPARAM keys);
int ViewMouse_EndDrag(POINT client, int kind, WPARAM keys);
// In selection mode: the move step at the cursor with the live key state,
// then the pointer status.
int ViewMouse_RefreshAtCursor();
// Timer 1002: scrolls while a selection is dragged beyond the client.
void ViewMouse_AutoScrollTick(HWND view);
// Ends every running drag at the cursor (focus lost). 1 when one ended.
int ViewMouse_EndAll();
// The view closes: drags stopped, selection gone, capture released.
void ViewMouse_Reset();

// Whether the key of a mouse button (a virtual-key code) is down now; tests
// replace it, since posted messages do not press real buttons.
extern bool (*g_viewMouseKeyDown)(int virtualKey);

// Joins the selection and the drags to the view, the menus, the scroll
// commands and the current-image record (start-up, after the mouse mapping
// is attached).
void Selection_InstallHooks();
