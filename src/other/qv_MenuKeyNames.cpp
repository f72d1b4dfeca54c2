// Key names after a TAB in the item texts of the main popup and the six
// top-level menus: the first key bound to each item's command.
#include "other/qv_Globals.h"
#include "other/qv_KeyMap.h"
#include "other/qv_KeyName.h"
#include "other/qv_Menu.h"
#include "other/qv_MenuState.h"
#include "other/qv_MenuTextCore.h"

namespace {

constexpr int kWorkUnits = 4096;

// The key name of the command's first key into name; false when it has none.
bool FirstKeyName(uint16_t command, TCHAR *name) {
    name[0] = 0;
    const int index = KeyMap_FindCommand(&g_keyMap, command, 0, 0, 0);
    if (index < 0 || g_keyMap.items == nullptr) return false;
    const KeyBinding &b = g_keyMap.items[index];
    if (b.count < 1) return false;
    return KeyName_Format(b.key[0], name, b.flags[0], 1) > 0;
}

}  // namespace

int Menu_AddKeyNames(HMENU menu) {
    if (menu == nullptr || !g_process.startupComplete || !KeyName_IsLoaded()) return 0;
    const int which = menu == Menu_GetMainPopup() ? -1 : Menu_IndexOf(menu);
    const uint16_t *popupCommands = which >= -1 && which <= kMenuOther ? MenuState_SubMenuCommands(which) : nullptr;
    if (popupCommands == nullptr) return 0;
    static TCHAR work[kWorkUnits];  // one menu at a time, on the program's one thread
    TCHAR name[kKeyNameChars];
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFO info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = work;
        info.cch = kWorkUnits;
        work[0] = 0;
        if (!GetMenuItemInfo(menu, UINT(i), TRUE, &info)) continue;
        if (info.fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)) continue;
        uint16_t command = uint16_t(info.wID);
        if (info.hSubMenu != nullptr) {
            if (*popupCommands == 0) break;  // the list ends the walk
            command = *popupCommands++;
        }
        TCHAR before[kWorkUnits];
        lstrcpyn(before, work, kWorkUnits);
        MenuText_SetKeyName(work, kWorkUnits, FirstKeyName(command, name) ? name : TEXT(""));
        if (lstrcmp(before, work) == 0) continue;
        if (!Menu_SetItemText(menu, UINT(i), true, work)) return 0;
    }
    return 1;
}
