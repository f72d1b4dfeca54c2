// The canvas size dialog without its window: the width and height fields in
// pixels, percent, inches or centimetres, how an edited field drives the
// other when the aspect ratio is kept, and the margins that the anchor
// cell gives. Field values are fixed point: whole pixels, or hundredths of
// a percent, an inch or a centimetre. The products are taken in 64 bits or
// more, and a result too large for them counts as above the maximum, never
// as a small or zero size. Portable; either text unit.
#pragma once

#include <cstddef>
#include <cstdint>

enum ImgSizeUnit : int {
    kImgSizePixels = 0,
    kImgSizePercent = 1,
    kImgSizeInch = 2,
    kImgSizeCm = 3,
    kImgSizeUnitCount = 4,
};

enum ImgSizeAxis : int { kImgSizeWidth = 0, kImgSizeHeight = 1 };

constexpr int32_t kImgSizeMaxSide = 65535;
constexpr int32_t kImgSizeAnchorCentre = 4;
constexpr int32_t kImgSizeUndoCrop = 21;  // the whole picture is saved
constexpr int32_t kImgSizeUndoGrow = 22;  // only the old rectangle is recorded

// The picture as the dialog opened: size (both > 0) and resolutions in
// pixels per metre (both > 0, after the default resolution is applied).
struct ImgSizeFacts {
    int32_t size[2];
    int32_t ppm[2];
};

// Decimals the field shows: 0 for pixels, 2 for the other units.
int ImgSizeDlg_FieldDigits(int unit);

// Conversions round to nearest both ways, so that a size written into a
// field in inches or centimetres reads back as the same pixels (at the
// resolutions pictures carry, a hundredth is less than a pixel).

// Pixels from a field value on an axis of `size` pixels at `ppm`; a
// negative value counts as 0; results beyond the 32-bit range give
// INT32_MAX (above every maximum).
int32_t ImgSizeDlg_FieldToPixels(int unit, int64_t field, int32_t size, int32_t ppm);

// The field value of `pixels` on an axis of `size` pixels at `ppm`.
int64_t ImgSizeDlg_PixelsToField(int unit, int32_t pixels, int32_t size, int32_t ppm);

// The largest pixel count of an axis: 65535, or with the aspect kept less
// for the shorter side, so that the longer one stays within 65535.
int32_t ImgSizeDlg_AxisMaximum(const ImgSizeFacts &facts, int axis, bool keepAspect);

// Both field values of a new size. With the aspect kept, percent shows the
// longer side's ratio in both fields, so the two read alike.
void ImgSizeDlg_FieldsFromPixels(const ImgSizeFacts &facts, int unit, bool keepAspect, const int32_t pixels[2],
                                 int64_t fields[2]);

// The field's text: an integer for pixels, two decimals (trailing zeros
// dropped) otherwise. Returns the length written (capacity with terminator).
template <class Ch>
size_t ImgSizeDlg_FormatField(int unit, int64_t field, Ch *out, size_t capacity);

// What an edit of one field leads to.
struct ImgSizeEdit {
    int32_t pixels[2];     // the new size (the other axis unchanged unless linked)
    bool rewriteThis;      // the typed value was too large: write fields[axis]
    bool writeOther;       // the aspect is kept: write fields[other axis]
    int64_t fields[2];     // field values to write, as the flags say
};

// The user typed `text` into the field of `axis`. A number beyond the
// axis's maximum is limited to it and the field rewritten; with the aspect
// kept the other axis follows in the picture's ratio (in percent it shows
// the same percentage). Text that is no number ("1,000", "abc", empty)
// counts as 0 pixels, which the size check refuses, and leaves the other
// axis alone. `current` is the new size before the edit.
template <class Ch>
void ImgSizeDlg_OnFieldTyped(const ImgSizeFacts &facts, int unit, bool keepAspect, int axis, const Ch *text,
                             const int32_t current[2], ImgSizeEdit *out);

struct ImgSizeMargins {
    int32_t left, top, right, bottom;  // positive adds, negative crops
};

enum ImgSizeApplyPlan : int {
    kImgSizeApplyFail = -1,  // size outside 1..65535 or no such anchor
    kImgSizeApplyNone = 0,   // same size: success without change
    kImgSizeApplyRun = 1,    // *margins and *undoKind hold the run
};

// The margins for a new `width` x `height` with the old picture kept at
// `anchor` (cell 0..8 of a 3 x 3 grid, row by row). A centred axis puts the
// odd pixel on the right or bottom. Cropping on any side saves the whole
// picture for undo; pure growth records only the old rectangle.
int ImgSizeDlg_PlanApply(int32_t oldWidth, int32_t oldHeight, int32_t width, int32_t height, int32_t anchor,
                         ImgSizeMargins *margins, int32_t *undoKind);
