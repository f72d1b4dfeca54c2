// The rules of the edit commands that need no window: the target rectangle,
// which part a snapshot keeps, the inverse turn, the swap-command rows, the
// glass minimums and the Q0 plan.
#include <gtest/gtest.h>

#include "image/qv_ChannelSwap.h"
#include "image/qv_EditCore.h"

namespace {

bool Same(const SelRect &a, const SelRect &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(EditCore, TargetRectangle) {
    const SelRect none{0, 0, 0, 0};
    const SelRect sel{2, 3, 7, 9};
    const SelRect given{-5, 4, 3, 50};  // clipped to the 20 x 10 picture
    struct Case {
        const char *name;
        const SelRect *given;
        bool hasSelection;
        EditTargetRule rule;
        int32_t minW, minH;
        bool ok;
        SelRect want;
    } cases[] = {
        {"selection wins over whole", nullptr, true, kTargetSelectionOrWhole, 1, 1, true, sel},
        {"no selection: whole", nullptr, false, kTargetSelectionOrWhole, 1, 1, true, {0, 0, 20, 10}},
        {"no selection: nothing", nullptr, false, kTargetSelectionRequired, 1, 1, false, none},
        {"given is clipped", &given, true, kTargetSelectionRequired, 1, 1, true, {0, 4, 3, 10}},
        {"under the minimum width", nullptr, true, kTargetSelectionOrWhole, 6, 1, false, none},
        {"minimum met exactly", nullptr, true, kTargetSelectionOrWhole, 5, 6, true, sel},
        {"one minimum zero: not checked", nullptr, true, kTargetSelectionOrWhole, 16, 0, true, sel},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SelRect out{};
        ASSERT_EQ(EditCore_TargetRect(c.given, sel, c.hasSelection, c.rule, c.minW, c.minH, 20, 10, &out), c.ok);
        if (c.ok) EXPECT_TRUE(Same(out, c.want));
    }
    SelRect out{};
    const SelRect outside{30, 0, 40, 5};
    EXPECT_FALSE(EditCore_TargetRect(&outside, sel, false, kTargetSelectionOrWhole, 1, 1, 20, 10, &out));
}

TEST(EditCore, SnapshotKeepsTheRectangleByDepth) {
    struct Case {
        SnapshotRule rule;
        int32_t depth;
        bool rect;
    } cases[] = {
        {kSnapWhole, 24, false},    {kSnapRect, 1, true},        {kSnapRectOver8, 8, false},
        {kSnapRectOver8, 16, true}, {kSnapRectIf24, 32, false},  {kSnapRectIf24, 24, true},
    };
    for (const Case &c : cases) EXPECT_EQ(EditCore_SnapshotKeepsRect(c.rule, c.depth), c.rect) << c.rule << " " << c.depth;
}

TEST(EditCore, TurnsAndFlips) {
    EXPECT_EQ(EditCore_InverseTurn(kTurnRight), kTurnLeft);
    EXPECT_EQ(EditCore_InverseTurn(kTurnLeft), kTurnRight);
    EXPECT_EQ(EditCore_InverseTurn(kFlipTopBottom), kFlipTopBottom);
    EXPECT_EQ(EditCore_InverseTurn(kFlipLeftRight), kFlipLeftRight);
    EXPECT_EQ(EditCore_InverseTurn(0), 0);
    EXPECT_EQ(EditCore_InverseTurn(5), 0);
    // A flip along an axis one pixel long changes nothing.
    EXPECT_FALSE(EditCore_FlipChangesRect(kFlipTopBottom, SelRect{0, 4, 9, 5}));
    EXPECT_TRUE(EditCore_FlipChangesRect(kFlipLeftRight, SelRect{0, 4, 9, 5}));
    EXPECT_FALSE(EditCore_FlipChangesRect(kFlipLeftRight, SelRect{3, 0, 4, 9}));
}

// The menu says what each swap command does to an (R, G, B) pixel.
TEST(EditCore, SwapCommandsMatchTheirLabels) {
    struct Case {
        int32_t offset;
        const char *label;  // the result order after "RGB -> "
    } cases[] = {{0, "GRB"}, {1, "BGR"}, {2, "RBG"}, {3, "BRG"}, {4, "GBR"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        const int32_t row = EditCore_SwapRowOfCommand(c.offset);
        ASSERT_GE(row, 0);
        const char names[3] = {'R', 'G', 'B'};
        for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(names[kChannelSwapOrders[row][ch]], c.label[ch]);
    }
    EXPECT_EQ(EditCore_SwapRowOfCommand(5), -1);
    EXPECT_EQ(EditCore_SwapRowOfCommand(-1), -1);
}

TEST(EditCore, GlassPlan) {
    struct Case {
        const char *name;
        int32_t argStrip, settingStrip, override, settingOption;
        int vertical;
        SelRect rect;
        GlassPlanResult result;
        int32_t strip, option;
    } cases[] = {
        {"setting strip", 0, 8, -1, 0, 1, {0, 0, 20, 5}, kGlassRun, 8, 0},
        {"argument strip wins", 10, 8, -1, 1, 1, {0, 0, 20, 5}, kGlassRun, 10, 1},
        {"strip 1 from the setting fails", 1, 1, -1, 0, 1, {0, 0, 20, 5}, kGlassFails, 0, 0},
        {"narrower than a strip", 0, 8, -1, 0, 1, {0, 0, 7, 5}, kGlassNothing, 0, 0},
        {"narrow but the option allows it", 0, 8, 1, 0, 1, {0, 0, 7, 5}, kGlassRun, 8, 1},
        {"horizontal strips need the height", 0, 8, -1, 0, 0, {0, 0, 20, 7}, kGlassNothing, 0, 0},
        {"one pixel along", 0, 8, -1, 0, 1, {0, 0, 20, 1}, kGlassNothing, 0, 0},
        {"override 0 beats the setting", 0, 8, 0, 1, 1, {0, 0, 7, 5}, kGlassNothing, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        GlassPlan plan{};
        ASSERT_EQ(EditCore_GlassPlan(c.argStrip, c.settingStrip, c.override, c.settingOption, c.vertical, c.rect,
                                     &plan),
                  c.result);
        if (c.result == kGlassRun) {
            EXPECT_EQ(plan.strip, c.strip);
            EXPECT_EQ(plan.option, c.option);
        }
    }
}

TEST(EditCore, Q0Plan) {
    struct Case {
        const char *name;
        uint32_t steps;
        int32_t strip;
        bool option;
        SelRect rect;
        Q0Result result;
        uint32_t planned;
        SelRect want;
    } cases[] = {
        {"no steps", 0, 10, false, {0, 0, 105, 20}, kQ0Nothing, 0, {}},
        {"glass and flip across: whole strips", 0x21, 10, false, {0, 0, 105, 20}, kQ0Run, 0x21, {0, 0, 100, 20}},
        {"glass and flip down: whole strips", 0x12, 10, false, {5, 3, 40, 28}, kQ0Run, 0x12, {5, 3, 40, 23}},
        {"glass alone is not trimmed", 0x01, 10, false, {0, 0, 105, 20}, kQ0Run, 0x01, {0, 0, 105, 20}},
        {"too narrow: glass dropped", 0x21, 10, false, {0, 0, 7, 20}, kQ0Run, 0x20, {0, 0, 7, 20}},
        {"too narrow with the option: kept", 0x21, 10, true, {0, 0, 7, 20}, kQ0Run, 0x21, {0, 0, 7, 20}},
        {"strip below 2 with a flip fails", 0x21, 1, false, {0, 0, 105, 20}, kQ0Fails, 0, {}},
        {"only the six bits count", 0xC4, 10, false, {0, 0, 9, 9}, kQ0Run, 0x04, {0, 0, 9, 9}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Q0Plan plan{};
        ASSERT_EQ(EditCore_Q0Plan(c.steps, c.strip, c.option, c.rect, &plan), c.result);
        if (c.result == kQ0Run) {
            EXPECT_EQ(plan.steps, c.planned);
            EXPECT_TRUE(Same(plan.rect, c.want));
        }
    }
}

}  // namespace
