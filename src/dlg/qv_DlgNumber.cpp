#include "dlg/qv_DlgNumber.h"

#include <cstddef>

namespace {

template <class Ch>
bool IsSpace(Ch c) {
    return c == Ch(' ') || (c >= Ch('\t') && c <= Ch('\r'));
}

template <class Ch>
bool IsDigit(Ch c) {
    return c >= Ch('0') && c <= Ch('9');
}

}  // namespace

template <class Ch>
int DlgNumber_Parse(const Ch *text, int digits, int64_t *value) {
    int64_t dummy = 0;
    if (value == nullptr) value = &dummy;
    *value = 0;
    if (text == nullptr) return kDlgNumberEmpty;
    if (digits < 0 || digits > 6) return kDlgNumberBad;
    int64_t unit = 1;
    for (int i = 0; i < digits; ++i) unit *= 10;

    size_t i = 0;
    while (IsSpace(text[i])) ++i;
    bool negative = false;
    if (text[i] == Ch('+') || text[i] == Ch('-')) negative = text[i++] == Ch('-');
    bool anyDigit = false, overflow = false;
    int64_t whole = 0;
    for (; IsDigit(text[i]); ++i) {
        anyDigit = true;
        whole = whole * 10 + int64_t(text[i] - Ch('0'));
        if (whole >= kDlgNumberLimit) {
            whole = kDlgNumberLimit;
            overflow = true;
        }
    }
    int64_t frac = 0;
    if (text[i] == Ch('.')) {
        ++i;
        int read = 0;
        for (; IsDigit(text[i]); ++i, ++read) {
            anyDigit = true;
            if (digits == 0) return kDlgNumberBad;
            if (read < digits) frac = frac * 10 + int64_t(text[i] - Ch('0'));
        }
        for (; read < digits; ++read) frac *= 10;
    }
    while (IsSpace(text[i])) ++i;
    if (text[i] != 0) return kDlgNumberBad;
    if (!anyDigit) return kDlgNumberEmpty;
    if (overflow) frac = 0;
    const int64_t magnitude = whole * unit + frac;
    *value = negative ? -magnitude : magnitude;
    return overflow ? kDlgNumberOverflow : kDlgNumberOk;
}

template int DlgNumber_Parse<char>(const char *, int, int64_t *);
template int DlgNumber_Parse<wchar_t>(const wchar_t *, int, int64_t *);
