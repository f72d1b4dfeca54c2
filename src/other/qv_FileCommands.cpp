#include "other/qv_FileCommands.h"

#include "dlg/qv_SaveFileDlg.h"
#include "image/qv_FileOpe.h"
#include "image/qv_ViewZoom.h"

int FileCommands_OnFile(HWND frame, UINT id) {
    switch (id) {
        case kCmdRename:
            FileOpe_Rename(frame);
            return 0;
        case kCmdMove:
            FileOpe_Move(frame, -1);
            return 0;
        case kCmdCopyTo:
            FileOpe_Copy(frame, -1);
            return 0;
        case kCmdDelete:
            FileOpe_Delete(frame, 0);
            return 0;
        case kCmdSave:
            SaveFileDlg_Show(frame, 0);
            return 0;
        case kCmdSaveAs:
            SaveFileDlg_Show(frame, 1);
            return 0;
        case kCmdNothing:
            return 0;
        case kCmdExit:
            PostMessage(frame, WM_CLOSE, 0, 0);
            return 0;
        default:
            return 1;
    }
}

int FileCommands_OnExtraFile(HWND frame, UINT id) {
    if (id == kCmdDeleteForGood) {
        FileOpe_Delete(frame, 1);
        return 0;
    }
    return ViewZoom_OnCommand(frame, id);
}

int FileCommands_OnMoveToFolder(HWND frame, UINT id) {
    if (id >= kCmdMoveToSlotFirst && id < kCmdMoveToSlotFirst + 10) FileOpe_Move(frame, int(id - kCmdMoveToSlotFirst));
    return 0;
}

int FileCommands_OnCopyToFolder(HWND frame, UINT id) {
    if (id >= kCmdCopyToSlotFirst && id < kCmdCopyToSlotFirst + 10) FileOpe_Copy(frame, int(id - kCmdCopyToSlotFirst));
    return 0;
}
