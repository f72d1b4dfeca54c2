// The rectangular selection in picture pixels, selection mode and the view's
// left-button drags (scroll or select, zoom, window move), with the dashed
// frame drawn over the picture.
#pragma once

#include <windows.h>

#include <cstdint>

// One program-wide record of the view's mouse and selection state.
struct ViewState {
    int32_t selectMode = 0;  // 0 off, 1 on
    int32_t startUnitX = 1, startUnitY = 1, sizeUnitX = 1, sizeUnitY = 1;  // 1 = free
    int32_t lineWidth = 1;    // DPI scale, at least 1
    POINT lastPoint{};        // screen
    POINT pressPoint{};       // client
    POINT anchor{};           // picture pixels
    int32_t x0 = 0, y0 = 0, x1 = -1, y1 = -1;  // inclusive corners in any order; x1 = y1 = -1 while only started
    int32_t selActive = 0;
    int32_t leftDragActive = 0;
    int32_t scrollMoved = 0, zoomDrag = 0, moveDrag = 0, zoomedByDrag = 0;
    int32_t dragState[3] = {0, 0, 0};  // per kind: 0 idle, 1 waiting for the threshold, 2 dragging
    POINT thresholdOrigin[3]{};
    int32_t cursorReplaced = 0;
    int32_t captured = 0;
    HCURSOR savedClassCursor = nullptr;
    void (*selectionChanged)() = nullptr;  // refreshes the menu state
};
extern ViewState g_viewState;

// Clears the record (units 1, line width 1).
void View_InitState();
// 1 turns selection mode on (cross cursor), 0 off (cursor back, selection cleared).
int Sel_SetMode(int on);
// Selection mode is toggled (always off in full screen); redraws the view and
// the status bar. 1 when nothing changed or the mode was set.
int Sel_ApplyCursorMode();
// Normalised selection, right and bottom exclusive. Without an active
// selection: the whole picture when wholePicture is set, else empty.
// 1 when *out is not empty.
int Sel_GetRect(RECT *out, int wholePicture);
// Inclusive corners cut to the picture; null or no picture clears it.
void Sel_SetRect(const RECT *inclusive);
// Turning it off also ends the left drag and zeroes the rectangle.
void Sel_SetActive(int on);
// 1 when a selection existed.
int Sel_Clear();
// 1 while a selection is active.
int Sel_HasSelection();
// A client point of the view in picture pixels (cut to the picture).
POINT View_ClientToImage(POINT client);
// Draws the frame of an active selection over the painted view.
void Sel_DrawFrame(HDC dc);

// Copies the snap steps of the selection grid option into the view state.
void Sel_SyncUnits();
// The active selection in client pixels (right and bottom past the last
// pixel), not cut to the client. 1 when there is one.
int Sel_ClientRect(RECT *out);
// Reads the line width (DPI factor) and the snap steps (start-up).
void Sel_Attach();
