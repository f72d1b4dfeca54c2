// Commands that move through the current file list: previous and next,
// fast back and forward, first and last, comic pages, and the comic-aware
// ids that turn into one of them.
#pragma once

#include <windows.h>

#include "other/qv_MenuProc.h"

// Block handlers (0 handled, 1 not one of their ids).
int ListCommands_OnList(HWND frame, UINT id);
int ListCommands_OnComicPages(HWND frame, UINT id);

// Comic-aware navigation and previous/next: the id they stand for in the
// current reading direction, dispatched again; 1 when the id is not one of
// them (or nothing handled it).
LRESULT ListCommands_Redispatch(const CommandMessage &m, UINT id);
