// Window, cursor and dialog arithmetic.
#include <gtest/gtest.h>

#include "other/qv_UiMath.h"

namespace {

TEST(ScreenFacts, DpiFactorAndDefaultSize) {
    struct Case {
        int32_t dpi, percent, factor;
    } cases[] = {{96, 100, 1}, {120, 125, 1}, {144, 150, 1}, {192, 200, 2}, {288, 300, 3}, {0, 100, 1}, {97, 102, 1}};
    for (const auto &k : cases) {
        int32_t percent = 0;
        EXPECT_EQ(UiMath_DpiPercent(k.dpi, &percent), k.factor) << k.dpi;
        EXPECT_EQ(percent, k.percent) << k.dpi;
    }
    struct SizeCase {
        const char16_t *text;
        int32_t dpi, w, h;
    } sizes[] = {
        {u"480|360", 96, 480, 360},  {u"480|360", 192, 960, 720}, {u"0|360", 96, 480, 360},
        {u"40000|10", 96, 480, 10},  {u"x", 96, 480, 360},        {u"30000|30000", 192, 32767, 32767},
    };
    for (const auto &k : sizes) {
        int32_t w = 0, h = 0;
        UiMath_DefaultSize(k.text, k.dpi, k.dpi, &w, &h);
        EXPECT_EQ(w, k.w);
        EXPECT_EQ(h, k.h);
    }
}

TEST(WorkArea, PickPlaceAndSpanMonitors) {
    const Rect monitors[] = {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}};
    struct Case {
        Rect rect;
        int monitor;
        size_t touched;
        Rect placed;  // inside the picked monitor's area
    } cases[] = {
        {{100, 100, 500, 400}, 0, 1, {100, 100, 500, 400}},
        {{1800, 50, 2400, 450}, 1, 2, {1920, 50, 2520, 450}},   // spans two: the larger share wins
        {{-300, -50, 100, 250}, 0, 1, {0, 0, 400, 300}},        // partly off screen
        {{-50, 10, 2050, 1300}, 0, 2, {0, 0, 1920, 1080}},      // larger than the area: cut
        {{5000, 5000, 5100, 5100}, 1, 0, {3100, 924, 3200, 1024}},  // on no monitor: nearest
    };
    for (const auto &k : cases) {
        const int m = UiMath_PickMonitor(k.rect, monitors, 2);
        EXPECT_EQ(m, k.monitor);
        EXPECT_EQ(UiMath_CountTouched(k.rect, monitors, 2), k.touched);
        Rect r = k.rect;
        UiMath_PlaceInWorkArea(&r, monitors[m], nullptr);
        EXPECT_TRUE(Rect_Equal(&r, &k.placed)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
    EXPECT_EQ(UiMath_PickMonitor(monitors[0], monitors, 0), -1);
    Rect r{0, 0, 200, 100};
    const Rect owner{100, 100, 500, 300};
    UiMath_PlaceInWorkArea(&r, monitors[0], &owner);
    const Rect centred{200, 150, 400, 250};
    EXPECT_TRUE(Rect_Equal(&r, &centred));
}

TEST(View, ScrollBarDecisionAndAutoScrollStep) {
    struct Case {
        int32_t cw, ch, pw, ph;
        bool h, v;
    } cases[] = {
        {800, 1200, 1000, 1000, true, false},   // the bar's height still leaves room
        {800, 1010, 1000, 1000, true, true},    // the horizontal bar makes a vertical one needed
        {1010, 800, 1000, 1000, true, true},    // and the other way round
        {1000, 1000, 1000, 1000, false, false},
        {0, 500, 10, 10, false, false},
    };
    for (const auto &k : cases) {
        const ScrollBarNeed n = UiMath_ScrollBarsNeeded(k.cw, k.ch, k.pw, k.ph, 17, 17);
        EXPECT_EQ(n.horizontal, k.h) << k.cw << "x" << k.ch;
        EXPECT_EQ(n.vertical, k.v) << k.cw << "x" << k.ch;
    }
    struct Step {
        int32_t beyond;
        bool onMonitor;
        int32_t zoom, want;
    } steps[] = {
        {100, true, 10000000, 32}, {100, true, 80000000, 128}, {3, true, 10000000, 8},   {9, true, 10000000, 16},
        {-100, true, 10000000, -32}, {5, false, 10000000, 32}, {100, true, 50000000, 106}, {8, true, 20000000, 32},
    };
    for (const auto &k : steps) EXPECT_EQ(UiMath_AutoScrollStep(k.beyond, k.onMonitor, k.zoom), k.want) << k.beyond;
}

TEST(Cursor, ReasonsAreBitsAndShowReasonsWin) {
    CursorReasons c;
    EXPECT_EQ(CursorReasons_SetHide(&c, 3, true), 0);
    EXPECT_EQ(CursorReasons_SetHide(&c, 3, true), 0);   // a bit, not a count
    EXPECT_EQ(CursorReasons_SetHide(&c, 3, false), 1);
    EXPECT_EQ(CursorReasons_SetHide(&c, 1, true), 0);
    EXPECT_EQ(CursorReasons_SetShow(&c, 5, true), 1);   // the wait cursor shows it
    EXPECT_EQ(CursorReasons_SetShow(&c, 5, false), 0);  // hidden again: a hide reason remains
    EXPECT_EQ(CursorReasons_SetHide(&c, 32, true), -1);
    EXPECT_EQ(CursorReasons_SetShow(&c, 40, true), -1);
}

TEST(Dialogs, LayoutDirectivesSlidersAndAnchorPicker) {
    LayoutDirective d;
    ASSERT_TRUE(UiMath_ParseLayoutDirective(u"1=2(1010)", &d));
    EXPECT_EQ(d.reference, 2131);
    ASSERT_EQ(d.count, 1u);
    EXPECT_EQ(d.targets[0].control, 2132);
    EXPECT_TRUE(d.targets[0].edges[0]);
    EXPECT_FALSE(d.targets[0].edges[1]);
    EXPECT_TRUE(d.targets[0].edges[2]);
    EXPECT_FALSE(d.targets[0].edges[3]);
    ASSERT_TRUE(UiMath_ParseLayoutDirective(u"10=3(0001)=4(11", &d));  // malformed second group
    EXPECT_EQ(d.reference, 2140);
    EXPECT_EQ(d.count, 1u);
    EXPECT_FALSE(UiMath_ParseLayoutDirective(u"1=2(", &d));
    EXPECT_FALSE(UiMath_ParseLayoutDirective(u"11=2(1111)", &d));

    struct Slide {
        int32_t mode, value, current, want;
    } slides[] = {{0, 500, 0, 100}, {1, 0, 50, 51}, {2, 0, 0, 0}, {3, 0, 95, 100}, {4, 0, 50, 40},
                  {5, 0, 30, 60},   {6, 0, 30, 0},  {7, 0, 30, 0}, {8, 0, 30, 100}};
    for (const auto &k : slides) EXPECT_EQ(UiMath_SliderPos(k.mode, k.value, k.current, 0, 100, 1, 10), k.want) << k.mode;

    AnchorGeometry g;
    ASSERT_TRUE(UiMath_AnchorLayout(60, 60, 1, &g));
    EXPECT_EQ(g.cell, 19);
    EXPECT_EQ(g.size, 58);
    EXPECT_EQ(UiMath_AnchorHitTest(g, 0, 0), 0);
    EXPECT_EQ(UiMath_AnchorHitTest(g, 29, 29), 4);
    EXPECT_EQ(UiMath_AnchorHitTest(g, 57, 57), 8);
    EXPECT_EQ(UiMath_AnchorHitTest(g, 40, 5), 2);
    EXPECT_EQ(UiMath_AnchorHitTest(g, 58, 5), -1);
    EXPECT_FALSE(UiMath_AnchorLayout(10, 60, 1, &g));
}

}  // namespace
