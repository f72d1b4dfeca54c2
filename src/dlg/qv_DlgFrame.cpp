#include "dlg/qv_DlgFrame.h"

#include <commctrl.h>

#include "image/qv_ImgData.h"
#include "other/qv_Cfg.h"
#include "other/qv_Dlg.h"
#include "other/qv_Globals.h"
#include "other/qv_Help.h"
#include "other/qv_Msg.h"

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
