#include "other/qv_CustomFile.h"

#include <cstdlib>
#include <cstring>

#include "../../res/resource.h"
#include "other/qv_Cfg.h"
#include "other/qv_CustomCore.h"
#include "other/qv_Instance.h"
#include "other/qv_Msg.h"
#include "util/qv_HandleGuard.h"
#include "util/qv_SafeSave.h"

namespace {

const TCHAR kFileName[] = TEXT("Custom.dat");
// Room the safe save needs beside the path for its temporary's name.
const TCHAR kTempSuffix[] = TEXT(".~qv00");

// A malloc'd block freed on every path.
struct HeapBlock {
    uint8_t *data = nullptr;
    explicit HeapBlock(uint8_t *owned) : data(owned) {}
    explicit HeapBlock(size_t n) : data(static_cast<uint8_t *>(std::malloc(n == 0 ? 1 : n))) {}
    ~HeapBlock() { std::free(data); }
    HeapBlock(const HeapBlock &) = delete;
    HeapBlock &operator=(const HeapBlock &) = delete;
};

// Full path of Custom.dat into out (MAX_PATH + 16); false when no user folder.
bool BuildPath(TCHAR *out, int capacity) {
    const int folder = Cfg_GetUserFolder(out, capacity);
    if (folder <= 0 || folder + lstrlen(kFileName) + lstrlen(kTempSuffix) + 2 > capacity) return false;
    if (out[folder - 1] != TEXT('\\') && out[folder - 1] != TEXT('/')) lstrcat(out, TEXT("\\"));
    lstrcat(out, kFileName);
    return true;
}

// Reads at most kCustomMaxFileSize bytes of the file at path. Missing file:
// size 0. False when the file exists but cannot be read.
bool ReadOldFile(const TCHAR *path, uint8_t **data, uint64_t *size) {
    *data = nullptr;
    *size = 0;
    HandleGuard file(CreateFile(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                                nullptr));
    if (!file.Valid()) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    LARGE_INTEGER total;
    if (!GetFileSizeEx(file.h, &total) || total.QuadPart < 0) return false;
    // Anything past the cap is not a sound chunk of ours: the walk drops it.
    const uint64_t want = uint64_t(total.QuadPart) < kCustomMaxFileSize ? uint64_t(total.QuadPart) : kCustomMaxFileSize;
    auto *block = static_cast<uint8_t *>(std::malloc(size_t(want) + 1));
    if (block == nullptr) return false;
    DWORD got = 0;
    if (want != 0 && (!ReadFile(file.h, block, DWORD(want), &got, nullptr) || got != want)) {
        std::free(block);
        return false;
    }
    *data = block;
    *size = want;
    return true;
}

int Reported(int step) {
    Msg_BoxById(nullptr, IDS_CUSTOM_WRITE_FAILED, MB_OK | MB_ICONERROR, 1);
    return step;
}

}  // namespace

int CustomFile_SetPath(FileStream *stream) {
    if (stream == nullptr) return 1;
    TCHAR path[MAX_PATH + 32];
    if (!BuildPath(path, int(sizeof path / sizeof path[0]))) return 2;
    return File_SetPath(path, stream) ? 0 : 3;
}

int CustomFile_Open(CustomFile *file, int forWriting) {
    if (file == nullptr) return 3;
    if (File_IsOpen(&file->stream)) return 1;
    if (file->stream.path == nullptr && CustomFile_SetPath(&file->stream) != 0) return 3;
    if (file->lock.mutex == nullptr) file->lock.mutex = &g_instance.mutex;
    if (!CfgLock_Acquire(&file->lock)) return 4;
    int step = 0;
    if (forWriting) {
        if (Cfg_EnsureFolders() != 0) step = 5;
        else if (!File_Open(&file->stream, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS))
            step = 6;
    } else if (!File_OpenRead(1, &file->stream)) {
        step = 7;
    }
    if (step != 0) CfgLock_Release(&file->lock);
    return step;
}

int CustomFile_OpenMemory(const void *data, CustomFile *file, uint32_t size) {
    if (file == nullptr) return 9;
    if (File_IsOpen(&file->stream)) return 1;
    if (data == nullptr || size == 0) return 8;
    if (!File_OpenMemory(&file->stream, data, size)) return 9;
    return File_Open(&file->stream, GENERIC_READ, 0, 0, 0) ? 0 : 7;
}

int CustomFile_CloseFile(CustomFile *file) {
    if (file == nullptr || !File_IsOpen(&file->stream)) return 1;
    File_Close(&file->stream);
    CfgLock_Release(&file->lock);
    return 0;
}

void CustomFile_Close(CustomFile *file) {
    if (file == nullptr) return;
    File_Close(&file->stream);
    CfgLock_ReleaseAll(&file->lock);
}

int CustomFile_FindChunk(CustomFile *file, uint32_t *outLength, const char tag[4]) {
    if (file == nullptr || !File_IsOpen(&file->stream)) return 1;
    uint32_t low = 0, high = 0;
    if (!File_GetSize(&file->stream, &low, &high)) return 2;
    const uint64_t size = uint64_t(high) << 32 | low;
    int32_t zero = 0;
    if (!File_SeekSet(&file->stream, &zero, FILE_BEGIN)) return 3;
    uint8_t header[kCustomHeaderSize];
    if (!File_ReadExact(header, &file->stream, kCustomHeaderSize) || !Custom_HasSignature(header, sizeof header))
        return 5;
    uint64_t pos = kCustomHeaderSize;
    for (;;) {
        if (size - pos < kCustomChunkOverhead) return 6;
        int32_t lo = int32_t(uint32_t(pos)), hi = int32_t(uint32_t(pos >> 32));
        if (!File_Seek(&file->stream, &lo, &hi, FILE_BEGIN)) return 8;
        uint8_t head[8];
        if (!File_ReadExact(head, &file->stream, sizeof head)) return 8;
        const uint32_t length = Custom_GetU32(head);
        uint64_t next = 0;
        const int check = Custom_CheckChunk(pos, size, length, &next);
        if (check != 0) return check;
        if (std::memcmp(head + 4, tag, 4) == 0) {
            if (outLength != nullptr) *outLength = length;
            return 0;  // the stream stands just behind the tag
        }
        pos = next;
    }
}

CustomFileReading::CustomFileReading(CustomFile *given) {
    if (given != nullptr)
        file_ = given;
    else if (CustomFile_Open(&own_, 0) == 0)
        file_ = &own_;
}

CustomFileReading::~CustomFileReading() { CustomFile_Close(&own_); }

int CustomFile_ReadChunk(CustomFile *file, const char tag[4], uint8_t *data, uint32_t capacity, uint32_t *length) {
    CustomFileReading reading(file);
    if (reading.file() == nullptr) return 255;
    uint32_t chunkLength = 0;
    int step = 0;
    if (CustomFile_FindChunk(reading.file(), &chunkLength, tag) != 0) step = 254;
    else if (chunkLength > capacity) step = 1;
    else if (chunkLength != 0 && (data == nullptr || !File_ReadExact(data, &reading.file()->stream, chunkLength))) step = 3;
    if (step == 0 && length != nullptr) *length = chunkLength;
    return step;
}

int CustomFile_WriteChunk(const char tag[4], const uint8_t *data, uint32_t length) {
    if (tag == nullptr || length > kCustomMaxChunkLength - kCustomHeaderSize || (length != 0 && data == nullptr))
        return Reported(11);
    CfgLockGuard lock;
    if (!lock.Acquire()) return Reported(3);
    TCHAR path[MAX_PATH + 32];
    if (!BuildPath(path, int(sizeof path / sizeof path[0]))) return Reported(4);
    if (Cfg_EnsureFolders() != 0) return Reported(5);
    // A read-only Custom.dat is the user's wish to keep it: the replacing
    // move would not honour the mark everywhere, so refuse it here.
    const DWORD attributes = GetFileAttributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return Reported(6);
    uint8_t *oldData = nullptr;
    uint64_t oldSize = 0;
    if (!ReadOldFile(path, &oldData, &oldSize)) return Reported(6);
    HeapBlock old(oldData);
    const uint64_t total = Custom_ComposedSize(old.data, oldSize, tag, length);
    if (total == 0 || total > 0xFFFFFFFFu) return Reported(7);
    HeapBlock image{static_cast<size_t>(total)};
    if (image.data == nullptr) return Reported(7);
    if (Custom_Compose(old.data, oldSize, tag, data, length, image.data, total) != total) return Reported(7);
    // The old file is untouched until the new one is complete and flushed;
    // then one move replaces it.
    if (!SafeSave_WriteBytes(path, image.data, total)) return Reported(8);
    return 0;
}
