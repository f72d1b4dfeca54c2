#include "pixel_layout.h"

#include <cstring>

namespace dibcore {

namespace {

// (v * 255 + (2^w - 1) / 2) / (2^w - 1) for every v of every width below 8.
struct ExpandTables {
    uint8_t t[8][128];
    ExpandTables() {
        std::memset(t, 0, sizeof t);
        for (uint32_t w = 1; w < 8; ++w) {
            const uint32_t top = (1u << w) - 1;
            for (uint32_t v = 0; v <= top; ++v) t[w][v] = static_cast<uint8_t>((v * 255 + top / 2) / top);
        }
    }
};
const ExpandTables kTables;

uint32_t LoadU32(const uint8_t *p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

}  // namespace

const uint8_t *const kExpandTables[8] = {kTables.t[0], kTables.t[1], kTables.t[2], kTables.t[3],
                                         kTables.t[4], kTables.t[5], kTables.t[6], kTables.t[7]};

MaskField FieldOf(uint32_t mask) {
    MaskField f;
    if (mask == 0) return f;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++f.shift;
    }
    while (f.shift + f.width < 32 && (mask & 1u)) {
        mask >>= 1;
        ++f.width;
    }
    return f;
}

void MasksOf(const DibInfoHeader &h, const uint8_t *afterHeader, uint32_t masks[4]) {
    masks[3] = 0;
    if (h.biCompression == kDibBitFields && (h.biBitCount == 16 || h.biBitCount == 32)) {
        const uint8_t *m = h.biSize >= 52 ? reinterpret_cast<const uint8_t *>(&h) + 40 : afterHeader;
        for (int i = 0; i < 3; ++i) masks[i] = LoadU32(m + 4 * i);
        if (h.biSize >= 56) masks[3] = LoadU32(m + 12);
        return;
    }
    if (h.biBitCount == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else {
        masks[0] = 0xFF0000;
        masks[1] = 0x00FF00;
        masks[2] = 0x0000FF;
    }
}

bool ReadLayout(const Picture &p, PixelLayout *out) {
    const DibInfoHeader &h = *p.data.header;
    PixelLayout l;
    l.width = h.biWidth;
    l.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    l.topDown = h.biHeight < 0;
    l.bpp = h.biBitCount;
    l.compression = h.biCompression;
    if (l.width <= 0 || l.height <= 0) return false;
    switch (l.bpp) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: return false;
    }
    const bool ok = l.compression == kDibRgb || (l.compression == kDibRle8 && l.bpp == 8) ||
                    (l.compression == kDibRle4 && l.bpp == 4) ||
                    (l.compression == kDibBitFields && (l.bpp == 16 || l.bpp == 32));
    if (!ok) return false;
    l.stride = RowStride(l.width, l.bpp);
    const uint8_t *after = reinterpret_cast<const uint8_t *>(p.data.header) + h.biSize;
    if (l.bpp <= 8) {
        l.palette = reinterpret_cast<const DibRgbQuad *>(after);
        const uint32_t tableBytes = p.data.headerSize > h.biSize ? p.data.headerSize - h.biSize : 0;
        l.colours = tableBytes / 4;
        if (l.colours > (1u << l.bpp)) l.colours = 1u << l.bpp;
    } else if (l.bpp != 24) {
        MasksOf(h, after, l.masks);
        l.plain32 = l.bpp == 32 && l.masks[0] == 0xFF0000 && l.masks[1] == 0xFF00 && l.masks[2] == 0xFF;
        const uint32_t keep = l.bpp == 16 ? 0xFFFFu : 0xFFFFFFFFu;
        for (int i = 0; i < 3; ++i) l.field[i] = FieldOf(l.masks[i] & keep);
    }
    *out = l;
    return true;
}

void FullPalette(const PixelLayout &l, DibRgbQuad out[256]) {
    std::memset(out, 0, 256 * sizeof(DibRgbQuad));
    if (l.palette != nullptr && l.colours != 0) std::memcpy(out, l.palette, l.colours * sizeof(DibRgbQuad));
}

}  // namespace dibcore
