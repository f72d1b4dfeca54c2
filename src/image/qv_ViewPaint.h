// Painting the view: the picture (its display copy, or the picture drawn
// scaled) centred or scrolled, the two-colour background around it, and the
// information text over it. An off-screen surface is used only while the
// text is shown, so the text does not flicker; otherwise everything goes
// straight to the window and only the background that changed is painted.
#pragma once

#include <windows.h>

#include <cstdint>

#include "other/qv_WndUtil.h"

struct MemDC {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;
};

// Replaces any previous content with a surface compatible with the window.
// 1 ok; 0 and an empty record on failure.
int MemDC_Create(MemDC *m, int32_t width, int32_t height, HWND window);
void MemDC_Release(MemDC *m);
// Answers WM_PAINT of a window by copying the update rectangle (cut to the
// surface). 1 painted.
int MemDC_PaintTo(MemDC *m, HWND window);

struct ViewPaintState {
    WindowRecord *record = nullptr;  // the view's; null while not attached
    HFONT font = nullptr;            // information text, made on demand
    MemDC surface;
    RECT prevClient{};               // what the previous paint left on screen
    RECT prevPicture{};
    int32_t paintedWhileBusy = 0;    // painted empty while picture work runs
    int32_t offscreenLastTime = 0;   // the previous paint showed the text
    int32_t dropSurface = 0;         // requests from changed settings
    int32_t dropFont = 0;
    int32_t layoutLock = 0;          // no painting and no refitting while above 0
    int32_t centre = 1;              // the view's copy of ImgCent
    HBRUSH checker = nullptr;        // cached pattern brush and what it was made for
    COLORREF checkerColours[2] = {};
    int32_t checkerCell = 0;
};

extern ViewPaintState g_viewPaint;

// Binds the painting to the view's record and takes the centring option.
int ViewPaint_Attach(WindowRecord *record);
// Releases the surface, the font and the brush; painting stops.
void ViewPaint_Detach();

// Draws the view into dc. inPaint: inside WM_PAINT; fullErase: paint all of
// the background; update: the rectangle to refresh (null: the client).
// 1 painted.
int ViewPaint_Draw(HDC dc, int inPaint, int fullErase, const RECT *update);

// Fills the bands with colour 1 and, when the colours differ, cells of
// colour 2 aligned to the DC's origin, colour 1 at (0, 0). 1 ok.
int Paint_Checker(HDC dc, const RECT *bands, int count, COLORREF colour1, COLORREF colour2, int32_t cell);
// The current picture's title text in the information font and style.
void ViewPaint_DrawInfoText(HDC dc, int32_t clientW, int32_t clientH);
// WM_PAINT of a colour swatch.
void Paint_FillSolid(HWND window, COLORREF colour);
