#include "dlg/qv_ZoomDlgCore.h"

#include "dlg/qv_DlgNumber.h"
#include "util/qv_StrCore.h"

namespace {

constexpr int kDecimals = 5;

}  // namespace

template <class Ch>
size_t ZoomDlg_FormatFactor(int32_t factor, Ch *out, size_t capacity) {
    return qvtext::FormatFixed(int64_t(factor), kDecimals, false, false, out, capacity);
}

template <class Ch>
bool ZoomDlg_ParseFactor(const Ch *text, int32_t *factor) {
    int64_t v = 0;
    const int status = DlgNumber_Parse(text, kDecimals, &v);
    if (status == kDlgNumberEmpty || status == kDlgNumberBad) return false;
    if (v < 0) v = 0;
    if (v > kZoomDlgMaxFactor) v = kZoomDlgMaxFactor;
    if (factor != nullptr) *factor = int32_t(v);
    return true;
}

template <class Ch>
int ZoomDlg_OnTyped(const Ch *text, int32_t upDownPosition, int32_t *position) {
    int64_t v = 0;
    const int status = DlgNumber_Parse(text, kDecimals, &v);
    if (status == kDlgNumberEmpty || status == kDlgNumberBad) return kZoomTypedNone;
    int64_t whole = v / kZoomDlgFactorPerPercent;
    if (whole < 0) whole = 0;
    if (whole > kZoomDlgMaxPercent) return kZoomTypedWriteMax;
    if (whole == upDownPosition) return kZoomTypedNone;
    if (position != nullptr) *position = int32_t(whole);
    return kZoomTypedMoveUpDown;
}

template <class Ch>
bool ZoomDlg_UpDownRewrites(const Ch *text, int32_t position) {
    int64_t v = 0;
    const int status = DlgNumber_Parse(text, kDecimals, &v);
    if (status != kDlgNumberOk) return true;
    return v != int64_t(position) * kZoomDlgFactorPerPercent;
}

template size_t ZoomDlg_FormatFactor<char>(int32_t, char *, size_t);
template size_t ZoomDlg_FormatFactor<wchar_t>(int32_t, wchar_t *, size_t);
template bool ZoomDlg_ParseFactor<char>(const char *, int32_t *);
template bool ZoomDlg_ParseFactor<wchar_t>(const wchar_t *, int32_t *);
template int ZoomDlg_OnTyped<char>(const char *, int32_t, int32_t *);
template int ZoomDlg_OnTyped<wchar_t>(const wchar_t *, int32_t, int32_t *);
template bool ZoomDlg_UpDownRewrites<char>(const char *, int32_t);
template bool ZoomDlg_UpDownRewrites<wchar_t>(const wchar_t *, int32_t);
