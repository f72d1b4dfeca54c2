// Placing a real frame: the rectangle set against a work area, with and
// without centring, and the frame sized around a displayed picture (window
// policy 0) inside the monitor's work area.
#include <gtest/gtest.h>

#include <string>

#include "image/qv_ImgData.h"
#include "image/qv_WndFit.h"
#include "other/qv_Globals.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"
#include "support/real_dibcore.h"
#include "support/view_fixture.h"

namespace {

constexpr int kOptWndCent = 37;
constexpr int kOptShowPolicy = 84;

LRESULT CALLBACK TestFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE && g_process.viewWindow != nullptr)
        MoveWindow(g_process.viewWindow, 0, 0, LOWORD(lParam), HIWORD(lParam), FALSE);
    return DefWindowProc(window, message, wParam, lParam);
}

std::string Text(const RECT &r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

bool Same(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool Inside(const RECT &r, const RECT &area) {
    return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
}

class WndFit : public testing::Test {
protected:
    void SetUp() override {
        Settings_InitBoth(61);
        g_process = ProcessState{};
        HINSTANCE instance = GetModuleHandle(nullptr);
        WNDCLASS wc{};
        wc.lpfnWndProc = TestFrameProc;
        wc.hInstance = instance;
        wc.lpszClassName = TEXT("QV_WndFitTestFrame");
        RegisterClass(&wc);
        frame_ = CreateWindow(TEXT("QV_WndFitTestFrame"), TEXT("fit"), WS_OVERLAPPEDWINDOW, 100, 100, 300, 200,
                              nullptr, nullptr, instance, nullptr);
        ASSERT_NE(frame_, nullptr);
        RECT client{};
        GetClientRect(frame_, &client);
        view_ = CreateWindow(TEXT("STATIC"), TEXT(""), WS_CHILD | WS_VISIBLE, 0, 0, client.right, client.bottom,
                             frame_, nullptr, instance, nullptr);
        g_process.frameWindow = frame_;
        g_process.viewWindow = view_;
        ShowWindow(frame_, SW_SHOWNORMAL);
    }
    void TearDown() override {
        g_process = ProcessState{};
        DestroyWindow(frame_);
        ClearImgData();
        Settings_InitBoth(61);
    }
    RECT Window() const {
        RECT r{};
        GetWindowRect(frame_, &r);
        return r;
    }
    void Place(const RECT &r) {
        SetWindowPos(frame_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
    }
    // A new picture of this size in the record, shown at actual size.
    void Load(int32_t w, int32_t h) {
        ClearImgData();
        if (w > 0) {
            ASSERT_TRUE(MakePicture(g_imgData.image, w, h, 1));
            g_imgData.state = kImgStill;
            g_imgData.width = w;
            g_imgData.height = h;
        }
        WndFit_FitToImage(1, 0);
    }
    RealDibcore lib_;
    HWND frame_ = nullptr;
    HWND view_ = nullptr;
};

TEST_F(WndFit, SetWindowRectAgainstAWorkArea) {
    const RECT work{0, 0, 800, 600};
    const struct {
        const char *what;
        bool centre;
        RECT old, wanted, want;
        int moved;
    } cases[] = {
        {"no centring: as asked", false, {100, 100, 400, 300}, {50, 60, 450, 360}, {50, 60, 450, 360}, 1},
        {"keeps its centre", true, {100, 100, 400, 300}, {100, 100, 600, 400}, {0, 50, 500, 350}, 1},
        {"a centred window stays centred", true, {250, 200, 550, 400}, {250, 200, 650, 500}, {200, 150, 600, 450},
         1},
        {"shifted in from the right edge", true, {600, 100, 800, 300}, {600, 100, 1000, 300}, {400, 100, 800, 300},
         1},
        {"larger than the work area", true, {100, 100, 400, 300}, {100, 100, 1000, 700}, {0, 0, 800, 600}, 1},
        {"unchanged: not set", true, {100, 100, 400, 300}, {100, 100, 400, 300}, {100, 100, 400, 300}, 0},
    };
    for (const auto &c : cases) {
        g_settings.option[kOptWndCent] = c.centre ? 1 : 0;
        Place(c.old);
        ASSERT_TRUE(Same(Window(), c.old)) << c.what << ": " << Text(Window());
        EXPECT_EQ(WndFit_SetWindowRect(&work, &c.old, &c.wanted), c.moved) << c.what;
        EXPECT_TRUE(Same(Window(), c.want)) << c.what << ": " << Text(Window());
    }
}

TEST_F(WndFit, WindowFollowsThePictureInsideTheWorkArea) {
    g_settings.option[kOptShowPolicy] = 0;
    RECT work{};
    RECT start = Window();
    ASSERT_TRUE(Util_GetWorkAreaOfRect(&work, &start));

    // Sized so that the view shows the picture whole, where the frame was.
    Load(320, 240);
    RECT client{};
    GetClientRect(view_, &client);
    EXPECT_EQ(client.right, 320);
    EXPECT_EQ(client.bottom, 240);
    EXPECT_EQ(Window().left, start.left);
    EXPECT_EQ(Window().top, start.top);

    // At the right edge of the work area a larger picture moves the frame left.
    const RECT atEdge{work.right - 340, work.top + 10, work.right, work.top + 200};
    Place(atEdge);
    Load(600, 400);
    GetClientRect(view_, &client);
    EXPECT_EQ(client.right, 600);
    EXPECT_EQ(client.bottom, 400);
    EXPECT_EQ(Window().right, work.right);
    EXPECT_TRUE(Inside(Window(), work)) << Text(Window());

    // Larger than the work area: cut to it.
    Load(4000, 3000);
    EXPECT_TRUE(Same(Window(), work)) << Text(Window()) << " in " << Text(work);

    // Nothing displayed: the default size.
    Load(0, 0);
    GetClientRect(view_, &client);
    EXPECT_EQ(client.right, g_sysFacts.defaultWidth);
    EXPECT_EQ(client.bottom, g_sysFacts.defaultHeight);
}

}  // namespace
