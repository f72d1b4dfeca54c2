// The frame's window procedure: each message that does more than one thing
// has its On... function here.
#include "image/qv_ImgData.h"
#include "image/qv_Open.h"
#include "image/qv_View.h"
#include "image/qv_WndFit.h"
#include "other/qv_Bars.h"
#include "other/qv_BarsEdge.h"
#include "other/qv_Cfg.h"
#include "other/qv_Dlg.h"
#include "other/qv_Frame.h"
#include "other/qv_FrameRules.h"
#include "other/qv_FullScreen.h"
#include "other/qv_Globals.h"
#include "other/qv_Help.h"
#include "other/qv_IniAndEnd.h"
#include "other/qv_Instance.h"
#include "other/qv_MenuProc.h"
#include "other/qv_MenuState.h"
#include "other/qv_Mouse.h"
#include "other/qv_Settings.h"
#include "other/qv_StatusBar.h"
#include "other/qv_SysFacts.h"
#include "other/qv_Toolbar.h"
#include "other/qv_WndUtil.h"

namespace {

constexpr int kOptFSTaskBar = 20;
constexpr int kOptDropActivates = 16;
constexpr int kOptDisableIme = 110;
constexpr int kDeferTrips = 4;  // a deferred message runs after five trips through the queue
constexpr int kOptToolbarCentre = 13;   // TlbCnt
constexpr UINT kPasteCommand = 40026;
constexpr UINT kPopupMenuCommand = 45001;

bool FullScreen() { return g_settings.option[kOptFullScreen] != 0; }

LRESULT OnDestroy(HWND window) {
    KillTimer(window, kTimerSlideShow);
    KillTimer(window, kTimerBarCheck);
    if (g_frame.inClipboardChain) {
        ChangeClipboardChain(window, g_frame.nextClipboardViewer);
        g_frame.inClipboardChain = 0;
        g_frame.nextClipboardViewer = nullptr;
    }
    Help_CloseAll();
    Frame_Shutdown();
    PostQuitMessage(0);
    if (g_frameRecord.window == window) Wnd_ResetRecord(&g_frameRecord);
    if (g_process.frameWindow == window) g_process.frameWindow = nullptr;
    return 0;
}

LRESULT OnSize(HWND window, WPARAM wParam, LPARAM lParam) {
    if (g_settings.option[kOptToolbarCentre]) Toolbar_Relayout();
    // The bars place themselves along their edge.
    if (g_toolbar.window != nullptr) SendMessage(g_toolbar.window, WM_SIZE, wParam, lParam);
    if (g_statusBar.window != nullptr) SendMessage(g_statusBar.window, WM_SIZE, wParam, lParam);
    if (wParam == SIZE_MINIMIZED || g_process.viewWindow == nullptr) return 0;
    RECT client{};
    Bars_ViewArea(window, &client);
    const int width = client.right - client.left > 0 ? client.right - client.left : 0;
    const int height = client.bottom - client.top > 0 ? client.bottom - client.top : 0;
    SetWindowPos(g_process.viewWindow, nullptr, client.left, client.top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_FRAMECHANGED);
    return 0;
}

LRESULT OnNotify(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto *header = reinterpret_cast<NMHDR *>(lParam);
    if (header == nullptr) return DefWindowProc(window, message, wParam, lParam);
    if (header->code == TTN_GETDISPINFOW || header->code == TTN_GETDISPINFOA) {
        // The tool bar's tool tips name their tool by command id.
        Frame_OnToolTip(header);
        return 0;
    }
    if (g_toolbar.window == nullptr || header->hwndFrom != g_toolbar.window)
        return DefWindowProc(window, message, wParam, lParam);
    if (header->code == TBN_HOTITEMCHANGE) {
        // Entering the bar, or moving onto paste: the clipboard may have
        // changed since the states were last set.
        const auto *hot = reinterpret_cast<NMTBHOTITEM *>(lParam);
        if ((hot->dwFlags & HICF_ENTERING) || (!(hot->dwFlags & HICF_LEAVING) && hot->idNew == kPasteCommand))
            Menu_UpdateToolbar();
        return 0;
    }
    if (header->code == NM_RCLICK) {
        PostMessage(window, WM_COMMAND, MAKEWPARAM(kPopupMenuCommand, 1), 0);
        return 1;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

void ReadScreenFactsAgain(bool displayChange) {
    Sys_ReadDpi();
    Sys_ReadDefaultSize();
    if (displayChange)
        Sys_ReadScreenSize();
    else
        Sys_ReadMetrics();
    // The view's new layout and the information text follow with the view.
    if (g_process.viewWindow != nullptr && Opt_IsInfoTextShown()) InvalidateRect(g_process.viewWindow, nullptr, FALSE);
}

LRESULT OnActivateApp(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!g_settings.option[kOptCaption]) DrawMenuBar(window);
    Menu_UpdatePasteState(1);
    Menu_UpdateToolbar();
    if (wParam) {
        g_frame.redrawAfterActivation = 0;
        if (Frame_CanRefresh()) {
            if (IsIconic(window))
                g_frame.redrawAfterActivation = 1;
            else
                PostMessage(window, kMsgRedrawAfterActivation, 0, 0);
        }
    } else {
        Bars_StopAutoShow();  // a bar shown at the edge goes with the activation
    }
    return DefWindowProc(window, message, wParam, lParam);
}

LRESULT OnWindowPosChanging(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto *pos = reinterpret_cast<WINDOWPOS *>(lParam);
    const bool applies = FullScreen() ? g_settings.option[kOptFSTaskBar] != 0 : g_settings.option[kOptCaption] == 0;
    if (applies && pos != nullptr && !(pos->flags & (SWP_NOMOVE | SWP_NOSIZE))) {
        RECT r{pos->x, pos->y, pos->x + pos->cx, pos->y + pos->cy};
        RECT work;
        if (Sys_MonitorOfRect(&r, true, &work, nullptr)) {
            Rect snapped{r.left, r.top, r.right, r.bottom};
            if (Frame_SnapToWorkArea(&snapped, Rect{work.left, work.top, work.right, work.bottom})) {
                pos->x = snapped.left;
                pos->y = snapped.top;
                pos->cx = snapped.right - snapped.left;
                pos->cy = snapped.bottom - snapped.top;
            }
        }
    }
    return DefWindowProc(window, message, wParam, lParam);
}

LRESULT OnWindowPosChanged(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int minimised = IsIconic(window) ? 1 : 0;
    if (minimised != g_frame.wasMinimised) {
        g_frame.wasMinimised = minimised;
        // The slide show pauses while minimised once it is part of the program.
    }
    RECT r;
    if (!FullScreen() && !minimised && !IsZoomed(window) && GetWindowRect(window, &r) && r.right > r.left &&
        r.bottom > r.top)
        Opt_SetAltRect(r.left, r.top, r.right, r.bottom);
    return DefWindowProc(window, message, wParam, lParam);
}

LRESULT OnSysCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (wParam == 45001) {
        PostMessage(window, WM_COMMAND, 45001, 0);
        return 0;
    }
    switch (wParam & 0xFFF0) {
        case SC_MOVE:
            if (FullScreen()) return 0;
            break;
        case SC_MAXIMIZE:
            PostMessage(window, kMsgFitToImage, 0, 0);
            break;
        case SC_RESTORE:
            if (FullScreen() && !IsIconic(window)) return 0;
            PostMessage(window, kMsgFitToImage, 0, 0);
            break;
        default:
            break;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

LRESULT OnDropFiles(HWND window, HDROP drop) {
    if (DlgGuard_OpenName() != nullptr || Frame_IsBusy()) {
        // Refused, but the drop's memory is still ours to free.
        DragFinish(drop);
        return 0;
    }
    Instance_BringForward(window, g_settings.option[kOptDropActivates]);
    const int files = g_frameHooks.fillDropList != nullptr ? g_frameHooks.fillDropList(drop) : 0;
    DragFinish(drop);
    if (files > 0 && PostMessage(window, kMsgOpenPendingFiles, 0, 0)) ++g_frame.pendingOpenings;
    return 0;
}

LRESULT OnChangeCbChain(HWND removed, HWND next) {
    if (g_frame.inClipboardChain) {
        if (removed == g_frame.nextClipboardViewer)
            g_frame.nextClipboardViewer = next;
        else if (g_frame.nextClipboardViewer != nullptr)
            SendMessage(g_frame.nextClipboardViewer, WM_CHANGECBCHAIN, WPARAM(removed), LPARAM(next));
    }
    return 0;
}

LRESULT OnAppCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const uint16_t id = Frame_AppCommandToId(uint32_t(HIWORD(lParam)) & 0xFFFu);
    if (id == 0) return DefWindowProc(window, message, wParam, lParam);
    PostMessage(window, WM_COMMAND, id, 0);
    return 1;
}

// Posts a deferred message again with its trip count, or tells the caller
// that its trips are done. A negative count restarts at 1.
bool DeferAgain(HWND window, UINT message, WPARAM trips) {
    const intptr_t n = intptr_t(trips);
    if (n > kDeferTrips) return false;
    return PostMessage(window, message, WPARAM(n < 0 ? 1 : n + 1), 0) != 0;
}

void OnFirstStart(HWND window) {
    if (!g_process.firstStartPending) return;
    g_process.firstStartPending = 0;
    if (!g_frame.inClipboardChain) {
        g_frame.nextClipboardViewer = SetClipboardViewer(window);
        g_frame.inClipboardChain = 1;
    }
    if (Cfg_LoadShowMode() && !FullScreen()) Wnd_ToggleFullScreen();
    Open_CommandLineAtStart();
    Opt_SetLastOpened(nullptr, nullptr);
    if (g_settings.option[kOptDisableIme] && !PostMessage(window, kMsgApplyIme, 0, 0))
        Ime_ApplyOption(window, 1);
}

void OnOpenPendingFiles() {
    if (--g_frame.pendingOpenings > 0) return;
    g_frame.pendingOpenings = 0;
    Frame_OpenPending();
    // The dropped-file list is cleared by its own module after the opening.
}

void OnRedrawAfterActivation(HWND window, WPARAM trips) {
    g_frame.redrawAfterActivation = 0;
    if (!Frame_CanRefresh()) return;
    if (DeferAgain(window, kMsgRedrawAfterActivation, trips)) return;
    if (IsIconic(window)) {
        g_frame.redrawAfterActivation = 1;
        return;
    }
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (g_frameHooks.refreshList != nullptr) g_frameHooks.refreshList();
}

LRESULT OnPrivate(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kMsgFirstStart: OnFirstStart(window); return 0;
        case kMsgFitToImage:
            if (g_imgData.zoomMode & kZoomFit) WndFit_FitToImage(0, 0);
            return 0;
        case kMsgOpenPendingFiles: OnOpenPendingFiles(); return 0;
        case kMsgHandOverArrived: return Frame_OnHandOver(window);
        case kMsgReevaluateRole: Instance_Reevaluate(window, g_settings.option[kOptMulti]); return 0;
        case kMsgRedrawAfterActivation: OnRedrawAfterActivation(window, wParam); return 0;
        case kMsgApplyIme:
            if (!DeferAgain(window, kMsgApplyIme, wParam)) Ime_ApplyOption(window, g_settings.option[kOptDisableIme]);
            return 0;
        default: return DefWindowProc(window, message, wParam, lParam);  // WM_USER+5 is the view's
    }
}

}  // namespace

LRESULT CALLBACK Frame_WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return 0;
        case WM_DESTROY: return OnDestroy(window);
        case WM_SIZE: return OnSize(window, wParam, lParam);
        case WM_NOTIFY: return OnNotify(window, message, wParam, lParam);
        case WM_ACTIVATE:
            if (g_frame.redrawAfterActivation && LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
                g_frame.redrawAfterActivation = 0;
                if (Frame_CanRefresh()) PostMessage(window, kMsgRedrawAfterActivation, 0, 0);
            }
            return DefWindowProc(window, message, wParam, lParam);
        case WM_SETFOCUS:
            if (reinterpret_cast<HWND>(wParam) != g_process.viewWindow) Cursor_ForceVisible(0);
            return 0;
        case WM_KILLFOCUS:
            // Leaving for another window ends the view's drags.
            if (reinterpret_cast<HWND>(wParam) != g_process.viewWindow && g_process.viewWindow != nullptr)
                View_OnKillFocus(g_process.viewWindow);
            return 0;
        case WM_CLOSE:
            if (Frame_IsBusy()) return 0;
            return DefWindowProc(window, message, wParam, lParam);
        case WM_ENDSESSION:
            // The session ends while the program runs: no WM_DESTROY follows.
            if (wParam) IniAndEnd_SaveForEndSession();
            return 0;
        case WM_WININICHANGE:
        case WM_DISPLAYCHANGE:
            ReadScreenFactsAgain(message == WM_DISPLAYCHANGE);
            return DefWindowProc(window, message, wParam, lParam);
        case WM_ACTIVATEAPP: return OnActivateApp(window, message, wParam, lParam);
        case WM_MOUSEACTIVATE:
            if (HIWORD(lParam) == WM_LBUTTONDOWN && LOWORD(lParam) == HTBOTTOMRIGHT && !g_settings.option[kOptCaption] &&
                !g_settings.option[1])
                return MA_ACTIVATEANDEAT;
            return DefWindowProc(window, message, wParam, lParam);
        case WM_GETMINMAXINFO: {
            auto *info = reinterpret_cast<MINMAXINFO *>(lParam);
            if (info != nullptr) Frame_GetMinTrackSize(&info->ptMinTrackSize);
            return 0;
        }
        case WM_WINDOWPOSCHANGING: return OnWindowPosChanging(window, message, wParam, lParam);
        case WM_WINDOWPOSCHANGED: return OnWindowPosChanged(window, message, wParam, lParam);
        case WM_COMMAND:
            if (Frame_IsBusy() || HIWORD(wParam) > 1) return 0;
            return MenuProc_OnCommand(CommandMessage{window, message, wParam, lParam});
        case WM_SYSCOMMAND: return OnSysCommand(window, message, wParam, lParam);
        case WM_TIMER:
            // 1001 (slide show) is served by its module once it is part of
            // the program; 1003 hides the bars the edge brought up.
            if (wParam == kTimerSlideShow) return 0;
            if (wParam == kTimerBarCheck) {
                Bars_OnCheckTimer(window, nullptr);
                return 0;
            }
            return DefWindowProc(window, message, wParam, lParam);
        case WM_MOUSEWHEEL:
            // While a view scroll bar is operated the wheel belongs to it.
            if (!g_frame.scrollBarInUse) Mouse_OnWheel(wParam);
            return 0;
        case WM_XBUTTONDOWN:
        case WM_XBUTTONUP:
        case WM_XBUTTONDBLCLK:
            if (HIWORD(wParam) == XBUTTON1 || HIWORD(wParam) == XBUTTON2) return 1;
            return DefWindowProc(window, message, wParam, lParam);
        case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
            return 0;
        case WM_INITMENUPOPUP:
            if (Menu_PrepareState(reinterpret_cast<HMENU>(wParam))) return 0;
            return DefWindowProc(window, message, wParam, lParam);
        case WM_ENTERMENULOOP: return 0;
        case WM_EXITMENULOOP: Cursor_ForceVisible(0); return 0;
        case WM_ENTERSIZEMOVE: {
            RECT r{};
            GetWindowRect(window, &r);
            g_frame.moveStartWidth = r.right - r.left;
            g_frame.moveStartHeight = r.bottom - r.top;
            return DefWindowProc(window, message, wParam, lParam);
        }
        case WM_EXITSIZEMOVE: {
            RECT r{};
            GetWindowRect(window, &r);
            if (r.right - r.left != g_frame.moveStartWidth || r.bottom - r.top != g_frame.moveStartHeight)
                PostMessage(window, kMsgFitToImage, 0, 0);
            return DefWindowProc(window, message, wParam, lParam);
        }
        case WM_DROPFILES: return OnDropFiles(window, reinterpret_cast<HDROP>(wParam));
        case WM_DRAWCLIPBOARD:
            Menu_UpdatePasteState(1);
            if (g_frame.nextClipboardViewer != nullptr) SendMessage(g_frame.nextClipboardViewer, message, wParam, lParam);
            return 0;
        case WM_CHANGECBCHAIN: return OnChangeCbChain(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_APPCOMMAND: return OnAppCommand(window, message, wParam, lParam);
        default:
            if (message >= WM_USER && message <= WM_USER + 7) return OnPrivate(window, message, wParam, lParam);
            return DefWindowProc(window, message, wParam, lParam);
    }
}
