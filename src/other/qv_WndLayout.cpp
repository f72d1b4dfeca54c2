#include "other/qv_WndLayout.h"

#include "other/qv_Settings.h"

DWORD Opt_WindowStyle(DWORD style) {
    style &= ~DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    if (g_settings.option[kOptFullScreen]) return style | WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;
    if (g_settings.option[kOptCaption]) return style | WS_OVERLAPPEDWINDOW;
    if (g_settings.option[1]) return style | WS_POPUP | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    return style | WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
}

DWORD Opt_WindowExStyle(DWORD exStyle) {
    if (g_settings.option[2] && !g_settings.option[kOptFullScreen]) return exStyle | WS_EX_CLIENTEDGE;
    return exStyle & ~DWORD(WS_EX_CLIENTEDGE);
}
