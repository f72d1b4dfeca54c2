// Services the frame, the view and the dialogs share: the record of each main
// window, placement in the work area, subclassing, timers, the wait cursor,
// cursor hiding by reasons, the input method, a stopwatch and small helpers.
#pragma once

#include <windows.h>

#include <cstdint>

#include "image/qv_ScrollCore.h"
#include "other/qv_UiMath.h"

constexpr int32_t kMaxWaitNesting = 0x7FFFFF00;

struct WindowRecord {
    HWND window = nullptr;
    int32_t scrollGuard = 0;
    int32_t menuBarFigure = 0;
    ScrollState scroll{};
    int32_t waitCount = 0;
    HCURSOR savedCursor = nullptr;
};

extern WindowRecord g_frameRecord;
extern WindowRecord g_viewRecord;

void Wnd_InitRecord(WindowRecord *record);
void Wnd_ResetRecord(WindowRecord *record);
int Wnd_Create(WindowRecord *record, LPCTSTR className, LPCTSTR title, DWORD style, DWORD exStyle, int x, int y,
               int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance);
int Wnd_SetMenu(WindowRecord *record, HMENU menu);
int Wnd_GetClientSize(HWND window, int32_t *width, int32_t *height);
int Wnd_SetTopMost(HWND frame, int on, int redraw);
int Wnd_MoveWindow(int y, int x, HWND window, int width, int height);
int Wnd_MoveBy(HWND window, int dx, int dy);
int Wnd_MoveTo(int x, int y, HWND window);
int Wnd_PlaceInWorkArea(RECT *rect, const RECT *workArea, HWND reference, int centre);
int Dlg_CenterOnOwner(HWND dialog, HWND owner);
int Wnd_Subclass(WNDPROC *oldProcSlot, HWND window, WNDPROC newProc);
int Wnd_Unsubclass(WNDPROC *slot, HWND window, WNDPROC expected);
int Wnd_RefreshFrame(int redraw, HWND window);
int Wnd_Relayout(HWND window);
int Wnd_IsMaximized(HWND window);

struct TimerRecord {
    int32_t set = 0;
    HWND window = nullptr;
    UINT_PTR id = 0;
    int32_t interval = 0;
    int32_t reserved = 0;
};

constexpr UINT_PTR kTimerSlideShow = 1001;
constexpr UINT_PTR kTimerAutoScroll = 1002;
constexpr UINT_PTR kTimerBarCheck = 1003;

extern TimerRecord g_timers[3];  // slide show, auto-scroll, bar check

int Timer_Set(int32_t ms, TimerRecord *record, HWND window, UINT_PTR id);
int Timer_Kill(TimerRecord *record);

// Whether a wait cursor may show a cursor hidden by full screen (set by the
// full-screen module; null: it may).
extern bool (*g_waitCursorShowsHiddenCursor)();

class WaitCursorGuard {
public:
    explicit WaitCursorGuard(WindowRecord *owner) : owner_(owner) {}
    ~WaitCursorGuard();
    WaitCursorGuard(const WaitCursorGuard &) = delete;
    WaitCursorGuard &operator=(const WaitCursorGuard &) = delete;

    int active = 0;
    int showReasonTaken = 0;
    WindowRecord *owner_;
};

int WaitCursor_Begin(WaitCursorGuard *guard);
int WaitCursor_Restore(WaitCursorGuard *guard);
void WaitCursor_End(WaitCursorGuard *guard);

constexpr uint32_t kShowReasonWait = 5;
constexpr uint32_t kShowReasonScrollBar = 6;

int Cursor_Show(int show);
int Cursor_ForceVisible(int on);
int32_t Cursor_SetHideReason(uint32_t bit, int on);
int32_t Cursor_SetShowReason(uint32_t bit, int on);
int Cursor_ClearShowReasons();
// The program's cursor state, for tests.
const CursorReasons &Cursor_State();
int Cursor_HiddenByProgram();

// Detaches (disableIme) or gives back the frame's input context. -1 without a
// frame, -2 when the input-method library cannot be bound.
int Ime_ApplyOption(HWND frame, int disableIme);

struct Stopwatch {
    int32_t mode = 0;
    uint32_t elapsedMs = 0;
    uint32_t startTick = 0;
    uint32_t endTick = 0;
    int64_t startCounter = 0;
    int64_t endCounter = 0;
    int64_t frequency = 0;
};

void Stopwatch_Start(Stopwatch *watch);
uint32_t Stopwatch_Stop(Stopwatch *watch);

// Posts a command so that it looks like an accelerator (high word 1).
int Util_PostCommand(HWND window, UINT id);
uint8_t *Util_ColorToRgbQuad(uint8_t *buffer, COLORREF colour);
double Math_Pow(double x, double y);
int Util_ShellOpen(LPCTSTR file, HWND owner);
