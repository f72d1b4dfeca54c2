// Small hand-made picture files for the parser tests and the fuzz seeds.
#pragma once

#include <cstdint>
#include <vector>

namespace fixtures {

inline void Put16(std::vector<uint8_t> &v, uint16_t x, bool be) {
    if (be) { v.push_back(uint8_t(x >> 8)); v.push_back(uint8_t(x)); }
    else { v.push_back(uint8_t(x)); v.push_back(uint8_t(x >> 8)); }
}
inline void Put32(std::vector<uint8_t> &v, uint32_t x, bool be) {
    if (be) { Put16(v, uint16_t(x >> 16), true); Put16(v, uint16_t(x), true); }
    else { Put16(v, uint16_t(x), false); Put16(v, uint16_t(x >> 16), false); }
}

// A JPEG head: SOI, an APP0, an APP1 with one IFD (a dummy tag, then the
// orientation tag of the given type and count), then SOS and EOI. The IFD
// count can be made to claim more entries than the segment holds.
inline std::vector<uint8_t> ExifJpeg(bool bigEndian, uint16_t orientation, uint16_t type = 3, uint32_t count = 1,
                                     uint16_t claimedEntries = 2) {
    std::vector<uint8_t> tiff = bigEndian ? std::vector<uint8_t>{'M', 'M', 0, 0x2A} : std::vector<uint8_t>{'I', 'I', 0x2A, 0};
    Put32(tiff, 8, bigEndian);
    Put16(tiff, claimedEntries, bigEndian);
    Put16(tiff, 0x010F, bigEndian);  // Make, ASCII
    Put16(tiff, 2, bigEndian);
    Put32(tiff, 4, bigEndian);
    tiff.insert(tiff.end(), {'Q', 'V', '!', 0});
    Put16(tiff, 0x0112, bigEndian);
    Put16(tiff, type, bigEndian);
    Put32(tiff, count, bigEndian);
    if (type == 3) { Put16(tiff, orientation, bigEndian); Put16(tiff, 0, bigEndian); }
    else Put32(tiff, orientation, bigEndian);
    Put32(tiff, 0, bigEndian);  // next IFD
    std::vector<uint8_t> f = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
    const uint32_t length = uint32_t(2 + 6 + tiff.size());
    f.insert(f.end(), {0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length), 'E', 'x', 'i', 'f', 0, 0});
    f.insert(f.end(), tiff.begin(), tiff.end());
    f.insert(f.end(), {0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xD9});
    return f;
}

// A 16/32-bit BITMAPV4-style BMP (header 56 bytes, masks red, green, blue,
// alpha) of w x h with the given pixel values, rows as stored.
inline std::vector<uint8_t> MaskedBmp(int32_t w, int32_t h, int bpp, const uint32_t masks[4],
                                      const std::vector<uint32_t> &pixels) {
    std::vector<uint8_t> f = {'B', 'M'};
    const uint32_t stride = uint32_t((bpp * w + 31) / 32 * 4);
    const int32_t rows = h < 0 ? -h : h;
    Put32(f, 14 + 56 + stride * uint32_t(rows), false);
    Put32(f, 0, false);
    Put32(f, 14 + 56, false);
    Put32(f, 56, false);
    Put32(f, uint32_t(w), false);
    Put32(f, uint32_t(h), false);
    Put16(f, 1, false);
    Put16(f, uint16_t(bpp), false);
    Put32(f, 3, false);
    for (int i = 0; i < 5; ++i) Put32(f, 0, false);
    for (int i = 0; i < 4; ++i) Put32(f, masks[i], false);
    for (int32_t y = 0; y < rows; ++y) {
        const size_t start = f.size();
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t v = pixels[size_t(y) * size_t(w) + size_t(x)];
            if (bpp == 16) Put16(f, uint16_t(v), false);
            else Put32(f, v, false);
        }
        while (f.size() - start < stride) f.push_back(0);
    }
    return f;
}

}  // namespace fixtures
