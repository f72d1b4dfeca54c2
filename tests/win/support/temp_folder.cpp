#include "support/temp_folder.h"

TempFolder::TempFolder(const TCHAR *tag) {
    TCHAR base[MAX_PATH];
    GetTempPath(MAX_PATH, base);
    static LONG s_counter = 0;
    TCHAR name[MAX_PATH];
    wsprintf(name, TEXT("%sqv_%s_%lu_%lu_%ld"), base, tag, GetCurrentProcessId(), GetTickCount(),
             InterlockedIncrement(&s_counter));
    path_ = name;
    CreateDirectory(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

void RemoveTree(const tstring &path) {
    WIN32_FIND_DATA data;
    HANDLE find = FindFirstFile((path + TEXT("\\*")).c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const tstring name = data.cFileName;
            if (name == TEXT(".") || name == TEXT("..")) continue;
            const tstring full = path + TEXT("\\") + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributes(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFile(full.c_str());
            }
        } while (FindNextFile(find, &data));
        FindClose(find);
    }
    SetFileAttributes(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectory(path.c_str());
}

std::string ReadFileBytes(const tstring &path) {
    HANDLE f = CreateFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(f, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(f);
    return bytes;
}

bool WriteFileBytes(const tstring &path, const std::string &bytes) {
    HANDLE f = CreateFile(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    const bool ok = WriteFile(f, bytes.data(), DWORD(bytes.size()), &done, nullptr) && done == bytes.size();
    CloseHandle(f);
    return ok;
}
