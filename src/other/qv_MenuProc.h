// Routes every command id to the handler of its block, swallowing what a
// guarded dialog refuses.
#pragma once

#include <windows.h>

#include "other/qv_CommandBlocks.h"

struct CommandMessage {
    HWND window;
    UINT message;  // 0: a re-dispatch, whose handler result is returned
    WPARAM wParam;
    LPARAM lParam;
};

LRESULT MenuProc_OnCommand(const CommandMessage &message);

// A block handler: 0 handled or swallowed, 1 not one of its ids.
using CommandHandler = int (*)(HWND frame, UINT id);

// The handler of a block; null while the module that serves it is not part
// of the program (its ids then take default handling).
CommandHandler MenuProc_HandlerOf(CommandBlock block);
