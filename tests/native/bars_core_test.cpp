// Tool bar and status bar arithmetic: button sizes for the DPI, the tool-tip
// choice and text, status part edges, the picture facts of hostile headers
// and the alpha-aware strip scaling.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "other/qv_BarsCore.h"

namespace {

TEST(BarsCore, ButtonSizeFollowsDpiAndLargeRule) {
    struct Case {
        int32_t dpi;
        int large;
        int32_t size;
    } cases[] = {
        {96, 0, 16},  {96, 1, 24},   {119, 0, 16},  // 124 % stays small
        {120, 0, 20}, {120, 1, 28},                 // 125 % follows the DPI; large: max(30 -> 24, 28)
        {144, 0, 24}, {144, 1, 32},                 // 36 -> 32 beats 32
        {192, 0, 32}, {192, 1, 48},   {0, 0, 16},   {-5, 1, 24},
    };
    for (const auto &k : cases) EXPECT_EQ(Bars_ButtonSize(k.dpi, k.large), k.size) << k.dpi << " large " << k.large;
}

TEST(BarsCore, ButtonTableMatchesTipTable) {
    size_t rows = 0;
    const ToolbarButtonRow *table = Bars_ToolbarButtons(&rows);
    ASSERT_EQ(rows, 21u);
    int buttons = 0;
    bool imageUsed[kToolbarImageCount] = {};
    for (size_t i = 0; i < rows; ++i) {
        if (table[i].image < 0) {
            EXPECT_EQ(table[i].command, 0) << "a separator with a command would end the bar at row " << i;
            continue;
        }
        ++buttons;
        ASSERT_LT(table[i].image, kToolbarImageCount);
        EXPECT_FALSE(imageUsed[table[i].image]) << "image used twice: " << table[i].image;
        imageUsed[table[i].image] = true;
        EXPECT_NE(Bars_TipStringId(table[i].command), 0) << table[i].command;
    }
    EXPECT_EQ(buttons, kToolbarImageCount);
    EXPECT_EQ(Bars_TipStringId(40062), 0);
}

TEST(BarsCore, TipChoiceSwapsListButtonsInReversedComicOrder) {
    struct Case {
        uint32_t command;
        int reversed;
        int32_t stringId;
        uint32_t keyCommand;
    } cases[] = {
        {45142, 0, 282, 40062}, {45141, 0, 281, 40061},  // the buttons name their list commands' keys
        {45142, 1, 281, 40061}, {45141, 1, 282, 40062},  // reversed: texts and keys trade places
        {40001, 1, 274, 40001}, {40106, 0, 290, 40106},  // others are never swapped
        {40062, 0, 0, 0},       {0, 0, 0, 0},
    };
    for (const auto &k : cases) {
        const TipChoice c = Bars_ChooseTip(k.command, k.reversed);
        EXPECT_EQ(c.stringId, k.stringId) << k.command << " " << k.reversed;
        EXPECT_EQ(c.keyCommand, k.keyCommand) << k.command << " " << k.reversed;
    }
    EXPECT_EQ(Bars_ParseTipMode(2), 2);
    EXPECT_EQ(Bars_ParseTipMode(3), 3);
    EXPECT_EQ(Bars_ParseTipMode(0), 1);
    EXPECT_EQ(Bars_ParseTipMode(7), 1);
}

TEST(BarsCore, TipTextByModeAndCut) {
    char16_t out[80];
    struct Case {
        int mode;
        const char16_t *key;
        const char16_t *want;
    } cases[] = {
        {1, u"Space", u"Next file"},
        {2, u"Space", u"Next file (Space)"},
        {3, u"Space", u"Space (Next file)"},
        {2, u"", u"Next file"},  // no key bound: the text alone
        {2, nullptr, u"Next file"},
    };
    for (const auto &k : cases) {
        Bars_ComposeTip<char16_t>(k.mode, u"Next file", k.key, u"%s (%s)", out, 80);
        EXPECT_EQ(std::u16string(out), std::u16string(k.want)) << k.mode;
    }
    // 100% of the format survives; the result is cut at 79 units and never
    // splits a surrogate pair.
    Bars_ComposeTip<char16_t>(2, u"a", u"b", u"%s 100%% %s", out, 80);
    EXPECT_EQ(std::u16string(out), u"a 100% b");
    std::u16string longText(78, u'x');
    longText += u"\U0001F600";  // units 78 and 79: a pair that does not fit
    const size_t n = Bars_ComposeTip<char16_t>(1, longText.c_str(), nullptr, u"%s", out, 80);
    EXPECT_EQ(n, 78u);
    std::u16string longKey(100, u'k');
    EXPECT_EQ(Bars_ComposeTip<char16_t>(2, u"Text", longKey.c_str(), u"%s (%s)", out, 80), 79u);
    EXPECT_EQ(out[79 - 1], u'k');
}

TEST(BarsCore, PartEdges) {
    int32_t edges[8];
    struct Case {
        std::vector<int32_t> widths;
        std::vector<int32_t> want;
    } cases[] = {
        {{80, 80, 80, 80, 80, -1}, {82, 166, 250, 334, 418, -1}},  // border 2, between 2
        {{0, 80}, {-1}},                                          // first width 0: one part to the edge
        {{-3, 80}, {-1}},
        {{50, 0, 70}, {52}},                                      // a zero width ends the list
        {{50, -1, 70}, {52, -1}},                                 // a negative width reaches the edge and ends it
        {{10, 20, 30, 40, 50, 60, 70, 80, 90}, {12, 36, 70, 114, 168, 232, 306, 390}},  // capacity 8
    };
    for (const auto &k : cases) {
        const int n = Bars_PartEdges(k.widths.data(), int(k.widths.size()), 2, 2, edges, 8);
        EXPECT_EQ(std::vector<int32_t>(edges, edges + n), k.want);
    }
    EXPECT_EQ(Bars_PartEdges(nullptr, 3, 2, 2, edges, 8), 0);
    const int32_t huge[] = {INT32_MAX, INT32_MAX};
    EXPECT_EQ(Bars_PartEdges(huge, 2, 2, 2, edges, 8), 2);
    EXPECT_EQ(edges[1], INT32_MAX);
}

TEST(BarsCore, PictureFactsOfHostileHeadersAreClamped) {
    struct Case {
        int32_t width, height;
        uint32_t bits, header;
        int32_t wantWidth, wantHeight;
        uint64_t wantMemory;
    } cases[] = {
        {64, 48, 24, 40, 64, 48, 40 + 192ull * 48},
        {64, -48, 24, 40, 64, 48, 40 + 192ull * 48},  // top-down
        {3, 2, 1, 48, 3, 2, 48 + 4ull * 2},           // rows padded to 4 bytes
        {5, INT_MIN, 8, 1064, 5, INT32_MAX, 1064 + 8ull * INT32_MAX},
        {-7, 10, 24, 40, 0, 10, 40},
        {INT32_MAX, INT32_MAX, 32, 40, INT32_MAX, INT32_MAX, 40 + 4ull * INT32_MAX * INT32_MAX},
    };
    for (const auto &k : cases) {
        const PictureFacts f = Bars_PictureFacts(k.width, k.height, k.bits, k.header);
        EXPECT_EQ(f.width, k.wantWidth) << k.width << "x" << k.height;
        EXPECT_EQ(f.height, k.wantHeight) << k.width << "x" << k.height;
        EXPECT_EQ(f.memoryBytes, k.wantMemory) << k.width << "x" << k.height;
    }
}

std::vector<uint8_t> Pixels(int w, int h, uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
    std::vector<uint8_t> p(size_t(w) * h * 4);
    for (size_t i = 0; i < p.size(); i += 4) p[i] = b, p[i + 1] = g, p[i + 2] = r, p[i + 3] = a;
    return p;
}

TEST(BarsCore, StripScalingKeepsColourAtTransparentEdges) {
    // Left half opaque red, right half fully transparent black: the mixed
    // column must stay red at half alpha, not turn dark.
    std::vector<uint8_t> src = Pixels(4, 2, 0, 0, 0, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) {
            uint8_t *p = &src[(size_t(y) * 4 + x) * 4];
            p[2] = 255, p[3] = 255;
        }
    std::vector<uint8_t> dst(3 * 1 * 4);
    ASSERT_EQ(Bars_ScaleStrip(src.data(), 4, 2, dst.data(), 3, 1), 1);
    // Target pixel 1 covers source x 1.33 to 2.67: half red, half clear.
    EXPECT_EQ(dst[0 * 4 + 2], 255);
    EXPECT_EQ(dst[0 * 4 + 3], 255);
    EXPECT_EQ(dst[1 * 4 + 2], 255) << "colour of the mixed pixel";
    EXPECT_EQ(dst[1 * 4 + 3], 128);
    EXPECT_EQ(dst[2 * 4 + 3], 0);

    // Up-scaling a uniform strip keeps it uniform; bad sizes are refused.
    std::vector<uint8_t> one = Pixels(2, 2, 10, 20, 30, 200);
    std::vector<uint8_t> big(5 * 5 * 4);
    ASSERT_EQ(Bars_ScaleStrip(one.data(), 2, 2, big.data(), 5, 5), 1);
    EXPECT_EQ(big, Pixels(5, 5, 10, 20, 30, 200));
    EXPECT_EQ(Bars_ScaleStrip(one.data(), 0, 2, big.data(), 5, 5), 0);
    EXPECT_EQ(Bars_ScaleStrip(one.data(), 2, 2, big.data(), 5, -1), 0);
}

}  // namespace
