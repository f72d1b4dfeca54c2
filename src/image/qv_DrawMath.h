// The arithmetic of drawing part of a picture: clipping a source span to the
// picture and shrinking the destination span in proportion.
#pragma once

#include <cstdint>

// Source span [*srcPos, +*srcLen) limited to 0..size; when the lengths
// differ the destination span shrinks by the same proportion. All lengths
// positive on entry. False when a span becomes empty or overflows.
bool Draw_ClipSpan(int32_t *srcPos, int32_t *srcLen, int32_t *dstPos, int32_t *dstLen, int32_t size);

// Scale in percent (destination x 100 / source), in 64 bits.
int64_t Draw_ScalePercent(int32_t dst, int32_t src);
