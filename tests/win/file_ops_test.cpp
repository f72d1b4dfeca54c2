// Copy, move, rename and delete of the current picture through the real
// shell, with the program's frame, list and picture: deletes to a recycle
// bin kept in a temporary folder (XDG_DATA_HOME, set before any shell call)
// and without one, the shell's questions answered from a helper thread, the
// next picture after a move, renames in place and re-sorted, archive lists
// that only copy, and the folders made for a member's copy.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "../../res/resource.h"
#include "dlg/qv_RenameDlg.h"
#include "image/qv_FileList.h"
#include "image/qv_FileOpe.h"
#include "image/qv_FileOpeRun.h"
#include "image/qv_Format.h"
#include "image/qv_ImgData.h"
#include "image/qv_View.h"
#include "other/qv_Frame.h"
#include "other/qv_FileCommands.h"
#include "other/qv_Globals.h"
#include "other/qv_MenuState.h"
#include "other/qv_Msg.h"
#include "other/qv_Res.h"
#include "other/qv_Settings.h"
#include "other/qv_SysSeams.h"
#include "support/real_dibcore.h"
#include "support/real_frame.h"
#include "support/temp_folder.h"
#include "support/user_folder.h"
#include "support/view_fixture.h"

namespace {

// ---------------------------------------------------------------- the recycle bin

// Set in a child run: the data folder the shell cannot use as a bin.
const char kNoBinVariable[] = "QV_FILEOPE_NO_BIN";
const char kNoBinDoneVariable[] = "QV_FILEOPE_NO_BIN_DONE";

std::unique_ptr<TempFolder> s_binFolder;  // the bin's data folder (Windows path)
bool s_binReady = false;

// The Unix path of a Windows path (Wine only); "" elsewhere.
std::string UnixPath(const tstring &path) {
    using ToUnix = char *(CDECL *)(const WCHAR *);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) return {};
    WCHAR wide[MAX_PATH];
#ifdef UNICODE
    lstrcpynW(wide, path.c_str(), MAX_PATH);
#else
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
#endif
    char *unix = toUnix(wide);
    if (unix == nullptr) return {};
    std::string out(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

// The shell reads the bin's place once per process, at its first delete:
// it is set before any test runs.
class BinEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        char noBin[MAX_PATH] = {};
        if (GetEnvironmentVariableA(kNoBinVariable, noBin, MAX_PATH) > 0) {
            s_binReady = SetEnvironmentVariableA("XDG_DATA_HOME", noBin) != FALSE;
            return;
        }
        s_binFolder = std::make_unique<TempFolder>(TEXT("fileope-bin"));
        const std::string unix = UnixPath(s_binFolder->path());
        s_binReady = !unix.empty() && SetEnvironmentVariableA("XDG_DATA_HOME", unix.c_str()) != FALSE;
    }
    void TearDown() override { s_binFolder.reset(); }
};
::testing::Environment *const s_binEnvironment = ::testing::AddGlobalTestEnvironment(new BinEnvironment);

bool InBin(const tstring &name) {
    return s_binFolder != nullptr &&
           GetFileAttributes((s_binFolder->path() + TEXT("\\Trash\\files\\") + name).c_str()) !=
               INVALID_FILE_ATTRIBUTES;
}

// ---------------------------------------------------------------- questions

// Answers the shell's confirmation boxes of the test thread from a helper
// thread with one button id, and counts them.
class ShellAnswerer {
public:
    explicit ShellAnswerer(int answer) : answer_(answer), owner_(GetCurrentThreadId()) {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~ShellAnswerer() {
        InterlockedExchange(&stop_, 1);
        WaitForSingleObject(thread_, 10000);
        CloseHandle(thread_);
    }
    ShellAnswerer(const ShellAnswerer &) = delete;
    ShellAnswerer &operator=(const ShellAnswerer &) = delete;
    int answered() const { return int(answered_); }

private:
    static BOOL CALLBACK Find(HWND w, LPARAM p) {
        if (!IsWindowVisible(w) || (GetDlgItem(w, IDNO) == nullptr && GetDlgItem(w, IDYES) == nullptr)) return TRUE;
        *reinterpret_cast<HWND *>(p) = w;
        return FALSE;
    }
    static DWORD WINAPI Run(void *self) {
        auto *a = static_cast<ShellAnswerer *>(self);
        while (InterlockedCompareExchange(&a->stop_, 0, 0) == 0) {
            Sleep(30);
            HWND box = nullptr;
            EnumThreadWindows(a->owner_, Find, reinterpret_cast<LPARAM>(&box));
            // A box already answered may take a while to close on a busy
            // machine: it is one question, answered and counted once.
            if (box == nullptr || box == a->last_) continue;
            a->last_ = box;
            PostMessage(box, WM_COMMAND, WPARAM(a->answer_), 0);
            InterlockedIncrement(&a->answered_);
            for (int i = 0; i < 100 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(20);
        }
        return 0;
    }
    int answer_;
    DWORD owner_;
    HANDLE thread_ = nullptr;
    HWND last_ = nullptr;  // the box answered last (read by the answering thread only)
    volatile LONG stop_ = 0;
    volatile LONG answered_ = 0;
};

// The program's own boxes: recorded, answered with s_boxAnswer, and what
// the operation's busy state was while the box showed.
struct OwnBox {
    tstring text;
    bool running;
    bool frameBusy;
};
std::vector<OwnBox> s_boxes;
int s_boxAnswer = IDYES;
int WINAPI RecordBox(HWND, LPCTSTR text, LPCTSTR, UINT) {
    s_boxes.push_back({text != nullptr ? text : TEXT(""), FileOpe_Running(), Frame_IsBusy()});
    return s_boxAnswer;
}

// The destination and new-name questions.
tstring s_destination;
bool s_cancelDestination = false;
tstring s_newName;
int s_questions = 0;
const TCHAR *TestDestination(HWND, int, int) {
    ++s_questions;
    return s_cancelDestination ? nullptr : s_destination.c_str();
}
INT_PTR TestNewName(TCHAR *name, HWND) {
    ++s_questions;
    lstrcpyn(name, s_newName.c_str(), kRenameNameChars);
    return IDOK;
}

// ---------------------------------------------------------------- pictures

void PutLe(std::string &out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(char(v >> (8 * i)));
}

// A 2 x 2 24-bit BMP of one grey; the grey tells the files apart.
std::string Bmp(uint8_t grey) {
    std::string out = "BM";
    PutLe(out, 54 + 16, 4);
    PutLe(out, 0, 4);
    PutLe(out, 54, 4);
    PutLe(out, 40, 4);
    PutLe(out, 2, 4);
    PutLe(out, 2, 4);
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    for (int i = 0; i < 6; ++i) PutLe(out, 0, 4);
    for (int row = 0; row < 2; ++row) {
        out.append(6, char(grey));
        out.append(2, '\0');
    }
    return out;
}

constexpr UINT kCmdPrevious = 40061;

tstring Shown() { return g_imgData.fileName != nullptr ? tstring(g_imgData.fileName) : tstring(); }

std::vector<tstring> ListedNames() {
    std::vector<tstring> names;
    const FileList *list = FileList_Current();
    for (int32_t i = 0; list != nullptr && i < list->files.count; ++i) names.push_back(list->files.items[i].find.name);
    return names;
}

bool Exists(const tstring &path) { return GetFileAttributes(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class FileOps : public RealDibcoreSuite {
protected:
    void SetUp() override {
        ASSERT_TRUE(s_binReady) << "XDG_DATA_HOME could not be set: no test may delete";
        ASSERT_TRUE(user_.Open());
        ASSERT_TRUE(lib_->ok()) << lib_->problem();
        ASSERT_TRUE(Format_RegisterBuiltins());
        RealFrame_Reset();
        g_sys.messageBox = RecordBox;
        s_boxes.clear();
        s_boxAnswer = IDYES;
        s_destination.clear();
        s_cancelDestination = false;
        s_questions = 0;
        g_fileOpeSeams.askDestination = TestDestination;
        g_fileOpeSeams.askNewName = TestNewName;
        ClearImgData();
        g_imgDataHooks = ImgDataHooks{};
        ImgData_Construct();
        ASSERT_EQ(Frame_Create(g_process.instance, SW_SHOWNORMAL), 0);
        ASSERT_EQ(Frame_CreateMenus(), 1);
        frame_ = g_process.frameWindow;
        ASSERT_EQ(View_AttachState(), 1);
        FileOpe_Install();
        // Every question on unless a test turns it off.
        g_settings.option[kOptDeleteConfirm] = 1;
        g_settings.option[kOptDeleteToBin] = 1;
        g_settings.option[kOptShowNext] = 0;
        g_settings.option[kOptRenameSort] = 0;
        g_settings.option[kOptCopyAskOverwrite] = 1;
        g_settings.option[kOptMoveAskOverwrite] = 1;
    }
    void TearDown() override {
        ImgData_Shutdown();
        FileList_FreeCurrent();
        g_imgDataHooks = ImgDataHooks{};
        g_fileListArchiveLister = nullptr;
        RealFrame_Destroy(frame_);
        ClearImgData();
        FileOpe_ResetSeams();
        g_sys = savedSys_;
        Format_DestroyRegistry();
    }

    tstring Path(const tstring &name) const { return folder_.Join(name); }
    void Write(const tstring &name, uint8_t grey) { ASSERT_TRUE(WriteFileBytes(Path(name), Bmp(grey))); }

    // Writes the pictures (grey 10, 20, ...), lists the folder and shows
    // `shown`.
    void OpenFolder(const std::vector<tstring> &names, const tstring &shown) {
        uint8_t grey = 10;
        for (const tstring &n : names) {
            Write(n, grey);
            grey = uint8_t(grey + 10);
        }
        FileListSettings settings;
        ASSERT_NE(FileList_MakeCurrent(0, folder_.path().c_str(), nullptr, settings, &g_process.shuffleSeed), 0);
        int32_t index = -1;
        ASSERT_EQ(FileList_Find(*FileList_Current(), 1, shown.c_str(), &index), 1);
        ASSERT_EQ(ImgData_Load(index, kLoadIndex), 1);
        ASSERT_EQ(Shown(), shown);
    }

    LRESULT Command(UINT id) { return SendMessage(frame_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    TestUserFolder user_{TEXT("fileope-user"), TEXT("tester")};
    TempFolder folder_{TEXT("fileope")};
    HWND frame_ = nullptr;
    SysSeams savedSys_ = g_sys;
};

// ---------------------------------------------------------------- delete

TEST_F(FileOps, DeleteFollowsTheOptionsAndTheAnswer) {
    struct Case {
        const char *label;
        UINT command;
        bool confirm;
        int answer;  // shell's question: 0 none expected
        bool done;
        bool inBin;
    };
    const Case cases[] = {
        {"asked, No", kCmdDelete, true, IDNO, false, false},
        {"asked, Yes, to the bin", kCmdDelete, true, IDYES, true, true},
        {"not asked, to the bin", kCmdDelete, false, 0, true, true},
        {"for good, not asked", kCmdDeleteForGood, false, 0, true, false},
        {"for good still asks when asked to", kCmdDeleteForGood, true, IDNO, false, false},
    };
    int row = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        const tstring name = TEXT("del") + tstring(1, TCHAR('a' + row++)) + TEXT(".bmp");
        OpenFolder({TEXT("first.bmp"), name, TEXT("last.bmp")}, name);
        const std::vector<tstring> before = ListedNames();
        g_settings.option[kOptDeleteConfirm] = c.confirm ? 1 : 0;
        {
            ShellAnswerer answerer(c.answer != 0 ? c.answer : IDNO);
            Command(c.command);
            EXPECT_EQ(answerer.answered(), c.answer != 0 ? 1 : 0);
        }
        EXPECT_EQ(Exists(Path(name)), !c.done);
        EXPECT_EQ(InBin(name), c.inBin);
        int32_t index = -1;
        EXPECT_EQ(FileList_Find(*FileList_Current(), 1, name.c_str(), &index), c.done ? 0 : 1);
        EXPECT_EQ(ListedNames().size(), before.size()) << "entries are blanked in place";
        EXPECT_EQ((g_imgData.state & (kImgNoFile | kImgDeleted)) != 0, c.done);
        EXPECT_FALSE(FileOpe_Running());
        EXPECT_TRUE(s_boxes.empty());
        FileList_FreeCurrent();
        RemoveTree(folder_.path());
        CreateDirectory(folder_.path().c_str(), nullptr);
    }
}

// Run in a child process whose data folder lies below a plain file, so the
// shell finds no bin: it must ask before deleting for good.
TEST_F(FileOps, ChildWithoutBin) {
    char done[MAX_PATH] = {};
    if (GetEnvironmentVariableA(kNoBinDoneVariable, done, MAX_PATH) == 0) GTEST_SKIP() << "runs in the child only";
    g_settings.option[kOptDeleteConfirm] = 0;
    OpenFolder({TEXT("keep.bmp"), TEXT("next.bmp")}, TEXT("keep.bmp"));
    {
        ShellAnswerer answerer(IDNO);
        EXPECT_EQ(FileOpe_Delete(frame_, 0), 0);
        EXPECT_EQ(answerer.answered(), 1) << "the shell warned before deleting for good";
    }
    EXPECT_TRUE(Exists(Path(TEXT("keep.bmp"))));
    EXPECT_EQ(Shown(), TEXT("keep.bmp"));
    EXPECT_EQ(g_imgData.state & kImgDeleted, 0u);
    if (!HasFailure()) WriteFileBytes(tstring(done, done + lstrlenA(done)), "ran");
}

TEST_F(FileOps, NoUsableBinWarnsAndNoKeepsTheFile) {
    if (GetEnvironmentVariableA(kNoBinDoneVariable, nullptr, 0) > 0) GTEST_SKIP() << "the child runs the other half";
    const tstring blocker = folder_.Join(TEXT("blocker"));
    ASSERT_TRUE(WriteFileBytes(blocker, "a file where the bin's folder would be"));
    const std::string noBin = UnixPath(blocker) + "/data";
    const tstring doneFile = folder_.Join(TEXT("child-ran.txt"));
    TCHAR exe[MAX_PATH];
    GetModuleFileName(nullptr, exe, MAX_PATH);
    tstring commandLine = TEXT("\"") + tstring(exe) + TEXT("\" --gtest_filter=FileOps.ChildWithoutBin --gtest_brief=1");
    std::string doneA(doneFile.begin(), doneFile.end());
    SetEnvironmentVariableA(kNoBinVariable, noBin.c_str());
    SetEnvironmentVariableA(kNoBinDoneVariable, doneA.c_str());
    STARTUPINFO si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const BOOL started =
        CreateProcess(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA(kNoBinVariable, nullptr);
    SetEnvironmentVariableA(kNoBinDoneVariable, nullptr);
    ASSERT_TRUE(started);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 120000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ReadFileBytes(doneFile), "ran");
}

// ---------------------------------------------------------------- move and copy

TEST_F(FileOps, MoveOntoAnExistingFile) {
    struct Case {
        const char *label;
        bool ask;
        bool done;
    };
    const Case cases[] = {{"asked, No", true, false}, {"not asked", false, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(CreateDirectory(Path(TEXT("dest")).c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(Path(TEXT("dest\\b.bmp")), "older"));
        OpenFolder({TEXT("a.bmp"), TEXT("b.bmp"), TEXT("c.bmp")}, TEXT("b.bmp"));
        g_settings.option[kOptMoveAskOverwrite] = c.ask ? 1 : 0;
        s_destination = TEXT("dest");  // relative: below the listed folder
        s_boxes.clear();
        s_boxAnswer = IDNO;
        {
            ShellAnswerer answerer(IDNO);
            EXPECT_EQ(FileOpe_Move(frame_, -1), c.done ? 1 : 0);
            EXPECT_EQ(answerer.answered(), 0) << "asked once, by the program";
        }
        ASSERT_EQ(s_boxes.size(), c.ask ? 1u : 0u);
        if (c.ask) {
            EXPECT_NE(s_boxes[0].text.find(TEXT("already exists")), tstring::npos);
        }
        EXPECT_EQ(ReadFileBytes(Path(TEXT("dest\\b.bmp"))), c.done ? Bmp(20) : "older");
        EXPECT_EQ(Exists(Path(TEXT("b.bmp"))), !c.done);
        int32_t index = -1;
        EXPECT_EQ(FileList_Find(*FileList_Current(), 1, TEXT("b.bmp"), &index), c.done ? 0 : 1);
        EXPECT_EQ((g_imgData.state & kImgMovedAway) != 0, c.done);
        FileList_FreeCurrent();
        RemoveTree(folder_.path());
        CreateDirectory(folder_.path().c_str(), nullptr);
    }
}

TEST_F(FileOps, MoveToASlotShowsTheNextPictureAndSkipsTheMovedOne) {
    ASSERT_TRUE(CreateDirectory(Path(TEXT("moved")).c_str(), nullptr));
    OpenFolder({TEXT("a.bmp"), TEXT("b.bmp"), TEXT("c.bmp")}, TEXT("b.bmp"));
    g_settings.option[kOptShowNext] = 1;
    s_destination = Path(TEXT("moved"));
    Command(kCmdMoveToSlotFirst);
    EXPECT_TRUE(Exists(Path(TEXT("moved\\b.bmp"))));
    EXPECT_FALSE(Exists(Path(TEXT("b.bmp"))));
    // The next-file command was posted: it runs once the operation let go.
    RealFrame_Drain();
    EXPECT_EQ(Shown(), TEXT("c.bmp"));
    EXPECT_TRUE(ImgData_HasImage());
    Command(kCmdPrevious);
    EXPECT_EQ(Shown(), TEXT("a.bmp"));
}

TEST_F(FileOps, CopyResolvesTheDestinationAndHonoursTheAnswer) {
    ASSERT_TRUE(CreateDirectory(Path(TEXT("sub")).c_str(), nullptr));
    OpenFolder({TEXT("a.bmp"), TEXT("b.bmp")}, TEXT("a.bmp"));
    const std::vector<tstring> listed = ListedNames();
    struct Case {
        const char *label;
        const TCHAR *destination;  // null: the question is cancelled
        int answer;
        int result;
        const TCHAR *target;
        std::string bytes;
    };
    const Case cases[] = {
        {"relative folder", TEXT("sub"), 0, 1, TEXT("sub\\a.bmp"), Bmp(10)},
        {"cancelled", nullptr, 0, 0, TEXT("sub\\a.bmp"), Bmp(10)},
        {"onto b, No", TEXT("."), IDNO, 0, TEXT("b.bmp"), Bmp(20)},
        {"onto itself", TEXT(".."), 0, 0, TEXT("a.bmp"), Bmp(10)},
    };
    ASSERT_TRUE(WriteFileBytes(Path(TEXT("x")), ""));  // keeps ".." inside the temp tree meaningful
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        s_cancelDestination = c.destination == nullptr;
        s_destination = c.destination != nullptr ? c.destination : TEXT("");
        if (lstrcmp(s_destination.c_str(), TEXT("..")) == 0) s_destination = folder_.path();
        {
            ShellAnswerer answerer(IDNO);
            EXPECT_EQ(FileOpe_Copy(frame_, -1), c.result);
        }
        EXPECT_EQ(ReadFileBytes(Path(c.target)), c.bytes);
        EXPECT_TRUE(Exists(Path(TEXT("a.bmp"))));
        EXPECT_EQ(ListedNames(), listed);
        EXPECT_EQ(g_imgData.state & kImgNoFile, 0u);
    }
}

// ---------------------------------------------------------------- rename

// Wine's shell refuses a rename that changes only case (the name "exists")
// and its MoveFile leaves the old spelling; the system's shell renames. The
// stand-in renames through a second name, as the system does.
int WINAPI RenameThroughTemporary(LPSHFILEOPSTRUCT op) {
    if (op->wFunc != FO_RENAME) return SHFileOperation(op);
    const tstring temporary = tstring(op->pFrom) + TEXT(".case");
    op->fAnyOperationsAborted = FALSE;
    return MoveFile(op->pFrom, temporary.c_str()) && MoveFile(temporary.c_str(), op->pTo) ? 0 : 1;
}

TEST_F(FileOps, RenameChangingOnlyCaseKeepsThePicture) {
    OpenFolder({TEXT("a.bmp"), TEXT("b.bmp")}, TEXT("a.bmp"));
    const int32_t index = g_imgData.listIndex;
    g_settings.option[kOptRenameSort] = 1;
    g_fileOpeSeams.shell = RenameThroughTemporary;
    s_newName = TEXT("A.bmp");
    EXPECT_EQ(FileOpe_Rename(frame_), 1);
    WIN32_FIND_DATA found;
    HANDLE search = FindFirstFile(Path(TEXT("a.bmp")).c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    EXPECT_TRUE(tstring(found.cFileName) == TEXT("A.bmp"));
    EXPECT_EQ(g_imgData.listIndex, index);
    EXPECT_EQ(ListedNames()[size_t(index)], TEXT("A.bmp"));
    EXPECT_EQ(Shown(), TEXT("A.bmp"));
    EXPECT_TRUE(ImgData_HasImage());
}

// The shell can report a rename done that did not give the file the new
// name (a trailing dot is dropped): the list and picture keep the old name
// rather than name a file that is not there.
TEST_F(FileOps, RenameReportedButNotDoneChangesNothing) {
    OpenFolder({TEXT("a.bmp"), TEXT("b.bmp")}, TEXT("a.bmp"));
    const std::vector<tstring> before = ListedNames();
    s_newName = TEXT("photo.");
    EXPECT_EQ(FileOpe_Rename(frame_), 0);
    EXPECT_EQ(ListedNames(), before);
    EXPECT_EQ(Shown(), TEXT("a.bmp"));
}

TEST_F(FileOps, RenameResortsWhenAsked) {
    struct Case {
        bool sort;
        std::vector<tstring> order;
        int32_t index;
    };
    const Case cases[] = {
        {false, {TEXT("d.bmp"), TEXT("b.bmp"), TEXT("c.bmp")}, 0},
        {true, {TEXT("b.bmp"), TEXT("c.bmp"), TEXT("d.bmp")}, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sort ? "sorted" : "in place");
        OpenFolder({TEXT("a.bmp"), TEXT("b.bmp"), TEXT("c.bmp")}, TEXT("a.bmp"));
        g_settings.option[kOptRenameSort] = c.sort ? 1 : 0;
        s_newName = TEXT("d.bmp");
        EXPECT_EQ(FileOpe_Rename(frame_), 1);
        EXPECT_EQ(ListedNames(), c.order);
        EXPECT_EQ(g_imgData.listIndex, c.index);
        EXPECT_EQ(Shown(), TEXT("d.bmp"));
        EXPECT_TRUE(ImgData_HasImage());
        TCHAR title[256] = {};
        GetWindowText(frame_, title, 256);
        EXPECT_NE(tstring(title).find(TEXT("d.bmp")), tstring::npos);
        EXPECT_TRUE(Exists(Path(TEXT("d.bmp"))));
        FileList_FreeCurrent();
        RemoveTree(folder_.path());
        CreateDirectory(folder_.path().c_str(), nullptr);
    }
}

// ---------------------------------------------------------------- archives

const uint32_t kMemberStamp = 1000000000;  // 2001-09-09 01:46:40 UTC
const std::string kMemberBytes = "member bytes";

int32_t LoaderOfName(const TCHAR *name) { return Format_IdFromPath(name, false); }

// An archive holding "a:b.bmp" with a time stamp.
int ListFakeArchive(FileList *list, const FileListSettings &) {
    auto *records = static_cast<SpiFileInfo *>(std::calloc(2, sizeof(SpiFileInfo)));
    lstrcpyA(records[0].method, "fake");
    lstrcpyA(records[0].fileName, "a:b.bmp");
    records[0].timestamp = kMemberStamp;
    list->loaderId = kFirstArchiveType;
    return FileList_ScanArchiveBlock(list, records, 2 * sizeof(SpiFileInfo), std::free, LoaderOfName,
                                     FileList_SystemText());
}

int ExtractFake(int32_t index, void **memory, uint32_t *size) {
    if (index != 0) return 0;
    *memory = LocalAlloc(LMEM_FIXED, kMemberBytes.size());
    if (*memory == nullptr) return 0;
    CopyMemory(*memory, kMemberBytes.data(), kMemberBytes.size());
    *size = uint32_t(kMemberBytes.size());
    return 1;
}

class ArchiveOps : public FileOps {
protected:
    void SetUp() override {
        FileOps::SetUp();
        if (HasFatalFailure()) return;
        archive_ = Path(TEXT("pack.qva"));
        ASSERT_TRUE(WriteFileBytes(archive_, "archive"));
        g_fileListArchiveLister = ListFakeArchive;
        g_imgDataHooks.extractMember = ExtractFake;
        FileListSettings settings;
        ASSERT_NE(FileList_MakeCurrent(0, archive_.c_str(), nullptr, settings, &g_process.shuffleSeed), 0);
        ASSERT_TRUE(FileList_Current()->isArchive);
        ASSERT_EQ(ImgData_SetPathParts(0), 1);
        g_imgData.listIndex = 0;
        g_imgData.state = 0;
    }
    tstring archive_;
};

TEST_F(ArchiveOps, OnlyCopyIsOffered) {
    EXPECT_EQ(FileOpe_CanOperate(1), 1);
    for (int kind = 2; kind <= 4; ++kind) EXPECT_EQ(FileOpe_CanOperate(kind), 0) << kind;
    ASSERT_NE(g_menuStateHooks.fileOperationPossible, nullptr);
    const bool menu[] = {false, false, true, false};  // rename, move, copy, delete
    for (int op = 0; op < 4; ++op) EXPECT_EQ(g_menuStateHooks.fileOperationPossible(op), menu[op]) << op;
    EXPECT_EQ(FileOpe_Move(frame_, -1), 0);
    EXPECT_EQ(FileOpe_Rename(frame_), 0);
    EXPECT_EQ(FileOpe_Delete(frame_, 1), 0);
    EXPECT_EQ(s_questions, 0) << "refused before any question";
    EXPECT_TRUE(Exists(archive_));
}

TEST_F(ArchiveOps, CopyMakesTheMissingFoldersAfterOneQuestion) {
    struct Case {
        const char *label;
        tstring destination;  // relative ones start at the archive's folder
        int answer;
        int result;
        tstring written;      // "" nothing written
        UINT error;           // message string, 0 none
    };
    const Case cases[] = {
        {"two missing levels", Path(TEXT("new\\deeper")), IDYES, 1, Path(TEXT("new\\deeper\\a_b.bmp")), 0},
        {"relative", TEXT("out"), IDYES, 1, Path(TEXT("out\\a_b.bmp")), 0},
        {"declined", Path(TEXT("no\\where")), IDNO, 0, TEXT(""), 0},
        {"bad character", Path(TEXT("bad?name")), IDYES, 0, TEXT(""), IDS_ILLEGAL_PATH},
        {"a level is a file", Path(TEXT("pack.qva\\inner")), IDYES, 0, TEXT(""), IDS_ILLEGAL_PATH},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        s_boxes.clear();
        s_boxAnswer = c.answer;
        s_destination = c.destination;
        EXPECT_EQ(FileOpe_Copy(frame_, -1), c.result);
        const bool asks = c.error == 0;
        ASSERT_EQ(s_boxes.size(), 1u);
        const OwnBox &box = s_boxes[0];
        if (asks) {
            EXPECT_NE(box.text.find(TEXT("does not exist")), tstring::npos);
            EXPECT_TRUE(box.running && box.frameBusy) << "the frame is held while the operation runs";
        } else {
            TCHAR text[256];
            Res_LoadText(text, c.error, 256);
            EXPECT_NE(box.text.find(text), tstring::npos);
        }
        if (!c.written.empty()) {
            EXPECT_EQ(ReadFileBytes(c.written), kMemberBytes);
            HANDLE file = CreateFile(c.written.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                     nullptr);
            FILETIME written{};
            GetFileTime(file, nullptr, nullptr, &written);
            CloseHandle(file);
            const uint64_t t = (uint64_t(written.dwHighDateTime) << 32) | written.dwLowDateTime;
            EXPECT_EQ(t / 10000000ull - 11644473600ull, kMemberStamp);
        }
    }
    EXPECT_FALSE(Exists(Path(TEXT("no"))));
    EXPECT_FALSE(Exists(archive_ + TEXT("\\out")));
    EXPECT_FALSE(FileOpe_Running());
}

TEST_F(ArchiveOps, ExistingTargetAskedAndReadOnlyRefused) {
    ASSERT_TRUE(WriteFileBytes(Path(TEXT("a_b.bmp")), "older"));
    s_destination = folder_.path();
    s_boxAnswer = IDNO;
    EXPECT_EQ(FileOpe_Copy(frame_, -1), 0);
    ASSERT_EQ(s_boxes.size(), 1u);  // the overwrite question, declined quietly
    EXPECT_EQ(ReadFileBytes(Path(TEXT("a_b.bmp"))), "older");

    s_boxes.clear();
    g_settings.option[kOptCopyAskOverwrite] = 0;
    SetFileAttributes(Path(TEXT("a_b.bmp")).c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(FileOpe_Copy(frame_, -1), 0);
    EXPECT_EQ(s_boxes.size(), 1u);  // the read-only refusal
    EXPECT_EQ(ReadFileBytes(Path(TEXT("a_b.bmp"))), "older");
    SetFileAttributes(Path(TEXT("a_b.bmp")).c_str(), FILE_ATTRIBUTE_NORMAL);

    s_boxes.clear();
    EXPECT_EQ(FileOpe_Copy(frame_, -1), 1);
    EXPECT_TRUE(s_boxes.empty());
    EXPECT_EQ(ReadFileBytes(Path(TEXT("a_b.bmp"))), kMemberBytes);
}

TEST_F(FileOps, EnsureFolderChecksEveryLevel) {
    ASSERT_TRUE(WriteFileBytes(Path(TEXT("plain")), "x"));
    struct Case {
        const char *label;
        tstring target;
        int answer;
        int result;
        size_t questions;
    };
    const Case cases[] = {
        {"exists", Path(TEXT("f.jpg")), IDYES, 0, 0},
        {"folder is a file", Path(TEXT("plain\\f.jpg")), IDYES, 4, 0},
        {"below a file", Path(TEXT("plain\\x\\f.jpg")), IDYES, 4, 0},
        {"relative", TEXT("rel\\f.jpg"), IDYES, 4, 0},
        {"no name", Path(TEXT("x\\")), IDYES, 4, 0},
        {"declined", Path(TEXT("one\\two\\f.jpg")), IDNO, 3, 1},
        {"made", Path(TEXT("one\\two\\f.jpg")), IDYES, 0, 1},
        {"now there", Path(TEXT("one\\two\\g.jpg")), IDYES, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        s_boxes.clear();
        s_boxAnswer = c.answer;
        EXPECT_EQ(FileOpe_EnsureFolder(c.target.c_str(), frame_), c.result);
        EXPECT_EQ(s_boxes.size(), c.questions);
    }
    EXPECT_TRUE(Exists(Path(TEXT("one\\two"))));
}

}  // namespace
