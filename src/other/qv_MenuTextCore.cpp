#include "other/qv_MenuTextCore.h"

namespace {

template <class Ch>
size_t Length(const Ch *t) {
    size_t n = 0;
    while (t[n] != 0) ++n;
    return n;
}

template <class Ch>
bool IsMnemonicGroup(const Ch *p) {
    return p[0] == Ch('(') && p[1] == Ch('&') && p[2] != 0 && p[2] != Ch('\t') && p[3] == Ch(')');
}

}  // namespace

template <class Ch>
size_t MenuText_StripMnemonic(Ch *text) {
    if (text == nullptr) return 0;
    size_t n = 0;
    while (text[n] != 0 && text[n] != Ch('\t')) ++n;
    text[n] = 0;
    // Groups first, so the "&" inside a group never counts as a mark.
    size_t w = 0;
    for (size_t r = 0; r < n;) {
        if (IsMnemonicGroup(text + r)) {
            const bool atStart = w == 0;
            r += 4;
            if (atStart)
                while (r < n && text[r] == Ch(' ')) ++r;
            continue;
        }
        text[w++] = text[r++];
    }
    n = w;
    w = 0;
    for (size_t r = 0; r < n; ++r) {
        if (text[r] == Ch('&')) {
            if (r + 1 < n && text[r + 1] == Ch('&')) text[w++] = text[++r];
            continue;
        }
        text[w++] = text[r];
    }
    text[w] = 0;
    return w;
}

template <class Ch>
size_t MenuText_SetKeyName(Ch *text, size_t capacity, const Ch *name) {
    if (text == nullptr || capacity == 0) return 0;
    size_t n = 0;
    while (n < capacity - 1 && text[n] != 0 && text[n] != Ch('\t')) ++n;
    text[n] = 0;
    if (name == nullptr || name[0] == 0) return n;
    const size_t nameLength = Length(name);
    const size_t limit = capacity < kMenuKeyTextUnits ? capacity : kMenuKeyTextUnits;
    if (n + 1 + nameLength >= limit) return n;
    text[n++] = Ch('\t');
    for (size_t i = 0; i < nameLength; ++i) text[n++] = name[i];
    text[n] = 0;
    return n;
}

int MenuText_GridField(int32_t grid) {
    static const int32_t kValues[] = {1, 2, 4, 8, 16, 32, 0};
    for (int i = 0; i < 7; ++i)
        if (kValues[i] == grid) return i;
    return -1;
}

template <class Ch>
int MenuText_Field(const Ch *text, int index, Ch *out, size_t capacity) {
    if (out == nullptr || capacity == 0) return 0;
    out[0] = 0;
    if (text == nullptr || index < 0) return 0;
    const Ch *p = text;
    for (int i = 0; i < index; ++i) {
        while (*p != 0 && *p != Ch('\t')) ++p;
        if (*p == 0) return 0;
        ++p;
    }
    size_t n = 0;
    while (p[n] != 0 && p[n] != Ch('\t')) {
        if (n + 1 >= capacity) {
            out[0] = 0;
            return 0;
        }
        out[n] = p[n];
        ++n;
    }
    out[n] = 0;
    return 1;
}

template size_t MenuText_StripMnemonic<char>(char *);
template size_t MenuText_StripMnemonic<wchar_t>(wchar_t *);
template size_t MenuText_StripMnemonic<char16_t>(char16_t *);
template size_t MenuText_SetKeyName<char>(char *, size_t, const char *);
template size_t MenuText_SetKeyName<wchar_t>(wchar_t *, size_t, const wchar_t *);
template size_t MenuText_SetKeyName<char16_t>(char16_t *, size_t, const char16_t *);
template int MenuText_Field<char>(const char *, int, char *, size_t);
template int MenuText_Field<wchar_t>(const wchar_t *, int, wchar_t *, size_t);
template int MenuText_Field<char16_t>(const char16_t *, int, char16_t *, size_t);
