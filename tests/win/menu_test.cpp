// The menu resource matches the sub-menu table the program relies on; key
// names after a TAB; the popup commands open a menu window.
#include <gtest/gtest.h>

#include <string>

#include "other/qv_Globals.h"
#include "other/qv_KeyMap.h"
#include "other/qv_KeyName.h"
#include "other/qv_Menu.h"
#include "other/qv_MenuProc.h"
#include "other/qv_MenuState.h"

namespace {

using tstring = std::basic_string<TCHAR>;

// Each sub-menu of the table holds the command that names it.
TEST(Menu, TableFindsEverySubMenuByPosition) {
    ASSERT_EQ(Menu_Create(nullptr), 1);
    const UINT firstCommand[kMenuPopupCount] = {40001, 40021, 40041, 40061, 40081, 40101, 40201, 40241,
                                                40221, 40401, 40421, 40601, 40681, 40641, 40661, 40801,
                                                41001, 41021, 41041, 41061, 41083, 41201};
    for (int i = 0; i < kMenuPopupCount; ++i) {
        HMENU m = Menu_GetPopupByIndex(i);
        ASSERT_NE(m, nullptr) << i;
        EXPECT_EQ(GetMenuItemID(m, 0), firstCommand[i]) << "sub-menu " << i;
        EXPECT_EQ(Menu_IndexOf(m), i);
    }
    EXPECT_EQ(Menu_GetPopupByIndex(22), nullptr);
    // The main popup holds the six top-level menus with separators between.
    EXPECT_EQ(GetMenuItemCount(Menu_GetMainPopup()), 11);
    Menu_DestroyAll(nullptr);
    EXPECT_EQ(Menu_GetPopupByIndex(0), nullptr);
}

TEST(Menu, AmpersandsAreDoubled) {
    TCHAR out[16];
    ASSERT_EQ(Menu_EscapeAmpersands(out, TEXT("A&B && C"), 16), 1);
    EXPECT_TRUE(tstring(out) == TEXT("A&&B &&&& C"));
    EXPECT_EQ(Menu_EscapeAmpersands(out, TEXT("&&&&&&&&"), 16), 0);
}

// A live map that binds 40001 to O and 45002 (the File popup) to Ctrl+F.
class MenuKeyNames : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(KeyName_LoadTable(), 0);
        ASSERT_TRUE(KeyName_IsLoaded());
        saved_ = g_keyMap;
        g_keyMap = KeyTable{2, bindings_};
        bindings_[0] = KeyBinding{40001, 1, {kKeyVirt}, {'O'}};
        bindings_[1] = KeyBinding{45002, 1, {kKeyVirt | kKeyCtrl}, {'F'}};
        g_process.startupComplete = 1;
        ASSERT_EQ(Menu_Create(nullptr), 1);
    }
    void TearDown() override {
        Menu_DestroyAll(nullptr);
        g_keyMap = saved_;
        g_process.startupComplete = 0;
    }
    static tstring Text(HMENU menu, UINT item, UINT how) {
        TCHAR text[256] = {};
        GetMenuString(menu, item, text, 256, how);
        return text;
    }
    KeyBinding bindings_[2] = {};
    KeyTable saved_{};
};

TEST_F(MenuKeyNames, KeyNamesFollowATab) {
    HMENU file = Menu_GetPopupByIndex(0);
    HMENU popup = Menu_GetMainPopup();
    for (int pass = 0; pass < 2; ++pass) {  // the second pass must not add the name again
        ASSERT_EQ(Menu_AddKeyNames(file), 1);
        ASSERT_EQ(Menu_AddKeyNames(popup), 1);
        EXPECT_TRUE(Text(file, 40001, MF_BYCOMMAND) == TEXT("&Open...\tO")) << pass;
        EXPECT_TRUE(Text(file, 40002, MF_BYCOMMAND) == TEXT("&Reload")) << pass;
        EXPECT_TRUE(Text(popup, 0, MF_BYPOSITION) == TEXT("&File\tCtrl+F")) << pass;
        EXPECT_TRUE(Text(popup, 2, MF_BYPOSITION) == TEXT("&Edit")) << pass;
    }
    // A key taken away takes its name along.
    bindings_[0].count = 0;
    ASSERT_EQ(Menu_AddKeyNames(file), 1);
    EXPECT_TRUE(Text(file, 40001, MF_BYCOMMAND) == TEXT("&Open..."));
}

TEST_F(MenuKeyNames, OnlyAfterStartUpAndForTheTopMenus) {
    g_process.startupComplete = 0;
    EXPECT_EQ(Menu_AddKeyNames(Menu_GetPopupByIndex(0)), 0);
    g_process.startupComplete = 1;
    EXPECT_EQ(Menu_AddKeyNames(Menu_GetPopupByIndex(6)), 0);  // recent folders carry no keys
    EXPECT_EQ(Menu_AddKeyNames(nullptr), 0);
}

// The popup commands run TrackPopupMenu; a thread timer sees the menu window
// and ends the menu. On a busy machine the menu may not show by the first
// tick, so the timer waits for it, up to a few seconds.
HWND s_seenMenu = nullptr;
int s_ticks = 0;
void CALLBACK EndMenuTimer(HWND, UINT, UINT_PTR, DWORD) {
    HWND menu = FindWindow(TEXT("#32768"), nullptr);
    if (menu != nullptr && IsWindowVisible(menu)) s_seenMenu = menu;
    if (s_seenMenu != nullptr || ++s_ticks > 100) EndMenu();
}

TEST(PopupCommands, OpenAMenuWindowOnlyWhenTheirMenuApplies) {
    WNDCLASS wc{};
    wc.lpfnWndProc = DefWindowProc;
    wc.hInstance = GetModuleHandle(nullptr);
    wc.lpszClassName = TEXT("QvPopupOwner");
    RegisterClass(&wc);
    HWND owner = CreateWindow(TEXT("QvPopupOwner"), TEXT(""), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200,
                              nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(owner, nullptr);
    ASSERT_EQ(Menu_Create(owner), 1);
    g_menuStateHooks = MenuStateHooks{};
    const struct {
        UINT id;
        bool opens;
    } cases[] = {{45001, true}, {45002, true}, {45016, true},
                 {45008, false},   // the recent-folder list is empty
                 {45012, false},   // nothing to show
                 {45013, false}};  // no still picture
    for (const auto &c : cases) {
        s_seenMenu = nullptr;
        s_ticks = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 30, EndMenuTimer);
        EXPECT_EQ(MenuProc_OnCommand(CommandMessage{owner, WM_COMMAND, c.id, 0}), 0) << c.id;
        KillTimer(nullptr, timer);
        EXPECT_EQ(s_seenMenu != nullptr, c.opens) << c.id;
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
    }
    // Ids of the block past 45023 are not popup commands.
    EXPECT_NE(MenuProc_OnCommand(CommandMessage{owner, 0, 45030, 0}), 0);
    Menu_DestroyAll(owner);
    DestroyWindow(owner);
}

}  // namespace
