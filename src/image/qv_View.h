// The view window: the frame's only client child, where the picture is
// shown. Painting is qv_ViewPaint, the bars qv_Scroll; the left-button drags
// (scroll, selection, zoom, window move) and the mouse mapping join through
// g_viewHooks, whose null entries do nothing.
#pragma once

#include <windows.h>

#include <cstdint>

extern const TCHAR kViewClassName[];

constexpr UINT kMsgAnimationTick = WM_USER + 5;  // posted by the main loop while an animation plays

// What the view needs from modules that join later. A null entry does
// nothing and answers false or 0.
struct ViewHooks {
    int (*leftDragMode)();   // -1 none, 0 scroll or select, 1 zoom, 2 window move, 3 system move
    bool (*selectionMode)();
    bool (*dragZoomActive)();
    bool (*afterDragStep)();  // the last paint follows a drag scroll or drag zoom step
    // Left-button drags of the given mode; begin: 1 began; end: 1 changed something.
    int (*dragBegin)(HWND view, int mode, WPARAM keys, LPARAM point);
    int (*dragEnd)(HWND view, int mode, WPARAM keys, LPARAM point);
    int (*dragEndAll)(HWND view);  // focus lost: 1 when a drag ended
    void (*dragReset)();           // the view closes
    // The mouse mapping: a press, release or double click of button 0..4
    // (left, right, middle, X1, X2); the click command of a button, 0 none.
    void (*mouseButton)(HWND view, UINT message, int button, WPARAM keys, LPARAM point);
    UINT (*clickCommand)(int button, int doubleClick, WPARAM keys);
    void (*mouseMove)(HWND view, WPARAM keys, LPARAM point);
    void (*barsAtEdge)(int askBoth);  // tool bar and status bar shown at the edge
    void (*stopBarsAutoShow)();
    void (*pointerStatus)();
    void (*autoScrollTick)(HWND view);  // timer 1002
    void (*drawSelection)(HDC dc);
    int (*animationDue)();   // 1 when the next frame's time has come
    int (*animationStep)();  // composes the next frame; 1 composed
    void (*animationMarkDue)();
    int (*slideShowPaused)();  // pause count above 0
};
extern ViewHooks g_viewHooks;

// 1 registered (also when already registered).
int View_RegisterClass(HINSTANCE instance);
// Creates the view as child 1 of the frame covering its client area. 1 ok.
int View_Create(HWND frame, HINSTANCE instance, DWORD exStyle);
// Binds the scroll state and the painting to the view (start-up). 1 ok.
int View_AttachState();
// Fills the client area with background colour 1 at once, so no white
// flash is seen before the first paint.
void View_FillBackground(HWND view);
// Draws the view at once: the picture and background, then the selection.
void View_RedrawNow(int fullErase);
// While locked the view neither paints nor refits on WM_SIZE. Unlock
// returns 1 when the count reaches 0.
int View_LockLayout();
int View_UnlockLayout();
void View_OnKillFocus(HWND view);
LRESULT View_OnAnimationTick(HWND view);
LRESULT CALLBACK View_WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
