// The frame's decisions that need no window: application commands to
// command ids, the minimum tracking size, and the snap of a window that
// covers its whole work area. Portable, so a table-driven test calls them.
#pragma once

#include <cstdint>

#include "util/qv_MathUtil.h"

struct AppCommandRow {
    uint16_t appCommand;  // high word of WM_APPCOMMAND's lParam AND 0xFFF
    uint16_t commandId;
};

const AppCommandRow *Frame_AppCommandTable(int *count);
// The command id an application command posts, 0 when it is not mapped.
uint16_t Frame_AppCommandToId(uint32_t appCommand);

struct MinTrackSize {
    int32_t width;
    int32_t height;
};
// With a caption bar the system minimum; without a caption or border 1 x 1;
// with a border only, a square of the smaller system minimum.
MinTrackSize Frame_MinTrackSizeFor(bool captionBar, bool sizingBorder, int32_t systemMinX, int32_t systemMinY);

// A window rectangle that covers the whole work area is set to the work area
// exactly, so no window reaches past it. True when `r` was changed.
bool Frame_SnapToWorkArea(Rect *r, const Rect &workArea);
