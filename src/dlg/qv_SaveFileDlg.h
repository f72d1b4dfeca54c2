// Save and Save As: the system save dialog with the program's own template
// and the option panel of the chosen format, the overwrite and read-only
// rules, the extension fixing, keeping the source file's times and the
// refresh of the list afterwards.
#pragma once

#include <windows.h>

#include <cstdint>

#include "dlg/qv_SaveChecks.h"
#include "dlg/qv_SaveNameCore.h"

// What the dialog remembers between calls (and in the [Save] section of the
// configuration file).
struct SaveDlgRemembered {
    int32_t filter = 1;    // last filter index of a Save As dialog, 1..4
    int32_t origTime = 0;  // give the new file the source file's times
    int32_t extenUp = 0;   // an appended extension in upper case
    TCHAR path[MAX_PATH] = {};  // folder of the last Save As
};
extern SaveDlgRemembered g_saveDlgRemembered;

// owner null: the frame. saveAs 0 Save, 1 Save As. 1 saved, 0 not.
int SaveFileDlg_Show(HWND owner, int saveAs);
// The common write step. 1 written, 0 not (reported).
int SaveFileDlg_Write(HWND owner, const TCHAR *path, int format);
// Remembers the first length characters of path (all when length < 1) as
// the folder of the last Save As.
void SaveFileDlg_SetSavePath(int length, const TCHAR *path);
