#include "util/qv_Str.h"

#include <cwctype>
#include <cctype>
#include <initializer_list>

#include "other/qv_SysFacts.h"
#include "util/qv_SysVersion.h"
#include "util/qv_Text.h"

namespace {

#if !defined(QV_ANSI)
using CompareLogicalFn = int(WINAPI *)(LPCWSTR, LPCWSTR);
CompareLogicalFn s_compareLogical = nullptr;
#endif
TCHAR s_decimalSeparator[8] = TEXT(".");

int Caseless(const TCHAR *a, size_t na, const TCHAR *b, size_t nb) {
    return CompareString(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, int(na), b, int(nb)) - CSTR_EQUAL;
}
int Cased(const TCHAR *a, size_t na, const TCHAR *b, size_t nb) {
    return CompareString(LOCALE_USER_DEFAULT, 0, a, int(na), b, int(nb)) - CSTR_EQUAL;
}
const qvtext::Collation<TCHAR> kCollation{Caseless, Cased};

#if defined(QV_ANSI)
bool LeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }
#endif

bool InSet(const TCHAR *set, TCHAR c) {
    for (; *set != 0; ++set)
        if (*set == c) return true;
    return false;
}

bool IsSpace(TCHAR c) {
#if defined(QV_ANSI)
    return std::isspace(static_cast<unsigned char>(c)) != 0;
#else
    return std::iswspace(c) != 0;
#endif
}

}  // namespace

int Str_InitLogicalCompare() {
#if defined(QV_ANSI)
    qvtext::g_leadByteTest = LeadByte;
    return 0;
#else
    if (s_compareLogical != nullptr) return 1;
    HMODULE shlwapi = LoadLibraryEx(TEXT("shlwapi.dll"), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (shlwapi == nullptr) return 0;
    DWORD major = 0, minor = 0;
    if (Sys_GetDllVersion(shlwapi, &major, nullptr, &minor) && (major > 5 || (major == 5 && minor >= 50))) {
        s_compareLogical = reinterpret_cast<CompareLogicalFn>(GetProcAddress(shlwapi, "StrCmpLogicalW"));
        if (s_compareLogical != nullptr) return 1;  // the library stays loaded for the run
    }
    FreeLibrary(shlwapi);
    return 0;
#endif
}

const TCHAR *Str_NextChar(const TCHAR *cursor) { return cursor ? qvtext::NextChar(cursor) : nullptr; }
const TCHAR *Str_PrevChar(const TCHAR *position, const TCHAR *start) { return qvtext::PrevChar(position, start); }

const TCHAR *Path_LastChar(int length, const TCHAR *s) {
    if (s == nullptr) return nullptr;
    const size_t n = length > 0 ? size_t(length) : qvtext::Length(s);
    if (n == 0) return s;
    const TCHAR *p = qvtext::PrevChar(s + n, s);
    return p ? p : s;
}

int Str_FitLength(int limit, const TCHAR *s) { return limit <= 0 ? 0 : int(qvtext::FitLength(size_t(limit), s)); }
int Str_TruncateInPlace(TCHAR *s, int limit) { return int(qvtext::TruncateInPlace(s, limit < 0 ? 0 : size_t(limit))); }
int Str_CopyTruncated(const TCHAR *source, int limit, TCHAR *target) {
    return int(qvtext::CopyTruncated(source, limit < 0 ? 0 : size_t(limit), target));
}

void Str_CopyN(const TCHAR *source, int n, TCHAR *target) {
    if (target == nullptr) return;
    if (source == nullptr || n < 0) {
        target[0] = 0;
        return;
    }
    for (int i = 0; i < n; ++i) target[i] = source[i];
    target[n] = 0;
}

void Str_CopyLower(int size, TCHAR *target, const TCHAR *source) {
    if (target == nullptr || size <= 0) return;
    const size_t n = qvtext::CopyInto(target, size_t(size), source);
    if (n > 0) CharLowerBuff(target, DWORD(n));
}

TCHAR *Str_Append(int capacity, TCHAR *buffer, const TCHAR *text) {
    if (buffer == nullptr || capacity < 2) return nullptr;
    if (text == nullptr || text[0] == 0) return buffer;
    const size_t used = qvtext::Length(buffer);
    if (used + 1 < size_t(capacity)) qvtext::CopyInto(buffer + used, size_t(capacity) - used, text);
    return buffer;
}

int Str_Concat3(TCHAR *buffer, const TCHAR *a, const TCHAR *b, const TCHAR *c) {
    if (buffer == nullptr) return 0;
    size_t n = qvtext::Length(buffer);
    for (const TCHAR *piece : {a, b, c}) {
        if (piece == nullptr || piece[0] == 0) continue;
        const size_t pl = qvtext::Length(piece);
        if (n + pl + 1 > size_t(MAX_PATH)) break;
        qvtext::CopyInto(buffer + n, size_t(MAX_PATH) - n, piece);
        n += pl;
    }
    return int(n);
}

const TCHAR *Str_SkipSpace(const TCHAR *s) {
    if (s == nullptr) return nullptr;
    while (*s != 0 && IsSpace(*s)) s = qvtext::NextChar(s);
    return s;
}
const TCHAR *Str_SkipToDigit(const TCHAR *s) { return s ? qvtext::SkipToDigit(s) : nullptr; }
const TCHAR *Str_SkipDigits(const TCHAR *s) { return s ? qvtext::SkipDigits(s) : nullptr; }

const TCHAR *Str_SkipSet(const TCHAR *s, const TCHAR *set) {
    if (s == nullptr || set == nullptr) return nullptr;
    while (*s != 0 && InSet(set, *s)) s = qvtext::NextChar(s);
    return *s == 0 ? nullptr : s;
}

const TCHAR *Str_FindAnyOf(const TCHAR *set, const TCHAR *s) {
    if (set == nullptr || s == nullptr || set[0] == 0 || s[0] == 0) return nullptr;
    for (; *s != 0; s = qvtext::NextChar(s))
        if (InSet(set, *s)) return s;
    return nullptr;
}

int Str_ReplaceAnyOf(TCHAR *s, const TCHAR *set, TCHAR replacement) {
    if (s == nullptr || set == nullptr) return 0;
    int replaced = 0;
    while (*s != 0) {
        const size_t units = qvtext::CharUnits(s);
        if (InSet(set, *s)) {
            for (size_t i = 0; i < units; ++i) s[i] = replacement;
            replaced += int(units);
        }
        s += units;
    }
    return replaced;
}

int Str_Compare(const TCHAR *a, const TCHAR *b) { return qvtext::CompareOrdinal(a, b); }
int Str_CompareN(int n, const TCHAR *a, const TCHAR *b) {
    if (n <= 0) return 0;
    if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? -1 : 1);
    return qvtext::CompareOrdinalN(size_t(n), a, b);
}

bool Str_EqualNoCase(const TCHAR *a, const TCHAR *b) {
    if (a == nullptr || b == nullptr) return a == b;
    return lstrcmpi(a, b) == 0;
}

int Str_CompareNatural(const TCHAR *a, const TCHAR *b) {
#if !defined(QV_ANSI)
    if (s_compareLogical != nullptr && a != nullptr && b != nullptr) {
        const int r = s_compareLogical(a, b);
        if (r != 0) return r;
        // Names the system calls equal (case, width) still get an order.
        const int c = Cased(a, qvtext::Length(a), b, qvtext::Length(b));
        return c != 0 ? qvtext::Sign(c) : qvtext::CompareOrdinal(a, b);
    }
#endif
    return qvtext::CompareNatural(a, b, kCollation);
}

int32_t Str_ToInt(const TCHAR *s) {
    if (s == nullptr) return 0;
    const TCHAR *end;
    bool range;
    return int32_t(qvtext::ParseInt(s, &end, false, &range));
}

int32_t Str_ToIntChecked(const TCHAR *s, int *error, int isUnsigned) {
    int dummy;
    if (error == nullptr) error = &dummy;
    *error = 1;
    if (s == nullptr || s[0] == 0) return 0;
    const TCHAR *end;
    bool range;
    const int64_t v = qvtext::ParseInt(s, &end, isUnsigned != 0, &range);
    *error = (range || end == s || *end != 0) ? 1 : 0;
    return int32_t(uint32_t(v));
}

void Str_FromInt(int32_t v, TCHAR *out) {
    if (out) wsprintf(out, TEXT("%ld"), long(v));
}
void Str_FromUInt(uint32_t v, TCHAR *out) {
    if (out) wsprintf(out, TEXT("%lu"), static_cast<unsigned long>(v));
}
int Str_FromUInt64(uint32_t high, uint32_t low, TCHAR *out) {
    return out ? int(qvtext::FromUInt64(high, low, out)) : 0;
}

int Str_ParseIntList(TCHAR *s, int n, int32_t *out) {
    if (s == nullptr || out == nullptr) return 0;
    int count = 0;
    TCHAR *p = s;
    while (count < n) {
        while (*p == TEXT('|')) ++p;
        if (*p == 0) break;
        TCHAR *start = p;
        while (*p != 0 && *p != TEXT('|')) p = const_cast<TCHAR *>(qvtext::NextChar<TCHAR>(p));
        const bool more = *p != 0;
        *p = 0;  // the list is split in place
        out[count++] = Str_ToInt(start);
        if (!more) break;
        ++p;
    }
    return count;
}

int32_t Str_ParseFixed(int digits, const TCHAR *s, int isUnsigned) {
    return int32_t(uint32_t(qvtext::ParseFixed(digits, s, isUnsigned != 0)));
}

int Str_FormatFixed(int32_t value, int digits, int isUnsigned, int keepZeros, TCHAR *out, int capacity) {
    if (capacity <= 0) return 0;
    return int(qvtext::FormatFixed(int64_t(value), digits, isUnsigned != 0, keepZeros != 0, out, size_t(capacity)));
}

int Str_FormatByteSize(uint32_t sizeLow, TCHAR *out, uint32_t sizeHigh, int capacity) {
    if (out == nullptr || capacity <= 0) return 0;
    int unit;
    uint32_t ip, frac;
    qvtext::PickByteUnit((uint64_t{sizeHigh} << 32) | sizeLow, &unit, &ip, &frac);
    TCHAR unitText[4];
    int u = 0;
    for (const char *c = qvtext::kByteUnits[unit]; *c != 0 && u < 3; ++c) unitText[u++] = TCHAR(*c);
    unitText[u] = 0;
    TCHAR text[64];
    if (unit == 0)
        wsprintf(text, TEXT("%d %s"), int(ip), unitText);
    else
        wsprintf(text, TEXT("%d%s%02d %s"), int(ip), s_decimalSeparator, int(frac), unitText);
    return int(qvtext::CopyInto(out, size_t(capacity), text));
}

uint32_t Str_Hash(const TCHAR *s) { return qvtext::Hash(s); }

const TCHAR *Str_DecimalSeparator() { return s_decimalSeparator; }
void Str_SetDecimalSeparator(const TCHAR *separator) {
    if (separator != nullptr && separator[0] != 0) qvtext::CopyInto(s_decimalSeparator, 8, separator);
}

int Str_FormatNumberLocale(TCHAR *buffer, const TCHAR *number) {
    if (buffer == nullptr || number == nullptr) return 0;
    buffer[0] = 0;
    if (!g_sysFacts.localeRead) return 0;
    NUMBERFMT format{};
    format.NumDigits = 0;
    format.LeadingZero = UINT(g_sysFacts.leadingZero);
    format.Grouping = UINT(g_sysFacts.grouping);
    format.lpDecimalSep = g_sysFacts.decimalSep;
    format.lpThousandSep = g_sysFacts.thousandSep;
    format.NegativeOrder = UINT(g_sysFacts.negativeOrder);
    return GetNumberFormat(LOCALE_USER_DEFAULT, 0, number, &format, buffer, 64);
}
