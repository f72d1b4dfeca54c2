// The selection commands of the Edit block (selection mode) and the
// selection grid block (40401..40407).
#pragma once

#include <windows.h>

constexpr UINT kCmdSelectionMode = 40022;
constexpr UINT kCmdSelGridFree = 40401;
constexpr UINT kCmdSelGridCustom = 40407;

// Block handlers: 0 handled, 1 not one of their ids (the other Edit
// commands belong to the edit module).
int SelectionCommands_OnEdit(HWND frame, UINT id);
int SelectionCommands_OnSelectionGrid(HWND frame, UINT id);
