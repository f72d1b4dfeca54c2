// Placing the frame after a picture is loaded or the zoom changes. The
// arithmetic lives in qv_WndFitCore; here are the window facts and the six
// window policies (option ShowOpt).
#include "image/qv_WndFit.h"

#include "image/qv_FitCore.h"
#include "image/qv_ImgData.h"
#include "image/qv_WndFitCore.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"
#include "other/qv_WndUtil.h"

WndFitHooks g_wndFitHooks;

namespace {

constexpr int kOptMenuBar = 3;
constexpr int kOptWndCent = 37;
constexpr int kOptComicLR = 49;
constexpr int kOptFitToToolbar = 55;
constexpr int kOptFitType = 80;      // 81 in full screen
constexpr int kOptShowPolicy = 84;   // 85 in full screen
constexpr int kIntMaxFitZoom = 24;
// No Z-order change, no activation, frame changed, no copy of bits, no
// owner Z-order.
constexpr UINT kSetRectFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOCOPYBITS | SWP_NOOWNERZORDER;
static_assert(kSetRectFlags == 820, "placement flags");

enum Policy { kFollowImage = 0, kFitWindow = 1, kActualOrFit = 2, kFollowFit = 3, kActualFollowing = 4, kFixedZoom = 5 };

Rect ToRect(const RECT &r) { return Rect{r.left, r.top, r.right, r.bottom}; }

bool FullScreen() { return g_settings.option[kOptFullScreen] != 0; }
bool ZoomLocked() { return g_settings.optInt[kIntZoomLock] > 0; }
int32_t FitType() { return g_settings.option[kOptFitType + (FullScreen() ? 1 : 0)]; }

void PictureSize(int32_t *width, int32_t *height) {
    if (g_imgData.anim.valid) {
        *width = g_imgData.anim.width;
        *height = g_imgData.anim.height;
    } else {
        *width = g_imgData.width;
        *height = g_imgData.height;
    }
}

// The frame's facts for sizing it around the view.
struct FrameFacts {
    RECT window;
    RECT work;
    int32_t extraWidth;   // frame width minus the view's client width (scroll bars counted in)
    int32_t extraHeight;
};

bool ReadFrameFacts(FrameFacts *f) {
    HWND frame = g_process.frameWindow;
    HWND view = g_process.viewWindow;
    if (frame == nullptr || view == nullptr || !GetWindowRect(frame, &f->window)) return false;
    int32_t clientWidth = 0, clientHeight = 0;
    Wnd_GetClientSize(view, &clientWidth, &clientHeight);
    f->extraWidth = (f->window.right - f->window.left) - clientWidth;
    f->extraHeight = (f->window.bottom - f->window.top) - clientHeight;
    return Util_GetWorkAreaOfRect(&f->work, &f->window) != 0;
}

int32_t MinimumWidth(int32_t extraWidth) {
    POINT track{};
    Frame_GetMinTrackSize(&track);
    const int32_t toolbar = g_wndFitHooks.toolbarMaxWidth != nullptr ? g_wndFitHooks.toolbarMaxWidth() : 0;
    return WndFit_MinWidth(extraWidth, g_frameRecord.menuBarFigure, g_settings.option[kOptMenuBar] != 0, toolbar,
                           g_settings.option[kOptToolbar] != 0 && g_settings.option[kOptFitToToolbar] != 0,
                           track.x);
}

// Sizes the frame around content of the given size (the default size when
// nothing is displayed) inside the work area.
void SizeFrameAround(const FrameFacts &f, int32_t contentWidth, int32_t contentHeight) {
    WndFitSizing s{};
    s.work = ToRect(f.work);
    s.left = f.window.left;
    s.top = f.window.top;
    s.contentWidth = contentWidth;
    s.contentHeight = contentHeight;
    if (contentWidth <= 0 || contentHeight <= 0) {  // nothing displayed
        s.contentWidth = g_sysFacts.defaultWidth;
        s.contentHeight = g_sysFacts.defaultHeight;
    }
    s.extraWidth = f.extraWidth;
    s.extraHeight = f.extraHeight;
    s.minWidth = MinimumWidth(f.extraWidth);
    s.vBarWidth = g_sysFacts.vScrollWidth;
    s.hBarHeight = g_sysFacts.hScrollHeight;
    const Rect r = WndFit_WindowAround(s);
    const RECT placed{r.left, r.top, r.right, r.bottom};
    WndFit_SetWindowRect(&f.work, &f.window, &placed);
}

void ActualOrLocked() { ImgData_ApplyZoomMode(ZoomLocked() ? kZoomReqLock : kZoomReqActual, 0); }
void Recompute() { ImgData_ApplyZoomMode(kZoomReqRecomputeReuse, 0); }

void WindowFollowsImage(int reason) {
    if (reason == 0) {
        Recompute();
        if (g_imgData.zoomMode & kZoomFit) return;  // the picture follows the window instead
    } else {
        ActualOrLocked();
    }
    FrameFacts f{};
    if (WndFit_IsMaxOrMin() || !ReadFrameFacts(&f)) return;
    int32_t width = 0, height = 0;
    ImgData_GetViewSize(&width, &height);
    SizeFrameAround(f, width, height);
}

void ImageFitsWindow(int reason) {
    if (reason == 1)
        ImgData_ApplyZoomMode(ZoomLocked() ? kZoomReqLock : kZoomReqFit, 0);
    else
        Recompute();
}

void FixedZoom(int reason) {
    if (reason == 0)
        Recompute();
    else
        ActualOrLocked();
}

void ActualSizeOrFit(int reason) {
    if (reason == 0) {
        Recompute();
        return;
    }
    if (ZoomLocked()) {
        FixedZoom(reason);
        return;
    }
    int32_t areaWidth = 0, areaHeight = 0, pictureWidth = 0, pictureHeight = 0;
    Wnd_GetClientSize(g_process.viewWindow, &areaWidth, &areaHeight);
    PictureSize(&pictureWidth, &pictureHeight);
    if (Fit_FitsAtActualSize(FitType(), areaWidth, areaHeight, pictureWidth, pictureHeight, g_sysFacts.vScrollWidth,
                             g_sysFacts.hScrollHeight))
        ImgData_ApplyZoomMode(kZoomReqActual, 0);
    else
        ImageFitsWindow(reason);
}

void WindowFollowsFit(int reason) {
    FrameFacts f{};
    if (WndFit_IsMaxOrMin() || !ReadFrameFacts(&f)) {
        ImageFitsWindow(reason);
        return;
    }
    int32_t pictureWidth = 0, pictureHeight = 0;
    PictureSize(&pictureWidth, &pictureHeight);
    const int32_t areaWidth = (f.work.right - f.work.left) - f.extraWidth;
    const int32_t areaHeight = (f.work.bottom - f.work.top) - f.extraHeight;
    int32_t width = 0, height = 0, usedType = 0;
    const int32_t zoom = Fit_Compute(FitType(), areaWidth, areaHeight, pictureWidth, pictureHeight,
                                     g_settings.optInt[kIntMaxFitZoom], g_sysFacts.vScrollWidth,
                                     g_sysFacts.hScrollHeight, &width, &height, &usedType);
    if (zoom > 0) {
        g_imgData.fitPictureWidth = pictureWidth;
        g_imgData.fitPictureHeight = pictureHeight;
        g_imgData.fitAreaWidth = areaWidth;
        g_imgData.fitAreaHeight = areaHeight;
    } else {
        ImgData_GetViewSize(&width, &height);  // nothing to fit: keep what is shown
    }
    SizeFrameAround(f, width, height);
    ImgData_ApplyZoomMode(kZoomReqFit, 0);
}

void ActualSizeFollowing(int reason) {
    if (ZoomLocked()) {
        WindowFollowsImage(reason);
        return;
    }
    if (WndFit_IsMaxOrMin()) {
        ActualSizeOrFit(reason);
        return;
    }
    FrameFacts f{};
    int32_t pictureWidth = 0, pictureHeight = 0;
    PictureSize(&pictureWidth, &pictureHeight);
    const bool fits = ReadFrameFacts(&f) &&
                      Fit_FitsAtActualSize(FitType(), (f.work.right - f.work.left) - f.extraWidth,
                                           (f.work.bottom - f.work.top) - f.extraHeight, pictureWidth,
                                           pictureHeight, g_sysFacts.vScrollWidth, g_sysFacts.hScrollHeight);
    if (fits)
        WindowFollowsImage(reason);
    else
        WindowFollowsFit(reason);
}

bool SameRect(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

int WndFit_IsMaxOrMin() {
    HWND frame = g_process.frameWindow;
    return frame != nullptr && (IsZoomed(frame) || IsIconic(frame)) ? 1 : 0;
}

int WndFit_SetWindowRect(const RECT *workArea, const RECT *oldRect, const RECT *newRect) {
    HWND frame = g_process.frameWindow;
    if (frame == nullptr || workArea == nullptr || oldRect == nullptr || newRect == nullptr) return 0;
    const Rect r = WndFit_PlaceRect(ToRect(*workArea), ToRect(*oldRect), ToRect(*newRect),
                                    g_settings.option[kOptWndCent] != 0);
    const RECT placed{r.left, r.top, r.right, r.bottom};
    if (SameRect(placed, *oldRect)) return 0;
    return SetWindowPos(frame, nullptr, placed.left, placed.top, placed.right - placed.left,
                        placed.bottom - placed.top, kSetRectFlags)
               ? 1
               : 0;
}

void WndFit_FitToImage(int reason, int comic) {
    HWND frame = g_process.frameWindow;
    if (frame == nullptr || g_process.viewWindow == nullptr) return;
    if (g_wndFitHooks.fullScreenSwitching != nullptr && g_wndFitHooks.fullScreenSwitching()) return;
    if (!ImgData_HasImage()) {
        ImgData_FreeImage(1);
        g_imgData.zoom = kZoomOne;
        g_imgData.zoomPercent = 100;
    }
    RECT before{};
    GetWindowRect(frame, &before);
    switch (g_settings.option[kOptShowPolicy + (FullScreen() ? 1 : 0)]) {
        case kFitWindow: ImageFitsWindow(reason); break;
        case kActualOrFit: ActualSizeOrFit(reason); break;
        case kFollowFit: WindowFollowsFit(reason); break;
        case kActualFollowing: ActualSizeFollowing(reason); break;
        case kFixedZoom: FixedZoom(reason); break;
        case kFollowImage:
        default: WindowFollowsImage(reason); break;
    }
    ImgData_UpdateScroll();
    ImgData_UpdateTitleStatus();
    if (comic && reason == 1 && !g_settings.option[kOptComicLR] && g_wndFitHooks.scrollToRightEdge != nullptr)
        g_wndFitHooks.scrollToRightEdge();
    RECT after{};
    GetWindowRect(frame, &after);
    if (SameRect(before, after)) {
        InvalidateRect(g_process.viewWindow, nullptr, FALSE);
        UpdateWindow(g_process.viewWindow);
    }
}
