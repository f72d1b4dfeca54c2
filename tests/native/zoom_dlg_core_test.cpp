// The zoom dialog's field: the factor it shows and reads, and how the field
// and its arrows keep each other in step. "1,000" must never zoom to 1 %.
#include <gtest/gtest.h>

#include <cwchar>

#include "dlg/qv_ZoomDlgCore.h"

namespace {

TEST(ZoomDlgCore, FormatFiveDecimals) {
    const struct {
        int32_t factor;
        const char *want;
    } cases[] = {
        {10000000, "100"}, {3333333, "33.33333"}, {25050000, "250.5"}, {0, "0"},
        {kZoomDlgMaxFactor, "5000"}, {1, "0.00001"},
    };
    for (const auto &c : cases) {
        char out[32];
        ZoomDlg_FormatFactor(c.factor, out, sizeof out);
        EXPECT_STREQ(out, c.want) << c.factor;
    }
    wchar_t wide[32];
    ZoomDlg_FormatFactor(3333333, wide, 32);
    EXPECT_EQ(std::wcscmp(wide, L"33.33333"), 0);
}

TEST(ZoomDlgCore, ParseLimitsAndRefusals) {
    const struct {
        const char *text;
        bool ok;
        int32_t want;
    } cases[] = {
        {"250.5", true, 25050000},
        {"100", true, 10000000},
        {" 12 ", true, 1200000},
        {"12.", true, 1200000},
        {".5", true, 50000},
        {"0.000009", true, 0},                   // below the fifth decimal
        {"6000", true, kZoomDlgMaxFactor},
        {"99999999999999999", true, kZoomDlgMaxFactor},  // overflow is the limit, not 0
        {"-5", true, 0},
        {"1,000", false, -1},
        {"1 000", false, -1},
        {"250,5", false, -1},
        {"", false, -1},
        {"%", false, -1},
    };
    for (const auto &c : cases) {
        int32_t factor = -1;
        EXPECT_EQ(ZoomDlg_ParseFactor(c.text, &factor), c.ok) << c.text;
        EXPECT_EQ(factor, c.want) << c.text;
    }
    int32_t factor = -1;
    EXPECT_FALSE(ZoomDlg_ParseFactor(L"1,000", &factor));
    EXPECT_TRUE(ZoomDlg_ParseFactor(L"1000", &factor));
    EXPECT_EQ(factor, 100000000);
}

TEST(ZoomDlgCore, TypedTextMovesArrows) {
    const struct {
        const char *text;
        int32_t position;
        int action;
        int32_t want;  // new position when moved
    } cases[] = {
        {"250.5", 100, kZoomTypedMoveUpDown, 250},  // the arrows show the whole percent
        {"250.5", 250, kZoomTypedNone, -1},
        {"6000", 100, kZoomTypedWriteMax, -1},
        {"5001", 5000, kZoomTypedWriteMax, -1},
        {"5000.9", 100, kZoomTypedMoveUpDown, 5000},
        {"-3", 10, kZoomTypedMoveUpDown, 0},
        {"-3", 0, kZoomTypedNone, -1},
        {"99999999999999999", 10, kZoomTypedWriteMax, -1},
        {"1,000", 10, kZoomTypedNone, -1},
        {"", 10, kZoomTypedNone, -1},
    };
    for (const auto &c : cases) {
        int32_t pos = -1;
        EXPECT_EQ(ZoomDlg_OnTyped(c.text, c.position, &pos), c.action) << c.text;
        EXPECT_EQ(pos, c.want) << c.text;
    }
}

TEST(ZoomDlgCore, ArrowsRewriteOnlyWhenFieldDiffers) {
    const struct {
        const char *text;
        int32_t position;
        bool rewrite;
    } cases[] = {
        {"250", 250, false}, {"250.0", 250, false}, {"250.5", 250, true},
        {"251", 250, true},  {"abc", 250, true},    {"", 0, true},
        {"1,000", 1000, true},  // a separated text is replaced by the plain number
    };
    for (const auto &c : cases) EXPECT_EQ(ZoomDlg_UpDownRewrites(c.text, c.position), c.rewrite) << c.text;
}

// Whatever the arrows write, read back, gives the arrows' own percent: the
// field never holds a text that reads as another number.
TEST(ZoomDlgCore, ArrowTextRoundTrips) {
    for (int32_t pos : {0, 1, 999, 1000, 1234, 4999, 5000}) {
        char text[32];
        ZoomDlg_FormatFactor(pos * kZoomDlgFactorPerPercent, text, sizeof text);
        int32_t factor = -1;
        ASSERT_TRUE(ZoomDlg_ParseFactor(text, &factor)) << text;
        EXPECT_EQ(factor, pos * kZoomDlgFactorPerPercent);
        EXPECT_FALSE(ZoomDlg_UpDownRewrites(text, pos)) << text;
        int32_t moved = -1;
        EXPECT_EQ(ZoomDlg_OnTyped(text, pos, &moved), kZoomTypedNone) << text;
    }
}

}  // namespace
