// The XOR masks: plain XOR of the pixel bytes, negative and XOR 0x80 per
// channel, and the rainbow bands. XOR is its own inverse, so each mask undoes
// itself when applied again with the same arguments.
#include <cstdlib>

#include "image/qv_DibApi.h"
#include "image/qv_DibOps.h"
#include "image/qv_Mask.h"
#include "image/qv_MaskRows.h"
#include "image/qv_PixelValue.h"

namespace {

// 24 bytes hold a whole number of pixels of 1, 2, 3 or 4 bytes and of 8-byte
// words, so a row is XORed a word at a time against a repeating pattern.
constexpr int kPatternBytes = 24;

void XorSpan(uint8_t *p, int64_t bytes, const uint8_t (&pattern)[kPatternBytes]) {
    uint64_t w[3];
    std::memcpy(w, pattern, sizeof w);
    int64_t i = 0;
    for (; i + kPatternBytes <= bytes; i += kPatternBytes)
        for (int k = 0; k < 3; ++k) {
            uint64_t v;
            std::memcpy(&v, p + i + 8 * k, 8);
            v ^= w[k];
            std::memcpy(p + i + 8 * k, &v, 8);
        }
    for (int k = 0; i < bytes; ++i, ++k) p[i] ^= pattern[k];
}

// B, G, R bytes of every colour-table entry; core tables (3-byte entries)
// are refused.
bool XorColourTable(DibData *d, uint32_t value) {
    uint8_t *e = nullptr;
    uint32_t count = 0;
    if (!DibRows_WholeTable(d, &e, &count)) return false;
    for (uint32_t i = 0; i < count; ++i, e += 4)
        for (int c = 0; c < 3; ++c) e[c] ^= uint8_t(value >> (8 * c));
    return true;
}

bool ChannelFields(const DibData *d, ChannelMasks *m) {
    uint32_t masks[3];
    if (!Dib_EffectiveMasks(d->header, masks)) return false;
    DibFields f;
    Dib_GetHeaderFields(d->header, &f);
    ChannelMasks_Set(f.depth, masks, m);
    return true;
}

// 0xFF (or `byte`) in byte 2 for red, 1 for green, 0 for blue.
uint32_t ByteChannels(uint32_t byte, int red, int green, int blue) {
    return (red ? byte << 16 : 0u) | (green ? byte << 8 : 0u) | (blue ? byte : 0u);
}

}  // namespace

int Dib_XorRect(DibHandle picture, const SelRect *rect, uint32_t value) {
    int32_t width = 0, height = 0;
    DibData *d = nullptr;
    int32_t depth = Dib_GetInfo(picture, &width, &d, &height, 1);
    SelRect r;
    if (depth == 0 || !Rect_ClipToImage(rect, width, height, &r)) return 0;
    if (depth <= 8) {
        const bool whole = r.left == 0 && r.top == 0 && r.right == width && r.bottom == height;
        if (whole) return XorColourTable(d, value) ? 1 : 0;
        if (!Dibcore_DIBto24Bit(picture)) return 0;
        d = Dibcore_DataDIB(picture);  // the conversion moved the storage
        depth = 24;
    }
    DibRows rows;
    if (!DibRows_Open(d, &rows) || rows.fields.depth != depth || rows.fields.width != width || rows.fields.height != height)
        return 0;
    const int bytes = depth / 8;
    uint8_t pattern[kPatternBytes];
    for (int i = 0; i < kPatternBytes; ++i) pattern[i] = uint8_t(value >> (8 * (i % bytes)));
    const int64_t span = (int64_t(r.right) - r.left) * bytes;
    for (int32_t y = r.top; y < r.bottom; ++y) XorSpan(rows.Row(y) + int64_t(r.left) * bytes, span, pattern);
    return 1;
}

int Mask_Negative(DibHandle picture, const SelRect *rect, int red, int green, int blue) {
    DibData *d = nullptr;
    const int32_t depth = Dib_GetInfo(picture, nullptr, &d, nullptr, 1);
    uint32_t value;
    switch (depth) {
    case 1: case 4: case 8: case 24: value = ByteChannels(0xFF, red, green, blue); break;
    case 16: case 32: {
        // Full intensity narrows to all ones in each chosen field.
        const uint32_t colour = (red ? 0xFFu : 0u) | (green ? 0xFF00u : 0u) | (blue ? 0xFF0000u : 0u);
        value = Dib_ColourToPixel(d->header, d->headerSize, colour);
        break;
    }
    default: return 0;
    }
    return Dib_XorRect(picture, rect, value);
}

int Mask_Xor80(DibHandle picture, const SelRect *rect, int red, int green, int blue) {
    DibData *d = nullptr;
    const int32_t depth = Dib_GetInfo(picture, nullptr, &d, nullptr, 1);
    uint32_t value = 0;
    switch (depth) {
    case 1: case 4: case 8: case 24: value = ByteChannels(0x80, red, green, blue); break;
    case 16: case 32: {
        // The top bit of each field (plain 32 bits: bits 23, 15 and 7).
        ChannelMasks m;
        if (!ChannelFields(d, &m)) return 0;
        const int chosen[3] = {red, green, blue};
        for (int i = 0; i < 3; ++i)
            if (chosen[i] && m.width[i] > 0) value |= 1u << (m.shift[i] + m.width[i] - 1);
        break;
    }
    default: return 0;
    }
    return Dib_XorRect(picture, rect, value);
}

void Mask_RainbowCell(int64_t r, int64_t k, int32_t band, uint8_t out[3]) {
    const int64_t m = band < 9 ? 1 : band / 8;
    const int64_t p = ((r + k) * band) / m;
    const int64_t q = p % 48, q2 = (p + 16) % 48;
    auto level = [](int64_t t) {
        const int64_t v = 32 * (16 - (t < 0 ? -t : t));
        return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    };
    out[0] = level(q - 32);   // blue
    out[1] = level(q - 16);   // green
    out[2] = level(q2 - 16);  // red
}

int Mask_Rainbow(DibHandle picture, const SelRect *rect, int32_t band) {
    if (band <= 0) return 0;
    int32_t width = 0, height = 0;
    int32_t depth = Dib_GetInfo(picture, &width, nullptr, &height, 1);
    SelRect r;
    if (depth == 0 || !Rect_ClipToImage(rect, width, height, &r)) return 0;
    if (depth != 24 && !Dibcore_DIBto24Bit(picture)) return 0;
    DibRows rows;  // fetched after the conversion, which moves the storage
    if (!DibRows_Open(Dibcore_DataDIB(picture), &rows) || rows.fields.depth != 24 || rows.fields.width != width ||
        rows.fields.height != height)
        return 0;
    const int64_t across = (int64_t(r.right) - r.left) / band, down = (int64_t(r.bottom) - r.top) / band;
    for (int64_t cr = 0; cr < down; ++cr)
        for (int32_t y = int32_t(r.top + cr * band), end = y + band; y < end; ++y) {
            uint8_t *p = rows.Row(y) + int64_t(r.left) * 3;
            for (int64_t k = 0; k < across; ++k) {
                uint8_t bgr[3];
                Mask_RainbowCell(cr, k, band, bgr);
                for (int32_t x = 0; x < band; ++x, p += 3) {
                    p[0] ^= bgr[0];
                    p[1] ^= bgr[1];
                    p[2] ^= bgr[2];
                }
            }
        }
    return 1;
}
