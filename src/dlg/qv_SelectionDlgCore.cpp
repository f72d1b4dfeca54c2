#include "dlg/qv_SelectionDlgCore.h"

#include <algorithm>

#include "dlg/qv_DlgNumber.h"

namespace {

// For each field: the other field it is linked with on the same axis, and
// whether it is a size (else a corner).
struct FieldRole {
    bool vertical;
    bool size;
};
constexpr FieldRole kRoles[kSelFieldCount] = {
    {false, false}, {true, false}, {false, false}, {true, false}, {false, true}, {true, true},
};

int32_t Span(int32_t a, int32_t b) { return (a > b ? a - b : b - a) + 1; }

constexpr int32_t kStepPresetValues[3] = {1, 8, 16};

}  // namespace

bool SelectionDlg_PictureFits(int32_t width, int32_t height) {
    return width >= 1 && width <= kSelectionDlgMaxSide && height >= 1 && height <= kSelectionDlgMaxSide;
}

void SelectionDlg_FieldRange(int field, int32_t width, int32_t height, int32_t *min, int32_t *max) {
    int32_t lo = 0, hi = 0;
    if (field >= 0 && field < kSelFieldCount) {
        const int32_t side = kRoles[field].vertical ? height : width;
        lo = kRoles[field].size ? 1 : 0;
        hi = kRoles[field].size ? side : side - 1;
    }
    if (min != nullptr) *min = lo;
    if (max != nullptr) *max = hi;
}

template <class Ch>
bool SelectionDlg_ArrowReversed(const Ch *directions, int field) {
    if (directions == nullptr || field < 0 || field >= kSelFieldCount) return false;
    for (int i = 0; i < field; ++i)
        if (directions[i] == 0) return false;
    return directions[field] == Ch('1');
}

SelectionDlgFields SelectionDlg_FieldsFrom(const SelectionDlgCorners *selection, int32_t width, int32_t height) {
    SelectionDlgCorners c = selection != nullptr ? *selection : SelectionDlgCorners{0, 0, width - 1, height - 1};
    return {{c.left, c.top, c.right, c.bottom, Span(c.left, c.right), Span(c.top, c.bottom)}};
}

template <class Ch>
int SelectionDlg_OnTyped(const Ch *text, int32_t min, int32_t max, int32_t *value) {
    int64_t v = 0;
    const int status = DlgNumber_Parse(text, 0, &v);
    if (status == kDlgNumberEmpty || status == kDlgNumberBad) return kSelTypedKeep;
    if (v >= min && v <= max) return kSelTypedKeep;
    if (value != nullptr) *value = v < min ? min : max;
    return kSelTypedWriteBack;
}

uint32_t SelectionDlg_Edit(SelectionDlgFields *fields, int field, int32_t value, int32_t width, int32_t height) {
    if (fields == nullptr || field < 0 || field >= kSelFieldCount || !SelectionDlg_PictureFits(width, height)) return 0;
    int32_t lo = 0, hi = 0;
    SelectionDlg_FieldRange(field, width, height, &lo, &hi);
    int32_t *v = fields->v;
    v[field] = std::clamp(value, lo, hi);

    const bool vertical = kRoles[field].vertical;
    const int first = vertical ? kSelFieldTop : kSelFieldLeft;
    const int last = vertical ? kSelFieldBottom : kSelFieldRight;
    const int size = vertical ? kSelFieldHeight : kSelFieldWidth;
    const int32_t side = vertical ? height : width;
    const SelectionDlgFields before = *fields;

    if (!kRoles[field].size) {
        v[size] = Span(v[first], v[last]);
    } else {
        // The size grows from the lower corner; a selection that would leave
        // the picture moves back instead of being cut.
        int32_t start = std::min(v[first], v[last]);
        int32_t end = start + v[size] - 1;
        if (end > side - 1) {
            start = std::max(0, start - (end - (side - 1)));
            end = start + v[size] - 1;
        }
        v[first] = start;
        v[last] = end;
    }
    uint32_t written = 0;
    for (int i = 0; i < kSelFieldCount; ++i)
        if (i != field && v[i] != before.v[i]) written |= 1u << i;
    return written;
}

SelectionDlgCorners SelectionDlg_Corners(const SelectionDlgFields &f) {
    return {std::min(f.v[kSelFieldLeft], f.v[kSelFieldRight]), std::min(f.v[kSelFieldTop], f.v[kSelFieldBottom]),
            std::max(f.v[kSelFieldLeft], f.v[kSelFieldRight]), std::max(f.v[kSelFieldTop], f.v[kSelFieldBottom])};
}

SelectionDlgCancel SelectionDlg_PlanCancel(const SelectionDlgCorners *remembered, const SelectionDlgCorners &current,
                                           bool modeWasOn) {
    SelectionDlgCancel plan{};
    if (remembered == nullptr) {
        plan.clear = true;  // the dialog made the whole picture the selection
    } else {
        plan.restore = remembered->left != current.left || remembered->top != current.top ||
                       remembered->right != current.right || remembered->bottom != current.bottom;
    }
    plan.modeOff = !modeWasOn;
    plan.redraw = plan.clear || plan.restore || plan.modeOff;
    return plan;
}

int32_t SelSizeDlg_ClampStep(int32_t value) { return std::clamp(value, kSelStepMin, kSelStepMax); }

bool SelSizeDlg_Preset(int button, int *field, int32_t *value) {
    if (button < 0 || button >= kSelStepPresetButtons) return false;
    if (field != nullptr) *field = button / 3;
    if (value != nullptr) *value = kStepPresetValues[button % 3];
    return true;
}

template <class Ch>
int SelSizeDlg_OnTyped(const Ch *text, int32_t *value) {
    return SelectionDlg_OnTyped(text, kSelStepMin, kSelStepMax, value);
}

template <class Ch>
int32_t SelSizeDlg_ReadStep(const Ch *text, int32_t current) {
    int64_t v = 0;
    const int status = DlgNumber_Parse(text, 0, &v);
    if (status == kDlgNumberEmpty || status == kDlgNumberBad) return SelSizeDlg_ClampStep(current);
    return int32_t(std::clamp<int64_t>(v, kSelStepMin, kSelStepMax));
}

template bool SelectionDlg_ArrowReversed<char>(const char *, int);
template bool SelectionDlg_ArrowReversed<wchar_t>(const wchar_t *, int);
template int SelectionDlg_OnTyped<char>(const char *, int32_t, int32_t, int32_t *);
template int SelectionDlg_OnTyped<wchar_t>(const wchar_t *, int32_t, int32_t, int32_t *);
template int SelSizeDlg_OnTyped<char>(const char *, int32_t *);
template int SelSizeDlg_OnTyped<wchar_t>(const wchar_t *, int32_t *);
template int32_t SelSizeDlg_ReadStep<char>(const char *, int32_t);
template int32_t SelSizeDlg_ReadStep<wchar_t>(const wchar_t *, int32_t);
