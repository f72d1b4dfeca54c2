// The frame shared by every method: argument checks, the least common
// multiple of the area average, filling from a single pixel, and the choice
// of method by quality code.
#include <cstring>

#include "image/resample/qv_ResampleWork.h"

bool Resample_CheckArgs(int32_t dstWidth, int32_t dstHeight, int32_t dstStride, const uint8_t *srcBits,
                        int32_t srcWidth, int32_t srcHeight, int32_t srcStride) {
    return srcBits != nullptr && dstWidth > 0 && dstHeight > 0 && srcWidth > 0 && srcHeight > 0 && dstStride != 0 &&
           srcStride != 0;
}

bool Resample_CheckRequest(const ResampleRequest *r) {
    return r != nullptr && r->dstBits != nullptr &&
           Resample_CheckArgs(r->dstWidth, r->dstHeight, r->dstStride, r->srcBits, r->srcWidth, r->srcHeight,
                              r->srcStride);
}

// Equal to walking the two multiples up until they meet (all intermediate
// multiples stay at or below the result), so a result above 32 bits is the
// only overflow.
uint32_t Resample_Lcm(uint32_t a, uint32_t b) {
    if (a == b) return a;
    if (a == 0 || b == 0) return 0;
    if (a == 1) return b;
    if (b == 1) return a;
    uint32_t x = a, y = b;
    while (y != 0) {
        const uint32_t t = x % y;
        x = y;
        y = t;
    }
    const uint64_t lcm = uint64_t{a / x} * b;
    return lcm > UINT32_MAX ? 0 : static_cast<uint32_t>(lcm);
}

void Resample_FillColour(uint8_t *dstBits, int32_t dstWidth, int32_t dstHeight, int32_t dstStride, uint32_t colour) {
    const uint8_t b = static_cast<uint8_t>(colour), g = static_cast<uint8_t>(colour >> 8),
                  r = static_cast<uint8_t>(colour >> 16);
    uint8_t *first = dstBits;
    for (int32_t x = 0; x < dstWidth; ++x) {
        first[3 * x] = b;
        first[3 * x + 1] = g;
        first[3 * x + 2] = r;
    }
    for (int32_t y = 1; y < dstHeight; ++y)
        std::memcpy(Resample_Row(dstBits, dstStride, y), first, static_cast<size_t>(dstWidth) * 3);
}

int Resample_FillFromOnePixel(ResampleRequest *r) {
    const uint8_t *p = r->srcBits;
    Resample_FillColour(r->dstBits, r->dstWidth, r->dstHeight, r->dstStride,
                        uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16);
    return 1;
}

int32_t Zoom_QualityToMethod(int32_t index, bool reducing) {
    if (index == 1) return reducing ? kQualityIntAverageHalf : kQualityLinear;
    if (index == 2) return kQualityAreaAverage;
    if (index >= 3 && index <= 10) return 10 * (index + 1);
    return kQualityNone;
}

namespace {

// Methods by code and direction; codes not listed average by area.
struct MethodRow {
    int32_t code;
    ResampleMethod reduce;
    ResampleMethod enlarge;
};

constexpr MethodRow kMethods[] = {
    {kQualityNone, ResampleMethod::Simple, ResampleMethod::Simple},
    {kQualityLinear, ResampleMethod::Linear, ResampleMethod::Linear},
    {kQualityAreaAverage, ResampleMethod::AreaAverage, ResampleMethod::AreaEnlarge},
    {kQualityIntAverage, ResampleMethod::IntAverage, ResampleMethod::AreaEnlarge},
    {kQualityIntAverageHalf, ResampleMethod::IntAverageHalf, ResampleMethod::AreaEnlarge},
    {kQualityHermite, ResampleMethod::Separable, ResampleMethod::Separable},
    {kQualityQuadraticSpline, ResampleMethod::Separable, ResampleMethod::Separable},
    {kQualityCubicSpline, ResampleMethod::Separable, ResampleMethod::Separable},
    {kQualityMitchell, ResampleMethod::Separable, ResampleMethod::Separable},
    {kQualityCatmullRom, ResampleMethod::Separable, ResampleMethod::Separable},
    {kQualitySinc225, ResampleMethod::Separable, ResampleMethod::Separable},
    {kQualitySinc25, ResampleMethod::Separable, ResampleMethod::Separable},
    {kQualityLanczos3, ResampleMethod::Separable, ResampleMethod::Separable},
};

}  // namespace

ResampleMethod Resample_MethodForCode(int32_t code, bool enlarging) {
    for (const MethodRow &row : kMethods)
        if (row.code == code) return enlarging ? row.enlarge : row.reduce;
    return enlarging ? ResampleMethod::AreaEnlarge : ResampleMethod::AreaAverage;
}

int Resample_Dispatch(ResampleRequest *request, int32_t reduceCode, int32_t enlargeCode) {
    if (!Resample_CheckRequest(request)) return 0;
    const bool enlarging = request->dstWidth > request->srcWidth || request->dstHeight > request->srcHeight;
    const int32_t code = enlarging ? enlargeCode : reduceCode;
    switch (Resample_MethodForCode(code, enlarging)) {
        case ResampleMethod::Linear: return Resample_Linear(request);
        case ResampleMethod::AreaEnlarge: return Resample_AreaEnlarge(request);
        case ResampleMethod::IntAverage: return Resample_IntAverage(request);
        case ResampleMethod::IntAverageHalf: return Resample_IntAverageHalf(request);
        case ResampleMethod::Separable: {
            const ResampleFilterBuilders *filter = Resample_FilterForCode(code);
            return Resample_Separable(request, filter->enlarge, filter->reduce);
        }
        case ResampleMethod::Simple:
            // Depth-keeping copies are made above the 24-bit level; on 24-bit
            // pixels they are a nearest-neighbour stretch.
            return Stretch_Nearest(request->srcBits, request->srcStride, 0, request->srcWidth, request->srcHeight, 24,
                                   request->dstBits, request->dstStride, request->dstWidth, request->dstHeight);
        case ResampleMethod::AreaAverage: break;
    }
    return Resample_AreaAverage(request);
}
