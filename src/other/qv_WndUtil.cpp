#include "other/qv_WndUtil.h"

#include <imm.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <cmath>
#include <initializer_list>

#include "other/qv_SysFacts.h"
#include "other/qv_SysSeams.h"

WindowRecord g_frameRecord;
WindowRecord g_viewRecord;
TimerRecord g_timers[3];
bool (*g_waitCursorShowsHiddenCursor)() = nullptr;

namespace {

struct CursorState {
    CursorReasons reasons;
    int hiddenByProgram = 0;
    int forcedVisible = 0;
};
CursorState s_cursor;

struct ImeState {
    HMODULE imm = nullptr;
    HIMC(WINAPI *associate)(HWND, HIMC) = nullptr;
    HIMC kept = nullptr;
    int applied = 0;
};
ImeState s_ime;

RECT ToRECT(const Rect &r) { return RECT{r.left, r.top, r.right, r.bottom}; }
Rect ToRect(const RECT &r) { return Rect{r.left, r.top, r.right, r.bottom}; }

void ApplyShown(int32_t shown) {
    if (shown >= 0) Cursor_Show(shown);
}

}  // namespace

void Wnd_InitRecord(WindowRecord *record) {
    if (record) *record = WindowRecord{};
}

void Wnd_ResetRecord(WindowRecord *record) {
    if (record == nullptr) return;
    if (record->window != nullptr && IsWindow(record->window) && GetMenu(record->window) != nullptr)
        SetMenu(record->window, nullptr);
    if (record->savedCursor != nullptr) SetCursor(record->savedCursor);
    *record = WindowRecord{};
}

int Wnd_Create(WindowRecord *record, LPCTSTR className, LPCTSTR title, DWORD style, DWORD exStyle, int x, int y,
               int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance) {
    if (record == nullptr || record->window != nullptr) return 0;
    HWND w = CreateWindowEx(exStyle, className, title, style, x, y, width, height, parent, menuOrId, instance, nullptr);
    if (w == nullptr) return 0;
    record->window = w;
    return 1;
}

int Wnd_SetMenu(WindowRecord *record, HMENU menu) {
    if (record == nullptr || record->window == nullptr) return 0;
    record->menuBarFigure = 0;
    if (!SetMenu(record->window, menu)) return 0;
    if (menu == nullptr) return 1;
    int32_t figure = 0, height = 0;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        RECT r;
        if (GetMenuItemRect(record->window, menu, UINT(i), &r)) {
            figure += r.right - r.left;
            height = r.bottom - r.top;
        }
    }
    record->menuBarFigure = figure + height;
    return 1;
}

int Wnd_GetClientSize(HWND window, int32_t *width, int32_t *height) {
    RECT r{};
    GetClientRect(window, &r);
    int32_t w = r.right, h = r.bottom;
    const LONG style = GetWindowLong(window, GWL_STYLE);
    if (style & WS_VSCROLL) w += g_sysFacts.vScrollWidth;
    if (style & WS_HSCROLL) h += g_sysFacts.hScrollHeight;
    if (width) *width = w;
    if (height) *height = h;
    return 1;
}

int Wnd_SetTopMost(HWND frame, int on, int redraw) {
    UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (!redraw) flags |= SWP_NOREDRAW;
    return SetWindowPos(frame, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags) ? 1 : 0;
}

int Wnd_MoveWindow(int y, int x, HWND window, int width, int height) {
    POINT p{x, y};
    if (GetWindowLong(window, GWL_STYLE) & WS_CHILD) ScreenToClient(GetParent(window), &p);
    return MoveWindow(window, p.x, p.y, width, height, FALSE) ? 1 : 0;
}

int Wnd_MoveBy(HWND window, int dx, int dy) {
    RECT r;
    if (!GetWindowRect(window, &r)) return 0;
    return Wnd_MoveWindow(r.top + dy, r.left + dx, window, r.right - r.left, r.bottom - r.top);
}

int Wnd_MoveTo(int x, int y, HWND window) {
    RECT r;
    if (!GetWindowRect(window, &r)) return 0;
    RECT moved{x, y, x + (r.right - r.left), y + (r.bottom - r.top)};
    Wnd_PlaceInWorkArea(&moved, nullptr, nullptr, 0);
    return Wnd_MoveWindow(moved.top, moved.left, window, moved.right - moved.left, moved.bottom - moved.top);
}

int Wnd_PlaceInWorkArea(RECT *rect, const RECT *workArea, HWND reference, int centre) {
    if (rect == nullptr) return 0;
    RECT area;
    if (workArea != nullptr) {
        area = *workArea;
    } else if (!Util_GetWorkAreaOfRect(&area, rect)) {
        return 0;
    }
    Rect r = ToRect(*rect);
    Rect centreOn = ToRect(area);
    if (centre && reference != nullptr) {
        RECT ref;
        if (GetWindowRect(reference, &ref)) centreOn = ToRect(ref);
    }
    UiMath_PlaceInWorkArea(&r, ToRect(area), centre ? &centreOn : nullptr);
    *rect = ToRECT(r);
    return 1;
}

int Dlg_CenterOnOwner(HWND dialog, HWND owner) {
    RECT r;
    if (!GetWindowRect(dialog, &r)) return 0;
    if (!Wnd_PlaceInWorkArea(&r, nullptr, owner ? owner : GetDesktopWindow(), 1)) return 0;
    return SetWindowPos(dialog, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) ? 1 : 0;
}

int Wnd_Subclass(WNDPROC *slot, HWND window, WNDPROC newProc) {
    if (slot == nullptr || *slot != nullptr || window == nullptr) return 0;
    *slot = reinterpret_cast<WNDPROC>(SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(newProc)));
    return *slot != nullptr;
}

int Wnd_Unsubclass(WNDPROC *slot, HWND window, WNDPROC expected) {
    if (slot == nullptr || *slot == nullptr) return 0;
    const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtr(window, GWLP_WNDPROC));
    int ok = 0;
    if (expected == nullptr || current == expected) {
        SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(*slot));
        ok = 1;
    }
    *slot = nullptr;
    return ok;
}

int Wnd_RefreshFrame(int redraw, HWND window) {
    UINT flags = SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    flags |= redraw ? SWP_NOCOPYBITS : SWP_NOREDRAW;
    return SetWindowPos(window, nullptr, 0, 0, 0, 0, flags) ? 1 : 0;
}

int Wnd_Relayout(HWND window) {
    RECT r;
    if (!GetClientRect(window, &r)) return 0;
    WPARAM state = SIZE_RESTORED;
    if (IsIconic(window)) state = SIZE_MINIMIZED;
    else if (IsZoomed(window)) state = SIZE_MAXIMIZED;
    SendMessage(window, WM_SIZE, state, MAKELPARAM(r.right, r.bottom));
    return 1;
}

int Wnd_IsMaximized(HWND window) {
    if (IsZoomed(window)) return 1;
    if (IsIconic(window)) {
        WINDOWPLACEMENT p{};
        p.length = sizeof p;
        if (GetWindowPlacement(window, &p) && (p.flags & WPF_RESTORETOMAXIMIZED)) return 2;
    }
    return 0;
}

int Timer_Set(int32_t ms, TimerRecord *record, HWND window, UINT_PTR id) {
    if (record == nullptr || record->set) return 0;
    const UINT_PTR got = SetTimer(window, id, UINT(ms), nullptr);
    if (got == 0) return 0;
    record->set = 1;
    record->window = window;
    record->id = got;
    record->interval = ms;
    return 1;
}

int Timer_Kill(TimerRecord *record) {
    if (record == nullptr) return 0;
    const int was = record->set;
    if (record->set) KillTimer(record->window, record->id);
    *record = TimerRecord{};
    return was;
}

WaitCursorGuard::~WaitCursorGuard() { WaitCursor_End(this); }

int WaitCursor_Begin(WaitCursorGuard *guard) {
    if (guard == nullptr || guard->owner_ == nullptr) return 0;
    if (guard->active) return 1;
    WindowRecord *owner = guard->owner_;
    if (owner->waitCount > 0) {
        if (owner->waitCount >= kMaxWaitNesting) return 0;
        ++owner->waitCount;
    } else {
        HCURSOR wait = LoadCursor(nullptr, IDC_WAIT);
        owner->savedCursor = SetCursor(wait);
        owner->waitCount = 1;
    }
    if (g_waitCursorShowsHiddenCursor == nullptr || g_waitCursorShowsHiddenCursor()) {
        Cursor_SetShowReason(kShowReasonWait, 1);
        guard->showReasonTaken = 1;
    }
    guard->active = 1;
    return 1;
}

int WaitCursor_Restore(WaitCursorGuard *guard) {
    if (guard == nullptr || !guard->active) return 1;
    if (guard->showReasonTaken) {
        Cursor_SetShowReason(kShowReasonWait, 0);
        guard->showReasonTaken = 0;
    }
    WindowRecord *owner = guard->owner_;
    if (owner != nullptr && owner->waitCount > 0 && --owner->waitCount == 0) {
        SetCursor(owner->savedCursor);
        owner->savedCursor = nullptr;
    }
    guard->active = 0;
    return 1;
}

void WaitCursor_End(WaitCursorGuard *guard) {
    if (guard == nullptr) return;
    WaitCursor_Restore(guard);
    guard->owner_ = nullptr;
}

int Cursor_Show(int show) {
    // ShowCursor keeps a counter: call it only when this program's state
    // really changes, so the counter stays balanced.
    if (show && s_cursor.hiddenByProgram) {
        ShowCursor(TRUE);
        s_cursor.hiddenByProgram = 0;
        return 1;
    }
    if (!show && !s_cursor.hiddenByProgram) {
        ShowCursor(FALSE);
        s_cursor.hiddenByProgram = 1;
        return 1;
    }
    return 0;
}

int Cursor_ForceVisible(int on) {
    if (on) {
        Cursor_Show(1);
        s_cursor.forcedVisible = 1;
    } else {
        s_cursor.forcedVisible = 0;
    }
    return 1;
}

int32_t Cursor_SetHideReason(uint32_t bit, int on) {
    const int32_t shown = CursorReasons_SetHide(&s_cursor.reasons, bit, on != 0);
    ApplyShown(shown);
    return shown;
}

int32_t Cursor_SetShowReason(uint32_t bit, int on) {
    const int32_t shown = CursorReasons_SetShow(&s_cursor.reasons, bit, on != 0);
    ApplyShown(shown);
    return shown;
}

int Cursor_ClearShowReasons() {
    for (uint32_t bit : {0u, 1u, 6u}) Cursor_SetShowReason(bit, 0);
    return 1;
}

const CursorReasons &Cursor_State() { return s_cursor.reasons; }
int Cursor_HiddenByProgram() { return s_cursor.hiddenByProgram; }

int Ime_ApplyOption(HWND frame, int disableIme) {
    if (frame == nullptr) return -1;
    if (disableIme) {
        if (s_ime.applied) return 0;
        if (s_ime.associate == nullptr) {
            if (s_ime.imm == nullptr) s_ime.imm = Sys_LoadSystemLibrary(TEXT("imm32.dll"));
            if (s_ime.imm != nullptr)
                s_ime.associate = reinterpret_cast<HIMC(WINAPI *)(HWND, HIMC)>(GetProcAddress(s_ime.imm, "ImmAssociateContext"));
            if (s_ime.associate == nullptr) return -2;
        }
        s_ime.kept = s_ime.associate(frame, nullptr);
        s_ime.applied = 1;
        return 0;
    }
    if (!s_ime.applied) return 1;
    if (s_ime.associate != nullptr) s_ime.associate(frame, s_ime.kept);
    s_ime.kept = nullptr;
    s_ime.applied = 0;
    return 1;
}

void Stopwatch_Start(Stopwatch *watch) {
    if (watch == nullptr) return;
    *watch = Stopwatch{};
    watch->startTick = g_sys.timeGetTime();
    LARGE_INTEGER f, c;
    if (QueryPerformanceFrequency(&f) && f.QuadPart >= 1000 && f.QuadPart < (int64_t{1} << 32) &&
        QueryPerformanceCounter(&c)) {
        watch->mode = 2;
        watch->frequency = f.QuadPart;
        watch->startCounter = c.QuadPart;
    } else {
        watch->mode = 1;
    }
}

uint32_t Stopwatch_Stop(Stopwatch *watch) {
    if (watch == nullptr) return 0;
    LARGE_INTEGER c;
    if (watch->mode == 2 && QueryPerformanceCounter(&c)) {
        watch->endCounter = c.QuadPart;
        const int64_t ticks = (watch->endCounter - watch->startCounter) & INT64_MAX;
        watch->elapsedMs = uint32_t(ticks / watch->frequency * 1000 + (ticks % watch->frequency) * 1000 / watch->frequency);
    } else {
        watch->endTick = g_sys.timeGetTime();
        watch->elapsedMs = watch->endTick - watch->startTick;
    }
    return watch->elapsedMs;
}

int Util_PostCommand(HWND window, UINT id) {
    return PostMessage(window, WM_COMMAND, MAKEWPARAM(id, 1), 0) ? 1 : 0;
}

uint8_t *Util_ColorToRgbQuad(uint8_t *buffer, COLORREF colour) {
    if (buffer == nullptr) return nullptr;
    buffer[0] = uint8_t(colour >> 16);
    buffer[1] = uint8_t(colour >> 8);
    buffer[2] = uint8_t(colour);
    buffer[3] = 0;
    return buffer;
}

double Math_Pow(double x, double y) {
    if (x <= 0) return x == 0 && y > 0 ? 0.0 : std::pow(x, y);
    return std::exp2(y * std::log2(x));
}

int Util_ShellOpen(LPCTSTR file, HWND owner) {
    if (file == nullptr || file[0] == 0) return 0;
    const HINSTANCE r = ShellExecute(owner, nullptr, file, nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(r) > 32;
}
