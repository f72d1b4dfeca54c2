#include "other/qv_BarsEdge.h"

#include <initializer_list>

#include "other/qv_Globals.h"
#include "other/qv_LayoutCore.h"
#include "other/qv_Mouse.h"
#include "other/qv_Settings.h"
#include "other/qv_StatusBar.h"
#include "other/qv_Toolbar.h"
#include "other/qv_WndUtil.h"

BarsSeams g_barsSeams;

namespace {

constexpr int32_t kBarCheckMs = 1000;

bool CursorPos(POINT *out) {
    return (g_barsSeams.cursorPos != nullptr ? g_barsSeams.cursorPos(out) : GetCursorPos(out)) != FALSE;
}

TimerRecord &CheckTimer() { return g_timers[2]; }

struct BarAccess {
    HWND window;
    int32_t shown;
    int (*show)(int show, int relayout);
    uint32_t cursorReason;
};

BarAccess Access(int bar) {
    if (bar == kLayoutStatusBar)
        return {g_statusBar.window, g_statusBar.shown, StatusBar_Show, uint32_t(kShowReasonStatusBar)};
    return {g_toolbar.window, g_toolbar.shown, Toolbar_Show, uint32_t(kShowReasonToolbar)};
}

int ShowBar(int bar, int redraw, int keepCursor) {
    const BarAccess a = Access(bar);
    if (a.window == nullptr) return 0;
    if (!a.shown) a.show(1, redraw);
    Cursor_SetShowReason(a.cursorReason, keepCursor > 0 ? 1 : 0);
    return Access(bar).shown;
}

int HideBar(int bar, int redraw) {
    const BarAccess a = Access(bar);
    if (a.window == nullptr) return 0;
    if (a.shown) a.show(0, redraw);
    Cursor_SetShowReason(a.cursorReason, 0);
    return Access(bar).shown;
}

bool KeyDown(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

bool AnyButtonDown() {
    for (int key : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2})
        if (KeyDown(key)) return true;
    return false;
}

bool OwnWindowActive(HWND frame) {
    HWND active = g_barsSeams.activeWindow != nullptr ? g_barsSeams.activeWindow() : GetActiveWindow();
    return active != nullptr && (active == frame || IsChild(frame, active));
}

void StartCheckTimer(HWND frame) {
    TimerRecord &t = CheckTimer();
    // A record left over from a frame that is gone would refuse the new one.
    if (t.set && !IsWindow(t.window)) t = TimerRecord{};
    Timer_Set(kBarCheckMs, &t, frame, kTimerBarCheck);
}

}  // namespace

int Bars_ShowToolbar(int redraw, int keepCursor) { return ShowBar(kLayoutToolbar, redraw, keepCursor); }
int Bars_HideToolbar(int redraw) { return HideBar(kLayoutToolbar, redraw); }
int Bars_ShowStatusBar(int redraw, int keepCursor) { return ShowBar(kLayoutStatusBar, redraw, keepCursor); }
int Bars_HideStatusBar(int redraw) { return HideBar(kLayoutStatusBar, redraw); }

int Bars_AutoHideAllowed() {
    for (int bar : {kLayoutToolbar, kLayoutStatusBar}) {
        const BarAccess a = Access(bar);
        if (a.window != nullptr && a.shown && Layout_BarInEdgeMode(g_settings.option, bar)) return 1;
    }
    return 0;
}

int Bars_AutoShowAtEdge(int bar, const POINT *point, int mode, int checkKeys) {
    HWND frame = g_process.frameWindow;
    const BarAccess a = Access(bar);
    if (frame == nullptr || a.window == nullptr) return 0;
    EdgeInput in{};
    in.edgeMode = Layout_BarInEdgeMode(g_settings.option, bar);
    in.checkKeys = checkKeys != 0;
    if (in.edgeMode && in.checkKeys) {
        in.buttonDown = AnyButtonDown();
        in.shiftOrCtrl = KeyDown(VK_SHIFT) || KeyDown(VK_CONTROL);
    }
    in.shown = a.shown != 0;
    in.mode = mode;
    if (in.edgeMode && mode >= 0) {
        in.ownWindowActive = OwnWindowActive(frame);
        POINT p{};
        RECT r{};
        bool havePoint = true;
        if (point != nullptr)
            p = *point;
        else
            havePoint = CursorPos(&p);
        in.pointInside = havePoint && GetWindowRect(a.window, &r) &&
                         Layout_PointInRect(p.x, p.y, r.left, r.top, r.right, r.bottom);
    }
    const EdgeDecision d = Layout_DecideEdge(in);
    if (d.action == EdgeAction::Show) {
        ShowBar(bar, 0, 1);
        StartCheckTimer(frame);
    } else if (d.action == EdgeAction::Hide) {
        HideBar(bar, 0);
        if (!Bars_AutoHideAllowed()) Timer_Kill(&CheckTimer());
    }
    return d.result;
}

int StatusBar_AutoShowAtCursor(const POINT *point, int mode, int checkKeys) {
    return Bars_AutoShowAtEdge(kLayoutStatusBar, point, mode, checkKeys);
}

void Bars_OnCheckTimer(HWND frame, const POINT *point) {
    POINT p{};
    if (point != nullptr)
        p = *point;
    else if (!CursorPos(&p))
        return;
    const bool toolbarWas = g_toolbar.shown != 0, statusWas = g_statusBar.shown != 0;
    Bars_AutoShowAtEdge(kLayoutToolbar, &p, 0, 1);
    StatusBar_AutoShowAtCursor(&p, 0, 1);
    if ((toolbarWas && !g_toolbar.shown) || (statusWas && !g_statusBar.shown)) {
        // The next move at this same point is no movement, so it does not
        // bring the bar straight back.
        g_mouse.lastX = p.x;
        g_mouse.lastY = p.y;
    }
    if (!Bars_AutoHideAllowed()) {
        if (CheckTimer().set)
            Timer_Kill(&CheckTimer());
        else if (frame != nullptr)
            KillTimer(frame, kTimerBarCheck);
    }
}

void Bars_StopAutoShow() {
    Bars_AutoShowAtEdge(kLayoutToolbar, nullptr, -1, 0);
    StatusBar_AutoShowAtCursor(nullptr, -1, 0);
}
