// The zoom of the current picture: actual size, fit (with a display copy or
// drawn scaled), fixed factors and stepping, and the displayed size. The
// arithmetic lives in qv_FitCore and qv_ZoomCore.
#include "image/qv_FitCore.h"
#include "image/qv_ImgData.h"
#include "image/qv_ResizeHandle.h"
#include "image/qv_ZoomCore.h"
#include "other/qv_Globals.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"
#include "other/qv_Title.h"

namespace {

constexpr int kOptFitWindowed = 80;
constexpr int kOptFitFull = 81;
constexpr int kOptZoomByStep = 92;
constexpr int kIntZoomStepBelow = 20;
constexpr int kIntZoomStepAbove = 21;
constexpr int kIntSimpleZoom = 22;
constexpr int kIntMaxFitZoom = 24;

// The view's client area with its scroll bars.
int ViewArea(int32_t *width, int32_t *height, int32_t *vBarWidth, int32_t *hBarHeight) {
    HWND view = g_process.viewWindow;
    if (view == nullptr) return 0;
    RECT r{};
    if (!GetClientRect(view, &r)) return 0;
    const LONG style = GetWindowLong(view, GWL_STYLE);
    *width = r.right - r.left + ((style & WS_VSCROLL) ? g_sysFacts.vScrollWidth : 0);
    *height = r.bottom - r.top + ((style & WS_HSCROLL) ? g_sysFacts.hScrollHeight : 0);
    *vBarWidth = g_sysFacts.vScrollWidth;
    *hBarHeight = g_sysFacts.hScrollHeight;
    return 1;
}

int Area(int32_t *width, int32_t *height, int32_t *vBarWidth, int32_t *hBarHeight) {
    *width = *height = *vBarWidth = *hBarHeight = 0;
    return g_imgDataHooks.area != nullptr ? g_imgDataHooks.area(width, height, vBarWidth, hBarHeight)
                                          : ViewArea(width, height, vBarWidth, hBarHeight);
}

// Zoom-quality slot: 2 full screen, 1 maximised, 0 windowed.
int ViewMode() {
    if (g_settings.option[kOptFullScreen]) return 2;
    return g_process.frameWindow != nullptr && IsZoomed(g_process.frameWindow) ? 1 : 0;
}

void PictureSize(int32_t *width, int32_t *height) {
    if (g_imgData.state & kImgAnimation) {
        *width = g_imgData.anim.width;
        *height = g_imgData.anim.height;
    } else {
        *width = DibHolder_GetWidth(g_imgData.image);
        *height = DibHolder_GetHeight(g_imgData.image);
    }
}

void SetZoom(int32_t zoom) {
    g_imgData.zoom = zoom;
    g_imgData.zoomPercent = Zoom_PercentOf(zoom);
}

uint32_t KeepBit() { return g_imgData.zoomMode & kZoomKeep; }

int Actual(int32_t pictureWidth, int32_t pictureHeight) {
    SetZoom(kZoomOne);
    g_imgData.zoomMode = KeepBit();
    g_imgData.viewWidth = pictureWidth;
    g_imgData.viewHeight = pictureHeight;
    ImgData_FreeImage(1);
    return 1;
}

// A fixed factor: 100 % is actual size, anything else drawn scaled.
int Fixed(int64_t zoom, int32_t pictureWidth, int32_t pictureHeight) {
    const int64_t top = int64_t(kZoomTopPercent) * 100000;
    if (zoom < 100000) zoom = 100000;
    if (zoom > top) zoom = top;
    if (zoom == kZoomOne) return Actual(pictureWidth, pictureHeight);
    int32_t w = 0, h = 0;
    if (!Zoom_DisplayedSize(pictureWidth, pictureHeight, int32_t(zoom), &w, &h)) return 0;
    SetZoom(int32_t(zoom));
    g_imgData.zoomMode = KeepBit() | kZoomFixed | kZoomDrawnScaled;
    g_imgData.viewWidth = w;
    g_imgData.viewHeight = h;
    ImgData_FreeImage(1);
    return 1;
}

int Fit(bool reuse, int32_t pictureWidth, int32_t pictureHeight) {
    int32_t areaWidth, areaHeight, vBar, hBar;
    Area(&areaWidth, &areaHeight, &vBar, &hBar);
    const int fitType = g_settings.option[g_settings.option[kOptFullScreen] ? kOptFitFull : kOptFitWindowed];
    int32_t w = 0, h = 0, used = 0;
    const int32_t zoom = Fit_Compute(fitType, areaWidth, areaHeight, pictureWidth, pictureHeight,
                                     g_settings.optInt[kIntMaxFitZoom], vBar, hBar, &w, &h, &used);
    g_imgData.fitPictureWidth = pictureWidth;
    g_imgData.fitPictureHeight = pictureHeight;
    g_imgData.fitAreaWidth = areaWidth;
    g_imgData.fitAreaHeight = areaHeight;
    if (zoom <= 0) {
        g_imgData.zoom = 0;
        g_imgData.zoomPercent = 0;
        g_imgData.viewWidth = g_imgData.viewHeight = 0;
        ImgData_FreeImage(1);
        return 0;
    }
    const bool still = (g_imgData.state & kImgStill) != 0;
    const bool reducing = w <= pictureWidth && h <= pictureHeight;
    const int mode = ViewMode();
    FitShowInput in{};
    in.pictureWidth = pictureWidth;
    in.pictureHeight = pictureHeight;
    in.fittedWidth = w;
    in.fittedHeight = h;
    in.fitZoom = zoom;
    in.method = still ? Zoom_MethodForMode(mode, reducing ? 1 : 0) : 0;
    in.keepZoom = KeepBit() != 0;
    in.simpleZoom = g_settings.optInt[kIntSimpleZoom];
    const uint32_t memory = Sys_GetTotalPhysMemory();
    in.physicalMemory = memory == 0 || memory == 0xFFFFFFFFu ? uint64_t{1} << 32 : memory;
    const FitShowResult r = Zoom_DecideFitShow(in);
    g_imgData.viewWidth = w;
    g_imgData.viewHeight = h;
    if (r.show == FitShow::Actual) {
        SetZoom(kZoomOne);
        g_imgData.zoomMode = KeepBit() | kZoomFit;
        ImgData_FreeImage(1);
        return 1;
    }
    SetZoom(r.zoom);
    if (r.show == FitShow::DisplayCopy) {
        const bool same = reuse && !g_imgData.display.empty() && DibHolder_GetWidth(g_imgData.display) == w &&
                          DibHolder_GetHeight(g_imgData.display) == h;
        if (!same) {
            ImgData_FreeImage(1);
            DibHolder_CreateResized(g_imgData.image, g_imgData.display, w, h, Zoom_MethodForMode(mode, 1),
                                    Zoom_MethodForMode(mode, 0));
        }
        if (!g_imgData.display.empty()) {
            g_imgData.zoomMode = KeepBit() | kZoomFit;
            return 1;
        }
    }
    // Drawn scaled from the picture itself.
    ImgData_FreeImage(1);
    g_imgData.zoomMode = KeepBit() | kZoomFit | kZoomFixed | kZoomDrawnScaled;
    return 1;
}

}  // namespace

int ImgData_ComputeZoom(uint32_t mode, int32_t argument) {
    if (mode == kZoomReqSetKeep || mode == kZoomReqClearKeep) {
        if (mode == kZoomReqSetKeep) {
            g_imgData.zoomMode |= kZoomKeep;
        } else {
            g_imgData.zoomMode &= ~uint32_t(kZoomKeep);
        }
        return 1;
    }
    if (!ImgData_HasImage()) {
        SetZoom(kZoomOne);
        g_imgData.zoomMode = KeepBit();
        g_imgData.viewWidth = g_imgData.viewHeight = 0;
        ImgData_FreeImage(1);
        return 1;
    }
    int32_t pw = 0, ph = 0;
    PictureSize(&pw, &ph);
    if (pw <= 0 || ph <= 0) return 0;
    if (mode == kZoomReqRecompute || mode == kZoomReqRecomputeReuse) {
        const uint32_t current = g_imgData.zoomMode;
        if (current & kZoomFit) return Fit(mode == kZoomReqRecomputeReuse, pw, ph);
        if (current & kZoomFixed) return Fixed(g_imgData.zoom, pw, ph);
        return Actual(pw, ph);
    }
    switch (mode) {
        case kZoomReqActual:
            return Actual(pw, ph);
        case kZoomReqFit:
            return Fit(false, pw, ph);
        case kZoomReqFixed:
            return Fixed(argument > 0 ? argument : g_imgData.zoom, pw, ph);
        case kZoomReqIn:
        case kZoomReqOut: {
            const int32_t percent =
                Zoom_NextPercent(g_imgData.zoomPercent, mode == kZoomReqIn ? 1 : -1,
                                 g_settings.option[kOptZoomByStep] != 0, g_settings.optInt[kIntZoomStepBelow],
                                 g_settings.optInt[kIntZoomStepAbove]);
            return Fixed(int64_t(percent) * 100000, pw, ph);
        }
        case kZoomReqLock:
            return g_settings.optInt[kIntZoomLock] > 0 ? Fixed(g_settings.optInt[kIntZoomLock], pw, ph)
                                                       : Actual(pw, ph);
        case kZoomReqFactor:
            return Fixed(argument, pw, ph);
        default:
            return 0;
    }
}

int ImgData_ApplyZoomMode(uint32_t mode, int32_t argument) {
    const int ok = ImgData_ComputeZoom(mode, argument);
    ImgData_UpdateScroll();
    ImgData_UpdateTitleStatus();
    if (g_process.viewWindow != nullptr) InvalidateRect(g_process.viewWindow, nullptr, FALSE);
    return ok;
}

void ImgData_GetViewSize(int32_t *width, int32_t *height) {
    const bool drawnScaled = (g_imgData.zoomMode & kZoomDrawnScaled) != 0;
    if (drawnScaled) {
        *width = g_imgData.viewWidth;
        *height = g_imgData.viewHeight;
    } else if (g_imgData.state & kImgAnimation) {
        *width = g_imgData.anim.width;
        *height = g_imgData.anim.height;
    } else if (!g_imgData.display.empty()) {
        *width = DibHolder_GetWidth(g_imgData.display);
        *height = DibHolder_GetHeight(g_imgData.display);
    } else if (!g_imgData.image.empty()) {
        *width = DibHolder_GetWidth(g_imgData.image);
        *height = DibHolder_GetHeight(g_imgData.image);
    } else {
        *width = *height = 0;
    }
}
