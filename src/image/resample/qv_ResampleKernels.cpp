// Kernels of the separable filter and the weight tables built from them.
// Floating point is used here only; the passes are integer.
#include <cmath>
#include <cstdlib>

#include "image/resample/qv_ResampleWork.h"

namespace {

struct FilterKernel {
    int32_t code;
    double radius;
    int32_t taps;  // when enlarging
    double (*value)(double t);
};

// Below this distance the sinc kernels are 1 (0 / 0 otherwise).
constexpr double kSincEpsilon = 2.220446049250313e-16;
constexpr double kPi = 3.141592653589793;

double Hermite(double t) { return 2.0 * t * t * t - 3.0 * t * t + 1.0; }

double QuadraticSpline(double t) {
    if (t < 0.5) return 0.75 - t * t;
    const double u = t - 1.5;
    return 0.5 * u * u;
}

double CubicSpline(double t) {
    if (t < 1.0) return (3.0 * t * t * t - 6.0 * t * t + 4.0) / 6.0;
    const double u = 2.0 - t;
    return u * u * u / 6.0;
}

double Mitchell(double t) {
    if (t < 1.0) return (7.0 / 6.0) * t * t * t - 2.0 * t * t + 8.0 / 9.0;
    return -(7.0 / 18.0) * t * t * t + 2.0 * t * t - (10.0 / 3.0) * t + 16.0 / 9.0;
}

double CatmullRom(double t) {
    if (t < 1.0) return 1.5 * t * t * t - 2.5 * t * t + 1.0;
    return -0.5 * t * t * t + 2.5 * t * t - 4.0 * t + 2.0;
}

// sin(pi t) sin(pi t / w) / (pi^2 t^2 / w) with the stored constants.
double WindowedSinc(double t, double piOverW, double piSquaredOverW) {
    if (t < kSincEpsilon) return 1.0;
    return std::sin(kPi * t) * std::sin(piOverW * t) / (piSquaredOverW * t * t);
}
double Sinc225(double t) { return WindowedSinc(t, 1.3962634015954636, 4.386490844928604); }
double Sinc25(double t) { return WindowedSinc(t, 1.2566370614359172, 3.947841760435743); }
double Lanczos3(double t) { return WindowedSinc(t, 1.0471975511965976, 3.289868133696453); }

// Methods 90 and 100 stop at radius 2 although their windows reach further.
constexpr FilterKernel kKernels[] = {
    {kQualityHermite, 1.0, 2, Hermite},         {kQualityQuadraticSpline, 1.5, 3, QuadraticSpline},
    {kQualityCubicSpline, 2.0, 4, CubicSpline}, {kQualityMitchell, 2.0, 4, Mitchell},
    {kQualityCatmullRom, 2.0, 4, CatmullRom},   {kQualitySinc225, 2.0, 4, Sinc225},
    {kQualitySinc25, 2.0, 4, Sinc25},           {kQualityLanczos3, 3.0, 6, Lanczos3},
};

// Turns raw kernel values into 16.16 weights. Truncating each rescaled weight
// loses up to one unit per tap, and a 100-fold reduction has hundreds of taps:
// a flat picture would come out darker. The units lost go to the largest
// weight so that every table adds up to exactly 65536.
void NormaliseWeights(int32_t *w, int32_t taps) {
    int64_t sum = 0;
    for (int32_t k = 0; k < taps; ++k) sum += w[k];
    if (sum == 0) {
        for (int32_t k = 0; k < taps; ++k) w[k] = 0;
        return;
    }
    if (sum == 65536) return;
    const double scale = 65536.0 / static_cast<double>(sum);
    int64_t stored = 0;
    int32_t largest = 0;
    for (int32_t k = 0; k < taps; ++k) {
        w[k] = static_cast<int32_t>(scale * w[k]);
        stored += w[k];
        if (w[k] > w[largest]) largest = k;
    }
    w[largest] += static_cast<int32_t>(65536 - stored);
}

// Fills the table of one axis; 0 when the direction does not match the
// builder or the table does not fit.
int BuildWeights(const FilterKernel &kernel, bool enlarge, const ResampleRequest *r, ResampleWeights *out,
                 int horizontal) {
    if (r == nullptr || out == nullptr) return 0;
    const int64_t src = horizontal ? r->srcWidth : r->srcHeight;
    const int64_t dst = horizontal ? r->dstWidth : r->dstHeight;
    if (src <= 0 || dst <= 0 || (enlarge ? dst <= src : dst >= src)) return 0;
    const double radius = kernel.radius;
    const int64_t taps = enlarge ? kernel.taps : (kernel.taps * src + dst - 1) / dst;
    const uint64_t entries = static_cast<uint64_t>(taps) * static_cast<uint64_t>(dst);
    Weights_Release(out);
    if (taps > INT32_MAX || entries > kResampleMaxBuffer / 4 || out->weights.Alloc(4 * entries) == nullptr ||
        out->offsets.Alloc(4 * entries) == nullptr) {
        Weights_Release(out);
        return 0;
    }
    out->taps = static_cast<int32_t>(taps);
    out->count = static_cast<int32_t>(dst);
    const double s = static_cast<double>(src), d = static_cast<double>(dst);
    int32_t *weights = out->Weights();
    int32_t *offsets = out->Offsets();
    for (int64_t i = 0; i < dst; ++i, weights += taps, offsets += taps) {
        const double centre = i + 0.5;
        double j;
        if (enlarge) {
            const double x = centre * s / d;  // in source pixels
            j = std::floor(x - radius);
            if (x - (j + 0.5) >= radius) j += 1.0;
        } else {
            j = std::floor((centre - radius) * s / d);
            if (centre - (j + 0.5) * d / s >= radius) j += 1.0;
        }
        int64_t absSum = 0;
        for (int64_t k = 0; k < taps; ++k) {
            const double index = j + static_cast<double>(k);
            // Distances in source pixels when enlarging, in destination
            // pixels (the kernel stretched) when reducing.
            const double t =
                enlarge ? std::fabs(centre * s / d - (index + 0.5)) : std::fabs(centre - (index + 0.5) * d / s);
            weights[k] = t >= radius ? 0 : static_cast<int32_t>(kernel.value(t) * 65536.0);
            const int64_t clamped = index < 1.0 ? 0 : (index >= s ? src - 1 : static_cast<int64_t>(index));
            offsets[k] = static_cast<int32_t>(horizontal ? 3 * clamped : clamped);
        }
        NormaliseWeights(weights, static_cast<int32_t>(taps));
        for (int64_t k = 0; k < taps; ++k) absSum += std::llabs(weights[k]);
        // The passes sum weight x byte (and the rounding half) in signed 32
        // bits.
        if (absSum * 255 + 0x8000 > INT32_MAX) {
            Weights_Release(out);
            return 0;
        }
    }
    return 1;
}

template <int N>
int EnlargeBuilder(const ResampleRequest *r, ResampleWeights *w, int horizontal) {
    return BuildWeights(kKernels[N], true, r, w, horizontal);
}
template <int N>
int ReduceBuilder(const ResampleRequest *r, ResampleWeights *w, int horizontal) {
    return BuildWeights(kKernels[N], false, r, w, horizontal);
}

constexpr ResampleFilterBuilders kBuilders[] = {
    {kQualityHermite, EnlargeBuilder<0>, ReduceBuilder<0>},
    {kQualityQuadraticSpline, EnlargeBuilder<1>, ReduceBuilder<1>},
    {kQualityCubicSpline, EnlargeBuilder<2>, ReduceBuilder<2>},
    {kQualityMitchell, EnlargeBuilder<3>, ReduceBuilder<3>},
    {kQualityCatmullRom, EnlargeBuilder<4>, ReduceBuilder<4>},
    {kQualitySinc225, EnlargeBuilder<5>, ReduceBuilder<5>},
    {kQualitySinc25, EnlargeBuilder<6>, ReduceBuilder<6>},
    {kQualityLanczos3, EnlargeBuilder<7>, ReduceBuilder<7>},
};
static_assert(sizeof(kBuilders) / sizeof(kBuilders[0]) == sizeof(kKernels) / sizeof(kKernels[0]),
              "one builder pair per kernel");

}  // namespace

void Weights_Release(ResampleWeights *weights) {
    weights->weights.Free();
    weights->offsets.Free();
    weights->taps = 0;
    weights->count = 0;
}

const ResampleFilterBuilders *Resample_FilterForCode(int32_t code) {
    for (const ResampleFilterBuilders &b : kBuilders)
        if (b.code == code) return &b;
    return nullptr;
}
