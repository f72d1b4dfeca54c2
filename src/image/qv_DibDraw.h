// Drawing a picture, or part of it, onto a device context at any size.
#pragma once

#include <windows.h>

#include <cstdint>

#include "dibcore_api.h"

class DibHolder;

enum DrawFlags : uint32_t {
    kDrawDeviceStretches = 1,  // sizes differ: the device stretches
    kDrawQuality = 2,          // own scaling through a 24-bit copy
    kDrawForceDevice = 4,      // implies 1, skips the Windows 9x test
    kDrawNoDibToDevice = 8,    // never SetDIBitsToDevice
};

// Facts and calls the drawing code asks the system for; tests replace them.
struct DrawSeams {
    int (*rasterCaps)(HDC dc);
    bool (*isWin9x)();
    int32_t (*widePictureLimit)();  // INT32_MAX: unlimited
};
extern DrawSeams g_drawSeams;
void DrawSeams_Reset();

// 1 drawn (or nothing to draw), 0 failure.
int Dib_DrawEx(HDC dc, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx, int32_t sy, int32_t sw,
               int32_t sh, const uint8_t *bits, const void *header, uint32_t flags);
// RLEtoDIB in place, then Dib_DrawEx with the picture's data.
int Dib_Draw(DibHandle handle, HDC dc, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx, int32_t sy,
             int32_t sw, int32_t sh, uint32_t flags);
// The whole picture at its own size at (x, y); the width and height bound
// what is drawn.
int DibHolder_DrawToDC(DibHolder &h, HDC dc, int32_t x, int32_t y, int32_t width, int32_t height);
int DibHolder_StretchToDC(DibHolder &h, HDC dc, const RECT &placement, uint32_t flags);
