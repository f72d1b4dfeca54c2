// The view window: the frame's only client child, where the picture is
// shown. For now it paints its background colour, so a started program
// shows an empty view; the picture painting, selection and scrolling join
// this module later.
#pragma once

#include <windows.h>

extern const TCHAR kViewClassName[];

// 1 registered (also when already registered).
int View_RegisterClass(HINSTANCE instance);
// Creates the view as child 1 of the frame covering its client area. 1 ok.
int View_Create(HWND frame, HINSTANCE instance, DWORD exStyle);
// Fills the client area with background colour 1 at once, so no white
// flash is seen before the first paint.
void View_FillBackground(HWND view);
LRESULT CALLBACK View_WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
