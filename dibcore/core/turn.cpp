// Exact turns by multiples of 90 degrees at every depth.
#include "dib_header.h"
#include "pixel_layout.h"
#include "storage.h"
#include "transform.h"
#include "turn_kernels.h"

namespace dibcore {

namespace {

// 1- and 4-bit pixels share bytes, so they move one at a time; whole-byte
// depths go through the blocked kernels.
template <int BPP>
struct Px {
    static uint32_t Get(const uint8_t *r, int64_t x) { return IndexAt(r, x, BPP); }
    static void Put(uint8_t *r, int64_t x, uint32_t v) { PutIndex(r, x, BPP, v); }
};

// Walks the target in square tiles so both pictures stay in cache.
constexpr int64_t kSubByteTile = 32;

template <int BPP>
void SubByteQuarter(const PixelLayout &l, uint8_t *sbits, const PixelLayout &o, uint8_t *dbits, bool clockwise) {
    const int64_t sw = l.width, sh = l.height;  // the target is sh wide, sw high
    for (int64_t ty = 0; ty < sw; ty += kSubByteTile) {
        const int64_t yEnd = ty + kSubByteTile < sw ? ty + kSubByteTile : sw;
        for (int64_t tx = 0; tx < sh; tx += kSubByteTile) {
            const int64_t xEnd = tx + kSubByteTile < sh ? tx + kSubByteTile : sh;
            for (int64_t dy = ty; dy < yEnd; ++dy) {
                uint8_t *d = LayoutRow(o, dbits, dy);
                const int64_t sx = clockwise ? dy : sw - 1 - dy;
                for (int64_t dx = tx; dx < xEnd; ++dx)
                    Px<BPP>::Put(d, dx, Px<BPP>::Get(LayoutRow(l, sbits, clockwise ? sh - 1 - dx : dx), sx));
            }
        }
    }
}

template <int BPP>
void SubByteHalf(const PixelLayout &l, uint8_t *sbits, const PixelLayout &o, uint8_t *dbits) {
    for (int64_t y = 0; y < l.height; ++y) {
        const uint8_t *s = LayoutRow(l, sbits, l.height - 1 - y);
        uint8_t *d = LayoutRow(o, dbits, y);
        for (int64_t x = 0; x < l.width; ++x) Px<BPP>::Put(d, x, Px<BPP>::Get(s, l.width - 1 - x));
    }
}

PixelPlane PlaneOf(const PixelLayout &l, uint8_t *bits) {
    const int64_t stride = static_cast<int64_t>(l.stride);
    return PixelPlane{LayoutRow(l, bits, 0), l.topDown ? stride : -stride};
}

void TurnPixels(int deg, const PixelLayout &l, uint8_t *sbits, const PixelLayout &o, uint8_t *dbits) {
    if (l.bpp < 8) {
        const bool four = l.bpp == 4;
        if (deg == 180) four ? SubByteHalf<4>(l, sbits, o, dbits) : SubByteHalf<1>(l, sbits, o, dbits);
        else if (four) SubByteQuarter<4>(l, sbits, o, dbits, deg == 90);
        else SubByteQuarter<1>(l, sbits, o, dbits, deg == 90);
        return;
    }
    const int bytes = l.bpp / 8;
    if (deg == 180) {
        for (int64_t y = 0; y < l.height; ++y)
            ReverseRow(LayoutRow(l, sbits, l.height - 1 - y), LayoutRow(o, dbits, y), l.width,
                       bytes);
        return;
    }
    TurnPlaneQuarter(PlaneOf(l, sbits), l.width, l.height, bytes, PlaneOf(o, dbits), deg == 90);
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
    TurnPixels(deg, l, srcp->data.bits, o, out->data.bits);
    return out.Take();
}

}  // namespace dibcore
