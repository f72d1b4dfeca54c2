// Facts about the machine that several modules need: platform, screen DPI
// and size, scroll-bar sizes, locale number format, physical memory, special
// folders and monitor work areas. Read at start-up and again when the system
// says they changed.
#pragma once

#include <windows.h>

#include <cstdint>

struct SysFacts {
    int32_t dpiX = 96;
    int32_t dpiY = 96;
    int32_t defaultWidth = 480;
    int32_t defaultHeight = 360;
    int32_t hScrollHeight = 0;   // height of a horizontal scroll bar
    int32_t vScrollWidth = 0;    // width of a vertical scroll bar
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    int32_t largestDimension = INT32_MAX;  // largest useful picture side
    // Locale number format of the user's default locale.
    int32_t digits = 2;
    int32_t leadingZero = 1;
    int32_t grouping = 3;
    int32_t negativeOrder = 1;
    TCHAR decimalSep[8] = TEXT(".");
    TCHAR thousandSep[8] = TEXT(",");
    int32_t localeRead = 0;
};

extern SysFacts g_sysFacts;

// Binds GlobalMemoryStatusEx from kernel32 unless already bound.
void Sys_BindMemoryStatus();
// Total physical memory in bytes; 0xFFFFFFFF for 4 GB or more.
uint32_t Sys_GetTotalPhysMemory();

void Sys_ReadDpi();
int Sys_ReadDefaultSize();
int Sys_ReadScreenSize();
int Sys_ReadLocale();
// Scroll-bar sizes, screen size, locale facts; 0 when a sub-step fails.
int Sys_ReadMetrics();
// DPI factor (1 at 96 DPI) and the percentage.
int32_t Sys_DpiPercent(int32_t *percent, int horizontal);
// v x dpi / 96 rounded, when the horizontal DPI is above 96.
int32_t Ui_ScaleForDpi(int32_t v);

int Sys_GetSpecialFolder(TCHAR *out, HWND window, int csidl);
// The program-files folder; `out` has MAX_PATH characters.
int Sys_GetProgramFilesDir(HWND window, TCHAR *out);
// The 32-bit program-files folder of a 64-bit system (empty elsewhere).
int Sys_GetProgramFilesX86Dir(HWND window, TCHAR *out);

// The work area of the monitor nearest the rectangle.
int Util_GetWorkAreaOfRect(RECT *out, const RECT *rect);
// Number of monitors the rectangle touches, and the monitor's work area and
// whole area when exactly one (or, with `nearest`, the nearest) is found.
int Sys_MonitorOfRect(const RECT *rect, bool nearest, RECT *workArea, RECT *area);

// Loads a system library by name from the system folder only, never from the
// current or program folder.
HMODULE Sys_LoadSystemLibrary(LPCTSTR name);
