#include "dlg/qv_CanvasCore.h"

#include <algorithm>
#include <climits>

#include "dlg/qv_DlgNumber.h"
#include "util/qv_StrCore.h"

namespace {

using Wide = __int128;  // field values reach 10^14 and resolutions 2^31

// num / den to nearest, halves up; num >= 0, den > 0.
Wide RoundDiv(Wide num, Wide den) { return (num + den / 2) / den; }

int32_t Saturate(Wide v) {
    if (v < 0) return 0;
    return v > INT32_MAX ? INT32_MAX : int32_t(v);
}

bool ValidUnit(int unit) { return unit >= 0 && unit < kImgSizeUnitCount; }

}  // namespace

int ImgSizeDlg_FieldDigits(int unit) { return unit == kImgSizePixels ? 0 : 2; }

int32_t ImgSizeDlg_FieldToPixels(int unit, int64_t field, int32_t size, int32_t ppm) {
    if (field <= 0) return 0;
    const Wide v = field;
    switch (unit) {
        case kImgSizePixels: return Saturate(v);
        case kImgSizePercent: return size > 0 ? Saturate(RoundDiv(Wide(size) * v, 10000)) : 0;
        case kImgSizeInch: return ppm > 0 ? Saturate((v * ppm * 254 + 500000) / 1000000) : 0;
        case kImgSizeCm: return ppm > 0 ? Saturate(RoundDiv(v * ppm, 10000)) : 0;
        default: return 0;
    }
}

int64_t ImgSizeDlg_PixelsToField(int unit, int32_t pixels, int32_t size, int32_t ppm) {
    if (pixels <= 0) return 0;
    const Wide p = pixels;
    switch (unit) {
        case kImgSizePixels: return pixels;
        case kImgSizePercent: return size > 0 ? int64_t(RoundDiv(p * 10000, size)) : 0;
        case kImgSizeInch: return ppm > 0 ? int64_t(RoundDiv(p * 1000000, Wide(ppm) * 254)) : 0;
        case kImgSizeCm: return ppm > 0 ? int64_t(RoundDiv(p * 10000, ppm)) : 0;
        default: return 0;
    }
}

int32_t ImgSizeDlg_AxisMaximum(const ImgSizeFacts &facts, int axis, bool keepAspect) {
    const int32_t self = facts.size[axis & 1], other = facts.size[(axis & 1) ^ 1];
    if (!keepAspect || self >= other || self <= 0) return kImgSizeMaxSide;
    return Saturate(RoundDiv(Wide(self) * kImgSizeMaxSide, other));
}

void ImgSizeDlg_FieldsFromPixels(const ImgSizeFacts &facts, int unit, bool keepAspect, const int32_t pixels[2],
                                 int64_t fields[2]) {
    if (unit == kImgSizePercent && keepAspect) {
        const int longer = facts.size[kImgSizeHeight] > facts.size[kImgSizeWidth] ? kImgSizeHeight : kImgSizeWidth;
        fields[0] = fields[1] = ImgSizeDlg_PixelsToField(unit, pixels[longer], facts.size[longer], facts.ppm[longer]);
        return;
    }
    for (int a = 0; a < 2; ++a) fields[a] = ImgSizeDlg_PixelsToField(unit, pixels[a], facts.size[a], facts.ppm[a]);
}

template <class Ch>
size_t ImgSizeDlg_FormatField(int unit, int64_t field, Ch *out, size_t capacity) {
    return qvtext::FormatFixed(field, ImgSizeDlg_FieldDigits(unit), false, false, out, capacity);
}

template <class Ch>
void ImgSizeDlg_OnFieldTyped(const ImgSizeFacts &facts, int unit, bool keepAspect, int axis, const Ch *text,
                             const int32_t current[2], ImgSizeEdit *out) {
    if (out == nullptr) return;
    axis &= 1;
    const int other = axis ^ 1;
    *out = ImgSizeEdit{{current[0], current[1]}, false, false, {0, 0}};
    if (!ValidUnit(unit)) unit = kImgSizePixels;

    int64_t typed = 0;
    const int status = DlgNumber_Parse(text, ImgSizeDlg_FieldDigits(unit), &typed);
    if (status == kDlgNumberEmpty || status == kDlgNumberBad) {
        out->pixels[axis] = 0;
        return;
    }
    const int32_t wanted = ImgSizeDlg_FieldToPixels(unit, typed, facts.size[axis], facts.ppm[axis]);
    const int32_t maximum = ImgSizeDlg_AxisMaximum(facts, axis, keepAspect);
    out->pixels[axis] = std::min(wanted, maximum);
    out->rewriteThis = wanted > maximum;
    if (keepAspect && facts.size[axis] > 0) {
        const int32_t follow = Saturate(RoundDiv(Wide(out->pixels[axis]) * facts.size[other], facts.size[axis]));
        out->pixels[other] = std::min(follow, ImgSizeDlg_AxisMaximum(facts, other, true));
        out->writeOther = true;
    }
    ImgSizeDlg_FieldsFromPixels(facts, unit, keepAspect, out->pixels, out->fields);
    if (unit == kImgSizePercent && keepAspect) {
        // Both fields show the percentage the user typed (or its limit), not
        // one recomputed from rounded pixels.
        const int64_t shown = out->rewriteThis ? out->fields[axis] : std::max<int64_t>(typed, 0);
        out->fields[0] = out->fields[1] = shown;
    }
}

int ImgSizeDlg_PlanApply(int32_t oldWidth, int32_t oldHeight, int32_t width, int32_t height, int32_t anchor,
                         ImgSizeMargins *margins, int32_t *undoKind) {
    auto fits = [](int32_t v) { return v >= 1 && v <= kImgSizeMaxSide; };
    if (!fits(width) || !fits(height) || !fits(oldWidth) || !fits(oldHeight) || anchor < 0 || anchor > 8)
        return kImgSizeApplyFail;
    if (width == oldWidth && height == oldHeight) return kImgSizeApplyNone;
    // Column 0 keeps the picture at the left edge (all change on the right),
    // column 2 at the right, column 1 halves it; rows alike.
    auto split = [](int32_t change, int32_t cell, int32_t *before, int32_t *after) {
        if (cell == 0) {
            *before = 0;
        } else if (cell == 2) {
            *before = change;
        } else {
            *before = change < 0 ? -(-change / 2) : change / 2;
        }
        *after = change - *before;
    };
    ImgSizeMargins m{};
    split(width - oldWidth, anchor % 3, &m.left, &m.right);
    split(height - oldHeight, anchor / 3, &m.top, &m.bottom);
    const bool crops = m.left < 0 || m.top < 0 || m.right < 0 || m.bottom < 0;
    if (margins != nullptr) *margins = m;
    if (undoKind != nullptr) *undoKind = crops ? kImgSizeUndoCrop : kImgSizeUndoGrow;
    return kImgSizeApplyRun;
}

template size_t ImgSizeDlg_FormatField<char>(int, int64_t, char *, size_t);
template size_t ImgSizeDlg_FormatField<wchar_t>(int, int64_t, wchar_t *, size_t);
template void ImgSizeDlg_OnFieldTyped<char>(const ImgSizeFacts &, int, bool, int, const char *, const int32_t[2],
                                            ImgSizeEdit *);
template void ImgSizeDlg_OnFieldTyped<wchar_t>(const ImgSizeFacts &, int, bool, int, const wchar_t *,
                                               const int32_t[2], ImgSizeEdit *);
