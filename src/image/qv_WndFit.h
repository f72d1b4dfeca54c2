// Placement of the frame after a picture is loaded or the zoom changes: the
// window follows the picture, the picture follows the window, or a mix, kept
// inside the monitor's work area.
#pragma once

#include <windows.h>

#include <cstdint>

// reason 0: the area or zoom changed; 1: a new picture. comic: the picture
// came from a comic-mode load.
void WndFit_FitToImage(int reason, int comic);
int WndFit_IsMaxOrMin();
// 1 when the window was moved or sized.
int WndFit_SetWindowRect(const RECT *workArea, const RECT *oldRect, const RECT *newRect);
