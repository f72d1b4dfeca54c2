#include "other/qv_SysSeams.h"

#include <mmsystem.h>

#include "util/qv_Registry.h"

namespace {
int WINAPI RealMessageBox(HWND owner, LPCTSTR text, LPCTSTR caption, UINT type) {
    return MessageBox(owner, text, caption, type);
}

const SysSeams kRealCalls = {RealMessageBox,           ::timeGetTime, ::VirtualAlloc, ::GlobalAlloc,
                             Shell_ReadShortcutTarget, ::ChooseColor};
}  // namespace

SysSeams g_sys = kRealCalls;

void SysSeams_Reset() { g_sys = kRealCalls; }
