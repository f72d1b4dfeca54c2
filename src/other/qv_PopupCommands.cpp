#include "other/qv_PopupCommands.h"

#include "image/qv_ImgData.h"
#include "other/qv_Menu.h"
#include "other/qv_MenuState.h"

namespace {

bool NeedMet(PopupNeed need) {
    switch (need) {
        case PopupNeed::None: return true;
        case PopupNeed::RecentEntry:
            return g_menuStateHooks.recentFolder != nullptr && g_menuStateHooks.recentFolder(0) != nullptr;
        case PopupNeed::CanShow: return ImgData_HasImage();
        case PopupNeed::Still: return (g_imgData.state & kImgStill) != 0 && !g_imgData.image.empty();
    }
    return false;
}

}  // namespace

int PopupCommands_OnCommand(HWND frame, UINT id) {
    if (id == 45001) {
        Menu_ShowAt(Menu_GetMainPopup(), frame);
        return 0;
    }
    const PopupCommandRow *row = MenuState_PopupCommand(id);
    if (row == nullptr) return 1;
    // A sub-menu that would only show grayed items stays closed.
    if (NeedMet(row->need)) Menu_ShowAt(Menu_GetPopupByIndex(row->index), frame);
    return 0;
}
