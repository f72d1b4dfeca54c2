#include "image/qv_SelectionCommands.h"

#include "image/qv_Selection.h"
#include "other/qv_Settings.h"
#include "other/qv_WndUtil.h"

int SelectionCommands_OnEdit(HWND frame, UINT id) {
    (void)frame;
    if (id != kCmdSelectionMode) return 1;
    Sel_ApplyCursorMode();
    return 0;
}

int SelectionCommands_OnSelectionGrid(HWND frame, UINT id) {
    if (id < kCmdSelGridFree || id > kCmdSelGridCustom) return 1;
    // The custom size needs the selection-step dialog, which is not part of
    // the program yet: the command is taken and nothing changes.
    if (id == kCmdSelGridCustom) return 0;
    Opt_SetSelGrid(Opt_SelGridFromMenu(int32_t(id), 1));
    Sel_SyncUnits();
    // Choosing a grid means the user is about to select.
    if (g_viewState.selectMode == 0 && frame != nullptr) Util_PostCommand(frame, kCmdSelectionMode);
    return 0;
}
