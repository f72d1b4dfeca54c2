// Copy, move, rename and delete of the current file through the shell's file
// operation, so the system's progress, confirmation and recycle bin apply;
// an archive member is copied out by extracting it. The current list and
// picture record change only after the file system shows the operation done.
#pragma once

#include <windows.h>

#include <cstdint>

enum FileOpeKind : int { kFileOpeCopy = 1, kFileOpeMove = 2, kFileOpeRename = 3, kFileOpeDelete = 4 };

// 1 when the operation is possible now on the current file.
int FileOpe_CanOperate(int kind);
// slot -1 asks for the destination; 0..9 uses that registered folder (the
// dialog opens only when the slot is empty). 1 done, 0 not done.
int FileOpe_Copy(HWND owner, int slot);
int FileOpe_Move(HWND owner, int slot);
int FileOpe_Rename(HWND owner);
// permanent: 1 for the delete-for-good command. 1 done, 0 not done.
int FileOpe_Delete(HWND owner, int permanent);
// The folder of targetPath exists afterwards: 0 it exists or was created
// (after one question for all missing levels), 3 the user declined, 4 an
// invalid path (no root, a bad character, a level that is a file, 260
// characters or more), 5 creating a level failed.
int FileOpe_EnsureFolder(const TCHAR *targetPath, HWND owner);
// 0 written, 1 nothing to extract, 2 write failure, -1 declined or read-only.
int FileOpe_ExtractMember(const TCHAR *targetPath, HWND owner);

// A file operation runs (the frame takes no commands and does not close).
bool FileOpe_Running();
// Start-up: joins the frame's busy test and the menus' file-operation test.
void FileOpe_Install();
