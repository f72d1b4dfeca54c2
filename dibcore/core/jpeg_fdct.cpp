#include "jpeg_fdct.h"

#include "jpeg_tables.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include "jpeg_sse2.h"
#endif

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
        // floor(a / q) = floor(a * m / 2^(16 + s)) for a < 2^15 when
        // m = ceil(2^(16 + s) / q) and 2^s < q < 2^(s + 1); a power of two
        // takes one step less so m stays below 2^16.
        int s = 0;
        while ((2u << s) <= q) ++s;
        if ((q & (q - 1)) == 0) --s;
        d->reciprocal16[n] = static_cast<uint16_t>(((uint32_t{1} << (16 + s)) + q - 1) / q);
        d->shiftScale[n] = static_cast<uint16_t>(1u << (16 - s));
    }
}

void Jpeg_FdctQuantizeScalar(const uint8_t *in, ptrdiff_t stride, const JpegDivisors &d, int16_t *out) {
    int32_t ws[64];
    for (int r = 0; r < 8; ++r) {
        const uint8_t *p = in + r * stride;
        Fdct1D<true>(p[0] - 128, p[1] - 128, p[2] - 128, p[3] - 128, p[4] - 128, p[5] - 128, p[6] - 128, p[7] - 128,
                     ws + r * 8, 1);
    }
    int32_t coef[64];
    for (int c = 0; c < 8; ++c) {
        const int32_t *p = ws + c;
        Fdct1D<false>(p[0], p[8], p[16], p[24], p[32], p[40], p[48], p[56], coef + c, 8);
    }
    // Round half away from zero, as the reference encoders do; the
    // reciprocal is exact for every magnitude the transform can produce.
    for (int n = 0; n < 64; ++n) {
        const int32_t v = coef[n];
        const uint32_t a = static_cast<uint32_t>(v < 0 ? -v : v) + d.half[n];
        const int32_t q = static_cast<int32_t>((uint64_t{a} * d.reciprocal[n]) >> 32);
        out[n] = static_cast<int16_t>(v < 0 ? -q : q);
    }
}

#if defined(__SSE2__)

namespace {

// Products of interleaved 16-bit pairs, low and high four lanes in 32 bits.
struct Wide {
    __m128i lo, hi;
};
inline Wide Madd(__m128i a, __m128i b, __m128i k) {
    return {_mm_madd_epi16(_mm_unpacklo_epi16(a, b), k), _mm_madd_epi16(_mm_unpackhi_epi16(a, b), k)};
}
inline Wide Add(Wide x, Wide y) { return {_mm_add_epi32(x.lo, y.lo), _mm_add_epi32(x.hi, y.hi)}; }
inline Wide AddRound(Wide x, __m128i round) { return {_mm_add_epi32(x.lo, round), _mm_add_epi32(x.hi, round)}; }
template <int kShift>
inline __m128i Narrow(Wide x) {
    return _mm_packs_epi32(_mm_srai_epi32(x.lo, kShift), _mm_srai_epi32(x.hi, kShift));
}

// One pass over eight lanes. The odd part shares the rotation of
// (tmp4 + tmp6, tmp5 + tmp7) between two outputs each, with the rounding
// term folded in once; the second pass's DC and middle terms stay in 16
// bits, where eight sums of a pass-one column (at most 2^12 each) fit.
template <bool kFirst>
inline void FdctPass(__m128i *r) {
    constexpr int kOdd = kFirst ? kConstBits - kPass1Bits : kConstBits + kPass1Bits;
    const __m128i round = _mm_set1_epi32(1 << (kOdd - 1));
    const __m128i tmp0 = _mm_add_epi16(r[0], r[7]), tmp7 = _mm_sub_epi16(r[0], r[7]);
    const __m128i tmp1 = _mm_add_epi16(r[1], r[6]), tmp6 = _mm_sub_epi16(r[1], r[6]);
    const __m128i tmp2 = _mm_add_epi16(r[2], r[5]), tmp5 = _mm_sub_epi16(r[2], r[5]);
    const __m128i tmp3 = _mm_add_epi16(r[3], r[4]), tmp4 = _mm_sub_epi16(r[3], r[4]);
    const __m128i tmp10 = _mm_add_epi16(tmp0, tmp3), tmp13 = _mm_sub_epi16(tmp0, tmp3);
    const __m128i tmp11 = _mm_add_epi16(tmp1, tmp2), tmp12 = _mm_sub_epi16(tmp1, tmp2);
    if (kFirst) {
        r[0] = _mm_slli_epi16(_mm_add_epi16(tmp10, tmp11), kPass1Bits);
        r[4] = _mm_slli_epi16(_mm_sub_epi16(tmp10, tmp11), kPass1Bits);
    } else {
        const __m128i half = _mm_set1_epi16(1 << (kPass1Bits - 1));
        r[0] = _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(tmp10, tmp11), half), kPass1Bits);
        r[4] = _mm_srai_epi16(_mm_add_epi16(_mm_sub_epi16(tmp10, tmp11), half), kPass1Bits);
    }
    r[2] = Narrow<kOdd>(AddRound(Madd(tmp12, tmp13, Sse2_Pair(F0541, F0541 + F0765)), round));
    r[6] = Narrow<kOdd>(AddRound(Madd(tmp12, tmp13, Sse2_Pair(F0541 - F1847, F0541)), round));
    const __m128i z3 = _mm_add_epi16(tmp4, tmp6), z4 = _mm_add_epi16(tmp5, tmp7);
    const Wide rot3 = AddRound(Madd(z3, z4, Sse2_Pair(F1175 - F1961, F1175)), round);
    const Wide rot4 = AddRound(Madd(z3, z4, Sse2_Pair(F1175, F1175 - F0390)), round);
    r[7] = Narrow<kOdd>(Add(Madd(tmp4, tmp7, Sse2_Pair(F0298 - F0899, -F0899)), rot3));
    r[1] = Narrow<kOdd>(Add(Madd(tmp4, tmp7, Sse2_Pair(-F0899, F1501 - F0899)), rot4));
    r[5] = Narrow<kOdd>(Add(Madd(tmp5, tmp6, Sse2_Pair(F2053 - F2562, -F2562)), rot4));
    r[3] = Narrow<kOdd>(Add(Madd(tmp5, tmp6, Sse2_Pair(-F2562, F3072 - F2562)), rot3));
}

}  // namespace

void Jpeg_FdctQuantizeSse2(const uint8_t *in, ptrdiff_t stride, const JpegDivisors &d, int16_t *out) {
    const __m128i zero = _mm_setzero_si128(), c128 = _mm_set1_epi16(128);
    __m128i r[8];
    for (int i = 0; i < 8; ++i)
        r[i] = _mm_sub_epi16(
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(in + i * stride)), zero), c128);
    Sse2_Transpose8x8(r);
    FdctPass<true>(r);
    Sse2_Transpose8x8(r);
    FdctPass<false>(r);
    for (int i = 0; i < 8; ++i) {
        const __m128i v = r[i];
        const __m128i sign = _mm_srai_epi16(v, 15);
        const __m128i a = _mm_add_epi16(_mm_sub_epi16(_mm_xor_si128(v, sign), sign),
                                        _mm_load_si128(reinterpret_cast<const __m128i *>(d.half + 8 * i)));
        __m128i q = _mm_mulhi_epu16(a, _mm_load_si128(reinterpret_cast<const __m128i *>(d.reciprocal16 + 8 * i)));
        q = _mm_mulhi_epu16(q, _mm_load_si128(reinterpret_cast<const __m128i *>(d.shiftScale + 8 * i)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8 * i), _mm_sub_epi16(_mm_xor_si128(q, sign), sign));
    }
}

#else

void Jpeg_FdctQuantizeSse2(const uint8_t *in, ptrdiff_t stride, const JpegDivisors &d, int16_t *out) {
    Jpeg_FdctQuantizeScalar(in, stride, d, out);
}

#endif

}  // namespace dibcore
