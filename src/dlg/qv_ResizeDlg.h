// The resize dialog: a new size of the whole picture in pixels, in percent
// or as a print size, a new resolution, the methods for reducing and for
// enlarging and the sharpening after a reduction; OK resizes the picture.
#pragma once

#include <windows.h>

#include <cstdint>

// Command 40042. 1 when the dialog ran (Cancel, or OK and the resize
// succeeded), 0 refused or failed (reported).
int ResizeDlg_Show(HWND owner);

// Resizes the whole picture to width x height and writes the resolution in
// pixels per metre (negative keeps the picture's own), with the remembered
// methods and sharpening. A size change is undone from a snapshot, a change
// of the resolution alone from its old values. 1 done (or nothing to do),
// 0 failed: a side above 65535, the resolution not written or the
// resampling failed (the picture is then left as it was).
int ResizeDlg_Apply(int32_t width, int32_t height, int32_t ppmX, int32_t ppmY, int withUndo);
