#include "other/qv_IniAndEnd.h"

#include <commctrl.h>

#include "../../res/resource.h"
#include "image/qv_DibcoreLoad.h"
#include "image/qv_Format.h"
#include "image/qv_ImgData.h"
#include "image/qv_MekoLoad.h"
#include "image/qv_FileOpe.h"
#include "dlg/qv_CpyMvDlg.h"
#include "image/qv_Scroll.h"
#include "image/qv_Undo.h"
#include "image/qv_View.h"
#include "image/qv_ViewMouse.h"
#include "other/qv_Cfg.h"
#include "other/qv_CfgLock.h"
#include "other/qv_Bars.h"
#include "other/qv_CmdLine.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_Help.h"
#include "other/qv_Instance.h"
#include "other/qv_LayoutOptions.h"
#include "other/qv_KeyMap.h"
#include "other/qv_KeyName.h"
#include "other/qv_Mouse.h"
#include "other/qv_Mru.h"
#include "other/qv_Msg.h"
#include "other/qv_Res.h"
#include "other/qv_SysFacts.h"
#include "other/qv_Settings.h"
#include "other/qv_StatusBar.h"
#include "other/qv_SysSeams.h"
#include "other/qv_Toolbar.h"
#include "other/qv_WndUtil.h"
#include "util/qv_Str.h"
#include "util/qv_SysVersion.h"
#include "util/qv_Text.h"

MainLoopHooks g_mainLoopHooks = {nullptr};

namespace {

// Static lifetime of the application core's records: the settings are ready
// before the entry function runs; the command-line block, the hand-over
// mapping and the mutex are released after it.
struct AppCoreLife {
    AppCoreLife() { Settings_InitBoth(Sys_GetOsVersionCode()); }
    ~AppCoreLife() {
        Instance_Release();
        CmdLine_Release();
        Settings_Destroy(&g_settings);
        Settings_Destroy(&g_defaultSettings);
    }
    AppCoreLife(const AppCoreLife &) = delete;
    AppCoreLife &operator=(const AppCoreLife &) = delete;
};
AppCoreLife s_appCoreLife;

// Platforms whose common controls may predate version 4.71.
bool IsOldPlatform(int code) { return code == 10 || code == 20 || code == 30 || code == 40 || code == 9999; }

StepOutcome BindLogicalCompare(int) {
    Str_InitLogicalCompare();  // a missing natural compare is no failure
    return kStepOk;
}

StepOutcome BindMemoryStatus(int) {
    Sys_BindMemoryStatus();
    return kStepOk;
}

StepOutcome SeedShuffle(int) {
    g_process.shuffleSeed = (g_sys.timeGetTime() & 0x7FFFFFFFu) + 123456789u;
    return kStepOk;
}

StepOutcome BuildErrorCaption(int) {
    static const TCHAR kSuffix[] = TEXT(" - ERROR -");
    TCHAR *caption = g_process.errorCaption;
    const int capacity = int(sizeof g_process.errorCaption / sizeof(TCHAR));
    Res_LoadText(caption, IDS_APP_TITLE, capacity);
    // Keep room for the suffix; cut the title on a character boundary.
    const int room = capacity - 1 - int(qvtext::Length(kSuffix));
    qvtext::TruncateInPlace(caption, size_t(room));
    Str_Append(capacity, caption, kSuffix);
    return kStepOk;
}

StepOutcome ReadScreenFacts(int) {
    Sys_ReadDpi();
    Sys_ReadDefaultSize();
    Sys_GetOsVersionCode();  // detected once
    return kStepOk;
}

StepOutcome ReadSystemMetrics(int) { return Sys_ReadMetrics() ? kStepOk : kStepFailed; }

StepOutcome InitCommonControls(int) {
    static LONG s_done = 0;  // once per process
    if (s_done) return kStepOk;
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = 8;
    icc.dwICC = ICC_BAR_CLASSES;
    if (!InitCommonControlsEx(&icc)) return kStepFailed;
    s_done = 1;
    return kStepOk;
}

StepOutcome CheckCommonControlsVersion(int) {
    if (!IsOldPlatform(Sys_GetOsVersionCode())) return kStepOk;
    if (Sys_CommonControlsAtLeast(4, 71)) return kStepOk;
    Msg_ReportError(nullptr, nullptr, TEXT("comctl32.dll is old"), -1, 1);
    return kStepReported;
}

// The library lives in data\ below the program's own folder.
StepOutcome LoadImageLibrary(int) {
    const int loaded = Dibcore_Load(g_cmdLine.programDir);
    if (loaded > 0) return kStepOk;
    return loaded < 0 ? kStepReported : kStepFailed;
}

StepOutcome RegisterFormats(int) { return Format_RegisterBuiltins() ? kStepOk : kStepFailed; }

StepOutcome InitPaths(int) { return CmdLine_InitPaths() ? kStepOk : kStepFailed; }
StepOutcome CreateInstanceMutex(int) { return Instance_CreateMutex() == 0 ? kStepOk : kStepFailed; }
void CloseInstanceMutex() { Instance_Release(); }
StepOutcome BuildConfigPath(int) { return Cfg_BuildPath() == 0 ? kStepOk : kStepFailed; }

// The first instance holds the mutex from the role decision until its frame
// is registered; a failure in between must let later starts go on.
bool s_mutexHeldForRegistration = false;

StepOutcome DecideInstanceRole(int) {
    if (!Instance_StartupCheck()) return kStepHandedOver;  // handed over, or [Boot] unreadable: a quiet end
    s_mutexHeldForRegistration = g_instance.registered != 0;
    return kStepOk;
}
void UndoInstanceRole() {
    if (!s_mutexHeldForRegistration) return;
    s_mutexHeldForRegistration = false;
    g_instance.registered = 0;
    Instance_DropMapping();
    if (g_instance.mutex != nullptr) ReleaseMutex(g_instance.mutex);
}

StepOutcome CreateFrame(int showCommand) {
    return Frame_Create(g_process.instance, showCommand) == 0 ? kStepOk : kStepFailed;
}

StepOutcome CreateMenus(int) { return Frame_CreateMenus() ? kStepOk : kStepFailed; }

StepOutcome AttachViewState(int) {
    if (!View_AttachState()) return kStepFailed;
    Mouse_Attach(g_process.frameWindow, g_viewRecord.window);
    Layout_InstallHooks();  // the bars at the edge, always-on-top and the full-screen switch
    Selection_InstallHooks();  // after the mouse mapping, whose move handling it runs before
    Undo_InstallHooks();  // before the configuration is read: UndoMax 0 clears the record
    Meko_InstallTableSource();  // the Meko table file is read on the mask's first use
    FileOpe_Install();  // after the picture record: the frame's busy test counts file operations too
    return kStepOk;
}

StepOutcome SizeRecentFolders(int) { return Mru_Resize(kRecentFolderSlots) ? kStepOk : kStepFailed; }

StepOutcome SetViewScrollSteps(int) {
    const int32_t line = 10;
    return Scroll_SetSteps(&g_viewRecord.scroll, kScrollBoth, &line, nullptr) ? kStepOk : kStepFailed;
}

StepOutcome CreateToolbar(int) {
    Bars_InstallHooks();
    return Toolbar_Setup(g_process.instance) ? kStepOk : kStepFailed;
}
StepOutcome CreateStatusBar(int) { return StatusBar_Create(g_process.instance) ? kStepOk : kStepFailed; }
StepOutcome OrderBars(int) {
    Bars_Order();
    return kStepOk;
}

StepOutcome RegisterFrame(int) {
    const int ok = Instance_Register(g_process.frameWindow);
    s_mutexHeldForRegistration = false;
    return ok ? kStepOk : kStepFailed;
}

// Held across the reading of the configuration, Custom.dat and the plug-in
// cache so that no other instance writes them meanwhile.
CfgLock s_startupLock;

StepOutcome TakeConfigLock(int) {
    s_startupLock.mutex = &g_instance.mutex;
    return CfgLock_Acquire(&s_startupLock) ? kStepOk : kStepFailed;
}
void ReleaseConfigLock() { CfgLock_ReleaseAll(&s_startupLock); }
StepOutcome ReadConfiguration(int) {
    if (!Cfg_LoadAll()) return kStepFailed;
    Bars_ApplyStartLayout();  // the bars were made hidden before their options were known
    return kStepOk;
}
StepOutcome ReleaseConfigLockStep(int) {
    CfgLock_ReleaseAll(&s_startupLock);
    return kStepOk;
}

StepOutcome HoldViewLayout(int) {
    View_LockLayout();  // no painting or refitting while the windows are put together
    return kStepOk;
}

StepOutcome MarkStartupComplete(int) {
    g_process.startupComplete = 1;
    if (View_UnlockLayout()) View_RedrawNow(1);
    return kStepOk;
}

StepOutcome PostFirstStart(int) {
    g_process.fitHold = 0;
    g_process.firstStartPending = 1;
    if (g_process.frameWindow != nullptr) PostMessage(g_process.frameWindow, WM_USER, 0, 0);
    return kStepOk;
}

// Custom.dat is read under the lock of step 26; a missing or damaged file
// leaves the defaults and is no start-up failure.
StepOutcome ReadCustomisation(int) { return KeyMap_StartupRead() == 0 ? kStepOk : kStepFailed; }
// A failed accelerator build keeps the previous table: the program still runs.
StepOutcome BuildKeyMap(int) {
    KeyMap_StartupAccelerators();
    KeyName_LoadTable();
    return kStepOk;
}

// The fixed order. A step whose module is not part of this build has no
// entry function yet; its place and failure number are kept so the order
// and the numbers users see stay the same as modules arrive.
const StartupStep kSteps[] = {
    {1, 0, "remember the instance handle", nullptr, nullptr},  // done before the walk
    {2, 0, "bind the natural-order compare", BindLogicalCompare, nullptr},
    {3, 0, "bind GlobalMemoryStatusEx", BindMemoryStatus, nullptr},
    {4, 0, "seed the shuffle generator", SeedShuffle, nullptr},
    {5, 0, "build the error caption", BuildErrorCaption, nullptr},
    {6, 0, "screen DPI, default window size, platform version", ReadScreenFacts, nullptr},
    {7, 671, "system metrics", ReadSystemMetrics, nullptr},
    {8, 675, "command line and folders", InitPaths, nullptr},
    {9, 679, "single-instance mutex", CreateInstanceMutex, CloseInstanceMutex},
    {10, 683, "configuration file path", BuildConfigPath, nullptr},
    {11, 0, "instance role", DecideInstanceRole, UndoInstanceRole},
    {12, 692, "common controls", InitCommonControls, nullptr},
    {13, 0, "common controls version", CheckCommonControlsVersion, nullptr},
    {14, 0, "hold the view layout", HoldViewLayout, nullptr},
    {15, 716, "frame and view windows", CreateFrame, nullptr},
    {16, 721, "register the frame for hand-overs", RegisterFrame, nullptr},
    {17, 726, "attach the view state", AttachViewState, nullptr},
    {18, 730, "recent-folder list", SizeRecentFolders, nullptr},
    {19, 734, "view scroll steps", SetViewScrollSteps, nullptr},
    {20, 738, "tool bar", CreateToolbar, nullptr},
    {21, 742, "status bar", CreateStatusBar, nullptr},
    {22, 0, "z-order of the bars", OrderBars, nullptr},
    {23, 759, "menus", CreateMenus, nullptr},
    {24, 768, "image library", LoadImageLibrary, nullptr},
    {25, 773, "built-in picture formats", RegisterFormats, nullptr},
    {26, 782, "configuration lock", TakeConfigLock, ReleaseConfigLock},
    {27, 786, "read the configuration file", ReadConfiguration, nullptr},
    {28, 0, "customisation file", ReadCustomisation, nullptr},
    {29, 0, "plug-in list cache", nullptr, nullptr},
    {30, 0, "key map and accelerators", BuildKeyMap, nullptr},
    {31, 0, "release the configuration lock", ReleaseConfigLockStep, nullptr},
    {32, 0, "start-up complete", MarkStartupComplete, nullptr},
    {33, 0, "post the start message", PostFirstStart, nullptr},
};

constexpr int kStepCount = int(sizeof kSteps / sizeof kSteps[0]);

void UndoCompleted(int doneCount) {
    for (int i = doneCount - 1; i >= 0; --i)
        if (kSteps[i].undo != nullptr) kSteps[i].undo();
}

}  // namespace

const StartupStep *IniAndEnd_Steps(int *count) {
    if (count) *count = kStepCount;
    return kSteps;
}

StartupResult IniAndEnd_Startup(HINSTANCE instance, int showCommand) {
    g_process.instance = instance;
    for (int i = 0; i < kStepCount; ++i) {
        const StartupStep &s = kSteps[i];
        if (s.run == nullptr) continue;
        const StepOutcome outcome = s.run(showCommand);
        if (outcome == kStepOk) continue;
        if (outcome == kStepFailed && s.failure != 0)
            Msg_ReportError(TEXT(__FILE__), nullptr, nullptr, s.failure, 1);
        g_process.noSave = 1;
        // Give back what earlier steps hold (the single-instance mutex above
        // all), so a later start is not kept waiting for a dead process.
        UndoCompleted(i);
        IniAndEnd_Shutdown(1);
        return outcome == kStepHandedOver ? kStartupHandedOver : kStartupFailed;
    }
    return kStartupRunning;
}

void MainLoop_Dispatch(MSG *msg) {
    if (Help_PreTranslate(msg)) return;
    const bool ours =
        msg->hwnd != nullptr && (msg->hwnd == g_process.frameWindow || msg->hwnd == g_process.viewWindow);
    if (ours && g_process.accelerators != nullptr &&
        TranslateAccelerator(g_process.frameWindow, g_process.accelerators, msg))
        return;
    TranslateMessage(msg);
    DispatchMessage(msg);
}

int MainLoop() {
    MSG msg;
    for (;;) {
        if (g_process.frameWindow == nullptr) return 0;
        if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return int(msg.wParam);
            MainLoop_Dispatch(&msg);
            if (g_process.noSave && g_process.destroyOnce) {
                g_process.destroyOnce = 0;
                if (g_process.frameWindow == nullptr) return 0;
                DestroyWindow(g_process.frameWindow);  // its destruction posts WM_QUIT
            }
            continue;
        }
        if (g_mainLoopHooks.animationPlaying != nullptr && g_mainLoopHooks.animationPlaying() &&
            g_process.viewWindow != nullptr && g_process.frameWindow != nullptr &&
            !IsIconic(g_process.frameWindow)) {
            Sleep(1);
            PostMessage(g_process.viewWindow, WM_USER + 5, 0, 0);
        } else {
            WaitMessage();
        }
    }
}

void IniAndEnd_SaveForEndSession() {
    if (g_process.noSave) return;
    Mru_Commit(1);  // the folder shown at the end is listed with its file
    Cfg_SaveAll();
}

void IniAndEnd_Shutdown(int destroyInterface) {
    Help_Shutdown();
    // After a failed start-up the frame's destruction never runs its
    // shut-down: the single-instance role is given up here so that the other
    // instances take it, and the menus are removed.
    if (destroyInterface) Frame_Shutdown();
    ImgData_Shutdown();
    Undo_Destroy(&g_undo);
    Meko_FreeTable();
    IniAndEnd_SaveForEndSession();
    CpyMvDlg_Free();
}
