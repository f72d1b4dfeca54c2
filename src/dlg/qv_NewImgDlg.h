// The new picture dialog: a blank picture of a chosen size, depth and
// colour under a name becomes the current, untitled picture. Also the size
// limits every dialog that makes a picture larger asks before it does.
#pragma once

#include <windows.h>

#include <cstdint>

#include "dlg/qv_SizeLimits.h"

// Command 40028. 1 when the dialog ran (Cancel, or OK and the picture was
// made), 0 refused or failed (reported).
int NewImgDlg_Show(HWND owner);

// What the limits depend on: the option that allows pictures beyond the
// physical memory, and the memory. Tests replace the source.
using SizeLimitFactsSource = SizeLimitFacts (*)();
extern SizeLimitFactsSource g_sizeLimitFacts;
SizeLimitFacts NewImgDlg_MachineFacts();

// Whether a picture of the size and depth may be made, and its byte size.
bool NewImgDlg_SizeAllowed(int64_t width, int64_t height, int32_t bitsPerPixel, uint64_t *byteSize);

// The size check of a dialog that makes or changes a picture: OK enabled
// only for an allowed size, and the group `groupId` showing the byte size
// through `pattern`, followed by `refusal` when the size is refused.
bool NewImgDlg_ShowSizeCheck(HWND dialog, int groupId, const TCHAR *pattern, const TCHAR *refusal, int64_t width,
                             int64_t height, int32_t bitsPerPixel);

// 1 go ahead: the size is allowed and either small against the memory or
// the user agreed to the warning; 0 otherwise. With `takeGuard` the warning
// holds the one-dialog guard while it shows (0 when another one is open).
int NewImgDlg_ConfirmLargeSize(HWND owner, int64_t width, int64_t height, int32_t bitsPerPixel, int takeGuard);

// The name of the next untitled picture into out; 0 when it cannot be made
// (no text, or a character file names cannot hold).
int NewImgDlg_FormatUntitledName(TCHAR *out, int capacity);

// Makes the blank picture (depth index 0..5 of the dialog's list, filled
// with `colour`; palette pictures hold the colour in entry 0 and black
// elsewhere) and only then puts it in place of the current picture and its
// undo, under `name`. 1 done; 0 failed with the current picture untouched.
int NewImgDlg_Create(int32_t width, int32_t height, int depthIndex, COLORREF colour, const TCHAR *name);
