// The frame: the program's one top-level window. It holds the menu bar, the
// bars and the view, receives every command, keeps itself inside the work
// area, takes part in the clipboard viewer chain, accepts dropped files,
// receives command lines from other instances and carries the private
// messages by which work is deferred to the message loop.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>

// Private messages of the frame.
constexpr UINT kMsgFirstStart = WM_USER;          // end of start-up
constexpr UINT kMsgFitToImage = WM_USER + 1;      // fit the frame to the picture (fit mode)
constexpr UINT kMsgOpenPendingFiles = WM_USER + 2;  // drop or hand-over: open the pending files
constexpr UINT kMsgHandOverArrived = WM_USER + 3;  // another instance wrote a command line
constexpr UINT kMsgReevaluateRole = WM_USER + 4;   // the registered instance ended
constexpr UINT kMsgRedrawAfterActivation = WM_USER + 6;
constexpr UINT kMsgApplyIme = WM_USER + 7;

struct FrameState {
    HWND nextClipboardViewer = nullptr;
    int32_t inClipboardChain = 0;
    int32_t pendingOpenings = 0;      // WM_USER+2 posted and not yet handled
    int32_t redrawAfterActivation = 0;
    int32_t moveStartWidth = 0;       // frame size when a move or size began
    int32_t moveStartHeight = 0;
    int32_t wasMinimised = 0;
    int32_t scrollBarInUse = 0;       // the view operates a scroll bar: wheel ignored
};
extern FrameState g_frame;

// What the frame needs from modules that join later (picture loading,
// plug-ins, file operations, the dropped-file list, opening paths). A null
// entry does nothing: never busy, no files.
struct FrameHooks {
    bool (*busy)();                       // a load, a plug-in call or a file operation runs
    int (*fillDropList)(HDROP drop);      // clears the dropped-file list, fills it; number of files
    int (*openPending)();                 // opens the first pending file that opens; 1 opened
    int (*openPath)(const TCHAR *path, const TCHAR *member);  // 1 opened
    bool (*haveFileList)();               // a current file list exists
    void (*refreshList)();                // refresh the list keeping the current file
};
extern FrameHooks g_frameHooks;

// 0 ok; 1 frame class not registered, 3 frame not created, 5 view class not
// registered, 6 view not created.
int Frame_Create(HINSTANCE instance, int showCommand);
LRESULT CALLBACK Frame_WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Gives up the single-instance role, notes the window state for saving
// (unless saving is off) and removes the menus.
void Frame_Shutdown();
void Frame_OpenPending();
int Frame_OpenLast(const TCHAR *path, const TCHAR *member);
int Frame_GetMinTrackSize(POINT *out);
int Frame_CanRefresh();
// A picture load, a plug-in call or a file operation runs.
bool Frame_IsBusy();
// Moves the rectangle into the work area of its monitor (see the .cpp).
void Frame_FitRectToScreen(RECT *rect, DWORD exStyle);
// Attaches or detaches the menu bar (option Menub) outside full screen.
void Frame_ApplyMenuBar(int on);

// Start-up step 23: the menus and the system-menu entry; the menu bar
// attached when option Menub says so. 1 ok.
int Frame_CreateMenus();
