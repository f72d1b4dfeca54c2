#include "dlg/qv_RotateDlg.h"

#include "../../res/resource.h"
#include "dlg/qv_ColourSwatch.h"
#include "dlg/qv_DlgFrame.h"
#include "dlg/qv_RotateCore.h"
#include "image/qv_DibOps.h"
#include "image/qv_EditShared.h"
#include "image/qv_ImgData.h"
#include "image/qv_Undo.h"
#include "image/qv_ViewZoom.h"
#include "other/qv_Dlg.h"
#include "other/qv_DlgValues.h"
#include "other/qv_MenuState.h"
#include "other/qv_WndUtil.h"
#include "util/qv_Registry.h"

namespace {

const DlgFrameSpec kSpec = {TEXT("DLG_ROTATE"), TEXT("qv_RotateDlg"), 90, 96, TEXT("d_rotate.htm"), true, false};

constexpr int kAngleChars = 32;

struct RotateDlgState {
    COLORREF colour;
    int32_t angle;  // what OK read
    ColourSwatch swatchPaint;
};

RotateDlgState *State() { return DlgPublication<RotateDlgState>::Current(); }

BOOL OnInit(HWND dialog, RotateDlgState *s) {
    HWND swatch = GetDlgItem(dialog, IDC_ROTATE_SWATCH);
    if (s == nullptr || swatch == nullptr || GetDlgItem(dialog, IDC_ROTATE_ANGLE) == nullptr) return FALSE;
    if (!ColourSwatch_Attach(&s->swatchPaint, swatch, &s->colour)) return FALSE;
    s->colour = g_dlgValues.rotateColour;
    TCHAR text[kAngleChars];
    RotateDlg_FormatAngle(g_dlgValues.rotateAngle, text, kAngleChars);
    SetDlgItemText(dialog, IDC_ROTATE_ANGLE, text);
    Wnd_ReplaceAppTitle(dialog);
    Dlg_CenterOnOwner(dialog, GetParent(dialog));
    Ctl_FocusSelectAll(GetDlgItem(dialog, IDC_ROTATE_ANGLE));
    return TRUE;
}

// Reads the angle; a text that is no number keeps the dialog open.
bool OnOk(HWND dialog, RotateDlgState *s) {
    TCHAR text[kAngleChars];
    GetDlgItemText(dialog, IDC_ROTATE_ANGLE, text, kAngleChars);
    int32_t angle = 0;
    if (!RotateDlg_ParseAngle(text, &angle)) {
        MessageBeep(MB_ICONWARNING);
        Ctl_FocusSelectAll(GetDlgItem(dialog, IDC_ROTATE_ANGLE));
        return false;
    }
    s->angle = angle;
    g_dlgValues.rotateColour = s->colour;
    RotateDlg_SetAngle(angle);
    return true;
}

INT_PTR CALLBACK RotateProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            if (!OnInit(dialog, reinterpret_cast<RotateDlgState *>(lParam))) EndDialog(dialog, -1);
            return FALSE;  // the focus is set
        case WM_COMMAND: {
            RotateDlgState *s = State();
            switch (LOWORD(wParam)) {
                case IDC_ROTATE_CHOOSE:
                    if (s != nullptr && Color_Choose(&s->colour, dialog))
                        InvalidateRect(GetDlgItem(dialog, IDC_ROTATE_SWATCH), nullptr, TRUE);
                    return TRUE;
                case IDOK:
                    if (s == nullptr || OnOk(dialog, s)) EndDialog(dialog, s == nullptr ? IDCANCEL : IDOK);
                    return TRUE;
                case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
                default: return FALSE;
            }
        }
        case WM_HELP: DlgFrame_OnHelp(dialog, kSpec); return TRUE;
        default: return FALSE;
    }
}

int RunTurn(void *state) {
    const RotateDlgState *s = static_cast<const RotateDlgState *>(state);
    return RotateDlg_Apply(s->angle, s->colour);
}

}  // namespace

void RotateDlg_SetAngle(int32_t angle) { g_dlgValues.rotateAngle = RotateDlg_ReduceAngle(angle); }

int RotateDlg_Apply(int32_t angle, COLORREF background) {
    const RotateTurn turn = RotateDlg_PlanTurn(angle);
    if (turn.kind == kRotateTurnNone) return 1;
    DibHolder *image = Edit_GetImage(0);
    if (image == nullptr) return 0;
    int ok;
    {
        EditWork work;
        int32_t width = 0, height = 0;
        Dib_GetInfo(image->handle, &width, nullptr, &height, 1);
        EditSnapshot(image->handle, kUndoRotate, kSnapWhole, SelRect{0, 0, width, height});
        ok = turn.kind == kRotateTurnQuarter ? DibHolder_Turn(*image, turn.degrees)
                                            : DibHolder_TurnEx(*image, turn.thousandths, background);
    }
    Edit_RefreshGeometry();
    Menu_UpdateToolbar();
    return ok ? 1 : 0;
}

int RotateDlg_Show(HWND owner) {
    RotateDlgState state{};
    DlgPublication<RotateDlgState> published(&state);
    if (!published.held()) return 0;
    // The remembered values are read by the frame before the box opens.
    return DlgFrame_Run(kSpec, owner, RotateProc, &state, RunTurn);
}
