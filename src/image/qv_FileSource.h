// A ByteSource over an open file.
#pragma once

#include <windows.h>

#include "image/qv_ByteSource.h"

struct FileReader {
    HANDLE file = INVALID_HANDLE_VALUE;
    ~FileReader() {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    FileReader() = default;
    FileReader(const FileReader &) = delete;
    FileReader &operator=(const FileReader &) = delete;
};

// Opens an existing file for reading (others may read and write it).
bool FileReader_Open(FileReader *reader, const TCHAR *path);
ByteSource ByteSource_FromFile(FileReader *reader);
// The file's size; false when it cannot be asked.
bool FileReader_Size(FileReader *reader, uint64_t *size);
