// The canvas size dialog's arithmetic: unit conversions in 64 bits (an
// overflow is the limit, never a small size), the linked fields with the
// aspect kept, and the margins of each anchor cell.
#include <gtest/gtest.h>

#include <climits>

#include "dlg/qv_CanvasCore.h"

namespace {

TEST(CanvasCore, FieldToPixels) {
    const struct {
        int unit;
        int64_t field;
        int32_t size, ppm, want;
    } cases[] = {
        {kImgSizePixels, 123, 10, 3780, 123},
        {kImgSizePercent, 20000, 10, 3780, 20},         // 200 %
        {kImgSizePercent, 15000, 3, 3780, 5},           // 4.5 rounds up
        {kImgSizeInch, 100, 10, 3780, 96},              // 1 inch at 96 dpi
        {kImgSizeCm, 254, 10, 3780, 96},                // 2.54 cm at 96 dpi
        {kImgSizeCm, 100, 10, 2835, 28},
        {kImgSizePixels, 5000000000, 10, 3780, INT32_MAX},
        {kImgSizePercent, 100000000000000, 65535, 3780, INT32_MAX},   // 32 bits would wrap
        {kImgSizeInch, 100000000000000, 10, INT32_MAX, INT32_MAX},    // beyond even 64 bits
        {kImgSizeCm, 100000000000000, 10, 2835, INT32_MAX},
        {kImgSizeInch, 999999999, 10, 2835, 720089999},               // wraps in 32 bits
        {kImgSizePixels, -5, 10, 3780, 0},
        {kImgSizeInch, 100, 10, 0, 0},
        {kImgSizePercent, 100, 0, 3780, 0},
        {9, 100, 10, 3780, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ImgSizeDlg_FieldToPixels(c.unit, c.field, c.size, c.ppm), c.want) << c.unit << " " << c.field;
}

TEST(CanvasCore, PixelsToField) {
    const struct {
        int unit;
        int32_t pixels, size, ppm;
        int64_t want;
    } cases[] = {
        {kImgSizePixels, 65535, 10, 3780, 65535},
        {kImgSizePercent, 20, 10, 3780, 20000},
        {kImgSizePercent, 1, 3, 3780, 3333},
        {kImgSizeInch, 96, 10, 3780, 100},
        {kImgSizeCm, 96, 10, 3780, 254},                // 253.97 rounds: 2.54 cm reads back as 96
        {kImgSizeInch, 65535, 10, 1, 258011811},    // the product needs 64 bits
        {kImgSizeCm, 0, 10, 3780, 0},
        {kImgSizeCm, 10, 10, 0, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ImgSizeDlg_PixelsToField(c.unit, c.pixels, c.size, c.ppm), c.want) << c.unit << " " << c.pixels;
}

// A size shown in print units reads back as the same pixels, so switching
// the unit and typing the shown value changes nothing (up to 100 dpi, where
// a hundredth of an inch is at most one pixel).
TEST(CanvasCore, PrintUnitsRoundTrip) {
    for (int32_t ppm : {1, 2835, 3780, 3937}) {
        for (int unit : {kImgSizeInch, kImgSizeCm}) {
            for (int32_t p = 1; p <= 3000; ++p) {
                const int64_t field = ImgSizeDlg_PixelsToField(unit, p, 100, ppm);
                ASSERT_EQ(ImgSizeDlg_FieldToPixels(unit, field, 100, ppm), p) << unit << " at " << ppm;
            }
        }
    }
}

TEST(CanvasCore, AxisMaximumKeepsRatio) {
    const ImgSizeFacts wide{{100, 50}, {3780, 3780}};
    EXPECT_EQ(ImgSizeDlg_AxisMaximum(wide, kImgSizeWidth, true), 65535);
    EXPECT_EQ(ImgSizeDlg_AxisMaximum(wide, kImgSizeHeight, true), 32768);
    EXPECT_EQ(ImgSizeDlg_AxisMaximum(wide, kImgSizeHeight, false), 65535);
    const ImgSizeFacts tall{{1, 65535}, {3780, 3780}};
    EXPECT_EQ(ImgSizeDlg_AxisMaximum(tall, kImgSizeWidth, true), 1);
}

TEST(CanvasCore, FormatField) {
    const struct {
        int unit;
        int64_t field;
        const char *want;
    } cases[] = {{kImgSizePixels, 123, "123"}, {kImgSizePercent, 20000, "200"}, {kImgSizeInch, 12345, "123.45"},
                 {kImgSizeCm, 250, "2.5"}, {kImgSizeCm, 5, "0.05"}};
    for (const auto &c : cases) {
        char out[32];
        ImgSizeDlg_FormatField(c.unit, c.field, out, sizeof out);
        EXPECT_STREQ(out, c.want);
    }
}

struct TypedCase {
    const char *what;
    ImgSizeFacts facts;
    int unit;
    bool aspect;
    int axis;
    const char *text;
    int32_t wantPixels[2];
    bool rewrite, writeOther;
    int64_t wantFields[2];  // checked where a flag says it is written
};

TEST(CanvasCore, TypedFieldDrivesOther) {
    const ImgSizeFacts f10{{10, 10}, {3780, 3780}};
    const ImgSizeFacts f10x13{{10, 13}, {3780, 3780}};
    const ImgSizeFacts f100x50{{100, 50}, {3780, 3780}};
    const TypedCase cases[] = {
        {"pixels alone", f10, kImgSizePixels, false, kImgSizeWidth, "13", {13, 77}, false, false, {0, 0}},
        {"pixels with aspect", f100x50, kImgSizePixels, true, kImgSizeWidth, "200", {200, 100}, false, true,
         {200, 100}},
        {"percent with aspect writes the same percent", f10x13, kImgSizePercent, true, kImgSizeWidth, "200",
         {20, 26}, false, true, {20000, 20000}},
        {"percent with aspect, odd value", f10x13, kImgSizePercent, true, kImgSizeHeight, "33.33", {3, 4}, false, true,
         {3333, 3333}},
        {"too wide is limited", f10, kImgSizePixels, false, kImgSizeWidth, "70000", {65535, 77}, true, false,
         {65535, 0}},
        {"shorter side limited by the ratio", f100x50, kImgSizePixels, true, kImgSizeHeight, "40000", {65535, 32768},
         true, true, {65535, 32768}},
        {"huge percent is the limit, not 0", f100x50, kImgSizePercent, true, kImgSizeWidth, "99999999999999",
         {65535, 32768}, true, true, {65535 * 100, 65535 * 100}},
        {"huge inches are the limit", f10, kImgSizeInch, false, kImgSizeHeight, "9999999999.99", {77, 65535}, true,
         false, {0, 68257}},
        {"centimetres", f10, kImgSizeCm, false, kImgSizeWidth, "2.54", {96, 77}, false, false, {0, 0}},
        {"thousands separator is no number", f100x50, kImgSizePixels, true, kImgSizeWidth, "1,000", {0, 77}, false,
         false, {0, 0}},
        {"empty field", f10, kImgSizePixels, false, kImgSizeHeight, "", {77, 0}, false, false, {0, 0}},
        {"negative counts as 0", f100x50, kImgSizePixels, true, kImgSizeWidth, "-20", {0, 0}, false, true, {0, 0}},
    };
    for (const TypedCase &c : cases) {
        SCOPED_TRACE(c.what);
        const int32_t current[2] = {77, 77};  // an axis not linked keeps this
        ImgSizeEdit e{};
        ImgSizeDlg_OnFieldTyped(c.facts, c.unit, c.aspect, c.axis, c.text, current, &e);
        EXPECT_EQ(e.pixels[0], c.wantPixels[0]);
        EXPECT_EQ(e.pixels[1], c.wantPixels[1]);
        EXPECT_EQ(e.rewriteThis, c.rewrite);
        EXPECT_EQ(e.writeOther, c.writeOther);
        if (c.rewrite) {
            EXPECT_EQ(e.fields[c.axis], c.wantFields[c.axis]);
        }
        if (c.writeOther) {
            EXPECT_EQ(e.fields[c.axis ^ 1], c.wantFields[c.axis ^ 1]);
        }
    }
}

// With the aspect kept both fields read alike in percent, whichever side is
// longer.
TEST(CanvasCore, PercentFieldsAlikeWithAspect) {
    const ImgSizeFacts facts{{10, 13}, {3780, 2835}};
    const int32_t pixels[2] = {20, 26};
    int64_t fields[2] = {};
    ImgSizeDlg_FieldsFromPixels(facts, kImgSizePercent, true, pixels, fields);
    EXPECT_EQ(fields[0], 20000);
    EXPECT_EQ(fields[1], 20000);
    ImgSizeDlg_FieldsFromPixels(facts, kImgSizeInch, true, pixels, fields);
    EXPECT_EQ(fields[0], 21);  // each axis at its own resolution
    EXPECT_EQ(fields[1], 36);
}

TEST(CanvasCore, MarginsByAnchor) {
    const struct {
        const char *what;
        int32_t oldW, oldH, w, h, anchor;
        int plan;
        ImgSizeMargins want;
        int32_t kind;
    } cases[] = {
        {"centre grows with the odd pixel right and bottom", 10, 10, 13, 13, 4, kImgSizeApplyRun, {1, 1, 2, 2}, 22},
        {"centre shrinks alike", 13, 13, 10, 10, 4, kImgSizeApplyRun, {-1, -1, -2, -2}, 21},
        {"top left crops right and bottom", 10, 10, 8, 7, 0, kImgSizeApplyRun, {0, 0, -2, -3}, 21},
        {"top right grows on the left", 10, 10, 13, 10, 2, kImgSizeApplyRun, {3, 0, 0, 0}, 22},
        {"bottom left grows on the top", 10, 10, 10, 14, 6, kImgSizeApplyRun, {0, 4, 0, 0}, 22},
        {"bottom right", 10, 10, 12, 12, 8, kImgSizeApplyRun, {2, 2, 0, 0}, 22},
        {"wider but lower crops", 10, 10, 20, 5, 4, kImgSizeApplyRun, {5, -2, 5, -3}, 21},
        {"largest", 1, 1, 65535, 65535, 4, kImgSizeApplyRun, {32767, 32767, 32767, 32767}, 22},
        {"same size", 10, 10, 10, 10, 4, kImgSizeApplyNone, {}, -1},
        {"zero width", 10, 10, 0, 10, 4, kImgSizeApplyFail, {}, -1},
        {"too high", 10, 10, 10, 65536, 4, kImgSizeApplyFail, {}, -1},
        {"anchor 9", 10, 10, 12, 12, 9, kImgSizeApplyFail, {}, -1},
        {"anchor -1", 10, 10, 12, 12, -1, kImgSizeApplyFail, {}, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ImgSizeMargins m{-9, -9, -9, -9};
        int32_t kind = -1;
        ASSERT_EQ(ImgSizeDlg_PlanApply(c.oldW, c.oldH, c.w, c.h, c.anchor, &m, &kind), c.plan);
        EXPECT_EQ(kind, c.kind);
        if (c.plan != kImgSizeApplyRun) continue;
        EXPECT_EQ(m.left, c.want.left);
        EXPECT_EQ(m.top, c.want.top);
        EXPECT_EQ(m.right, c.want.right);
        EXPECT_EQ(m.bottom, c.want.bottom);
        // The margins always make up the new size.
        EXPECT_EQ(c.oldW + m.left + m.right, c.w);
        EXPECT_EQ(c.oldH + m.top + m.bottom, c.h);
    }
}

}  // namespace
