// Turning by any angle: each target pixel samples the source bilinearly at
// its inverse-turned position, with the background standing in for whatever
// lies outside, so the edges come out blended rather than stepped.
#include <cmath>
#include <cstring>

#include "pixel_layout.h"
#include "transform.h"

namespace dibcore {

namespace {

constexpr int32_t kFullTurn = 360000;
constexpr int kFracBits = 16;
constexpr int64_t kOne = int64_t{1} << kFracBits;

}  // namespace

Picture *TurnPictureAny(const Picture &src, int32_t thousandths, uint32_t background) {
    const int32_t a = ((thousandths % kFullTurn) + kFullTurn) % kFullTurn;
    if (a % 90000 == 0) return TurnPicture(src, a / 1000);
    PictureOwner rgb(DibTo24(src));
    if (!rgb) return nullptr;
    PixelLayout l;
    ReadLayout(*rgb.get(), &l);

    const double rad = a / 1000.0 * 3.14159265358979323846 / 180.0;
    const double c = std::cos(rad), s = std::sin(rad);
    const double fw = std::fabs(l.width * c) + std::fabs(l.height * s);
    const double fh = std::fabs(l.width * s) + std::fabs(l.height * c);
    // Shave rounding noise so a 3x3 picture turned by 0.001 degrees stays 3x3.
    const int64_t nw = static_cast<int64_t>(std::ceil(fw - 1e-6));
    const int64_t nh = static_cast<int64_t>(std::ceil(fh - 1e-6));
    if (nw < 1 || nh < 1 || nw > kMaxSide || nh > kMaxSide) return nullptr;
    PictureOwner out(NewSimplePicture(static_cast<int32_t>(nw), static_cast<int32_t>(nh), 24, 0, nullptr));
    if (!out) return nullptr;
    out->data.header->biXPelsPerMeter = rgb->data.header->biXPelsPerMeter;
    out->data.header->biYPelsPerMeter = rgb->data.header->biYPelsPerMeter;
    PixelLayout o;
    ReadLayout(*out.get(), &o);

    const uint8_t bg[3] = {uint8_t(background >> 16), uint8_t(background >> 8), uint8_t(background)};
    const int64_t w = l.width, h = l.height;
    // Source position of target pixel centre (dx, dy), in source pixel
    // units where pixel centres sit on integers: s = R(-a)(d - cd) + cs.
    const int64_t stepXx = std::llround(c * kOne), stepXy = std::llround(-s * kOne);
    for (int64_t dy = 0; dy < nh; ++dy) {
        const double v = dy + 0.5 - nh / 2.0;
        const double u0 = 0.5 - nw / 2.0;
        int64_t sx = std::llround((u0 * c + v * s + w / 2.0 - 0.5) * kOne);
        int64_t sy = std::llround((-u0 * s + v * c + h / 2.0 - 0.5) * kOne);
        uint8_t *d = LayoutRow(o, out->data.bits, dy);
        for (int64_t dx = 0; dx < nw; ++dx, d += 3, sx += stepXx, sy += stepXy) {
            const int64_t x0 = sx >> kFracBits, y0 = sy >> kFracBits;
            if (x0 < -1 || y0 < -1 || x0 >= w || y0 >= h) {
                d[0] = bg[0];
                d[1] = bg[1];
                d[2] = bg[2];
                continue;
            }
            const uint32_t fx = static_cast<uint32_t>((sx >> 8) & 0xFF), fy = static_cast<uint32_t>((sy >> 8) & 0xFF);
            const uint32_t wgt[4] = {(256 - fx) * (256 - fy), fx * (256 - fy), (256 - fx) * fy, fx * fy};
            const uint8_t *p[4];
            for (int k = 0; k < 4; ++k) {
                const int64_t x = x0 + (k & 1), y = y0 + (k >> 1);
                p[k] = (x >= 0 && y >= 0 && x < w && y < h) ? LayoutRow(l, rgb->data.bits, y) + 3 * x : bg;
            }
            for (int ch = 0; ch < 3; ++ch) {
                const uint32_t sum = p[0][ch] * wgt[0] + p[1][ch] * wgt[1] + p[2][ch] * wgt[2] + p[3][ch] * wgt[3];
                d[ch] = static_cast<uint8_t>((sum + 32768) >> 16);
            }
        }
    }
    return out.Take();
}

}  // namespace dibcore
