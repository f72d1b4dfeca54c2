// The menu resource matches the sub-menu table the program relies on.
#include <gtest/gtest.h>

#include <string>

#include "other/qv_Menu.h"

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

}  // namespace
