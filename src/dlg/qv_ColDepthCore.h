// The colour depth dialog without its window: which depth each radio button
// asks for, which button stands for the picture's own depth, when a
// conversion has nothing to do, and the steps each target takes. The
// decisions are tables; the window code runs the steps. Portable.
#pragma once

#include <cstdint>

enum ColDepthButton : int32_t {
    kColDepthButton8 = 2143,
    kColDepthButton555 = 2144,
    kColDepthButton565 = 2145,
    kColDepthButton24 = 2146,
    kColDepthButtonOptimal = 2147,
};
constexpr int kColDepthButtonCount = 5;

// Conversion targets: bits per pixel, 15 for 16-bit 5-5-5, 0 for the
// smallest lossless palette depth.
enum ColDepthTarget : int32_t {
    kColDepthOptimal = 0,
    kColDepth8 = 8,
    kColDepth555 = 15,
    kColDepth565 = 16,
    kColDepth24 = 24,
};

constexpr int32_t kColDepthUndoKind = 24;
// The dither flag the conversions get: random dithering, or none.
constexpr int32_t kColDepthDither = 2;
constexpr int32_t kColDepthNoDither = 0x100000;

// The picture's depth as the dialog tells them apart.
enum ColDepthLayout : int {
    kColLayoutOther = 0,    // 4 bits, 32 bits with the standard masks, anything else
    kColLayout1 = 1,
    kColLayout8 = 2,
    kColLayout555 = 3,      // 16 bits without masks or with the 5-5-5 masks
    kColLayout565 = 4,      // 16 bits with the 5-6-5 masks
    kColLayout16Other = 5,  // 16 bits with other masks
    kColLayout24 = 6,
    kColLayout32Masked = 7, // 32 bits with masks other than 8-8-8
};

// `masks` (red, green, blue) is null for a picture without bit fields.
ColDepthLayout ColDepth_Layout(int32_t bitCount, const uint32_t *masks);

// The radio button the mouse wheel moves to from `current`: the next
// enabled one in dialog order (8 bits first) for a wheel turned towards the
// user (negative delta), the previous one otherwise, round the ends.
// `enabled` has one flag per button in that order; a disabled button is
// skipped, so the picture's own depth cannot be reached by the wheel either.
// `current` itself when no other button is enabled; 0 when current is none
// of the buttons.
int32_t ColDepth_WheelButton(int32_t current, const bool enabled[kColDepthButtonCount], int wheelDelta);

// The target of a radio button; false for another id.
bool ColDepth_TargetOfButton(int32_t button, int32_t *target);

// The button of the picture's own depth, disabled in the dialog; 0 when
// the depth has none.
int32_t ColDepth_OwnDepthButton(ColDepthLayout layout);

// True when converting to `target` would leave the picture as it is.
bool ColDepth_AlreadyTarget(ColDepthLayout layout, int32_t target);

enum ColDepthOp : int {
    kColOpReduceLossless = 1,  // smallest palette depth that holds the colours
    kColOpTo16NoMasks = 2,     // 16 bits 5-5-5
    kColOpTo16Masks565 = 3,    // 16 bits with the 5-6-5 bit fields
    kColOpTo8 = 4,
    kColOpTo24 = 5,
};

struct ColDepthStep {
    int op;
    bool onlyAbove16Bits;  // run only while the picture has more than 16 bits
    bool mayDecline;       // a refusal leaves the picture as it is and is no failure
};

constexpr int kColDepthMaxSteps = 3;

// How a target is reached: the steps in order, on the whole picture. The
// picture is snapshotted aside first (undo kind 24) and the snapshot becomes
// the undo record only when the picture changed, so a conversion that did
// nothing or failed leaves the previous undo step in place.
struct ColDepthPlan {
    int32_t target;
    int stepCount;
    ColDepthStep steps[kColDepthMaxSteps];
};

// The plan for `target`; null for an unknown target.
const ColDepthPlan *ColDepth_Plan(int32_t target);

// The flag passed to the dithering conversions.
inline int32_t ColDepth_DitherFlag(bool dither) { return dither ? kColDepthDither : kColDepthNoDither; }

// The 5-6-5 bit fields of the 16-bit target.
extern const uint32_t kColDepthMasks565[3];
