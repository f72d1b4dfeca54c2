#include "dlg/qv_RenameDlg.h"

#include "../../res/resource.h"
#include "dlg/qv_RenameCore.h"
#include "other/qv_Dlg.h"
#include "other/qv_Globals.h"
#include "other/qv_Help.h"
#include "other/qv_Msg.h"
#include "other/qv_WndUtil.h"
#include "util/qv_FileStream.h"

namespace {

constexpr int kTooLongChars = 256;

struct RenameContext {
    DlgContext context;  // first: points at itself
    TCHAR *name;
    int capacity;
    HWND owner;
    TCHAR tooLong[kTooLongChars];
};

// The message of each refusal the name checks give (the bad-character
// refusal has its own report; an empty name cannot be confirmed).
struct FaultMessage {
    RenameFault fault;
    UINT text;
};
constexpr FaultMessage kFaultMessages[] = {
    {kRenameControlChar, IDS_RENAME_CONTROL_CHAR},
    {kRenameDotName, IDS_RENAME_DOT_NAME},
    {kRenameTrailingDot, IDS_RENAME_TRAILING_DOT},
    {kRenameDeviceName, IDS_RENAME_DEVICE_NAME},
};

RenameContext *ContextOf(HWND dialog) { return reinterpret_cast<RenameContext *>(Dlg_GetContext(dialog)); }

void UpdateOk(HWND dialog) {
    const bool any = !Ctl_IsTextEmpty(GetDlgItem(dialog, DLG_RENAME_NAME_EDIT)) ||
                     !Ctl_IsTextEmpty(GetDlgItem(dialog, DLG_RENAME_EXT_EDIT));
    Dlg_EnableItem(dialog, IDOK, any ? 1 : 0, DLG_RENAME_NAME_EDIT);
}

BOOL OnInit(HWND dialog, RenameContext *c) {
    if (c == nullptr || c->name == nullptr || !Dlg_SetContext(&c->context, dialog)) return FALSE;
    const RenameParts<TCHAR> parts = RenameCore_Split(c->name);
    TCHAR stem[kRenameCapacity];
    if (parts.stemLength >= kRenameCapacity) return FALSE;
    lstrcpyn(stem, c->name, int(parts.stemLength) + 1);
    SetDlgItemText(dialog, DLG_RENAME_NAME_EDIT, stem);
    SetDlgItemText(dialog, DLG_RENAME_EXT_EDIT, parts.extension != nullptr ? parts.extension : TEXT(""));
    if (GetDlgItemText(dialog, DLG_RENAME_TOO_LONG, c->tooLong, kTooLongChars) <= 0) return FALSE;
    Dlg_CloseItem(dialog, DLG_RENAME_TOO_LONG);
    Wnd_ReplaceAppTitle(dialog);
    Dlg_CenterOnOwner(dialog, c->owner);
    UpdateOk(dialog);
    Ctl_FocusSelectAll(GetDlgItem(dialog, DLG_RENAME_NAME_EDIT));
    return TRUE;
}

// Reads the name: each field is measured before it is read, so a long
// field is refused rather than cut. 1 the new name is in the caller's
// buffer.
int OnOk(HWND dialog, RenameContext *c) {
    HWND nameEdit = GetDlgItem(dialog, DLG_RENAME_NAME_EDIT);
    HWND extEdit = GetDlgItem(dialog, DLG_RENAME_EXT_EDIT);
    TCHAR stem[kRenameCapacity], extension[kRenameCapacity], joined[kRenameCapacity];
    RenameFault fault = kRenameTooLong;
    if (Ctl_GetTextLength(nameEdit) < int(kRenameCapacity) && Ctl_GetTextLength(extEdit) < int(kRenameCapacity)) {
        Ctl_GetText(stem, int(kRenameCapacity), nameEdit);
        Ctl_GetText(extension, int(kRenameCapacity), extEdit);
        fault = RenameCore_Join(stem, extension, joined, kRenameCapacity);
        if (fault == kRenameOk) fault = RenameCore_Check(joined);
    }
    switch (fault) {
        case kRenameOk:
            lstrcpyn(c->name, joined, c->capacity);
            return 1;
        case kRenameTooLong: Msg_ReportError(nullptr, dialog, c->tooLong, -1, 0); return 0;
        case kRenameBadChar: File_ReportBadNameChars(dialog); return 0;
        default: break;
    }
    for (const FaultMessage &m : kFaultMessages)
        if (m.fault == fault) Msg_ErrorFromString(dialog, m.text, 0);
    return 0;
}

INT_PTR CALLBACK RenameProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            if (!OnInit(dialog, reinterpret_cast<RenameContext *>(lParam))) EndDialog(dialog, -1);
            return FALSE;  // the focus is set
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (HIWORD(wParam) == EN_CHANGE && (id == DLG_RENAME_NAME_EDIT || id == DLG_RENAME_EXT_EDIT)) {
                UpdateOk(dialog);
                return TRUE;
            }
            if (id == IDOK) {
                RenameContext *c = ContextOf(dialog);
                if (c == nullptr || c->name == nullptr)
                    EndDialog(dialog, IDCANCEL);
                else if (OnOk(dialog, c))
                    EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (id == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        }
        case WM_HELP:
            Help_ShowTopic(dialog, TEXT("d_rename.htm"));
            return TRUE;
        default: return FALSE;
    }
}

}  // namespace

INT_PTR RenameDlg_Show(TCHAR *name, HWND owner) {
    if (name == nullptr) return -1;
    RenameContext c{};
    c.context.self = &c.context;
    c.name = name;
    c.capacity = kRenameNameChars;
    c.owner = owner;
    HINSTANCE module = g_process.instance != nullptr ? g_process.instance : GetModuleHandle(nullptr);
    const INT_PTR result =
        DialogBoxParam(module, TEXT("DLG_RENAME"), owner, RenameProc, reinterpret_cast<LPARAM>(&c));
    if (result == -1) Msg_ReportError(TEXT(__FILE__), owner, TEXT("DialogBoxParam"), 82, 0);
    if (result != IDOK) name[0] = 0;
    return result;
}
