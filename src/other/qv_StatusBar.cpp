// The status bar control: creation, parts from widths, parts fitted to
// their texts, simple mode and text.
#include "other/qv_StatusBar.h"

#include <commctrl.h>

#include "../../res/resource.h"
#include "other/qv_Bars.h"
#include "other/qv_BarsCore.h"
#include "other/qv_Globals.h"
#include "other/qv_Res.h"
#include "other/qv_WndUtil.h"

StatusBarRecord g_statusBar;

namespace {

constexpr int kTextParts = 5;
constexpr int kStartWidth = 80;
constexpr int kMaxParts = 254;

WNDPROC s_oldProc = nullptr;

LRESULT CALLBACK StatusBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (Bars_IsXButtonMessage(message, wParam)) return 1;
    WNDPROC old = s_oldProc;
    if (message == WM_DESTROY) {
        Wnd_Unsubclass(&s_oldProc, window, StatusBarProc);
        if (g_statusBar.window == window) g_statusBar = StatusBarRecord{};
    }
    return old != nullptr ? CallWindowProc(old, window, message, wParam, lParam)
                          : DefWindowProc(window, message, wParam, lParam);
}

// Horizontal border, vertical border, border between parts.
void Borders(int out[3]) {
    out[0] = out[1] = out[2] = 0;
    SendMessage(g_statusBar.window, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(out));
}

}  // namespace

int StatusBar_Create(HINSTANCE instance) {
    HWND parent = g_process.frameWindow;
    if (g_statusBar.window != nullptr || parent == nullptr) return 0;
    HWND bar = CreateWindowEx(0, STATUSCLASSNAME, nullptr, WS_CHILD | SBARS_SIZEGRIP | CCS_BOTTOM, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(INT_PTR(kStatusBarId)), instance, nullptr);
    if (bar == nullptr) return 0;
    g_statusBar.window = bar;
    g_statusBar.parent = parent;
    g_statusBar.shown = 0;
    Wnd_Subclass(&s_oldProc, bar, StatusBarProc);
    const int32_t widths[kTextParts + 1] = {kStartWidth, kStartWidth, kStartWidth, kStartWidth, kStartWidth, -1};
    StatusBar_SetParts(widths, kTextParts + 1);
    StatusBar_SetSimple(1);
    TCHAR text[128];
    const int n = Res_LoadText(text, IDS_STATUS_NO_FILE, 128);
    if (n >= 1 && n <= 126) StatusBar_SetText(text, SB_SIMPLEID);
    return 1;
}

int StatusBar_Show(int show, int relayout) {
    if (g_statusBar.window == nullptr) return 0;
    ShowWindow(g_statusBar.window, show ? SW_SHOWNA : SW_HIDE);
    g_statusBar.shown = show ? 1 : 0;
    if (relayout && g_statusBar.parent != nullptr) Wnd_Relayout(g_statusBar.parent);
    return g_statusBar.shown;
}

void StatusBar_SetSimple(int on) {
    if (g_statusBar.window != nullptr) SendMessage(g_statusBar.window, SB_SIMPLE, on ? TRUE : FALSE, 0);
}

LRESULT StatusBar_SetText(const TCHAR *text, int part) {
    if (g_statusBar.window == nullptr) return 0;
    return SendMessage(g_statusBar.window, SB_SETTEXT, WPARAM(part & 0xFF), reinterpret_cast<LPARAM>(text));
}

LRESULT StatusBar_SetParts(const int32_t *widths, int count) {
    if (g_statusBar.window == nullptr || widths == nullptr) return 0;
    int borders[3];
    Borders(borders);
    int32_t edges[kMaxParts];
    const int n = Bars_PartEdges(widths, count, borders[0], borders[2], edges, kMaxParts);
    if (n <= 0) return 0;
    int sent[kMaxParts];
    for (int i = 0; i < n; ++i) sent[i] = edges[i];
    return SendMessage(g_statusBar.window, SB_SETPARTS, WPARAM(n), reinterpret_cast<LPARAM>(sent));
}

LRESULT StatusBar_FitParts() {
    HWND bar = g_statusBar.window;
    if (bar == nullptr) return 0;
    StatusBar_SetSimple(0);
    int borders[3];
    Borders(borders);
    RECT first{};
    SendMessage(bar, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&first));
    // A part is as wide as its text plus the part's own height less the
    // vertical border: room for the part's edges around the text.
    const int pad = (first.bottom - first.top) - borders[1];
    HDC dc = GetDC(bar);
    if (dc == nullptr) return 0;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessage(bar, WM_GETFONT, 0, 0)));
    int32_t widths[kTextParts + 1];
    for (int i = 0; i < kTextParts; ++i) {
        TCHAR text[256];
        const LRESULT length = LOWORD(SendMessage(bar, SB_GETTEXTLENGTH, i, 0));
        SIZE extent{};
        if (length > 0 && length < 256) {
            SendMessage(bar, SB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            GetTextExtentPoint32(dc, text, int(length), &extent);
        }
        widths[i] = extent.cx + pad > 1 ? extent.cx + pad : 1;
    }
    widths[kTextParts] = -1;
    if (old != nullptr) SelectObject(dc, old);
    ReleaseDC(bar, dc);
    return StatusBar_SetParts(widths, kTextParts + 1);
}
