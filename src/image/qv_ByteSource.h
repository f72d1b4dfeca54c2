// A forward reader over a file or a memory block, for the parsers that look
// into picture files (EXIF, the BMP alpha channel, sniffing). Reads never go
// past what the source holds.
#pragma once

#include <cstdint>

struct ByteSource {
    void *context;
    // Up to n bytes into buffer; the count read (0 at the end or on error).
    uint32_t (*read)(void *context, void *buffer, uint32_t n);
    // Moves forward n bytes; false when that passes the end or fails.
    bool (*skip)(void *context, uint32_t n);
};

// Reads exactly n bytes or fails.
bool ByteSource_ReadExact(const ByteSource &s, void *buffer, uint32_t n);

struct MemoryReader {
    const uint8_t *data;
    uint32_t size;
    uint32_t position;
};

ByteSource ByteSource_FromMemory(MemoryReader *reader, const void *data, uint32_t size);
