// The mouse table: a command per button, action and held button, the drag
// mode each button owns, the wheel filter, the "Mous" chunk bytes and the
// hover-scroll arithmetic. Portable; qv_Mouse.h turns window messages into
// calls of these and posts the commands they pick.
#pragma once

#include <cstddef>
#include <cstdint>

struct HWND__;  // the window handle type of <windows.h>

constexpr int kMouseButtons = 5;  // L, R, M, X1, X2
constexpr int kMouseActions = 4;  // click, double click, wheel up, wheel down
constexpr int kMouseSlots = 5;    // the button held at the same time; own index = alone
constexpr int kDragModes = 4;

enum MouseButton : int { kMouseL = 0, kMouseR = 1, kMouseM = 2, kMouseX1 = 3, kMouseX2 = 4 };
enum MouseAction : int { kMouseClick = 0, kMouseDoubleClick = 1, kMouseWheelUp = 2, kMouseWheelDown = 3 };
enum DragMode : int {
    kDragNone = -1,
    kDragScrollSelect = 0,
    kDragZoom = 1,
    kDragMoveWindow = 2,
    kDragSystemMove = 3,  // left button only
};

// The mouse-key flags of the mouse messages and the virtual-key codes of the
// buttons, in button order (values of MK_LBUTTON ... and VK_LBUTTON ...).
constexpr uint16_t kMouseButtonFlag[kMouseButtons] = {0x01, 0x02, 0x10, 0x20, 0x40};
constexpr int16_t kMouseButtonVk[kMouseButtons] = {1, 2, 4, 5, 6};
constexpr uint16_t kMouseFlagShift = 0x04, kMouseFlagControl = 0x08;

// One whole wheel notch (WHEEL_DELTA).
constexpr int32_t kWheelNotch = 120;

struct MouseSettings {
    HWND__ *target;       // receives the posted WM_COMMAND (the frame)
    HWND__ *view;         // whose client coordinates are used
    int32_t wheelCount;   // notch counter of the WheelIdle filter
    int32_t wheelDelta;   // wheel movement short of a whole notch, signed by its direction
    int32_t moveToggle;   // flips on every move; the bars are asked on every second one
    int32_t lastX, lastY; // last cursor position (screen), INT32_MAX = none
    // Command id per [button][action][slot]; 0 nothing. Ids are unsigned:
    // 40001 and up do not fit a signed 16-bit value.
    uint16_t command[kMouseButtons][kMouseActions][kMouseSlots];
    int8_t dragMode[kMouseButtons];  // DragMode per button
    uint8_t pressed[kMouseButtons];  // went down and its click is still due
    uint16_t dragMk[kDragModes];     // per drag mode: the owner's mouse-key flag, 0 none
    int16_t dragVk[kDragModes];      // per drag mode: the owner's virtual key, -1 none
};

// Windows 0, counters 0, no last position, then the defaults.
void Mouse_InitSettings(MouseSettings *s);
// Clears table, press marks and drag fields, then sets the default rows and
// drag modes (L scroll/select, X1 zoom).
void Mouse_SetDefaults(MouseSettings *s);
// Table, drag modes, dragMk and dragVk; the destination's press marks are cleared.
void Mouse_CopySettings(const MouseSettings *source, MouseSettings *destination);

// Out-of-range indexes: Set does nothing (0), Get gives 0.
int Mouse_SetCommand(int button, int action, uint16_t command, MouseSettings *s, int slot);
uint16_t Mouse_GetCommand(int button, int action, const MouseSettings *s, int slot);

// Gives `mode` to `button`; a mode outside 0..3 means none. Mode 3 is refused
// (0) for any button but L. The button's old mode is released and the mode's
// previous owner loses it, so a mode has at most one owner. 1 done.
int Mouse_SetDragMode(int mode, MouseSettings *s, int button);
// The button that owns `mode`, or -1.
int Mouse_FindDragButton(int mode, const MouseSettings *s);

// The command of `action` on `button` given the held buttons in `flags`. A
// held button whose cell holds a command wins (a non-scroll/select owner at
// once, else the last scroll/select one) and loses its press mark, so its
// own click does not fire on release. The button alone counts only when no
// other button is held and heldOnly is 0. 0 none.
uint16_t Mouse_PickCommand(MouseSettings *s, int action, int button, uint32_t flags, int heldOnly);
// For the owner of drag mode `mode`: the click command of the first slot
// (L, R, M, X1, X2) that is the owner itself or a held button and holds one.
uint16_t Mouse_CommandForHeldButtons(const MouseSettings *s, uint32_t flags, int mode);
// out[i] = 1 when the owner of drag mode i (0..2) is held; out[3] is always 0.
void Mouse_HeldDragButtons(const MouseSettings *s, int out[kDragModes], uint32_t flags);

// The wheel: deltas gather until they make whole notches (a change of
// direction drops what had gathered, 0 is ignored); each notch then passes
// the WheelIdle filter when `idleFilter` is on, which lets only every second
// notch in one direction through. Returns how many notches act; *action is
// kMouseWheelUp for a positive delta, kMouseWheelDown otherwise.
int Mouse_WheelNotches(MouseSettings *s, int32_t delta, int idleFilter, int *action);

// The "Mous" chunk data (without its length, tag and trailer): u32 0, the
// five drag-mode bytes and three zero bytes, then per button in order its
// actions x slots as u16 (the middle button all four actions, the others
// click and double click).
struct MouseChunkData {
    uint32_t zero;
    int8_t dragMode[kMouseButtons];
    uint8_t pad[3];
    uint16_t left[2][kMouseSlots];
    uint16_t right[2][kMouseSlots];
    uint16_t middle[4][kMouseSlots];
    uint16_t x1[2][kMouseSlots];
    uint16_t x2[2][kMouseSlots];
};
constexpr uint32_t kMouseChunkSize = 132;
static_assert(sizeof(MouseChunkData) == kMouseChunkSize, "Mous chunk data is 132 bytes");
static_assert(offsetof(MouseChunkData, left) == 12, "commands follow the drag modes");
static_assert(offsetof(MouseChunkData, middle) == 52, "the middle button has four actions");
static_assert(offsetof(MouseChunkData, x2) == 112, "X2 ends the chunk");
extern const char kMouseChunkTag[4];  // "Mous"

// Writes the chunk data of `s` (kMouseChunkSize bytes, little-endian).
void Mouse_EncodeChunk(const MouseSettings *s, uint8_t out[kMouseChunkSize]);
// Applies chunk data to `s` only when it is whole: 0 applied; 1 length not
// 132; 4 first word not 0 (s untouched on failure). Drag modes pass
// Mouse_SetDragMode, so the data cannot give a mode to two buttons or mode 3
// to a button but L; wheel actions of buttons but the middle are cleared.
int Mouse_DecodeChunk(const uint8_t *data, uint32_t length, MouseSettings *s);

// Hover scrolling along one axis: the client extent a from start b, the
// cursor coordinate d, the scroll range e (positions 0..e), the margin m in
// percent of the extent and the speed s. The position for the cursor.
int32_t Mouse_HoverPosition(int32_t a, int32_t b, int32_t d, int32_t e, int32_t m, int32_t s);

// The wheel-scroll commands 45121..45126: the axis (0 horizontal, 1 vertical)
// and direction (-1 back, +1 forward). rightToLeftComic mirrors 45125/45126 on
// the horizontal axis. false: not such a command, or no bar to scroll.
bool Mouse_WheelScrollMove(uint32_t id, bool hBar, bool vBar, bool rightToLeftComic, int *axis, int *direction);
