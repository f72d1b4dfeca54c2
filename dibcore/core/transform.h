// Turning pictures and changing their depth. Every function reads a held
// picture and returns a new one (null on failure, the source untouched);
// the DLL layer puts the result behind the caller's handle.
#pragma once

#include <cstdint>

#include "picture.h"

namespace dibcore {

// The mode word of DibTo16 and DibTo8 (DIBto16BitEx, DIBto8Bit): bit 1 asks
// for dithering, bit 20 forbids it and wins over bit 1; other bits are
// ignored. 16 bits dither with an ordered 4x4 pattern, 8 bits with
// serpentine error diffusion.
constexpr int32_t kDibModeDither = 0x2;
constexpr int32_t kDibModeNoDither = 0x100000;
inline bool WantsDither(int32_t mode) { return (mode & kDibModeDither) && !(mode & kDibModeNoDither); }

// 90, 180 or 270 degrees clockwise after reduction modulo 360 (so -90 is
// 270); 0 gives a copy. Every depth; palette, masks, row order and header
// kind kept. Null for other angles.
Picture *TurnPicture(const Picture &src, int32_t degrees);

// Any angle in thousandths of a degree, clockwise, onto a canvas that holds
// the whole turned picture, filled with `background` (COLORREF: red in the
// low byte). Edges are blended with the background. Multiples of 90 degrees
// are exact turns; other angles give a 24-bit picture.
Picture *TurnPictureAny(const Picture &src, int32_t thousandths, uint32_t background);

// Any depth to 24 bits, row order and resolution kept. A 24-bit source gives
// a copy.
Picture *DibTo24(const Picture &src);

// Any depth to 16 bits: `masks` red, green, blue (contiguous, disjoint,
// within 16 bits; held as bit fields) or null for 5-5-5 without masks.
Picture *DibTo16(const Picture &src, const uint32_t *masks, int32_t mode);

// Any depth to 8 bits. 1 and 4 bits widen with their table as it is; more
// than 8 bits get a palette of the picture's own colours when it has at most
// 256, else a median-cut palette refined by k-means.
Picture *DibTo8(const Picture &src, int32_t mode);

// One row of any uncompressed layout as B, G, R bytes.
struct PixelLayout;
void RowToBgr(const PixelLayout &l, const DibRgbQuad *fullPalette, const uint8_t *src, uint8_t *bgr);

}  // namespace dibcore
