// FileStream: the one record through which the program reads and writes a
// file, or reads a block of memory as if it were one; and the small
// file-system functions around it.
#pragma once

#include <windows.h>

#include <cstdint>

struct FileStream {
    HANDLE handle = INVALID_HANDLE_VALUE;
    TCHAR *path = nullptr;       // owned (QV_Alloc)
    uint32_t access = 0;         // GENERIC_READ / GENERIC_WRITE of the last open
    const uint8_t *memory = nullptr;  // non-null: a memory stream (not owned)
    uint64_t position = 0;
    uint64_t size = 0;

    FileStream() = default;
    ~FileStream();
    FileStream(const FileStream &) = delete;
    FileStream &operator=(const FileStream &) = delete;
};

void File_Init(FileStream *stream);
void File_Release(FileStream *stream);

int File_SetPath(const TCHAR *path, FileStream *stream);
// Up to 32512 pieces joined with Path_Append; the list ends with null.
int File_SetPathJoined(const TCHAR *const *pieces, FileStream *stream);
int File_OpenMemory(FileStream *stream, const void *block, uint32_t size);
int File_OpenSource(const TCHAR *path, const void *block, FileStream *stream, uint32_t size);
int File_Open(FileStream *stream, uint32_t access, uint32_t share, uint32_t disposition, uint32_t flags);
int File_OpenRead(int randomAccess, FileStream *stream);
int File_Close(FileStream *stream);
bool File_IsOpen(const FileStream *stream);

int File_Read(void *buffer, uint32_t *count, uint32_t n, FileStream *stream);
int File_ReadExact(void *buffer, FileStream *stream, uint32_t n);
int File_Write(const void *buffer, uint32_t count, FileStream *stream, uint32_t *written);
int File_Seek(FileStream *stream, int32_t *low, int32_t *high, int origin);
int File_SeekSet(FileStream *stream, int32_t *position, int origin);
int File_Tell(FileStream *stream, int32_t *low, int32_t *high);
int File_Truncate(FileStream *stream);
const uint8_t *File_MemCurrentPtr(const FileStream *stream);
uint32_t File_MemRemaining(const FileStream *stream, uint32_t *high);

int File_GetSize(FileStream *stream, uint32_t *low, uint32_t *high);
int File_GetTimes(FileStream *stream, FILETIME *creation, FILETIME *access, FILETIME *write);
int File_SetTimes(FileStream *stream, const FILETIME *creation, const FILETIME *access, const FILETIME *write);
int File_Exists(const FileStream *stream);
int File_GetAttributes(DWORD *attributes, const TCHAR *path);
int File_Delete(FileStream *stream);
// 0 created or already a folder, 1 exists but is no folder, 2 failed.
int File_CreateFolder(const TCHAR *path);

// Name mode: " \ / : * ? < > |; path mode: " : * ? < > |.
bool File_HasBadNameChars(const TCHAR *text, int pathMode);
void File_ReportBadNameChars(HWND owner);
// Makes a name component safe in place (see File_SanitizeNameT); 1 when changed.
int File_SanitizeName(TCHAR *name);
