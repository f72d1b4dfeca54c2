// The pixel side of the one-level undo: how large a saved region is, packing
// a region of a picture into a block (a packed DIB of the picture's own
// format), and writing such a block back, either into a rectangle of the
// current picture or as a replacement for it. No Win32 here: the block is any
// caller's buffer, so the rules are tested natively over the fake library.
#pragma once

#include <cstdint>

#include "dibcore_api.h"
#include "image/qv_DibCore.h"
#include "image/qv_DibHolder.h"

// A saved region is refused when the block would not fit a 32-bit size, or
// when a side exceeds what a picture may have.
constexpr uint64_t kUndoMaxBytes = 0xFFFFFFFFull;
constexpr int32_t kUndoMaxSide = 65535;

struct UndoRegionSize {
    uint32_t headerBytes;  // header plus colour table or masks, as copied
    uint64_t bitsBytes;    // the region's rows, each padded to 4 bytes
    uint64_t total;        // headerBytes + bitsBytes, <= kUndoMaxBytes
};

// The size of a saved region of `width` x `height` pixels of `picture`
// (uncompressed, with a header the library holds in full). False for a
// compressed or damaged picture, an empty or oversized region, or a total
// above kUndoMaxBytes; every product is taken in 64 bits.
bool UndoCore_RegionSize(const DibData *picture, int32_t width, int32_t height, UndoRegionSize *out);

// Packs `region` (already clipped to the picture; null = the whole picture)
// into `block` of `blockBytes`: the picture's header and colour table or
// masks with the size fields patched (width, height with the picture's sign,
// image size; the 16-bit fields of a core header), then the region's rows.
// False when the block is too small or the picture cannot be saved.
bool UndoCore_PackRegion(const DibData *picture, const SelRect *region, uint8_t *block, uint64_t blockBytes);

// The pixel bits behind the header and table of a saved block, after
// checking that the header is valid and the block holds all its rows. Null
// otherwise.
const uint8_t *UndoCore_SavedBits(const void *block, uint64_t blockBytes);

// Whether a saved header may be written into a part of `current`: the same
// header size, depth, compression, effective masks and colour count.
bool UndoCore_SameFormat(const void *savedHeader, const void *currentHeader);

// Writes the saved block into the held picture with its top left corner at
// (left, top). Refused (the picture untouched) when the formats differ or the
// region does not lie wholly inside the picture. The picture is made
// uncompressed first when it is not.
int UndoCore_RestorePart(DibHolder &holder, const void *block, uint64_t blockBytes, int32_t left, int32_t top);

// Replaces the held picture (or fills an empty holder) with a new picture
// made from the saved block. The new picture is created and attached before
// the old one is released, so any failure leaves the holder as it was.
int UndoCore_RestoreWhole(DibHolder &holder, const void *block, uint64_t blockBytes);
