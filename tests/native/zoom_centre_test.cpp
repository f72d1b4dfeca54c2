// Zooming about the middle of the view: the request each zoom command
// stands for, the middle of the visible part, and the scroll position that
// brings that picture point back to the middle, with sizes up to the i32
// limits and zooms up to 5000 %.
#include <gtest/gtest.h>

#include <cstdint>

#include "image/qv_ZoomCentre.h"

namespace {

constexpr uint32_t kNotZoom = 0xFFFFFFFFu;

TEST(ZoomCentre, CommandModes) {
    // Zoom modes: 0 actual, 0x80 actual with keep, 0x1 fit, 0x81 fit with
    // keep, 0x22 fixed drawn scaled, 0x23 fit drawn scaled.
    const uint32_t modes[] = {0x0, 0x80, 0x1, 0x81, 0x22, 0x23};
    struct Case {
        uint32_t id;
        uint32_t want[6];
    } cases[] = {
        {kCmdZoomIn, {4, 4, 4, 4, 4, 4}},
        {kCmdZoomOut, {8, 8, 8, 8, 8, 8}},
        {kCmdZoomActual, {0, 0, 0, 0, 0, 0}},
        {kCmdZoomFit, {1, 1, 1, 1, 1, 1}},
        // Fit from actual size (the keep bit does not make it a fit); a fixed
        // zoom counts as fit and goes to actual size.
        {kCmdActualOrFitFixedAsFit, {1, 1, 0, 0, 0, 0}},
        // Only a fit goes to actual size; a fixed zoom goes to fit.
        {kCmdActualOrFit, {1, 1, 0, 0, 1, 0}},
        {40081, {kNotZoom, kNotZoom, kNotZoom, kNotZoom, kNotZoom, kNotZoom}},  // full screen
        {40084, {kNotZoom, kNotZoom, kNotZoom, kNotZoom, kNotZoom, kNotZoom}},  // zoom dialog
        {45043, {kNotZoom, kNotZoom, kNotZoom, kNotZoom, kNotZoom, kNotZoom}},
        {45046, {kNotZoom, kNotZoom, kNotZoom, kNotZoom, kNotZoom, kNotZoom}},
    };
    for (const Case &c : cases) {
        for (int i = 0; i < 6; ++i) {
            SCOPED_TRACE(::testing::Message() << "id " << c.id << " zoom mode 0x" << std::hex << modes[i]);
            uint32_t mode = 12345;
            const bool mine = ZoomCentre_CommandMode(c.id, modes[i], &mode);
            EXPECT_EQ(mine, c.want[i] != kNotZoom);
            if (mine) {
                EXPECT_EQ(mode, c.want[i]);
            }
        }
    }
}

TEST(ZoomCentre, MiddleOfTheVisiblePart) {
    struct Case {
        const char *what;
        int32_t displayed, client, pos;
        bool scrolls;
        int64_t want;
    } cases[] = {
        {"picture smaller than the client", 100, 400, 0, false, 50},
        {"picture larger, scrolled", 1000, 200, 300, true, 400},
        {"position ignored on an axis that does not scroll", 1000, 200, 300, false, 100},
        {"odd client", 1000, 201, 0, true, 100},
        {"negative inputs count as 0", -5, 200, -7, true, 0},
        {"both halves near the i32 limit", INT32_MAX, INT32_MAX, INT32_MAX, true,
         int64_t(INT32_MAX) / 2 + INT32_MAX},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ZoomCentre_Point(c.displayed, c.client, c.pos, c.scrolls), c.want);
    }
}

TEST(ZoomCentre, NewPositionByHand) {
    struct Case {
        const char *what;
        int64_t centre;
        int32_t oldSize, newSize, client;
        int32_t want;
    } cases[] = {
        {"twice as large", 600, 1000, 2000, 200, 1100},
        {"half as large", 600, 1000, 500, 200, 200},
        {"rounded to the nearest pixel", 1, 3, 2, 0, 1},
        {"near the left edge: cut to 0", 50, 1000, 1100, 400, 0},
        {"no old size", 600, 0, 2000, 200, 0},
        {"new size 0", 600, 1000, 0, 200, 0},
        // 1 % to 5000 %: 42949672 x 50 = 2147483600.
        {"1 % to 5000 % of a wide picture", 21474830, 42949672, 2147483600, 1000, 1073741000},
        {"5000 % back to 1 %", 2147483000, 2147483600, 42949672, 1000, 42949160},
        {"largest sizes, unchanged", 2147483000, INT32_MAX, INT32_MAX, 0, 2147483000},
        {"past the i32 range: cut", int64_t(3) << 31, INT32_MAX, INT32_MAX, 0, INT32_MAX},
        {"a centre past 2^32 is cut before multiplying", int64_t(1) << 40, 1, INT32_MAX, 0, INT32_MAX},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ZoomCentre_NewPos(c.centre, c.oldSize, c.newSize, c.client), c.want);
    }
}

// The picture point at the middle before the zoom is at the middle after it,
// within a pixel, for pictures far larger than the client.
TEST(ZoomCentre, PointStaysInTheMiddle) {
    struct Case {
        int32_t oldSize, newSize, client, pos;
    } cases[] = {
        {1000, 2000, 200, 300},
        {2000, 1000, 200, 1700},
        {3000, 7, 500, 1234},
        {2147483600, 42949672, 1920, 1000000000},
        {42949672, 2147483600, 1920, 42940000},
        {INT32_MAX, INT32_MAX - 1, 1, INT32_MAX - 1},
        {1234567, 1234567 * 13, 777, 33333},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.oldSize << " -> " << c.newSize);
        const int64_t centre = ZoomCentre_Point(c.oldSize, c.client, c.pos, true);
        const int32_t pos = ZoomCentre_NewPos(centre, c.oldSize, c.newSize, c.client);
        if (c.newSize <= c.client) {
            EXPECT_EQ(pos, 0);  // the picture fits: nothing to scroll
            continue;
        }
        // Where the old middle lies in the new picture, as a fraction in long double.
        const long double wanted = static_cast<long double>(centre) * c.newSize / c.oldSize;
        const long double middleAfter = static_cast<long double>(pos) + c.client / 2;
        EXPECT_LE(middleAfter - wanted, 1.0L);
        EXPECT_GE(middleAfter - wanted, -1.0L);
    }
}

}  // namespace
