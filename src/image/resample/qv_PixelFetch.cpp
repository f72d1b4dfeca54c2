// Pixel readers for every supported depth.
#include "image/resample/qv_PixelFetch.h"

#include <cstring>

namespace {

// Standard masks of a 32-bit picture that is read as plain bytes.
constexpr uint32_t kPlainMasks[3] = {0xFF0000u, 0xFF00u, 0xFFu};
constexpr uint32_t kDefault555[3] = {0x7C00u, 0x03E0u, 0x001Fu};

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }

uint32_t Fetch1(const uint8_t *row, int64_t x, const PixelSource *s) {
    return s->palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
}
uint32_t Fetch4(const uint8_t *row, int64_t x, const PixelSource *s) {
    const uint8_t byte = row[x >> 1];
    return s->palette[(x & 1) ? (byte & 0x0F) : (byte >> 4)];
}
uint32_t Fetch8(const uint8_t *row, int64_t x, const PixelSource *s) { return s->palette[row[x]]; }

uint32_t Masked(uint32_t v, const ChannelMasks &m) {
    uint8_t c[3];
    ChannelMasks_Widen(m, v, c);
    return Rgb(c[0], c[1], c[2]);
}

uint32_t Fetch16(const uint8_t *row, int64_t x, const PixelSource *s) {
    return Masked(uint32_t{row[2 * x]} | uint32_t{row[2 * x + 1]} << 8, s->masks);
}
uint32_t Fetch24(const uint8_t *row, int64_t x, const PixelSource *) {
    const uint8_t *p = row + 3 * x;
    return Rgb(p[2], p[1], p[0]);
}
uint32_t Fetch32Plain(const uint8_t *row, int64_t x, const PixelSource *) {
    const uint8_t *p = row + 4 * x;
    return Rgb(p[2], p[1], p[0]);
}
uint32_t Fetch32Masked(const uint8_t *row, int64_t x, const PixelSource *s) {
    uint32_t v;
    std::memcpy(&v, row + 4 * x, 4);
    return Masked(v, s->masks);
}

}  // namespace

int PixelSource_FromHeader(const DibInfoHeader *header, uint32_t headerBytes, PixelSource *out) {
    if (header == nullptr || out == nullptr || headerBytes < 40 || header->biSize < 40 || header->biSize > headerBytes)
        return 0;
    *out = PixelSource();
    const int32_t bpp = header->biBitCount;
    const uint8_t *base = reinterpret_cast<const uint8_t *>(header);
    uint64_t tableAt = header->biSize;
    out->bitsPerPixel = bpp;
    if (bpp == 1 || bpp == 4 || bpp == 8) {
        if (header->biCompression != kDibRgb) return 0;
        const uint32_t full = 1u << bpp;
        const uint32_t count = header->biClrUsed == 0 || header->biClrUsed > full ? full : header->biClrUsed;
        if (tableAt + 4 * uint64_t{count} > headerBytes) return 0;
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t *q = base + tableAt + 4 * i;
            out->palette[i] = Rgb(q[2], q[1], q[0]);
        }
        out->colourCount = count;
        return 1;
    }
    if (bpp == 24) return header->biCompression == kDibRgb ? 1 : 0;
    if (bpp != 16 && bpp != 32) return 0;
    uint32_t masks[3];
    if (header->biCompression == kDibBitFields) {
        // A 40-byte header is followed by the masks; longer ones hold them.
        if (tableAt + 12 > headerBytes) return 0;
        std::memcpy(masks, base + 40, 12);
    } else if (header->biCompression == kDibRgb) {
        std::memcpy(masks, bpp == 16 ? kDefault555 : kPlainMasks, 12);
    } else {
        return 0;
    }
    out->plain32 = bpp == 32 && std::memcmp(masks, kPlainMasks, 12) == 0;
    ChannelMasks_Set(bpp, masks, &out->masks);
    return 1;
}

PixelFetch PixelFetch_ForDepth(const PixelSource *source) {
    switch (source->bitsPerPixel) {
        case 1: return Fetch1;
        case 4: return Fetch4;
        case 8: return Fetch8;
        case 16: return Fetch16;
        case 24: return Fetch24;
        case 32: return source->plain32 ? Fetch32Plain : Fetch32Masked;
        default: return nullptr;
    }
}

void PixelFetch_Row24(const PixelSource *source, const uint8_t *row, int64_t firstColumn, int64_t width, uint8_t *out) {
    if (source->bitsPerPixel == 24) {
        std::memcpy(out, row + 3 * firstColumn, static_cast<size_t>(3 * width));
        return;
    }
    if (source->bitsPerPixel == 8) {  // photos in grey come as 8-bit palettes: no call per pixel
        const uint8_t *in = row + firstColumn;
        for (int64_t x = 0; x < width; ++x, out += 3) {
            const uint32_t c = source->palette[in[x]];
            out[0] = static_cast<uint8_t>(c);
            out[1] = static_cast<uint8_t>(c >> 8);
            out[2] = static_cast<uint8_t>(c >> 16);
        }
        return;
    }
    const PixelFetch fetch = PixelFetch_ForDepth(source);
    for (int64_t x = 0; x < width; ++x, out += 3) {
        const uint32_t c = fetch(row, firstColumn + x, source);
        out[0] = static_cast<uint8_t>(c);
        out[1] = static_cast<uint8_t>(c >> 8);
        out[2] = static_cast<uint8_t>(c >> 16);
    }
}
