// The view window's message rules under Wine: a click that only activates
// the program runs no command when ActvNoCmnd is on, Ctrl + left moves the
// frame by its caption whatever the drag mode, and clicks reach the mouse
// mapping only while no picture work runs.
#include <gtest/gtest.h>

#include "image/qv_ImgData.h"
#include "image/qv_View.h"
#include "other/qv_Settings.h"
#include "support/view_fixture.h"

namespace {

constexpr int kOptActivateNoCommand = 98;

class ViewWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Settings_InitBoth(61);
        ClearImgData();
        g_viewHooks = ViewHooks{};
        view_ = new ViewFixture(120, 90);
        ASSERT_NE(view_->view(), nullptr);
    }
    void TearDown() override {
        SetControl(false);
        delete view_;
        g_viewHooks = ViewHooks{};
        ClearImgData();
        Settings_InitBoth(61);
    }
    static void SetControl(bool down) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    LRESULT Activate(UINT press) {
        return SendMessage(view_->view(), WM_MOUSEACTIVATE, WPARAM(view_->frame()), MAKELPARAM(HTCLIENT, press));
    }
    ViewFixture *view_ = nullptr;
};

TEST_F(ViewWindow, AnActivatingClickIsEatenWithActvNoCmnd) {
    // The test frame is not the foreground window: every press activates.
    ASSERT_NE(GetForegroundWindow(), view_->frame());
    struct Case {
        const char *name;
        int option;
        UINT press;
        bool control;
        LRESULT want;
    } cases[] = {
        {"left, option on", 1, WM_LBUTTONDOWN, false, MA_ACTIVATEANDEAT},
        {"right", 1, WM_RBUTTONDOWN, false, MA_ACTIVATEANDEAT},
        {"middle", 1, WM_MBUTTONDOWN, false, MA_ACTIVATEANDEAT},
        {"X button", 1, WM_XBUTTONDOWN, false, MA_ACTIVATEANDEAT},
        {"left with Ctrl is exempt", 1, WM_LBUTTONDOWN, true, MA_ACTIVATE},
        {"right with Ctrl is not", 1, WM_RBUTTONDOWN, true, MA_ACTIVATEANDEAT},
        {"option off", 0, WM_LBUTTONDOWN, false, MA_ACTIVATE},
    };
    for (const auto &k : cases) {
        g_settings.option[kOptActivateNoCommand] = uint8_t(k.option);
        SetControl(k.control);
        EXPECT_EQ(Activate(k.press), k.want) << k.name;
    }
    SetControl(false);
    // Left drag mode 3 (system move) exempts the left button too.
    g_settings.option[kOptActivateNoCommand] = 1;
    g_viewHooks.leftDragMode = [] { return 3; };
    EXPECT_EQ(Activate(WM_LBUTTONDOWN), MA_ACTIVATE);
    EXPECT_EQ(Activate(WM_RBUTTONDOWN), MA_ACTIVATEANDEAT);
}

TEST_F(ViewWindow, CtrlLeftPostsTheCaptionDragToTheFrame) {
    struct Case {
        const char *name;
        WPARAM keys;
        int dragMode;
        bool posted;
    } cases[] = {
        {"Ctrl", MK_LBUTTON | MK_CONTROL, 0, true},
        {"Ctrl in zoom drag mode", MK_LBUTTON | MK_CONTROL, 1, true},
        {"system move mode", MK_LBUTTON, 3, true},
        {"system move mode with the right button down", MK_LBUTTON | MK_RBUTTON, 3, false},
        {"plain", MK_LBUTTON, 0, false},
    };
    static int s_mode = 0;
    g_viewHooks.leftDragMode = [] { return s_mode; };
    for (const auto &k : cases) {
        s_mode = k.dragMode;
        SendMessage(view_->view(), WM_LBUTTONDOWN, k.keys, MAKELPARAM(5, 6));
        MSG m{};
        const bool got = PeekMessage(&m, view_->frame(), WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE) != FALSE;
        EXPECT_EQ(got, k.posted) << k.name;
        if (got) {
            POINT p{5, 6};
            ClientToScreen(view_->view(), &p);
            EXPECT_EQ(m.wParam, WPARAM(HTCAPTION)) << k.name;
            EXPECT_EQ(m.lParam, MAKELPARAM(p.x, p.y)) << k.name;
        }
        SendMessage(view_->view(), WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
    }
    EXPECT_TRUE(ViewFixture::Commands().empty());  // no mouse mapping yet: nothing runs
}

TEST_F(ViewWindow, AClickRunsTheMappedCommandUnlessPictureWorkRuns) {
    g_viewHooks.clickCommand = [](int button, int doubleClick, WPARAM) -> UINT {
        return button == 0 && !doubleClick ? 40001u : 0u;
    };
    const HWND v = view_->view();
    SendMessage(v, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
    SendMessage(v, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
    ASSERT_EQ(ViewFixture::Commands().size(), 1u);
    EXPECT_EQ(ViewFixture::Commands()[0], 40001u);
    ViewFixture::Commands().clear();
    g_imgData.loadingNesting = 1;
    SendMessage(v, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
    SendMessage(v, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
    g_imgData.loadingNesting = 0;
    SendMessage(v, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));  // a release without a press here runs nothing
    EXPECT_TRUE(ViewFixture::Commands().empty());
}

}  // namespace
