// Selection and the view's drags under Wine, on the real view window with
// messages sent as the system would: snapping selections (scrolled and
// zoomed too), clicks and one-line drags that select nothing, the dashed
// frame read back from a memory DC, the drag threshold, drag scroll with a
// boost, drag zoom's stop at 100 %, the auto-scroll step, the cross cursor
// of selection mode and the selection commands.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "image/qv_ImgData.h"
#include "image/qv_Scroll.h"
#include "image/qv_ScrollCommands.h"
#include "image/qv_Selection.h"
#include "image/qv_SelectionCommands.h"
#include "image/qv_View.h"
#include "image/qv_ViewMouse.h"
#include "image/qv_ViewPaint.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_MenuProc.h"
#include "other/qv_MenuState.h"
#include "other/qv_Mouse.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"
#include "other/qv_WndUtil.h"
#include "support/real_dibcore.h"
#include "support/view_fixture.h"

namespace {

constexpr int32_t kClientW = 200, kClientH = 150;
constexpr COLORREF kRed = RGB(255, 0, 0), kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255);

std::set<int> s_keysDown;
int s_pointerTexts = 0;
bool FakeKeyDown(int vk) { return s_keysDown.count(vk) != 0; }

class Selection : public ::testing::Test {
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
        Selection_InstallHooks();
        g_viewState.lineWidth = 1;
        g_viewPaint.centre = 0;
        s_keysDown.clear();
        realKeyDown_ = g_viewMouseKeyDown;
        g_viewMouseKeyDown = FakeKeyDown;
        s_pointerTexts = 0;
        g_viewHooks.pointerStatus = [] { ++s_pointerTexts; };
        const int32_t line = 10;
        Scroll_SetSteps(&g_viewRecord.scroll, kScrollBoth, &line, nullptr);
    }
    void TearDown() override {
        g_viewMouseKeyDown = realKeyDown_;
        Sel_SetMode(0);
        delete view_;
        g_viewHooks = ViewHooks{};
        g_menuStateHooks = MenuStateHooks{};
        g_imgDataHooks = ImgDataHooks{};
        Timer_Kill(&g_timers[1]);
        Mouse_InitSettings(&g_mouse);
        ClearImgData();
        Settings_InitBoth(61);
    }
    // A still picture w x h shown at shownW x shownH (drawn scaled when they differ).
    void Show(int32_t w, int32_t h, int32_t shownW = 0, int32_t shownH = 0) {
        DibHolder_Free(g_imgData.image);
        ASSERT_TRUE(MakePicture(g_imgData.image, w, h, 1));
        g_imgData.state = kImgStill;
        const bool scaled = shownW > 0 && (shownW != w || shownH != h);
        g_imgData.zoomMode = scaled ? kZoomFixed | kZoomDrawnScaled : kZoomActual;
        g_imgData.zoom = scaled ? int32_t(int64_t(kZoomOne) * shownW / w) : kZoomOne;
        g_imgData.viewWidth = scaled ? shownW : w;
        g_imgData.viewHeight = scaled ? shownH : h;
        ImgData_UpdateScroll();
    }
    static ScrollState &S() { return g_viewRecord.scroll; }
    static void At(int32_t h, int32_t v) { ViewFixture::ScrollTo(h, v); }
    static LRESULT Command(HWND frame, UINT id) { return ViewFixture::Command(frame, id); }
    static std::vector<UINT> Pump() { return ViewFixture::Pump(); }
    void Send(UINT message, WPARAM keys, POINT p, WORD xButton = 0) {
        SendMessage(view_->view(), message, MAKEWPARAM(keys, xButton), MAKELPARAM(p.x, p.y));
    }
    // A left-button drag: press, moves through the points, release at the last.
    void LeftDrag(POINT press, std::initializer_list<POINT> moves) {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, press);
        POINT last = press;
        for (POINT p : moves) {
            Send(WM_MOUSEMOVE, MK_LBUTTON, p);
            last = p;
        }
        Send(WM_LBUTTONUP, 0, last);
    }
    static void SelectionModeOn() {
        if (g_viewState.selectMode == 0) Sel_ApplyCursorMode();
        ASSERT_EQ(g_viewState.selectMode, 1);
    }
    static void Grid(int32_t startUnit, int32_t sizeUnit) {
        g_settings.selGridStart[0] = g_settings.selGridStart[1] = startUnit;
        g_settings.selGridSize[0] = g_settings.selGridSize[1] = sizeUnit;
        Opt_SetSelGrid(0);
    }
    static RECT Selected() {
        RECT r{-1, -1, -1, -1};
        Sel_GetRect(&r, 0);
        return r;
    }
    // Places the cursor at a client point of the view; false when the
    // display does not let it move.
    bool CursorAt(POINT client) {
        POINT screen = client, now{};
        ClientToScreen(view_->view(), &screen);
        return SetCursorPos(screen.x, screen.y) && GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
    }
    RealDibcore lib_;
    ViewFixture *view_ = nullptr;
    bool (*realKeyDown_)(int) = nullptr;
};

::testing::AssertionResult SameRect(const RECT &got, const RECT &want) {
    if (EqualRect(&got, &want)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got {" << got.left << "," << got.top << "," << got.right << ","
                                         << got.bottom << "} want {" << want.left << "," << want.top << ","
                                         << want.right << "," << want.bottom << "}";
}

TEST_F(Selection, DragSelectsSnappedToTheGrid) {
    struct Case {
        const char *what;
        int32_t startUnit, sizeUnit;
        int32_t shownW;  // 0: actual size
        int32_t scrollX, scrollY;
        POINT press, release;
        RECT want;
    } cases[] = {
        {"size 8 rightward from 10", 1, 8, 0, 0, 0, {10, 10}, {12, 13}, {10, 10, 18, 18}},
        {"size 8 leftward from 10", 1, 8, 0, 0, 0, {10, 10}, {4, 3}, {3, 3, 11, 11}},
        {"free", 1, 1, 0, 0, 0, {10, 10}, {40, 25}, {10, 10, 41, 26}},
        {"start snapped to 8", 8, 1, 0, 0, 0, {13, 13}, {30, 20}, {8, 8, 31, 21}},
        {"scrolled view", 1, 1, 0, 100, 50, {10, 10}, {40, 25}, {110, 60, 141, 76}},
        {"double size halves the client points", 1, 1, 800, 0, 0, {20, 20}, {60, 40}, {10, 10, 31, 21}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Show(400, 300, c.shownW, c.shownW ? 600 : 0);
        At(c.scrollX, c.scrollY);
        Grid(c.startUnit, c.sizeUnit);
        SelectionModeOn();
        LeftDrag(c.press, {POINT{c.press.x + 1, c.press.y + 1}, c.release});
        EXPECT_TRUE(SameRect(Selected(), c.want));
        EXPECT_EQ(Sel_HasSelection(), 1);
        EXPECT_GT(s_pointerTexts, 0);  // the status bar follows the selection
        s_pointerTexts = 0;
        Pump();
    }
}

TEST_F(Selection, ADragThatOutlivesItsPictureStaysOnTheNextOne) {
    Show(400, 300);
    Grid(1, 1);
    SelectionModeOn();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, POINT{200, 150});
    Send(WM_MOUSEMOVE, MK_LBUTTON, POINT{210, 160});
    // The next picture, smaller than where the drag began, comes mid-drag.
    Show(40, 30);
    Send(WM_MOUSEMOVE, MK_LBUTTON, POINT{10, 5});
    Send(WM_LBUTTONUP, 0, POINT{10, 5});
    const RECT r = Selected();
    EXPECT_TRUE(SameRect(r, RECT{10, 5, 40, 30})) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    Pump();
}

TEST_F(Selection, ClicksAndOneLineDragsSelectNothing) {
    struct Case {
        const char *what;
        int32_t shownW;
        POINT press, release;
        bool selected;
    } cases[] = {
        {"press and release in place", 0, {50, 50}, {50, 50}, false},
        {"a drag along one row", 0, {50, 50}, {90, 50}, false},
        {"a drag along one column", 0, {50, 50}, {50, 90}, false},
        {"one pixel at 400 % is kept", 1600, {40, 40}, {41, 41}, true},
        {"one pixel at 150 % is dropped", 600, {31, 31}, {32, 32}, false},
        {"two pixels square at 100 % are kept", 0, {50, 50}, {51, 51}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Show(400, 300, c.shownW, c.shownW * 3 / 4);
        SelectionModeOn();
        const RECT old{1, 1, 5, 5};
        Sel_SetRect(&old);  // a new press drops the old selection
        ASSERT_EQ(Sel_HasSelection(), 1);
        LeftDrag(c.press, {c.release});
        EXPECT_EQ(Sel_HasSelection(), c.selected ? 1 : 0);
        Pump();
    }
}

// The colour the dash run gives the frame pixel at (x, y) of a one-pixel
// frame around r: the run starts black at the top-left corner and goes
// clockwise, dashes of `dash` pixels.
COLORREF RunColour(const RECT &r, int32_t x, int32_t y, int32_t dash) {
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    int32_t p;
    if (y == r.top && x < r.right - 1) p = x - r.left;
    else if (x == r.right - 1 && y < r.bottom - 1) p = (w - 1) + (y - r.top);
    else if (y == r.bottom - 1 && x > r.left) p = (w - 1) + (h - 1) + (r.right - 1 - x);
    else p = 2 * (w - 1) + (h - 1) + (r.bottom - 1 - y);
    return (p / dash) % 2 == 0 ? kBlack : kWhite;
}

TEST_F(Selection, FrameIsDrawnDashedAroundTheSelection) {
    Show(400, 300);
    SelectionModeOn();
    const RECT inclusive{10, 20, 29, 30};
    Sel_SetRect(&inclusive);
    const RECT frame{10, 20, 30, 31};  // client pixels, far side of the last pixel
    PaintSurface surface(kClientW, kClientH);
    surface.Fill(kRed);
    Sel_DrawFrame(surface.dc);
    for (int32_t y = frame.top - 1; y <= frame.bottom; ++y)
        for (int32_t x = frame.left - 1; x <= frame.right; ++x) {
            const bool border = (x == frame.left || x == frame.right - 1 || y == frame.top || y == frame.bottom - 1) &&
                                x >= frame.left && x < frame.right && y >= frame.top && y < frame.bottom;
            const COLORREF want = border ? RunColour(frame, x, y, 3) : kRed;
            ASSERT_EQ(surface.At(x, y), want) << x << "," << y;
        }

    // Twice the line width: two lines that repeat the run, dashes of six.
    g_viewState.lineWidth = 2;
    surface.Fill(kRed);
    Sel_DrawFrame(surface.dc);
    for (int32_t x = frame.left; x < frame.right - 2; ++x) {
        const COLORREF want = ((x - frame.left) / 6) % 2 == 0 ? kBlack : kWhite;
        EXPECT_EQ(surface.At(x, frame.top), want) << x;
        EXPECT_EQ(surface.At(x, frame.top + 1), want) << x;
    }
    EXPECT_EQ(surface.At(frame.left + 2, frame.top + 2), kRed);

    // Nothing without a selection, while the layout is locked, or over an
    // animation.
    struct Off {
        const char *what;
        void (*set)();
        void (*undo)();
    } offs[] = {
        {"layout locked", [] { View_LockLayout(); }, [] { View_UnlockLayout(); }},
        {"animation", [] { g_imgData.state |= kImgAnimation; }, [] { g_imgData.state &= ~uint32_t(kImgAnimation); }},
        {"no selection", [] { Sel_Clear(); }, [] {}},
    };
    for (const Off &o : offs) {
        o.set();
        surface.Fill(kRed);
        Sel_DrawFrame(surface.dc);
        EXPECT_EQ(surface.At(frame.left, frame.top), kRed) << o.what;
        o.undo();
    }
}

TEST_F(Selection, DragScrollWaitsForTheMarginOnlyBeforeAClick) {
    struct Case {
        const char *what;
        int32_t margin;
        uint16_t click;
        int32_t dx;
        bool moves;
    } cases[] = {
        {"within the margin of a click", 5, 40062, 3, false},
        {"past the margin of a click", 5, 40062, 6, true},
        {"margin 0 starts at once", 0, 40062, 1, true},
        {"no click command: nothing to wait for", 5, 0, 1, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Show(400, 300);
        At(50, 40);
        g_settings.option[79] = 1;
        Opt_SetDragMargin(c.margin);
        Mouse_SetCommand(kMouseL, kMouseClick, c.click, &g_mouse, kMouseL);
        LeftDrag(POINT{100, 80}, {POINT{100 - c.dx, 80}});
        EXPECT_EQ(S().hPos, c.moves ? 50 + c.dx : 50);
        EXPECT_EQ(S().vPos, 40);
        EXPECT_EQ(GetCapture(), nullptr);  // released with the button
        // A press that became a drag is no click.
        const std::vector<UINT> none, click{40062};
        EXPECT_EQ(Pump(), c.click != 0 && !c.moves ? click : none);
    }
}

TEST_F(Selection, DragScrollMovesThePictureBoostTimesTheMouse) {
    Show(400, 300);
    At(50, 40);
    g_settings.option[79] = 3;
    Opt_SetDragMargin(0);
    // Mouse left and up by (10, 5): the picture follows the mouse, so the
    // scroll position goes the other way, three times as far.
    LeftDrag(POINT{100, 80}, {POINT{95, 78}, POINT{90, 75}});
    EXPECT_EQ(S().hPos, 80);
    EXPECT_EQ(S().vPos, 55);
    LeftDrag(POINT{100, 80}, {POINT{104, 80}});
    EXPECT_EQ(S().hPos, 68);
    EXPECT_EQ(Sel_HasSelection(), 0);  // not selection mode: no selection
}

TEST_F(Selection, DragZoomStopsAtActualSizeOnASlowDrag) {
    struct Case {
        const char *what;
        int direction;
        int32_t dx, dy;
        int32_t zoom, want;
    } cases[] = {
        {"one pixel right from 99.9 % stops at 100 %", 0, 1, 0, 9990000, kZoomOne},
        {"a fast drag passes it", 0, 3, 0, 9990000, 10140599},
        {"leftward direction: moving left zooms in", 1, -1, 0, 9990000, kZoomOne},
        {"downward direction ignores a sideways move", 2, 5, 0, 9990000, 9990000},
        {"upward direction: moving down zooms out", 3, 0, 1, 20000000, 19900000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Show(400, 300, 399, 299);
        g_imgData.zoom = c.zoom;
        g_settings.option[89] = 1;  // zoom / 200 per pixel
        g_settings.option[90] = uint8_t(c.direction);
        Send(WM_XBUTTONDOWN, MK_XBUTTON1, POINT{50, 50}, XBUTTON1);
        Send(WM_MOUSEMOVE, MK_XBUTTON1, POINT{50 + c.dx, 50 + c.dy});
        EXPECT_EQ(g_imgData.zoom, c.want);
        if (c.want == kZoomOne) {
            EXPECT_EQ(g_imgData.zoomMode & ~uint32_t(kZoomKeep), uint32_t(kZoomActual));
        }
        Send(WM_XBUTTONUP, 0, POINT{50 + c.dx, 50 + c.dy}, XBUTTON1);
        EXPECT_FALSE(g_viewHooks.dragZoomActive());
        Pump();
    }
}

TEST_F(Selection, AutoScrollStepsBelowTheViewGrowWithTheZoom) {
    struct Case {
        const char *what;
        int32_t w, h, shownW, shownH;
        int32_t want;
    } cases[] = {
        {"100 pixels below at 100 %", 400, 300, 0, 0, 32},
        {"100 pixels below at 800 %", 50, 38, 400, 304, 128},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Show(c.w, c.h, c.shownW, c.shownH);
        At(0, 0);
        SelectionModeOn();
        s_keysDown = {VK_LBUTTON};
        Send(WM_LBUTTONDOWN, MK_LBUTTON, POINT{100, 60});
        ASSERT_EQ(g_timers[1].set, 1);  // selection mode starts the timer
        RECT client;
        GetClientRect(view_->view(), &client);
        POINT below{100, client.bottom + 99};
        POINT screen = below;
        ClientToScreen(view_->view(), &screen);
        POINT now{};
        if (!SetCursorPos(screen.x, screen.y) || !GetCursorPos(&now) || now.x != screen.x || now.y != screen.y) {
            GTEST_SKIP() << "the cursor cannot be placed on this display";
        }
        ViewMouse_AutoScrollTick(view_->view());
        EXPECT_EQ(S().vPos, c.want);
        EXPECT_EQ(S().hPos, 0);
        // The selection's end followed the cursor in picture pixels.
        const POINT end = View_ClientToImage(below);
        EXPECT_EQ(Selected().bottom, end.y + 1);
        // The button is up: the timer stops and nothing moves.
        s_keysDown.clear();
        ViewMouse_AutoScrollTick(view_->view());
        EXPECT_EQ(g_timers[1].set, 0);
        EXPECT_EQ(S().vPos, c.want);
        Send(WM_LBUTTONUP, 0, below);
        Pump();
    }
}

TEST_F(Selection, SelectionEndFollowsAKeyboardScroll) {
    Show(400, 300);
    At(0, 0);
    SelectionModeOn();
    s_keysDown = {VK_LBUTTON};
    Send(WM_LBUTTONDOWN, MK_LBUTTON, POINT{20, 30});
    if (!CursorAt(POINT{120, 70})) {
        GTEST_SKIP() << "the cursor cannot be placed on this display";
    }
    Send(WM_MOUSEMOVE, MK_LBUTTON, POINT{120, 70});
    EXPECT_TRUE(SameRect(Selected(), RECT{20, 30, 121, 71}));
    // A scroll command moves the picture under the resting cursor.
    At(50, 40);
    ASSERT_NE(g_scrollCommandHooks.afterMove, nullptr);
    g_scrollCommandHooks.afterMove();
    EXPECT_TRUE(SameRect(Selected(), RECT{20, 30, 171, 111}));
    // Without the button the selection stays where it is.
    s_keysDown.clear();
    Send(WM_LBUTTONUP, 0, POINT{120, 70});
    At(0, 0);
    g_scrollCommandHooks.afterMove();
    EXPECT_TRUE(SameRect(Selected(), RECT{20, 30, 171, 111}));
}

TEST_F(Selection, SelectionModeSwapsTheClassCursorAndEndsInFullScreen) {
    Show(400, 300);
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW), cross = LoadCursor(nullptr, IDC_CROSS);
    auto classCursor = [&] { return reinterpret_cast<HCURSOR>(GetClassLongPtr(view_->view(), GCLP_HCURSOR)); };
    ASSERT_EQ(classCursor(), arrow);
    EXPECT_EQ(Command(view_->frame(), kCmdSelectionMode), 0);
    EXPECT_EQ(g_viewState.selectMode, 1);
    EXPECT_EQ(classCursor(), cross);
    EXPECT_TRUE(g_menuStateHooks.selectionMode());
    // Twice on remembers the first cursor only.
    Sel_SetMode(1);
    const RECT r{1, 1, 9, 9};
    Sel_SetRect(&r);
    EXPECT_TRUE(g_menuStateHooks.hasSelection());
    EXPECT_EQ(Command(view_->frame(), kCmdSelectionMode), 0);
    EXPECT_EQ(g_viewState.selectMode, 0);
    EXPECT_EQ(classCursor(), arrow);
    EXPECT_EQ(Sel_HasSelection(), 0);  // leaving the mode drops the selection

    g_settings.option[kOptFullScreen] = 1;
    EXPECT_EQ(Sel_ApplyCursorMode(), 1);  // off stays off in full screen
    EXPECT_EQ(g_viewState.selectMode, 0);
    g_settings.option[kOptFullScreen] = 0;
    Sel_ApplyCursorMode();
    g_settings.option[kOptFullScreen] = 1;
    Sel_ApplyCursorMode();
    EXPECT_EQ(g_viewState.selectMode, 0);  // entering full screen ends the mode
    EXPECT_EQ(classCursor(), arrow);
    g_viewState.selectMode = 2;
    EXPECT_EQ(Sel_ApplyCursorMode(), 0);
    g_viewState.selectMode = 0;
    // The other Edit commands are not this module's.
    EXPECT_EQ(SelectionCommands_OnEdit(view_->frame(), 40021), 1);
}

TEST_F(Selection, GridCommandsSetTheStepsAndTurnSelectionModeOn) {
    struct Case {
        UINT id;
        int32_t grid;
    } cases[] = {{40401, 1}, {40402, 2}, {40403, 4}, {40404, 8}, {40405, 16}, {40406, 32}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        Sel_SetMode(0);
        Pump();
        EXPECT_EQ(Command(view_->frame(), c.id), 0);
        EXPECT_EQ(g_settings.option[83], c.grid);
        EXPECT_EQ(g_viewState.startUnitX, c.grid);
        EXPECT_EQ(g_viewState.sizeUnitY, c.grid);
        EXPECT_EQ(Pump(), std::vector<UINT>{kCmdSelectionMode});
    }
    // Already selecting: nothing is posted.
    Sel_SetMode(1);
    EXPECT_EQ(Command(view_->frame(), 40402), 0);
    EXPECT_TRUE(Pump().empty());
    // The custom size waits for its dialog: taken, nothing changes.
    EXPECT_EQ(Command(view_->frame(), 40407), 0);
    EXPECT_EQ(g_settings.option[83], 2);
    EXPECT_EQ(Command(view_->frame(), 40408), 1);
}

TEST_F(Selection, RectanglesAreCutToThePicture) {
    Show(400, 300);
    struct Case {
        const char *what;
        RECT inclusive;
        RECT want;
    } cases[] = {
        {"inside", {10, 20, 30, 40}, {10, 20, 31, 41}},
        {"corners the other way round", {30, 40, 10, 20}, {10, 20, 31, 41}},
        {"beyond every side", {-5, -9, 500, 400}, {0, 0, 400, 300}},
    };
    for (const Case &c : cases) {
        Sel_SetRect(&c.inclusive);
        EXPECT_TRUE(SameRect(Selected(), c.want)) << c.what;
    }
    Sel_SetRect(nullptr);
    EXPECT_EQ(Sel_HasSelection(), 0);
    RECT r{};
    EXPECT_EQ(Sel_GetRect(&r, 1), 1);
    EXPECT_TRUE(SameRect(r, RECT{0, 0, 400, 300}));
    EXPECT_EQ(Sel_GetRect(&r, 0), 0);
    // Closing the picture drops the selection.
    Sel_SetRect(&cases[0].inclusive);
    ASSERT_NE(g_imgDataHooks.closed, nullptr);
    g_imgDataHooks.closed();
    EXPECT_EQ(Sel_HasSelection(), 0);
    ClearImgData();
    Sel_SetRect(&cases[0].inclusive);
    EXPECT_EQ(Sel_HasSelection(), 0);  // no picture: nothing to select
}

TEST_F(Selection, ClientPointsMapToPicturePixels) {
    struct Case {
        const char *what;
        int32_t w, h, shownW, shownH;
        POINT client, want;
    } cases[] = {
        {"actual size", 400, 300, 0, 0, {15, 25}, {15, 25}},
        {"half size", 400, 300, 200, 150, {50, 30}, {100, 60}},
        {"shown one pixel: the last pixel, never -1", 300, 200, 1, 1, {0, 0}, {299, 199}},
        {"past a one-pixel picture", 300, 200, 1, 1, {120, 90}, {299, 199}},
    };
    for (const Case &c : cases) {
        Show(c.w, c.h, c.shownW, c.shownH);
        const POINT p = View_ClientToImage(c.client);
        EXPECT_EQ(p.x, c.want.x) << c.what;
        EXPECT_EQ(p.y, c.want.y) << c.what;
    }
}

}  // namespace
