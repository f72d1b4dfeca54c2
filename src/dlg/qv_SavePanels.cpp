#include "dlg/qv_SavePanels.h"

#include <commctrl.h>

#include "dlg/qv_DlgFrame.h"
#include "image/qv_SaveWriters.h"
#include "other/qv_Dlg.h"
#include "other/qv_Globals.h"
#include "other/qv_Help.h"
#include "other/qv_Msg.h"
#include "util/qv_Str.h"

namespace {

const SaveWriterSlot kSlots[kSaveFormatCount] = {
    {&g_saveBmpPanel, SaveBmp_Write},
    {&g_saveGifPanel, SaveGif_Write},
    {&g_saveJpgPanel, SaveJpeg_Write},
    {&g_savePngPanel, SavePng_Write},
};

const SavePanelSpec *SpecOf(HWND panel) {
    return reinterpret_cast<const SavePanelSpec *>(GetWindowLongPtr(panel, DWLP_USER));
}

int32_t ShownValue(HWND panel, int id, SaveCtl kind) {
    if (kind == SaveCtl::Check) return Dlg_IsChecked(panel, id);
    const int selection = Combo_GetCurSel(GetDlgItem(panel, id));
    return selection < 0 ? 0 : selection;
}

void ApplyEnabling(HWND panel, const SavePanelSpec &spec) {
    for (const SavePanelEnable *e = spec.enable; e != nullptr && e->sourceId != 0; ++e) {
        const BOOL on = ShownValue(panel, e->sourceId, e->sourceKind) == e->value;
        for (int target : e->targets)
            if (target != 0) EnableWindow(GetDlgItem(panel, target), on);
    }
}

void Fill(HWND panel, const SavePanelSpec &spec) {
    for (int i = 0; i < spec.controlCount; ++i) {
        const SavePanelControl &c = spec.controls[i];
        const int32_t value = SaveOptions_Get(g_saveOptions, c.option);
        switch (c.kind) {
            case SaveCtl::Check: Dlg_SetCheck(panel, c.id, value ? BST_CHECKED : BST_UNCHECKED); break;
            case SaveCtl::Combo: Dlg_FillComboFromText(panel, c.id, c.partnerId, c.itemCount, value); break;
            case SaveCtl::Edit: {
                const SaveOptionRange &range = SaveOptions_Range(c.option);
                UpDown_Setup(range.min, range.max, GetDlgItem(panel, c.id), GetDlgItem(panel, c.partnerId));
                Dlg_SetItemInt(panel, c.id, value);
                break;
            }
        }
    }
    ApplyEnabling(panel, spec);
}

// While typing, a number outside the range is replaced by the nearest
// limit; a text that is no number yet is left for the user to finish.
void LimitTyped(HWND panel, const SavePanelControl &c) {
    HWND edit = GetDlgItem(panel, c.id);
    TCHAR text[32];
    Ctl_GetText(text, 32, edit);
    const SaveOptionRange &range = SaveOptions_Range(c.option);
    int32_t limited = 0;
    if (!SavePanel_TypedValue(text, range.min, range.max, &limited)) return;
    Ctl_SetInt(limited, edit);
    const int end = Ctl_GetTextLength(edit);
    Edit_SetSel(edit, end, end);
}

void OnCommand(HWND panel, int id, int code) {
    const SavePanelSpec *spec = SpecOf(panel);
    if (spec == nullptr) return;
    if (id == kSavePanelCommit) {
        SavePanel_Commit(panel);
        return;
    }
    for (int i = 0; i < spec->controlCount; ++i) {
        const SavePanelControl &c = spec->controls[i];
        if (c.id != id) continue;
        if (c.kind == SaveCtl::Edit && code == EN_CHANGE) LimitTyped(panel, c);
        if ((c.kind == SaveCtl::Check && code == BN_CLICKED) || (c.kind == SaveCtl::Combo && code == CBN_SELCHANGE))
            ApplyEnabling(panel, *spec);
    }
}

INT_PTR CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const auto *spec = reinterpret_cast<const SavePanelSpec *>(lParam);
            SetWindowLongPtr(panel, DWLP_USER, LONG_PTR(lParam));
            if (spec != nullptr) Fill(panel, *spec);
            return FALSE;
        }
        case WM_COMMAND: OnCommand(panel, LOWORD(wParam), HIWORD(wParam)); return TRUE;
        case WM_HELP:
            if (const SavePanelSpec *spec = SpecOf(panel)) Help_ShowTopic(panel, spec->helpTopic);
            return TRUE;
        default: return FALSE;
    }
}

}  // namespace

const SaveWriterSlot *SaveWriter_Slot(int format) {
    return format >= 0 && format < kSaveFormatCount ? &kSlots[format] : nullptr;
}

HWND SavePanel_Create(const SavePanelSpec &spec, HWND parent) {
    if (spec.needsUpDown) DlgFrame_EnsureUpDownClass();
    HINSTANCE module = g_process.instance ? g_process.instance : GetModuleHandle(nullptr);
    HWND panel = CreateDialogParam(module, spec.templateName, parent, PanelProc, reinterpret_cast<LPARAM>(&spec));
    if (panel == nullptr) Msg_ReportError(spec.sourceFile, parent, nullptr, spec.createError, 0);
    return panel;
}

void SavePanel_Show(HWND panel, int show, HWND parent, int areaId) {
    if (panel == nullptr) return;
    if (show) {
        RECT area;
        if (Dlg_GetItemRect(&area, parent, areaId, 0) != nullptr) {
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&area), 2);
            SetWindowPos(panel, HWND_TOP, area.left, area.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    ShowWindow(panel, show ? SW_SHOWNA : SW_HIDE);
}

void SavePanel_Commit(HWND panel) {
    const SavePanelSpec *spec = SpecOf(panel);
    if (spec == nullptr) return;
    for (int i = 0; i < spec->controlCount; ++i) {
        const SavePanelControl &c = spec->controls[i];
        int32_t value = 0;
        switch (c.kind) {
            case SaveCtl::Check: value = Dlg_IsChecked(panel, c.id); break;
            case SaveCtl::Combo: value = ShownValue(panel, c.id, SaveCtl::Combo); break;
            case SaveCtl::Edit: {
                TCHAR text[32];
                Ctl_GetText(text, 32, GetDlgItem(panel, c.id));
                int error = 0;
                value = Str_ToIntChecked(text, &error, 0);
                if (error) continue;  // no number: the option keeps its value
                break;
            }
        }
        SaveOptions_Set(g_saveOptions, c.option, value);
    }
}
