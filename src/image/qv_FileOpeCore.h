// The decisions of the file operations over plain values: the shell flags
// from the options, when an operation counts as done, which operations the
// current file allows, where a target path is joined and how the missing
// folders of a target are found. The shell calls themselves live in
// qv_FileOpe*.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

#include "util/qv_StrCore.h"

enum FileOpeOperation : int { kOpeCopy = 1, kOpeMove = 2, kOpeRename = 3, kOpeDelete = 4 };

// The shell's flag bits the operations use.
constexpr uint16_t kFofNoConfirmation = 0x10;
constexpr uint16_t kFofAllowUndo = 0x40;
constexpr uint16_t kFofWantNukeWarning = 0x4000;

// Copy and move: undo always; no overwrite question unless asked for.
uint16_t FileOpe_TransferFlags(bool askOverwrite);
// Delete: the confirmation per option, the recycle bin when wanted and the
// command is not the permanent one. Where no bin takes the file the shell
// must then ask before deleting for good instead of doing so without a word.
uint16_t FileOpe_DeleteFlags(bool confirm, bool toRecycleBin, bool permanent);

// What the file system shows after the shell returned.
struct FileOpeAfter {
    int shellResult;     // the shell call's return
    bool aborted;        // its fAnyOperationsAborted
    bool sourceExists;   // the current file is still there
    bool targetExists;   // copy, move: the target file; rename: the new name, spelt as asked
};
// The shell's 0 alone is not success: a declined confirmation returns 0
// with the aborted mark, and a rename to a name the system trims returns 0
// with the file unchanged.
bool FileOpe_IsDone(int operation, const FileOpeAfter &after);

// What the current file offers.
struct FileOpeFacts {
    bool hasList;
    bool isArchive;
    bool hasFile;       // no no-file mark
    bool hasPathAndName;
    bool exists;        // the file, or for an archive member the archive
};
// An archive member can only be copied out.
bool FileOpe_IsAllowed(int operation, const FileOpeFacts &facts);

// The menus number the operations 0 rename, 1 move, 2 copy, 3 delete; 0 for
// any other number.
int FileOpe_FromMenuOperation(int menuOperation);

// Where the folder of a target file ends and what its root is.
struct FileOpeFolderPlan {
    size_t rootEnd;    // units of the root: "D:" or "\\server\share"
    size_t folderEnd;  // units of the folder: the path before the file name's separator
};
// false: no root, no file name, an empty folder part or a character no path
// may hold after the root (" : * ? < > | and control characters).
template <class Ch>
bool FileOpe_PlanFolder(const Ch *path, FileOpeFolderPlan *out) {
    qvtext::PathParts<Ch> parts;
    if (path == nullptr || out == nullptr || !qvtext::Split(path, &parts)) return false;
    if (parts.afterRoot == path || parts.name == nullptr) return false;
    size_t folderEnd = size_t(parts.name - path);
    while (folderEnd > 0 && qvtext::IsSeparator(path[folderEnd - 1])) --folderEnd;
    const size_t rootEnd = size_t(parts.afterRoot - path);
    if (folderEnd == 0 || folderEnd < rootEnd) return false;
    for (const Ch *p = parts.afterRoot; p < path + folderEnd; p = qvtext::NextChar(p)) {
        if (qvtext::CharUnits(p) != 1) continue;
        const auto unit = static_cast<std::make_unsigned_t<Ch>>(*p);
        if (unit < 0x20) return false;
        switch (unit) {
            case ':': case '*': case '?': case '"': case '<': case '>': case '|': return false;
            default: break;
        }
    }
    out->rootEnd = rootEnd;
    out->folderEnd = folderEnd;
    return true;
}

// The end of the folder level after `from` (a level end or the root end),
// at most folderEnd; folderEnd when none is left.
template <class Ch>
size_t FileOpe_NextLevelEnd(const Ch *path, size_t from, size_t folderEnd) {
    size_t at = from;
    while (at < folderEnd && qvtext::IsSeparator(path[at])) ++at;
    while (at < folderEnd && !qvtext::IsSeparator(path[at])) at += qvtext::CharUnits(path + at);
    return at < folderEnd ? at : folderEnd;
}

// out (capacity units) = folder joined with name, terminated by two NULs for
// the shell. false (out empty) when the name carries a root of its own, is
// 260 characters or more, or the joined path with its second NUL does not
// fit.
template <class Ch>
bool FileOpe_JoinTarget(const Ch *folder, const Ch *name, Ch *out, size_t capacity) {
    if (out == nullptr || capacity < 2) return false;
    out[0] = out[1] = 0;
    const size_t nameLength = qvtext::Length(name);
    if (folder == nullptr || folder[0] == 0 || nameLength == 0 || nameLength >= 260) return false;
    if (qvtext::IsAbsolute(name) || qvtext::AfterRoot(name) != name || qvtext::IsSeparator(name[0])) return false;
    if (qvtext::CopyInto(out, capacity - 1, folder) != qvtext::Length(folder) ||
        qvtext::Append(capacity - 1, out, name, false) == nullptr) {
        out[0] = out[1] = 0;
        return false;
    }
    out[qvtext::Length(out) + 1] = 0;
    return true;
}
