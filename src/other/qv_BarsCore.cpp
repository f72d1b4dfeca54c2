#include "other/qv_BarsCore.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace {

// In the order of the image strip's use on the bar; -1 is a separator.
const ToolbarButtonRow kButtons[] = {
    {0, 40001, 1},  {1, 40008, 0},  {2, 40006, 0},  {-1, 0, 0},     {3, 40025, 0},  {4, 40026, 0},
    {5, 40021, 0},  {-1, 0, 0},     {7, 40041, 0},  {10, 45141, 1}, {11, 45142, 1}, {14, 40067, 1},
    {15, 40068, 1}, {16, 40072, 0}, {-1, 0, 0},     {8, 40082, 0},  {9, 40083, 0},  {12, 40086, 0},
    {13, 40087, 0}, {-1, 0, 0},     {6, 40106, 1},
};

struct TipRow {
    uint16_t command;
    uint16_t stringId;
};
const TipRow kTips[] = {
    {40001, 274}, {40008, 275}, {40006, 276}, {40025, 277}, {40026, 278}, {40021, 279},
    {40041, 280}, {45141, 281}, {45142, 282}, {40067, 283}, {40068, 284}, {40072, 285},
    {40082, 286}, {40083, 287}, {40086, 288}, {40087, 289}, {40106, 290},
};

constexpr uint32_t kPreviousButton = 45141, kNextButton = 45142;
constexpr uint32_t kPreviousFile = 40061, kNextFile = 40062;

}  // namespace

const ToolbarButtonRow *Bars_ToolbarButtons(size_t *count) {
    if (count != nullptr) *count = sizeof kButtons / sizeof kButtons[0];
    return kButtons;
}

int32_t Bars_ButtonSize(int32_t dpi, int large) {
    if (dpi <= 0) dpi = 96;
    const int64_t percent = (int64_t{dpi} * 100 + 95) / 96;
    int64_t size = kToolbarSmallSize;
    if (percent >= 125) size = (kToolbarSmallSize * percent + 50) / 100;
    if (large) {
        const int64_t grown = ((size * 3 + 1) / 2) / 8 * 8;
        size = grown > size + 8 ? grown : size + 8;
    }
    return size > 1024 ? 1024 : int32_t(size);
}

int32_t Bars_TipStringId(uint32_t command) {
    for (const TipRow &row : kTips)
        if (row.command == command) return row.stringId;
    return 0;
}

TipChoice Bars_ChooseTip(uint32_t command, int reversedComic) {
    TipChoice choice;
    const bool listButton = command == kPreviousButton || command == kNextButton;
    uint32_t shown = command;
    if (listButton && reversedComic) shown = command == kPreviousButton ? kNextButton : kPreviousButton;
    choice.stringId = Bars_TipStringId(shown);
    if (choice.stringId == 0) return TipChoice{};
    choice.keyCommand = command;
    // The buttons have no keys of their own: their list commands do. In
    // reversed order the previous button moves forward, and says so.
    if (listButton) choice.keyCommand = shown == kPreviousButton ? kPreviousFile : kNextFile;
    return choice;
}

int Bars_ParseTipMode(int32_t value) { return value == 2 || value == 3 ? int(value) : 1; }

int Bars_PartEdges(const int32_t *widths, int count, int32_t border, int32_t between, int32_t *edges,
                   int capacity) {
    if (widths == nullptr || edges == nullptr || capacity <= 0 || count <= 0) return 0;
    if (capacity > 254) capacity = 254;
    if (widths[0] <= 0) {
        edges[0] = -1;
        return 1;
    }
    int64_t edge = 0;
    int n = 0;
    for (int i = 0; i < count && n < capacity; ++i) {
        const int32_t w = widths[i];
        if (w == 0) break;
        if (w < 0) {
            edges[n++] = -1;
            break;
        }
        edge += int64_t{w} + border + (i > 0 ? between : 0);
        edges[n++] = edge > INT32_MAX ? INT32_MAX : int32_t(edge);
    }
    return n;
}

PictureFacts Bars_PictureFacts(int32_t width, int32_t height, uint32_t bitsPerPixel, uint32_t headerBytes) {
    PictureFacts f;
    f.width = width > 0 ? width : 0;
    const int64_t h = height < 0 ? -int64_t{height} : int64_t{height};
    f.height = h > INT32_MAX ? INT32_MAX : int32_t(h);
    const uint64_t stride = ((uint64_t(f.width) * bitsPerPixel + 31) / 32) * 4;
    f.memoryBytes = uint64_t{headerBytes} + stride * uint64_t(f.height);
    return f;
}

int Bars_ScaleStrip(const uint8_t *source, int32_t sourceWidth, int32_t sourceHeight, uint8_t *target,
                    int32_t targetWidth, int32_t targetHeight) {
    if (source == nullptr || target == nullptr || sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 ||
        targetHeight <= 0)
        return 0;
    // Each target pixel covers [x0, x1) of the source in units of
    // 1/targetWidth source pixels; weights are the overlaps.
    std::vector<double> acc(size_t(targetWidth) * 4);
    for (int32_t ty = 0; ty < targetHeight; ++ty) {
        const double y0 = double(ty) * sourceHeight / targetHeight;
        const double y1 = double(ty + 1) * sourceHeight / targetHeight;
        std::fill(acc.begin(), acc.end(), 0.0);
        double rowWeight = 0;
        for (int32_t sy = int32_t(y0); sy < sourceHeight && sy < y1; ++sy) {
            const double wy = (sy + 1 < y1 ? sy + 1 : y1) - (sy > y0 ? sy : y0);
            if (wy <= 0) continue;
            rowWeight += wy;
            const uint8_t *row = source + size_t(sy) * size_t(sourceWidth) * 4;
            for (int32_t tx = 0; tx < targetWidth; ++tx) {
                const double x0 = double(tx) * sourceWidth / targetWidth;
                const double x1 = double(tx + 1) * sourceWidth / targetWidth;
                double *a = &acc[size_t(tx) * 4];
                for (int32_t sx = int32_t(x0); sx < sourceWidth && sx < x1; ++sx) {
                    const double wx = (sx + 1 < x1 ? sx + 1 : x1) - (sx > x0 ? sx : x0);
                    if (wx <= 0) continue;
                    const uint8_t *p = row + size_t(sx) * 4;
                    const double w = wx * wy, alpha = p[3] / 255.0;
                    a[0] += w * p[0] * alpha;
                    a[1] += w * p[1] * alpha;
                    a[2] += w * p[2] * alpha;
                    a[3] += w * p[3];
                }
            }
        }
        uint8_t *out = target + size_t(ty) * size_t(targetWidth) * 4;
        const double areaX = double(sourceWidth) / targetWidth;
        for (int32_t tx = 0; tx < targetWidth; ++tx) {
            const double *a = &acc[size_t(tx) * 4];
            const double area = areaX * rowWeight;
            const double alpha = a[3] / area;
            uint8_t *p = out + size_t(tx) * 4;
            for (int c = 0; c < 3; ++c) {
                // Back to straight alpha for the image list.
                const double v = alpha > 0 ? a[c] / area / (alpha / 255.0) : 0.0;
                p[c] = uint8_t(v >= 255 ? 255 : v + 0.5);
            }
            p[3] = uint8_t(alpha >= 255 ? 255 : alpha + 0.5);
        }
    }
    return 1;
}
