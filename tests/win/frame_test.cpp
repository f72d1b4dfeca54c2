// The frame in-process under Wine: commands through the real window
// procedure with the dialog guard free and held, the busy rules, drops,
// application commands, and the message loop ending the run with and
// without a fatal report (settings written or not).
#include <gtest/gtest.h>

#include <shlobj.h>

#include "other/qv_Cfg.h"
#include "other/qv_CmdLine.h"
#include "other/qv_CommandBlocks.h"
#include "other/qv_Dlg.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_IniAndEnd.h"
#include "other/qv_Instance.h"
#include "other/qv_Menu.h"
#include "other/qv_Msg.h"
#include "other/qv_Settings.h"
#include "support/capture_boxes.h"
#include "support/real_frame.h"
#include "support/user_folder.h"

namespace {

bool s_busy = false;
int s_dropFiles = 0;

class Frame : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Open());
        RealFrame_Reset();
        s_busy = false;
        s_dropFiles = 0;
        g_frameHooks.busy = [] { return s_busy; };
        g_frameHooks.fillDropList = [](HDROP) { return s_dropFiles; };
        ASSERT_EQ(Frame_Create(g_process.instance, SW_SHOWNORMAL), 0);
        ASSERT_EQ(Frame_CreateMenus(), 1);
        frame_ = g_process.frameWindow;
        ASSERT_NE(frame_, nullptr);
        ASSERT_NE(g_process.viewWindow, nullptr);
    }
    void TearDown() override { RealFrame_Destroy(frame_); }
    static void Drain() { RealFrame_Drain(); }
    LRESULT Command(UINT id, WORD source = 0) {
        return SendMessage(frame_, WM_COMMAND, MAKEWPARAM(id, source), 0);
    }
    bool PostedCommand(UINT *id) {
        MSG m;
        if (!PeekMessage(&m, frame_, WM_COMMAND, WM_COMMAND, PM_REMOVE)) return false;
        *id = LOWORD(m.wParam);
        return true;
    }

    TestUserFolder folder_{TEXT("frame"), TEXT("frame")};
    HWND frame_ = nullptr;
};

TEST_F(Frame, ClassesViewAndRememberedRectangle) {
    TCHAR name[64];
    GetClassName(frame_, name, 64);
    EXPECT_EQ(tstring(name), TEXT("QV_Quivelta_Main"));
    GetClassName(g_process.viewWindow, name, 64);
    EXPECT_EQ(tstring(name), TEXT("QV_Quivelta_MaCl"));
    EXPECT_EQ(GetDlgCtrlID(g_process.viewWindow), 1);
    EXPECT_EQ(GetParent(g_process.viewWindow), frame_);
    RECT client, view;
    GetClientRect(frame_, &client);
    GetWindowRect(g_process.viewWindow, &view);
    EXPECT_EQ(view.right - view.left, client.right);
    EXPECT_EQ(view.bottom - view.top, client.bottom);
    RECT r;
    GetWindowRect(frame_, &r);
    EXPECT_EQ(g_settings.optInt[kIntRectLeft + 2] - g_settings.optInt[kIntRectLeft], r.right - r.left);
    // Menub off by default: no menu bar; the option's effect attaches it.
    EXPECT_EQ(GetMenu(frame_), nullptr);
    ASSERT_NE(g_optEffects.menuBar, nullptr);
    g_optEffects.menuBar(1);
    EXPECT_EQ(GetMenu(frame_), Menu_GetMain());
}

TEST_F(Frame, EveryBlockThroughTheFrameWithTheGuardFreeAndHeld) {
    // The popup-menu block opens a real menu, whose own loop this timer ends.
    const UINT_PTR menuCloser = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
    size_t count = 0;
    const CommandBlockRow *rows = CommandBlocks_Table(&count);
    for (int held = 0; held < 2; ++held) {
        DlgGuard guard;
        if (held) {
            ASSERT_EQ(DlgGuard_Acquire(&guard, TEXT("test")), 1);
        }
        for (size_t i = 0; i < count; ++i) {
            const UINT id = rows[i].first;
            EXPECT_EQ(Command(id), 0) << id;
            ASSERT_TRUE(IsWindow(frame_)) << id;
        }
        // The View block's first id switched full screen over, where maximise
        // is ignored: back to the window layout first.
        if (g_settings.option[kOptFullScreen]) Command(40081);
        // Window block: allowed under the guard; maximise reaches its handler.
        ShowWindow(frame_, SW_RESTORE);
        Command(41003);
        EXPECT_TRUE(IsZoomed(frame_)) << "guard " << held;
        ShowWindow(frame_, SW_RESTORE);
    }
    KillTimer(nullptr, menuCloser);
}

TEST_F(Frame, ExitIsTheFileCommandAGuardDoesNotRefuse) {
    DlgGuard guard;
    ASSERT_EQ(DlgGuard_Acquire(&guard, TEXT("test")), 1);
    Command(40011);
    Drain();
    EXPECT_FALSE(IsWindow(frame_));
    EXPECT_EQ(g_process.frameWindow, nullptr);
}

TEST_F(Frame, BusyAndForeignSourcesIgnoreCommandsAndClose) {
    ShowWindow(frame_, SW_RESTORE);
    Command(41003, 2);  // neither menu nor accelerator
    EXPECT_FALSE(IsZoomed(frame_));
    s_busy = true;
    Command(41003);
    EXPECT_FALSE(IsZoomed(frame_));
    SendMessage(frame_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(frame_));
    s_busy = false;
    Command(41003, 1);  // an accelerator
    EXPECT_TRUE(IsZoomed(frame_));
}

HDROP MakeDrop() {
    const SIZE_T bytes = sizeof(DROPFILES) + 4 * sizeof(WCHAR);
    HGLOBAL h = GlobalAlloc(GHND, bytes);
    auto *d = static_cast<DROPFILES *>(GlobalLock(h));
    d->pFiles = sizeof(DROPFILES);
    d->fWide = TRUE;
    auto *names = reinterpret_cast<WCHAR *>(d + 1);
    names[0] = L'a';
    GlobalUnlock(h);
    return static_cast<HDROP>(h);
}

TEST_F(Frame, ADropIsAlwaysFinishedAndCountsOnePendingOpening) {
    s_busy = true;
    s_dropFiles = 3;
    HDROP refused = MakeDrop();
    SendMessage(frame_, WM_DROPFILES, WPARAM(refused), 0);
    EXPECT_EQ(GlobalSize(refused), 0u) << "an ignored drop still frees its handle";
    EXPECT_EQ(g_frame.pendingOpenings, 0);
    s_busy = false;
    HDROP taken = MakeDrop();
    SendMessage(frame_, WM_DROPFILES, WPARAM(taken), 0);
    EXPECT_EQ(GlobalSize(taken), 0u);
    EXPECT_EQ(g_frame.pendingOpenings, 1);
    MSG m;
    ASSERT_TRUE(PeekMessage(&m, frame_, kMsgOpenPendingFiles, kMsgOpenPendingFiles, PM_REMOVE));
    DispatchMessage(&m);
    EXPECT_EQ(g_frame.pendingOpenings, 0);
}

TEST_F(Frame, ApplicationCommandsPostTheirIds) {
    struct Case {
        int appCommand;
        LRESULT result;
        UINT posted;  // 0: nothing
    } cases[] = {{1, 1, 40061}, {2, 1, 40062}, {31, 1, 40011}, {38, 1, 40026}, {35, 0, 0}, {4, 0, 0}};
    Drain();
    for (const Case &c : cases) {
        const LPARAM lParam = MAKELPARAM(0, c.appCommand | FAPPCOMMAND_KEY);
        EXPECT_EQ(SendMessage(frame_, WM_APPCOMMAND, WPARAM(frame_), lParam), c.result) << c.appCommand;
        UINT id = 0;
        EXPECT_EQ(PostedCommand(&id), c.posted != 0) << c.appCommand;
        EXPECT_EQ(id, c.posted) << c.appCommand;
    }
}

TEST_F(Frame, XButtonsGiveNoApplicationCommand) {
    EXPECT_EQ(SendMessage(frame_, WM_XBUTTONUP, MAKEWPARAM(0, XBUTTON1), 0), 1);
    EXPECT_EQ(SendMessage(frame_, WM_XBUTTONUP, MAKEWPARAM(0, XBUTTON2), 0), 1);
}

void CALLBACK ReportFatal(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    CaptureBoxes capture;
    Msg_ReportError(TEXT(__FILE__), nullptr, TEXT("out of memory"), 42, 1);
}

TEST_F(Frame, ExitCommandEndsTheLoopAndSavesSettings) {
    g_process.firstStartPending = 1;
    PostMessage(frame_, WM_USER, 0, 0);
    PostMessage(frame_, WM_COMMAND, 40011, 0);
    EXPECT_EQ(MainLoop(), 0);
    IniAndEnd_Shutdown(0);
    EXPECT_FALSE(IsWindow(frame_));
    EXPECT_NE(GetFileAttributes(Cfg_Path()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Frame, FatalReportWhileRunningEndsWithoutSaving) {
    SetTimer(nullptr, 0, 10, ReportFatal);
    EXPECT_EQ(MainLoop(), 0);
    IniAndEnd_Shutdown(0);
    EXPECT_EQ(Msg_FatalReportCount(), 1);
    EXPECT_FALSE(IsWindow(frame_));
    EXPECT_EQ(GetFileAttributes(Cfg_Path()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Frame, EndSessionSavesUnlessSavingIsOff) {
    g_process.noSave = 1;
    SendMessage(frame_, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(GetFileAttributes(Cfg_Path()), INVALID_FILE_ATTRIBUTES);
    g_process.noSave = 0;
    SendMessage(frame_, WM_ENDSESSION, TRUE, 0);
    EXPECT_NE(GetFileAttributes(Cfg_Path()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
