// The settings store: every user option in one record, written only through
// setters that clamp or refuse out-of-range values. The rules themselves
// (range, clamp or refusal, default) live in the option table
// (qv_OptTable.h); the setters here are the program's names for them and add
// the live effects. Portable: the configuration reader, the menus and the
// settings pages all come through here.
#pragma once

#include <cstdint>

constexpr int kOptByteCount = 111;
constexpr int kOptIntCount = 25;
constexpr int kZoomModes = 5;
constexpr int kFontValues = 13;
constexpr int kFontFaceUnits = 32;

// Option bytes and ints that code outside the table names directly.
enum OptByte : int {
    kOptCaption = 0,
    kOptToolbarEdge = 4,
    kOptToolbar = 5,
    kOptStatusEdge = 7,
    kOptStatus = 8,
    kOptFullScreen = 15,
    kOptImageCenter = 17,
    kOptMaxBeforeFull = 23,
    kOptRenameSort = 41,        // RenmSort: re-sort the list after a rename
    kOptDeleteToBin = 42,       // FDelUndo: delete to the recycle bin
    kOptShowNext = 43,          // FMoveNext: show the next file after a move or delete
    kOptSortNatural = 44,
    kOptSortReverse = 45,
    kOptMulti = 46,
    kOptActive = 47,
    kOptOverwriteAsk = 57,      // OvWrAsk: Save asks before writing over its file
    kOptOverwriteDialog = 58,   // OvWrDlg: Save shows the save dialog too
    kOptSaveAsLastFolder = 59,  // SvSvPath: Save As starts in the last Save As folder
    kOptSlideRunning = 72,
    kOptOpenLast = 87,
    kOptDeleteConfirm = 93,     // FDelAsk
    kOptCopyAskOverwrite = 96,  // CpAskOvWr
    kOptMoveAskOverwrite = 97,  // MvAskOvWr
    kOptInfoFull = 100,
    kOptInfoWindow = 101,
};

enum OptInt : int {
    kIntRectLeft = 7,     // frame's normal rectangle, 7..10
    kIntUserRect = 11,    // 11..14
    kIntSavedRect = 15,   // 15..18
    kIntZoomLock = 19,
};

// Information-text font: the numeric fields of a LOGFONT in their order
// (height, width, escapement, orientation, weight, italic, underline,
// strike-out, character set, output precision, clipping precision, quality,
// pitch and family) and the face in the program's text units (UTF-16 units,
// or one ANSI byte per element in Quivelta98).
struct FontSpec {
    int32_t values[kFontValues];
    uint16_t face[kFontFaceUnits];
};

struct Settings {
    uint8_t option[kOptByteCount];
    int32_t locked;
    int32_t optInt[kOptIntCount];
    uint8_t zoomQuality[2 * kZoomModes];  // 0..4 reducing, 5..9 enlarging
    int32_t slideInterval;
    int32_t undoMax;
    int32_t glassSize;
    int32_t fileSkip;
    void *slideFolder;     // owned text of the Win32 side (QV_Alloc)
    int32_t slidePause;
    int32_t slidePaused;
    void *lastFile;        // owned block: file, zero, member (QV_Alloc)
    void *lastMember;      // inside lastFile's block, or null
    uint32_t infoTextColour;
    uint32_t infoTextBack;
    int32_t hasFont;
    int32_t fontDpi;
    FontSpec font;
    int32_t dragMargin;
    int32_t selGridStart[2];  // custom selection grid (SlctBgn), 1..999
    int32_t selGridSize[2];   // (SlctSel), 1..999
    int32_t selStep[4];       // snap steps: x, y start; width, height size
};

// The live settings that the program reads, and the locked defaults block.
extern Settings g_settings;
extern Settings g_defaultSettings;

// Fills a record with the defaults of the option table. `osVersionCode`
// decides the natural sort order default (on from Windows XP, code 51).
void Settings_Init(Settings *s, int osVersionCode);
// Both instances: the live one and the locked defaults block (tool bar and
// status bar on in it).
void Settings_InitBoth(int osVersionCode);

// Live effects of setters on windows that react at once. Each hook may be
// null while its module is not part of the program.
struct OptEffects {
    void (*imageCenter)(int on);
    void (*captionChanged)();
    void (*refit)(int fullScreenLayout);
    void (*resort)(int refresh);
    void (*selGridChanged)();
    void (*slideTimer)();
    void (*undoOff)();
    void (*topMost)(int on, int fullScreenLayout);
    void (*zoomLockChanged)(int refresh);
    void (*menuBar)(int on);  // attach or detach the frame's menu bar
};
extern OptEffects g_optEffects;

// Generic setters. Byte setters return the previous value in the low byte.
int32_t Opt_SetFlag(int index, int value);
int32_t Opt_SetByte(int index, int value);
int32_t Opt_SetInt(int index, int32_t value);

// Typed setters (return the previous value; a refused value changes nothing).
int32_t Opt_SetToolbarSize(int value);
int32_t Opt_SetImageCenter(int value);
int32_t Opt_SetCaptionFileName(int value);
int32_t Opt_SetInitialPos(int value);
int32_t Opt_SetGifAnimLimit(int value);
int32_t Opt_SetInitialShow(int value);
int32_t Opt_SetComicMargin(int value);
int32_t Opt_SetMaskRgb(int value);
int32_t Opt_SetNextAtListEnd(int value);
int32_t Opt_SetWheelIdle(int value);
int32_t Opt_SetDragBoost(int value);
int32_t Opt_SetDragZoomSpeed(int value);
int32_t Opt_SetDragZoomDir(int value);
int32_t Opt_SetHoverScrollMargin(int value);
int32_t Opt_SetHoverScrollSpeed(int value);
int32_t Opt_SetComicRightToLeft(int value);
int32_t Opt_SetPatternSize(int32_t value);
int32_t Opt_SetWheelSpeed(int32_t value);
void Opt_SetAltRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
void Opt_SetWindowRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
int32_t Opt_SetZoomLock(int32_t value);
// on: the current zoom (at least 1); off: 0.
int32_t Opt_EnableZoomLock(int on, int32_t currentZoom, int refresh);
int32_t Opt_SetZoomStep(int32_t value, int absolute);
int32_t Opt_SetSimpleZoom(int32_t value);
int32_t Opt_SetSimpleZoomZoom(int32_t value);
int32_t Opt_SetMaxFitZoom(int32_t value);
// 1 stored, 0 refused (mode above 4 or index outside 0..10).
int Opt_SetZoomQuality(int mode, int reducing, int index);
int32_t Opt_SetSlideInterval(int32_t value);
int32_t Opt_SetUndoMax(int32_t value);
int32_t Opt_SetGlassSize(int32_t value);
int32_t Opt_SetFileSkip(int32_t value);
int32_t Opt_SetDragMargin(int32_t value);
int32_t Opt_SetFitType(int type, int fullScreen);
int32_t Opt_SetSortType(int type, int refresh);
int32_t Opt_SetSelGrid(int type);
int32_t Opt_SetShowMode(int fullScreen, int mode);
int32_t Opt_SetRotateOption(int value);
int32_t Opt_SetInfoTextPos(int value);
int32_t Opt_SetInfoTextBack(int value);
int32_t Opt_SetTopMost(int on, int fullScreen, int apply);

// Menu maps: {command id, value} rows ended by a row whose id is 0 and whose
// value names the row returned for an unknown key.
struct MenuValue {
    int32_t command;
    int32_t value;
};
int32_t Opt_MenuValueLookup(const MenuValue *table, int32_t key, int toValue);
int32_t Opt_FitTypeFromMenu(int32_t key, int toValue);
int32_t Opt_SortTypeFromMenu(int32_t key, int toValue);
int32_t Opt_SelGridFromMenu(int32_t key, int toValue);
int32_t Opt_ShowModeFromMenu(int32_t key, int toValue);
int32_t Opt_RotateFromMenu(int32_t key, int toValue);

int32_t Opt_GetSortType();
int Opt_GetZoomQuality(int mode, int reducing);
int Zoom_MethodForMode(int mode, int reducing);
int Opt_IsInfoTextShown();

// Font parameters "R96|-13|0|..." (14 values with the resolution) or 13
// values without; the face is 1..31 units. `screenDpi` stands for the
// resolution when none is given or it is below 1. 1 parsed, 0 refused (a
// locked record without force, or a text that does not parse).
template <class Ch>
int Opt_ParseFontT(Settings *s, const Ch *params, const Ch *face, int force, int32_t screenDpi);
// "R<dpi>|v1|...|v13" into out (capacity units); 0 when it does not fit.
template <class Ch>
int Opt_FormatFontT(const Settings *s, Ch *out, int capacity);
