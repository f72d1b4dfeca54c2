// Process-wide state of the program's life: set during start-up, read by the
// main loop, the error report and the end sequence.
#pragma once

#include <windows.h>

#include <cstdint>

struct ProcessState {
    HINSTANCE instance = nullptr;         // module handle for resources and windows
    int32_t noSave = 0;                   // start-up failed or a fatal report was shown
    int32_t destroyOnce = 1;              // the main loop destroys the frame only once
    int32_t startupComplete = 0;
    int32_t firstStartPending = 0;
    int32_t fitHold = 1;                  // fitting the frame waits until start-up is done
    uint32_t shuffleSeed = 0;             // the file list's random generator state
    HWND frameWindow = nullptr;           // the frame, once created
    HWND viewWindow = nullptr;
    HACCEL accelerators = nullptr;
    TCHAR errorCaption[64] = {};          // program title + " - ERROR -"
};

extern ProcessState g_process;
