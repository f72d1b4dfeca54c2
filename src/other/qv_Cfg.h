// The configuration file Quivelta.cfg: its path and folders, its encoding
// (UTF-16 with a byte-order mark in Quivelta, the ANSI code page in
// Quivelta98), and the sections read and written key by key through the
// option table, all under the configuration lock.
#pragma once

#include <windows.h>

#include <cstdint>

#include "other/qv_OptTable.h"

// 0 ok (also a second call); 1 no data folder, 2 empty data folder, 3 no
// memory, 4 the folder "user" did not fit, 5 the user part, 6 the file name.
int Cfg_BuildPath();
// The full path, or null before Cfg_BuildPath.
const TCHAR *Cfg_Path();
// Copies the user folder; returns its length, length + 1 when out is null
// or too small, 0 when no path is set.
int Cfg_GetUserFolder(TCHAR *out, int size);
// 0 ok, else the failing step (the outcome is kept for the run).
int Cfg_EnsureFolders();

// Primitives over the file; sections and keys in the program's text.
int Cfg_WriteString(const TCHAR *section, const TCHAR *key, const TCHAR *value);
int Cfg_WriteInt(int32_t value, const TCHAR *section, const TCHAR *key);
int Cfg_ReadString(const TCHAR *defaultText, TCHAR *buffer, const TCHAR *section, const TCHAR *key, int size);
struct CfgIntKey {
    const TCHAR *section;
    const TCHAR *key;
    int32_t defaultValue;
};
// 0 read; 4 missing and 5 not a number (both store the default); 6 no file.
int Cfg_ReadInt(const CfgIntKey &item, int32_t *out);
int Cfg_WriteIntList(const TCHAR *section, const TCHAR *key, const int32_t *values, int count);
struct CfgKeyValue {
    const TCHAR *key;
    int32_t value;
};
int Cfg_WriteUIntTable(const CfgKeyValue *table, const TCHAR *section);
int Cfg_WriteIntTable(const CfgKeyValue *table, const TCHAR *section);

// 1 UTF-16 (or, in Quivelta98, starts with a byte-order mark), 0 missing or
// not UTF-16, -1 a folder, read-only or cannot be opened.
int Cfg_IsUtf16File();
int Cfg_CreateUnicodeFile(const TCHAR *firstText);
int Cfg_PrepareFile();

int Cfg_LoadBoot();
int Cfg_LoadWnd(RECT *outRect, int *inOutShowCmd, DWORD *inOutExStyle);
// 1 when start-up should begin in full screen.
int Cfg_LoadShowMode();
// The frame's state as it is destroyed; written by the next save.
void Cfg_RememberWindowState(int maximised, int minimised, int fullScreenOnlyForSlideShow);
int Cfg_LoadAll();
int Cfg_SaveAll();
int Cfg_LoadDlg();
int Cfg_LoadSave();
int Cfg_LoadCpMv();

int Cfg_SaveBoot();
int Cfg_SaveWnd();
int Cfg_SaveOther();
int Cfg_SaveChildWnd();
int Cfg_SaveMask();
int Cfg_SaveDlg();
int Cfg_SaveSave();
int Cfg_SaveCpMv();
int Cfg_SaveLoad();
int Cfg_SaveMruf();
int Cfg_SaveMrud();
int Cfg_LoadOther();
int Cfg_LoadChildWnd();
int Cfg_LoadMask();
int Cfg_LoadLoad();
int Cfg_LoadMruf();
int Cfg_LoadMrud();

// Keys of this run that were present but refused (not a number, too few
// values): a hand-edited file leaves a trace.
int Cfg_RejectedKeyCount();

// Forgets the path, the folder outcome, the lazy-section marks, the
// remembered window state and the recent folders (tests start each case
// from a clean run).
void Cfg_ResetForTests();

// The information-text font and the last opened file (texts of the store).
int Opt_ParseFont(struct Settings *settings, const TCHAR *params, const TCHAR *face, int force);
int Opt_DefaultFont(struct Settings *settings, int force);
// The font as a LOGFONT, or null when the record has none.
const LOGFONT *Opt_GetFont(const struct Settings *settings, LOGFONT *out);
// Takes the font edited in the settings sheet into the live record, with its
// resolution (the screen's when dpi is 0 or less).
void Opt_ApplyFont(const LOGFONT *font, int dpi);
int Opt_SetLastOpened(const TCHAR *file, const TCHAR *member);
const TCHAR *Opt_LastFile();
const TCHAR *Opt_LastMember();
void Settings_Destroy(struct Settings *settings);
