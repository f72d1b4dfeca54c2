#include "dlg/qv_RotateCore.h"

#include "dlg/qv_DlgNumber.h"
#include "util/qv_StrCore.h"

int32_t RotateDlg_ReduceAngle(int64_t angle) {
    if (angle >= -kRotateFullTurn && angle <= kRotateFullTurn) return int32_t(angle);
    return int32_t(angle % kRotateFullTurn);  // C++ keeps the sign of the dividend
}

template <class Ch>
size_t RotateDlg_FormatAngle(int32_t angle, Ch *out, size_t capacity) {
    return qvtext::FormatFixed(int64_t(angle), 3, false, false, out, capacity);
}

template <class Ch>
bool RotateDlg_ParseAngle(const Ch *text, int32_t *angle) {
    int64_t v = 0;
    const int status = DlgNumber_Parse(text, 3, &v);
    if (status == kDlgNumberEmpty || status == kDlgNumberBad) return false;
    if (angle != nullptr) *angle = status == kDlgNumberOverflow ? 0 : RotateDlg_ReduceAngle(v);
    return true;
}

RotateTurn RotateDlg_PlanTurn(int32_t angle) {
    const int32_t n = ((angle % kRotateFullTurn) + kRotateFullTurn) % kRotateFullTurn;
    if (n == 0) return {kRotateTurnNone, 0, 0};
    if (n % 90000 == 0) return {kRotateTurnQuarter, n / 1000, 0};
    return {kRotateTurnFree, 0, n};
}

template size_t RotateDlg_FormatAngle<char>(int32_t, char *, size_t);
template size_t RotateDlg_FormatAngle<wchar_t>(int32_t, wchar_t *, size_t);
template bool RotateDlg_ParseAngle<char>(const char *, int32_t *);
template bool RotateDlg_ParseAngle<wchar_t>(const wchar_t *, int32_t *);
