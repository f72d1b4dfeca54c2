// Png_Decode and Png_Info: header chunks, then the image data row by row into
// the picture (and the alpha picture).
#include <algorithm>
#include <cstring>

#include "png_adam7.h"
#include "png_chunks.h"
#include "png_codec.h"
#include "png_rows.h"
#include "png_unpack.h"

namespace dibcore {

namespace {

int OutBitsFor(const PngHeader &h) {
    switch (h.colourType) {
        case kPngPalette:
            return h.depth == 2 ? 4 : h.depth;
        case kPngGrey:
            return h.depth == 1 ? 1 : 8;
        case kPngGreyAlpha:
            return 8;
        default:
            return 24;
    }
}

void GreyRamp(DibRgbQuad *table) {
    for (int i = 0; i < 256; ++i) table[i] = DibRgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
}

Picture *NewColourPicture(const PngHeader &h, int outBits) {
    DibRgbQuad table[256];
    uint32_t colours = 0;
    if (h.colourType == kPngPalette) {
        std::memcpy(table, h.palette, sizeof table);
        colours = h.paletteCount;
    } else if (outBits == 1) {
        table[0] = DibRgbQuad{0, 0, 0, 0};
        table[1] = DibRgbQuad{255, 255, 255, 0};
        colours = 2;
    } else if (outBits == 8) {
        GreyRamp(table);
        colours = 256;
    }
    Picture *p = NewSimplePicture(int32_t(h.width), int32_t(h.height), outBits, colours, colours ? table : nullptr);
    if (p != nullptr) {
        p->data.header->biXPelsPerMeter = h.pelsPerMeterX;
        p->data.header->biYPelsPerMeter = h.pelsPerMeterY;
    }
    return p;
}

Picture *NewAlphaPicture(const PngHeader &h) {
    DibRgbQuad table[256];
    GreyRamp(table);
    return NewSimplePicture(int32_t(h.width), int32_t(h.height), 8, 256, table);
}

// Highest palette index in an unfiltered palette row.
uint32_t RowMaxIndex(const uint8_t *raw, int depth, uint32_t n) {
    unsigned top = 0;
    if (depth == 8) {
        for (uint32_t i = 0; i < n; ++i) top = raw[i] > top ? raw[i] : top;
        return top;
    }
    const unsigned mask = (1u << depth) - 1;
    for (uint32_t i = 0; i < n; ++i) {
        const size_t bit = size_t(i) * depth;
        const unsigned v = (raw[bit >> 3] >> (8 - depth - (bit & 7))) & mask;
        top = v > top ? v : top;
    }
    return top;
}

// Indexes past a short PLTE would read beyond the colour table: grow the
// table (with black) so that every index names an entry, keeping the pixels.
bool CoverIndexes(PictureOwner *picture, uint32_t top) {
    Picture &p = *picture->get();
    const DibInfoHeader &h = *p.data.header;
    const uint32_t colours = TableBytes(h) / 4;
    if (top < colours) return true;
    DibRgbQuad table[256] = {};
    std::memcpy(table, PaletteOf(p), colours * 4);
    Picture *grown = NewSimplePicture(h.biWidth, h.biHeight, h.biBitCount, top + 1, table);
    if (grown == nullptr) return false;
    grown->data.header->biXPelsPerMeter = h.biXPelsPerMeter;
    grown->data.header->biYPelsPerMeter = h.biYPelsPerMeter;
    std::memcpy(grown->data.bits, p.data.bits, p.data.bitsSize);
    picture->Reset(grown);
    return true;
}

// Decodes the rows; the number of rows (or pass rows) that arrived.
uint64_t DecodeRows(const PngHeader &h, PngRowStream *rows, const PngUnpackLayout &layout, Picture *picture,
                    Picture *alpha, uint8_t *units, uint8_t *alphaUnits, uint32_t *maxIndex) {
    // Palette rows are checked for indexes past a short PLTE.
    const bool checkIndexes = h.colourType == kPngPalette && h.paletteCount < (1u << h.depth);
    const int filterBpp = h.bitsPerPixel >= 8 ? h.bitsPerPixel / 8 : 1;
    uint64_t arrived = 0;
    if (!h.interlaced) {
        rows->Begin(size_t(PngRowBytes(h.width, h.bitsPerPixel)), h.height, filterBpp);
        for (uint32_t y = 0; y < h.height; ++y) {
            const uint8_t *raw = rows->Next();
            if (raw == nullptr) break;
            if (checkIndexes) *maxIndex = std::max(*maxIndex, RowMaxIndex(raw, h.depth, h.width));
            if (picture != nullptr) {
                PngStoreRow(layout, raw, h.width, RowFromTop(*picture, y), alpha ? RowFromTop(*alpha, y) : nullptr);
            } else {
                PngUnpackRow(layout, raw, h.width, units, RowFromTop(*alpha, y));
            }
            ++arrived;
        }
        return arrived;
    }
    for (const PngPass &pass : kAdam7) {
        const uint32_t pw = PngPassSize(h.width, pass.x0, pass.dx);
        const uint32_t ph = PngPassSize(h.height, pass.y0, pass.dy);
        if (pw == 0 || ph == 0) continue;
        rows->Begin(size_t(PngRowBytes(pw, h.bitsPerPixel)), ph, filterBpp);
        for (uint32_t j = 0; j < ph; ++j) {
            const uint8_t *raw = rows->Next();
            if (raw == nullptr) return arrived;
            if (checkIndexes) *maxIndex = std::max(*maxIndex, RowMaxIndex(raw, h.depth, pw));
            const uint32_t y = pass.y0 + j * pass.dy;
            PngUnpackRow(layout, raw, pw, units, alpha ? alphaUnits : nullptr);
            if (picture != nullptr) PngScatterUnits(units, pw, layout.outBits, pass.x0, pass.dx, RowFromTop(*picture, y));
            if (alpha != nullptr) PngScatterUnits(alphaUnits, pw, 8, pass.x0, pass.dx, RowFromTop(*alpha, y));
            ++arrived;
        }
    }
    return arrived;
}

inline uint8_t To8(uint16_t v, int depth) {
    switch (depth) {
        case 1:
            return v ? 255 : 0;
        case 2:
            return uint8_t(v * 85);
        case 4:
            return uint8_t(v * 17);
        case 16:
            return uint8_t((v + 128u) / 257u);
        default:
            return uint8_t(v);
    }
}

inline uint32_t ColourRef(uint8_t r, uint8_t g, uint8_t b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; }

}  // namespace

int Png_Decode(const void *data, size_t size, Picture **picture, Picture **alpha) {
    if (picture) *picture = nullptr;
    if (alpha) *alpha = nullptr;
    PngHeader h;
    size_t idatPos = 0;
    const int header = PngReadHeader(static_cast<const uint8_t *>(data), size, &h, &idatPos);
    if (header != 0) return header;

    const bool fileHasAlpha = h.colourType == kPngGreyAlpha || h.colourType == kPngRgba;
    const bool wantAlpha = alpha != nullptr && fileHasAlpha;
    if (picture == nullptr && !wantAlpha) return kPngOk;

    const PngUnpackLayout layout{h.colourType, h.depth, OutBitsFor(h)};
    PictureOwner colour(picture ? NewColourPicture(h, layout.outBits) : nullptr);
    PictureOwner alphaPicture(wantAlpha ? NewAlphaPicture(h) : nullptr);
    if ((picture && !colour) || (wantAlpha && !alphaPicture)) return kPngFailed;

    // Row-sized scratch for Adam7 passes and for alpha-only decoding.
    const size_t maxRowBytes = size_t(PngRowBytes(h.width, h.bitsPerPixel));
    PngHeapBytes units, alphaUnits;
    if (!units.Alloc(size_t(h.width) * 3) || !alphaUnits.Alloc(h.width)) return kPngFailed;

    PngIdatInflater source(static_cast<const uint8_t *>(data), size, idatPos);
    PngRowStream rows(&source);
    if (!source.Init() || !rows.Alloc(maxRowBytes)) return kPngFailed;

    uint32_t maxIndex = 0;
    const uint64_t arrived = DecodeRows(h, &rows, layout, colour.get(), alphaPicture.get(), units.get(),
                                        alphaUnits.get(), &maxIndex);
    if (arrived == 0 || source.crcFailed()) return kPngFailed;
    if (colour && h.colourType == kPngPalette && !CoverIndexes(&colour, maxIndex)) return kPngFailed;

    if (picture) *picture = colour.Take();
    if (alpha) *alpha = alphaPicture.Take();
    return kPngOk;
}

int Png_Info(const void *data, size_t size, PngInfo *info, PngAlphaTable *table) {
    if (info == nullptr) return kPngFailed;
    std::memset(info, 0, sizeof *info);
    PngHeader h;
    size_t idatPos = 0;
    const int header = PngReadHeader(static_cast<const uint8_t *>(data), size, &h, &idatPos);
    if (header != 0) {
        if (table) table->count = 0;
        return header;
    }

    if (h.colourType == kPngPalette && h.alphaCount > 0) {
        if (table) {
            std::memcpy(table->alpha, h.alpha, h.alphaCount);
            table->count = int32_t(h.alphaCount);
        }
        // Without the table the caller can still clear the most transparent
        // entry.
        uint32_t lowest = 0;
        for (uint32_t i = 1; i < h.alphaCount; ++i)
            if (h.alpha[i] < h.alpha[lowest]) lowest = i;
        if (h.alpha[lowest] < 255) {
            info->flags |= kPngInfoTransparency | kPngInfoReplaceOne;
            info->transparent = lowest;
        }
    } else if (h.hasKey && h.colourType == kPngGrey) {
        // The grey picture's index is its level (0/1 for 1-bit pictures).
        info->flags |= kPngInfoTransparency | kPngInfoReplaceOne;
        info->transparent = h.depth == 1 ? h.key[0] : To8(h.key[0], h.depth);
    } else if (h.hasKey && h.colourType == kPngRgb) {
        info->flags |= kPngInfoTransparency;
        info->transparent = ColourRef(To8(h.key[0], h.depth), To8(h.key[1], h.depth), To8(h.key[2], h.depth));
    }

    if (h.hasBackground) {
        info->flags |= kPngInfoBackground;
        if (h.colourType == kPngPalette) {
            info->flags |= kPngInfoBackgroundIndex;
            info->background = h.background[0];
        } else {
            info->background = ColourRef(To8(h.background[0], h.depth), To8(h.background[1], h.depth),
                                         To8(h.background[2], h.depth));
        }
    }
    return kPngOk;
}

}  // namespace dibcore
