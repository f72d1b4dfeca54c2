// The selection arithmetic: client pixels to picture pixels (with the
// one-pixel display that has nothing to divide by), start and size snapping,
// the drag-zoom step and its exact stop at 100 %, the auto-scroll step, and
// the dashed frame's edges and dash run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/qv_SelectionCore.h"

namespace {

TEST(SelectionCore, ClientToPictureMapsScrollsCentresAndScales) {
    struct Case {
        const char *what;
        int32_t client;
        SelAxis axis;
        int32_t want;
    } cases[] = {
        {"actual size adds the scroll position", 5, {10, 0, 100, 100, false}, 15},
        {"left of a centred picture is its first pixel", 5, {0, 20, 100, 100, false}, 0},
        {"past the picture is its last pixel", 500, {0, 0, 100, 100, false}, 99},
        {"half size scales by (W - 1) / (D - 1)", 50, {0, 0, 200, 100, true}, 101},
        {"double size rounds like MulDiv", 51, {0, 0, 50, 100, true}, 26},
        {"double size, first pixel", 1, {0, 0, 50, 100, true}, 1},
        {"shown one pixel wide: the last pixel, never -1", 0, {0, 0, 300, 1, true}, 299},
        {"shown one pixel wide, cursor past it", 7, {0, 0, 2, 1, true}, 1},
        {"nothing displayed", 3, {0, 0, 10, 0, true}, 9},
        {"one-pixel picture", 40, {0, 0, 1, 1, true}, 0},
        {"no picture", 40, {0, 0, 0, 0, true}, 0},
        {"a scroll position far out does not wrap", 2147483000, {2000, 0, 100, 100, false}, 99},
        {"a product beyond i32 takes the last pixel", 2147483000, {0, 0, 1000000, 999999, true}, 999999},
    };
    for (const Case &c : cases) EXPECT_EQ(SelCore_ClientToPicture(c.client, c.axis), c.want) << c.what;
}

TEST(SelectionCore, PictureToClientGivesPixelEdges) {
    const SelAxis doubled{4, 10, 50, 100, true};
    EXPECT_EQ(SelCore_PictureToClient(25, doubled), 50 - 4 + 10);
    EXPECT_EQ(SelCore_PictureToClient(50, doubled), 100 - 4 + 10);  // far side of the last pixel
    const SelAxis actual{7, 0, 50, 50, false};
    EXPECT_EQ(SelCore_PictureToClient(10, actual), 3);
}

TEST(SelectionCore, SnapStartRoundsDownToTheUnit) {
    EXPECT_EQ(SelCore_SnapStart(13, 8), 8);
    EXPECT_EQ(SelCore_SnapStart(16, 8), 16);
    EXPECT_EQ(SelCore_SnapStart(13, 1), 13);
    EXPECT_EQ(SelCore_SnapStart(13, 0), 13);
}

TEST(SelectionCore, ExtentSnapsToStartAndSizeUnits) {
    struct Case {
        const char *what;
        int32_t anchor, cursor, startUnit, sizeUnit, size;
        int32_t wantStart, wantEnd;
        bool valid;
    } cases[] = {
        {"size 8 rightward covers the cursor", 10, 12, 1, 8, 100, 10, 17, true},
        {"size 8 leftward covers the cursor", 10, 4, 1, 8, 100, 10, 3, true},
        {"size 8 on the anchor is one unit", 10, 10, 1, 8, 100, 10, 17, true},
        {"size 8 past one unit takes two", 10, 20, 1, 8, 100, 10, 25, true},
        {"size 8 leftward past one unit takes two", 20, 5, 1, 8, 100, 20, 5, true},
        {"free follows the cursor", 10, 4, 1, 1, 100, 10, 4, true},
        {"free on the anchor is one pixel", 10, 10, 1, 1, 100, 10, 10, true},
        {"a unit past the right edge is one unit less", 90, 99, 1, 8, 100, 90, 97, true},
        {"no whole unit left at the right edge", 95, 99, 1, 8, 100, 95, 95, false},
        {"a unit past the left edge is one unit less", 12, 1, 1, 8, 100, 12, 5, true},
        {"no whole unit left at the left edge", 5, 2, 1, 8, 100, 5, 5, false},
        {"start unit: back from the anchor keeps its cell", 16, 10, 8, 1, 100, 23, 10, true},
        {"start unit: forward starts at the anchor", 16, 20, 8, 1, 100, 16, 20, true},
        {"start unit: a cell past the picture", 96, 90, 8, 1, 100, 95, 90, true},
        {"start and size units together", 16, 3, 8, 8, 100, 23, 0, true},
    };
    for (const Case &c : cases) {
        int32_t start = -7, end = -7;
        const bool valid = SelCore_Extent(c.anchor, c.cursor, c.startUnit, c.sizeUnit, c.size, &start, &end);
        EXPECT_EQ(start, c.wantStart) << c.what;
        EXPECT_EQ(end, c.wantEnd) << c.what;
        EXPECT_EQ(valid, c.valid) << c.what;
    }
}

TEST(SelectionCore, SnappedExtentsAreWholeUnitsCoveringTheCursor) {
    // Every cursor position over a picture whose size is not a multiple of
    // the unit: a valid span is whole units, holds the cursor's pixel unless
    // the edge took a unit away, and never leaves the picture.
    const int32_t size = 45, s = 8;
    for (int32_t anchor = 0; anchor < size; ++anchor) {
        for (int32_t cursor = 0; cursor < size; ++cursor) {
            int32_t a = 0, b = 0;
            if (!SelCore_Extent(anchor, cursor, 1, s, size, &a, &b)) {
                EXPECT_EQ(a, b);
                continue;
            }
            const int32_t lo = a < b ? a : b, hi = a < b ? b : a;
            ASSERT_GE(lo, 0);
            ASSERT_LT(hi, size);
            EXPECT_EQ((hi - lo + 1) % s, 0) << anchor << " " << cursor;
            const bool edgeTookAUnit = hi + s >= size || lo - s < 0;
            EXPECT_TRUE(edgeTookAUnit || (cursor >= lo && cursor <= hi)) << anchor << " " << cursor;
        }
    }
}

TEST(SelectionCore, DragZoomStepsStopAtTheLimitsAndAtActualSize) {
    struct Case {
        const char *what;
        int32_t zoom, movement, divisor, want;
    } cases[] = {
        {"one pixel from 99.9 % stops at 100 %", 9990000, 1, 200, 10000000},
        {"one pixel from 100.1 % down stops at 100 %", 10010000, -1, 200, 10000000},
        {"one pixel from 100 % steps on", 10000000, 1, 200, 10050000},
        {"a fast drag passes 100 %", 9990000, 2, 200, 10090149},
        {"no movement", 12345678, 0, 200, 12345678},
        {"at 5000 % no step", 500000000, 1, 100, 500000000},
        {"towards 5000 % lands on it", 499000000, 1, 200, 500000000},
        {"at 1 % no step", 100000, -3, 400, 100000},
        {"towards 1 % lands on it", 100200, -1, 400, 100000},
        {"each pixel grows by zoom / d", 20000000, 2, 400, 20100125},
    };
    for (const Case &c : cases) EXPECT_EQ(SelCore_DragZoom(c.zoom, c.movement, c.divisor), c.want) << c.what;
}

TEST(SelectionCore, DragZoomDirectionAndSpeed) {
    const int32_t want[4] = {3, -3, -2, 2};  // rightward, leftward, downward, upward
    for (int d = 0; d < 4; ++d) EXPECT_EQ(SelCore_DragZoomMovement(3, -2, d), want[d]) << d;
    EXPECT_EQ(SelCore_DragZoomDivisor(0), 400);
    EXPECT_EQ(SelCore_DragZoomDivisor(1), 200);
    EXPECT_EQ(SelCore_DragZoomDivisor(2), 100);
}

TEST(SelectionCore, AutoScrollStepGrowsWithDistanceAndZoom) {
    struct Case {
        const char *what;
        int32_t cursor, extent;
        bool onMonitor;
        int32_t zoom, want;
    } cases[] = {
        {"inside", 150, 300, true, 10000000, 0},
        {"at the first pixel", 0, 300, true, 10000000, 0},
        {"on the last pixel", 299, 300, true, 10000000, 8},
        {"7 beyond", 306, 300, true, 10000000, 8},
        {"8 beyond", 307, 300, true, 10000000, 16},
        {"100 beyond is the most", 400, 300, true, 10000000, 32},
        {"before the start", -20, 300, true, 10000000, -24},
        {"on no monitor", 301, 300, false, 10000000, 32},
        {"on no monitor before the start", -1, 300, false, 10000000, -32},
        {"800 %: x zoom / 200 %", 400, 300, true, 80000000, 128},
        {"400 %: x zoom / 150 %", 400, 300, true, 40000000, 85},
        {"150 %: x zoom / 100 %", 400, 300, true, 15000000, 48},
        {"50 % is not slowed", 400, 300, true, 5000000, 32},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SelCore_AutoScrollStep(c.cursor, c.extent, c.onMonitor, c.zoom), c.want) << c.what;
}

// The frame drawn into a buffer over its own rectangle: '#' black, 'o'
// white, '-' untouched.
std::vector<std::string> Render(Rect r, int32_t t, int32_t dash) {
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    std::vector<uint8_t> px(size_t(w * h), 9);
    SelCore_RenderFrame(r, t, dash, r, px.data(), w);
    std::vector<std::string> rows;
    for (int32_t y = 0; y < h; ++y) {
        std::string row;
        for (int32_t x = 0; x < w; ++x) {
            const uint8_t v = px[size_t(y * w + x)];
            row += v == 0 ? '#' : (v == 1 ? 'o' : '-');
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(SelectionCore, FrameDashRunsClockwiseFromTheTopLeft) {
    struct Case {
        const char *what;
        Rect r;
        int32_t t, dash;
        std::vector<std::string> want;
    } cases[] = {
        {"thin line, dash 3",
         {0, 0, 10, 6},
         1,
         3,
         {"###ooo###o", "o--------o", "#--------o", "#--------#", "#--------#", "ooo###ooo#"}},
        {"line 2, dash 6, placed away from the origin",
         {30, 40, 37, 45},
         2,
         6,
         {"#######", "#####oo", "##---oo", "###oooo", "###oooo"}},
        {"no wider than the line: two vertical edges, the left one last",
         {0, 0, 2, 4},
         3,
         3,
         {"##", "##", "oo", "oo"}},
        {"no higher than the line: two horizontal edges, the bottom one last",
         {0, 0, 4, 1},
         2,
         3,
         {"##oo"}},
        {"a dash below 1 is solid black", {0, 0, 4, 3}, 1, 0, {"####", "#--#", "####"}},
        {"corners given the other way round", {10, 6, 0, 0}, 1, 3,
         {"###ooo###o", "o--------o", "#--------o", "#--------#", "#--------#", "ooo###ooo#"}},
    };
    for (const Case &c : cases) {
        Rect n = c.r;
        Math_NormalizeRect(&n);
        EXPECT_EQ(Render(n, c.t, c.dash), c.want) << c.what;
        if (!Rect_Equal(&n, &c.r)) {
            // The edges normalise the rectangle themselves.
            FrameEdge a[4], b[4];
            ASSERT_EQ(SelCore_FrameEdges(c.r, c.t, a), SelCore_FrameEdges(n, c.t, b)) << c.what;
            EXPECT_TRUE(Rect_Equal(&a[0].rect, &b[0].rect)) << c.what;
        }
    }
}

TEST(SelectionCore, FrameEdgesTileTheBorderWithoutOverlap) {
    for (int32_t t = 1; t <= 4; ++t) {
        for (int32_t w = 1; w <= 12; ++w) {
            for (int32_t h = 1; h <= 12; ++h) {
                FrameEdge e[4];
                const int n = SelCore_FrameEdges(Rect{0, 0, w, h}, t, e);
                std::vector<int> cover(size_t(w * h), 0);
                for (int i = 0; i < n; ++i)
                    for (int32_t y = e[i].rect.top; y < e[i].rect.bottom; ++y)
                        for (int32_t x = e[i].rect.left; x < e[i].rect.right; ++x) {
                            ASSERT_TRUE(x >= 0 && x < w && y >= 0 && y < h) << w << "x" << h << " t" << t;
                            ++cover[size_t(y * w + x)];
                        }
                const bool pinwheel = w >= 2 * t && h >= 2 * t;  // else edges overlap; the border is still covered
                for (int32_t y = 0; y < h; ++y)
                    for (int32_t x = 0; x < w; ++x) {
                        const bool border = x < t || y < t || x >= w - t || y >= h - t;
                        const int c = cover[size_t(y * w + x)];
                        if (pinwheel) {
                            EXPECT_EQ(c, border ? 1 : 0) << w << "x" << h << " t" << t << " at " << x << "," << y;
                        } else if (border) {
                            EXPECT_GE(c, 1) << w << "x" << h << " t" << t << " at " << x << "," << y;
                        }
                    }
            }
        }
    }
    FrameEdge e[4];
    EXPECT_EQ(SelCore_FrameEdges(Rect{5, 5, 5, 9}, 1, e), 0);  // empty: nothing
}

}  // namespace
