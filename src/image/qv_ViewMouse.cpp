#include "image/qv_ViewMouse.h"

#include "image/qv_ImgData.h"
#include "image/qv_Scroll.h"
#include "image/qv_ScrollCommands.h"
#include "image/qv_Selection.h"
#include "image/qv_SelectionCore.h"
#include "image/qv_View.h"
#include "image/qv_ViewZoom.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_MenuState.h"
#include "other/qv_Mouse.h"
#include "other/qv_Settings.h"
#include "other/qv_WndUtil.h"

namespace {

constexpr int kOptDragBoost = 79;
constexpr int kOptDragZoomSpeed = 89;
constexpr int kOptDragZoomDir = 90;

// The logical button state as the messages so far left it: with the buttons
// swapped the user's left button is VK_LBUTTON here, not the physical one.
bool RealKeyDown(int virtualKey) { return GetKeyState(virtualKey) < 0; }

// A drag scroll or drag zoom step was the last thing the mouse did: the
// paint that follows leaves the information text out.
bool s_afterStep = false;

// A press that became a drag is no click: the mapping's press marks cover
// the other buttons, the view asks for the left button's click itself.
bool s_clickTaken[kMouseButtons] = {};

HWND View() { return g_viewRecord.window; }

void ReleaseCaptureIfHeld() {
    if (!g_viewState.captured) return;
    g_viewState.captured = 0;
    if (GetCapture() == View()) ReleaseCapture();
}

int PictureWidth() {
    if (!ImgData_HasImage()) return 0;
    return (g_imgData.state & kImgAnimation) ? g_imgData.anim.width : DibHolder_GetWidth(g_imgData.image);
}
int PictureHeight() {
    if (!ImgData_HasImage()) return 0;
    return (g_imgData.state & kImgAnimation) ? g_imgData.anim.height : DibHolder_GetHeight(g_imgData.image);
}

// The press of a kind that may still be a click waits for the margin; one
// without a click command has nothing to wait for.
void StartThreshold(int kind, POINT screen, WPARAM keys) {
    ViewState &v = g_viewState;
    const bool wait = g_settings.dragMargin > 0 && Mouse_CommandForHeldButtons(&g_mouse, uint32_t(keys), kind) != 0;
    v.dragState[kind] = wait ? 1 : 2;
    v.thresholdOrigin[kind] = screen;
}

// true once the kind is dragging; the button's click is then taken away.
bool PastThreshold(int kind, POINT screen) {
    ViewState &v = g_viewState;
    if (v.dragState[kind] == 1) {
        const int32_t dx = screen.x - v.thresholdOrigin[kind].x, dy = screen.y - v.thresholdOrigin[kind].y;
        const int32_t m = g_settings.dragMargin;
        if (dx > m || dx < -m || dy > m || dy < -m) v.dragState[kind] = 2;
    }
    if (v.dragState[kind] != 2) return false;
    const int owner = Mouse_FindDragButton(kind, &g_mouse);
    if (owner >= 0) {
        g_mouse.pressed[owner] = 0;
        s_clickTaken[owner] = true;
    }
    return true;
}

void StartSelection(POINT client) {
    ViewState &v = g_viewState;
    Sel_SyncUnits();
    Sel_SetActive(0);
    v.pressPoint = client;
    const POINT p = View_ClientToImage(client);
    v.anchor = POINT{SelCore_SnapStart(p.x, v.startUnitX), SelCore_SnapStart(p.y, v.startUnitY)};
    v.x0 = v.anchor.x;
    v.y0 = v.anchor.y;
    v.x1 = v.y1 = -1;
}

// The selection's end follows the cursor. true when the end corner moved
// while a selection is or was active.
bool FollowCursor(POINT client) {
    ViewState &v = g_viewState;
    const int32_t w = PictureWidth(), h = PictureHeight();
    if (w <= 0 || h <= 0) return false;
    const POINT p = View_ClientToImage(client);
    // A drag that outlives its picture (the next one came meanwhile) keeps
    // its fixed corner on the picture now shown.
    v.anchor.x = v.anchor.x < 0 ? 0 : v.anchor.x >= w ? w - 1 : v.anchor.x;
    v.anchor.y = v.anchor.y < 0 ? 0 : v.anchor.y >= h ? h - 1 : v.anchor.y;
    int32_t x0, x1, y0, y1;
    const bool okX = SelCore_Extent(v.anchor.x, p.x, v.startUnitX, v.sizeUnitX, w, &x0, &x1);
    const bool okY = SelCore_Extent(v.anchor.y, p.y, v.startUnitY, v.sizeUnitY, h, &y0, &y1);
    const bool wasActive = v.selActive != 0;
    const bool moved = x1 != v.x1 || y1 != v.y1;
    if (okX && okY) {
        v.x0 = x0;
        v.y0 = y0;
        v.x1 = x1;
        v.y1 = y1;
        Sel_SetActive(1);
    } else {
        Sel_SetActive(0);
        // The drag goes on: the moving corner is remembered for the next move.
        v.x1 = x1;
        v.y1 = y1;
    }
    return moved && (wasActive || v.selActive);
}

bool DragScroll(POINT screen) {
    ViewState &v = g_viewState;
    int boost = g_settings.option[kOptDragBoost];
    boost = boost < 1 ? 1 : (boost > 10 ? 10 : boost);
    ScrollState *s = &g_viewRecord.scroll;
    bool moved = false;
    const int32_t delta[2] = {screen.x - v.lastPoint.x, screen.y - v.lastPoint.y};
    const int32_t shown[2] = {s->hShown, s->vShown};
    for (int axis = kScrollHorz; axis <= kScrollVert; ++axis) {
        if (!shown[axis] || delta[axis] == 0) continue;
        const int32_t before = Scroll_SetPos(s, boost * delta[axis], kScrollByMinus, axis, 1);
        const int32_t after = axis == kScrollHorz ? s->hPos : s->vPos;
        if (after != before) moved = true;
    }
    if (moved) {
        v.scrollMoved = 1;
        s_afterStep = true;
    }
    return moved;
}

bool DragZoom(POINT screen) {
    ViewState &v = g_viewState;
    if (!ImgData_HasImage()) return false;
    const int32_t movement = SelCore_DragZoomMovement(screen.x - v.lastPoint.x, screen.y - v.lastPoint.y,
                                                      g_settings.option[kOptDragZoomDir]);
    const int32_t zoom =
        SelCore_DragZoom(g_imgData.zoom, movement, SelCore_DragZoomDivisor(g_settings.option[kOptDragZoomSpeed]));
    if (zoom == g_imgData.zoom) return false;
    // The zoom-by-factor command keeps the middle of the view in place; 100 %
    // becomes actual size.
    View_ZoomCommand(kZoomReqFactor, zoom);
    v.zoomedByDrag = 1;
    s_afterStep = true;
    return true;
}

void DragMoveFrame(POINT screen) {
    const ViewState &v = g_viewState;
    HWND frame = View() != nullptr ? GetAncestor(View(), GA_ROOT) : nullptr;
    if (frame == nullptr || IsZoomed(frame) || IsIconic(frame)) return;
    const int32_t dx = screen.x - v.lastPoint.x, dy = screen.y - v.lastPoint.y;
    if (dx == 0 && dy == 0) return;
    RECT r;
    if (!GetWindowRect(frame, &r)) return;
    SetWindowPos(frame, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

WPARAM LiveKeys() {
    WPARAM keys = 0;
    if (GetKeyState(VK_SHIFT) < 0) keys |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0) keys |= MK_CONTROL;
    for (int b = 0; b < kMouseButtons; ++b)
        if (g_viewMouseKeyDown(kMouseButtonVk[b])) keys |= kMouseButtonFlag[b];
    return keys;
}

bool CursorInView(POINT *screen, POINT *client) {
    if (View() == nullptr || !GetCursorPos(screen)) return false;
    *client = *screen;
    return ScreenToClient(View(), client) != FALSE;
}

bool Busy() { return g_imgData.loadingNesting > 0 || Frame_IsBusy(); }

void PointerStatus() {
    if (g_viewState.selectMode == 1 && g_viewHooks.pointerStatus != nullptr) g_viewHooks.pointerStatus();
}

// ---------------------------------------------------------------- hooks

int HookDragBegin(HWND, int mode, WPARAM keys, LPARAM point) {
    return ViewMouse_BeginDrag(POINT{short(LOWORD(point)), short(HIWORD(point))}, mode, keys);
}
int HookDragEnd(HWND, int mode, WPARAM keys, LPARAM point) {
    return ViewMouse_EndDrag(POINT{short(LOWORD(point)), short(HIWORD(point))}, mode, keys);
}
int HookDragEndAll(HWND) { return ViewMouse_EndAll(); }
bool HookSelectionMode() { return g_viewState.selectMode == 1; }
bool HookDragZoomActive() { return g_viewState.zoomDrag && g_viewState.dragState[kDragKindZoom] == 2; }
bool HookAfterDragStep() { return s_afterStep; }
bool HookHasSelection() { return g_viewState.selActive != 0; }

// Chained in front of the mouse mapping's own move handling (hover
// scrolling, bars at the edge).
void (*s_nextMouseMove)(HWND, WPARAM, LPARAM) = nullptr;
void HookMouseMove(HWND view, WPARAM keys, LPARAM point) {
    if (!Busy()) {
        const POINT client{short(LOWORD(point)), short(HIWORD(point))};
        POINT screen = client;
        ClientToScreen(view, &screen);
        if (ViewMouse_OnMove(screen, client, keys)) View_RedrawNow(0);
        if (g_viewState.selectMode == 1) {
            // Beyond an edge that can still scroll the timer moves the
            // picture; the text would only flicker.
            RECT rc{};
            GetClientRect(view, &rc);
            const ScrollState &s = g_viewRecord.scroll;
            const bool outside =
                (s.hShown && ((client.x < 0 && s.hPos > s.hMin) || (client.x >= rc.right && s.hPos < s.hMax))) ||
                (s.vShown && ((client.y < 0 && s.vPos > s.vMin) || (client.y >= rc.bottom && s.vPos < s.vMax)));
            if (!outside) PointerStatus();
        }
    }
    if (s_nextMouseMove != nullptr) s_nextMouseMove(view, keys, point);
}

UINT (*s_nextClickCommand)(int, int, WPARAM) = nullptr;
UINT HookClickCommand(int button, int doubleClick, WPARAM keys) {
    const UINT command = s_nextClickCommand != nullptr ? s_nextClickCommand(button, doubleClick, keys) : 0;
    if (button >= 0 && button < kMouseButtons && s_clickTaken[button] && !doubleClick) {
        s_clickTaken[button] = false;
        return 0;
    }
    return command;
}

void (*s_nextClosed)() = nullptr;
void HookClosed() {
    Sel_Clear();
    if (s_nextClosed != nullptr) s_nextClosed();
}

void HookAfterScroll() {
    if (ViewMouse_RefreshAtCursor()) View_RedrawNow(0);
}

void SelectionChanged() {
    Menu_UpdateEditState();
    Menu_UpdateToolbar();
    PointerStatus();
}

}  // namespace

bool (*g_viewMouseKeyDown)(int virtualKey) = RealKeyDown;

int ViewMouse_BeginDrag(POINT client, int kind, WPARAM keys) {
    ViewState &v = g_viewState;
    if (kind < kDragKindScroll || kind > kDragKindMove || View() == nullptr) return 0;
    SetCapture(View());
    v.captured = 1;
    POINT screen = client;
    ClientToScreen(View(), &screen);
    v.lastPoint = screen;
    s_afterStep = false;
    const int owner = Mouse_FindDragButton(kind, &g_mouse);
    if (owner >= 0) s_clickTaken[owner] = false;
    if (kind == kDragKindScroll) {
        v.leftDragActive = 1;
        if (v.selectMode == 1) {
            const bool had = v.selActive != 0;
            v.dragState[kind] = 2;
            StartSelection(client);
            v.leftDragActive = 1;
            return had ? 1 : 0;
        }
    } else if (kind == kDragKindZoom) {
        v.zoomDrag = 1;
    } else {
        v.moveDrag = 1;
    }
    StartThreshold(kind, screen, keys);
    return 0;
}

int ViewMouse_OnMove(POINT screen, POINT client, WPARAM keys) {
    ViewState &v = g_viewState;
    int held[kDragModes] = {};
    Mouse_HeldDragButtons(&g_mouse, held, uint32_t(keys));
    if (!held[0] && !held[1] && !held[2]) ReleaseCaptureIfHeld();
    bool redraw = false;
    for (int kind = kDragKindScroll; kind <= kDragKindMove; ++kind) {
        if (held[kind] && v.dragState[kind] == 0) {
            if (ViewMouse_BeginDrag(client, kind, keys)) redraw = true;
        } else if (!held[kind] && v.dragState[kind] != 0) {
            if (ViewMouse_EndDrag(client, kind, keys)) redraw = true;
        }
    }
    if (held[kDragKindScroll] && v.dragState[kDragKindScroll] != 0) {
        if (v.selectMode == 1) {
            if (v.dragState[kDragKindScroll] == 2 && FollowCursor(client)) redraw = true;
        } else if (PastThreshold(kDragKindScroll, screen) && DragScroll(screen)) {
            redraw = true;
        }
    }
    if (held[kDragKindZoom] && v.dragState[kDragKindZoom] != 0 && PastThreshold(kDragKindZoom, screen) &&
        DragZoom(screen))
        redraw = true;
    if (held[kDragKindMove] && v.dragState[kDragKindMove] != 0 && PastThreshold(kDragKindMove, screen))
        DragMoveFrame(screen);
    v.lastPoint = screen;
    return redraw ? 1 : 0;
}

int ViewMouse_EndDrag(POINT client, int kind, WPARAM keys) {
    ViewState &v = g_viewState;
    if (kind < kDragKindScroll || kind > kDragKindMove) return 0;
    int held[kDragModes] = {};
    Mouse_HeldDragButtons(&g_mouse, held, uint32_t(keys));
    if (!held[0] && !held[1] && !held[2]) ReleaseCaptureIfHeld();
    const int32_t state = v.dragState[kind];
    v.dragState[kind] = 0;
    if (kind == kDragKindZoom) {
        v.zoomDrag = 0;
        const int zoomed = v.zoomedByDrag;
        v.zoomedByDrag = 0;
        s_afterStep = false;
        return zoomed;
    }
    if (kind == kDragKindMove) {
        v.moveDrag = 0;
        return 0;
    }
    v.leftDragActive = 0;
    if (v.selectMode == 1) {
        if (state != 2) return 0;
        FollowCursor(client);
        // A click without movement, or a drag along one line, selects nothing;
        // a single pixel counts only when it is big enough to aim at.
        const bool moved = client.x != v.pressPoint.x && client.y != v.pressPoint.y;
        const bool onePixel = v.x0 == v.x1 && v.y0 == v.y1;
        if (v.selActive && (!moved || (onePixel && g_imgData.zoom < 2 * kZoomOne))) Sel_SetActive(0);
        PointerStatus();
        return 1;
    }
    s_afterStep = false;
    if (!v.scrollMoved) return 0;
    v.scrollMoved = 0;
    return g_settings.hasFont && Opt_IsInfoTextShown() ? 1 : 0;
}

int ViewMouse_RefreshAtCursor() {
    if (g_viewState.selectMode != 1) return 0;
    POINT screen, client;
    if (!CursorInView(&screen, &client)) return 0;
    const int redraw = ViewMouse_OnMove(screen, client, LiveKeys());
    PointerStatus();
    return redraw;
}

void ViewMouse_AutoScrollTick(HWND view) {
    const int vk = g_mouse.dragVk[kDragKindScroll];
    if (vk < 0 || !g_viewMouseKeyDown(vk)) {
        Timer_Kill(&g_timers[1]);
        return;
    }
    if (!ImgData_HasImage() || view == nullptr) return;
    POINT screen, client;
    RECT rc;
    if (!GetCursorPos(&screen) || !GetClientRect(view, &rc)) return;
    client = screen;
    ScreenToClient(view, &client);
    const bool onMonitor = MonitorFromPoint(screen, MONITOR_DEFAULTTONULL) != nullptr;
    ScrollState *s = &g_viewRecord.scroll;
    bool moved = false;
    struct AxisStep {
        int axis;
        int32_t shown, cursor, extent;
        int32_t *pos;
    };
    const AxisStep axes[2] = {{kScrollVert, s->vShown, client.y, rc.bottom, &s->vPos},
                              {kScrollHorz, s->hShown, client.x, rc.right, &s->hPos}};
    for (const AxisStep &a : axes) {
        if (!a.shown) continue;
        const int32_t step = SelCore_AutoScrollStep(a.cursor, a.extent, onMonitor, g_imgData.zoom);
        if (step == 0) continue;
        const int32_t before = Scroll_SetPos(s, step, kScrollByPlus, a.axis, 1);
        if (*a.pos != before) moved = true;
    }
    if (!moved) return;
    ViewMouse_OnMove(screen, client, LiveKeys());
    PointerStatus();
    View_RedrawNow(0);
}

int ViewMouse_EndAll() {
    ViewState &v = g_viewState;
    POINT screen{}, client{};
    CursorInView(&screen, &client);
    bool ended = false;
    for (int kind = kDragKindScroll; kind <= kDragKindMove; ++kind) {
        if (v.dragState[kind] == 0) continue;
        ViewMouse_EndDrag(client, kind, 0);
        ended = true;
    }
    ReleaseCaptureIfHeld();
    return ended ? 1 : 0;
}

void ViewMouse_Reset() {
    ViewState &v = g_viewState;
    ReleaseCaptureIfHeld();
    for (int kind = kDragKindScroll; kind <= kDragKindMove; ++kind) v.dragState[kind] = 0;
    v.leftDragActive = v.scrollMoved = v.zoomDrag = v.moveDrag = v.zoomedByDrag = 0;
    // The view's class cursor is put back by the view itself.
    v.cursorReplaced = 0;
    v.savedClassCursor = nullptr;
    v.selectMode = 0;
    s_afterStep = false;
    for (bool &taken : s_clickTaken) taken = false;
    Sel_Clear();
}

void Selection_InstallHooks() {
    View_InitState();
    Sel_Attach();
    g_viewState.selectionChanged = SelectionChanged;
    g_viewHooks.dragBegin = HookDragBegin;
    g_viewHooks.dragEnd = HookDragEnd;
    g_viewHooks.dragEndAll = HookDragEndAll;
    g_viewHooks.dragReset = ViewMouse_Reset;
    g_viewHooks.selectionMode = HookSelectionMode;
    g_viewHooks.dragZoomActive = HookDragZoomActive;
    g_viewHooks.afterDragStep = HookAfterDragStep;
    g_viewHooks.autoScrollTick = ViewMouse_AutoScrollTick;
    g_viewHooks.drawSelection = Sel_DrawFrame;
    if (g_viewHooks.mouseMove != HookMouseMove) {
        s_nextMouseMove = g_viewHooks.mouseMove;
        g_viewHooks.mouseMove = HookMouseMove;
    }
    g_scrollCommandHooks.afterMove = HookAfterScroll;
    g_menuStateHooks.hasSelection = HookHasSelection;
    g_menuStateHooks.selectionMode = HookSelectionMode;
    if (g_viewHooks.clickCommand != HookClickCommand) {
        s_nextClickCommand = g_viewHooks.clickCommand;
        g_viewHooks.clickCommand = HookClickCommand;
    }
    if (g_imgDataHooks.closed != HookClosed) {
        s_nextClosed = g_imgDataHooks.closed;
        g_imgDataHooks.closed = HookClosed;
    }
}
