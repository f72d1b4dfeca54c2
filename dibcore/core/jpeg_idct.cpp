#include "jpeg_idct.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>

#include "jpeg_sse2.h"
#endif

namespace dibcore {

namespace {

// 13-bit fixed-point constants of the transform.
enum : int32_t {
    F0298 = 2446, F0390 = 3196, F0541 = 4433, F0765 = 6270, F0899 = 7373, F1175 = 9633,
    F1501 = 12299, F1847 = 15137, F1961 = 16069, F2053 = 16819, F2562 = 20995, F3072 = 25172,
};
constexpr int kPass1Shift = 11;  // keep two extra bits between the passes
constexpr int kPass2Shift = 18;  // 13 + 2 + 3 (the 1/8 of the transform)

inline int16_t Saturate16(int32_t v) { return v < -32768 ? -32768 : v > 32767 ? 32767 : static_cast<int16_t>(v); }
inline int32_t Descale(uint32_t v, int shift) {
    return static_cast<int32_t>(v + (1u << (shift - 1))) >> shift;
}

// One 8-point transform; `store` receives output i with its value.
template <typename Store>
inline void Idct1D(const int32_t *in, int shift, Store store) {
    const uint32_t i0 = static_cast<uint32_t>(in[0]), i1 = static_cast<uint32_t>(in[1]),
                   i2 = static_cast<uint32_t>(in[2]), i3 = static_cast<uint32_t>(in[3]),
                   i4 = static_cast<uint32_t>(in[4]), i5 = static_cast<uint32_t>(in[5]),
                   i6 = static_cast<uint32_t>(in[6]), i7 = static_cast<uint32_t>(in[7]);
    // Even part.
    uint32_t z1 = (i2 + i6) * F0541;
    const uint32_t tmp2 = z1 + i6 * static_cast<uint32_t>(-F1847);
    const uint32_t tmp3 = z1 + i2 * F0765;
    const uint32_t tmp0 = (i0 + i4) << 13;
    const uint32_t tmp1 = (i0 - i4) << 13;
    const uint32_t tmp10 = tmp0 + tmp3, tmp13 = tmp0 - tmp3, tmp11 = tmp1 + tmp2, tmp12 = tmp1 - tmp2;
    // Odd part.
    uint32_t t0 = i7, t1 = i5, t2 = i3, t3 = i1;
    z1 = t0 + t3;
    uint32_t z2 = t1 + t2, z3 = t0 + t2, z4 = t1 + t3;
    const uint32_t z5 = (z3 + z4) * F1175;
    t0 *= F0298;
    t1 *= F2053;
    t2 *= F3072;
    t3 *= F1501;
    z1 *= static_cast<uint32_t>(-F0899);
    z2 *= static_cast<uint32_t>(-F2562);
    z3 *= static_cast<uint32_t>(-F1961);
    z4 *= static_cast<uint32_t>(-F0390);
    z3 += z5;
    z4 += z5;
    t0 += z1 + z3;
    t1 += z2 + z4;
    t2 += z2 + z3;
    t3 += z1 + z4;
    store(0, Descale(tmp10 + t3, shift));
    store(7, Descale(tmp10 - t3, shift));
    store(1, Descale(tmp11 + t2, shift));
    store(6, Descale(tmp11 - t2, shift));
    store(2, Descale(tmp12 + t1, shift));
    store(5, Descale(tmp12 - t1, shift));
    store(3, Descale(tmp13 + t0, shift));
    store(4, Descale(tmp13 - t0, shift));
}

}  // namespace

void Jpeg_IdctScalar(const int16_t *coef, uint8_t *out, ptrdiff_t stride) {
    int16_t ws[64];
    for (int c = 0; c < 8; ++c) {
        int32_t col[8];
        for (int r = 0; r < 8; ++r) col[r] = coef[r * 8 + c];
        Idct1D(col, kPass1Shift, [&](int r, int32_t v) { ws[r * 8 + c] = Saturate16(v); });
    }
    for (int r = 0; r < 8; ++r) {
        int32_t row[8];
        for (int c = 0; c < 8; ++c) row[c] = ws[r * 8 + c];
        uint8_t *o = out + r * stride;
        Idct1D(row, kPass2Shift, [&](int c, int32_t v) {
            // The SIMD path saturates to 16 bits, then to a signed byte.
            const int32_t s = Saturate16(v);
            o[c] = static_cast<uint8_t>((s < -128 ? -128 : s > 127 ? 127 : s) + 128);
        });
    }
}

void Jpeg_IdctDcOnly(int dc, uint8_t *out, ptrdiff_t stride) {
    const int32_t ws = Saturate16(dc * 4);
    int32_t v = (ws + 16) >> 5;
    v = v < -128 ? 0 : v > 127 ? 255 : v + 128;
    for (int r = 0; r < 8; ++r) std::memset(out + r * stride, v, 8);
}

#if defined(__SSE2__)

namespace {

// a*ka + b*kb for the eight lanes, as two halves of 32-bit sums.
struct Wide {
    __m128i lo, hi;
};
inline Wide MulPair(__m128i a, __m128i b, __m128i k) {
    return {_mm_madd_epi16(_mm_unpacklo_epi16(a, b), k), _mm_madd_epi16(_mm_unpackhi_epi16(a, b), k)};
}
inline Wide Add(Wide a, Wide b) { return {_mm_add_epi32(a.lo, b.lo), _mm_add_epi32(a.hi, b.hi)}; }
inline Wide Sub(Wide a, Wide b) { return {_mm_sub_epi32(a.lo, b.lo), _mm_sub_epi32(a.hi, b.hi)}; }
template <int kShift>
inline __m128i Narrow(Wide v) {
    const __m128i round = _mm_set1_epi32(1 << (kShift - 1));
    return _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(v.lo, round), kShift),
                           _mm_srai_epi32(_mm_add_epi32(v.hi, round), kShift));
}

// The same transform on eight columns at once. The odd part is expanded
// into products of single inputs so nothing is summed in 16 bits.
template <int kShift>
inline void Pass(__m128i *r) {
    const Wide tmp3 = MulPair(r[2], r[6], Sse2_Pair(F0541 + F0765, F0541));
    const Wide tmp2 = MulPair(r[2], r[6], Sse2_Pair(F0541, F0541 - F1847));
    const Wide tmp0 = MulPair(r[0], r[4], Sse2_Pair(8192, 8192));
    const Wide tmp1 = MulPair(r[0], r[4], Sse2_Pair(8192, -8192));
    const Wide tmp10 = Add(tmp0, tmp3), tmp13 = Sub(tmp0, tmp3), tmp11 = Add(tmp1, tmp2), tmp12 = Sub(tmp1, tmp2);

    const Wide o0 = Add(MulPair(r[7], r[1], Sse2_Pair(F0298 - F0899 + F1175 - F1961, F1175 - F0899)),
                        MulPair(r[3], r[5], Sse2_Pair(F1175 - F1961, F1175)));
    const Wide o1 = Add(MulPair(r[7], r[1], Sse2_Pair(F1175, F1175 - F0390)),
                        MulPair(r[3], r[5], Sse2_Pair(F1175 - F2562, F2053 - F2562 + F1175 - F0390)));
    const Wide o2 = Add(MulPair(r[7], r[1], Sse2_Pair(F1175 - F1961, F1175)),
                        MulPair(r[3], r[5], Sse2_Pair(F3072 - F2562 + F1175 - F1961, F1175 - F2562)));
    const Wide o3 = Add(MulPair(r[7], r[1], Sse2_Pair(F1175 - F0899, F1501 - F0899 + F1175 - F0390)),
                        MulPair(r[3], r[5], Sse2_Pair(F1175, F1175 - F0390)));

    r[0] = Narrow<kShift>(Add(tmp10, o3));
    r[7] = Narrow<kShift>(Sub(tmp10, o3));
    r[1] = Narrow<kShift>(Add(tmp11, o2));
    r[6] = Narrow<kShift>(Sub(tmp11, o2));
    r[2] = Narrow<kShift>(Add(tmp12, o1));
    r[5] = Narrow<kShift>(Sub(tmp12, o1));
    r[3] = Narrow<kShift>(Add(tmp13, o0));
    r[4] = Narrow<kShift>(Sub(tmp13, o0));
}

// The same pass when inputs 4..7 are zero, as in most blocks of a photo
// (only the 4x4 lowest frequencies present): the zero products dropped,
// the sums unchanged.
template <int kShift>
inline void PassHalf(__m128i *r) {
    const __m128i k02 = Sse2_Pair(8192, F0541 + F0765), k02n = Sse2_Pair(8192, -(F0541 + F0765));
    const Wide tmp10 = MulPair(r[0], r[2], k02), tmp13 = MulPair(r[0], r[2], k02n);
    const Wide tmp11 = MulPair(r[0], r[2], Sse2_Pair(8192, F0541)), tmp12 = MulPair(r[0], r[2], Sse2_Pair(8192, -F0541));
    const Wide o0 = MulPair(r[1], r[3], Sse2_Pair(F1175 - F0899, F1175 - F1961));
    const Wide o1 = MulPair(r[1], r[3], Sse2_Pair(F1175 - F0390, F1175 - F2562));
    const Wide o2 = MulPair(r[1], r[3], Sse2_Pair(F1175, F3072 - F2562 + F1175 - F1961));
    const Wide o3 = MulPair(r[1], r[3], Sse2_Pair(F1501 - F0899 + F1175 - F0390, F1175));
    r[0] = Narrow<kShift>(Add(tmp10, o3));
    r[7] = Narrow<kShift>(Sub(tmp10, o3));
    r[1] = Narrow<kShift>(Add(tmp11, o2));
    r[6] = Narrow<kShift>(Sub(tmp11, o2));
    r[2] = Narrow<kShift>(Add(tmp12, o1));
    r[5] = Narrow<kShift>(Sub(tmp12, o1));
    r[3] = Narrow<kShift>(Add(tmp13, o0));
    r[4] = Narrow<kShift>(Sub(tmp13, o0));
}

}  // namespace

void Jpeg_IdctSse2(const int16_t *coef, uint8_t *out, ptrdiff_t stride) {
    __m128i r[8];
    for (int i = 0; i < 8; ++i) r[i] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(coef + i * 8));
    // Rows 4..7 and columns 4..7 all zero: both passes see zero upper inputs.
    const __m128i upperRows = _mm_or_si128(_mm_or_si128(r[4], r[5]), _mm_or_si128(r[6], r[7]));
    const __m128i upperCols = _mm_srli_si128(_mm_or_si128(_mm_or_si128(r[0], r[1]), _mm_or_si128(r[2], r[3])), 8);
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(upperRows, upperCols), _mm_setzero_si128())) == 0xFFFF) {
        PassHalf<kPass1Shift>(r);
        Sse2_Transpose8x8(r);
        PassHalf<kPass2Shift>(r);
    } else {
        Pass<kPass1Shift>(r);
        Sse2_Transpose8x8(r);
        Pass<kPass2Shift>(r);
    }
    Sse2_Transpose8x8(r);
    const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
    for (int i = 0; i < 8; i += 2) {
        const __m128i b = _mm_xor_si128(_mm_packs_epi16(r[i], r[i + 1]), bias);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + i * stride), b);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + (i + 1) * stride), _mm_srli_si128(b, 8));
    }
}

#else

void Jpeg_IdctSse2(const int16_t *coef, uint8_t *out, ptrdiff_t stride) { Jpeg_IdctScalar(coef, out, stride); }

#endif

}  // namespace dibcore
