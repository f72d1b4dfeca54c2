// GIF's variable-width LZW, both directions.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bytes.h"

namespace dibcore {

// Room the decoder may write past `pixels` (its copies run in 16-byte steps).
constexpr size_t kLzwOutputSlack = 16;

// Decodes `packed` (the sub-block payloads joined, followed by at least 8
// readable bytes) into out[0, pixels); `out` must have kLzwOutputSlack more
// bytes. Roots at or beyond `tableSize` come out as 0 so every index fits the
// picture's table. Stops at the end code, at the end of the data, at the first
// code that cannot be decoded, or when `pixels` are written; returns how many
// were written (what a damaged file still holds).
size_t Lzw_Decode(const uint8_t *packed, size_t packedBytes, int minCodeSize, uint32_t tableSize, uint8_t *out,
                  size_t pixels);

// Reference decoder: one code at a time through prefix chains, kept to test
// the fast one against on damaged streams.
size_t Lzw_DecodeReference(const uint8_t *packed, size_t packedBytes, int minCodeSize, uint32_t tableSize,
                           uint8_t *out, size_t pixels);

// Encodes `count` indexes (each below 2^minCodeSize) as GIF sub-blocks with
// the terminator. `uncompressed` writes every index as its own code and clears
// the table before it would widen, which any decoder reads.
bool Lzw_Encode(const uint8_t *indexes, size_t count, int minCodeSize, bool uncompressed, ByteBuffer *out);

}  // namespace dibcore
