#include "support/real_frame.h"

#include "other/qv_Cfg.h"
#include "other/qv_CmdLine.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_Instance.h"
#include "other/qv_Msg.h"
#include "other/qv_Settings.h"

void RealFrame_Reset() {
    Msg_ResetForTests();
    Settings_InitBoth(61);
    g_process = ProcessState{};
    g_process.instance = GetModuleHandle(nullptr);
    g_frame = FrameState{};
    g_frameHooks = FrameHooks{};
}

void RealFrame_Drain() {
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
        if (m.message != WM_QUIT) DispatchMessage(&m);
}

void RealFrame_Destroy(HWND frame) {
    g_process.noSave = 1;  // a test's leftovers are never saved
    if (IsWindow(frame)) DestroyWindow(frame);
    RealFrame_Drain();
    g_frameHooks = FrameHooks{};
    Cfg_ResetForTests();
    Instance_Release();
    g_cmdLine = CommandLine{};
    Settings_InitBoth(61);
    g_process = ProcessState{};
}
