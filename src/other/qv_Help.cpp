#include "other/qv_Help.h"

#include <shellapi.h>

#include "../../res/resource.h"
#include "other/qv_Res.h"
#include "other/qv_SysFacts.h"
#include "util/qv_Path.h"
#include "util/qv_Text.h"

namespace {

// The HTML Help commands used here.
constexpr UINT kHhDisplayTopic = 0x0000;
constexpr UINT kHhCloseAll = 0x0012;
constexpr UINT kHhInitialize = 0x001C;
constexpr UINT kHhUninitialize = 0x001D;
constexpr UINT kHhPreTranslateMessage = 0x00FD;

using HtmlHelpFn = HWND(WINAPI *)(HWND, LPCTSTR, UINT, DWORD_PTR);

struct HelpState {
    int initialised = 0;
    int state = 0;  // 0 no help file, 1 HTML Help up, -1 ended
    DWORD_PTR cookie = 0;
    HtmlHelpFn htmlHelp = nullptr;
    TCHAR chm[MAX_PATH] = {};
};
HelpState s_help;

}  // namespace

int Help_BuildTarget(LPCTSTR programFolder, LPCTSTR topic, bool haveChm, TCHAR *out, int capacity) {
    if (out == nullptr || capacity <= 0) return 0;
    out[0] = 0;
    if (haveChm) {
        qvtext::CopyInto(out, size_t(capacity), programFolder ? programFolder : TEXT(""));
        if (Path_Append(capacity, out, TEXT("Quivelta.chm"), 0) == nullptr) return 0;
        if (topic != nullptr && topic[0] != 0) {
            const size_t n = qvtext::Length(out);
            qvtext::CopyInto(out + n, size_t(capacity) - n, TEXT("::/_RESOURCE/"));
            const size_t m = qvtext::Length(out);
            if (m + qvtext::Length(topic) + 1 > size_t(capacity)) return 0;
            qvtext::CopyInto(out + m, size_t(capacity) - m, topic);
        }
        return 1;
    }
    TCHAR address[256];
    const int n = Res_LoadText(address, IDS_HELP_ADDRESS, 256);
    if (n < 1 || n > 255) return 0;
    if (n + 2 > capacity) return 0;
    qvtext::CopyInto(out, size_t(capacity), address);
    Path_AddTrailingSep(0, out);
    const size_t used = qvtext::Length(out);
    LPCTSTR page = (topic != nullptr && topic[0] != 0) ? topic : TEXT("help.htm");
    if (used + qvtext::Length(page) + 1 > size_t(capacity)) return 0;
    qvtext::CopyInto(out + used, size_t(capacity) - used, page);
    return 1;
}

int Help_Init(LPCTSTR programFolder) {
    if (s_help.initialised) return 1;
    s_help.initialised = 1;
    if (programFolder == nullptr || programFolder[0] == 0) return 1;
    qvtext::CopyInto(s_help.chm, MAX_PATH, programFolder);
    if (Path_Append(MAX_PATH, s_help.chm, TEXT("Quivelta.chm"), 0) == nullptr || !Path_Exists(s_help.chm)) return 1;
    HMODULE hh = Sys_LoadSystemLibrary(TEXT("hhctrl.ocx"));
    if (hh == nullptr) return 1;
#if defined(QV_ANSI)
    s_help.htmlHelp = reinterpret_cast<HtmlHelpFn>(GetProcAddress(hh, "HtmlHelpA"));
#else
    s_help.htmlHelp = reinterpret_cast<HtmlHelpFn>(GetProcAddress(hh, "HtmlHelpW"));
#endif
    if (s_help.htmlHelp == nullptr) return 1;
    s_help.htmlHelp(nullptr, nullptr, kHhInitialize, reinterpret_cast<DWORD_PTR>(&s_help.cookie));
    s_help.state = 1;
    return 1;
}

BOOL Help_PreTranslate(MSG *message) {
    if (s_help.state != 1 || s_help.htmlHelp == nullptr) return FALSE;
    return s_help.htmlHelp(nullptr, nullptr, kHhPreTranslateMessage, reinterpret_cast<DWORD_PTR>(message)) != nullptr;
}

int Help_ShowTopic(HWND owner, LPCTSTR topic) {
    TCHAR target[MAX_PATH * 2];
    if (s_help.state == 1 && s_help.htmlHelp != nullptr) {
        TCHAR folder[MAX_PATH];
        qvtext::CopyInto(folder, MAX_PATH, s_help.chm);
        const TCHAR *name = nullptr;
        Path_Split(folder, nullptr, nullptr, &name, nullptr);
        if (name != nullptr) folder[name - folder] = 0;
        if (!Help_BuildTarget(folder, topic, true, target, MAX_PATH * 2)) return 0;
        return s_help.htmlHelp(owner, target, kHhDisplayTopic, 0) != nullptr;
    }
    if (!Help_BuildTarget(nullptr, topic, false, target, MAX_PATH * 2)) return 0;
    const HINSTANCE r = ShellExecute(owner, TEXT("open"), target, nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(r) > 32;
}

void Help_CloseAll() {
    if (s_help.state == 1 && s_help.htmlHelp != nullptr) s_help.htmlHelp(nullptr, nullptr, kHhCloseAll, 0);
}

void Help_Shutdown() {
    if (!s_help.initialised) return;
    if (s_help.state == 1 && s_help.htmlHelp != nullptr)
        s_help.htmlHelp(nullptr, nullptr, kHhUninitialize, s_help.cookie);
    s_help.state = -1;
    s_help.cookie = 0;
    s_help.initialised = 0;
}
