// A small image library for tests: the binding-table entry points over
// plain vectors, with failures injected at chosen calls and counts of live
// handles and double frees. In-place operations always move the storage, so
// a caller that keeps a stale DibData pointer reads freed memory (which the
// sanitizers report natively).
#pragma once

#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "image/qv_DibApi.h"
#include "image/qv_DibCore.h"
#include "image/qv_Transp.h"

namespace fake {

enum Entry { kDelete, kData, kCreate, kCopy, kCut, kTurn, kTo24, kRle, kJpgM, kPngM, kBmpM, kEntryCount };

struct Pic {
    std::vector<uint8_t> packed, bits;
    DibData data{};
    void Point() {
        data.headerSize = uint32_t(packed.size());
        data.bitsSize = uint32_t(bits.size());
        data.header = reinterpret_cast<DibInfoHeader *>(packed.data());
        data.bits = bits.data();
    }
};

struct Library {
    std::map<DibHandle, std::unique_ptr<Pic>> pics;
    DibHandle next = 1;
    int calls[kEntryCount] = {};
    int failAt[kEntryCount] = {};  // the n-th call (1-based) fails; 0 never
    int doubleFrees = 0;
    DibHandle decoded = 0;  // what the memory decoders hand out copies of

    bool Fails(Entry e) { return ++calls[e] == failAt[e]; }
    Pic *Get(DibHandle h) {
        auto it = pics.find(h);
        return it == pics.end() ? nullptr : it->second.get();
    }
    DibHandle Add(std::unique_ptr<Pic> p) {
        p->Point();
        pics[next] = std::move(p);
        return next++;
    }
    // Replaces the storage of h with p (new addresses).
    void Replace(DibHandle h, std::unique_ptr<Pic> p) {
        p->Point();
        pics[h] = std::move(p);
    }
    size_t Live() const { return pics.size(); }
};

inline Library *g_lib = nullptr;

inline std::unique_ptr<Pic> Make(const void *header, const void *bits) {
    const uint32_t hs = Dib_HeaderAndPaletteSize(header);
    const uint32_t bs = Dib_CalcSize(header, 0, 0, nullptr);
    // Tests and fuzzing never need more; larger claims are refused like a
    // library short of memory.
    if (hs == 0 || bs == 0 || bs > (64u << 20)) return nullptr;
    auto p = std::make_unique<Pic>();
    p->packed.assign(static_cast<const uint8_t *>(header), static_cast<const uint8_t *>(header) + hs);
    p->bits.assign(bs, 0);
    if (bits) std::memcpy(p->bits.data(), bits, bs);
    return p;
}

inline int32_t DIBCORE_CALL Delete(DibHandle h) {
    g_lib->calls[kDelete]++;
    if (!g_lib->pics.erase(h)) {
        g_lib->doubleFrees++;
        return 0;
    }
    return 1;
}
inline DibData *DIBCORE_CALL Data(DibHandle h) {
    if (g_lib->Fails(kData)) return nullptr;
    Pic *p = g_lib->Get(h);
    return p ? &p->data : nullptr;
}
inline DibHandle DIBCORE_CALL Create(const void *header, const void *bits) {
    if (g_lib->Fails(kCreate)) return 0;
    auto p = Make(header, bits);
    return p ? g_lib->Add(std::move(p)) : 0;
}
inline DibHandle DIBCORE_CALL Copy(DibHandle h) {
    if (g_lib->Fails(kCopy)) return 0;
    Pic *p = g_lib->Get(h);
    if (!p) return 0;
    auto c = std::make_unique<Pic>(*p);
    return g_lib->Add(std::move(c));
}

// One pixel of a 1- or 4-bit row moved from column sx to column dx.
inline void MoveSubBytePixel(uint8_t *drow, int32_t dx, const uint8_t *srow, int32_t sx, int depth) {
    const int per = 8 / depth;
    const unsigned ss = unsigned(8 - depth * (sx % per + 1)), ds = unsigned(8 - depth * (dx % per + 1));
    const unsigned mask = (1u << depth) - 1u;
    const unsigned v = (srow[sx / per] >> ss) & mask;
    drow[dx / per] = uint8_t((drow[dx / per] & ~(mask << ds)) | (v << ds));
}

// Builds a picture by mapping every destination pixel to a source pixel.
template <class Map>
std::unique_ptr<Pic> Remap(Pic &src, int32_t w, int32_t h, Map map) {
    DibFields f;
    Dib_GetHeaderFields(src.packed.data(), &f);
    if (f.depth != 1 && f.depth != 4 && f.depth < 8) return nullptr;
    auto p = std::make_unique<Pic>();
    p->packed = src.packed;
    DibInfoHeader hd;
    std::memcpy(&hd, p->packed.data(), sizeof hd);
    hd.biWidth = w;
    hd.biHeight = f.signedHeight < 0 ? -h : h;
    std::memcpy(p->packed.data(), &hd, sizeof hd);
    const uint32_t ds = Dib_RowStride(f.depth, w), ss = Dib_RowStride(f.depth, f.width);
    p->bits.assign(size_t(ds) * size_t(h), 0);
    const int b = f.depth / 8;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            int32_t sx, sy;
            map(x, y, &sx, &sy);
            uint8_t *drow = Dib_RowFromTop(p->bits.data(), ds, hd.biHeight, y);
            const uint8_t *srow = Dib_RowFromTop(src.bits.data(), ss, f.signedHeight, sy);
            if (f.depth < 8) MoveSubBytePixel(drow, x, srow, sx, f.depth);
            else std::memcpy(drow + x * b, srow + sx * b, size_t(b));
        }
    return p;
}

inline DibHandle DIBCORE_CALL Cut(DibHandle h, int32_t x, int32_t y, int32_t w, int32_t ht) {
    if (g_lib->Fails(kCut)) return 0;
    Pic *p = g_lib->Get(h);
    if (!p || w == 0 || ht == 0) return 0;
    const bool flipX = w < 0, flipY = ht < 0;
    const int32_t aw = flipX ? -w : w, ah = flipY ? -ht : ht;
    auto c = Remap(*p, aw, ah, [&](int32_t dx, int32_t dy, int32_t *sx, int32_t *sy) {
        *sx = x + (flipX ? aw - 1 - dx : dx);
        *sy = y + (flipY ? ah - 1 - dy : dy);
    });
    return c ? g_lib->Add(std::move(c)) : 0;
}
inline int32_t DIBCORE_CALL Turn(DibHandle h, int32_t angle) {
    if (g_lib->Fails(kTurn)) return 0;
    Pic *p = g_lib->Get(h);
    if (!p) return 0;
    DibFields f;
    Dib_GetHeaderFields(p->packed.data(), &f);
    const int32_t W = f.width, H = f.height;
    std::unique_ptr<Pic> c;
    if (angle == 90)
        c = Remap(*p, H, W, [&](int32_t x, int32_t y, int32_t *sx, int32_t *sy) { *sx = y; *sy = H - 1 - x; });
    else if (angle == 270)
        c = Remap(*p, H, W, [&](int32_t x, int32_t y, int32_t *sx, int32_t *sy) { *sx = W - 1 - y; *sy = x; });
    else if (angle == 180)
        c = Remap(*p, W, H, [&](int32_t x, int32_t y, int32_t *sx, int32_t *sy) { *sx = W - 1 - x; *sy = H - 1 - y; });
    if (!c) return 0;
    g_lib->Replace(h, std::move(c));
    return 1;
}
inline int32_t DIBCORE_CALL To24(DibHandle h) {
    if (g_lib->Fails(kTo24)) return 0;
    Pic *p = g_lib->Get(h);
    if (!p) return 0;
    DibFields f;
    Dib_GetHeaderFields(p->packed.data(), &f);
    auto c = std::make_unique<Pic>();
    DibInfoHeader hd{};
    hd.biSize = 40;
    hd.biWidth = f.width;
    hd.biHeight = f.height;  // always bottom-up, like the library
    hd.biPlanes = 1;
    hd.biBitCount = 24;
    c->packed.assign(reinterpret_cast<uint8_t *>(&hd), reinterpret_cast<uint8_t *>(&hd) + 40);
    const uint32_t ds = Dib_RowStride(24, f.width);
    c->bits.assign(size_t(ds) * size_t(f.height), 0);
    for (int32_t y = 0; y < f.height; ++y)
        for (int32_t x = 0; x < f.width; ++x) {
            const uint32_t col = Dib_ReadPixelColour(&p->data, x, y);
            uint8_t *d = Dib_RowFromTop(c->bits.data(), ds, hd.biHeight, y) + x * 3;
            d[0] = uint8_t(col >> 16);
            d[1] = uint8_t(col >> 8);
            d[2] = uint8_t(col);
        }
    g_lib->Replace(h, std::move(c));
    return 1;
}
inline int32_t DIBCORE_CALL Rle(DibHandle h) {
    if (g_lib->Fails(kRle)) return 0;
    Pic *p = g_lib->Get(h);
    if (!p) return 0;
    g_lib->Replace(h, std::make_unique<Pic>(*p));  // moves, like a real conversion
    return 1;
}
inline DibHandle Decoded(Entry e) {
    if (g_lib->Fails(e) || g_lib->decoded == 0) return 0;
    return Copy(g_lib->decoded);
}
inline DibHandle DIBCORE_CALL JpgM(const void *, uint32_t) { return Decoded(kJpgM); }
inline DibHandle DIBCORE_CALL PngM(const void *, uint32_t) { return Decoded(kPngM); }
inline DibHandle DIBCORE_CALL BmpM(const void *, uint32_t) { return Decoded(kBmpM); }

// Installs a fresh library into g_dibcore for the scope of a test.
class Scope {
public:
    Scope() : saved_(g_dibcore) {
        g_lib = &lib;
        DibcoreApi api{};
        api.DeleteDIB = Delete;
        api.DataDIB = Data;
        api.CreateDIB = Create;
        api.CopyDIB = Copy;
        api.CutDIB = Cut;
        api.TurnDIB = Turn;
        api.DIBto24Bit = To24;
        api.RLEtoDIB = Rle;
        api.JPGMtoDIB = JpgM;
        api.PNGMtoDIB = PngM;
        api.BMPMtoDIB = BmpM;
        g_dibcore = api;
    }
    ~Scope() {
        g_dibcore = saved_;
        g_lib = nullptr;
    }
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;
    Library lib;

private:
    DibcoreApi saved_;
};

}  // namespace fake
