#include "jpeg_fdct.h"

#include "jpeg_tables.h"

namespace dibcore {

namespace {
enum : int32_t {
    F0298 = 2446, F0390 = 3196, F0541 = 4433, F0765 = 6270, F0899 = 7373, F1175 = 9633,
    F1501 = 12299, F1847 = 15137, F1961 = 16069, F2053 = 16819, F2562 = 20995, F3072 = 25172,
};
constexpr int kConstBits = 13, kPass1Bits = 2;

inline int32_t Descale(int32_t x, int n) { return (x + (1 << (n - 1))) >> n; }

// One 8-point forward transform; `first` selects the first pass's scaling.
template <bool kFirst>
inline void Fdct1D(int32_t d0, int32_t d1, int32_t d2, int32_t d3, int32_t d4, int32_t d5, int32_t d6, int32_t d7,
                   int32_t *o, int step) {
    const int32_t tmp0 = d0 + d7, tmp7 = d0 - d7, tmp1 = d1 + d6, tmp6 = d1 - d6;
    const int32_t tmp2 = d2 + d5, tmp5 = d2 - d5, tmp3 = d3 + d4, tmp4 = d3 - d4;
    const int32_t tmp10 = tmp0 + tmp3, tmp13 = tmp0 - tmp3, tmp11 = tmp1 + tmp2, tmp12 = tmp1 - tmp2;
    constexpr int kOdd = kFirst ? kConstBits - kPass1Bits : kConstBits + kPass1Bits;
    if (kFirst) {
        o[0] = (tmp10 + tmp11) * (1 << kPass1Bits);
        o[4 * step] = (tmp10 - tmp11) * (1 << kPass1Bits);
    } else {
        o[0] = Descale(tmp10 + tmp11, kPass1Bits);
        o[4 * step] = Descale(tmp10 - tmp11, kPass1Bits);
    }
    int32_t z1 = (tmp12 + tmp13) * F0541;
    o[2 * step] = Descale(z1 + tmp13 * F0765, kOdd);
    o[6 * step] = Descale(z1 - tmp12 * F1847, kOdd);
    z1 = tmp4 + tmp7;
    int32_t z2 = tmp5 + tmp6, z3 = tmp4 + tmp6, z4 = tmp5 + tmp7;
    const int32_t z5 = (z3 + z4) * F1175;
    z1 *= -F0899;
    z2 *= -F2562;
    z3 = z3 * -F1961 + z5;
    z4 = z4 * -F0390 + z5;
    o[7 * step] = Descale(tmp4 * F0298 + z1 + z3, kOdd);
    o[5 * step] = Descale(tmp5 * F2053 + z2 + z4, kOdd);
    o[3 * step] = Descale(tmp6 * F3072 + z2 + z3, kOdd);
    o[1 * step] = Descale(tmp7 * F1501 + z1 + z4, kOdd);
}
}  // namespace

void Jpeg_MakeDivisors(const uint16_t *quantZigzag, JpegDivisors *d) {
    for (int k = 0; k < 64; ++k) {
        const uint32_t q = uint32_t{quantZigzag[k]} * 8;
        const int n = kJpegZigzagToNatural[k];
        d->reciprocal[n] = static_cast<uint32_t>(((uint64_t{1} << 32) + q - 1) / q);
        d->half[n] = static_cast<uint16_t>(q / 2);
    }
}

void Jpeg_FdctQuantize(const uint8_t *in, ptrdiff_t stride, const JpegDivisors &d, int16_t *outZigzag) {
    int32_t ws[64];
    for (int r = 0; r < 8; ++r) {
        const uint8_t *p = in + r * stride;
        Fdct1D<true>(p[0] - 128, p[1] - 128, p[2] - 128, p[3] - 128, p[4] - 128, p[5] - 128, p[6] - 128, p[7] - 128,
                     ws + r * 8, 1);
    }
    int32_t out[64];
    for (int c = 0; c < 8; ++c) {
        const int32_t *p = ws + c;
        Fdct1D<false>(p[0], p[8], p[16], p[24], p[32], p[40], p[48], p[56], out + c, 8);
    }
    // Round half away from zero, as the reference encoders do; the
    // reciprocal is exact for every magnitude the transform can produce.
    for (int k = 0; k < 64; ++k) {
        const int n = kJpegZigzagToNatural[k];
        const int32_t v = out[n];
        const uint32_t a = static_cast<uint32_t>(v < 0 ? -v : v) + d.half[n];
        const int32_t q = static_cast<int32_t>((uint64_t{a} * d.reciprocal[n]) >> 32);
        outZigzag[k] = static_cast<int16_t>(v < 0 ? -q : q);
    }
}

}  // namespace dibcore
