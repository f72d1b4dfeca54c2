// Popup-menu commands: 45001 shows the main popup at the cursor, 45002 to
// 45023 one of the 22 sub-menus.
#pragma once

#include <windows.h>

// Block handler of 45001..45040: 0 handled, 1 not one of its ids.
int PopupCommands_OnCommand(HWND frame, UINT id);
