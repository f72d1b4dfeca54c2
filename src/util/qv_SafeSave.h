// A file replaced only by a complete new one: the new content is written to a
// temporary file of a fresh name in the target's own folder, flushed to disk,
// given the original's attributes and then moved over the target in one step.
// Until that move the target is untouched; on any failure the temporary is
// deleted again.
#pragma once

#include <windows.h>

#include <cstdint>

// Longest temporary path, in characters with the terminator. The image
// library appends a six-character suffix of its own to the path it writes,
// which must still fit in MAX_PATH.
constexpr int kSafeSaveTempChars = MAX_PATH - 8;

// Calls the tests replace to make a step fail; the defaults are the real calls.
struct SafeSaveSeams {
    BOOL(WINAPI *flushFileBuffers)(HANDLE file);
    BOOL(WINAPI *moveFileEx)(LPCTSTR from, LPCTSTR to, DWORD flags);
};
extern SafeSaveSeams g_safeSaveSeams;
void SafeSave_ResetSeams();

// Times to give the new file. A time not given: the creation time of the file
// replaced is kept (the user sees the same file with new content) and the
// write time is the time of writing.
struct SafeSaveTimes {
    FILETIME creation;
    FILETIME write;
    int hasCreation;
    int hasWrite;
};

// One save in progress. Destroying it before SafeSave_Commit succeeded
// deletes the temporary file, so every early return aborts.
struct SafeSave {
    TCHAR target[MAX_PATH] = {};
    TCHAR temp[MAX_PATH] = {};
    int active = 0;  // the temporary exists and is ours to delete

    SafeSave() = default;
    ~SafeSave();
    SafeSave(const SafeSave &) = delete;
    SafeSave &operator=(const SafeSave &) = delete;
};

// Candidate `index` for the temporary of target into out (capacity
// characters): the target path with ".~qv<index>" appended, or, when that is
// too long, "~qv<index>.tmp" in the target's folder. 0 when neither fits.
int SafeSave_TempName(const TCHAR *target, int index, TCHAR *out, int capacity);

// Creates an empty temporary beside target under a name no file had (never
// opening an existing one) and returns its path, or null. A target that is a
// folder or lies in a missing folder gives null.
const TCHAR *SafeSave_Begin(SafeSave *save, const TCHAR *target);

// Flushes the temporary, gives it the original's hidden, system, archive and
// not-indexed marks and the times, and moves it over the target. 1 done; 0
// failed: the temporary is gone and the target as it was. A read-only target
// is refused here too (the move would replace it).
int SafeSave_Commit(SafeSave *save, const SafeSaveTimes *times);

// Deletes the temporary, if any.
void SafeSave_Abort(SafeSave *save);

// Writes the temporary: 1 done, 0 failed (the file may hold anything then).
typedef int (*SafeSaveWriter)(void *context, const TCHAR *tempPath);

// Begin, writer, commit; 1 done, 0 failed with the target as it was.
int SafeSave_Write(const TCHAR *target, SafeSaveWriter writer, void *context, const SafeSaveTimes *times);
// The same for a block of bytes.
int SafeSave_WriteBytes(const TCHAR *target, const void *data, uint64_t size, const SafeSaveTimes *times = nullptr);
