// The life of the process: the start-up sequence with its numbered failure
// points, the message loop and the end sequence that writes settings back.
#pragma once

#include <windows.h>

enum StartupResult {
    kStartupRunning = 0,     // the program is up and the start message is posted
    kStartupFailed = 1,      // stopped after a failure; the end sequence has run
    kStartupHandedOver = 2,  // the command line went to the running instance
};

StartupResult IniAndEnd_Startup(HINSTANCE instance, int showCommand);
int MainLoop();
// What the loop does with one message it took: help first, then the
// accelerators (only for the frame and the view), then the window.
void MainLoop_Dispatch(MSG *msg);
void IniAndEnd_Shutdown(int destroyInterface);
// The saving part of the end sequence, for a session that ends while the
// program runs (WM_ENDSESSION); nothing when saving is off.
void IniAndEnd_SaveForEndSession();

// Optional queries of modules that the loop serves; null until they exist.
struct MainLoopHooks {
    bool (*animationPlaying)();        // a GIF animation wants ticks
};
extern MainLoopHooks g_mainLoopHooks;

// One step of start-up: a module's entry function and the number reported
// when it fails. Exposed so tests can walk the order.
enum StepOutcome {
    kStepOk = 0,
    kStepFailed = 1,       // report `failure` as a fatal error of this module
    kStepReported = 2,     // the step reported (or needs no report); stop quietly
    kStepHandedOver = 3,   // another instance took the command line
};

struct StartupStep {
    int step;                  // position in the start-up order (1..33)
    int failure;               // number shown when it fails; 0 when it cannot fail
    const char *what;
    StepOutcome (*run)(int showCommand);  // null: its module is not in this build
    void (*undo)();            // runs when a later step fails; may be null
};

const StartupStep *IniAndEnd_Steps(int *count);
