// The one menu tree (resource 60): the frame's menu bar, the main popup and
// 22 sub-menus reachable by index.
#pragma once

#include <windows.h>

constexpr int kMenuPopupCount = 22;

// Loads the menu, fills the sub-menu table, builds the main popup and adds
// the "menu" entry to the frame's system menu. 1 ok.
int Menu_Create(HWND frame);
int Menu_BuildTable();
HMENU Menu_GetMain();
HMENU Menu_GetMainPopup();
HMENU Menu_GetPopupByIndex(int index);
int Menu_IndexOf(HMENU menu);
int Menu_ShowAt(HMENU menu, HWND window);
// Empties the main popup, detaches the main menu from the frame and destroys it.
void Menu_DestroyAll(HWND frame);
// Copies text doubling each "&"; 0 when it does not fit.
int Menu_EscapeAmpersands(TCHAR *out, const TCHAR *text, int capacity);
// The text of item 40022 as loaded, with "%s" for the grid's name.
const TCHAR *Menu_GetSelectionText();

// Null-safe wrappers: each does nothing and answers 0 (or -1) for a null menu.
// Sets the item text, keeping its other attributes. 1/0.
int Menu_SetItemText(HMENU menu, UINT item, bool byPosition, const TCHAR *text);
int Menu_EnableItem(HMENU menu, UINT item, bool byPosition, bool enable);
int Menu_CheckItem(HMENU menu, UINT item, bool byPosition, bool check);
int Menu_RadioCheck(HMENU menu, UINT first, UINT last, UINT selected);
