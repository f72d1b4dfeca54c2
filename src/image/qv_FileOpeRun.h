// What the file-operation sources share: the calls tests replace, the
// shell call, the busy scope of one operation and the update after the
// current file left its folder.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <cstdint>

#include "image/qv_FileList.h"
#include "other/qv_Mem.h"
#include "other/qv_Settings.h"
#include "other/qv_WndUtil.h"

// The questions of an operation; the defaults are the dialogs.
struct FileOpeSeams {
    // The destination folder text (slot -1 asks, 0..9 a registered folder),
    // null when cancelled.
    const TCHAR *(*askDestination)(HWND owner, int slot, int isCopy);
    // The rename dialog: 1 OK with the new name in name (260 characters).
    INT_PTR (*askNewName)(TCHAR *name, HWND owner);
    // The shell's file operation. Wine's differs from the system's where a
    // test needs the system's behaviour (a rename that changes only case).
    int(WINAPI *shell)(LPSHFILEOPSTRUCT operation);
};
extern FileOpeSeams g_fileOpeSeams;
void FileOpe_ResetSeams();

// One operation's busy time: the file-operation counter raised (refused at
// its maximum) and the wait cursor shown, both undone on scope exit.
class FileOpeBusy {
public:
    FileOpeBusy();
    ~FileOpeBusy();
    FileOpeBusy(const FileOpeBusy &) = delete;
    FileOpeBusy &operator=(const FileOpeBusy &) = delete;
    bool ok() const { return raised_; }

private:
    bool raised_ = false;
    WaitCursorGuard wait_;
};

// The current file's full path followed by two NULs, in owned; null when
// there is none.
const TCHAR *FileOpe_SourceList(OwnedBuffer *owned);

// SHFileOperation with one source and an optional target (both lists ending
// in two NULs). The shell's result; *aborted its fAnyOperationsAborted.
int FileOpe_RunShell(UINT function, const TCHAR *from, const TCHAR *to, uint16_t flags, HWND owner, bool *aborted);

// The current file has been moved away (kImgMovedAway) or deleted
// (kImgDeleted): the record is marked, its entry blanked in the list and
// the title, status and tool bars told.
void FileOpe_MarkGone(uint32_t mark);

// With the show-next option on, posts the next-file command to the frame.
// Posted, not sent: the frame takes no commands while the operation's
// counter and guard are held, and they are released only after this call's
// caller returns into the message loop.
void FileOpe_PostNextFile();

// An option byte of the file operations (kOptDeleteConfirm, ...) is on.
inline bool FileOpe_Option(OptByte option) { return g_settings.option[option] != 0; }
