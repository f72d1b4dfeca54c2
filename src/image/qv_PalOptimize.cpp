#include "image/qv_PalOptimize.h"

#include <algorithm>
#include <memory>
#include <new>

#include "image/qv_DibApi.h"
#include "image/qv_DibOps.h"
#include "image/qv_DibRows.h"
#include "image/qv_PixelValue.h"

namespace {

constexpr uint32_t kMostColours = 256;

// Deletes a picture this module made unless it was handed on.
class OwnedDib {
public:
    explicit OwnedDib(DibHandle h = 0) : h_(h) {}
    ~OwnedDib() {
        if (h_ != 0) Dibcore_DeleteDIB(h_);
    }
    OwnedDib(const OwnedDib &) = delete;
    OwnedDib &operator=(const OwnedDib &) = delete;
    DibHandle get() const { return h_; }
    DibHandle Take() {
        const DibHandle h = h_;
        h_ = 0;
        return h;
    }

private:
    DibHandle h_;
};

inline uint32_t ColourAt(const uint8_t *p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16; }

enum class Collected { Few, TooMany, NoMemory };

// Distinct colours of a 24-bit picture in the order first met, scanning
// memory rows from the first; a 257th colour ends the scan.
Collected CollectColours(const DibRows &rows, uint32_t *colours, uint32_t *count) {
    std::unique_ptr<uint64_t[]> seen(new (std::nothrow) uint64_t[(1u << 24) / 64]());
    if (!seen) return Collected::NoMemory;
    uint32_t n = 0;
    for (int32_t m = 0; m < rows.fields.height; ++m) {
        const uint8_t *p = rows.bits + uint64_t(m) * rows.stride;
        for (int32_t x = 0; x < rows.fields.width; ++x, p += 3) {
            const uint32_t c = ColourAt(p);
            uint64_t &word = seen[c >> 6];
            const uint64_t bit = uint64_t{1} << (c & 63u);
            if (word & bit) continue;
            if (n == kMostColours) return Collected::TooMany;
            word |= bit;
            colours[n++] = c;
        }
    }
    *count = n;
    return Collected::Few;
}

// A new bottom-up picture of `depth` bits whose table is `sorted`.
DibHandle Reduce(DibHandle work, const uint32_t *sorted, uint32_t n, int32_t depth) {
    DibRows src;
    const DibData *wd = Dibcore_DataDIB(work);
    if (!DibRows_Open(wd, &src)) return 0;
    const int32_t xppm = wd->header->biXPelsPerMeter, yppm = wd->header->biYPelsPerMeter;
    DibRgbQuad table[kMostColours];
    for (uint32_t i = 0; i < n; ++i)
        table[i] = DibRgbQuad{uint8_t(sorted[i]), uint8_t(sorted[i] >> 8), uint8_t(sorted[i] >> 16), 0};
    const int32_t width = src.fields.width, height = src.fields.height;
    OwnedDib result(Dib_Create(width, height, depth, n, 0, table));
    if (result.get() == 0) return 0;
    Dib_SetResolution(result.get(), xppm, yppm);
    // Creating may have moved storage: fetch both pictures afresh.
    DibRows dst;
    if (!DibRows_Open(Dibcore_DataDIB(result.get()), &dst) || !DibRows_Open(Dibcore_DataDIB(work), &src) ||
        src.fields.width != width || src.fields.height != height)
        return 0;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t *in = src.Row(y);
        uint8_t *out = dst.Row(y);
        std::fill(out, out + dst.stride, uint8_t{0});
        for (int32_t x = 0; x < width; ++x, in += 3) {
            const uint32_t c = ColourAt(in);
            const uint32_t index = uint32_t(std::lower_bound(sorted, sorted + n, c) - sorted);
            if (depth == 8) out[x] = uint8_t(index);
            else if (depth == 4) out[x >> 1] |= uint8_t((x & 1) ? index : index << 4);
            else out[x >> 3] |= uint8_t((index & 1u) << (7 - (x & 7)));
        }
    }
    return result.Take();
}

}  // namespace

DibHandle Pal_OptimizeDepth(DibHandle picture) {
    DibData *d = nullptr;
    const int32_t depth = Dib_GetInfo(picture, nullptr, &d, nullptr, 1);
    if (depth == 1 || depth == 16 || depth == 0) return 0;  // 1 and 16 bits are never reduced
    if (depth == 32 && !DibRows_IsPlain32(d->header)) return 0;
    OwnedDib copy(depth == 24 ? 0 : Dib_To24Bit(1, picture));
    if (depth != 24 && copy.get() == 0) return 0;
    const DibHandle work = depth == 24 ? picture : copy.get();
    DibRows rows;
    if (!DibRows_Open(Dibcore_DataDIB(work), &rows) || rows.fields.depth != 24) return 0;

    uint32_t colours[kMostColours];
    uint32_t n = 0;
    const Collected got = CollectColours(rows, colours, &n);
    if (got == Collected::NoMemory) return 0;
    if (got == Collected::Few && n > 0) {
        const int32_t target = n > 16 ? 8 : n < 3 ? 1 : 4;
        if (target < depth) {
            std::sort(colours, colours + n);
            return Reduce(work, colours, n, target);
        }
    }
    return depth == 32 ? copy.Take() : 0;
}
