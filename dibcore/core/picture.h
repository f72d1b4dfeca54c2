// A picture held by the library: one heap block with the packed DIB (header,
// colour table or masks) followed by the pixel bits. Every codec decodes into
// one of these and every encoder reads one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dib_records.h"

namespace dibcore {

// Limits that protect against sizes a hostile file merely claims.
constexpr int64_t kMaxSide = 65535;
constexpr uint64_t kMaxPictureBytes = uint64_t{1} << 30;  // 1 GiB of bits

struct Picture {
    DibData data;        // what DataDIB hands out; points into block
    uint8_t *block;      // owned
    size_t blockSize;
};

// Bytes per row, rows padded to 32 bits; 0 when the arguments are unusable.
uint64_t RowStride(int64_t width, int bitsPerPixel);

// Colour-table or mask bytes that follow a header of this kind.
uint32_t TableBytes(const DibInfoHeader &header);

// A new picture with a copy of `header` (biSize bytes; 12 for a core header is
// refused here, callers convert first) and `tableBytes` bytes of colour table
// or masks. The bits are zeroed. `bitsSize` 0 means stride times |height|
// (for RLE pictures pass the compressed size). Null when the sizes are out of
// range or memory is short.
Picture *NewPicture(const void *header, uint32_t headerBytes, const void *table, uint32_t tableBytes,
                    uint64_t bitsSize = 0);

// The common case: a 40-byte header for width x height (height > 0 bottom-up,
// < 0 top-down) at `bitsPerPixel`, with `colours` palette entries (copied
// from `palette` when not null, else zero) or, for 16/32 bits with `masks`,
// BI_BITFIELDS.
Picture *NewSimplePicture(int32_t width, int32_t height, int bitsPerPixel, uint32_t colours,
                          const DibRgbQuad *palette, const uint32_t masks[3] = nullptr);

void FreePicture(Picture *picture);

// Deep copy; null when memory is short.
Picture *ClonePicture(const Picture &picture);

// Palette entries of a 1/4/8-bit picture (null for other depths).
inline DibRgbQuad *PaletteOf(const Picture &p) {
    return p.data.header->biBitCount <= 8
               ? reinterpret_cast<DibRgbQuad *>(reinterpret_cast<uint8_t *>(p.data.header) + p.data.header->biSize)
               : nullptr;
}

// Pointer to row y counted from the top of the picture, whatever the row order.
inline uint8_t *RowFromTop(const Picture &p, int64_t y) {
    const DibInfoHeader &h = *p.data.header;
    const uint64_t stride = RowStride(h.biWidth, h.biBitCount);
    const int64_t rows = h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight;
    const int64_t stored = h.biHeight < 0 ? y : rows - 1 - y;
    return p.data.bits + static_cast<uint64_t>(stored) * stride;
}

// RAII owner of a Picture for decoders and transforms.
class PictureOwner {
public:
    PictureOwner() = default;
    explicit PictureOwner(Picture *p) : picture_(p) {}
    ~PictureOwner() { FreePicture(picture_); }
    PictureOwner(const PictureOwner &) = delete;
    PictureOwner &operator=(const PictureOwner &) = delete;
    Picture *get() const { return picture_; }
    Picture *operator->() const { return picture_; }
    explicit operator bool() const { return picture_ != nullptr; }
    Picture *Take() {
        Picture *p = picture_;
        picture_ = nullptr;
        return p;
    }
    void Reset(Picture *p = nullptr) {
        FreePicture(picture_);
        picture_ = p;
    }

private:
    Picture *picture_ = nullptr;
};

}  // namespace dibcore
