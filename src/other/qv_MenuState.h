// Menu state before display: the facts of the program gathered into one
// record (qv_MenuStateCore decides from it), the recent-folder items, the
// selection-mode text, the paste and edit state, the tool bar state and the
// key names after a TAB.
#pragma once

#include <windows.h>

#include "other/qv_MenuStateCore.h"

// What the menus need from modules of later issues. A null entry answers
// "no" (or nothing to do).
struct MenuStateHooks {
    bool (*hasUndo)();
    bool (*hasSelection)();
    bool (*selectionMode)();
    // File operation on the current file possible now: 0 rename, 1 move,
    // 2 copy, 3 delete.
    bool (*fileOperationPossible)(int operation);
    // Folder of recent entry `index`, null past the end of the list.
    const TCHAR *(*recentFolder)(int index);
    bool (*canRestore)();        // the frame can be restored to its own size
    bool (*wallpaperExists)();   // the program's wallpaper file exists
    void (*fillOtherApps)(HMENU menu);
    // Enables or disables one tool bar button.
    void (*toolbarEnable)(UINT command, bool enable);
};
extern MenuStateHooks g_menuStateHooks;

constexpr int kRecentItemUnits = 536;
constexpr int kRecentShortenAbove = 64;  // longer folders are shortened

// The facts from the current picture, list, settings, clipboard and hooks.
void MenuState_GatherFacts(MenuFacts *out);

// WM_INITMENUPOPUP: 1 when the menu is the main popup or one of the table's
// sub-menus (its state, texts and key names are set), else 0.
int Menu_PrepareState(HMENU menu);

// Key names after a TAB for the main popup and sub-menus 0..5, once start-up
// is complete and the key-name table is loaded. 1 when done.
int Menu_AddKeyNames(HMENU menu);

// A recent folder as a menu item: shortened past 64 characters, "&" doubled.
// out holds kRecentItemUnits characters. 1/0.
int Menu_FormatRecentItem(const TCHAR *folder, TCHAR *out);
// Fills the recent-folder menu from the list (hook). Number of items set.
int Menu_FillRecent(HMENU menu);

// Item 40022 from the loaded selection-mode text and the grid's name.
int Menu_UpdateSelectionText();
// Name of a selection-grid option value (string IDS_GRID_NAMES). 1/0.
int Menu_GridName(int grid, TCHAR *out, int size);
void Menu_UpdateEditState();
// Whether the clipboard holds a picture; with menus, paste and paste as new
// follow it. The tool bar's paste button always does.
bool Menu_UpdatePasteState(int menusToo);
void Menu_UpdateToolbar();
// Sum of the widths of a menu bar's items and the height of its last item.
int Menu_MeasureBar(HWND window, HMENU menu, int *width, int *height);
