#include "other/qv_MenuState.h"

#include "../../res/resource.h"
#include "image/qv_FileList.h"
#include "image/qv_ImgData.h"
#include "other/qv_Globals.h"
#include "other/qv_Menu.h"
#include "other/qv_MenuTextCore.h"
#include "other/qv_Res.h"
#include "other/qv_Settings.h"
#include "other/qv_Title.h"
#include "util/qv_SysVersion.h"

MenuStateHooks g_menuStateHooks;

namespace {

constexpr int kOptFrame = 1, kOptEdge = 2, kOptMenuBar = 3;
constexpr int kOptComicMode = 48, kOptComicLR = 49, kOptComicAuto = 50;
constexpr int kOptFitWindow = 80, kOptShowWindow = 84, kOptSortType = 82, kOptSelGrid = 83, kOptRotate = 86;
constexpr int kOptTopMostWindow = 105, kOptHoverScroll = 107, kOptScrollBars = 10;
constexpr UINT kFirstRecent = 40201;
constexpr int kRecentMax = 20;

bool Ask(bool (*hook)()) { return hook != nullptr && hook(); }

bool StillPicture() { return (g_imgData.state & kImgStill) != 0 && !g_imgData.image.empty(); }

void Apply(HMENU menu, const MenuStep *steps, int count) {
    for (int i = 0; i < count; ++i) {
        const MenuStep &s = steps[i];
        switch (s.act) {
            case MenuAct::Gray: Menu_EnableItem(menu, s.item, s.byPosition, !s.on); break;
            case MenuAct::Check: Menu_CheckItem(menu, s.item, s.byPosition, s.on); break;
            case MenuAct::Radio: Menu_RadioCheck(menu, s.item, s.last, s.selected); break;
        }
    }
}

void ApplyDecision(HMENU menu, int index) {
    MenuFacts facts;
    MenuState_GatherFacts(&facts);
    MenuStep steps[kMenuStepsMax];
    Apply(menu, steps, MenuState_Decide(index, facts, steps, kMenuStepsMax));
}

void ToolbarEnable(UINT command, bool enable) {
    if (g_menuStateHooks.toolbarEnable != nullptr) g_menuStateHooks.toolbarEnable(command, enable);
}

}  // namespace

void MenuState_GatherFacts(MenuFacts *out) {
    if (out == nullptr) return;
    MenuFacts f;
    const MenuStateHooks &h = g_menuStateHooks;
    const uint8_t *opt = g_settings.option;
    const int fs = opt[kOptFullScreen] ? 1 : 0;  // the full-screen layout's option follows the windowed one
    f.still = StillPicture();
    f.canShow = ImgData_HasImage();
    f.anything = ImgData_HasAnything();
    f.hasFile = g_imgData.pathText != nullptr && g_imgData.pathText[0] != 0 &&
                (g_imgData.state & (kImgNoFile | kImgNew)) == 0;
    f.bitsPerPixel = f.still ? DibHolder_GetBitCount(g_imgData.image) : 0;
    for (int op = 0; op < 4; ++op) {
        const bool possible = h.fileOperationPossible != nullptr && h.fileOperationPossible(op);
        (op == 0 ? f.canRename : op == 1 ? f.canMove : op == 2 ? f.canCopy : f.canDelete) = possible;
    }
    f.hasRecent = h.recentFolder != nullptr && h.recentFolder(0) != nullptr;
    f.hasUndo = Ask(h.hasUndo);
    f.hasSelection = Ask(h.hasSelection);
    f.selectionMode = Ask(h.selectionMode);
    f.clipboardPicture = IsClipboardFormatAvailable(CF_DIB) != 0;
    const FileList *list = FileList_Current();
    f.hasList = list != nullptr;
    f.listPictures = list != nullptr ? list->imageCount : 0;
    f.slideRunning = opt[kOptSlideRunning] != 0;
    f.fullScreen = fs != 0;
    f.zoomMode = g_imgData.zoomMode;
    f.zoomLock = g_settings.optInt[kIntZoomLock] > 0;
    f.hoverScroll = opt[kOptHoverScroll] != 0;
    f.comicMode = opt[kOptComicMode] != 0;
    f.comicLeftToRight = opt[kOptComicLR] != 0;
    f.comicAuto = opt[kOptComicAuto] != 0;
    f.rotateOption = opt[kOptRotate];
    f.selGrid = opt[kOptSelGrid];
    f.sortKey = opt[kOptSortType];
    f.sortDescending = opt[kOptSortReverse] != 0;
    f.sortNatural = opt[kOptSortNatural] != 0;
    HWND frame = g_process.frameWindow;
    f.canRestore = Ask(h.canRestore);
    f.minimised = frame != nullptr && IsIconic(frame);
    f.maximised = frame != nullptr && IsZoomed(frame);
    f.topMost = opt[kOptTopMostWindow + fs] != 0;
    f.caption = opt[kOptCaption] != 0;
    f.frame = opt[kOptFrame] != 0;
    f.edge = opt[kOptEdge] != 0;
    f.menuBar = opt[kOptMenuBar] != 0;
    f.toolbar = opt[kOptToolbar + fs] != 0;
    f.statusBar = opt[kOptStatus + fs] != 0;
    f.scrollBars = opt[kOptScrollBars + fs] != 0;
    f.showMode = opt[kOptShowWindow + fs];
    f.fitType = opt[kOptFitWindow + fs];
    f.platformCode = Sys_GetOsVersionCode();
    f.wallpaperExists = Ask(h.wallpaperExists);
    *out = f;
}

int Menu_PrepareState(HMENU menu) {
    if (menu == nullptr) return 0;
    if (menu == Menu_GetMainPopup()) {
        Menu_AddKeyNames(menu);
        return 1;
    }
    const int index = Menu_IndexOf(menu);
    if (index < 0) return 0;
    if (index == kMenuEdit) Menu_UpdateSelectionText();
    ApplyDecision(menu, index);
    if (index == kMenuEdit) ToolbarEnable(40026, IsClipboardFormatAvailable(CF_DIB) != 0);
    if (index == kMenuRecent) Menu_FillRecent(menu);
    if (index == kMenuOtherApps && g_menuStateHooks.fillOtherApps != nullptr) g_menuStateHooks.fillOtherApps(menu);
    if (index <= kMenuOther) Menu_AddKeyNames(menu);
    return 1;
}

int Menu_FormatRecentItem(const TCHAR *folder, TCHAR *out) {
    if (out == nullptr) return 0;
    out[0] = 0;
    if (folder == nullptr) return 0;
    // A long folder is cut in the middle so its drive and its last part stay.
    TCHAR shortened[kRecentShortenAbove + 1];
    const TCHAR *text = folder;
    if (lstrlen(folder) > kRecentShortenAbove) {
        if (!Title_ShortenPath(shortened, folder, kRecentShortenAbove + 1)) return 0;
        text = shortened;
    }
    return Menu_EscapeAmpersands(out, text, kRecentItemUnits);
}

int Menu_FillRecent(HMENU menu) {
    if (menu == nullptr || g_menuStateHooks.recentFolder == nullptr) return 0;
    int filled = 0;
    int count = 0;
    for (; count < kRecentMax; ++count) {
        const TCHAR *folder = g_menuStateHooks.recentFolder(count);
        if (folder == nullptr) break;
        const UINT id = kFirstRecent + UINT(count);
        TCHAR text[kRecentItemUnits];
        const bool exists = GetMenuState(menu, id, MF_BYCOMMAND) != UINT(-1);
        if (!Menu_FormatRecentItem(folder, text)) {
            if (exists) RemoveMenu(menu, id, MF_BYCOMMAND);
            continue;
        }
        if (exists) {
            // The resource's placeholder for the first folder is grayed.
            MENUITEMINFO info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_STRING | MIIM_STATE;
            info.fState = MFS_ENABLED;
            info.dwTypeData = text;
            if (!SetMenuItemInfo(menu, id, FALSE, &info)) continue;
        } else if (!AppendMenu(menu, MF_STRING, id, text)) {
            continue;
        }
        ++filled;
    }
    // Entries the list no longer has; the first item stays as the menu's
    // placeholder (the menu is grayed while the list is empty).
    for (int i = count > 1 ? count : 1; i < kRecentMax; ++i) RemoveMenu(menu, kFirstRecent + UINT(i), MF_BYCOMMAND);
    return filled;
}

int Menu_GridName(int grid, TCHAR *out, int size) {
    if (out == nullptr || size <= 0) return 0;
    out[0] = 0;
    const int field = MenuText_GridField(grid);
    if (field < 0) return 0;
    TCHAR names[256];
    if (Res_LoadText(names, IDS_GRID_NAMES, 256) <= 0) return 0;
    return MenuText_Field(names, field, out, size_t(size));
}

int Menu_UpdateSelectionText() {
    HMENU edit = Menu_GetPopupByIndex(kMenuEdit);
    const TCHAR *format = Menu_GetSelectionText();
    if (edit == nullptr || format == nullptr || format[0] == 0) return 0;
    TCHAR name[64];
    if (!Menu_GridName(g_settings.option[83], name, 64)) return 0;
    // wsprintf writes at most 1024 characters.
    TCHAR text[1025];
    wsprintf(text, format, name);
    return Menu_SetItemText(edit, 40022, false, text);
}

void Menu_UpdateEditState() {
    HMENU edit = Menu_GetPopupByIndex(kMenuEdit);
    if (edit == nullptr) return;
    ApplyDecision(edit, kMenuEdit);
}

bool Menu_UpdatePasteState(int menusToo) {
    const bool picture = IsClipboardFormatAvailable(CF_DIB) != 0;
    if (menusToo) {
        HMENU edit = Menu_GetPopupByIndex(kMenuEdit);
        Menu_EnableItem(edit, 40026, false, picture);
        Menu_EnableItem(edit, 40029, false, picture);
    }
    ToolbarEnable(40026, picture);
    return picture;
}

void Menu_UpdateToolbar() {
    if (g_menuStateHooks.toolbarEnable == nullptr) return;
    MenuFacts f;
    MenuState_GatherFacts(&f);
    ToolbarEnable(40006, f.canDelete);
    ToolbarEnable(40021, f.hasUndo);
    ToolbarEnable(40072, f.hasList);
    ToolbarEnable(40008, f.still);
    ToolbarEnable(40025, f.still);
    for (UINT id : {40041u, 40082u, 40083u, 40086u, 40087u}) ToolbarEnable(id, f.canShow);
}

int Menu_MeasureBar(HWND window, HMENU menu, int *width, int *height) {
    if (width != nullptr) *width = 0;
    if (height != nullptr) *height = 0;
    if (window == nullptr || menu == nullptr) return 0;
    const int count = GetMenuItemCount(menu);
    if (count <= 0) return 0;
    int sum = 0;
    RECT r{};
    for (int i = 0; i < count; ++i) {
        if (!GetMenuItemRect(window, menu, UINT(i), &r)) return 0;
        sum += r.right - r.left;
    }
    if (width != nullptr) *width = sum;
    if (height != nullptr) *height = r.bottom - r.top;
    return 1;
}
