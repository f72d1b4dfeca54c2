#include "other/qv_Dlg.h"

#include <commctrl.h>

#include <type_traits>

#include "other/qv_Msg.h"
#include "other/qv_WndUtil.h"
#include "util/qv_Str.h"
#include "util/qv_Text.h"

namespace {

const TCHAR *s_openDialog = nullptr;  // the one guarded dialog or box open


template <size_t N>
void ToUtf16(const TCHAR *text, char16_t (&out)[N]) {
    size_t i = 0;
    for (; text[i] != 0 && i + 1 < N; ++i) out[i] = char16_t(static_cast<std::make_unsigned_t<TCHAR>>(text[i]));
    out[i] = 0;
}

}  // namespace

// ----------------------------------------------------------- the guard

DlgGuard::~DlgGuard() { DlgGuard_Release(this); }

int DlgGuard_Acquire(DlgGuard *guard, const TCHAR *name) {
    if (guard == nullptr || name == nullptr || guard->name != nullptr || s_openDialog != nullptr) return 0;
    guard->name = name;
    s_openDialog = name;
    return 1;
}

int DlgGuard_Release(DlgGuard *guard) {
    if (guard == nullptr || guard->name == nullptr || s_openDialog == nullptr) return 0;
    if (qvtext::CompareOrdinal(guard->name, s_openDialog) != 0) return 0;
    guard->name = nullptr;
    s_openDialog = nullptr;
    return 1;
}

void DlgGuard_Destroy(DlgGuard *guard) { DlgGuard_Release(guard); }

const TCHAR *DlgGuard_OpenName() { return s_openDialog; }

// ----------------------------------------------------------- state record

int Dlg_SetContext(DlgContext *record, HWND dialog) {
    if (record == nullptr || record->self != record || dialog == nullptr) return 0;
    SetLastError(0);
    const LONG_PTR old = SetWindowLongPtr(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(record));
    return old != 0 || GetLastError() == 0;
}

DlgContext *Dlg_GetContext(HWND dialog) {
    auto *record = reinterpret_cast<DlgContext *>(GetWindowLongPtr(dialog, DWLP_USER));
    return record != nullptr && record->self == record ? record : nullptr;
}

int Dlg_PlaceWindow(const DlgPosition *position, HWND dialog, int usePosition) {
    if (dialog == nullptr) return 0;
    if (usePosition && position != nullptr) {
        RECT r;
        if (!GetWindowRect(dialog, &r)) return 0;
        RECT moved{position->left, position->top, position->left + (r.right - r.left), position->top + (r.bottom - r.top)};
        Wnd_PlaceInWorkArea(&moved, nullptr, nullptr, 0);
        return SetWindowPos(dialog, nullptr, moved.left, moved.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) ? 1 : 0;
    }
    return Dlg_CenterOnOwner(dialog, GetParent(dialog));
}

int Dlg_SaveWindowPos(DlgPosition *position, HWND window) {
    RECT r;
    if (position == nullptr || !GetWindowRect(window, &r)) return 0;
    position->left = r.left;
    position->top = r.top;
    return 1;
}

void Dlg_PostCommand2001(HWND dialog) {
    PostMessage(dialog, WM_COMMAND, MAKEWPARAM(2001, 0), reinterpret_cast<LPARAM>(GetDlgItem(dialog, 2001)));
}

void Dlg_SendCommand(HWND dialog, int control, int notification) {
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(control, notification), reinterpret_cast<LPARAM>(GetDlgItem(dialog, control)));
}

int Dlg_CloseItems(const int *ids, HWND dialog) {
    if (ids == nullptr || dialog == nullptr) return 0;
    for (int i = 0; ids[i] != 0 && i < 32511; ++i) Dlg_CloseItem(dialog, ids[i]);
    return 1;
}

int Dlg_ApplyTextLayout(HWND dialog) {
    if (dialog == nullptr) return 0;
    for (int i = 0; i < 10; ++i) {
        HWND holder = GetDlgItem(dialog, 2201 + i);
        if (holder == nullptr) break;
        TCHAR text[256];
        Ctl_GetText(text, 256, holder);
        Ctl_Close(holder);
        char16_t wide[256];
        ToUtf16(text, wide);
        LayoutDirective d;
        if (!UiMath_ParseLayoutDirective(wide, &d)) break;
        RECT ref;
        if (Dlg_GetItemRect(&ref, dialog, d.reference, 0) == nullptr) continue;
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&ref), 2);
        for (size_t t = 0; t < d.count; ++t) {
            RECT r;
            HWND target = Dlg_GetItemRect(&r, dialog, d.targets[t].control, 0);
            if (target == nullptr) continue;
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
            const bool *e = d.targets[t].edges;
            if (e[0]) r.left = ref.left;
            if (e[1]) r.top = ref.top;
            if (e[2]) r.right = ref.right;
            if (e[3]) r.bottom = ref.bottom;
            SetWindowPos(target, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    return 1;
}

int Wnd_ReplaceAppTitle(HWND window) {
    TCHAR text[512];
    const int n = GetWindowText(window, text, 256);
    if (n < 1 || n > 254) return 0;
    if (!Str_ReplaceAppTitle(text, 512)) return 0;
    return SetWindowText(window, text) ? 1 : 0;
}

TCHAR *Str_SplitTab(TCHAR *text) {
    if (text == nullptr) return nullptr;
    for (TCHAR *p = text; *p != 0; p = const_cast<TCHAR *>(qvtext::NextChar<TCHAR>(p)))
        if (*p == TEXT('\t')) {
            *p = 0;
            return p + 1;
        }
    return nullptr;
}

HWND Dlg_GetItemRect(RECT *out, HWND dialog, int id, int client) {
    if (out == nullptr) return nullptr;
    *out = RECT{};
    HWND item = GetDlgItem(dialog, id);
    if (item == nullptr) return nullptr;
    if (client ? !GetClientRect(item, out) : !GetWindowRect(item, out)) return nullptr;
    return item;
}

int Ctl_GetText(TCHAR *buffer, int capacity, HWND control) {
    if (buffer == nullptr || capacity <= 0) return 0;
    buffer[0] = 0;
    if (control == nullptr) return 0;
    const int n = GetWindowText(control, buffer, capacity);
    if (n <= 0) {
        buffer[0] = 0;
        return 0;
    }
    buffer[capacity - 1] = 0;
    return n;
}

void Ctl_SetText(HWND control, const TCHAR *text) { SetWindowText(control, text ? text : TEXT("")); }

int Ctl_GetTextLength(HWND control) {
    if (control == nullptr) return 0;
    const int n = GetWindowTextLength(control);
    return n < 0 ? 0 : n;
}

int Ctl_IsTextEmpty(HWND control) { return Ctl_GetTextLength(control) == 0; }

int Dlg_EnableItem(HWND dialog, int id, int enable, int fallbackId) {
    HWND item = GetDlgItem(dialog, id);
    if (item == nullptr) return 0;
    if (!enable && GetFocus() == item) {
        SetFocus(GetDlgItem(dialog, fallbackId));
        PostMessage(dialog, DM_SETDEFID, 2, 0);
        PostMessage(dialog, DM_SETDEFID, 1, 0);
    }
    EnableWindow(item, enable ? TRUE : FALSE);
    return 1;
}

int Dlg_FillComboFromText(HWND dialog, int comboId, int sourceId, int expectedCount, int selection) {
    HWND combo = GetDlgItem(dialog, comboId);
    HWND source = GetDlgItem(dialog, sourceId);
    if (combo == nullptr || source == nullptr) return 0;
    TCHAR text[2048];
    Ctl_GetText(text, 2048, source);
    TCHAR *fields[128];
    int count = 0;
    for (TCHAR *p = text; p != nullptr && count < 128;) {
        TCHAR *next = Str_SplitTab(p);
        if (*p != 0) fields[count++] = p;
        p = next;
    }
    if (expectedCount != 0 && count != expectedCount) return 0;
    for (int i = 0; i < count; ++i) SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fields[i]));
    if (selection >= 0) SendMessage(combo, CB_SETCURSEL, WPARAM(selection), 0);
    return 1;
}

int Dlg_FillCombos(HWND dialog, const ComboFillRow *rows) {
    for (int i = 0; rows != nullptr && rows[i].combo != 0 && i < 32512; ++i)
        if (!Dlg_FillComboFromText(dialog, rows[i].combo, rows[i].source, rows[i].count, rows[i].selection)) return 0;
    return 1;
}

int Dlg_SelectCombos(HWND dialog, const ComboSelectRow *rows) {
    for (int i = 0; rows != nullptr && rows[i].combo != 0 && i < 32512; ++i) {
        HWND combo = GetDlgItem(dialog, rows[i].combo);
        if (combo == nullptr) return 0;
        const int count = int(SendMessage(combo, CB_GETCOUNT, 0, 0));
        int index = rows[i].index;
        if (index >= count) index = count - 1;
        if (index < 0) index = 0;
        SendMessage(combo, CB_SETCURSEL, WPARAM(index), 0);
    }
    return 1;
}

int Dlg_CheckItems(HWND dialog, const CheckRow *rows) {
    for (int i = 0; rows != nullptr && rows[i].control != 0 && i < 32512; ++i) {
        if (GetDlgItem(dialog, rows[i].control) == nullptr) return 0;
        Dlg_SetCheck(dialog, rows[i].control, rows[i].state);
    }
    return 1;
}

int Dlg_SetItemInts(HWND dialog, const IntRow *rows) {
    for (int i = 0; rows != nullptr && rows[i].control != 0 && i < 32512; ++i) {
        HWND item = GetDlgItem(dialog, rows[i].control);
        if (item == nullptr) return 0;
        Ctl_SetInt(rows[i].value, item);
    }
    return 1;
}

void Ctl_SetInt(int32_t value, HWND control) {
    TCHAR text[16];
    Str_FromInt(value, text);
    SetWindowText(control, text);
}

void Ctl_FocusSelectAll(HWND control) {
    if (control == nullptr) return;
    SetFocus(control);
    SendMessage(control, EM_SETSEL, 0, -1);
}

int Ctl_ClampEditInt(const int32_t *minimum, HWND control, const int32_t *maximum) {
    TCHAR text[32];
    Ctl_GetText(text, 32, control);
    const int32_t v = Str_ToInt(text);
    int32_t c = v;
    if (minimum != nullptr && c < *minimum) c = *minimum;
    if (maximum != nullptr && c > *maximum) c = *maximum;
    if (c != v) Ctl_SetInt(c, control);
    return 1;
}

void UpDown_Setup(int lower, int upper, HWND buddy, HWND upDown) {
    SendMessage(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
    SendMessage(upDown, UDM_SETRANGE32, WPARAM(lower), LPARAM(upper));
}

int UpDown_GetPos(HWND upDown) {
    const LRESULT r = SendMessage(upDown, UDM_GETPOS, 0, 0);
    if (HIWORD(r) != 0) return 0;
    return int(static_cast<int16_t>(LOWORD(r)));
}

int ListView_GetItemParam(int index, LPARAM *out, HWND listView) {
    if (out) *out = 0;
    LVITEM item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!SendMessage(listView, LVM_GETITEM, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    if (out) *out = item.lParam;
    return 1;
}

int Ctl_GetCheck(HWND control) { return control ? int(SendMessage(control, BM_GETCHECK, 0, 0)) : 0; }
int Dlg_IsChecked(HWND dialog, int id) { return Ctl_GetCheck(GetDlgItem(dialog, id)) == 1; }
int Dlg_IsUnchecked(HWND dialog, int id) { return Ctl_GetCheck(GetDlgItem(dialog, id)) != 1; }
void Button_SetCheck(HWND control, int state) {
    if (control) SendMessage(control, BM_SETCHECK, WPARAM(state), 0);
}
void Dlg_SetCheck(HWND dialog, int id, int state) { Button_SetCheck(GetDlgItem(dialog, id), state); }
void Dlg_FocusSelectAll(HWND dialog, int id) { Ctl_FocusSelectAll(GetDlgItem(dialog, id)); }
void Edit_SetSel(HWND control, int start, int end) {
    if (control) SendMessage(control, EM_SETSEL, WPARAM(start), LPARAM(end));
}
void Ctl_Close(HWND control) {
    if (control) SendMessage(control, WM_CLOSE, 0, 0);
}
void Dlg_CloseItem(HWND dialog, int id) {
    if (id > 0) Ctl_Close(GetDlgItem(dialog, id));
}
void Dlg_SetItemInt(HWND dialog, int id, int32_t value) { Ctl_SetInt(value, GetDlgItem(dialog, id)); }
int ListBox_AddString(HWND control, const TCHAR *text) {
    return control ? int(SendMessage(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))) : -1;
}
int ListBox_GetCurSel(HWND control) { return control ? int(SendMessage(control, LB_GETCURSEL, 0, 0)) : -1; }
int ListBox_SetCurSel(HWND control, int index) {
    return control ? int(SendMessage(control, LB_SETCURSEL, WPARAM(index), 0)) : -1;
}
int Combo_SetCurSel(HWND control, int index) {
    return control ? int(SendMessage(control, CB_SETCURSEL, WPARAM(index), 0)) : -1;
}
int Combo_GetCurSel(HWND control) { return control ? int(SendMessage(control, CB_GETCURSEL, 0, 0)) : -1; }

// ----------------------------------------------------------- slider

void DlgScroll_Init(DlgScroll *record) {
    if (record) *record = DlgScroll{};
}

int DlgScroll_Attach(DlgScroll *record, HWND bar) {
    if (record == nullptr || bar == nullptr || record->bar != nullptr) return 0;
    record->bar = bar;
    record->vertical = (GetWindowLong(bar, GWL_STYLE) & SBS_VERT) ? 1 : 0;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS | SIF_RANGE;
    if (GetScrollInfo(bar, SB_CTL, &info)) {
        record->position = info.nPos;
        record->minimum = info.nMin;
        record->maximum = info.nMax;
    }
    return 1;
}

int DlgScroll_SetSteps(DlgScroll *record, const int32_t *page, const int32_t *line) {
    if (record == nullptr) return 0;
    if (page) record->page = *page;
    if (line) record->line = *line;
    return 1;
}

int DlgScroll_SetRange(DlgScroll *record, int32_t maximum, int32_t minimum) {
    if (record == nullptr || minimum >= maximum) return 0;
    record->minimum = minimum;
    record->maximum = maximum;
    if (record->bar) SetScrollRange(record->bar, SB_CTL, minimum, maximum, FALSE);
    DlgScroll_SetPos(record->position, record, 0, 1);
    return 1;
}

int32_t DlgScroll_SetPos(int32_t position, DlgScroll *record, int mode, int redraw) {
    if (record == nullptr) return 0;
    record->position = UiMath_SliderPos(mode, position, record->position, record->minimum, record->maximum,
                                        record->line, record->page);
    if (record->bar) SetScrollPos(record->bar, SB_CTL, record->position, redraw ? TRUE : FALSE);
    return record->position;
}

int DlgScroll_OnScroll(DlgScroll *record, UINT message, int code, HWND control) {
    if (record == nullptr || control != record->bar || control == nullptr) return 0;
    if ((message == WM_VSCROLL) != (record->vertical != 0) || (message != WM_VSCROLL && message != WM_HSCROLL)) return 0;
    const int32_t before = record->position;
    switch (LOWORD(code)) {
        case SB_LINEUP: DlgScroll_SetPos(0, record, 2, 1); break;
        case SB_LINEDOWN: DlgScroll_SetPos(0, record, 1, 1); break;
        case SB_PAGEUP: DlgScroll_SetPos(0, record, 4, 1); break;
        case SB_PAGEDOWN: DlgScroll_SetPos(0, record, 3, 1); break;
        case SB_THUMBPOSITION: DlgScroll_SetPos(int16_t(HIWORD(code)), record, 0, 1); break;
        case SB_THUMBTRACK: {
            SCROLLINFO info{};
            info.cbSize = sizeof info;
            info.fMask = SIF_TRACKPOS;
            const int32_t track = GetScrollInfo(control, SB_CTL, &info) ? info.nTrackPos : int16_t(HIWORD(code));
            record->position = UiMath_SliderPos(0, track, record->position, record->minimum, record->maximum,
                                                record->line, record->page);
            break;
        }
        case SB_TOP: DlgScroll_SetPos(0, record, 7, 1); break;
        case SB_BOTTOM: DlgScroll_SetPos(0, record, 8, 1); break;
        default: break;
    }
    return record->position != before;
}

// ----------------------------------------------------------- anchor picker

int AnchorPicker_Setup(AnchorPicker *picker, HWND dialog, HWND control, COLORREF cell, COLORREF selected,
                       COLORREF grid, COLORREF background) {
    if (picker == nullptr || control == nullptr) return 0;
    AnchorPicker_FreeDC(picker);
    picker->control = control;
    picker->cell = cell;
    picker->selectedCell = selected;
    picker->grid = grid;
    picker->background = background;
    RECT r;
    GetClientRect(control, &r);
    HDC dc = GetDC(dialog);
    if (dc == nullptr) return 0;
    picker->memDC = CreateCompatibleDC(dc);
    picker->bitmap = CreateCompatibleBitmap(dc, r.right > 0 ? r.right : 1, r.bottom > 0 ? r.bottom : 1);
    ReleaseDC(dialog, dc);
    if (picker->memDC == nullptr || picker->bitmap == nullptr) {
        AnchorPicker_FreeDC(picker);
        return 0;
    }
    picker->oldBitmap = SelectObject(picker->memDC, picker->bitmap);
    return 1;
}

int AnchorPicker_Layout(AnchorPicker *picker, HWND dialog, int border) {
    if (picker == nullptr || picker->control == nullptr) return 0;
    RECT r;
    GetClientRect(picker->control, &r);
    if (!UiMath_AnchorLayout(r.right, r.bottom, border, &picker->geometry)) return 0;
    RECT w;
    GetWindowRect(picker->control, &w);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&w), 2);
    const int extra = (w.right - w.left) - r.right;
    int left = w.left;
    if (GetWindowLong(picker->control, GWL_EXSTYLE) & WS_EX_RTLREADING) left = w.right - (picker->geometry.size + extra);
    SetWindowPos(picker->control, nullptr, left, w.top, picker->geometry.size + extra,
                 picker->geometry.size + (w.bottom - w.top - r.bottom), SWP_NOZORDER | SWP_NOACTIVATE);
    POINT origin{0, 0};
    ClientToScreen(picker->control, &origin);
    ScreenToClient(dialog, &origin);
    picker->origin = origin;
    return 1;
}

int32_t AnchorPicker_HitTest(const AnchorPicker *picker, int x, int y) {
    if (picker == nullptr) return -1;
    return UiMath_AnchorHitTest(picker->geometry, x - picker->origin.x, y - picker->origin.y);
}

int AnchorPicker_OnClick(AnchorPicker *picker, int x, int y) {
    const int32_t cell = AnchorPicker_HitTest(picker, x, y);
    if (cell < 0 || cell == picker->selected) return 0;
    picker->selected = cell;
    AnchorPicker_Paint(picker, nullptr);
    InvalidateRect(picker->control, nullptr, FALSE);
    return 1;
}

int AnchorPicker_Paint(AnchorPicker *picker, HDC target) {
    if (picker == nullptr || picker->memDC == nullptr) return 0;
    const AnchorGeometry &g = picker->geometry;
    HDC dc = picker->memDC;
    auto fill = [dc](int l, int t, int r, int b, COLORREF c) {
        HBRUSH brush = CreateSolidBrush(c);
        RECT rc{l, t, r, b};
        FillRect(dc, &rc, brush);
        DeleteObject(brush);
    };
    fill(0, 0, g.size, g.size, picker->background);
    for (int i = 0; i < 9; ++i) {
        const int l = (i % 3) * g.cell, t = (i / 3) * g.cell;
        fill(l + 2 * g.border, t + 2 * g.border, l + g.cell - g.border, t + g.cell - g.border,
             i == picker->selected ? picker->selectedCell : picker->cell);
    }
    for (int k = 0; k < 4; ++k) {
        fill(k * g.cell, 0, k * g.cell + g.border, g.size, picker->grid);
        fill(0, k * g.cell, g.size, k * g.cell + g.border, picker->grid);
    }
    if (target != nullptr) BitBlt(target, 0, 0, g.size, g.size, dc, 0, 0, SRCCOPY);
    return 1;
}

void AnchorPicker_FreeDC(AnchorPicker *picker) {
    if (picker == nullptr) return;
    if (picker->memDC != nullptr && picker->oldBitmap != nullptr) SelectObject(picker->memDC, picker->oldBitmap);
    if (picker->bitmap != nullptr) DeleteObject(picker->bitmap);
    if (picker->memDC != nullptr) DeleteDC(picker->memDC);
    picker->memDC = nullptr;
    picker->bitmap = nullptr;
    picker->oldBitmap = nullptr;
}
