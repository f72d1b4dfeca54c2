#include "jpeg_color.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <tmmintrin.h>
#endif

namespace dibcore {

namespace {

// 16-bit fixed-point factors of the conversion (1.402, 0.34414, 0.71414,
// 1.772 times 65536, rounded), as the reference decoders use them.
constexpr int32_t kCrR = 91881, kCbG = 22554, kCrG = 46802, kCbB = 116130;

inline uint8_t Clamp255(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

inline void YccPixel(int y, int cb, int cr, uint8_t *bgr) {
    cb -= 128;
    cr -= 128;
    bgr[2] = Clamp255(y + ((kCrR * cr + 32768) >> 16));
    bgr[1] = Clamp255(y + ((-kCbG * cb - kCrG * cr + 32768) >> 16));
    bgr[0] = Clamp255(y + ((kCbB * cb + 32768) >> 16));
}

}  // namespace

// Both 2:1 kernels weigh the nearer sample 3 and the other neighbour 1, with
// the edge sample repeated; the rounding alternates so no colour drifts.
void Jpeg_UpsampleH2Scalar(const uint8_t *in, int n, uint8_t *out) {
    for (int i = 0; i < n; ++i) {
        const int s = in[i] * 3;
        const int left = in[i > 0 ? i - 1 : 0];
        const int right = in[i + 1 < n ? i + 1 : n - 1];
        out[2 * i] = static_cast<uint8_t>((s + left + 1) >> 2);
        out[2 * i + 1] = static_cast<uint8_t>((s + right + 2) >> 2);
    }
}

void Jpeg_UpsampleH2V2Scalar(const uint8_t *nearRow, const uint8_t *farRow, int n, uint8_t *out,
                             int16_t *sums) {
    int16_t *c = sums + 1;
    for (int i = 0; i < n; ++i) c[i] = static_cast<int16_t>(nearRow[i] * 3 + farRow[i]);
    c[-1] = c[0];
    c[n] = c[n - 1];
    for (int i = 0; i < n; ++i) {
        out[2 * i] = static_cast<uint8_t>((c[i] * 3 + c[i - 1] + 8) >> 4);
        out[2 * i + 1] = static_cast<uint8_t>((c[i] * 3 + c[i + 1] + 7) >> 4);
    }
}

void Jpeg_UpsampleV2(const uint8_t *nearRow, const uint8_t *farRow, int n, bool lower, uint8_t *out) {
    const int bias = lower ? 2 : 1;
    for (int i = 0; i < n; ++i) out[i] = static_cast<uint8_t>((nearRow[i] * 3 + farRow[i] + bias) >> 2);
}

void Jpeg_UpsampleBox(const uint8_t *in, int n, int factor, uint8_t *out) {
    for (int i = 0; i < n; ++i)
        for (int k = 0; k < factor; ++k) *out++ = in[i];
}

void Jpeg_YccToBgrScalar(const uint8_t *y, const uint8_t *cb, const uint8_t *cr, int n, uint8_t *bgr) {
    for (int i = 0; i < n; ++i, bgr += 3) YccPixel(y[i], cb[i], cr[i], bgr);
}

void Jpeg_RgbToBgr(const uint8_t *r, const uint8_t *g, const uint8_t *b, int n, uint8_t *bgr) {
    for (int i = 0; i < n; ++i, bgr += 3) {
        bgr[0] = b[i];
        bgr[1] = g[i];
        bgr[2] = r[i];
    }
}

// Files with four components come from prepress software that stores the
// inks inverted (255 = no ink), so a channel times K over 255 is the colour.
void Jpeg_CmykToBgr(const uint8_t *c, const uint8_t *m, const uint8_t *y, const uint8_t *k, int n, uint8_t *bgr) {
    for (int i = 0; i < n; ++i, bgr += 3) {
        const int kk = k[i];
        bgr[0] = static_cast<uint8_t>((y[i] * kk + 127) / 255);
        bgr[1] = static_cast<uint8_t>((m[i] * kk + 127) / 255);
        bgr[2] = static_cast<uint8_t>((c[i] * kk + 127) / 255);
    }
}

void Jpeg_YcckToBgr(const uint8_t *y, const uint8_t *cb, const uint8_t *cr, const uint8_t *k, int n,
                    uint8_t *bgr) {
    for (int i = 0; i < n; ++i, bgr += 3) {
        uint8_t px[3];
        YccPixel(y[i], cb[i], cr[i], px);
        const int kk = k[i];
        // YCCK carries the inverted inks as YCbCr: 255 minus the colour is
        // the stored ink, as in a plain Adobe CMYK file.
        for (int j = 0; j < 3; ++j) bgr[j] = static_cast<uint8_t>(((255 - px[j]) * kk + 127) / 255);
    }
}

void Jpeg_BgrToYccScalar(const uint8_t *s, int n, uint8_t *y, uint8_t *cb, uint8_t *cr) {
    // 16-bit factors of 0.299, 0.587, 0.114 and of the two colour
    // differences; +32767 rather than +32768 keeps 128 exactly neutral.
    for (int x = 0; x < n; ++x, s += 3) {
        const int32_t B = s[0], G = s[1], R = s[2];
        y[x] = static_cast<uint8_t>((19595 * R + 38470 * G + 7471 * B + 32768) >> 16);
        cb[x] = static_cast<uint8_t>((-11059 * R - 21709 * G + 32768 * B + (128 << 16) + 32767) >> 16);
        cr[x] = static_cast<uint8_t>((32768 * R - 27439 * G - 5329 * B + (128 << 16) + 32767) >> 16);
    }
}

void Jpeg_Downsample2x2Scalar(const uint8_t *a, const uint8_t *b, int n, uint8_t *o) {
    for (int x = 0; x < n; ++x)
        o[x] = static_cast<uint8_t>((a[2 * x] + a[2 * x + 1] + b[2 * x] + b[2 * x + 1] + 1 + (x & 1)) >> 2);
}

#if defined(__SSE2__)

namespace {
inline __m128i Load8(const uint8_t *p) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)), _mm_setzero_si128());
}
// Interleaves even and odd 16-bit results into 16 bytes.
inline void StoreEvenOdd(__m128i even, __m128i odd, uint8_t *out) {
    const __m128i lo = _mm_unpacklo_epi16(even, odd), hi = _mm_unpackhi_epi16(even, odd);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_packus_epi16(lo, hi));
}
}  // namespace

void Jpeg_UpsampleH2Sse2(const uint8_t *in, int n, uint8_t *out) {
    // Vectors need a left and a right neighbour inside the row.
    if (n < 10) return Jpeg_UpsampleH2Scalar(in, n, out);
    out[0] = in[0];
    out[1] = static_cast<uint8_t>((in[0] * 3 + in[1] + 2) >> 2);
    const __m128i one = _mm_set1_epi16(1), two = _mm_set1_epi16(2), three = _mm_set1_epi16(3);
    int i = 1;
    for (; i + 8 < n; i += 8) {
        const __m128i s = _mm_mullo_epi16(Load8(in + i), three);
        const __m128i even = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(s, Load8(in + i - 1)), one), 2);
        const __m128i odd = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(s, Load8(in + i + 1)), two), 2);
        StoreEvenOdd(even, odd, out + 2 * i);
    }
    for (; i < n; ++i) {
        const int s = in[i] * 3;
        const int right = in[i + 1 < n ? i + 1 : n - 1];
        out[2 * i] = static_cast<uint8_t>((s + in[i - 1] + 1) >> 2);
        out[2 * i + 1] = static_cast<uint8_t>((s + right + 2) >> 2);
    }
}

void Jpeg_UpsampleH2V2Sse2(const uint8_t *nearRow, const uint8_t *farRow, int n, uint8_t *out, int16_t *sums) {
    int16_t *c = sums + 1;
    const __m128i three = _mm_set1_epi16(3);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_add_epi16(_mm_mullo_epi16(Load8(nearRow + i), three), Load8(farRow + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(c + i), v);
    }
    for (; i < n; ++i) c[i] = static_cast<int16_t>(nearRow[i] * 3 + farRow[i]);
    c[-1] = c[0];
    c[n] = c[n - 1];
    const __m128i seven = _mm_set1_epi16(7), eight = _mm_set1_epi16(8);
    i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i s = _mm_mullo_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(c + i)), three);
        const __m128i left = _mm_loadu_si128(reinterpret_cast<const __m128i *>(c + i - 1));
        const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i *>(c + i + 1));
        const __m128i even = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(s, left), eight), 4);
        const __m128i odd = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(s, right), seven), 4);
        StoreEvenOdd(even, odd, out + 2 * i);
    }
    for (; i < n; ++i) {
        out[2 * i] = static_cast<uint8_t>((c[i] * 3 + c[i - 1] + 8) >> 4);
        out[2 * i + 1] = static_cast<uint8_t>((c[i] * 3 + c[i + 1] + 7) >> 4);
    }
}

namespace {
inline __m128i Pair(int a, int b) {
    return _mm_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(b) << 16) | static_cast<uint16_t>(a)));
}
// (a*cb + b*cr + 32768) >> 16 for eight pixels.
inline __m128i Term(__m128i cb, __m128i cr, __m128i k) {
    const __m128i half = _mm_set1_epi32(32768);
    const __m128i lo = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(cb, cr), k), half), 16);
    const __m128i hi = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(cb, cr), k), half), 16);
    return _mm_packs_epi32(lo, hi);
}
// Four 32-bit B,G,R,0 pixels squeezed into the low 12 bytes.
inline __m128i Squeeze(__m128i v) {
    const __m128i lo24 = _mm_set_epi32(0, 0xFFFFFF, 0, 0xFFFFFF);
    const __m128i mid24 = _mm_set_epi32(0xFFFF, 0xFF000000, 0xFFFF, 0xFF000000);
    const __m128i t = _mm_or_si128(_mm_and_si128(v, lo24), _mm_and_si128(_mm_srli_epi64(v, 8), mid24));
    const __m128i low6 = _mm_set_epi32(0, 0, 0xFFFF, static_cast<int>(0xFFFFFFFF));
    return _mm_or_si128(_mm_and_si128(t, low6), _mm_slli_si128(_mm_srli_si128(t, 8), 6));
}
}  // namespace

void Jpeg_YccToBgrSse2(const uint8_t *y, const uint8_t *cb, const uint8_t *cr, int n, uint8_t *bgr) {
    // The constants above split so every factor fits 16 bits:
    // 1.402 = 1 + 0.402, 1.772 = 2 - 0.228, -0.71414 = -1 + 0.28586.
    const __m128i kR = Pair(0, kCrR - 65536), kG = Pair(-kCbG, 65536 - kCrG), kB = Pair(kCbB - 131072, 0);
    const __m128i c128 = _mm_set1_epi16(128), zero = _mm_setzero_si128();
    int i = 0;
    // Each group of 16 pixels stores 4 bytes past its end; stop early enough.
    for (; i + 18 <= n; i += 16) {
        __m128i out[2][3];
        for (int h = 0; h < 2; ++h) {
            const __m128i yy = Load8(y + i + 8 * h);
            const __m128i b = _mm_sub_epi16(Load8(cb + i + 8 * h), c128);
            const __m128i r = _mm_sub_epi16(Load8(cr + i + 8 * h), c128);
            out[h][2] = _mm_add_epi16(_mm_add_epi16(yy, r), Term(b, r, kR));
            out[h][1] = _mm_sub_epi16(_mm_add_epi16(yy, Term(b, r, kG)), r);
            out[h][0] = _mm_add_epi16(_mm_add_epi16(yy, _mm_add_epi16(b, b)), Term(b, r, kB));
        }
        const __m128i B = _mm_packus_epi16(out[0][0], out[1][0]);
        const __m128i G = _mm_packus_epi16(out[0][1], out[1][1]);
        const __m128i R = _mm_packus_epi16(out[0][2], out[1][2]);
        const __m128i bgLo = _mm_unpacklo_epi8(B, G), bgHi = _mm_unpackhi_epi8(B, G);
        const __m128i r0Lo = _mm_unpacklo_epi8(R, zero), r0Hi = _mm_unpackhi_epi8(R, zero);
        uint8_t *o = bgr + 3 * i;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o), Squeeze(_mm_unpacklo_epi16(bgLo, r0Lo)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o + 12), Squeeze(_mm_unpackhi_epi16(bgLo, r0Lo)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o + 24), Squeeze(_mm_unpacklo_epi16(bgHi, r0Hi)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o + 36), Squeeze(_mm_unpackhi_epi16(bgHi, r0Hi)));
    }
    Jpeg_YccToBgrScalar(y + i, cb + i, cr + i, n - i, bgr + 3 * i);
}

namespace {

// Eight pixels of B, G, R (16-bit lanes, 0..255) to eight bytes each of
// Y, Cb, Cr: the scalar reference's arithmetic, two pixels per madd.
inline void BgrToYcc8(__m128i B, __m128i G, __m128i R, uint8_t *y, uint8_t *cb, uint8_t *cr) {
    const __m128i kYrg = Pair(19595, 16384), kYbg = Pair(7471, 16384), kYg = Pair(38470 - 32768, 0);
    const __m128i kCb = Pair(-11059, -21709), kCr = Pair(-27439, -5329);
    const __m128i half = _mm_set1_epi32(32768), offset = _mm_set1_epi32((128 << 16) + 32767);
    const __m128i zero = _mm_setzero_si128();
    __m128i yy[2], bb[2], rr[2];
    for (int h = 0; h < 2; ++h) {
        const __m128i rg = h ? _mm_unpackhi_epi16(R, G) : _mm_unpacklo_epi16(R, G);
        const __m128i bg = h ? _mm_unpackhi_epi16(B, G) : _mm_unpacklo_epi16(B, G);
        const __m128i g0 = h ? _mm_unpackhi_epi16(G, zero) : _mm_unpacklo_epi16(G, zero);
        const __m128i gb = h ? _mm_unpackhi_epi16(G, B) : _mm_unpacklo_epi16(G, B);
        const __m128i b32 = h ? _mm_unpackhi_epi16(B, zero) : _mm_unpacklo_epi16(B, zero);
        const __m128i r32 = h ? _mm_unpackhi_epi16(R, zero) : _mm_unpacklo_epi16(R, zero);
        yy[h] = _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(rg, kYrg), _mm_madd_epi16(bg, kYbg)),
                                             _mm_add_epi32(_mm_madd_epi16(g0, kYg), half)),
                               16);
        bb[h] = _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(rg, kCb), _mm_slli_epi32(b32, 15)), offset),
                               16);
        rr[h] = _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(gb, kCr), _mm_slli_epi32(r32, 15)), offset),
                               16);
    }
    _mm_storel_epi64(reinterpret_cast<__m128i *>(y), _mm_packus_epi16(_mm_packs_epi32(yy[0], yy[1]), zero));
    _mm_storel_epi64(reinterpret_cast<__m128i *>(cb), _mm_packus_epi16(_mm_packs_epi32(bb[0], bb[1]), zero));
    _mm_storel_epi64(reinterpret_cast<__m128i *>(cr), _mm_packus_epi16(_mm_packs_epi32(rr[0], rr[1]), zero));
}

// pshufb masks that gather byte c of each of 16 B,G,R pixels from each of
// the three 16-byte loads that hold them (-1: zero, filled by another load).
struct DeinterleaveMasks {
    alignas(16) int8_t m[3][3][16];  // [channel][load][byte]
    DeinterleaveMasks() {
        for (int c = 0; c < 3; ++c)
            for (int l = 0; l < 3; ++l)
                for (int j = 0; j < 16; ++j) {
                    const int at = 3 * j + c - 16 * l;
                    m[c][l][j] = static_cast<int8_t>(at >= 0 && at < 16 ? at : -1);
                }
    }
};
const DeinterleaveMasks kDeinterleave;

}  // namespace

void Jpeg_BgrToYccSse2(const uint8_t *s, int n, uint8_t *y, uint8_t *cb, uint8_t *cr) {
    int x = 0;
    // Pixels are read as 32-bit words (B,G,R and the next byte); the last
    // group stops early so no word reaches past the row.
    for (; x + 8 < n; x += 8, s += 24) {
        uint32_t w[8];
        for (int i = 0; i < 8; ++i) std::memcpy(&w[i], s + 3 * i, 4);
        const __m128i lo = _mm_setr_epi32(int(w[0]), int(w[1]), int(w[2]), int(w[3]));
        const __m128i hi = _mm_setr_epi32(int(w[4]), int(w[5]), int(w[6]), int(w[7]));
        const __m128i byteMask = _mm_set1_epi32(0xFF);
        const __m128i B = _mm_packs_epi32(_mm_and_si128(lo, byteMask), _mm_and_si128(hi, byteMask));
        const __m128i G = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(lo, 8), byteMask),
                                          _mm_and_si128(_mm_srli_epi32(hi, 8), byteMask));
        const __m128i R = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(lo, 16), byteMask),
                                          _mm_and_si128(_mm_srli_epi32(hi, 16), byteMask));
        BgrToYcc8(B, G, R, y + x, cb + x, cr + x);
    }
    Jpeg_BgrToYccScalar(s, n - x, y + x, cb + x, cr + x);
}

// 16 pixels per step: three loads of 48 bytes split into B, G and R by byte
// shuffles, which SSE2 lacks.
__attribute__((target("ssse3"))) void Jpeg_BgrToYccSsse3(const uint8_t *s, int n, uint8_t *y, uint8_t *cb,
                                                         uint8_t *cr) {
    const __m128i zero = _mm_setzero_si128();
    auto mask = [](int c, int l) { return _mm_load_si128(reinterpret_cast<const __m128i *>(kDeinterleave.m[c][l])); };
    int x = 0;
    for (; x + 16 <= n; x += 16, s += 48) {
        const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
        const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 16));
        const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 32));
        __m128i ch[3];
        for (int c = 0; c < 3; ++c)
            ch[c] = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(v0, mask(c, 0)), _mm_shuffle_epi8(v1, mask(c, 1))),
                                 _mm_shuffle_epi8(v2, mask(c, 2)));
        BgrToYcc8(_mm_unpacklo_epi8(ch[0], zero), _mm_unpacklo_epi8(ch[1], zero), _mm_unpacklo_epi8(ch[2], zero),
                  y + x, cb + x, cr + x);
        BgrToYcc8(_mm_unpackhi_epi8(ch[0], zero), _mm_unpackhi_epi8(ch[1], zero), _mm_unpackhi_epi8(ch[2], zero),
                  y + x + 8, cb + x + 8, cr + x + 8);
    }
    Jpeg_BgrToYccSse2(s, n - x, y + x, cb + x, cr + x);
}

JpegBgrToYccFn Jpeg_BgrToYccBest() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") ? Jpeg_BgrToYccSsse3 : Jpeg_BgrToYccSse2;
}

void Jpeg_Downsample2x2Sse2(const uint8_t *a, const uint8_t *b, int n, uint8_t *o) {
    const __m128i lowBytes = _mm_set1_epi16(0x00FF), bias = _mm_set1_epi32(0x00020001);
    int x = 0;
    for (; x + 8 <= n; x += 8) {
        const __m128i ra = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + 2 * x));
        const __m128i rb = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + 2 * x));
        __m128i sum = _mm_add_epi16(_mm_and_si128(ra, lowBytes), _mm_srli_epi16(ra, 8));
        sum = _mm_add_epi16(sum, _mm_add_epi16(_mm_and_si128(rb, lowBytes), _mm_srli_epi16(rb, 8)));
        sum = _mm_srli_epi16(_mm_add_epi16(sum, bias), 2);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(o + x), _mm_packus_epi16(sum, sum));
    }
    for (; x < n; ++x)
        o[x] = static_cast<uint8_t>((a[2 * x] + a[2 * x + 1] + b[2 * x] + b[2 * x + 1] + 1 + (x & 1)) >> 2);
}

#else

void Jpeg_BgrToYccSse2(const uint8_t *s, int n, uint8_t *y, uint8_t *cb, uint8_t *cr) {
    Jpeg_BgrToYccScalar(s, n, y, cb, cr);
}
void Jpeg_BgrToYccSsse3(const uint8_t *s, int n, uint8_t *y, uint8_t *cb, uint8_t *cr) {
    Jpeg_BgrToYccScalar(s, n, y, cb, cr);
}
JpegBgrToYccFn Jpeg_BgrToYccBest() { return Jpeg_BgrToYccScalar; }
void Jpeg_Downsample2x2Sse2(const uint8_t *a, const uint8_t *b, int n, uint8_t *o) {
    Jpeg_Downsample2x2Scalar(a, b, n, o);
}

void Jpeg_UpsampleH2Sse2(const uint8_t *in, int n, uint8_t *out) { Jpeg_UpsampleH2Scalar(in, n, out); }
void Jpeg_UpsampleH2V2Sse2(const uint8_t *a, const uint8_t *b, int n, uint8_t *out, int16_t *s) {
    Jpeg_UpsampleH2V2Scalar(a, b, n, out, s);
}
void Jpeg_YccToBgrSse2(const uint8_t *y, const uint8_t *cb, const uint8_t *cr, int n, uint8_t *bgr) {
    Jpeg_YccToBgrScalar(y, cb, cr, n, bgr);
}

#endif

}  // namespace dibcore
