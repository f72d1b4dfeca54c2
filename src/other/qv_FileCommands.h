// The File commands and the commands that move or copy the current file to
// a registered folder: save, save as, rename, move, copy, delete, delete
// without asking, close the program.
#pragma once

#include <windows.h>

enum FileCommandId : UINT {
    kCmdReload = 40002,
    kCmdRename = 40003,
    kCmdMove = 40004,
    kCmdCopyTo = 40005,
    kCmdDelete = 40006,
    kCmdSave = 40007,
    kCmdSaveAs = 40008,
    kCmdNothing = 40010,
    kCmdExit = 40011,
    kCmdDeleteForGood = 45041,
    kCmdMoveToSlotFirst = 45161,  // ..45170: registered move folders 0..9
    kCmdCopyToSlotFirst = 45181,  // ..45190: registered copy folders 0..9
    kCmdNextFile = 40062,
};

// Command handlers: 0 handled, 1 default handling.
int FileCommands_OnFile(HWND frame, UINT id);
int FileCommands_OnExtraFile(HWND frame, UINT id);
int FileCommands_OnMoveToFolder(HWND frame, UINT id);
int FileCommands_OnCopyToFolder(HWND frame, UINT id);
