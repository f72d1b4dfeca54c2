#include "image/qv_View.h"

#include "other/qv_Globals.h"
#include "other/qv_Settings.h"
#include "other/qv_WndUtil.h"

const TCHAR kViewClassName[] = TEXT("QV_Quivelta_MaCl");

namespace {

constexpr UINT_PTR kViewChildId = 1;

COLORREF BackgroundColour() { return COLORREF(uint32_t(g_settings.optInt[0]) & 0xFFFFFFu); }  // BGCol1

void FillClient(HWND window, HDC dc) {
    RECT client;
    if (!GetClientRect(window, &client)) return;
    HBRUSH brush = CreateSolidBrush(BackgroundColour());
    if (brush == nullptr) return;
    FillRect(dc, &client, brush);
    DeleteObject(brush);
}

LRESULT OnPaint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc != nullptr) FillClient(window, dc);
    EndPaint(window, &ps);
    return 0;
}

}  // namespace

int View_RegisterClass(HINSTANCE instance) {
    WNDCLASS wc{};
    if (GetClassInfo(instance, kViewClassName, &wc)) return 1;
    wc = WNDCLASS{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = View_WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kViewClassName;
    return RegisterClass(&wc) != 0 ? 1 : 0;
}

int View_Create(HWND frame, HINSTANCE instance, DWORD exStyle) {
    RECT client{};
    GetClientRect(frame, &client);
    if (!Wnd_Create(&g_viewRecord, kViewClassName, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, exStyle, 0, 0,
                    client.right, client.bottom, frame, reinterpret_cast<HMENU>(kViewChildId), instance))
        return 0;
    g_process.viewWindow = g_viewRecord.window;
    return 1;
}

void View_FillBackground(HWND view) {
    if (view == nullptr) return;
    HDC dc = GetDC(view);
    if (dc == nullptr) return;
    FillClient(view, dc);
    ReleaseDC(view, dc);
}

LRESULT CALLBACK View_WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the paint fills everything
        case WM_PAINT:
            return OnPaint(window);
        case WM_DESTROY:
            if (g_viewRecord.window == window) {
                Wnd_ResetRecord(&g_viewRecord);
                g_process.viewWindow = nullptr;
            }
            return 0;
        default:
            return DefWindowProc(window, message, wParam, lParam);
    }
}
