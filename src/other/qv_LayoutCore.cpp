#include "other/qv_LayoutCore.h"

#include "other/qv_Settings.h"

namespace {

constexpr int kOptMenuBar = 3;
constexpr int kOptScrollWindow = 10;
constexpr int kOptScrollFull = 11;
constexpr int kOptFullScreenCursor = 18;
constexpr int kOptTopMostWindow = 105;
constexpr int kOptTopMostFull = 106;

constexpr BarOptionIndexes kBars[2] = {
    {kOptToolbarEdge, kOptToolbar, 6},
    {kOptStatusEdge, kOptStatus, 9},
};

}  // namespace

BarOptionIndexes Layout_BarOptions(int bar) { return kBars[bar == kLayoutStatusBar ? 1 : 0]; }

bool Layout_BarInEdgeMode(const uint8_t *option, int bar) {
    const BarOptionIndexes b = Layout_BarOptions(bar);
    if (option[kOptFullScreen]) return option[b.fullOn] != 0;
    return option[b.windowOn] != 0 && option[b.edgeOnly] != 0;
}

bool Layout_PointInRect(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return x >= left && x < right && y >= top && y < bottom;
}

EdgeDecision Layout_DecideEdge(const EdgeInput &in) {
    if (!in.edgeMode) return {0, EdgeAction::None};
    // A press or a drag must not lose the bar under it; a modifier held over
    // a hidden bar means the user is about to click the picture, not the bar.
    if (in.checkKeys && (in.buttonDown || (in.shiftOrCtrl && !in.shown))) return {0, EdgeAction::None};
    if (in.mode >= 0 && in.ownWindowActive && in.pointInside)
        return {1, in.shown ? EdgeAction::None : EdgeAction::Show};
    return {1, in.shown ? EdgeAction::Hide : EdgeAction::None};
}

BarApply Layout_BarSetterAction(const uint8_t *option, int bar, int fullScreen, bool barExists) {
    const bool inUse = (option[kOptFullScreen] != 0) == (fullScreen != 0);
    if (!inUse || !barExists) return BarApply::Nothing;
    const BarOptionIndexes b = Layout_BarOptions(bar);
    const bool on = option[fullScreen ? b.fullOn : b.windowOn] != 0;
    // Where the bar shows only at the edge, switching it on waits for the
    // cursor; switching it off hides one that the cursor brought up.
    if (fullScreen || option[b.edgeOnly]) return on ? BarApply::Nothing : BarApply::HideOnly;
    return on ? BarApply::ShowNow : BarApply::HideNow;
}

LayoutShows Layout_TargetOf(const uint8_t *option, bool fullScreen) {
    LayoutShows t{};
    const bool differ = (option[kOptTopMostWindow] != 0) != (option[kOptTopMostFull] != 0);
    t.topMostChanges = differ;
    if (fullScreen) {
        // The bars of full screen come only at the edge.
        t.scrollBars = option[kOptScrollFull] != 0;
        t.topMost = option[kOptTopMostFull] != 0;
        t.hideCursor = option[kOptFullScreenCursor] == 0;
        return t;
    }
    const BarOptionIndexes tb = Layout_BarOptions(kLayoutToolbar);
    const BarOptionIndexes sb = Layout_BarOptions(kLayoutStatusBar);
    t.toolbar = option[tb.windowOn] != 0 && option[tb.edgeOnly] == 0;
    t.statusBar = option[sb.windowOn] != 0 && option[sb.edgeOnly] == 0;
    t.scrollBars = option[kOptScrollWindow] != 0;
    t.menuBar = option[kOptMenuBar] != 0;
    t.topMost = option[kOptTopMostWindow] != 0;
    return t;
}

void Layout_RememberPlacement(Settings *s, const LayoutRect &normal, bool maximised) {
    s->optInt[kIntSavedRect + 0] = normal.left;
    s->optInt[kIntSavedRect + 1] = normal.top;
    s->optInt[kIntSavedRect + 2] = normal.right;
    s->optInt[kIntSavedRect + 3] = normal.bottom;
    s->option[kOptMaxBeforeFull] = maximised ? 1 : 0;
}

RestorePlan Layout_RestorePlan(const Settings &s) {
    RestorePlan p{};
    p.normal = LayoutRect{s.optInt[kIntSavedRect + 0], s.optInt[kIntSavedRect + 1], s.optInt[kIntSavedRect + 2],
                          s.optInt[kIntSavedRect + 3]};
    p.maximised = s.option[kOptMaxBeforeFull] != 0;
    return p;
}

WindowAction Layout_WindowCommand(uint32_t id, bool fullScreen, bool minimised, bool maximised, bool captionBar) {
    // Full screen owns the frame's shape: maximising and the four shape
    // options wait until it ends.
    switch (id) {
        case 41001:
            return fullScreen && !minimised ? WindowAction::LeaveFullScreen : WindowAction::Restore;
        case 41002: return minimised ? WindowAction::Restore : WindowAction::Minimise;
        case 41003:
            if (fullScreen) return WindowAction::Ignore;
            return maximised ? WindowAction::Restore : WindowAction::Maximise;
        case 41004: return WindowAction::TopMost;
        case 41005: return fullScreen ? WindowAction::Ignore : WindowAction::CaptionBar;
        case 41006:
            // The sizing border is a choice only without a caption bar.
            return fullScreen || captionBar ? WindowAction::Ignore : WindowAction::FrameBorder;
        case 41007: return fullScreen ? WindowAction::Ignore : WindowAction::Edge;
        case 41008: return fullScreen ? WindowAction::Ignore : WindowAction::MenuBar;
        case 41009: return WindowAction::Toolbar;
        case 41010: return WindowAction::StatusBar;
        case 41011: return WindowAction::ScrollBars;
        default: return WindowAction::NotMine;
    }
}
