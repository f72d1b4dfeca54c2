#include "dlg/qv_NewImgDlg.h"

#include <cstring>

#include "../../res/resource.h"
#include "dlg/qv_ColourSwatch.h"
#include "dlg/qv_DlgFrame.h"
#include "dlg/qv_DlgNumber.h"
#include "dlg/qv_NewImgCore.h"
#include "image/qv_DibHolder.h"
#include "image/qv_EditShared.h"
#include "image/qv_ImgData.h"
#include "image/qv_PixelValue.h"
#include "other/qv_Dlg.h"
#include "other/qv_DlgValues.h"
#include "other/qv_Msg.h"
#include "other/qv_Res.h"
#include "other/qv_Settings.h"
#include "other/qv_SysFacts.h"
#include "other/qv_WndUtil.h"
#include "util/qv_FileStream.h"
#include "util/qv_Registry.h"
#include "util/qv_Str.h"

namespace {

// 97: the blank picture could not be made.
const DlgFrameSpec kSpec = {TEXT("DLG_NEWIMG"), TEXT("qv_NewImgDlg"), 96, 97, TEXT("d_newimg.htm"), false, false};

constexpr int kOptOverMem = 53;       // pictures may exceed the physical memory
constexpr int kTextChars = 64;        // the group's caption template, the refusal text
constexpr int kSideChars = 16;

struct NewImgDlgState {
    int32_t size[2];
    COLORREF colour;
    TCHAR groupTemplate[kTextChars];
    TCHAR invalidText[kTextChars];
    TCHAR name[kNewImgNameChars];
    int32_t depthIndex;
    ColourSwatch swatchPaint;
};

NewImgDlgState *State() { return DlgPublication<NewImgDlgState>::Current(); }

// Untitled pictures made by this dialog so far.
int32_t s_untitledCount = 0;

// The side the field holds: 0 for no number, at most 65535.
int32_t ReadSide(HWND dialog, int id, bool *clamped) {
    TCHAR text[kSideChars];
    GetDlgItemText(dialog, id, text, kSideChars);
    int64_t v = 0;
    const int status = DlgNumber_Parse(text, 0, &v);
    *clamped = false;
    if (status == kDlgNumberEmpty || status == kDlgNumberBad) return 0;
    if (status == kDlgNumberOverflow || v > kSizeLimitMaxSide) {
        *clamped = true;
        return int32_t(kSizeLimitMaxSide);
    }
    if (v < 0) {
        *clamped = true;
        return 0;
    }
    return int32_t(v);
}

int SelectedDepth(HWND dialog) {
    const int index = int(SendDlgItemMessage(dialog, IDC_NEWIMG_DEPTH, CB_GETCURSEL, 0, 0));
    return NewImgDlg_DepthOf(index, nullptr) ? index : kNewImgDepthDefault;
}

// OK only for a size that may be made; the group shows the byte size, and
// the refusal after it.
void CheckSize(HWND dialog, NewImgDlgState *s) {
    NewImgDepth depth{};
    NewImgDlg_DepthOf(SelectedDepth(dialog), &depth);
    NewImgDlg_ShowSizeCheck(dialog, IDC_NEWIMG_GROUP, s->groupTemplate, s->invalidText, s->size[0], s->size[1],
                            depth.sizeBits);
}

BOOL OnInit(HWND dialog, NewImgDlgState *s) {
    HWND swatch = GetDlgItem(dialog, IDC_NEWIMG_SWATCH);
    static const int kRequired[] = {IDC_NEWIMG_NAME, IDC_NEWIMG_WIDTH, IDC_NEWIMG_HEIGHT, IDC_NEWIMG_DEPTH,
                                    IDC_NEWIMG_CHOOSE, IDC_NEWIMG_GROUP, IDC_NEWIMG_DEPTH_ITEMS, IDC_NEWIMG_INVALID};
    if (s == nullptr || swatch == nullptr) return FALSE;
    for (int id : kRequired)
        if (GetDlgItem(dialog, id) == nullptr) return FALSE;
    if (!DlgFrame_ReadTemplate(dialog, IDC_NEWIMG_GROUP, s->groupTemplate) ||
        !DlgFrame_ReadText(dialog, IDC_NEWIMG_INVALID, s->invalidText))
        return FALSE;
    if (!ColourSwatch_Attach(&s->swatchPaint, swatch, &s->colour)) return FALSE;
    s->size[0] = g_dlgValues.newImageSize[0];
    s->size[1] = g_dlgValues.newImageSize[1];
    s->colour = g_dlgValues.newImageColour;
    const int depth = NewImgDlg_DepthOf(g_dlgValues.newImageDepth, nullptr) ? g_dlgValues.newImageDepth
                                                                            : kNewImgDepthDefault;
    if (!Dlg_FillComboFromText(dialog, IDC_NEWIMG_DEPTH, IDC_NEWIMG_DEPTH_ITEMS, kNewImgDepthCount, depth))
        return FALSE;
    // The fields' change notices check the size once they are both there.
    SetDlgItemInt(dialog, IDC_NEWIMG_WIDTH, UINT(s->size[0]), FALSE);
    SetDlgItemInt(dialog, IDC_NEWIMG_HEIGHT, UINT(s->size[1]), FALSE);
    TCHAR name[kNewImgNameChars];
    if (!NewImgDlg_FormatUntitledName(name, kNewImgNameChars)) name[0] = 0;
    SetDlgItemText(dialog, IDC_NEWIMG_NAME, name);
    CheckSize(dialog, s);
    Ctl_FocusSelectAll(GetDlgItem(dialog, IDC_NEWIMG_NAME));
    static const int kHidden[] = {IDC_NEWIMG_INVALID, IDC_NEWIMG_DEPTH_ITEMS, 0};
    Dlg_CloseItems(kHidden, dialog);
    Wnd_ReplaceAppTitle(dialog);
    Dlg_CenterOnOwner(dialog, GetParent(dialog));
    return TRUE;
}

void OnSideUpdate(HWND dialog, int id, NewImgDlgState *s) {
    bool clamped = false;
    const int32_t side = ReadSide(dialog, id, &clamped);
    s->size[id == IDC_NEWIMG_WIDTH ? 0 : 1] = side;
    if (clamped) SetDlgItemInt(dialog, id, UINT(side), FALSE);
}

// Stays open (false) when the user declines a large picture or typed a
// name files cannot have.
bool OnOk(HWND dialog, NewImgDlgState *s) {
    s->depthIndex = SelectedDepth(dialog);
    g_dlgValues.newImageDepth = s->depthIndex;
    NewImgDepth depth{};
    NewImgDlg_DepthOf(s->depthIndex, &depth);
    if (!NewImgDlg_ConfirmLargeSize(dialog, s->size[0], s->size[1], depth.sizeBits, 0)) return false;
    g_dlgValues.newImageSize[0] = s->size[0];
    g_dlgValues.newImageSize[1] = s->size[1];
    g_dlgValues.newImageColour = s->colour;
    // Read with the room the check needs: a longer text is not cut to fit.
    TCHAR typed[kNewImgReadChars];
    GetDlgItemText(dialog, IDC_NEWIMG_NAME, typed, int(kNewImgReadChars));
    switch (NewImgDlg_ChooseName(typed)) {
        case kNewImgNameBad:
            File_ReportBadNameChars(dialog);
            Ctl_FocusSelectAll(GetDlgItem(dialog, IDC_NEWIMG_NAME));
            return false;
        case kNewImgNameTyped: lstrcpyn(s->name, typed, int(kNewImgNameChars)); return true;
        default:
            if (!NewImgDlg_FormatUntitledName(s->name, int(kNewImgNameChars))) {
                EndDialog(dialog, IDCANCEL);
                return false;
            }
            return true;
    }
}

INT_PTR CALLBACK NewImgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            if (!OnInit(dialog, reinterpret_cast<NewImgDlgState *>(lParam))) EndDialog(dialog, -1);
            return FALSE;  // the focus is set
        case WM_COMMAND: {
            NewImgDlgState *s = State();
            if (s == nullptr) return FALSE;
            const int id = LOWORD(wParam), code = HIWORD(wParam);
            switch (id) {
                case IDC_NEWIMG_WIDTH:
                case IDC_NEWIMG_HEIGHT:
                    if (code == EN_UPDATE) OnSideUpdate(dialog, id, s);
                    if (code == EN_CHANGE) CheckSize(dialog, s);
                    return TRUE;
                case IDC_NEWIMG_DEPTH:
                    if (code == CBN_SELCHANGE) CheckSize(dialog, s);
                    return TRUE;
                case IDC_NEWIMG_CHOOSE:
                    if (Color_Choose(&s->colour, dialog))
                        InvalidateRect(GetDlgItem(dialog, IDC_NEWIMG_SWATCH), nullptr, TRUE);
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

int RunCreate(void *state) {
    const NewImgDlgState *s = static_cast<const NewImgDlgState *>(state);
    return NewImgDlg_Create(s->size[0], s->size[1], s->depthIndex, s->colour, s->name);
}

// A colour table of `depth` bits: the colour in entry 0, black elsewhere.
void FillTable(uint8_t *table, int32_t depth, COLORREF colour) {
    std::memset(table, 0, size_t(4) << depth);
    table[0] = GetBValue(colour);
    table[1] = GetGValue(colour);
    table[2] = GetRValue(colour);
}

}  // namespace

SizeLimitFacts NewImgDlg_MachineFacts() {
    const uint32_t memory = Sys_GetTotalPhysMemory();
    // 0xFFFFFFFF stands for 4 GB or more.
    const uint64_t bytes = memory == 0xFFFFFFFFu ? uint64_t{1} << 32 : memory;
    return SizeLimitFacts{g_settings.option[kOptOverMem] != 0 ? 1 : 0, bytes};
}

SizeLimitFactsSource g_sizeLimitFacts = NewImgDlg_MachineFacts;

bool NewImgDlg_SizeAllowed(int64_t width, int64_t height, int32_t bitsPerPixel, uint64_t *byteSize) {
    return NewImgDlg_CheckSize(width, height, bitsPerPixel, g_sizeLimitFacts(), byteSize, nullptr);
}

bool NewImgDlg_ShowSizeCheck(HWND dialog, int groupId, const TCHAR *pattern, const TCHAR *refusal, int64_t width,
                             int64_t height, int32_t bitsPerPixel) {
    uint64_t bytes = 0;
    const bool allowed = NewImgDlg_SizeAllowed(width, height, bitsPerPixel, &bytes);
    EnableWindow(GetDlgItem(dialog, IDOK), allowed ? TRUE : FALSE);
    DlgFrame_ShowByteSize(dialog, groupId, pattern, bytes, allowed ? nullptr : refusal);
    return allowed;
}

int NewImgDlg_ConfirmLargeSize(HWND owner, int64_t width, int64_t height, int32_t bitsPerPixel, int takeGuard) {
    uint64_t bytes = 0;
    const LargeSizeDecision decision =
        NewImgDlg_LargeSizeDecision(width, height, bitsPerPixel, g_sizeLimitFacts(), &bytes);
    if (decision != kLargeSizeAsk) return decision == kLargeSizeProceed ? 1 : 0;
    DlgGuard guard;
    if (takeGuard && !DlgGuard_Acquire(&guard, TEXT("DLG_MB_LARGEIMG"))) return 0;
    TCHAR buffer[512];
    const int at = Msg_LoadCaptionText(512, buffer, IDS_LARGE_PICTURE);
    if (at < 0) return 0;
    TCHAR size[kTextChars];
    Str_FormatByteSize(uint32_t(bytes), size, uint32_t(bytes >> 32), kTextChars);
    TCHAR text[640];
    wsprintf(text, buffer + at, int(width), int(height), int(bitsPerPixel), size);
    return Msg_Box(buffer, owner, text, MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDOK ? 1 : 0;
}

int NewImgDlg_FormatUntitledName(TCHAR *out, int capacity) {
    if (out == nullptr || capacity <= 0) return 0;
    out[0] = 0;
    TCHAR format[96];
    if (Res_LoadText(format, IDS_UNTITLED, 96) <= 0) return 0;
    TCHAR made[128];
    wsprintf(made, format, int(s_untitledCount + 1));
    if (lstrlen(made) >= capacity || NewImgDlg_HasBadNameChar(made)) return 0;
    lstrcpy(out, made);
    return 1;
}

int NewImgDlg_Create(int32_t width, int32_t height, int depthIndex, COLORREF colour, const TCHAR *name) {
    NewImgDepth depth{};
    if (width <= 0 || height <= 0 || !NewImgDlg_DepthOf(depthIndex, &depth) || name == nullptr) return 0;
    TCHAR untitled[kNewImgNameChars];
    const bool isUntitled = NewImgDlg_FormatUntitledName(untitled, int(kNewImgNameChars)) && lstrcmp(untitled, name) == 0;
    DibHolder made;
    {
        EditWork work;
        uint8_t table[256 * 4];
        const void *extra = nullptr;
        if (depth.depth <= 8) {
            FillTable(table, depth.depth, colour);
            extra = table;
        } else if (depth.masks565) {
            extra = kNewImgMasks565;
        }
        // The current picture and its undo stay until the new one exists.
        if (!DibHolder_Create(made, width, height, depth.depth, 0, 1, extra)) return 0;
        if (!Dib_FillColour(made.handle, nullptr, colour) || !DibHolder_Lock(made)) return 0;
        if (!ImgData_SetNewImage(made, name)) return 0;
    }
    if (isUntitled) ++s_untitledCount;
    return 1;
}

int NewImgDlg_Show(HWND owner) {
    NewImgDlgState state{};
    DlgPublication<NewImgDlgState> published(&state);
    if (!published.held()) return 0;
    return DlgFrame_Run(kSpec, owner, NewImgProc, &state, RunCreate);
}
