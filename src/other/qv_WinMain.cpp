// The entry function of both programs.
#include <windows.h>

#include <clocale>
#include <cstdlib>
#include <mbctype.h>

#include "image/qv_Open.h"
#include "other/qv_IniAndEnd.h"
#include "other/qv_Mru.h"

namespace {

#if !defined(QV_ANSI)
// The UTF-16 build does not run on the Windows 9x family.
bool IsWindows9x() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
    return info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && info.dwMajorVersion == 4 &&
           (info.dwMinorVersion == 0 || info.dwMinorVersion == 10 || info.dwMinorVersion == 90);
}
#endif

int Run(HINSTANCE instance, int showCommand) {
#if !defined(QV_ANSI)
    if (IsWindows9x()) {
        MessageBoxA(nullptr, "Please use Quivelta98.exe", nullptr, MB_ICONERROR);
        return 0;
    }
#endif
    if (std::setlocale(LC_ALL, "") != nullptr) _setmbcp(_MB_CP_LOCALE);
    GetCommandLine();  // the command-line module reads it again
    Open_InstallHooks();  // drops, hand-overs and the start's own files open pictures
    Mru_InstallHooks();   // shown pictures, opened folders and the menu meet the recent folders
    switch (IniAndEnd_Startup(instance, showCommand)) {
        case kStartupHandedOver:
            return 0;
        case kStartupFailed:
            return 1;
        case kStartupRunning:
            break;
    }
    const int code = MainLoop();
    IniAndEnd_Shutdown(0);
    return code;
}

}  // namespace

#if defined(QV_ANSI)
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) { return Run(instance, showCommand); }
#else
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) { return Run(instance, showCommand); }
#endif
