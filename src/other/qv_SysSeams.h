// System calls that tests must control go through this one table. The
// defaults are the real calls; a test replaces an entry and restores it.
#pragma once

#include <windows.h>

#include <commdlg.h>

struct SysSeams {
    int(WINAPI *messageBox)(HWND owner, LPCTSTR text, LPCTSTR caption, UINT type);
    DWORD(WINAPI *timeGetTime)();
    LPVOID(WINAPI *virtualAlloc)(LPVOID address, SIZE_T size, DWORD type, DWORD protect);
    HGLOBAL(WINAPI *globalAlloc)(UINT flags, SIZE_T bytes);
    int (*readShortcutTarget)(const TCHAR *shortcut, TCHAR *out, int capacity);  // Shell_ReadShortcutTarget
    BOOL(WINAPI *chooseColor)(LPCHOOSECOLOR choice);  // the system colour dialog
};

extern SysSeams g_sys;

// Restores every entry to the real call.
void SysSeams_Reset();
