// The option table: every option of the settings store and every key of the
// configuration file, transcribed once. The defaults, the configuration
// reader and writer, the typed setters and the settings pages all walk it;
// no key name is spelt anywhere else. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

struct Settings;

// Sections of the configuration file, in the order the file is written.
enum class CfgSection : uint8_t {
    None,  // run-time option with no key
    Boot,
    Wnd,
    Other,
    Flag,
    ChildWnd,
    Mask,
    Dlg,
    Save,
    CpMv,
    Load,
    MRUF,
    MRUD,
    Count,
};

// Where a value goes.
enum class OptKind : uint8_t {
    Byte,        // option byte `target`
    BitOfByte,   // bit `bit` of the key's value -> option byte `target`
    Int,         // option int `target`
    Field,       // a numeric field of Settings (OptField)
    ZoomQ,       // zoomQuality[target]
    SelGrid,     // selGridStart (target 0, 1) / selGridSize (target 2, 3)
    Text,        // text handled by the configuration module (OptText)
    Remembered,  // window state at the last exit (OptRemembered)
    External,    // owned by a module outside the store (dialogs, lists)
    Obsolete,    // a key of older versions, removed on every save
};

// How a value outside [min, max] is treated.
enum class OptRule : uint8_t {
    Any,        // stored as given
    Flag,       // any non-zero value is 1
    Refuse,     // outside the range: the option keeps its value
    Clamp,      // clamped to the range
    Mask,       // masked to the bits of max (max is 2^k - 1)
    GifLimit,   // 0..4, 5 stored as 4, else refused
    SelGrid,    // one of 0, 1, 2, 4, 8, 16, 32, else refused
    ShowMode,   // 0..5; in full screen 0 refused, 3 -> 1, 4 -> 2
};

enum class OptField : uint8_t { SlideInterval, UndoMax, GlassSize, FileSkip, DragMargin, InfoTextColour, InfoTextBack };
enum class OptText : uint8_t { FontName, FontParams, LastFile, LastMember };
enum class OptRemembered : uint8_t { Rect, Show, Full };

// Live effect of a change (see OptEffects).
enum class OptEffect : uint8_t {
    None,
    ImageCenter,
    Caption,
    RefitWindow,
    RefitFull,
    Resort,
    SelGrid,
    SlideTimer,
    UndoOff,
    TopMostWindow,
    TopMostFull,
    UserRect,  // the four values are normalised together
    MenuBar,
};

struct OptRow {
    CfgSection section;
    const char *key;   // null for run-time options; "%02d" patterns for numbered keys
    uint8_t slot;      // position of the value in the key's "|" list
    uint8_t slots;     // number of values the key holds
    uint8_t bit;       // BitOfByte: the bit of the value
    OptKind kind;
    int16_t target;
    OptRule rule;
    int32_t min;
    int32_t max;
    int32_t def;       // default in the live record
    uint8_t needAll;   // the key is taken only when all its values are present
    uint8_t isSigned;  // written with "%ld" (else "%lu")
    uint8_t lazy;      // in a section read by the first dialog that needs it
    uint8_t fromDefaults;  // a missing value takes the defaults block's value
    OptEffect effect;
};

const OptRow *Opt_Table(size_t *count);
const char *Cfg_SectionName(CfgSection section);

// Rows of the key that begins at `first` (consecutive rows with the same
// section and key).
size_t Opt_KeyRowCount(const OptRow *first, const OptRow *end);

// The row that stores option byte / int / field / zoom-quality `target`.
const OptRow *Opt_FindRow(OptKind kind, int target);

// Applies a value to the row's target under its rule; returns the previous
// value, and sets *stored (when given) to whether it was taken. Effects run
// for the live settings only.
int32_t Opt_ApplyRow(Settings *s, const OptRow *row, int32_t value, int *stored);
// Stores a value as given, with no rule and no effect (defaults).
void Opt_StoreRaw(Settings *s, const OptRow *row, int32_t value);
// The row's current value.
int32_t Opt_ReadRow(const Settings *s, const OptRow *row);
// Whether the value satisfies the row's rule exactly as stored.
bool Opt_RowAccepts(const OptRow *row, int32_t value);
