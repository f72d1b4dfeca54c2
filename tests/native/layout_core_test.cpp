// The layout decisions: when a bar is in edge mode, what the edge check does
// in each state, what a bar setter does at once, what each layout shows, the
// rectangle kept across full screen and the Window-menu commands by state.
#include <gtest/gtest.h>

#include <cstring>

#include "other/qv_LayoutCore.h"
#include "other/qv_Settings.h"

namespace {

struct Options {
    uint8_t o[kOptByteCount];
    Options() { std::memset(o, 0, sizeof o); }
};

TEST(LayoutCore, EdgeModeOfEachBarInEachLayout) {
    struct Case {
        bool full, windowOn, edgeOnly, fullOn, expected;
    };
    const Case cases[] = {
        {false, true, true, false, true},    // window layout, on and edge-only
        {false, true, false, true, false},   // shown for good: no edge mode
        {false, false, true, true, false},   // edge-only of a bar that is off
        {true, false, false, true, true},    // full screen uses its own option only
        {true, true, true, false, false},
    };
    for (int bar : {kLayoutToolbar, kLayoutStatusBar}) {
        const BarOptionIndexes b = Layout_BarOptions(bar);
        for (const Case &c : cases) {
            Options opt;
            opt.o[kOptFullScreen] = c.full;
            opt.o[b.windowOn] = c.windowOn;
            opt.o[b.edgeOnly] = c.edgeOnly;
            opt.o[b.fullOn] = c.fullOn;
            EXPECT_EQ(Layout_BarInEdgeMode(opt.o, bar), c.expected)
                << "bar " << bar << " full " << c.full << " on " << c.windowOn << " edge " << c.edgeOnly;
            // The other bar's options never decide for this one.
            const BarOptionIndexes other = Layout_BarOptions(1 - bar);
            opt.o[other.windowOn] = opt.o[other.edgeOnly] = opt.o[other.fullOn] = 1;
            Options alone = opt;
            alone.o[other.windowOn] = alone.o[other.edgeOnly] = alone.o[other.fullOn] = 0;
            EXPECT_EQ(Layout_BarInEdgeMode(opt.o, bar), Layout_BarInEdgeMode(alone.o, bar));
        }
    }
    EXPECT_EQ(Layout_BarOptions(kLayoutToolbar).windowOn, 5);
    EXPECT_EQ(Layout_BarOptions(kLayoutStatusBar).fullOn, 9);
}

TEST(LayoutCore, PointInRectExcludesRightAndBottom) {
    EXPECT_TRUE(Layout_PointInRect(0, 0, 0, 0, 10, 4));
    EXPECT_TRUE(Layout_PointInRect(9, 3, 0, 0, 10, 4));
    EXPECT_FALSE(Layout_PointInRect(10, 3, 0, 0, 10, 4));
    EXPECT_FALSE(Layout_PointInRect(9, 4, 0, 0, 10, 4));
    EXPECT_FALSE(Layout_PointInRect(-1, 0, 0, 0, 10, 4));
    EXPECT_FALSE(Layout_PointInRect(0, 0, 0, 0, 0, 0));  // an empty bar holds no point
}

TEST(LayoutCore, EdgeDecisionInEveryState) {
    using A = EdgeAction;
    struct Case {
        const char *name;
        EdgeInput in;  // edgeMode, checkKeys, button, shift/ctrl, shown, active, inside, mode
        int result;
        A action;
    };
    const Case cases[] = {
        {"not in edge mode", {false, false, false, false, false, true, true, 0}, 0, A::None},
        {"not in edge mode, shown", {false, false, false, false, true, true, false, 0}, 0, A::None},
        {"reaches the hidden bar", {true, true, false, false, false, true, true, 0}, 1, A::Show},
        {"stays on the shown bar", {true, true, false, false, true, true, true, 0}, 1, A::None},
        {"leaves the shown bar", {true, true, false, false, true, true, false, 0}, 1, A::Hide},
        {"away from a hidden bar", {true, true, false, false, false, true, false, 0}, 1, A::None},
        {"another window is active", {true, true, false, false, false, false, true, 0}, 1, A::None},
        {"inactive hides a shown bar", {true, true, false, false, true, false, true, 0}, 1, A::Hide},
        {"negative mode only hides", {true, true, false, false, true, true, true, -1}, 1, A::Hide},
        {"negative mode never shows", {true, true, false, false, false, true, true, -1}, 1, A::None},
        {"a held button keeps a shown bar", {true, true, true, false, true, true, false, 0}, 0, A::None},
        {"a held button shows nothing", {true, true, true, false, false, true, true, 0}, 0, A::None},
        {"shift over a hidden bar", {true, true, false, true, false, true, true, 0}, 0, A::None},
        {"shift lets a shown bar go", {true, true, false, true, true, true, false, 0}, 1, A::Hide},
        {"keys unchecked", {true, false, true, true, false, true, true, 0}, 1, A::Show},
    };
    for (const Case &c : cases) {
        const EdgeDecision d = Layout_DecideEdge(c.in);
        EXPECT_EQ(d.result, c.result) << c.name;
        EXPECT_EQ(int(d.action), int(c.action)) << c.name;
    }
}

TEST(LayoutCore, BarSetterActsOnlyOnTheLayoutInUse) {
    using B = BarApply;
    struct Case {
        const char *name;
        bool full, setFull, on, edgeOnly, exists;
        B expected;
    };
    const Case cases[] = {
        {"window bar on", false, false, true, false, true, B::ShowNow},
        {"window bar off", false, false, false, false, true, B::HideNow},
        {"edge-only bar on waits for the cursor", false, false, true, true, true, B::Nothing},
        {"edge-only bar off", false, false, false, true, true, B::HideOnly},
        {"full-screen bar on waits", true, true, true, false, true, B::Nothing},
        {"full-screen bar off", true, true, false, false, true, B::HideOnly},
        {"full-screen option from the window", false, true, false, false, true, B::Nothing},
        {"window option from full screen", true, false, true, false, true, B::Nothing},
        {"no bar", false, false, true, false, false, B::Nothing},
    };
    for (int bar : {kLayoutToolbar, kLayoutStatusBar}) {
        const BarOptionIndexes b = Layout_BarOptions(bar);
        for (const Case &c : cases) {
            Options opt;
            opt.o[kOptFullScreen] = c.full;
            opt.o[c.setFull ? b.fullOn : b.windowOn] = c.on;
            opt.o[b.edgeOnly] = c.edgeOnly;
            EXPECT_EQ(int(Layout_BarSetterAction(opt.o, bar, c.setFull, c.exists)), int(c.expected))
                << c.name << " bar " << bar;
        }
    }
}

TEST(LayoutCore, WhatEachLayoutShows) {
    Options opt;
    opt.o[kOptToolbar] = 1;      // tool bar on for good
    opt.o[kOptStatus] = 1;
    opt.o[kOptStatusEdge] = 1;   // status bar only at the edge
    opt.o[3] = 1;                // menu bar
    opt.o[10] = 1;               // scroll bars in the window
    opt.o[11] = 0;
    opt.o[6] = opt.o[9] = 1;     // both bars at the edge in full screen
    opt.o[105] = 1;              // topmost only in the window
    opt.o[18] = 0;               // cursor hidden in full screen

    const LayoutShows w = Layout_TargetOf(opt.o, false);
    EXPECT_TRUE(w.toolbar);
    EXPECT_FALSE(w.statusBar);
    EXPECT_TRUE(w.menuBar);
    EXPECT_TRUE(w.scrollBars);
    EXPECT_TRUE(w.topMost);
    EXPECT_TRUE(w.topMostChanges);
    EXPECT_FALSE(w.hideCursor);

    const LayoutShows f = Layout_TargetOf(opt.o, true);
    EXPECT_FALSE(f.toolbar);  // the edge brings them up later
    EXPECT_FALSE(f.statusBar);
    EXPECT_FALSE(f.menuBar);
    EXPECT_FALSE(f.scrollBars);
    EXPECT_FALSE(f.topMost);
    EXPECT_TRUE(f.hideCursor);

    opt.o[106] = 1;
    opt.o[18] = 1;
    EXPECT_FALSE(Layout_TargetOf(opt.o, true).topMostChanges);
    EXPECT_FALSE(Layout_TargetOf(opt.o, true).hideCursor);
}

TEST(LayoutCore, PlacementKeptAcrossFullScreen) {
    Settings s{};
    Layout_RememberPlacement(&s, LayoutRect{-1200, -30, -200, 570}, false);
    RestorePlan p = Layout_RestorePlan(s);
    EXPECT_EQ(p.normal.left, -1200);  // a window on a monitor left of the primary
    EXPECT_EQ(p.normal.top, -30);
    EXPECT_EQ(p.normal.right, -200);
    EXPECT_EQ(p.normal.bottom, 570);
    EXPECT_FALSE(p.maximised);
    EXPECT_EQ(s.optInt[kIntSavedRect], -1200);

    // A maximised frame keeps its normal rectangle for the restore after.
    Layout_RememberPlacement(&s, LayoutRect{10, 20, 330, 260}, true);
    p = Layout_RestorePlan(s);
    EXPECT_TRUE(p.maximised);
    EXPECT_EQ(p.normal.right, 330);
    EXPECT_EQ(s.option[kOptMaxBeforeFull], 1);
    // The window layout's own rectangle is another record.
    EXPECT_EQ(s.optInt[kIntRectLeft], 0);
}

TEST(LayoutCore, WindowCommandsByState) {
    using W = WindowAction;
    struct Case {
        uint32_t id;
        bool full, minimised, maximised, caption;
        W expected;
    };
    const Case cases[] = {
        {41001, true, false, false, true, W::LeaveFullScreen},
        {41001, true, true, false, true, W::Restore},  // minimised in full screen: restore the icon
        {41001, false, false, true, true, W::Restore},
        {41002, false, false, false, true, W::Minimise},
        {41002, false, true, false, true, W::Restore},
        {41002, true, false, false, true, W::Minimise},
        {41003, false, false, false, true, W::Maximise},
        {41003, false, false, true, true, W::Restore},
        {41003, true, false, true, true, W::Ignore},
        {41004, true, false, false, true, W::TopMost},
        {41005, false, false, false, true, W::CaptionBar},
        {41005, true, false, false, true, W::Ignore},
        {41006, false, false, false, false, W::FrameBorder},
        {41006, false, false, false, true, W::Ignore},  // a caption bar always has its border
        {41006, true, false, false, false, W::Ignore},
        {41007, false, false, false, true, W::Edge},
        {41007, true, false, false, true, W::Ignore},
        {41008, false, false, false, true, W::MenuBar},
        {41008, true, false, false, true, W::Ignore},
        {41009, true, false, false, true, W::Toolbar},
        {41010, true, false, false, true, W::StatusBar},
        {41011, false, false, false, true, W::ScrollBars},
        {41000, false, false, false, true, W::NotMine},
        {41012, true, false, false, true, W::NotMine},
        {40821, false, false, false, true, W::NotMine},
    };
    for (const Case &c : cases)
        EXPECT_EQ(int(Layout_WindowCommand(c.id, c.full, c.minimised, c.maximised, c.caption)), int(c.expected))
            << c.id << " full " << c.full << " min " << c.minimised << " max " << c.maximised;
}

}  // namespace
