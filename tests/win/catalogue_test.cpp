// The command catalogue: where commands are found, that every command of the
// main menu, the default key map and the default mouse table has a name, and
// the name without its mnemonic.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "../../res/resource.h"
#include "other/qv_CommandCatalogue.h"
#include "other/qv_KeyMap.h"

namespace {

using tstring = std::basic_string<TCHAR>;

class Catalogue : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Menu_BuildCommandMenus(), 1); }
    void TearDown() override { Menu_DestroyCommandMenus(); }
    static tstring Name(unsigned id, tstring *parent = nullptr) {
        TCHAR text[256], parentText[256];
        const int n = Menu_GetCommandText(id, text, 256, parentText, 256, 0);
        EXPECT_EQ(n, lstrlen(text)) << id;
        if (parent != nullptr) *parent = parentText;
        return text;
    }
};

TEST_F(Catalogue, CommandsAreFoundInTheirSlots) {
    EXPECT_EQ(Menu_BuildCommandMenus(), 1);  // built once
    struct Case {
        unsigned id;
        int slot;
        const TCHAR *name;
        const TCHAR *parent;
    };
    const Case cases[] = {
        {40243, 20, TEXT("Picture through the &clipboard"), TEXT("New &window")},
        {45045, 3, TEXT("Actual size or fit"), TEXT("More file commands")},
        {40001, 13, TEXT("&Open..."), TEXT("&File")},
        {40225, 21, TEXT("Application 5"), TEXT("Other a&pplications")},
        {40022, 14, TEXT("Selection &mode"), TEXT("&Edit")},  // without the grid's "%s"
        {45069, 8, TEXT("Scroll to the bottom-right corner"), TEXT("Scroll to a position")},
        {45001, 4, TEXT("Main popup menu"), TEXT("Popup menus")},
        {45013, 6, TEXT("Masks"), TEXT("Sub-menus")},
        {50022, 1, TEXT("Zoom"), TEXT("Mouse drag")},
        // Placed where the resources put them, outside their range's slot.
        {41081, 17, TEXT("Page &back"), TEXT("&View")},
        {41082, 17, TEXT("Page f&orward"), TEXT("&View")},
        {45115, 7, TEXT("Scroll one page left (reading direction)"), TEXT("Scroll by key")},
        {45142, 9, TEXT("Next file (tool bar)"), TEXT("Comic-aware navigation")},
    };
    for (const Case &c : cases) {
        tstring parent;
        EXPECT_TRUE(Name(c.id, &parent) == c.name) << c.id;
        EXPECT_TRUE(parent == c.parent) << c.id;
        EXPECT_EQ(Menu_FindCommandSlot(c.id), c.slot) << c.id;
        EXPECT_EQ(Menu_GetCommandText(c.id, nullptr, 0, nullptr, 0, 1), 1) << c.id;
    }
}

TEST_F(Catalogue, UnknownIdsEmptyTheTexts) {
    for (unsigned id : {0u, 40000u, 40010u, 40047u, 45024u, 45200u, 65535u, 70000u}) {
        TCHAR text[16] = TEXT("x"), parent[16] = TEXT("y");
        EXPECT_EQ(Menu_GetCommandText(id, text, 16, parent, 16, 0), 0) << id;
        EXPECT_EQ(text[0], 0);
        EXPECT_EQ(parent[0], 0);
        EXPECT_EQ(Menu_GetCommandText(id, nullptr, 0, nullptr, 0, 1), 0) << id;
    }
    // A short buffer gets the start of the name.
    TCHAR small[5];
    EXPECT_EQ(Menu_GetCommandText(40001, small, 5, nullptr, 0, 0), 4);
    EXPECT_TRUE(tstring(small) == TEXT("&Ope"));
}

void CollectIds(HMENU menu, std::set<unsigned> *ids) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            CollectIds(sub, ids);
            continue;
        }
        const UINT id = GetMenuItemID(menu, i);
        if (id != 0 && id != UINT(-1)) ids->insert(id);
    }
}

// No bound or shown command may become unknown because of where the
// resources put it.
TEST_F(Catalogue, EveryMenuKeyAndMouseCommandHasAName) {
    std::set<unsigned> ids;
    HMENU main = LoadMenu(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDM_MAIN));
    ASSERT_NE(main, nullptr);
    CollectIds(main, &ids);
    DestroyMenu(main);
    EXPECT_GT(ids.size(), 150u);
    KeyTable defaults{0, nullptr};
    ASSERT_EQ(KeyMap_LoadDefault(&defaults), 0);
    EXPECT_EQ(defaults.count, 105);
    for (int i = 0; i < defaults.count; ++i) ids.insert(defaults.items[i].command);
    KeyMap_Free(&defaults);
    // The default mouse table.
    for (unsigned id : {40081u, 45001u, 40011u, 40061u, 40062u, 45121u, 45122u, 45123u, 45124u, 45044u}) ids.insert(id);
    for (unsigned id : ids) {
        EXPECT_EQ(Menu_GetCommandText(id, nullptr, 0, nullptr, 0, 1), 1) << id << " is unknown";
        EXPECT_FALSE(Name(id).empty()) << id;
    }
}

TEST_F(Catalogue, CopiedMenuLosesKeyTextsAndKeepsItsOwnTexts) {
    // The live other-applications menu is replaced by named slots; no "%s"
    // survives anywhere in the catalogue.
    for (unsigned id = 40221; id <= 40229; ++id) EXPECT_EQ(Name(id).find(TEXT("%")), tstring::npos) << id;
    EXPECT_TRUE(Name(40231) == TEXT("Applications settings..."));
    EXPECT_EQ(Menu_FindCommandSlot(40201), 19);
}

TEST(CatalogueText, StripMnemonic) {
    const std::pair<const TCHAR *, const TCHAR *> cases[] = {
        {TEXT("Page f&orward"), TEXT("Page forward")},
        {TEXT("Open(&O)\tCtrl+O"), TEXT("Open")},
        {TEXT("(&F) File"), TEXT("File")},
        {TEXT("Save && &close"), TEXT("Save & close")},
    };
    for (const auto &c : cases) {
        TCHAR text[64];
        lstrcpy(text, c.first);
        EXPECT_EQ(Menu_StripMnemonic(text), lstrlen(c.second));
        EXPECT_TRUE(tstring(text) == c.second) << c.second;
    }
}

// Without the build the catalogue knows nothing; the first query builds it.
TEST(CatalogueLazy, FirstQueryBuildsTheCatalogue) {
    Menu_DestroyCommandMenus();
    EXPECT_EQ(Menu_GetCommandRoot(), nullptr);
    EXPECT_EQ(Menu_GetCommandText(40001, nullptr, 0, nullptr, 0, 1), 1);
    EXPECT_NE(Menu_GetCommandRoot(), nullptr);
    Menu_DestroyCommandMenus();
}

}  // namespace
