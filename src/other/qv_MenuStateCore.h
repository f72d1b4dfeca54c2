// What each menu shows before it opens, decided from plain facts: which
// items are grayed, checked or carry the radio mark. The Win32 side gathers
// the facts (qv_MenuState) and applies the steps; the rules live here so a
// table test can walk them without a window.
#pragma once

#include <cstddef>
#include <cstdint>

// Indexes of the sub-menu table (qv_Menu).
enum MenuIndex : int {
    kMenuFile = 0,
    kMenuEdit,
    kMenuImage,
    kMenuList,
    kMenuView,
    kMenuOther,
    kMenuRecent,
    kMenuNewInstance,
    kMenuOtherApps,
    kMenuSelGrid,
    kMenuCopyName,
    kMenuRotate,
    kMenuSharpen,
    kMenuMasks,
    kMenuChannelSwap,
    kMenuSort,
    kMenuWindow,
    kMenuDisplayMode,
    kMenuFitType,
    kMenuAutoRotation,
    kMenuComic,
    kMenuWallpaper,
    kMenuIndexCount
};

// The state of the program the menus show. Everything false or 0 is the
// state of a program with nothing open.
struct MenuFacts {
    // picture
    bool hasFile = false;      // the picture was read from a file (reload)
    bool canShow = false;      // a picture or an animation can be shown
    bool still = false;        // a still picture is loaded
    bool anything = false;     // anything is loaded (close)
    int32_t bitsPerPixel = 0;
    // file operations on the current file
    bool canRename = false, canMove = false, canCopy = false, canDelete = false;
    bool hasRecent = false;    // the recent-folder list has an entry
    // editing
    bool hasUndo = false;
    bool hasSelection = false;
    bool selectionMode = false;
    bool clipboardPicture = false;
    // list
    bool hasList = false;
    int32_t listPictures = 0;
    bool slideRunning = false;
    // view
    bool fullScreen = false;
    uint32_t zoomMode = 0;     // ImgData zoom mode bits: 0x1 fit, 0x2 fixed
    bool zoomLock = false;
    bool hoverScroll = false;
    bool comicMode = false;
    bool comicLeftToRight = false;
    bool comicAuto = false;
    int32_t rotateOption = 0;  // 0..7
    int32_t selGrid = 1;       // 1, 2, 4, 8, 16, 32, 0 custom
    int32_t sortKey = 1;       // 1 name, 2 size, 3 extension, 4 date, 5 random
    bool sortDescending = false;
    bool sortNatural = false;
    // window, for the current layout (windowed or full screen)
    bool canRestore = false;
    bool minimised = false, maximised = false;
    bool topMost = false;
    bool caption = false, frame = false, edge = false, menuBar = false;
    bool toolbar = false, statusBar = false, scrollBars = false;
    int32_t showMode = 0;      // 0..5
    int32_t fitType = 0;       // 0..3
    // other
    int32_t platformCode = 61;
    bool wallpaperExists = false;
};

enum class MenuAct : uint8_t {
    Gray,   // on: grayed (disabled); off: enabled
    Check,  // on: checked
    Radio,  // radio mark on `selected` among item..last (by command)
};

struct MenuStep {
    MenuAct act;
    bool byPosition;   // item is a position in the menu, else a command id
    bool on;
    uint16_t item;
    uint16_t last;      // Radio only
    uint16_t selected;  // Radio only
};

constexpr int kMenuStepsMax = 48;

// The steps that bring sub-menu `index` in line with the facts; their count
// (0 for menus filled elsewhere or an unknown index). out holds capacity
// steps; kMenuStepsMax is always enough.
int MenuState_Decide(int index, const MenuFacts &facts, MenuStep *out, int capacity);

// Popup commands 45002..45023: the sub-menu each one shows, and what it needs.
enum class PopupNeed : uint8_t { None, RecentEntry, CanShow, Still };
struct PopupCommandRow {
    uint16_t id;
    uint8_t index;  // sub-menu table index
    PopupNeed need;
};
// The row of an id, or null outside 45002..45023.
const PopupCommandRow *MenuState_PopupCommand(uint32_t id);

// The popup commands that stand for the items opening sub-menus, in item
// order, for the main popup (menu -1) and the top-level menus 0..5; 0 ends
// the list. Null for other menus.
const uint16_t *MenuState_SubMenuCommands(int menu);
