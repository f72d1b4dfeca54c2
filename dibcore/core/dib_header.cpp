#include "dib_header.h"

#include <cstring>

namespace dibcore {

namespace {

constexpr uint32_t kAlphaBitFields = 6;
constexpr uint32_t kCsTypeOffset = 56;
constexpr uint32_t kProfileDataOffset = 112;
constexpr uint32_t kLcsSrgb = 0x73524742;      // 'sRGB'
constexpr uint32_t kLcsLinked = 0x4C494E4B;    // 'LINK'
constexpr uint32_t kLcsEmbedded = 0x4D424544;  // 'MBED'
constexpr uint32_t kOs2HeaderSize = 64;

uint32_t U32(const uint8_t *p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
void PutU32(uint8_t *p, uint32_t v) { std::memcpy(p, &v, 4); }

}  // namespace

bool IsKnownHeaderSize(uint32_t size) {
    switch (size) {
        case 12: case 40: case 52: case 56: case 60: case 64: case 96: case 108: case 112: case 120: case 124:
            return true;
        default:
            return false;
    }
}

bool PlanHeader(const uint8_t *src, size_t avail, HeaderPlan *plan) {
    if (src == nullptr || avail < 4) return false;
    HeaderPlan p;
    const uint32_t size = U32(src);
    if (!IsKnownHeaderSize(size) || avail < size) return false;
    p.sourceHeaderBytes = size;
    std::memset(p.header, 0, sizeof p.header);
    DibInfoHeader &h = p.info();
    if (size == 12) {
        DibCoreHeader c;
        std::memcpy(&c, src, sizeof c);
        h.biWidth = c.bcWidth;
        h.biHeight = c.bcHeight;
        h.biBitCount = c.bcBitCount;
        p.entryBytes = 3;
        p.headerBytes = 40;
    } else if (size == kOs2HeaderSize) {
        // The OS/2 2.x header shares the first 40 bytes; its own compressions
        // above RLE4 are not held.
        std::memcpy(p.header, src, 40);
        if (h.biCompression > kDibRle4) return false;
        p.headerBytes = 40;
    } else {
        std::memcpy(p.header, src, size);
        p.headerBytes = size;
    }
    h.biSize = p.headerBytes;
    h.biPlanes = 1;

    const int bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    if (h.biCompression == kAlphaBitFields && (bpp == 16 || bpp == 32)) {
        // Four masks; held as bit fields with the masks inside a 56-byte header.
        if (size == 40) {
            if (avail < 56) return false;
            std::memcpy(p.header + 40, src + 40, 16);
            p.maskSourceBytes = 16;
            p.headerBytes = 56;
            h.biSize = 56;
        }
        h.biCompression = kDibBitFields;
    }
    const uint32_t c = h.biCompression;
    const bool pairOk = c == kDibRgb || (c == kDibRle8 && bpp == 8) || (c == kDibRle4 && bpp == 4) ||
                        (c == kDibBitFields && (bpp == 16 || bpp == 32));
    if (!pairOk) return false;
    if (c == kDibBitFields && p.headerBytes == 40) {
        p.masksAfter = 12;
        p.maskSourceBytes = 12;
    }
    p.rle = c == kDibRle8 || c == kDibRle4;

    const int64_t height = h.biHeight < 0 ? -int64_t{h.biHeight} : int64_t{h.biHeight};
    if (h.biWidth <= 0 || h.biWidth > kMaxSide || height == 0 || height > kMaxSide) return false;
    p.topDown = h.biHeight < 0;

    if (bpp <= 8) {
        const uint32_t full = 1u << bpp;
        if (p.entryBytes == 3) {
            p.tableEntries = full;
        } else {
            if (h.biClrUsed > 65536) return false;
            p.tableEntries = h.biClrUsed == 0 || h.biClrUsed > full ? full : h.biClrUsed;
        }
    } else {
        // A colour table beside true-colour pixels is only a display hint.
        h.biClrUsed = 0;
        h.biClrImportant = 0;
    }

    if (p.headerBytes >= kCsTypeOffset + 4) {
        // A profile that lives elsewhere in the file is not carried along.
        const uint32_t cs = U32(p.header + kCsTypeOffset);
        if (cs == kLcsLinked || cs == kLcsEmbedded) PutU32(p.header + kCsTypeOffset, kLcsSrgb);
        if (p.headerBytes >= kProfileDataOffset + 8) std::memset(p.header + kProfileDataOffset, 0, 8);
    }

    const uint64_t stride = RowStride(h.biWidth, bpp);
    p.bitsSize = p.rle ? h.biSizeImage : stride * static_cast<uint64_t>(height);
    if (p.bitsSize > kMaxPictureBytes || stride * static_cast<uint64_t>(height) > kMaxPictureBytes) return false;
    if (!p.rle) h.biSizeImage = static_cast<uint32_t>(p.bitsSize);
    *plan = p;
    return true;
}

Picture *PictureFromPlan(HeaderPlan &plan, const uint8_t *masks, const uint8_t *table, uint32_t entries,
                         uint64_t bitsSize) {
    DibInfoHeader &h = plan.info();
    uint8_t tableBytes[65536 * 4 / 16];  // 256 entries: the most a held depth can use
    uint32_t tableSize = 0;
    if (h.biBitCount <= 8) {
        if (entries > plan.tableEntries) entries = plan.tableEntries;
        if (entries == 0) {
            // No table at all: a grey ramp keeps the picture visible.
            entries = 1u << h.biBitCount;
            const uint32_t step = 255 / (entries - 1);
            for (uint32_t i = 0; i < entries; ++i) {
                const uint8_t g = static_cast<uint8_t>(i * step);
                const uint8_t q[4] = {g, g, g, 0};
                std::memcpy(tableBytes + 4 * i, q, 4);
            }
        } else {
            for (uint32_t i = 0; i < entries; ++i) {
                const uint8_t *e = table + size_t{i} * plan.entryBytes;
                const uint8_t q[4] = {e[0], e[1], e[2], 0};
                std::memcpy(tableBytes + 4 * i, q, 4);
            }
        }
        tableSize = entries * 4;
        h.biClrUsed = entries == (1u << h.biBitCount) ? 0 : entries;
        if (h.biClrImportant > entries) h.biClrImportant = 0;
    } else if (plan.masksAfter != 0) {
        std::memset(tableBytes, 0, 12);
        if (masks != nullptr) std::memcpy(tableBytes, masks, 12);
        tableSize = 12;
    }
    if (plan.rle) h.biSizeImage = static_cast<uint32_t>(bitsSize);
    return NewPicture(plan.header, plan.headerBytes, tableBytes, tableSize, bitsSize);
}

Picture *NewPictureLike(const Picture &src, int32_t width, int32_t height) {
    const DibInfoHeader &sh = *src.data.header;
    uint8_t header[124];
    const uint32_t hb = sh.biSize < 40 || sh.biSize > 124 ? 40 : sh.biSize;
    std::memcpy(header, src.data.header, hb);
    DibInfoHeader h;
    std::memcpy(&h, header, sizeof h);
    h.biSize = hb;
    h.biWidth = width;
    h.biHeight = sh.biHeight < 0 ? -height : height;
    if (h.biCompression == kDibRle4 || h.biCompression == kDibRle8) h.biCompression = kDibRgb;
    h.biSizeImage = 0;
    std::memcpy(header, &h, sizeof h);
    const uint32_t tableBytes = src.data.headerSize > hb ? src.data.headerSize - hb : 0;
    return NewPicture(header, hb, reinterpret_cast<const uint8_t *>(src.data.header) + hb, tableBytes);
}

}  // namespace dibcore
