#include "image/qv_UndoCore.h"

#include <cstring>

#include "image/qv_DibApi.h"

namespace {

constexpr uint32_t kOffWidth = 4, kOffHeight = 8, kOffSizeImage = 20;  // in an information header
constexpr uint32_t kOffCoreWidth = 4, kOffCoreHeight = 6;              // in a 12-byte core header

void PutU32(uint8_t *p, uint32_t v) { std::memcpy(p, &v, 4); }
void PutU16(uint8_t *p, uint16_t v) { std::memcpy(p, &v, 2); }

bool Uncompressed(const DibFields &f) { return f.compression == kDibRgb || f.compression == kDibBitFields; }

// The header and table bytes to copy, or 0 when the picture's record is not
// one that can be saved (the library must hold the whole table it claims).
uint32_t SavableHeaderBytes(const DibData *picture, DibFields *f) {
    if (picture == nullptr || picture->header == nullptr || picture->bits == nullptr) return 0;
    const uint32_t bytes = Dib_HeaderAndPaletteSize(picture->header);
    if (bytes == 0 || bytes > picture->headerSize) return 0;
    Dib_GetHeaderFields(picture->header, f);
    if (!Uncompressed(*f)) return 0;
    // The rows the header describes must all be there before any is read.
    const uint64_t need = uint64_t(Dib_RowStride(f->depth, f->width)) * uint64_t(f->height);
    if (need == 0 || need > picture->bitsSize) return 0;
    return bytes;
}

}  // namespace

bool UndoCore_RegionSize(const DibData *picture, int32_t width, int32_t height, UndoRegionSize *out) {
    if (out) *out = UndoRegionSize{};
    DibFields f;
    const uint32_t headerBytes = SavableHeaderBytes(picture, &f);
    if (headerBytes == 0) return false;
    if (width <= 0 || height <= 0 || width > kUndoMaxSide || height > kUndoMaxSide) return false;
    if (width > f.width || height > f.height) return false;
    const uint64_t stride = Dib_RowStride(f.depth, width);
    if (stride == 0) return false;
    const uint64_t bits = stride * uint64_t(height);
    const uint64_t total = uint64_t(headerBytes) + bits;
    if (total > kUndoMaxBytes) return false;
    if (out) *out = UndoRegionSize{headerBytes, bits, total};
    return true;
}

bool UndoCore_PackRegion(const DibData *picture, const SelRect *region, uint8_t *block, uint64_t blockBytes) {
    if (block == nullptr || picture == nullptr || picture->header == nullptr) return false;
    DibFields f;
    Dib_GetHeaderFields(picture->header, &f);
    SelRect r;
    if (region != nullptr) {
        // The caller clipped it; a rectangle reaching outside is a caller's
        // fault that must not read outside the picture.
        if (region->left < 0 || region->top < 0 || region->right > f.width || region->bottom > f.height ||
            region->left >= region->right || region->top >= region->bottom)
            return false;
        r = *region;
    } else {
        r = SelRect{0, 0, f.width, f.height};
    }
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    UndoRegionSize size;
    if (!UndoCore_RegionSize(picture, w, h, &size) || size.total > blockBytes) return false;

    std::memcpy(block, picture->header, size.headerBytes);
    // Sub-byte depths copy pixel by pixel into the rows: start from zeros so
    // the padding and the unused bits are defined.
    std::memset(block + size.headerBytes, 0, size_t(size.bitsBytes));
    if (f.kind == kDibKindCore) {
        PutU16(block + kOffCoreWidth, uint16_t(w));
        PutU16(block + kOffCoreHeight, uint16_t(h));
    } else {
        PutU32(block + kOffWidth, uint32_t(w));
        PutU32(block + kOffHeight, uint32_t(f.signedHeight < 0 ? -h : h));
        PutU32(block + kOffSizeImage, uint32_t(size.bitsBytes));
    }
    return Dib_CopyRect(block, block + size.headerBytes, 0, 0, w, h, picture->header, picture->bits, r.left, r.top);
}

const uint8_t *UndoCore_SavedBits(const void *block, uint64_t blockBytes) {
    if (block == nullptr || blockBytes < 4) return nullptr;
    uint32_t headerSize;
    std::memcpy(&headerSize, block, 4);
    if (Dib_IsKnownHeaderSize(headerSize) == 0 || blockBytes < (headerSize == 12 ? 12u : 40u)) return nullptr;
    const uint32_t headerBytes = Dib_HeaderAndPaletteSize(block);
    if (headerBytes == 0 || headerBytes > blockBytes) return nullptr;
    DibFields f;
    Dib_GetHeaderFields(block, &f);
    if (!Uncompressed(f)) return nullptr;
    uint32_t high = 0;
    const uint64_t bits = Dib_CalcSize(block, 0, 0, &high) | (uint64_t(high) << 32);
    if (bits == 0 || bits > blockBytes - headerBytes) return nullptr;
    return static_cast<const uint8_t *>(block) + headerBytes;
}

bool UndoCore_SameFormat(const void *savedHeader, const void *currentHeader) {
    if (!Dib_IsValidPacked(savedHeader) || !Dib_IsValidPacked(currentHeader)) return false;
    DibFields s, c;
    Dib_GetHeaderFields(savedHeader, &s);
    Dib_GetHeaderFields(currentHeader, &c);
    if (s.headerSize != c.headerSize || s.depth != c.depth || s.compression != c.compression ||
        s.colours != c.colours)
        return false;
    if (s.depth == 16 || s.depth == 32) {
        uint32_t ms[3], mc[3];
        if (!Dib_EffectiveMasks(savedHeader, ms) || !Dib_EffectiveMasks(currentHeader, mc)) return false;
        if (std::memcmp(ms, mc, sizeof ms) != 0) return false;
    }
    return true;
}

int UndoCore_RestorePart(DibHolder &holder, const void *block, uint64_t blockBytes, int32_t left, int32_t top) {
    const uint8_t *bits = UndoCore_SavedBits(block, blockBytes);
    if (bits == nullptr || holder.empty() || holder.data == nullptr || left < 0 || top < 0) return 0;
    if (Dib_IsRleCompressed(holder.data->header)) {
        if (!Dibcore_RLEtoDIB(holder.handle)) return 0;
        // The conversion moved the storage.
        if (!DibHolder_Lock(holder) || holder.empty()) return 0;
    }
    if (!UndoCore_SameFormat(block, holder.data->header)) return 0;
    DibFields s, c;
    Dib_GetHeaderFields(block, &s);
    Dib_GetHeaderFields(holder.data->header, &c);
    if (int64_t{left} + s.width > c.width || int64_t{top} + s.height > c.height) return 0;
    return Dib_CopyRect(holder.data->header, holder.data->bits, left, top, s.width, s.height, block, bits, 0, 0)
               ? 1
               : 0;
}

int UndoCore_RestoreWhole(DibHolder &holder, const void *block, uint64_t blockBytes) {
    const uint8_t *bits = UndoCore_SavedBits(block, blockBytes);
    if (bits == nullptr) return 0;
    const DibHandle fresh = Dibcore_CreateDIB(block, bits);
    if (fresh == 0) return 0;
    const DibHandle old = DibHolder_Take(holder);
    if (!DibHolder_Attach(holder, fresh)) {
        Dibcore_DeleteDIB(fresh);
        // Put the old picture back; if even that cannot be fetched, the
        // holder would only keep a picture it cannot use.
        if (old != 0 && !DibHolder_Attach(holder, old)) Dibcore_DeleteDIB(old);
        return 0;
    }
    if (old != 0) Dibcore_DeleteDIB(old);
    return 1;
}
