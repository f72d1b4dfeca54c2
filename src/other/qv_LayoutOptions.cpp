#include "other/qv_LayoutOptions.h"

#include <windows.h>

#include "image/qv_ImgData.h"
#include "image/qv_Scroll.h"
#include "image/qv_View.h"
#include "image/qv_WndFit.h"
#include "other/qv_BarsEdge.h"
#include "other/qv_FullScreen.h"
#include "other/qv_Globals.h"
#include "other/qv_LayoutCore.h"
#include "other/qv_Menu.h"
#include "other/qv_Mouse.h"
#include "other/qv_Settings.h"
#include "other/qv_StatusBar.h"
#include "other/qv_Toolbar.h"
#include "other/qv_WndLayout.h"
#include "other/qv_WndUtil.h"

namespace {

constexpr int kOptFrameBorder = 1;
constexpr int kOptEdge = 2;
constexpr int kOptMenuBar = 3;
constexpr int kOptScrollWindow = 10;
constexpr int kOptFullScreenCursor = 18;
constexpr int kOptFullScreenWaitCursor = 19;

bool FullScreen() { return g_settings.option[kOptFullScreen] != 0; }
HWND Frame() { return g_process.frameWindow; }

// Stores a flag; true when its value changed.
bool StoreFlag(int index, int on, int32_t *previous) {
    *previous = Opt_SetFlag(index, on);
    return (*previous != 0) != (on != 0);
}

void RelayoutAndRefit() {
    if (Frame() == nullptr) return;
    Wnd_Relayout(Frame());
    Layout_Refit();
}

// One bar setter for both bars: the option of the chosen layout, then what
// the bar does at once.
int32_t SetBar(int bar, int on, int fullScreen) {
    const BarOptionIndexes b = Layout_BarOptions(bar);
    const int32_t previous = Opt_SetFlag(fullScreen ? b.fullOn : b.windowOn, on);
    const bool exists = (bar == kLayoutToolbar ? g_toolbar.window : g_statusBar.window) != nullptr;
    switch (Layout_BarSetterAction(g_settings.option, bar, fullScreen, exists)) {
        case BarApply::Nothing: break;
        case BarApply::HideOnly:
            // The bar lay over the view; a new layout only matters when it
            // took room before.
            bar == kLayoutToolbar ? Bars_HideToolbar(0) : Bars_HideStatusBar(0);
            if (!Bars_AutoHideAllowed()) Timer_Kill(&g_timers[2]);
            if (Frame() != nullptr) Wnd_Relayout(Frame());
            break;
        case BarApply::ShowNow:
            bar == kLayoutToolbar ? Bars_ShowToolbar(0, 0) : Bars_ShowStatusBar(0, 0);
            RelayoutAndRefit();
            break;
        case BarApply::HideNow:
            bar == kLayoutToolbar ? Bars_HideToolbar(0) : Bars_HideStatusBar(0);
            RelayoutAndRefit();
            break;
    }
    return previous;
}

// Edge-only decides whether a bar that is on in the window layout shows for
// good (taking room from the view) or only while the cursor is at it.
int32_t SetBarEdge(int bar, int on) {
    const BarOptionIndexes b = Layout_BarOptions(bar);
    int32_t previous;
    if (!StoreFlag(b.edgeOnly, on, &previous) || FullScreen() || !g_settings.option[b.windowOn]) return previous;
    if (on)
        bar == kLayoutToolbar ? Bars_HideToolbar(0) : Bars_HideStatusBar(0);
    else
        bar == kLayoutToolbar ? Bars_ShowToolbar(0, 0) : Bars_ShowStatusBar(0, 0);
    if (!Bars_AutoHideAllowed()) Timer_Kill(&g_timers[2]);
    RelayoutAndRefit();
    return previous;
}

void BarsAtEdge(int askBoth) {
    // A resting pointer, or one moving with Shift or Ctrl, only lets a bar
    // that the edge brought up go away again.
    const int mode = askBoth ? 0 : -1;
    Bars_AutoShowAtEdge(kLayoutToolbar, nullptr, mode, 1);
    StatusBar_AutoShowAtCursor(nullptr, mode, 1);
}

void ApplyTopMost(int on, int fullScreenLayout) {
    if (Frame() == nullptr || (fullScreenLayout != 0) != FullScreen()) return;
    Wnd_SetTopMost(Frame(), on, 1);
}

bool WaitCursorShowsHiddenCursor() {
    return !(FullScreen() && !g_settings.option[kOptFullScreenCursor] && !g_settings.option[kOptFullScreenWaitCursor]);
}

}  // namespace

void Layout_Refit() { ImgData_FitWindow(0); }

ScrollMemo Layout_RememberScroll() {
    const ScrollState &s = g_viewRecord.scroll;
    return ScrollMemo{s.hPos, s.vPos};
}

void Layout_RestoreScroll(const ScrollMemo &memo) {
    int moved = 0;
    if (Mouse_HoverScroll(0, 0, &moved) == 1) {
        if (moved) View_RedrawNow(0);
        return;
    }
    ScrollState *s = &g_viewRecord.scroll;
    bool any = false;
    // Scroll_SetPos answers the old position; the new one is read after it.
    if (s->hShown) {
        const int32_t before = Scroll_SetPos(s, memo.hPos, kScrollTo, kScrollHorz, 1);
        if (before != s->hPos) any = true;
    }
    if (s->vShown) {
        const int32_t before = Scroll_SetPos(s, memo.vPos, kScrollTo, kScrollVert, 1);
        if (before != s->vPos) any = true;
    }
    if (any) View_RedrawNow(0);
}

int Opt_ApplyFrameStyle() {
    HWND frame = Frame();
    if (frame == nullptr || FullScreen()) return 0;
    // A maximised frame is re-maximised under the new style, so its size
    // follows the new borders instead of keeping the old ones.
    const bool maximised = IsZoomed(frame) && !IsIconic(frame);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (maximised && !GetWindowPlacement(frame, &placement)) return 0;
    DWORD style = Opt_WindowStyle(DWORD(GetWindowLong(frame, GWL_STYLE)));
    if (maximised) style &= ~DWORD(WS_VISIBLE | WS_MAXIMIZE);
    SetWindowLong(frame, GWL_STYLE, LONG(style));
    if (maximised) {
        // Maximising again recomputes the frame under the new style; a
        // separate frame-change notice on a maximised window would make some
        // window systems take the old size back.
        SetWindowPlacement(frame, &placement);
        RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    } else {
        Wnd_RefreshFrame(1, frame);
    }
    RelayoutAndRefit();
    return 1;
}

int32_t Opt_SetCaptionBar(int on) {
    int32_t previous;
    if (StoreFlag(kOptCaption, on, &previous) && !FullScreen()) Opt_ApplyFrameStyle();
    return previous;
}

int32_t Opt_SetFrame(int on) {
    int32_t previous;
    // With a caption bar the frame always has its sizing border.
    if (StoreFlag(kOptFrameBorder, on, &previous) && !FullScreen() && !g_settings.option[kOptCaption])
        Opt_ApplyFrameStyle();
    return previous;
}

int32_t Opt_SetEdge(int on) {
    int32_t previous;
    if (StoreFlag(kOptEdge, on, &previous) && !FullScreen() && g_process.viewWindow != nullptr) {
        HWND view = g_process.viewWindow;
        SetWindowLong(view, GWL_EXSTYLE, LONG(Opt_WindowExStyle(DWORD(GetWindowLong(view, GWL_EXSTYLE)))));
        Wnd_RefreshFrame(1, view);
        RelayoutAndRefit();
    }
    return previous;
}

int32_t Opt_SetMenuBar(int on) {
    int32_t previous;
    if (StoreFlag(kOptMenuBar, on, &previous) && !FullScreen() && g_frameRecord.window != nullptr) {
        Wnd_SetMenu(&g_frameRecord, on ? Menu_GetMain() : nullptr);
        RelayoutAndRefit();
    }
    return previous;
}

int32_t Opt_SetToolbar(int on, int fullScreen) { return SetBar(kLayoutToolbar, on, fullScreen); }
int32_t Opt_SetStatusBar(int on, int fullScreen) { return SetBar(kLayoutStatusBar, on, fullScreen); }
int32_t Opt_SetToolbarEdge(int on) { return SetBarEdge(kLayoutToolbar, on); }
int32_t Opt_SetStatusBarEdge(int on) { return SetBarEdge(kLayoutStatusBar, on); }

int32_t Opt_SetScrollBars(int on, int fullScreen) {
    const int32_t previous = Opt_SetFlag(kOptScrollWindow + (fullScreen ? 1 : 0), on);
    if ((fullScreen != 0) != FullScreen() || g_viewRecord.window == nullptr) return previous;
    const ScrollMemo memo = Layout_RememberScroll();
    Scroll_Enable(&g_viewRecord.scroll, on);
    Layout_Refit();
    Layout_RestoreScroll(memo);
    return previous;
}

void Layout_InstallHooks() {
    g_viewHooks.barsAtEdge = BarsAtEdge;
    g_viewHooks.stopBarsAutoShow = Bars_StopAutoShow;
    g_optEffects.topMost = ApplyTopMost;
    g_wndFitHooks.fullScreenSwitching = Wnd_FullScreenSwitching;
    g_waitCursorShowsHiddenCursor = WaitCursorShowsHiddenCursor;
}
