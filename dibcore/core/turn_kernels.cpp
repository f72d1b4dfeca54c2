#include "turn_kernels.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dibcore {

namespace {

// Where a quarter turn puts source pixel (sx, sy): origin + sx * alongX +
// sy * alongY. alongY is plus or minus one pixel, so a source column lands on
// one target row; alongX is plus or minus one target row.
struct TurnMap {
    uint8_t *origin;
    int64_t alongX;
    int64_t alongY;
};

// The source is walked in bands of columns, each band top to bottom a few
// rows (one block) at a time. Every block writes a few bytes into each of the
// band's target rows; with a band of kBandBytes those partly written lines
// (one per target row) stay in L1 until the next blocks complete them, and
// the source is read row by row. Wider bands spill L1, narrower ones read
// the source in short pieces; 768 bytes measured best at every depth.
constexpr int64_t kBandBytes = 768;
constexpr int64_t BandPixels(int b) { return kBandBytes / b; }

template <int B>
inline void CopyPixel(const uint8_t *s, uint8_t *d) {
    std::memcpy(d, s, B);
}

// One source column of rows [y0, y1) onto its target row, lowest target
// address first. 24-bit pixels move as 4-byte words where the spare byte is
// harmless: the byte read past a pixel is in the same row unless the column
// is the last, and the byte written past one is overwritten by the next
// pixel of the run; the last pixel of a run is written as 3 bytes.
template <int B>
void TurnRun(const PixelPlane &src, int64_t width, const TurnMap &m, int64_t sx, int64_t y0, int64_t y1) {
    const bool up = m.alongY < 0;  // target addresses grow as sy falls
    int64_t sy = up ? y1 - 1 : y0;
    const int64_t sStep = up ? -src.step : src.step;
    const uint8_t *s = src.top + sy * src.step + sx * B;
    uint8_t *d = m.origin + sx * m.alongX + sy * m.alongY;
    int64_t n = y1 - y0;
    if (B == 3 && sx + 1 < width) {
        for (; n > 1; --n, s += sStep, d += 3) {
            uint32_t v;
            std::memcpy(&v, s, 4);
            std::memcpy(d, &v, 4);
        }
    }
    for (; n > 0; --n, s += sStep, d += B) CopyPixel<B>(s, d);
}

#if defined(__SSE2__)
template <int E>
inline __m128i UnpackLo(__m128i a, __m128i b);
template <int E>
inline __m128i UnpackHi(__m128i a, __m128i b);
template <>
inline __m128i UnpackLo<1>(__m128i a, __m128i b) { return _mm_unpacklo_epi8(a, b); }
template <>
inline __m128i UnpackHi<1>(__m128i a, __m128i b) { return _mm_unpackhi_epi8(a, b); }
template <>
inline __m128i UnpackLo<2>(__m128i a, __m128i b) { return _mm_unpacklo_epi16(a, b); }
template <>
inline __m128i UnpackHi<2>(__m128i a, __m128i b) { return _mm_unpackhi_epi16(a, b); }
template <>
inline __m128i UnpackLo<4>(__m128i a, __m128i b) { return _mm_unpacklo_epi32(a, b); }
template <>
inline __m128i UnpackHi<4>(__m128i a, __m128i b) { return _mm_unpackhi_epi32(a, b); }

// Transposes N rows of N E-byte values (N * E == 16). Interleaving row i with
// row i + N/2 rotates the bits of each value's (row, column) index by one;
// log2(N) rounds swap row and column.
template <int E>
inline void Transpose(__m128i *x) {
    constexpr int N = 16 / E;
    for (int bit = 1; bit < N; bit <<= 1) {
        __m128i y[N];
        for (int i = 0; i < N / 2; ++i) {
            y[2 * i] = UnpackLo<E>(x[i], x[i + N / 2]);
            y[2 * i + 1] = UnpackHi<E>(x[i], x[i + N / 2]);
        }
        for (int i = 0; i < N; ++i) x[i] = y[i];
    }
}

// Stack(E) blocks of N x N pixels, one under the other, at (sx, sy): rows
// are loaded in the order their pixels land, lowest target address first, so
// each transposed vector is one ascending store and each target row gets
// Stack(E) vectors in a row. 32-bit blocks stack four high, giving each
// target row 64 bytes at once; stacking 8- and 16-bit blocks measured slower.
constexpr int Stack(int e) { return e == 4 ? 4 : 1; }

template <int E>
inline void TurnBlock(const PixelPlane &src, const TurnMap &m, int64_t sx, int64_t sy) {
    constexpr int N = 16 / E;
    const bool up = m.alongY < 0;
    const int64_t sStep = up ? -src.step : src.step;
    const uint8_t *s = src.top + (up ? sy + N * Stack(E) - 1 : sy) * src.step + sx * E;
    uint8_t *d0 = m.origin + sx * m.alongX + (up ? sy + N * Stack(E) - 1 : sy) * m.alongY;
    for (int k = 0; k < Stack(E); ++k, d0 += 16) {
        __m128i x[N];
        for (int q = 0; q < N; ++q, s += sStep) x[q] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
        Transpose<E>(x);
        uint8_t *d = d0;
        for (int r = 0; r < N; ++r, d += m.alongX) _mm_storeu_si128(reinterpret_cast<__m128i *>(d), x[r]);
    }
}
#endif

// 24-bit pixels have no vector transpose in SSE2; eight rows of four pixels
// go through 64-bit registers instead. Each source row is two overlapping
// 8-byte loads and each target row (eight pixels, 24 bytes) three 8-byte
// stores, all within the block's own bytes.
constexpr int kRows24 = 8;

inline void TurnBlock24(const PixelPlane &src, const TurnMap &m, int64_t sx, int64_t sy) {
    const bool up = m.alongY < 0;
    const uint8_t *s = src.top + (up ? sy + kRows24 - 1 : sy) * src.step + sx * 3;
    const int64_t sStep = up ? -src.step : src.step;
    uint64_t p[4][kRows24];
    for (int q = 0; q < kRows24; ++q, s += sStep) {
        uint64_t lo, hi;
        std::memcpy(&lo, s, 8);
        std::memcpy(&hi, s + 4, 8);
        p[0][q] = lo & 0xFFFFFF;
        p[1][q] = (lo >> 24) & 0xFFFFFF;
        p[2][q] = (hi >> 16) & 0xFFFFFF;
        p[3][q] = hi >> 40;
    }
    uint8_t *d = m.origin + sx * m.alongX + (up ? sy + kRows24 - 1 : sy) * m.alongY;
    for (int r = 0; r < 4; ++r, d += m.alongX) {
        const uint64_t *v = p[r];
        const uint64_t w0 = v[0] | (v[1] << 24) | (v[2] << 48);
        const uint64_t w1 = (v[2] >> 16) | (v[3] << 8) | (v[4] << 32) | (v[5] << 56);
        const uint64_t w2 = (v[5] >> 8) | (v[6] << 16) | (v[7] << 40);
        std::memcpy(d, &w0, 8);
        std::memcpy(d + 8, &w1, 8);
        std::memcpy(d + 16, &w2, 8);
    }
}

template <int B>
void TurnBand(const PixelPlane &src, int64_t width, const TurnMap &m, int64_t x0, int64_t x1, int64_t y0, int64_t y1) {
    // Blocks of rows x cols source pixels; without SSE2 the other depths go
    // run by run.
#if defined(__SSE2__)
    constexpr int kCols = B == 3 ? 4 : 16 / B;
    constexpr int kRows = B == 3 ? kRows24 : kCols * Stack(B);
#else
    constexpr int kCols = 4;
    constexpr int kRows = B == 3 ? kRows24 : kCols;
#endif
    int64_t sy = y0;
    for (; sy + kRows <= y1; sy += kRows) {
        int64_t sx = x0;
        for (; sx + kCols <= x1; sx += kCols) {
#if defined(__SSE2__)
            if constexpr (B != 3) {
                TurnBlock<B>(src, m, sx, sy);
                continue;
            }
#endif
            if constexpr (B == 3) TurnBlock24(src, m, sx, sy);
            else
                for (int k = 0; k < kCols; ++k) TurnRun<B>(src, width, m, sx + k, sy, sy + kRows);
        }
        for (; sx < x1; ++sx) TurnRun<B>(src, width, m, sx, sy, sy + kRows);
    }
    if (sy < y1)
        for (int64_t sx = x0; sx < x1; ++sx) TurnRun<B>(src, width, m, sx, sy, y1);
}

template <int B>
void TurnBands(const PixelPlane &src, int64_t width, int64_t height, const TurnMap &m) {
    for (int64_t x0 = 0; x0 < width; x0 += BandPixels(B)) {
        const int64_t x1 = x0 + BandPixels(B) < width ? x0 + BandPixels(B) : width;
        TurnBand<B>(src, width, m, x0, x1, 0, height);
    }
}

#if defined(__SSE2__)
// Reverses the order of the 16-byte vector's E-byte values.
template <int E>
inline __m128i ReverseVector(__m128i v) {
    v = _mm_shuffle_epi32(v, _MM_SHUFFLE(0, 1, 2, 3));
    if (E <= 2) {
        v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
        v = _mm_shufflehi_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
    }
    if (E == 1) v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
    return v;
}
#endif

template <int B>
void ReverseWhole(const uint8_t *src, uint8_t *dst, int64_t n) {
    const uint8_t *s = src + n * B;  // one past the pixel to copy next
    int64_t k = 0;
#if defined(__SSE2__)
    constexpr int64_t kPer = 16 / B;
    for (; k + kPer <= n; k += kPer, s -= 16, dst += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s - 16));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst), ReverseVector<B>(v));
    }
#endif
    for (; k < n; ++k, dst += B) {
        s -= B;
        CopyPixel<B>(s, dst);
    }
}

// 24-bit rows reverse four pixels (12 bytes) at a time: two overlapping
// 8-byte loads hold them, shifts pull out the pixels and two stores put them
// back in the other order.
void Reverse24(const uint8_t *src, uint8_t *dst, int64_t n) {
    const uint8_t *s = src + n * 3;
    int64_t k = 0;
    for (; k + 4 <= n; k += 4, dst += 12) {
        s -= 12;
        uint64_t lo, hi;
        std::memcpy(&lo, s, 8);
        std::memcpy(&hi, s + 4, 8);
        const uint64_t p0 = lo & 0xFFFFFF, p1 = (lo >> 24) & 0xFFFFFF, p2 = (hi >> 16) & 0xFFFFFF, p3 = hi >> 40;
        const uint64_t outLo = p3 | (p2 << 24) | (p1 << 48);
        const uint32_t outHi = static_cast<uint32_t>((p1 >> 16) | (p0 << 8));
        std::memcpy(dst, &outLo, 8);
        std::memcpy(dst + 8, &outHi, 4);
    }
    for (; k < n; ++k, dst += 3) {
        s -= 3;
        CopyPixel<3>(s, dst);
    }
}

}  // namespace

void TurnPlaneQuarter(const PixelPlane &src, int64_t width, int64_t height, int bytesPerPixel, const PixelPlane &dst,
                      bool clockwise) {
    const int64_t b = bytesPerPixel;
    // Clockwise: (sx, sy) -> target (height - 1 - sy, sx); counter-clockwise:
    // (sx, sy) -> target (sy, width - 1 - sx).
    const TurnMap m = clockwise ? TurnMap{dst.top + (height - 1) * b, dst.step, -b}
                                : TurnMap{dst.top + (width - 1) * dst.step, -dst.step, b};
    switch (bytesPerPixel) {
        case 1: TurnBands<1>(src, width, height, m); break;
        case 2: TurnBands<2>(src, width, height, m); break;
        case 3: TurnBands<3>(src, width, height, m); break;
        default: TurnBands<4>(src, width, height, m); break;
    }
}

void ReverseRow(const uint8_t *src, uint8_t *dst, int64_t count, int bytesPerPixel) {
    switch (bytesPerPixel) {
        case 1: ReverseWhole<1>(src, dst, count); break;
        case 2: ReverseWhole<2>(src, dst, count); break;
        case 3: Reverse24(src, dst, count); break;
        default: ReverseWhole<4>(src, dst, count); break;
    }
}

}  // namespace dibcore
