#include "picture.h"

#include <cstdlib>
#include <cstring>

namespace dibcore {

namespace {
// Keep the bits 16-byte aligned so SIMD loops can rely on the first row.
constexpr size_t kBitsAlign = 16;

size_t AlignUp(size_t v) { return (v + kBitsAlign - 1) & ~(kBitsAlign - 1); }
}  // namespace

uint64_t RowStride(int64_t width, int bitsPerPixel) {
    if (width <= 0 || width > 0x1FFFFFFE || bitsPerPixel <= 0 || bitsPerPixel > 32) return 0;
    return ((static_cast<uint64_t>(width) * static_cast<uint64_t>(bitsPerPixel) + 31) / 32) * 4;
}

uint32_t TableBytes(const DibInfoHeader &h) {
    uint32_t bytes = 0;
    if (h.biBitCount <= 8) {
        uint32_t colours = h.biClrUsed;
        const uint32_t full = 1u << h.biBitCount;
        if (colours == 0 || colours > full) colours = full;
        bytes = colours * 4;
    } else if (h.biCompression == kDibBitFields && h.biSize == 40) {
        bytes = 12;
    }
    return bytes;
}

Picture *NewPicture(const void *header, uint32_t headerBytes, const void *table, uint32_t tableBytes,
                    uint64_t bitsSize) {
    if (header == nullptr || headerBytes < sizeof(DibInfoHeader) || headerBytes > 124) return nullptr;
    DibInfoHeader h;
    std::memcpy(&h, header, sizeof h);
    const int64_t height = h.biHeight < 0 ? -int64_t{h.biHeight} : int64_t{h.biHeight};
    if (h.biWidth <= 0 || height == 0 || h.biWidth > kMaxSide || height > kMaxSide) return nullptr;
    if (tableBytes > 65536u * 4u + 12u) return nullptr;
    if (bitsSize == 0) {
        const uint64_t stride = RowStride(h.biWidth, h.biBitCount);
        if (stride == 0) return nullptr;
        bitsSize = stride * static_cast<uint64_t>(height);
    }
    if (bitsSize > kMaxPictureBytes) return nullptr;

    const size_t headAndTable = size_t{headerBytes} + tableBytes;
    const size_t bitsOffset = AlignUp(headAndTable);
    const size_t total = bitsOffset + static_cast<size_t>(bitsSize);
    auto *picture = static_cast<Picture *>(std::malloc(sizeof(Picture)));
    if (picture == nullptr) return nullptr;
    auto *block = static_cast<uint8_t *>(std::calloc(1, total));
    if (block == nullptr) {
        std::free(picture);
        return nullptr;
    }
    std::memcpy(block, header, headerBytes);
    if (table != nullptr && tableBytes != 0) std::memcpy(block + headerBytes, table, tableBytes);
    picture->block = block;
    picture->blockSize = total;
    picture->data.headerSize = static_cast<uint32_t>(headAndTable);
    picture->data.bitsSize = static_cast<uint32_t>(bitsSize);
    picture->data.header = reinterpret_cast<DibInfoHeader *>(block);
    picture->data.bits = block + bitsOffset;
    return picture;
}

Picture *NewSimplePicture(int32_t width, int32_t height, int bitsPerPixel, uint32_t colours,
                          const DibRgbQuad *palette, const uint32_t masks[3]) {
    DibInfoHeader h{};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(bitsPerPixel);
    switch (bitsPerPixel) {
        case 1:
        case 4:
        case 8: {
            const uint32_t full = 1u << bitsPerPixel;
            if (colours == 0 || colours > full) colours = full;
            h.biClrUsed = colours == full ? 0 : colours;
            return NewPicture(&h, sizeof h, palette, colours * 4);
        }
        case 16:
        case 32:
            if (masks != nullptr) {
                h.biCompression = kDibBitFields;
                return NewPicture(&h, sizeof h, masks, 12);
            }
            return NewPicture(&h, sizeof h, nullptr, 0);
        case 24:
            return NewPicture(&h, sizeof h, nullptr, 0);
        default:
            return nullptr;
    }
}

void FreePicture(Picture *picture) {
    if (picture == nullptr) return;
    std::free(picture->block);
    std::free(picture);
}

Picture *ClonePicture(const Picture &src) {
    auto *picture = static_cast<Picture *>(std::malloc(sizeof(Picture)));
    if (picture == nullptr) return nullptr;
    auto *block = static_cast<uint8_t *>(std::malloc(src.blockSize));
    if (block == nullptr) {
        std::free(picture);
        return nullptr;
    }
    std::memcpy(block, src.block, src.blockSize);
    picture->block = block;
    picture->blockSize = src.blockSize;
    picture->data = src.data;
    picture->data.header = reinterpret_cast<DibInfoHeader *>(block);
    picture->data.bits = block + (src.data.bits - src.block);
    return picture;
}

}  // namespace dibcore
