#include "other/qv_Menu.h"

#include "../../res/resource.h"
#include "other/qv_Globals.h"
#include "other/qv_Res.h"

namespace {

struct MenuState {
    HMENU main = nullptr;
    HMENU popup = nullptr;
    HMENU table[kMenuPopupCount] = {};
    TCHAR selectionText[256] = {};
};
MenuState s_menu;

// (table index, position) pairs, one run per level; 0xFF 0xFF ends a run.
// The first run finds the six top-level menus; each later run lists the
// sub-menus of one of them, in the order File, Edit, Image, List, View, Other.
const unsigned char kScript[] = {
    0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 0xFF, 0xFF,   // top level
    6, 13, 7, 15, 8, 16, 0xFF, 0xFF,                  // File
    9, 4, 10, 16, 0xFF, 0xFF,                         // Edit
    11, 4, 12, 15, 13, 16, 14, 20, 0xFF, 0xFF,        // Image
    15, 17, 0xFF, 0xFF,                               // List
    16, 1, 17, 3, 18, 4, 19, 5, 20, 18, 0xFF, 0xFF,   // View
    21, 6, 0xFF, 0xFF,                                // Other
};

}  // namespace

int Menu_BuildTable() {
    if (s_menu.main == nullptr) return 0;
    size_t i = 0;
    int level = -1;  // -1: the main menu; 0..5: that top-level menu
    while (i + 1 < sizeof kScript) {
        const unsigned char index = kScript[i], position = kScript[i + 1];
        i += 2;
        if (index == 0xFF && position == 0xFF) {
            ++level;
            continue;
        }
        HMENU parent = level < 0 ? s_menu.main : s_menu.table[level];
        HMENU sub = parent ? GetSubMenu(parent, position) : nullptr;
        if (sub == nullptr) return 0;
        s_menu.table[index] = sub;
    }
    return 1;
}

int Menu_Create(HWND frame) {
    HINSTANCE module = g_process.instance ? g_process.instance : GetModuleHandle(nullptr);
    s_menu.main = LoadMenu(module, MAKEINTRESOURCE(IDM_MAIN));
    if (s_menu.main == nullptr) return 0;
    if (!Menu_BuildTable()) return 0;
    GetMenuString(s_menu.main, 40022, s_menu.selectionText, 256, MF_BYCOMMAND);
    s_menu.popup = CreatePopupMenu();
    if (s_menu.popup == nullptr) return 0;
    const int count = GetMenuItemCount(s_menu.main);
    bool first = true;
    for (int i = 0; i < count && i < 255; ++i) {
        TCHAR text[256];
        if (GetMenuString(s_menu.main, UINT(i), text, 256, MF_BYPOSITION) <= 0) continue;
        if (!first) AppendMenu(s_menu.popup, MF_SEPARATOR, 0, nullptr);
        first = false;
        AppendMenu(s_menu.popup, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(GetSubMenu(s_menu.main, i)), text);
    }
    TCHAR word[64];
    if (frame != nullptr && Res_LoadText(word, IDS_MENU_WORD, 64) > 0) {
        HMENU system = GetSystemMenu(frame, FALSE);
        if (system != nullptr) {
            InsertMenu(system, 0, MF_BYPOSITION | MF_STRING, 45001, word);
            InsertMenu(system, 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        }
    }
    return 1;
}

HMENU Menu_GetMain() { return s_menu.main; }
const TCHAR *Menu_GetSelectionText() { return s_menu.selectionText; }
HMENU Menu_GetMainPopup() { return s_menu.popup; }

HMENU Menu_GetPopupByIndex(int index) {
    return index >= 0 && index < kMenuPopupCount ? s_menu.table[index] : nullptr;
}

int Menu_IndexOf(HMENU menu) {
    if (menu == nullptr) return -1;
    for (int i = 0; i < kMenuPopupCount; ++i)
        if (s_menu.table[i] == menu) return i;
    return -1;
}

int Menu_ShowAt(HMENU menu, HWND window) {
    if (menu == nullptr) return 0;
    POINT p{0, 0};
    GetCursorPos(&p);
    return TrackPopupMenu(menu, TPM_LEFTBUTTON, p.x, p.y, 0, window, nullptr);
}

void Menu_DestroyAll(HWND frame) {
    if (s_menu.popup != nullptr) {
        // Its items are the main menu's sub-menus: detach them, don't destroy.
        while (GetMenuItemCount(s_menu.popup) > 0) RemoveMenu(s_menu.popup, 0, MF_BYPOSITION);
        DestroyMenu(s_menu.popup);
        s_menu.popup = nullptr;
    }
    if (s_menu.main != nullptr) {
        if (frame != nullptr && GetMenu(frame) == s_menu.main) SetMenu(frame, nullptr);
        DestroyMenu(s_menu.main);
        s_menu.main = nullptr;
    }
    for (auto &m : s_menu.table) m = nullptr;
}

int Menu_EscapeAmpersands(TCHAR *out, const TCHAR *text, int capacity) {
    if (out == nullptr || text == nullptr || capacity <= 0) return 0;
    int n = 0;
    for (const TCHAR *p = text; *p != 0; ++p) {
        const int need = *p == TEXT('&') ? 2 : 1;
        if (n + need >= capacity) {
            out[0] = 0;
            return 0;
        }
        out[n++] = *p;
        if (need == 2) out[n++] = TEXT('&');
    }
    out[n] = 0;
    return 1;
}

int Menu_SetItemText(HMENU menu, UINT item, bool byPosition, const TCHAR *text) {
    if (menu == nullptr || text == nullptr) return 0;
    MENUITEMINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<TCHAR *>(text);
    return SetMenuItemInfo(menu, item, byPosition ? TRUE : FALSE, &info) ? 1 : 0;
}

int Menu_EnableItem(HMENU menu, UINT item, bool byPosition, bool enable) {
    if (menu == nullptr) return -1;
    return EnableMenuItem(menu, item, (byPosition ? MF_BYPOSITION : MF_BYCOMMAND) | (enable ? MF_ENABLED : MF_GRAYED));
}

int Menu_CheckItem(HMENU menu, UINT item, bool byPosition, bool check) {
    if (menu == nullptr) return -1;
    return int(CheckMenuItem(menu, item, (byPosition ? MF_BYPOSITION : MF_BYCOMMAND) | (check ? MF_CHECKED : MF_UNCHECKED)));
}

int Menu_RadioCheck(HMENU menu, UINT first, UINT last, UINT selected) {
    if (menu == nullptr) return 0;
    return CheckMenuRadioItem(menu, first, last, selected, MF_BYCOMMAND) ? 1 : 0;
}
