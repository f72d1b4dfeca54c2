#include "other/qv_CommandCatalogue.h"

#include <cstdint>

#include "../../res/resource.h"
#include "other/qv_Globals.h"
#include "other/qv_MenuTextCore.h"

namespace {

struct Slot {
    HMENU menu;
    HMENU parent;
    int position;
};

struct Catalogue {
    HMENU root = nullptr;
    Slot slots[kCatalogueSlots] = {};
    bool attempted = false;  // the lazy build runs once, even when it fails
};
Catalogue s_catalogue;

// (slot, position) pairs, one run per parent; 0xFF 0xFF ends a run. The runs
// belong, in order, to the parents of kParentSlots (-1: the root).
const unsigned char kSlotScript[] = {
    0, 0, 0xFF, 0xFF,                                                   // root: the command tree
    1, 0, 3, 1, 2, 2, 4, 3, 7, 4, 8, 5, 9, 6, 10, 7, 11, 8, 12, 9, 0xFF, 0xFF,  // the tree
    5, 1, 6, 2, 0xFF, 0xFF,                                             // popup menus
    13, 0, 14, 1, 15, 2, 16, 3, 17, 4, 18, 5, 0xFF, 0xFF,               // the copy of menu 60
    19, 13, 20, 15, 21, 16, 0xFF, 0xFF,                                 // File
    22, 4, 23, 16, 0xFF, 0xFF,                                          // Edit
    24, 4, 25, 15, 26, 16, 27, 20, 0xFF, 0xFF,                          // Image
    28, 17, 0xFF, 0xFF,                                                 // List
    29, 1, 30, 3, 31, 4, 32, 5, 33, 18, 0xFF, 0xFF,                     // View
    34, 6, 0xFF, 0xFF,                                                  // Other
};
const int kParentSlots[] = {-1, 0, 4, 2, 13, 14, 15, 16, 17, 18};

// First id of each range and the slot that holds it, ascending.
struct RangeRow {
    uint16_t first;
    uint8_t slot;
};
const RangeRow kRanges[] = {
    {40001, 13}, {40021, 14}, {40041, 15}, {40061, 16}, {40081, 17}, {40101, 18}, {40201, 19},
    {40221, 21}, {40241, 20}, {40401, 22}, {40421, 23}, {40601, 24}, {40641, 26}, {40661, 27},
    {40681, 25}, {40801, 28}, {41001, 29}, {41021, 30}, {41041, 31}, {41061, 32}, {41081, 33},
    {41201, 34}, {45001, 4},  {45002, 5},  {45008, 6},  {45041, 3},  {45061, 8},  {45081, 7},
    {45101, 9},  {45121, 10}, {45161, 11}, {45181, 12}, {50021, 1},  {0xFFFF, 0},
};

// Position of the id among the menu's own items (not its sub-menus), -1.
int DirectPosition(HMENU menu, unsigned id) {
    if (menu == nullptr) return -1;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
        if (GetMenuItemID(menu, i) == id) return i;
    return -1;
}

int RangeSlot(unsigned id) {
    int slot = -1;
    for (const RangeRow &row : kRanges) {
        if (row.first == 0xFFFF || row.first > id) break;
        slot = row.slot;
    }
    return slot;
}

// Text cut at the TAB; bitmap and owner-draw types cleared (for popups the
// separator type too); separators are left alone.
void CleanItems(HMENU menu, int depth) {
    if (depth > 8) return;  // the resource nests three levels; never recurse without end
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        TCHAR text[1024];
        MENUITEMINFO info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 1024;
        text[0] = 0;
        if (!GetMenuItemInfo(menu, UINT(i), TRUE, &info)) continue;
        if (info.hSubMenu == nullptr && (info.fType & MFT_SEPARATOR)) continue;
        UINT type = info.fType & ~UINT(MFT_BITMAP | MFT_OWNERDRAW);
        if (info.hSubMenu != nullptr) type &= ~UINT(MFT_SEPARATOR);
        bool changed = type != info.fType;
        for (TCHAR *p = text; *p != 0; ++p)
            if (*p == TEXT('\t')) {
                *p = 0;
                changed = true;
                break;
            }
        if (changed) {
            MENUITEMINFO set{};
            set.cbSize = sizeof set;
            set.fMask = MIIM_FTYPE | MIIM_STRING;
            set.fType = type;
            set.dwTypeData = text;
            SetMenuItemInfo(menu, UINT(i), TRUE, &set);
        }
        if (info.hSubMenu != nullptr) CleanItems(info.hSubMenu, depth + 1);
    }
}

// Puts `sub` in place of the popup at `position`, keeping the item's text;
// the old sub-menu is destroyed. 1 ok.
int ReplacePopup(HMENU menu, int position, HMENU sub) {
    HMENU old = GetSubMenu(menu, position);
    if (old == nullptr) return 0;
    TCHAR text[256];
    if (GetMenuString(menu, UINT(position), text, 256, MF_BYPOSITION) < 0) text[0] = 0;
    if (!RemoveMenu(menu, UINT(position), MF_BYPOSITION)) return 0;
    if (!InsertMenu(menu, UINT(position), MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), text)) {
        InsertMenu(menu, UINT(position), MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(old), text);
        return 0;
    }
    DestroyMenu(old);
    return 1;
}

int FillSlots(HMENU root) {
    Slot slots[kCatalogueSlots] = {};
    size_t i = 0;
    size_t run = 0;
    while (i + 1 < sizeof kSlotScript && run < sizeof kParentSlots / sizeof kParentSlots[0]) {
        const unsigned char slot = kSlotScript[i], position = kSlotScript[i + 1];
        i += 2;
        if (slot == 0xFF && position == 0xFF) {
            ++run;
            continue;
        }
        const int parentSlot = kParentSlots[run];
        HMENU parent = parentSlot < 0 ? root : slots[parentSlot].menu;
        HMENU sub = parent != nullptr ? GetSubMenu(parent, position) : nullptr;
        if (sub == nullptr || slot >= kCatalogueSlots) return 0;
        slots[slot] = Slot{sub, parent, position};
    }
    for (int s = 0; s < kCatalogueSlots; ++s) s_catalogue.slots[s] = slots[s];
    return 1;
}

// Builds into root (menu 61) with copy (menu 60); copy belongs to root from
// the moment it is inserted. 1 ok.
int Assemble(HMENU root, HMENU copy, bool *copyInserted) {
    HMENU tree = GetSubMenu(root, 0);
    HMENU items = tree ? GetSubMenu(tree, 2) : nullptr;
    HMENU apps = items ? GetSubMenu(items, 0) : nullptr;
    HMENU file = GetSubMenu(copy, 0);
    HMENU edit = GetSubMenu(copy, 1);
    if (apps == nullptr || file == nullptr || edit == nullptr || GetSubMenu(file, 13) == nullptr) return 0;
    // The live other-applications menu carries the user's programs; the
    // catalogue names the nine slots and the settings instead.
    if (!RemoveMenu(items, 0, MF_BYPOSITION)) return 0;
    if (!ReplacePopup(file, 16, apps)) {
        DestroyMenu(apps);
        return 0;
    }
    // The live selection-mode text holds "%s" for the grid's name.
    TCHAR selection[256];
    if (GetMenuString(items, 40022, selection, 256, MF_BYCOMMAND) > 0) {
        MENUITEMINFO set{};
        set.cbSize = sizeof set;
        set.fMask = MIIM_STRING;
        set.dwTypeData = selection;
        SetMenuItemInfo(edit, 40022, FALSE, &set);
    }
    if (!ReplacePopup(tree, 2, copy)) return 0;
    *copyInserted = true;
    CleanItems(copy, 0);
    return FillSlots(root);
}

}  // namespace

int Menu_BuildCommandMenus() {
    if (s_catalogue.root != nullptr) return 1;
    HINSTANCE module = g_process.instance ? g_process.instance : GetModuleHandle(nullptr);
    HMENU root = LoadMenu(module, MAKEINTRESOURCE(IDM_CATALOGUE));
    HMENU copy = LoadMenu(module, MAKEINTRESOURCE(IDM_MAIN));
    bool copyInserted = false;
    if (root != nullptr && copy != nullptr && Assemble(root, copy, &copyInserted)) {
        s_catalogue.root = root;
        return 1;
    }
    if (copy != nullptr && !copyInserted) DestroyMenu(copy);
    if (root != nullptr) DestroyMenu(root);
    for (Slot &s : s_catalogue.slots) s = Slot{};
    return 0;
}

void Menu_DestroyCommandMenus() {
    if (s_catalogue.root != nullptr) DestroyMenu(s_catalogue.root);
    s_catalogue = Catalogue{};
}

HMENU Menu_GetCommandRoot() { return s_catalogue.root; }

HMENU Menu_GetCommandSlot(int slot) {
    if (s_catalogue.root == nullptr || slot < 0 || slot >= kCatalogueSlots) return nullptr;
    return s_catalogue.slots[slot].menu;
}

int Menu_FindCommandSlot(unsigned id) {
    if (s_catalogue.root == nullptr) return -1;
    for (int s = 0; s < kCatalogueSlots; ++s)
        if (DirectPosition(s_catalogue.slots[s].menu, id) >= 0) return s;
    return -1;
}

int Menu_GetCommandText(unsigned id, TCHAR *text, int size, TCHAR *parentText, int size2, int existsOnly) {
    if (text != nullptr && size > 0) text[0] = 0;
    if (parentText != nullptr && size2 > 0) parentText[0] = 0;
    if (id <= 40000 || id > 65534) return 0;
    if (s_catalogue.root == nullptr && !s_catalogue.attempted) {
        s_catalogue.attempted = true;
        Menu_BuildCommandMenus();
    }
    if (s_catalogue.root == nullptr) return 0;
    // The range names the usual slot; a command the resources place elsewhere
    // (page back and forward sit directly in View) is searched for, so no
    // bound command becomes unknown because of the layout.
    int slot = RangeSlot(id);
    int position = slot >= 0 ? DirectPosition(s_catalogue.slots[slot].menu, id) : -1;
    if (position < 0) {
        slot = Menu_FindCommandSlot(id);
        if (slot < 0) return 0;
        position = DirectPosition(s_catalogue.slots[slot].menu, id);
    }
    if (existsOnly) return 1;
    const Slot &s = s_catalogue.slots[slot];
    TCHAR name[1024];
    int length = GetMenuString(s.menu, UINT(position), name, 1024, MF_BYPOSITION);
    if (length < 0) length = 0;
    name[length] = 0;
    if (text != nullptr && size > 0) lstrcpyn(text, name, size);
    if (parentText != nullptr && size2 > 0 && s.parent != s_catalogue.root)
        GetMenuString(s.parent, UINT(s.position), parentText, size2, MF_BYPOSITION);
    return text != nullptr && size > 0 ? lstrlen(text) : length;
}

int Menu_StripMnemonic(TCHAR *text) { return int(MenuText_StripMnemonic(text)); }
