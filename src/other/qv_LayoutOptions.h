// The setters of the frame's shape options (caption bar, sizing border, view
// edge, menu bar, tool bar, status bar, scroll bars). Each stores its option
// and, when the change concerns the layout in use, applies it at once.
// Setters return the previous value.
#pragma once

#include <cstdint>

// Re-applies the frame style for the options (not in full screen), keeping a
// maximised frame maximised. 1 applied.
int Opt_ApplyFrameStyle();
int32_t Opt_SetCaptionBar(int on);
int32_t Opt_SetFrame(int on);
int32_t Opt_SetEdge(int on);
int32_t Opt_SetMenuBar(int on);
// fullScreen: the option of the full-screen layout rather than the window one.
int32_t Opt_SetToolbar(int on, int fullScreen);
int32_t Opt_SetStatusBar(int on, int fullScreen);
// Edge-only in the window layout: the bar shows only while the cursor is at
// its edge, over the view, instead of taking room for good.
int32_t Opt_SetToolbarEdge(int on);
int32_t Opt_SetStatusBarEdge(int on);
int32_t Opt_SetScrollBars(int on, int fullScreen);

// Refits the picture to the window after a change of the client area.
void Layout_Refit();
// The view's scroll positions across a switch of its scroll bars: put back
// on each axis that has a bar afterwards, unless hover scrolling places the
// view itself.
struct ScrollMemo {
    int32_t hPos, vPos;
};
ScrollMemo Layout_RememberScroll();
void Layout_RestoreScroll(const ScrollMemo &memo);

// Joins the layout modules to the view, the settings and the fitting (start-up).
void Layout_InstallHooks();
