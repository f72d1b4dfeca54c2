// The arithmetic and tables behind the tool bar and the status bar: button
// size from the screen DPI, the button and tool-tip tables, the right edges
// of the status parts, the picture facts shown in the status bar (64-bit and
// clamped, so a hostile header cannot overflow them), the tool-tip text and
// the scaling of the 32-bit button strip. No Win32 here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "util/qv_StrCore.h"

constexpr int kToolbarImageCount = 17;
constexpr int kToolbarSmallSize = 16;

// One row of the tool bar: the image index in the 17-image strip (-1 for a
// separator), the command and whether it starts enabled.
struct ToolbarButtonRow {
    int16_t image;
    uint16_t command;
    uint8_t startsEnabled;
};
const ToolbarButtonRow *Bars_ToolbarButtons(size_t *count);

// Button side in pixels: the DPI as a percentage of 96 rounded up; below
// 125 % the side is 16, else it follows the percentage. Large buttons take
// the larger of 1.5 x side (rounded up, then down to a multiple of 8) and
// side + 8.
int32_t Bars_ButtonSize(int32_t dpi, int large);

// Tool-tip table: the string id of a command's text, 0 when it has none.
int32_t Bars_TipStringId(uint32_t command);

// The text and the key lookup of a tool tip. The previous and next buttons
// name their list commands; in reversed comic order they trade places.
struct TipChoice {
    int32_t stringId = 0;     // 0: no tip
    uint32_t keyCommand = 0;  // command whose first key is shown
};
TipChoice Bars_ChooseTip(uint32_t command, int reversedComic);
// The tip mode from its resource text: 1 text, 2 text and key, 3 key and
// text; anything else counts as 1.
int Bars_ParseTipMode(int32_t value);

// Right edges of the status parts. widths[i] > 0 adds to the previous edge
// (the first also adds `border`, later ones `between` + `border`); a first
// width of 0 or less gives one part to the edge (-1); a negative width gives
// -1 and ends the list; a zero width ends it. At most `capacity` (and 254)
// edges. Returns the number of edges.
int Bars_PartEdges(const int32_t *widths, int count, int32_t border, int32_t between, int32_t *edges,
                   int capacity);

// Header fields of a picture as the status bar needs them. Width and height
// come from an outside header: negative widths count as 0, the height's
// magnitude is taken in 64 bits and clamped to INT32_MAX, and the memory
// size is computed from the clamped values in 64 bits.
struct PictureFacts {
    int32_t width = 0;
    int32_t height = 0;
    uint64_t memoryBytes = 0;
};
PictureFacts Bars_PictureFacts(int32_t width, int32_t height, uint32_t bitsPerPixel, uint32_t headerBytes);

// Down- or up-scales a strip of 32-bit B, G, R, A pixels (straight alpha,
// top-down, rows of width x 4 bytes) by area averaging in premultiplied
// space, so transparent edges do not turn dark. 1 ok, 0 bad sizes.
int Bars_ScaleStrip(const uint8_t *source, int32_t sourceWidth, int32_t sourceHeight, uint8_t *target,
                    int32_t targetWidth, int32_t targetHeight);

// Replaces the first and second "%s" of `format` by a and b ("%%" gives
// "%"), into out of `capacity` units, cut on a character boundary. Returns
// the length.
template <class Ch>
size_t Bars_FormatTwo(const Ch *format, const Ch *a, const Ch *b, Ch *out, size_t capacity) {
    if (out == nullptr || capacity == 0) return 0;
    size_t n = 0;
    const size_t room = capacity - 1;
    int used = 0;
    bool full = false;
    auto put = [&](const Ch *piece, size_t units) {
        if (full) return;
        if (n + units > room) {
            full = true;
            return;
        }
        for (size_t i = 0; i < units; ++i) out[n + i] = piece[i];
        n += units;
    };
    for (const Ch *p = format; p != nullptr && *p != 0 && !full;) {
        if (p[0] == Ch('%') && p[1] == Ch('s')) {
            const Ch *arg = used == 0 ? a : b;
            ++used;
            for (const Ch *q = arg; q != nullptr && *q != 0 && !full; q = qvtext::NextChar(q))
                put(q, qvtext::CharUnits(q));
            p += 2;
        } else if (p[0] == Ch('%') && p[1] == Ch('%')) {
            put(p, 1);
            p += 2;
        } else {
            put(p, qvtext::CharUnits(p));
            p = qvtext::NextChar(p);
        }
    }
    out[n] = 0;
    return n;
}

// The tool-tip text for a mode: 2 "text (key)", 3 "key text" by the format,
// 1 or no key the text alone; cut to `capacity` - 1 units on a character
// boundary.
template <class Ch>
size_t Bars_ComposeTip(int mode, const Ch *text, const Ch *key, const Ch *format, Ch *out, size_t capacity) {
    if (out == nullptr || capacity == 0) return 0;
    const bool withKey = (mode == 2 || mode == 3) && key != nullptr && key[0] != 0 && format != nullptr &&
                         format[0] != 0;
    if (!withKey) return qvtext::CopyInto(out, capacity, text);
    return mode == 2 ? Bars_FormatTwo(format, text, key, out, capacity)
                     : Bars_FormatTwo(format, key, text, out, capacity);
}
