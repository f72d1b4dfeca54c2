// The tool bar at the top of the frame: seventeen buttons with images sized
// for the screen's DPI and tool tips that name the key bound to each command.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

constexpr int kToolbarId = 17;

struct ToolbarRecord {
    HWND window = nullptr;
    HWND parent = nullptr;
    int32_t shown = 0;
    HIMAGELIST images = nullptr;  // the 32-bit button set, owned; null for the normal set
};
extern ToolbarRecord g_toolbar;

int Toolbar_Create(HINSTANCE instance, DWORD style, HWND parent);
// Start-up: creates the bar with its buttons. 1 ok.
int Toolbar_Setup(HINSTANCE instance);
// Shows or hides the bar and records it; relayout: the frame lays out its
// children again. Returns the shown state.
int Toolbar_Show(int show, int relayout);
int Toolbar_EnableButton(UINT command, int disable);
void Toolbar_SetSlideShowButton(int pressed);
int Toolbar_GetMaxWidth();
int Toolbar_Relayout();
// The frame's answer to a tool-tip request; 1 when filled.
int Frame_OnToolTip(NMHDR *request);
// Detaches and destroys the image list and clears the record (frame shut-down).
void Toolbar_Destroy();

// Which button set Toolbar_Setup may use: -1 the 32-bit set where the
// system reports the version 6 common controls (the default), 0 only the
// normal set, 1 the 32-bit set whatever the system reports (Wine's version
// 6 controls report 5.81). Tests pin it.
extern int g_toolbarAllowAlpha;
