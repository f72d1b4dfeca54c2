// The frame's two layouts on the real frame under Wine: full screen entered
// from a normal and from a maximised frame and left again, the shape options
// applied at once (and held back in full screen), the Window-menu commands,
// and the tool bar shown at the edge and hidden one check-timer tick after
// the cursor left (the timer handler is called with a given point).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "image/qv_View.h"
#include "other/qv_Bars.h"
#include "other/qv_BarsEdge.h"
#include "other/qv_Cfg.h"
#include "other/qv_CmdLine.h"
#include "other/qv_Frame.h"
#include "other/qv_FullScreen.h"
#include "other/qv_Globals.h"
#include "other/qv_Instance.h"
#include "other/qv_LayoutCore.h"
#include "other/qv_LayoutOptions.h"
#include "other/qv_Menu.h"
#include "other/qv_Mouse.h"
#include "other/qv_Msg.h"
#include "other/qv_Settings.h"
#include "other/qv_StatusBar.h"
#include "other/qv_Toolbar.h"
#include "other/qv_WndUtil.h"
#include "support/real_frame.h"
#include "support/user_folder.h"

namespace {

constexpr UINT kCmdFullScreen = 40081;

HWND s_frame = nullptr;
POINT s_cursor{};

// Wine without a window manager hands the maximised state of a captioned
// window to that manager and takes it back at the next configure event, so
// a maximised frame would fall back to normal whenever another test moves a
// window. Unmanaged windows are maximised by Wine itself, as by Windows.
// Set for this test program alone, before its first window exists.
const bool s_unmanaged = [] {
    TCHAR path[MAX_PATH];
    const DWORD n = GetModuleFileName(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    const TCHAR *name = path;
    for (const TCHAR *p = path; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    std::basic_string<TCHAR> key = TEXT("Software\\Wine\\AppDefaults\\");
    key += name;
    key += TEXT("\\X11 Driver");
    HKEY k = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != 0)
        return false;
    const TCHAR no[] = TEXT("N");
    RegSetValueEx(k, TEXT("Managed"), 0, REG_SZ, reinterpret_cast<const BYTE *>(no), sizeof no);
    RegCloseKey(k);
    return true;
}();

bool SameRect(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

::testing::AssertionResult RectIs(const RECT &actual, const RECT &expected) {
    if (SameRect(actual, expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.left << "," << actual.top << ")-(" << actual.right << ","
                                         << actual.bottom << ") instead of (" << expected.left << "," << expected.top
                                         << ")-(" << expected.right << "," << expected.bottom << ")";
}

class Layout : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Open());
        RealFrame_Reset();
        g_settings.option[kOptToolbar] = 1;
        g_settings.option[kOptStatus] = 1;
        ASSERT_EQ(Frame_Create(g_process.instance, SW_SHOWNORMAL), 0);
        ASSERT_EQ(Frame_CreateMenus(), 1);
        ASSERT_EQ(View_AttachState(), 1);
        ASSERT_EQ(Toolbar_Setup(g_process.instance), 1);
        ASSERT_EQ(StatusBar_Create(g_process.instance), 1);
        Layout_InstallHooks();
        frame_ = g_process.frameWindow;
        // Other tests share the display: the bars ask a cursor and an active
        // window of the test's own instead of the shared ones.
        s_frame = frame_;
        s_cursor = POINT{-1000, -1000};
        g_barsSeams.cursorPos = [](POINT *out) -> BOOL {
            *out = s_cursor;
            return TRUE;
        };
        g_barsSeams.activeWindow = []() -> HWND { return s_frame; };
        view_ = g_process.viewWindow;
        SetWindowPos(frame_, nullptr, 120, 90, 520, 400, SWP_NOZORDER);
        Bars_ApplyStartLayout();
        SetForegroundWindow(frame_);
        SetActiveWindow(frame_);
        Drain();
    }
    void TearDown() override {
        RealFrame_Destroy(frame_);
        Toolbar_Destroy();
        g_toolbar = ToolbarRecord{};
        g_statusBar = StatusBarRecord{};
        g_timers[2] = TimerRecord{};
        g_barsSeams = BarsSeams{};
        for (uint32_t bit = 0; bit < 32; ++bit) {
            Cursor_SetShowReason(bit, 0);
            Cursor_SetHideReason(bit, 0);
        }
    }
    static void Drain() {
        // Asking the cursor position makes a round trip to the display, so
        // its answers to earlier moves and sizes are handled here, before a
        // test looks at the window, not in the middle of its next step.
        POINT cursor;
        GetCursorPos(&cursor);
        RealFrame_Drain();
    }
    LRESULT Command(UINT id) {
        const LRESULT r = SendMessage(frame_, WM_COMMAND, MAKEWPARAM(id, 1), 0);
        Drain();
        return r;
    }
    RECT WindowRect() const {
        RECT r{};
        GetWindowRect(frame_, &r);
        return r;
    }
    RECT NormalRect() const {
        WINDOWPLACEMENT p{};
        p.length = sizeof p;
        GetWindowPlacement(frame_, &p);
        return p.rcNormalPosition;
    }
    RECT MonitorRect() const {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        GetMonitorInfo(MonitorFromWindow(frame_, MONITOR_DEFAULTTONEAREST), &info);
        return info.rcMonitor;
    }
    LONG Style() const { return GetWindowLong(frame_, GWL_STYLE); }
    static bool Visible(HWND bar) { return bar != nullptr && (GetWindowLong(bar, GWL_STYLE) & WS_VISIBLE) != 0; }
    RECT ViewRectInFrame() const {
        RECT r{};
        GetWindowRect(view_, &r);
        MapWindowPoints(nullptr, frame_, reinterpret_cast<POINT *>(&r), 2);
        return r;
    }

    TestUserFolder folder_{TEXT("layout"), TEXT("layout")};
    HWND frame_ = nullptr;
    HWND view_ = nullptr;
};

TEST_F(Layout, FullScreenAndBackFromNormalAndFromMaximised) {
    for (bool maximised : {false, true}) {
        SCOPED_TRACE(maximised ? "maximised" : "normal");
        ShowWindow(frame_, SW_RESTORE);
        SetWindowPos(frame_, nullptr, 130, 95, 510, 390, SWP_NOZORDER);
        if (maximised) ShowWindow(frame_, SW_MAXIMIZE);
        Drain();
        ASSERT_EQ(IsZoomed(frame_) != 0, maximised);
        const RECT before = WindowRect();
        const RECT normalBefore = NormalRect();
        ASSERT_TRUE(Visible(g_toolbar.window));
        ASSERT_TRUE(Visible(g_statusBar.window));

        EXPECT_EQ(Command(kCmdFullScreen), 0);
        ASSERT_EQ(g_settings.option[kOptFullScreen], 1);
        EXPECT_EQ(g_settings.option[kOptMaxBeforeFull], maximised ? 1 : 0);
        EXPECT_TRUE(Style() & WS_POPUP);
        EXPECT_FALSE(Style() & (WS_CAPTION | WS_THICKFRAME));
        EXPECT_TRUE(RectIs(WindowRect(), MonitorRect()));
        EXPECT_FALSE(Visible(g_toolbar.window));
        EXPECT_FALSE(Visible(g_statusBar.window));
        // The view takes the whole screen: the bars only come at the edge.
        RECT client{};
        GetClientRect(frame_, &client);
        EXPECT_TRUE(RectIs(ViewRectInFrame(), client));

        EXPECT_EQ(Command(kCmdFullScreen), 0);
        ASSERT_EQ(g_settings.option[kOptFullScreen], 0);
        EXPECT_EQ(IsZoomed(frame_) != 0, maximised);
        EXPECT_TRUE(RectIs(WindowRect(), before));
        EXPECT_TRUE(RectIs(NormalRect(), normalBefore));
        EXPECT_TRUE((Style() & WS_CAPTION) == WS_CAPTION);
        EXPECT_TRUE(Visible(g_toolbar.window));
        EXPECT_TRUE(Visible(g_statusBar.window));
        // The view lies between the bars again.
        RECT bar{};
        GetWindowRect(g_toolbar.window, &bar);
        EXPECT_EQ(ViewRectInFrame().top, bar.bottom - bar.top);
    }
    // Restoring the frame that came back maximised gives the old rectangle.
    ShowWindow(frame_, SW_RESTORE);
    Drain();
    EXPECT_TRUE(RectIs(WindowRect(), RECT{130, 95, 640, 485}));
}

TEST_F(Layout, MenuBarScrollBarsAndTopMostFollowTheLayout) {
    Opt_SetMenuBar(1);
    Opt_SetTopMost(1, 1, 1);  // on top in full screen only
    ASSERT_EQ(GetMenu(frame_), Menu_GetMain());
    ASSERT_TRUE(g_viewRecord.scroll.enabled);
    EXPECT_FALSE(GetWindowLong(frame_, GWL_EXSTYLE) & WS_EX_TOPMOST);

    Command(kCmdFullScreen);
    EXPECT_EQ(GetMenu(frame_), nullptr);
    EXPECT_FALSE(g_viewRecord.scroll.enabled);  // no scroll bars in full screen by default
    EXPECT_TRUE(GetWindowLong(frame_, GWL_EXSTYLE) & WS_EX_TOPMOST);

    Command(kCmdFullScreen);
    EXPECT_EQ(GetMenu(frame_), Menu_GetMain());
    EXPECT_TRUE(g_viewRecord.scroll.enabled);
    EXPECT_FALSE(GetWindowLong(frame_, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(Layout, EveryWindowOptionAppliesAtOnce) {
    struct Case {
        const char *name;
        UINT command;
        std::function<bool()> applied;
    };
    HWND frame = frame_, view = view_;
    const Case cases[] = {
        {"caption bar off", 41005, [=] { return (GetWindowLong(frame, GWL_STYLE) & (WS_CAPTION | WS_POPUP)) == WS_POPUP; }},
        {"sizing border off", 41006, [=] { return !(GetWindowLong(frame, GWL_STYLE) & WS_THICKFRAME); }},
        {"view edge off", 41007, [=] { return !(GetWindowLong(view, GWL_EXSTYLE) & WS_EX_CLIENTEDGE); }},
        {"menu bar on", 41008, [=] { return GetMenu(frame) == Menu_GetMain(); }},
        {"always on top", 41004, [=] { return (GetWindowLong(frame, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }},
        {"tool bar off", 41009, [=] { return !Visible(g_toolbar.window) && g_settings.option[kOptToolbar] == 0; }},
        {"status bar off", 41010, [=] { return !Visible(g_statusBar.window) && g_settings.option[kOptStatus] == 0; }},
        {"scroll bars off", 41011, [=] { return !g_viewRecord.scroll.enabled && g_settings.option[10] == 0; }},
    };
    ASSERT_TRUE(GetWindowLong(view_, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    for (const Case &c : cases) {
        EXPECT_EQ(Command(c.command), 0) << c.name;
        EXPECT_TRUE(c.applied()) << c.name;
    }
    // Without the bars and the edge the view fills the client area.
    RECT client{};
    GetClientRect(frame_, &client);
    EXPECT_TRUE(RectIs(ViewRectInFrame(), client));
    // And back: each command flips its option again.
    Command(41009);
    EXPECT_TRUE(Visible(g_toolbar.window));
    RECT bar{};
    GetWindowRect(g_toolbar.window, &bar);
    EXPECT_EQ(ViewRectInFrame().top, bar.bottom - bar.top);
    Command(41005);
    EXPECT_TRUE((Style() & WS_CAPTION) == WS_CAPTION);
    EXPECT_EQ(g_settings.option[kOptCaption], 1);
}

TEST_F(Layout, CaptionOffOnAMaximisedFrameStaysMaximised) {
    ShowWindow(frame_, SW_MAXIMIZE);
    Drain();
    const RECT normal = NormalRect();
    Opt_SetCaptionBar(0);
    Drain();
    EXPECT_TRUE(IsZoomed(frame_));
    EXPECT_TRUE(IsWindowVisible(frame_));
    EXPECT_FALSE(Style() & WS_CAPTION);
    EXPECT_TRUE(RectIs(NormalRect(), normal));
    // Re-maximised under the new style: it still covers the work area, and
    // the caption's height went to the client area.
    RECT work{};
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    const RECT r = WindowRect();
    EXPECT_LE(r.left, work.left);
    EXPECT_LE(r.top, work.top);
    EXPECT_GE(r.right, work.right);
    EXPECT_GE(r.bottom, work.bottom);
    RECT client{};
    GetClientRect(frame_, &client);
    EXPECT_GE(client.bottom, work.bottom - work.top - 2 * GetSystemMetrics(SM_CYFRAME) - 2);
}

TEST_F(Layout, ShapeOptionsWaitForTheEndOfFullScreen) {
    Command(kCmdFullScreen);
    const LONG style = Style();
    const RECT rect = WindowRect();
    // The Window menu ignores them in full screen...
    for (UINT id : {41003u, 41005u, 41006u, 41007u, 41008u}) EXPECT_EQ(Command(id), 0) << id;
    EXPECT_EQ(g_settings.option[kOptCaption], 1);
    EXPECT_EQ(g_settings.option[2], 1);
    // ...and the setters store them without a visible change.
    Opt_SetCaptionBar(0);
    Opt_SetEdge(0);
    Opt_SetMenuBar(1);
    Drain();
    EXPECT_EQ(Style(), style);
    EXPECT_TRUE(RectIs(WindowRect(), rect));
    EXPECT_EQ(GetMenu(frame_), nullptr);
    EXPECT_FALSE(IsZoomed(frame_) == 0);

    // 41001 (restore) leaves full screen; then the stored shape shows.
    EXPECT_EQ(Command(41001), 0);
    EXPECT_EQ(g_settings.option[kOptFullScreen], 0);
    EXPECT_FALSE(Style() & WS_CAPTION);
    EXPECT_TRUE(Style() & WS_THICKFRAME);  // the sizing border option is still on
    EXPECT_FALSE(GetWindowLong(view_, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(GetMenu(frame_), Menu_GetMain());
}

TEST_F(Layout, ToolbarAtTheEdgeInTheWindowLayout) {
    Opt_SetToolbarEdge(1);  // on, but only at the edge: the bar goes away
    EXPECT_FALSE(Visible(g_toolbar.window));
    EXPECT_EQ(ViewRectInFrame().top, 0);
    Command(41009);  // off and on again through the menu: still waits for the cursor
    Command(41009);
    ASSERT_EQ(g_settings.option[kOptToolbar], 1);
    EXPECT_FALSE(Visible(g_toolbar.window));

    RECT bar{};
    GetWindowRect(g_toolbar.window, &bar);
    const POINT inside{bar.left + 5, bar.bottom - 1};
    const POINT below{bar.left + 5, bar.bottom};  // the bottom edge is outside

    EXPECT_EQ(Bars_AutoShowAtEdge(kLayoutToolbar, &below, 0, 0), 1);
    EXPECT_FALSE(Visible(g_toolbar.window));
    EXPECT_EQ(Bars_AutoShowAtEdge(kLayoutToolbar, &inside, 0, 0), 1);
    EXPECT_TRUE(Visible(g_toolbar.window));
    EXPECT_TRUE(g_timers[2].set);
    EXPECT_TRUE(Cursor_State().show & (1u << kShowReasonToolbar));
    // The bar lies over the view: the view keeps the whole client area.
    EXPECT_EQ(ViewRectInFrame().top, 0);

    // A tick with the cursor still on the bar keeps it; the first tick after
    // the cursor left hides it and ends the timer.
    Bars_OnCheckTimer(frame_, &inside);
    EXPECT_TRUE(Visible(g_toolbar.window));
    EXPECT_TRUE(g_timers[2].set);
    Bars_OnCheckTimer(frame_, &below);
    EXPECT_FALSE(Visible(g_toolbar.window));
    EXPECT_FALSE(g_timers[2].set);
    EXPECT_FALSE(Cursor_State().show & (1u << kShowReasonToolbar));
    EXPECT_EQ(g_mouse.lastX, below.x);
    EXPECT_EQ(g_mouse.lastY, below.y);

    // Back to a bar shown for good, which takes its room from the view.
    Opt_SetToolbarEdge(0);
    EXPECT_TRUE(Visible(g_toolbar.window));
    EXPECT_EQ(ViewRectInFrame().top, bar.bottom - bar.top);
    Bars_OnCheckTimer(frame_, &below);
    EXPECT_TRUE(Visible(g_toolbar.window));

    // The status bar is shown for good: the edge leaves it alone.
    EXPECT_TRUE(Visible(g_statusBar.window));
    EXPECT_EQ(StatusBar_AutoShowAtCursor(&below, 0, 0), 0);
    EXPECT_TRUE(Visible(g_statusBar.window));
}

TEST_F(Layout, TheViewAndTheFrameTimerAskAtTheCursor) {
    Command(kCmdFullScreen);
    RECT top{};
    GetWindowRect(g_toolbar.window, &top);
    s_cursor = POINT{top.left + 4, top.top + 1};
    ASSERT_NE(g_viewHooks.barsAtEdge, nullptr);
    g_viewHooks.barsAtEdge(0);  // a resting pointer never brings a bar up
    EXPECT_FALSE(Visible(g_toolbar.window));
    g_viewHooks.barsAtEdge(1);
    EXPECT_TRUE(Visible(g_toolbar.window));
    SendMessage(frame_, WM_TIMER, kTimerBarCheck, 0);  // still on the bar
    EXPECT_TRUE(Visible(g_toolbar.window));
    s_cursor = POINT{top.left + 4, top.bottom + 40};
    SendMessage(frame_, WM_TIMER, kTimerBarCheck, 0);
    EXPECT_FALSE(Visible(g_toolbar.window));
    EXPECT_FALSE(g_timers[2].set);
    // The view losing the focus ends what the edge showed.
    s_cursor = POINT{top.left + 4, top.top + 1};
    g_viewHooks.barsAtEdge(1);
    ASSERT_TRUE(Visible(g_toolbar.window));
    ASSERT_NE(g_viewHooks.stopBarsAutoShow, nullptr);
    g_viewHooks.stopBarsAutoShow();
    EXPECT_FALSE(Visible(g_toolbar.window));
    // Another program's window is active: the edge shows nothing.
    s_frame = GetDesktopWindow();
    g_viewHooks.barsAtEdge(1);
    EXPECT_FALSE(Visible(g_toolbar.window));
}

TEST_F(Layout, BarsAtTheEdgeOfFullScreenAndDeactivation) {
    Command(kCmdFullScreen);
    ASSERT_FALSE(Visible(g_toolbar.window));
    RECT top{}, bottom{};
    GetWindowRect(g_toolbar.window, &top);
    GetWindowRect(g_statusBar.window, &bottom);
    const RECT screen = MonitorRect();
    // The bars follow the full-screen frame: the tool bar at the screen's top.
    EXPECT_EQ(top.top, screen.top);
    EXPECT_EQ(bottom.bottom, screen.bottom);
    const POINT atTop{top.left + 3, top.top};
    const POINT atBottom{bottom.left + 3, bottom.bottom - 1};
    const POINT middle{(screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2};

    EXPECT_EQ(Bars_AutoShowAtEdge(kLayoutToolbar, &atTop, 0, 0), 1);
    EXPECT_EQ(StatusBar_AutoShowAtCursor(&atBottom, 0, 0), 1);
    EXPECT_TRUE(Visible(g_toolbar.window));
    EXPECT_TRUE(Visible(g_statusBar.window));
    // One bar leaving keeps the timer for the other.
    Bars_AutoShowAtEdge(kLayoutToolbar, &middle, 0, 0);
    EXPECT_FALSE(Visible(g_toolbar.window));
    EXPECT_TRUE(g_timers[2].set);
    EXPECT_EQ(Bars_AutoHideAllowed(), 1);

    // Losing the activation ends the automatic showing.
    SendMessage(frame_, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(Visible(g_statusBar.window));
    EXPECT_FALSE(g_timers[2].set);
    EXPECT_EQ(Bars_AutoHideAllowed(), 0);

    // Back in the window layout the bars are shown for good again.
    Command(kCmdFullScreen);
    EXPECT_TRUE(Visible(g_toolbar.window));
    EXPECT_TRUE(Visible(g_statusBar.window));
}

TEST_F(Layout, FullScreenWithoutTheCursorOption) {
    Opt_SetFlag(18, 0);  // FScrnCur off: full screen hides the cursor
    Command(kCmdFullScreen);
    EXPECT_TRUE(Cursor_State().hide & 1u);
    EXPECT_EQ(Cursor_State().shown, 0);
    // A bar brought up at the edge keeps the cursor while it is shown.
    RECT top{};
    GetWindowRect(g_toolbar.window, &top);
    const POINT atTop{top.left + 3, top.top};
    Bars_AutoShowAtEdge(kLayoutToolbar, &atTop, 0, 0);
    EXPECT_EQ(Cursor_State().shown, 1);
    Command(kCmdFullScreen);
    EXPECT_FALSE(Cursor_State().hide & 1u);
    EXPECT_EQ(Cursor_State().shown, 1);
}

}  // namespace
