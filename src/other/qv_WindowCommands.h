// The command handlers of the Window block (restore, minimise, maximise,
// always on top and the frame's shape options) and of the View block's full
// screen switch.
#pragma once

#include <windows.h>

// 0 handled or swallowed, 1 not one of the block's commands.
int WindowCommands_OnWindow(HWND frame, UINT id);
int WindowCommands_OnView(HWND frame, UINT id);
