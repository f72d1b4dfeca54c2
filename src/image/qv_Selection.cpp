#include "image/qv_Selection.h"

#include <vector>

#include "image/qv_ImgData.h"
#include "image/qv_SelectionCore.h"
#include "image/qv_View.h"
#include "image/qv_ViewPaint.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"
#include "other/qv_WndUtil.h"

ViewState g_viewState;

namespace {

void PictureSize(int32_t *w, int32_t *h) {
    if (!ImgData_HasImage()) {
        *w = *h = 0;
    } else if (g_imgData.state & kImgAnimation) {
        *w = g_imgData.anim.width;
        *h = g_imgData.anim.height;
    } else {
        *w = DibHolder_GetWidth(g_imgData.image);
        *h = DibHolder_GetHeight(g_imgData.image);
    }
}

// The view's two axes as the mapping needs them; false without a view.
bool ViewAxes(SelAxis *x, SelAxis *y) {
    HWND view = g_viewRecord.window;
    RECT client{};
    if (view == nullptr || !GetClientRect(view, &client)) return false;
    int32_t w = 0, h = 0, dw = 0, dh = 0;
    PictureSize(&w, &h);
    ImgData_GetViewSize(&dw, &dh);
    const ScrollState &s = g_viewRecord.scroll;
    const bool centre = g_settings.option[kOptFullScreen] || g_viewPaint.centre;
    const bool scaled = (g_imgData.zoomMode & ~uint32_t(kZoomKeep)) != kZoomActual;
    *x = SelAxis{s.hShown ? s.hPos : 0, centre && client.right > dw ? (client.right - dw) / 2 : 0, w, dw, scaled};
    *y = SelAxis{s.vShown ? s.vPos : 0, centre && client.bottom > dh ? (client.bottom - dh) / 2 : 0, h, dh, scaled};
    return true;
}

void Changed() {
    if (g_viewState.selectionChanged != nullptr) g_viewState.selectionChanged();
}

void MoveCursorOntoItself() {
    POINT p;
    if (GetCursorPos(&p)) SetCursorPos(p.x, p.y);
}

// One frame edge drawn 1:1 as an 8-bit picture of black (0) and white (1).
void DrawEdge(HDC dc, const FrameEdge &e, int32_t dash) {
    const int32_t w = e.rect.right - e.rect.left, h = e.rect.bottom - e.rect.top;
    if (w <= 0 || h <= 0) return;
    const int32_t stride = (w + 3) & ~3;
    std::vector<uint8_t> bits(size_t(stride) * size_t(h));
    SelCore_FillEdge(e, dash, bits.data(), stride);
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = w;
    info.header.biHeight = -h;  // top-down, as filled
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = 2;
    info.colours[1] = RGBQUAD{255, 255, 255, 0};
    SetDIBitsToDevice(dc, e.rect.left, e.rect.top, DWORD(w), DWORD(h), 0, 0, 0, UINT(h), bits.data(),
                      reinterpret_cast<BITMAPINFO *>(&info), DIB_RGB_COLORS);
}

}  // namespace

void View_InitState() {
    g_viewState = ViewState{};
}

void Sel_SyncUnits() {
    g_viewState.startUnitX = g_settings.selStep[0] < 1 ? 1 : g_settings.selStep[0];
    g_viewState.startUnitY = g_settings.selStep[1] < 1 ? 1 : g_settings.selStep[1];
    g_viewState.sizeUnitX = g_settings.selStep[2] < 1 ? 1 : g_settings.selStep[2];
    g_viewState.sizeUnitY = g_settings.selStep[3] < 1 ? 1 : g_settings.selStep[3];
}

int Sel_SetMode(int on) {
    ViewState &v = g_viewState;
    HWND view = g_viewRecord.window;
    if (on) {
        if (view != nullptr) {
            if (!v.cursorReplaced) {
                v.savedClassCursor = reinterpret_cast<HCURSOR>(GetClassLongPtr(view, GCLP_HCURSOR));
                v.cursorReplaced = 1;
            }
            SetClassLongPtr(view, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursor(nullptr, IDC_CROSS)));
        }
        v.selectMode = 1;
    } else {
        if (view != nullptr && v.cursorReplaced) {
            SetClassLongPtr(view, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(v.savedClassCursor));
            v.cursorReplaced = 0;
            v.savedClassCursor = nullptr;
        }
        v.selectMode = 0;
        Sel_Clear();
    }
    if (view != nullptr) MoveCursorOntoItself();
    return 1;
}

int Sel_ApplyCursorMode() {
    const int32_t mode = g_viewState.selectMode;
    if (mode != 0 && mode != 1) return 0;
    // Full screen has no selection mode: entering it ends the mode.
    const int32_t next = g_settings.option[kOptFullScreen] ? 0 : (mode ? 0 : 1);
    if (next == mode) return 1;
    const int result = Sel_SetMode(next);
    View_RedrawNow(0);
    if (next && g_viewHooks.pointerStatus != nullptr) g_viewHooks.pointerStatus();
    else if (!next && g_imgDataHooks.updateStatus != nullptr) g_imgDataHooks.updateStatus();
    return result;
}

int Sel_GetRect(RECT *out, int wholePicture) {
    if (out == nullptr) return 0;
    const ViewState &v = g_viewState;
    *out = RECT{};
    if (v.selActive) {
        Rect r{v.x0, v.y0, v.x1, v.y1};
        Math_NormalizeRect(&r);
        *out = RECT{r.left, r.top, r.right + 1, r.bottom + 1};
    } else if (wholePicture) {
        int32_t w = 0, h = 0;
        PictureSize(&w, &h);
        *out = RECT{0, 0, w, h};
    }
    return out->right > out->left && out->bottom > out->top ? 1 : 0;
}

void Sel_SetRect(const RECT *inclusive) {
    int32_t w = 0, h = 0;
    PictureSize(&w, &h);
    if (inclusive == nullptr || w <= 0 || h <= 0) {
        Sel_Clear();
        return;
    }
    auto cut = [](LONG v, int32_t size) { return int32_t(v < 0 ? 0 : (v > size - 1 ? size - 1 : v)); };
    ViewState &s = g_viewState;
    s.x0 = cut(inclusive->left, w);
    s.y0 = cut(inclusive->top, h);
    s.x1 = cut(inclusive->right, w);
    s.y1 = cut(inclusive->bottom, h);
    Sel_SetActive(1);
}

void Sel_SetActive(int on) {
    ViewState &v = g_viewState;
    const int32_t flag = on ? 1 : 0;
    const bool change = v.selActive != flag;
    v.selActive = flag;
    if (!flag) {
        v.leftDragActive = 0;
        v.x0 = v.y0 = v.x1 = v.y1 = 0;
    }
    if (change) Changed();
}

int Sel_Clear() {
    const int existed = g_viewState.selActive ? 1 : 0;
    Sel_SetActive(0);
    return existed;
}

int Sel_HasSelection() { return g_viewState.selActive ? 1 : 0; }

POINT View_ClientToImage(POINT client) {
    SelAxis x{}, y{};
    if (!ViewAxes(&x, &y)) return POINT{0, 0};
    return POINT{SelCore_ClientToPicture(client.x, x), SelCore_ClientToPicture(client.y, y)};
}

int Sel_ClientRect(RECT *out) {
    const ViewState &v = g_viewState;
    SelAxis x{}, y{};
    if (out == nullptr || !v.selActive || !ViewAxes(&x, &y)) return 0;
    Rect r{v.x0, v.y0, v.x1, v.y1};
    Math_NormalizeRect(&r);
    *out = RECT{SelCore_PictureToClient(r.left, x), SelCore_PictureToClient(r.top, y),
                SelCore_PictureToClient(r.right + 1, x), SelCore_PictureToClient(r.bottom + 1, y)};
    return 1;
}

void Sel_DrawFrame(HDC dc) {
    const ViewState &v = g_viewState;
    if (dc == nullptr || !v.selActive || g_viewPaint.layoutLock > 0) return;
    if ((g_imgData.state & kImgAnimation) || !ImgData_HasImage()) return;
    RECT frame{}, client{};
    if (!Sel_ClientRect(&frame) || !GetClientRect(g_viewRecord.window, &client)) return;
    const int32_t t = v.lineWidth < 1 ? 1 : v.lineWidth;
    // A frame at the client's edge keeps its line just outside the client.
    InflateRect(&client, t, t);
    RECT cut{};
    if (!IntersectRect(&cut, &frame, &client)) return;
    FrameEdge edges[4];
    const int n = SelCore_FrameEdges(Rect{cut.left, cut.top, cut.right, cut.bottom}, t, edges);
    for (int i = 0; i < n; ++i) DrawEdge(dc, edges[i], 3 * v.lineWidth);
}

void Sel_Attach() {
    int32_t percent = 100;
    const int32_t factor = Sys_DpiPercent(&percent, 1);
    g_viewState.lineWidth = factor < 1 ? 1 : factor;
    Sel_SyncUnits();
}
