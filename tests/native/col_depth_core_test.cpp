// The colour depth dialog's decisions: the picture's depth as the dialog
// sees it, the button it disables, the conversions with nothing to do, and
// the steps each target takes (walked on a small model of a picture).
#include <gtest/gtest.h>

#include <vector>

#include "dlg/qv_ColDepthCore.h"

namespace {

const uint32_t k555[3] = {0x7C00, 0x03E0, 0x001F};
const uint32_t k565[3] = {0xF800, 0x07E0, 0x001F};
const uint32_t k444[3] = {0x0F00, 0x00F0, 0x000F};
const uint32_t k888[3] = {0xFF0000, 0x00FF00, 0x0000FF};
const uint32_t kBgr[3] = {0x0000FF, 0x00FF00, 0xFF0000};

TEST(ColDepthCore, LayoutOfPicture) {
    const struct {
        int32_t bits;
        const uint32_t *masks;
        ColDepthLayout want;
    } cases[] = {
        {1, nullptr, kColLayout1},         {4, nullptr, kColLayoutOther},    {8, nullptr, kColLayout8},
        {16, nullptr, kColLayout555},      {16, k555, kColLayout555},        {16, k565, kColLayout565},
        {16, k444, kColLayout16Other},     {24, nullptr, kColLayout24},      {32, nullptr, kColLayoutOther},
        {32, k888, kColLayoutOther},       {32, kBgr, kColLayout32Masked},   {0, nullptr, kColLayoutOther},
    };
    for (const auto &c : cases) EXPECT_EQ(ColDepth_Layout(c.bits, c.masks), c.want) << c.bits;
}

TEST(ColDepthCore, ButtonsAndTheirTargets) {
    const struct {
        int32_t button, target;
    } cases[] = {{2143, 8}, {2144, 15}, {2145, 16}, {2146, 24}, {2147, 0}};
    for (const auto &c : cases) {
        int32_t t = -1;
        ASSERT_TRUE(ColDepth_TargetOfButton(c.button, &t)) << c.button;
        EXPECT_EQ(t, c.target);
        ASSERT_NE(ColDepth_Plan(t), nullptr) << t;
    }
    for (int32_t id : {2142, 2148, 1, 2, 0}) EXPECT_FALSE(ColDepth_TargetOfButton(id, nullptr)) << id;
    for (int32_t t : {1, 4, 32, -1, 2}) EXPECT_EQ(ColDepth_Plan(t), nullptr) << t;
}

TEST(ColDepthCore, OwnDepthButtonDisabled) {
    const struct {
        ColDepthLayout layout;
        int32_t button;
    } cases[] = {
        {kColLayout8, 2143},        {kColLayout555, 2144}, {kColLayout565, 2145}, {kColLayout24, 2146},
        {kColLayout1, 0},           {kColLayoutOther, 0},  {kColLayout16Other, 0}, {kColLayout32Masked, 0},
    };
    for (const auto &c : cases) EXPECT_EQ(ColDepth_OwnDepthButton(c.layout), c.button) << c.layout;
}

// The whole matrix: every layout against every target. A disabled button's
// target must be a no-op for its layout, so that choosing it some other way
// still cannot cost an undo step.
TEST(ColDepthCore, AlreadyTargetMatrix) {
    const ColDepthLayout layouts[] = {kColLayoutOther, kColLayout1,  kColLayout8,       kColLayout555,
                                      kColLayout565,   kColLayout16Other, kColLayout24, kColLayout32Masked};
    const int32_t targets[] = {kColDepthOptimal, kColDepth8, kColDepth555, kColDepth565, kColDepth24};
    //                           opt    8      15     16     24
    const bool want[8][5] = {{false, false, false, false, false},   // other (4, plain 32)
                             {true, false, false, false, false},    // 1
                             {false, true, false, false, false},    // 8
                             {true, false, true, false, false},     // 5-5-5
                             {true, false, false, true, false},     // 5-6-5
                             {true, false, false, false, false},    // 16 other masks
                             {false, false, false, false, true},    // 24
                             {true, false, false, false, false}};   // masked 32
    for (int l = 0; l < 8; ++l) {
        for (int t = 0; t < 5; ++t)
            EXPECT_EQ(ColDepth_AlreadyTarget(layouts[l], targets[t]), want[l][t]) << l << " to " << targets[t];
        const int32_t own = ColDepth_OwnDepthButton(layouts[l]);
        int32_t ownTarget = -1;
        if (own != 0) {
            ASSERT_TRUE(ColDepth_TargetOfButton(own, &ownTarget));
            EXPECT_TRUE(ColDepth_AlreadyTarget(layouts[l], ownTarget)) << l;
        }
    }
}

// A picture reduced to its bit count, and what each operation does to it.
struct ModelPicture {
    int32_t bits;
    int32_t reducesTo;  // lossless reduction result (0: cannot reduce)
};

std::vector<int> RunPlan(int32_t target, ModelPicture *p) {
    std::vector<int> ran;
    const ColDepthPlan *plan = ColDepth_Plan(target);
    if (plan == nullptr) return ran;
    for (int i = 0; i < plan->stepCount; ++i) {
        const ColDepthStep &s = plan->steps[i];
        if (s.onlyAbove16Bits && p->bits <= 16) continue;
        ran.push_back(s.op);
        switch (s.op) {
            case kColOpReduceLossless:
                EXPECT_TRUE(s.mayDecline);
                if (p->reducesTo != 0) p->bits = p->reducesTo;
                break;
            case kColOpTo16NoMasks:
            case kColOpTo16Masks565: p->bits = 16; break;
            case kColOpTo8:
                EXPECT_LE(p->bits, 16) << "the 8-bit conversion takes at most 16 bits";
                p->bits = 8;
                break;
            case kColOpTo24: p->bits = 24; break;
            default: ADD_FAILURE() << s.op;
        }
    }
    return ran;
}

TEST(ColDepthCore, PlansOnModelPictures) {
    const struct {
        const char *what;
        int32_t target;
        ModelPicture start;
        std::vector<int> ops;
        int32_t bits;
    } cases[] = {
        {"8 bits from a 32-bit photograph goes through 16", kColDepth8, {32, 24},
         {kColOpReduceLossless, kColOpTo16NoMasks, kColOpTo8}, 8},
        {"8 bits from a 24-bit picture of few colours", kColDepth8, {24, 4}, {kColOpReduceLossless, kColOpTo8}, 8},
        {"8 bits from 16 bits", kColDepth8, {16, 0}, {kColOpTo8}, 8},
        {"optimal on many colours changes nothing", kColDepthOptimal, {24, 0}, {kColOpReduceLossless}, 24},
        {"optimal on two colours", kColDepthOptimal, {24, 1}, {kColOpReduceLossless}, 1},
        {"5-5-5", kColDepth555, {24, 0}, {kColOpTo16NoMasks}, 16},
        {"5-6-5", kColDepth565, {8, 0}, {kColOpTo16Masks565}, 16},
        {"24 bits", kColDepth24, {4, 0}, {kColOpTo24}, 24},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ModelPicture p = c.start;
        EXPECT_EQ(RunPlan(c.target, &p), c.ops);
        EXPECT_EQ(p.bits, c.bits);
    }
}

// The wheel walks the buttons in dialog order round the ends and never
// lands on a disabled one (the picture's own depth).
TEST(ColDepthCore, WheelSkipsDisabledButtons) {
    const bool all[5] = {true, true, true, true, true};
    const bool no24[5] = {true, true, true, false, true};
    const bool only[5] = {false, false, false, false, true};
    const struct {
        const bool *enabled;
        int32_t from;
        int delta;
        int32_t want;
    } cases[] = {
        {all, 2147, -120, 2143},   // towards the user: next, round the end
        {all, 2143, 120, 2147},    // away: previous, round the start
        {all, 2144, -120, 2145},
        {all, 2144, 120, 2143},
        {no24, 2145, -120, 2147},  // 24 bits skipped both ways
        {no24, 2147, 120, 2145},
        {only, 2147, -120, 2147},  // nothing else to go to
        {only, 2147, 120, 2147},
        {all, 2001, -120, 0},      // not a depth button
    };
    for (const auto &c : cases) EXPECT_EQ(ColDepth_WheelButton(c.from, c.enabled, c.delta), c.want) << c.from;
    // Every enabled button is reached by turning one way, none disabled.
    int32_t at = 2147;
    for (int i = 0; i < 8; ++i) {
        at = ColDepth_WheelButton(at, no24, -120);
        EXPECT_NE(at, 2146);
    }
}

TEST(ColDepthCore, DitherFlagAndMasks) {
    EXPECT_EQ(ColDepth_DitherFlag(true), 2);
    EXPECT_EQ(ColDepth_DitherFlag(false), 0x100000);
    EXPECT_EQ(kColDepthMasks565[0], 0xF800u);
    EXPECT_EQ(kColDepthMasks565[1], 0x07E0u);
    EXPECT_EQ(kColDepthMasks565[2], 0x001Fu);
}

}  // namespace
