// BMP files: the decoder reads every header in use and any depth, RLE and bit
// fields, top-down rows and short colour tables, and survives hostile files;
// the encoder writes a picture exactly as it is held.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bytes.h"
#include "picture.h"

namespace dibcore {

// 0: decoded into *out (caller owns it); -1: not a BMP file; 1: a BMP file
// that cannot be decoded (unknown header, sizes beyond the library's limits,
// memory short). Truncated pixel data decodes as far as it goes, the rest
// zero. RLE data that decodes cleanly is kept compressed; damaged RLE data
// is kept as the uncompressed picture it decodes to.
int BmpDecode(const uint8_t *data, size_t size, Picture **out);

// The file header, the held header with its colour table or masks, then the
// bits. False when memory is short.
bool BmpEncode(const Picture &picture, ByteBuffer *out);

}  // namespace dibcore
