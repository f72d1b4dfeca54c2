#include "dlg/qv_DlgFrame.h"

#include <commctrl.h>

#include "image/qv_ImgData.h"
#include "other/qv_Cfg.h"
#include "other/qv_Dlg.h"
#include "other/qv_Globals.h"
#include "other/qv_Help.h"
#include "other/qv_Msg.h"
#include "util/qv_Str.h"

bool DlgFrame_EnsureUpDownClass() {
    static bool s_done = false;
    if (s_done) return true;
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof init;
    init.dwICC = ICC_UPDOWN_CLASS;
    s_done = InitCommonControlsEx(&init) != FALSE;
    return s_done;
}

int DlgFrame_Run(const DlgFrameSpec &spec, HWND owner, DLGPROC proc, void *state, DlgFrameOk onOk) {
    DlgGuard guard;
    if (!DlgGuard_Acquire(&guard, spec.templateName)) return 0;
    if (spec.needsPicture && !ImgData_HasImage()) return 0;
    Cfg_LoadDlg();
    if (spec.usesUpDown) DlgFrame_EnsureUpDownClass();
    HINSTANCE module = g_process.instance != nullptr ? g_process.instance : GetModuleHandle(nullptr);
    const INT_PTR result =
        DialogBoxParam(module, spec.templateName, owner, proc, reinterpret_cast<LPARAM>(state));
    if (result == -1) {
        Msg_ReportError(spec.source, owner, nullptr, spec.createError, 0);
        return 0;
    }
    if (result != IDOK) return 1;
    if (onOk != nullptr && !onOk(state)) {
        Msg_ReportError(spec.source, owner, nullptr, spec.operationError, 0);
        return 0;
    }
    return 1;
}

void DlgFrame_OnHelp(HWND dialog, const DlgFrameSpec &spec) { Help_ShowTopic(dialog, spec.helpPage); }

bool DlgFrame_ReadText(HWND dialog, int id, TCHAR *out) {
    const int n = GetDlgItemText(dialog, id, out, kDlgTextChars);
    return n >= 1 && n <= kDlgTextChars - 2;
}

bool DlgFrame_FillTemplate(const TCHAR *pattern, const TCHAR *insert, TCHAR *out, int capacity) {
    int n = 0;
    bool inserted = false;
    for (const TCHAR *p = pattern; *p != 0; ++p) {
        if (*p == TEXT('%')) {
            if (inserted || p[1] != TEXT('s')) return false;
            for (const TCHAR *q = insert; *q != 0; ++q) {
                if (n + 1 >= capacity) return false;
                out[n++] = *q;
            }
            inserted = true;
            ++p;
            continue;
        }
        if (n + 1 >= capacity) return false;
        out[n++] = *p;
    }
    out[n] = 0;
    return inserted;
}

bool DlgFrame_ReadTemplate(HWND dialog, int id, TCHAR *out) {
    TCHAR probe[kDlgTextChars];
    return DlgFrame_ReadText(dialog, id, out) && DlgFrame_FillTemplate(out, TEXT(""), probe, kDlgTextChars);
}

void DlgFrame_ShowByteSize(HWND dialog, int groupId, const TCHAR *pattern, uint64_t bytes, const TCHAR *refusal) {
    TCHAR number[kDlgTextChars], caption[3 * kDlgTextChars];
    Str_FormatByteSize(uint32_t(bytes), number, uint32_t(bytes >> 32), kDlgTextChars);
    if (!DlgFrame_FillTemplate(pattern, number, caption, kDlgTextChars * 2)) caption[0] = 0;
    if (refusal != nullptr) lstrcat(caption, refusal);
    SetDlgItemText(dialog, groupId, caption);
}
