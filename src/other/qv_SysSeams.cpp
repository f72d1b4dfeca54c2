#include "other/qv_SysSeams.h"

#include <mmsystem.h>

namespace {
int WINAPI RealMessageBox(HWND owner, LPCTSTR text, LPCTSTR caption, UINT type) {
    return MessageBox(owner, text, caption, type);
}
}  // namespace

SysSeams g_sys = {RealMessageBox, ::timeGetTime, ::VirtualAlloc, ::GlobalAlloc};

void SysSeams_Reset() { g_sys = SysSeams{RealMessageBox, ::timeGetTime, ::VirtualAlloc, ::GlobalAlloc}; }
