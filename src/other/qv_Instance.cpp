#include "other/qv_Instance.h"

#include "other/qv_CfgLock.h"
#include "other/qv_Cfg.h"
#include "other/qv_CmdLine.h"
#include "other/qv_Mem.h"
#include "other/qv_Settings.h"
#include "util/qv_Text.h"

InstanceState g_instance;
HandOverHooks g_handOverHooks;
const TCHAR kFrameClassName[] = TEXT("QV_Quivelta_Main");

namespace {

#if defined(QV_ANSI)
const TCHAR kNamePrefix[] = TEXT("QV_Quivelta_01_A_");
#else
const TCHAR kNamePrefix[] = TEXT("QV_Quivelta_01_W_");
#endif

void ReleaseMutexIfHeld() {
    if (g_instance.mutex != nullptr) ReleaseMutex(g_instance.mutex);
}

BOOL CALLBACK WakeOthers(HWND window, LPARAM own) {
    if (window == reinterpret_cast<HWND>(own)) return TRUE;
    TCHAR name[64];
    if (GetClassName(window, name, 64) > 0 && lstrcmp(name, kFrameClassName) == 0)
        PostMessage(window, kMsgTakeOverRole, 0, 0);
    return TRUE;
}

bool HasSwitch(const TCHAR *word, const TCHAR *const *args, int count) {
    return CmdLine_FindSwitchT<TCHAR>(word, args, count, true) >= 0;
}

// Bytes from the first argument to the end of this build's block in the copy.
size_t ArgBytes(const uint8_t *copy, const TCHAR *first) {
    const size_t at = size_t(reinterpret_cast<const uint8_t *>(first) - copy);
    return at < kHandOverBytes ? kHandOverBytes - at : 0;
}

}  // namespace

int Instance_ComposeName(const TCHAR *kind, TCHAR *out260) {
    if (kind == nullptr || out260 == nullptr || g_cmdLine.instanceId[0] == 0) return 0;
    TCHAR user[kUserPartUnits + 1];
    qvtext::CopyInto(user, kUserPartUnits + 1, g_cmdLine.userPart);
    CharLowerBuff(user, DWORD(qvtext::Length(user)));
    const TCHAR *pieces[] = {kNamePrefix, kind, TEXT("_"), g_cmdLine.instanceId, TEXT("_"), user};
    size_t n = 0;
    out260[0] = 0;
    for (const TCHAR *piece : pieces) {
        n += qvtext::CopyInto(out260 + n, 260 - n, piece);
        if (n >= 259) break;
    }
    return 1;
}

int Instance_CreateNamedMutex(HANDLE *handle, const TCHAR *name) {
    if (handle == nullptr || *handle != nullptr || name == nullptr) return 0;
    SetLastError(0);
    HANDLE h = CreateMutex(nullptr, FALSE, name);
    if (h == nullptr) return 0;
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    *handle = h;
    return existed ? -1 : 1;
}

int Instance_CreateMutex() {
    TCHAR name[260];
    if (!Instance_ComposeName(TEXT("Mutex"), name)) return 1;
    return Instance_CreateNamedMutex(&g_instance.mutex, name) == 0 ? 2 : 0;
}

uint8_t *Instance_MapView() {
    if (g_instance.mapping == nullptr || g_instance.view != nullptr) return nullptr;
    g_instance.view = static_cast<uint8_t *>(MapViewOfFile(g_instance.mapping, FILE_MAP_ALL_ACCESS, 0, 0, kHandOverBytes));
    return g_instance.view;
}

void Instance_UnmapView() {
    if (g_instance.view != nullptr) UnmapViewOfFile(g_instance.view);
    g_instance.view = nullptr;
}

void Instance_DropMapping() {
    Instance_UnmapView();
    if (g_instance.mapping != nullptr) CloseHandle(g_instance.mapping);
    g_instance.mapping = nullptr;
}

int Instance_CreateMapping() {
    TCHAR name[260];
    if (!Instance_ComposeName(TEXT("FileMap"), name)) return 0;
    SetLastError(0);
    HANDLE h = CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DWORD(kHandOverBytes), name);
    if (h == nullptr) return 0;
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    Instance_DropMapping();
    g_instance.mapping = h;
    if (existed) return -1;
    uint8_t *block = Instance_MapView();
    if (block != nullptr) HandOver_InitBlock(block, kHandOverBytes);
    Instance_UnmapView();
    return 1;
}

int Instance_Acquire(int multipleAllowed) {
    if (!multipleAllowed && g_instance.registered) return 4;
    g_instance.registered = 0;
    Instance_DropMapping();
    if (multipleAllowed) return 3;
    if (g_instance.mutex == nullptr) return 0;
    const DWORD w = WaitForSingleObject(g_instance.mutex, INFINITE);
    if (w != WAIT_OBJECT_0 && w != WAIT_ABANDONED) return 0;
    switch (Instance_CreateMapping()) {
        case 1:
            g_instance.registered = 1;
            return 1;  // the mutex stays held until Instance_Register
        case -1: return 2;
        default: ReleaseMutex(g_instance.mutex); return 0;
    }
}

int Instance_StartupCheck() {
    if (!Cfg_LoadBoot()) return 0;
    switch (Instance_Acquire(g_settings.option[kOptMulti])) {
        case 1:
        case 3: return 1;
        case 2:
            if (!g_cmdLine.newWindow) {
                Instance_HandOver();
                return 0;
            }
            g_instance.registered = 0;
            Instance_DropMapping();
            ReleaseMutexIfHeld();
            return 1;
        default: return 0;
    }
}

int Instance_Register(HWND frame) {
    if (g_instance.mapping == nullptr) return 1;
    uint8_t *block = Instance_MapView();
    if (block != nullptr) HandOver_StoreReceiver(block, uint64_t(reinterpret_cast<uintptr_t>(frame)));
    Instance_UnmapView();
    ReleaseMutexIfHeld();
    return block != nullptr ? 1 : 0;
}

int Instance_WriteCommandLine(uint8_t *block) {
    return HandOver_Write<TCHAR>(block, kHandOverBytes, CmdLine_StartDirectory(), g_cmdLine.argBuffer,
                                 size_t(g_cmdLine.argBufferBytes > 0 ? g_cmdLine.argBufferBytes : 0),
                                 g_cmdLine.argv, g_cmdLine.argc);
}

int Instance_BringForward(HWND window, int activate) {
    if (window == nullptr) return 0;
    if (activate) {
        if (IsIconic(window))
            ShowWindow(window, SW_RESTORE);
        else
            SetForegroundWindow(window);
        return 1;
    }
    if (IsIconic(window)) return 1;
    HWND foreground = GetForegroundWindow();
    const bool topmost = (GetWindowLongPtr(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (!topmost && window != foreground && foreground != nullptr)
        SetWindowPos(window, foreground, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    return 1;
}

int Instance_HandOver() {
    HWND receiver = nullptr;
    uint8_t *block = Instance_MapView();
    if (block != nullptr) {
        receiver = reinterpret_cast<HWND>(uintptr_t(HandOver_LoadReceiver(block)));
        Instance_WriteCommandLine(block);
    }
    Instance_UnmapView();
    Instance_DropMapping();
    ReleaseMutexIfHeld();
    if (receiver == nullptr) return 0;
    Instance_BringForward(receiver, g_settings.option[kOptActive]);
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (PostMessage(receiver, kMsgHandOver, 0, 0)) return 1;
        Sleep(5);
    }
    return 0;
}

int Instance_Reevaluate(HWND frame, int multipleAllowed) {
    const int r = Instance_Acquire(multipleAllowed);
    if (r == 4) return 1;
    if (r == 1) {
        Instance_Register(frame);
        return 1;
    }
    g_instance.registered = 0;
    Instance_DropMapping();
    if (r == 2) ReleaseMutexIfHeld();
    return r != 0 ? 1 : 0;
}

void Instance_GiveUpRole(HWND ownFrame) {
    const bool was = g_instance.registered != 0;
    g_instance.registered = 0;
    Instance_DropMapping();
    if (was) EnumWindows(WakeOthers, reinterpret_cast<LPARAM>(ownFrame));
}

void Instance_Release() {
    Instance_DropMapping();
    if (g_instance.mutex != nullptr) CloseHandle(g_instance.mutex);
    g_instance = InstanceState{};
}

LRESULT Frame_OnHandOver(HWND frame) {
    if (g_handOverHooks.busy != nullptr && g_handOverHooks.busy()) return 0;  // the sender's message is lost
    // The copy: this build's block and zeroed slack so that every text ends;
    // 8-byte alignment keeps the UTF-16 texts aligned.
    alignas(8) uint8_t copy[kHandOverBytesW + kHandOverCopySlack] = {};
    {
        CfgLockGuard lock;
        if (!lock.Acquire()) return 0;
        uint8_t *block = Instance_MapView();
        if (block == nullptr) return 0;
        CopyMemory(copy, block, kHandOverBytes);  // this build's size, never more
        HandOver_ResetCommandLine(block, kHandOverBytes, sizeof(TCHAR));
        Instance_UnmapView();
    }
    HandOverView<TCHAR> view{};
    constexpr int kMaxArgs = int(kHandOverBytes / sizeof(TCHAR));
    const TCHAR **args = static_cast<const TCHAR **>(QV_Alloc(uint32_t((kMaxArgs + 1) * sizeof(TCHAR *))));
    if (args == nullptr) return 0;
    // Reads are bounded by the block's real size; the zeroed slack behind the
    // copy is only a second guard.
    if (HandOver_Read<TCHAR>(copy, kHandOverBytes, &view, args, kMaxArgs) && view.found >= 2) {
        args[view.found] = nullptr;
        if (HasSwitch(TEXT("blank"), args, view.found)) {
            PostMessage(frame, WM_COMMAND, kCmdClosePicture, 0);
        } else if (HasSwitch(TEXT("getclip"), args, view.found)) {
            PostMessage(frame, WM_COMMAND, kCmdPasteAsNew, 0);
        } else if (g_handOverHooks.receiveFiles != nullptr &&
                   g_handOverHooks.receiveFiles(view.dir, args, view.found, ArgBytes(copy, args[0])) > 0) {
            PostMessage(frame, kMsgOpenPending, 0, 0);
            if (g_handOverHooks.pendingOpening) g_handOverHooks.pendingOpening();
        }
        const bool running = g_handOverHooks.slideShowRunning != nullptr && g_handOverHooks.slideShowRunning();
        if (HasSwitch(TEXT("slide"), args, view.found) && !running && g_handOverHooks.startSlideShow)
            g_handOverHooks.startSlideShow();
    }
    QV_Free(args);
    return 0;
}

int Instance_StartNew(int commandId, HWND frame, const TCHAR *currentFile) {
    if (commandId < 40241 || commandId > 40244) return 0;
    TCHAR moduleBuffer[kPathChars];
    OwnedBuffer fallback;
    const TCHAR *program = CmdLine_GetModuleFileName(moduleBuffer, &fallback, kPathChars);
    if (program == nullptr) return 0;
    const TCHAR *file = commandId == 40242 && currentFile != nullptr && currentFile[0] != 0 ? currentFile : nullptr;
    const TCHAR *pieces[] = {
        TEXT("\""), program, TEXT("\" \"/user="), g_cmdLine.userPart, TEXT("\" /newwnd"),
        commandId == 40241 ? TEXT(" /blank") : (commandId >= 40243 ? TEXT(" /getclip") : TEXT("")),
        file ? TEXT(" \"") : TEXT(""), file ? file : TEXT(""), file ? TEXT("\"") : TEXT(""),
    };
    uint64_t total = 1;
    for (const TCHAR *p : pieces) total += qvtext::Length(p);
    OwnedBuffer heap;
    TCHAR small[256];
    TCHAR *line = total <= 256 ? small : reinterpret_cast<TCHAR *>(Buf_Alloc(&heap, uint32_t(total * sizeof(TCHAR))));
    if (line == nullptr) return 0;
    size_t n = 0;
    for (const TCHAR *p : pieces) n += qvtext::CopyInto(line + n, size_t(total) - n, p);
    Cfg_SaveAll();  // the new process reads the current settings
    if (commandId == 40243 && frame != nullptr) SendMessage(frame, WM_COMMAND, kCmdCopyToClipboard, 0);
    STARTUPINFO startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    const BOOL ok = CreateProcess(nullptr, line, nullptr, nullptr, FALSE,
                                  CREATE_DEFAULT_ERROR_MODE | CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS |
                                      CREATE_NEW_CONSOLE,
                                  nullptr, g_cmdLine.programDir, &startup, &process);
    if (!ok) return 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}
