// The recent-folder commands: id 40201 + i opens recent entry i at the file
// last shown there.
#pragma once

#include <windows.h>

constexpr UINT kFirstRecentCommand = 40201;

// Block handler of 40121-40220: 0 handled, 1 not one of its ids (below
// 40201, or no entry at that index).
int RecentCommands_OnCommand(HWND frame, UINT id);
