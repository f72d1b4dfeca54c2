#include "dlg/qv_ResizeCore.h"

#include <algorithm>
#include <climits>

#include "dlg/qv_DlgNumber.h"
#include "util/qv_Units.h"

namespace {

constexpr int32_t kUndoSnapshot = 19;
constexpr int32_t kUndoResolution = 20;

// round(a * b / c), halves away from zero, with a 128-bit product; results
// beyond 64 bits (and a zero divisor) saturate by sign, so a huge value stays
// huge instead of wrapping to a small size.
int64_t MulDiv64(int64_t a, int64_t b, int64_t c) {
    const __int128 product = static_cast<__int128>(a) * b;
    if (c == 0) return product < 0 ? INT64_MIN : (product == 0 ? 0 : INT64_MAX);
    const bool negative = (product < 0) != (c < 0) && product != 0;
    const unsigned __int128 magnitude = product < 0 ? -static_cast<unsigned __int128>(product)
                                                    : static_cast<unsigned __int128>(product);
    const unsigned __int128 divisor = c < 0 ? -static_cast<unsigned __int128>(static_cast<__int128>(c))
                                            : static_cast<unsigned __int128>(c);
    const unsigned __int128 q = (magnitude + divisor / 2) / divisor;
    if (negative) return q > static_cast<unsigned __int128>(INT64_MAX) ? INT64_MIN : -static_cast<int64_t>(q);
    return q > static_cast<unsigned __int128>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(q);
}

bool KnownPrintUnit(int32_t unit) { return unit == kResizeInch || unit == kResizeCm; }
bool KnownResUnit(int32_t unit) { return unit == kResizeDpi || unit == kResizePpm; }

// Print size x resolution = pixels x this factor / divisor, for each pair of
// units: hundredths of an inch at hundredths of DPI make pixels x 10000, and
// so on. The same relation solves for the print size or the resolution.
struct UnitRelation {
    int64_t pixelsFactor;
    int64_t divisor;
};
UnitRelation Relation(int32_t printUnit, int32_t resUnit) {
    if (printUnit == kResizeCm) return resUnit == kResizePpm ? UnitRelation{10000, 1} : UnitRelation{25400, 1};
    return resUnit == kResizePpm ? UnitRelation{1000000, 254} : UnitRelation{10000, 1};
}

int64_t CapField(int64_t v) { return std::min(v, kResizeFieldMax); }

// The picture's size and the first resolution in the unit shown, per axis.
int64_t Size(const ResizeForm &f, int axis) { return axis == 0 ? f.width : f.height; }
int64_t InitialRes(const ResizeForm &f, int axis) { return f.resUnit == kResizePpm ? f.ppm[axis] : f.dpi[axis]; }

// Runs one change and gathers the fields it wrote.
class Solver {
public:
    explicit Solver(ResizeForm &form) : f_(form) {}
    uint32_t Mask() const { return mask_; }

    void Set(int32_t field, int64_t v) {
        if (f_.value[field] == v) return;
        f_.value[field] = v;
        mask_ |= ResizeField_Bit(field);
    }
    // The value the user typed becomes the field's value without a rewrite.
    void Typed(int32_t field, int64_t v) { f_.value[field] = v; }

    int64_t Print(int axis) const { return f_.value[kResizePrintX + axis]; }
    int64_t Pixels(int axis) const { return f_.value[kResizePixelsX + axis]; }
    int64_t Res(int axis) const { return f_.value[kResizeResX + axis]; }

    int64_t PrintOf(int64_t pixels, int64_t res) const {
        return CapField(Resize_PrintFromPixels(pixels, res, f_.resUnit, f_.printUnit));
    }
    // The other axis's resolution in the picture's own ratio.
    int64_t OtherRes(int axis, int64_t res) const {
        const int o = 1 - axis;
        return std::min(ResizeForm_MaxResolution(&f_, o), MulDiv64(res, InitialRes(f_, o), InitialRes(f_, axis)));
    }

    // With the aspect kept the other axis takes `pixels` and `percent`; held
    // to its maximum, its percent follows its own pixels instead.
    void FollowOther(int o, int64_t pixels, int64_t percent, bool withPrint) {
        const int64_t max = ResizeForm_MaxPixels(&f_, o);
        if (pixels > max) {
            pixels = max;
            percent = MulDiv64(max, 10000, Size(f_, o));
        }
        Set(kResizePercentX + o, percent);
        Set(kResizePixelsX + o, pixels);
        if (withPrint) Set(kResizePrintX + o, PrintOf(pixels, Res(o)));
    }

    // A pixel count for `axis`: percent and print size follow, and with the
    // aspect kept the other axis too.
    void OnPixels(int axis, int64_t v) {
        const int o = 1 - axis;
        v = std::max<int64_t>(v, 0);
        const int64_t max = ResizeForm_MaxPixels(&f_, axis);
        if (v > max) {
            v = max;
            Set(kResizePixelsX + axis, v);
        }
        const int64_t percent = MulDiv64(v, 10000, Size(f_, axis));
        Set(kResizePercentX + axis, percent);
        Set(kResizePrintX + axis, PrintOf(v, Res(axis)));
        if (f_.keepAspect) FollowOther(o, MulDiv64(Size(f_, o), v, Size(f_, axis)), percent, true);
    }

    // Pixels beyond the axis's maximum: the pixel field takes the maximum
    // and everything else follows from it.
    bool LimitPixels(int axis, int64_t pixels) {
        const int64_t max = ResizeForm_MaxPixels(&f_, axis);
        if (pixels <= max) return false;
        Set(kResizePixelsX + axis, max);
        OnPixels(axis, max);
        return true;
    }

    void OnPercent(int axis, int64_t v) {
        const int o = 1 - axis;
        v = std::max<int64_t>(v, 0);
        const int64_t pixels = MulDiv64(Size(f_, axis), v, 10000);
        if (LimitPixels(axis, pixels)) return;
        Set(kResizePixelsX + axis, pixels);
        Set(kResizePrintX + axis, PrintOf(pixels, Res(axis)));
        if (f_.keepAspect) FollowOther(o, MulDiv64(Size(f_, o), v, 10000), v, true);
    }

    void OnPrint(int axis, int64_t v) {
        const int o = 1 - axis;
        v = std::max<int64_t>(v, 0);
        if (f_.resize) {
            const int64_t pixels = Resize_PixelsFromPrint(v, f_.printUnit, Res(axis), f_.resUnit);
            if (LimitPixels(axis, pixels)) return;
            Set(kResizePixelsX + axis, pixels);
            const int64_t percent = MulDiv64(pixels, 10000, Size(f_, axis));
            Set(kResizePercentX + axis, percent);
            if (f_.keepAspect) FollowOther(o, MulDiv64(pixels, Size(f_, o), Size(f_, axis)), percent, true);
            return;
        }
        // Not resizing: the print size sets the resolution. A size of 0
        // asks for more than any resolution and so gets the maximum, whose
        // own print size is written back.
        int64_t res = Resize_ResolutionFromPrint(Size(f_, axis), v, f_.printUnit, f_.resUnit);
        const int64_t max = ResizeForm_MaxResolution(&f_, axis);
        if (res > max) {
            res = max;
            Set(kResizePrintX + axis, PrintOf(Pixels(axis), res));
        }
        Set(kResizeResX + axis, res);
        if (!f_.keepAspect) return;
        const int64_t other = OtherRes(axis, res);
        Set(kResizeResX + o, other);
        Set(kResizePrintX + o, PrintOf(Pixels(o), other));
    }

    void OnRes(int axis, int64_t v) {
        const int o = 1 - axis;
        v = std::max<int64_t>(v, 0);
        const int64_t max = ResizeForm_MaxResolution(&f_, axis);
        if (v > max) {
            v = max;
            Set(kResizeResX + axis, v);
        }
        if (f_.resize) {
            // The print size stays; the pixels change.
            if (f_.keepAspect) Set(kResizeResX + o, OtherRes(axis, v));
            const int64_t pixels = Resize_PixelsFromPrint(Print(axis), f_.printUnit, v, f_.resUnit);
            if (LimitPixels(axis, pixels)) return;
            Set(kResizePixelsX + axis, pixels);
            const int64_t percent = MulDiv64(pixels, 10000, Size(f_, axis));
            Set(kResizePercentX + axis, percent);
            // The other print size stays, as this one does.
            if (f_.keepAspect) FollowOther(o, MulDiv64(pixels, Size(f_, o), Size(f_, axis)), percent, false);
            return;
        }
        Set(kResizePrintX + axis, PrintOf(Pixels(axis), v));
        if (!f_.keepAspect) return;
        const int64_t other = OtherRes(axis, v);
        Set(kResizeResX + o, other);
        Set(kResizePrintX + o, PrintOf(Pixels(o), other));
    }

    // A field written by the program without raising its counter: its own
    // handler runs on the value.
    void Run(int32_t field, int64_t v) {
        const int axis = field & 1;
        switch (field & ~1) {
            case kResizePixelsX: OnPixels(axis, v); break;
            case kResizePercentX: OnPercent(axis, v); break;
            case kResizePrintX: OnPrint(axis, v); break;
            default: OnRes(axis, v); break;
        }
    }

    void RefreshPrintSizes() {
        for (int axis = 0; axis < 2; ++axis) Set(kResizePrintX + axis, PrintOf(Pixels(axis), Res(axis)));
    }

private:
    ResizeForm &f_;
    uint32_t mask_ = 0;
};

// With the aspect kept one side drives the other: the larger one, so the
// smaller follows by rounding and not the other way round.
int DrivingAxis(const ResizeForm &f) { return f.width < f.height ? 1 : 0; }

}  // namespace

int64_t Resize_PrintFromPixels(int64_t pixels, int64_t resolution, int32_t resUnit, int32_t printUnit) {
    if (pixels <= 0 || resolution <= 0) return 0;
    const UnitRelation r = Relation(printUnit, resUnit);
    return MulDiv64(pixels, r.pixelsFactor, static_cast<int64_t>(std::min<__int128>(
                                                   static_cast<__int128>(resolution) * r.divisor, INT64_MAX)));
}

int64_t Resize_PixelsFromPrint(int64_t print, int32_t printUnit, int64_t resolution, int32_t resUnit) {
    if (print <= 0 || resolution <= 0) return 0;
    const UnitRelation r = Relation(printUnit, resUnit);
    // print x resolution x divisor / factor, the product taken once in 128
    // bits; inputs beyond 2^59 (far above any field) are held there so the
    // product cannot overflow.
    constexpr int64_t kInputCeiling = int64_t{1} << 59;
    const __int128 num = static_cast<__int128>(std::min(print, kInputCeiling)) *
                         std::min(resolution, kInputCeiling) * r.divisor;
    const __int128 q = (num + r.pixelsFactor / 2) / r.pixelsFactor;
    return q > INT64_MAX ? INT64_MAX : static_cast<int64_t>(q);
}

int64_t Resize_ResolutionFromPrint(int64_t pixels, int64_t print, int32_t printUnit, int32_t resUnit) {
    if (pixels <= 0) return 0;
    if (print <= 0) return INT64_MAX;
    // The relation is symmetric in the print size and the resolution.
    return Resize_PrintFromPixels(pixels, print, resUnit, printUnit);
}

int64_t Resize_ConvertResolution(int64_t value, int32_t fromUnit, int32_t toUnit) {
    if (value <= 0) return 0;
    if (fromUnit == toUnit) return value;
    if (toUnit == kResizePpm) return MulDiv64(value, 100, 254);
    // Whole DPI where the pixels per metre came from one (2835 shows 72.00).
    if (value <= INT32_MAX) {
        const int32_t dpi = Units_PpmToDpi(static_cast<int32_t>(value));
        if (dpi > 0) return dpi;
    }
    return MulDiv64(value, 254, 100);
}

bool ResizeForm_Init(ResizeForm *form, int32_t width, int32_t height, int32_t ppmX, int32_t ppmY, int32_t printUnit,
                     int32_t resUnit, int32_t resize, int32_t keepAspect) {
    if (form == nullptr || width <= 0 || height <= 0 || !KnownPrintUnit(printUnit) || !KnownResUnit(resUnit))
        return false;
    ResizeForm f{};
    f.width = width;
    f.height = height;
    Units_DefaultResolution(&ppmX, &ppmY);
    f.ppm[0] = ppmX;
    f.ppm[1] = ppmY;
    f.dpi[0] = Units_PpmToDpi(ppmX);
    f.dpi[1] = Units_PpmToDpi(ppmY);
    f.printUnit = printUnit;
    f.resUnit = resUnit;
    f.resize = resize != 0;
    f.keepAspect = keepAspect != 0;
    for (int axis = 0; axis < 2; ++axis) {
        f.value[kResizePixelsX + axis] = Size(f, axis);
        f.value[kResizePercentX + axis] = 10000;
        f.value[kResizeResX + axis] = InitialRes(f, axis);
        f.value[kResizePrintX + axis] = CapField(Resize_PrintFromPixels(Size(f, axis), InitialRes(f, axis), resUnit, printUnit));
    }
    *form = f;
    return true;
}

int64_t ResizeForm_MaxPixels(const ResizeForm *form, int32_t axis) {
    const int64_t mine = Size(*form, axis), other = Size(*form, 1 - axis);
    if (form->keepAspect && mine < other) return MulDiv64(mine, kResizeMaxPixels, other);
    return kResizeMaxPixels;
}

int64_t ResizeForm_MaxResolution(const ResizeForm *form, int32_t axis) {
    const int64_t max = form->resUnit == kResizePpm ? kResizeMaxPpm : kResizeMaxDpi;
    const int64_t mine = InitialRes(*form, axis), other = InitialRes(*form, 1 - axis);
    if (form->keepAspect && mine < other) return MulDiv64(max, mine, other);
    return max;
}

uint32_t ResizeForm_Type(ResizeForm *form, int32_t field, int64_t value) {
    if (form == nullptr || field < 0 || field >= kResizeFieldCount) return 0;
    Solver s(*form);
    // A negative number counts as 0 but stays as typed.
    s.Typed(field, std::max<int64_t>(value, 0));
    s.Run(field, value);
    return s.Mask();
}

uint32_t ResizeForm_SetPrintUnit(ResizeForm *form, int32_t printUnit) {
    if (form == nullptr || !KnownPrintUnit(printUnit)) return 0;
    form->printUnit = printUnit;
    Solver s(*form);
    s.RefreshPrintSizes();
    return s.Mask();
}

uint32_t ResizeForm_SetResUnit(ResizeForm *form, int32_t resUnit) {
    if (form == nullptr || !KnownResUnit(resUnit) || resUnit == form->resUnit) return 0;
    Solver s(*form);
    for (int axis = 0; axis < 2; ++axis)
        s.Set(kResizeResX + axis, Resize_ConvertResolution(form->value[kResizeResX + axis], form->resUnit, resUnit));
    form->resUnit = resUnit;
    return s.Mask();
}

uint32_t ResizeForm_SetResize(ResizeForm *form, int32_t on) {
    if (form == nullptr) return 0;
    form->resize = on != 0;
    if (form->resize) return 0;
    Solver s(*form);
    if (form->keepAspect) {
        const int axis = DrivingAxis(*form);
        s.Set(kResizePixelsX + axis, Size(*form, axis));
        s.OnPixels(axis, Size(*form, axis));
    } else {
        for (int axis = 0; axis < 2; ++axis) {
            s.Set(kResizePixelsX + axis, Size(*form, axis));
            s.OnPixels(axis, Size(*form, axis));
        }
    }
    return s.Mask();
}

uint32_t ResizeForm_SetKeepAspect(ResizeForm *form, int32_t on) {
    if (form == nullptr) return 0;
    form->keepAspect = on != 0;
    if (!form->keepAspect) return 0;
    Solver s(*form);
    if (form->resize) {
        s.Set(kResizeResY, s.OtherRes(0, s.Res(0)));
        s.OnPixels(0, s.Pixels(0));
    } else {
        s.OnRes(0, s.Res(0));
    }
    return s.Mask();
}

uint32_t ResizeForm_HalfDouble(ResizeForm *form, int32_t doubleIt) {
    if (form == nullptr) return 0;
    const int32_t first = form->resize ? kResizePixelsX : kResizePrintX;
    const int64_t cap = form->resize ? kResizeMaxPixels : kResizeFieldMax;
    auto scaled = [&](int64_t v) {
        v = doubleIt ? std::min<int64_t>(v, 0x3FFFFFFF) * 2 : (v + 1) / 2;
        return std::min(std::max<int64_t>(v, 1), cap);
    };
    Solver s(*form);
    for (int axis = 0; axis < 2; ++axis) {
        if (form->keepAspect && axis != DrivingAxis(*form)) continue;
        const int64_t v = scaled(form->value[first + axis]);
        s.Set(first + axis, v);
        s.Run(first + axis, v);
    }
    return s.Mask();
}

void ResizeForm_Result(const ResizeForm *form, ResizeRequest *out) {
    if (form == nullptr || out == nullptr) return;
    auto pixels = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, 0, INT32_MAX)); };
    out->width = pixels(form->value[kResizePixelsX]);
    out->height = pixels(form->value[kResizePixelsY]);
    int64_t ppm[2];
    bool changed = false;
    for (int axis = 0; axis < 2; ++axis) {
        ppm[axis] = Resize_ConvertResolution(form->value[kResizeResX + axis], form->resUnit, kResizePpm);
        changed = changed || ppm[axis] != form->ppm[axis];
    }
    // One axis changed: both are written as shown, so an axis the header
    // lacks does not follow the changed one when the picture is read again.
    out->ppmX = changed ? static_cast<int32_t>(std::min<int64_t>(ppm[0], INT32_MAX)) : -1;
    out->ppmY = changed ? static_cast<int32_t>(std::min<int64_t>(ppm[1], INT32_MAX)) : -1;
    out->confirmSize = out->width != form->width && out->height != form->height;
}

template <class Ch>
int64_t ResizeDlg_ReadField(const Ch *text, int32_t digits) {
    int64_t v = 0;
    // A saturated number stays far above every field's maximum; anything
    // that is no number reads 0, which no size allows.
    const int status = DlgNumber_Parse(text, std::clamp(digits, 0, 6), &v);
    return status == kDlgNumberOk || status == kDlgNumberOverflow ? v : 0;
}

template int64_t ResizeDlg_ReadField<char>(const char *, int32_t);
template int64_t ResizeDlg_ReadField<wchar_t>(const wchar_t *, int32_t);

const ResizeMethod kResizeMethods[kResizeMethodCount] = {
    {0, 0},      // Simple
    {31, 10},    // Linear: area averaging when reducing
    {20, 20},    // Integra
    {40, 40},    // Hermite
    {50, 50},    // Bell
    {60, 60},    // B-Spline
    {70, 70},    // Mitchell
    {80, 80},    // Cubic-0.5
    {90, 90},    // Lan2+0.25
    {100, 100},  // Lan2+0.50
    {110, 110},  // Lanczos3
};

int32_t ResizeDlg_ResultBitCount(int32_t bitCount, int32_t width, int32_t height, int32_t reduceIndex,
                                 int32_t enlargeIndex, int32_t oldWidth, int32_t oldHeight) {
    const bool shrinks = width < oldWidth || height < oldHeight;
    const bool grows = width > oldWidth || height > oldHeight;
    if ((shrinks && reduceIndex > 0) || (grows && enlargeIndex > 0)) return 24;
    return bitCount;
}

int32_t ResizeDlg_PlanApply(const ResizeApplyInput *in, ResizeApplyPlan *out) {
    if (in == nullptr || out == nullptr) return kResizeApplyFail;
    ResizeApplyPlan plan{};
    *out = plan;
    if (in->width > kResizeMaxPixels || in->height > kResizeMaxPixels) return kResizeApplyFail;
    if (in->reduceIndex < 0 || in->reduceIndex >= kResizeMethodCount || in->enlargeIndex < 0 ||
        in->enlargeIndex >= kResizeMethodCount)
        return kResizeApplyFail;
    const int32_t w = in->width, h = in->height, ow = in->oldWidth, oh = in->oldHeight;
    plan.ppmX = in->ppmX < 0 ? in->headerPpmX : in->ppmX;
    plan.ppmY = in->ppmY < 0 ? in->headerPpmY : in->ppmY;
    plan.resolutionChange = plan.ppmX != in->headerPpmX || plan.ppmY != in->headerPpmY;
    plan.sizeChange = w > 0 && h > 0 && (w != ow || h != oh);
    if (!plan.resolutionChange && !plan.sizeChange) {
        *out = plan;
        return kResizeApplyNothing;
    }
    if (in->withUndo) plan.undoKind = plan.sizeChange ? kUndoSnapshot : kUndoResolution;
    if (plan.sizeChange) {
        const int32_t bits = ResizeDlg_ResultBitCount(in->bitCount, w, h, in->reduceIndex, in->enlargeIndex, ow, oh);
        plan.filtered = bits == 24;
        if (plan.filtered) {
            plan.reduceCode = kResizeMethods[in->reduceIndex].reduceCode;
            plan.enlargeCode = kResizeMethods[in->enlargeIndex].enlargeCode;
        }
        const bool shrinkX = w < ow, shrinkY = h < oh;
        const int32_t sharpen = plan.filtered && in->sharpen && plan.reduceCode != 0 && (shrinkX || shrinkY);
        if (plan.filtered && shrinkX && h > oh) {
            plan.steps[0] = {w, oh, sharpen};
            plan.steps[1] = {w, h, 0};
            plan.stepCount = 2;
        } else if (plan.filtered && shrinkY && w > ow) {
            plan.steps[0] = {ow, h, sharpen};
            plan.steps[1] = {w, h, 0};
            plan.stepCount = 2;
        } else {
            plan.steps[0] = {w, h, sharpen};
            plan.stepCount = 1;
        }
    }
    *out = plan;
    return kResizeApplyRun;
}
