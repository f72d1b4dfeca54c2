// Reading a DIB header that came from outside the library (CreateDIB's caller
// or a BMP file) into the form pictures are held in: core and OS/2 headers
// become 40-byte info headers, alpha bit fields become a 56-byte header with
// its masks inside, and every size is checked before anything is allocated.
#pragma once

#include <cstddef>
#include <cstdint>

#include "picture.h"

namespace dibcore {

struct HeaderPlan {
    alignas(4) uint8_t header[124];  // normalised header, headerBytes long
    uint32_t headerBytes = 0;
    uint32_t sourceHeaderBytes = 0;  // biSize as found
    uint32_t masksAfter = 0;         // mask bytes that follow the source header (kept as table: 12)
    uint32_t maskSourceBytes = 0;    // mask bytes to skip in the source (12 or 16)
    uint32_t entryBytes = 4;         // 3 for a core header's colour table
    uint32_t tableEntries = 0;       // colour-table entries the header calls for
    bool topDown = false;
    bool rle = false;
    uint64_t bitsSize = 0;           // uncompressed: stride x rows; RLE: biSizeImage (may be 0)

    DibInfoHeader &info() { return *reinterpret_cast<DibInfoHeader *>(header); }
    const DibInfoHeader &info() const { return *reinterpret_cast<const DibInfoHeader *>(header); }
    // Offset of the colour table from the start of the source header.
    uint32_t TableOffset() const { return sourceHeaderBytes + maskSourceBytes; }
};

// Header sizes the library accepts from outside.
bool IsKnownHeaderSize(uint32_t size);

// Parses `avail` bytes that start with a header. False for a header the
// library does not hold: unknown size, depth or compression, sides beyond
// 65535, pixel bits beyond 1 GiB.
bool PlanHeader(const uint8_t *source, size_t avail, HeaderPlan *plan);

// Builds the picture: the colour table is read from `table` (entries in the
// source's entry size), of which `entries` are present; missing masks are
// read as zero. Bits are zeroed. For RLE pictures `bitsSize` is the
// compressed size to hold.
Picture *PictureFromPlan(HeaderPlan &plan, const uint8_t *masks, const uint8_t *table, uint32_t entries,
                         uint64_t bitsSize);

// A new zeroed picture with the header, colour table and masks of `src` at a
// new size: RLE becomes uncompressed, biSizeImage 0, row order kept.
Picture *NewPictureLike(const Picture &src, int32_t width, int32_t height);

}  // namespace dibcore
