#include "dlg/qv_ResizeDlg.h"

#include <algorithm>

#include "../../res/resource.h"
#include "dlg/qv_ChangeCounters.h"
#include "dlg/qv_DlgFrame.h"
#include "dlg/qv_NewImgDlg.h"
#include "dlg/qv_ResizeCore.h"
#include "image/qv_DibApi.h"
#include "image/qv_DibOps.h"
#include "image/qv_EditShared.h"
#include "image/qv_ImgData.h"
#include "image/qv_ResizeHandle.h"
#include "image/qv_Undo.h"
#include "image/qv_ViewZoom.h"
#include "image/resample/qv_Resample.h"
#include "other/qv_Dlg.h"
#include "other/qv_DlgValues.h"
#include "other/qv_MenuState.h"
#include "other/qv_WndUtil.h"
#include "util/qv_Str.h"

namespace {

const DlgFrameSpec kSpec = {TEXT("DLG_RESIZE"), TEXT("qv_ResizeDlg"), 101, 109, TEXT("d_resize.htm"), true, false};

constexpr int kTextChars = 64;
constexpr int kFieldChars = 32;

struct ResizeDlgState {
    HWND dialog;
    ResizeForm form;
    ChangeCounters<kResizeFieldCount> counters;
    int32_t bitCount;                   // the picture's
    TCHAR newSizeTemplate[kTextChars];  // the new size group's caption, %s = byte size
    TCHAR refusedText[kTextChars];      // appended when the size is not allowed
    ResizeRequest request;              // what OK read
};

ResizeDlgState *State() { return DlgPublication<ResizeDlgState>::Current(); }

int FieldId(int32_t field) { return IDC_RESIZE_PIXELS_X + field; }

// Decimals a field shows: pixels whole, percent and print sizes two, the
// resolution two in DPI and whole in pixels per metre.
int32_t FieldDigits(const ResizeForm &form, int32_t field) {
    switch (field & ~1) {
        case kResizePixelsX: return 0;
        case kResizeResX: return form.resUnit == kResizePpm ? 0 : 2;
        default: return 2;
    }
}

int32_t ToInt32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

int32_t Selection(HWND dialog, int id) { return Combo_GetCurSel(GetDlgItem(dialog, id)); }

// The method indexes of the two combos, as the result depth reads them.
int32_t ResultBitCount(const ResizeDlgState &s) {
    const ResizeForm &f = s.form;
    return ResizeDlg_ResultBitCount(s.bitCount, ToInt32(f.value[kResizePixelsX]), ToInt32(f.value[kResizePixelsY]),
                                    Selection(s.dialog, IDC_RESIZE_REDUCE), Selection(s.dialog, IDC_RESIZE_ENLARGE),
                                    f.width, f.height);
}

// Writes a field as the form holds it, counting the write so its change
// notice is not taken for typing. A text already shown is left alone.
void WriteField(ResizeDlgState *s, int32_t field) {
    TCHAR text[kFieldChars], shown[kFieldChars];
    Str_FormatFixed(ToInt32(s->form.value[field]), FieldDigits(s->form, field), 0, 1, text, kFieldChars);
    GetDlgItemText(s->dialog, FieldId(field), shown, kFieldChars);
    if (lstrcmp(text, shown) == 0) return;
    s->counters.BeforeSet(field);
    SetDlgItemText(s->dialog, FieldId(field), text);
}

void WriteFields(ResizeDlgState *s, uint32_t mask) {
    for (int32_t field = 0; field < kResizeFieldCount; ++field)
        if (mask & ResizeField_Bit(field)) WriteField(s, field);
}

// The new size group shows the result's byte size, and OK is enabled only
// for a size that is allowed.
void RefreshNewSize(ResizeDlgState *s) {
    NewImgDlg_ShowSizeCheck(s->dialog, IDC_RESIZE_NEW_GROUP, s->newSizeTemplate, s->refusedText,
                            s->form.value[kResizePixelsX], s->form.value[kResizePixelsY], ResultBitCount(*s));
}

// With "resize the picture" off only the resolution and the print size
// change: the size fields, the methods and the sharpening are idle.
void EnableResizeItems(HWND dialog, bool on) {
    static const int kItems[] = {IDC_RESIZE_PIXELS_X, IDC_RESIZE_PIXELS_Y, IDC_RESIZE_PERCENT_X, IDC_RESIZE_PERCENT_Y,
                                 IDC_RESIZE_SHARPEN,  IDC_RESIZE_REDUCE,   IDC_RESIZE_ENLARGE};
    for (int id : kItems) EnableWindow(GetDlgItem(dialog, id), on);
}

void AfterChange(ResizeDlgState *s, uint32_t mask) {
    WriteFields(s, mask);
    RefreshNewSize(s);
}

BOOL OnInit(HWND dialog, ResizeDlgState *s) {
    static const int kRequired[] = {
        IDC_RESIZE_RESAMPLE,   IDC_RESIZE_KEEP_ASPECT, IDC_RESIZE_SHARPEN,      IDC_RESIZE_PRINT_UNIT,
        IDC_RESIZE_RES_UNIT,   IDC_RESIZE_REDUCE,      IDC_RESIZE_ENLARGE,      IDC_RESIZE_PIXELS_X,
        IDC_RESIZE_PIXELS_Y,   IDC_RESIZE_PERCENT_X,   IDC_RESIZE_PERCENT_Y,    IDC_RESIZE_PRINT_X,
        IDC_RESIZE_PRINT_Y,    IDC_RESIZE_RES_X,       IDC_RESIZE_RES_Y,        IDC_RESIZE_HALF,
        IDC_RESIZE_DOUBLE,     IDC_RESIZE_OLD_PIXELS,  IDC_RESIZE_REFUSED,      IDC_RESIZE_OLD_GROUP,
        IDC_RESIZE_NEW_GROUP,  IDOK};
    if (s == nullptr) return FALSE;
    for (int id : kRequired)
        if (GetDlgItem(dialog, id) == nullptr) return FALSE;
    s->dialog = dialog;
    DibHolder *image = Edit_GetImage(0);
    if (image == nullptr) return FALSE;
    int32_t width = 0, height = 0;
    DibData *data = nullptr;
    s->bitCount = Dib_GetInfo(image->handle, &width, &data, &height, 1);
    if (s->bitCount == 0 || data == nullptr || data->header == nullptr) return FALSE;
    if (!ResizeForm_Init(&s->form, width, height, data->header->biXPelsPerMeter, data->header->biYPelsPerMeter,
                         g_dlgValues.resizePrintUnit, g_dlgValues.resizeResolutionUnit, g_dlgValues.resizeResample,
                         g_dlgValues.resizeKeepAspect))
        return FALSE;

    // The captions: the picture's size and byte size, the new size's
    // template and the text shown when a size is refused.
    TCHAR pattern[kTextChars], caption[kTextChars];
    if (!DlgFrame_ReadTemplate(dialog, IDC_RESIZE_NEW_GROUP, s->newSizeTemplate) ||
        !DlgFrame_ReadTemplate(dialog, IDC_RESIZE_OLD_GROUP, pattern) ||
        !DlgFrame_ReadText(dialog, IDC_RESIZE_REFUSED, s->refusedText))
        return FALSE;
    DlgFrame_ShowByteSize(dialog, IDC_RESIZE_OLD_GROUP, pattern, uint64_t{data->headerSize} + data->bitsSize, nullptr);
    wsprintf(caption, TEXT("%d x %d"), int(width), int(height));
    SetDlgItemText(dialog, IDC_RESIZE_OLD_PIXELS, caption);

    const ComboFillRow combos[] = {
        {IDC_RESIZE_PRINT_UNIT, IDC_RESIZE_PRINT_UNITS, 2, s->form.printUnit},
        {IDC_RESIZE_RES_UNIT, IDC_RESIZE_RES_UNITS, 2, s->form.resUnit},
        {IDC_RESIZE_REDUCE, IDC_RESIZE_REDUCE_ITEMS, kResizeMethodCount, std::clamp(g_dlgValues.resizeQuality[0], 0, 10)},
        {IDC_RESIZE_ENLARGE, IDC_RESIZE_ENLARGE_ITEMS, kResizeMethodCount, std::clamp(g_dlgValues.resizeQuality[1], 0, 10)},
        {0, 0, 0, 0}};
    if (!Dlg_FillCombos(dialog, combos)) return FALSE;
    const CheckRow checks[] = {{IDC_RESIZE_RESAMPLE, s->form.resize ? BST_CHECKED : BST_UNCHECKED},
                               {IDC_RESIZE_KEEP_ASPECT, s->form.keepAspect ? BST_CHECKED : BST_UNCHECKED},
                               {IDC_RESIZE_SHARPEN, g_dlgValues.resizeSharpen ? BST_CHECKED : BST_UNCHECKED},
                               {0, 0}};
    Dlg_CheckItems(dialog, checks);
    WriteFields(s, (uint32_t{1} << kResizeFieldCount) - 1);
    EnableResizeItems(dialog, s->form.resize != 0);
    RefreshNewSize(s);

    static const int kHidden[] = {IDC_RESIZE_PRINT_UNITS, IDC_RESIZE_RES_UNITS, IDC_RESIZE_REDUCE_ITEMS,
                                  IDC_RESIZE_ENLARGE_ITEMS, IDC_RESIZE_REFUSED, 0};
    Dlg_CloseItems(kHidden, dialog);
    Wnd_ReplaceAppTitle(dialog);
    Dlg_CenterOnOwner(dialog, GetParent(dialog));
    Ctl_FocusSelectAll(GetDlgItem(dialog, s->form.resize ? IDC_RESIZE_PIXELS_X : IDC_RESIZE_PRINT_X));
    return TRUE;
}

// Only typing runs the linked fields; the program's own writes are echoes.
void OnFieldChanged(ResizeDlgState *s, int32_t field) {
    if (!s->counters.TypedByUser(field)) return;
    TCHAR text[kFieldChars];
    GetDlgItemText(s->dialog, FieldId(field), text, kFieldChars);
    AfterChange(s, ResizeForm_Type(&s->form, field, ResizeDlg_ReadField(text, FieldDigits(s->form, field))));
}

void StoreValues(const ResizeDlgState &s) {
    HWND d = s.dialog;
    g_dlgValues.resizePrintUnit = s.form.printUnit;
    g_dlgValues.resizeResolutionUnit = s.form.resUnit;
    g_dlgValues.resizeQuality[0] = Selection(d, IDC_RESIZE_REDUCE);
    g_dlgValues.resizeQuality[1] = Selection(d, IDC_RESIZE_ENLARGE);
    g_dlgValues.resizeResample = Dlg_IsChecked(d, IDC_RESIZE_RESAMPLE) == 1;
    g_dlgValues.resizeKeepAspect = Dlg_IsChecked(d, IDC_RESIZE_KEEP_ASPECT) == 1;
    g_dlgValues.resizeSharpen = Dlg_IsChecked(d, IDC_RESIZE_SHARPEN) == 1;
}

// Reads what OK passes on; a size that is not allowed, or a large one the
// user does not confirm, keeps the dialog open.
bool OnOk(ResizeDlgState *s) {
    // A command sent while the button is disabled (the size is refused)
    // does nothing.
    if (!IsWindowEnabled(GetDlgItem(s->dialog, IDOK))) {
        MessageBeep(MB_ICONWARNING);
        return false;
    }
    StoreValues(*s);
    ResizeForm_Result(&s->form, &s->request);
    const ResizeRequest &r = s->request;
    const int32_t bits = ResultBitCount(*s);
    return !r.confirmSize || NewImgDlg_ConfirmLargeSize(s->dialog, r.width, r.height, bits, 0) == 1;
}

BOOL OnCommand(HWND dialog, ResizeDlgState *s, int id, int code) {
    if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    if (s == nullptr || s->dialog != dialog) return FALSE;
    if (id >= IDC_RESIZE_PIXELS_X && id < IDC_RESIZE_PIXELS_X + kResizeFieldCount) {
        if (code == EN_CHANGE) OnFieldChanged(s, id - IDC_RESIZE_PIXELS_X);
        return TRUE;
    }
    switch (id) {
        case IDC_RESIZE_PRINT_UNIT:
            if (code == CBN_SELCHANGE)
                AfterChange(s, ResizeForm_SetPrintUnit(&s->form, Selection(dialog, id)));
            return TRUE;
        case IDC_RESIZE_RES_UNIT:
            // Both resolutions change their number of decimals.
            if (code == CBN_SELCHANGE) {
                ResizeForm_SetResUnit(&s->form, Selection(dialog, id));
                AfterChange(s, ResizeField_Bit(kResizeResX) | ResizeField_Bit(kResizeResY));
            }
            return TRUE;
        case IDC_RESIZE_REDUCE:
        case IDC_RESIZE_ENLARGE:
            if (code == CBN_SELCHANGE) RefreshNewSize(s);
            return TRUE;
        case IDC_RESIZE_RESAMPLE: {
            const bool on = Dlg_IsChecked(dialog, id) == 1;
            EnableResizeItems(dialog, on);
            AfterChange(s, ResizeForm_SetResize(&s->form, on));
            return TRUE;
        }
        case IDC_RESIZE_KEEP_ASPECT:
            AfterChange(s, ResizeForm_SetKeepAspect(&s->form, Dlg_IsChecked(dialog, id) == 1));
            return TRUE;
        case IDC_RESIZE_HALF:
        case IDC_RESIZE_DOUBLE:
            AfterChange(s, ResizeForm_HalfDouble(&s->form, id == IDC_RESIZE_DOUBLE));
            return TRUE;
        case IDOK:
            if (OnOk(s)) EndDialog(dialog, IDOK);
            return TRUE;
        default: return FALSE;
    }
}

INT_PTR CALLBACK ResizeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            if (!OnInit(dialog, reinterpret_cast<ResizeDlgState *>(lParam))) EndDialog(dialog, -1);
            return FALSE;  // the focus is set
        case WM_COMMAND: return OnCommand(dialog, State(), LOWORD(wParam), HIWORD(wParam));
        case WM_HELP: DlgFrame_OnHelp(dialog, kSpec); return TRUE;
        default: return FALSE;
    }
}

int RunResize(void *state) {
    const ResizeRequest &r = static_cast<const ResizeDlgState *>(state)->request;
    return ResizeDlg_Apply(r.width, r.height, r.ppmX, r.ppmY, 1);
}

// The resampled picture as the plan says, from `source` (left unchanged);
// 0 on failure.
DibHandle Resampled(DibHandle source, const ResizeApplyPlan &plan) {
    if (!plan.filtered) return Resize_Simple(source, plan.steps[0].width, plan.steps[0].height);
    DibHandle current = 0;
    for (int32_t i = 0; i < plan.stepCount; ++i) {
        const ResizeStep &step = plan.steps[i];
        const DibHandle next = Resize_Filtered(current != 0 ? current : source, step.width, step.height,
                                               plan.reduceCode, plan.enlargeCode);
        if (current != 0) Dibcore_DeleteDIB(current);
        current = next;
        if (current == 0) return 0;
        if (step.sharpen && !Resample_Sharpen3x3(current, kResampleSharpenKernel)) {
            Dibcore_DeleteDIB(current);
            return 0;
        }
    }
    return current;
}

// The resize proper: the new picture is made before anything is recorded,
// so a failure leaves the picture and the undo record as they were.
int ApplyPlan(DibHolder &image, const ResizeApplyPlan &plan, int32_t oldPpmX, int32_t oldPpmY) {
    if (!plan.sizeChange) {
        if (plan.undoKind == kUndoResolution) Undo_RecordResolution(oldPpmX, oldPpmY);
        return Dib_SetResolution(image.handle, plan.ppmX, plan.ppmY) && DibHolder_Lock(image);
    }
    const DibHandle fresh = Resampled(image.handle, plan);
    if (fresh == 0) return 0;
    if (plan.resolutionChange && !Dib_SetResolution(fresh, plan.ppmX, plan.ppmY)) {
        Dibcore_DeleteDIB(fresh);
        return 0;
    }
    UndoStash stash(plan.undoKind != 0);
    if (plan.undoKind != 0) Undo_SnapshotAny(&g_undo, image.handle, plan.undoKind, nullptr);
    // The new picture goes in before the old one is released.
    const DibHandle old = DibHolder_Take(image);
    if (!DibHolder_Attach(image, fresh)) {
        Dibcore_DeleteDIB(fresh);
        if (DibHolder_Attach(image, old)) {
            stash.Restore();
        } else {
            Dibcore_DeleteDIB(old);
        }
        return 0;
    }
    Dibcore_DeleteDIB(old);
    return 1;
}

}  // namespace

int ResizeDlg_Apply(int32_t width, int32_t height, int32_t ppmX, int32_t ppmY, int withUndo) {
    DibHolder *image = Edit_GetImage(0);
    if (image == nullptr) return 0;
    int32_t oldWidth = 0, oldHeight = 0;
    DibData *data = nullptr;
    const int32_t bits = Dib_GetInfo(image->handle, &oldWidth, &data, &oldHeight, 1);
    if (bits == 0 || data == nullptr || data->header == nullptr) return 0;
    ResizeApplyInput in{};
    in.oldWidth = oldWidth;
    in.oldHeight = oldHeight;
    in.bitCount = bits;
    in.headerPpmX = data->header->biXPelsPerMeter;
    in.headerPpmY = data->header->biYPelsPerMeter;
    in.width = width;
    in.height = height;
    in.ppmX = ppmX;
    in.ppmY = ppmY;
    in.withUndo = withUndo;
    in.reduceIndex = std::clamp(g_dlgValues.resizeQuality[0], 0, kResizeMethodCount - 1);
    in.enlargeIndex = std::clamp(g_dlgValues.resizeQuality[1], 0, kResizeMethodCount - 1);
    in.sharpen = g_dlgValues.resizeSharpen != 0;
    ResizeApplyPlan plan{};
    const int32_t status = ResizeDlg_PlanApply(&in, &plan);
    if (status != kResizeApplyRun) return status == kResizeApplyNothing ? 1 : 0;
    int ok;
    {
        EditWork work;
        ok = ApplyPlan(*image, plan, in.headerPpmX, in.headerPpmY);
    }
    Edit_RefreshGeometry();
    Menu_UpdateToolbar();
    return ok;
}

int ResizeDlg_Show(HWND owner) {
    ResizeDlgState state{};
    DlgPublication<ResizeDlgState> published(&state);
    if (!published.held()) return 0;
    // The remembered values are read by the frame before the box opens.
    return DlgFrame_Run(kSpec, owner, ResizeProc, &state, RunResize);
}
