// Reads the entries of one folder, many to a system call.
//
// FindFirstFile/FindNextFile hand over one entry per call through a
// WIN32_FIND_DATA; on a folder of a hundred thousand files the calls and the
// copies cost as much as the reading. The native directory query fills a
// large buffer with the same facts (attributes, times, size, long and 8.3
// names) per call, so it is used where the system has it, and the find
// functions where it does not or where it refuses the folder.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// One entry as the system reports it. The names are not terminated and
// stay valid until the next FolderRead_Next.
struct FolderItem {
    DWORD attributes = 0;
    FILETIME created{};
    FILETIME accessed{};
    FILETIME written{};
    DWORD sizeHigh = 0;
    DWORD sizeLow = 0;
    const TCHAR *name = nullptr;
    size_t nameUnits = 0;
    const TCHAR *shortName = nullptr;
    size_t shortUnits = 0;
};

// A buffer of the native query and what the query put in it.
struct FolderQuerySlot {
    uint8_t *bytes = nullptr;
    size_t filled = 0;
    int result = 0;  // 1 filled, 0 no more entries, -1 the query failed
};

struct FolderReader {
    HANDLE folder = INVALID_HANDLE_VALUE;  // handle of the native query
    HANDLE find = INVALID_HANDLE_VALUE;    // handle of the find functions
    size_t bufferBytes = 0;
    FolderQuerySlot slots[2];
    int current = 0;      // slot being taken apart
    size_t next = 0;      // offset of its next record
    bool findPending = false;  // the find data holds an entry not yet given
    bool ended = false;
    // A folder that fills the first buffer is read ahead on a thread of its
    // own: the system fills one slot while the caller works through the
    // other. The thread fills slot 1, 0, 1, ... each once it is free.
    HANDLE ahead = nullptr;
    HANDLE slotFree[2] = {nullptr, nullptr};
    HANDLE slotFilled[2] = {nullptr, nullptr};
    volatile LONG stop = 0;
    // Work the caller has for the time the next buffer is still being read:
    // called again while the buffer is not there and it returns true.
    bool (*idle)(void *context) = nullptr;
    void *idleContext = nullptr;
    WIN32_FIND_DATA findData{};
#if defined(QV_ANSI)
    char name[2 * MAX_PATH];
    char shortName[2 * 14];
#endif

    FolderReader() = default;
    FolderReader(const FolderReader &) = delete;
    FolderReader &operator=(const FolderReader &) = delete;
    ~FolderReader();
};

// Opens the folder; 0 when it cannot be read (the system's error is kept).
int FolderRead_Open(FolderReader *reader, const TCHAR *folder);

// The next entry, "." and ".." included; 0 at the end or when reading fails
// (what was given so far stands).
int FolderRead_Next(FolderReader *reader, FolderItem *item);

// Which way a reader took, for tests: 0 the find functions, 1 the native
// query, 2 the query read ahead on a thread.
int FolderRead_Way(const FolderReader &reader);

// Tests shrink the buffer to cross many queries, or turn the native query off
// to compare both ways on one folder.
struct FolderReadSeams {
    size_t bufferBytes = size_t(1) << 20;
    bool findOnly = false;
};
extern FolderReadSeams g_folderReadSeams;
