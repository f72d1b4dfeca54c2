// Exact turns by multiples of 90 degrees at every depth.
#include <cstring>
#include <vector>

#include "dib_header.h"
#include "pixel_layout.h"
#include "storage.h"
#include "transform.h"

namespace dibcore {

namespace {

template <int BPP>
struct Px {
    static uint32_t Get(const uint8_t *r, int64_t x) { return IndexAt(r, x, BPP); }
    static void Put(uint8_t *r, int64_t x, uint32_t v) { PutIndex(r, x, BPP, v); }
};
template <>
struct Px<8> {
    static uint32_t Get(const uint8_t *r, int64_t x) { return r[x]; }
    static void Put(uint8_t *r, int64_t x, uint32_t v) { r[x] = static_cast<uint8_t>(v); }
};
template <>
struct Px<16> {
    static uint32_t Get(const uint8_t *r, int64_t x) {
        uint16_t v;
        std::memcpy(&v, r + 2 * x, 2);
        return v;
    }
    static void Put(uint8_t *r, int64_t x, uint32_t v) {
        const uint16_t s = static_cast<uint16_t>(v);
        std::memcpy(r + 2 * x, &s, 2);
    }
};
template <>
struct Px<24> {
    static uint32_t Get(const uint8_t *r, int64_t x) {
        const uint8_t *p = r + 3 * x;
        return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
    }
    static void Put(uint8_t *r, int64_t x, uint32_t v) {
        uint8_t *p = r + 3 * x;
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
        p[2] = static_cast<uint8_t>(v >> 16);
    }
};
template <>
struct Px<32> {
    static uint32_t Get(const uint8_t *r, int64_t x) {
        uint32_t v;
        std::memcpy(&v, r + 4 * x, 4);
        return v;
    }
    static void Put(uint8_t *r, int64_t x, uint32_t v) { std::memcpy(r + 4 * x, &v, 4); }
};

// Quarter turns walk the target in square tiles so both pictures stay in
// cache; a straight column walk over a large photo misses on every pixel.
constexpr int64_t kTile = 32;

template <int BPP>
void Quarter(const std::vector<const uint8_t *> &src, int64_t sw, int64_t sh, const std::vector<uint8_t *> &dst,
             bool clockwise) {
    // Target is sh wide and sw high.
    for (int64_t ty = 0; ty < sw; ty += kTile) {
        const int64_t yEnd = ty + kTile < sw ? ty + kTile : sw;
        for (int64_t tx = 0; tx < sh; tx += kTile) {
            const int64_t xEnd = tx + kTile < sh ? tx + kTile : sh;
            for (int64_t dy = ty; dy < yEnd; ++dy) {
                uint8_t *d = dst[dy];
                const int64_t sx = clockwise ? dy : sw - 1 - dy;
                for (int64_t dx = tx; dx < xEnd; ++dx) {
                    const int64_t sy = clockwise ? sh - 1 - dx : dx;
                    Px<BPP>::Put(d, dx, Px<BPP>::Get(src[sy], sx));
                }
            }
        }
    }
}

template <int BPP>
void Half(const std::vector<const uint8_t *> &src, int64_t w, int64_t h, const std::vector<uint8_t *> &dst) {
    for (int64_t y = 0; y < h; ++y) {
        const uint8_t *s = src[h - 1 - y];
        uint8_t *d = dst[y];
        for (int64_t x = 0; x < w; ++x) Px<BPP>::Put(d, x, Px<BPP>::Get(s, w - 1 - x));
    }
}

template <int BPP>
void Turn(int deg, const std::vector<const uint8_t *> &src, int64_t w, int64_t h, const std::vector<uint8_t *> &dst) {
    if (deg == 180) Half<BPP>(src, w, h, dst);
    else Quarter<BPP>(src, w, h, dst, deg == 90);
}

}  // namespace

Picture *TurnPicture(const Picture &source, int32_t degrees) {
    const int32_t deg = ((degrees % 360) + 360) % 360;
    if (deg % 90 != 0) return nullptr;
    PictureOwner temp;
    const Picture *srcp = Uncompressed(source, &temp);
    if (srcp == nullptr) return nullptr;
    if (deg == 0) return ClonePicture(*srcp);
    PixelLayout l;
    if (!ReadLayout(*srcp, &l)) return nullptr;
    const bool quarter = deg != 180;
    PictureOwner out(NewPictureLike(*srcp, quarter ? l.height : l.width, quarter ? l.width : l.height));
    if (!out) return nullptr;
    DibInfoHeader &oh = *out->data.header;
    if (quarter) {
        const int32_t xr = oh.biXPelsPerMeter;
        oh.biXPelsPerMeter = oh.biYPelsPerMeter;
        oh.biYPelsPerMeter = xr;
    }
    PixelLayout o;
    ReadLayout(*out.get(), &o);
    std::vector<const uint8_t *> src(static_cast<size_t>(l.height));
    std::vector<uint8_t *> dst(static_cast<size_t>(o.height));
    for (int64_t y = 0; y < l.height; ++y) src[y] = LayoutRow(l, srcp->data.bits, y);
    for (int64_t y = 0; y < o.height; ++y) dst[y] = LayoutRow(o, out->data.bits, y);
    switch (l.bpp) {
        case 1: Turn<1>(deg, src, l.width, l.height, dst); break;
        case 4: Turn<4>(deg, src, l.width, l.height, dst); break;
        case 8: Turn<8>(deg, src, l.width, l.height, dst); break;
        case 16: Turn<16>(deg, src, l.width, l.height, dst); break;
        case 24: Turn<24>(deg, src, l.width, l.height, dst); break;
        default: Turn<32>(deg, src, l.width, l.height, dst); break;
    }
    return out.Take();
}

}  // namespace dibcore
