// What the Win32 benchmark programs share: a millisecond clock and the
// folder argument in the build's text type.
#pragma once

#include <windows.h>

#include "util/qv_Text.h"

inline double Bench_NowMs() {
    static LARGE_INTEGER frequency{};
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// The argument (ANSI code page) into folder (kPathChars); false when it
// does not convert.
inline bool Bench_FolderArgument(const char *argument, TCHAR *folder) {
#if defined(QV_ANSI)
    lstrcpyn(folder, argument, kPathChars);
    return true;
#else
    return MultiByteToWideChar(CP_ACP, 0, argument, -1, folder, kPathChars) != 0;
#endif
}
