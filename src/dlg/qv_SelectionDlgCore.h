// The selection and selection-step dialogs without their windows: the six
// linked fields of the selection (corners and size, inclusive pixel
// coordinates), their ranges and arrows, what Cancel puts back, and the
// selection-step values. Portable; either text unit.
#pragma once

#include <cstdint>

enum SelectionDlgField : int {
    kSelFieldLeft = 0,
    kSelFieldTop = 1,
    kSelFieldRight = 2,
    kSelFieldBottom = 3,
    kSelFieldWidth = 4,
    kSelFieldHeight = 5,
    kSelFieldCount = 6,
};

// A picture side the dialog accepts: 1..0xFFFFFF.
constexpr int32_t kSelectionDlgMaxSide = 0xFFFFFF;

// The six values in field order.
struct SelectionDlgFields {
    int32_t v[kSelFieldCount];
};

// Inclusive corners (left <= right, top <= bottom after normalising).
struct SelectionDlgCorners {
    int32_t left, top, right, bottom;
};

// False unless both sides are in 1..kSelectionDlgMaxSide.
bool SelectionDlg_PictureFits(int32_t width, int32_t height);

// The field's range on a width x height picture: corners 0..side - 1,
// sizes 1..side.
void SelectionDlg_FieldRange(int field, int32_t width, int32_t height, int32_t *min, int32_t *max);

// Whether the field's up arrow decreases its value. `directions` holds one
// digit per field ('1' reversed), as the dialog template keeps it; a
// missing digit means normal.
template <class Ch>
bool SelectionDlg_ArrowReversed(const Ch *directions, int field);

// The fields of a selection: the picture's whole area when there is none.
SelectionDlgFields SelectionDlg_FieldsFrom(const SelectionDlgCorners *selection, int32_t width, int32_t height);

enum SelectionDlgTyped : int {
    kSelTypedKeep = 0,       // in range, or not (yet) a number: leave the text
    kSelTypedWriteBack = 1,  // out of range: *value is the clamped number to write
};

// A change of a field's text (before it is shown): a number outside
// [min, max] is clamped and must be written back. Text that is no number
// ("1,000" among others) is left for the user to finish and changes nothing.
template <class Ch>
int SelectionDlg_OnTyped(const Ch *text, int32_t min, int32_t max, int32_t *value);

// The user set `field` to `value` (already in range). Updates the linked
// fields: a corner rewrites the size of its axis; a size keeps the lower
// corner, moving it back so that the selection stays inside the picture.
// Returns a bit (1 << field) for each other field whose text changed and
// must be written by the program.
uint32_t SelectionDlg_Edit(SelectionDlgFields *fields, int field, int32_t value, int32_t width, int32_t height);

// The selection the fields describe, corners normalised (a left typed past
// the right selects between them).
SelectionDlgCorners SelectionDlg_Corners(const SelectionDlgFields &fields);

// What Cancel does to the view.
struct SelectionDlgCancel {
    bool clear;        // no selection at the start: remove it
    bool restore;      // put `remembered` back
    bool modeOff;      // switch selection mode off again
    bool redraw;       // something changed: redraw the view and status bar
};
// `remembered` is null when there was no selection at the start; the dialog
// switched selection mode on when `modeWasOn` is false.
SelectionDlgCancel SelectionDlg_PlanCancel(const SelectionDlgCorners *remembered, const SelectionDlgCorners &current,
                                           bool modeWasOn);

// ---------------------------------------------------------------- steps

constexpr int32_t kSelStepMin = 1;
constexpr int32_t kSelStepMax = 999;
constexpr int kSelStepPresetButtons = 12;

// A step limited to 1..999.
int32_t SelSizeDlg_ClampStep(int32_t value);

// Preset button k (0..11 in id order): the field it writes (0..3) and its
// value (1, 8 or 16). False for another k.
bool SelSizeDlg_Preset(int button, int *field, int32_t *value);

// A change of a step field's text: a number outside 1..999 is written back
// as 1 (0 or less) or 999 (returns kSelTypedWriteBack with *value).
template <class Ch>
int SelSizeDlg_OnTyped(const Ch *text, int32_t *value);

// The value OK reads from a step field: the number clamped to 1..999, or
// `current` when the text is no number.
template <class Ch>
int32_t SelSizeDlg_ReadStep(const Ch *text, int32_t current);
