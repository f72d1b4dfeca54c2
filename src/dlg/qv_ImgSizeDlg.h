// The canvas size dialog: a new width and height in pixels, percent, inches
// or centimetres, the cell of a 3 x 3 grid where the old picture stays, and
// the colour of added area. OK adds or crops margins.
#pragma once

#include <windows.h>

#include <cstdint>

// Command 40043. 1 when the dialog ran (Cancel, or OK and the canvas
// changed), 0 refused or failed (reported).
int ImgSizeDlg_Show(HWND owner);

// Gives the picture a canvas of width x height, the old picture kept at
// `anchor` (0..8, row by row) and added area of `colour`. One undo step:
// cropping saves the whole picture, growth records the old rectangle. The
// same size succeeds without change; a size outside 1..65535 or an anchor
// outside 0..8 fails. 1 done, 0 failed with the picture and undo unchanged.
int ImgSizeDlg_Apply(int32_t width, int32_t height, int32_t anchor, COLORREF colour);
