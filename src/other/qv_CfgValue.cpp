#include "other/qv_CfgValue.h"

#include "other/qv_Settings.h"
#include "util/qv_MathUtil.h"
#include "util/qv_StrCore.h"

namespace {

template <class Ch>
bool IsBlank(Ch c) {
    return c == Ch(' ') || c == Ch('\t');
}

bool IsStoreKind(OptKind k) {
    return k == OptKind::Byte || k == OptKind::BitOfByte || k == OptKind::Int || k == OptKind::Field ||
           k == OptKind::ZoomQ || k == OptKind::SelGrid;
}

}  // namespace

template <class Ch>
int Cfg_ParseValues(const Ch *text, int32_t *out, int max, bool isUnsigned) {
    if (text == nullptr || out == nullptr || max <= 0) return -1;
    int count = 0;
    const Ch *p = text;
    for (;;) {
        while (IsBlank(*p)) ++p;
        if (!(qvtext::IsDigit(*p) || ((*p == Ch('-') || *p == Ch('+')) && qvtext::IsDigit(p[1])))) return -1;
        // Parse in 64 bits so that a value beyond 32 bits is refused, not
        // saturated into a plausible number.
        const bool negative = *p == Ch('-');
        if (*p == Ch('-') || *p == Ch('+')) ++p;
        uint64_t v = 0;
        while (qvtext::IsDigit(*p)) {
            v = v * 10 + uint64_t(*p - Ch('0'));
            if (v > 0xFFFFFFFFull) return -1;
            ++p;
        }
        int64_t value = negative ? -int64_t(v) : int64_t(v);
        if (isUnsigned) {
            if (value < -0x80000000ll || value > 0xFFFFFFFFll) return -1;
        } else if (value < -0x80000000ll || value > 0x7FFFFFFFll) {
            return -1;
        }
        if (count == max) return -1;
        out[count++] = int32_t(uint32_t(uint64_t(value)));
        while (IsBlank(*p)) ++p;
        if (*p == 0) return count;
        if (*p != Ch('|')) return -1;
        ++p;
    }
}

template <class Ch>
CfgKeyResult Cfg_ApplyKey(Settings *s, const OptRow *first, size_t rows, const Ch *text, const Settings *defaults) {
    if (s == nullptr || first == nullptr || rows == 0) return kCfgKeyNotStored;
    for (size_t i = 0; i < rows; ++i)
        if (!IsStoreKind(first[i].kind)) return kCfgKeyNotStored;
    int32_t values[kCfgMaxValues] = {};
    int count = -1;
    CfgKeyResult result = kCfgKeyMissing;
    if (text != nullptr && text[0] != 0) {
        count = Cfg_ParseValues(text, values, kCfgMaxValues, first->isSigned == 0);
        result = count < 0 ? kCfgKeyNotNumber : kCfgKeyApplied;
    }
    if (result == kCfgKeyApplied && first->needAll && count < first->slots) return kCfgKeyIncomplete;
    if (result == kCfgKeyApplied && count > first->slots) return kCfgKeyNotNumber;
    if (result == kCfgKeyApplied && first->effect == OptEffect::UserRect && rows == 4) {
        Rect r{values[0], values[1], values[2], values[3]};
        Math_NormalizeRect(&r);
        values[0] = r.left, values[1] = r.top, values[2] = r.right, values[3] = r.bottom;
    }
    for (size_t i = 0; i < rows; ++i) {
        const OptRow *row = first + i;
        const bool present = result == kCfgKeyApplied && row->slot < count;
        if (present) {
            int32_t v = values[row->slot];
            if (row->kind == OptKind::BitOfByte) v = (v >> row->bit) & 1;
            Opt_ApplyRow(s, row, v, nullptr);
        } else if (row->fromDefaults && defaults != nullptr && row->slot == 0) {
            Opt_ApplyRow(s, row, Opt_ReadRow(defaults, row), nullptr);
        }
    }
    return result;
}

template <class Ch>
size_t Cfg_FormatKey(const Settings *s, const OptRow *first, size_t rows, Ch *out, size_t capacity) {
    if (out == nullptr || capacity == 0) return 0;
    out[0] = 0;
    if (s == nullptr || first == nullptr || rows == 0) return 0;
    for (size_t i = 0; i < rows; ++i)
        if (!IsStoreKind(first[i].kind)) return 0;
    int32_t values[kCfgMaxValues] = {};
    const int slots = first->slots < kCfgMaxValues ? first->slots : kCfgMaxValues;
    for (size_t i = 0; i < rows; ++i) {
        const OptRow *row = first + i;
        if (row->slot >= slots) continue;
        const int32_t v = Opt_ReadRow(s, row);
        if (row->kind == OptKind::BitOfByte)
            values[row->slot] |= (v & 1) << row->bit;
        else
            values[row->slot] = v;
    }
    Ch text[kCfgMaxValues * 13];
    size_t n = 0;
    for (int i = 0; i < slots; ++i) {
        if (i > 0) text[n++] = Ch('|');
        if (slots == 1 && !first->isSigned)
            n += qvtext::FormatUInt(uint32_t(values[i]), text + n);
        else
            n += qvtext::FormatInt(values[i], text + n);
    }
    text[n] = 0;
    if (n + 1 > capacity) return out[0] = 0, 0;
    for (size_t i = 0; i <= n; ++i) out[i] = text[i];
    return n;
}

#define QV_CFGVALUE_INSTANTIATE(Ch)                                                                   \
    template int Cfg_ParseValues<Ch>(const Ch *, int32_t *, int, bool);                              \
    template CfgKeyResult Cfg_ApplyKey<Ch>(Settings *, const OptRow *, size_t, const Ch *, const Settings *); \
    template size_t Cfg_FormatKey<Ch>(const Settings *, const OptRow *, size_t, Ch *, size_t);
QV_CFGVALUE_INSTANTIATE(char)
QV_CFGVALUE_INSTANTIATE(char16_t)
QV_CFGVALUE_INSTANTIATE(wchar_t)
