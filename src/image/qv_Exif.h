// The EXIF orientation of a JPEG file and the turns and mirrors that set the
// picture upright.
#pragma once

#include <cstdint>

#include "image/qv_ByteSource.h"

class DibHolder;

// 1 to 8, or 0 when the file has no usable orientation tag. Every length and
// offset is checked against what the segment holds before it is used.
int Exif_ReadOrientation(const ByteSource &source);

// What orientation n asks for: first a mirror (0 none, 1 left-right,
// 2 top-bottom), then a clockwise turn in degrees (0, 90, 180, 270).
struct ExifFix {
    uint8_t mirror;
    int16_t turn;
};
ExifFix Exif_FixFor(int orientation);

// Applies the fix to a picture; 1 when done (or nothing to do), 0 when a step
// failed.
int Exif_ApplyOrientation(DibHolder &picture, int orientation);
