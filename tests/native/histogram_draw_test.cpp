// The levels dialog's two drawings: every target width from 1 to 300 with
// wanted widths below, equal to and above it, with and without a column map,
// both row orders and both target depths, relying on the sanitizers to catch
// a write past the exactly allocated bits and checking that padding, rows
// below the graph and columns right of it keep their bytes. Then the bar
// heights and the stretch of small bins, case by case.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "colour_fixture.h"
#include "image/qv_HistogramDraw.h"

using namespace colourfix;

namespace {

constexpr uint8_t kUntouched = 0xA5;
constexpr uint32_t kBar = 0x00C00010;  // red 0x10, green 0, blue 0xC0

// A target of exactly its size in the fake library, every bit byte set to
// kUntouched and, for 8 bits, a grey table.
DibHandle MakeTarget(int depth, int32_t width, int32_t height) {
    std::vector<DibRgbQuad> grey(256);
    for (int i = 0; i < 256; ++i) grey[size_t(i)] = DibRgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    const DibHandle p = depth == 8 ? Dib_Create(width, height, 8, 256, 1, grey.data()) : Dib_Create(width, height, 24, 0, 0, nullptr);
    if (p == 0) return 0;
    DibData *d = Dibcore_DataDIB(p);
    std::memset(d->bits, kUntouched, d->bitsSize);
    return p;
}

Histogram RandomHistogram(std::mt19937 &rng, int kind) {
    Histogram h{};
    if (kind == 0) return h;  // all zero
    for (auto &channel : h.count)
        for (uint32_t &n : channel) n = kind == 1 ? rng() % 1000 : (rng() % 4 == 0 ? rng() % 50 : 0);
    if (kind == 2) h.count[rng() % 3][rng() % 256] = 4000000000u;  // one towering bin
    return h;
}

// Where a drawing may write: `columns` from the left of `rows` rows from the
// top. Every other byte, padding included, must keep kUntouched.
void ExpectOnlyInside(DibHandle p, int depth, int32_t columns, int32_t rows) {
    const DibData *d = Dibcore_DataDIB(p);
    const int32_t width = Width(p), height = std::abs(SignedHeight(p));
    const uint32_t stride = Dib_RowStride(depth, width);
    const int bytes = depth / 8;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t *row = Dib_RowFromTop(d->bits, stride, SignedHeight(p), y);
        for (uint32_t at = 0; at < stride; ++at) {
            const bool inside = y < rows && at < uint32_t(columns * bytes);
            if (!inside) {
                ASSERT_EQ(row[at], kUntouched) << "row " << y << " byte " << at;
            }
        }
    }
}

// Pixel (x, y from the top) is a bar pixel; anything but bar or background
// fails the test.
bool IsBar(DibHandle p, int depth, int32_t x, int32_t y) {
    const DibData *d = Dibcore_DataDIB(p);
    const uint8_t *row = Dib_RowFromTop(d->bits, Dib_RowStride(depth, Width(p)), SignedHeight(p), y);
    if (depth == 8) {
        EXPECT_LE(row[x], 1) << x << "," << y;
        return row[x] == 1;
    }
    const uint8_t *q = row + 3 * x;
    const bool bar = q[0] == 0xC0 && q[1] == 0x00 && q[2] == 0x10;
    EXPECT_TRUE(bar || (q[0] == 255 && q[1] == 255 && q[2] == 255)) << x << "," << y;
    return bar;
}

TEST(HistogramDrawGraph, EveryWidthStaysInsideTheTarget) {
    std::mt19937 rng(1);
    const int32_t targetHeights[] = {1, 4, 5, 9, 16};
    int turn = 0;
    for (int32_t width = 1; width <= 300; ++width)
        for (int depth : {8, 24})
            for (int32_t sign : {1, -1})
                for (bool withMap : {false, true})
                    for (int32_t wanted : {width, 0, 2 * width, width / 2}) {
                        ++turn;
                        const int32_t th = targetHeights[turn % 5];
                        // Graph as high as the target, higher, lower, or given negative.
                        const int32_t gh = (turn / 5) % 4 == 0 ? th : (turn / 5) % 4 == 1 ? th + 6
                                                                : (turn / 5) % 4 == 2 ? (th + 1) / 2
                                                                                      : -th;
                        const Histogram h = RandomHistogram(rng, turn % 3);
                        SCOPED_TRACE("width " + std::to_string(width) + " wanted " + std::to_string(wanted) + " depth " +
                                     std::to_string(depth) + " heights " + std::to_string(sign * th) + "/" +
                                     std::to_string(gh) + (withMap ? " map" : "") + " kind " + std::to_string(turn % 3));
                        fake::Scope scope;
                        const DibHandle p = MakeTarget(depth, width, sign * th);
                        ASSERT_NE(p, 0);
                        const int32_t columnsWanted = wanted < 1 ? 256 : wanted;
                        // The map holds exactly the wanted columns: reading past it is caught too.
                        std::vector<uint8_t> map(withMap ? size_t(columnsWanted) : 0);
                        for (uint8_t &m : map) m = uint8_t(rng());
                        const int channels = turn % 8;
                        ASSERT_EQ(Histogram_DrawGraph(channels, p, wanted, gh, withMap ? map.data() : nullptr, kBar, &h), 1);
                        const int32_t span = std::max(1, columnsWanted / 256);
                        const int32_t columns = std::min(width, withMap ? columnsWanted : 256 * span);
                        const int32_t rows = std::min(th, std::abs(gh));
                        ExpectOnlyInside(p, depth, columns, rows);
                        // Bars rise from the bottom of the graph without gaps;
                        // an empty histogram draws the background only.
                        for (int32_t x = 0; x < columns; ++x)
                            for (int32_t y = 0; y + 1 < rows; ++y) {
                                const bool bar = IsBar(p, depth, x, y);
                                if (bar) {
                                    ASSERT_TRUE(IsBar(p, depth, x, y + 1)) << x << "," << y;
                                }
                                if (turn % 3 == 0) {
                                    ASSERT_FALSE(bar);
                                }
                            }
                        if (depth == 8) {
                            const uint8_t *table = reinterpret_cast<const uint8_t *>(Dibcore_DataDIB(p)->header) + 40;
                            const uint8_t want[12] = {255, 255, 255, 0, 0xC0, 0x00, 0x10, 0, 2, 2, 2, 0};
                            ASSERT_EQ(0, std::memcmp(table, want, 12));  // entry 2 kept
                        }
                    }
}

// Heights of the bars of bins 0..count-1, one column each, read back.
std::vector<int32_t> BarHeights(int channels, int32_t graphHeight, const Histogram &h, int count) {
    const DibHandle p = MakeTarget(24, 256, graphHeight);
    EXPECT_EQ(Histogram_DrawGraph(channels, p, 256, graphHeight, nullptr, kBar, &h), 1);
    std::vector<int32_t> heights;
    for (int x = 0; x < count; ++x) {
        int32_t n = 0;
        for (int32_t y = graphHeight - 1; y >= 0 && IsBar(p, 24, x, y); --y) ++n;
        heights.push_back(n);
    }
    return heights;
}

Histogram Red(std::initializer_list<uint32_t> counts) {
    Histogram h{};
    int k = 0;
    for (uint32_t c : counts) h.count[0][k++] = c;
    return h;
}

TEST(HistogramDrawGraph, BarHeightsAndTheStretchOfSmallBins) {
    const struct {
        const char *name;
        int channels;
        int32_t height;
        Histogram h;
        std::vector<int32_t> bars;
    } cases[] = {
        {"proportional, rounded up", 1, 4, Red({0, 25, 50, 100, 1}), {0, 1, 2, 4, 1}},
        {"below 5 rows nothing is stretched", 1, 4, Red({1000, 10, 10, 10, 10, 10, 10, 10, 10}),
         {4, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"small bins stretched to a quarter of the top", 1, 10, Red({1000, 10, 10, 10, 10, 10, 10, 10, 10}),
         {10, 3, 3, 3, 3, 3, 3, 3, 3}},
        {"stretch limited to 50", 1, 100, Red({1000000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000}),
         {100, 5, 5, 5, 5, 5, 5, 5, 5}},
        {"stretch limited by the quarter top over the height", 1, 40, Red({1000, 5, 5, 5, 5, 5, 5, 5, 5}),
         {40, 2, 2, 2, 2, 2, 2, 2, 2}},
        {"a lone bin is not stretched", 1, 10, Red({0, 1000}), {0, 10, 0}},
        {"no taller than the graph: not stretched", 1, 10, Red({10, 1, 1}), {10, 1, 1}},
        {"the green channel alone", 2, 8, Red({100, 100}), {0, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        fake::Scope scope;
        EXPECT_EQ(BarHeights(c.channels, c.height, c.h, int(c.bars.size())), c.bars);
    }

    // Channels summed: red and blue over two bins, all three when none is named.
    fake::Scope scope;
    Histogram h{};
    h.count[0][0] = 30, h.count[1][0] = 1000, h.count[2][0] = 30;
    h.count[0][1] = 60, h.count[2][1] = 0;
    EXPECT_EQ(BarHeights(kHistRed | kHistBlue, 4, h, 2), (std::vector<int32_t>{4, 4}));
    EXPECT_EQ(BarHeights(0, 4, h, 2), (std::vector<int32_t>{4, 1}));
}

TEST(HistogramDrawGraph, HugeCountsAndHeightsDoNotWrap) {
    fake::Scope scope;
    // The largest sum times the height times the stretch passes 64 bits: the
    // towering bin still fills its column and the small one stays low.
    Histogram h{};
    for (auto &channel : h.count) channel[0] = 0xFFFFFFFFu;
    h.count[0][1] = 1;
    const DibHandle p = MakeTarget(24, 256, 3);
    ASSERT_EQ(Histogram_DrawGraph(0, p, 256, INT32_MAX, nullptr, kBar, &h), 1);
    for (int32_t y = 0; y < 3; ++y) {
        EXPECT_TRUE(IsBar(p, 24, 0, y)) << y;
        EXPECT_FALSE(IsBar(p, 24, 1, y)) << y;
    }
    ASSERT_EQ(Histogram_DrawGraph(0, p, 256, INT32_MIN, nullptr, kBar, &h), 1);
    EXPECT_TRUE(IsBar(p, 24, 0, 0));
}

TEST(HistogramDrawGraph, RefusedTargetsAndNothingToDraw) {
    fake::Scope scope;
    const Histogram h = Red({5, 6, 7});
    const DibHandle sixteen = Dib_Create(8, 8, 16, 0, 0, nullptr);
    DibRgbQuad one[1] = {{1, 2, 3, 0}};
    const DibHandle single = Dib_Create(8, 8, 8, 1, 0, one);  // biClrUsed 1
    const DibHandle compressed = MakeRle8Picture();
    for (DibHandle target : {sixteen, single, compressed, MakeCoreHeaderPicture(), DibHandle(0)})
        EXPECT_EQ(Histogram_DrawGraph(0, target, 8, 8, nullptr, kBar, &h), 0) << target;
    const DibHandle p = MakeTarget(8, 8, 8);
    EXPECT_EQ(Histogram_DrawGraph(0, p, 8, 8, nullptr, kBar, nullptr), 0);
    // Height 0: done, and not a byte changed, the colour table included.
    const std::vector<uint8_t> bytes = Bytes(p);
    EXPECT_EQ(Histogram_DrawGraph(0, p, 8, 0, nullptr, kBar, &h), 1);
    EXPECT_EQ(Bytes(p), bytes);
}

TEST(HistogramDrawRamp, EveryWidthStaysInsideTheTarget) {
    std::mt19937 rng(2);
    int turn = 0;
    for (int32_t width = 1; width <= 300; ++width)
        for (int32_t height : {1, 3, -3})
            for (bool withValues : {false, true})
                for (int32_t wanted : {width, 0, 2 * width, width / 2}) {
                    ++turn;
                    const int channels = turn % 8;
                    SCOPED_TRACE("width " + std::to_string(width) + " wanted " + std::to_string(wanted) + " height " +
                                 std::to_string(height) + (withValues ? " values" : "") + " channels " +
                                 std::to_string(channels));
                    fake::Scope scope;
                    const DibHandle p = MakeTarget(24, width, height);
                    const int32_t columnsWanted = wanted < 1 ? 256 : wanted;
                    std::vector<uint8_t> values(withValues ? size_t(columnsWanted) : 0);
                    for (uint8_t &v : values) v = uint8_t(rng());
                    ASSERT_EQ(Histogram_DrawRamp(channels, p, wanted, withValues ? values.data() : nullptr), 1);
                    const int32_t repeat = std::max(1, columnsWanted / 256);
                    const int32_t columns = std::min(width, withValues ? columnsWanted : 256 * repeat);
                    ExpectOnlyInside(p, 24, columns, std::abs(height));
                    const int selected = channels == 0 ? 7 : channels;
                    const DibData *d = Dibcore_DataDIB(p);
                    for (int32_t y = 0; y < std::abs(height); ++y) {
                        const uint8_t *row = Dib_RowFromTop(d->bits, Dib_RowStride(24, width), height, y);
                        for (int32_t x = 0; x < columns; ++x) {
                            const uint8_t v = withValues ? values[size_t(x)] : uint8_t(x / repeat);
                            const uint8_t want[3] = {uint8_t(selected & 4 ? v : 0), uint8_t(selected & 2 ? v : 0),
                                                     uint8_t(selected & 1 ? v : 0)};
                            ASSERT_EQ(0, std::memcmp(row + 3 * x, want, 3)) << x << "," << y;
                        }
                    }
                }
}

TEST(HistogramDrawRamp, OnlyTrueColourTargets) {
    fake::Scope scope;
    EXPECT_EQ(Histogram_DrawRamp(0, MakeTarget(8, 256, 4), 256, nullptr), 0);
    EXPECT_EQ(Histogram_DrawRamp(0, Dib_Create(256, 4, 32, 0, 0, nullptr), 256, nullptr), 0);
    EXPECT_EQ(Histogram_DrawRamp(0, 0, 256, nullptr), 0);
    // 512 columns: each value twice.
    const DibHandle p = MakeTarget(24, 512, 2);
    ASSERT_EQ(Histogram_DrawRamp(kHistGreen, p, 512, nullptr), 1);
    const uint8_t *row = Dibcore_DataDIB(p)->bits;
    EXPECT_EQ(row[3 * 201 + 1], 100);
    EXPECT_EQ(row[3 * 201], 0);
    EXPECT_EQ(row[3 * 511 + 1], 255);
}

}  // namespace
