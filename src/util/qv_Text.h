// The program's text unit: UTF-16 in Quivelta, the ANSI code page in
// Quivelta98 (built with QV_ANSI). Win32 code uses TCHAR and TEXT(); the
// algorithms behind it live in qv_StrCore.h.
#pragma once

#include <windows.h>
#include <tchar.h>

#include "util/qv_StrCore.h"

using qchar = TCHAR;

#if defined(QV_ANSI)
static_assert(sizeof(TCHAR) == 1, "Quivelta98 is built for the ANSI code page");
#else
static_assert(sizeof(TCHAR) == 2, "Quivelta is built with UTF-16 interfaces");
#endif

// Full path with its terminator.
constexpr int kPathChars = 261;
