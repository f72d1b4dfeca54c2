// CRC-32 of PNG chunks and other checksummed data (reflected polynomial
// 0xEDB88320, initial all ones, final complement), eight bytes per step.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dibcore {

// Continues a CRC over more bytes: pass the previous result (0 to start).
uint32_t Crc32_Update(uint32_t crc, const void *bytes, size_t length);

}  // namespace dibcore
