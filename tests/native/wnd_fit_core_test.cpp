// Placing the frame around a picture inside the work area: centring each
// axis, keeping a window inside, minimum widths, and the scroll-bar room a
// cut brings.
#include <gtest/gtest.h>

#include "image/qv_WndFitCore.h"

namespace {

bool Same(const Rect &a, const Rect &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Text(const Rect &r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

TEST(WndFitCentreSpan, OneAxis) {
    struct Case {
        const char *what;
        int32_t oldStart, oldEnd, newStart, size;
        int32_t wantStart, wantSize;
    };
    // Work area 100..1100 (1000 wide, centre 600).
    const Case cases[] = {
        {"grows around its old centre", 200, 400, 200, 300, 150, 300},
        {"shrinks around its old centre", 200, 400, 200, 100, 250, 100},
        {"odd difference", 200, 400, 200, 301, 150, 301},
        {"was centred: centred in the work area", 500, 700, 500, 400, 400, 400},
        {"centre 2 px off still counts as centred", 502, 702, 502, 400, 400, 400},
        {"centre 3 px off keeps its own centre", 503, 703, 503, 400, 403, 400},
        {"same size keeps the passed start", 200, 400, 50, 200, 50, 200},
        {"same size is not clamped", 900, 1100, 1000, 200, 1000, 200},
        {"as large as the work area: its edge and size", 200, 400, 200, 1000, 100, 1000},
        {"larger: cut to the work area", 200, 400, 333, 1500, 100, 1000},
        {"growing past the right edge moves left", 800, 1100, 800, 500, 600, 500},
        {"growing past the left edge moves right", 100, 200, 100, 400, 100, 400},
    };
    for (const Case &c : cases) {
        int32_t size = c.size;
        EXPECT_EQ(WndFit_CentreSpan(100, 1100, c.oldStart, c.oldEnd, c.newStart, &size), c.wantStart) << c.what;
        EXPECT_EQ(size, c.wantSize) << c.what;
    }
}

TEST(WndFitPlaceRect, BothAxesOrAsGiven) {
    const Rect work{0, 0, 1600, 900};
    struct Case {
        const char *what;
        Rect oldRect, newRect;
        bool centre;
        Rect want;
    };
    const Case cases[] = {
        {"no centring: as given", {10, 10, 210, 110}, {10, 10, 410, 310}, false, {10, 10, 410, 310}},
        {"keeps its centre", {100, 100, 300, 300}, {100, 100, 500, 500}, true, {0, 0, 400, 400}},
        {"centred window stays centred", {700, 400, 900, 500}, {700, 400, 1100, 700}, true, {600, 300, 1000, 600}},
        {"only the width changes", {100, 100, 300, 300}, {100, 120, 200, 320}, true, {150, 120, 250, 320}},
        {"taller than the work area", {100, 100, 300, 300}, {100, 100, 300, 1300}, true, {100, 0, 300, 900}},
    };
    for (const Case &c : cases) {
        const Rect got = WndFit_PlaceRect(work, c.oldRect, c.newRect, c.centre);
        EXPECT_TRUE(Same(got, c.want)) << c.what << ": " << Text(got);
    }
}

TEST(WndFitMinWidth, LargestOfTheOptions) {
    struct Case {
        int32_t menuFigure;
        bool menuBar;
        int32_t toolbar;
        bool fitToToolbar;
        int32_t minTrack;
        int32_t want;
    };
    const Case cases[] = {
        {300, false, 500, false, 112, 112},  // only the tracking minimum
        {300, true, 500, false, 112, 316},   // 16 non-client + menu bar
        {300, true, 500, true, 112, 516},    // the tool bar is wider
        {0, true, 0, true, 112, 112},        // no tool bar built: its width is 0
    };
    for (const Case &c : cases)
        EXPECT_EQ(WndFit_MinWidth(16, c.menuFigure, c.menuBar, c.toolbar, c.fitToToolbar, c.minTrack), c.want);
}

TEST(WndFitWindowAround, SizedAndKeptInside) {
    struct Case {
        const char *what;
        int32_t left, top, w, h, minWidth;
        Rect want;
    };
    // Work area 0,0 - 1280,1000; non-client 16 x 60; bars 17 wide / high.
    const Case cases[] = {
        {"around the picture, position kept", 100, 50, 640, 480, 0, {100, 50, 756, 590}},
        {"at least the minimum width", 100, 50, 40, 40, 300, {100, 50, 400, 150}},
        {"at the right edge: shifted left", 1000, 50, 640, 480, 0, {624, 50, 1280, 590}},
        {"left of the work area: moved in", -50, -20, 640, 480, 0, {0, 0, 656, 540}},
        {"too wide: cut, height gains the bar", 300, 50, 2000, 300, 0, {0, 50, 1280, 427}},
        {"too tall: cut, width gains the bar", 100, 300, 500, 1500, 0, {100, 0, 633, 1000}},
        {"too large both ways", 100, 300, 3000, 3000, 0, {0, 0, 1280, 1000}},
    };
    for (const Case &c : cases) {
        WndFitSizing s{};
        s.work = Rect{0, 0, 1280, 1000};
        s.left = c.left;
        s.top = c.top;
        s.contentWidth = c.w;
        s.contentHeight = c.h;
        s.extraWidth = 16;
        s.extraHeight = 60;
        s.minWidth = c.minWidth;
        s.vBarWidth = 17;
        s.hBarHeight = 17;
        const Rect got = WndFit_WindowAround(s);
        EXPECT_TRUE(Same(got, c.want)) << c.what << ": " << Text(got);
    }
}

}  // namespace
