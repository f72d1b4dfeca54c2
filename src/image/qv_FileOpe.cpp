#include "image/qv_FileOpe.h"

#include <shellapi.h>

#include <climits>

#include "dlg/qv_CpyMvDlg.h"
#include "dlg/qv_RenameDlg.h"
#include "image/qv_FileListOptions.h"
#include "image/qv_FileListRename.h"
#include "image/qv_FileOpeCore.h"
#include "image/qv_FileOpeRun.h"
#include "image/qv_ImgData.h"
#include "other/qv_Dlg.h"
#include "other/qv_FileCommands.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_MenuState.h"
#include "other/qv_Settings.h"
#include "util/qv_Path.h"
#include "util/qv_StrCore.h"
#include "util/qv_Text.h"

namespace {

// Raised while an operation runs; the frame takes no commands meanwhile.
int32_t s_running = 0;

const FileOpeSeams kRealSeams = {CpyMvDlg_Show, RenameDlg_Show, SHFileOperation};


bool BusyTest() { return ImgData_WorkRunning() || FileOpe_Running(); }

bool MenuTest(int menuOperation) { return FileOpe_CanOperate(FileOpe_FromMenuOperation(menuOperation)) == 1; }

// The name on disk of path differs from `name` only in case or not at all:
// a rename is done when the file is found under exactly the new spelling.
bool ExistsSpeltAs(const TCHAR *path, const TCHAR *name) {
    WIN32_FIND_DATA found;
    HANDLE search = FindFirstFile(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return qvtext::CompareOrdinal(found.cFileName, name) == 0;
}

// The rename's work once the new name is known; 1 done.
int RenameNow(HWND owner, FileList *list, const TCHAR *oldName, const TCHAR *source, const TCHAR *newName) {
    TCHAR target[kPathChars + 2];
    // A name the list's folder cannot take never reaches the shell.
    if (!FileOpe_JoinTarget(list->folder, newName, target, kPathChars + 2)) return 0;
    FileOpeBusy busy;
    if (!busy.ok()) return 0;
    FileOpeAfter after{};
    after.shellResult = FileOpe_RunShell(FO_RENAME, source, target, kFofAllowUndo, owner, &after.aborted);
    after.targetExists = ExistsSpeltAs(target, newName);
    if (!FileOpe_IsDone(kOpeRename, after)) return 0;
    if (!FileList_RenameEntry(oldName, list, newName)) return 0;
    int32_t index = -1;
    if (!FileList_Find(*list, 1, newName, &index) || !ImgData_SetPathParts(index)) return 0;
    g_imgData.listIndex = index;
    if (FileOpe_Option(kOptRenameSort)) {
        FileListSettings settings;
        FileList_SettingsFromOptions(&settings);
        if (FileList_SortWith(1, list, settings, &g_process.shuffleSeed) && FileList_Find(*list, 1, newName, &index))
            ImgData_SetListIndex(index, 0);
    }
    ImgData_UpdateTitleStatus();
    return 1;
}

}  // namespace

FileOpeSeams g_fileOpeSeams = kRealSeams;

void FileOpe_ResetSeams() { g_fileOpeSeams = kRealSeams; }

FileOpeBusy::FileOpeBusy() : wait_(&g_frameRecord) {
    if (s_running >= INT_MAX) return;
    ++s_running;
    raised_ = true;
    WaitCursor_Begin(&wait_);
}

FileOpeBusy::~FileOpeBusy() {
    WaitCursor_End(&wait_);
    if (raised_) --s_running;
}

const TCHAR *FileOpe_SourceList(OwnedBuffer *owned) {
    if (g_imgData.pathText == nullptr || g_imgData.pathText[0] == 0) return nullptr;
    const size_t units = qvtext::Length(g_imgData.pathText);
    auto *text = reinterpret_cast<TCHAR *>(Buf_Alloc(owned, uint32_t((units + 2) * sizeof(TCHAR))));
    if (text == nullptr) return nullptr;
    qvtext::CopyInto(text, units + 1, g_imgData.pathText);
    text[units + 1] = 0;
    return text;
}

int FileOpe_RunShell(UINT function, const TCHAR *from, const TCHAR *to, uint16_t flags, HWND owner, bool *aborted) {
    SHFILEOPSTRUCT op;
    ZeroMemory(&op, sizeof(op));
    op.hwnd = owner;
    op.wFunc = function;
    op.pFrom = from;
    op.pTo = to;
    op.fFlags = flags;
    const int result = g_fileOpeSeams.shell(&op);
    *aborted = op.fAnyOperationsAborted != FALSE;
    return result;
}

void FileOpe_MarkGone(uint32_t mark) {
    g_imgData.state |= kImgNoFile | mark;
    FileList *list = FileList_Current();
    const TCHAR *listName = g_imgData.memberPart != nullptr ? g_imgData.memberPart : g_imgData.fileName;
    if (list != nullptr && listName != nullptr) FileList_RemoveEntryByName(list, listName);
    ImgData_UpdateTitleStatus();
    Menu_UpdateToolbar();
}

void FileOpe_PostNextFile() {
    if (FileOpe_Option(kOptShowNext) && g_process.frameWindow != nullptr)
        PostMessage(g_process.frameWindow, WM_COMMAND, MAKEWPARAM(kCmdNextFile, 0), 0);
}

int FileOpe_CanOperate(int kind) {
    const FileList *list = FileList_Current();
    FileOpeFacts facts{};
    facts.hasList = list != nullptr;
    facts.isArchive = list != nullptr && list->isArchive != 0;
    facts.hasFile = (g_imgData.state & kImgNoFile) == 0;
    facts.hasPathAndName = g_imgData.pathText != nullptr && g_imgData.pathText[0] != 0 &&
                           g_imgData.fileName != nullptr && g_imgData.fileName[0] != 0;
    // The path text ends at the archive for a member, so this tests the
    // archive then.
    facts.exists = facts.hasPathAndName && Path_Exists(g_imgData.pathText);
    return FileOpe_IsAllowed(kind, facts) ? 1 : 0;
}

int FileOpe_Delete(HWND owner, int permanent) {
    int done = 0;
    {
        DlgGuard guard;
        if (!DlgGuard_Acquire(&guard, TEXT("DLG_FILEOPE_DEL")) || !FileOpe_CanOperate(kOpeDelete)) return 0;
        OwnedBuffer sourceBuffer;
        const TCHAR *source = FileOpe_SourceList(&sourceBuffer);
        if (source == nullptr) return 0;
        FileOpeBusy busy;
        if (!busy.ok()) return 0;
        const uint16_t flags =
            FileOpe_DeleteFlags(FileOpe_Option(kOptDeleteConfirm), FileOpe_Option(kOptDeleteToBin), permanent != 0);
        FileOpeAfter after{};
        after.shellResult = FileOpe_RunShell(FO_DELETE, source, nullptr, flags, owner, &after.aborted);
        after.sourceExists = Path_Exists(source);
        if (!FileOpe_IsDone(kOpeDelete, after)) return 0;
        FileOpe_MarkGone(kImgDeleted);
        done = 1;
    }
    FileOpe_PostNextFile();
    return done;
}

int FileOpe_Rename(HWND owner) {
    DlgGuard guard;
    if (!DlgGuard_Acquire(&guard, TEXT("DLG_FILEOPE_REN")) || !FileOpe_CanOperate(kOpeRename)) return 0;
    FileList *list = FileList_Current();
    OwnedBuffer sourceBuffer;
    const TCHAR *source = FileOpe_SourceList(&sourceBuffer);
    if (source == nullptr || qvtext::Length(g_imgData.fileName) >= size_t(kRenameNameChars)) return 0;
    // The record's name text is rebuilt below; keep the old name apart.
    TCHAR oldName[kRenameNameChars];
    TCHAR newName[kRenameNameChars];
    qvtext::CopyInto(oldName, kRenameNameChars, g_imgData.fileName);
    qvtext::CopyInto(newName, kRenameNameChars, g_imgData.fileName);
    if (g_fileOpeSeams.askNewName(newName, owner) != 1) return 0;
    return RenameNow(owner, list, oldName, source, newName);
}

bool FileOpe_Running() { return s_running > 0; }

void FileOpe_Install() {
    g_frameHooks.busy = BusyTest;
    g_menuStateHooks.fileOperationPossible = MenuTest;
}
