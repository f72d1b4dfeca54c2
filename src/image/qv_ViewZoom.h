// The zoom commands of the view (actual size, fit, zoom in and out, a given
// factor) that keep the picture point at the middle of the view where it
// was, the refit to the window, and the refresh after an edit changed the
// picture's size.
#pragma once

#include <windows.h>

#include <cstdint>

// mode: 0 actual size, 1 fit, 4 zoom in, 8 zoom out, 1024 the factor in
// argument (10000000 = 100 %). 1 done; 0 without a picture that can be
// shown, with nothing displayed, for another mode, or when the zoom could
// not be applied.
int View_ZoomCommand(uint32_t mode, int32_t argument);

// Fits the picture to the window again, keeping the keep-zoom bit. 1 done.
int View_Refit();

// After an edit changed the picture's size (crop, turn, undo of a resize):
// the selection goes, the zoom is recomputed in the current mode and the
// window refitted.
void Edit_RefreshGeometry();

// Command handler of the zoom ids of the View block and of the two
// actual-size-or-fit toggles: 0 handled, 1 not a zoom command.
int ViewZoom_OnCommand(HWND frame, UINT id);
