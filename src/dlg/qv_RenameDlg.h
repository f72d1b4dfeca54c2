// The rename dialog: the current file name as a name and an extension field;
// OK returns the joined new name, refused while it is too long, holds a
// character no file name may have or names no ordinary file.
#pragma once

#include <windows.h>

constexpr int kRenameNameChars = 260;

// name: kRenameNameChars characters, the current name on entry. 1 OK (name
// holds the new name); otherwise name is emptied; -1 the dialog could not
// be created (reported).
INT_PTR RenameDlg_Show(TCHAR *name, HWND owner);
