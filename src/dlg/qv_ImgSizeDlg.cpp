#include "dlg/qv_ImgSizeDlg.h"

#include "../../res/resource.h"
#include "dlg/qv_CanvasCore.h"
#include "dlg/qv_ChangeCounters.h"
#include "dlg/qv_ColourSwatch.h"
#include "dlg/qv_DlgFrame.h"
#include "dlg/qv_NewImgDlg.h"
#include "image/qv_Canvas.h"
#include "image/qv_DibHolder.h"
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
#include "util/qv_Str.h"
#include "util/qv_Units.h"

namespace {

const DlgFrameSpec kSpec = {TEXT("DLG_IMGSIZE"), TEXT("qv_ImgSizeDlg"), 380, 388, TEXT("d_imgsize.htm"), true, false};

constexpr int kTextChars = 64;   // caption templates and the refusal text
constexpr int kFieldChars = 32;
constexpr int kPickerBorder = 1;
const int kFieldIds[2] = {IDC_IMGSIZE_WIDTH, IDC_IMGSIZE_HEIGHT};

struct ImgSizeDlgState {
    HWND swatch, pickerControl, unitCombo, aspect;
    int32_t unit;
    AnchorPicker picker;
    COLORREF colour;
    ChangeCounters<2> counters;
    int32_t bits;
    ImgSizeFacts facts;   // the picture as the dialog opened
    int32_t size[2];      // the new size
    TCHAR groupTemplate[kTextChars];
    TCHAR invalidText[kTextChars];
    int32_t unitShown;
    int32_t anchor;       // what OK read
    ColourSwatch swatchPaint;
    WNDPROC pickerProc;
};

ImgSizeDlgState *State() { return DlgPublication<ImgSizeDlgState>::Current(); }

// The picker shows its off-screen picture.
LRESULT CALLBACK PickerProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    ImgSizeDlgState *s = State();
    if (s == nullptr) return DefWindowProc(control, message, wParam, lParam);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(control, &ps);
            AnchorPicker_Paint(&s->picker, dc);
            EndPaint(control, &ps);
            return 0;
        }
        case WM_DESTROY: {
            const WNDPROC previous = s->pickerProc;
            SetWindowLongPtr(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            AnchorPicker_FreeDC(&s->picker);
            return CallWindowProc(previous, control, message, wParam, lParam);
        }
        default: return CallWindowProc(s->pickerProc, control, message, wParam, lParam);
    }
}

bool KeepAspect(const ImgSizeDlgState *s) { return SendMessage(s->aspect, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The program's own write: its change notice is not taken as typing.
void WriteField(HWND dialog, ImgSizeDlgState *s, int axis, int64_t field) {
    TCHAR text[kFieldChars];
    ImgSizeDlg_FormatField(s->unit, field, text, kFieldChars);
    s->counters.BeforeSet(axis);
    SetDlgItemText(dialog, kFieldIds[axis], text);
}

void WriteBothFields(HWND dialog, ImgSizeDlgState *s) {
    int64_t fields[2];
    ImgSizeDlg_FieldsFromPixels(s->facts, s->unit, KeepAspect(s), s->size, fields);
    WriteField(dialog, s, 0, fields[0]);
    WriteField(dialog, s, 1, fields[1]);
}

void CheckSize(HWND dialog, ImgSizeDlgState *s) {
    NewImgDlg_ShowSizeCheck(dialog, IDC_IMGSIZE_NEW_GROUP, s->groupTemplate, s->invalidText, s->size[0], s->size[1],
                            s->bits);
}

void OnFieldChanged(HWND dialog, ImgSizeDlgState *s, int axis) {
    TCHAR text[kFieldChars];
    GetDlgItemText(dialog, kFieldIds[axis], text, kFieldChars);
    ImgSizeEdit edit;
    ImgSizeDlg_OnFieldTyped(s->facts, s->unit, KeepAspect(s), axis, text, s->size, &edit);
    s->size[0] = edit.pixels[0];
    s->size[1] = edit.pixels[1];
    if (edit.rewriteThis) WriteField(dialog, s, axis, edit.fields[axis]);
    if (edit.writeOther) WriteField(dialog, s, axis ^ 1, edit.fields[axis ^ 1]);
    CheckSize(dialog, s);
}

void OnUnitChanged(HWND dialog, ImgSizeDlgState *s) {
    const int unit = int(SendMessage(s->unitCombo, CB_GETCURSEL, 0, 0));
    if (unit < 0 || unit >= kImgSizeUnitCount || unit == s->unitShown) return;
    s->unit = s->unitShown = unit;
    WriteBothFields(dialog, s);
}

bool ReadPicture(ImgSizeDlgState *s) {
    const DibHolder *image = Edit_GetImage(0);
    if (image == nullptr || image->data == nullptr || image->data->header == nullptr) return false;
    int32_t w = 0, h = 0;
    Dib_GetInfo(image->handle, &w, nullptr, &h, 1);
    if (w <= 0 || h <= 0) return false;
    int32_t ppm[2] = {0, 0};
    if (image->data->header->biSize >= 40) {
        ppm[0] = image->data->header->biXPelsPerMeter;
        ppm[1] = image->data->header->biYPelsPerMeter;
    }
    Units_DefaultResolution(&ppm[0], &ppm[1]);
    s->facts = ImgSizeFacts{{w, h}, {ppm[0], ppm[1]}};
    s->size[0] = w;
    s->size[1] = h;
    s->bits = DibHolder_GetBitCount(*image);
    return s->bits > 0;
}

BOOL OnInit(HWND dialog, ImgSizeDlgState *s) {
    if (s == nullptr) return FALSE;
    s->swatch = GetDlgItem(dialog, IDC_IMGSIZE_SWATCH);
    s->pickerControl = GetDlgItem(dialog, IDC_IMGSIZE_ANCHOR);
    s->unitCombo = GetDlgItem(dialog, IDC_IMGSIZE_UNIT);
    s->aspect = GetDlgItem(dialog, IDC_IMGSIZE_ASPECT);
    if (s->swatch == nullptr || s->pickerControl == nullptr || s->unitCombo == nullptr || s->aspect == nullptr) return FALSE;
    static const int kRequired[] = {IDC_IMGSIZE_WIDTH, IDC_IMGSIZE_HEIGHT, IDC_IMGSIZE_CHOOSE, IDC_IMGSIZE_OLD_SIZE,
                                    IDC_IMGSIZE_OLD_GROUP, IDC_IMGSIZE_UNIT_ITEMS};
    for (int id : kRequired)
        if (GetDlgItem(dialog, id) == nullptr) return FALSE;
    TCHAR oldTemplate[kTextChars];
    if (!DlgFrame_ReadTemplate(dialog, IDC_IMGSIZE_OLD_GROUP, oldTemplate) ||
        !DlgFrame_ReadTemplate(dialog, IDC_IMGSIZE_NEW_GROUP, s->groupTemplate) ||
        !DlgFrame_ReadText(dialog, IDC_IMGSIZE_INVALID, s->invalidText) || !ReadPicture(s))
        return FALSE;
    s->colour = g_dlgValues.canvasColour;
    s->unit = g_dlgValues.canvasUnit >= 0 && g_dlgValues.canvasUnit < kImgSizeUnitCount ? g_dlgValues.canvasUnit : 0;
    s->unitShown = -1;

    // The picture's own bytes (its colour table may be shorter than the
    // full one a new picture of its depth gets).
    const DibData *data = g_imgData.image.data;
    const uint64_t bytes = data != nullptr ? uint64_t{data->headerSize} + data->bitsSize : 0;
    DlgFrame_ShowByteSize(dialog, IDC_IMGSIZE_OLD_GROUP, oldTemplate, bytes, nullptr);
    TCHAR dims[kTextChars];
    wsprintf(dims, TEXT("%d x %d"), int(s->facts.size[0]), int(s->facts.size[1]));
    SetDlgItemText(dialog, IDC_IMGSIZE_OLD_SIZE, dims);

    if (!AnchorPicker_Setup(&s->picker, dialog, s->pickerControl, GetSysColor(COLOR_BTNHIGHLIGHT),
                            GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_BTNFACE)) ||
        !AnchorPicker_Layout(&s->picker, dialog, kPickerBorder))
        return FALSE;
    const int32_t anchor = g_dlgValues.canvasAnchor;
    s->picker.selected = anchor >= 0 && anchor <= 8 ? anchor : kImgSizeAnchorCentre;
    AnchorPicker_Paint(&s->picker, nullptr);
    if (!Dlg_FillComboFromText(dialog, IDC_IMGSIZE_UNIT, IDC_IMGSIZE_UNIT_ITEMS, kImgSizeUnitCount, s->unit))
        return FALSE;
    s->unitShown = s->unit;
    SendMessage(s->aspect, BM_SETCHECK, g_dlgValues.canvasKeepAspect ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!ColourSwatch_Attach(&s->swatchPaint, s->swatch, &s->colour)) return FALSE;
    s->pickerProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(s->pickerControl, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PickerProc)));
    if (s->pickerProc == nullptr) return FALSE;
    WriteBothFields(dialog, s);
    CheckSize(dialog, s);
    Ctl_FocusSelectAll(GetDlgItem(dialog, IDC_IMGSIZE_WIDTH));
    static const int kHidden[] = {IDC_IMGSIZE_INVALID, IDC_IMGSIZE_UNIT_ITEMS, 0};
    Dlg_CloseItems(kHidden, dialog);
    Wnd_ReplaceAppTitle(dialog);
    Dlg_CenterOnOwner(dialog, GetParent(dialog));
    return TRUE;
}

// Stays open (false) when the user declines a large picture.
bool OnOk(HWND dialog, ImgSizeDlgState *s) {
    // A side kept as it was accepts at once, as in the resize dialog.
    const bool changed = s->size[0] != s->facts.size[0] && s->size[1] != s->facts.size[1];
    if (changed && !NewImgDlg_ConfirmLargeSize(dialog, s->size[0], s->size[1], s->bits, 0)) return false;
    s->anchor = s->picker.selected;
    g_dlgValues.canvasUnit = s->unit;
    g_dlgValues.canvasKeepAspect = KeepAspect(s) ? 1 : 0;
    g_dlgValues.canvasAnchor = s->anchor;
    g_dlgValues.canvasColour = s->colour;
    return true;
}

INT_PTR CALLBACK ImgSizeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            if (!OnInit(dialog, reinterpret_cast<ImgSizeDlgState *>(lParam))) EndDialog(dialog, -1);
            return FALSE;  // the focus is set
        case WM_LBUTTONDOWN: {
            ImgSizeDlgState *s = State();
            if (s != nullptr) AnchorPicker_OnClick(&s->picker, int16_t(LOWORD(lParam)), int16_t(HIWORD(lParam)));
            return TRUE;
        }
        case WM_COMMAND: {
            ImgSizeDlgState *s = State();
            if (s == nullptr) return FALSE;
            const int id = LOWORD(wParam), code = HIWORD(wParam);
            switch (id) {
                case IDC_IMGSIZE_WIDTH:
                case IDC_IMGSIZE_HEIGHT: {
                    const int axis = id == IDC_IMGSIZE_WIDTH ? 0 : 1;
                    if (code == EN_CHANGE && s->unitShown >= 0 && s->counters.TypedByUser(axis))
                        OnFieldChanged(dialog, s, axis);
                    return TRUE;
                }
                case IDC_IMGSIZE_ASPECT:
                    if (code == BN_CLICKED) OnFieldChanged(dialog, s, 0);
                    return TRUE;
                case IDC_IMGSIZE_UNIT:
                    if (code == CBN_SELCHANGE) OnUnitChanged(dialog, s);
                    return TRUE;
                case IDC_IMGSIZE_CHOOSE:
                    if (Color_Choose(&s->colour, dialog)) InvalidateRect(s->swatch, nullptr, TRUE);
                    return TRUE;
                case IDOK:
                    if (OnOk(dialog, s)) EndDialog(dialog, IDOK);
                    return TRUE;
                case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
                default: return FALSE;
            }
        }
        case WM_HELP: DlgFrame_OnHelp(dialog, kSpec); return TRUE;
        default: return FALSE;
    }
}

int RunCanvas(void *state) {
    const ImgSizeDlgState *s = static_cast<const ImgSizeDlgState *>(state);
    return ImgSizeDlg_Apply(s->size[0], s->size[1], s->anchor, s->colour);
}

}  // namespace

int ImgSizeDlg_Apply(int32_t width, int32_t height, int32_t anchor, COLORREF colour) {
    DibHolder *image = Edit_GetImage(0);
    if (image == nullptr) return 0;
    int32_t oldWidth = 0, oldHeight = 0;
    Dib_GetInfo(image->handle, &oldWidth, nullptr, &oldHeight, 1);
    ImgSizeMargins m{};
    int32_t undoKind = 0;
    const int plan = ImgSizeDlg_PlanApply(oldWidth, oldHeight, width, height, anchor, &m, &undoKind);
    if (plan != kImgSizeApplyRun) return plan == kImgSizeApplyNone ? 1 : 0;
    int ok;
    {
        EditWork work;
        // The previous record comes back when the canvas cannot be changed.
        UndoStash stash(true);
        if (undoKind == kImgSizeUndoCrop)
            EditSnapshot(image->handle, kUndoCanvas, kSnapWhole, SelRect{0, 0, oldWidth, oldHeight});
        const DibHandle fresh = Canvas_Resize(m.left, image->handle, m.top, m.right, m.bottom, colour);
        ok = DibHolder_Replace(*image, fresh != 0, fresh);
        if (!ok) {
            stash.Restore();
        } else if (undoKind == kImgSizeUndoGrow) {
            // Undo crops the old picture back out of the grown one.
            Undo_RecordCanvasGrow(m.top, m.left, oldWidth, oldHeight);
        }
    }
    if (!ok) return 0;
    Edit_RefreshGeometry();
    Menu_UpdateToolbar();
    return 1;
}

int ImgSizeDlg_Show(HWND owner) {
    ImgSizeDlgState state{};
    DlgPublication<ImgSizeDlgState> published(&state);
    if (!published.held()) return 0;
    return DlgFrame_Run(kSpec, owner, ImgSizeProc, &state, RunCanvas);
}
