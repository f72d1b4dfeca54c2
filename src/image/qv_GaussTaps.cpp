// The scalar reference of the Gaussian row sums, the kernel checks and the
// choice of level.
#include "image/qv_GaussTaps.h"

bool GaussTaps_Fits(const GaussKernel &kernel) {
    if (kernel.n < 1 || kernel.n > kGaussMaxHalfWidth) return false;
    if (kernel.w[0] < 0 || kernel.w[0] > 65534) return false;
    int64_t total = kernel.w[0];
    for (int32_t k = 1; k <= kernel.n; ++k) {
        if (kernel.w[k] < 0 || kernel.w[k] > 32767) return false;
        total += 2 * int64_t{kernel.w[k]};
    }
    return total <= 65536;
}

bool GaussTaps_Make(const GaussKernel &kernel, GaussTaps *taps) {
    if (!GaussTaps_Fits(kernel)) return false;
    *taps = GaussTaps{};
    taps->n = kernel.n;
    for (int32_t k = 0; k <= kernel.n; ++k) taps->w[k] = kernel.w[k];
    taps->pairs = (kernel.n + 1) / 2;
    const uint32_t half = uint32_t(kernel.w[0]) >> 1, rest = uint32_t(kernel.w[0]) - half;
    taps->centrePair = half | rest << 16;
    for (int32_t p = 0; p < taps->pairs; ++p)
        taps->sidePairs[p] = uint32_t(taps->w[2 * p + 1]) | uint32_t(taps->w[2 * p + 2]) << 16;
    return true;
}

void GaussTaps_Row16Scalar(const GaussTaps &taps, const uint16_t *const *minus, const uint16_t *const *plus,
                           size_t count, uint16_t *out) {
    GaussTaps_SumRange(taps, minus, plus, 0, count, out);
}

void GaussTaps_Row8Scalar(const GaussTaps &taps, const uint16_t *const *minus, const uint16_t *const *plus,
                          size_t count, uint8_t *out) {
    GaussTaps_SumRange(taps, minus, plus, 0, count, out);
}

void GaussTaps_WidenScalar(const uint8_t *in, size_t count, uint16_t *out) {
    for (size_t i = 0; i < count; ++i) out[i] = in[i];
}

GaussSimd GaussSimd_Best() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return GaussSimd::Avx2;
    return GaussSimd::Sse2;
#else
    return GaussSimd::Scalar;
#endif
}

GaussRowFns GaussTaps_Functions(GaussSimd level) {
    static const GaussSimd best = GaussSimd_Best();
    if (int32_t(level) > int32_t(best)) level = best;
    switch (level) {
        case GaussSimd::Avx2: return {GaussTaps_Row16Avx2, GaussTaps_Row8Avx2, GaussTaps_WidenAvx2};
        case GaussSimd::Sse2: return {GaussTaps_Row16Sse2, GaussTaps_Row8Sse2, GaussTaps_WidenSse2};
        case GaussSimd::Scalar: break;
    }
    return {GaussTaps_Row16Scalar, GaussTaps_Row8Scalar, GaussTaps_WidenScalar};
}
