// A 1-, 4- or 8-bit picture as a one-frame GIF.
#include <cstring>
#include <memory>
#include <new>

#include "gif_codec.h"
#include "gif_lzw.h"

namespace dibcore {

namespace {

uint8_t IndexAt(const uint8_t *row, int bitsPerPixel, uint32_t x) {
    switch (bitsPerPixel) {
        case 8:
            return row[x];
        case 4:
            return static_cast<uint8_t>((x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4);
        default:
            return static_cast<uint8_t>((row[x >> 3] >> (7 - (x & 7))) & 1);
    }
}

// Rows in the order the file stores them: top to bottom, or the four
// interlace passes.
void CollectIndexes(const Picture &picture, bool interlaced, uint8_t *out) {
    const DibInfoHeader &h = *picture.data.header;
    const uint32_t width = static_cast<uint32_t>(h.biWidth);
    const uint32_t height = static_cast<uint32_t>(h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight);
    static const uint8_t kStart[4] = {0, 4, 2, 1};
    static const uint8_t kStep[4] = {8, 8, 4, 2};
    const int passes = interlaced ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const uint32_t step = interlaced ? kStep[pass] : 1;
        for (uint32_t y = interlaced ? kStart[pass] : 0; y < height; y += step) {
            const uint8_t *row = RowFromTop(picture, y);
            if (h.biBitCount == 8) {
                std::memcpy(out, row, width);
            } else {
                for (uint32_t x = 0; x < width; ++x) out[x] = IndexAt(row, h.biBitCount, x);
            }
            out += width;
        }
    }
}

int BitsFor(uint32_t entries) {
    int bits = 1;
    while ((1u << bits) < entries) ++bits;
    return bits;
}

}  // namespace

GifStatus Gif_Encode(const Picture &picture, const GifSaveOptions &options, ByteBuffer *out) {
    const DibInfoHeader &h = *picture.data.header;
    const int bpp = h.biBitCount;
    if ((bpp != 1 && bpp != 4 && bpp != 8) || h.biCompression != kDibRgb) return GifStatus::kBadPicture;
    const int64_t width = h.biWidth;
    const int64_t height = h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight;
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return GifStatus::kBadPicture;

    const uint64_t area = uint64_t(width) * uint64_t(height);
    std::unique_ptr<uint8_t[]> indexes(new (std::nothrow) uint8_t[area]);
    if (!indexes) return GifStatus::kNoMemory;
    const bool interlaced = (options.flags & kGifSaveInterlace) != 0;
    CollectIndexes(picture, interlaced, indexes.get());

    // The table keeps the palette's order and size, grown to the power of two
    // GIF needs and far enough to cover every index the pixels use.
    const uint32_t colours = TableBytes(h) / 4;
    uint32_t used = 0;
    for (uint64_t i = 0; i < area; ++i) used = indexes[i] > used ? indexes[i] : used;
    uint32_t need = colours > used + 1 ? colours : used + 1;
    const int bits = BitsFor(need < 2 ? 2 : need);
    const uint32_t entries = 1u << bits;
    const DibRgbQuad *palette = PaletteOf(picture);

    const bool transparent = (options.flags & kGifSaveTransparent) != 0 && options.transparentIndex < 256;
    out->Append(transparent ? "GIF89a" : "GIF87a", 6);
    out->U16LE(static_cast<uint16_t>(width));
    out->U16LE(static_cast<uint16_t>(height));
    out->Byte(static_cast<uint8_t>(0x80 | ((bits - 1) << 4) | (bits - 1)));
    out->Byte(0);  // background index
    out->Byte(0);  // aspect ratio
    uint8_t table[256 * 3] = {};
    for (uint32_t i = 0; i < colours && i < entries; ++i) {
        table[i * 3] = palette[i].red;
        table[i * 3 + 1] = palette[i].green;
        table[i * 3 + 2] = palette[i].blue;
    }
    out->Append(table, entries * 3);
    if (transparent) {
        const uint8_t control[8] = {0x21, 0xF9, 4, 1, 0, 0, static_cast<uint8_t>(options.transparentIndex), 0};
        out->Append(control, sizeof control);
    }
    out->Byte(0x2C);
    out->U16LE(0);
    out->U16LE(0);
    out->U16LE(static_cast<uint16_t>(width));
    out->U16LE(static_cast<uint16_t>(height));
    out->Byte(interlaced ? 0x40 : 0);
    const int minCodeSize = bits < 2 ? 2 : bits;
    out->Byte(static_cast<uint8_t>(minCodeSize));
    if (!Lzw_Encode(indexes.get(), static_cast<size_t>(area), minCodeSize,
                    (options.flags & kGifSaveUncompressed) != 0, out))
        return GifStatus::kNoMemory;
    out->Byte(0x3B);
    return out->failed() ? GifStatus::kNoMemory : GifStatus::kOk;
}

}  // namespace dibcore
