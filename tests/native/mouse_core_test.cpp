// The mouse table: chords with a held button, drag-mode ownership, the
// wheel's notch gathering and WheelIdle filter, the "Mous" chunk bytes and
// the hover-scroll positions.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "other/qv_MouseCore.h"

namespace {

constexpr uint32_t kL = 0x01, kR = 0x02, kM = 0x10, kX1 = 0x20, kX2 = 0x40;

MouseSettings Defaults() {
    MouseSettings s;
    std::memset(&s, 0xCD, sizeof s);  // every field must be set
    Mouse_InitSettings(&s);
    return s;
}

bool SameTable(const MouseSettings &a, const MouseSettings &b) {
    return std::memcmp(a.command, b.command, sizeof a.command) == 0 &&
           std::memcmp(a.dragMode, b.dragMode, sizeof a.dragMode) == 0 &&
           std::memcmp(a.dragMk, b.dragMk, sizeof a.dragMk) == 0 &&
           std::memcmp(a.dragVk, b.dragVk, sizeof a.dragVk) == 0 &&
           std::memcmp(a.pressed, b.pressed, sizeof a.pressed) == 0;
}

std::vector<uint8_t> Chunk(const MouseSettings &s) {
    std::vector<uint8_t> bytes(kMouseChunkSize);
    Mouse_EncodeChunk(&s, bytes.data());
    return bytes;
}

TEST(MouseChords, PickCommandFollowsTheHeldButtonRule) {
    struct Case {
        const char *what;
        int action, button;
        uint32_t flags;
        int heldOnly;
        uint16_t want;
        int clearedPress;  // the held button whose press mark is taken, -1 none
    } cases[] = {
        {"wheel down alone", kMouseWheelDown, kMouseM, 0, 0, 40062, -1},
        {"wheel up alone", kMouseWheelUp, kMouseM, 0, 0, 40061, -1},
        {"wheel down with L held", kMouseWheelDown, kMouseM, kL, 0, 45122, kMouseL},
        {"wheel up with R held", kMouseWheelUp, kMouseM, kR, 0, 45123, kMouseR},
        {"held button without a cell: nothing", kMouseWheelDown, kMouseM, kX2, 0, 0, -1},
        {"R's own click", kMouseClick, kMouseR, 0, 0, 45001, -1},
        {"R's click with L held has no cell", kMouseClick, kMouseR, kL, 0, 0, -1},
        {"heldOnly refuses the button alone", kMouseClick, kMouseR, 0, 1, 0, -1},
        {"the button's own flag is not a held button", kMouseClick, kMouseM, kM, 0, 40011, -1},
        {"L double click", kMouseDoubleClick, kMouseL, 0, 0, 40081, -1},
        {"out of range", 4, kMouseM, 0, 0, 0, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        MouseSettings s = Defaults();
        for (auto &p : s.pressed) p = 1;
        EXPECT_EQ(Mouse_PickCommand(&s, c.action, c.button, c.flags, c.heldOnly), c.want);
        for (int b = 0; b < kMouseButtons; ++b) EXPECT_EQ(s.pressed[b], b == c.clearedPress ? 0 : 1) << b;
    }
}

TEST(MouseChords, ANonScrollButtonGoesBeforeTheScrollButton) {
    MouseSettings s = Defaults();
    // X1 owns zoom; give it a wheel chord too. With L (scroll/select) and X1
    // both held, X1 wins and only X1 loses its press mark.
    Mouse_SetCommand(kMouseM, kMouseWheelDown, 40082, &s, kMouseX1);
    s.pressed[kMouseL] = s.pressed[kMouseX1] = 1;
    EXPECT_EQ(Mouse_PickCommand(&s, kMouseWheelDown, kMouseM, kL | kX1, 0), 40082);
    EXPECT_EQ(s.pressed[kMouseL], 1);
    EXPECT_EQ(s.pressed[kMouseX1], 0);
    // R (no drag mode) comes before L in the walk and wins at once.
    EXPECT_EQ(Mouse_PickCommand(&s, kMouseWheelDown, kMouseM, kL | kR, 0), 45124);
}

TEST(MouseChords, CommandForHeldButtonsAndHeldDragButtons) {
    MouseSettings s = Defaults();
    Mouse_SetCommand(kMouseX1, kMouseClick, 40086, &s, kMouseX1);
    Mouse_SetCommand(kMouseX1, kMouseClick, 40087, &s, kMouseR);
    EXPECT_EQ(Mouse_CommandForHeldButtons(&s, 0, kDragZoom), 40086);
    EXPECT_EQ(Mouse_CommandForHeldButtons(&s, kR, kDragZoom), 40087);  // R's slot comes before X1's
    EXPECT_EQ(Mouse_CommandForHeldButtons(&s, kR, kDragMoveWindow), 0);  // nobody owns it
    EXPECT_EQ(Mouse_CommandForHeldButtons(&s, kR, kDragScrollSelect), 0);  // L has no click command

    int out[kDragModes];
    Mouse_HeldDragButtons(&s, out, kL | kX1 | kX2);
    EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{1, 1, 0, 0}));
    ASSERT_EQ(Mouse_SetDragMode(kDragSystemMove, &s, kMouseL), 1);
    Mouse_HeldDragButtons(&s, out, kL);
    EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{0, 0, 0, 0}));  // mode 3 never reported
}

TEST(MouseDragModes, OneOwnerPerModeAndSystemMoveOnlyForLeft) {
    MouseSettings s = Defaults();
    EXPECT_EQ(Mouse_FindDragButton(kDragScrollSelect, &s), kMouseL);
    EXPECT_EQ(Mouse_FindDragButton(kDragZoom, &s), kMouseX1);
    EXPECT_EQ(Mouse_FindDragButton(kDragMoveWindow, &s), -1);

    // Zoom to R while X1 owns it: X1 is left without a mode.
    EXPECT_EQ(Mouse_SetDragMode(kDragZoom, &s, kMouseR), 1);
    EXPECT_EQ(s.dragMode[kMouseX1], kDragNone);
    EXPECT_EQ(s.dragMode[kMouseR], kDragZoom);
    EXPECT_EQ(s.dragMk[kDragZoom], kR);
    EXPECT_EQ(s.dragVk[kDragZoom], 2);

    // Mode 3 for R is refused and changes nothing.
    EXPECT_EQ(Mouse_SetDragMode(kDragSystemMove, &s, kMouseR), 0);
    EXPECT_EQ(s.dragMode[kMouseR], kDragZoom);
    EXPECT_EQ(s.dragMk[kDragSystemMove], 0);

    // R moves to another mode: its old mode is released.
    EXPECT_EQ(Mouse_SetDragMode(kDragMoveWindow, &s, kMouseR), 1);
    EXPECT_EQ(s.dragMk[kDragZoom], 0);
    EXPECT_EQ(s.dragVk[kDragZoom], -1);
    EXPECT_EQ(s.dragMk[kDragMoveWindow], kR);

    // Out-of-range mode means none; a bad button is refused.
    EXPECT_EQ(Mouse_SetDragMode(7, &s, kMouseR), 1);
    EXPECT_EQ(s.dragMode[kMouseR], kDragNone);
    EXPECT_EQ(s.dragMk[kDragMoveWindow], 0);
    EXPECT_EQ(Mouse_SetDragMode(kDragZoom, &s, 5), 0);
}

TEST(MouseWheel, NotchesGatherPerDirection) {
    struct Case {
        const char *what;
        std::vector<int32_t> deltas;
        std::vector<int> acting;  // notches acting after each delta
    } cases[] = {
        {"whole notches", {120, -120}, {1, 1}},
        {"quarter notches make one", {30, 30, 30, 30}, {0, 0, 0, 1}},
        {"zero is ignored", {0, 60, 0, 60}, {0, 0, 0, 1}},
        {"a big delta is several notches", {240, -360}, {2, 3}},
        {"a turn drops the part gathered", {90, -40, 90}, {0, 0, 0}},
        {"the rest carries on", {200, 40}, {1, 1}},
        {"the extremes of a short", {32767, -32768}, {273, 273}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        MouseSettings s = Defaults();
        for (size_t i = 0; i < c.deltas.size(); ++i) {
            int action = -1;
            EXPECT_EQ(Mouse_WheelNotches(&s, c.deltas[i], 0, &action), c.acting[i]) << i;
            if (c.deltas[i] != 0) {
                EXPECT_EQ(action, c.deltas[i] > 0 ? kMouseWheelUp : kMouseWheelDown) << i;
            }
        }
    }
}

TEST(MouseWheel, IdleFilterLetsEverySecondNotchThrough) {
    struct Case {
        const char *what;
        std::vector<int32_t> deltas;
        int total;
    } cases[] = {
        {"down x4", {-120, -120, -120, -120}, 2},
        {"down, up, down", {-120, 120, -120}, 0},
        {"up x3", {120, 120, 120}, 1},
        {"three notches at once each pass the filter", {360}, 1},
        {"four at once", {480}, 2},
        {"parts of notches count only when whole", {-60, -60, -60, -60}, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        MouseSettings s = Defaults();
        int total = 0, action;
        for (int32_t d : c.deltas) total += Mouse_WheelNotches(&s, d, 1, &action);
        EXPECT_EQ(total, c.total);
    }
}

TEST(MouseChunk, RoundTripKeepsTableAndDragModes) {
    MouseSettings a = Defaults();
    Mouse_SetCommand(kMouseX2, kMouseDoubleClick, 65535, &a, kMouseR);  // the top of the id space
    Mouse_SetCommand(kMouseM, kMouseWheelDown, 40064, &a, kMouseX1);
    Mouse_SetDragMode(kDragMoveWindow, &a, kMouseR);
    Mouse_SetDragMode(kDragSystemMove, &a, kMouseL);
    const std::vector<uint8_t> bytes = Chunk(a);

    // The layout: u32 0, modes, zero padding, L's cells first.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 12),
              (std::vector<uint8_t>{0, 0, 0, 0, 3, 2, 0xFF, 1, 0xFF, 0, 0, 0}));
    EXPECT_EQ(bytes[12 + 10 + 0], 40081 & 0xFF);  // L double click alone at slot 0
    EXPECT_EQ(bytes[12 + 10 + 1], 40081 >> 8);

    MouseSettings b = Defaults();
    Mouse_SetCommand(kMouseL, kMouseWheelUp, 40001, &b, kMouseL);  // not stored: must go
    ASSERT_EQ(Mouse_DecodeChunk(bytes.data(), uint32_t(bytes.size()), &b), 0);
    EXPECT_TRUE(SameTable(a, b));
    EXPECT_EQ(Chunk(b), bytes);
}

TEST(MouseChunk, BadChunksLeaveTheSettingsAlone) {
    const MouseSettings defaults = Defaults();
    const std::vector<uint8_t> good = Chunk(defaults);
    struct Case {
        const char *what;
        size_t length;
        size_t poke;  // byte set to 1, or SIZE_MAX
        int want;
    } cases[] = {
        {"short", kMouseChunkSize - 1, SIZE_MAX, 1},
        {"empty", 0, SIZE_MAX, 1},
        {"long", kMouseChunkSize + 4, SIZE_MAX, 1},
        {"first word not zero", kMouseChunkSize, 3, 4},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes(good);
        bytes.resize(c.length + 1, 0);
        if (c.poke != SIZE_MAX) bytes[c.poke] = 1;
        MouseSettings s = Defaults();
        Mouse_SetCommand(kMouseR, kMouseClick, 40001, &s, kMouseR);
        const MouseSettings before = s;
        EXPECT_EQ(Mouse_DecodeChunk(bytes.data(), uint32_t(c.length), &s), c.want);
        EXPECT_TRUE(SameTable(before, s));
    }
    MouseSettings s = Defaults();
    EXPECT_EQ(Mouse_DecodeChunk(nullptr, kMouseChunkSize, &s), 1);
}

TEST(MouseChunk, DragModesFromTheFilePassTheOwnershipRules) {
    std::vector<uint8_t> bytes = Chunk(Defaults());
    struct Case {
        const char *what;
        int8_t modes[5];
        int8_t want[5];
    } cases[] = {
        {"one mode claimed twice: the later button keeps it", {1, 1, -1, 1, -1}, {-1, -1, -1, 1, -1}},
        {"system move for another button is refused", {0, 3, 3, -1, 3}, {0, -1, -1, -1, -1}},
        {"unknown modes are none", {9, -7, 2, 100, -1}, {-1, -1, 2, -1, -1}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::memcpy(&bytes[4], c.modes, 5);
        MouseSettings s = Defaults();
        ASSERT_EQ(Mouse_DecodeChunk(bytes.data(), kMouseChunkSize, &s), 0);
        for (int b = 0; b < kMouseButtons; ++b) EXPECT_EQ(s.dragMode[b], c.want[b]) << b;
        for (int mode = 0; mode < kDragModes; ++mode) {
            const int owner = Mouse_FindDragButton(mode, &s);
            EXPECT_EQ(s.dragMk[mode], owner < 0 ? 0 : kMouseButtonFlag[owner]) << mode;
            EXPECT_EQ(s.dragVk[mode], owner < 0 ? -1 : kMouseButtonVk[owner]) << mode;
        }
    }
}

TEST(MouseHover, PositionsAcrossTheExtent) {
    struct Case {
        const char *what;
        int32_t a, b, d, e, m, s, want;
    } cases[] = {
        {"no range", 100, 0, 50, 0, 25, 0, 0},
        {"empty extent", 0, 0, 50, 300, 25, 0, 0},
        {"at the start", 100, 10, 10, 300, 25, 0, 0},
        {"at the last pixel", 100, 10, 109, 300, 25, 0, 300},
        {"inside the first margin", 100, 0, 24, 300, 25, 0, 0},
        {"start of the span", 100, 0, 25, 300, 25, 0, 0},
        // a=100, g=25, H=50, L=49; e>=L: e*(d-g)/L rounded.
        {"middle of the span", 100, 0, 50, 300, 25, 0, 153},
        {"end of the span", 100, 0, 73, 300, 25, 0, 294},
        {"past the span", 100, 0, 74, 300, 25, 0, 300},
        // e < L: (e+1)*(d-g)/(a-H) rounded down.
        {"small range", 100, 0, 60, 20, 25, 0, 14},
        {"no margin", 100, 0, 50, 300, 0, 0, 152},
        {"a margin of 1% is at least one pixel", 50, 0, 1, 300, 1, 0, 0},
        {"margin 50: halves", 100, 0, 49, 300, 50, 0, 0},
        {"margin 50: second half", 100, 0, 50, 300, 50, 0, 300},
        // speed 2, e=40: span 20, h=79, g=39 before and 40 after; L=20.
        {"speed narrows the span", 100, 0, 49, 40, 25, 2, 20},
        {"speed: before the narrowed span", 100, 0, 38, 40, 25, 2, 0},
        {"speed ignored when the range is large", 100, 0, 50, 300, 25, 2, 153},
        {"64-bit products", 2000000000, 0, 1000000000, 2000000000, 0, 0, 1000000001},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Mouse_HoverPosition(c.a, c.b, c.d, c.e, c.m, c.s), c.want);
    }
}

TEST(MouseWheelScroll, AxisAndDirection) {
    struct Case {
        uint32_t id;
        bool h, v, rtl;
        bool ok;
        int axis, direction;
    } cases[] = {
        {45121, true, true, false, true, 1, -1},  {45122, true, true, false, true, 1, 1},
        {45123, true, true, false, true, 0, -1},  {45124, true, true, false, true, 0, 1},
        {45123, false, true, false, true, 1, -1}, // no horizontal bar: vertical
        {45122, true, false, false, true, 0, 1},  // no vertical bar: horizontal
        {45125, true, true, false, true, 0, -1},  {45125, true, true, true, true, 0, 1},
        {45126, true, true, true, true, 0, -1},   {45126, false, true, true, true, 1, 1},  // mirrored only sideways
        {45124, true, true, true, true, 0, 1},    {45121, false, false, false, false, 0, 0},
        {45127, true, true, false, false, 0, 0},  {45120, true, true, false, false, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.id << " h" << c.h << " v" << c.v << " rtl" << c.rtl);
        int axis = -1, direction = 0;
        ASSERT_EQ(Mouse_WheelScrollMove(c.id, c.h, c.v, c.rtl, &axis, &direction), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(axis, c.axis);
        EXPECT_EQ(direction, c.direction);
    }
}

TEST(MouseSettingsCopy, CopyTakesTableAndModesButNotPressMarks) {
    MouseSettings a = Defaults(), b = Defaults();
    Mouse_SetCommand(kMouseR, kMouseClick, 40101, &a, kMouseR);
    Mouse_SetDragMode(kDragZoom, &a, kMouseR);
    b.pressed[kMouseM] = 1;
    Mouse_CopySettings(&a, &b);
    EXPECT_EQ(Mouse_GetCommand(kMouseR, kMouseClick, &b, kMouseR), 40101);
    EXPECT_EQ(Mouse_FindDragButton(kDragZoom, &b), kMouseR);
    EXPECT_EQ(b.dragMk[kDragZoom], kR);
    EXPECT_EQ(b.pressed[kMouseM], 0);
    EXPECT_EQ(Mouse_GetCommand(kMouseR, 4, &b, 0), 0);
    EXPECT_EQ(Mouse_SetCommand(kMouseR, kMouseClick, 1, &b, 5), 0);
    (void)kM;
    (void)kX2;
}

}  // namespace
