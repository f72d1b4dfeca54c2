#include "other/qv_SysSeams.h"

#include <mmsystem.h>

#include "util/qv_Registry.h"

namespace {
int WINAPI RealMessageBox(HWND owner, LPCTSTR text, LPCTSTR caption, UINT type) {
    return MessageBox(owner, text, caption, type);
}
}  // namespace

SysSeams g_sys = {RealMessageBox, ::timeGetTime, ::VirtualAlloc, ::GlobalAlloc, Shell_ReadShortcutTarget};

void SysSeams_Reset() {
    g_sys = SysSeams{RealMessageBox, ::timeGetTime, ::VirtualAlloc, ::GlobalAlloc, Shell_ReadShortcutTarget};
}
