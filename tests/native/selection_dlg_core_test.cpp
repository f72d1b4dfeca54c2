// The selection dialog's linked fields, ranges, arrows and Cancel, and the
// selection-step dialog's values.
#include <gtest/gtest.h>

#include "dlg/qv_SelectionDlgCore.h"

namespace {

constexpr uint32_t Bit(int field) { return 1u << field; }

TEST(SelectionDlgCore, PictureAndRanges) {
    EXPECT_TRUE(SelectionDlg_PictureFits(1, 1));
    EXPECT_TRUE(SelectionDlg_PictureFits(0xFFFFFF, 0xFFFFFF));
    EXPECT_FALSE(SelectionDlg_PictureFits(0, 10));
    EXPECT_FALSE(SelectionDlg_PictureFits(10, 0x1000000));

    const int32_t want[kSelFieldCount][2] = {{0, 99}, {0, 49}, {0, 99}, {0, 49}, {1, 100}, {1, 50}};
    for (int f = 0; f < kSelFieldCount; ++f) {
        int32_t lo = -1, hi = -1;
        SelectionDlg_FieldRange(f, 100, 50, &lo, &hi);
        EXPECT_EQ(lo, want[f][0]) << f;
        EXPECT_EQ(hi, want[f][1]) << f;
    }
}

TEST(SelectionDlgCore, VerticalArrowsReversed) {
    const bool want[kSelFieldCount] = {false, true, false, true, false, true};
    for (int f = 0; f < kSelFieldCount; ++f) {
        EXPECT_EQ(SelectionDlg_ArrowReversed("010101", f), want[f]) << f;
        EXPECT_EQ(SelectionDlg_ArrowReversed(L"010101", f), want[f]) << f;
    }
    EXPECT_FALSE(SelectionDlg_ArrowReversed("01", 3));  // a short text reads as normal
    EXPECT_FALSE(SelectionDlg_ArrowReversed("011111", 6));
}

TEST(SelectionDlgCore, OpeningWithoutSelectionTakesWholePicture) {
    const SelectionDlgFields f = SelectionDlg_FieldsFrom(nullptr, 100, 50);
    const int32_t want[kSelFieldCount] = {0, 0, 99, 49, 100, 50};
    for (int i = 0; i < kSelFieldCount; ++i) EXPECT_EQ(f.v[i], want[i]) << i;
    const SelectionDlgCorners sel{10, 5, 19, 5};
    const SelectionDlgFields g = SelectionDlg_FieldsFrom(&sel, 100, 50);
    EXPECT_EQ(g.v[kSelFieldWidth], 10);
    EXPECT_EQ(g.v[kSelFieldHeight], 1);
}

struct EditCase {
    const char *what;
    SelectionDlgFields start;
    int field;
    int32_t value;
    SelectionDlgFields want;
    uint32_t written;
};

TEST(SelectionDlgCore, LinkedFieldsOnHundredByFifty) {
    const EditCase cases[] = {
        {"width 30 at left 80 moves left back", {{80, 0, 99, 49, 20, 50}}, kSelFieldWidth, 30,
         {{70, 0, 99, 49, 30, 50}}, Bit(kSelFieldLeft)},
        {"left rewrites the width", {{0, 0, 99, 49, 100, 50}}, kSelFieldLeft, 10, {{10, 0, 99, 49, 90, 50}},
         Bit(kSelFieldWidth)},
        {"right typed left of left", {{10, 0, 99, 49, 90, 50}}, kSelFieldRight, 5, {{10, 0, 5, 49, 6, 50}},
         Bit(kSelFieldWidth)},
        {"width from swapped corners starts at the lower", {{50, 0, 20, 49, 31, 50}}, kSelFieldWidth, 10,
         {{20, 0, 29, 49, 10, 50}}, Bit(kSelFieldLeft) | Bit(kSelFieldRight)},
        {"height 50 at top 10 moves to the top", {{0, 10, 99, 20, 100, 11}}, kSelFieldHeight, 50,
         {{0, 0, 99, 49, 100, 50}}, Bit(kSelFieldTop) | Bit(kSelFieldBottom)},
        {"bottom rewrites the height", {{0, 10, 99, 20, 100, 11}}, kSelFieldBottom, 40, {{0, 10, 99, 40, 100, 31}},
         Bit(kSelFieldHeight)},
        {"width above the picture is clamped", {{40, 0, 50, 49, 11, 50}}, kSelFieldWidth, 500,
         {{0, 0, 99, 49, 100, 50}}, Bit(kSelFieldLeft) | Bit(kSelFieldRight)},
        {"corner out of range is clamped", {{0, 0, 99, 49, 100, 50}}, kSelFieldRight, -7, {{0, 0, 0, 49, 1, 50}},
         Bit(kSelFieldWidth)},
        {"unchanged width writes nothing", {{0, 0, 99, 49, 100, 50}}, kSelFieldWidth, 100,
         {{0, 0, 99, 49, 100, 50}}, 0},
    };
    for (const EditCase &c : cases) {
        SCOPED_TRACE(c.what);
        SelectionDlgFields f = c.start;
        EXPECT_EQ(SelectionDlg_Edit(&f, c.field, c.value, 100, 50), c.written);
        for (int i = 0; i < kSelFieldCount; ++i) EXPECT_EQ(f.v[i], c.want.v[i]) << i;
    }
}

// Whatever is typed, the selection stays inside the picture and the sizes
// agree with the corners.
TEST(SelectionDlgCore, EditsKeepSelectionInside) {
    SelectionDlgFields f = SelectionDlg_FieldsFrom(nullptr, 7, 5);
    uint32_t seed = 12345;
    for (int step = 0; step < 2000; ++step) {
        seed = seed * 1103515245u + 12345u;
        const int field = int((seed >> 16) % kSelFieldCount);
        const int32_t value = int32_t((seed >> 8) % 13) - 3;
        SelectionDlg_Edit(&f, field, value, 7, 5);
        const SelectionDlgCorners c = SelectionDlg_Corners(f);
        ASSERT_GE(c.left, 0);
        ASSERT_LE(c.right, 6);
        ASSERT_GE(c.top, 0);
        ASSERT_LE(c.bottom, 4);
        ASSERT_EQ(f.v[kSelFieldWidth], c.right - c.left + 1);
        ASSERT_EQ(f.v[kSelFieldHeight], c.bottom - c.top + 1);
    }
}

TEST(SelectionDlgCore, TypedTextClamps) {
    const struct {
        const char *text;
        int action;
        int32_t want;
    } cases[] = {
        {"150", kSelTypedWriteBack, 99}, {"-3", kSelTypedWriteBack, 0}, {"50", kSelTypedKeep, -1},
        {"99999999999999999", kSelTypedWriteBack, 99}, {"1,000", kSelTypedKeep, -1}, {"", kSelTypedKeep, -1},
        {"-", kSelTypedKeep, -1}, {"5.5", kSelTypedKeep, -1},
    };
    for (const auto &c : cases) {
        int32_t v = -1;
        EXPECT_EQ(SelectionDlg_OnTyped(c.text, 0, 99, &v), c.action) << c.text;
        EXPECT_EQ(v, c.want) << c.text;
    }
}

TEST(SelectionDlgCore, CornersNormalised) {
    const SelectionDlgFields f{{50, 40, 20, 10, 31, 31}};
    const SelectionDlgCorners c = SelectionDlg_Corners(f);
    EXPECT_EQ(c.left, 20);
    EXPECT_EQ(c.top, 10);
    EXPECT_EQ(c.right, 50);
    EXPECT_EQ(c.bottom, 40);
}

TEST(SelectionDlgCore, CancelPlan) {
    const SelectionDlgCorners old{1, 2, 3, 4}, moved{1, 2, 3, 5};
    const struct {
        const char *what;
        const SelectionDlgCorners *remembered;
        const SelectionDlgCorners *current;
        bool modeWasOn;
        bool clear, restore, modeOff, redraw;
    } cases[] = {
        {"no selection before, mode was off", nullptr, &old, false, true, false, true, true},
        {"no selection before, mode was on", nullptr, &old, true, true, false, false, true},
        {"selection unchanged", &old, &old, true, false, false, false, false},
        {"selection moved", &old, &moved, true, false, true, false, true},
        {"selection unchanged, mode was off", &old, &old, false, false, false, true, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const SelectionDlgCancel p = SelectionDlg_PlanCancel(c.remembered, *c.current, c.modeWasOn);
        EXPECT_EQ(p.clear, c.clear);
        EXPECT_EQ(p.restore, c.restore);
        EXPECT_EQ(p.modeOff, c.modeOff);
        EXPECT_EQ(p.redraw, c.redraw);
    }
}

TEST(SelectionDlgSteps, ClampPresetsAndTyping) {
    for (auto [in, want] : {std::pair{0, 1}, {-5, 1}, {1, 1}, {999, 999}, {1000, 999}, {16, 16}})
        EXPECT_EQ(SelSizeDlg_ClampStep(in), want) << in;

    const int32_t values[3] = {1, 8, 16};
    for (int k = 0; k < kSelStepPresetButtons; ++k) {
        int field = -1;
        int32_t value = -1;
        ASSERT_TRUE(SelSizeDlg_Preset(k, &field, &value));
        EXPECT_EQ(field, k / 3);
        EXPECT_EQ(value, values[k % 3]);
    }
    EXPECT_FALSE(SelSizeDlg_Preset(-1, nullptr, nullptr));
    EXPECT_FALSE(SelSizeDlg_Preset(kSelStepPresetButtons, nullptr, nullptr));

    const struct {
        const char *text;
        int action;
        int32_t want;
    } typed[] = {
        {"0", kSelTypedWriteBack, 1}, {"-5", kSelTypedWriteBack, 1}, {"1000", kSelTypedWriteBack, 999},
        {"500", kSelTypedKeep, -1}, {"1,000", kSelTypedKeep, -1}, {"", kSelTypedKeep, -1},
    };
    for (const auto &c : typed) {
        int32_t v = -1;
        EXPECT_EQ(SelSizeDlg_OnTyped(c.text, &v), c.action) << c.text;
        EXPECT_EQ(v, c.want) << c.text;
    }
}

TEST(SelectionDlgSteps, OkReadsClampedOrKeeps) {
    const struct {
        const wchar_t *text;
        int32_t current, want;
    } cases[] = {
        {L"1000", 5, 999}, {L"0", 5, 1}, {L"16", 5, 16}, {L"", 5, 5}, {L"x", 5, 5}, {L"1,5", 5, 5}, {L"", 0, 1},
    };
    for (const auto &c : cases) EXPECT_EQ(SelSizeDlg_ReadStep(c.text, c.current), c.want);
}

}  // namespace
