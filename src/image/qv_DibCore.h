// Raw work on device-independent bitmaps in Windows layout: accepted headers,
// sizes and strides, colour tables and masks, rectangle copies between
// pictures of one depth, and the clean-up before a picture leaves the
// program. Pure functions over a packed DIB (header, then colour table or
// masks) and its bits; no Win32 here.
#pragma once

#include <cstdint>

#include "dib_records.h"
#include "image/qv_ChannelMasks.h"  // Dib_NormalizeMasks, Dib_ScaleTo8Bit

struct SelRect {
    int32_t left, top, right, bottom;  // right and bottom exclusive
};

enum DibHeaderKind { kDibKindNone = 0, kDibKindCore = 1, kDibKindInfo = 2, kDibKindLonger = 3 };

// Preset masks by index: 0 = 5-5-5, 1 = 5-6-5, 2 = 8-8-8.
extern const uint32_t kDibPresetMasks[3][3];

// The size when it is one of 12, 40, 52, 56, 60, 96, 108, 112, 120, 124; else 0.
uint32_t Dib_IsKnownHeaderSize(uint32_t size);

// ((bpp x width + 31) / 32) x 4 in 64 bits; 0 when the depth exceeds 32, the
// width is not positive or exceeds 0x1FFFFFFE.
uint32_t Dib_RowStride(int32_t bitsPerPixel, int64_t width);

// What the header says, whatever its kind.
struct DibFields {
    uint32_t headerSize;
    int32_t kind;           // DibHeaderKind
    int32_t width;
    int32_t height;         // absolute
    int32_t signedHeight;   // > 0 bottom-up, < 0 top-down
    int32_t depth;
    uint32_t compression;
    uint32_t colours;       // biClrUsed, or 2^depth when 0 and depth <= 8
};

// Header size (0 for an unknown size) and the fields.
uint32_t Dib_GetHeaderFields(const void *packed, DibFields *out);

// Width > 0, height not 0, colours <= 65536 and a legal depth/compression
// pair: 0 with 1/4/8/16/24/32, 1 with 8, 2 with 4, 3 with 16/32.
bool Dib_IsValidPacked(const void *packed);

// Bytes of header plus colour table and masks; 0 for an invalid header.
uint32_t Dib_HeaderAndPaletteSize(const void *packed);

// Size of the bits (stride x rows, or biSizeImage when compressed), plus the
// header and/or the table when asked. The high 32 bits go to *high; without
// it an overflow gives 0xFFFFFFFF. 0 for an invalid header.
uint32_t Dib_CalcSize(const void *packed, int addHeader, int addTable, uint32_t *high);
uint32_t Dib_CalcImageSizeWH(int32_t width, int32_t height, int32_t depth, uint32_t *high);

// Clips `in` (null = the whole picture) to width x height, corners ordered
// first; false when the result is empty or starts outside.
bool Rect_ClipToImage(const SelRect *in, int32_t width, int32_t height, SelRect *out);

// (kind << 16) | depth, or 0 for an invalid combination. The colour table
// (4-byte entries, or 3-byte ones for a core header), the masks (red, green,
// blue; null when the picture carries none) and the colour count. When
// `availableBytes` is not 0 it is the size of header and table as the
// library holds it, and the count never reaches past it, so a short table is
// never read outside.
uint32_t Dib_GetColorTable(const void *packed, uint32_t availableBytes, const uint8_t **table,
                           const uint32_t **masks, uint32_t *count);

// Masks that apply to a 16/32-bit picture (5-5-5 or 8-8-8 when none are
// stored); false for other depths.
bool Dib_EffectiveMasks(const void *packed, uint32_t masks[3]);

// Palette (1..65536 entries) for 1/4/8 bits, masks for 16 bits (5-5-5 when
// none) and for 32 bits (only when they differ from 8-8-8). Core headers fail.
bool Dib_GetPaletteOrMasks(const void *packed, const DibRgbQuad **palette, uint32_t *count, uint32_t masks[3],
                           bool *hasMasks);

bool Dib_IsStandardMasks(int presetIndex, const uint32_t masks[3]);

bool Dib_IsRleCompressed(const void *packed);

// Same depth and, for 1/4/8 bits, the same compression (and tables when
// asked); 16/32 bits the same effective masks; 24 bits both uncompressed.
bool Dib_SameFormat(const void *a, const void *b, bool compareTables);

// Copies a w x h rectangle from (sx, sy) of the source to (x, y) of the
// destination; both uncompressed (0 or 3) and of one format. Clipped to both
// pictures; rows found by each picture's own orientation; overlapping copies
// inside one picture go through a temporary copy. False when nothing is left.
bool Dib_CopyRect(void *dstHeader, uint8_t *dstBits, int32_t x, int32_t y, int32_t w, int32_t h,
                  const void *srcHeader, const uint8_t *srcBits, int32_t sx, int32_t sy);

// Clean-up before export: table reserved bytes, unused bits and row padding
// zeroed, masked pixels cut to their masks, plain 32-bit fourth byte 255.
bool Dib_NormalizeBits(void *packed, uint8_t *bits);

// Row pointer for image row y counted from the top.
inline uint8_t *Dib_RowFromTop(uint8_t *bits, uint32_t stride, int32_t signedHeight, int32_t y) {
    const int64_t rows = signedHeight < 0 ? -int64_t{signedHeight} : signedHeight;
    const int64_t stored = signedHeight < 0 ? y : rows - 1 - y;
    return bits + uint64_t(stored) * stride;
}

// Depth and compression pairs a DIB may have: compression 0 with 1, 4, 8, 16,
// 24 or 32 bits, RLE8 with 8, RLE4 with 4, bit fields with 16 or 32.
bool LegalDepthCompression(int32_t depth, uint32_t compression);
