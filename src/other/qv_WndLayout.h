// Window styles that follow the layout options (caption bar, sizing border,
// view edge) and full screen.
#pragma once

#include <windows.h>

// The frame style for the current options, keeping the bits of `style`
// that the options do not govern.
DWORD Opt_WindowStyle(DWORD style);
// The view's extended style: a client edge when option Edge is set outside
// full screen.
DWORD Opt_WindowExStyle(DWORD exStyle);
