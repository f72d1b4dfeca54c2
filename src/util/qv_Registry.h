// Thin wrappers over the registry (key slots that close themselves, a
// recursive key deletion), shell shortcuts and the folder and colour
// choosers.
#pragma once

#include <windows.h>

// A registry key slot: one key, null when empty. Opening into a slot closes
// what it held.
struct RegKey {
    HKEY key = nullptr;
    RegKey() = default;
    ~RegKey();
    RegKey(const RegKey &) = delete;
    RegKey &operator=(const RegKey &) = delete;
};

struct RegKeyTarget {
    HKEY parent;
    const TCHAR *subkey;
    REGSAM access;
};

// Results are Win32 error codes (0 = success) unless stated.
LONG RegKey_Open(RegKey *slot, HKEY parent, const TCHAR *subkey, REGSAM access);
LONG RegKey_Create(const RegKeyTarget &target, RegKey *slot);
// 1 opened, 0 the key does not exist, -1 any other error.
int RegKey_TryOpen(RegKey *slot, HKEY parent, const TCHAR *subkey, REGSAM access);
LONG RegKey_Close(RegKey *slot);
LONG RegKey_Release(RegKey *slot);
LONG RegKey_SetString(const TCHAR *text, RegKey *slot, const TCHAR *valueName);
LONG RegKey_SetStringBytes(const TCHAR *text, RegKey *slot, const TCHAR *valueName, DWORD bytes);
// Deletes subkey and everything below it. 1010 without a parent key, 1011
// without a subkey name (missing or empty: an empty name would name the
// parent itself).
LONG RegKey_DeleteTree(RegKey *parent, const TCHAR *subkey);
void Reg_NotifyAssocChanged();

// 1 resolved into out (1024 characters), 0 otherwise; a target of 1024
// characters or more is refused, never cut.
int Util_ResolveShortcut(const TCHAR *shortcut, TCHAR *out1024);
// The shell's reading of a shortcut's target into out (capacity characters;
// the shell cuts a longer target to fit). 1 read. Reached through g_sys.
int Shell_ReadShortcutTarget(const TCHAR *shortcut, TCHAR *out, int capacity);

int Ui_BrowseForFolder(const TCHAR *initial, HWND owner, TCHAR *outPath, const TCHAR *title);
int Color_Choose(COLORREF *colour, HWND owner);
void Color_SeedCustomColors();
// The shared custom colours (16), for tests.
const COLORREF *Color_CustomColors();
// The seeding rule over any colour source (tests pass their own).
void Color_SeedFrom(COLORREF (*sysColor)(int index), COLORREF *out16);
