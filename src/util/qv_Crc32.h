// CRC-32 (IEEE 802.3: reflected polynomial 0xEDB88320, initial all ones,
// final complement). Used for instance names, user-name suffixes and print
// document names.
#pragma once

#include <cstddef>
#include <cstdint>

uint32_t Util_Crc32(size_t length, const void *buffer);

// Continues a CRC over more bytes: pass the previous result (0 to start).
uint32_t Util_Crc32Update(uint32_t crc, const void *buffer, size_t length);
