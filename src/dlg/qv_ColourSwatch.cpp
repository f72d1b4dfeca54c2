#include "dlg/qv_ColourSwatch.h"

namespace {

LRESULT CALLBACK SwatchProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto *s = reinterpret_cast<const ColourSwatch *>(GetWindowLongPtr(control, GWLP_USERDATA));
    if (s == nullptr || s->previous == nullptr) return DefWindowProc(control, message, wParam, lParam);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(control, &ps);
            RECT r;
            GetClientRect(control, &r);
            HBRUSH brush = CreateSolidBrush(*s->colour);
            FillRect(dc, &r, brush);
            DeleteObject(brush);
            EndPaint(control, &ps);
            return 0;
        }
        case WM_DESTROY: {
            const WNDPROC previous = s->previous;
            SetWindowLongPtr(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            SetWindowLongPtr(control, GWLP_USERDATA, 0);
            return CallWindowProc(previous, control, message, wParam, lParam);
        }
        default: return CallWindowProc(s->previous, control, message, wParam, lParam);
    }
}

}  // namespace

bool ColourSwatch_Attach(ColourSwatch *swatch, HWND control, const COLORREF *colour) {
    if (swatch == nullptr || control == nullptr || colour == nullptr) return false;
    swatch->colour = colour;
    SetWindowLongPtr(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(swatch));
    swatch->previous =
        reinterpret_cast<WNDPROC>(SetWindowLongPtr(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SwatchProc)));
    if (swatch->previous != nullptr) return true;
    SetWindowLongPtr(control, GWLP_USERDATA, 0);
    return false;
}
