// The decisions behind the two frame layouts (window and full screen): which
// bar shows only at the edge, what a bar setter does at once, what a layout
// switch shows, the rectangle remembered across full screen and what a
// Window-menu command does. Portable: the Win32 side only carries them out.
#pragma once

#include <cstdint>

struct Settings;

constexpr int kLayoutToolbar = 0;
constexpr int kLayoutStatusBar = 1;

// Option bytes of one bar: shown only at the edge (window layout), on in the
// window layout, on in full screen.
struct BarOptionIndexes {
    int edgeOnly;
    int windowOn;
    int fullOn;
};
BarOptionIndexes Layout_BarOptions(int bar);

// The bar appears only while the cursor is at it: in full screen when it is
// on for full screen; in the window layout when it is on and edge-only.
bool Layout_BarInEdgeMode(const uint8_t *option, int bar);

// Right and bottom edges excluded, as for every window rectangle.
bool Layout_PointInRect(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom);

// One question to a bar at the edge. mode < 0 skips the show test, so a
// shown bar can only be hidden.
struct EdgeInput {
    bool edgeMode;
    bool checkKeys;
    bool buttonDown;      // any mouse button
    bool shiftOrCtrl;
    bool shown;
    bool ownWindowActive;  // the frame or one of its children is active
    bool pointInside;      // the point lies in the bar's window rectangle
    int mode;
};
enum class EdgeAction { None, Show, Hide };
struct EdgeDecision {
    int result;  // 1 the bar took the question, 0 not in edge mode or held by the keys
    EdgeAction action;
};
EdgeDecision Layout_DecideEdge(const EdgeInput &in);

// What a bar setter does at once, given the options after the store.
enum class BarApply {
    Nothing,   // the other layout, no bar, or switched on where the edge shows it
    HideOnly,  // switched off where the bar shows only at the edge
    ShowNow,   // shown with a new layout and refit
    HideNow,   // hidden with a new layout and refit
};
BarApply Layout_BarSetterAction(const uint8_t *option, int bar, int fullScreen, bool barExists);

// What a layout shows once it is switched to.
struct LayoutShows {
    bool toolbar;
    bool statusBar;
    bool scrollBars;
    bool menuBar;
    bool topMost;
    bool topMostChanges;  // the two layouts differ in always-on-top
    bool hideCursor;      // full screen without FScrnCur
};
LayoutShows Layout_TargetOf(const uint8_t *option, bool fullScreen);

// The frame's normal rectangle and maximised state when full screen begins,
// kept in the run-time option ints 15..18 and byte 23.
struct LayoutRect {
    int32_t left, top, right, bottom;
};
void Layout_RememberPlacement(Settings *s, const LayoutRect &normal, bool maximised);
struct RestorePlan {
    LayoutRect normal;
    bool maximised;
};
RestorePlan Layout_RestorePlan(const Settings &s);

// The Window-menu block (41001 to 41011) and its rules in full screen.
enum class WindowAction {
    NotMine,        // not one of the block's commands: default handling
    Ignore,         // refused in this state, swallowed
    LeaveFullScreen,
    Restore,
    Minimise,
    Maximise,
    TopMost,
    CaptionBar,
    FrameBorder,
    Edge,
    MenuBar,
    Toolbar,
    StatusBar,
    ScrollBars,
};
WindowAction Layout_WindowCommand(uint32_t id, bool fullScreen, bool minimised, bool maximised, bool captionBar);
