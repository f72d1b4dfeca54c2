// Owns one file handle and closes it on every path; Close reports whether
// the close worked (a write may only fail there).
#pragma once

#include <windows.h>

struct HandleGuard {
    HANDLE h;
    explicit HandleGuard(HANDLE handle) : h(handle) {}
    ~HandleGuard() { Close(); }
    HandleGuard(const HandleGuard &) = delete;
    HandleGuard &operator=(const HandleGuard &) = delete;
    bool Valid() const { return h != INVALID_HANDLE_VALUE; }
    BOOL Close() {
        if (!Valid()) return TRUE;
        const BOOL ok = CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
        return ok;
    }
};
