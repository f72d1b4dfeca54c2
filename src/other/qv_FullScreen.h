// The switch between the window layout and full screen: styles, menu bar,
// bars, scroll bars, always-on-top and the cursor follow the layout, and the
// frame returns to its rectangle, or to maximised, when full screen ends.
#pragma once

// Switches layouts; returns the new full-screen state (option byte 15).
// Without frame or view nothing changes.
int Wnd_ToggleFullScreen();
// True while a switch runs: the fitting waits for its end.
bool Wnd_FullScreenSwitching();
