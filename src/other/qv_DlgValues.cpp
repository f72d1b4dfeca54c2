#include "other/qv_DlgValues.h"

#include <cstring>
#include <type_traits>

#include "dlg/qv_RotateCore.h"
#include "image/qv_CellMask.h"
#include "other/qv_Mem.h"
#include "other/qv_OptTable.h"
#include "util/qv_Text.h"

DlgValues g_dlgValues;
const DlgValues g_dlgDefaults;

namespace {

static_assert(std::is_standard_layout<DlgValues>::value, "values are reached by their offsets");
static_assert(kDlgKeywordChars == kCpMaxKeyword + 1, "the keyword's letters and terminator");

// What the owning dialog does with a value the key's rule has taken.
enum class Setter : uint8_t {
    None,
    Clamp,         // limited to lo..hi (the rule of the option table lets it through)
    ReduceAngle,   // a turn beyond one full turn is reduced, keeping its sign
    BandWidth,     // 1, 2, 4, 8, 16 or 32; anything else is 8
    DensityIndex,  // the file holds -5..5 around the standard, the dialog an index 0..10
};

struct DlgSlot {
    uint16_t offset;  // of the int32_t (or uint32_t) in DlgValues
    Setter setter;
    int32_t lo, hi;
};

struct DlgKey {
    const char *key;
    uint8_t slots;      // values joined by "|"; 0 for the keyword text
    DlgSlot slot[kCfgMaxValues];
    int16_t known;      // offset of the flag that says the values are set; -1: always are
};

#define QV_AT(member) uint16_t(offsetof(DlgValues, member))

constexpr DlgSlot V(uint16_t offset, Setter setter = Setter::None, int32_t lo = 0, int32_t hi = 0) {
    return DlgSlot{offset, setter, lo, hi};
}
constexpr DlgKey Key(const char *key, DlgSlot a) { return DlgKey{key, 1, {a}, -1}; }
constexpr DlgKey Key(const char *key, DlgSlot a, DlgSlot b) { return DlgKey{key, 2, {a, b}, -1}; }
constexpr DlgKey Key(const char *key, DlgSlot a, DlgSlot b, DlgSlot c) { return DlgKey{key, 3, {a, b, c}, -1}; }
constexpr DlgKey Key(const char *key, DlgSlot a, DlgSlot b, DlgSlot c, DlgSlot d) {
    return DlgKey{key, 4, {a, b, c, d}, -1};
}
constexpr DlgKey Position(const char *key, int which) {
    const uint16_t at = uint16_t(QV_AT(position) + which * sizeof(DlgPosition));
    return DlgKey{key,
                  2,
                  {V(uint16_t(at + offsetof(DlgPosition, left))), V(uint16_t(at + offsetof(DlgPosition, top)))},
                  int16_t(QV_AT(positionKnown) + which * sizeof(int32_t))};
}
constexpr DlgKey Keyword(const char *key, uint16_t offset) { return DlgKey{key, 0, {V(offset)}, -1}; }

constexpr int32_t kColumn = int32_t(sizeof(int32_t));

// Every key of [Dlg], in the order of the option table (which gives each
// value's acceptance rule) and of the file.
const DlgKey kKeys[] = {
    Key("NewImgSize", V(QV_AT(newImageSize)), V(QV_AT(newImageSize) + kColumn)),
    Key("RsizQual", V(QV_AT(resizeQuality)), V(QV_AT(resizeQuality) + kColumn)),
    Key("HSLUniPrm", V(QV_AT(hslColouriseValues), Setter::Clamp, 0, 360), V(QV_AT(hslColouriseValues) + kColumn),
        V(QV_AT(hslColouriseValues) + 2 * kColumn)),
    Key("UnshMask", V(QV_AT(unsharpMask)), V(QV_AT(unsharpMask) + kColumn, Setter::Clamp, 1, 400),
        V(QV_AT(unsharpMask) + 2 * kColumn, Setter::Clamp, 0, 255)),
    Key("GauBlur", V(QV_AT(gaussianBlur)), V(QV_AT(gaussianBlur) + kColumn, Setter::Clamp, 0, 99)),
    // The file keeps the margins as top, bottom, left, right; the print
    // layout takes them as left, top, right, bottom.
    Key("PrintMgn", V(QV_AT(printMargins) + kColumn), V(QV_AT(printMargins) + 3 * kColumn), V(QV_AT(printMargins)),
        V(QV_AT(printMargins) + 2 * kColumn)),
    Key("PrintUsSz", V(QV_AT(printCustomSize)), V(QV_AT(printCustomSize) + kColumn)),
    Position("SelPos", kDlgPosSel),
    Position("BrightPos", kDlgPosBright),
    Position("CPMaskPos", kDlgPosCPMask),
    Position("NijiPos", kDlgPosNiji),
    Position("PalPos", kDlgPosPal),
    Position("ZoomPos", kDlgPosZoom),
    Position("LevelPos", kDlgPosLevel),
    Key("RotateAng", V(QV_AT(rotateAngle), Setter::ReduceAngle)),
    Key("PrintBri", V(QV_AT(printDensity), Setter::DensityIndex)),
    Key("BrightPrev", V(QV_AT(brightPreview))),
    Key("ColDepDith", V(QV_AT(colourDepthDither))),
    Key("CPMaskPrev", V(QV_AT(cpMaskPreview))),
    Key("ImgSizAspe", V(QV_AT(canvasKeepAspect))),
    Key("InfoColCnt", V(QV_AT(infoColourCount))),
    Key("OpenPrev", V(QV_AT(openPreview))),
    Key("PalPrev", V(QV_AT(palettePreview))),
    Key("NijiPrev", V(QV_AT(rainbowPreview))),
    Key("RsizRsiz", V(QV_AT(resizeResample))),
    Key("RsizAspe", V(QV_AT(resizeKeepAspect))),
    Key("RsizSharp", V(QV_AT(resizeSharpen))),
    Key("JumpPrev", V(QV_AT(jumpPreview))),
    Key("FlagUniHSL", V(QV_AT(hslColourise))),
    Key("LevelPrev", V(QV_AT(levelPreview))),
    Key("PrintAspe", V(QV_AT(printKeepAspect))),
    Key("ImgSizUnit", V(QV_AT(canvasUnit))),
    Key("ImgSizAnch", V(QV_AT(canvasAnchor))),
    Key("PrintAnch", V(QV_AT(printAnchor))),
    Key("ImgSizCol", V(QV_AT(canvasColour))),
    Key("NewImgCol", V(QV_AT(newImageColour))),
    Key("RotateCol", V(QV_AT(rotateColour))),
    Key("NewImgBPP", V(QV_AT(newImageDepth))),
    Key("OpenQual", V(QV_AT(openQuality))),
    Key("JumpQual", V(QV_AT(jumpQuality))),
    Key("OpenFilter", V(QV_AT(openFilter))),
    Key("NijiSize", V(QV_AT(rainbowBandWidth), Setter::BandWidth)),
    Key("RsizPrnt", V(QV_AT(resizePrintUnit))),
    Key("RsizReso", V(QV_AT(resizeResolutionUnit))),
    Key("PrintUnit", V(QV_AT(printUnit))),
    Key("HSLGray", V(QV_AT(hslGreyMethod))),
    Key("PrintRota", V(QV_AT(printRotate))),
    Key("PrintCopi", V(QV_AT(printCopies))),
    Key("PrintSzTp", V(QV_AT(printSizeMode))),
    Keyword("CPMaskCode", QV_AT(cpMaskCode)),
};

#undef QV_AT

constexpr size_t kKeyCount = sizeof kKeys / sizeof kKeys[0];
constexpr int32_t kStandardDensity = 5;

int32_t *At(DlgValues *values, uint16_t offset) {
    return reinterpret_cast<int32_t *>(reinterpret_cast<char *>(values) + offset);
}
int32_t ValueAt(const DlgValues *values, uint16_t offset) {
    int32_t v;
    std::memcpy(&v, reinterpret_cast<const char *>(values) + offset, sizeof v);
    return v;
}

// The option-table rows of a key: its acceptance rule, one row per value.
const OptRow *FindRows(const char *key, size_t *rows) {
    size_t n = 0;
    const OptRow *t = Opt_Table(&n);
    for (size_t i = 0; i < n; ++i)
        if (t[i].section == CfgSection::Dlg && t[i].key != nullptr && std::strcmp(t[i].key, key) == 0) {
            *rows = Opt_KeyRowCount(&t[i], t + n);
            return &t[i];
        }
    *rows = 0;
    return nullptr;
}

// The value the row's rule keeps; false when it refuses it.
bool Admit(const OptRow &row, int32_t value, int32_t *out) {
    switch (row.rule) {
        case OptRule::Any: *out = value; return true;
        case OptRule::Flag: *out = value != 0 ? 1 : 0; return true;
        case OptRule::Refuse:
            if (value < row.min || value > row.max) return false;
            *out = value;
            return true;
        case OptRule::Clamp: *out = value < row.min ? row.min : (value > row.max ? row.max : value); return true;
        case OptRule::Mask: *out = int32_t(uint32_t(value) & uint32_t(row.max)); return true;
        default: return false;  // no [Dlg] key has another rule
    }
}

int32_t Set(const DlgSlot &slot, int32_t value) {
    switch (slot.setter) {
        case Setter::None: return value;
        case Setter::Clamp: return value < slot.lo ? slot.lo : (value > slot.hi ? slot.hi : value);
        case Setter::ReduceAngle: return RotateDlg_ReduceAngle(value);
        case Setter::BandWidth:
            for (int32_t w = 1; w <= 32; w *= 2)
                if (value == w) return value;
            return 8;
        case Setter::DensityIndex: return value + kStandardDensity;
    }
    return value;
}

// The value as the file keeps it.
int32_t Stored(const DlgSlot &slot, int32_t value) {
    return slot.setter == Setter::DensityIndex ? value - kStandardDensity : value;
}

bool IsAsciiLetter(unsigned c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

size_t DlgValues_KeyCount() { return kKeyCount; }

const char *DlgValues_KeyName(size_t index) { return index < kKeyCount ? kKeys[index].key : nullptr; }

CfgKeyResult DlgValues_ApplyText(DlgValues *values, size_t index, const TCHAR *text) {
    if (values == nullptr || index >= kKeyCount) return kCfgKeyNotStored;
    const DlgKey &k = kKeys[index];
    if (text == nullptr || text[0] == 0) return kCfgKeyMissing;
    if (k.slots == 0) {
        DlgValues_NormalizeCode(text, reinterpret_cast<char *>(values) + k.slot[0].offset);
        return kCfgKeyApplied;
    }
    size_t rows = 0;
    const OptRow *row = FindRows(k.key, &rows);
    if (row == nullptr || rows != k.slots || row->slots != k.slots) return kCfgKeyNotStored;
    int32_t v[kCfgMaxValues] = {};
    const int count = Cfg_ParseValues<TCHAR>(text, v, k.slots, row->isSigned == 0);
    if (count < 0) return kCfgKeyNotNumber;
    if (row->needAll && count < k.slots) return kCfgKeyIncomplete;
    for (int i = 0; i < count; ++i) {
        int32_t taken = 0;
        if (Admit(row[i], v[i], &taken)) *At(values, k.slot[i].offset) = Set(k.slot[i], taken);
    }
    if (k.known >= 0 && count == k.slots) *At(values, uint16_t(k.known)) = 1;
    return kCfgKeyApplied;
}

size_t DlgValues_FormatText(const DlgValues *values, size_t index, TCHAR *out, size_t capacity) {
    if (out == nullptr || capacity == 0) return 0;
    out[0] = 0;
    if (values == nullptr || index >= kKeyCount) return 0;
    const DlgKey &k = kKeys[index];
    if (k.slots == 0) {
        const char *code = reinterpret_cast<const char *>(values) + k.slot[0].offset;
        size_t n = 0;
        for (; n < size_t(kDlgKeywordChars - 1) && code[n] != 0 && n + 1 < capacity; ++n) out[n] = TCHAR(code[n]);
        out[n] = 0;
        return n;
    }
    if (k.known >= 0 && ValueAt(values, uint16_t(k.known)) == 0) return 0;
    size_t rows = 0;
    const OptRow *row = FindRows(k.key, &rows);
    const bool isSigned = row == nullptr || row->isSigned != 0;
    TCHAR text[kCfgMaxValues * 13];
    size_t n = 0;
    for (int i = 0; i < k.slots; ++i) {
        if (i > 0) text[n++] = '|';
        const int32_t v = Stored(k.slot[i], ValueAt(values, k.slot[i].offset));
        n += k.slots == 1 && !isSigned ? qvtext::FormatUInt(uint32_t(v), text + n) : qvtext::FormatInt(v, text + n);
    }
    if (n + 1 > capacity) return out[0] = 0, 0;
    for (size_t i = 0; i <= n; ++i) out[i] = text[i];
    return n;
}

size_t DlgValues_NormalizeCode(const TCHAR *text, char *out) {
    if (out == nullptr) return 0;
    out[0] = 0;
    if (text == nullptr) return 0;
    // Full-width letters become plain ones first. The fold can give more
    // units than it was given, so its size is asked for first; when it
    // fails the text is taken as it is.
    OwnedBuffer folded;
    const TCHAR *p = text;
#if defined(QV_ANSI)
    const int units = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_HALFWIDTH, text, -1, nullptr, 0);
    if (units > 0 && Buf_Alloc(&folded, uint32_t(units)) != nullptr &&
        LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_HALFWIDTH, text, -1, reinterpret_cast<char *>(folded.data), units) > 0)
        p = reinterpret_cast<const char *>(folded.data);
#else
    const DWORD flags = MAP_FOLDCZONE | MAP_COMPOSITE;  // accented letters give their plain letter and the accent
    const int units = FoldStringW(flags, text, -1, nullptr, 0);
    if (units > 0 && Buf_Alloc(&folded, uint32_t(units) * sizeof(wchar_t)) != nullptr &&
        FoldStringW(flags, text, -1, reinterpret_cast<wchar_t *>(folded.data), units) > 0)
        p = reinterpret_cast<const wchar_t *>(folded.data);
#endif
    size_t n = 0;
    while (*p != 0 && n < size_t(kDlgKeywordChars - 1)) {
#if defined(QV_ANSI)
        // The trail byte of a double-byte character may look like a letter.
        if (IsDBCSLeadByte(BYTE(*p)) && p[1] != 0) {
            p += 2;
            continue;
        }
#endif
        const unsigned c = unsigned(std::make_unsigned_t<TCHAR>(*p++));
        if (IsAsciiLetter(c)) out[n++] = char(c >= 'a' ? c - 'a' + 'A' : c);
    }
    out[n] = 0;
    return n;
}
