// Integer helpers: multiply-then-divide with 64-bit intermediates, rounding
// modes and overflow reporting, and rectangle helpers. Portable.
#pragma once

#include <cstdint>

// i32 left, top, right, bottom; right and bottom exclusive.
struct Rect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// round(a * b / c) to nearest, halves away from zero, for every sign. A result
// outside the i32 range, or a zero divisor, gives 2147483647 or -2147483648
// (by the sign of the product) and sets *overflow to 1; else *overflow is 0.
int32_t Math_MulDivRound(int32_t a, int32_t *overflow, int32_t b, int32_t c);

// Math_MulDivRound, 0 on overflow.
int32_t Math_MulDiv(int32_t a, int32_t b, int32_t c);

// a * b / c truncated toward zero; overflow (or a zero divisor) gives
// 2147483647 or -2147483648 and *overflow 1.
int32_t Math_MulDivChecked(int32_t a, int32_t b, int32_t *overflow, int32_t c);

// a * b / c unsigned; a quotient above 32 bits (or c = 0) gives 0xFFFFFFFF and
// *overflow 1.
uint32_t Math_MulDivUnsigned(int32_t *overflow, uint32_t a, uint32_t b, uint32_t c);

// a * b when the unsigned product fits 32 bits and is at most limit, else 0.
uint32_t Math_MulLimit(uint32_t a, uint32_t b, uint32_t limit);

enum : uint32_t {
    kScaleCeil = 1,
    kScaleFloor = 2,
    kScaleSymmetric = 0x100,   // mirror the rounding about zero for negative results
    kScaleSaturate = 0x200,    // out-of-range results saturate instead of 0
};

// b * c / a with the rounding mode in the low byte of flags (1 ceiling,
// 2 floor, else nearest with halves toward plus infinity). *status: 0 ok,
// 1 a = 0 (result 0), 2 above the i32 range, 3 below it.
int32_t Math_ScaleSigned(uint32_t flags, int32_t a, int32_t b, int32_t c, int32_t *status);

void Rect_Set(Rect *rect, int32_t left, int32_t top, int32_t right, int32_t bottom);
bool Rect_Equal(const Rect *a, const Rect *b);
void Rect_Clear(Rect *rect);
bool Rect_IsEmpty(const Rect *rect);
void Math_NormalizeRect(Rect *rect);
void Math_RectToXYWH(const Rect *rect, int32_t *x, int32_t *y, int32_t *width, int32_t *height);
void Math_RectGetXYWH(const Rect *rect, int32_t *x, int32_t *y, int32_t *width, int32_t *height);
// Moves rect inside the normalised bounds, keeping its size where it fits.
void Math_FitRectInto(const Rect *bounds, Rect *rect);
