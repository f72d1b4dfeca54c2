#include "image/qv_FileSource.h"

namespace {

uint32_t FileRead(void *context, void *buffer, uint32_t n) {
    DWORD got = 0;
    if (!ReadFile(static_cast<FileReader *>(context)->file, buffer, n, &got, nullptr)) return 0;
    return got;
}

bool FileSkip(void *context, uint32_t n) {
    auto *r = static_cast<FileReader *>(context);
    LARGE_INTEGER move, now, size;
    move.QuadPart = 0;
    if (!SetFilePointerEx(r->file, move, &now, FILE_CURRENT) || !GetFileSizeEx(r->file, &size)) return false;
    if (uint64_t(size.QuadPart - now.QuadPart) < n) return false;
    move.QuadPart = n;
    return SetFilePointerEx(r->file, move, nullptr, FILE_CURRENT) != 0;
}

}  // namespace

bool FileReader_Open(FileReader *reader, const TCHAR *path) {
    if (path == nullptr || path[0] == 0) return false;
    reader->file = CreateFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return reader->file != INVALID_HANDLE_VALUE;
}

ByteSource ByteSource_FromFile(FileReader *reader) { return ByteSource{reader, FileRead, FileSkip}; }

bool FileReader_Size(FileReader *reader, uint64_t *size) {
    LARGE_INTEGER s;
    if (!GetFileSizeEx(reader->file, &s)) return false;
    *size = uint64_t(s.QuadPart);
    return true;
}
