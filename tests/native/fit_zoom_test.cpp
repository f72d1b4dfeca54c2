// Fit arithmetic and the zoom and page arithmetic of the current picture.
#include <gtest/gtest.h>

#include "image/qv_FitCore.h"
#include "image/qv_ZoomCore.h"

namespace {

struct FitCase {
    const char *what;
    int32_t type, areaW, areaH, picW, picH, maxPercent, vBar, hBar;
    int32_t zoom, w, h, usedType;
};

TEST(Fit, TableOfFits) {
    const FitCase cases[] = {
        {"wide picture, whole", kFitWhole, 500, 500, 1000, 500, 0, 0, 0, 5000000, 500, 250, kFitWhole},
        {"70 percent", kFitWhole, 700, 700, 1000, 300, 0, 0, 0, 7000000, 700, 210, kFitWhole},
        {"3x7 into 10x10", kFitWhole, 10, 10, 3, 7, 0, 0, 0, 14285714, 4, 10, kFitWhole},
        {"one side equal", kFitWhole, 800, 600, 800, 300, 0, 0, 0, 10000000, 800, 300, kFitWhole},
        {"exact area", kFitWhole, 400, 300, 800, 600, 0, 0, 0, 5000000, 400, 300, kFitWhole},
        {"tall, width limits", kFitWhole, 100, 1000, 300, 400, 0, 0, 0, 3325000, 100, 133, kFitWhole},
        {"small stays at maximum 100", kFitWhole, 800, 600, 100, 50, 100, 0, 0, 10000000, 100, 50, kFitWhole},
        {"small to maximum 200", kFitWhole, 800, 600, 100, 50, 200, 0, 0, 20000000, 200, 100, kFitWhole},
        {"no maximum", kFitWhole, 800, 600, 100, 50, 0, 0, 0, 80000000, 800, 400, kFitWhole},
        {"maximum equal to fit", kFitWhole, 200, 200, 100, 50, 200, 0, 0, 20000000, 200, 100, kFitWhole},
        {"large unaffected by maximum", kFitWhole, 500, 500, 1000, 500, 100, 0, 0, 5000000, 500, 250, kFitWhole},
        {"width, no bars", kFitWidth, 500, 500, 1000, 3000, 0, 0, 0, 5000000, 500, 1500, kFitWidth},
        {"width, bar reserve", kFitWidth, 500, 500, 1000, 3000, 0, 17, 17, 4830000, 483, 1449, kFitWidth},
        {"width, bar wider than area ignored", kFitWidth, 500, 500, 1000, 3000, 0, 500, 17, 5000000, 500, 1500,
         kFitWidth},
        {"width, picture fits: whole", kFitWidth, 500, 500, 1000, 400, 0, 17, 17, 5000000, 500, 200, kFitWidth},
        {"width, the bar makes it fit: whole", kFitWidth, 1000, 1000, 1000, 1010, 0, 17, 17, 9900990, 990, 1000,
         kFitWidth},
        {"height, bar reserve", kFitHeight, 500, 500, 3000, 1000, 0, 17, 17, 4830000, 1449, 483, kFitHeight},
        {"aspect, portrait fills the width", kFitAspect, 500, 500, 1000, 3000, 0, 17, 17, 4830000, 483, 1449,
         kFitWidth},
        {"aspect, landscape fills the height", kFitAspect, 500, 500, 3000, 1000, 0, 17, 17, 4830000, 1449, 483,
         kFitHeight},
        {"aspect, landscape in a wide area", kFitAspect, 1000, 100, 300, 200, 0, 0, 0, 33333333, 1000, 667,
         kFitWidth},
        {"overflowing side, maximum caps", kFitWidth, 2000000000, 100, 1, 1000, 5000, 0, 0, 500000000, 50, 50000,
         kFitWidth},
        {"one-pixel picture capped", kFitWhole, 1000, 1000, 1, 1, 5000, 0, 0, 500000000, 50, 50, kFitWhole},
        {"unknown type is whole", 9, 500, 500, 1000, 500, 0, 0, 0, 5000000, 500, 250, kFitWhole},
    };
    for (const auto &k : cases) {
        int32_t w = -7, h = -7, used = -7;
        EXPECT_EQ(Fit_Compute(k.type, k.areaW, k.areaH, k.picW, k.picH, k.maxPercent, k.vBar, k.hBar, &w, &h, &used),
                  k.zoom)
            << k.what;
        EXPECT_EQ(w, k.w) << k.what;
        EXPECT_EQ(h, k.h) << k.what;
        EXPECT_EQ(used, k.usedType) << k.what;
    }
}

TEST(Fit, InvalidSizesAreRefused) {
    const int32_t sizes[][4] = {{0, 500, 100, 100}, {500, 0, 100, 100}, {500, 500, 0, 100},
                                {500, 500, 100, -1}, {-5, 500, 100, 100}};
    for (const auto &s : sizes) {
        int32_t w = 0, h = 0, used = 0;
        for (int32_t type = 0; type <= 3; ++type)
            EXPECT_EQ(Fit_Compute(type, s[0], s[1], s[2], s[3], 0, 0, 0, &w, &h, &used), -1);
        EXPECT_EQ(Fit_ComputeZoomWhole(s[2], s[3], s[0], s[1]), -1);
        EXPECT_EQ(Fit_ComputeSide(0, s[0], s[1], s[2], s[3], 0, &w, &h), -1);
        EXPECT_FALSE(Fit_FitsAtActualSize(0, s[0], s[1], s[2], s[3], 0, 0));
    }
    EXPECT_EQ(Fit_ComputeZoomWhole(3, 7, 10, 10), 14285714);
}

TEST(Fit, FitsAtActualSizeByType) {
    struct Case {
        int32_t type, areaW, areaH, picW, picH;
        bool fits;
    } cases[] = {
        {kFitWhole, 500, 400, 500, 400, true},  {kFitWhole, 500, 400, 501, 400, false},
        {kFitWhole, 500, 400, 500, 401, false}, {kFitWidth, 500, 400, 490, 1000, false},  // bar takes 17
        {kFitWidth, 500, 400, 483, 1000, true}, {kFitWidth, 500, 400, 500, 400, true},
        {kFitHeight, 400, 500, 1000, 490, false}, {kFitHeight, 400, 500, 1000, 483, true},
        {kFitAspect, 500, 400, 480, 1000, true},   // portrait: width decides
        {kFitAspect, 500, 400, 2000, 380, true},   // landscape: height decides
        {kFitAspect, 500, 400, 2000, 390, false},  // the horizontal bar takes 17
    };
    for (const auto &k : cases)
        EXPECT_EQ(Fit_FitsAtActualSize(k.type, k.areaW, k.areaH, k.picW, k.picH, 17, 17), k.fits)
            << k.type << " " << k.picW << "x" << k.picH;
}

TEST(Zoom, PresetStepsAndPercent) {
    const int32_t *steps = Zoom_PresetSteps();
    EXPECT_EQ(steps[0], 1);
    EXPECT_EQ(steps[kZoomPresetCount - 1], 5000);
    for (int i = 1; i < kZoomPresetCount; ++i) EXPECT_LT(steps[i - 1], steps[i]);

    const int32_t percents[][2] = {{10000000, 100}, {10004000, 101}, {9996000, 99}, {5000000, 50},
                                   {14285714, 143}, {10050000, 101}, {100000, 1},   {500000000, 5000}};
    for (const auto &p : percents) EXPECT_EQ(Zoom_PercentOf(p[0]), p[1]) << p[0];
}

TEST(Zoom, InAndOut) {
    struct Case {
        int32_t from, direction;
        bool byStep;
        int32_t below, above, to;
    } cases[] = {
        {100, 1, false, 10, 25, 125},   {100, -1, false, 10, 25, 75},  {4000, 1, false, 10, 25, 5000},
        {5000, 1, false, 10, 25, 5000}, {1, -1, false, 10, 25, 1},     {2, -1, false, 10, 25, 1},
        {99, 1, false, 10, 25, 100},    {101, -1, false, 10, 25, 100}, {143, 1, false, 10, 25, 150},
        {100, 1, true, 10, 25, 125},    {110, 1, true, 10, 25, 125},   {125, 1, true, 10, 25, 150},
        {95, 1, true, 10, 25, 100},     {85, 1, true, 10, 25, 90},     {100, -1, true, 10, 25, 90},
        {95, -1, true, 10, 25, 90},     {130, -1, true, 10, 25, 125},  {125, -1, true, 10, 25, 100},
        {5, -1, true, 10, 25, 1},       {4990, 1, true, 10, 25, 5000}, {5000, 1, true, 10, 25, 5000},
        {100, 1, true, 10, 5000, 5000}, {3, -1, true, 1, 25, 2},
    };
    for (const auto &k : cases)
        EXPECT_EQ(Zoom_NextPercent(k.from, k.direction, k.byStep, k.below, k.above), k.to)
            << k.from << (k.direction > 0 ? " in" : " out") << (k.byStep ? " by step" : "");
}

TEST(Zoom, DisplayedSizeAtFixedZoom) {
    struct Case {
        int32_t w, h, zoom;
        bool ok;
        int32_t outW, outH;
    } cases[] = {
        {1000, 500, 5000000, true, 500, 250},     {3, 7, 15000000, true, 5, 11},  // 4.5 and 10.5 round up
        {1000, 1000, 1, true, 1, 1},              {65535, 65535, 500000000, true, 3276750, 3276750},
        {2000000000, 1, 500000000, false, 0, 0},  {0, 10, 10000000, false, 0, 0},
    };
    for (const auto &k : cases) {
        int32_t w = 0, h = 0;
        EXPECT_EQ(Zoom_DisplayedSize(k.w, k.h, k.zoom, &w, &h), k.ok) << k.w;
        if (k.ok) {
            EXPECT_EQ(w, k.outW) << k.w;
            EXPECT_EQ(h, k.outH) << k.w;
        }
    }
}

TEST(Zoom, FitShowDecision) {
    const uint64_t gib = uint64_t{1} << 30;
    struct Case {
        const char *what;
        FitShowInput in;
        FitShow show;
        int32_t zoom;
    } cases[] = {
        {"same size", {800, 600, 800, 600, 10000000, 3, false, 0, 8 * gib}, FitShow::Actual, 10000000},
        {"copy", {1000, 500, 500, 250, 5000000, 3, false, 0, 8 * gib}, FitShow::DisplayCopy, 5000000},
        {"no method", {1000, 500, 500, 250, 5000000, 0, false, 0, 8 * gib}, FitShow::DrawnScaled, 5000000},
        {"keep zoom", {1000, 500, 500, 250, 5000000, 3, true, 0, 8 * gib}, FitShow::DrawnScaled, 5000000},
        {"simple zoom reached", {100, 50, 800, 400, 80000000, 3, false, 300, 8 * gib}, FitShow::DrawnScaled,
         80000000},
        {"simple zoom not reached", {100, 50, 200, 100, 20000000, 3, false, 300, 8 * gib}, FitShow::DisplayCopy,
         20000000},
        {"simple zoom below 100 is off", {100, 50, 800, 400, 80000000, 3, false, 99, 8 * gib},
         FitShow::DisplayCopy, 80000000},
        {"copy over half the memory", {20000, 20000, 10000, 10000, 5000000, 3, false, 0, 512u << 20},
         FitShow::DrawnScaled, 5000000},
        {"copy over 1 GiB", {40000, 40000, 20000, 20000, 5000000, 3, false, 0, 64 * gib}, FitShow::DrawnScaled,
         5000000},
        {"side over 65535", {10, 10000, 70000, 10, 70000000, 3, false, 0, 64 * gib}, FitShow::DrawnScaled,
         70000000},
    };
    for (const auto &k : cases) {
        const FitShowResult r = Zoom_DecideFitShow(k.in);
        EXPECT_EQ(r.show, k.show) << k.what;
        EXPECT_EQ(r.zoom, k.zoom) << k.what;
    }
}

TEST(Comic, StepTable) {
    struct Case {
        int32_t a, how;
        bool comic, single, notInList;
        int32_t move, direction;
    } cases[] = {
        {1, 0, false, true, false, 1, 1},    {-3, 0, false, false, false, -3, -1},
        {1, 0, true, true, false, 1, 1},     {1, 0, true, false, false, 2, 1},
        {2, 0, true, true, false, 3, 1},     {2, 0, true, false, false, 4, 1},
        {-1, 0, true, false, false, -1, -1}, {-1, 0, true, true, false, -1, -1},
        {-2, 0, true, false, false, -3, -1}, {-1, 6, true, false, false, 0, -1},
        {-1, 6, true, true, false, -1, 1},   {1, 6, true, true, false, 1, -1},
        {1, 6, true, false, false, 1, 1},    {0, 0, false, true, true, 1, 0},
        {0, 0, true, false, true, 1, 0},     {0, 5, false, true, true, 0, 0},
        {1073741824, 0, true, false, false, 2147483647, 1},
    };
    for (const auto &k : cases) {
        const ComicMove m = Comic_Step(k.a, k.how, k.comic, k.single, k.notInList);
        EXPECT_EQ(m.move, k.move) << k.a << " how " << k.how << " single " << k.single;
        EXPECT_EQ(m.direction, k.direction) << k.a << " how " << k.how << " single " << k.single;
    }
}

TEST(Comic, TwoPageLayout) {
    struct Case {
        const char *what;
        int32_t cw, ch, nw, nh, matching, direction;
        bool leftToRight;
        int32_t resized, canvasW, canvasH, currentX, currentY, neighbourX, neighbourY;
        bool currentOnLeft;
    } cases[] = {
        {"no matching, forward, right to left", 800, 1200, 800, 1000, 0, 1, false, 0, 1600, 1200, 800, 0, 0, 100,
         false},
        {"no matching, forward, left to right", 800, 1200, 800, 1000, 0, 1, true, 0, 1600, 1200, 0, 0, 800, 100,
         true},
        {"no matching, back, right to left", 800, 1200, 800, 1000, 0, -1, false, 0, 1600, 1200, 0, 0, 800, 100,
         true},
        {"no matching, back, left to right", 800, 1200, 800, 1000, 0, -1, true, 0, 1600, 1200, 800, 0, 0, 100,
         false},
        {"taller comes down", 800, 1200, 800, 1000, 1, 1, true, 1, 1467, 1000, 0, 0, 667, 0, true},
        {"shorter goes up", 800, 1200, 800, 1000, 2, 1, true, 2, 1760, 1200, 0, 0, 800, 0, true},
        {"equal heights untouched", 600, 900, 700, 900, 2, 1, true, 0, 1300, 900, 0, 0, 600, 0, true},
        {"odd margin", 10, 11, 10, 8, 0, 1, true, 0, 20, 11, 0, 0, 10, 1, true},
    };
    for (const auto &k : cases) {
        TwoPageLayout l{};
        ASSERT_TRUE(TwoPage_Layout(k.cw, k.ch, k.nw, k.nh, k.matching, k.direction, k.leftToRight, &l)) << k.what;
        EXPECT_EQ(l.resized, k.resized) << k.what;
        EXPECT_EQ(l.canvasWidth, k.canvasW) << k.what;
        EXPECT_EQ(l.canvasHeight, k.canvasH) << k.what;
        EXPECT_EQ(l.currentX, k.currentX) << k.what;
        EXPECT_EQ(l.currentY, k.currentY) << k.what;
        EXPECT_EQ(l.neighbourX, k.neighbourX) << k.what;
        EXPECT_EQ(l.neighbourY, k.neighbourY) << k.what;
        EXPECT_EQ(l.currentOnLeft, k.currentOnLeft) << k.what;
        EXPECT_EQ(l.currentWidth + l.neighbourWidth, l.canvasWidth) << k.what;
    }
}

TEST(Comic, TwoPageRefusesOverflow) {
    TwoPageLayout l{};
    // Widths that add beyond 32 bits.
    EXPECT_FALSE(TwoPage_Layout(2000000000, 10, 2000000000, 10, 0, 1, true, &l));
    // Bringing a 1-pixel-high page up to a huge height overflows its width.
    EXPECT_FALSE(TwoPage_Layout(2000000, 1, 10, 2000000000, 2, 1, true, &l));
    // A page brought down keeps at least one pixel of width.
    ASSERT_TRUE(TwoPage_Layout(1, 1000, 10, 10, 1, 1, true, &l));
    EXPECT_EQ(l.currentWidth, 1);
    EXPECT_EQ(l.currentHeight, 10);
    EXPECT_FALSE(TwoPage_Layout(0, 10, 10, 10, 0, 1, true, &l));
}

TEST(AutoRotate, OptionTable) {
    struct Case {
        int32_t option, w, h, degrees;
    } cases[] = {
        {0, 100, 50, 0},  {1, 100, 50, 270}, {2, 100, 50, 90},  {7, 100, 50, 180}, {8, 100, 50, 0},
        {3, 100, 50, 0},  {3, 50, 100, 270}, {3, 50, 50, 0},    {4, 100, 50, 0},   {4, 50, 100, 90},
        {5, 100, 50, 270}, {5, 50, 100, 0},  {5, 50, 50, 0},    {6, 100, 50, 90},  {6, 50, 100, 0},
        {-1, 100, 50, 0},
    };
    for (const auto &k : cases)
        EXPECT_EQ(AutoRotate_Degrees(k.option, k.w, k.h), k.degrees) << k.option << " " << k.w << "x" << k.h;
}

}  // namespace
