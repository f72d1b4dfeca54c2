// qv_probe COMMAND [ARG]: looks at the programs running in this Wine
// session. Prints one line and exits 0 when the condition holds, 1 when not.
//   frame TIMEOUT_MS        a visible frame appears: prints its handle
//   frames                  prints the number of frames
//   exit TIMEOUT_MS         posts the exit command to the frame and waits
//                           until no frame is left
//   boxes TIMEOUT_MS        waits for error boxes: prints their count and,
//                           for each, its text; then closes them
//   menubar                 the frame has a menu bar
//   title TIMEOUT_MS [TEXT]  prints the frame's title once it contains TEXT
//                           (at once without TEXT)
//   command ID              posts command ID to the frame
//   view                    prints the view's client width and height and
//                           the screen position of its client origin
//   popup TIMEOUT_MS        a popup menu window ("#32768") is showing
//   status TIMEOUT_MS [TEXT] prints the status bar's part texts joined by
//                           " | " once they contain TEXT (at once without)
//   bars                    prints the frame's client size, then left, top,
//                           right, bottom in client coordinates of the tool
//                           bar, the status bar and the view ("-" for a
//                           hidden bar), then the tool bar's button width
//                           and height
//   dialog TIMEOUT_MS [TEXT] waits for a visible dialog (not an error box)
//                           whose caption contains TEXT: prints its caption
//   dlgget ID               prints the text of item ID of that dialog
//   dlgset ID TEXT          sets it, as typing would (the dialog is told)
//   dlgclick ID             presses button ID (IDOK 1, IDCANCEL 2 too)
//   dlgselect ID INDEX      selects entry INDEX of combo box ID, and tells
//                           the dialog as a user's choice would
// With QV_PROBE_IN set to a folder, only windows of programs started from
// that folder count (other tests may run programs at the same time).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kFrameClass[] = L"QV_Quivelta_Main";
const wchar_t kErrorCaption[] = L"Quivelta - ERROR -";

std::vector<HWND> s_found;

bool FromWantedFolder(HWND w) {
    wchar_t folder[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"QV_PROBE_IN", folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return true;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) return false;
    wchar_t image[MAX_PATH * 2];
    DWORD size = MAX_PATH * 2;
    const bool ok = QueryFullProcessImageNameW(process, 0, image, &size) != 0;
    CloseHandle(process);
    return ok && _wcsnicmp(image, folder, n) == 0;
}

BOOL CALLBACK CollectFrames(HWND w, LPARAM) {
    wchar_t name[64];
    if (GetClassNameW(w, name, 64) > 0 && wcscmp(name, kFrameClass) == 0 && FromWantedFolder(w)) s_found.push_back(w);
    return TRUE;
}

BOOL CALLBACK CollectPopups(HWND w, LPARAM) {
    wchar_t name[16];
    if (IsWindowVisible(w) && GetClassNameW(w, name, 16) > 0 && wcscmp(name, L"#32768") == 0 && FromWantedFolder(w))
        s_found.push_back(w);
    return TRUE;
}

BOOL CALLBACK CollectBoxes(HWND w, LPARAM) {
    wchar_t caption[128];
    if (IsWindowVisible(w) && GetWindowTextW(w, caption, 128) > 0 && wcscmp(caption, kErrorCaption) == 0 &&
        FromWantedFolder(w))
        s_found.push_back(w);
    return TRUE;
}

void PrintUtf8(const std::wstring &text);

std::wstring s_dialogText;

BOOL CALLBACK CollectDialogs(HWND w, LPARAM) {
    wchar_t name[16], caption[256];
    if (!IsWindowVisible(w) || GetClassNameW(w, name, 16) == 0 || wcscmp(name, L"#32770") != 0) return TRUE;
    if (GetWindowTextW(w, caption, 256) == 0) caption[0] = 0;
    if (wcscmp(caption, kErrorCaption) != 0 && wcsstr(caption, s_dialogText.c_str()) != nullptr && FromWantedFolder(w))
        s_found.push_back(w);
    return TRUE;
}

// The open dialog whose caption contains `text` (any with an empty text).
HWND OpenDialog(const std::wstring &text) {
    s_found.clear();
    s_dialogText = text;
    EnumWindows(CollectDialogs, 0);
    return s_found.empty() ? nullptr : s_found[0];
}

// The dialog commands: item texts are marshalled between processes by the
// system; notifications are sent as the controls would send them.
int DialogCommand(const std::wstring &command, int argc, wchar_t **argv) {
    HWND dialog = OpenDialog(L"");
    if (dialog == nullptr || argc < 3) return 1;
    const int id = _wtoi(argv[2]);
    HWND item = GetDlgItem(dialog, id);
    if (command == L"dlgget") {
        wchar_t text[1024] = {};
        if (item == nullptr) return 1;
        // GetWindowText of another process's control gives its caption, not
        // what an edit holds now; the message is marshalled.
        SendMessageW(item, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
        PrintUtf8(text);
        return 0;
    }
    if (command == L"dlgset") {
        if (item == nullptr || argc < 4) return 1;
        return SendMessageW(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3])) ? 0 : 1;
    }
    if (command == L"dlgclick") {
        if (item == nullptr) return PostMessageW(dialog, WM_COMMAND, WPARAM(id), 0) ? 0 : 1;
        return PostMessageW(item, BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (command == L"dlgselect") {
        if (item == nullptr || argc < 4) return 1;
        if (SendMessageW(item, CB_SETCURSEL, WPARAM(_wtoi(argv[3])), 0) == CB_ERR) return 1;
        return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), LPARAM(item)) ? 0 : 1;
    }
    return 2;
}

std::vector<HWND> Frames() {
    s_found.clear();
    EnumWindows(CollectFrames, 0);
    return s_found;
}

std::vector<HWND> Boxes() {
    s_found.clear();
    EnumWindows(CollectBoxes, 0);
    return s_found;
}

BOOL CALLBACK AppendStatic(HWND w, LPARAM data) {
    wchar_t cls[32], text[512];
    if (GetClassNameW(w, cls, 32) > 0 && _wcsicmp(cls, L"Static") == 0 && GetWindowTextW(w, text, 512) > 0) {
        auto *out = reinterpret_cast<std::wstring *>(data);
        if (!out->empty()) *out += L" ";
        *out += text;
    }
    return TRUE;
}

bool WaitFor(bool (*condition)(), DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(50);
    }
}

// The texts of a status bar in another process: the control writes into a
// buffer allocated in that process, which is then read back.
std::wstring StatusTexts(HWND bar) {
    DWORD pid = 0;
    GetWindowThreadProcessId(bar, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process == nullptr) return L"";
    constexpr SIZE_T kUnits = 512;
    void *remote = VirtualAllocEx(process, nullptr, kUnits * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE);
    std::wstring all;
    const bool simple = SendMessageW(bar, SB_ISSIMPLE, 0, 0) != 0;
    const int parts = simple ? 1 : int(SendMessageW(bar, SB_GETPARTS, 0, 0));
    for (int i = 0; remote != nullptr && i < parts; ++i) {
        const LRESULT length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, i, 0));
        wchar_t text[kUnits] = {};
        if (length > 0 && SIZE_T(length) < kUnits) {
            SendMessageW(bar, SB_GETTEXTW, i, reinterpret_cast<LPARAM>(remote));
            SIZE_T read = 0;
            ReadProcessMemory(process, remote, text, (length + 1) * sizeof(wchar_t), &read);
            text[kUnits - 1] = 0;
        }
        if (i > 0) all += L" | ";
        all += text;
    }
    if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return all;
}

void PrintChild(HWND frame, HWND child) {
    if (child == nullptr || !IsWindowVisible(child)) {
        std::printf(" - - - -");
        return;
    }
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT *>(&r), 2);
    std::printf(" %ld %ld %ld %ld", r.left, r.top, r.right, r.bottom);
}

void PrintUtf8(const std::wstring &text) {
    char buffer[2048];
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buffer, sizeof buffer, nullptr, nullptr);
    std::printf("%s\n", n > 0 ? buffer : "");
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    if (argc < 2) return 2;
    const std::wstring command = argv[1];
    const DWORD timeout = argc > 2 ? DWORD(_wtoi(argv[2])) : 0;
    if (command == L"frame") {
        const bool ok = WaitFor([] {
            for (HWND w : Frames())
                if (IsWindowVisible(w)) return true;
            return false;
        }, timeout);
        std::printf("%s\n", ok ? "frame" : "no frame");
        return ok ? 0 : 1;
    }
    if (command == L"frames") {
        std::printf("%d\n", int(Frames().size()));
        return 0;
    }
    if (command == L"menubar") {
        const auto frames = Frames();
        const bool ok = !frames.empty() && GetMenu(frames[0]) != nullptr;
        std::printf("%s\n", ok ? "menu bar" : "no menu bar");
        return ok ? 0 : 1;
    }
    if (command == L"exit") {
        for (HWND w : Frames()) PostMessageW(w, WM_COMMAND, 40011, 0);
        const bool ok = WaitFor([] { return Frames().empty(); }, timeout);
        std::printf("%s\n", ok ? "ended" : "still running");
        return ok ? 0 : 1;
    }
    if (command == L"title") {
        static std::wstring s_want, s_title;
        s_want = argc > 3 ? argv[3] : L"";
        const bool ok = WaitFor([] {
            const auto frames = Frames();
            if (frames.empty()) return false;
            wchar_t text[1024];
            s_title = GetWindowTextW(frames[0], text, 1024) > 0 ? text : L"";
            return s_title.find(s_want) != std::wstring::npos;
        }, timeout);
        PrintUtf8(s_title);
        return ok ? 0 : 1;
    }
    if (command == L"command") {
        const auto frames = Frames();
        if (frames.empty() || argc < 3) return 1;
        return PostMessageW(frames[0], WM_COMMAND, WPARAM(_wtoi(argv[2])), 0) ? 0 : 1;
    }
    if (command == L"popup") {
        const bool ok = WaitFor([] {
            s_found.clear();
            EnumWindows(CollectPopups, 0);
            return !s_found.empty();
        }, timeout);
        std::printf("%s\n", ok ? "popup" : "no popup");
        return ok ? 0 : 1;
    }
    if (command == L"view") {
        const auto frames = Frames();
        HWND view = frames.empty() ? nullptr : GetDlgItem(frames[0], 1);
        if (view == nullptr) return 1;
        RECT r{};
        GetClientRect(view, &r);
        POINT origin{0, 0};
        ClientToScreen(view, &origin);
        std::printf("%ld %ld %ld %ld\n", r.right, r.bottom, origin.x, origin.y);
        return 0;
    }
    if (command == L"status") {
        static std::wstring s_want, s_text;
        s_want = argc > 3 ? argv[3] : L"";
        const bool ok = WaitFor([] {
            const auto frames = Frames();
            HWND bar = frames.empty() ? nullptr : GetDlgItem(frames[0], 16);
            s_text = bar != nullptr ? StatusTexts(bar) : L"";
            return bar != nullptr && s_text.find(s_want) != std::wstring::npos;
        }, timeout);
        PrintUtf8(s_text);
        return ok ? 0 : 1;
    }
    if (command == L"bars") {
        const auto frames = Frames();
        if (frames.empty()) return 1;
        HWND frame = frames[0];
        RECT client{};
        GetClientRect(frame, &client);
        std::printf("%ld %ld", client.right, client.bottom);
        HWND toolbar = GetDlgItem(frame, 17);
        PrintChild(frame, toolbar);
        PrintChild(frame, GetDlgItem(frame, 16));
        PrintChild(frame, GetDlgItem(frame, 1));
        const LRESULT button = toolbar != nullptr ? SendMessageW(toolbar, TB_GETBUTTONSIZE, 0, 0) : 0;
        std::printf(" %d %d\n", int(LOWORD(button)), int(HIWORD(button)));
        return 0;
    }
    if (command == L"dialog") {
        const std::wstring text = argc > 3 ? argv[3] : L"";
        static std::wstring wanted;
        wanted = text;
        const bool ok = WaitFor([] { return OpenDialog(wanted) != nullptr; }, timeout);
        wchar_t caption[256] = {};
        if (ok) GetWindowTextW(OpenDialog(text), caption, 256);
        PrintUtf8(ok ? caption : L"no dialog");
        return ok ? 0 : 1;
    }
    if (command == L"dlgget" || command == L"dlgset" || command == L"dlgclick" || command == L"dlgselect")
        return DialogCommand(command, argc, argv);
    if (command == L"boxes") {
        WaitFor([] { return !Boxes().empty(); }, timeout);
        Sleep(300);  // a second box would show by now
        const auto boxes = Boxes();
        std::printf("%d\n", int(boxes.size()));
        for (HWND box : boxes) {
            std::wstring text;
            EnumChildWindows(box, AppendStatic, reinterpret_cast<LPARAM>(&text));
            PrintUtf8(text);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        return boxes.empty() ? 1 : 0;
    }
    return 2;
}
