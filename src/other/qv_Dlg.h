// What every dialog uses: the one-dialog-at-a-time guard, the state record
// kept in the dialog, layout directives from hidden texts, combo and check
// tables, edit clamping, up-down and list-view helpers, a scroll bar used as
// a slider and the 3 x 3 anchor picker.
#pragma once

#include <windows.h>

#include <cstdint>

#include "other/qv_UiMath.h"

// ----------------------------------------------------------- the guard

// Holds the template name of the one open guarded dialog or message box.
class DlgGuard {
public:
    DlgGuard() = default;
    ~DlgGuard();
    DlgGuard(const DlgGuard &) = delete;
    DlgGuard &operator=(const DlgGuard &) = delete;
    const TCHAR *name = nullptr;
};

int DlgGuard_Acquire(DlgGuard *guard, const TCHAR *name);
int DlgGuard_Release(DlgGuard *guard);
void DlgGuard_Destroy(DlgGuard *guard);
// The name in the global slot, null when no guarded dialog is open.
const TCHAR *DlgGuard_OpenName();

// ----------------------------------------------------------- state record

// A dialog's state record starts with a pointer to itself, so a foreign
// value in DWLP_USER is never taken for one.
struct DlgContext {
    DlgContext *self;
};

int Dlg_SetContext(DlgContext *record, HWND dialog);
DlgContext *Dlg_GetContext(HWND dialog);

struct DlgPosition {
    int32_t left;
    int32_t top;
};

int Dlg_PlaceWindow(const DlgPosition *position, HWND dialog, int usePosition);
int Dlg_SaveWindowPos(DlgPosition *position, HWND window);
void Dlg_PostCommand2001(HWND dialog);
void Dlg_SendCommand(HWND dialog, int control, int notification);
int Dlg_CloseItems(const int *ids, HWND dialog);
int Dlg_ApplyTextLayout(HWND dialog);
int Wnd_ReplaceAppTitle(HWND window);
TCHAR *Str_SplitTab(TCHAR *text);
HWND Dlg_GetItemRect(RECT *out, HWND dialog, int id, int client);

int Ctl_GetText(TCHAR *buffer, int capacity, HWND control);
void Ctl_SetText(HWND control, const TCHAR *text);
int Ctl_GetTextLength(HWND control);
int Ctl_IsTextEmpty(HWND control);
int Dlg_EnableItem(HWND dialog, int id, int enable, int fallbackId);
int Dlg_FillComboFromText(HWND dialog, int comboId, int sourceId, int expectedCount, int selection);

struct ComboFillRow {
    int combo, source, count, selection;
};
struct ComboSelectRow {
    int combo, index;
};
struct CheckRow {
    int control, state;
};
struct IntRow {
    int control;
    int32_t value;
};
// Zero-terminated tables (first field 0 ends them); stop at the first failure.
int Dlg_FillCombos(HWND dialog, const ComboFillRow *rows);
int Dlg_SelectCombos(HWND dialog, const ComboSelectRow *rows);
int Dlg_CheckItems(HWND dialog, const CheckRow *rows);
int Dlg_SetItemInts(HWND dialog, const IntRow *rows);

void Ctl_SetInt(int32_t value, HWND control);
void Ctl_FocusSelectAll(HWND control);
int Ctl_ClampEditInt(const int32_t *minimum, HWND control, const int32_t *maximum);
void UpDown_Setup(int lower, int upper, HWND buddy, HWND upDown);
int UpDown_GetPos(HWND upDown);
int ListView_GetItemParam(int index, LPARAM *out, HWND listView);

// Thin wrappers over the controls; -1 (or 0) for a null window. (These
// names would clash with windowsx.h, which the program does not use.)
int Ctl_GetCheck(HWND control);
int Dlg_IsChecked(HWND dialog, int id);
int Dlg_IsUnchecked(HWND dialog, int id);
void Button_SetCheck(HWND control, int state);
void Dlg_SetCheck(HWND dialog, int id, int state);
void Dlg_FocusSelectAll(HWND dialog, int id);
void Edit_SetSel(HWND control, int start, int end);
void Ctl_Close(HWND control);
void Dlg_CloseItem(HWND dialog, int id);
void Dlg_SetItemInt(HWND dialog, int id, int32_t value);
int ListBox_AddString(HWND control, const TCHAR *text);
int ListBox_GetCurSel(HWND control);
int ListBox_SetCurSel(HWND control, int index);
int Combo_SetCurSel(HWND control, int index);
int Combo_GetCurSel(HWND control);

// ----------------------------------------------------------- slider

struct DlgScroll {
    HWND bar = nullptr;
    int32_t vertical = 0;
    int32_t position = 0;
    int32_t maximum = 0;
    int32_t minimum = 0;
    int32_t line = 1;
    int32_t page = 10;
};

void DlgScroll_Init(DlgScroll *record);
int DlgScroll_Attach(DlgScroll *record, HWND bar);
int DlgScroll_SetSteps(DlgScroll *record, const int32_t *page, const int32_t *line);
int DlgScroll_SetRange(DlgScroll *record, int32_t maximum, int32_t minimum);
int32_t DlgScroll_SetPos(int32_t position, DlgScroll *record, int mode, int redraw);
int DlgScroll_OnScroll(DlgScroll *record, UINT message, int code, HWND control);

// ----------------------------------------------------------- anchor picker

struct AnchorPicker {
    int32_t selected = 4;
    HDC memDC = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    COLORREF cell = 0, selectedCell = 0, grid = 0, background = 0;
    AnchorGeometry geometry{};
    POINT origin{};
    HWND control = nullptr;
};

int AnchorPicker_Setup(AnchorPicker *picker, HWND dialog, HWND control, COLORREF cell, COLORREF selected,
                       COLORREF grid, COLORREF background);
int AnchorPicker_Layout(AnchorPicker *picker, HWND dialog, int border);
int32_t AnchorPicker_HitTest(const AnchorPicker *picker, int x, int y);
int AnchorPicker_OnClick(AnchorPicker *picker, int x, int y);
int AnchorPicker_Paint(AnchorPicker *picker, HDC target);
void AnchorPicker_FreeDC(AnchorPicker *picker);
