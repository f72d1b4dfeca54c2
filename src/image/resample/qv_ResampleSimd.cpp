// Vector forms of the separable filter passes and of the linear row blend.
// SSE2 is the x86-64 baseline; AVX2 is compiled per function and chosen at
// run time. Each gives exactly the bytes of the scalar reference: the sums
// are the same integers (integer addition does not depend on its order), and
// the final clamp-and-round is the same arithmetic.
//
// pmaddwd multiplies 16-bit values, but a weight may pass 16 bits (up to
// about 65536). Such tables are split: w = hi * 128 + lo with lo in 0..127,
// both halves summed separately and joined as hi_sum * 128 + lo_sum, which is
// the exact 32-bit sum even if a partial sum wraps.
#include <atomic>
#include <cstring>

#include "image/resample/qv_ResampleWork.h"

#if defined(__x86_64__) || defined(__i386__)
#define QV_RESAMPLE_X86 1
#include <immintrin.h>
#endif

namespace {

std::atomic<int32_t> g_level{-1};

}  // namespace

ResampleSimd Resample_BestSimd() {
#if QV_RESAMPLE_X86
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return ResampleSimd::Avx2;
    return ResampleSimd::Sse2;
#else
    return ResampleSimd::Scalar;
#endif
}

ResampleSimd Resample_GetSimd() {
    int32_t level = g_level.load(std::memory_order_relaxed);
    if (level < 0) {
        level = static_cast<int32_t>(Resample_BestSimd());
        g_level.store(level, std::memory_order_relaxed);
    }
    return static_cast<ResampleSimd>(level);
}

ResampleSimd Resample_SetSimd(ResampleSimd level) {
    const ResampleSimd old = Resample_GetSimd();
    const ResampleSimd best = Resample_BestSimd();
    if (static_cast<int32_t>(level) > static_cast<int32_t>(best)) level = best;
    g_level.store(static_cast<int32_t>(level), std::memory_order_relaxed);
    return old;
}

void Linear_BlendRow(const uint8_t *a, const uint8_t *b, uint32_t f, uint8_t *out, int64_t bytes) {
    switch (Resample_GetSimd()) {
        case ResampleSimd::Avx2: Linear_BlendRowAvx2(a, b, f, out, bytes); return;
        case ResampleSimd::Sse2: Linear_BlendRowSse2(a, b, f, out, bytes); return;
        case ResampleSimd::Scalar: break;
    }
    Linear_BlendRowScalar(a, b, f, out, bytes);
}

#if !QV_RESAMPLE_X86

int Filter_ApplyRowsSse2(const ResampleRequest *p, const ResampleWeights *w) { return Filter_ApplyRows(p, w); }
int Filter_ApplyColumnsSse2(const ResampleWeights *w, const ResampleRequest *p) { return Filter_ApplyColumns(w, p); }
int Filter_ApplyRowsAvx2(const ResampleRequest *p, const ResampleWeights *w) { return Filter_ApplyRows(p, w); }
int Filter_ApplyColumnsAvx2(const ResampleWeights *w, const ResampleRequest *p) { return Filter_ApplyColumns(w, p); }
void Linear_BlendRowSse2(const uint8_t *a, const uint8_t *b, uint32_t f, uint8_t *out, int64_t n) {
    Linear_BlendRowScalar(a, b, f, out, n);
}
void Linear_BlendRowAvx2(const uint8_t *a, const uint8_t *b, uint32_t f, uint8_t *out, int64_t n) {
    Linear_BlendRowScalar(a, b, f, out, n);
}

#else

namespace {

#define QV_AVX2 __attribute__((target("avx2")))

bool FitsInt16(const ResampleWeights *w) {
    const size_t n = static_cast<size_t>(w->count) * static_cast<size_t>(w->taps);
    const int32_t *p = w->Weights();
    for (size_t i = 0; i < n; ++i)
        if (p[i] < -32768 || p[i] > 32767) return false;
    return true;
}

inline int16_t LowPart(int32_t w, bool split) { return static_cast<int16_t>(split ? (w & 127) : w); }
inline int16_t HighPart(int32_t w) { return static_cast<int16_t>(w >> 7); }

inline uint32_t Load32(const uint8_t *p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// ---- Vertical pass: tap pairs of whole rows, 16 or 32 bytes at a time. ----

// Per output row, the taps padded to an even count (a zero weight on a
// repeated row) and each pair of 16-bit weights as one 32-bit word.
struct ColumnTable {
    int32_t pairs = 0;
    bool split = false;
    ResampleBuffer lo, hi;  // uint32_t [count * pairs]
    ResampleBuffer rows;    // int32_t [count * pairs * 2]

    bool Build(const ResampleWeights *w) {
        split = !FitsInt16(w);
        pairs = (w->taps + 1) / 2;
        const uint64_t n = uint64_t{static_cast<uint32_t>(w->count)} * static_cast<uint32_t>(pairs);
        if (lo.Alloc(4 * n) == nullptr || (split && hi.Alloc(4 * n) == nullptr) || rows.Alloc(8 * n) == nullptr)
            return false;
        for (int32_t i = 0; i < w->count; ++i) {
            const int32_t *wt = w->Weights() + static_cast<size_t>(i) * w->taps;
            const int32_t *of = w->Offsets() + static_cast<size_t>(i) * w->taps;
            for (int32_t p = 0; p < pairs; ++p) {
                const int32_t k0 = 2 * p, k1 = 2 * p + 1;
                const int32_t w0 = wt[k0], w1 = k1 < w->taps ? wt[k1] : 0;
                const size_t at = static_cast<size_t>(i) * pairs + p;
                lo.as<uint32_t>()[at] = static_cast<uint16_t>(LowPart(w0, split)) |
                                        uint32_t{static_cast<uint16_t>(LowPart(w1, split))} << 16;
                if (split)
                    hi.as<uint32_t>()[at] =
                        static_cast<uint16_t>(HighPart(w0)) | uint32_t{static_cast<uint16_t>(HighPart(w1))} << 16;
                rows.as<int32_t>()[2 * at] = of[k0];
                rows.as<int32_t>()[2 * at + 1] = k1 < w->taps ? of[k1] : of[k0];
            }
        }
        return true;
    }
};

// Scalar tail of a row: bytes from `from` to `to`.
void ColumnTail(const ResampleWeights *w, const ResampleRequest *pass, int32_t y, size_t from, size_t to,
                uint8_t *out) {
    const int32_t *wt = w->Weights() + static_cast<size_t>(y) * w->taps;
    const int32_t *of = w->Offsets() + static_cast<size_t>(y) * w->taps;
    for (size_t i = from; i < to; ++i) {
        int32_t s = 0;
        for (int32_t k = 0; k < w->taps; ++k) s += wt[k] * Resample_Row(pass->srcBits, pass->srcStride, of[k])[i];
        out[i] = Filter_Byte(s);
    }
}

inline __m128i RoundPack(__m128i s) { return _mm_srai_epi32(_mm_add_epi32(s, _mm_set1_epi32(0x8000)), 16); }

// 16 bytes of the pair (a, b) times the weight pair, added to four sums.
inline void MaddPairs16(__m128i a, __m128i b, __m128i wpair, __m128i acc[4]) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i lo = _mm_unpacklo_epi8(a, b), hi = _mm_unpackhi_epi8(a, b);
    acc[0] = _mm_add_epi32(acc[0], _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), wpair));
    acc[1] = _mm_add_epi32(acc[1], _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), wpair));
    acc[2] = _mm_add_epi32(acc[2], _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), wpair));
    acc[3] = _mm_add_epi32(acc[3], _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), wpair));
}

QV_AVX2 inline void MaddPairs32(__m256i a, __m256i b, __m256i wpair, __m256i acc[4]) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i lo = _mm256_unpacklo_epi8(a, b), hi = _mm256_unpackhi_epi8(a, b);
    acc[0] = _mm256_add_epi32(acc[0], _mm256_madd_epi16(_mm256_unpacklo_epi8(lo, zero), wpair));
    acc[1] = _mm256_add_epi32(acc[1], _mm256_madd_epi16(_mm256_unpackhi_epi8(lo, zero), wpair));
    acc[2] = _mm256_add_epi32(acc[2], _mm256_madd_epi16(_mm256_unpacklo_epi8(hi, zero), wpair));
    acc[3] = _mm256_add_epi32(acc[3], _mm256_madd_epi16(_mm256_unpackhi_epi8(hi, zero), wpair));
}

int ColumnsSse2(const ResampleWeights *w, const ResampleRequest *pass) {
    ColumnTable table;
    if (!table.Build(w)) return 0;
    const size_t bytes = 3 * static_cast<size_t>(pass->dstWidth);
    const size_t vec = bytes & ~size_t{15};
    for (int32_t y = 0; y < pass->dstHeight; ++y) {
        const size_t at = static_cast<size_t>(y) * table.pairs;
        const uint32_t *lo = table.lo.as<uint32_t>() + at;
        const uint32_t *hi = table.split ? table.hi.as<uint32_t>() + at : nullptr;
        const int32_t *rows = table.rows.as<int32_t>() + 2 * at;
        uint8_t *out = Resample_Row(pass->dstBits, pass->dstStride, y);
        for (size_t x = 0; x < vec; x += 16) {
            __m128i accLo[4] = {_mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128()};
            __m128i accHi[4] = {_mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128()};
            for (int32_t p = 0; p < table.pairs; ++p) {
                const __m128i a = _mm_loadu_si128(
                    reinterpret_cast<const __m128i *>(Resample_Row(pass->srcBits, pass->srcStride, rows[2 * p]) + x));
                const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(
                    Resample_Row(pass->srcBits, pass->srcStride, rows[2 * p + 1]) + x));
                MaddPairs16(a, b, _mm_set1_epi32(static_cast<int32_t>(lo[p])), accLo);
                if (hi) MaddPairs16(a, b, _mm_set1_epi32(static_cast<int32_t>(hi[p])), accHi);
            }
            if (hi)
                for (int k = 0; k < 4; ++k) accLo[k] = _mm_add_epi32(accLo[k], _mm_slli_epi32(accHi[k], 7));
            const __m128i p01 = _mm_packs_epi32(RoundPack(accLo[0]), RoundPack(accLo[1]));
            const __m128i p23 = _mm_packs_epi32(RoundPack(accLo[2]), RoundPack(accLo[3]));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + x), _mm_packus_epi16(p01, p23));
        }
        ColumnTail(w, pass, y, vec, bytes, out);
    }
    return 1;
}

QV_AVX2 inline __m256i RoundPack256(__m256i s) {
    return _mm256_srai_epi32(_mm256_add_epi32(s, _mm256_set1_epi32(0x8000)), 16);
}

QV_AVX2 int ColumnsAvx2(const ResampleWeights *w, const ResampleRequest *pass) {
    ColumnTable table;
    if (!table.Build(w)) return 0;
    const size_t bytes = 3 * static_cast<size_t>(pass->dstWidth);
    const size_t vec = bytes & ~size_t{31};
    for (int32_t y = 0; y < pass->dstHeight; ++y) {
        const size_t at = static_cast<size_t>(y) * table.pairs;
        const uint32_t *lo = table.lo.as<uint32_t>() + at;
        const uint32_t *hi = table.split ? table.hi.as<uint32_t>() + at : nullptr;
        const int32_t *rows = table.rows.as<int32_t>() + 2 * at;
        uint8_t *out = Resample_Row(pass->dstBits, pass->dstStride, y);
        for (size_t x = 0; x < vec; x += 32) {
            __m256i accLo[4] = {_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256(),
                                _mm256_setzero_si256()};
            __m256i accHi[4] = {_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256(),
                                _mm256_setzero_si256()};
            for (int32_t p = 0; p < table.pairs; ++p) {
                const __m256i a = _mm256_loadu_si256(
                    reinterpret_cast<const __m256i *>(Resample_Row(pass->srcBits, pass->srcStride, rows[2 * p]) + x));
                const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(
                    Resample_Row(pass->srcBits, pass->srcStride, rows[2 * p + 1]) + x));
                MaddPairs32(a, b, _mm256_set1_epi32(static_cast<int32_t>(lo[p])), accLo);
                if (hi) MaddPairs32(a, b, _mm256_set1_epi32(static_cast<int32_t>(hi[p])), accHi);
            }
            if (hi)
                for (int k = 0; k < 4; ++k) accLo[k] = _mm256_add_epi32(accLo[k], _mm256_slli_epi32(accHi[k], 7));
            // Unpacking and packing permute the bytes inside each 128-bit
            // lane in opposite ways, so the bytes come out in order.
            const __m256i p01 = _mm256_packs_epi32(RoundPack256(accLo[0]), RoundPack256(accLo[1]));
            const __m256i p23 = _mm256_packs_epi32(RoundPack256(accLo[2]), RoundPack256(accLo[3]));
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + x), _mm256_packus_epi16(p01, p23));
        }
        // The rest in 16-byte steps, then bytes.
        size_t x = vec;
        const size_t vec16 = bytes & ~size_t{15};
        for (; x < vec16; x += 16) {
            __m128i accLo[4] = {_mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128()};
            __m128i accHi[4] = {_mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128()};
            for (int32_t p = 0; p < table.pairs; ++p) {
                const __m128i a = _mm_loadu_si128(
                    reinterpret_cast<const __m128i *>(Resample_Row(pass->srcBits, pass->srcStride, rows[2 * p]) + x));
                const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(
                    Resample_Row(pass->srcBits, pass->srcStride, rows[2 * p + 1]) + x));
                MaddPairs16(a, b, _mm_set1_epi32(static_cast<int32_t>(lo[p])), accLo);
                if (hi) MaddPairs16(a, b, _mm_set1_epi32(static_cast<int32_t>(hi[p])), accHi);
            }
            if (hi)
                for (int k = 0; k < 4; ++k) accLo[k] = _mm_add_epi32(accLo[k], _mm_slli_epi32(accHi[k], 7));
            const __m128i p01 = _mm_packs_epi32(RoundPack(accLo[0]), RoundPack(accLo[1]));
            const __m128i p23 = _mm_packs_epi32(RoundPack(accLo[2]), RoundPack(accLo[3]));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + x), _mm_packus_epi16(p01, p23));
        }
        ColumnTail(w, pass, y, x, bytes, out);
    }
    return 1;
}

// ---- Horizontal pass: one destination pixel at a time. ----

// Source rows are copied into a padded buffer so that whole-register loads
// past the last pixel stay inside memory we own (their weights are zero).
constexpr size_t kRowPad = 64;

// Per destination pixel the taps padded to 4 or a multiple of 8 (zero
// weights, last offset repeated), as 16-bit low and high halves.
struct RowTable {
    int32_t taps = 0;  // padded
    bool split = false;
    ResampleBuffer lo, hi;      // int16_t [count * taps]
    ResampleBuffer offsets;     // int32_t [count * taps]
    ResampleBuffer contiguous;  // uint8_t [count]: offsets run 3 bytes apart

    bool Build(const ResampleWeights *w) {
        split = !FitsInt16(w);
        // Four at most for small kernels: the table is read for every row
        // and should stay in cache.
        taps = w->taps <= 4 ? 4 : (w->taps + 7) & ~7;
        const uint64_t n = uint64_t{static_cast<uint32_t>(w->count)} * static_cast<uint32_t>(taps);
        if (lo.Alloc(2 * n) == nullptr || (split && hi.Alloc(2 * n) == nullptr) || offsets.Alloc(4 * n) == nullptr ||
            contiguous.Alloc(static_cast<uint32_t>(w->count)) == nullptr)
            return false;
        for (int32_t i = 0; i < w->count; ++i) {
            const int32_t *wt = w->Weights() + static_cast<size_t>(i) * w->taps;
            const int32_t *of = w->Offsets() + static_cast<size_t>(i) * w->taps;
            const size_t at = static_cast<size_t>(i) * taps;
            bool run = true;
            for (int32_t k = 0; k < taps; ++k) {
                const int32_t wk = k < w->taps ? wt[k] : 0;
                lo.as<int16_t>()[at + k] = LowPart(wk, split);
                if (split) hi.as<int16_t>()[at + k] = HighPart(wk);
                offsets.as<int32_t>()[at + k] = k < w->taps ? of[k] : of[w->taps - 1];
                if (k < w->taps && of[k] != of[0] + 3 * k) run = false;
            }
            contiguous.as<uint8_t>()[i] = run ? 1 : 0;
        }
        return true;
    }
};

// Sums of one pixel by tap pairs gathered from their offsets: lanes B, G, R, x.
inline __m128i GatherPixelSse2(const uint8_t *in, const int32_t *of, const int16_t *wt, int32_t taps) {
    const __m128i zero = _mm_setzero_si128();
    __m128i acc = zero;
    for (int32_t k = 0; k < taps; k += 2) {
        const __m128i p0 = _mm_cvtsi32_si128(static_cast<int32_t>(Load32(in + of[k])));
        const __m128i p1 = _mm_cvtsi32_si128(static_cast<int32_t>(Load32(in + of[k + 1])));
        const __m128i x = _mm_unpacklo_epi8(_mm_unpacklo_epi8(p0, p1), zero);
        const uint32_t pair = static_cast<uint16_t>(wt[k]) | uint32_t{static_cast<uint16_t>(wt[k + 1])} << 16;
        acc = _mm_add_epi32(acc, _mm_madd_epi16(x, _mm_set1_epi32(static_cast<int32_t>(pair))));
    }
    return acc;
}

inline void StorePixel(__m128i sums, uint8_t *out, bool last) {
    const __m128i v = RoundPack(sums);
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(v, v), _mm_setzero_si128());
    const uint32_t word = static_cast<uint32_t>(_mm_cvtsi128_si32(bytes));
    if (!last) {
        // The fourth byte lands on the next pixel, which is written next.
        std::memcpy(out, &word, 4);
    } else {
        std::memcpy(out, &word, 3);
    }
}

int RowsSse2(const ResampleRequest *pass, const ResampleWeights *w) {
    RowTable table;
    ResampleBuffer rowBuffer;
    const size_t rowBytes = 3 * static_cast<size_t>(pass->srcWidth);
    if (!table.Build(w) || rowBuffer.Alloc(rowBytes + kRowPad) == nullptr) return 0;
    uint8_t *in = rowBuffer.data();
    const int32_t taps = table.taps;
    for (int32_t y = 0; y < pass->dstHeight; ++y) {
        std::memcpy(in, Resample_Row(pass->srcBits, pass->srcStride, y), rowBytes);
        uint8_t *out = Resample_Row(pass->dstBits, pass->dstStride, y);
        const int16_t *lo = table.lo.as<int16_t>();
        const int16_t *hi = table.split ? table.hi.as<int16_t>() : nullptr;
        const int32_t *of = table.offsets.as<int32_t>();
        for (int32_t x = 0; x < pass->dstWidth; ++x, out += 3) {
            const size_t at = static_cast<size_t>(x) * taps;
            __m128i s = GatherPixelSse2(in, of + at, lo + at, taps);
            if (hi) s = _mm_add_epi32(s, _mm_slli_epi32(GatherPixelSse2(in, of + at, hi + at, taps), 7));
            StorePixel(s, out, x + 1 == pass->dstWidth);
        }
    }
    return 1;
}

// Eight taps of a pixel whose samples are 24 contiguous bytes: each 128-bit
// lane takes four pixels and sorts them into B0..B3 G0..G3 and R0..R3 as
// 16-bit values, multiplied by the lane's four weights (stored twice).
QV_AVX2 inline void ContiguousPixelAvx2(const uint8_t *base, const int16_t *wt, int32_t taps, __m256i *bg, __m256i *r) {
    const __m256i shuffleBG = _mm256_setr_epi8(0, -1, 3, -1, 6, -1, 9, -1, 1, -1, 4, -1, 7, -1, 10, -1, 0, -1, 3, -1, 6,
                                               -1, 9, -1, 1, -1, 4, -1, 7, -1, 10, -1);
    const __m256i shuffleR = _mm256_setr_epi8(2, -1, 5, -1, 8, -1, 11, -1, -1, -1, -1, -1, -1, -1, -1, -1, 2, -1, 5, -1,
                                              8, -1, 11, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    __m256i accBG = _mm256_setzero_si256(), accR = _mm256_setzero_si256();
    for (int32_t k = 0; k < taps; k += 8, base += 24, wt += 8) {
        const __m256i px =
            _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(base))),
                                    _mm_loadu_si128(reinterpret_cast<const __m128i *>(base + 12)), 1);
        const __m128i w8 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(wt));
        // Lane 0: w0..w3 twice; lane 1: w4..w7 twice.
        const __m256i wv =
            _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_unpacklo_epi64(w8, w8)), _mm_unpackhi_epi64(w8, w8), 1);
        accBG = _mm256_add_epi32(accBG, _mm256_madd_epi16(_mm256_shuffle_epi8(px, shuffleBG), wv));
        accR = _mm256_add_epi32(accR, _mm256_madd_epi16(_mm256_shuffle_epi8(px, shuffleR), wv));
    }
    *bg = accBG;
    *r = accR;
}

// Two destination pixels of at most four contiguous taps, one per 128-bit
// lane: per lane the sums (B, G, R, 0).
QV_AVX2 inline __m256i PixelPairAvx2(const uint8_t *base0, const uint8_t *base1, const int16_t *w0, const int16_t *w1) {
    const __m256i shuffleBG = _mm256_setr_epi8(0, -1, 3, -1, 6, -1, 9, -1, 1, -1, 4, -1, 7, -1, 10, -1, 0, -1, 3, -1, 6,
                                               -1, 9, -1, 1, -1, 4, -1, 7, -1, 10, -1);
    const __m256i shuffleR = _mm256_setr_epi8(2, -1, 5, -1, 8, -1, 11, -1, -1, -1, -1, -1, -1, -1, -1, -1, 2, -1, 5, -1,
                                              8, -1, 11, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m256i px =
        _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(base0))),
                                _mm_loadu_si128(reinterpret_cast<const __m128i *>(base1)), 1);
    const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(w0));
    const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(w1));
    const __m256i wv =
        _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_unpacklo_epi64(a, a)), _mm_unpacklo_epi64(b, b), 1);
    const __m256i bg = _mm256_madd_epi16(_mm256_shuffle_epi8(px, shuffleBG), wv);
    const __m256i r = _mm256_madd_epi16(_mm256_shuffle_epi8(px, shuffleR), wv);
    return _mm256_hadd_epi32(bg, r);
}

QV_AVX2 int RowsAvx2(const ResampleRequest *pass, const ResampleWeights *w) {
    RowTable table;
    ResampleBuffer rowBuffer;
    const size_t rowBytes = 3 * static_cast<size_t>(pass->srcWidth);
    if (!table.Build(w) || rowBuffer.Alloc(rowBytes + kRowPad + 3 * static_cast<size_t>(table.taps)) == nullptr)
        return 0;
    uint8_t *in = rowBuffer.data();
    const int32_t taps = table.taps;
    const uint8_t *contiguous = table.contiguous.as<uint8_t>();
    const bool smallKernel = w->taps <= 4;
    for (int32_t y = 0; y < pass->dstHeight; ++y) {
        std::memcpy(in, Resample_Row(pass->srcBits, pass->srcStride, y), rowBytes);
        uint8_t *out = Resample_Row(pass->dstBits, pass->dstStride, y);
        const int16_t *lo = table.lo.as<int16_t>();
        const int16_t *hi = table.split ? table.hi.as<int16_t>() : nullptr;
        const int32_t *of = table.offsets.as<int32_t>();
        for (int32_t x = 0; x < pass->dstWidth; ++x, out += 3) {
            const size_t at = static_cast<size_t>(x) * taps;
            if (smallKernel && x + 1 < pass->dstWidth && contiguous[x] && contiguous[x + 1]) {
                // Enlargements with up to four taps: two pixels at once.
                const size_t next = at + static_cast<size_t>(taps);
                __m256i sums = PixelPairAvx2(in + of[at], in + of[next], lo + at, lo + next);
                if (hi)
                    sums = _mm256_add_epi32(
                        sums, _mm256_slli_epi32(PixelPairAvx2(in + of[at], in + of[next], hi + at, hi + next), 7));
                const __m256i v = RoundPack256(sums);
                const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(v, v), v);
                const uint32_t first = static_cast<uint32_t>(_mm256_extract_epi32(bytes, 0));
                const uint32_t second = static_cast<uint32_t>(_mm256_extract_epi32(bytes, 4));
                std::memcpy(out, &first, 4);  // the fourth byte is overwritten next
                std::memcpy(out + 3, &second, x + 2 == pass->dstWidth ? 3 : 4);
                ++x;
                out += 3;
                continue;
            }
            __m128i s;
            if (contiguous[x] && !smallKernel) {
                __m256i bg, r;
                ContiguousPixelAvx2(in + of[at], lo + at, taps, &bg, &r);
                if (hi) {
                    __m256i bgHi, rHi;
                    ContiguousPixelAvx2(in + of[at], hi + at, taps, &bgHi, &rHi);
                    bg = _mm256_add_epi32(bg, _mm256_slli_epi32(bgHi, 7));
                    r = _mm256_add_epi32(r, _mm256_slli_epi32(rHi, 7));
                }
                // Per lane (B01 B23 G01 G23) and (R01 R23 0 0): hadd gives
                // (B G R 0) per lane; the two lanes are then added.
                const __m256i h = _mm256_hadd_epi32(bg, r);
                s = _mm_add_epi32(_mm256_castsi256_si128(h), _mm256_extracti128_si256(h, 1));
            } else {
                s = GatherPixelSse2(in, of + at, lo + at, taps);
                if (hi) s = _mm_add_epi32(s, _mm_slli_epi32(GatherPixelSse2(in, of + at, hi + at, taps), 7));
            }
            StorePixel(s, out, x + 1 == pass->dstWidth);
        }
    }
    return 1;
}

// ---- Linear blend of two rows: a + floor((b - a) * f / 65536). ----
// (b - a) * f with f up to 65536 is made from 16-bit pairs: the difference d
// and d * 128 (both fit) times f mod 128 and f / 128.

inline __m128i BlendWords(__m128i a16, __m128i b16, __m128i fpair) {
    const __m128i d = _mm_sub_epi16(b16, a16);
    const __m128i d128 = _mm_slli_epi16(d, 7);
    const __m128i p0 = _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(d, d128), fpair), 16);
    const __m128i p1 = _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(d, d128), fpair), 16);
    return _mm_add_epi16(a16, _mm_packs_epi32(p0, p1));
}

}  // namespace

int Filter_ApplyRowsSse2(const ResampleRequest *pass, const ResampleWeights *w) { return RowsSse2(pass, w); }
int Filter_ApplyColumnsSse2(const ResampleWeights *w, const ResampleRequest *pass) { return ColumnsSse2(w, pass); }
int Filter_ApplyRowsAvx2(const ResampleRequest *pass, const ResampleWeights *w) { return RowsAvx2(pass, w); }
int Filter_ApplyColumnsAvx2(const ResampleWeights *w, const ResampleRequest *pass) { return ColumnsAvx2(w, pass); }

void Linear_BlendRowSse2(const uint8_t *a, const uint8_t *b, uint32_t f, uint8_t *out, int64_t bytes) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i fpair = _mm_set1_epi32(static_cast<int32_t>((f & 127) | (f >> 7) << 16));
    int64_t k = 0;
    for (; k + 16 <= bytes; k += 16) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + k));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + k));
        const __m128i lo = BlendWords(_mm_unpacklo_epi8(va, zero), _mm_unpacklo_epi8(vb, zero), fpair);
        const __m128i hi = BlendWords(_mm_unpackhi_epi8(va, zero), _mm_unpackhi_epi8(vb, zero), fpair);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + k), _mm_packus_epi16(lo, hi));
    }
    Linear_BlendRowScalar(a + k, b + k, f, out + k, bytes - k);
}

QV_AVX2 void Linear_BlendRowAvx2(const uint8_t *a, const uint8_t *b, uint32_t f, uint8_t *out, int64_t bytes) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i fpair = _mm256_set1_epi32(static_cast<int32_t>((f & 127) | (f >> 7) << 16));
    int64_t k = 0;
    for (; k + 32 <= bytes; k += 32) {
        const __m256i va = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(a + k));
        const __m256i vb = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(b + k));
        __m256i r[2];
        for (int h = 0; h < 2; ++h) {
            const __m256i a16 = h ? _mm256_unpackhi_epi8(va, zero) : _mm256_unpacklo_epi8(va, zero);
            const __m256i b16 = h ? _mm256_unpackhi_epi8(vb, zero) : _mm256_unpacklo_epi8(vb, zero);
            const __m256i d = _mm256_sub_epi16(b16, a16);
            const __m256i d128 = _mm256_slli_epi16(d, 7);
            const __m256i p0 = _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(d, d128), fpair), 16);
            const __m256i p1 = _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(d, d128), fpair), 16);
            r[h] = _mm256_add_epi16(a16, _mm256_packs_epi32(p0, p1));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + k), _mm256_packus_epi16(r[0], r[1]));
    }
    Linear_BlendRowSse2(a + k, b + k, f, out + k, bytes - k);
}

#endif
