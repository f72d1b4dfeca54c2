#include "util/qv_SysVersion.h"

#include <shlwapi.h>

namespace {
int s_platformCode = 0;
DWORD s_comctlMajor = 0, s_comctlMinor = 0;
bool s_comctlKnown = false;
}  // namespace

int Sys_GetDllVersion(HMODULE module, DWORD *major, LPCTSTR name, DWORD *minor) {
    if (module == nullptr && name != nullptr) module = GetModuleHandle(name);
    if (module == nullptr) return 0;
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(GetProcAddress(module, "DllGetVersion"));
    if (getVersion == nullptr) return 0;
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;
    static_assert(sizeof(DLLVERSIONINFO) == 20, "DllGetVersion takes a 20-byte record");
    if (FAILED(getVersion(&info))) return 0;
    if (major) *major = info.dwMajorVersion;
    if (minor) *minor = info.dwMinorVersion;
    return 1;
}

int Sys_CommonControlsAtLeast(DWORD major, DWORD minor) {
    if (!s_comctlKnown) {
        s_comctlKnown = Sys_GetDllVersion(nullptr, &s_comctlMajor, TEXT("comctl32.dll"), &s_comctlMinor) != 0;
        if (!s_comctlKnown) return 0;
    }
    return s_comctlMajor > major || (s_comctlMajor == major && s_comctlMinor >= minor);
}

int Sys_PlatformCodeFor(DWORD platformId, DWORD major, DWORD minor) {
    switch (platformId) {
        case VER_PLATFORM_WIN32s:
            return 10;
        case VER_PLATFORM_WIN32_WINDOWS:
            if (major == 4 && minor == 0) return 20;
            if (major == 4 && minor == 10) return 21;
            if (major == 4 && minor == 90) return 22;
            return 9999;
        case VER_PLATFORM_WIN32_NT:
            if (major == 3) return 30;
            if (major == 4) return 40;
            if ((major == 5 || major == 6) && minor <= 2) return int(major * 10 + minor);
            return 9999;
        default:
            return 9999;
    }
}

int Sys_DetectOsVersion() {
    OSVERSIONINFO info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionEx(&info)) {
#pragma GCC diagnostic pop
        s_platformCode = 9999;
        return 1;
    }
    s_platformCode = Sys_PlatformCodeFor(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
    return 1;
}

int Sys_GetOsVersionCode() {
    if (s_platformCode == 0) Sys_DetectOsVersion();
    return s_platformCode;
}
