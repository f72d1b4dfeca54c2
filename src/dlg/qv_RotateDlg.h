// The rotate dialog: an angle in degrees with three decimals and the colour
// of the corners a free turn uncovers; OK turns the whole picture.
#pragma once

#include <windows.h>

#include <cstdint>

// Command 40605. 1 when the dialog ran (Cancel, or OK and the turn
// succeeded), 0 refused or failed (reported).
int RotateDlg_Show(HWND owner);

// Turns the whole picture by `angle` thousandths of a degree: whole turns do
// nothing; quarter turns are lossless; any other angle fills the uncovered
// corners with `background`. One undo step. 1 done, 0 failed.
int RotateDlg_Apply(int32_t angle, COLORREF background);

// Stores the remembered angle, reduced to -360000..360000.
void RotateDlg_SetAngle(int32_t angle);
