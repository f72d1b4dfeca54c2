// Sharpening and blurring the current picture: the menu presets, and the
// values the unsharp-mask and Gaussian-blur dialogs hand over on OK.
#pragma once

#include <windows.h>

#include <cstdint>

// Runs `command` (40681..40688) over the selection, else the whole picture,
// as one undo step. Presets replace radius (thousandths of a pixel), amount
// (tenths of a percent) and threshold. 1 done or nothing to do; 0 another
// command, no picture, or the filter failed (the picture is then as it was).
int UnShMaskDlg_Apply(int32_t radius, int32_t amount, int32_t threshold, UINT command);
