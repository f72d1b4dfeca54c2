#include "other/qv_SysFacts.h"

#include <shlobj.h>

#include <type_traits>

#include "../../res/resource.h"
#include "other/qv_Res.h"
#include "other/qv_UiMath.h"
#include "util/qv_Str.h"
#include "util/qv_SysVersion.h"
#include "util/qv_Text.h"

SysFacts g_sysFacts;

namespace {
using MemoryStatusExFn = BOOL(WINAPI *)(LPMEMORYSTATUSEX);
MemoryStatusExFn s_memoryStatusEx = nullptr;

template <size_t N>
void ReadLocaleText(LCTYPE type, TCHAR (&out)[N]) {
    TCHAR buf[16];
    const int n = GetLocaleInfo(LOCALE_USER_DEFAULT, type, buf, 16);
    if (n > 0 && size_t(n) <= N) qvtext::CopyInto(out, N, buf);
}

void ReadLocaleInt(LCTYPE type, int32_t *out) {
    TCHAR buf[16];
    if (GetLocaleInfo(LOCALE_USER_DEFAULT, type, buf, 16) > 0) *out = Str_ToInt(buf);
}
}  // namespace

void Sys_BindMemoryStatus() {
    if (s_memoryStatusEx != nullptr) return;
    HMODULE kernel = GetModuleHandle(TEXT("kernel32.dll"));
    if (kernel != nullptr)
        s_memoryStatusEx = reinterpret_cast<MemoryStatusExFn>(GetProcAddress(kernel, "GlobalMemoryStatusEx"));
}

uint32_t Sys_GetTotalPhysMemory() {
    if (s_memoryStatusEx != nullptr) {
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof status;
        if (s_memoryStatusEx(&status))
            return status.ullTotalPhys >= 0x100000000ull ? 0xFFFFFFFFu : uint32_t(status.ullTotalPhys);
    }
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    return status.dwTotalPhys >= 0x100000000ull ? 0xFFFFFFFFu : uint32_t(status.dwTotalPhys);
}

void Sys_ReadDpi() {
    HDC dc = GetDC(nullptr);
    HWND desktop = nullptr;
    if (dc == nullptr) {
        desktop = GetDesktopWindow();
        dc = GetDC(desktop);
    }
    int x = 0, y = 0;
    if (dc != nullptr) {
        x = GetDeviceCaps(dc, LOGPIXELSX);
        y = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(desktop, dc);
    }
    g_sysFacts.dpiX = x > 0 ? x : 96;
    g_sysFacts.dpiY = y > 0 ? y : 96;
}

int Sys_ReadDefaultSize() {
    TCHAR text[64];
    Res_LoadText(text, IDS_DEFAULT_WINDOW_SIZE, 64);
    char16_t wide[64];
    size_t i = 0;
    for (; text[i] != 0 && i < 63; ++i) wide[i] = char16_t(static_cast<std::make_unsigned_t<TCHAR>>(text[i]));
    wide[i] = 0;
    UiMath_DefaultSize(wide, g_sysFacts.dpiX, g_sysFacts.dpiY, &g_sysFacts.defaultWidth, &g_sysFacts.defaultHeight);
    return 1;
}

int Sys_ReadScreenSize() {
    g_sysFacts.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    g_sysFacts.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int code = Sys_GetOsVersionCode();
    if (code >= 20 && code <= 22) {
        const int32_t w = g_sysFacts.screenWidth;
        g_sysFacts.largestDimension = w > 4000 ? w : w * 2;
    } else {
        g_sysFacts.largestDimension = INT32_MAX;
    }
    return 1;
}

int Sys_ReadLocale() {
    ReadLocaleInt(LOCALE_IDIGITS, &g_sysFacts.digits);
    ReadLocaleInt(LOCALE_ILZERO, &g_sysFacts.leadingZero);
    TCHAR grouping[16];
    if (GetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SGROUPING, grouping, 16) > 0) g_sysFacts.grouping = Str_ToInt(grouping);
    ReadLocaleInt(LOCALE_INEGNUMBER, &g_sysFacts.negativeOrder);
    ReadLocaleText(LOCALE_SDECIMAL, g_sysFacts.decimalSep);
    ReadLocaleText(LOCALE_STHOUSAND, g_sysFacts.thousandSep);
    Str_SetDecimalSeparator(g_sysFacts.decimalSep);
    g_sysFacts.localeRead = 1;
    return 1;
}

int Sys_ReadMetrics() {
    g_sysFacts.hScrollHeight = GetSystemMetrics(SM_CYHSCROLL);
    g_sysFacts.vScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
    if (g_sysFacts.hScrollHeight <= 0 || g_sysFacts.vScrollWidth <= 0) return 0;
    return Sys_ReadScreenSize() && Sys_ReadLocale();
}

int32_t Sys_DpiPercent(int32_t *percent, int horizontal) {
    return UiMath_DpiPercent(horizontal ? g_sysFacts.dpiX : g_sysFacts.dpiY, percent);
}

int32_t Ui_ScaleForDpi(int32_t v) {
    if (g_sysFacts.dpiX <= 96) return v;
    return MulDiv(v, g_sysFacts.dpiX, 96);
}

int Sys_GetSpecialFolder(TCHAR *out, HWND window, int csidl) {
    if (out == nullptr) return 0;
    out[0] = 0;
    return SHGetSpecialFolderPath(window, out, csidl, FALSE) ? 1 : 0;
}

int Sys_GetProgramFilesDir(HWND window, TCHAR *out) {
    if (out == nullptr) return 0;
    out[0] = 0;
    const int code = Sys_GetOsVersionCode();
    if (code == 10 || code == 20 || code == 21 || code == 30 || code == 40) {
        HKEY key = nullptr;
        if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, TEXT("Software\\Microsoft\\Windows\\CurrentVersion"), 0, KEY_READ,
                         &key) != ERROR_SUCCESS)
            return 0;
        TCHAR value[MAX_PATH];
        DWORD bytes = sizeof value, type = 0;
        const LONG r = RegQueryValueEx(key, TEXT("ProgramFilesDir"), nullptr, &type, reinterpret_cast<BYTE *>(value), &bytes);
        RegCloseKey(key);
        if (r != ERROR_SUCCESS || type != REG_SZ) return 0;
        value[MAX_PATH - 1] = 0;
        const size_t n = qvtext::Length(value);
        if (n < 1 || n > 259) return 0;
        qvtext::CopyInto(out, MAX_PATH, value);
        return 1;
    }
    return Sys_GetSpecialFolder(out, window, CSIDL_PROGRAM_FILES);
}

int Sys_GetProgramFilesX86Dir(HWND window, TCHAR *out) {
    if (out == nullptr) return 0;
    out[0] = 0;
    if (!Sys_GetSpecialFolder(out, window, CSIDL_PROGRAM_FILESX86)) return 0;
    TCHAR main[MAX_PATH];
    // On a 32-bit system both names give the same folder: report it once.
    if (Sys_GetProgramFilesDir(window, main) && lstrcmpi(main, out) == 0) {
        out[0] = 0;
        return 0;
    }
    return 1;
}

int Sys_MonitorOfRect(const RECT *rect, bool nearest, RECT *workArea, RECT *area) {
    if (rect == nullptr) return 0;
    HMONITOR monitor = MonitorFromRect(rect, nearest ? MONITOR_DEFAULTTONEAREST : MONITOR_DEFAULTTONULL);
    if (monitor == nullptr) return 0;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfo(monitor, &info)) return 0;
    if (workArea) *workArea = info.rcWork;
    if (area) *area = info.rcMonitor;
    return 1;
}

int Util_GetWorkAreaOfRect(RECT *out, const RECT *rect) {
    if (out == nullptr) return 0;
    if (rect != nullptr && Sys_MonitorOfRect(rect, true, out, nullptr)) return 1;
    return SystemParametersInfo(SPI_GETWORKAREA, 0, out, 0) ? 1 : 0;
}

HMODULE Sys_LoadSystemLibrary(LPCTSTR name) {
    if (name == nullptr || name[0] == 0) return nullptr;
    // A bare name is looked up in the system folder only: a library of the
    // same name in the current or program folder must never be loaded.
    for (LPCTSTR p = name; *p != 0; p = qvtext::NextChar(p))
        if (*p == TEXT('\\') || *p == TEXT('/') || *p == TEXT(':')) return LoadLibrary(name);
    TCHAR path[MAX_PATH];
    const UINT n = GetSystemDirectory(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    if (qvtext::Append(MAX_PATH, path, name, false) == nullptr) return nullptr;
    return LoadLibrary(path);
}
