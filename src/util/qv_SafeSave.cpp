#include "util/qv_SafeSave.h"

#include <utility>

#include "util/qv_HandleGuard.h"
#include "util/qv_Path.h"

namespace {

// Names tried before giving up: enough for leftovers of crashed saves, few
// enough that a folder refusing every create fails quickly.
constexpr int kMaxCandidates = 100;

// Marks the user set on the original that the new file must carry on.
// Read-only is refused before; compressed and encrypted follow the folder.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

BOOL WINAPI RealFlush(HANDLE file) { return FlushFileBuffers(file); }
BOOL WINAPI RealMove(LPCTSTR from, LPCTSTR to, DWORD flags) { return MoveFileEx(from, to, flags); }

// head (headLength characters), middle and tail into out; false when it does not fit.
bool Compose(TCHAR *out, int capacity, const TCHAR *head, int headLength, const TCHAR *middle, const TCHAR *tail) {
    if (headLength + lstrlen(middle) + lstrlen(tail) + 1 > capacity) return false;
    lstrcpyn(out, head, headLength + 1);
    lstrcat(out, middle);
    lstrcat(out, tail);
    return true;
}

// Any file of the name blocks it; Windows says "access denied" for a folder or
// a file being deleted, Wine "exists".
bool NameTaken(DWORD error) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
}

bool FlushFile(const TCHAR *path) {
    HandleGuard file(CreateFile(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    if (!g_safeSaveSeams.flushFileBuffers(file.h)) return false;
    return file.Close() != FALSE;
}

bool ReadCreationTime(const TCHAR *path, FILETIME *creation) {
    HandleGuard file(CreateFile(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.Valid() && GetFileTime(file.h, creation, nullptr, nullptr);
}

bool StampTimes(const TCHAR *path, const FILETIME *creation, const FILETIME *write) {
    if (creation == nullptr && write == nullptr) return true;
    HandleGuard file(CreateFile(path, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid() && SetFileTime(file.h, creation, nullptr, write) && file.Close();
}

int WriteBytes(void *context, const TCHAR *tempPath) {
    const auto *block = static_cast<const std::pair<const void *, uint64_t> *>(context);
    HandleGuard file(CreateFile(tempPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return 0;
    const auto *bytes = static_cast<const uint8_t *>(block->first);
    uint64_t done = 0;
    while (done < block->second) {
        const uint64_t left = block->second - done;
        const DWORD ask = DWORD(left > (1u << 24) ? (1u << 24) : left);
        DWORD wrote = 0;
        if (!WriteFile(file.h, bytes + done, ask, &wrote, nullptr) || wrote == 0) return 0;
        done += wrote;
    }
    return file.Close() ? 1 : 0;
}

}  // namespace

SafeSaveSeams g_safeSaveSeams = {RealFlush, RealMove};

void SafeSave_ResetSeams() { g_safeSaveSeams = SafeSaveSeams{RealFlush, RealMove}; }

SafeSave::~SafeSave() { SafeSave_Abort(this); }

int SafeSave_TempName(const TCHAR *target, int index, TCHAR *out, int capacity) {
    if (target == nullptr || out == nullptr || capacity <= 0 || index < 0) return 0;
    out[0] = 0;
    const TCHAR *name = nullptr;
    if (!Path_Split(target, nullptr, nullptr, &name, nullptr) || name == nullptr || name[0] == 0) return 0;
    TCHAR marker[16];
    wsprintf(marker, TEXT("~qv%d"), index);
    // Beside the target under its own name, so a leftover says whose it was;
    // a path too long for that gets a short name in the same folder.
    if (Compose(out, capacity, target, lstrlen(target), TEXT("."), marker)) return 1;
    return Compose(out, capacity, target, int(name - target), marker, TEXT(".tmp")) ? 1 : 0;
}

const TCHAR *SafeSave_Begin(SafeSave *save, const TCHAR *target) {
    if (save == nullptr) return nullptr;
    SafeSave_Abort(save);
    if (target == nullptr || target[0] == 0 || lstrlen(target) >= MAX_PATH) return nullptr;
    const DWORD attributes = GetFileAttributes(target);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return nullptr;
    for (int i = 0; i < kMaxCandidates; ++i) {
        if (!SafeSave_TempName(target, i, save->temp, kSafeSaveTempChars)) return nullptr;
        // CREATE_NEW never opens a file that exists: whatever has the name
        // stays as it is and the next name is tried.
        HandleGuard file(
            CreateFile(save->temp, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.Valid()) {
            lstrcpy(save->target, target);
            save->active = 1;
            return save->temp;
        }
        if (!NameTaken(GetLastError())) break;
    }
    save->temp[0] = 0;
    return nullptr;
}

int SafeSave_Commit(SafeSave *save, const SafeSaveTimes *times) {
    if (save == nullptr || !save->active) return 0;
    const DWORD original = GetFileAttributes(save->target);
    const bool replacing = original != INVALID_FILE_ATTRIBUTES;
    if (replacing && (original & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        SafeSave_Abort(save);
        return 0;
    }
    FILETIME creation{}, write{};
    const FILETIME *newCreation = nullptr, *newWrite = nullptr;
    if (times != nullptr && times->hasCreation) {
        creation = times->creation;
        newCreation = &creation;
    } else if (replacing && ReadCreationTime(save->target, &creation)) {
        newCreation = &creation;
    }
    if (times != nullptr && times->hasWrite) {
        write = times->write;
        newWrite = &write;
    }
    // Everything that can fail happens to the temporary, before the move:
    // a failure leaves the target exactly as it was.
    bool ok = FlushFile(save->temp) && StampTimes(save->temp, newCreation, newWrite);
    if (ok && replacing && (original & kKeptAttributes) != 0)
        ok = SetFileAttributes(save->temp, original & kKeptAttributes) != FALSE;
    // The system's own replace would keep these marks on Windows, but Wine's
    // drops the hidden mark and the creation time; a move after setting them
    // gives the same file on both.
    if (ok) ok = g_safeSaveSeams.moveFileEx(save->temp, save->target,
                                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    if (!ok) {
        SafeSave_Abort(save);
        return 0;
    }
    save->active = 0;
    save->temp[0] = 0;
    return 1;
}

void SafeSave_Abort(SafeSave *save) {
    if (save == nullptr || !save->active) return;
    // A mark set for the target must not keep the temporary from going.
    SetFileAttributes(save->temp, FILE_ATTRIBUTE_NORMAL);
    DeleteFile(save->temp);
    save->active = 0;
    save->temp[0] = 0;
}

int SafeSave_Write(const TCHAR *target, SafeSaveWriter writer, void *context, const SafeSaveTimes *times) {
    if (writer == nullptr) return 0;
    SafeSave save;
    const TCHAR *temp = SafeSave_Begin(&save, target);
    if (temp == nullptr || !writer(context, temp)) return 0;
    return SafeSave_Commit(&save, times);
}

int SafeSave_WriteBytes(const TCHAR *target, const void *data, uint64_t size, const SafeSaveTimes *times) {
    if (data == nullptr && size != 0) return 0;
    std::pair<const void *, uint64_t> block(data, size);
    return SafeSave_Write(target, WriteBytes, &block, times);
}
