// The sharpen and blur commands' runs: presets override what the caller
// passes, the dialogs' values go through, blur strengths become negative
// amounts, and undo kinds follow the commands.
#include <gtest/gtest.h>

#include <climits>

#include "dlg/qv_UnShMaskCore.h"

namespace {

struct PlanCase {
    uint32_t command;
    int32_t radius, amount, threshold;  // what the caller passes
    int32_t wantRadius, wantAmount, wantThreshold, wantKind;
};

const PlanCase kPlans[] = {
    // Presets ignore the caller's values.
    {kCmdSharpen, 9, 9, 9, 600, 1000, 0, 28},
    {kCmdSharpenStrong, 9, 9, 9, 800, 2000, 0, 29},
    {kCmdSharpenEdges, 9, 9, 9, 600, 1500, 15, 30},
    {kCmdBlur, 9, 9, 9, 400, -1000, 0, 32},
    {kCmdBlurStrong, 9, 9, 9, 800, -1000, 0, 33},
    {kCmdBlurSoft, 9, 9, 9, 5000, -350, 0, 34},
    // The unsharp mask passes the dialog's values as they are.
    {kCmdUnsharpMask, 2500, 1500, 7, 2500, 1500, 7, 31},
    // The Gaussian blur: strength in tenths of a percent, threshold dropped;
    // 1000 and more is a full blur, transparency 99 % leaves 10.
    {kCmdGaussianBlur, 600, 1000, 9, 600, -1000, 0, 35},
    {kCmdGaussianBlur, 600, 5000, 0, 600, -1000, 0, 35},
    {kCmdGaussianBlur, 600, 10, 0, 600, -10, 0, 35},
    // A negative strength must not turn the blur into a sharpen.
    {kCmdGaussianBlur, 600, -300, 0, 600, 0, 0, 35},
    {kCmdGaussianBlur, 600, INT32_MIN, 0, 600, 0, 0, 35},
};

TEST(UnShMaskPlan, PresetsAndDialogValues) {
    for (const PlanCase &c : kPlans) {
        SCOPED_TRACE(testing::Message() << c.command << " amount " << c.amount);
        SharpenBlurRun run{};
        ASSERT_TRUE(UnShMask_PlanRun(c.command, c.radius, c.amount, c.threshold, &run));
        EXPECT_EQ(run.radius, c.wantRadius);
        EXPECT_EQ(run.amount, c.wantAmount);
        EXPECT_EQ(run.threshold, c.wantThreshold);
        EXPECT_EQ(run.undoKind, c.wantKind);
    }
}

TEST(UnShMaskPlan, OtherCommandsAndDialogs) {
    SharpenBlurRun run{};
    for (uint32_t id : {40680u, 40689u, 40700u, 0u}) EXPECT_FALSE(UnShMask_PlanRun(id, 600, 1000, 0, &run)) << id;
    EXPECT_FALSE(UnShMask_PlanRun(kCmdSharpen, 0, 0, 0, nullptr));
    for (uint32_t id = kCmdSharpen; id <= kCmdGaussianBlur; ++id)
        EXPECT_EQ(UnShMask_IsDialogCommand(id), id == kCmdUnsharpMask || id == kCmdGaussianBlur) << id;
    EXPECT_FALSE(UnShMask_IsDialogCommand(40689));
}

}  // namespace
