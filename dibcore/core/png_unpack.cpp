#include "png_unpack.h"

#include <cstring>

#include "png_chunks.h"

namespace dibcore {

namespace {

// Rounds a 16-bit sample to 8 bits: round(v * 255 / 65535) = round(v / 257).
inline uint8_t Scale16(const uint8_t *p) { return uint8_t((((uint32_t(p[0]) << 8) | p[1]) + 128) / 257); }

void UnpackSmall(const uint8_t *raw, int depth, uint32_t n, uint8_t factor, uint8_t *out) {
    const unsigned mask = (1u << depth) - 1;
    const int perByte = 8 / depth;
    uint32_t i = 0;
    for (; i + perByte <= n; i += perByte) {
        const unsigned b = *raw++;
        for (int k = 0; k < perByte; ++k) out[i + k] = uint8_t(((b >> (8 - depth * (k + 1))) & mask) * factor);
    }
    if (i < n) {
        const unsigned b = *raw;
        for (int k = 0; i < n; ++k, ++i) out[i] = uint8_t(((b >> (8 - depth * (k + 1))) & mask) * factor);
    }
}

inline uint32_t Load32(const uint8_t *p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void Store32(uint8_t *p, uint32_t v) { std::memcpy(p, &v, 4); }

// RGB to BGR four bytes at a time; the fourth byte written is overwritten by
// the next pixel, and the last pixel is written bytewise.
void RgbToBgr(const uint8_t *raw, uint32_t n, uint8_t *out) {
    uint32_t i = 0;
    if (n > 1)
        for (; i < n - 1; ++i) Store32(out + 3 * i, __builtin_bswap32(Load32(raw + 3 * i)) >> 8);
    for (; i < n; ++i) {
        out[3 * i] = raw[3 * i + 2];
        out[3 * i + 1] = raw[3 * i + 1];
        out[3 * i + 2] = raw[3 * i];
    }
}

void RgbaToBgr(const uint8_t *raw, uint32_t n, uint8_t *out, uint8_t *alpha) {
    uint32_t i = 0;
    if (n > 1)
        for (; i < n - 1; ++i) Store32(out + 3 * i, __builtin_bswap32(Load32(raw + 4 * i)) >> 8);
    for (; i < n; ++i) {
        out[3 * i] = raw[4 * i + 2];
        out[3 * i + 1] = raw[4 * i + 1];
        out[3 * i + 2] = raw[4 * i];
    }
    if (alpha)
        for (i = 0; i < n; ++i) alpha[i] = raw[4 * i + 3];
}

// 2-bit samples to 4-bit ones: each input byte becomes two output bytes.
void Expand2To4(const uint8_t *raw, uint32_t width, uint8_t *out) {
    const uint32_t bytesIn = (width + 3) / 4;
    const uint32_t bytesOut = (width + 1) / 2;
    for (uint32_t i = 0; i < bytesIn; ++i) {
        const unsigned b = raw[i];
        out[2 * i] = uint8_t(((b >> 6) & 3) << 4 | ((b >> 4) & 3));
        if (2 * i + 1 < bytesOut) out[2 * i + 1] = uint8_t(((b >> 2) & 3) << 4 | (b & 3));
    }
}

}  // namespace

void PngUnpackRow(const PngUnpackLayout &l, const uint8_t *raw, uint32_t n, uint8_t *units, uint8_t *alpha) {
    switch (l.colourType) {
        case kPngPalette:
        case kPngGrey:
            if (l.depth == 8) {
                std::memcpy(units, raw, n);
            } else if (l.depth == 16) {
                for (uint32_t i = 0; i < n; ++i) units[i] = Scale16(raw + 2 * i);
            } else {
                // Palette indexes and 1-bit grey keep their value; 2- and
                // 4-bit grey levels spread over 0..255.
                const uint8_t factor =
                    l.colourType == kPngPalette || l.depth == 1 ? 1 : uint8_t(255 / ((1u << l.depth) - 1));
                UnpackSmall(raw, l.depth, n, factor, units);
            }
            break;
        case kPngGreyAlpha:
            if (l.depth == 8) {
                for (uint32_t i = 0; i < n; ++i) units[i] = raw[2 * i];
                if (alpha)
                    for (uint32_t i = 0; i < n; ++i) alpha[i] = raw[2 * i + 1];
            } else {
                for (uint32_t i = 0; i < n; ++i) units[i] = Scale16(raw + 4 * i);
                if (alpha)
                    for (uint32_t i = 0; i < n; ++i) alpha[i] = Scale16(raw + 4 * i + 2);
            }
            break;
        case kPngRgb:
            if (l.depth == 8) {
                RgbToBgr(raw, n, units);
            } else {
                for (uint32_t i = 0; i < n; ++i) {
                    units[3 * i] = Scale16(raw + 6 * i + 4);
                    units[3 * i + 1] = Scale16(raw + 6 * i + 2);
                    units[3 * i + 2] = Scale16(raw + 6 * i);
                }
            }
            break;
        case kPngRgba:
            if (l.depth == 8) {
                RgbaToBgr(raw, n, units, alpha);
            } else {
                for (uint32_t i = 0; i < n; ++i) {
                    units[3 * i] = Scale16(raw + 8 * i + 4);
                    units[3 * i + 1] = Scale16(raw + 8 * i + 2);
                    units[3 * i + 2] = Scale16(raw + 8 * i);
                }
                if (alpha)
                    for (uint32_t i = 0; i < n; ++i) alpha[i] = Scale16(raw + 8 * i + 6);
            }
            break;
        default:
            break;
    }
}

void PngStoreRow(const PngUnpackLayout &l, const uint8_t *raw, uint32_t width, uint8_t *dibRow, uint8_t *alphaRow) {
    if (l.outBits >= 8) {
        PngUnpackRow(l, raw, width, dibRow, alphaRow);
    } else if (l.outBits == l.depth) {
        // Palette 1/4 bits and grey 1 bit: the file's row is the picture's row.
        std::memcpy(dibRow, raw, (size_t(width) * l.depth + 7) / 8);
    } else {
        Expand2To4(raw, width, dibRow);
    }
}

void PngScatterUnits(const uint8_t *units, uint32_t n, int outBits, uint32_t x0, uint32_t dx, uint8_t *row) {
    uint32_t x = x0;
    switch (outBits) {
        case 24:
            for (uint32_t i = 0; i < n; ++i, x += dx) std::memcpy(row + 3 * size_t(x), units + 3 * i, 3);
            break;
        case 8:
            for (uint32_t i = 0; i < n; ++i, x += dx) row[x] = units[i];
            break;
        case 4:
            // Rows start zeroed and every pixel is written once, so OR is enough.
            for (uint32_t i = 0; i < n; ++i, x += dx) row[x >> 1] |= uint8_t((units[i] & 15) << ((x & 1) ? 0 : 4));
            break;
        case 1:
            for (uint32_t i = 0; i < n; ++i, x += dx) row[x >> 3] |= uint8_t((units[i] & 1) << (7 - (x & 7)));
            break;
        default:
            break;
    }
}

}  // namespace dibcore
