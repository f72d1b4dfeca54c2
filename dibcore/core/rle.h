// Run-length coding of 4- and 8-bit pictures (BI_RLE4, BI_RLE8).
#pragma once

#include <cstddef>
#include <cstdint>

#include "bytes.h"
#include "picture.h"

namespace dibcore {

// Decodes a stream into `bits` (rows of `stride` bytes, first stream row
// first, so memory row 0 is the bottom of a bottom-up picture). The bits
// must be zeroed by the caller: skipped pixels stay index 0. Returns true
// when the stream was well formed: ended by end-of-bitmap, no pixel outside
// the picture, nothing cut off. Every byte read and written is bounds
// checked, so hostile streams decode as far as they make sense. `consumed`
// gets the bytes up to and including end-of-bitmap (or all that were read).
bool RleDecode(const uint8_t *stream, size_t size, int bpp, int32_t width, int32_t height, uint64_t stride,
               uint8_t *bits, size_t *consumed);

// Encodes `height` rows of 4- or 8-bit pixels, `rowAt(y)` giving stream row y
// (bottom row first). End-of-line after each row but the last, then
// end-of-bitmap. False when memory is short.
bool RleEncode(const uint8_t *const *rows, int bpp, int32_t width, int32_t height, ByteBuffer *out);

// Picture-level forms. Compress: a 4/8-bit uncompressed picture becomes a
// bottom-up RLE picture; null for other depths. Expand: an RLE picture
// becomes a bottom-up uncompressed one, decoded as far as the data allows.
Picture *RleCompress(const Picture &src);
Picture *RleExpand(const Picture &src);

}  // namespace dibcore
