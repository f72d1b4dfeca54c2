#include "dll_support.h"

#include <cstdio>

namespace {

constexpr uint64_t kMaxFileBytes = uint64_t{1} << 30;

#if DIBCORE_UTF16
using Char = wchar_t;
HANDLE OpenRead(DibPath p) {
    return CreateFileW(p, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}
HANDLE OpenWrite(const Char *p) {
    return CreateFileW(p, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}
BOOL Replace(const Char *from, const Char *to) {
    return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
BOOL Remove(const Char *p) { return DeleteFileW(p); }
size_t Len(const Char *s) { return wcslen(s); }
#else
using Char = char;
HANDLE OpenRead(DibPath p) {
    return CreateFileA(p, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}
HANDLE OpenWrite(const Char *p) {
    return CreateFileA(p, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}
BOOL Replace(const Char *from, const Char *to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
BOOL Remove(const Char *p) { return DeleteFileA(p); }
size_t Len(const Char *s) { return strlen(s); }
#endif

struct FileGuard {
    HANDLE h;
    ~FileGuard() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

}  // namespace

bool Dll_ReadFile(DibPath path, dibcore::ByteBuffer *out) {
    if (path == nullptr || out == nullptr) return false;
    FileGuard f{OpenRead(path)};
    if (f.h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f.h, &size) || size.QuadPart < 0 || uint64_t(size.QuadPart) > kMaxFileBytes) return false;
    const size_t want = size_t(size.QuadPart);
    if (!out->Reserve(want)) return false;
    // Read no more than was allocated, whatever the file does meanwhile.
    size_t got = 0;
    while (got < want) {
        DWORD chunk = 0;
        const DWORD ask = DWORD(want - got > (1u << 24) ? (1u << 24) : want - got);
        if (!ReadFile(f.h, out->Tail() + got, ask, &chunk, nullptr)) return false;
        if (chunk == 0) break;  // the file shrank: decode what is there
        got += chunk;
    }
    out->Commit(got);
    return true;
}

bool Dll_WriteFile(DibPath path, const dibcore::ByteBuffer &bytes) {
    if (path == nullptr || path[0] == 0 || bytes.failed()) return false;
    const size_t n = Len(path);
    Char temp[MAX_PATH + 32];
    if (n + 16 >= sizeof temp / sizeof temp[0]) return false;
    for (size_t i = 0; i < n; ++i) temp[i] = path[i];
    const Char suffix[] = {'.', 'q', 'v', 't', 'm', 'p', 0};
    for (size_t i = 0; i < sizeof suffix / sizeof suffix[0]; ++i) temp[n + i] = suffix[i];
    {
        FileGuard f{OpenWrite(temp)};
        if (f.h == INVALID_HANDLE_VALUE) return false;
        size_t done = 0;
        bool ok = true;
        while (done < bytes.size()) {
            DWORD wrote = 0;
            const DWORD ask = DWORD(bytes.size() - done > (1u << 24) ? (1u << 24) : bytes.size() - done);
            if (!WriteFile(f.h, bytes.data() + done, ask, &wrote, nullptr) || wrote == 0) {
                ok = false;
                break;
            }
            done += wrote;
        }
        if (ok) ok = FlushFileBuffers(f.h) != 0;
        if (!ok) {
            CloseHandle(f.h);
            f.h = INVALID_HANDLE_VALUE;
            Remove(temp);
            return false;
        }
    }
    if (!Replace(temp, path)) {
        Remove(temp);
        return false;
    }
    return true;
}
