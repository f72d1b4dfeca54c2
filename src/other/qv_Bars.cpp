// The bars as parts of the frame: start-up order, the start layout, the
// area left to the view, the X-button filter and the hooks into the picture,
// menu, opening and view modules.
#include "other/qv_Bars.h"

#include "image/qv_ImgData.h"
#include "image/qv_Open.h"
#include "image/qv_View.h"
#include "other/qv_Globals.h"
#include "other/qv_MenuState.h"
#include "other/qv_Settings.h"
#include "other/qv_StatusBar.h"
#include "other/qv_Title.h"
#include "other/qv_Toolbar.h"
#include "other/qv_WndUtil.h"

namespace {

void EnableButton(UINT command, bool enable) { Toolbar_EnableButton(command, enable ? 0 : 1); }
void UpdateStatus() { Status_Show(nullptr); }
void PointerStatus() { Status_ShowPointerInfo(nullptr, nullptr); }
bool StatusBarPresent() { return g_statusBar.window != nullptr; }

// A bar takes room from the view only when it is shown for good: in the
// window layout with its option on and not at the edge only.
// The bars' own shown flags count, not IsWindowVisible, which is false too
// while the frame's style is being replaced.
bool TakesRoom(HWND bar, int32_t shown, int onOption, int edgeOption) {
    if (bar == nullptr || !shown || g_settings.option[kOptFullScreen]) return false;
    return g_settings.option[onOption] && !g_settings.option[edgeOption];
}

}  // namespace

void Bars_InstallHooks() {
    g_menuStateHooks.toolbarEnable = EnableButton;
    g_imgDataHooks.updateStatus = UpdateStatus;
    g_imgDataHooks.updateToolbar = Menu_UpdateToolbar;
    g_openHooks.refreshToolbar = Menu_UpdateToolbar;
    g_titleStatusBarPresent = StatusBarPresent;
    g_viewHooks.pointerStatus = PointerStatus;
}

void Bars_Order() {
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    if (g_statusBar.window != nullptr && g_toolbar.window != nullptr)
        SetWindowPos(g_statusBar.window, g_toolbar.window, 0, 0, 0, 0, flags);
    if (g_process.viewWindow != nullptr && g_statusBar.window != nullptr)
        SetWindowPos(g_process.viewWindow, g_statusBar.window, 0, 0, 0, 0, flags);
}

void Bars_ApplyStartLayout() {
    // Full screen shows its bars at the edge only; its own switch sets them.
    if (g_settings.option[kOptFullScreen]) return;
    const uint8_t *opt = g_settings.option;
    Toolbar_Show(opt[kOptToolbar] && !opt[kOptToolbarEdge], 0);
    StatusBar_Show(opt[kOptStatus] && !opt[kOptStatusEdge], 0);
    if (g_process.frameWindow != nullptr) Wnd_Relayout(g_process.frameWindow);
    // The title leaves the position to a status bar that shows it.
    Title_Update();
}

void Bars_ViewArea(HWND frame, RECT *out) {
    GetClientRect(frame, out);
    RECT r;
    if (TakesRoom(g_toolbar.window, g_toolbar.shown, kOptToolbar, kOptToolbarEdge) && GetWindowRect(g_toolbar.window, &r)) {
        MapWindowPoints(nullptr, frame, reinterpret_cast<POINT *>(&r), 2);
        if (r.bottom > out->top) out->top = r.bottom;
    }
    if (TakesRoom(g_statusBar.window, g_statusBar.shown, kOptStatus, kOptStatusEdge) && GetWindowRect(g_statusBar.window, &r)) {
        MapWindowPoints(nullptr, frame, reinterpret_cast<POINT *>(&r), 2);
        if (r.top < out->bottom) out->bottom = r.top;
    }
    if (out->bottom < out->top) out->bottom = out->top;
}

bool Bars_IsXButtonMessage(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_XBUTTONDOWN: case WM_XBUTTONUP: case WM_XBUTTONDBLCLK:
        case WM_NCXBUTTONDOWN: case WM_NCXBUTTONUP: case WM_NCXBUTTONDBLCLK:
            return HIWORD(wParam) == XBUTTON1 || HIWORD(wParam) == XBUTTON2;
        default: return false;
    }
}
