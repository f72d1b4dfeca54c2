#include "image/qv_DibCore.h"

#include <cstdlib>
#include <cstring>

const uint32_t kDibPresetMasks[3][3] = {
    {0x7C00, 0x03E0, 0x001F},
    {0xF800, 0x07E0, 0x001F},
    {0xFF0000, 0x00FF00, 0x0000FF},
};

namespace {

uint32_t ReadU32(const void *p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}


// Offset of the colour table from the start of the packed DIB.
uint32_t TableOffset(const DibFields &f) {
    if (f.kind == kDibKindInfo && f.compression == kDibBitFields) return 52;
    return f.headerSize;
}

uint32_t EntryBytes(const DibFields &f) { return f.kind == kDibKindCore ? 3 : 4; }

}  // namespace

bool LegalDepthCompression(int32_t depth, uint32_t compression) {
    switch (compression) {
    case kDibRgb: return depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
    case kDibRle8: return depth == 8;
    case kDibRle4: return depth == 4;
    case kDibBitFields: return depth == 16 || depth == 32;
    default: return false;
    }
}

uint32_t Dib_IsKnownHeaderSize(uint32_t size) {
    switch (size) {
    case 12: case 40: case 52: case 56: case 60: case 96: case 108: case 112: case 120: case 124: return size;
    default: return 0;
    }
}

uint32_t Dib_RowStride(int32_t bitsPerPixel, int64_t width) {
    if (bitsPerPixel <= 0 || bitsPerPixel > 32 || width <= 0 || width > 0x1FFFFFFE) return 0;
    return uint32_t((uint64_t(bitsPerPixel) * uint64_t(width) + 31) / 32 * 4);
}

uint32_t Dib_GetHeaderFields(const void *packed, DibFields *out) {
    DibFields f{};
    if (out) *out = f;
    if (packed == nullptr) return 0;
    const uint32_t size = Dib_IsKnownHeaderSize(ReadU32(packed));
    if (size == 0) return 0;
    f.headerSize = size;
    if (size == 12) {
        DibCoreHeader c;
        std::memcpy(&c, packed, sizeof c);
        f.kind = kDibKindCore;
        f.width = c.bcWidth;
        f.height = c.bcHeight;
        f.signedHeight = c.bcHeight;
        f.depth = c.bcBitCount;
        f.compression = kDibRgb;
        f.colours = f.depth <= 8 ? (1u << f.depth) : 0;
    } else {
        DibInfoHeader h;
        std::memcpy(&h, packed, sizeof h);
        f.kind = size == 40 ? kDibKindInfo : kDibKindLonger;
        f.width = h.biWidth;
        f.signedHeight = h.biHeight;
        f.height = h.biHeight == INT32_MIN ? INT32_MAX : (h.biHeight < 0 ? -h.biHeight : h.biHeight);
        f.depth = h.biBitCount;
        f.compression = h.biCompression;
        f.colours = h.biClrUsed;
        if (f.colours == 0 && f.depth >= 1 && f.depth <= 8) f.colours = 1u << f.depth;
    }
    if (out) *out = f;
    return size;
}

bool Dib_IsValidPacked(const void *packed) {
    DibFields f;
    if (Dib_GetHeaderFields(packed, &f) == 0) return false;
    if (f.width <= 0 || f.signedHeight == 0 || f.colours > 65536) return false;
    if (f.kind == kDibKindCore) return f.depth == 1 || f.depth == 4 || f.depth == 8 || f.depth == 24;
    return LegalDepthCompression(f.depth, f.compression);
}

uint32_t Dib_HeaderAndPaletteSize(const void *packed) {
    DibFields f;
    if (!Dib_IsValidPacked(packed)) return 0;
    Dib_GetHeaderFields(packed, &f);
    return TableOffset(f) + EntryBytes(f) * f.colours;
}

uint32_t Dib_CalcImageSizeWH(int32_t width, int32_t height, int32_t depth, uint32_t *high) {
    DibInfoHeader h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = uint16_t(depth);
    return Dib_CalcSize(&h, 0, 0, high);
}

uint32_t Dib_CalcSize(const void *packed, int addHeader, int addTable, uint32_t *high) {
    if (high) *high = 0;
    if (!Dib_IsValidPacked(packed)) return 0;
    DibFields f;
    Dib_GetHeaderFields(packed, &f);
    uint64_t total;
    if (f.compression == kDibRle8 || f.compression == kDibRle4) {
        total = ReadU32(static_cast<const uint8_t *>(packed) + 20);
    } else {
        const uint32_t stride = Dib_RowStride(f.depth, f.width);
        if (stride == 0) return 0;
        total = uint64_t(stride) * uint64_t(f.height);
    }
    if (addHeader) total += f.headerSize;
    if (addTable) total += (TableOffset(f) - f.headerSize) + uint64_t(EntryBytes(f)) * f.colours;
    if (high) {
        *high = uint32_t(total >> 32);
        return uint32_t(total);
    }
    return total > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(total);
}

bool Rect_ClipToImage(const SelRect *in, int32_t width, int32_t height, SelRect *out) {
    SelRect r = in ? *in : SelRect{0, 0, width, height};
    if (r.left > r.right) { const int32_t t = r.left; r.left = r.right; r.right = t; }
    if (r.top > r.bottom) { const int32_t t = r.top; r.top = r.bottom; r.bottom = t; }
    if (r.left < 0) r.left = 0;
    if (r.top < 0) r.top = 0;
    if (r.right > width) r.right = width;
    if (r.bottom > height) r.bottom = height;
    if (r.left >= width || r.top >= height || r.left >= r.right || r.top >= r.bottom) return false;
    if (out) *out = r;
    return true;
}

uint32_t Dib_GetColorTable(const void *packed, uint32_t availableBytes, const uint8_t **table,
                           const uint32_t **masks, uint32_t *count) {
    if (table) *table = nullptr;
    if (masks) *masks = nullptr;
    if (count) *count = 0;
    if (!Dib_IsValidPacked(packed)) return 0;
    DibFields f;
    Dib_GetHeaderFields(packed, &f);
    const uint8_t *base = static_cast<const uint8_t *>(packed);
    const uint32_t offset = TableOffset(f);
    uint32_t n = f.colours;
    if (availableBytes != 0) {
        const uint32_t room = availableBytes > offset ? (availableBytes - offset) / EntryBytes(f) : 0;
        if (n > room) n = room;
    }
    if (table) *table = n ? base + offset : nullptr;
    if (count) *count = n;
    if (masks && f.compression == kDibBitFields)
        *masks = reinterpret_cast<const uint32_t *>(base + (f.kind == kDibKindInfo ? 40 : 40));
    return (uint32_t(f.kind) << 16) | uint32_t(f.depth);
}

bool Dib_EffectiveMasks(const void *packed, uint32_t masks[3]) {
    DibFields f;
    if (!Dib_IsValidPacked(packed)) return false;
    Dib_GetHeaderFields(packed, &f);
    if (f.depth != 16 && f.depth != 32) return false;
    if (f.compression == kDibBitFields) {
        std::memcpy(masks, static_cast<const uint8_t *>(packed) + 40, 12);
    } else {
        std::memcpy(masks, kDibPresetMasks[f.depth == 16 ? 0 : 2], 12);
    }
    return true;
}

bool Dib_GetPaletteOrMasks(const void *packed, const DibRgbQuad **palette, uint32_t *count, uint32_t masks[3],
                           bool *hasMasks) {
    if (palette) *palette = nullptr;
    if (count) *count = 0;
    if (hasMasks) *hasMasks = false;
    DibFields f;
    if (!Dib_IsValidPacked(packed)) return false;
    Dib_GetHeaderFields(packed, &f);
    if (f.kind == kDibKindCore) return false;
    if (f.depth <= 8) {
        if (f.colours < 1 || f.colours > 65536) return false;
        if (palette) *palette = reinterpret_cast<const DibRgbQuad *>(static_cast<const uint8_t *>(packed) + TableOffset(f));
        if (count) *count = f.colours;
        return true;
    }
    uint32_t m[3];
    if (!Dib_EffectiveMasks(packed, m)) return true;  // 24 bits: neither
    if (f.depth == 32 && Dib_IsStandardMasks(2, m)) return true;
    if (masks) std::memcpy(masks, m, sizeof m);
    if (hasMasks) *hasMasks = true;
    return true;
}

bool Dib_IsStandardMasks(int presetIndex, const uint32_t masks[3]) {
    if (presetIndex < 0 || presetIndex > 2 || masks == nullptr) return false;
    return masks[0] == kDibPresetMasks[presetIndex][0] && masks[1] == kDibPresetMasks[presetIndex][1] &&
           masks[2] == kDibPresetMasks[presetIndex][2];
}

bool Dib_IsRleCompressed(const void *packed) {
    if (packed == nullptr) return false;
    DibFields f;
    if (Dib_GetHeaderFields(packed, &f) == 0 || f.kind == kDibKindCore) return false;
    return (f.depth == 8 && f.compression == kDibRle8) || (f.depth == 4 && f.compression == kDibRle4);
}

bool Dib_SameFormat(const void *a, const void *b, bool compareTables) {
    if (!Dib_IsValidPacked(a) || !Dib_IsValidPacked(b)) return false;
    DibFields fa, fb;
    Dib_GetHeaderFields(a, &fa);
    Dib_GetHeaderFields(b, &fb);
    if (fa.depth != fb.depth) return false;
    if (fa.depth <= 8) {
        if (fa.compression != fb.compression) return false;
        if (!compareTables) return true;
        if (fa.colours != fb.colours) return false;
        const uint8_t *ta = static_cast<const uint8_t *>(a) + TableOffset(fa);
        const uint8_t *tb = static_cast<const uint8_t *>(b) + TableOffset(fb);
        for (uint32_t i = 0; i < fa.colours; ++i)
            if (std::memcmp(ta + i * EntryBytes(fa), tb + i * EntryBytes(fb), 3) != 0) return false;
        return true;
    }
    if (fa.depth == 24) return fa.compression == kDibRgb && fb.compression == kDibRgb;
    uint32_t ma[3], mb[3];
    Dib_EffectiveMasks(a, ma);
    Dib_EffectiveMasks(b, mb);
    return std::memcmp(ma, mb, sizeof ma) == 0;
}

namespace {

inline uint32_t GetSubPixel(const uint8_t *row, int64_t x, int bpp) {
    if (bpp == 1) return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
}

inline void SetSubPixel(uint8_t *row, int64_t x, int bpp, uint32_t v) {
    if (bpp == 1) {
        const uint8_t bit = uint8_t(0x80u >> (x & 7));
        row[x >> 3] = v ? uint8_t(row[x >> 3] | bit) : uint8_t(row[x >> 3] & ~bit);
    } else if (x & 1) {
        row[x >> 1] = uint8_t((row[x >> 1] & 0xF0u) | (v & 0x0Fu));
    } else {
        row[x >> 1] = uint8_t((row[x >> 1] & 0x0Fu) | ((v & 0x0Fu) << 4));
    }
}

// One row span; sub-byte depths go pixel by pixel so the destination's bits
// outside the span stay as they are.
void CopySpan(uint8_t *dst, int64_t dx, const uint8_t *src, int64_t sx, int64_t w, int bpp) {
    if (bpp >= 8) {
        const int64_t bytes = bpp / 8;
        std::memmove(dst + dx * bytes, src + sx * bytes, size_t(w * bytes));
        return;
    }
    if (bpp == 4 && ((dx ^ sx) & 1) == 0) {
        // Same nibble phase: edges by nibble, the middle by bytes.
        int64_t i = 0;
        if (dx & 1) { SetSubPixel(dst, dx, 4, GetSubPixel(src, sx, 4)); i = 1; }
        const int64_t whole = (w - i) / 2;
        std::memmove(dst + (dx + i) / 2, src + (sx + i) / 2, size_t(whole));
        for (i += whole * 2; i < w; ++i) SetSubPixel(dst, dx + i, 4, GetSubPixel(src, sx + i, 4));
        return;
    }
    for (int64_t i = 0; i < w; ++i) SetSubPixel(dst, dx + i, bpp, GetSubPixel(src, sx + i, bpp));
}

struct FreeOnExit {
    void *p;
    ~FreeOnExit() { std::free(p); }
};

}  // namespace

bool Dib_CopyRect(void *dstHeader, uint8_t *dstBits, int32_t x, int32_t y, int32_t w, int32_t h,
                  const void *srcHeader, const uint8_t *srcBits, int32_t sx, int32_t sy) {
    if (dstBits == nullptr || srcBits == nullptr) return false;
    if (!Dib_IsValidPacked(dstHeader) || !Dib_IsValidPacked(srcHeader)) return false;
    DibFields d, s;
    Dib_GetHeaderFields(dstHeader, &d);
    Dib_GetHeaderFields(srcHeader, &s);
    if ((d.compression != kDibRgb && d.compression != kDibBitFields) ||
        (s.compression != kDibRgb && s.compression != kDibBitFields))
        return false;
    if (!Dib_SameFormat(dstHeader, srcHeader, false)) return false;
    int64_t X = x, Y = y, W = w < 0 ? -int64_t{w} : w, H = h < 0 ? -int64_t{h} : h, SX = sx, SY = sy;
    if (X < 0) { SX -= X; W += X; X = 0; }
    if (Y < 0) { SY -= Y; H += Y; Y = 0; }
    if (SX < 0) { X -= SX; W += SX; SX = 0; }
    if (SY < 0) { Y -= SY; H += SY; SY = 0; }
    if (W > d.width - X) W = d.width - X;
    if (H > d.height - Y) H = d.height - Y;
    if (W > s.width - SX) W = s.width - SX;
    if (H > s.height - SY) H = s.height - SY;
    if (W <= 0 || H <= 0) return false;
    const int bpp = d.depth;
    const uint32_t dStride = Dib_RowStride(bpp, d.width), sStride = Dib_RowStride(bpp, s.width);
    if (dStride == 0 || sStride == 0) return false;

    const bool sameBits = dstBits == srcBits;
    const bool overlap = sameBits && X < SX + W && SX < X + W && Y < SY + H && SY < Y + H;
    if (overlap) {
        const uint32_t tStride = Dib_RowStride(bpp, W);
        const uint64_t bytes = uint64_t(tStride) * uint64_t(H);
        FreeOnExit temp{std::malloc(size_t(bytes))};
        if (temp.p == nullptr) return false;
        uint8_t *t = static_cast<uint8_t *>(temp.p);
        for (int64_t r = 0; r < H; ++r)
            CopySpan(t + uint64_t(r) * tStride, 0, Dib_RowFromTop(const_cast<uint8_t *>(srcBits), sStride, s.signedHeight, int32_t(SY + r)), SX, W, bpp);
        for (int64_t r = 0; r < H; ++r)
            CopySpan(Dib_RowFromTop(dstBits, dStride, d.signedHeight, int32_t(Y + r)), X, t + uint64_t(r) * tStride, 0, W, bpp);
        return true;
    }
    for (int64_t r = 0; r < H; ++r)
        CopySpan(Dib_RowFromTop(dstBits, dStride, d.signedHeight, int32_t(Y + r)), X,
                 Dib_RowFromTop(const_cast<uint8_t *>(srcBits), sStride, s.signedHeight, int32_t(SY + r)), SX, W, bpp);
    return true;
}

bool Dib_NormalizeBits(void *packed, uint8_t *bits) {
    if (bits == nullptr || !Dib_IsValidPacked(packed)) return false;
    DibFields f;
    Dib_GetHeaderFields(packed, &f);
    uint8_t *base = static_cast<uint8_t *>(packed);
    if (f.kind != kDibKindCore && f.depth <= 8)
        for (uint32_t i = 0; i < f.colours; ++i) base[TableOffset(f) + i * 4 + 3] = 0;
    if (f.compression == kDibRle8 || f.compression == kDibRle4) return true;
    const uint32_t stride = Dib_RowStride(f.depth, f.width);
    const uint64_t usedBits = uint64_t(f.depth) * uint64_t(f.width);
    const uint32_t usedBytes = uint32_t((usedBits + 7) / 8);
    uint32_t andMask = 0xFFFFFFFFu;
    bool opaque32 = false;
    if (f.depth == 16 || f.depth == 32) {
        uint32_t m[4] = {0, 0, 0, 0};
        Dib_EffectiveMasks(packed, m);
        if (f.compression == kDibBitFields && f.headerSize >= 56) std::memcpy(&m[3], base + 52, 4);
        const uint32_t all = m[0] | m[1] | m[2] | m[3];
        if (f.depth == 32 && f.compression == kDibRgb) opaque32 = true;
        else andMask = f.depth == 16 ? (all | 0xFFFF0000u) : all;
    }
    for (int32_t y = 0; y < f.height; ++y) {
        uint8_t *row = bits + uint64_t(y) * stride;
        if (f.depth < 8 && (usedBits & 7) != 0) row[usedBytes - 1] &= uint8_t(0xFF00u >> (usedBits & 7));
        std::memset(row + usedBytes, 0, stride - usedBytes);
        if (opaque32) {
            for (int32_t i = 0; i < f.width; ++i) row[i * 4 + 3] = 0xFF;
        } else if (f.depth == 16 && andMask != 0xFFFFFFFFu) {
            for (int32_t i = 0; i < f.width; ++i) {
                uint16_t v;
                std::memcpy(&v, row + i * 2, 2);
                v = uint16_t(v & andMask);
                std::memcpy(row + i * 2, &v, 2);
            }
        } else if (f.depth == 32 && andMask != 0xFFFFFFFFu) {
            for (int32_t i = 0; i < f.width; ++i) {
                uint32_t v;
                std::memcpy(&v, row + i * 4, 4);
                v &= andMask;
                std::memcpy(row + i * 4, &v, 4);
            }
        }
    }
    return true;
}
