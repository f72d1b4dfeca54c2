// Version queries of the system and its libraries.
#pragma once

#include <windows.h>

// DllGetVersion of `module` (or of the loaded module named `name`); 1 when
// the call succeeded with a 20-byte version record.
int Sys_GetDllVersion(HMODULE module, DWORD *major, LPCTSTR name, DWORD *minor);

// 1 when comctl32.dll reports at least major.minor; queried until one query
// succeeds, then the stored version serves.
int Sys_CommonControlsAtLeast(DWORD major, DWORD minor);

// Platform code: 10 Win32s; 20, 21, 22 Windows 95, 98, Me; 30 NT 3.x; 40 NT 4;
// 50, 51, 52 NT 5.0-5.2; 60, 61, 62 NT 6.0-6.2; 9999 anything else.
int Sys_DetectOsVersion();
int Sys_GetOsVersionCode();

// Maps a version record to its platform code (exposed for tests).
int Sys_PlatformCodeFor(DWORD platformId, DWORD major, DWORD minor);
