// The recent folders on real folders with the build's own dibcore.dll: a
// folder is listed with its last file when it is left and at exit, never
// while paging; a folder written in another case is the same entry; the
// recent-folder commands open an entry at its file or report a folder that
// is gone; the commit marks; the menu and the configuration file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "image/qv_FileList.h"
#include "image/qv_Format.h"
#include "image/qv_ImgData.h"
#include "image/qv_Open.h"
#include "other/qv_Cfg.h"
#include "other/qv_Dlg.h"
#include "other/qv_MenuProc.h"
#include "other/qv_MenuState.h"
#include "other/qv_Mru.h"
#include "other/qv_Msg.h"
#include "other/qv_RecentCommands.h"
#include "other/qv_Settings.h"
#include "support/capture_boxes.h"
#include "support/real_dibcore.h"
#include "support/temp_folder.h"
#include "support/user_folder.h"
#include "util/qv_Path.h"
#include "util/qv_Str.h"

namespace {

constexpr int kOptKeepRecent = 36;       // [MRUD] Save
constexpr int kOptListFolderMoves = 68;  // NxtDirMRU

// A 24-bit 2x2 BMP.
std::string Bmp() {
    std::string out("BM", 2);
    auto put = [&out](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(char(v >> (8 * i)));
    };
    put(54 + 16, 4), put(0, 4), put(54, 4), put(40, 4), put(2, 4), put(2, 4), put(1, 2), put(24, 2);
    put(0, 4), put(16, 4), put(2835, 4), put(2835, 4), put(0, 4), put(0, 4);
    out.append(16, '\x40');
    return out;
}

int FakeArea(int32_t *width, int32_t *height, int32_t *vBar, int32_t *hBar) {
    *width = 100;
    *height = 80;
    *vBar = *hBar = 0;
    return 1;
}

tstring Upper(tstring s) {
    CharUpperBuff(&s[0], DWORD(s.size()));
    return s;
}

// "folder|file" of every entry, newest first.
std::vector<tstring> Entries() {
    std::vector<tstring> out;
    const TCHAR *file = nullptr;
    for (int i = 0; const TCHAR *folder = Mru_Get(i, &file); ++i) out.push_back(tstring(folder) + TEXT("|") + file);
    return out;
}

tstring Entry(const tstring &folder, const TCHAR *file) { return folder + TEXT("|") + file; }

tstring Shown() { return g_imgData.fileName != nullptr ? tstring(g_imgData.fileName) : tstring(); }
tstring ListPath() {
    const FileList *list = FileList_Current();
    return list != nullptr && list->path != nullptr ? tstring(list->path) : tstring();
}

class RecentFolders : public RealDibcoreSuite {
protected:
    void SetUp() override {
        ASSERT_TRUE(lib_->ok()) << lib_->problem();
        ASSERT_TRUE(Format_RegisterBuiltins());
        Settings_InitBoth(61);
        g_imgDataHooks = ImgDataHooks{};
        g_imgDataHooks.area = FakeArea;
        g_openHooks = OpenHooks{};
        g_menuStateHooks = MenuStateHooks{};
        ImgData_Construct();
        Mru_ResetForTests();
        Mru_InstallHooks();
        for (const TCHAR *name : {TEXT("A"), TEXT("B")}) ASSERT_TRUE(CreateDirectory(root_.Join(name).c_str(), nullptr));
        for (const TCHAR *name : {TEXT("A\\a1.bmp"), TEXT("A\\a2.bmp"), TEXT("B\\b1.bmp"), TEXT("B\\b2.bmp")})
            ASSERT_TRUE(WriteFileBytes(root_.Join(name), Bmp()));
        a_ = root_.Join(TEXT("A"));
        b_ = root_.Join(TEXT("B"));
    }
    void TearDown() override {
        ImgData_Shutdown();
        FileList_FreeCurrent();
        g_imgDataHooks = ImgDataHooks{};
        g_openHooks = OpenHooks{};
        g_menuStateHooks = MenuStateHooks{};
        Format_DestroyRegistry();
        Mru_ResetForTests();
    }

    // Folder A left at its second picture for folder B, which is shown at
    // its first: the state the commands below start from.
    void VisitAThenB() {
        ASSERT_EQ(Open_Path(root_.Join(TEXT("A\\a1.bmp")).c_str(), nullptr, 0), 1);
        ASSERT_EQ(ImgData_Load(1, kLoadStep), 1);
        ASSERT_EQ(Shown(), TEXT("a2.bmp"));
        ASSERT_EQ(Open_Path(b_.c_str(), nullptr, 0), 1);
        ASSERT_EQ(Shown(), TEXT("b1.bmp"));
    }

    TempFolder root_{TEXT("recent")};
    tstring a_, b_;
};


TEST_F(RecentFolders, AFolderIsListedWhenLeftNeverWhilePaging) {
    ASSERT_EQ(Open_Path(root_.Join(TEXT("A\\a1.bmp")).c_str(), nullptr, 0), 1);
    EXPECT_EQ(Entries(), (std::vector<tstring>{Entry(a_, TEXT("a1.bmp"))}));
    ASSERT_EQ(ImgData_Load(1, kLoadStep), 1);
    EXPECT_EQ(Entries(), (std::vector<tstring>{Entry(a_, TEXT("a1.bmp"))})) << "paging must not commit";
    EXPECT_EQ(tstring(Mru_PendingFolder()), a_);

    ASSERT_EQ(Open_Path(b_.c_str(), nullptr, 0), 1);
    EXPECT_EQ(Entries(), (std::vector<tstring>{Entry(b_, TEXT("b1.bmp")), Entry(a_, TEXT("a2.bmp"))}));
    ASSERT_EQ(ImgData_Load(1, kLoadStep), 1);
    EXPECT_EQ(Entries(), (std::vector<tstring>{Entry(b_, TEXT("b1.bmp")), Entry(a_, TEXT("a2.bmp"))}));

    // The exit commits the folder shown last with its file.
    EXPECT_EQ(Mru_Commit(1), 1);
    EXPECT_EQ(Entries(), (std::vector<tstring>{Entry(b_, TEXT("b2.bmp")), Entry(a_, TEXT("a2.bmp"))}));
    EXPECT_EQ(tstring(Mru_PendingFolder()), TEXT(""));

    // The same folder written in capitals is the same entry.
    ASSERT_EQ(Open_Path(Upper(root_.Join(TEXT("A\\A1.BMP"))).c_str(), nullptr, 0), 1);
    const std::vector<tstring> e = Entries();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(Str_EqualNoCase(e[0].c_str(), Entry(a_, TEXT("a1.bmp")).c_str()), true) << e[0];
    EXPECT_EQ(e[1], Entry(b_, TEXT("b2.bmp")));
}

TEST_F(RecentFolders, CommandOpensTheEntryAtItsFile) {
    VisitAThenB();
    ASSERT_EQ(RecentCommands_OnCommand(nullptr, kFirstRecentCommand + 1), 0);
    EXPECT_TRUE(Path_IsSame(1, ListPath().c_str(), a_.c_str())) << ListPath();
    EXPECT_EQ(Shown(), TEXT("a2.bmp"));
    EXPECT_EQ(Entries(), (std::vector<tstring>{Entry(a_, TEXT("a2.bmp")), Entry(b_, TEXT("b1.bmp"))}));

    // Opening the entry of the folder being shown: its texts are replaced
    // while it is opened.
    ASSERT_EQ(RecentCommands_OnCommand(nullptr, kFirstRecentCommand), 0);
    EXPECT_EQ(Shown(), TEXT("a2.bmp"));

    // Not its ids: below the entries, and past the used entries.
    EXPECT_EQ(RecentCommands_OnCommand(nullptr, 40200), 1);
    EXPECT_EQ(RecentCommands_OnCommand(nullptr, kFirstRecentCommand + 2), 1);
    EXPECT_EQ(RecentCommands_OnCommand(nullptr, kFirstRecentCommand + 19), 1);
}

TEST_F(RecentFolders, AFolderThatIsGoneIsReportedOnceGuarded) {
    VisitAThenB();
    ASSERT_EQ(Open_Path(root_.Join(TEXT("A\\a1.bmp")).c_str(), nullptr, 0), 1);  // B is entry 1 now
    RemoveTree(b_);
    CaptureBoxes boxes;
    ASSERT_EQ(RecentCommands_OnCommand(nullptr, kFirstRecentCommand + 1), 0);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_NE(boxes.boxes()[0].text.find(TEXT("The folder cannot be opened.")), tstring::npos) << boxes.boxes()[0].text;
    EXPECT_EQ(Shown(), TEXT("a1.bmp"));
    EXPECT_EQ(DlgGuard_OpenName(), nullptr) << "the guard is given back";

    // With another guarded dialog open the dispatcher refuses the block.
    DlgGuard other;
    ASSERT_EQ(DlgGuard_Acquire(&other, TEXT("DLG_OTHER")), 1);
    const CommandMessage m{nullptr, 0, WPARAM(kFirstRecentCommand + 1), 0};
    MenuProc_OnCommand(m);
    EXPECT_EQ(boxes.boxes().size(), 1u);
    DlgGuard_Release(&other);
}

TEST_F(RecentFolders, FolderMovesAreListedOnlyAsTheOptionSays) {
    struct Case {
        int32_t slideShowMove, folderMove;
        int option;
        bool listed;
    };
    const Case cases[] = {{0, 0, 0, true}, {1, 0, 1, false}, {0, 1, 0, false}, {0, 1, 1, true}};
    for (const Case &c : cases) {
        Mru_ResetForTests();
        g_settings.option[kOptListFolderMoves] = uint8_t(c.option);
        Mru_SetFolderMarks(c.slideShowMove, c.folderMove);
        ASSERT_EQ(Mru_Remember(a_.c_str(), TEXT("a1.bmp")), 1);
        EXPECT_EQ(Mru_Commit(0), 1);
        EXPECT_EQ(Entries().size(), c.listed ? 1u : 0u) << c.slideShowMove << c.folderMove << c.option;
        // Leaving the folder lists it whatever the marks.
        EXPECT_EQ(Mru_Commit(1), 1);
        EXPECT_EQ(Entries().size(), 1u);
    }
    // Open_Path clears the marks.
    Mru_SetFolderMarks(1, 1);
    ASSERT_EQ(Open_Path(b_.c_str(), nullptr, 0), 1);
    EXPECT_EQ(g_recentFolders.slideShowMove, 0);
    EXPECT_EQ(g_recentFolders.folderMove, 0);
    // A name of 400 characters or more is remembered as none.
    ASSERT_EQ(Mru_Remember(a_.c_str(), tstring(400, TEXT('n')).c_str()), 1);
    Mru_Commit(1);
    EXPECT_EQ(Entries()[0], Entry(a_, TEXT("")));
}

TEST_F(RecentFolders, MenuItemsFollowTheList) {
    Mru_Add(&g_recentFolders, TEXT("C:\\one"), nullptr);
    Mru_Add(&g_recentFolders, TEXT("C:\\Tom & Jerry"), TEXT("x.png"));
    HMENU menu = CreatePopupMenu();
    ASSERT_NE(menu, nullptr);
    AppendMenu(menu, MF_STRING | MF_GRAYED, kFirstRecentCommand, TEXT("(none)"));
    EXPECT_EQ(Menu_FillRecent(menu), 2);
    TCHAR text[128];
    GetMenuString(menu, kFirstRecentCommand, text, 128, MF_BYCOMMAND);
    EXPECT_EQ(tstring(text), TEXT("C:\\Tom && Jerry"));
    GetMenuString(menu, kFirstRecentCommand + 1, text, 128, MF_BYCOMMAND);
    EXPECT_EQ(tstring(text), TEXT("C:\\one"));
    DestroyMenu(menu);
}

class RecentFoldersCfg : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(user_.Open());
        Settings_InitBoth(61);
        Mru_ResetForTests();
    }
    void TearDown() override {
        Cfg_ResetForTests();
        Settings_InitBoth(61);
    }
    tstring Read(const TCHAR *key) {
        TCHAR buffer[512];
        GetPrivateProfileString(TEXT("MRUD"), key, TEXT("<missing>"), buffer, 512, Cfg_Path());
        return buffer;
    }
    TestUserFolder user_{TEXT("recentcfg"), TEXT("r")};
};

TEST_F(RecentFoldersCfg, TheListSurvivesARestart) {
    for (int i = 0; i < 21; ++i) {
        TCHAR folder[32];
        wsprintf(folder, TEXT("C:\\f%d"), i);
        Mru_Add(&g_recentFolders, folder, nullptr);
    }
    Mru_Add(&g_recentFolders, TEXT("C:\\F5"), TEXT("five.png"));
    g_settings.option[kOptKeepRecent] = 1;
    ASSERT_EQ(Cfg_SaveAll(), 1);
    EXPECT_EQ(Read(TEXT("D00")), TEXT("C:\\F5"));
    EXPECT_EQ(Read(TEXT("F00")), TEXT("five.png"));
    EXPECT_EQ(Read(TEXT("D01")), TEXT("C:\\f20"));
    EXPECT_EQ(Read(TEXT("F01")), TEXT("<missing>")) << "no file, no key";
    EXPECT_EQ(Read(TEXT("D19")), TEXT("C:\\f1")) << "f0 fell off; the known f5 only moved up";
    EXPECT_EQ(Read(TEXT("D20")), TEXT("<missing>"));
    const std::vector<tstring> before = Entries();

    Cfg_ResetForTests();  // a later run: the list is empty and sized again
    Settings_InitBoth(61);
    ASSERT_EQ(Cfg_BuildPath(), 0);
    ASSERT_EQ(Cfg_LoadAll(), 1);
    EXPECT_EQ(Entries(), before);

    // With the option off the section keeps only its switch.
    g_settings.option[kOptKeepRecent] = 0;
    ASSERT_EQ(Cfg_SaveAll(), 1);
    EXPECT_EQ(Read(TEXT("D00")), TEXT("<missing>"));
    EXPECT_EQ(Read(TEXT("Save")), TEXT("0"));
}

}  // namespace
