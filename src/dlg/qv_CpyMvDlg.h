// The copy and move destination dialogs: ten registered folders per kind, a
// simple form with the first and an extended form with all ten, browse and
// drop onto a field; the registered folders live in [CpMv].
#pragma once

#include <windows.h>

constexpr int kCpyMvSlots = 10;

// slot 0..9: that registered folder when it is not empty (no dialog);
// an empty slot opens the extended form with the form switch disabled.
// slot -1: the dialog in the remembered form. The chosen folder text (owned
// by the registered list, valid until the next change) or null.
const TCHAR *CpyMvDlg_Show(HWND owner, int slot, int isCopy);
// Replaces registered folder `slot` of the copy (move 0) or move list; an
// empty or null text empties it. 1/0; a text of 260 characters or more is
// refused and the slot kept (the configuration file could not hold it).
int CpyMvDlg_SetSlotPath(int slot, const TCHAR *text, int move);
// Registered folder `slot`, null when empty. The text stays valid until
// that slot is next replaced or the folders are freed.
const TCHAR *CpyMvDlg_GetSlotPath(int slot, int move);
// The remembered form of each kind: 1 the ten-folder form (CpEx, MvEx).
int CpyMvDlg_GetExtended(int move);
void CpyMvDlg_SetExtended(int move, int extended);
// Frees the registered folders and forgets the remembered forms (end of the
// run, tests).
void CpyMvDlg_Free();
