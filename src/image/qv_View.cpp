#include "image/qv_View.h"

#include <initializer_list>

#include "image/qv_ImgData.h"
#include "image/qv_Scroll.h"
#include "image/qv_ViewPaint.h"
#include "other/qv_Dlg.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_Settings.h"
#include "other/qv_WndUtil.h"

const TCHAR kViewClassName[] = TEXT("QV_Quivelta_MaCl");
ViewHooks g_viewHooks = {};

namespace {

constexpr UINT_PTR kViewChildId = 1;
constexpr int kOptActivateNoCommand = 98;  // ActvNoCmnd
constexpr WPARAM kAnyButton = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2;
constexpr uint32_t kShowReasonButton = 1;
constexpr uint32_t kShowReasonMove = 2;
constexpr int32_t kMaxLayoutLock = 0x7FFFFF00;
constexpr int32_t kAutoScrollMs = 33;

struct ViewInput {
    int32_t pressedHere = 0;  // the left button went down in the view
    int32_t moveToggle = 0;
    POINT last{-1, -1};       // last cursor position seen by a move handler
};
ViewInput s_input;

TimerRecord &AutoScrollTimer() { return g_timers[1]; }

int LeftDragMode() { return g_viewHooks.leftDragMode != nullptr ? g_viewHooks.leftDragMode() : 0; }
bool Selecting() { return g_viewHooks.selectionMode != nullptr && g_viewHooks.selectionMode(); }
// Picture work, a plug-in call or a file operation: the mouse changes nothing.
bool Busy() { return g_imgData.loadingNesting > 0 || Frame_IsBusy(); }
bool AnyButtonDown() {
    for (int key : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2})
        if (GetAsyncKeyState(key) < 0) return true;
    return false;
}

void ClearScrollBarInUse() {
    if (!g_frame.scrollBarInUse) return;
    g_frame.scrollBarInUse = 0;
    Cursor_SetShowReason(kShowReasonScrollBar, 0);
}

void FillClient(HWND window, HDC dc) {
    RECT client;
    if (!GetClientRect(window, &client)) return;
    HBRUSH brush = CreateSolidBrush(COLORREF(uint32_t(g_settings.optInt[0]) & 0xFFFFFFu));  // BGCol1
    if (brush == nullptr) return;
    FillRect(dc, &client, brush);
    DeleteObject(brush);
}

void SendCommand(HWND view, UINT command) {
    if (command == 0) return;
    HWND frame = GetParent(view);
    if (frame != nullptr) SendMessage(frame, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

UINT ClickCommand(int button, int doubleClick, WPARAM keys) {
    return g_viewHooks.clickCommand != nullptr ? g_viewHooks.clickCommand(button, doubleClick, keys) : 0;
}

LRESULT OnPaint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (g_imgData.loadingNesting > 0 && !g_viewPaint.paintedWhileBusy) {
        // The picture is being replaced: paint the view empty once, whole.
        EndPaint(window, &ps);
        View_RedrawNow(1);
        return 0;
    }
    if (dc != nullptr && g_viewPaint.record == nullptr) {
        FillClient(window, dc);  // not attached yet: the background alone
    } else if (dc != nullptr) {
        ViewPaint_Draw(dc, 1, ps.fErase, &ps.rcPaint);
        if (g_viewHooks.drawSelection != nullptr) g_viewHooks.drawSelection(dc);
    }
    EndPaint(window, &ps);
    return 0;
}

LRESULT OnMouseActivate(HWND window, WPARAM wParam, LPARAM lParam) {
    if (g_settings.option[kOptActivateNoCommand] && LOWORD(lParam) == HTCLIENT) {
        const UINT press = HIWORD(lParam);
        if (press == WM_LBUTTONDOWN || press == WM_RBUTTONDOWN || press == WM_MBUTTONDOWN || press == WM_XBUTTONDOWN) {
            HWND root = GetAncestor(window, GA_ROOT);
            HWND foreground = GetForegroundWindow();
            const bool activates = foreground == nullptr || (foreground != root && !IsChild(root, foreground));
            const bool exempt =
                press == WM_LBUTTONDOWN && (LeftDragMode() == 3 || GetKeyState(VK_CONTROL) < 0);
            if (activates && !exempt) return MA_ACTIVATEANDEAT;
        }
    }
    return DefWindowProc(window, WM_MOUSEACTIVATE, wParam, lParam);
}

void NoteMove(bool clientMove) {
    POINT p;
    if (!GetCursorPos(&p)) return;
    s_input.moveToggle ^= 1;
    if (!clientMove && s_input.moveToggle) {
        const bool moved = p.x != s_input.last.x || p.y != s_input.last.y;
        if (g_viewHooks.barsAtEdge != nullptr) g_viewHooks.barsAtEdge(moved ? 1 : 0);
    }
    s_input.last = p;
}

LRESULT OnScroll(UINT message, WPARAM wParam) {
    const int32_t code = LOWORD(wParam);
    bool textBack = false;
    if (code == SB_ENDSCROLL) {
        textBack = g_frame.scrollBarInUse && g_settings.hasFont && Opt_IsInfoTextShown();
        ClearScrollBarInUse();
    } else if (!g_frame.scrollBarInUse) {
        g_frame.scrollBarInUse = 1;
        Cursor_SetShowReason(kShowReasonScrollBar, 1);
    }
    if (Scroll_OnMessage(&g_viewRecord.scroll, message, code) || textBack) View_RedrawNow(0);
    return 0;
}

LRESULT OnLeftDown(HWND window, WPARAM keys, LPARAM point, bool fromDoubleClick) {
    const int mode = LeftDragMode();
    if ((keys & MK_CONTROL) || (mode == 3 && (keys & (kAnyButton & ~WPARAM(MK_LBUTTON))) == 0)) {
        // The frame is moved by the system, as by its caption.
        POINT p{short(LOWORD(point)), short(HIWORD(point))};
        ClientToScreen(window, &p);
        HWND frame = GetAncestor(window, GA_ROOT);
        PostMessage(frame, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
        return 0;
    }
    (void)fromDoubleClick;
    if (mode != -1) Cursor_SetShowReason(kShowReasonButton, 1);
    s_input.pressedHere = 1;
    if (Busy()) return 0;
    if (mode == 0) {
        if (g_viewHooks.dragBegin != nullptr && g_viewHooks.dragBegin(window, 0, keys, point)) {
            View_RedrawNow(0);
            if (Selecting() && g_viewHooks.pointerStatus != nullptr) g_viewHooks.pointerStatus();
        }
        if (Selecting() && !AutoScrollTimer().set) Timer_Set(kAutoScrollMs, &AutoScrollTimer(), window, kTimerAutoScroll);
    } else if ((mode == 1 || mode == 2) && g_viewHooks.dragBegin != nullptr) {
        g_viewHooks.dragBegin(window, mode, keys, point);
    }
    return 0;
}

LRESULT OnLeftUp(HWND window, WPARAM keys, LPARAM point) {
    const int mode = LeftDragMode();
    if ((keys & kAnyButton) == 0) Cursor_ClearShowReasons();
    if (mode != -1) Cursor_SetShowReason(kShowReasonButton, 0);
    if (Busy()) {
        s_input.pressedHere = 0;
        return 0;
    }
    if (mode >= 0 && mode <= 2 && g_viewHooks.dragEnd != nullptr && g_viewHooks.dragEnd(window, mode, keys, point) &&
        mode == 0)
        View_RedrawNow(0);
    if (s_input.pressedHere) {
        s_input.pressedHere = 0;
        // In selection mode a plain click belongs to the selection; only a
        // combination with other buttons runs a command.
        if (!(Selecting() && mode == 0 && (keys & kAnyButton) == 0)) SendCommand(window, ClickCommand(0, 0, keys));
    }
    return 0;
}

LRESULT OnLeftDoubleClick(HWND window, WPARAM keys, LPARAM point) {
    s_input.pressedHere = 0;
    const bool plainInSelection = Selecting() && LeftDragMode() == 0 && (keys & (kAnyButton & ~WPARAM(MK_LBUTTON))) == 0;
    const UINT command = plainInSelection ? 0 : ClickCommand(0, 1, keys);
    if (command != 0) {
        SendCommand(window, command);
        return 0;
    }
    return OnLeftDown(window, keys, point, true);
}

int ButtonIndex(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: return 1;
        case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: return 2;
        default: break;
    }
    const WORD x = HIWORD(wParam);
    return x == XBUTTON1 ? 3 : x == XBUTTON2 ? 4 : -1;
}

LRESULT OnOtherButton(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int button = ButtonIndex(message, wParam);
    if (button < 0) return DefWindowProc(window, message, wParam, lParam);
    const bool release = message == WM_RBUTTONUP || message == WM_MBUTTONUP || message == WM_XBUTTONUP;
    if (release && (LOWORD(wParam) & kAnyButton) == 0) Cursor_ClearShowReasons();
    if (g_viewHooks.mouseButton != nullptr) g_viewHooks.mouseButton(window, message, button, LOWORD(wParam), lParam);
    return button >= 3 ? TRUE : 0;
}

LRESULT OnDestroy(HWND window, WPARAM wParam, LPARAM lParam) {
    Timer_Kill(&AutoScrollTimer());
    // Put the class cursor back where the cursor is, so it updates at once.
    SetClassLongPtr(window, GCLP_HCURSOR, LONG_PTR(LoadCursor(nullptr, IDC_ARROW)));
    POINT p;
    if (GetCursorPos(&p)) SetCursorPos(p.x, p.y);
    if (g_viewHooks.dragReset != nullptr) g_viewHooks.dragReset();
    s_input = ViewInput{};
    if (g_viewRecord.window == window) {
        ViewPaint_Detach();
        Wnd_ResetRecord(&g_viewRecord);
        g_process.viewWindow = nullptr;
    }
    return DefWindowProc(window, WM_DESTROY, wParam, lParam);
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

int View_AttachState() {
    if (g_viewRecord.window == nullptr) return 0;
    if (g_viewRecord.scroll.window == nullptr && !Scroll_Attach(&g_viewRecord.scroll, g_viewRecord.window)) return 0;
    g_optEffects.imageCenter = [](int on) {
        g_viewPaint.centre = on ? 1 : 0;
        if (g_viewRecord.window != nullptr) InvalidateRect(g_viewRecord.window, nullptr, TRUE);
    };
    return ViewPaint_Attach(&g_viewRecord);
}

void View_FillBackground(HWND view) {
    if (view == nullptr) return;
    HDC dc = GetDC(view);
    if (dc == nullptr) return;
    FillClient(view, dc);
    ReleaseDC(view, dc);
}

void View_RedrawNow(int fullErase) {
    HWND view = g_viewRecord.window;
    if (view == nullptr) return;
    HDC dc = GetDC(view);
    if (dc == nullptr) return;
    ViewPaint_Draw(dc, 0, fullErase, nullptr);
    if (g_viewHooks.drawSelection != nullptr) g_viewHooks.drawSelection(dc);
    ReleaseDC(view, dc);
}

int View_LockLayout() {
    if (g_viewPaint.layoutLock < kMaxLayoutLock) ++g_viewPaint.layoutLock;
    return 1;
}

int View_UnlockLayout() {
    if (g_viewPaint.layoutLock <= 0) return 0;
    return --g_viewPaint.layoutLock == 0 ? 1 : 0;
}

void View_OnKillFocus(HWND view) {
    Timer_Kill(&AutoScrollTimer());
    // The drag module knows whether a left-button drag is in progress.
    if (g_viewHooks.dragEndAll != nullptr && g_viewHooks.dragEndAll(view)) {
        View_RedrawNow(0);
        if (Selecting() && g_viewHooks.pointerStatus != nullptr) g_viewHooks.pointerStatus();
    }
    if (g_viewHooks.stopBarsAutoShow != nullptr) g_viewHooks.stopBarsAutoShow();
    Cursor_ForceVisible(1);
}

LRESULT View_OnAnimationTick(HWND view) {
    (void)view;
    if ((g_imgData.state & kImgAnimation) == 0 || !g_imgData.anim.valid || !g_imgData.anim.playing) return 0;
    const bool held = DlgGuard_OpenName() != nullptr || Busy() ||
                      (g_viewHooks.slideShowPaused != nullptr && g_viewHooks.slideShowPaused());
    if (held) {
        if (g_viewHooks.animationMarkDue != nullptr) g_viewHooks.animationMarkDue();
        return 0;
    }
    if (g_viewHooks.animationDue != nullptr && g_viewHooks.animationDue() && g_viewHooks.animationStep != nullptr &&
        g_viewHooks.animationStep())
        View_RedrawNow(0);
    return 0;
}

LRESULT CALLBACK View_WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY: return OnDestroy(window, wParam, lParam);
        case WM_SIZE:
            if (g_viewPaint.layoutLock <= 0) ImgData_UpdateScroll();
            return 0;
        case WM_CREATE: return 0;
        case WM_SETFOCUS:
            if (reinterpret_cast<HWND>(wParam) != GetParent(window)) Cursor_ForceVisible(0);
            return 0;
        case WM_KILLFOCUS:
            if (reinterpret_cast<HWND>(wParam) != GetParent(window)) View_OnKillFocus(window);
            return 0;
        case WM_ERASEBKGND:
            return 0;  // left to WM_PAINT, which then knows to paint all of the background
        case WM_PAINT: return OnPaint(window);
        case WM_MOUSEACTIVATE: return OnMouseActivate(window, wParam, lParam);
        case WM_NCMOUSEMOVE:
            if (!AnyButtonDown()) ClearScrollBarInUse();
            NoteMove(false);
            Cursor_SetShowReason(kShowReasonMove, 1);
            return DefWindowProc(window, message, wParam, lParam);
        case WM_NCXBUTTONDOWN:
        case WM_NCXBUTTONUP:
        case WM_NCXBUTTONDBLCLK:
            if (HIWORD(wParam) == XBUTTON1 || HIWORD(wParam) == XBUTTON2) return TRUE;
            return DefWindowProc(window, message, wParam, lParam);
        case WM_TIMER:
            if (wParam != kTimerAutoScroll) return DefWindowProc(window, message, wParam, lParam);
            if (!Busy() && g_viewHooks.autoScrollTick != nullptr) g_viewHooks.autoScrollTick(window);
            return 0;
        case WM_HSCROLL:
        case WM_VSCROLL: return OnScroll(message, wParam);
        case WM_MOUSEMOVE:
            if ((wParam & kAnyButton) == 0) ClearScrollBarInUse();
            Cursor_SetShowReason(kShowReasonMove, 0);
            NoteMove(true);
            if (g_viewHooks.mouseMove != nullptr) g_viewHooks.mouseMove(window, wParam, lParam);
            return DefWindowProc(window, message, wParam, lParam);
        case WM_LBUTTONDOWN: return OnLeftDown(window, wParam, lParam, false);
        case WM_LBUTTONUP: return OnLeftUp(window, wParam, lParam);
        case WM_LBUTTONDBLCLK: return OnLeftDoubleClick(window, wParam, lParam);
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_MBUTTONDBLCLK:
        case WM_XBUTTONDOWN:
        case WM_XBUTTONUP:
        case WM_XBUTTONDBLCLK: return OnOtherButton(window, message, wParam, lParam);
        case kMsgAnimationTick: return View_OnAnimationTick(window);
        default: return DefWindowProc(window, message, wParam, lParam);
    }
}
