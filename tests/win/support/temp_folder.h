// A unique folder under the temporary folder, removed with everything in it
// when the test ends (test binaries share one Wine prefix).
#pragma once

#include <windows.h>

#include <string>

using tstring = std::basic_string<TCHAR>;

class TempFolder {
public:
    explicit TempFolder(const TCHAR *tag);
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    const tstring &path() const { return path_; }
    tstring Join(const tstring &name) const { return path_ + TEXT("\\") + name; }

private:
    tstring path_;
};

// Whole file as bytes ("" when missing) and writing bytes to a file.
std::string ReadFileBytes(const tstring &path);
bool WriteFileBytes(const tstring &path, const std::string &bytes);
void RemoveTree(const tstring &path);
