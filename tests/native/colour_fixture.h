// Pictures of every depth in the fake library for the tests of the pixel
// operations (colour operations, masks, cell masks): one table of picture
// formats and the maker, readers that compare colours and raw values before
// and after, and a failure-injection loop over the library's entry points.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "common/fake_dibcore.h"
#include "image/qv_DibOps.h"
#include "image/qv_PixelValue.h"

namespace colourfix {

constexpr uint32_t kMask555[3] = {0x7C00, 0x03E0, 0x001F};
constexpr uint32_t kMask565[3] = {0xF800, 0x07E0, 0x001F};
constexpr uint32_t kMask888[3] = {0xFF0000, 0x00FF00, 0x0000FF};
constexpr uint32_t kMask101010[3] = {0x3FF00000, 0x000FFC00, 0x000003FF};

struct Kind {
    const char *name;
    int depth;
    uint32_t colours;       // palette entries (1/4/8 bits)
    const uint32_t *masks;  // stored bit fields, or null
};

// Every picture format the tests make; each suite picks its kinds by name.
const Kind kAllKinds[] = {
    {"1bit", 1, 2, nullptr},        {"4bit", 4, 16, nullptr},         {"4bit-short", 4, 6, nullptr},
    {"8bit", 8, 256, nullptr},      {"8bit-short", 8, 20, nullptr},   {"16bit-555", 16, 0, nullptr},
    {"16bit-565", 16, 0, kMask565}, {"24bit", 24, 0, nullptr},        {"32bit", 32, 0, nullptr},
    {"32bit-888", 32, 0, kMask888}, {"32bit-101010", 32, 0, kMask101010},
};

// The kind of that name; a name not in the table stops the run.
inline const Kind &KindNamed(const char *name) {
    for (const Kind &k : kAllKinds)
        if (std::strcmp(k.name, name) == 0) return k;
    std::abort();
}

inline std::vector<Kind> KindsNamed(std::initializer_list<const char *> names) {
    std::vector<Kind> v;
    for (const char *n : names) v.push_back(KindNamed(n));
    return v;
}

// The colour operations' kinds.
const std::vector<Kind> kKinds = KindsNamed(
    {"1bit", "4bit", "8bit", "8bit-short", "16bit-555", "16bit-565", "24bit", "32bit", "32bit-101010"});

inline std::string Name(const Kind &k, int32_t height) {
    return std::string(k.name) + (height < 0 ? " top-down" : " bottom-up");
}

// Random palette and random pixels (palette indexes below the table size).
inline DibHandle MakeRandom(const Kind &k, int32_t w, int32_t h, uint32_t seed) {
    std::mt19937 rng(seed);
    DibHandle p;
    if (k.depth <= 8) {
        std::vector<DibRgbQuad> pal(k.colours);
        for (auto &q : pal) q = DibRgbQuad{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
        p = Dib_Create(w, h, k.depth, k.colours, 0, pal.data());
    } else {
        p = Dib_Create(w, h, k.depth, 0, 0, k.masks);
    }
    if (p == 0) return 0;
    DibData *d = Dibcore_DataDIB(p);
    for (uint32_t i = 0; i < d->bitsSize; ++i) d->bits[i] = uint8_t(rng());
    // Indexes within a short table: past it the colour readers and the 24-bit
    // conversion disagree (entry 0 against black), which no test is about.
    if (k.depth == 8)
        for (uint32_t i = 0; i < d->bitsSize; ++i) d->bits[i] = uint8_t(d->bits[i] % k.colours);
    if (k.depth == 4 && k.colours < 16)
        for (uint32_t i = 0; i < d->bitsSize; ++i)
            d->bits[i] = uint8_t(((d->bits[i] >> 4) % k.colours) << 4 | (d->bits[i] & 0x0F) % k.colours);
    return p;
}

inline int32_t Width(DibHandle p) {
    int32_t w = 0;
    Dib_GetInfo(p, &w, nullptr, nullptr, 1);
    return w;
}
inline int32_t SignedHeight(DibHandle p) {
    int32_t h = 0;
    Dib_GetInfo(p, nullptr, nullptr, &h, 0);
    return h;
}
inline int32_t Depth(DibHandle p) { return Dib_GetInfo(p, nullptr, nullptr, nullptr, 1); }

// Colours, rows from the top.
inline std::vector<uint32_t> Colours(DibHandle p) {
    std::vector<uint32_t> v;
    const int32_t w = Width(p), h = std::abs(SignedHeight(p));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) v.push_back(Dib_GetPixelColour(x, p, y));
    return v;
}

// A 2 x 2 1-bit picture with a 12-byte core header, whose colour table holds
// 3-byte entries: every table reader must refuse it rather than misread it.
inline DibHandle MakeCoreHeaderPicture() {
    struct {
        DibCoreHeader h;
        uint8_t table[6];
    } core{{12, 2, 2, 1, 1}, {7, 7, 7, 8, 8, 8}};
    return Dibcore_CreateDIB(&core, nullptr);
}

// A 2 x 1 8-bit picture with RLE8 pixels `stream` (4 bytes) and a colour
// table of two entries, entry 1 being `entry1`: pixel readers must refuse it
// or leave its compressed bytes alone.
inline DibHandle MakeRle8Picture(DibRgbQuad entry1 = {}, const uint8_t (&stream)[4] = {0, 0, 0, 0}) {
    struct {
        DibInfoHeader h;
        DibRgbQuad table[2];
        uint8_t bits[4];
    } rle{};
    rle.h = DibInfoHeader{40, 2, 1, 1, 8, kDibRle8, 4, 0, 0, 2, 0};
    rle.table[1] = entry1;
    std::memcpy(rle.bits, stream, 4);
    return Dibcore_CreateDIB(&rle, rle.bits);
}

// Header block and bits, byte for byte.
inline std::vector<uint8_t> Bytes(DibHandle p) {
    const DibData *d = Dibcore_DataDIB(p);
    std::vector<uint8_t> v(reinterpret_cast<const uint8_t *>(d->header),
                           reinterpret_cast<const uint8_t *>(d->header) + d->headerSize);
    v.insert(v.end(), d->bits, d->bits + d->bitsSize);
    return v;
}

// Runs `op` on a fresh picture from `make` with the n-th call of each
// library entry failing, for n = 1.. until the operation no longer reaches
// that call. A failed operation must leave the picture's colours and size as
// they were and no new handle alive; a successful one must not leak either
// (its result is handed to `release`).
inline void ForEachInjectedFailure(const std::function<DibHandle()> &make,
                                   const std::function<int(DibHandle, DibHandle *)> &op) {
    const fake::Entry entries[] = {fake::kData, fake::kCreate, fake::kCopy, fake::kCut, fake::kTo24, fake::kRle};
    for (fake::Entry e : entries)
        for (int n = 1; n <= 12; ++n) {
            SCOPED_TRACE("entry " + std::to_string(int(e)) + " call " + std::to_string(n));
            fake::Scope scope;
            const DibHandle p = make();
            ASSERT_NE(p, 0);
            const std::vector<uint32_t> before = Colours(p);
            const int32_t w = Width(p), h = SignedHeight(p);
            const size_t live = scope.lib.Live();
            std::memset(scope.lib.calls, 0, sizeof scope.lib.calls);
            scope.lib.failAt[e] = n;
            DibHandle fresh = 0;
            const int ok = op(p, &fresh);
            const bool reached = scope.lib.calls[e] >= n;
            scope.lib.failAt[e] = 0;
            if (!ok) {
                EXPECT_EQ(fresh, 0);
                EXPECT_EQ(scope.lib.Live(), live);
                EXPECT_EQ(Width(p), w);
                EXPECT_EQ(std::abs(SignedHeight(p)), std::abs(h));
                EXPECT_EQ(Colours(p), before);
            } else {
                EXPECT_EQ(scope.lib.Live(), live + (fresh != 0 ? 1 : 0));
            }
            EXPECT_EQ(scope.lib.doubleFrees, 0);
            if (!reached) break;
        }
}

}  // namespace colourfix
