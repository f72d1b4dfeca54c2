#include "other/qv_WindowCommands.h"

#include "dlg/qv_ZoomDlg.h"
#include "image/qv_ViewZoom.h"
#include "other/qv_FullScreen.h"
#include "other/qv_LayoutCore.h"
#include "other/qv_LayoutOptions.h"
#include "other/qv_Settings.h"

namespace {

constexpr UINT kCmdFullScreen = 40081;
constexpr int kOptFrameBorder = 1;
constexpr int kOptEdge = 2;
constexpr int kOptMenuBar = 3;
constexpr int kOptScrollWindow = 10;
constexpr int kOptTopMostWindow = 105;

// The system commands go to the frame and are waited for, so the state
// after the command is the new one.
void SystemCommand(HWND frame, WPARAM code) { SendMessage(frame, WM_SYSCOMMAND, code, 0); }

int Flip(int index) { return g_settings.option[index] ? 0 : 1; }

}  // namespace

int WindowCommands_OnWindow(HWND frame, UINT id) {
    const int fs = g_settings.option[kOptFullScreen] ? 1 : 0;
    const BarOptionIndexes tb = Layout_BarOptions(kLayoutToolbar);
    const BarOptionIndexes sb = Layout_BarOptions(kLayoutStatusBar);
    switch (Layout_WindowCommand(id, fs != 0, IsIconic(frame) != 0, IsZoomed(frame) != 0,
                                 g_settings.option[kOptCaption] != 0)) {
        case WindowAction::NotMine: return 1;
        case WindowAction::Ignore: return 0;
        case WindowAction::LeaveFullScreen: SendMessage(frame, WM_COMMAND, kCmdFullScreen, 0); return 0;
        case WindowAction::Restore: SystemCommand(frame, SC_RESTORE); return 0;
        case WindowAction::Minimise: SystemCommand(frame, SC_MINIMIZE); return 0;
        case WindowAction::Maximise: SystemCommand(frame, SC_MAXIMIZE); return 0;
        case WindowAction::TopMost: Opt_SetTopMost(Flip(kOptTopMostWindow + fs), fs, 1); return 0;
        case WindowAction::CaptionBar: Opt_SetCaptionBar(Flip(kOptCaption)); return 0;
        case WindowAction::FrameBorder: Opt_SetFrame(Flip(kOptFrameBorder)); return 0;
        case WindowAction::Edge: Opt_SetEdge(Flip(kOptEdge)); return 0;
        case WindowAction::MenuBar: Opt_SetMenuBar(Flip(kOptMenuBar)); return 0;
        case WindowAction::Toolbar: Opt_SetToolbar(Flip(fs ? tb.fullOn : tb.windowOn), fs); return 0;
        case WindowAction::StatusBar: Opt_SetStatusBar(Flip(fs ? sb.fullOn : sb.windowOn), fs); return 0;
        case WindowAction::ScrollBars: Opt_SetScrollBars(Flip(kOptScrollWindow + fs), fs); return 0;
    }
    return 1;
}

int WindowCommands_OnView(HWND frame, UINT id) {
    (void)frame;
    if (id == kCmdZoomDialog) {
        ZoomDlg_Show(frame);
        return 0;
    }
    if (id != kCmdFullScreen) return ViewZoom_OnCommand(frame, id);
    Wnd_ToggleFullScreen();
    return 0;
}
