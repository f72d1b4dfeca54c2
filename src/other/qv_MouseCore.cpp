#include "other/qv_MouseCore.h"

#include <climits>
#include <cstring>

const char kMouseChunkTag[4] = {'M', 'o', 'u', 's'};

namespace {

bool ButtonOk(int button) { return button >= 0 && button < kMouseButtons; }

struct DefaultRow {
    int button, action, slot;
    uint16_t command;
};
// Slot = the button's own index: the button alone.
const DefaultRow kDefaults[] = {
    {kMouseL, kMouseDoubleClick, kMouseL, 40081},  // full screen
    {kMouseR, kMouseClick, kMouseR, 45001},        // popup menu
    {kMouseM, kMouseClick, kMouseM, 40011},        // exit
    {kMouseM, kMouseWheelUp, kMouseM, 40061},      // previous file
    {kMouseM, kMouseWheelDown, kMouseM, 40062},    // next file
    {kMouseM, kMouseWheelUp, kMouseL, 45121},      // wheel scroll up
    {kMouseM, kMouseWheelDown, kMouseL, 45122},    // wheel scroll down
    {kMouseM, kMouseWheelUp, kMouseR, 45123},      // wheel scroll left
    {kMouseM, kMouseWheelDown, kMouseR, 45124},    // wheel scroll right
    {kMouseX2, kMouseClick, kMouseX2, 45044},      // actual size / fit
};

void ClearDragFields(MouseSettings *s) {
    for (auto &m : s->dragMode) m = kDragNone;
    for (auto &f : s->dragMk) f = 0;
    for (auto &k : s->dragVk) k = -1;
}

// The rows of one button in the chunk, with how many actions it stores.
uint16_t (*ChunkRows(MouseChunkData &c, int button, int *actions))[kMouseSlots] {
    *actions = button == kMouseM ? 4 : 2;
    switch (button) {
        case kMouseL: return c.left;
        case kMouseR: return c.right;
        case kMouseM: return c.middle;
        case kMouseX1: return c.x1;
        default: return c.x2;
    }
}

uint32_t GetU32(const uint8_t *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

void Mouse_InitSettings(MouseSettings *s) {
    s->target = nullptr;
    s->view = nullptr;
    s->wheelCount = 0;
    s->wheelDelta = 0;
    s->moveToggle = 0;
    s->lastX = s->lastY = INT32_MAX;
    Mouse_SetDefaults(s);
}

void Mouse_SetDefaults(MouseSettings *s) {
    std::memset(s->command, 0, sizeof s->command);
    std::memset(s->pressed, 0, sizeof s->pressed);
    ClearDragFields(s);
    for (const DefaultRow &r : kDefaults) s->command[r.button][r.action][r.slot] = r.command;
    Mouse_SetDragMode(kDragScrollSelect, s, kMouseL);
    Mouse_SetDragMode(kDragZoom, s, kMouseX1);
}

void Mouse_CopySettings(const MouseSettings *source, MouseSettings *destination) {
    if (source == destination) {
        std::memset(destination->pressed, 0, sizeof destination->pressed);
        return;
    }
    std::memcpy(destination->command, source->command, sizeof destination->command);
    std::memcpy(destination->dragMode, source->dragMode, sizeof destination->dragMode);
    std::memcpy(destination->dragMk, source->dragMk, sizeof destination->dragMk);
    std::memcpy(destination->dragVk, source->dragVk, sizeof destination->dragVk);
    std::memset(destination->pressed, 0, sizeof destination->pressed);
}

int Mouse_SetCommand(int button, int action, uint16_t command, MouseSettings *s, int slot) {
    if (!ButtonOk(button) || action < 0 || action >= kMouseActions || slot < 0 || slot >= kMouseSlots) return 0;
    s->command[button][action][slot] = command;
    return 1;
}

uint16_t Mouse_GetCommand(int button, int action, const MouseSettings *s, int slot) {
    if (!ButtonOk(button) || action < 0 || action >= kMouseActions || slot < 0 || slot >= kMouseSlots) return 0;
    return s->command[button][action][slot];
}

int Mouse_SetDragMode(int mode, MouseSettings *s, int button) {
    if (!ButtonOk(button)) return 0;
    if (mode < 0 || mode >= kDragModes) mode = kDragNone;
    if (mode == kDragSystemMove && button != kMouseL) return 0;
    const int old = s->dragMode[button];
    if (old >= 0 && old < kDragModes) {
        s->dragMk[old] = 0;
        s->dragVk[old] = -1;
    }
    if (mode != kDragNone) {
        const int owner = Mouse_FindDragButton(mode, s);
        if (owner >= 0 && owner != button) s->dragMode[owner] = kDragNone;
        s->dragMk[mode] = kMouseButtonFlag[button];
        s->dragVk[mode] = kMouseButtonVk[button];
    }
    s->dragMode[button] = int8_t(mode);
    return 1;
}

int Mouse_FindDragButton(int mode, const MouseSettings *s) {
    if (mode < 0 || mode >= kDragModes) return -1;
    for (int b = 0; b < kMouseButtons; ++b)
        if (s->dragMode[b] == mode) return b;
    return -1;
}

uint16_t Mouse_PickCommand(MouseSettings *s, int action, int button, uint32_t flags, int heldOnly) {
    if (!ButtonOk(button) || action < 0 || action >= kMouseActions) return 0;
    const uint16_t *cells = s->command[button][action];
    bool otherHeld = false;
    int remembered = -1;
    for (int held = 0; held < kMouseButtons; ++held) {
        if (held == button || (flags & kMouseButtonFlag[held]) == 0) continue;
        otherHeld = true;
        if (cells[held] == 0) continue;
        if (s->dragMode[held] != kDragScrollSelect) {
            s->pressed[held] = 0;
            return cells[held];
        }
        // The scroll/select button may still be starting a drag; another held
        // button with a command of its own goes first.
        remembered = held;
    }
    if (remembered >= 0) {
        s->pressed[remembered] = 0;
        return cells[remembered];
    }
    if (!otherHeld && !heldOnly) return cells[button];
    return 0;
}

uint16_t Mouse_CommandForHeldButtons(const MouseSettings *s, uint32_t flags, int mode) {
    const int owner = Mouse_FindDragButton(mode, s);
    if (owner < 0) return 0;
    for (int slot = 0; slot < kMouseSlots; ++slot) {
        if (slot != owner && (flags & kMouseButtonFlag[slot]) == 0) continue;
        const uint16_t command = s->command[owner][kMouseClick][slot];
        if (command != 0) return command;
    }
    return 0;
}

void Mouse_HeldDragButtons(const MouseSettings *s, int out[kDragModes], uint32_t flags) {
    for (int mode = 0; mode < kDragModes; ++mode)
        out[mode] = mode != kDragSystemMove && s->dragMk[mode] != 0 && (flags & s->dragMk[mode]) != 0 ? 1 : 0;
}

int Mouse_WheelNotches(MouseSettings *s, int32_t delta, int idleFilter, int *action) {
    if (delta == 0) return 0;  // some drivers send empty wheel messages
    const int direction = delta > 0 ? 1 : -1;
    *action = direction > 0 ? kMouseWheelUp : kMouseWheelDown;
    // Precision wheels and touchpads send parts of a notch: act only on whole
    // ones, and forget a part when the wheel turns back.
    if ((s->wheelDelta > 0 && direction < 0) || (s->wheelDelta < 0 && direction > 0)) s->wheelDelta = 0;
    const int64_t total = int64_t(s->wheelDelta) + delta;
    const int notches = int(total / kWheelNotch);
    s->wheelDelta = int32_t(total - int64_t(notches) * kWheelNotch);
    const int whole = notches < 0 ? -notches : notches;
    if (!idleFilter) return whole;
    int acting = 0;
    for (int i = 0; i < whole; ++i) {
        // Counts on in one direction, restarts at +-1 on a turn; a notch acts
        // when the count gets past +-1, which resets it.
        s->wheelCount = s->wheelCount * direction > 0 ? s->wheelCount + direction : direction;
        if (s->wheelCount >= -1 && s->wheelCount <= 1) continue;
        s->wheelCount = 0;
        ++acting;
    }
    return acting;
}

void Mouse_EncodeChunk(const MouseSettings *s, uint8_t out[kMouseChunkSize]) {
    MouseChunkData c{};
    for (int b = 0; b < kMouseButtons; ++b) {
        c.dragMode[b] = s->dragMode[b];
        int actions;
        uint16_t(*rows)[kMouseSlots] = ChunkRows(c, b, &actions);
        for (int a = 0; a < actions; ++a)
            for (int slot = 0; slot < kMouseSlots; ++slot) rows[a][slot] = s->command[b][a][slot];
    }
    // The file is little-endian, as every machine the program runs on.
    std::memcpy(out, &c, kMouseChunkSize);
}

int Mouse_DecodeChunk(const uint8_t *data, uint32_t length, MouseSettings *s) {
    if (data == nullptr || length != kMouseChunkSize) return 1;
    if (GetU32(data) != 0) return 4;
    MouseChunkData c;
    std::memcpy(&c, data, kMouseChunkSize);
    ClearDragFields(s);
    for (int b = 0; b < kMouseButtons; ++b) Mouse_SetDragMode(c.dragMode[b], s, b);
    std::memset(s->command, 0, sizeof s->command);
    for (int b = 0; b < kMouseButtons; ++b) {
        int actions;
        uint16_t(*rows)[kMouseSlots] = ChunkRows(c, b, &actions);
        for (int a = 0; a < actions; ++a)
            for (int slot = 0; slot < kMouseSlots; ++slot) s->command[b][a][slot] = rows[a][slot];
    }
    return 0;
}

int32_t Mouse_HoverPosition(int32_t a, int32_t b, int32_t d, int32_t e, int32_t m, int32_t s) {
    if (e <= 0 || a <= 0) return 0;
    if (d <= b) return 0;
    if (int64_t(d) >= int64_t(b) + a - 1) return e;
    const int64_t rel = int64_t(d) - b;
    if (m < 50) {
        int64_t before = int64_t(a) * m / 100;
        if (m > 0 && before < 1) before = 1;
        int64_t after = before;
        const int64_t inner = int64_t(a) - 2 * before - 1;
        if (s > 0 && inner > 0 && e / inner < s) {
            // Few positions to cover: widen the margins so each pixel of the
            // active span moves the picture by about s.
            const int64_t span = e / s;
            const int64_t h = span < a ? a - span - 1 : 0;
            before = h / 2;
            after = h - before;
        }
        const int64_t margins = before + after;
        if (margins < a) {
            if (rel < before) return 0;
            const int64_t L = a - margins - 1;
            const int64_t into = rel - before;
            if (into >= L) return e;
            if (e < L) return int32_t((int64_t(e) + 1) * into / (a - margins));
            return int32_t((int64_t(e) * into + L / 2) / L);
        }
    }
    return rel < a / 2 ? 0 : e;
}

bool Mouse_WheelScrollMove(uint32_t id, bool hBar, bool vBar, bool rightToLeftComic, int *axis, int *direction) {
    if (id < 45121 || id > 45126) return false;
    const bool sideways = id >= 45123;
    if (vBar) *axis = sideways && hBar ? 0 : 1;
    else if (hBar) *axis = 0;
    else return false;
    *direction = (id - 45121) % 2 == 0 ? -1 : 1;
    if (id >= 45125 && *axis == 0 && rightToLeftComic) *direction = -*direction;
    return true;
}
