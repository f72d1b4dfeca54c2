// A stand-in for the program in the two-process test: it creates a hidden
// frame, runs the start-up sequence (command line, mutex, configuration
// path, instance role, registration, configuration) and serves hand-overs
// until it is closed. Events go to log_<pid>.txt in its user folder.
#include <windows.h>

#include <string>

#include "other/qv_Cfg.h"
#include "other/qv_Globals.h"
#include "other/qv_IniAndEnd.h"
#include "other/qv_Instance.h"
#include "other/qv_Settings.h"
#include "other/qv_SysSeams.h"

namespace {

void Log(const std::basic_string<TCHAR> &line) {
    TCHAR folder[MAX_PATH * 2];
    if (Cfg_GetUserFolder(folder, MAX_PATH * 2) <= 0) return;
    TCHAR path[MAX_PATH * 2 + 40];
    wsprintf(path, TEXT("%s\\log_%lu.txt"), folder, GetCurrentProcessId());
    HANDLE f = CreateFile(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    const std::basic_string<TCHAR> text = line + TEXT("\n");
    DWORD done = 0;
    WriteFile(f, text.data(), DWORD(text.size() * sizeof(TCHAR)), &done, nullptr);
    CloseHandle(f);
}

int WINAPI LogBox(HWND, LPCTSTR text, LPCTSTR, UINT) {
    Log(std::basic_string<TCHAR>(TEXT("box ")) + text);
    return IDOK;
}

int ReceiveFiles(const TCHAR *dir, const TCHAR *const *args, int count, size_t) {
    std::basic_string<TCHAR> line = TEXT("recv ");
    line += dir;
    for (int i = 0; i < count; ++i) line += std::basic_string<TCHAR>(TEXT("|")) + args[i];
    Log(line);
    return count - 1;
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kMsgHandOver: return Frame_OnHandOver(window);
        case kMsgTakeOverRole:
            Instance_Reevaluate(window, g_settings.option[kOptMulti]);
            Log(g_instance.registered ? TEXT("reeval 1") : TEXT("reeval 0"));
            return 0;
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_DESTROY:
            Instance_GiveUpRole(window);
            g_process.frameWindow = nullptr;
            PostQuitMessage(0);
            return 0;
        default: return DefWindowProc(window, message, wParam, lParam);
    }
}

}  // namespace

int main() {
    g_sys.messageBox = LogBox;
    g_handOverHooks.receiveFiles = ReceiveFiles;
    HINSTANCE instance = GetModuleHandle(nullptr);
    WNDCLASS wc{};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = instance;
    wc.lpszClassName = kFrameClassName;
    RegisterClass(&wc);
    // The frame exists before start-up here so that step 16 registers it.
    g_process.frameWindow = CreateWindow(kFrameClassName, TEXT("child"), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                         nullptr, instance, nullptr);
    const StartupResult r = IniAndEnd_Startup(instance, SW_HIDE);
    if (r != kStartupRunning) {
        Log(r == kStartupHandedOver ? TEXT("handed") : TEXT("failed"));
        if (g_process.frameWindow) DestroyWindow(g_process.frameWindow);
        return r == kStartupHandedOver ? 0 : 1;
    }
    Log(g_instance.registered ? TEXT("role 1") : TEXT("role 0"));
    const int code = MainLoop();
    IniAndEnd_Shutdown(0);
    Log(TEXT("end"));
    return code;
}
