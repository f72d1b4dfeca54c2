// One registered instance per installation, user and build: a later start
// hands its command line to it through a named file mapping and ends.
#pragma once

#include <windows.h>

#include <cstdint>

#include "other/qv_HandOverBlock.h"

// The hand-over block of this build: 4096 bytes of UTF-16, or 2048 bytes of
// ANSI text in Quivelta98.
constexpr size_t kHandOverBytes = HandOver_BlockBytes<TCHAR>();

constexpr UINT kMsgOpenPending = WM_USER + 2;   // open the dropped-file list
constexpr UINT kMsgHandOver = WM_USER + 3;      // a command line waits in the block
constexpr UINT kMsgTakeOverRole = WM_USER + 4;  // the registered instance ended
constexpr int kCmdPasteAsNew = 40029;
constexpr int kCmdClosePicture = 40030;
constexpr int kCmdCopyToClipboard = 40025;

struct InstanceState {
    HANDLE mutex = nullptr;
    HANDLE mapping = nullptr;
    uint8_t *view = nullptr;   // at most one mapped view
    int32_t registered = 0;    // this process created the mapping and holds the role
};
extern InstanceState g_instance;

// The frame's window class, whose windows are told to take over the role.
extern const TCHAR kFrameClassName[];

// "QV_Quivelta_01_W_" + kind + "_" + id + "_" + lower-cased user part, cut
// to 259 characters. 1 composed.
int Instance_ComposeName(const TCHAR *kind, TCHAR *out260);
// 1 new, -1 already existed, 0 failed (also when a handle is already held).
int Instance_CreateNamedMutex(HANDLE *handle, const TCHAR *name);
// 0 ok, 1 name not composed, 2 creation failed.
int Instance_CreateMutex();
// 1 created, -1 existed (handle kept), 0 failed.
int Instance_CreateMapping();
uint8_t *Instance_MapView();
void Instance_UnmapView();
void Instance_DropMapping();
// 0 failure, 1 registered now, 2 another instance is registered, 3 several
// instances allowed, 4 already registered.
int Instance_Acquire(int multipleAllowed);
// 0 this process must end, 1 continue.
int Instance_StartupCheck();
int Instance_Register(HWND frame);
int Instance_HandOver();
int Instance_WriteCommandLine(uint8_t *block);
int Instance_BringForward(HWND window, int activate);
int Instance_Reevaluate(HWND frame, int multipleAllowed);
// First step of the frame's shut-down: give the role up and wake the others.
void Instance_GiveUpRole(HWND ownFrame);
// At process exit: view, mapping and mutex closed.
void Instance_Release();
// Starts another instance for commands 40241..40244; non-zero when started.
int Instance_StartNew(int commandId, HWND frame, const TCHAR *currentFile);

// What the receiver needs from modules outside this one; null entries do
// nothing (busy: never busy).
struct HandOverHooks {
    bool (*busy)();  // a guarded dialog, a load, a plug-in call or a file operation runs
    // Fills the dropped-file list from the arguments (from index 1), relative
    // paths resolved against dir; the arguments lie one after another from
    // args[0] within `bytes`. Returns the number of files.
    int (*receiveFiles)(const TCHAR *dir, const TCHAR *const *args, int count, size_t bytes);
    void (*startSlideShow)();
    bool (*slideShowRunning)();
    void (*pendingOpening)();  // one more pending opening
};
extern HandOverHooks g_handOverHooks;

// The frame's WM_USER+3 handler: reads the block (bounded by its real size)
// and acts on the arguments. Returns 0.
LRESULT Frame_OnHandOver(HWND frame);
