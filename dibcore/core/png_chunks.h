// Walking the chunks of a PNG held in memory, and the header chunks the
// decoder and the information call need (IHDR, PLTE, tRNS, bKGD, pHYs).
#pragma once

#include <cstddef>
#include <cstdint>

#include "dib_records.h"

namespace dibcore {

constexpr uint32_t PngChunkType(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) << 24 | uint32_t(uint8_t(b)) << 16 | uint32_t(uint8_t(c)) << 8 | uint8_t(d);
}
constexpr uint32_t kChunkIHDR = PngChunkType('I', 'H', 'D', 'R');
constexpr uint32_t kChunkPLTE = PngChunkType('P', 'L', 'T', 'E');
constexpr uint32_t kChunkIDAT = PngChunkType('I', 'D', 'A', 'T');
constexpr uint32_t kChunkIEND = PngChunkType('I', 'E', 'N', 'D');
constexpr uint32_t kChunktRNS = PngChunkType('t', 'R', 'N', 'S');
constexpr uint32_t kChunkbKGD = PngChunkType('b', 'K', 'G', 'D');
constexpr uint32_t kChunkpHYs = PngChunkType('p', 'H', 'Y', 's');

extern const uint8_t kPngSignature[8];

inline uint32_t PngReadU32(const uint8_t *p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
inline uint16_t PngReadU16(const uint8_t *p) { return uint16_t(p[0] << 8 | p[1]); }

struct PngChunk {
    uint32_t type;
    const uint8_t *body;
    uint32_t length;  // bytes of body actually present
    bool complete;    // the whole body and its checksum are present
};

// Steps through the chunks after the signature. A chunk whose length runs
// past the data is handed out with what is there and `complete` false, and
// ends the walk.
class PngChunkCursor {
public:
    PngChunkCursor(const uint8_t *data, size_t size, size_t pos) : data_(data), size_(size), pos_(pos) {}
    bool Next(PngChunk *chunk);
    // True when the chunk's stored checksum matches its type and body.
    static bool CrcOk(const PngChunk &chunk);

private:
    const uint8_t *data_;
    size_t size_;
    size_t pos_;
};

// Colour types of IHDR.
enum : int { kPngGrey = 0, kPngRgb = 2, kPngPalette = 3, kPngGreyAlpha = 4, kPngRgba = 6 };

// What the chunks before the image data say.
struct PngHeader {
    uint32_t width = 0, height = 0;
    int depth = 0;        // bits per sample
    int colourType = 0;
    bool interlaced = false;
    int channels = 0;
    int bitsPerPixel = 0;

    uint32_t paletteCount = 0;  // 0 without PLTE
    DibRgbQuad palette[256] = {};

    uint32_t alphaCount = 0;    // palette alpha entries from tRNS
    uint8_t alpha[256] = {};
    bool hasKey = false;        // tRNS colour (grey or RGB), raw samples
    uint16_t key[3] = {};

    bool hasBackground = false; // bKGD, raw samples or palette index
    uint16_t background[3] = {};

    int32_t pelsPerMeterX = 0, pelsPerMeterY = 0;
};

// Reads the signature and the chunks up to the first IDAT. Returns 0 with
// `idatPos` at the start of that IDAT chunk, -1 without a PNG signature, 1
// when the header is unusable or no image data follows.
int PngReadHeader(const uint8_t *data, size_t size, PngHeader *header, size_t *idatPos);

}  // namespace dibcore
