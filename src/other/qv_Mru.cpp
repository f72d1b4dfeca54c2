#include "other/qv_Mru.h"

#include "image/qv_ImgData.h"
#include "image/qv_Open.h"
#include "other/qv_Mem.h"
#include "other/qv_MenuState.h"
#include "other/qv_Settings.h"
#include "util/qv_Text.h"

RecentFolderList g_recentFolders;

namespace {

constexpr int kOptListFolderMoves = 68;  // NxtDirMRU

// CharLowerBuff keeps the length and steps over double-byte characters in
// the ANSI build, so the folded text compares unit by unit.
void LowerInPlace(TCHAR *text, size_t length) {
    if (length > 0) CharLowerBuff(text, DWORD(length));
}

// The slots are released after the entry function returns, with the other
// objects of static lifetime.
struct RecentFolderLife {
    RecentFolderLife() { Mru_Construct(&g_recentFolders); }
    ~RecentFolderLife() { Mru_FreeSlots(); }
    RecentFolderLife(const RecentFolderLife &) = delete;
    RecentFolderLife &operator=(const RecentFolderLife &) = delete;
};
RecentFolderLife s_recentFolderLife;  // after g_recentFolders: it works on it

void OnLoaded(const TCHAR *folder, const TCHAR *name) { Mru_Remember(folder, name); }
void OnCommit(int force) { Mru_Commit(force); }
const TCHAR *RecentFolderOf(int index) { return Mru_Get(index, nullptr); }

}  // namespace

void Mru_Construct(RecentFolderList *list) {
    if (list == nullptr) return;
    list->entries = RecentFolderListT<TCHAR>{};
    list->entries.env.alloc = QV_Alloc;
    list->entries.env.release = QV_Free;
    list->entries.env.lower = LowerInPlace;
    TCHAR *pending = list->pendingFolder.Reserve(1);
    if (pending != nullptr) pending[0] = 0;
    list->pendingFile[0] = 0;
    list->slideShowMove = 0;
    list->folderMove = 0;
    list->constructed = 1;
}

int Mru_Resize(int32_t newCount) { return Mru_ResizeT(&g_recentFolders.entries, newCount); }

void Mru_FreeSlots() { Mru_FreeSlotsT(&g_recentFolders.entries); }

int Mru_Add(RecentFolderList *list, const TCHAR *folder, const TCHAR *file) {
    return list != nullptr ? Mru_AddT(&list->entries, folder, file) : 0;
}

const TCHAR *Mru_Get(int32_t index, const TCHAR **file) { return Mru_GetT(g_recentFolders.entries, index, file); }

int Mru_Remember(const TCHAR *folder, const TCHAR *file) {
    RecentFolderList &list = g_recentFolders;
    const size_t length = folder != nullptr ? qvtext::Length(folder) : 0;
    if (length >= 0x7FFFFFFE) return 0;
    TCHAR *pending = list.pendingFolder.Reserve(int(length + 1));
    if (pending == nullptr) return 0;
    qvtext::CopyInto(pending, length + 1, folder != nullptr ? folder : TEXT(""));
    const size_t fileLength = file != nullptr ? qvtext::Length(file) : 0;
    if (fileLength < size_t(kMruPendingFileChars))
        qvtext::CopyInto(list.pendingFile, size_t(kMruPendingFileChars), file != nullptr ? file : TEXT(""));
    else
        list.pendingFile[0] = 0;
    return 1;
}

int Mru_Commit(int force) {
    RecentFolderList &list = g_recentFolders;
    if (!list.constructed) return 0;
    const int listFolderMoves = g_settings.option[kOptListFolderMoves];
    TCHAR *pending = list.pendingFolder.Data();
    if (!Mru_ShouldCommit(force, list.slideShowMove, list.folderMove, listFolderMoves) || pending[0] == 0) return 1;
    Mru_Add(&list, pending, list.pendingFile[0] != 0 ? list.pendingFile : nullptr);
    pending[0] = 0;
    return 1;
}

void Mru_SetFolderMarks(int32_t slideShowMove, int32_t folderMove) {
    g_recentFolders.slideShowMove = slideShowMove;
    g_recentFolders.folderMove = folderMove;
}

void Mru_ClearFolderMarks() { Mru_SetFolderMarks(0, 0); }

const TCHAR *Mru_PendingFolder() { return g_recentFolders.pendingFolder.Data(); }

void Mru_InstallHooks() {
    g_imgDataHooks.loaded = OnLoaded;
    g_openHooks.commitRecentFolder = OnCommit;
    g_openHooks.clearFolderMarks = Mru_ClearFolderMarks;
    g_menuStateHooks.recentFolder = RecentFolderOf;
}

void Mru_ResetForTests() {
    Mru_FreeSlots();
    Mru_Construct(&g_recentFolders);
    Mru_Resize(kRecentFolderSlots);
}
