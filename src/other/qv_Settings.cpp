#include "other/qv_Settings.h"

#include "image/resample/qv_Resample.h"

#include <cstring>

#include "other/qv_OptTable.h"
#include "util/qv_MathUtil.h"
#include "util/qv_StrCore.h"

Settings g_settings;
Settings g_defaultSettings;
OptEffects g_optEffects;

namespace {

const OptRow *Find(OptKind kind, int target) { return Opt_FindRow(kind, target); }

int32_t SetBy(OptKind kind, int target, int32_t value) {
    return Opt_ApplyRow(&g_settings, Find(kind, target), value, nullptr);
}

void UpdateSelSteps(Settings *s) {
    const int grid = s->option[83];
    for (int i = 0; i < 4; ++i) {
        int32_t v = grid > 0 ? grid : (i < 2 ? s->selGridStart[i] : s->selGridSize[i - 2]);
        s->selStep[i] = v < 1 ? 1 : v;
    }
}

}  // namespace

void Settings_Init(Settings *s, int osVersionCode) {
    std::memset(s, 0, sizeof *s);
    size_t n = 0;
    const OptRow *t = Opt_Table(&n);
    for (size_t i = 0; i < n; ++i) {
        // Defaults are stored as they stand, not through the rule: a default
        // is valid by construction (the table test checks it).
        const OptRow &r = t[i];
        Opt_StoreRaw(s, &r, r.def);
    }
    if (osVersionCode < 51) s->option[kOptSortNatural] = 0;
    s->fontDpi = 96;
    UpdateSelSteps(s);
}

void Settings_InitBoth(int osVersionCode) {
    Settings_Init(&g_settings, osVersionCode);
    Settings_Init(&g_defaultSettings, osVersionCode);
    g_defaultSettings.locked = 1;
    g_defaultSettings.option[kOptToolbar] = 1;
    g_defaultSettings.option[kOptStatus] = 1;
}

// ---------------------------------------------------------------- generic

int32_t Opt_SetFlag(int index, int value) {
    // Every index is checked: a bad one changes nothing.
    if (index < 0 || index >= kOptByteCount) return 0;
    const int32_t previous = g_settings.option[index];
    g_settings.option[index] = value != 0;
    return previous;
}

int32_t Opt_SetByte(int index, int value) {
    if (index < 0 || index >= kOptByteCount) return 0;
    const int32_t previous = g_settings.option[index];
    g_settings.option[index] = uint8_t(value);
    return previous;
}

int32_t Opt_SetInt(int index, int32_t value) {
    if (index < 0 || index >= kOptIntCount) return 0;
    const int32_t previous = g_settings.optInt[index];
    g_settings.optInt[index] = value;
    return previous;
}

// ---------------------------------------------------------------- typed

int32_t Opt_SetToolbarSize(int value) { return SetBy(OptKind::Byte, 14, value); }
int32_t Opt_SetImageCenter(int value) { return SetBy(OptKind::Byte, kOptImageCenter, value); }
int32_t Opt_SetCaptionFileName(int value) { return SetBy(OptKind::Byte, 21, value); }
int32_t Opt_SetInitialPos(int value) { return SetBy(OptKind::Byte, 22, value); }
int32_t Opt_SetGifAnimLimit(int value) { return SetBy(OptKind::Byte, 24, value); }
int32_t Opt_SetInitialShow(int value) { return SetBy(OptKind::Byte, 38, value); }
int32_t Opt_SetComicMargin(int value) { return SetBy(OptKind::Byte, 52, value); }
int32_t Opt_SetMaskRgb(int value) { return SetBy(OptKind::Byte, 65, value); }
int32_t Opt_SetNextAtListEnd(int value) { return SetBy(OptKind::Byte, 67, value); }
int32_t Opt_SetWheelIdle(int value) { return SetBy(OptKind::Byte, 78, value); }
int32_t Opt_SetDragBoost(int value) { return SetBy(OptKind::Byte, 79, value); }
int32_t Opt_SetDragZoomSpeed(int value) { return SetBy(OptKind::Byte, 89, value); }
int32_t Opt_SetDragZoomDir(int value) { return SetBy(OptKind::Byte, 90, value); }
int32_t Opt_SetHoverScrollMargin(int value) { return SetBy(OptKind::Byte, 108, value); }
int32_t Opt_SetHoverScrollSpeed(int value) { return SetBy(OptKind::Byte, 109, value); }
int32_t Opt_SetComicRightToLeft(int value) { return SetBy(OptKind::Byte, 49, value); }
int32_t Opt_SetPatternSize(int32_t value) { return SetBy(OptKind::Int, 2, value); }
int32_t Opt_SetWheelSpeed(int32_t value) { return SetBy(OptKind::Int, 3, value); }

void Opt_SetAltRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Rect r{left, top, right, bottom};
    Math_NormalizeRect(&r);
    g_settings.optInt[kIntRectLeft + 0] = r.left;
    g_settings.optInt[kIntRectLeft + 1] = r.top;
    g_settings.optInt[kIntRectLeft + 2] = r.right;
    g_settings.optInt[kIntRectLeft + 3] = r.bottom;
}

void Opt_SetWindowRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Rect r{left, top, right, bottom};
    Math_NormalizeRect(&r);
    g_settings.optInt[kIntUserRect + 0] = r.left;
    g_settings.optInt[kIntUserRect + 1] = r.top;
    g_settings.optInt[kIntUserRect + 2] = r.right;
    g_settings.optInt[kIntUserRect + 3] = r.bottom;
}

int32_t Opt_SetZoomLock(int32_t value) { return SetBy(OptKind::Int, kIntZoomLock, value); }

int32_t Opt_EnableZoomLock(int on, int32_t currentZoom, int refresh) {
    const int32_t previous = g_settings.optInt[kIntZoomLock];
    Opt_SetZoomLock(on ? (currentZoom < 1 ? 1 : currentZoom) : 0);
    if (previous != g_settings.optInt[kIntZoomLock] && refresh && g_optEffects.zoomLockChanged)
        g_optEffects.zoomLockChanged(refresh);
    return previous;
}

int32_t Opt_SetZoomStep(int32_t value, int absolute) { return SetBy(OptKind::Int, absolute ? 21 : 20, value); }
int32_t Opt_SetSimpleZoom(int32_t value) { return SetBy(OptKind::Int, 22, value); }
int32_t Opt_SetSimpleZoomZoom(int32_t value) { return SetBy(OptKind::Int, 23, value); }
int32_t Opt_SetMaxFitZoom(int32_t value) { return SetBy(OptKind::Int, 24, value); }

int Opt_SetZoomQuality(int mode, int reducing, int index) {
    if (mode < 0 || mode >= kZoomModes) return 0;
    int stored = 0;
    Opt_ApplyRow(&g_settings, Find(OptKind::ZoomQ, reducing ? mode : mode + kZoomModes), index, &stored);
    return stored;
}

int32_t Opt_SetSlideInterval(int32_t value) { return SetBy(OptKind::Field, int(OptField::SlideInterval), value); }
int32_t Opt_SetUndoMax(int32_t value) { return SetBy(OptKind::Field, int(OptField::UndoMax), value); }
int32_t Opt_SetGlassSize(int32_t value) { return SetBy(OptKind::Field, int(OptField::GlassSize), value); }
int32_t Opt_SetFileSkip(int32_t value) { return SetBy(OptKind::Field, int(OptField::FileSkip), value); }
int32_t Opt_SetDragMargin(int32_t value) { return SetBy(OptKind::Field, int(OptField::DragMargin), value); }
int32_t Opt_SetFitType(int type, int fullScreen) { return SetBy(OptKind::Byte, fullScreen ? 81 : 80, type); }
int32_t Opt_SetSortType(int type, int refresh) {
    const OptRow *row = Find(OptKind::Byte, 82);
    const int32_t previous = g_settings.option[82];
    int stored = 0;
    // The re-sort is asked for with the caller's refresh, so apply without the
    // row's effect and run it here.
    OptEffects saved = g_optEffects;
    g_optEffects.resort = nullptr;
    Opt_ApplyRow(&g_settings, row, type, &stored);
    g_optEffects = saved;
    if (stored && previous != g_settings.option[82] && g_optEffects.resort) g_optEffects.resort(refresh);
    return previous;
}
int32_t Opt_SetSelGrid(int type) {
    const int32_t previous = SetBy(OptKind::Byte, 83, type);
    UpdateSelSteps(&g_settings);
    return previous;
}
int32_t Opt_SetShowMode(int fullScreen, int mode) { return SetBy(OptKind::Byte, fullScreen ? 85 : 84, mode); }
int32_t Opt_SetRotateOption(int value) { return SetBy(OptKind::Byte, 86, value); }
int32_t Opt_SetInfoTextPos(int value) { return SetBy(OptKind::Byte, 103, value); }
int32_t Opt_SetInfoTextBack(int value) { return SetBy(OptKind::Byte, 104, value); }
int32_t Opt_SetTopMost(int on, int fullScreen, int apply) {
    const int index = fullScreen ? 106 : 105;
    const int32_t previous = g_settings.option[index];
    g_settings.option[index] = on != 0;
    const bool inUse = (g_settings.option[kOptFullScreen] != 0) == (fullScreen != 0);
    if (apply && inUse && g_optEffects.topMost) g_optEffects.topMost(on != 0, fullScreen != 0);
    return previous;
}

// ---------------------------------------------------------------- menu maps

int32_t Opt_MenuValueLookup(const MenuValue *table, int32_t key, int toValue) {
    if (table == nullptr) return 0;
    int end = 0;
    while (end < 32767 && table[end].command != 0) {
        if (toValue ? table[end].command == key : table[end].value == key)
            return toValue ? table[end].value : table[end].command;
        ++end;
    }
    if (table[end].command != 0) return 0;  // no terminator within the limit
    const int32_t fallback = table[end].value;
    if (fallback < 0 || fallback >= end) return 0;
    return toValue ? table[fallback].value : table[fallback].command;
}

namespace {
const MenuValue kFitMenu[] = {{41041, 0}, {41042, 1}, {41043, 2}, {41044, 3}, {0, 0}};
const MenuValue kSortMenu[] = {{40801, 1}, {40802, 4}, {40803, 2}, {40804, 3}, {40805, 5}, {0, 0}};
const MenuValue kSelGridMenu[] = {{40401, 1}, {40402, 2},  {40403, 4}, {40404, 8},
                                  {40405, 16}, {40406, 32}, {40407, 0}, {0, 0}};
// An unknown display mode gives the last entry (mode 5).
const MenuValue kShowMenu[] = {{41021, 0}, {41022, 1}, {41023, 2}, {41024, 3}, {41025, 4}, {41026, 5}, {0, 5}};
const MenuValue kRotateMenu[] = {{41061, 0}, {41062, 1}, {41063, 2}, {41064, 3}, {41065, 4},
                                 {41066, 5}, {41067, 6}, {41068, 7}, {0, 0}};
}  // namespace

int32_t Opt_FitTypeFromMenu(int32_t key, int toValue) { return Opt_MenuValueLookup(kFitMenu, key, toValue); }
int32_t Opt_SortTypeFromMenu(int32_t key, int toValue) { return Opt_MenuValueLookup(kSortMenu, key, toValue); }
int32_t Opt_SelGridFromMenu(int32_t key, int toValue) { return Opt_MenuValueLookup(kSelGridMenu, key, toValue); }
int32_t Opt_ShowModeFromMenu(int32_t key, int toValue) { return Opt_MenuValueLookup(kShowMenu, key, toValue); }
int32_t Opt_RotateFromMenu(int32_t key, int toValue) { return Opt_MenuValueLookup(kRotateMenu, key, toValue); }

int32_t Opt_GetSortType() {
    const int t = g_settings.option[82];
    if (t < 1 || t > 5) return 0;
    return t + (g_settings.option[kOptSortReverse] ? 256 : 0);
}

int Opt_GetZoomQuality(int mode, int reducing) {
    if (mode < 0 || mode >= kZoomModes) return 0;
    return g_settings.zoomQuality[reducing ? mode : mode + kZoomModes];
}

int Zoom_MethodForMode(int mode, int reducing) {
    return Zoom_QualityToMethod(Opt_GetZoomQuality(mode, reducing), reducing != 0);
}

int Opt_IsInfoTextShown() {
    if (g_settings.option[kOptFullScreen]) return g_settings.option[kOptInfoFull];
    return g_settings.option[kOptCaption] ? 0 : g_settings.option[kOptInfoWindow];
}

// ---------------------------------------------------------------- font

template <class Ch>
int Opt_ParseFontT(Settings *s, const Ch *params, const Ch *face, int force, int32_t screenDpi) {
    if (s == nullptr || params == nullptr || face == nullptr) return 0;
    if (s->locked && !force) return 0;
    const size_t faceLen = qvtext::Length(face);
    if (faceLen < 1 || faceLen > 31 || params[0] == 0) return 0;
    const Ch *p = params;
    const bool withDpi = *p == Ch('R');
    if (withDpi) ++p;
    const int want = withDpi ? kFontValues + 1 : kFontValues;
    int32_t v[kFontValues + 1] = {};
    for (int i = 0; i < want; ++i) {
        const Ch *end = nullptr;
        bool range = false;
        const int64_t x = qvtext::ParseInt(p, &end, false, &range);
        if (end == p || range) return 0;
        v[i] = int32_t(x);
        p = end;
        if (i + 1 < want) {
            if (*p != Ch('|')) return 0;
            ++p;
        }
    }
    if (*p != 0) return 0;
    const int32_t *values = withDpi ? v + 1 : v;
    for (int i = 0; i < kFontValues; ++i) s->font.values[i] = values[i];
    for (int i = 0; i < kFontFaceUnits; ++i)
        s->font.face[i] = size_t(i) < faceLen ? uint16_t(static_cast<std::make_unsigned_t<Ch>>(face[i])) : 0;
    s->hasFont = 1;
    s->fontDpi = withDpi && v[0] >= 1 ? v[0] : screenDpi;
    return 1;
}

template <class Ch>
int Opt_FormatFontT(const Settings *s, Ch *out, int capacity) {
    if (s == nullptr || out == nullptr || capacity <= 0) return 0;
    Ch text[16 * (kFontValues + 2)];
    size_t n = 0;
    text[n++] = Ch('R');
    n += qvtext::FormatInt(s->fontDpi, text + n);
    for (int i = 0; i < kFontValues; ++i) {
        text[n++] = Ch('|');
        n += qvtext::FormatInt(s->font.values[i], text + n);
    }
    text[n] = 0;
    if (n > 255 || n + 1 > size_t(capacity)) {
        out[0] = 0;
        return 0;
    }
    for (size_t i = 0; i <= n; ++i) out[i] = text[i];
    return int(n);
}

template int Opt_ParseFontT<char>(Settings *, const char *, const char *, int, int32_t);
template int Opt_ParseFontT<char16_t>(Settings *, const char16_t *, const char16_t *, int, int32_t);
template int Opt_ParseFontT<wchar_t>(Settings *, const wchar_t *, const wchar_t *, int, int32_t);
template int Opt_FormatFontT<char>(const Settings *, char *, int);
template int Opt_FormatFontT<char16_t>(const Settings *, char16_t *, int);
template int Opt_FormatFontT<wchar_t>(const Settings *, wchar_t *, int);
