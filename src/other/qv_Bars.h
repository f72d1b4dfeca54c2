// What the tool bar and the status bar share with the frame: the start-up
// steps that create and order them, the client area they leave to the view,
// the X-button filter of both bars and the hooks that connect them to the
// picture, menu and view modules.
#pragma once

#include <windows.h>

// Connects the bars to the modules that update them. Safe to call twice.
void Bars_InstallHooks();
// Start-up: the status bar directly behind the tool bar, the view behind
// the status bar.
void Bars_Order();
// Shows the bars that the window layout asks for (not in full screen) and
// lays the frame out again; start-up calls it once the configuration is read.
void Bars_ApplyStartLayout();
// The frame's client area left by the bars that take room: a bar counts
// when it is visible and shown for good in the window layout (not at the
// edge only, not in full screen, where bars show over the picture).
void Bars_ViewArea(HWND frame, RECT *out);
// The X-button messages (client and non-client, first and second button),
// which the bars swallow so that no application command comes from them.
bool Bars_IsXButtonMessage(UINT message, WPARAM wParam);
