// The status bar at the bottom of the frame: the picture's size and depth,
// its place in the list, the zoom, file and memory size and the file date,
// or in selection mode the selection and the pixel under the cursor.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int kStatusBarId = 16;

struct StatusBarRecord {
    HWND window = nullptr;
    HWND parent = nullptr;
    int32_t shown = 0;
};
extern StatusBarRecord g_statusBar;

int StatusBar_Create(HINSTANCE instance);
int StatusBar_Show(int show, int relayout);
void StatusBar_SetSimple(int on);
LRESULT StatusBar_SetText(const TCHAR *text, int part);
LRESULT StatusBar_SetParts(const int32_t *widths, int count);
LRESULT StatusBar_FitParts();

struct ImgData;
// With a null record the current picture's record is used.
int Status_ShowImageInfo(const ImgData *record);
void Status_ShowText(int stringId, const ImgData *record);
// point: view client coordinates, null for the cursor. 1 when shown.
int Status_ShowPointerInfo(const POINT *point, const ImgData *record);
void Status_Show(const ImgData *record);
