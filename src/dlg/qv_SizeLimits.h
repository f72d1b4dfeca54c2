// How large a picture may be made: the byte size of a new or resized
// picture, whether it is allowed at all, and whether the user must confirm
// it first. Portable: the option and the machine's memory come as facts.
#pragma once

#include <cstdint>

// What the limits depend on besides the size.
struct SizeLimitFacts {
    int32_t overMem;          // the option that allows pictures beyond the physical memory
    uint64_t physicalMemory;  // total physical memory in bytes
};

constexpr uint64_t kSizeLimitMaxBytes = 0x40000000;  // 1 GiB
constexpr int64_t kSizeLimitMaxSide = 65535;

// The byte size of header, colour table and 4-byte-aligned rows, in 64 bits
// (saturated; negative sides count as 0) into *byteSize, and into *overflow
// whether it exceeds 32 bits. Allowed when bits, width and height are
// positive, the sides are at most 65535, the size fits 32 bits and is at
// most 1 GiB, and either the option is set or the physical memory holds it.
bool NewImgDlg_CheckSize(int64_t width, int64_t height, int32_t bitsPerPixel, const SizeLimitFacts &facts,
                         uint64_t *byteSize, int32_t *overflow);

enum LargeSizeDecision : int32_t {
    kLargeSizeRefuse = 0,   // not allowed at all
    kLargeSizeProceed = 1,  // at most half the physical memory: go ahead
    kLargeSizeAsk = 2,      // allowed but large: the user confirms with a warning
};
// The decision before the warning box; *byteSize (may be null) gets the size
// the warning shows.
LargeSizeDecision NewImgDlg_LargeSizeDecision(int64_t width, int64_t height, int32_t bitsPerPixel,
                                              const SizeLimitFacts &facts, uint64_t *byteSize);
