// Builds GIF files frame by frame for the GIF tests (offsets, local tables,
// graphic control, loop block, interlace), and reads palette pictures back.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bytes.h"
#include "gif_lzw.h"
#include "picture.h"

namespace giftest {

struct Frame {
    uint16_t left = 0, top = 0, width = 1, height = 1;
    bool interlaced = false;
    std::vector<uint8_t> localTable;  // RGB triples, a power of two of them; empty for none
    std::vector<uint8_t> indexes;     // width x height, top row first
    int disposal = -1;                // with delay and transparent: -1 = no control block
    int delay = 0;
    int transparent = -1;
    bool uncompressed = false;
};

struct File {
    uint16_t width = 1, height = 1;
    std::vector<uint8_t> globalTable;  // RGB triples; empty for none
    uint8_t background = 0;
    int loop = -1;                     // -1 = no loop block
    std::vector<Frame> frames;
    bool trailer = true;
};

inline int TableBits(size_t entries) {
    int bits = 1;
    while ((size_t{1} << bits) < entries) ++bits;
    return bits;
}

inline void U16(std::vector<uint8_t> &v, uint32_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}

inline std::vector<uint8_t> InterlaceOrder(const Frame &f) {
    if (!f.interlaced) return f.indexes;
    std::vector<uint8_t> out;
    static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int p = 0; p < 4; ++p)
        for (int y = start[p]; y < f.height; y += step[p])
            out.insert(out.end(), f.indexes.begin() + y * f.width, f.indexes.begin() + (y + 1) * f.width);
    return out;
}

inline std::vector<uint8_t> Build(const File &file) {
    std::vector<uint8_t> v = {'G', 'I', 'F', '8', '9', 'a'};
    U16(v, file.width);
    U16(v, file.height);
    const size_t globalEntries = file.globalTable.size() / 3;
    v.push_back(globalEntries ? uint8_t(0x80 | 0x70 | (TableBits(globalEntries) - 1)) : 0);
    v.push_back(file.background);
    v.push_back(0);
    v.insert(v.end(), file.globalTable.begin(), file.globalTable.end());
    if (file.loop >= 0) {
        const uint8_t app[] = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1};
        v.insert(v.end(), app, app + sizeof app);
        U16(v, uint32_t(file.loop));
        v.push_back(0);
    }
    for (const Frame &f : file.frames) {
        if (f.disposal >= 0 || f.transparent >= 0 || f.delay) {
            v.insert(v.end(), {0x21, 0xF9, 4});
            v.push_back(uint8_t(((f.disposal < 0 ? 0 : f.disposal) << 2) | (f.transparent >= 0 ? 1 : 0)));
            U16(v, uint32_t(f.delay));
            v.push_back(uint8_t(f.transparent < 0 ? 0 : f.transparent));
            v.push_back(0);
        }
        v.push_back(0x2C);
        U16(v, f.left);
        U16(v, f.top);
        U16(v, f.width);
        U16(v, f.height);
        const size_t localEntries = f.localTable.size() / 3;
        uint8_t packed = f.interlaced ? 0x40 : 0;
        if (localEntries) packed |= uint8_t(0x80 | (TableBits(localEntries) - 1));
        v.push_back(packed);
        v.insert(v.end(), f.localTable.begin(), f.localTable.end());
        const size_t entries = localEntries ? localEntries : globalEntries;
        int codeSize = TableBits(entries ? entries : 2);
        if (codeSize < 2) codeSize = 2;
        v.push_back(uint8_t(codeSize));
        dibcore::ByteBuffer data;
        const std::vector<uint8_t> order = InterlaceOrder(f);
        dibcore::Lzw_Encode(order.data(), order.size(), codeSize, f.uncompressed, &data);
        v.insert(v.end(), data.data(), data.data() + data.size());
    }
    if (file.trailer) v.push_back(0x3B);
    return v;
}

// A table of n colours that are all different.
inline std::vector<uint8_t> Table(size_t n, uint32_t seed) {
    std::vector<uint8_t> t(n * 3);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t x = uint32_t(i) * 2654435761u + seed * 40503u;
        t[i * 3] = uint8_t(x >> 8);
        t[i * 3 + 1] = uint8_t(i);
        t[i * 3 + 2] = uint8_t(x >> 24);
    }
    return t;
}

inline std::vector<uint8_t> Noise(size_t n, uint32_t limit, uint32_t seed) {
    std::vector<uint8_t> v(n);
    uint32_t x = seed * 747796405u + 1;
    for (auto &b : v) {
        x = x * 1664525u + 1013904223u;
        b = uint8_t((x >> 16) % limit);
    }
    return v;
}

// Index of pixel (x, y) counted from the top, whatever the row order.
inline uint32_t IndexAt(const dibcore::Picture &p, int x, int y) {
    const uint8_t *row = dibcore::RowFromTop(p, y);
    switch (p.data.header->biBitCount) {
        case 8: return row[x];
        case 4: return (x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4;
        default: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
}

inline int Width(const dibcore::Picture &p) { return p.data.header->biWidth; }
inline int Height(const dibcore::Picture &p) {
    return p.data.header->biHeight < 0 ? -p.data.header->biHeight : p.data.header->biHeight;
}
inline uint32_t PaletteSize(const dibcore::Picture &p) { return dibcore::TableBytes(*p.data.header) / 4; }

}  // namespace giftest
