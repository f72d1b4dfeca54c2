// The file list of a folder or an archive (rules in qv_FileListCore.h), its
// folder enumeration and the program's one current list.
#pragma once

#include <windows.h>

#include <cstdint>

#include "image/qv_FileListArchive.h"
#include "image/qv_FileListCore.h"

using FileList = FileListT<TCHAR>;
using FileListEntry = FileListEntryT<TCHAR>;

// What listing and sorting read from the settings; callers fill it from the
// settings store (Opt_GetSortType, SortFNXP, LoadFAHid, LoadFASys,
// LoadFA_HS, SpiPrior) so nothing here reads globals.
struct FileListSettings {
    uint32_t sortType = kSortName;  // 0: do not sort
    bool naturalOption = true;      // SortFNXP
    bool systemAbove50 = true;      // the system version code is above 50
    FileListFilter filter;
    bool spiPrior = false;          // image plug-ins before the built-in decoders
};

// The system's text functions for the list's rules.
const FileListText<TCHAR> &FileList_SystemText();

// Lists an archive through its plug-in: probes the archive plug-ins, sets
// list->loaderId and hands the listing to FileList_ScanArchiveBlock. 1/0.
// Installed by the plug-in manager; while null, archive lists cannot be
// scanned.
using FileListArchiveLister = int (*)(FileList *list, const FileListSettings &settings);
extern FileListArchiveLister g_fileListArchiveLister;

// Takes a path once: a folder (or an unreadable path), else with
// allowArchive an archive file. 1/0.
int FileList_SetPath(FileList *list, const TCHAR *path, int allowArchive, int classify);

// Lists the folder or archive: 0 failure, 1 listed, 2 holds only the named
// file. `seed` is the shared random state (random order).
int FileList_Scan(FileList *list, const FileListSettings &settings, const TCHAR *name, uint32_t *seed);

// Sorts folders (which 0) or files (1) with the settings' sort type.
int FileList_SortWith(int which, FileList *list, const FileListSettings &settings, uint32_t *seed);

// Finds a name in folders (0) or files (1); archive files by inner path.
int FileList_Find(const FileList &list, int which, const TCHAR *name, int32_t *index);

int FileList_RemoveEntryByName(FileList *list, const TCHAR *name);

// Entry facts of a named file in the list's folder. 1/0.
int FileEntry_FromPath(const FileList &list, const TCHAR *name, FileListEntry *out);

// Archive stamp: read at scan time; -1 folder list or unreadable now, 0 same
// (or never read), 1 changed.
int FileList_ReadArchiveStamp(FileList *list);
int FileList_ArchiveChanged(const FileList &list);

// The current list (null before the first successful open).
FileList *FileList_Current();
// Builds a list for path (allowArchive 1, classify 1) and makes it current;
// in random order the named file is moved to the front. 0 failure (the old
// list stays), else the scan result.
int FileList_MakeCurrent(int namedOnly, const TCHAR *path, const TCHAR *name, const FileListSettings &settings,
                         uint32_t *seed);
void FileList_FreeCurrent();
