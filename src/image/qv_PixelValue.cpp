#include "image/qv_PixelValue.h"

#include <cstdlib>
#include <cstring>

#include "image/qv_DibApi.h"
#include "image/qv_DibOps.h"
#include "image/resample/qv_PixelFetch.h"

namespace {

inline uint32_t RedOf(uint32_t c) { return c & 0xFFu; }
inline uint32_t GreenOf(uint32_t c) { return (c >> 8) & 0xFFu; }
inline uint32_t BlueOf(uint32_t c) { return (c >> 16) & 0xFFu; }
inline uint32_t ColourOf(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

struct Palette {
    const uint8_t *entries = nullptr;  // B, G, R, reserved
    uint32_t count = 0;                // usable entries
};

// The usable part of a 4-byte colour table: never more than 2^depth entries
// and never past headerBytes. Core tables (3-byte entries) are refused.
bool ReadPalette(const void *header, uint32_t headerBytes, Palette *p) {
    const uint8_t *table = nullptr;
    uint32_t count = 0;
    const uint32_t kindDepth = Dib_GetColorTable(header, headerBytes, &table, nullptr, &count);
    const uint32_t depth = kindDepth & 0xFFFFu;
    if (kindDepth == 0 || (kindDepth >> 16) == kDibKindCore || depth > 8) return false;
    if (count > (1u << depth)) count = 1u << depth;
    if (table == nullptr || count == 0) return false;
    p->entries = table;
    p->count = count;
    return true;
}

uint32_t EntryColour(const Palette &p, uint32_t i) {
    const uint8_t *e = p.entries + uint64_t(i) * 4;
    return ColourOf(e[2], e[1], e[0]);
}

// Plain 32 bits: no masks, or exactly 8-8-8, read as B, G, R bytes.
bool IsPlain32(const DibFields &f, const uint32_t masks[3]) {
    return f.depth == 32 && (f.compression == kDibRgb || Dib_IsStandardMasks(2, masks));
}

// Validated layout of uncompressed pixel data: fields, stride, and the bits
// really hold every row the header claims.
bool ReadLayout(const DibData *d, DibFields *f, uint32_t *stride) {
    if (d == nullptr || d->header == nullptr || d->bits == nullptr) return false;
    if (!Dib_IsValidPacked(d->header)) return false;
    Dib_GetHeaderFields(d->header, f);
    if (f->compression != kDibRgb && f->compression != kDibBitFields) return false;
    *stride = Dib_RowStride(f->depth, f->width);
    return *stride != 0 && uint64_t(*stride) * uint64_t(f->height) <= d->bitsSize;
}

uint32_t ValueAt(const uint8_t *row, int32_t x, int depth) {
    switch (depth) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4: return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    default: {
        uint32_t v = 0;
        const int bytes = depth / 8;
        for (int i = 0; i < bytes; ++i) v |= uint32_t(row[int64_t(x) * bytes + i]) << (8 * i);
        return v;
    }
    }
}

void FillBits1(uint8_t *row, int64_t left, int64_t right, uint32_t value) {
    const int64_t first = left >> 3, last = (right - 1) >> 3;
    const uint8_t head = uint8_t(0xFFu >> (left & 7));
    const uint8_t tail = uint8_t(0xFF00u >> (((right - 1) & 7) + 1));
    auto apply = [value](uint8_t &b, uint8_t mask) { b = value ? uint8_t(b | mask) : uint8_t(b & ~mask); };
    if (first == last) {
        // Both ends in one byte: only the pixels both masks cover.
        apply(row[first], uint8_t(head & tail));
        return;
    }
    apply(row[first], head);
    apply(row[last], tail);
    if (last - first > 1) std::memset(row + first + 1, value ? 0xFF : 0x00, size_t(last - first - 1));
}

void FillBits4(uint8_t *row, int64_t left, int64_t right, uint32_t value) {
    const uint8_t v = uint8_t(value & 0x0Fu);
    if (left & 1) {  // a leading odd pixel is the low nibble of its byte
        row[left >> 1] = uint8_t((row[left >> 1] & 0xF0u) | v);
        ++left;
    }
    if (left < right && (right & 1)) {  // a trailing even pixel is a high nibble
        row[(right - 1) >> 1] = uint8_t((row[(right - 1) >> 1] & 0x0Fu) | (v << 4));
        --right;
    }
    if (left < right) std::memset(row + (left >> 1), v * 17, size_t((right - left) >> 1));
}

}  // namespace

uint32_t Pal_NearestIndex(const void *header, uint32_t headerBytes, uint32_t colour) {
    Palette p;
    if (!ReadPalette(header, headerBytes, &p)) return 0;
    const int r = int(RedOf(colour)), g = int(GreenOf(colour)), b = int(BlueOf(colour));
    int best = 0x7FFF;
    uint32_t index = 0;
    for (uint32_t i = 0; i < p.count; ++i) {
        const uint8_t *e = p.entries + uint64_t(i) * 4;
        const int d = std::abs(e[2] - r) + std::abs(e[1] - g) + std::abs(e[0] - b);
        if (d < best) {
            best = d;
            index = i;
            if (d == 0) break;
        }
    }
    return index;
}

uint32_t Channel_Narrow(uint32_t channel, int width) {
    channel &= 0xFFu;
    if (width <= 0) return 0;
    if (width < 8) return (((1u << width) - 1u) * channel + 127u) / 255u;
    uint32_t v = 0;
    for (int left = width > 32 ? 32 : width; left > 0; left -= 8)
        v |= left >= 8 ? channel << (left - 8) : channel >> (8 - left);
    return v;
}

uint32_t Dib_ColourToMaskedPixel(const void *header, uint32_t colour) {
    uint32_t masks[3];
    if (!Dib_EffectiveMasks(header, masks)) return 0;
    DibFields f;
    Dib_GetHeaderFields(header, &f);
    if (IsPlain32(f, masks)) return RedOf(colour) << 16 | GreenOf(colour) << 8 | BlueOf(colour);
    ChannelMasks m;
    ChannelMasks_Set(f.depth, masks, &m);
    const uint32_t channel[3] = {RedOf(colour), GreenOf(colour), BlueOf(colour)};
    uint32_t v = 0;
    for (int i = 0; i < 3; ++i) {
        if (m.width[i] == 0) continue;
        v |= (uint32_t(uint64_t(Channel_Narrow(channel[i], int(m.width[i]))) << m.shift[i])) & m.mask[i];
    }
    return v;
}

uint32_t Dib_ColourToPixel(const void *header, uint32_t headerBytes, uint32_t colour) {
    DibFields f;
    if (header == nullptr) return 0;
    uint32_t size;
    std::memcpy(&size, header, 4);
    if (size < 40 && size != 12) return 0;
    if (Dib_GetHeaderFields(header, &f) == 0) return 0;
    switch (f.depth) {
    case 1: case 4: case 8: return Pal_NearestIndex(header, headerBytes, colour);
    case 16: case 32: return Dib_ColourToMaskedPixel(header, colour);
    case 24: return RedOf(colour) << 16 | GreenOf(colour) << 8 | BlueOf(colour);
    default: return 0;
    }
}

bool PixelValue_Read(const DibData *data, int32_t x, int32_t y, uint32_t *out) {
    if (out) *out = 0;
    DibFields f;
    uint32_t stride;
    if (out == nullptr || !ReadLayout(data, &f, &stride)) return false;
    if (x < 0 || y < 0 || x >= f.width || y >= f.height) return false;
    *out = ValueAt(Dib_RowFromTop(data->bits, stride, f.signedHeight, y), x, f.depth);
    return true;
}

bool PixelValue_ReadColour(const DibData *data, int32_t x, int32_t y, uint32_t *out) {
    uint32_t v;
    if (out) *out = 0;
    if (out == nullptr || !PixelValue_Read(data, x, y, &v)) return false;
    DibFields f;
    Dib_GetHeaderFields(data->header, &f);
    if (f.depth <= 8) {
        Palette p;
        if (!ReadPalette(data->header, data->headerSize, &p)) return false;
        *out = EntryColour(p, v < p.count ? v : 0);
        return true;
    }
    if (f.depth == 24) {
        *out = ColourOf((v >> 16) & 0xFFu, (v >> 8) & 0xFFu, v & 0xFFu);
        return true;
    }
    uint32_t masks[3];
    if (!Dib_EffectiveMasks(data->header, masks)) return false;
    if (IsPlain32(f, masks)) {
        *out = ColourOf((v >> 16) & 0xFFu, (v >> 8) & 0xFFu, v & 0xFFu);
        return true;
    }
    ChannelMasks m;
    ChannelMasks_Set(f.depth, masks, &m);
    uint8_t rgb[3];
    ChannelMasks_Widen(m, v, rgb);
    *out = ColourOf(rgb[0], rgb[1], rgb[2]);
    return true;
}

bool PixelValue_Fill(DibData *data, const SelRect *rect, uint32_t value) {
    DibFields f;
    uint32_t stride;
    if (!ReadLayout(data, &f, &stride)) return false;
    if (f.depth <= 8) {
        Palette p;
        if (!ReadPalette(data->header, data->headerSize, &p)) return false;
        if (f.depth == 4) value &= 0x0Fu;
        if (f.depth == 8) value &= 0xFFu;
        if (value > p.count - 1) value = p.count - 1;
    }
    SelRect r;
    if (!Rect_ClipToImage(rect, f.width, f.height, &r)) return false;
    const int64_t left = r.left, right = r.right;
    if (f.depth == 1 || f.depth == 4) {
        for (int32_t y = r.top; y < r.bottom; ++y) {
            uint8_t *row = Dib_RowFromTop(data->bits, stride, f.signedHeight, y);
            if (f.depth == 1) FillBits1(row, left, right, value);
            else FillBits4(row, left, right, value);
        }
        return true;
    }
    const int bytes = f.depth / 8;
    uint8_t pixel[4];
    for (int i = 0; i < 4; ++i) pixel[i] = uint8_t(value >> (8 * i));
    uint8_t *first = Dib_RowFromTop(data->bits, stride, f.signedHeight, r.top) + left * bytes;
    for (int64_t x = 0; x < right - left; ++x) std::memcpy(first + x * bytes, pixel, size_t(bytes));
    const size_t span = size_t((right - left) * bytes);
    for (int32_t y = r.top + 1; y < r.bottom; ++y)
        std::memcpy(Dib_RowFromTop(data->bits, stride, f.signedHeight, y) + left * bytes, first, span);
    return true;
}

uint32_t Dib_GetPixelValue(DibHandle picture, int32_t x, int32_t y) {
    uint32_t v = 0;
    PixelValue_Read(Dibcore_DataDIB(picture), x, y, &v);
    return v;
}

uint32_t Dib_GetPixelColour(int32_t x, DibHandle picture, int32_t y) {
    uint32_t c = 0;
    PixelValue_ReadColour(Dibcore_DataDIB(picture), x, y, &c);
    return c;
}

int Dib_FillRect(DibHandle picture, const SelRect *rect, uint32_t value) {
    if (!Dibcore_RLEtoDIB(picture)) return 0;
    // The conversion may have moved the storage: ask for it afterwards.
    return PixelValue_Fill(Dibcore_DataDIB(picture), rect, value) ? 1 : 0;
}

int Dib_FillColour(DibHandle picture, const SelRect *rect, uint32_t colour) {
    const DibData *d = Dibcore_DataDIB(picture);
    if (d == nullptr || d->header == nullptr) return 0;
    return Dib_FillRect(picture, rect, Dib_ColourToPixel(d->header, d->headerSize, colour));
}

DibHandle Dib_To24Bit(int copyWhen24, DibHandle picture) {
    const int32_t depth = Dib_GetInfo(picture, nullptr, nullptr, nullptr, 1);
    if (depth == 0) return 0;
    if (depth <= 8 && !Dibcore_RLEtoDIB(picture)) return 0;
    if (depth == 24) return copyWhen24 ? Dibcore_CopyDIB(picture) : 0;
    int32_t width = 0, height = 0;
    DibData *src = nullptr;
    if (Dib_GetInfo(picture, &width, &src, &height, 1) == 0) return 0;
    DibFields f;
    uint32_t srcStride;
    if (!ReadLayout(src, &f, &srcStride)) return 0;
    PixelSource source;  // palette padded with black to 2^depth, masks normalised
    if (!PixelSource_FromHeader(src->header, src->headerSize, &source)) return 0;
    const int32_t xppm = src->header->biXPelsPerMeter, yppm = src->header->biYPelsPerMeter;

    const DibHandle result = Dib_Create(width, height, 24, 0, 0, nullptr);
    if (result == 0) return 0;
    Dib_SetResolution(result, xppm, yppm);
    // Every library call may move storage: fetch both pictures afresh.
    DibData *dst = Dibcore_DataDIB(result);
    src = Dibcore_DataDIB(picture);
    const uint32_t dstStride = Dib_RowStride(24, width);
    DibFields again;
    uint32_t againStride;
    if (dst == nullptr || dst->bits == nullptr || uint64_t(dstStride) * uint64_t(height) > dst->bitsSize ||
        !ReadLayout(src, &again, &againStride) || std::memcmp(&again, &f, sizeof f) != 0) {
        Dibcore_DeleteDIB(result);
        return 0;
    }
    for (int32_t y = 0; y < height; ++y)
        PixelFetch_Row24(&source, Dib_RowFromTop(src->bits, srcStride, f.signedHeight, y), 0, width,
                         Dib_RowFromTop(dst->bits, dstStride, height, y));
    return result;
}
