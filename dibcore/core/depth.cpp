// Conversions to 24 and 16 bits, and the row reader every conversion shares.
#include <cstring>
#include <vector>

#include "pixel_layout.h"
#include "storage.h"
#include "transform.h"

namespace dibcore {

namespace {

constexpr uint32_t kMask555[3] = {0x7C00, 0x03E0, 0x001F};

// Ordered 4x4 dither thresholds spread over 0..254 around the rounding bias
// of 127, so a flat area averages to its true colour.
constexpr uint8_t kBayer4[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

void CopyResolution(const Picture &from, Picture *to) {
    to->data.header->biXPelsPerMeter = from.data.header->biXPelsPerMeter;
    to->data.header->biYPelsPerMeter = from.data.header->biYPelsPerMeter;
}

bool MasksUsable(const uint32_t *m) {
    uint32_t seen = 0;
    for (int i = 0; i < 3; ++i) {
        if (m[i] == 0 || m[i] > 0xFFFF || (m[i] & seen)) return false;
        const MaskField f = FieldOf(m[i]);
        if ((((f.width >= 32 ? 0 : (1u << f.width)) - 1) << f.shift) != m[i]) return false;  // not one run
        seen |= m[i];
    }
    return true;
}

}  // namespace

void RowToBgr(const PixelLayout &l, const DibRgbQuad *pal, const uint8_t *s, uint8_t *d) {
    const int64_t w = l.width;
    switch (l.bpp) {
        case 1:
        case 4:
        case 8:
            for (int64_t x = 0; x < w; ++x, d += 3) {
                const DibRgbQuad &q = pal[l.bpp == 8 ? s[x] : IndexAt(s, x, l.bpp)];
                d[0] = q.blue;
                d[1] = q.green;
                d[2] = q.red;
            }
            break;
        case 16:
            for (int64_t x = 0; x < w; ++x, d += 3) {
                const uint32_t v = s[2 * x] | (uint32_t{s[2 * x + 1]} << 8);
                d[0] = ReadField(v, l.field[2]);
                d[1] = ReadField(v, l.field[1]);
                d[2] = ReadField(v, l.field[0]);
            }
            break;
        case 24:
            std::memcpy(d, s, static_cast<size_t>(w * 3));
            break;
        default:
            if (l.plain32) {
                for (int64_t x = 0; x < w; ++x, d += 3, s += 4) {
                    d[0] = s[0];
                    d[1] = s[1];
                    d[2] = s[2];
                }
            } else {
                for (int64_t x = 0; x < w; ++x, d += 3) {
                    uint32_t v;
                    std::memcpy(&v, s + 4 * x, 4);
                    d[0] = ReadField(v, l.field[2]);
                    d[1] = ReadField(v, l.field[1]);
                    d[2] = ReadField(v, l.field[0]);
                }
            }
            break;
    }
}

Picture *DibTo24(const Picture &source) {
    PictureOwner temp;
    const Picture *srcp = Uncompressed(source, &temp);
    PixelLayout l;
    if (srcp == nullptr || !ReadLayout(*srcp, &l)) return nullptr;
    if (l.bpp == 24) return ClonePicture(*srcp);
    Picture *out = NewSimplePicture(l.width, l.topDown ? -l.height : l.height, 24, 0, nullptr);
    if (out == nullptr) return nullptr;
    CopyResolution(*srcp, out);
    DibRgbQuad pal[256];
    FullPalette(l, pal);
    PixelLayout o;
    ReadLayout(*out, &o);
    // Same row order on both sides: memory rows map one to one.
    for (int64_t y = 0; y < l.height; ++y)
        RowToBgr(l, pal, srcp->data.bits + y * l.stride, out->data.bits + y * o.stride);
    return out;
}

Picture *DibTo16(const Picture &source, const uint32_t *masks, int32_t mode) {
    if (masks != nullptr && !MasksUsable(masks)) return nullptr;
    PictureOwner temp;
    const Picture *srcp = Uncompressed(source, &temp);
    PixelLayout l;
    if (srcp == nullptr || !ReadLayout(*srcp, &l)) return nullptr;
    const uint32_t *m = masks ? masks : kMask555;
    if (l.bpp == 16 && (masks == nullptr) == (l.compression == kDibRgb) && l.masks[0] == m[0] &&
        l.masks[1] == m[1] && l.masks[2] == m[2])
        return ClonePicture(*srcp);
    Picture *out = NewSimplePicture(l.width, l.topDown ? -l.height : l.height, 16, 0, nullptr, masks);
    if (out == nullptr) return nullptr;
    CopyResolution(*srcp, out);
    DibRgbQuad pal[256];
    FullPalette(l, pal);
    PixelLayout o;
    ReadLayout(*out, &o);
    const bool dither = WantsDither(mode);
    MaskField f[3];
    for (int i = 0; i < 3; ++i) f[i] = FieldOf(m[i]);
    std::vector<uint8_t> bgr(static_cast<size_t>(l.width) * 3);
    for (int64_t y = 0; y < l.height; ++y) {
        // Dither by position from the top so the pattern looks the same in
        // either row order.
        const uint8_t *srow = LayoutRow(l, srcp->data.bits, y);
        uint8_t *d = LayoutRow(o, out->data.bits, y);
        RowToBgr(l, pal, srow, bgr.data());
        const uint8_t *b = bgr.data();
        for (int64_t x = 0; x < l.width; ++x, b += 3, d += 2) {
            const uint32_t bias = dither ? kBayer4[y & 3][x & 3] * 16u + 7u : 127u;
            const uint32_t v = (NarrowChannel(b[2], f[0].width, bias) << f[0].shift) |
                               (NarrowChannel(b[1], f[1].width, bias) << f[1].shift) |
                               (NarrowChannel(b[0], f[2].width, bias) << f[2].shift);
            d[0] = static_cast<uint8_t>(v);
            d[1] = static_cast<uint8_t>(v >> 8);
        }
    }
    return out;
}

}  // namespace dibcore
