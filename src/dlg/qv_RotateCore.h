// The rotate dialog without its window: the angle as the user types and
// reads it, as it is remembered, and which turn it asks of the picture.
// Angles are in thousandths of a degree. Portable; either text unit.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t kRotateFullTurn = 360000;
constexpr int32_t kRotateUndoKind = 23;

// A remembered angle outside -360000..360000 is reduced modulo a full turn,
// keeping its sign: 450000 becomes 90000 and -450000 becomes -90000.
int32_t RotateDlg_ReduceAngle(int64_t angle);

// The angle with up to three decimals, trailing zeros dropped and the sign
// kept (90000: "90", -12500: "-12.5"). Returns the length written into out
// (capacity units with the terminator).
template <class Ch>
size_t RotateDlg_FormatAngle(int32_t angle, Ch *out, size_t capacity);

// The typed angle, reduced like a remembered one. False when the text is no
// number (empty, or "1,000" with a separator), leaving *angle alone. A
// number too large to read at all gives 0, which turns nothing.
template <class Ch>
bool RotateDlg_ParseAngle(const Ch *text, int32_t *angle);

enum RotateTurnKind : int {
    kRotateTurnNone = 0,     // a whole number of turns: nothing done, no undo
    kRotateTurnQuarter = 1,  // the lossless quarter-turn call
    kRotateTurnFree = 2,     // the free turn with the background colour
};

struct RotateTurn {
    int kind;
    int32_t degrees;     // quarter turn: 90, 180 or 270
    int32_t thousandths; // free turn: 1..359999
};

// The turn of `angle`. The angle is brought into 0..359999 first, so a
// negative angle becomes the same turn the other way round (-90 is 270)
// and the quarter-turn call only ever sees 90, 180 or 270.
RotateTurn RotateDlg_PlanTurn(int32_t angle);
