// The view's scroll bars driven from a ScrollState (arithmetic in
// qv_ScrollCore.h): each call updates the record, then mirrors it onto the
// window's bars while the record is enabled.
#pragma once

#include <windows.h>

#include "image/qv_ScrollCore.h"

void Scroll_InitState(ScrollState *s);
// Only for an unbound state: reset, bind, and read the window's bars. 1 ok.
int Scroll_Attach(ScrollState *s, HWND window);
// on: the bars follow the record (needs a window). off: both ranges zeroed,
// both bars hidden. 1 ok.
int Scroll_Enable(ScrollState *s, int on);
// Axis 0, 1 or 3; a null step is left alone. 1 ok.
int Scroll_SetSteps(ScrollState *s, int axis, const int32_t *line, const int32_t *page);
// Needs 0 < page < total: positions 0..total - page. 1 ok, 0 refused.
int Scroll_SetRange(ScrollState *s, int axis, int32_t page, int32_t total);
// Returns the position before the change.
int32_t Scroll_SetPos(ScrollState *s, int32_t value, int32_t mode, int axis, int redraw);
// WM_HSCROLL / WM_VSCROLL: 1 when the position changed.
int Scroll_OnMessage(ScrollState *s, UINT message, int32_t code);
// 1 when the key moved the position.
int Scroll_ByKey(UINT virtualKey, int axis, ScrollState *s);
// Shows or hides one axis's bar and notes it; a bar shown again gets the
// record's position. 1 ok.
int Scroll_ShowBar(ScrollState *s, int axis, int show);
