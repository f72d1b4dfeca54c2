#include "image/qv_ZoomCentre.h"

namespace {

struct FixedCommand {
    uint32_t id;
    uint32_t mode;
};

const FixedCommand kFixedCommands[] = {
    {kCmdZoomIn, 4},
    {kCmdZoomOut, 8},
    {kCmdZoomActual, 0},
    {kCmdZoomFit, 1},
};

// The fit and fixed bits; the keep bit and the drawn-scaled bit say nothing
// about which of actual size and fit is shown.
constexpr uint32_t kFitBit = 0x1;
constexpr uint32_t kFitOrFixed = 0x3;

constexpr int64_t kCentreTop = (int64_t{1} << 32) - 1;

int64_t NonNegative(int32_t v) { return v < 0 ? 0 : v; }

}  // namespace

bool ZoomCentre_CommandMode(uint32_t id, uint32_t zoomMode, uint32_t *mode) {
    for (const FixedCommand &c : kFixedCommands) {
        if (c.id == id) {
            *mode = c.mode;
            return true;
        }
    }
    if (id == kCmdActualOrFitFixedAsFit) {
        *mode = (zoomMode & kFitOrFixed) == 0 ? 1 : 0;
        return true;
    }
    if (id == kCmdActualOrFit) {
        *mode = (zoomMode & kFitBit) == 0 ? 1 : 0;
        return true;
    }
    return false;
}

int64_t ZoomCentre_Point(int32_t displayed, int32_t client, int32_t scrollPos, bool scrolls) {
    const int64_t visible = NonNegative(displayed) < NonNegative(client) ? NonNegative(displayed) : NonNegative(client);
    return visible / 2 + (scrolls ? NonNegative(scrollPos) : 0);
}

int32_t ZoomCentre_NewPos(int64_t centre, int32_t oldSize, int32_t newSize, int32_t client) {
    if (oldSize <= 0) return 0;
    // A centre comes from two i32 halves, so it stays below 2^32; with sizes
    // below 2^31 the split products below stay under 2^63.
    if (centre < 0) centre = 0;
    if (centre > kCentreTop) centre = kCentreTop;
    const int64_t from = oldSize;
    const int64_t to = NonNegative(newSize);
    const int64_t whole = centre / from;
    const int64_t rest = centre % from;
    const int64_t point = whole * to + (rest * to + from / 2) / from;
    const int64_t pos = point - NonNegative(client) / 2;
    if (pos < 0) return 0;
    return pos > INT32_MAX ? INT32_MAX : int32_t(pos);
}
