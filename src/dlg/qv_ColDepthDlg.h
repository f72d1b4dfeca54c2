// The colour depth dialog: 8 bits, 16 bits 5-5-5 or 5-6-5, 24 bits, or the
// smallest palette depth that keeps every colour, with or without
// dithering; OK converts the whole picture.
#pragma once

#include <windows.h>

#include <cstdint>

// Command 40048. 1 when the dialog ran (Cancel, or OK and the conversion
// succeeded), 0 refused or failed (reported).
int ColDepthDlg_Show(HWND owner);

// Converts the whole picture to `target` (a ColDepthTarget: 0 optimal, 8,
// 15, 16 or 24), dithering where the conversion reduces colours and `dither`
// is set. One undo step, taken only when the picture changed; a picture
// already at the target, or that the optimal reduction cannot make
// smaller, is left as it is with the undo record. 1 done (or nothing to
// do), 0 failed: an unknown target, no picture, or a library call refused,
// and then the picture and the undo record are as they were.
int ColDepthDlg_Convert(int32_t target, bool dither);
