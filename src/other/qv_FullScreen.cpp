#include "other/qv_FullScreen.h"

#include <windows.h>

#include "image/qv_Scroll.h"
#include "image/qv_Selection.h"
#include "image/qv_View.h"
#include "other/qv_BarsEdge.h"
#include "other/qv_Globals.h"
#include "other/qv_LayoutCore.h"
#include "other/qv_LayoutOptions.h"
#include "other/qv_Menu.h"
#include "other/qv_Settings.h"
#include "other/qv_WndLayout.h"
#include "other/qv_WndUtil.h"

namespace {

constexpr uint32_t kHideReasonFullScreen = 0;

bool s_switching = false;

// Frame and view styles of the layout now in the options. WS_MAXIMIZE is
// taken away so that the show that follows maximises under the new style
// rather than keeping the size of the old one.
void ApplyStyles(HWND frame, HWND view) {
    const DWORD style = Opt_WindowStyle(DWORD(GetWindowLong(frame, GWL_STYLE))) & ~DWORD(WS_MAXIMIZE);
    SetWindowLong(frame, GWL_STYLE, LONG(style));
    SetWindowLong(view, GWL_EXSTYLE, LONG(Opt_WindowExStyle(DWORD(GetWindowLong(view, GWL_EXSTYLE)))));
    Wnd_RefreshFrame(0, view);
}

// 1 when the bars changed state.
bool SwitchScrollBars(bool on) {
    ScrollState *s = &g_viewRecord.scroll;
    if ((s->enabled != 0) == on) return false;
    if (on && s->window == nullptr) return false;
    Scroll_Enable(s, on ? 1 : 0);
    return true;
}

void Enter(HWND frame, HWND view, bool *scrollSwitched) {
    g_settings.option[kOptFullScreen] = 1;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(frame, &placement);
    const RECT &n = placement.rcNormalPosition;
    Layout_RememberPlacement(&g_settings, LayoutRect{n.left, n.top, n.right, n.bottom}, IsZoomed(frame) != 0);
    const LayoutShows t = Layout_TargetOf(g_settings.option, true);
    *scrollSwitched = SwitchScrollBars(t.scrollBars);
    Bars_HideToolbar(0);
    Bars_HideStatusBar(0);
    if (GetMenu(frame) != nullptr) Wnd_SetMenu(&g_frameRecord, nullptr);
    ApplyStyles(frame, view);
    ShowWindow(frame, SW_SHOWMAXIMIZED);
    Sel_ApplyCursorMode();  // full screen always ends selection mode
}

void Leave(HWND frame, HWND view, bool *scrollSwitched) {
    g_settings.option[kOptFullScreen] = 0;
    ApplyStyles(frame, view);
    const RestorePlan plan = Layout_RestorePlan(g_settings);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(frame, &placement);
    placement.flags = 0;
    placement.showCmd = plan.maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    placement.rcNormalPosition = RECT{plan.normal.left, plan.normal.top, plan.normal.right, plan.normal.bottom};
    SetWindowPlacement(frame, &placement);
    const LayoutShows t = Layout_TargetOf(g_settings.option, false);
    if (t.menuBar) Wnd_SetMenu(&g_frameRecord, Menu_GetMain());
    if (t.toolbar)
        Bars_ShowToolbar(0, 0);
    else
        Bars_HideToolbar(0);
    if (t.statusBar)
        Bars_ShowStatusBar(0, 0);
    else
        Bars_HideStatusBar(0);
    *scrollSwitched = SwitchScrollBars(t.scrollBars);
    Cursor_SetHideReason(kHideReasonFullScreen, 0);
}

void SetRedraw(HWND window, bool on) { SendMessage(window, WM_SETREDRAW, on ? TRUE : FALSE, 0); }

}  // namespace

bool Wnd_FullScreenSwitching() { return s_switching; }

int Wnd_ToggleFullScreen() {
    HWND frame = g_process.frameWindow;
    HWND view = g_process.viewWindow;
    if (frame == nullptr || view == nullptr || s_switching) return g_settings.option[kOptFullScreen];
    const ScrollMemo memo = Layout_RememberScroll();
    Cursor_ClearShowReasons();
    View_LockLayout();
    s_switching = true;
    // Only the view stops drawing: switching the frame's redrawing off
    // would take its visible style away, and with it the bars' visibility
    // that the layout reads.
    SetRedraw(view, false);

    const bool entering = g_settings.option[kOptFullScreen] == 0;
    bool scrollSwitched = false;
    if (entering)
        Enter(frame, view, &scrollSwitched);
    else
        Leave(frame, view, &scrollSwitched);

    Wnd_Relayout(frame);
    const LayoutShows t = Layout_TargetOf(g_settings.option, entering);
    if (t.topMostChanges) Wnd_SetTopMost(frame, t.topMost, 0);
    s_switching = false;
    Layout_Refit();
    if (scrollSwitched) Layout_RestoreScroll(memo);
    View_UnlockLayout();
    SetRedraw(view, true);
    // A maximised frame was just maximised under its new style, which
    // recomputed its frame; telling it again would make some window
    // systems take the old size back.
    if (!IsZoomed(frame)) Wnd_RefreshFrame(1, frame);
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    if (entering && t.hideCursor) Cursor_SetHideReason(kHideReasonFullScreen, 1);
    return g_settings.option[kOptFullScreen];
}
