#include "image/qv_ClipDibCore.h"

#include <cstring>

ClipDibVerdict ClipDib_Check(const void *block, uint64_t blockSize, ClipDibLayout *out) {
    ClipDibLayout l{};
    if (out) *out = l;
    if (block == nullptr || blockSize < 4) return kClipDibDamaged;
    uint32_t size;
    std::memcpy(&size, block, 4);
    if (Dib_IsKnownHeaderSize(size) == 0) return kClipDibUnsupported;
    if (blockSize < size) return kClipDibDamaged;
    // The header functions read a whole 40-byte info header; a core header
    // is read through its own 12 bytes, so nothing past the block is seen.
    if (!Dib_IsValidPacked(block)) return kClipDibUnsupported;
    Dib_GetHeaderFields(block, &l.fields);
    const DibFields &f = l.fields;
    const bool rle = Dib_IsRleCompressed(block);
    if (rle && f.signedHeight < 0) return kClipDibUnsupported;
    l.headerBytes = f.headerSize;
    l.maskBytes = (f.kind == kDibKindInfo && f.compression == kDibBitFields) ? 12 : 0;
    l.bitsOffset = Dib_HeaderAndPaletteSize(block);
    if (l.bitsOffset < l.headerBytes + l.maskBytes) return kClipDibUnsupported;
    l.tableBytes = l.bitsOffset - l.headerBytes - l.maskBytes;
    if (rle) {
        DibInfoHeader h;
        std::memcpy(&h, block, sizeof h);
        if (h.biSizeImage == 0) return kClipDibUnsupported;
        l.bitsBytes = h.biSizeImage;
    } else {
        const uint32_t stride = Dib_RowStride(f.depth, f.width);
        if (stride == 0) return kClipDibUnsupported;
        l.bitsBytes = uint64_t(stride) * uint64_t(f.height);
    }
    l.neededBytes = uint64_t(l.bitsOffset) + l.bitsBytes;
    if (l.neededBytes > blockSize) return kClipDibDamaged;
    if (out) *out = l;
    return kClipDibOk;
}

uint32_t ClipDib_CopyLimit(uint32_t physicalMemory, uint32_t percent) {
    // 64 bits: a 32-bit product of 4 GB and 25 would wrap.
    const uint64_t limit = uint64_t(physicalMemory) * percent / 100;
    return limit > kClipMaxCopyBytes ? kClipMaxCopyBytes : uint32_t(limit);
}
