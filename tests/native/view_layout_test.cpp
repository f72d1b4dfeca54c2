// The view's scroll arithmetic and painting layout: modes and cutting, range
// rules, positions kept while the bars are off; picture placement, the
// background bands, the checker pattern, the visible source of a scaled
// drawing, smoothing and the information text.
#include <gtest/gtest.h>

#include "image/qv_ScrollCore.h"
#include "image/qv_ViewLayout.h"

namespace {

::testing::AssertionResult SameRect(const Rect &got, const Rect &want) {
    if (Rect_Equal(&got, &want)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got {" << got.left << "," << got.top << "," << got.right << ","
                                         << got.bottom << "} want {" << want.left << "," << want.top << ","
                                         << want.right << "," << want.bottom << "}";
}

ScrollState Ranged(int32_t pos) {
    ScrollState s;
    ScrollCore_Init(&s);
    EXPECT_TRUE(ScrollCore_SetRange(&s, kScrollHorz, 100, 500));  // positions 0..400
    const int32_t line = 10;
    ScrollCore_SetSteps(&s, kScrollHorz, &line, nullptr);
    s.hPos = pos;
    return s;
}

TEST(ScrollCore, ModesMoveAndCutToTheRange) {
    struct Case {
        int32_t start, mode, value, want;
        bool ok;
    } cases[] = {
        {50, kScrollTo, 123, 123, true},       {50, kScrollTo, 999, 400, true},
        {50, kScrollTo, -5, 0, true},          {50, kScrollLineFwd, 0, 60, true},
        {5, kScrollLineBack, 0, 0, true},      {50, kScrollPageFwd, 0, 150, true},
        {350, kScrollPageFwd, 0, 400, true},   {150, kScrollPageBack, 0, 50, true},
        {50, kScrollByPlus, 30, 80, true},     {50, kScrollByMinus, 30, 20, true},
        {50, kScrollByMinus, -30, 80, true},   // a negative value scrolls forward (drag scroll)
        {50, kScrollByMinus, INT32_MIN, 400, true},  // no overflow at the extremes
        {50, kScrollToMin, 0, 0, true},        {50, kScrollToMax, 0, 400, true},
        {50, 9, 0, 50, false},                 {50, -1, 0, 50, false},
    };
    for (const auto &k : cases) {
        const ScrollState s = Ranged(k.start);
        int32_t got = k.start;
        EXPECT_EQ(ScrollCore_NewPos(s, kScrollHorz, k.mode, k.value, &got), k.ok) << "mode " << k.mode;
        EXPECT_EQ(got, k.want) << "mode " << k.mode << " value " << k.value;
    }
    int32_t got = 0;
    EXPECT_FALSE(ScrollCore_NewPos(Ranged(0), 2, kScrollTo, 1, &got));  // no third axis
}

TEST(ScrollCore, RangeRulesAndPositionsKeptWhileOff) {
    struct Case {
        int32_t page, total;
        bool ok;
    } cases[] = {{100, 100, false}, {0, 100, false}, {-1, 100, false}, {101, 100, false}, {99, 100, true}};
    for (const auto &k : cases) {
        ScrollState s = Ranged(250);
        EXPECT_EQ(ScrollCore_SetRange(&s, kScrollHorz, k.page, k.total), k.ok) << k.page << "/" << k.total;
        if (!k.ok) {  // a refused range leaves everything as it was
            EXPECT_EQ(s.hMax, 400);
            EXPECT_EQ(s.hPage, 100);
            EXPECT_EQ(s.hPos, 250);
        } else {
            EXPECT_EQ(s.hMax, k.total - k.page);
            EXPECT_EQ(s.hPage, k.page);
            EXPECT_EQ(s.hPos, 1);  // cut into the new range
        }
    }
    ScrollState s = Ranged(300);
    s.hShown = 1;
    ScrollCore_Disable(&s);
    EXPECT_EQ(s.hShown, 0);
    EXPECT_EQ(s.hMax, 0);
    EXPECT_EQ(s.hPos, 300);  // kept while the bars are off
    EXPECT_TRUE(ScrollCore_SetRange(&s, kScrollHorz, 100, 350));
    EXPECT_EQ(s.hPos, 250);  // and cut by the next range
    int32_t steps = 7;
    EXPECT_TRUE(ScrollCore_SetSteps(&s, kScrollBoth, &steps, nullptr));
    EXPECT_EQ(s.hLine, 7);
    EXPECT_EQ(s.vLine, 7);
    EXPECT_EQ(s.hPage, 100);  // a missing step is left alone
    EXPECT_FALSE(ScrollCore_SetSteps(&s, 2, &steps, nullptr));
}

TEST(ScrollCore, CodesAndKeys) {
    struct Case {
        int32_t code;
        bool known;
        int32_t mode;
        bool track, moveBar;
    } codes[] = {
        {kSbLineUp, true, kScrollLineBack, false, true},  {kSbLineDown, true, kScrollLineFwd, false, true},
        {kSbPageUp, true, kScrollPageBack, false, true},  {kSbPageDown, true, kScrollPageFwd, false, true},
        {kSbTop, true, kScrollToMin, false, true},        {kSbBottom, true, kScrollToMax, false, true},
        {kSbThumbPosition, true, kScrollTo, true, true},  {kSbThumbTrack, true, kScrollTo, true, false},
        {kSbEndScroll, false, 0, false, false},           {42, false, 0, false, false},
    };
    for (const auto &k : codes) {
        ScrollAction a{};
        ASSERT_EQ(ScrollCore_ActionForCode(k.code, &a), k.known) << k.code;
        if (!k.known) continue;
        EXPECT_EQ(a.mode, k.mode) << k.code;
        EXPECT_EQ(a.fromTrack, k.track) << k.code;
        EXPECT_EQ(a.moveBar, k.moveBar) << k.code;
    }
    struct Key {
        uint32_t vk;
        int given;
        bool known;
        int32_t code;
        int axis;
    } keys[] = {
        {0x25, kScrollVert, true, kSbLineUp, kScrollHorz},   // Left: always horizontal
        {0x28, kScrollHorz, true, kSbLineDown, kScrollVert}, // Down: always vertical
        {0x21, kScrollHorz, true, kSbPageUp, kScrollHorz},   // Page Up: the given axis
        {0x23, kScrollVert, true, kSbBottom, kScrollVert},   // End
        {0x24, 7, false, 0, 0},                              // Home on no axis
        {0x41, kScrollHorz, false, 0, 0},                    // not a scroll key
    };
    for (const auto &k : keys) {
        int32_t code = -1;
        int axis = -1;
        ASSERT_EQ(ScrollCore_KeyToCode(k.vk, k.given, &code, &axis), k.known) << k.vk;
        if (!k.known) continue;
        EXPECT_EQ(code, k.code) << k.vk;
        EXPECT_EQ(axis, k.axis) << k.vk;
    }
}

TEST(ViewLayout, PlacementAndBackgroundBands) {
    struct Case {
        int32_t cw, ch, zw, zh;
        bool centre;
        Rect picture;
        int bands;
    } cases[] = {
        {200, 100, 50, 40, false, {0, 0, 50, 40}, 2},       // top-left: background right and below
        {200, 100, 50, 40, true, {75, 30, 125, 70}, 4},     // centred: all four bands
        {200, 100, 51, 41, true, {74, 29, 125, 70}, 4},     // odd spare room: integer halves
        {200, 100, 500, 40, true, {0, 30, 200, 70}, 2},     // wider than the client: only rows centred
        {200, 100, 500, 400, true, {0, 0, 200, 100}, 0},    // covers the client
        {200, 100, 0, 0, true, {100, 50, 100, 50}, 2},      // no picture: an empty point in the centre
    };
    const Rect none{0, 0, 0, 0};
    for (const auto &k : cases) {
        const PictureLayout l = ViewLayout_Place(k.cw, k.ch, k.zw, k.zh, k.centre);
        EXPECT_TRUE(SameRect(l.picture, k.picture)) << k.zw << "x" << k.zh;
        const Rect client{0, 0, k.cw, k.ch};
        Rect bands[4];
        const int n = ViewLayout_Bands(ViewLayout_BackgroundOuter(client, none, none, l.picture, false), l.picture,
                                       bands);
        ASSERT_EQ(n, k.bands) << k.zw << "x" << k.zh;
        // Bands and picture tile the client exactly.
        int64_t area = int64_t(l.picture.right - l.picture.left) * (l.picture.bottom - l.picture.top);
        for (int i = 0; i < n; ++i) area += int64_t(bands[i].right - bands[i].left) * (bands[i].bottom - bands[i].top);
        EXPECT_EQ(area, int64_t(k.cw) * k.ch) << k.zw << "x" << k.zh;
    }
    const PictureLayout topLeft = ViewLayout_Place(200, 100, 50, 40, false);
    Rect bands[4];
    ASSERT_EQ(ViewLayout_Bands(Rect{0, 0, 200, 100}, topLeft.picture, bands), 2);
    EXPECT_TRUE(SameRect(bands[0], Rect{50, 0, 200, 40}));   // right of it
    EXPECT_TRUE(SameRect(bands[1], Rect{0, 40, 200, 100}));  // below it
}

TEST(ViewLayout, BackgroundRepaintsOnlyWhatChanged) {
    const Rect client{0, 0, 400, 300};
    struct Case {
        const char *name;
        Rect prevClient, prevPicture, picture;
        bool fullErase;
        Rect want;
    } cases[] = {
        {"full erase", client, {100, 100, 200, 200}, {100, 100, 200, 200}, true, client},
        {"first paint", {0, 0, 0, 0}, {0, 0, 0, 0}, {100, 100, 200, 200}, false, client},
        {"same layout", client, {100, 100, 200, 200}, {100, 100, 200, 200}, false, {100, 100, 200, 200}},
        {"picture shrank", client, {50, 50, 350, 250}, {100, 100, 300, 200}, false, {50, 50, 350, 250}},
        {"client grew right and down", {0, 0, 300, 200}, {100, 50, 200, 150}, {150, 100, 250, 200}, false,
         {100, 50, 400, 300}},
    };
    for (const auto &k : cases)
        EXPECT_TRUE(SameRect(ViewLayout_BackgroundOuter(client, k.prevClient, k.prevPicture, k.picture, k.fullErase),
                             k.want))
            << k.name;
}

TEST(ViewLayout, CheckerCellsScaleWithDpiAndAlternate) {
    struct Case {
        int32_t index, dpi, cell;
    } cases[] = {{0, 96, 8}, {0, 144, 12}, {2, 96, 32}, {4, 192, 256}, {9, 96, 128}, {-1, 96, 8}, {1, 72, 16}};
    for (const auto &k : cases) EXPECT_EQ(ViewLayout_CheckerCell(k.index, k.dpi), k.cell) << k.index << "@" << k.dpi;
    struct Pixel {
        int32_t x, y;
        int colour;
    } pixels[] = {{0, 0, 0}, {11, 11, 0}, {12, 0, 1}, {0, 12, 1}, {12, 12, 0}, {25, 0, 0}, {-1, 0, 1}, {-13, -1, 1}, {-12, -1, 0}};
    for (const auto &p : pixels) EXPECT_EQ(ViewLayout_CheckerIndex(p.x, p.y, 12), p.colour) << p.x << "," << p.y;
}

TEST(ViewLayout, VisibleSourceOfAScaledDrawing) {
    struct Case {
        const char *name;
        int32_t pw, ph, zw, zh;
        Rect shown;
        int32_t sx, sy;
        Rect source, dest;
    } cases[] = {
        // Doubled 100x80 picture scrolled to (50, 20) in a 60x40 view: source
        // columns 25..55 and rows 10..30 plus two on each side.
        {"enlarged and scrolled", 100, 80, 200, 160, {0, 0, 60, 40}, 50, 20, {23, 8, 57, 32}, {-4, -4, 64, 44}},
        // The margin is cut at the picture's edges.
        {"at the origin", 100, 80, 200, 160, {0, 0, 60, 40}, 0, 0, {0, 0, 32, 22}, {0, 0, 64, 44}},
        {"at the far end", 100, 80, 200, 160, {0, 0, 60, 40}, 140, 120, {68, 58, 100, 80}, {-4, -4, 60, 40}},
        // Halved, whole picture shown centred.
        {"reduced", 100, 80, 50, 40, {10, 5, 60, 45}, 0, 0, {0, 0, 100, 80}, {10, 5, 60, 45}},
    };
    for (const auto &k : cases) {
        ScaledDraw d{};
        ASSERT_TRUE(ViewLayout_VisibleSource(k.pw, k.ph, k.zw, k.zh, k.shown, k.sx, k.sy, 2, &d)) << k.name;
        EXPECT_TRUE(SameRect(d.source, k.source)) << k.name;
        EXPECT_TRUE(SameRect(d.dest, k.dest)) << k.name;
    }
    ScaledDraw d{};
    EXPECT_FALSE(ViewLayout_VisibleSource(100, 80, 200, 160, Rect{0, 0, 0, 40}, 0, 0, 2, &d));
}

TEST(ViewLayout, SmoothingAndInformationTextDecisions) {
    const SmoothFacts base{true, 1, 0, 50, true, false, 0x22, false, false};
    struct SmoothCase {
        const char *name;
        SmoothFacts f;
        bool want;
    } smooth[] = {
        {"quality 1", base, true},
        {"quality 0", {true, 0, 0, 50, true, false, 0x22, false, false}, false},
        {"enlarging past SmplZmZm", {false, 1, 200, 300, true, false, 0x22, false, false}, false},
        {"enlarging below SmplZmZm", {false, 1, 200, 150, true, false, 0x22, false, false}, true},
        {"reducing ignores SmplZmZm", {true, 1, 100, 300, true, false, 0x22, false, false}, true},
        {"selection mode", {true, 1, 0, 50, true, true, 0x22, false, false}, false},
        {"fit", {true, 1, 0, 50, true, false, 0x23, false, false}, false},
        {"kept zoom", {true, 1, 0, 50, true, false, 0xA2, false, false}, false},
        {"kept zoom of an animation", {true, 1, 0, 50, false, false, 0xA2, false, false}, true},
        {"drag zoom", {true, 1, 0, 50, true, false, 0x22, true, false}, false},
        {"drag zoom with DragZmQ", {true, 1, 0, 50, true, false, 0x22, true, true}, true},
    };
    for (const auto &k : smooth) EXPECT_EQ(ViewLayout_Smooth(k.f), k.want) << k.name;

    const InfoTextFacts shown{true, true, false, false, false, false, 0, false, false};
    struct TextCase {
        const char *name;
        InfoTextFacts f;
        bool want;
    } texts[] = {
        {"shown", shown, true},
        {"no font", {false, true, false, false, false, false, 0, false, false}, false},
        {"option off", {true, false, false, false, false, false, 0, false, false}, false},
        {"scroll bar dragged", {true, true, false, true, false, false, 0, false, false}, false},
        {"animation", {true, true, false, false, true, false, 0, false, false}, false},
        {"animation allowed", {true, true, false, false, true, true, 0, false, false}, true},
        {"kept zoom", {true, true, false, false, false, false, 0x80, false, false}, false},
        {"selection on a still", {true, true, false, false, false, false, 0, true, false}, false},
        {"after a drag step", {true, true, false, false, false, false, 0, false, true}, false},
    };
    for (const auto &k : texts) EXPECT_EQ(ViewLayout_ShowInfoText(k.f), k.want) << k.name;
}

TEST(ViewLayout, InformationTextPosition) {
    struct Case {
        int32_t position, textW, textH;
        int32_t x, y;
    } cases[] = {
        {0, 100, 20, 1, 1},       {2, 100, 20, 197, 1},   {4, 100, 20, 99, 89},  {7, 100, 20, 99, 177},
        {8, 100, 20, 197, 177},   {0, 297, 20, 0, 1},      // wider than the client: right-aligned whatever the setting
        {3, 600, 250, -303, -53},                          // both axes too large: right- and bottom-aligned
    };
    for (const auto &k : cases) {
        int32_t x = 0, y = 0;
        ViewLayout_InfoTextPos(k.position, 300, 200, k.textW, k.textH, 2, 2, &x, &y);
        EXPECT_EQ(x, k.x) << "position " << k.position << " width " << k.textW;
        EXPECT_EQ(y, k.y) << "position " << k.position << " width " << k.textW;
    }
}

}  // namespace
