// A static control of a dialog that shows a colour: the background of a
// rotation, of added canvas, of a new picture.
#pragma once

#include <windows.h>

// Kept in the dialog's state record, which outlives the control.
struct ColourSwatch {
    const COLORREF *colour = nullptr;
    WNDPROC previous = nullptr;
};

// Subclasses `control` to paint *colour; the control gives its procedure
// back when it is destroyed. False when the control could not be taken.
bool ColourSwatch_Attach(ColourSwatch *swatch, HWND control, const COLORREF *colour);
