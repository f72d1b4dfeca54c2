// The view's scroll bars under Wine: they appear only where the displayed
// picture is larger than the client (a bar's height can make the other bar
// needed), the record drives the window's bars, a refused range leaves the
// bar alone, the thumb track moves the picture but not the bar, and the
// positions survive the bars being switched off.
#include <gtest/gtest.h>

#include "image/qv_ImgData.h"
#include "image/qv_Scroll.h"
#include "image/qv_View.h"
#include "other/qv_Frame.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"
#include "other/qv_WndUtil.h"
#include "support/view_fixture.h"

namespace {

constexpr int32_t kClientW = 200, kClientH = 150;

class Scroll : public ::testing::Test {
protected:
    void SetUp() override {
        Settings_InitBoth(61);
        g_sysFacts.hScrollHeight = GetSystemMetrics(SM_CYHSCROLL);
        g_sysFacts.vScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
        ClearImgData();
        view_ = new ViewFixture(kClientW, kClientH);
        ASSERT_NE(view_->view(), nullptr);
    }
    void TearDown() override {
        delete view_;
        ClearImgData();
    }
    // A picture drawn scaled to w x h: the record then reports that size.
    void Show(int32_t w, int32_t h) {
        g_imgData.zoomMode = kZoomFixed | kZoomDrawnScaled;
        g_imgData.viewWidth = w;
        g_imgData.viewHeight = h;
        ImgData_UpdateScroll();
    }
    bool HasBar(LONG bit) const { return (GetWindowLong(view_->view(), GWL_STYLE) & bit) != 0; }
    ViewFixture *view_ = nullptr;
};

TEST_F(Scroll, BarsAppearOnlyWhereThePictureIsLarger) {
    const int32_t hb = g_sysFacts.hScrollHeight, vb = g_sysFacts.vScrollWidth;
    struct Case {
        int32_t w, h;
        bool hBar, vBar;
    } cases[] = {
        {150, 100, false, false},
        {kClientW, kClientH, false, false},       // exactly the client
        {400, 100, true, false},
        {100, 400, false, true},
        {400, 400, true, true},
        {400, kClientH - hb + 1, true, true},     // the horizontal bar makes the vertical one needed
        {kClientW - vb + 1, 400, true, true},
        {150, 100, false, false},                 // and they go again
    };
    const ScrollState &s = g_viewRecord.scroll;
    for (const auto &k : cases) {
        SCOPED_TRACE(::testing::Message() << k.w << "x" << k.h);
        Show(k.w, k.h);
        EXPECT_EQ(HasBar(WS_HSCROLL), k.hBar);
        EXPECT_EQ(HasBar(WS_VSCROLL), k.vBar);
        EXPECT_EQ(s.hShown != 0, k.hBar);
        EXPECT_EQ(s.vShown != 0, k.vBar);
        RECT client;
        GetClientRect(view_->view(), &client);
        if (k.hBar) {
            EXPECT_EQ(s.hMax, k.w - client.right);  // scrolls exactly to the picture's edge
            EXPECT_EQ(s.hPage, client.right / 2);
            SCROLLINFO si{sizeof si, SIF_ALL};
            ASSERT_TRUE(GetScrollInfo(view_->view(), SB_HORZ, &si));
            EXPECT_EQ(si.nMax, k.w);
            EXPECT_EQ(int32_t(si.nPage), client.right + 1);
        }
        if (k.vBar) {
            EXPECT_EQ(s.vMax, k.h - client.bottom);
        }
    }
}

TEST_F(Scroll, RecordDrivesTheBarsAndRefusesABadRange) {
    Show(400, 300);
    ScrollState &s = g_viewRecord.scroll;
    const int32_t max = s.hMax;
    EXPECT_EQ(Scroll_SetPos(&s, 50, kScrollTo, kScrollHorz, 1), 0);
    EXPECT_EQ(GetScrollPos(view_->view(), SB_HORZ), 50);
    EXPECT_EQ(Scroll_SetPos(&s, 10, kScrollByMinus, kScrollHorz, 1), 50);
    EXPECT_EQ(s.hPos, 40);
    EXPECT_EQ(Scroll_SetPos(&s, -25, kScrollByMinus, kScrollHorz, 1), 40);  // drag scroll moves forward
    EXPECT_EQ(s.hPos, 65);

    // Page equal to total: refused, record and bar unchanged.
    EXPECT_EQ(Scroll_SetRange(&s, kScrollHorz, 400, 400), 0);
    EXPECT_EQ(s.hMax, max);
    SCROLLINFO si{sizeof si, SIF_ALL};
    ASSERT_TRUE(GetScrollInfo(view_->view(), SB_HORZ, &si));
    EXPECT_EQ(si.nMax, 400);
    EXPECT_EQ(si.nPos, 65);

    // Bar codes: line, page, ends; the end of a scroll changes nothing.
    const int32_t line = 7;
    Scroll_SetSteps(&s, kScrollBoth, &line, nullptr);
    struct Code {
        int32_t code, want;
        int changed;
    } codes[] = {{SB_LINEDOWN, 72, 1}, {SB_LINEUP, 65, 1}, {SB_PAGEDOWN, 65 + s.hPage, 1}, {SB_TOP, 0, 1},
                 {SB_LINEUP, 0, 0},    {SB_BOTTOM, max, 1}, {SB_ENDSCROLL, max, 0}};
    for (const auto &c : codes) {
        EXPECT_EQ(Scroll_OnMessage(&s, WM_HSCROLL, c.code), c.changed) << c.code;
        EXPECT_EQ(s.hPos, c.want) << c.code;
        EXPECT_EQ(GetScrollPos(view_->view(), SB_HORZ), c.want) << c.code;
    }
    // Keys: Left and Right act horizontally whatever axis is given; Home on the given one.
    EXPECT_EQ(Scroll_ByKey(VK_LEFT, kScrollVert, &s), 1);
    EXPECT_EQ(s.hPos, max - 7);
    s.vPos = 30;
    EXPECT_EQ(Scroll_ByKey(VK_HOME, kScrollVert, &s), 1);
    EXPECT_EQ(s.vPos, 0);
    EXPECT_EQ(Scroll_ByKey('A', kScrollVert, &s), 0);
}

TEST_F(Scroll, PositionsSurviveTheBarsBeingSwitchedOff) {
    Show(400, 300);
    ScrollState &s = g_viewRecord.scroll;
    Scroll_SetPos(&s, 150, kScrollTo, kScrollHorz, 0);
    ASSERT_EQ(s.hPos, 150);
    ASSERT_EQ(Scroll_Enable(&s, 0), 1);
    EXPECT_FALSE(HasBar(WS_HSCROLL));
    EXPECT_FALSE(HasBar(WS_VSCROLL));
    EXPECT_EQ(s.hShown, 0);
    EXPECT_EQ(s.hPos, 150);  // kept while off
    ASSERT_EQ(Scroll_Enable(&s, 1), 1);
    Show(300, 300);  // the next range cuts it
    RECT client;
    GetClientRect(view_->view(), &client);
    EXPECT_EQ(s.hPos, 300 - client.right);
    EXPECT_EQ(GetScrollPos(view_->view(), SB_HORZ), 300 - client.right);
    EXPECT_TRUE(HasBar(WS_HSCROLL));
}

TEST_F(Scroll, AttachReadsTheWindowsBarsOnlyOnce) {
    ScrollState s;
    Scroll_InitState(&s);
    EXPECT_EQ(s.enabled, 1);
    EXPECT_EQ(s.window, nullptr);
    HWND w = CreateWindowEx(0, TEXT("STATIC"), nullptr, WS_POPUP | WS_HSCROLL, 0, 0, 100, 80, nullptr, nullptr,
                            GetModuleHandle(nullptr), nullptr);
    ASSERT_NE(w, nullptr);
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 300, 101, 40, 0};
    SetScrollInfo(w, SB_HORZ, &si, FALSE);
    ASSERT_EQ(Scroll_Attach(&s, w), 1);
    EXPECT_EQ(s.hAllowed, 1);
    EXPECT_EQ(s.hShown, 1);
    EXPECT_EQ(s.vAllowed, 0);
    EXPECT_EQ(s.hMax, 200);
    EXPECT_EQ(s.hPos, 40);
    EXPECT_EQ(Scroll_Attach(&s, w), 0);  // bound already
    DestroyWindow(w);
}

TEST_F(Scroll, ResizingTheViewRefitsTheBarsUnlessTheLayoutIsHeld) {
    Show(150, 100);
    ASSERT_FALSE(HasBar(WS_HSCROLL));
    struct Case {
        int32_t w, h;
        bool hold, hBar, vBar;
    } cases[] = {
        {100, 150, false, true, false},
        {100, 80, true, true, false},   // held: the bars stay as they were
        {100, 81, false, true, true},   // released: the next size refits
        {300, 300, false, false, false},
    };
    for (const auto &k : cases) {
        if (k.hold) View_LockLayout();
        SetWindowPos(view_->view(), nullptr, 0, 0, k.w, k.h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (k.hold) View_UnlockLayout();
        EXPECT_EQ(HasBar(WS_HSCROLL), k.hBar) << k.w << "x" << k.h << (k.hold ? " held" : "");
        EXPECT_EQ(HasBar(WS_VSCROLL), k.vBar) << k.w << "x" << k.h << (k.hold ? " held" : "");
    }
}

TEST_F(Scroll, ScrollMessagesMoveThePositionAndMarkTheBarInUse) {
    Show(400, 300);
    const int32_t line = 10;
    Scroll_SetSteps(&g_viewRecord.scroll, kScrollBoth, &line, nullptr);
    g_frame.scrollBarInUse = 0;
    SendMessage(view_->view(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(g_viewRecord.scroll.vPos, 10);
    EXPECT_EQ(g_frame.scrollBarInUse, 1);  // the wheel leaves the picture alone meanwhile
    SendMessage(view_->view(), WM_HSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(g_viewRecord.scroll.hPos, g_viewRecord.scroll.hPage);
    SendMessage(view_->view(), WM_VSCROLL, SB_ENDSCROLL, 0);
    EXPECT_EQ(g_frame.scrollBarInUse, 0);
    EXPECT_EQ(g_viewRecord.scroll.vPos, 10);
}

}  // namespace
