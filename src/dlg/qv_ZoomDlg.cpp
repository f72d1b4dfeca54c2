#include "dlg/qv_ZoomDlg.h"

#include <commctrl.h>

#include "../../res/resource.h"
#include "dlg/qv_DlgFrame.h"
#include "dlg/qv_ZoomDlgCore.h"
#include "image/qv_ImgData.h"
#include "image/qv_ViewZoom.h"
#include "other/qv_Dlg.h"
#include "other/qv_DlgValues.h"
#include "other/qv_WndUtil.h"

namespace {

// Nothing runs on OK: every change is applied while the dialog is open.
const DlgFrameSpec kSpec = {TEXT("DLG_ZOOM"), TEXT("qv_ZoomDlg"), 82, 82, TEXT("d_zoom.htm"), true, true};

// Room for any factor's text and for a long typed one to still read as
// too large rather than be cut to a smaller number.
constexpr int kPercentChars = 64;

struct ZoomDlgState {
    int32_t applied;  // the factor last given to the view
    HWND edit;
    HWND upDown;
};

ZoomDlgState *State() { return DlgPublication<ZoomDlgState>::Current(); }

// The arrows keep 32-bit positions: the 16-bit messages would not tell a
// failure from a position.
int32_t UpDownPos(HWND upDown) {
    BOOL failed = FALSE;
    const LRESULT pos = SendMessage(upDown, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed));
    return int32_t(pos);
}

void SetFactorText(HWND edit, int32_t factor) {
    TCHAR text[kPercentChars];
    ZoomDlg_FormatFactor(factor, text, kPercentChars);
    SetWindowText(edit, text);
}

BOOL OnInit(HWND dialog, ZoomDlgState *s) {
    if (s == nullptr) return FALSE;
    s->edit = GetDlgItem(dialog, IDC_ZOOM_PERCENT);
    s->upDown = GetDlgItem(dialog, IDC_ZOOM_UPDOWN);
    if (s->edit == nullptr || s->upDown == nullptr) return FALSE;
    UpDown_Setup(0, kZoomDlgMaxPercent, s->edit, s->upDown);
    // The field's own change notices then move the arrows and find the
    // factor already applied.
    s->applied = g_imgData.zoom;
    SetFactorText(s->edit, s->applied);
    Wnd_ReplaceAppTitle(dialog);
    Dlg_PlaceWindow(&g_dlgValues.position[kDlgPosZoom], dialog, g_dlgValues.positionKnown[kDlgPosZoom]);
    Ctl_FocusSelectAll(s->edit);
    return TRUE;
}

// Before the typed text shows: the arrows follow its whole percent, and a
// percent above the range is written back as the largest.
void OnTextUpdate(ZoomDlgState *s) {
    TCHAR text[kPercentChars];
    GetWindowText(s->edit, text, kPercentChars);
    int32_t position = 0;
    switch (ZoomDlg_OnTyped(text, UpDownPos(s->upDown), &position)) {
        case kZoomTypedWriteMax: SetFactorText(s->edit, kZoomDlgMaxFactor); break;
        case kZoomTypedMoveUpDown: SendMessage(s->upDown, UDM_SETPOS32, 0, LPARAM(position)); break;
        default: break;
    }
}

// A changed text zooms the view at once; a text that is no number changes
// nothing.
void OnTextChange(ZoomDlgState *s) {
    TCHAR text[kPercentChars];
    GetWindowText(s->edit, text, kPercentChars);
    int32_t factor = 0;
    if (!ZoomDlg_ParseFactor(text, &factor) || factor == s->applied) return;
    s->applied = factor;
    View_ZoomCommand(kZoomReqFactor, factor);
}

// The arrows moved: the field takes their whole percent, which its change
// notice applies.
void OnArrows(ZoomDlgState *s) {
    TCHAR text[kPercentChars];
    GetWindowText(s->edit, text, kPercentChars);
    const int32_t position = UpDownPos(s->upDown);
    if (ZoomDlg_UpDownRewrites(text, position)) SetFactorText(s->edit, position * kZoomDlgFactorPerPercent);
}

void End(HWND dialog, INT_PTR result) {
    Dlg_SaveWindowPos(&g_dlgValues.position[kDlgPosZoom], dialog);
    g_dlgValues.positionKnown[kDlgPosZoom] = 1;
    EndDialog(dialog, result);
}

INT_PTR CALLBACK ZoomProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            if (!OnInit(dialog, reinterpret_cast<ZoomDlgState *>(lParam))) EndDialog(dialog, -1);
            return FALSE;  // the focus is set
        case WM_COMMAND: {
            ZoomDlgState *s = State();
            switch (LOWORD(wParam)) {
                case IDC_ZOOM_PERCENT:
                    if (s == nullptr || s->edit == nullptr) return FALSE;
                    if (HIWORD(wParam) == EN_UPDATE) OnTextUpdate(s);
                    if (HIWORD(wParam) == EN_CHANGE) OnTextChange(s);
                    return TRUE;
                case IDOK: End(dialog, IDOK); return TRUE;
                case IDCANCEL: End(dialog, IDCANCEL); return TRUE;
                default: return FALSE;
            }
        }
        case WM_VSCROLL: {
            ZoomDlgState *s = State();
            if (s == nullptr || s->upDown == nullptr || reinterpret_cast<HWND>(lParam) != s->upDown) return FALSE;
            OnArrows(s);
            return TRUE;
        }
        case WM_HELP: DlgFrame_OnHelp(dialog, kSpec); return TRUE;
        default: return FALSE;
    }
}

}  // namespace

int ZoomDlg_Show(HWND owner) {
    ZoomDlgState state{};
    DlgPublication<ZoomDlgState> published(&state);
    if (!published.held()) return 0;
    return DlgFrame_Run(kSpec, owner, ZoomProc, &state, nullptr);
}
