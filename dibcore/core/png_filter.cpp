#include "png_filter.h"

#include <cstdlib>
#include <cstring>

#include "dib_png.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QV_PNG_SSE2 1
#endif

namespace dibcore {

namespace {

inline uint8_t Paeth(int a, int b, int c) {
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    // Branch-free selection in the order the format prescribes: a, b, c.
    const int ab = pb < pa ? b : a;
    const int pab = pb < pa ? pb : pa;
    return static_cast<uint8_t>(pc < pab ? c : ab);
}

void UnSub(uint8_t *row, size_t bytes, int bpp) {
    for (size_t i = size_t(bpp); i < bytes; ++i) row[i] = uint8_t(row[i] + row[i - bpp]);
}

void UnUp(uint8_t *row, const uint8_t *prev, size_t bytes) {
    size_t i = 0;
#ifdef QV_PNG_SSE2
    for (; i + 16 <= bytes; i += 16) {
        const __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i *>(row + i));
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i *>(prev + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(row + i), _mm_add_epi8(r, p));
    }
#endif
    for (; i < bytes; ++i) row[i] = uint8_t(row[i] + prev[i]);
}

void UnAvg(uint8_t *row, const uint8_t *prev, size_t bytes, int bpp) {
    const size_t n = size_t(bpp) < bytes ? size_t(bpp) : bytes;
    for (size_t i = 0; i < n; ++i) row[i] = uint8_t(row[i] + (prev[i] >> 1));
    for (size_t i = n; i < bytes; ++i) row[i] = uint8_t(row[i] + ((row[i - bpp] + prev[i]) >> 1));
}

void UnPaeth(uint8_t *row, const uint8_t *prev, size_t bytes, int bpp) {
    const size_t n = size_t(bpp) < bytes ? size_t(bpp) : bytes;
    for (size_t i = 0; i < n; ++i) row[i] = uint8_t(row[i] + prev[i]);
    for (size_t i = n; i < bytes; ++i) row[i] = uint8_t(row[i] + Paeth(row[i - bpp], prev[i], prev[i - bpp]));
}

#ifdef QV_PNG_SSE2
// One pixel of 3, 4, 6 or 8 bytes per step: Sub, Avg and Paeth depend on
// the pixel to the left, so the parallelism is across the channels of a
// pixel. Pixels are loaded 4 or 8 bytes wide while those bytes exist (for 3-
// and 6-byte pixels the spare lanes carry junk that is never stored); only
// the last such pixel is assembled from narrower loads. A narrow memcpy load
// would bounce through the stack and stall the loop's dependency chain.
template <int kBpp>
constexpr size_t kLoadWidth = kBpp <= 4 ? 4 : 8;

template <int kBpp>
inline __m128i LoadPixel(const uint8_t *p, bool last) {
    if (kLoadWidth<kBpp> == 4) {
        uint32_t v;
        if (kBpp == 4 || !last) {
            std::memcpy(&v, p, 4);
        } else {
            v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
        }
        return _mm_cvtsi32_si128(int(v));
    }
    uint64_t v;
    if (kBpp == 8 || !last) {
        std::memcpy(&v, p, 8);
    } else {
        uint32_t lo;
        std::memcpy(&lo, p, 4);
        v = uint64_t(lo) | uint64_t(p[4]) << 32 | uint64_t(p[5]) << 40;
    }
    return _mm_cvtsi64_si128(int64_t(v));
}
template <int kBpp>
inline void StorePixel(uint8_t *p, __m128i v) {
    const uint64_t x = uint64_t(_mm_cvtsi128_si64(v));
    std::memcpy(p, &x, kBpp);
}

template <int kBpp>
void UnSubSse2(uint8_t *row, size_t bytes) {
    __m128i a = _mm_setzero_si128();
    for (size_t i = 0; i + kBpp <= bytes; i += kBpp) {
        a = _mm_add_epi8(a, LoadPixel<kBpp>(row + i, i + kLoadWidth<kBpp> > bytes));
        StorePixel<kBpp>(row + i, a);
    }
}

template <int kBpp>
void UnAvgSse2(uint8_t *row, const uint8_t *prev, size_t bytes) {
    const __m128i one = _mm_set1_epi8(1);
    __m128i a = _mm_setzero_si128();
    for (size_t i = 0; i + kBpp <= bytes; i += kBpp) {
        const bool last = i + kLoadWidth<kBpp> > bytes;
        const __m128i b = LoadPixel<kBpp>(prev + i, last);
        // _mm_avg_epu8 rounds up; the filter wants the floor.
        __m128i avg = _mm_avg_epu8(a, b);
        avg = _mm_sub_epi8(avg, _mm_and_si128(_mm_xor_si128(a, b), one));
        a = _mm_add_epi8(LoadPixel<kBpp>(row + i, last), avg);
        StorePixel<kBpp>(row + i, a);
    }
}

inline __m128i Abs16(__m128i x) { return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x)); }
inline __m128i Select(__m128i mask, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

template <int kBpp>
void UnPaethSse2(uint8_t *row, const uint8_t *prev, size_t bytes) {
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero, c = zero;  // 16-bit lanes
    for (size_t i = 0; i + kBpp <= bytes; i += kBpp) {
        const bool last = i + kLoadWidth<kBpp> > bytes;
        const __m128i b = _mm_unpacklo_epi8(LoadPixel<kBpp>(prev + i, last), zero);
        __m128i pa = _mm_sub_epi16(b, c);
        __m128i pb = _mm_sub_epi16(a, c);
        __m128i pc = _mm_add_epi16(pa, pb);
        pa = Abs16(pa);
        pb = Abs16(pb);
        pc = Abs16(pc);
        const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
        const __m128i nearest =
            Select(_mm_cmpeq_epi16(pa, smallest), a, Select(_mm_cmpeq_epi16(pb, smallest), b, c));
        const __m128i x = _mm_unpacklo_epi8(LoadPixel<kBpp>(row + i, last), zero);
        // Byte adds keep each lane's high byte zero, so this is the sum mod 256.
        a = _mm_add_epi8(x, nearest);
        StorePixel<kBpp>(row + i, _mm_packus_epi16(a, a));
        c = b;
    }
}
#endif

}  // namespace

bool PngUnfilterRowScalar(int type, uint8_t *row, const uint8_t *prev, size_t bytes, int bpp) {
    switch (type) {
        case kFilterNone:
            return true;
        case kFilterSub:
            UnSub(row, bytes, bpp);
            return true;
        case kFilterUp:
            for (size_t i = 0; i < bytes; ++i) row[i] = uint8_t(row[i] + prev[i]);
            return true;
        case kFilterAvg:
            UnAvg(row, prev, bytes, bpp);
            return true;
        case kFilterPaeth:
            UnPaeth(row, prev, bytes, bpp);
            return true;
        default:
            return false;
    }
}

bool PngUnfilterRow(int type, uint8_t *row, const uint8_t *prev, size_t bytes, int bpp) {
#ifdef QV_PNG_SSE2
    // Rows of 3-, 4-, 6- and 8-byte pixels are whole pixels, so the SIMD
    // loops cover them exactly.
    switch (type >= 0 && type <= kFilterPaeth ? bpp * 8 + type : -1) {
        case 3 * 8 + kFilterSub: UnSubSse2<3>(row, bytes); return true;
        case 4 * 8 + kFilterSub: UnSubSse2<4>(row, bytes); return true;
        case 6 * 8 + kFilterSub: UnSubSse2<6>(row, bytes); return true;
        case 8 * 8 + kFilterSub: UnSubSse2<8>(row, bytes); return true;
        case 3 * 8 + kFilterAvg: UnAvgSse2<3>(row, prev, bytes); return true;
        case 4 * 8 + kFilterAvg: UnAvgSse2<4>(row, prev, bytes); return true;
        case 6 * 8 + kFilterAvg: UnAvgSse2<6>(row, prev, bytes); return true;
        case 8 * 8 + kFilterAvg: UnAvgSse2<8>(row, prev, bytes); return true;
        case 3 * 8 + kFilterPaeth: UnPaethSse2<3>(row, prev, bytes); return true;
        case 4 * 8 + kFilterPaeth: UnPaethSse2<4>(row, prev, bytes); return true;
        case 6 * 8 + kFilterPaeth: UnPaethSse2<6>(row, prev, bytes); return true;
        case 8 * 8 + kFilterPaeth: UnPaethSse2<8>(row, prev, bytes); return true;
        default: break;
    }
    if (type == kFilterUp) {
        UnUp(row, prev, bytes);
        return true;
    }
#endif
    return PngUnfilterRowScalar(type, row, prev, bytes, bpp);
}

uint64_t PngFilterRow(int type, const uint8_t *raw, const uint8_t *prev, size_t bytes, int bpp, uint8_t *out) {
    const size_t n = size_t(bpp) < bytes ? size_t(bpp) : bytes;
    switch (type) {
        case kFilterSub:
            for (size_t i = 0; i < n; ++i) out[i] = raw[i];
            for (size_t i = n; i < bytes; ++i) out[i] = uint8_t(raw[i] - raw[i - bpp]);
            break;
        case kFilterUp:
            for (size_t i = 0; i < bytes; ++i) out[i] = uint8_t(raw[i] - prev[i]);
            break;
        case kFilterAvg:
            for (size_t i = 0; i < n; ++i) out[i] = uint8_t(raw[i] - (prev[i] >> 1));
            for (size_t i = n; i < bytes; ++i) out[i] = uint8_t(raw[i] - ((raw[i - bpp] + prev[i]) >> 1));
            break;
        case kFilterPaeth:
            for (size_t i = 0; i < n; ++i) out[i] = uint8_t(raw[i] - prev[i]);
            for (size_t i = n; i < bytes; ++i) out[i] = uint8_t(raw[i] - Paeth(raw[i - bpp], prev[i], prev[i - bpp]));
            break;
        default:
            std::memcpy(out, raw, bytes);
            break;
    }
    // Signed magnitude of each byte: min(v, 256 - v).
    uint64_t sum = 0;
    size_t i = 0;
#ifdef QV_PNG_SSE2
    const __m128i zero = _mm_setzero_si128();
    __m128i acc = zero;
    for (; i + 16 <= bytes; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(out + i));
        const __m128i mag = _mm_min_epu8(v, _mm_sub_epi8(zero, v));
        acc = _mm_add_epi64(acc, _mm_sad_epu8(mag, zero));
    }
    sum = uint64_t(_mm_cvtsi128_si64(acc)) + uint64_t(_mm_cvtsi128_si64(_mm_unpackhi_epi64(acc, acc)));
#endif
    for (; i < bytes; ++i) sum += out[i] < 128 ? out[i] : 256 - out[i];
    return sum;
}

int PngFilterBest(uint32_t filters, const uint8_t *raw, const uint8_t *prev, size_t bytes, int bpp, uint8_t *out,
                  uint8_t *trial) {
    int best = -1;
    uint64_t bestSum = 0;
    for (int type = kFilterNone; type <= kFilterPaeth; ++type) {
        if ((filters & (kPngFilterNone << type)) == 0) continue;
        if (best < 0) {
            bestSum = PngFilterRow(type, raw, prev, bytes, bpp, out);
            best = type;
            continue;
        }
        const uint64_t sum = PngFilterRow(type, raw, prev, bytes, bpp, trial);
        if (sum < bestSum) {
            bestSum = sum;
            best = type;
            std::memcpy(out, trial, bytes);
        }
    }
    if (best >= 0) return best;
    std::memcpy(out, raw, bytes);
    return kFilterNone;
}

}  // namespace dibcore
