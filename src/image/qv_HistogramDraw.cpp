#include "image/qv_HistogramDraw.h"

#include <algorithm>
#include <cstring>

#include "image/qv_DibApi.h"
#include "image/qv_DibRows.h"

namespace {

int32_t SelectedChannels(int32_t channels) {
    const int32_t c = channels & kHistAll;
    return c == 0 ? kHistAll : c;
}

// Columns a drawing covers: `wanted`, never past the target's row.
int32_t ClipColumns(int64_t wanted, int32_t targetWidth) {
    return int32_t(wanted < targetWidth ? wanted : targetWidth);
}

// Scale of the bars. With a few towering bins the rest would be flat lines:
// the bars are then stretched so that a typical bin (7/8 up the sorted
// non-empty ones below the top) reaches about a quarter of the top, at most
// 50 times.
uint64_t ScaleFactor(const uint64_t sums[256], uint64_t largest, uint32_t channelCount, uint64_t height) {
    if (height < 5) return 1;
    uint64_t averages[256];
    for (int k = 0; k < 256; ++k) averages[k] = (sums[k] + channelCount - 1) / channelCount;
    const uint64_t top = (largest + channelCount - 1) / channelCount;
    if (top <= height) return 1;
    std::sort(averages, averages + 256);
    int z = 0;
    while (z < 256 && averages[z] == 0) ++z;
    int i = 255;
    while (i >= 0 && averages[i] == top) --i;
    if (z > 255 || i < z) return 1;
    const uint64_t q = averages[z + ((i - z) * 7 + 4) / 8];
    const uint64_t a = (top + 2) / 4;
    uint64_t f = (a + q - 1) / q;
    const uint64_t byHeight = a / height;
    if (byHeight >= 1 && byHeight < f) f = byHeight;
    return std::min<uint64_t>(std::max<uint64_t>(f, 1), 50);
}

}  // namespace

int Histogram_DrawGraph(int32_t channels, DibHandle target, int32_t width, int32_t height, const uint8_t *columnMap,
                        uint32_t barColour, const Histogram *histogram) {
    if (histogram == nullptr) return 0;
    DibData *d = Dibcore_DataDIB(target);
    DibRows rows;
    if (!DibRows_Open(d, &rows)) return 0;
    const int32_t depth = rows.fields.depth;
    uint8_t *entries = nullptr;
    uint32_t entryCount = 0;
    if (depth == 8) {
        if (!DibRows_Palette(d, &entries, &entryCount) || entryCount < 2) return 0;
    } else if (depth != 24) {
        return 0;
    }
    const int64_t graphHeight = height < 0 ? -int64_t{height} : height;
    if (graphHeight == 0) return 1;
    const uint8_t bar[3] = {uint8_t(barColour >> 16), uint8_t(barColour >> 8), uint8_t(barColour)};  // B, G, R
    if (depth == 8) {
        const uint8_t white[4] = {255, 255, 255, 0}, colour[4] = {bar[0], bar[1], bar[2], 0};
        std::memcpy(entries, white, 4);
        std::memcpy(entries + 4, colour, 4);
    }

    const int32_t selected = SelectedChannels(channels);
    const uint32_t channelCount = uint32_t(__builtin_popcount(unsigned(selected)));
    uint64_t sums[256] = {}, largest = 0;
    for (int k = 0; k < 256; ++k) {
        for (int c = 0; c < 3; ++c)
            if (selected & (1 << c)) sums[k] += histogram->count[c][k];
        largest = std::max(largest, sums[k]);
    }
    // Bar heights, 0 everywhere for an empty histogram. The product can pass
    // 64 bits for a tall graph of a large picture, hence 128.
    uint32_t barHeight[256] = {};
    if (largest != 0) {
        const uint64_t f = ScaleFactor(sums, largest, channelCount, uint64_t(graphHeight));
        for (int k = 0; k < 256; ++k) {
            const unsigned __int128 product = static_cast<unsigned __int128>(sums[k]) * uint64_t(graphHeight) * f;
            const unsigned __int128 h = (product + largest - 1) / largest;
            barHeight[k] = h > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(h);
        }
    }

    // Columns and the bin each shows; a wanted width below 256 without a
    // map still means 256 columns, so every count is clipped to the target.
    const int64_t wanted = width < 1 ? 256 : width;
    const int64_t span = columnMap != nullptr ? 1 : std::max<int64_t>(1, wanted / 256);
    const int32_t columns = ClipColumns(columnMap != nullptr ? wanted : 256 * span, rows.fields.width);
    const int32_t drawnRows = int32_t(std::min<int64_t>(graphHeight, rows.fields.height));
    for (int32_t y = 0; y < drawnRows; ++y) {
        const uint64_t fromBottom = uint64_t(graphHeight - 1 - y);
        uint8_t *p = rows.Row(y);
        for (int32_t j = 0; j < columns; ++j) {
            const uint32_t bin = columnMap != nullptr ? columnMap[j] : uint32_t(j / span);
            const bool on = fromBottom < barHeight[bin];
            if (depth == 8) {
                p[j] = on ? 1 : 0;
            } else {
                uint8_t *q = p + 3 * int64_t(j);
                q[0] = on ? bar[0] : 255;
                q[1] = on ? bar[1] : 255;
                q[2] = on ? bar[2] : 255;
            }
        }
    }
    return 1;
}

int Histogram_DrawRamp(int32_t channels, DibHandle target, int32_t width, const uint8_t *columnValues) {
    DibRows rows;
    if (!DibRows_Open(Dibcore_DataDIB(target), &rows) || rows.fields.depth != 24) return 0;
    const int32_t selected = SelectedChannels(channels);
    const int64_t wanted = width < 1 ? 256 : width;
    const int64_t repeat = columnValues != nullptr ? 1 : std::max<int64_t>(1, wanted / 256);
    const int32_t columns = ClipColumns(columnValues != nullptr ? wanted : 256 * repeat, rows.fields.width);
    uint8_t *first = rows.Row(0);
    for (int32_t j = 0; j < columns; ++j) {
        const uint8_t v = columnValues != nullptr ? columnValues[j] : uint8_t(j / repeat);
        uint8_t *q = first + 3 * int64_t(j);
        q[0] = (selected & kHistBlue) ? v : 0;
        q[1] = (selected & kHistGreen) ? v : 0;
        q[2] = (selected & kHistRed) ? v : 0;
    }
    for (int32_t y = 1; y < rows.fields.height; ++y) std::memcpy(rows.Row(y), first, size_t(columns) * 3);
    return 1;
}
