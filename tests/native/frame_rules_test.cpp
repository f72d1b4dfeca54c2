// The frame's window-free rules: application commands, the minimum
// tracking size and the snap to the work area.
#include <gtest/gtest.h>

#include "other/qv_FrameRules.h"

TEST(FrameRules, ApplicationCommandsMapOnlyTheirTable) {
    int count = 0;
    const AppCommandRow *rows = Frame_AppCommandTable(&count);
    ASSERT_EQ(count, 13);
    for (int i = 0; i < count; ++i) EXPECT_EQ(Frame_AppCommandToId(rows[i].appCommand), rows[i].commandId);
    EXPECT_EQ(Frame_AppCommandToId(1), 40061);
    EXPECT_EQ(Frame_AppCommandToId(31), 40011);
    for (uint32_t unmapped : {0u, 4u, 28u, 35u, 39u, 0xFFFu}) EXPECT_EQ(Frame_AppCommandToId(unmapped), 0) << unmapped;
}

TEST(FrameRules, MinimumTrackingSize) {
    struct Case {
        bool caption, border;
        MinTrackSize want;
    } cases[] = {{true, true, {112, 27}}, {true, false, {112, 27}}, {false, false, {1, 1}}, {false, true, {27, 27}}};
    for (const Case &c : cases) {
        const MinTrackSize s = Frame_MinTrackSizeFor(c.caption, c.border, 112, 27);
        EXPECT_EQ(s.width, c.want.width);
        EXPECT_EQ(s.height, c.want.height);
    }
}

TEST(FrameRules, OnlyAWindowCoveringTheWholeWorkAreaSnaps) {
    const Rect area{0, 0, 1280, 984};
    struct Case {
        Rect in;
        bool snaps;
    } cases[] = {{{-8, -30, 1288, 992}, true},  // caption dragged off the top
                 {{0, 0, 1280, 984}, false},    // already exact
                 {{10, 0, 1290, 984}, false},   // leaves a strip on the left
                 {{100, 100, 500, 400}, false}};
    for (const Case &c : cases) {
        Rect r = c.in;
        EXPECT_EQ(Frame_SnapToWorkArea(&r, area), c.snaps);
        if (c.snaps) EXPECT_TRUE(r.left == 0 && r.top == 0 && r.right == 1280 && r.bottom == 984);
        else EXPECT_TRUE(r.left == c.in.left && r.right == c.in.right);
    }
}
