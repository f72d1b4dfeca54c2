#include "util/qv_FileStream.h"

#include <initializer_list>

#include "../../res/resource.h"
#include "other/qv_CmdLineCore.h"
#include "other/qv_Mem.h"
#include "other/qv_Msg.h"
#include "other/qv_Res.h"
#include "util/qv_Path.h"
#include "util/qv_Text.h"

FileStream::~FileStream() { File_Release(this); }

void File_Init(FileStream *stream) {
    if (stream == nullptr) return;
    stream->handle = INVALID_HANDLE_VALUE;
    stream->path = nullptr;
    stream->access = 0;
    stream->memory = nullptr;
    stream->position = 0;
    stream->size = 0;
}

void File_Release(FileStream *stream) {
    if (stream == nullptr) return;
    File_Close(stream);
    QV_Free(stream->path);
    File_Init(stream);
}

namespace {

int StorePath(FileStream *stream, const TCHAR *const *pieces) {
    uint64_t total = 1;
    size_t count = 0;
    for (; pieces[count] != nullptr; ++count) {
        if (count >= 32512) return 0;
        total += qvtext::Length(pieces[count]) + 1;
        if (total > 0x7FFFFFFE) return 0;
    }
    TCHAR *joined = static_cast<TCHAR *>(QV_Alloc(uint32_t(total * sizeof(TCHAR))));
    if (joined == nullptr) return 0;
    joined[0] = 0;
    for (size_t i = 0; i < count; ++i)
        if (Path_Append(int(total), joined, pieces[i], 0) == nullptr) {
            QV_Free(joined);
            return 0;
        }
    if (joined[0] == 0) {
        QV_Free(joined);
        return 0;
    }
    QV_Free(stream->path);
    stream->path = joined;
    return 1;
}

bool IsMemory(const FileStream *stream) { return stream->memory != nullptr; }

}  // namespace

int File_SetPath(const TCHAR *path, FileStream *stream) {
    if (stream == nullptr || path == nullptr) return 0;
    const TCHAR *pieces[] = {path, nullptr};
    return StorePath(stream, pieces);
}

int File_SetPathJoined(const TCHAR *const *pieces, FileStream *stream) {
    if (stream == nullptr || pieces == nullptr) return 0;
    return StorePath(stream, pieces);
}

int File_OpenMemory(FileStream *stream, const void *block, uint32_t size) {
    if (stream == nullptr || block == nullptr || IsMemory(stream)) return 0;
    File_Close(stream);
    stream->memory = static_cast<const uint8_t *>(block);
    stream->size = size;
    stream->position = 0;
    stream->access = 0;
    return 1;
}

int File_OpenSource(const TCHAR *path, const void *block, FileStream *stream, uint32_t size) {
    if (block != nullptr) return File_OpenMemory(stream, block, size);
    if (path == nullptr || path[0] == 0) return 0;
    return File_SetPath(path, stream);
}

int File_Open(FileStream *stream, uint32_t access, uint32_t share, uint32_t disposition, uint32_t flags) {
    if (stream == nullptr) return 0;
    File_Close(stream);
    if (IsMemory(stream)) {
        stream->position = 0;
        stream->access = access;
        return 1;
    }
    if (stream->path == nullptr) return 0;
    stream->handle = CreateFile(stream->path, access, share, nullptr, disposition, flags, nullptr);
    if (stream->handle == INVALID_HANDLE_VALUE) return 0;
    stream->access = access;
    return 1;
}

int File_OpenRead(int randomAccess, FileStream *stream) {
    return File_Open(stream, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                     randomAccess ? FILE_FLAG_RANDOM_ACCESS : FILE_FLAG_SEQUENTIAL_SCAN);
}

int File_Close(FileStream *stream) {
    if (stream == nullptr) return 0;
    if (IsMemory(stream)) {
        stream->access = 0;
        stream->position = 0;
        return 1;
    }
    if (stream->handle == INVALID_HANDLE_VALUE) return 1;
    const BOOL ok = CloseHandle(stream->handle);
    stream->handle = INVALID_HANDLE_VALUE;
    return ok ? 1 : 0;
}

bool File_IsOpen(const FileStream *stream) {
    if (stream == nullptr) return false;
    return IsMemory(stream) ? stream->access != 0 : stream->handle != INVALID_HANDLE_VALUE;
}

int File_Read(void *buffer, uint32_t *count, uint32_t n, FileStream *stream) {
    if (count) *count = 0;
    if (stream == nullptr) return 0;
    if (!IsMemory(stream)) {
        DWORD got = 0;
        const BOOL ok = ReadFile(stream->handle, buffer, n, &got, nullptr);
        if (count) *count = got;
        return ok ? 1 : 0;
    }
    if ((stream->access & GENERIC_READ) == 0 || buffer == nullptr) return 0;
    uint64_t take = 0;
    if (stream->position < stream->size) {
        take = stream->size - stream->position;
        if (take > n) take = n;
        CopyMemory(buffer, stream->memory + stream->position, size_t(take));
        stream->position += take;
    }
    if (count) *count = uint32_t(take);
    return 1;
}

int File_ReadExact(void *buffer, FileStream *stream, uint32_t n) {
    uint32_t got = 0;
    return File_Read(buffer, &got, n, stream) && got == n ? 1 : 0;
}

int File_Write(const void *buffer, uint32_t count, FileStream *stream, uint32_t *written) {
    if (written) *written = 0;
    if (stream == nullptr || IsMemory(stream)) return 0;
    DWORD done = 0;
    const BOOL ok = WriteFile(stream->handle, buffer, count, &done, nullptr);
    if (written) *written = done;
    return ok ? 1 : 0;
}

int File_Seek(FileStream *stream, int32_t *low, int32_t *high, int origin) {
    if (stream == nullptr || low == nullptr) return 0;
    if (!IsMemory(stream)) {
        LONG h = high ? *high : 0;
        SetLastError(0);
        const DWORD r = SetFilePointer(stream->handle, *low, high ? &h : nullptr, DWORD(origin));
        if (r == INVALID_SET_FILE_POINTER && GetLastError() != 0) return 0;
        *low = int32_t(r);
        if (high) *high = h;
        return 1;
    }
    if ((stream->access & (GENERIC_READ | GENERIC_WRITE)) == 0) return 0;
    int64_t base;
    switch (origin) {
        case 0: base = 0; break;
        case 1: base = int64_t(stream->position); break;
        case 2: base = int64_t(stream->size); break;
        default: return 0;
    }
    const int64_t distance = high ? int64_t((uint64_t(uint32_t(*high)) << 32) | uint32_t(*low)) : int64_t(*low);
    if ((distance > 0 && base > INT64_MAX - distance) || base + distance < 0) return 0;
    stream->position = uint64_t(base + distance);
    *low = int32_t(uint32_t(stream->position));
    if (high) *high = int32_t(uint32_t(stream->position >> 32));
    return 1;
}

int File_SeekSet(FileStream *stream, int32_t *position, int origin) { return File_Seek(stream, position, nullptr, origin); }

int File_Tell(FileStream *stream, int32_t *low, int32_t *high) {
    int32_t l = 0, h = 0;
    if (!File_Seek(stream, &l, &h, 1)) l = h = -1;
    if (low) *low = l;
    if (high) *high = h;
    return l == -1 && h == -1 ? 0 : 1;
}

int File_Truncate(FileStream *stream) {
    if (stream == nullptr || IsMemory(stream)) return 0;
    return SetEndOfFile(stream->handle) ? 1 : 0;
}

const uint8_t *File_MemCurrentPtr(const FileStream *stream) {
    if (stream == nullptr || !IsMemory(stream) || stream->position >= stream->size) return nullptr;
    return stream->memory + stream->position;
}

uint32_t File_MemRemaining(const FileStream *stream, uint32_t *high) {
    if (high) *high = 0;
    if (stream == nullptr || !IsMemory(stream) || stream->position >= stream->size) return 0;
    const uint64_t rest = stream->size - stream->position;
    if (high) *high = uint32_t(rest >> 32);
    return uint32_t(rest);
}

namespace {

// Opens a closed file stream for one call and closes it again.
class TemporaryOpen {
public:
    TemporaryOpen(FileStream *stream, uint32_t access) : stream_(stream) {
        if (!File_IsOpen(stream))
            opened_ = File_Open(stream, access, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0) != 0;
    }
    ~TemporaryOpen() {
        if (opened_) File_Close(stream_);
    }
    TemporaryOpen(const TemporaryOpen &) = delete;
    TemporaryOpen &operator=(const TemporaryOpen &) = delete;

private:
    FileStream *stream_;
    bool opened_ = false;
};

}  // namespace

int File_GetSize(FileStream *stream, uint32_t *low, uint32_t *high) {
    if (low) *low = 0;
    if (high) *high = 0;
    if (stream == nullptr) return 0;
    if (IsMemory(stream)) {
        if (low) *low = uint32_t(stream->size);
        if (high) *high = uint32_t(stream->size >> 32);
        return 1;
    }
    TemporaryOpen open(stream, GENERIC_READ);
    if (!File_IsOpen(stream)) return 0;
    DWORD h = 0;
    SetLastError(0);
    const DWORD l = GetFileSize(stream->handle, &h);
    if (l == INVALID_FILE_SIZE && GetLastError() != 0) return 0;
    if (low) *low = l;
    if (high) *high = h;
    return 1;
}

int File_GetTimes(FileStream *stream, FILETIME *creation, FILETIME *access, FILETIME *write) {
    for (FILETIME *t : {creation, access, write})
        if (t) *t = FILETIME{};
    if (stream == nullptr || IsMemory(stream)) return 0;
    TemporaryOpen open(stream, GENERIC_READ);
    if (!File_IsOpen(stream)) return 0;
    return GetFileTime(stream->handle, creation, access, write) ? 1 : 0;
}

int File_SetTimes(FileStream *stream, const FILETIME *creation, const FILETIME *access, const FILETIME *write) {
    if (stream == nullptr || IsMemory(stream)) return 0;
    TemporaryOpen open(stream, GENERIC_WRITE);
    if (!File_IsOpen(stream)) return 0;
    return SetFileTime(stream->handle, creation, access, write) ? 1 : 0;
}

int File_Exists(const FileStream *stream) {
    if (stream == nullptr || IsMemory(stream) || stream->path == nullptr) return 0;
    return GetFileAttributes(stream->path) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

int File_GetAttributes(DWORD *attributes, const TCHAR *path) {
    if (attributes == nullptr || path == nullptr) return 0;
    const DWORD a = GetFileAttributes(path);
    if (a == INVALID_FILE_ATTRIBUTES) return 0;
    *attributes = a;
    return 1;
}

int File_Delete(FileStream *stream) {
    if (stream == nullptr || IsMemory(stream) || stream->path == nullptr) return 0;
    File_Close(stream);
    return DeleteFile(stream->path) ? 1 : 0;
}

int File_CreateFolder(const TCHAR *path) {
    if (path == nullptr || path[0] == 0) return 2;
    const DWORD a = GetFileAttributes(path);
    if (a != INVALID_FILE_ATTRIBUTES) return (a & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    return CreateDirectory(path, nullptr) ? 0 : 2;
}

bool File_HasBadNameChars(const TCHAR *text, int pathMode) {
    if (text == nullptr) return false;
    for (const TCHAR *p = text; *p != 0; p = qvtext::NextChar(p)) {
        if (qvtext::CharUnits(p) != 1) continue;
        switch (*p) {
            case '"': case ':': case '*': case '?': case '<': case '>': case '|': return true;
            case '\\': case '/':
                if (!pathMode) return true;
                break;
            default: break;
        }
    }
    return false;
}

void File_ReportBadNameChars(HWND owner) {
    TCHAR format[200];
    TCHAR text[260];
    if (Res_LoadText(format, IDS_BAD_NAME_CHARS, 200) <= 0) return;
    wsprintf(text, format, TEXT("\\ / : * ? \" < > |"));
    Msg_ReportError(nullptr, owner, text, -1, 0);
}

int File_SanitizeName(TCHAR *name) { return File_SanitizeNameT(name); }
