// Small pictures for the image library's tests: every depth, both row
// orders, palettes that are short or full, masks that are standard or odd,
// and a reader of pixel values that works from first principles rather than
// through the library's own row code.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "picture.h"
#include "raw_pixel.h"

namespace dibfix {

using dibcore::Picture;

struct Kind {
    int bpp;
    uint32_t colours;       // palette entries for 1/4/8 bits (0 = full)
    const uint32_t *masks;  // 16/32 bits: bit fields or null
    const char *name;
};

constexpr uint32_t kMask565[3] = {0xF800, 0x07E0, 0x001F};
constexpr uint32_t kMask101010[3] = {0x3FF00000, 0x000FFC00, 0x000003FF};

inline std::vector<Kind> AllKinds() {
    return {{1, 0, nullptr, "1bit"},      {4, 0, nullptr, "4bit"},     {4, 6, nullptr, "4bit-short"},
            {8, 0, nullptr, "8bit"},      {8, 20, nullptr, "8bit-short"}, {16, 0, nullptr, "16bit-555"},
            {16, 0, kMask565, "16bit-565"}, {24, 0, nullptr, "24bit"},  {32, 0, nullptr, "32bit"},
            {32, 0, kMask101010, "32bit-101010"}};
}

// Raw value of pixel (x, y), y from the top, independent of the library's
// row code.
inline uint32_t RawPixel(const Picture &p, int64_t x, int64_t y) { return RawPixelOf(*p.data.header, p.data.bits, x, y); }

inline int32_t Width(const Picture &p) { return p.data.header->biWidth; }
inline int32_t Height(const Picture &p) {
    return p.data.header->biHeight < 0 ? -p.data.header->biHeight : p.data.header->biHeight;
}

// All raw values, rows from the top.
inline std::vector<uint32_t> RawPixels(const Picture &p) {
    std::vector<uint32_t> v;
    for (int64_t y = 0; y < Height(p); ++y)
        for (int64_t x = 0; x < Width(p); ++x) v.push_back(RawPixel(p, x, y));
    return v;
}

inline std::vector<uint8_t> TableBytesOf(const Picture &p) {
    const uint8_t *b = reinterpret_cast<const uint8_t *>(p.data.header);
    return std::vector<uint8_t>(b + p.data.header->biSize, b + p.data.headerSize);
}

// A picture of `kind` with random pixels (indexes below the palette size,
// values within the masks); `height` < 0 makes it top-down. `runs` makes
// rows of long runs, the kind of content RLE is made for.
inline Picture *MakePicture(const Kind &k, int32_t width, int32_t height, uint32_t seed, bool runs = false) {
    std::mt19937 rng(seed);
    std::vector<DibRgbQuad> pal(256);
    for (auto &q : pal) q = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
    Picture *p = dibcore::NewSimplePicture(width, height, k.bpp, k.colours, pal.data(), k.masks);
    if (p == nullptr) return nullptr;
    const uint32_t colours = k.bpp <= 8 ? (k.colours ? k.colours : 1u << k.bpp) : 0;
    uint32_t keep = 0xFFFFFFFF;
    if (k.bpp == 16) keep = k.masks ? (k.masks[0] | k.masks[1] | k.masks[2]) : 0x7FFF;
    if (k.bpp == 24) keep = 0xFFFFFF;
    if (k.bpp == 32) keep = k.masks ? (k.masks[0] | k.masks[1] | k.masks[2]) : 0xFFFFFF;
    const int64_t rows = height < 0 ? -int64_t{height} : height;
    const uint64_t stride = dibcore::RowStride(width, k.bpp);
    for (int64_t y = 0; y < rows; ++y) {
        uint8_t *row = p->data.bits + y * stride;
        uint32_t v = 0;
        for (int64_t x = 0; x < width; ++x) {
            if (!runs || rng() % 7 == 0) v = colours ? rng() % colours : rng() & keep;
            switch (k.bpp) {
                case 1: row[x / 8] |= uint8_t((v & 1) << (7 - x % 8)); break;
                case 4: row[x / 2] |= uint8_t(x % 2 ? v : v << 4); break;
                case 8: row[x] = uint8_t(v); break;
                case 16: row[2 * x] = uint8_t(v); row[2 * x + 1] = uint8_t(v >> 8); break;
                case 24: row[3 * x] = uint8_t(v); row[3 * x + 1] = uint8_t(v >> 8); row[3 * x + 2] = uint8_t(v >> 16); break;
                default: std::memcpy(row + 4 * x, &v, 4); break;
            }
        }
    }
    return p;
}

// Frees a test's picture on every path; tests read `p` directly.
struct Owner {
    dibcore::Picture *p;
    explicit Owner(dibcore::Picture *q = nullptr) : p(q) {}
    ~Owner() { dibcore::FreePicture(p); }
    Owner(const Owner &) = delete;
    Owner &operator=(const Owner &) = delete;
};

}  // namespace dibfix
