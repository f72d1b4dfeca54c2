#include "other/qv_Mouse.h"

#include <initializer_list>

#include "image/qv_ImgData.h"
#include "image/qv_Scroll.h"
#include "image/qv_ScrollCommands.h"
#include "image/qv_View.h"
#include "other/qv_CommandCatalogue.h"
#include "other/qv_Frame.h"
#include "other/qv_Settings.h"
#include "other/qv_WndUtil.h"

namespace {

constexpr int kOptWheelIdle = 78;
constexpr int kOptHoverScroll = 107;
constexpr int kOptHoverMargin = 108;
constexpr int kOptHoverSpeed = 109;
constexpr uint32_t kShowReasonButton = 1;
constexpr int32_t kAutoScrollMs = 33;
constexpr WPARAM kAnyButton = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2;

MouseSettings Built() {
    MouseSettings s;
    Mouse_InitSettings(&s);
    return s;
}

// The left button's press belongs to the view, which asks for its click
// command on release. A chord that used the held left button takes that
// click away; this remembers it until the release (or a move without it).
bool s_leftClickTaken = false;

bool Busy() { return g_imgData.loadingNesting > 0 || Frame_IsBusy(); }
bool Selecting() { return g_viewHooks.selectionMode != nullptr && g_viewHooks.selectionMode(); }

// Mouse_PickCommand on the live table, with the left button's press mark
// standing for the view's press.
UINT Pick(int action, int button, WPARAM keys, int heldOnly) {
    const bool leftHeld = (keys & MK_LBUTTON) != 0 && button != kMouseL;
    if (leftHeld) g_mouse.pressed[kMouseL] = s_leftClickTaken ? 0 : 1;
    const UINT command = Mouse_PickCommand(&g_mouse, action, button, uint32_t(keys), heldOnly);
    if (leftHeld && g_mouse.pressed[kMouseL] == 0) s_leftClickTaken = true;
    return command;
}

// The scroll/select button's own click selects in selection mode.
int HeldOnly(int button) { return g_mouse.dragMode[button] == kDragScrollSelect && Selecting() ? 1 : 0; }

int HookLeftDragMode() { return g_mouse.dragMode[kMouseL]; }

UINT HookClickCommand(int button, int doubleClick, WPARAM keys) {
    if (button == kMouseL) {
        const bool taken = s_leftClickTaken;
        s_leftClickTaken = false;
        if (taken && !doubleClick) return 0;
    }
    return Pick(doubleClick ? kMouseDoubleClick : kMouseClick, button, keys, HeldOnly(button));
}

void HookMouseButton(HWND view, UINT message, int button, WPARAM keys, LPARAM point) {
    switch (message) {
        case WM_RBUTTONDOWN: case WM_MBUTTONDOWN: case WM_XBUTTONDOWN:
            Mouse_OnButtonDown(button, keys, point);
            break;
        case WM_RBUTTONUP: case WM_MBUTTONUP: case WM_XBUTTONUP:
            Mouse_OnButtonUp(button, keys, point);
            break;
        case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK: case WM_XBUTTONDBLCLK:
            Mouse_OnDoubleClick(button, view, keys, point);
            break;
        default: break;
    }
}

void HookMouseMove(HWND, WPARAM keys, LPARAM point) { Mouse_OnMove(keys, point); }

// The position along one axis for the cursor, applied only when it differs.
bool HoverAxis(ScrollState *s, int axis, int32_t extent, int32_t cursor) {
    ScrollAxis a;
    if (!ScrollCore_Axis(s, axis, &a) || !*a.shown || *a.max <= 0) return false;
    const int32_t pos = Mouse_HoverPosition(extent, 0, cursor, *a.max, g_settings.option[kOptHoverMargin],
                                            g_settings.option[kOptHoverSpeed]);
    if (pos == *a.pos) return false;
    Scroll_SetPos(s, pos, kScrollTo, axis, 1);
    return true;
}

bool ButtonsHeld(WPARAM keys, int fromMessage) {
    if (fromMessage) return (keys & kAnyButton) != 0;
    for (int vk : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2})
        if (GetKeyState(vk) < 0) return true;
    return false;
}

}  // namespace

MouseSettings g_mouse = Built();

void Mouse_Attach(HWND target, HWND view) {
    g_mouse.target = target;
    g_mouse.view = view;
    g_viewHooks.leftDragMode = HookLeftDragMode;
    g_viewHooks.clickCommand = HookClickCommand;
    g_viewHooks.mouseButton = HookMouseButton;
    g_viewHooks.mouseMove = HookMouseMove;
}

int Mouse_PostCommand(UINT id) {
    if (g_mouse.target == nullptr || id == 0) return 0;
    return PostMessage(g_mouse.target, WM_COMMAND, id, 0) ? 1 : 0;
}

void Mouse_OnButtonDown(int button, WPARAM keys, LPARAM point) {
    if (button < 0 || button >= kMouseButtons) return;
    const int mode = g_mouse.dragMode[button];
    if (mode != kDragNone) Cursor_SetShowReason(kShowReasonButton, 1);
    g_mouse.pressed[button] = 1;
    if (Busy() || g_viewHooks.dragBegin == nullptr) return;
    HWND view = g_mouse.view;
    if (mode == kDragScrollSelect) {
        if (g_viewHooks.dragBegin(view, mode, keys, point)) {
            View_RedrawNow(0);
            if (Selecting() && g_viewHooks.pointerStatus != nullptr) g_viewHooks.pointerStatus();
        }
        if (Selecting() && view != nullptr && !g_timers[1].set)
            Timer_Set(kAutoScrollMs, &g_timers[1], view, kTimerAutoScroll);
    } else if (mode == kDragZoom || mode == kDragMoveWindow) {
        g_viewHooks.dragBegin(view, mode, keys, point);
    }
}

void Mouse_OnButtonUp(int button, WPARAM keys, LPARAM point) {
    if (button < 0 || button >= kMouseButtons) return;
    Cursor_SetShowReason(kShowReasonButton, 0);
    if (Busy()) {
        g_mouse.pressed[button] = 0;
        return;
    }
    const int mode = g_mouse.dragMode[button];
    // The drag code clears the press mark when the press became a drag.
    if (mode >= kDragScrollSelect && mode <= kDragMoveWindow && g_viewHooks.dragEnd != nullptr &&
        g_viewHooks.dragEnd(g_mouse.view, mode, keys, point) && mode == kDragScrollSelect)
        View_RedrawNow(0);
    if (!g_mouse.pressed[button]) return;
    g_mouse.pressed[button] = 0;
    Mouse_PostCommand(Pick(kMouseClick, button, keys, HeldOnly(button)));
}

int Mouse_OnDoubleClick(int button, HWND window, WPARAM keys, LPARAM point) {
    (void)window;
    if (button < 0 || button >= kMouseButtons) return 0;
    g_mouse.pressed[button] = 0;
    const UINT command = Pick(kMouseDoubleClick, button, keys, HeldOnly(button));
    if (command != 0) {
        Cursor_SetShowReason(kShowReasonButton, 1);
        Mouse_PostCommand(command);
        return 1;
    }
    Mouse_OnButtonDown(button, keys, point);
    return 0;
}

void Mouse_OnWheel(WPARAM wParam) {
    const WPARAM keys = LOWORD(wParam);
    int action = kMouseWheelDown;
    const int notches =
        Mouse_WheelNotches(&g_mouse, int16_t(HIWORD(wParam)), g_settings.option[kOptWheelIdle] != 0, &action);
    for (int i = 0; i < notches; ++i) {
        g_mouse.pressed[kMouseM] = 0;
        if ((keys & MK_MBUTTON) || Busy()) return;
        const UINT command = Pick(action, kMouseM, keys, 0);
        if (command >= 45121 && command <= 45126) ScrollCommands_OnWheelScroll(nullptr, command);
        else Mouse_PostCommand(command);
    }
}

int Mouse_HoverScroll(WPARAM keys, int fromMessage, int *moved) {
    if (moved != nullptr) *moved = 0;
    ScrollState *s = &g_viewRecord.scroll;
    if (s->window == nullptr) return -1;
    if (!g_settings.option[kOptHoverScroll] || Selecting() || (!s->hShown && !s->vShown) ||
        ButtonsHeld(keys, fromMessage))
        return 0;
    POINT p;
    RECT client;
    if (!GetCursorPos(&p) || !ScreenToClient(s->window, &p) || !GetClientRect(s->window, &client)) return -2;
    bool any = HoverAxis(s, kScrollHorz, client.right, p.x);
    any = HoverAxis(s, kScrollVert, client.bottom, p.y) || any;
    if (moved != nullptr) *moved = any ? 1 : 0;
    return 1;
}

void Mouse_OnMove(WPARAM keys, LPARAM point) {
    (void)point;
    if ((keys & MK_LBUTTON) == 0) s_leftClickTaken = false;
    if (Busy()) return;
    int moved = 0;
    Mouse_HoverScroll(keys, 1, &moved);
    if (moved) View_RedrawNow(0);
    POINT p;
    if (!GetCursorPos(&p)) return;
    const bool askBars = g_mouse.moveToggle == 0;
    g_mouse.moveToggle ^= 1;
    if (askBars && (keys & kAnyButton) == 0 && g_viewHooks.barsAtEdge != nullptr) {
        // Only a bar already shown is asked while the pointer rests or while
        // Shift or Ctrl is held.
        const bool changed = p.x != g_mouse.lastX || p.y != g_mouse.lastY;
        g_viewHooks.barsAtEdge(changed && (keys & (MK_SHIFT | MK_CONTROL)) == 0 ? 1 : 0);
    }
    g_mouse.lastX = p.x;
    g_mouse.lastY = p.y;
}

int Mouse_LoadChunk(CustomFile *file) {
    uint8_t data[kMouseChunkSize];
    uint32_t length = 0;
    // The whole chunk is read before anything is applied: a short or broken
    // chunk leaves the live table as it was.
    const int read = CustomFile_ReadChunk(file, kMouseChunkTag, data, sizeof data, &length);
    if (read != 0) return read;
    return Mouse_DecodeChunk(data, length, &g_mouse);
}

int Mouse_SaveChunk() {
    uint8_t data[kMouseChunkSize];
    Mouse_EncodeChunk(&g_mouse, data);
    return CustomFile_WriteChunk(kMouseChunkTag, data, kMouseChunkSize);
}

void Mouse_DropUnknownCommands(MouseSettings *s) {
    for (auto &button : s->command)
        for (auto &action : button)
            for (uint16_t &cell : action)
                if (cell != 0 && !Menu_GetCommandText(cell, nullptr, 0, nullptr, 0, 1)) cell = 0;
}

int Mouse_IsChanged(const MouseSettings *s) {
    for (int b = 0; b < kMouseButtons; ++b)
        if (s->dragMode[b] != g_mouse.dragMode[b]) return 1;
    for (int b = 0; b < kMouseButtons; ++b)
        for (int a = 0; a < kMouseActions; ++a)
            for (int slot = 0; slot < kMouseSlots; ++slot)
                if (s->command[b][a][slot] != g_mouse.command[b][a][slot]) return 1;
    return 0;
}
