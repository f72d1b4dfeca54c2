// Helpers shared by the PNG tests: building PNG files chunk by chunk, and
// reading pixels of decoded pictures.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "crc32.h"
#include "dib_png.h"
#include "picture.h"

namespace pngtest {

using Bytes = std::vector<uint8_t>;

inline void PutU32(Bytes *b, uint32_t v) {
    b->push_back(uint8_t(v >> 24));
    b->push_back(uint8_t(v >> 16));
    b->push_back(uint8_t(v >> 8));
    b->push_back(uint8_t(v));
}

inline void AddChunk(Bytes *png, const char *type, const Bytes &body, bool goodCrc = true) {
    PutU32(png, uint32_t(body.size()));
    const size_t at = png->size();
    png->insert(png->end(), type, type + 4);
    png->insert(png->end(), body.begin(), body.end());
    uint32_t crc = dibcore::Crc32_Update(0, png->data() + at, 4 + body.size());
    PutU32(png, goodCrc ? crc : crc ^ 1);
}

inline Bytes Ihdr(uint32_t w, uint32_t h, int depth, int colourType, int interlace = 0) {
    Bytes b;
    PutU32(&b, w);
    PutU32(&b, h);
    b.push_back(uint8_t(depth));
    b.push_back(uint8_t(colourType));
    b.push_back(0);
    b.push_back(0);
    b.push_back(uint8_t(interlace));
    return b;
}

inline Bytes Deflate(const Bytes &raw) {
    uLongf n = compressBound(uLong(raw.size()));
    Bytes out(n);
    compress2(out.data(), &n, raw.data(), uLong(raw.size()), 6);
    out.resize(n);
    return out;
}

inline Bytes Signature() { return Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}; }

// A PNG with the given header, extra chunks before the image data and
// scanlines (each with its filter byte).
struct Extra {
    const char *type;
    Bytes body;
};
inline Bytes MakePng(const Bytes &ihdr, const std::vector<Extra> &extras, const Bytes &scanlines) {
    Bytes png = Signature();
    AddChunk(&png, "IHDR", ihdr);
    for (const Extra &e : extras) AddChunk(&png, e.type, e.body);
    AddChunk(&png, "IDAT", Deflate(scanlines));
    AddChunk(&png, "IEND", {});
    return png;
}

inline Bytes ReadFile(const std::string &path) {
    Bytes b;
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return b;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) b.insert(b.end(), buf, buf + n);
    std::fclose(f);
    return b;
}

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb &o) const { return r == o.r && g == o.g && b == o.b; }
};

// Raw pixel value (palette index or packed BGR) at x, y from the top.
inline uint32_t RawPixel(const dibcore::Picture &p, uint32_t x, uint32_t y) {
    const uint8_t *row = dibcore::RowFromTop(p, y);
    switch (p.data.header->biBitCount) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4:
            return (x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4;
        case 8:
            return row[x];
        case 24:
            return uint32_t(row[3 * x]) | uint32_t(row[3 * x + 1]) << 8 | uint32_t(row[3 * x + 2]) << 16;
        default:
            return 0;
    }
}

inline Rgb Colour(const dibcore::Picture &p, uint32_t x, uint32_t y) {
    const uint32_t v = RawPixel(p, x, y);
    if (p.data.header->biBitCount == 24) return Rgb{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    const DibRgbQuad q = dibcore::PaletteOf(p)[v];
    return Rgb{q.red, q.green, q.blue};
}

inline uint32_t Colours(const dibcore::Picture &p) { return dibcore::TableBytes(*p.data.header) / 4; }

}  // namespace pngtest

// The writer's option record for a filter set, interlacing and a level.
inline PngSaveOptions Options(uint32_t filters, bool interlace, uint16_t level) {
    PngSaveOptions o{};
    o.flags = kPngSaveBase | (interlace ? uint32_t{kPngSaveInterlace} : 0u);
    o.level = level;
    o.filters = filters;
    return o;
}
