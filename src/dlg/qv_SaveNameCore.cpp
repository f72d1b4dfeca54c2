#include "dlg/qv_SaveNameCore.h"

#include <climits>

#include "other/qv_OptTable.h"
#include "util/qv_StrCore.h"

namespace {

const char *const kBmpExts[] = {"bmp", "dib"};
const char *const kGifExts[] = {"gif"};
const char *const kJpegExts[] = {"jpg", "jpe", "jpeg", "jfif"};
const char *const kPngExts[] = {"png"};

struct FormatExts {
    const char *const *list;
    int count;
};
const FormatExts kFormatExts[kSaveFormatCount] = {{kBmpExts, 2}, {kGifExts, 1}, {kJpegExts, 4}, {kPngExts, 1}};

// The loaders' ids (the format registry's) and the format each one reads;
// the Win32 side checks these numbers against the registry's names.
struct LoaderFormat {
    int32_t loader;
    int format;
};
const LoaderFormat kLoaderFormats[] = {{2, kSaveBmp}, {3, kSaveJpeg}, {4, kSavePng}, {5, kSaveGif}};

template <class Ch>
Ch FoldAscii(Ch c) {
    return c >= Ch('A') && c <= Ch('Z') ? Ch(c - Ch('A') + Ch('a')) : c;
}

template <class Ch>
size_t Length(const Ch *s) {
    return s != nullptr ? qvtext::Length(s) : 0;
}

// Compares without ASCII case; `b` may be ASCII text of the other unit.
template <class Ch, class Ch2>
bool EqualNoCase(const Ch *a, size_t aLength, const Ch2 *b) {
    const size_t bLength = Length(b);
    if (aLength != bLength) return false;
    for (size_t i = 0; i < aLength; ++i)
        if (FoldAscii(a[i]) != FoldAscii(Ch(b[i]))) return false;
    return true;
}

// The format's list entry equal to ext (without case), or null.
template <class Ch>
const char *FindExtension(int format, const Ch *ext, size_t length) {
    int count = 0;
    const char *const *list = SaveFormat_Extensions(format, &count);
    for (int i = 0; ext != nullptr && i < count; ++i)
        if (EqualNoCase(ext, length, list[i])) return list[i];
    return nullptr;
}

// Appends ".ext" (ext from `source`, either unit) as far as it fits: the dot
// when one more unit fits, the extension only when all of it fits too. A
// name already ending in a dot takes the extension alone.
template <class Ch, class Src>
int AppendExtension(Ch *name, size_t capacity, const Src *ext, int upper) {
    size_t at = Length(name);
    const size_t extLength = Length(ext);
    if (at == 0 || name[at - 1] != Ch('.')) {
        if (at + 1 >= capacity) return kSaveNameNoRoom;
        name[at++] = Ch('.');
        name[at] = 0;
    }
    if (at + extLength >= capacity) return kSaveNameRefused;  // it would end in the bare dot
    for (size_t i = 0; i < extLength; ++i) {
        Ch c = Ch(ext[i]);
        if (upper && c >= Ch('a') && c <= Ch('z')) c = Ch(c - Ch('a') + Ch('A'));
        name[at++] = c;
    }
    name[at] = 0;
    return kSaveNameExtended;
}

}  // namespace

const char *const *SaveFormat_Extensions(int format, int *count) {
    const bool valid = format >= 0 && format < kSaveFormatCount;
    if (count != nullptr) *count = valid ? kFormatExts[format].count : 0;
    return valid ? kFormatExts[format].list : nullptr;
}

int SaveFormat_FromLoader(int32_t loaderId) {
    for (const LoaderFormat &l : kLoaderFormats)
        if (l.loader == loaderId) return l.format;
    return -1;
}

SavePlan SaveFileDlg_PlanSave(const SavePlanFacts &facts) {
    const int own = SaveFormat_FromLoader(facts.loaderId);
    const int remembered = SaveFormat_IsFilter(facts.rememberedFilter) ? facts.rememberedFilter - 1 : kSaveBmp;
    if (facts.saveAsAsked) return SavePlan{1, remembered};
    const bool writesOver = own >= 0 && facts.hasFile && !facts.archiveMember && !facts.spread;
    if (writesOver) return SavePlan{0, own};
    return SavePlan{1, own >= 0 ? own : remembered};
}

// The name part, stepping over double-byte characters (a trail byte equal
// to '\\' is no separator); a drive prefix such as "C:" is no part of it.
template <class Ch>
const Ch *NamePart(const Ch *path) {
    qvtext::PathParts<Ch> parts;
    if (!qvtext::Split(path, &parts)) return path;
    if (parts.name == nullptr) return path + Length(path);
    const Ch *start = parts.name;
    for (const Ch *q = start; *q != 0; q = qvtext::NextChar(q))
        if (*q == Ch(':')) start = q + 1;
    return start;
}

template <class Ch>
size_t SaveName_NameStart(const Ch *path) {
    return path != nullptr ? size_t(NamePart(path) - path) : 0;
}

template <class Ch>
size_t SaveName_ExtensionDot(const Ch *path) {
    if (path == nullptr) return 0;
    const Ch *dot = nullptr;
    for (const Ch *q = NamePart(path); *q != 0; q = qvtext::NextChar(q))
        if (*q == Ch('.')) dot = q;
    return dot != nullptr ? size_t(dot - path) : Length(path);
}

template <class Ch>
int SaveFileDlg_FixExtension(Ch *name, size_t capacity, const SaveNameRules<Ch> &rules) {
    const size_t length = Length(name);
    if (name == nullptr || capacity == 0 || length == 0 || length >= capacity) return kSaveNameRefused;
    int result = kSaveNameKept;
    const size_t dot = SaveName_ExtensionDot(name);
    const size_t extLength = dot < length ? length - dot - 1 : 0;
    const Ch *sourceExt = rules.sourceExt != nullptr && rules.sourceExt[0] != 0 ? rules.sourceExt : nullptr;
    const bool hasStem = rules.sameFormatSave && rules.sourceStem != nullptr && rules.sourceStem[0] != 0;
    const size_t stemLength = hasStem ? Length(rules.sourceStem) : 0;
    if (hasStem && sourceExt != nullptr && EqualNoCase(name, length, rules.sourceStem)) {
        // The name left as offered: the picture's own extension comes back.
        result = AppendExtension(name, capacity, sourceExt, rules.upper);
    } else if (hasStem && sourceExt != nullptr && length == stemLength + 1 + Length(sourceExt) &&
               EqualNoCase(name, stemLength, rules.sourceStem) && name[stemLength] == Ch('.') &&
               EqualNoCase(name + stemLength + 1, length - stemLength - 1, sourceExt)) {
        result = kSaveNameKept;
    } else if (dot < length && FindExtension(rules.format, name + dot + 1, extLength) != nullptr) {
        result = kSaveNameKept;
    } else {
        int count = 0;
        const char *const *list = SaveFormat_Extensions(rules.format, &count);
        if (count == 0) return kSaveNameRefused;
        const char *chosen = sourceExt != nullptr ? FindExtension(rules.format, sourceExt, Length(sourceExt)) : nullptr;
        result = AppendExtension(name, capacity, chosen != nullptr ? chosen : list[0], rules.upper);
    }
    const size_t now = Length(name);
    if (result == kSaveNameRefused || name[now - 1] == Ch('.')) {
        name[length] = 0;  // back as typed
        return kSaveNameRefused;
    }
    return result;
}

template <class Ch>
int SavePanel_TypedValue(const Ch *text, int32_t min, int32_t max, int32_t *out) {
    if (text == nullptr) return 0;
    size_t i = 0;
    while (text[i] == Ch(' ')) ++i;
    bool negative = false;
    if (text[i] == Ch('-') || text[i] == Ch('+')) negative = text[i++] == Ch('-');
    if (!(text[i] >= Ch('0') && text[i] <= Ch('9'))) return 0;
    int64_t value = 0;
    for (; text[i] >= Ch('0') && text[i] <= Ch('9'); ++i)
        if (value <= INT32_MAX) value = value * 10 + (text[i] - Ch('0'));
    while (text[i] == Ch(' ')) ++i;
    if (text[i] != 0) return 0;  // not a number: left for the user to finish
    if (negative) value = -value;
    const int64_t limited = value < min ? min : value > max ? max : value;
    if (limited == value) return 0;
    if (out != nullptr) *out = int32_t(limited);
    return 1;
}

int SaveCfg_Admit(const OptRow *row, int32_t value, int32_t *out) {
    if (row == nullptr || out == nullptr) return 0;
    switch (row->rule) {
        case OptRule::Any: *out = value; return 1;
        case OptRule::Flag: *out = value != 0 ? 1 : 0; return 1;
        case OptRule::Clamp: *out = value < row->min ? row->min : value > row->max ? row->max : value; return 1;
        case OptRule::Refuse:
            if (value < row->min || value > row->max) return 0;
            *out = value;
            return 1;
        default: return 0;  // no [Save] key has another rule
    }
}

template size_t SaveName_NameStart<char>(const char *);
template size_t SaveName_NameStart<wchar_t>(const wchar_t *);
template size_t SaveName_ExtensionDot<char>(const char *);
template size_t SaveName_ExtensionDot<wchar_t>(const wchar_t *);
template int SaveFileDlg_FixExtension<char>(char *, size_t, const SaveNameRules<char> &);
template int SaveFileDlg_FixExtension<wchar_t>(wchar_t *, size_t, const SaveNameRules<wchar_t> &);
template int SavePanel_TypedValue<char>(const char *, int32_t, int32_t, int32_t *);
template int SavePanel_TypedValue<wchar_t>(const wchar_t *, int32_t, int32_t, int32_t *);
