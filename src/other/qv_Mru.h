// The program's recent-folder list: the twenty folders (or archives) in
// which pictures were viewed, each with the file last shown there, newest
// first. A folder enters the list when the user leaves it, not while paging
// inside it: every shown picture only updates the pending entry, and the
// pending entry is committed when another folder is opened and at exit.
#pragma once

#include <windows.h>

#include <cstdint>

#include "other/qv_MruCore.h"
#include "util/qv_StrBuf.h"

// A remembered file name of this many characters or more is kept as empty.
constexpr int kMruPendingFileChars = 400;

using RecentFolderSlot = RecentFolderSlotT<TCHAR>;

struct RecentFolderList {
    RecentFolderListT<TCHAR> entries;     // count, slot array, newest slot
    StrBuf128 pendingFolder;              // the folder or archive to commit
    TCHAR pendingFile[kMruPendingFileChars];
    // Set by the folder-tree navigation before it opens a folder; cleared by
    // Open_Path and at construction.
    int32_t slideShowMove;
    int32_t folderMove;
    int32_t constructed;
};

// The one list, built before the entry function runs; its slots are freed
// at process exit.
extern RecentFolderList g_recentFolders;

// Empty slots, empty pending folder and file, marks 0.
void Mru_Construct(RecentFolderList *list);
// A new slot array of newCount slots keeps the newest entries. 1/0 (see
// Mru_ResizeT for what a failure leaves).
int Mru_Resize(int32_t newCount);
void Mru_FreeSlots();
int Mru_Add(RecentFolderList *list, const TCHAR *folder, const TCHAR *file);
// Folder of the index-th most recent entry (its file, empty when none, in
// *file), or null.
const TCHAR *Mru_Get(int32_t index, const TCHAR **file);
// The picture loader's report of each shown picture: the list's path and
// the file's name become the pending entry. 1/0.
int Mru_Remember(const TCHAR *folder, const TCHAR *file);
// The pending entry enters the list when forced, or when no slide show
// moved and (no folder move, or option NxtDirMRU). 0 only before the list
// was constructed.
int Mru_Commit(int force);
void Mru_SetFolderMarks(int32_t slideShowMove, int32_t folderMove);
void Mru_ClearFolderMarks();
const TCHAR *Mru_PendingFolder();

// Gives the picture loader, Open_Path and the menus the list.
void Mru_InstallHooks();

// A fresh run for tests: slots freed and sized again, nothing pending.
void Mru_ResetForTests();
