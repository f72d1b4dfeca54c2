// The zoom dialog without its window: the percentage field as text, the
// zoom factor it stands for, and how the field and its up-down arrows keep
// each other in step. The factor is fixed point, 100000 per percent
// (10000000 = 100 %). Portable; either text unit.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t kZoomDlgFactorPerPercent = 100000;
constexpr int32_t kZoomDlgMaxPercent = 5000;  // also the up-down's range 0..5000
constexpr int32_t kZoomDlgMaxFactor = kZoomDlgMaxPercent * kZoomDlgFactorPerPercent;

// The factor as a percentage with up to five decimals, trailing zeros
// dropped (10000000: "100", 3333333: "33.33333"). Returns the length
// written into out (capacity units with the terminator).
template <class Ch>
size_t ZoomDlg_FormatFactor(int32_t factor, Ch *out, size_t capacity);

// The typed percentage as a factor limited to 0..kZoomDlgMaxFactor. False
// when the text is no number, so nothing is zoomed: "1,000" must not zoom
// to 1 %.
template <class Ch>
bool ZoomDlg_ParseFactor(const Ch *text, int32_t *factor);

enum ZoomDlgTypedAction : int {
    kZoomTypedNone = 0,        // leave the up-down alone
    kZoomTypedWriteMax = 1,    // write "5000" back into the field
    kZoomTypedMoveUpDown = 2,  // move the up-down to *position (no notification)
};

// A change of the field's text (before it is shown): its whole percent,
// below 0 counting as 0, against the up-down's position.
template <class Ch>
int ZoomDlg_OnTyped(const Ch *text, int32_t upDownPosition, int32_t *position);

// After the arrows moved the up-down to `position`: true when the field
// must get the position as its text, that is when it does not already hold
// exactly that whole number (a fraction or no number at all).
template <class Ch>
bool ZoomDlg_UpDownRewrites(const Ch *text, int32_t position);
