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

// What placing the frame needs from modules that are not part of the
// program yet; null entries give 0, false, nothing.
struct WndFitHooks {
    int32_t (*toolbarMaxWidth)();       // the tool bar's largest width (no tool bar yet: 0)
    bool (*fullScreenSwitching)();      // a full-screen switch is in progress
    void (*scrollToRightEdge)();        // comic pages read right to left start at the right
};
extern WndFitHooks g_wndFitHooks;
