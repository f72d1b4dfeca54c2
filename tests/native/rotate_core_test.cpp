// The rotate dialog's angles: how they are remembered, shown and read, and
// which turn each one asks for.
#include <gtest/gtest.h>

#include <climits>
#include <cwchar>

#include "dlg/qv_RotateCore.h"

namespace {

TEST(RotateCore, ReduceKeepsSign) {
    const struct {
        int64_t in;
        int32_t want;
    } cases[] = {
        {450000, 90000},   {-450000, -90000}, {360000, 360000}, {-360000, -360000},
        {720000, 0},       {-720001, -1},     {0, 0},           {-12500, -12500},
        {359999, 359999},  {3600000500, 500}, {int64_t(INT32_MIN), -(2147483648LL % 360000)},
    };
    for (const auto &c : cases) EXPECT_EQ(RotateDlg_ReduceAngle(c.in), c.want) << c.in;
}

TEST(RotateCore, FormatThreeDecimals) {
    const struct {
        int32_t angle;
        const char *want;
    } cases[] = {{90000, "90"}, {-12500, "-12.5"}, {0, "0"}, {-500, "-0.5"}, {123456, "123.456"}, {-360000, "-360"}};
    for (const auto &c : cases) {
        char out[32];
        RotateDlg_FormatAngle(c.angle, out, sizeof out);
        EXPECT_STREQ(out, c.want) << c.angle;
    }
    wchar_t wide[32];
    RotateDlg_FormatAngle(-12500, wide, 32);
    EXPECT_EQ(std::wcscmp(wide, L"-12.5"), 0);
}

TEST(RotateCore, ParseTyped) {
    const struct {
        const char *text;
        bool ok;
        int32_t want;
    } cases[] = {
        {"450", true, 90000},          // remembered as a quarter turn
        {"-450", true, -90000},        // the sign survives the reduction
        {"12.5", true, 12500},
        {" -0.5 ", true, -500},
        {"12.3456", true, 12345},
        {"-360", true, -360000},
        {"3600000.5", true, 500},      // beyond 32 bits of thousandths, still exact
        {"99999999999999", true, 0},   // too large to read: no turn
        {"1,000", false, 7},           // never a one-degree turn
        {"", false, 7},
        {"abc", false, 7},
    };
    for (const auto &c : cases) {
        int32_t angle = 7;
        EXPECT_EQ(RotateDlg_ParseAngle(c.text, &angle), c.ok) << c.text;
        EXPECT_EQ(angle, c.want) << c.text;
    }
}

TEST(RotateCore, PlanTurnTable) {
    const struct {
        int32_t angle;
        int kind;
        int32_t degrees, thousandths;
    } cases[] = {
        {0, kRotateTurnNone, 0, 0},
        {360000, kRotateTurnNone, 0, 0},
        {-360000, kRotateTurnNone, 0, 0},  // leaves the picture and the undo record alone
        {90000, kRotateTurnQuarter, 90, 0},
        {-90000, kRotateTurnQuarter, 270, 0},
        {270000, kRotateTurnQuarter, 270, 0},
        {180000, kRotateTurnQuarter, 180, 0},
        {-180000, kRotateTurnQuarter, 180, 0},
        {-270000, kRotateTurnQuarter, 90, 0},
        {12500, kRotateTurnFree, 0, 12500},
        {-12500, kRotateTurnFree, 0, 347500},
        {359999, kRotateTurnFree, 0, 359999},
        {-1, kRotateTurnFree, 0, 359999},
    };
    for (const auto &c : cases) {
        const RotateTurn t = RotateDlg_PlanTurn(c.angle);
        EXPECT_EQ(t.kind, c.kind) << c.angle;
        EXPECT_EQ(t.degrees, c.degrees) << c.angle;
        EXPECT_EQ(t.thousandths, c.thousandths) << c.angle;
    }
}

// "450" typed, remembered and applied turns a quarter without the
// background colour.
TEST(RotateCore, TypedFourFiftyTurnsQuarter) {
    int32_t angle = 0;
    ASSERT_TRUE(RotateDlg_ParseAngle("450", &angle));
    const RotateTurn t = RotateDlg_PlanTurn(angle);
    EXPECT_EQ(t.kind, kRotateTurnQuarter);
    EXPECT_EQ(t.degrees, 90);
}

// Every remembered angle, negative ones included, reaches the quarter-turn
// call only as 90, 180 or 270, and one full turn more changes nothing.
TEST(RotateCore, QuarterCallOnlySeesPositiveQuarters) {
    for (int32_t a = -360000; a <= 360000; a += 500) {
        const RotateTurn t = RotateDlg_PlanTurn(a);
        if (t.kind == kRotateTurnQuarter) {
            EXPECT_TRUE(t.degrees == 90 || t.degrees == 180 || t.degrees == 270) << a;
        }
        if (t.kind == kRotateTurnFree) {
            EXPECT_TRUE(t.thousandths > 0 && t.thousandths < 360000) << a;
        }
        const RotateTurn more = RotateDlg_PlanTurn(a >= 0 ? a - 360000 : a + 360000);
        EXPECT_EQ(more.kind, t.kind) << a;
        EXPECT_EQ(more.degrees, t.degrees) << a;
        EXPECT_EQ(more.thousandths, t.thousandths) << a;
    }
}

}  // namespace
