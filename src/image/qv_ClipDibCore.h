// A packed DIB that another program put on the clipboard, checked against
// the real size of its memory block before anything reads it, and the size
// limit of a picture copied to the clipboard. No Win32 here.
#pragma once

#include <cstdint>

#include "image/qv_DibCore.h"

enum ClipDibVerdict : int32_t {
    kClipDibOk = 0,
    kClipDibUnsupported = 1,  // no header, or a depth and compression the program does not hold
    kClipDibDamaged = 2,      // the header claims more bytes than the block holds
};

// Where each part of the packed DIB lies and how many bytes it takes.
struct ClipDibLayout {
    DibFields fields;
    uint32_t headerBytes;   // the header as stored (its own size field)
    uint32_t maskBytes;     // the three masks after a 40-byte bit-field header, else 0
    uint32_t tableBytes;    // colour table: entries x 3 (core header) or x 4
    uint32_t bitsOffset;    // header + masks + table
    uint64_t bitsBytes;     // stride x rows, or the stored size of run-length bits
    uint64_t neededBytes;   // bitsOffset + bitsBytes
};

// Reads only inside the first `blockSize` bytes of `block`. Run-length bits
// are bounded by the size the header stores for them; a run-length DIB
// without that size, or stored top-down, is unsupported. `out` is zeroed
// unless the verdict is kClipDibOk.
ClipDibVerdict ClipDib_Check(const void *block, uint64_t blockSize, ClipDibLayout *out);

// The largest packed DIB copied to the clipboard: `percent` of the physical
// memory, never above 0x40000000 bytes. 0 means nothing may be copied.
constexpr uint32_t kClipMaxCopyBytes = 0x40000000u;
uint32_t ClipDib_CopyLimit(uint32_t physicalMemory, uint32_t percent);
