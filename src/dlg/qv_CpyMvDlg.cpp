// The copy and move destination dialogs: the simple form (one folder) and
// the ten-folder form, switched in place by reopening the dialog with the
// edited texts kept; fields accept dropped files and pass the wheel on.
#include "dlg/qv_CpyMvDlg.h"

#include <shellapi.h>

#include <initializer_list>

#include "../../res/resource.h"
#include "dlg/qv_CpyMvCore.h"
#include "other/qv_Cfg.h"
#include "other/qv_Dlg.h"
#include "other/qv_Globals.h"
#include "other/qv_Help.h"
#include "other/qv_Mem.h"
#include "other/qv_Msg.h"
#include "other/qv_Res.h"
#include "other/qv_Settings.h"
#include "other/qv_WndUtil.h"
#include "util/qv_Path.h"
#include "util/qv_Registry.h"
#include "util/qv_Text.h"

namespace {

constexpr int kErrDialogFailed = 232;
constexpr INT_PTR kResultSwitchForm = IDC_CPYMV_EXTENDED;

struct CpyMvContext {
    DlgContext base;  // first: the dialog finds the record through it
    HWND edits[kCpyMvLines];
    int32_t lines;             // fields of the open form: 10 or 1
    const TCHAR *chosen;       // into the registered folders; null when cancelled
    int32_t isCopy;
    int32_t askOverwrite;
    int32_t extended;
    int32_t formLocked;
    int32_t switched;
    int32_t slot;              // the registered slot asked for, -1 from the menu
    RECT windowRect;
    int32_t wheelRemainder;
    OwnedBuffer working[2 * kCpyMvLines];  // copy lines, then move lines
    WNDPROC oldProcs[kCpyMvLines];
};

// The one open dialog's record; a request while it is set is refused.
CpyMvContext *s_live = nullptr;

class LiveMark {
public:
    explicit LiveMark(CpyMvContext *context) { s_live = context; }
    ~LiveMark() { s_live = nullptr; }
    LiveMark(const LiveMark &) = delete;
    LiveMark &operator=(const LiveMark &) = delete;
};

int Move(const CpyMvContext *c) { return c->isCopy ? 0 : 1; }

OwnedBuffer *Working(CpyMvContext *c, int line) { return &c->working[Move(c) * kCpyMvLines + line]; }

const TCHAR *WorkingText(CpyMvContext *c, int line) {
    const OwnedBuffer *b = Working(c, line);
    return b->data != nullptr ? reinterpret_cast<const TCHAR *>(b->data) : TEXT("");
}

bool SetWorking(OwnedBuffer *b, const TCHAR *text) {
    Buf_Free(b);
    const size_t n = text != nullptr ? qvtext::Length(text) : 0;
    if (n == 0) return true;
    auto *copy = reinterpret_cast<TCHAR *>(Buf_Alloc(b, uint32_t((n + 1) * sizeof(TCHAR))));
    if (copy == nullptr) return false;
    qvtext::CopyInto(copy, n + 1, text);
    return true;
}

bool PrepareWorking(CpyMvContext *c) {
    for (int move = 0; move < 2; ++move)
        for (int i = 0; i < kCpyMvLines; ++i)
            if (!SetWorking(&c->working[move * kCpyMvLines + i], CpyMvDlg_GetSlotPath(i, move))) return false;
    return true;
}

// The shown fields into the working copies; lines the form does not show keep theirs.
bool SaveFieldsToWorking(CpyMvContext *c) {
    for (int i = 0; i < c->lines; ++i) {
        TCHAR text[kCpyMvPathChars];
        Ctl_GetText(text, kCpyMvPathChars, c->edits[i]);
        if (!SetWorking(Working(c, i), text)) return false;
    }
    return true;
}

CpyMvContext *ContextOf(HWND dialog) { return reinterpret_cast<CpyMvContext *>(Dlg_GetContext(dialog)); }

int LineOfEdit(const CpyMvContext *c, HWND edit) {
    if (c == nullptr || edit == nullptr) return -1;
    for (int i = 0; i < c->lines; ++i)
        if (c->edits[i] == edit) return i;
    return -1;
}

// The line of a field, its OK or its Browse button; -1 for anything else.
int LineOfControl(const CpyMvContext *c, HWND dialog, HWND control) {
    if (control == nullptr || GetParent(control) != dialog) return -1;
    const int id = GetDlgCtrlID(control);
    for (int first : {IDC_CPYMV_EDIT_FIRST, IDC_CPYMV_OK_FIRST, IDC_CPYMV_BROWSE_FIRST})
        if (id >= first && id < first + c->lines) return id - first;
    return -1;
}

void UpdateOk(HWND dialog, const CpyMvContext *c, int line) {
    EnableWindow(GetDlgItem(dialog, IDC_CPYMV_OK_FIRST + line), Ctl_IsTextEmpty(c->edits[line]) ? FALSE : TRUE);
}

// ------------------------------------------------------------ dropping

CpyMvNameKind KindOf(const TCHAR *path, void *) {
    const DWORD a = GetFileAttributes(path);
    if (a == INVALID_FILE_ATTRIBUTES) return CpyMvNameKind::Unreadable;
    return (a & FILE_ATTRIBUTE_DIRECTORY) ? CpyMvNameKind::Folder : CpyMvNameKind::File;
}

bool ResolveShortcut(const TCHAR *shortcut, TCHAR *out, size_t capacity, void *) {
    return capacity >= 1024 && Util_ResolveShortcut(shortcut, out) != 0;
}

void OnDropFiles(CpyMvContext *c, int line, HDROP drop) {
    HWND edit = c->edits[line];
    HWND dialog = GetParent(edit);
    SetForegroundWindow(dialog);
    if (DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0) == 0) return;
    const UINT length = DragQueryFile(drop, 0, nullptr, 0);
    if (length == 0) return;
    // Dropped names may be longer than a registered folder; the decision
    // sees the whole name.
    OwnedBuffer nameBuffer;
    auto *name = reinterpret_cast<TCHAR *>(Buf_Alloc(&nameBuffer, (length + 1) * sizeof(TCHAR)));
    if (name == nullptr || DragQueryFile(drop, 0, name, length + 1) == 0) return;
    const CpyMvDropEnv<TCHAR> env{KindOf, ResolveShortcut, nullptr};
    TCHAR folder[kCpyMvPathChars];
    if (!CpyMvCore_DropText<TCHAR>(name, env, folder, kCpyMvPathChars)) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    SetWindowText(edit, folder);
    Ctl_FocusSelectAll(edit);
}

LRESULT CALLBACK FieldProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    CpyMvContext *c = s_live;
    const int line = LineOfEdit(c, edit);
    if (line < 0) return DefWindowProc(edit, message, wParam, lParam);
    const WNDPROC old = c->oldProcs[line];
    switch (message) {
    case WM_MOUSEWHEEL:
        // A focused edit would swallow the wheel; the dialog moves the focus with it.
        return SendMessage(GetParent(edit), message, wParam, lParam);
    case WM_DROPFILES: {
        const auto drop = reinterpret_cast<HDROP>(wParam);
        OnDropFiles(c, line, drop);
        DragFinish(drop);
        return 0;
    }
    default:
        return CallWindowProc(old, edit, message, wParam, lParam);
    }
}

// ------------------------------------------------------------ the dialog

bool OnInitDialog(HWND dialog, CpyMvContext *c) {
    if (c == nullptr || !Dlg_SetContext(&c->base, dialog)) return false;
    c->lines = c->extended ? kCpyMvLines : 1;
    for (int i = 0; i < c->lines; ++i) {
        HWND edit = GetDlgItem(dialog, IDC_CPYMV_EDIT_FIRST + i);
        if (edit == nullptr) return false;
        c->edits[i] = edit;
        SendMessage(edit, EM_LIMITTEXT, kCpyMvPathChars - 1, 0);
        if (!Wnd_Subclass(&c->oldProcs[i], edit, FieldProc)) return false;
        DragAcceptFiles(edit, TRUE);
    }
    if (!c->isCopy) {
        TCHAR text[256];
        Ctl_GetText(text, 256, GetDlgItem(dialog, IDC_CPYMV_MOVE_CAPTION));
        SetWindowText(dialog, text);
        Ctl_GetText(text, 256, GetDlgItem(dialog, IDC_CPYMV_MOVE_LABEL));
        SetDlgItemText(dialog, IDC_CPYMV_LABEL, text);
    }
    Wnd_ReplaceAppTitle(dialog);
    Dlg_CloseItem(dialog, IDC_CPYMV_MOVE_CAPTION);
    Dlg_CloseItem(dialog, IDC_CPYMV_MOVE_LABEL);
    Dlg_SetCheck(dialog, IDC_CPYMV_ASK_OVERWRITE, c->askOverwrite ? BST_CHECKED : BST_UNCHECKED);
    Dlg_SetCheck(dialog, IDC_CPYMV_EXTENDED, c->extended ? BST_CHECKED : BST_UNCHECKED);
    if (c->formLocked) EnableWindow(GetDlgItem(dialog, IDC_CPYMV_EXTENDED), FALSE);
    for (int i = 0; i < c->lines; ++i) {
        SetWindowText(c->edits[i], c->switched ? WorkingText(c, i) : CpyMvDlg_GetSlotPath(i, Move(c)));
        Edit_SetSel(c->edits[i], 0, -1);
        UpdateOk(dialog, c, i);
    }
    const DlgPosition kept{c->windowRect.left, c->windowRect.top};
    Dlg_PlaceWindow(&kept, dialog, c->switched);
    return true;
}

void OnOk(HWND dialog, CpyMvContext *c, int line) {
    Opt_SetFlag(c->isCopy ? kOptCopyAskOverwrite : kOptMoveAskOverwrite, Dlg_IsChecked(dialog, IDC_CPYMV_ASK_OVERWRITE));
    if (!c->formLocked) CpyMvDlg_SetExtended(Move(c), Dlg_IsChecked(dialog, IDC_CPYMV_EXTENDED));
    // Lines edited in the other form before a switch are confirmed too: they
    // would show again in that form.
    bool ok = SaveFieldsToWorking(c);
    for (int i = 0; ok && i < kCpyMvLines; ++i) ok = CpyMvDlg_SetSlotPath(i, WorkingText(c, i), Move(c)) != 0;
    if (!ok) {
        EndDialog(dialog, IDCANCEL);
        return;
    }
    c->chosen = CpyMvDlg_GetSlotPath(line, Move(c));
    EndDialog(dialog, IDC_CPYMV_OK_FIRST + line);
}

void OnSwitchForm(HWND dialog, CpyMvContext *c) {
    if (c->formLocked) return;
    if (!SaveFieldsToWorking(c)) {
        // Nothing is lost: the dialog stays in its form.
        Dlg_SetCheck(dialog, IDC_CPYMV_EXTENDED, c->extended ? BST_CHECKED : BST_UNCHECKED);
        return;
    }
    GetWindowRect(dialog, &c->windowRect);
    c->askOverwrite = Dlg_IsChecked(dialog, IDC_CPYMV_ASK_OVERWRITE);
    c->extended = Dlg_IsChecked(dialog, IDC_CPYMV_EXTENDED);
    c->switched = 1;
    EndDialog(dialog, kResultSwitchForm);
}

void OnBrowse(HWND dialog, CpyMvContext *c, int line) {
    TCHAR text[kCpyMvPathChars];
    Ctl_GetText(text, kCpyMvPathChars, c->edits[line]);
    TCHAR title[512];
    if (Res_LoadText(title, IDS_CPYMV_BROWSE_TITLE, 256) <= 0) title[0] = 0;
    Str_ReplaceAppTitle(title, 512);
    TCHAR chosen[MAX_PATH + 1];
    chosen[0] = 0;
    if (!Ui_BrowseForFolder(Path_IsAbsolute(text) ? text : nullptr, dialog, chosen, title)) return;
    chosen[MAX_PATH] = 0;
    if (qvtext::Length(chosen) >= size_t(kCpyMvPathChars)) return;
    SetWindowText(c->edits[line], chosen);
    Ctl_FocusSelectAll(c->edits[line]);
}

void OnWheel(HWND dialog, CpyMvContext *c, int delta) {
    const int steps = CpyMvCore_WheelSteps(&c->wheelRemainder, delta);
    if (steps == 0) return;
    const int current = LineOfControl(c, dialog, GetFocus());
    const int target = CpyMvCore_WheelTarget(current, steps, c->lines);
    if (target >= 0) Ctl_FocusSelectAll(c->edits[target]);
}

BOOL OnCommand(HWND dialog, CpyMvContext *c, int id, int code) {
    if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    if (id == IDC_CPYMV_EXTENDED && code == BN_CLICKED) {
        OnSwitchForm(dialog, c);
        return TRUE;
    }
    if (id >= IDC_CPYMV_OK_FIRST && id < IDC_CPYMV_OK_FIRST + c->lines && code == BN_CLICKED) {
        OnOk(dialog, c, id - IDC_CPYMV_OK_FIRST);
        return TRUE;
    }
    if (id >= IDC_CPYMV_BROWSE_FIRST && id < IDC_CPYMV_BROWSE_FIRST + c->lines && code == BN_CLICKED) {
        OnBrowse(dialog, c, id - IDC_CPYMV_BROWSE_FIRST);
        return TRUE;
    }
    if (id >= IDC_CPYMV_EDIT_FIRST && id < IDC_CPYMV_EDIT_FIRST + c->lines) {
        const int line = id - IDC_CPYMV_EDIT_FIRST;
        if (code == EN_CHANGE) UpdateOk(dialog, c, line);
        // Enter confirms the line being edited.
        if (code == EN_SETFOCUS && c->extended) PostMessage(dialog, DM_SETDEFID, IDC_CPYMV_OK_FIRST + line, 0);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK CpyMvProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto *c = reinterpret_cast<CpyMvContext *>(lParam);
        if (!OnInitDialog(dialog, c)) {
            EndDialog(dialog, -1);
            return TRUE;
        }
        // Opened for an empty registered slot: its line is the one to fill.
        if (c->formLocked && c->slot >= 0 && c->slot < c->lines) {
            Ctl_FocusSelectAll(c->edits[c->slot]);
            return FALSE;
        }
        return TRUE;
    }
    CpyMvContext *c = ContextOf(dialog);
    if (c == nullptr) return FALSE;
    switch (message) {
    case WM_COMMAND:
        return OnCommand(dialog, c, LOWORD(wParam), HIWORD(wParam));
    case WM_MOUSEWHEEL:
        if (c->extended) OnWheel(dialog, c, GET_WHEEL_DELTA_WPARAM(wParam));
        SetWindowLongPtr(dialog, DWLP_MSGRESULT, 0);
        return TRUE;
    case WM_HELP:
        Help_ShowTopic(dialog, c->extended ? TEXT("d_cpymovex.htm") : TEXT("d_cpymov.htm"));
        return TRUE;
    case WM_DESTROY:
        // The fields get their own procedures back before they are destroyed.
        for (int i = 0; i < c->lines; ++i) Wnd_Unsubclass(&c->oldProcs[i], c->edits[i], FieldProc);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

const TCHAR *CpyMvDlg_Show(HWND owner, int slot, int isCopy) {
    if (s_live != nullptr) return nullptr;
    {
        WaitCursorGuard wait(&g_frameRecord);
        WaitCursor_Begin(&wait);
        Cfg_LoadCpMv();
    }
    const int move = isCopy ? 0 : 1;
    const int filled = slot >= 0 && slot < kCpyMvSlots && CpyMvDlg_GetSlotPath(slot, move) != nullptr;
    switch (CpyMvCore_OpenMode(slot, filled != 0)) {
    case CpyMvOpen::Refuse: return nullptr;
    case CpyMvOpen::Direct: return CpyMvDlg_GetSlotPath(slot, move);
    case CpyMvOpen::Dialog: break;
    }
    CpyMvContext context{};
    context.base.self = &context.base;
    LiveMark live(&context);
    if (!PrepareWorking(&context)) return nullptr;
    const CpyMvForm form = CpyMvCore_InitialForm(slot, CpyMvDlg_GetExtended(move));
    context.isCopy = isCopy ? 1 : 0;
    context.slot = slot;
    context.extended = form.extended;
    context.formLocked = form.formLocked;
    context.askOverwrite = g_settings.option[isCopy ? kOptCopyAskOverwrite : kOptMoveAskOverwrite] ? 1 : 0;
    const HINSTANCE module = g_process.instance != nullptr ? g_process.instance : GetModuleHandle(nullptr);
    INT_PTR result;
    do {
        context.lines = 0;
        context.wheelRemainder = 0;
        result = DialogBoxParam(module, context.extended ? TEXT("DLG_CPYMV_EX") : TEXT("DLG_CPYMV"), owner, CpyMvProc,
                                reinterpret_cast<LPARAM>(&context));
    } while (result == kResultSwitchForm);
    if (result == -1) {
        Msg_ReportError(TEXT("qv_CpyMvDlg"), owner, nullptr, kErrDialogFailed, 0);
        return nullptr;
    }
    return result == IDCANCEL ? nullptr : context.chosen;
}
