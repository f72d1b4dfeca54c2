#include "dlg/qv_ColDepthDlg.h"

#include "../../res/resource.h"
#include "dlg/qv_ColDepthCore.h"
#include "dlg/qv_DlgFrame.h"
#include "image/qv_DibApi.h"
#include "image/qv_EditShared.h"
#include "image/qv_ImgData.h"
#include "image/qv_PalOptimize.h"
#include "image/qv_Undo.h"
#include "other/qv_Dlg.h"
#include "other/qv_DlgValues.h"
#include "other/qv_WndUtil.h"

namespace {

const DlgFrameSpec kSpec = {TEXT("DLG_COLDEPTH"), TEXT("qv_ColDepthDlg"), 76, 95, TEXT("d_coldepth.htm"), true, false};

// The static's template ("... %d ...") is 1..63 characters; it is read into
// more, so a longer one is seen and refused rather than cut.
constexpr int kTemplateMaxChars = 63;
constexpr int kTemplateReadChars = 128;

struct ColDepthDlgState {
    ColDepthLayout layout;
    int32_t bitCount;
    int32_t button;  // the radio button checked when OK was pressed
};

ColDepthDlgState *State() { return DlgPublication<ColDepthDlgState>::Current(); }

bool IsDepthButton(int id) { return id >= kColDepthButton8 && id <= kColDepthButtonOptimal; }

BOOL OnInit(HWND dialog, ColDepthDlgState *s) {
    if (s == nullptr || GetDlgItem(dialog, IDC_COLDEPTH_DITHER) == nullptr) return FALSE;
    for (int id = kColDepthButton8; id <= kColDepthButtonOptimal; ++id)
        if (GetDlgItem(dialog, id) == nullptr) return FALSE;
    TCHAR format[kTemplateReadChars], text[kTemplateMaxChars + 16];
    const int length = GetDlgItemText(dialog, IDC_COLDEPTH_CURRENT, format, kTemplateReadChars);
    if (length < 1 || length > kTemplateMaxChars) return FALSE;
    wsprintf(text, format, int(s->bitCount));
    SetDlgItemText(dialog, IDC_COLDEPTH_CURRENT, text);
    CheckRadioButton(dialog, kColDepthButton8, kColDepthButtonOptimal, kColDepthButtonOptimal);
    const int32_t own = ColDepth_OwnDepthButton(s->layout);
    if (own != 0) EnableWindow(GetDlgItem(dialog, own), FALSE);
    Dlg_SetCheck(dialog, IDC_COLDEPTH_DITHER, g_dlgValues.colourDepthDither ? BST_CHECKED : BST_UNCHECKED);
    Wnd_ReplaceAppTitle(dialog);
    Dlg_CenterOnOwner(dialog, GetParent(dialog));
    SetFocus(GetDlgItem(dialog, kColDepthButtonOptimal));
    return TRUE;
}

// The wheel over a focused depth button checks the next enabled one.
bool OnWheel(HWND dialog, int delta) {
    HWND focus = GetFocus();
    if (focus == nullptr || GetParent(focus) != dialog) return false;
    const int id = GetDlgCtrlID(focus);
    if (!IsDepthButton(id)) return false;
    bool enabled[kColDepthButtonCount];
    for (int i = 0; i < kColDepthButtonCount; ++i)
        enabled[i] = IsWindowEnabled(GetDlgItem(dialog, kColDepthButton8 + i)) != FALSE;
    const int32_t next = ColDepth_WheelButton(id, enabled, delta);
    if (next == 0 || next == id) return true;
    CheckRadioButton(dialog, kColDepthButton8, kColDepthButtonOptimal, next);
    SetFocus(GetDlgItem(dialog, next));
    return true;
}

// The checked button, 0 when none is.
int32_t CheckedButton(HWND dialog) {
    for (int id = kColDepthButton8; id <= kColDepthButtonOptimal; ++id)
        if (Dlg_IsChecked(dialog, id) == 1 && IsWindowEnabled(GetDlgItem(dialog, id))) return id;
    return 0;
}

INT_PTR CALLBACK ColDepthProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            if (!OnInit(dialog, reinterpret_cast<ColDepthDlgState *>(lParam))) EndDialog(dialog, -1);
            return FALSE;  // the focus is set
        case WM_MOUSEWHEEL:
            if (!OnWheel(dialog, GET_WHEEL_DELTA_WPARAM(wParam))) return FALSE;
            SetWindowLongPtr(dialog, DWLP_MSGRESULT, 0);
            return TRUE;
        case WM_COMMAND: {
            ColDepthDlgState *s = State();
            switch (LOWORD(wParam)) {
                case IDOK: {
                    g_dlgValues.colourDepthDither = Dlg_IsChecked(dialog, IDC_COLDEPTH_DITHER) == 1 ? 1 : 0;
                    const int32_t button = CheckedButton(dialog);
                    if (s != nullptr) s->button = button;
                    EndDialog(dialog, s != nullptr && button != 0 ? IDOK : IDCANCEL);
                    return TRUE;
                }
                case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
                default: return FALSE;
            }
        }
        case WM_HELP: DlgFrame_OnHelp(dialog, kSpec); return TRUE;
        default: return FALSE;
    }
}

int RunConversion(void *state) {
    const ColDepthDlgState *s = static_cast<const ColDepthDlgState *>(state);
    int32_t target = -1;
    if (!ColDepth_TargetOfButton(s->button, &target)) return 0;
    return ColDepthDlg_Convert(target, g_dlgValues.colourDepthDither != 0);
}

ColDepthLayout LayoutOf(const DibHolder &image) {
    const uint8_t *table = nullptr;
    const uint32_t *masks = nullptr;
    uint32_t count = 0;
    DibHolder_GetColorTable(image, &table, &masks, &count);
    return ColDepth_Layout(DibHolder_GetBitCount(image), masks);
}

// One step of a plan on the working copy: 1 changed, 0 left as it was (a
// reduction that had nothing to reduce), -1 failed.
int RunStep(DibHolder &work, const ColDepthStep &step, int32_t ditherFlag) {
    if (step.onlyAbove16Bits && DibHolder_GetBitCount(work) <= 16) return 0;
    int32_t ok = 0;
    switch (step.op) {
        case kColOpReduceLossless: {
            const DibHandle fresh = Pal_OptimizeDepth(work.handle);
            if (fresh == 0) return step.mayDecline ? 0 : -1;
            return DibHolder_Replace(work, 1, fresh) ? 1 : -1;
        }
        case kColOpTo16NoMasks: ok = Dibcore_DIBto16BitEx(work.handle, nullptr, ditherFlag); break;
        case kColOpTo16Masks565: ok = Dibcore_DIBto16BitEx(work.handle, kColDepthMasks565, ditherFlag); break;
        case kColOpTo8: ok = Dibcore_DIBto8Bit(work.handle, 0, ditherFlag); break;
        case kColOpTo24: ok = Dibcore_DIBto24Bit(work.handle); break;
        default: return -1;
    }
    // The library put its result behind the handle: its storage moved.
    if (!DibHolder_Lock(work) || work.empty()) return -1;
    return ok != 0 ? 1 : -1;
}

}  // namespace

int ColDepthDlg_Convert(int32_t target, bool dither) {
    const ColDepthPlan *plan = ColDepth_Plan(target);
    DibHolder *image = Edit_GetImage(0);
    if (plan == nullptr || image == nullptr) return 0;
    if (ColDepth_AlreadyTarget(LayoutOf(*image), target)) return 1;
    const int32_t ditherFlag = ColDepth_DitherFlag(dither);
    bool changed = false;
    {
        EditWork wait;
        // The steps run on a copy, so a refusal half-way leaves the picture
        // whole; the picture's snapshot waits aside and becomes the undo
        // step only when the picture really changed.
        DibHolder work;
        if (!DibHolder_CopyFrom(work, *image)) return 0;
        for (int i = 0; i < plan->stepCount; ++i) {
            const int r = RunStep(work, plan->steps[i], ditherFlag);
            if (r < 0) return 0;
            if (r > 0) changed = true;
        }
        if (!changed) return 1;
        UndoRecord snapshot;
        Undo_Init(&snapshot);
        Undo_SyncEnabled();
        snapshot.enabled = g_undo.enabled;
        Undo_SnapshotAny(&snapshot, image->handle, kColDepthUndoKind, nullptr);
        if (!DibHolder_Replace(*image, 1, DibHolder_Take(work))) {
            // The picture is gone with the failed attach; the snapshot
            // brings it back.
            Undo_RestoreInto(&snapshot, *image);
            Undo_Destroy(&snapshot);
            Edit_RefreshByKind(kUndoDepth);
            return 0;
        }
        Undo_CommitPrivate(&snapshot);
        Undo_Destroy(&snapshot);
    }
    Edit_RefreshByKind(kUndoDepth);
    return 1;
}

int ColDepthDlg_Show(HWND owner) {
    // A still picture only: an animation has no one picture to convert.
    const DibHolder *image = Edit_GetImage(0);
    if (image == nullptr) return 0;
    ColDepthDlgState state{};
    state.layout = LayoutOf(*image);
    state.bitCount = DibHolder_GetBitCount(*image);
    DlgPublication<ColDepthDlgState> published(&state);
    if (!published.held()) return 0;
    return DlgFrame_Run(kSpec, owner, ColDepthProc, &state, RunConversion);
}
