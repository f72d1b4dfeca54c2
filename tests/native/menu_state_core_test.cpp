// The menu state rules over a simulated menu: each program state against the
// items that depend on it; the popup-command table; the menu text rules.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "other/qv_MenuStateCore.h"
#include "other/qv_MenuTextCore.h"

namespace {

// A menu as the steps leave it: grayed and checked per item, with items
// addressed by command id, positions kept apart (key 100000 + position).
struct ItemState {
    bool grayed = false;
    bool checked = false;
};
using SimMenu = std::map<uint32_t, ItemState>;

SimMenu Apply(int index, const MenuFacts &f) {
    MenuStep steps[kMenuStepsMax];
    const int n = MenuState_Decide(index, f, steps, kMenuStepsMax);
    EXPECT_LT(n, kMenuStepsMax) << "menu " << index << " may have lost steps";
    SimMenu m;
    for (int i = 0; i < n; ++i) {
        const MenuStep &s = steps[i];
        const uint32_t key = s.byPosition ? 100000u + s.item : s.item;
        switch (s.act) {
            case MenuAct::Gray: m[key].grayed = s.on; break;
            case MenuAct::Check: m[key].checked = s.on; break;
            case MenuAct::Radio:
                for (uint32_t id = s.item; id <= s.last; ++id) m[id].checked = id == s.selected;
                break;
        }
    }
    return m;
}

enum Expect : uint8_t { Enabled, Grayed, Checked, Unchecked };
struct ItemCase {
    int menu;
    uint32_t item;  // command id, or 100000 + position
    Expect expect;
};

void ExpectItems(const MenuFacts &f, std::initializer_list<ItemCase> cases, const char *state) {
    for (const ItemCase &c : cases) {
        SimMenu m = Apply(c.menu, f);
        auto it = m.find(c.item);
        ASSERT_NE(it, m.end()) << state << ": menu " << c.menu << " never sets item " << c.item;
        switch (c.expect) {
            case Enabled: EXPECT_FALSE(it->second.grayed) << state << ": " << c.item << " should be enabled"; break;
            case Grayed: EXPECT_TRUE(it->second.grayed) << state << ": " << c.item << " should be grayed"; break;
            case Checked: EXPECT_TRUE(it->second.checked) << state << ": " << c.item << " should be checked"; break;
            case Unchecked:
                EXPECT_FALSE(it->second.checked) << state << ": " << c.item << " should be unchecked";
                break;
        }
    }
}

MenuFacts Picture(int bits) {
    MenuFacts f;
    f.hasFile = f.canShow = f.still = f.anything = true;
    f.bitsPerPixel = bits;
    f.hasList = true;
    f.listPictures = 3;
    return f;
}

TEST(MenuStateCore, StatesAgainstTheItemsThatDependOnThem) {
    const MenuFacts none;
    ExpectItems(none,
                {{kMenuFile, 40002, Grayed}, {kMenuFile, 40007, Grayed}, {kMenuFile, 40008, Grayed},
                 {kMenuFile, 40009, Grayed}, {kMenuFile, 100013, Grayed}, {kMenuEdit, 40025, Grayed},
                 {kMenuEdit, 40030, Grayed}, {kMenuEdit, 40026, Grayed}, {kMenuEdit, 40024, Grayed},
                 {kMenuImage, 40041, Grayed}, {kMenuImage, 40049, Grayed}, {kMenuImage, 100004, Grayed},
                 {kMenuView, 40082, Grayed}, {kMenuView, 40087, Grayed}, {kMenuList, 40074, Grayed},
                 {kMenuList, 40072, Grayed}, {kMenuRotate, 40605, Grayed}, {kMenuWallpaper, 41201, Grayed},
                 {kMenuWallpaper, 41204, Grayed}, {kMenuWindow, 41001, Grayed}},
                "no picture");

    ExpectItems(Picture(24),
                {{kMenuFile, 40002, Enabled}, {kMenuFile, 40007, Enabled}, {kMenuFile, 40009, Enabled},
                 {kMenuImage, 40049, Grayed}, {kMenuImage, 40048, Enabled}, {kMenuImage, 100016, Enabled},
                 {kMenuEdit, 40025, Enabled}, {kMenuEdit, 40023, Enabled}, {kMenuView, 40086, Checked},
                 {kMenuView, 40087, Unchecked}, {kMenuList, 40074, Enabled}, {kMenuRotate, 40605, Enabled}},
                "24-bit picture");

    ExpectItems(Picture(8), {{kMenuImage, 40049, Enabled}}, "8-bit picture");

    MenuFacts selection = Picture(24);
    selection.hasSelection = selection.selectionMode = true;
    ExpectItems(selection,
                {{kMenuEdit, 40024, Enabled}, {kMenuEdit, 40027, Enabled}, {kMenuEdit, 40022, Checked},
                 {kMenuView, 40089, Grayed}},
                "selection");

    MenuFacts full = Picture(24);
    full.fullScreen = true;
    full.caption = full.frame = full.menuBar = true;
    full.maximised = true;
    ExpectItems(full,
                {{kMenuView, 40081, Checked}, {kMenuEdit, 40022, Grayed}, {kMenuEdit, 40023, Grayed},
                 {kMenuEdit, 100004, Grayed}, {kMenuWindow, 41001, Enabled}, {kMenuWindow, 41003, Grayed},
                 {kMenuWindow, 41006, Grayed}, {kMenuWindow, 41005, Unchecked}, {kMenuWindow, 41008, Unchecked},
                 {kMenuWindow, 41003, Unchecked}, {kMenuDisplayMode, 41024, Grayed},
                 {kMenuDisplayMode, 41022, Enabled}},
                "full screen");

    MenuFacts clip;
    clip.clipboardPicture = true;
    ExpectItems(clip, {{kMenuEdit, 40026, Enabled}, {kMenuEdit, 40029, Enabled}}, "clipboard picture");

    MenuFacts windowed = Picture(24);
    windowed.caption = true;
    windowed.frame = true;
    ExpectItems(windowed,
                {{kMenuWindow, 41006, Grayed}, {kMenuWindow, 41005, Checked}, {kMenuWindow, 41006, Checked}},
                "caption on");
    windowed.caption = false;
    ExpectItems(windowed, {{kMenuWindow, 41006, Enabled}}, "caption off");

    MenuFacts oldPlatform = Picture(24);
    oldPlatform.platformCode = 60;
    oldPlatform.wallpaperExists = true;
    ExpectItems(oldPlatform,
                {{kMenuWallpaper, 41205, Grayed}, {kMenuWallpaper, 41206, Grayed},
                 {kMenuWallpaper, 41203, Enabled}, {kMenuWallpaper, 41204, Enabled}},
                "platform 60");
}

// Exactly one item of each radio group is marked, also for values out of range.
TEST(MenuStateCore, RadioGroupsMarkTheOptionsItem) {
    struct Case {
        int menu;
        void (*set)(MenuFacts &);
        uint32_t marked;
    };
    const Case cases[] = {
        {kMenuSelGrid, [](MenuFacts &f) { f.selGrid = 16; }, 40405},
        {kMenuSelGrid, [](MenuFacts &f) { f.selGrid = 0; }, 40407},
        {kMenuSort, [](MenuFacts &f) { f.sortKey = 4; }, 40802},  // date is the second item
        {kMenuSort, [](MenuFacts &f) { f.sortKey = 2; }, 40803},
        {kMenuDisplayMode, [](MenuFacts &f) { f.showMode = 3; }, 41024},
        {kMenuFitType, [](MenuFacts &f) { f.fitType = 3; }, 41044},
        {kMenuAutoRotation, [](MenuFacts &f) { f.rotateOption = 7; }, 41068},
        {kMenuAutoRotation, [](MenuFacts &f) { f.rotateOption = 99; }, 41061},
        {kMenuComic, [](MenuFacts &f) { f.comicLeftToRight = true; }, 41084},
        {kMenuComic, [](MenuFacts &) {}, 41083},
    };
    for (const Case &c : cases) {
        MenuFacts f;
        c.set(f);
        SimMenu m = Apply(c.menu, f);
        int marks = 0;
        for (const auto &item : m)
            if (item.first < 100000 && item.second.checked && item.first != 40806 && item.first != 40807 &&
                item.first != 41085)
                ++marks;
        EXPECT_EQ(marks, 1) << "menu " << c.menu;
        EXPECT_TRUE(m[c.marked].checked) << "menu " << c.menu << " item " << c.marked;
    }
}

TEST(MenuStateCore, FilledMenusAndUnknownIndexesHaveNoSteps) {
    MenuStep steps[kMenuStepsMax];
    for (int index : {int(kMenuRecent), int(kMenuOtherApps), int(kMenuNewInstance), int(kMenuCopyName), -1, int(kMenuIndexCount)})
        EXPECT_EQ(MenuState_Decide(index, MenuFacts{}, steps, kMenuStepsMax), 0) << index;
    // A short buffer is never overrun.
    EXPECT_EQ(MenuState_Decide(kMenuWindow, MenuFacts{}, steps, 3), 3);
    EXPECT_EQ(MenuState_Decide(kMenuWindow, MenuFacts{}, nullptr, 10), 0);
}

TEST(MenuStateCore, PopupCommandsShowTheirSubMenus) {
    // The fixed index table and the needs of the guarded ones.
    struct Case {
        uint32_t id;
        int index;
        PopupNeed need;
    };
    const Case cases[] = {
        {45002, kMenuFile, PopupNeed::None},       {45008, kMenuRecent, PopupNeed::RecentEntry},
        {45023, kMenuNewInstance, PopupNeed::None}, {45009, kMenuOtherApps, PopupNeed::None},
        {45012, kMenuRotate, PopupNeed::CanShow},  {45022, kMenuSharpen, PopupNeed::Still},
        {45013, kMenuMasks, PopupNeed::Still},     {45014, kMenuChannelSwap, PopupNeed::Still},
        {45021, kMenuWallpaper, PopupNeed::None},
    };
    for (const Case &c : cases) {
        const PopupCommandRow *row = MenuState_PopupCommand(c.id);
        ASSERT_NE(row, nullptr) << c.id;
        EXPECT_EQ(row->id, c.id);
        EXPECT_EQ(row->index, c.index) << c.id;
        EXPECT_EQ(row->need, c.need) << c.id;
    }
    // Every index 0..21 is reached exactly once.
    int seen[kMenuIndexCount] = {};
    for (uint32_t id = 45002; id <= 45023; ++id) ++seen[MenuState_PopupCommand(id)->index];
    for (int count : seen) EXPECT_EQ(count, 1);
    EXPECT_EQ(MenuState_PopupCommand(45001), nullptr);
    EXPECT_EQ(MenuState_PopupCommand(45024), nullptr);
    // The key-name lists: main popup and the top-level menus, nothing else.
    EXPECT_EQ(MenuState_SubMenuCommands(-1)[5], 45007);
    EXPECT_EQ(MenuState_SubMenuCommands(kMenuImage)[1], 45022);
    EXPECT_EQ(MenuState_SubMenuCommands(kMenuFile)[3], 0);
    EXPECT_EQ(MenuState_SubMenuCommands(kMenuRecent), nullptr);
}

using U16 = std::u16string;

TEST(MenuText, StripMnemonic) {
    const std::pair<U16, U16> cases[] = {
        {u"&Open...\tCtrl+O", u"Open..."},
        {u"Open(&O)", u"Open"},
        {u"(&O) Open", u"Open"},
        {u"(&O)   Open (&P)", u"Open "},
        {u"Save && &Close", u"Save & Close"},
        {u"&&&&", u"&&"},
        {u"Trailing &", u"Trailing "},
        {u"", u""},
        {u"\tOnly key", u""},
        {u"(&", u"("},
    };
    for (const auto &c : cases) {
        U16 text = c.first;
        const size_t n = MenuText_StripMnemonic(text.data());
        EXPECT_EQ(U16(text.c_str()), c.second);
        EXPECT_EQ(n, c.second.size());
    }
    EXPECT_EQ(MenuText_StripMnemonic(static_cast<char *>(nullptr)), 0u);
}

TEST(MenuText, KeyNameAfterTab) {
    char16_t text[kMenuKeyTextUnits + 8] = u"&Open...\tOld";
    EXPECT_EQ(MenuText_SetKeyName(text, 40, u"Ctrl+O"), 15u);
    EXPECT_EQ(U16(text), u"&Open...\tCtrl+O");
    // Again with the same name: the text does not grow.
    MenuText_SetKeyName(text, 40, u"Ctrl+O");
    EXPECT_EQ(U16(text), u"&Open...\tCtrl+O");
    // No name: the text alone.
    MenuText_SetKeyName(text, 40, u"");
    EXPECT_EQ(U16(text), u"&Open...");
    // Text, TAB and name must fit in the buffer and in 768 units.
    EXPECT_EQ(MenuText_SetKeyName(text, 12, u"Ctrl+O"), 8u);
    U16 longText(kMenuKeyTextUnits - 4, u'x');
    std::copy(longText.begin(), longText.end(), text);
    text[longText.size()] = 0;
    EXPECT_EQ(MenuText_SetKeyName(text, sizeof text / sizeof text[0], u"F12"), longText.size());
    EXPECT_EQ(MenuText_SetKeyName(text, sizeof text / sizeof text[0], u"F1"), longText.size() + 3);
}

TEST(MenuText, GridNames) {
    const char16_t *names = u"free\t2 x 2\t4 x 4\t8 x 8\t16 x 16\t32 x 32\tcustom";
    const std::pair<int32_t, U16> cases[] = {{1, u"free"}, {2, u"2 x 2"}, {16, u"16 x 16"}, {0, u"custom"}};
    for (const auto &c : cases) {
        char16_t out[32];
        ASSERT_EQ(MenuText_Field(names, MenuText_GridField(c.first), out, 32), 1) << c.first;
        EXPECT_EQ(U16(out), c.second);
    }
    for (int32_t bad : {3, 64, -1}) EXPECT_EQ(MenuText_GridField(bad), -1);
    char16_t small[4];
    EXPECT_EQ(MenuText_Field(names, 4, small, 4), 0);  // "16 x 16" does not fit
    EXPECT_EQ(small[0], 0);
    EXPECT_EQ(MenuText_Field(u"a\tb", 2, small, 4), 0);
}

}  // namespace
