// The resize dialog without its window: conversions between pixels, percent,
// print sizes and resolutions; the linked fields (which field a typed value
// drives, and the limits that hold them); the OK reading; the method table;
// and the plan of the resize itself (undo kind, resampling steps, sharpening).
// Portable, all in 64-bit integers so no typed value can wrap round to a
// small size.
#pragma once

#include <cstdint>

// Print sizes are held in hundredths of the unit.
enum ResizePrintUnit : int32_t { kResizeInch = 0, kResizeCm = 1 };
// Resolutions are held in hundredths of DPI or in whole pixels per metre.
enum ResizeResUnit : int32_t { kResizeDpi = 0, kResizePpm = 1 };

constexpr int64_t kResizeMaxPixels = 65535;
// The largest value a field shows (9999999.99 in a two-decimal field).
constexpr int64_t kResizeFieldMax = 999999999;
// 65535 DPI, in hundredths and as pixels per metre.
constexpr int64_t kResizeMaxDpi = 6553500;
constexpr int64_t kResizeMaxPpm = 2580118;

// Print size of `pixels` at `resolution`, rounded; 0 when either is not
// positive.
int64_t Resize_PrintFromPixels(int64_t pixels, int64_t resolution, int32_t resUnit, int32_t printUnit);
// Pixels covering `print` at `resolution`, rounded; 0 when either is not
// positive.
int64_t Resize_PixelsFromPrint(int64_t print, int32_t printUnit, int64_t resolution, int32_t resUnit);
// Resolution at which `pixels` cover `print`; 0 when pixels is not positive.
// A print size of 0 or less needs an endless resolution: INT64_MAX, which
// every limit refuses.
int64_t Resize_ResolutionFromPrint(int64_t pixels, int64_t print, int32_t printUnit, int32_t resUnit);
// A resolution from one unit to the other (0 for values not positive).
int64_t Resize_ConvertResolution(int64_t value, int32_t fromUnit, int32_t toUnit);

// The eight edit fields, in control order (2031 + index): the axis is the
// low bit (0 width / X, 1 height / Y).
enum ResizeField : int32_t {
    kResizePixelsX = 0, kResizePixelsY,
    kResizePercentX, kResizePercentY,   // hundredths of a percent
    kResizePrintX, kResizePrintY,       // hundredths of the print unit
    kResizeResX, kResizeResY,           // in the resolution unit
    kResizeFieldCount
};
inline uint32_t ResizeField_Bit(int32_t field) { return uint32_t{1} << field; }

// What the dialog shows. Every change returns the mask (ResizeField_Bit) of
// the fields whose text must be rewritten; the dialog writes them with their
// change counters raised, so only typing ever runs the solver. A typed field
// is in the mask only when its value was corrected (limited to a maximum).
struct ResizeForm {
    int32_t width, height;   // the picture's size W, H
    int32_t ppm[2];          // its resolution, a missing axis defaulted
    int32_t dpi[2];          // the same in hundredths of DPI
    int32_t printUnit;       // ResizePrintUnit
    int32_t resUnit;         // ResizeResUnit
    int32_t resize;          // resize the picture (off: only the resolution changes)
    int32_t keepAspect;
    int64_t value[kResizeFieldCount];
};

// Fills the form as the dialog opens: W x H, 100 %, the print size at the
// picture's resolution. False (form untouched) when W or H is not positive
// or a unit is unknown.
bool ResizeForm_Init(ResizeForm *form, int32_t width, int32_t height, int32_t ppmX, int32_t ppmY, int32_t printUnit,
                     int32_t resUnit, int32_t resize, int32_t keepAspect);

// The largest pixel count of an axis: 65535, and with the aspect kept the
// smaller side's share of it, so the larger side stays within 65535.
int64_t ResizeForm_MaxPixels(const ResizeForm *form, int32_t axis);
// The largest resolution of an axis in the unit shown, scaled down alike for
// the axis with the smaller resolution when the aspect is kept.
int64_t ResizeForm_MaxResolution(const ResizeForm *form, int32_t axis);

// The user typed `value` (as read from the text, in the field's unit) into
// `field`.
uint32_t ResizeForm_Type(ResizeForm *form, int32_t field, int64_t value);
// The print unit or resolution unit combo changed.
uint32_t ResizeForm_SetPrintUnit(ResizeForm *form, int32_t printUnit);
uint32_t ResizeForm_SetResUnit(ResizeForm *form, int32_t resUnit);
// "Resize the picture" ticked or unticked; unticking puts W x H back.
uint32_t ResizeForm_SetResize(ResizeForm *form, int32_t on);
// "Keep aspect ratio" ticked or unticked.
uint32_t ResizeForm_SetKeepAspect(ResizeForm *form, int32_t on);
// Half (doubleIt 0) or double: the pixel fields, or the print sizes when the
// picture is not resized.
uint32_t ResizeForm_HalfDouble(ResizeForm *form, int32_t doubleIt);

// What OK passes on.
struct ResizeRequest {
    int32_t width, height;  // pixels, negative read as 0
    int32_t ppmX, ppmY;     // pixels per metre; -1 keeps the picture's own
    // Both sides differ from W x H: a large result is confirmed first. A side
    // kept as it was accepts at once, as a change of one side or of the
    // resolution alone always has.
    int32_t confirmSize;
};
// Resolutions still as the dialog opened them keep the header's values, so a
// picture without one is not stamped with the 72 DPI shown for it; when
// either changed, both are passed as shown.
void ResizeForm_Result(const ResizeForm *form, ResizeRequest *out);

// Reads a field's text as a number with `digits` decimals (0..6): optional
// blanks and sign, digits, and after a '.' the decimals (more are cut off).
// A text that is no plain number ("1,000" included) reads 0, which no size
// allows. A number too long for any field does not wrap: it saturates far
// above every maximum.
template <class Ch>
int64_t ResizeDlg_ReadField(const Ch *text, int32_t digits);

// Methods of the two combos (index 0..10): Simple, Linear, Integra, Hermite,
// Bell, B-Spline, Mitchell, Cubic-0.5, Lan2+0.25, Lan2+0.50, Lanczos3.
struct ResizeMethod {
    int32_t reduceCode;   // resampling code when an axis shrinks
    int32_t enlargeCode;  // ... when it grows
};
constexpr int32_t kResizeMethodCount = 11;
extern const ResizeMethod kResizeMethods[kResizeMethodCount];

// 24 when a filtered method applies to an axis that changes (a shrinking
// axis with a reduction method other than Simple, a growing one with such an
// enlargement method); else the picture's bit count.
int32_t ResizeDlg_ResultBitCount(int32_t bitCount, int32_t width, int32_t height, int32_t reduceIndex,
                                 int32_t enlargeIndex, int32_t oldWidth, int32_t oldHeight);

struct ResizeApplyInput {
    int32_t oldWidth, oldHeight, bitCount;  // the picture
    int32_t headerPpmX, headerPpmY;         // its header's resolution as stored
    int32_t width, height;                  // requested
    int32_t ppmX, ppmY;                     // requested; negative keeps the header's
    int32_t withUndo;
    int32_t reduceIndex, enlargeIndex;      // 0..10
    int32_t sharpen;                        // sharpen after reduction
};

struct ResizeStep {
    int32_t width, height;
    int32_t sharpen;  // sharpen this step's result
};

enum ResizeApplyStatus : int32_t { kResizeApplyFail = -1, kResizeApplyNothing = 0, kResizeApplyRun = 1 };

struct ResizeApplyPlan {
    int32_t resolutionChange;
    int32_t sizeChange;
    int32_t ppmX, ppmY;          // resolution to write
    int32_t undoKind;            // 0 none, 19 whole-picture snapshot, 20 resolution only
    int32_t filtered;            // resample to 24 bits; else the simple resize keeping the depth
    int32_t reduceCode, enlargeCode;
    int32_t stepCount;           // 0 (resolution only), 1 or 2
    ResizeStep steps[2];
};

// What the resize does. A request that shrinks one axis and grows the other
// is done in two steps, shrinking first, so the sharpening after reduction
// runs once, on the reduced picture, and never on the enlarged one.
int32_t ResizeDlg_PlanApply(const ResizeApplyInput *in, ResizeApplyPlan *out);
