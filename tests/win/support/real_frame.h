// The program's own frame in a test process: the state it is created from
// and its removal with everything a test's frame leaves behind. Fixtures
// open their TestUserFolder, call RealFrame_Reset, set their hooks and
// options, create the frame with Frame_Create, and end with
// RealFrame_Destroy.
#pragma once

#include <windows.h>

// No recorded message boxes, default settings, a process record naming this
// module, and the frame's state and hooks cleared.
void RealFrame_Reset();
// Runs what is queued (a WM_QUIT is dropped: the test goes on).
void RealFrame_Drain();
// Destroys the frame without saving, runs what its destruction queued and
// forgets the configuration, the instance role, the command line and the
// settings.
void RealFrame_Destroy(HWND frame);
