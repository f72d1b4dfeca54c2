// Copy and move of the current file, and the copy of an archive member,
// which is extracted through the archive's plug-in into a folder made on
// request.
#include <windows.h>

#include <shellapi.h>

#include "../../res/resource.h"
#include "dlg/qv_SaveChecks.h"
#include "image/qv_FileOpe.h"
#include "image/qv_FileOpeCore.h"
#include "image/qv_FileOpeRun.h"
#include "image/qv_ImgData.h"
#include "other/qv_Dlg.h"
#include "other/qv_Mem.h"
#include "other/qv_Msg.h"
#include "other/qv_Settings.h"
#include "util/qv_FileStream.h"
#include "util/qv_Path.h"
#include "util/qv_SafeSave.h"
#include "util/qv_StrCore.h"
#include "util/qv_Text.h"

namespace {

// EnsureFolder results beyond the creation's own.
constexpr int kFolderReady = 0;
constexpr int kFolderDeclined = 3;
constexpr int kFolderInvalid = 4;
constexpr int kFolderCreateFailed = 5;

// ExtractMember results.
constexpr int kExtractWritten = 0;
constexpr int kExtractNothing = 1;
constexpr int kExtractWriteFailed = 2;
constexpr int kExtractDeclined = -1;


// Frees a block the archive plug-in returned.
class LocalBlock {
public:
    LocalBlock() = default;
    ~LocalBlock() {
        if (memory != nullptr) LocalFree(memory);
    }
    LocalBlock(const LocalBlock &) = delete;
    LocalBlock &operator=(const LocalBlock &) = delete;
    void *memory = nullptr;
    uint32_t size = 0;
};

// Asks whether to create folder (string 369 with the folder for "%s").
bool AskCreateFolder(HWND owner, const TCHAR *folder) {
    return Msg_BoxWithInsert(owner, IDS_ASK_CREATE_FOLDER, folder, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// The folder a copy or move goes to: relative folders are taken from the
// folder that holds the list (for an archive, the archive's folder).
bool ResolveDestination(const TCHAR *destination, const FileList &list, OwnedBuffer *owned, const TCHAR **out) {
    if (destination == nullptr || destination[0] == 0) return false;
    if (Path_IsAbsolute(destination)) {
        *out = destination;
        return true;
    }
    if (Path_MakeAbsolute(destination, list.folder, owned, nullptr) <= 0) return false;
    *out = reinterpret_cast<const TCHAR *>(owned->data);
    return true;
}

// Member copy: the folder made when the user agrees, then the member
// written. 1 done.
int CopyMember(const TCHAR *target, HWND owner) {
    const int folder = FileOpe_EnsureFolder(target, owner);
    if (folder != kFolderReady) {
        if (folder != kFolderDeclined)
            Msg_ErrorFromString(owner, folder == kFolderInvalid ? IDS_ILLEGAL_PATH : IDS_CREATE_FOLDER_FAILED, 0);
        return 0;
    }
    const int written = FileOpe_ExtractMember(target, owner);
    if (written > 0) SaveFileDlg_ReportWriteFailed(target, owner);
    return written == kExtractWritten ? 1 : 0;
}

// Copy (isCopy) or move of the current file to the destination of slot.
int Transfer(HWND owner, int slot, bool isCopy) {
    const int operation = isCopy ? kOpeCopy : kOpeMove;
    int done = 0;
    {
        DlgGuard guard;
        if (!DlgGuard_Acquire(&guard, isCopy ? TEXT("DLG_FILEOPE_CPY") : TEXT("DLG_FILEOPE_MOV")) ||
            !FileOpe_CanOperate(operation))
            return 0;
        const FileList *list = FileList_Current();
        const bool member = list->isArchive != 0;
        OwnedBuffer sourceBuffer;
        const TCHAR *source = member ? nullptr : FileOpe_SourceList(&sourceBuffer);
        if (!member && source == nullptr) return 0;
        const TCHAR *chosen = g_fileOpeSeams.askDestination(owner, slot, isCopy ? 1 : 0);
        OwnedBuffer resolved;
        const TCHAR *folder = nullptr;
        if (!ResolveDestination(chosen, *list, &resolved, &folder)) return 0;
        TCHAR name[kFileNameUnits];
        if (qvtext::Length(g_imgData.fileName) >= size_t(kFileNameUnits)) return 0;
        qvtext::CopyInto(name, kFileNameUnits, g_imgData.fileName);
        // A member's name comes from the archive and may hold what no
        // file name can.
        if (member) File_SanitizeName(name);
        TCHAR target[kPathChars + 2];
        if (!FileOpe_JoinTarget(folder, name, target, kPathChars + 2)) return 0;
        // A file copied or moved onto itself: nothing to do, and no question
        // whether to overwrite the file with itself.
        if (!member && Path_IsSame(1, source, target)) return 0;
        FileOpeBusy busy;
        if (!busy.ok()) return 0;
        if (member) return CopyMember(target, owner);
        bool ask = FileOpe_Option(isCopy ? kOptCopyAskOverwrite : kOptMoveAskOverwrite);
        if (!isCopy && ask) {
            // Not every shell asks before a move replaces a file (Wine's
            // does not): the program asks once, and the shell need not.
            const TCHAR *pieces[] = {target, nullptr};
            if (!SaveFileDlg_ConfirmOverwrite(nullptr, pieces, owner, kPathChars + 2)) return 0;
            ask = false;
        }
        const uint16_t flags = FileOpe_TransferFlags(ask);
        FileOpeAfter after{};
        after.shellResult = FileOpe_RunShell(isCopy ? FO_COPY : FO_MOVE, source, target, flags, owner, &after.aborted);
        after.sourceExists = Path_Exists(source);
        after.targetExists = Path_Exists(target);
        if (!FileOpe_IsDone(operation, after)) return 0;
        if (isCopy) return 1;
        FileOpe_MarkGone(kImgMovedAway);
        done = 1;
    }
    FileOpe_PostNextFile();
    return done;
}

bool IsFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

int FileOpe_Copy(HWND owner, int slot) { return Transfer(owner, slot, true); }

int FileOpe_Move(HWND owner, int slot) { return Transfer(owner, slot, false); }

int FileOpe_EnsureFolder(const TCHAR *targetPath, HWND owner) {
    FileOpeFolderPlan plan{};
    if (targetPath == nullptr || qvtext::Length(targetPath) >= size_t(MAX_PATH) ||
        !FileOpe_PlanFolder(targetPath, &plan))
        return kFolderInvalid;
    TCHAR level[MAX_PATH + 1];
    auto prefix = [&](size_t units) {
        qvtext::CopyInto(level, units + 1, targetPath);
        return level;
    };
    const DWORD folderAttributes = GetFileAttributes(prefix(plan.folderEnd));
    if (folderAttributes != INVALID_FILE_ATTRIBUTES) return IsFolder(folderAttributes) ? kFolderReady : kFolderInvalid;
    // The root with its separator: "D:\" or "\\server\share\".
    prefix(plan.rootEnd);
    level[plan.rootEnd] = TEXT('\\');
    level[plan.rootEnd + 1] = 0;
    if (!IsFolder(GetFileAttributes(level))) return kFolderInvalid;
    size_t firstMissing = plan.rootEnd;
    for (size_t at = plan.rootEnd; at < plan.folderEnd;) {
        const size_t end = FileOpe_NextLevelEnd(targetPath, at, plan.folderEnd);
        const DWORD attributes = GetFileAttributes(prefix(end));
        if (attributes == INVALID_FILE_ATTRIBUTES) break;
        if (!IsFolder(attributes)) return kFolderInvalid;
        firstMissing = at = end;
    }
    if (!AskCreateFolder(owner, prefix(plan.folderEnd))) return kFolderDeclined;
    for (size_t at = firstMissing; at < plan.folderEnd;) {
        at = FileOpe_NextLevelEnd(targetPath, at, plan.folderEnd);
        if (File_CreateFolder(prefix(at)) != 0) return kFolderCreateFailed;
    }
    return kFolderReady;
}

int FileOpe_ExtractMember(const TCHAR *targetPath, HWND owner) {
    const FileList *list = FileList_Current();
    const int32_t index = g_imgData.listIndex;
    if (list == nullptr || !list->isArchive || targetPath == nullptr || targetPath[0] == 0 ||
        g_imgDataHooks.extractMember == nullptr)
        return kExtractNothing;
    LocalBlock block;
    if (!g_imgDataHooks.extractMember(index, &block.memory, &block.size) || block.memory == nullptr)
        return kExtractNothing;
    if (FileOpe_Option(kOptCopyAskOverwrite)) {
        const TCHAR *pieces[] = {targetPath, nullptr};
        if (!SaveFileDlg_ConfirmOverwrite(nullptr, pieces, owner, kPathChars + 2)) return kExtractDeclined;
    }
    if (SaveFileDlg_CheckReadOnly(targetPath, owner)) return kExtractDeclined;
    // A temporary replaces the target only once it is complete: a failed
    // write leaves an older file of that name as it was.
    // The new file carries the member's time when the archive gives one.
    SafeSaveTimes times{};
    FileTime32 time{};
    if (index >= 0 && index < list->files.count && FileEntry_GetTime(list->files.items[index], &time)) {
        times.write = FILETIME{time.low, time.high};
        times.hasWrite = 1;
    }
    return SafeSave_WriteBytes(targetPath, block.memory, block.size, &times) ? kExtractWritten : kExtractWriteFailed;
}
