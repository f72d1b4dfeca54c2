// The mouse table and the scroll commands under Wine, on the real view
// window with a picture larger than the view: scrolling to corners and the
// centre, scroll keys (an arrow on an axis that cannot scroll takes the
// other), wheel scrolling by WheelSpd, the wheel at the frame turned into
// commands (whole notches only), clicks in the view posting their commands,
// chords with a held button taking the held button's click, and the "Mous"
// chunk through Custom.dat.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/qv_ImgData.h"
#include "image/qv_Scroll.h"
#include "image/qv_ScrollCommands.h"
#include "image/qv_View.h"
#include "other/qv_Cfg.h"
#include "other/qv_CmdLine.h"
#include "other/qv_CustomCore.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_Instance.h"
#include "other/qv_MenuProc.h"
#include "other/qv_Mouse.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"
#include "other/qv_WndUtil.h"
#include "support/real_dibcore.h"
#include "support/user_folder.h"
#include "support/view_fixture.h"

namespace {

constexpr int32_t kClientW = 200, kClientH = 150;
constexpr int32_t kPictureW = 400, kPictureH = 300;
constexpr int kOptComicMode = 48, kOptComicLeftToRight = 49, kIntWheelSpeed = 3;

int s_redraws = 0;

class Mouse : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lib_.ok()) << lib_.problem();
        Settings_InitBoth(61);
        g_sysFacts.hScrollHeight = GetSystemMetrics(SM_CYHSCROLL);
        g_sysFacts.vScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
        g_frame = FrameState{};
        ClearImgData();
        view_ = new ViewFixture(kClientW, kClientH);
        ASSERT_NE(view_->view(), nullptr);
        Mouse_InitSettings(&g_mouse);
        Mouse_Attach(view_->frame(), view_->view());
        g_viewHooks.drawSelection = [](HDC) { ++s_redraws; };
        const int32_t line = 10;
        Scroll_SetSteps(&g_viewRecord.scroll, kScrollBoth, &line, nullptr);
    }
    void TearDown() override {
        delete view_;
        g_viewHooks = ViewHooks{};
        Mouse_InitSettings(&g_mouse);
        ClearImgData();
        Settings_InitBoth(61);
    }
    // A still picture drawn scaled to w x h: the view scrolls over that size.
    void Show(int32_t w, int32_t h) {
        DibHolder_Free(g_imgData.image);
        ASSERT_TRUE(MakePicture(g_imgData.image, 8, 8, 1));
        g_imgData.state = kImgStill;
        g_imgData.zoomMode = kZoomFixed | kZoomDrawnScaled;
        g_imgData.viewWidth = w;
        g_imgData.viewHeight = h;
        ImgData_UpdateScroll();
        UpdateWindow(view_->view());
    }
    static ScrollState &S() { return g_viewRecord.scroll; }
    static void At(int32_t h, int32_t v) { ViewFixture::ScrollTo(h, v); }
    static LRESULT Command(HWND frame, UINT id) { return ViewFixture::Command(frame, id); }
    static std::vector<UINT> Pump() { return ViewFixture::Pump(); }
    void Send(UINT message, WPARAM keys, WORD xButton = 0) {
        SendMessage(view_->view(), message, MAKEWPARAM(keys, xButton), MAKELPARAM(20, 20));
    }
    RealDibcore lib_;  // pictures are made through the library
    ViewFixture *view_ = nullptr;
};

TEST_F(Mouse, ScrollToPositionReachesCornersEdgesAndCentre) {
    Show(kPictureW, kPictureH);
    RECT client;
    GetClientRect(view_->view(), &client);
    const int32_t hMax = S().hMax, vMax = S().vMax;
    ASSERT_EQ(hMax, kPictureW - client.right);
    ASSERT_EQ(vMax, kPictureH - client.bottom);
    const int32_t hMid = (kPictureW - client.right) / 2, vMid = (kPictureH - client.bottom) / 2;
    struct Case {
        UINT id;
        int32_t h, v;
    } cases[] = {
        {45061, 0, 0},       {45062, 0, vMid},    {45063, 0, vMax},   {45064, hMid, 0},   {45065, hMid, vMid},
        {45066, hMid, vMax}, {45067, hMax, 0},    {45068, hMax, vMid}, {45069, hMax, vMax},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        At(7, 9);
        s_redraws = 0;
        EXPECT_EQ(Command(view_->frame(), c.id), 0);
        EXPECT_EQ(S().hPos, c.h);
        EXPECT_EQ(S().vPos, c.v);
        EXPECT_EQ(GetScrollPos(view_->view(), SB_VERT), c.v);
        EXPECT_EQ(s_redraws, 1);
    }
    // Already there: nothing moves, nothing is drawn.
    EXPECT_EQ(Command(view_->frame(), 45065), 0);
    s_redraws = 0;
    EXPECT_EQ(Command(view_->frame(), 45065), 0);
    EXPECT_EQ(s_redraws, 0);
    // Ids of the block without a row take default handling.
    EXPECT_EQ(Command(view_->frame(), 45070), 1);

    // Without a still picture nothing happens.
    DibHolder_Free(g_imgData.image);
    At(7, 9);
    EXPECT_EQ(Command(view_->frame(), 45069), 0);
    EXPECT_EQ(S().hPos, 7);
    EXPECT_EQ(S().vPos, 9);
}

TEST_F(Mouse, ScrollKeysMoveTheirAxisOrTheOtherOne) {
    struct Case {
        const char *what;
        int32_t w, h;
        bool comicRtl;
        UINT id;
        int32_t h0, v0;  // start
        int32_t hWant, vWant;
    } cases[] = {
        {"Page Down vertical", kPictureW, kPictureH, false, 45094, 0, 0, 0, -1},  // -1: one page
        {"Home vertical", kPictureW, kPictureH, false, 45095, 30, 40, 30, 0},
        {"End horizontal", kPictureW, kPictureH, false, 45086, 30, 40, -2, 40},  // -2: the maximum
        {"Left", kPictureW, kPictureH, false, 45081, 30, 40, 20, 40},
        {"Down", kPictureW, kPictureH, false, 45092, 30, 40, 30, 50},
        {"Down without a vertical bar is Right", kPictureW, 100, false, 45092, 30, 0, 40, 0},
        {"Up without a vertical bar is Left", kPictureW, 100, false, 45091, 30, 0, 20, 0},
        {"Right without a horizontal bar is Down", 100, kPictureH, false, 45082, 0, 30, 0, 40},
        {"Page Down vertical without its bar pages sideways", kPictureW, 100, false, 45094, 0, 0, -1, 0},
        {"comic-aware Left", kPictureW, kPictureH, false, 45113, 30, 40, 20, 40},
        {"comic-aware Left in a right-to-left comic", kPictureW, kPictureH, true, 45113, 30, 40, 40, 40},
        {"comic-aware End in a right-to-left comic is Home", kPictureW, kPictureH, true, 45118, 30, 40, 0, 40},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        g_settings.option[kOptComicMode] = c.comicRtl ? 1 : 0;
        g_settings.option[kOptComicLeftToRight] = 0;
        Show(c.w, c.h);
        At(c.h0, c.v0);
        const int32_t hWant = c.hWant == -1 ? c.h0 + S().hPage : c.hWant == -2 ? S().hMax : c.hWant;
        const int32_t vWant = c.vWant == -1 ? c.v0 + S().vPage : c.vWant;
        s_redraws = 0;
        EXPECT_EQ(Command(view_->frame(), c.id), 0);
        EXPECT_EQ(S().hPos, hWant);
        EXPECT_EQ(S().vPos, vWant);
        EXPECT_EQ(s_redraws, 1);
    }
    EXPECT_EQ(Command(view_->frame(), 45087), 1);  // no row: default handling
}

TEST_F(Mouse, WheelScrollMovesByWheelSpeed) {
    Show(kPictureW, kPictureH);
    g_settings.optInt[kIntWheelSpeed] = 25;
    struct Case {
        UINT id;
        bool comicRtl;
        int32_t h, v;
    } cases[] = {
        {45122, false, 50, 75}, {45121, false, 50, 25}, {45124, false, 75, 50},
        {45123, false, 25, 50}, {45125, false, 25, 50}, {45125, true, 75, 50},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.id << " rtl " << c.comicRtl);
        g_settings.option[kOptComicMode] = c.comicRtl ? 1 : 0;
        At(50, 50);
        s_redraws = 0;
        EXPECT_EQ(Command(view_->frame(), c.id), 0);
        EXPECT_EQ(S().hPos, c.h);
        EXPECT_EQ(S().vPos, c.v);
        EXPECT_EQ(s_redraws, 1);
    }
    // At the end nothing moves and nothing is drawn.
    At(0, S().vMax);
    s_redraws = 0;
    EXPECT_EQ(Command(view_->frame(), 45122), 0);
    EXPECT_EQ(s_redraws, 0);
    EXPECT_EQ(Command(view_->frame(), 45127), 1);
}

TEST_F(Mouse, WheelAtTheFramePostsWholeNotches) {
    HWND frame = view_->frame();
    auto wheel = [&](int delta, WPARAM keys = 0) {
        Frame_WndProc(frame, WM_MOUSEWHEEL, MAKEWPARAM(keys, WORD(int16_t(delta))), MAKELPARAM(60, 60));
    };
    wheel(-120);
    EXPECT_EQ(Pump(), std::vector<UINT>{40062});
    wheel(120);
    EXPECT_EQ(Pump(), std::vector<UINT>{40061});
    wheel(-40);
    wheel(-40);
    EXPECT_EQ(Pump(), std::vector<UINT>{});
    wheel(-40);
    EXPECT_EQ(Pump(), std::vector<UINT>{40062});
    wheel(0);
    wheel(360);
    EXPECT_EQ(Pump(), (std::vector<UINT>{40061, 40061, 40061}));
    // With the middle button held the wheel does nothing.
    wheel(120, MK_MBUTTON);
    EXPECT_EQ(Pump(), std::vector<UINT>{});
    // While a view scroll bar is operated the frame ignores the wheel.
    g_frame.scrollBarInUse = 1;
    wheel(120);
    EXPECT_EQ(Pump(), std::vector<UINT>{});
    g_frame.scrollBarInUse = 0;
    // WheelIdle: every second notch in one direction.
    g_settings.option[78] = 1;
    for (int i = 0; i < 4; ++i) wheel(-120);
    EXPECT_EQ(Pump(), (std::vector<UINT>{40062, 40062}));
}

TEST_F(Mouse, ClicksInTheViewPostTheirCommands) {
    struct Case {
        const char *what;
        UINT down, up;
        WORD xButton;
        std::vector<UINT> want;
    } cases[] = {
        {"right click: popup menu", WM_RBUTTONDOWN, WM_RBUTTONUP, 0, {45001}},
        {"middle click: exit", WM_MBUTTONDOWN, WM_MBUTTONUP, 0, {40011}},
        {"X2 click: actual size or fit", WM_XBUTTONDOWN, WM_XBUTTONUP, XBUTTON2, {45044}},
        {"X1 click: nothing by default", WM_XBUTTONDOWN, WM_XBUTTONUP, XBUTTON1, {}},
        {"a double click without a command of its own acts as a press", WM_RBUTTONDBLCLK, WM_RBUTTONUP, 0, {45001}},
        {"middle double click: likewise", WM_MBUTTONDBLCLK, WM_MBUTTONUP, 0, {40011}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Send(c.down, 0, c.xButton);
        Send(c.up, 0, c.xButton);
        EXPECT_EQ(Pump(), c.want);
    }
    // A release without its press runs nothing.
    Send(WM_RBUTTONUP, 0);
    EXPECT_EQ(Pump(), std::vector<UINT>{});
    // Double click of the left button: full screen, sent by the view.
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON);
    EXPECT_EQ(Pump(), std::vector<UINT>{40081});
    // While a picture is being replaced clicks and the wheel run nothing,
    // and a press then does not fire later.
    g_imgData.loadingNesting = 1;
    Send(WM_RBUTTONDOWN, 0);
    Send(WM_RBUTTONUP, 0);
    Frame_WndProc(view_->frame(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-120)), 0);
    g_imgData.loadingNesting = 0;
    Send(WM_RBUTTONUP, 0);
    EXPECT_EQ(Pump(), std::vector<UINT>{});
}

TEST_F(Mouse, HoverScrollFollowsTheCursor) {
    Show(kPictureW, kPictureH);
    g_settings.option[107] = 1;  // HoverScrl
    g_settings.option[108] = 0;  // no margin
    g_settings.option[109] = 0;
    RECT client;
    GetClientRect(view_->view(), &client);
    auto moveTo = [&](int x, int y, WPARAM keys) {
        POINT p{x, y};
        ClientToScreen(view_->view(), &p);
        SetCursorPos(p.x, p.y);
        s_redraws = 0;
        SendMessage(view_->view(), WM_MOUSEMOVE, keys, MAKELPARAM(x, y));
    };
    moveTo(client.right - 1, client.bottom - 1, 0);
    EXPECT_EQ(S().hPos, S().hMax);
    EXPECT_EQ(S().vPos, S().vMax);
    EXPECT_EQ(s_redraws, 1);
    moveTo(0, 0, 0);
    EXPECT_EQ(S().hPos, 0);
    EXPECT_EQ(S().vPos, 0);
    moveTo(0, 0, 0);
    EXPECT_EQ(s_redraws, 0);  // nothing moved, nothing drawn
    // Middle of the client: the middle of the range.
    moveTo(client.right / 2, client.bottom / 2, 0);
    EXPECT_NEAR(S().hPos, S().hMax / 2, 1);
    EXPECT_NEAR(S().vPos, S().vMax / 2, 1);
    // A held button, or the option off, stops it.
    moveTo(0, 0, MK_RBUTTON);
    EXPECT_NE(S().hPos, 0);
    g_settings.option[107] = 0;
    moveTo(0, 0, 0);
    EXPECT_NE(S().hPos, 0);
    int moved = 1;
    EXPECT_EQ(Mouse_HoverScroll(0, 1, &moved), 0);
    EXPECT_EQ(moved, 0);
}

std::vector<int> s_barAsks;

TEST_F(Mouse, EverySecondMoveAsksTheBars) {
    g_viewHooks.barsAtEdge = [](int askBoth) { s_barAsks.push_back(askBoth); };
    s_barAsks.clear();
    struct Move {
        int x;
        WPARAM keys;
    } moves[] = {
        {10, 0}, {11, 0},                     // asks both (the cursor moved)
        {12, 0}, {12, 0},                     // asks both
        {12, 0}, {12, 0},                     // resting: only a bar already shown
        {13, MK_SHIFT}, {14, 0},              // Shift held: likewise
        {15, MK_LBUTTON}, {16, 0},            // a button held: not asked
    };
    for (const auto &m : moves) {
        POINT p{m.x, 20};
        ClientToScreen(view_->view(), &p);
        SetCursorPos(p.x, p.y);
        SendMessage(view_->view(), WM_MOUSEMOVE, m.keys, MAKELPARAM(m.x, 20));
    }
    EXPECT_EQ(s_barAsks, (std::vector<int>{1, 1, 0, 0}));
}

TEST_F(Mouse, UnknownCommandsAreDropped) {
    MouseSettings s;
    Mouse_InitSettings(&s);
    Mouse_SetCommand(kMouseX1, kMouseClick, 44444, &s, kMouseX1);   // no such command
    Mouse_SetCommand(kMouseX1, kMouseClick, 45122, &s, kMouseR);    // above 32767: still known
    Mouse_SetCommand(kMouseX1, kMouseDoubleClick, 40062, &s, kMouseX1);
    Mouse_DropUnknownCommands(&s);
    EXPECT_EQ(Mouse_GetCommand(kMouseX1, kMouseClick, &s, kMouseX1), 0);
    EXPECT_EQ(Mouse_GetCommand(kMouseX1, kMouseClick, &s, kMouseR), 45122);
    EXPECT_EQ(Mouse_GetCommand(kMouseX1, kMouseDoubleClick, &s, kMouseX1), 40062);
    // The defaults are all known.
    EXPECT_EQ(Mouse_IsChanged(&s), 1);
    MouseSettings defaults;
    Mouse_InitSettings(&defaults);
    Mouse_DropUnknownCommands(&defaults);
    EXPECT_EQ(Mouse_IsChanged(&defaults), 0);
}

TEST_F(Mouse, AChordTakesTheHeldButtonsClick) {
    Show(kPictureW, kPictureH);
    g_settings.optInt[kIntWheelSpeed] = 20;
    Mouse_SetCommand(kMouseL, kMouseClick, 40086, &g_mouse, kMouseL);
    HWND frame = view_->frame();
    auto wheel = [&](int delta, WPARAM keys) {
        Frame_WndProc(frame, WM_MOUSEWHEEL, MAKEWPARAM(keys, WORD(int16_t(delta))), MAKELPARAM(60, 60));
    };
    // Left alone: its click.
    Send(WM_LBUTTONDOWN, MK_LBUTTON);
    Send(WM_LBUTTONUP, 0);
    EXPECT_EQ(Pump(), std::vector<UINT>{40086});

    // Wheel down with the left button held scrolls at once; the left click is gone.
    At(0, 0);
    Send(WM_LBUTTONDOWN, MK_LBUTTON);
    wheel(-120, MK_LBUTTON);
    EXPECT_EQ(S().vPos, 20);
    Send(WM_LBUTTONUP, 0);
    EXPECT_EQ(Pump(), std::vector<UINT>{});
    // The next plain click works again.
    Send(WM_LBUTTONDOWN, MK_LBUTTON);
    Send(WM_LBUTTONUP, 0);
    EXPECT_EQ(Pump(), std::vector<UINT>{40086});

    // Right held: the wheel scrolls sideways and the popup menu does not open.
    Send(WM_RBUTTONDOWN, MK_RBUTTON);
    wheel(-120, MK_RBUTTON);
    EXPECT_EQ(S().hPos, 20);
    Send(WM_RBUTTONUP, 0);
    EXPECT_EQ(Pump(), std::vector<UINT>{});
}

// Custom.dat in a user folder of its own.
class MouseChunkFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Open());
        ASSERT_EQ(Cfg_EnsureFolders(), 0);
        TCHAR folder[MAX_PATH];
        ASSERT_GT(Cfg_GetUserFolder(folder, MAX_PATH), 0);
        path_ = tstring(folder);
        if (path_.back() != TEXT('\\')) path_ += TEXT('\\');
        path_ += TEXT("Custom.dat");
        Mouse_InitSettings(&g_mouse);
    }
    void TearDown() override {
        Mouse_InitSettings(&g_mouse);
        Cfg_ResetForTests();
        Instance_Release();
        g_cmdLine = CommandLine{};
    }
    // A Custom.dat holding one "Mous" chunk of these data bytes.
    void WriteChunk(const std::vector<uint8_t> &data) {
        std::vector<uint8_t> file(size_t(Custom_ComposedSize(nullptr, 0, kMouseChunkTag, uint32_t(data.size()))));
        ASSERT_GT(Custom_Compose(nullptr, 0, kMouseChunkTag, data.data(), uint32_t(data.size()), file.data(),
                                 file.size()),
                  0u);
        ASSERT_TRUE(WriteFileBytes(path_, std::string(file.begin(), file.end())));
    }
    static bool SameTable(const MouseSettings &a, const MouseSettings &b) {
        return memcmp(a.command, b.command, sizeof a.command) == 0 &&
               memcmp(a.dragMode, b.dragMode, sizeof a.dragMode) == 0 &&
               memcmp(a.dragMk, b.dragMk, sizeof a.dragMk) == 0 && memcmp(a.dragVk, b.dragVk, sizeof a.dragVk) == 0;
    }
    TestUserFolder folder_{TEXT("mouse"), TEXT("mouse")};
    tstring path_;
};

TEST_F(MouseChunkFile, SaveAndLoadRoundTrip) {
    EXPECT_EQ(Mouse_LoadChunk(nullptr), 255);  // no file yet
    Mouse_SetCommand(kMouseX1, kMouseDoubleClick, 45069, &g_mouse, kMouseR);
    Mouse_SetCommand(kMouseM, kMouseWheelUp, 41082, &g_mouse, kMouseX2);
    Mouse_SetDragMode(kDragMoveWindow, &g_mouse, kMouseR);
    Mouse_SetDragMode(kDragSystemMove, &g_mouse, kMouseL);
    const MouseSettings saved = g_mouse;
    ASSERT_EQ(Mouse_SaveChunk(), 0);
    ASSERT_EQ(Mouse_SaveChunk(), 0);  // twice: still one chunk
    const std::string bytes = ReadFileBytes(path_);
    EXPECT_EQ(bytes.size(), kCustomHeaderSize + kCustomChunkOverhead + kMouseChunkSize);

    Mouse_InitSettings(&g_mouse);
    EXPECT_EQ(Mouse_IsChanged(&saved), 1);
    EXPECT_EQ(Mouse_LoadChunk(nullptr), 0);
    EXPECT_TRUE(SameTable(saved, g_mouse));
    EXPECT_EQ(Mouse_IsChanged(&saved), 0);
}

TEST_F(MouseChunkFile, ABadChunkLeavesTheDefaults) {
    MouseSettings other;
    Mouse_InitSettings(&other);
    Mouse_SetCommand(kMouseR, kMouseClick, 40001, &other, kMouseR);
    std::vector<uint8_t> whole(kMouseChunkSize);
    Mouse_EncodeChunk(&other, whole.data());
    struct Case {
        const char *what;
        size_t length;
        uint8_t firstByte;
        int want;
    } cases[] = {
        {"short", kMouseChunkSize - 32, 0, 1},
        {"long", kMouseChunkSize + 8, 0, 1},
        {"first word not 0", kMouseChunkSize, 1, 4},
    };
    const MouseSettings defaults = g_mouse;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> data(whole);
        data.resize(c.length, 0);
        data[0] = c.firstByte;
        WriteChunk(data);
        EXPECT_EQ(Mouse_LoadChunk(nullptr), c.want);
        EXPECT_TRUE(SameTable(defaults, g_mouse));
    }
    // A file without the chunk.
    WriteFileBytes(path_, std::string(reinterpret_cast<const char *>(kCustomSignature), kCustomHeaderSize));
    EXPECT_EQ(Mouse_LoadChunk(nullptr), 254);
    EXPECT_TRUE(SameTable(defaults, g_mouse));
}

}  // namespace
