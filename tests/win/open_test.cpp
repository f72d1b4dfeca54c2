// Opening paths on a real folder in both text flavours: a file selects
// itself, a folder opens at its first picture, shortcuts, missing paths,
// the walk up to an archive with the rest as member, reuse of the listed
// folder, and the pending list filled from a command line or a real drop.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "common/arg_block.h"
#include "image/qv_DropList.h"
#include "image/qv_FileList.h"
#include "image/qv_Format.h"
#include "image/qv_ImgData.h"
#include "image/qv_Open.h"
#include "other/qv_CmdLine.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_Instance.h"
#include "other/qv_Settings.h"
#include "other/qv_SysSeams.h"
#include "support/shell_link.h"
#include "support/temp_folder.h"
#include "util/qv_Registry.h"
#include "util/qv_Str.h"

namespace {

std::vector<std::pair<int32_t, int32_t>> s_loads;  // (step, how)
std::vector<int32_t> s_listIndexes;

int RecordLoad(int32_t step, int32_t how) {
    s_loads.emplace_back(step, how);
    return 1;
}
int RecordListIndex(int32_t index, int) {
    s_listIndexes.push_back(index);
    return 1;
}

constexpr int kOptComicMode = 48;
constexpr int32_t kArchiveLoader = kFirstArchiveType;

void Touch(const tstring &path) { ASSERT_TRUE(WriteFileBytes(path, "x")); }

// The archive plug-in stand-in: ".qva" files are archives holding a.jpg and
// dir\pic.jpg.
int32_t ArchiveForExtension(const TCHAR *extension, int archive) {
    return archive && lstrcmpi(extension, TEXT("qva")) == 0 ? 0 : 0x7FFFFF00;
}
int32_t LoaderOfName(const TCHAR *name) { return Format_IdFromPath(name, false); }
int ListFakeArchive(FileList *list, const FileListSettings &) {
    auto *records = static_cast<SpiFileInfo *>(std::calloc(3, sizeof(SpiFileInfo)));
    lstrcpyA(records[0].method, "fake");
    lstrcpyA(records[0].fileName, "a.jpg");
    lstrcpyA(records[1].method, "fake");
    lstrcpyA(records[1].path, "dir\\");
    lstrcpyA(records[1].fileName, "pic.jpg");
    list->loaderId = kArchiveLoader;
    return FileList_ScanArchiveBlock(list, records, 3 * sizeof(SpiFileInfo), std::free, LoaderOfName,
                                     FileList_SystemText());
}

class Open : public testing::Test {
protected:
    static void SetUpTestSuite() {
        Str_InitLogicalCompare();
        Format_RegisterBuiltins();
    }
    static void TearDownTestSuite() { Format_DestroyRegistry(); }

    void SetUp() override {
        Settings_InitBoth(61);
        g_process = ProcessState{};
        g_process.shuffleSeed = 1;
        g_openSeams = OpenSeams{RecordLoad, RecordListIndex};
        g_openHooks = OpenHooks{};
        s_loads.clear();
        s_listIndexes.clear();
        for (const TCHAR *name : {TEXT("file10.png"), TEXT("file2.png"), TEXT("c.jpg"), TEXT("notes.txt")})
            Touch(dir.Join(name));
        CreateDirectory(dir.Join(TEXT("sub")).c_str(), nullptr);
        Touch(dir.Join(TEXT("sub\\z.gif")));
        Touch(dir.Join(TEXT("sub\\y.bmp")));
    }
    void TearDown() override {
        FileList_FreeCurrent();
        DropList_Clear(&g_pendingDrops);
        g_openSeams = OpenSeams{ImgData_Load, ImgData_SetListIndex};
        g_formatPlugins = FormatPluginHooks{};
        g_fileListArchiveLister = nullptr;
        Settings_InitBoth(61);
        SysSeams_Reset();
    }

    static tstring ListPath() { return FileList_Current() != nullptr ? FileList_Current()->path : TEXT(""); }
    static tstring FileAt(int32_t index) {
        const FileList *list = FileList_Current();
        if (list == nullptr || index < 0 || index >= list->files.count) return TEXT("");
        return list->files.items[index].find.name;
    }

    TempFolder dir{TEXT("open")};
};

TEST_F(Open, AFileSelectsItselfAfterTheNamedOnlyPass) {
    ASSERT_EQ(Open_Path(dir.Join(TEXT("file10.png")).c_str(), nullptr, 0), 1);
    // Shown from the list that holds only the named file, then placed in
    // the full list in natural order.
    ASSERT_EQ(s_loads.size(), 1u);
    EXPECT_EQ(s_loads[0], std::make_pair(int32_t(0), int32_t(kLoadIndex)));
    ASSERT_EQ(s_listIndexes.size(), 1u);
    EXPECT_TRUE(FileAt(s_listIndexes[0]) == TEXT("file10.png"));
    EXPECT_EQ(s_listIndexes[0], 2);  // c.jpg, file2.png, file10.png, notes.txt
    EXPECT_TRUE(ListPath() == dir.path());
    EXPECT_EQ(FileList_Current()->files.count, 4);
}

TEST_F(Open, ComicModeListsTheWholeFolderFirst) {
    g_settings.option[kOptComicMode] = 1;
    ASSERT_EQ(Open_Path(dir.Join(TEXT("file2.png")).c_str(), TEXT("ignored.png"), 0), 1);
    ASSERT_EQ(s_loads.size(), 1u);
    EXPECT_EQ(s_loads[0], std::make_pair(int32_t(1), int32_t(kLoadIndex)));
    EXPECT_TRUE(FileAt(1) == TEXT("file2.png"));
    EXPECT_TRUE(s_listIndexes.empty());
}

TEST_F(Open, FoldersAndShortcutsOpenAtTheFirstPicture) {
    ASSERT_EQ(Open_Path((dir.path() + TEXT("\\")).c_str(), nullptr, 0), 1);
    EXPECT_TRUE(ListPath() == dir.path());
    ASSERT_EQ(s_loads.size(), 1u);
    EXPECT_EQ(s_loads[0], std::make_pair(int32_t(0), int32_t(kLoadFirst)));

    // A shortcut to the sub-folder, made through the shell.
    ASSERT_TRUE(ShellLink_Make(dir.Join(TEXT("to sub.LNK")), dir.Join(TEXT("sub"))));
    s_loads.clear();
    ASSERT_EQ(Open_Path(dir.Join(TEXT("to sub.LNK")).c_str(), nullptr, 0), 1);
    EXPECT_TRUE(ListPath() == dir.Join(TEXT("sub")));
    ASSERT_EQ(s_loads.size(), 1u);
    EXPECT_EQ(s_loads[0], std::make_pair(int32_t(0), int32_t(kLoadFirst)));
    EXPECT_EQ(FileList_Current()->imageCount, 2);
}

// The shell's answer for every shortcut: a target of s_targetChars
// characters, cut to the room given as the shell does.
size_t s_targetChars = 0;
int ReadLongTarget(const TCHAR *, TCHAR *out, int capacity) {
    tstring target = TEXT("C:\\deep");
    while (target.size() < s_targetChars) target += TEXT("\\level");
    target.resize(s_targetChars);
    lstrcpyn(out, target.c_str(), capacity);
    return 1;
}

TEST_F(Open, ShortcutTargetsTooLongForTheBufferAreRefusedNotCut) {
    g_sys.readShortcutTarget = ReadLongTarget;
    const struct {
        size_t chars;
        int resolved;
    } cases[] = {{1023, 1}, {1024, 0}, {5000, 0}, {40000, 0}};
    for (const auto &c : cases) {
        s_targetChars = c.chars;
        TCHAR out[1024];
        EXPECT_EQ(Util_ResolveShortcut(TEXT("C:\\x.lnk"), out), c.resolved) << c.chars;
        EXPECT_EQ(lstrlen(out), c.resolved ? int(c.chars) : 0) << c.chars;
    }

    // The shortcut that cannot be followed is opened as the file it is.
    const tstring link = dir.Join(TEXT("long.lnk"));
    Touch(link);
    s_targetChars = 1500;
    ASSERT_EQ(Open_Path(link.c_str(), nullptr, 0), 1);
    SysSeams_Reset();
    EXPECT_TRUE(ListPath() == dir.path());
    ASSERT_EQ(s_listIndexes.size(), 1u);
    EXPECT_TRUE(FileAt(s_listIndexes[0]) == TEXT("long.lnk"));
}

TEST_F(Open, PathsThatDoNotOpen) {
    const tstring missing = dir.Join(TEXT("missing.png"));
    const tstring missingDeep = dir.Join(TEXT("gone\\deeper\\x.png"));
    const struct {
        const TCHAR *what;
        tstring path;
        const TCHAR *name;
        int walkUp;
    } cases[] = {
        {TEXT("missing, no walk"), missing, nullptr, 0},
        {TEXT("missing, walk ends at a folder"), missing, nullptr, 1},
        {TEXT("missing folders, walk ends at a folder"), missingDeep, nullptr, 1},
        {TEXT("missing, walk with a name given"), dir.Join(TEXT("c.jpg\\x")), TEXT("x"), 1},
        {TEXT("no root"), TEXT("c.jpg"), nullptr, 1},
        {TEXT("empty"), TEXT(""), nullptr, 1},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Open_Path(c.path.c_str(), c.name, c.walkUp), 0) << c.what;
        EXPECT_EQ(FileList_Current(), nullptr) << c.what;
    }
    EXPECT_TRUE(s_loads.empty());
}

TEST_F(Open, WalkUpFindsTheArchiveAndKeepsTheRestAsMember) {
    g_formatPlugins.pluginForExtension = ArchiveForExtension;
    g_fileListArchiveLister = ListFakeArchive;
    const tstring archive = dir.Join(TEXT("book.qva"));
    Touch(archive);
    ASSERT_EQ(Format_IdFromPath(archive.c_str(), false), kArchiveLoader);

    ASSERT_EQ(Open_Path((archive + TEXT("\\dir\\pic.jpg")).c_str(), nullptr, 1), 1);
    EXPECT_TRUE(ListPath() == archive);
    EXPECT_EQ(FileList_Current()->isArchive, 1);
    ASSERT_EQ(s_loads.size(), 1u);
    EXPECT_EQ(s_loads[0].second, int32_t(kLoadIndex));
    EXPECT_TRUE(FileAt(s_loads[0].first) == TEXT("pic.jpg"));

    // A plain file on the way keeps no member: the file itself is shown.
    s_loads.clear();
    ASSERT_EQ(Open_Path(dir.Join(TEXT("c.jpg\\inner\\x.png")).c_str(), nullptr, 1), 1);
    EXPECT_TRUE(ListPath() == dir.path());
    ASSERT_FALSE(s_loads.empty());
    EXPECT_EQ(s_loads[0], std::make_pair(int32_t(0), int32_t(kLoadIndex)));
    ASSERT_EQ(s_listIndexes.size(), 1u);
    EXPECT_TRUE(FileAt(s_listIndexes[0]) == TEXT("c.jpg"));
}

TEST_F(Open, TheListedFolderIsReusedAndRebuiltForANewFile) {
    g_settings.option[kOptComicMode] = 1;  // one full listing per open, so the list is what was shown
    ASSERT_EQ(Open_Path(dir.Join(TEXT("c.jpg")).c_str(), nullptr, 0), 1);
    const FileList *first = FileList_Current();
    ASSERT_NE(first, nullptr);

    ASSERT_EQ(Open_Path(dir.Join(TEXT("FILE10.PNG")).c_str(), nullptr, 0), 1);
    EXPECT_EQ(FileList_Current(), first);  // no new scan
    ASSERT_EQ(s_loads.size(), 2u);
    EXPECT_EQ(s_loads[1], std::make_pair(int32_t(2), int32_t(kLoadIndex)));

    // A file added since the listing: the list is built again and finds it.
    Touch(dir.Join(TEXT("file3.png")));
    ASSERT_EQ(Open_Path(dir.Join(TEXT("file3.png")).c_str(), nullptr, 0), 1);
    ASSERT_EQ(FileList_Current()->files.count, 5);
    ASSERT_EQ(s_loads.size(), 3u);
    EXPECT_EQ(s_loads[2], std::make_pair(int32_t(2), int32_t(kLoadIndex)));
    EXPECT_TRUE(FileAt(2) == TEXT("file3.png"));
}

TEST_F(Open, RefreshKeepsTheCurrentFileOrMarksItGone) {
    g_settings.option[kOptComicMode] = 1;
    ASSERT_EQ(Open_Path(dir.Join(TEXT("c.jpg")).c_str(), nullptr, 0), 1);
    ASSERT_EQ(s_loads.back(), std::make_pair(int32_t(0), int32_t(kLoadIndex)));
    Touch(dir.Join(TEXT("a.png")));
    g_imgData.state = 0;
    g_imgData.fileName = TEXT("c.jpg");  // what the record shows

    Open_RefreshList(0);  // a folder list is always read again
    EXPECT_EQ(FileList_Current()->files.count, 5);
    ASSERT_EQ(s_listIndexes.size(), 1u);
    EXPECT_EQ(s_listIndexes[0], 1);  // a.png now comes first
    EXPECT_EQ(g_imgData.state, 0u);

    DeleteFile(dir.Join(TEXT("c.jpg")).c_str());
    Open_RefreshList(1);
    EXPECT_EQ(FileList_Current()->files.count, 4);
    EXPECT_EQ(s_listIndexes.size(), 1u);
    EXPECT_EQ(g_imgData.state, uint32_t(kImgNoFile | kImgNotInList));
    g_imgData.state = 0;
    g_imgData.fileName = nullptr;
}

using ArgBlock = ArgBlockT<TCHAR>;

std::vector<tstring> PendingItems() {
    std::vector<tstring> items;
    for (int32_t i = 0; i < g_pendingDrops.count; ++i) items.emplace_back(g_pendingDrops.items[i]);
    return items;
}

TEST_F(Open, HandedOverPathsFillThePendingListAndOpenTheFirstThatOpens) {
    Open_InstallHooks();
    const ArgBlock a({TEXT("C:\\other\\Quivelta.exe"), TEXT("/slide"), TEXT("missing.png"), TEXT("sub\\y.bmp"),
                      TEXT("c.jpg")});
    ASSERT_EQ(g_handOverHooks.receiveFiles(dir.path().c_str(), a.argv.data(), int(a.argv.size()), a.bytes()), 4);
    EXPECT_EQ(g_pendingDrops.drop, nullptr);
    EXPECT_EQ(PendingItems(), (std::vector<tstring>{TEXT(""), dir.Join(TEXT("missing.png")),
                                                    dir.Join(TEXT("sub\\y.bmp")), dir.Join(TEXT("c.jpg"))}));
    EXPECT_EQ(g_pendingDrops.items[4][0], 0);

    // A second fill is refused until the list is cleared.
    EXPECT_EQ(Instance_ReceiveCommandLine(int32_t(a.argv.size()), a.argv.data(), a.bytes(), nullptr), 0);

    ASSERT_EQ(g_frameHooks.openPending(), 1);
    EXPECT_TRUE(ListPath() == dir.Join(TEXT("sub")));
    EXPECT_EQ(g_pendingDrops.filled, 0);  // cleared after the opening

    // Only switches: nothing is stored.
    const ArgBlock s({TEXT("Quivelta.exe"), TEXT("/slide"), TEXT("/newwnd")});
    EXPECT_EQ(g_handOverHooks.receiveFiles(dir.path().c_str(), s.argv.data(), int(s.argv.size()), s.bytes()), 0);
    EXPECT_EQ(g_pendingDrops.filled, 0);
    EXPECT_EQ(g_pendingDrops.count, 0);
    g_frameHooks = FrameHooks{};
    g_handOverHooks = HandOverHooks{};
}

TEST_F(Open, TheStartOpensItsOwnCommandLine) {
    Open_InstallHooks();
    const tstring picture = dir.Join(TEXT("file2.png"));
    ArgBlock a({TEXT("C:\\Q\\Quivelta.exe"), TEXT("/user=me"), picture});
    std::vector<TCHAR *> argv;
    for (const TCHAR *arg : a.argv) argv.push_back(const_cast<TCHAR *>(arg));
    argv.push_back(nullptr);
    const CommandLine saved = g_cmdLine;
    g_cmdLine.argv = argv.data();
    g_cmdLine.argc = int32_t(a.argv.size());
    g_cmdLine.argBufferBytes = int32_t(a.bytes());

    g_cmdLine.blank = 1;  // /blank opens nothing
    EXPECT_EQ(Open_CommandLineAtStart(), 0);
    EXPECT_EQ(FileList_Current(), nullptr);

    g_cmdLine.blank = 0;
    EXPECT_EQ(Open_CommandLineAtStart(), 1);
    EXPECT_TRUE(ListPath() == dir.path());
    ASSERT_EQ(s_listIndexes.size(), 1u);
    EXPECT_TRUE(FileAt(s_listIndexes[0]) == TEXT("file2.png"));
    EXPECT_EQ(g_pendingDrops.filled, 0);
    g_cmdLine = saved;
    g_frameHooks = FrameHooks{};
    g_handOverHooks = HandOverHooks{};
}

// A DROPFILES block in movable global memory, as the shell hands it over.
template <class Ch>
HDROP MakeDrop(const std::vector<std::basic_string<Ch>> &names, bool closed = true) {
    size_t units = 0;
    for (const auto &n : names) units += n.size() + 1;
    if (closed) units += 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + units * sizeof(Ch));
    auto *head = static_cast<DROPFILES *>(GlobalLock(block));
    head->pFiles = sizeof(DROPFILES);
    head->pt.x = 12;
    head->pt.y = 34;
    head->fWide = sizeof(Ch) == 2;
    Ch *p = reinterpret_cast<Ch *>(head + 1);
    for (const auto &n : names) {
        std::copy(n.begin(), n.end(), p);
        p += n.size() + 1;
    }
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

TEST_F(Open, DropListFromARealDropInEitherTextForm) {
    const std::vector<tstring> want = {TEXT("C:\\pics\\one.jpg"), TEXT("D:\\two folder")};
    const HDROP drops[] = {
        MakeDrop<WCHAR>({L"C:\\pics\\one.jpg", L"D:\\two folder"}),
        MakeDrop<char>({"C:\\pics\\one.jpg", "D:\\two folder"}),
    };
    for (HDROP drop : drops) {
        DropList list;
        DropList_Init(&list);
        ASSERT_EQ(DropList_FromHdrop(&list, drop), 1);
        EXPECT_EQ(list.drop, drop);
        EXPECT_EQ(list.count, 2);
        EXPECT_EQ(list.dropX, 12);
        EXPECT_EQ(list.dropY, 34);
        std::vector<tstring> got;
        for (int32_t i = 0; i < list.count; ++i) got.emplace_back(list.items[i]);
        EXPECT_EQ(got, want);
        EXPECT_EQ(list.items[2][0], 0);
        EXPECT_EQ(list.namesLength, uint32_t(16 + 14 + 1));
        EXPECT_EQ(DropList_FromHdrop(&list, drop), 0);  // filled: refused
        DropList_Free(&list);
        EXPECT_EQ(list.filled, 0);
        EXPECT_EQ(list.names, nullptr);
        GlobalFree(drop);
    }

    // A block whose names do not end inside it is refused before the system
    // reads it (every byte behind the head, up to the block's real size,
    // is text); so is a drop without names.
    HDROP unterminated = MakeDrop<WCHAR>({L"C:\\a.jpg"});
    auto *bytes = static_cast<uint8_t *>(GlobalLock(unterminated));
    for (SIZE_T i = sizeof(DROPFILES); i < GlobalSize(unterminated); ++i) bytes[i] = 'x';
    GlobalUnlock(unterminated);
    const HDROP unsound[] = {unterminated, MakeDrop<WCHAR>({})};
    for (HDROP drop : unsound) {
        DropList list;
        DropList_Init(&list);
        EXPECT_EQ(DropList_FromHdrop(&list, drop), 0);
        EXPECT_EQ(list.filled, 0);
        GlobalFree(drop);
    }
    DropList list;
    DropList_Init(&list);
    EXPECT_EQ(DropList_FromHdrop(&list, nullptr), 0);
}

}  // namespace
