// The scroll commands: to a corner, an edge or the centre of the picture
// (45061..45069), as by a scroll key (45081..45100, and the comic-aware
// 45113..45118), and the wheel-scroll commands (45121..45126). They move the
// view's scroll state and redraw the view when it moved.
#pragma once

#include <windows.h>

// Joined by modules that come later; a null entry does nothing.
struct ScrollCommandHooks {
    // After a scroll: the mouse action at the cursor is evaluated again (a
    // selection being dragged follows the picture).
    void (*afterMove)();
};
extern ScrollCommandHooks g_scrollCommandHooks;

// Block handlers: 0 handled (also when nothing could move), 1 not one of
// their ids.
int ScrollCommands_OnScrollTo(HWND frame, UINT id);
int ScrollCommands_OnScrollByKey(HWND frame, UINT id);
int ScrollCommands_OnWheelScroll(HWND frame, UINT id);
