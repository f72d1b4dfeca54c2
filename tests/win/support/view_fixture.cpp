#include "support/view_fixture.h"

#include "image/qv_ImgData.h"
#include "image/qv_Scroll.h"
#include "image/qv_View.h"
#include "image/qv_ViewPaint.h"
#include "other/qv_Globals.h"
#include "other/qv_MenuProc.h"
#include "other/qv_WndUtil.h"

namespace {

const TCHAR kTestFrameClass[] = TEXT("QvViewTestFrame");

LRESULT CALLBACK TestFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        ViewFixture::Commands().push_back(LOWORD(wParam));
        return 0;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

}  // namespace

PaintSurface::PaintSurface(int32_t w, int32_t h) : width(w), height(h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void *p = nullptr;
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint8_t *>(p);
    if (bitmap) old = SelectObject(dc, bitmap);
}

PaintSurface::~PaintSurface() {
    if (old) SelectObject(dc, old);
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
}

void PaintSurface::Fill(COLORREF c) {
    GdiFlush();
    const uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t *p = bits + y * stride + x * 3;
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
}

COLORREF PaintSurface::At(int32_t x, int32_t y) const {
    GdiFlush();
    const uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u;
    const uint8_t *p = bits + y * stride + x * 3;
    return RGB(p[2], p[1], p[0]);
}

ViewFixture::ViewFixture(int32_t clientW, int32_t clientH) {
    HINSTANCE instance = GetModuleHandle(nullptr);
    WNDCLASS wc{};
    if (!GetClassInfo(instance, kTestFrameClass, &wc)) {
        wc = WNDCLASS{};
        wc.lpfnWndProc = TestFrameProc;
        wc.hInstance = instance;
        wc.lpszClassName = kTestFrameClass;
        RegisterClass(&wc);
    }
    Commands().clear();
    frame_ = CreateWindowEx(0, kTestFrameClass, TEXT("view test"), WS_POPUP | WS_CLIPCHILDREN, 40, 40, clientW,
                            clientH, nullptr, nullptr, instance, nullptr);
    if (frame_ == nullptr || !View_RegisterClass(instance) || !View_Create(frame_, instance, 0)) return;
    view_ = g_viewRecord.window;
    View_AttachState();
}

ViewFixture::~ViewFixture() {
    if (frame_ != nullptr) DestroyWindow(frame_);
    g_viewRecord = WindowRecord{};
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
        if (m.message != WM_QUIT) DispatchMessage(&m);
}

std::vector<UINT> &ViewFixture::Commands() {
    static std::vector<UINT> commands;
    return commands;
}

std::vector<UINT> ViewFixture::Pump() {
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
        if (m.message != WM_QUIT) DispatchMessage(&m);
    std::vector<UINT> got = Commands();
    Commands().clear();
    return got;
}

LRESULT ViewFixture::Command(HWND frame, UINT id) {
    return MenuProc_OnCommand(CommandMessage{frame, 0, MAKEWPARAM(id, 0), 0});
}

void ViewFixture::ScrollTo(int32_t h, int32_t v) {
    Scroll_SetPos(&g_viewRecord.scroll, h, kScrollTo, kScrollHorz, 0);
    Scroll_SetPos(&g_viewRecord.scroll, v, kScrollTo, kScrollVert, 0);
}

COLORREF PictureColour(int32_t x, int32_t y, int seed) {
    return RGB((x * 7 + seed * 50) & 0xFF, (y * 9 + 20) & 0xFF, 0x80 + (((x + y + seed) & 1) ? 0x40 : 0));
}

bool MakePicture(DibHolder &h, int32_t width, int32_t height, int seed) {
    return MakePictureFrom(h, width, height, [seed](int32_t x, int32_t y) { return PictureColour(x, y, seed); });
}

bool MakePictureFrom(DibHolder &h, int32_t width, int32_t height, const std::function<COLORREF(int32_t, int32_t)> &colour) {
    if (!DibHolder_Create(h, width, height, 24, 0, 0, nullptr)) return false;
    const uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u;
    const bool bottomUp = DibHolder_IsBottomUp(h);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const COLORREF c = colour(x, y);
            uint8_t *p = h.data->bits + uint32_t(bottomUp ? height - 1 - y : y) * stride + uint32_t(x) * 3;
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    return true;
}

void ClearImgData() {
    DibHolder_Free(g_imgData.display);
    DibHolder_Free(g_imgData.image);
    g_imgData.state = 0;
    g_imgData.zoom = kZoomOne;
    g_imgData.zoomPercent = 100;
    g_imgData.zoomMode = 0;
    g_imgData.viewWidth = g_imgData.viewHeight = 0;
    g_imgData.loadingNesting = 0;
    g_imgData.pathText = nullptr;
}
