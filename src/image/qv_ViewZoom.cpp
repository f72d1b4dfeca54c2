#include "image/qv_ViewZoom.h"

#include "image/qv_ImgData.h"
#include "image/qv_Scroll.h"
#include "image/qv_Selection.h"
#include "image/qv_View.h"
#include "image/qv_ZoomCentre.h"
#include "other/qv_Globals.h"
#include "other/qv_Mouse.h"
#include "other/qv_Settings.h"
#include "other/qv_WndUtil.h"

namespace {

bool SlideShowRunning() { return g_settings.option[kOptSlideRunning] != 0; }

// The zoom lock follows the zoom just computed while it is on.
void ReapplyZoomLock() { Opt_EnableZoomLock(g_settings.optInt[kIntZoomLock] > 0 ? 1 : 0, g_imgData.zoom, 0); }

// Recomputes the zoom for a request under the wait cursor with the keep
// bit as it was; a failed computation leaves no display copy behind.
int RecomputeKeepingKeep(uint32_t request) {
    int ok;
    {
        WaitCursorGuard wait(&g_frameRecord);
        if (!SlideShowRunning()) WaitCursor_Begin(&wait);
        const uint32_t keep = g_imgData.zoomMode & kZoomKeep;
        ok = ImgData_ComputeZoom(request, 0);
        g_imgData.zoomMode = (g_imgData.zoomMode & ~uint32_t(kZoomKeep)) | keep;
    }
    ReapplyZoomLock();
    if (!ok) ImgData_FreeImage(1);
    return ok;
}

void ShowNothing() {
    g_imgData.zoom = kZoomOne;
    g_imgData.zoomPercent = 100;
    g_imgData.zoomMode = 0;
    g_imgData.viewWidth = g_imgData.viewHeight = 0;
    ImgData_FreeImage(1);
}

void RedrawViewNow(HWND view) {
    if (view == nullptr) return;
    InvalidateRect(view, nullptr, FALSE);
    UpdateWindow(view);
}

bool SameRect(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The frame's place and the view's size: when neither changes the refit
// painted nothing, so the view is redrawn by the command.
struct Placement {
    RECT frame{};
    RECT client{};
};
Placement ReadPlacement(HWND view) {
    Placement p{};
    if (g_process.frameWindow != nullptr) GetWindowRect(g_process.frameWindow, &p.frame);
    if (view != nullptr) GetClientRect(view, &p.client);
    return p;
}

// Redrawing suppressed for the length of a zoom change, so the picture is
// not painted at the new size with the old scroll positions.
class RedrawOff {
public:
    explicit RedrawOff(HWND view) : view_(view) {
        if (view_ != nullptr) SendMessage(view_, WM_SETREDRAW, FALSE, 0);
    }
    ~RedrawOff() { Restore(); }
    RedrawOff(const RedrawOff &) = delete;
    RedrawOff &operator=(const RedrawOff &) = delete;
    // Redrawing back on, and the view's frame (its bars) repainted.
    void Restore() {
        if (view_ == nullptr) return;
        SendMessage(view_, WM_SETREDRAW, TRUE, 0);
        SetWindowPos(view_, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                         SWP_NOOWNERZORDER);
        view_ = nullptr;
    }

private:
    HWND view_;
};

class LayoutLock {
public:
    LayoutLock() { View_LockLayout(); }
    ~LayoutLock() { View_UnlockLayout(); }
    LayoutLock(const LayoutLock &) = delete;
    LayoutLock &operator=(const LayoutLock &) = delete;
};

bool HoverScrollPositioned() {
    int moved = 0;
    return Mouse_HoverScroll(0, 0, &moved) == 1;
}

// Zooms by request (actual, in, out, factor) keeping the middle of the view.
int ZoomAboutMiddle(uint32_t mode, int32_t argument) {
    int32_t oldW = 0, oldH = 0;
    ImgData_GetViewSize(&oldW, &oldH);
    if (oldW <= 0 || oldH <= 0) return 0;
    ScrollState *s = &g_viewRecord.scroll;
    HWND view = g_viewRecord.window;
    RECT client{};
    if (view != nullptr) GetClientRect(view, &client);
    const int64_t centreX = ZoomCentre_Point(oldW, client.right, s->hPos, s->hShown != 0);
    const int64_t centreY = ZoomCentre_Point(oldH, client.bottom, s->vPos, s->vShown != 0);
    const Placement before = ReadPlacement(view);

    RedrawOff redraw(s->enabled && view != nullptr ? view : nullptr);
    const int ok = ImgData_ApplyZoomMode(mode, argument);
    {
        LayoutLock lock;
        ImgData_FitWindow(0);
    }
    // The bars may have come or gone with the new size.
    ImgData_UpdateScroll();
    if (!HoverScrollPositioned()) {
        int32_t newW = 0, newH = 0;
        ImgData_GetViewSize(&newW, &newH);
        RECT after{};
        if (view != nullptr) GetClientRect(view, &after);
        if (s->hShown)
            Scroll_SetPos(s, ZoomCentre_NewPos(centreX, oldW, newW, after.right), kScrollTo, kScrollHorz, 1);
        if (s->vShown)
            Scroll_SetPos(s, ZoomCentre_NewPos(centreY, oldH, newH, after.bottom), kScrollTo, kScrollVert, 1);
    }
    redraw.Restore();
    // Redrawing was off while the window may have been placed, so the view
    // is invalidated in any case; painted at once when nothing moved.
    if (view != nullptr) InvalidateRect(view, nullptr, FALSE);
    const Placement now = ReadPlacement(view);
    if (SameRect(before.frame, now.frame) && SameRect(before.client, now.client)) RedrawViewNow(view);
    return ok;
}

}  // namespace

int View_Refit() {
    int ok = 0;
    if (ImgData_HasImage()) {
        ok = RecomputeKeepingKeep(kZoomReqFit);
    } else {
        ShowNothing();
    }
    ImgData_UpdateScroll();
    ImgData_UpdateTitleStatus();
    RedrawViewNow(g_viewRecord.window);
    return ok;
}

int View_ZoomCommand(uint32_t mode, int32_t argument) {
    if (!ImgData_HasImage()) return 0;
    switch (mode) {
        case kZoomReqFit: return View_Refit();
        case kZoomReqActual:
        case kZoomReqIn:
        case kZoomReqOut:
        case kZoomReqFactor: return ZoomAboutMiddle(mode, argument);
        default: return 0;
    }
}

void Edit_RefreshGeometry() {
    // The window is fitted to the stored size, which the edit may have changed.
    ImgData_SyncPictureFacts();
    Sel_Clear();
    if (ImgData_HasImage()) {
        RecomputeKeepingKeep(kZoomReqRecompute);
    } else {
        ShowNothing();
    }
    ImgData_FitWindow(0);
}

int ViewZoom_OnCommand(HWND frame, UINT id) {
    (void)frame;
    uint32_t mode = 0;
    if (!ZoomCentre_CommandMode(id, g_imgData.zoomMode, &mode)) return 1;
    View_ZoomCommand(mode, 0);
    return 0;
}
