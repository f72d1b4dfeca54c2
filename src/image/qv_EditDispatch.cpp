// The edit command blocks of the menu dispatcher, and the messages for the
// results the commands hand back (the commands themselves show none).
#include "../../res/resource.h"
#include "dlg/qv_ColDepthDlg.h"
#include "dlg/qv_ImgSizeDlg.h"
#include "dlg/qv_NewImgDlg.h"
#include "dlg/qv_ResizeDlg.h"
#include "dlg/qv_RotateDlg.h"
#include "dlg/qv_UnShMaskCore.h"
#include "dlg/qv_UnShMaskDlg.h"
#include "image/qv_EditCommands.h"
#include "image/qv_EditCore.h"
#include "image/qv_MekoTable.h"
#include "image/qv_SelectionCommands.h"
#include "other/qv_Dlg.h"
#include "other/qv_Msg.h"

namespace {

// Error numbers of the reports.
constexpr int32_t kErrCopyFailed = 528;
constexpr int32_t kErrMaskFailed = 1148;
constexpr int32_t kErrMekoNoLibrary = 1123;

void ReportCopy(HWND frame, int result) {
    if (result == 0) return;
    DlgGuard guard;
    if (!DlgGuard_Acquire(&guard, TEXT("DLG_MB_COPYCLIP"))) return;
    if (result == 1) {
        Msg_BoxById(frame, IDS_COPY_TOO_LARGE, MB_OK | MB_ICONEXCLAMATION, 0);
    } else {
        Msg_ReportError(TEXT("qv_EditCommands"), frame, nullptr, kErrCopyFailed, 0);
    }
}

void ReportMask(HWND frame, int ok) {
    if (ok) return;
    DlgGuard guard;
    if (DlgGuard_Acquire(&guard, TEXT("DLG_MB_MASKERR"))) Msg_ReportError(TEXT("qv_EditMasks"), frame, nullptr, kErrMaskFailed, 0);
}

void ReportMeko(HWND frame, int code) {
    if (code == kMekoReady) return;
    DlgGuard guard;
    if (!DlgGuard_Acquire(&guard, TEXT("DLG_MB_MEKO"))) return;
    switch (code) {
        case kMekoNoTable: Msg_BoxById(frame, IDS_MEKO_LOAD_FAILED, MB_OK | MB_ICONSTOP, 0); break;
        case kMekoTooManyCells: Msg_BoxById(frame, IDS_MEKO_TOO_LARGE, MB_OK | MB_ICONEXCLAMATION, 0); break;
        default: Msg_ReportError(TEXT("qv_EditMasks"), frame, nullptr, kErrMekoNoLibrary, 0); break;
    }
}

}  // namespace

int EditCommands_OnEdit(HWND frame, UINT id) {
    switch (id) {
        case kCmdUndo: Edit_Undo(); return 0;
        case kCmdCut: ReportCopy(frame, Edit_Cut()); return 0;
        case kCmdCopy: ReportCopy(frame, Edit_Copy(nullptr)); return 0;
        case kCmdPaste: Edit_Paste(); return 0;
        case kCmdCrop: Edit_Crop(1, 1, nullptr); return 0;
        case kCmdNewImageDialog: NewImgDlg_Show(frame); return 0;
        case kCmdPasteAsNew: Edit_PasteAsNew(); return 0;
        case kCmdCloseImage: Edit_CloseImage(); return 0;
        default: return SelectionCommands_OnEdit(frame, id);
    }
}

int EditCommands_OnImage(HWND frame, UINT id) {
    switch (id) {
        case kCmdResizeDialog: ResizeDlg_Show(frame); return 0;
        case kCmdColourDepthDialog: ColDepthDlg_Show(frame); return 0;
        case kCmdCanvasSizeDialog: ImgSizeDlg_Show(frame); return 0;
        case kCmdGreyscale: Edit_Greyscale(); return 0;
        case kCmdNegative: Edit_Negative(); return 0;
        case kCmdAutoLevel: Edit_AutoLevel(0); return 0;
        case kCmdAutoContrast: Edit_AutoLevel(1); return 0;
        default: return 1;
    }
}

int EditCommands_OnRotateFlip(HWND frame, UINT id) {
    if (id == kCmdRotateDialog) {
        RotateDlg_Show(frame);
        return 0;
    }
    if (id < kCmdTurnLeft || id > kCmdFlipLeftRight) return 1;
    static const int32_t kTypes[4] = {kTurnLeft, kTurnRight, kFlipTopBottom, kFlipLeftRight};
    Edit_RotateFlip(1, 1, nullptr, kTypes[id - kCmdTurnLeft]);
    return 0;
}

int EditCommands_OnMasks(HWND frame, UINT id) {
    // Without a picture (a key pressed with nothing shown) there is nothing
    // to mask, and nothing failed.
    if (Edit_GetImage(0) == nullptr) return id >= kCmdMaskGlassVertical && id <= kCmdMaskMekoReverse ? 0 : 1;
    switch (id) {
        case kCmdMaskGlassVertical: ReportMask(frame, Edit_MaskGlass(-1, 1, 1, nullptr, 0, 1)); return 0;
        case kCmdMaskGlassHorizontal: ReportMask(frame, Edit_MaskGlass(-1, 1, 1, nullptr, 0, 0)); return 0;
        case kCmdMaskNegative: ReportMask(frame, Edit_MaskNegative(1, 1, nullptr)); return 0;
        case kCmdMaskXor80: ReportMask(frame, Edit_MaskXor80(1, 1, nullptr)); return 0;
        case kCmdMaskRgbSwap: ReportMask(frame, Edit_MaskRgbSwap()); return 0;
        case kCmdMaskQ0: ReportMask(frame, Edit_MaskQ0()); return 0;
        case kCmdMaskWin: ReportMask(frame, Edit_MaskWin(1, nullptr)); return 0;
        case kCmdMaskFl: ReportMask(frame, Edit_MaskFl()); return 0;
        case kCmdMaskMeko: ReportMeko(frame, Edit_MaskMeko(0)); return 0;
        case kCmdMaskMekoReverse: ReportMeko(frame, Edit_MaskMeko(1)); return 0;
        default: return 1;
    }
}

int EditCommands_OnChannelSwap(HWND, UINT id) {
    if (id < kCmdSwapFirst || id > kCmdSwapLast) return 1;
    Edit_SwapChannels(EditCore_SwapRowOfCommand(int32_t(id - kCmdSwapFirst)));
    return 0;
}

int EditCommands_OnSharpenBlur(HWND, UINT id) {
    // The unsharp-mask and Gaussian-blur dialogs are not there yet.
    if (id < kCmdSharpen || id > kCmdGaussianBlur || UnShMask_IsDialogCommand(id)) return 1;
    UnShMaskDlg_Apply(0, 0, 0, id);
    return 0;
}
