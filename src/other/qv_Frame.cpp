#include "other/qv_Frame.h"

#include "../../res/resource.h"
#include "image/qv_View.h"
#include "other/qv_Cfg.h"
#include "other/qv_Dlg.h"
#include "other/qv_FrameRules.h"
#include "other/qv_Globals.h"
#include "other/qv_Instance.h"
#include "other/qv_Menu.h"
#include "other/qv_Res.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"
#include "other/qv_Toolbar.h"
#include "other/qv_WndLayout.h"
#include "other/qv_WndUtil.h"
#include "util/qv_Path.h"
#include "util/qv_Str.h"
#include "util/qv_SysVersion.h"
#include "util/qv_Text.h"

FrameState g_frame;
FrameHooks g_frameHooks;

namespace {

constexpr int kOptWndCent = 37;
constexpr int kOptFrameBorder = 1;
constexpr int kOptMenuBar = 3;
constexpr int kOptSortType = 82;
constexpr int kSortRandom = 5;

bool HandOverBusy() { return DlgGuard_OpenName() != nullptr || Frame_IsBusy(); }
void CountPendingOpening() { ++g_frame.pendingOpenings; }

int RegisterFrameClass(HINSTANCE instance) {
    WNDCLASS wc{};
    if (GetClassInfo(instance, kFrameClassName, &wc)) return 1;
    wc = WNDCLASS{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = Frame_WndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(IDI_APP));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kFrameClassName;
    return RegisterClass(&wc) != 0 ? 1 : 0;
}

struct MonitorList {
    Rect rects[16];
    size_t count = 0;
};

BOOL CALLBACK CollectMonitor(HMONITOR, HDC, LPRECT r, LPARAM data) {
    auto *list = reinterpret_cast<MonitorList *>(data);
    if (list->count < sizeof list->rects / sizeof list->rects[0])
        list->rects[list->count++] = Rect{r->left, r->top, r->right, r->bottom};
    return TRUE;
}

}  // namespace

bool Frame_IsBusy() { return g_frameHooks.busy != nullptr && g_frameHooks.busy(); }

void Frame_FitRectToScreen(RECT *rect, DWORD exStyle) {
    if (rect == nullptr) return;
    const bool topmost = (exStyle & WS_EX_TOPMOST) != 0;
    RECT work{}, whole{};
    bool haveMonitor = false;
    if (g_settings.option[kOptWndCent]) {
        haveMonitor = Sys_MonitorOfRect(rect, true, &work, &whole) != 0;
    } else {
        MonitorList monitors;
        EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
        const Rect r{rect->left, rect->top, rect->right, rect->bottom};
        const size_t touched = UiMath_CountTouched(r, monitors.rects, monitors.count);
        if (touched >= 2) return;  // a window spanning monitors stays where the user put it
        if (touched == 1) haveMonitor = Sys_MonitorOfRect(rect, false, &work, &whole) != 0;
    }
    RECT area;
    if (haveMonitor) {
        area = topmost ? whole : work;
    } else if (topmost) {
        area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    } else if (!SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0)) {
        return;
    }
    Rect r{rect->left, rect->top, rect->right, rect->bottom};
    UiMath_PlaceInWorkArea(&r, Rect{area.left, area.top, area.right, area.bottom}, nullptr);
    *rect = RECT{r.left, r.top, r.right, r.bottom};
}

int Frame_GetMinTrackSize(POINT *out) {
    if (out == nullptr) return 0;
    const MinTrackSize s = Frame_MinTrackSizeFor(g_settings.option[kOptCaption] != 0,
                                                 g_settings.option[kOptFrameBorder] != 0,
                                                 GetSystemMetrics(SM_CXMIN), GetSystemMetrics(SM_CYMIN));
    out->x = s.width;
    out->y = s.height;
    return 1;
}

int Frame_Create(HINSTANCE instance, int showCommand) {
    if (!RegisterFrameClass(instance)) return 1;
    RECT rect{};
    int show = showCommand;
    DWORD exStyle = 0;
    Cfg_LoadWnd(&rect, &show, &exStyle);
    const DWORD style = Opt_WindowStyle(WS_CLIPCHILDREN);
    Frame_FitRectToScreen(&rect, exStyle);
    if (g_settings.option[kOptWndCent]) {
        POINT minimum;
        Frame_GetMinTrackSize(&minimum);
        if (rect.right - rect.left < minimum.x) rect.right = rect.left + minimum.x;
        if (rect.bottom - rect.top < minimum.y) rect.bottom = rect.top + minimum.y;
        Wnd_PlaceInWorkArea(&rect, nullptr, nullptr, 1);
    }
    Opt_SetAltRect(rect.left, rect.top, rect.right, rect.bottom);

    TCHAR title[64];
    if (Res_LoadText(title, IDS_APP_TITLE, 64) <= 0) title[0] = 0;
    if (!Wnd_Create(&g_frameRecord, kFrameClassName, title, style, exStyle, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, instance))
        return 3;
    HWND frame = g_frameRecord.window;
    g_process.frameWindow = frame;

    if (!View_RegisterClass(instance)) return 5;
    if (!View_Create(frame, instance, Opt_WindowExStyle(0))) return 6;
    // The view painting is the view's own; the picture drawing joins it later.

    g_handOverHooks.busy = HandOverBusy;
    g_handOverHooks.pendingOpening = CountPendingOpening;
    DragAcceptFiles(frame, TRUE);
    ShowWindow(frame, show);
    if (Sys_GetOsVersionCode() >= 60) View_FillBackground(g_process.viewWindow);
    // The mouse table takes the frame as target and the view as its window
    // once the mouse mapping is part of the program.
    return 0;
}

void Frame_ApplyMenuBar(int on) {
    if (g_frameRecord.window == nullptr || g_settings.option[kOptFullScreen]) return;
    HMENU wanted = on ? Menu_GetMain() : nullptr;
    if (GetMenu(g_frameRecord.window) == wanted) return;
    Wnd_SetMenu(&g_frameRecord, wanted);
}

int Frame_CreateMenus() {
    if (!Menu_Create(g_process.frameWindow)) return 0;
    // The configuration is read later in start-up; its Menub then reaches
    // the frame through the option's effect.
    g_optEffects.menuBar = Frame_ApplyMenuBar;
    if (g_settings.option[kOptMenuBar]) Frame_ApplyMenuBar(1);
    return 1;
}

void Frame_Shutdown() {
    HWND frame = g_process.frameWindow;
    Instance_GiveUpRole(frame);
    if (!g_process.noSave && frame != nullptr && IsWindow(frame))
        Cfg_RememberWindowState(IsZoomed(frame) ? 1 : 0, IsIconic(frame) ? 1 : 0, 0);
    g_optEffects.menuBar = nullptr;
    Menu_DestroyAll(frame);
    Toolbar_Destroy();
}

void Frame_OpenPending() {
    if (DlgGuard_OpenName() != nullptr || Frame_IsBusy()) return;
    // The slide show pauses around the opening once it is part of the program.
    if (g_frameHooks.openPending != nullptr) g_frameHooks.openPending();
}

int Frame_OpenLast(const TCHAR *path, const TCHAR *member) {
    if (path == nullptr || path[0] == 0) return 0;
    TCHAR copy[MAX_PATH];
    if (qvtext::Length(path) >= MAX_PATH) return 0;
    qvtext::CopyInto(copy, MAX_PATH, path);
    Path_RemoveTrailingSep(copy);
    const TCHAR *openMember = member;
    while (!Path_Exists(copy)) {
        // Cut the last component; what remains no longer has the member.
        TCHAR *cut = nullptr;
        for (TCHAR *p = copy; *p != 0; p = const_cast<TCHAR *>(Str_NextChar(p)))
            if (Path_IsSeparator(*p)) cut = p;
        if (cut == nullptr) return 0;
        *cut = 0;
        openMember = nullptr;
        if (copy[0] == 0) return 0;
    }
    return g_frameHooks.openPath != nullptr ? g_frameHooks.openPath(copy, openMember) : 0;
}

int Frame_CanRefresh() {
    if (g_frameHooks.haveFileList == nullptr || !g_frameHooks.haveFileList()) return 0;
    if (DlgGuard_OpenName() != nullptr || Frame_IsBusy()) return 0;
    return g_settings.option[kOptSortType] != kSortRandom ? 1 : 0;
}
