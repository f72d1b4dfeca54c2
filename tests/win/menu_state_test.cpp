// Menu state under Wine: WM_INITMENUPOPUP sent to a real frame for each
// program state (no picture, 24-bit, 8-bit, selection, full screen, a
// picture on the clipboard) against GetMenuState of the items that depend
// on it; the recent-folder items; the selection-mode text.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "image/qv_ImgData.h"
#include "other/qv_Cfg.h"
#include "other/qv_CmdLine.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_Instance.h"
#include "other/qv_Menu.h"
#include "other/qv_MenuState.h"
#include "other/qv_Msg.h"
#include "other/qv_Settings.h"
#include "support/real_dibcore.h"
#include "support/real_frame.h"
#include "support/user_folder.h"
#include "support/view_fixture.h"

namespace {

using tstring = std::basic_string<TCHAR>;

bool s_selection = false;
const TCHAR *s_recent[4] = {};

bool PutDibOnClipboard(HWND owner) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + 4);
    bool ok = false;
    if (block != nullptr) {
        auto *h = static_cast<BITMAPINFOHEADER *>(GlobalLock(block));
        *h = BITMAPINFOHEADER{};
        h->biSize = sizeof *h;
        h->biWidth = h->biHeight = 1;
        h->biPlanes = 1;
        h->biBitCount = 24;
        GlobalUnlock(block);
        ok = SetClipboardData(CF_DIB, block) != nullptr;
        if (!ok) GlobalFree(block);
    }
    CloseClipboard();
    return ok;
}

void EmptyTheClipboard(HWND owner) {
    if (OpenClipboard(owner)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

class MenuState : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_TRUE(folder_.Open());
        RealFrame_Reset();
        ClearImgData();
        s_selection = false;
        for (auto &r : s_recent) r = nullptr;
        g_menuStateHooks = MenuStateHooks{};
        g_menuStateHooks.hasSelection = [] { return s_selection; };
        g_menuStateHooks.selectionMode = [] { return s_selection; };
        g_menuStateHooks.recentFolder = [](int i) -> const TCHAR * { return i >= 0 && i < 4 ? s_recent[i] : nullptr; };
        ASSERT_EQ(Frame_Create(g_process.instance, SW_HIDE), 0);
        ASSERT_EQ(Frame_CreateMenus(), 1);
        frame_ = g_process.frameWindow;
        EmptyTheClipboard(frame_);
    }
    void TearDown() override {
        EmptyTheClipboard(frame_);
        RealFrame_Destroy(frame_);
        ClearImgData();
        g_menuStateHooks = MenuStateHooks{};
    }
    void Picture(int bits) {
        ASSERT_TRUE(DibHolder_Create(g_imgData.image, 8, 6, bits, 0, 0, nullptr));
        g_imgData.state = kImgStill;
        g_imgData.pathText = path_;
    }
    // Opens the sub-menu as the system does, through the frame.
    void Prepare(int index) {
        HMENU menu = Menu_GetPopupByIndex(index);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(SendMessage(frame_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0), 0);
    }
    UINT State(int index, UINT item, bool byPosition = false) {
        return GetMenuState(Menu_GetPopupByIndex(index), item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND);
    }
    tstring Text(int index, UINT item, bool byPosition = false) {
        TCHAR text[600] = {};
        GetMenuString(Menu_GetPopupByIndex(index), item, text, 600, byPosition ? MF_BYPOSITION : MF_BYCOMMAND);
        return text;
    }

    RealDibcore lib_;
    TestUserFolder folder_{TEXT("menus"), TEXT("menus")};
    TCHAR path_[32] = TEXT("C:\\pictures\\a.bmp");
    HWND frame_ = nullptr;
};

enum Expect { Grayed, Enabled, Checked, Unchecked };
struct Item {
    int menu;
    UINT item;
    Expect expect;
    bool byPosition = false;
};

TEST_F(MenuState, ProgramStatesAgainstTheItemsThatDependOnThem) {
    ASSERT_TRUE(lib_.ok()) << lib_.problem();
    struct Case {
        const char *name;
        void (*setup)(MenuState *t);
        std::vector<Item> items;
    };
    const Case cases[] = {
        {"no picture", [](MenuState *) {},
         {{kMenuFile, 40002, Grayed}, {kMenuFile, 40007, Grayed}, {kMenuFile, 40008, Grayed},
          {kMenuFile, 40009, Grayed}, {kMenuFile, 13, Grayed, true}, {kMenuEdit, 40026, Grayed},
          {kMenuEdit, 40029, Grayed}, {kMenuImage, 40049, Grayed}, {kMenuImage, 40041, Grayed},
          {kMenuView, 40082, Grayed}, {kMenuView, 40081, Unchecked}, {kMenuRotate, 40601, Grayed}}},
        {"24-bit picture", [](MenuState *t) { t->Picture(24); },
         {{kMenuFile, 40002, Enabled}, {kMenuFile, 40007, Enabled}, {kMenuFile, 40008, Enabled},
          {kMenuFile, 40009, Enabled}, {kMenuImage, 40049, Grayed}, {kMenuImage, 40042, Enabled},
          {kMenuImage, 16, Enabled, true}, {kMenuEdit, 40025, Enabled}, {kMenuEdit, 40024, Grayed},
          {kMenuView, 40082, Enabled}, {kMenuView, 40086, Checked}, {kMenuWallpaper, 41201, Enabled}}},
        {"8-bit picture", [](MenuState *t) { t->Picture(8); },
         {{kMenuImage, 40049, Enabled}, {kMenuImage, 40048, Enabled}}},
        {"selection", [](MenuState *t) { t->Picture(24); s_selection = true; },
         {{kMenuEdit, 40024, Enabled}, {kMenuEdit, 40027, Enabled}, {kMenuEdit, 40022, Checked},
          {kMenuView, 40089, Grayed}}},
        {"full screen", [](MenuState *t) { t->Picture(24); g_settings.option[kOptFullScreen] = 1; },
         {{kMenuView, 40081, Checked}, {kMenuEdit, 40022, Grayed}, {kMenuEdit, 40023, Grayed},
          {kMenuEdit, 4, Grayed, true}, {kMenuWindow, 41001, Enabled}, {kMenuWindow, 41005, Grayed},
          {kMenuDisplayMode, 41021, Grayed}}},
        {"clipboard picture", [](MenuState *t) { ASSERT_TRUE(PutDibOnClipboard(t->frame_)); },
         {{kMenuEdit, 40026, Enabled}, {kMenuEdit, 40029, Enabled}, {kMenuFile, 40007, Grayed}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ClearImgData();
        s_selection = false;
        g_settings.option[kOptFullScreen] = 0;
        EmptyTheClipboard(frame_);
        c.setup(this);
        for (int index : {int(kMenuFile), int(kMenuEdit), int(kMenuImage), int(kMenuView), int(kMenuRotate),
                          int(kMenuWindow), int(kMenuDisplayMode), int(kMenuWallpaper)})
            Prepare(index);
        for (const Item &i : c.items) {
            const UINT state = State(i.menu, i.item, i.byPosition);
            ASSERT_NE(state, UINT(-1)) << "menu " << i.menu << " item " << i.item;
            switch (i.expect) {
                case Grayed: EXPECT_TRUE(state & MF_GRAYED) << i.item; break;
                case Enabled: EXPECT_FALSE(state & (MF_GRAYED | MF_DISABLED)) << i.item; break;
                case Checked: EXPECT_TRUE(state & MF_CHECKED) << i.item; break;
                case Unchecked: EXPECT_FALSE(state & MF_CHECKED) << i.item; break;
            }
        }
    }
}

TEST_F(MenuState, RadioMarksFollowTheOptions) {
    g_settings.option[83] = 16;  // selection grid 16 x 16
    g_settings.option[82] = 4;   // sort by date
    Prepare(kMenuSelGrid);
    Prepare(kMenuSort);
    EXPECT_TRUE(State(kMenuSelGrid, 40405) & MF_CHECKED);
    EXPECT_FALSE(State(kMenuSelGrid, 40401) & MF_CHECKED);
    EXPECT_TRUE(State(kMenuSort, 40802) & MF_CHECKED);
    EXPECT_FALSE(State(kMenuSort, 40801) & MF_CHECKED);
    // The radio mark, not a check mark.
    MENUITEMINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    ASSERT_TRUE(GetMenuItemInfo(Menu_GetPopupByIndex(kMenuSort), 40802, FALSE, &info));
    EXPECT_TRUE(info.fType & MFT_RADIOCHECK);
}

TEST_F(MenuState, SelectionModeTextNamesTheGrid) {
    const struct {
        int grid;
        const TCHAR *text;
    } cases[] = {{1, TEXT("Selection &mode (free)")}, {16, TEXT("Selection &mode (16 x 16)")},
                 {0, TEXT("Selection &mode (custom)")}};
    for (const auto &c : cases) {
        g_settings.option[83] = uint8_t(c.grid);
        Prepare(kMenuEdit);
        EXPECT_TRUE(Text(kMenuEdit, 40022) == c.text) << c.grid;
    }
    TCHAR name[16];
    EXPECT_EQ(Menu_GridName(3, name, 16), 0);
    EXPECT_EQ(name[0], 0);
}

TEST_F(MenuState, RecentFoldersAreShortenedEscapedAndEnabled) {
    tstring longFolder = TEXT("C:\\");
    while (longFolder.size() < 90) longFolder += TEXT("folder\\");
    longFolder += TEXT("last");  // about 100 characters
    ASSERT_GT(longFolder.size(), 64u);
    s_recent[0] = longFolder.c_str();
    s_recent[1] = TEXT("D:\\A&B");
    s_recent[2] = TEXT("E:\\third");
    Prepare(kMenuFile);
    EXPECT_FALSE(State(kMenuFile, 13, true) & MF_GRAYED) << "the recent-folder menu opens once the list has entries";
    Prepare(kMenuRecent);
    HMENU recent = Menu_GetPopupByIndex(kMenuRecent);
    ASSERT_EQ(GetMenuItemCount(recent), 3);
    const tstring first = Text(kMenuRecent, 40201);
    EXPECT_LE(first.size(), 64u);
    // The drive, the dots, then the last part.
    EXPECT_TRUE(first == TEXT("C:...\\last")) << std::string(first.begin(), first.end());
    EXPECT_FALSE(State(kMenuRecent, 40201) & (MF_GRAYED | MF_DISABLED)) << "the placeholder must be enabled";
    EXPECT_TRUE(Text(kMenuRecent, 40202) == TEXT("D:\\A&&B"));
    // The list shrinks: the items it no longer has go.
    s_recent[1] = nullptr;
    Prepare(kMenuRecent);
    EXPECT_EQ(GetMenuItemCount(recent), 1);
    // A folder of exactly 64 characters stays whole.
    tstring exact = TEXT("C:\\") + tstring(61, TEXT('x'));
    TCHAR out[kRecentItemUnits];
    ASSERT_EQ(Menu_FormatRecentItem(exact.c_str(), out), 1);
    EXPECT_TRUE(exact == out);
}

// The tool bar of a later issue hears about its buttons through the hook.
TEST_F(MenuState, ToolbarButtonsFollowPictureAndClipboard) {
    ASSERT_TRUE(lib_.ok()) << lib_.problem();
    static std::map<UINT, bool> buttons;
    buttons.clear();
    g_menuStateHooks.toolbarEnable = [](UINT id, bool on) { buttons[id] = on; };
    Menu_UpdateToolbar();
    EXPECT_FALSE(buttons.at(40008));
    EXPECT_FALSE(buttons.at(40087));
    Picture(24);
    Menu_UpdateToolbar();
    EXPECT_TRUE(buttons.at(40008));
    EXPECT_TRUE(buttons.at(40025));
    EXPECT_TRUE(buttons.at(40087));
    EXPECT_FALSE(buttons.at(40021));  // no undo
    EXPECT_FALSE(Menu_UpdatePasteState(1));
    EXPECT_FALSE(buttons.at(40026));
    ASSERT_TRUE(PutDibOnClipboard(frame_));
    EXPECT_TRUE(Menu_UpdatePasteState(1));
    EXPECT_TRUE(buttons.at(40026));
    EXPECT_FALSE(State(kMenuEdit, 40029) & MF_GRAYED);
}

TEST_F(MenuState, MenuBarIsMeasured) {
    int width = -1, height = -1;
    EXPECT_EQ(Menu_MeasureBar(frame_, nullptr, &width, &height), 0);
    EXPECT_EQ(width, 0);
    ASSERT_TRUE(SetMenu(frame_, Menu_GetMain()));
    ASSERT_EQ(Menu_MeasureBar(frame_, Menu_GetMain(), &width, &height), 1);
    RECT first{}, last{};
    ASSERT_TRUE(GetMenuItemRect(frame_, Menu_GetMain(), 0, &first));
    ASSERT_TRUE(GetMenuItemRect(frame_, Menu_GetMain(), 5, &last));
    EXPECT_GE(width, last.right - first.left);  // six items side by side
    EXPECT_EQ(height, last.bottom - last.top);
    EXPECT_GT(height, 0);
}

TEST_F(MenuState, UnknownMenusGoToDefaultHandling) {
    HMENU other = CreatePopupMenu();
    EXPECT_EQ(Menu_PrepareState(other), 0);
    EXPECT_EQ(Menu_PrepareState(nullptr), 0);
    DestroyMenu(other);
    EXPECT_EQ(Menu_PrepareState(Menu_GetMainPopup()), 1);
}

}  // namespace
