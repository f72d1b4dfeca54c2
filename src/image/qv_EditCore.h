// The rules of the edit commands that need no window: which rectangle a
// command works on, the minimum sizes of the masks, the Q0 plan, the mapping
// of the channel-swap commands and which part of the picture an undo
// snapshot keeps. The commands themselves (qv_EditCommands.cpp) only fetch
// the picture and the selection and call these.
#pragma once

#include <cstdint>

#include "image/qv_DibCore.h"

// Where a command's rectangle comes from when none is given.
enum EditTargetRule : int32_t {
    kTargetSelectionRequired = 0,  // no selection: the command does nothing
    kTargetSelectionOrWhole = 1,
};

// The rectangle of a command on a picture of `width` x `height`: `given`
// when not null, else the selection when `hasSelection`, else the whole
// picture or nothing by `rule`. When both minimums are positive the result
// (clipped to the picture) must be at least that large. False: the command
// ends without a change.
bool EditCore_TargetRect(const SelRect *given, const SelRect &selection, bool hasSelection, EditTargetRule rule,
                         int32_t minWidth, int32_t minHeight, int32_t width, int32_t height, SelRect *out);

// Which part of the picture a snapshot keeps, by the picture's depth.
enum SnapshotRule : int32_t {
    kSnapWhole = 0,
    kSnapRect = 1,          // any depth
    kSnapRectOver8 = 2,     // the rectangle above 8 bits, else the whole picture
    kSnapRectIf24 = 3,      // the rectangle at 24 bits, else the whole picture
};
// True when the snapshot of a picture of `depth` bits keeps only the rectangle.
bool EditCore_SnapshotKeepsRect(SnapshotRule rule, int32_t depth);

// Flip types of Edit_RotateFlip.
enum FlipType : int32_t {
    kTurnRight = 1,   // 90 degrees clockwise
    kTurnLeft = 2,    // counter-clockwise
    kFlipTopBottom = 3,
    kFlipLeftRight = 4,
};
// The type that undoes `type` (the turns exchange, the flips are their own
// inverse); 0 for an unknown type.
int32_t EditCore_InverseTurn(int32_t type);
// A flip needs more than one pixel along its axis; turns need nothing.
bool EditCore_FlipChangesRect(int32_t type, const SelRect &rect);

// Channel-swap commands 40661..40665 and the RGB mask's option 0..4 both map
// to these rows of the order table: index 3, 1, 0, 2, 4.
int32_t EditCore_SwapRowOfCommand(int32_t offset);

// Glass: the strip size (the argument when above 1, else the setting) and
// the option (the override when not negative, else the setting). A strip
// below 2 fails; a rectangle under the minimum of its direction (2 x 2 with
// the option, else a whole strip across and 2 pixels along) is left alone.
struct GlassPlan {
    int32_t strip;
    int32_t option;
};
enum GlassPlanResult : int32_t {
    kGlassRun = 0,
    kGlassNothing = 1,
    kGlassFails = 2,
};
GlassPlanResult EditCore_GlassPlan(int32_t argumentStrip, int32_t settingStrip, int32_t optionOverride,
                                   int32_t settingOption, int vertical, const SelRect &rect, GlassPlan *out);

// Q0 steps (the option byte), run in this order.
enum Q0Step : uint32_t {
    kQ0GlassVertical = 0x01,
    kQ0GlassHorizontal = 0x02,
    kQ0Negative = 0x04,
    kQ0Xor80 = 0x08,
    kQ0FlipTopBottom = 0x10,
    kQ0FlipLeftRight = 0x20,
};
struct Q0Plan {
    uint32_t steps;  // after dropping glass steps that cannot run
    SelRect rect;    // clipped, trimmed to whole strips where a flip follows glass
};
enum Q0Result : int32_t {
    kQ0Run = 0,
    kQ0Nothing = 1,  // no steps, or an empty rectangle after trimming: success
    kQ0Fails = 2,    // glass with a flip needs a strip size of at least 2
};
Q0Result EditCore_Q0Plan(uint32_t steps, int32_t strip, bool glassOption, const SelRect &clipped, Q0Plan *out);
