// Exact area average on the least-common-multiple grid, its enlarging form
// (replication, then averaging of the replicated source) and replication.
//
// Both sides are cut into L = lcm(source, destination) units per axis: a
// source pixel spans a = L / source units, a destination pixel b = L /
// destination units. The grid is never built: each destination pixel keeps a
// short list of (source pixel, units it covers), worked out once per axis.
// Integer sums are exact, so the order of the additions does not matter.
#include <algorithm>
#include <cstring>

#include "image/resample/qv_ResampleWork.h"
#include "util/qv_MathUtil.h"

const TaskRunner *g_resampleTasks = nullptr;

namespace {

// Largest units per destination pixel (and product of both axes) for which
// 255 * P + P / 2 still fits 32 bits.
constexpr uint32_t kAreaLimit = 16810048;

// Covered units per destination pixel along one axis. The source is read as
// if each pixel were repeated `repeat` times (1 when reducing).
struct AreaAxis {
    ResampleBuffer first;   // uint32_t [dst + 1]: index of the first entry
    ResampleBuffer source;  // uint32_t [entries]: source pixel
    ResampleBuffer units;   // uint32_t [entries]
    uint32_t perDst = 0;    // units of one destination pixel
    uint32_t perSrc = 0;    // units of one real source pixel

    bool Build(uint32_t src, uint32_t dst, uint32_t repeat, uint32_t lcm) {
        const uint64_t virtualSrc = uint64_t{src} * repeat;
        const uint64_t perSrc = uint64_t{lcm / virtualSrc} * repeat;  // units of one real source pixel
        perDst = lcm / dst;
        this->perSrc = static_cast<uint32_t>(perSrc);
        const uint64_t maxEntries = uint64_t{dst} + src;
        if (first.Alloc(4 * (uint64_t{dst} + 1)) == nullptr || source.Alloc(4 * maxEntries) == nullptr ||
            units.Alloc(4 * maxEntries) == nullptr)
            return false;
        uint32_t *firstOf = first.as<uint32_t>();
        uint32_t *srcOf = source.as<uint32_t>();
        uint32_t *unitsOf = units.as<uint32_t>();
        uint32_t n = 0;
        for (uint32_t d = 0; d < dst; ++d) {
            firstOf[d] = n;
            const uint64_t start = uint64_t{d} * perDst, end = start + perDst;
            for (uint64_t s = start / perSrc; s < src && s * perSrc < end; ++s) {
                const uint64_t from = std::max(start, s * perSrc), to = std::min(end, (s + 1) * perSrc);
                srcOf[n] = static_cast<uint32_t>(s);
                unitsOf[n] = static_cast<uint32_t>(to - from);
                ++n;
            }
        }
        firstOf[dst] = n;
        return true;
    }
};

// Horizontal sums of one source row: per destination pixel and channel the
// value times the units it covers (at most 255 * perDst, which fits). The
// source pixels of a destination pixel are consecutive, and all but the
// first and the last are covered whole, so those are added plainly and
// multiplied once.
void AreaRowSums(const uint8_t *row, const AreaAxis &axis, uint32_t dstWidth, bool divide, uint32_t *sums) {
    const uint32_t *first = axis.first.as<uint32_t>();
    const uint32_t *source = axis.source.as<uint32_t>();
    const uint32_t *units = axis.units.as<uint32_t>();
    const uint32_t half = axis.perDst / 2;
    for (uint32_t d = 0; d < dstWidth; ++d) {
        const uint32_t e0 = first[d], eLast = first[d + 1] - 1;
        const uint8_t *p = row + 3 * static_cast<size_t>(source[e0]);
        uint32_t u = units[e0];
        uint32_t b = p[0] * u, g = p[1] * u, r = p[2] * u;
        if (eLast > e0) {
            uint32_t mb = 0, mg = 0, mr = 0;
            const uint8_t *end = p + 3 * static_cast<size_t>(eLast - e0);
            for (p += 3; p < end; p += 3) {
                mb += p[0];
                mg += p[1];
                mr += p[2];
            }
            u = units[eLast];
            b += mb * axis.perSrc + p[0] * u;
            g += mg * axis.perSrc + p[1] * u;
            r += mr * axis.perSrc + p[2] * u;
        }
        if (divide) {
            b = (b + half) / axis.perDst;
            g = (g + half) / axis.perDst;
            r = (r + half) / axis.perDst;
        }
        sums[3 * d] = b;
        sums[3 * d + 1] = g;
        sums[3 * d + 2] = r;
    }
}

// What every band of destination rows shares.
struct AreaJob {
    const ResampleRequest *r;
    const AreaAxis *across;
    const AreaAxis *down;
    uint32_t p;        // units of one destination pixel on both axes; 0: divided per axis
    uint32_t divisor;
    uint32_t bands;
    ResampleBuffer *buffers;  // three per band: row sums, the accumulator, a fetched source row
};

void AreaBand(void *context, size_t band) {
    const AreaJob &job = *static_cast<const AreaJob *>(context);
    const ResampleRequest *r = job.r;
    const uint32_t dw = static_cast<uint32_t>(r->dstWidth), dh = static_cast<uint32_t>(r->dstHeight);
    const uint32_t from = static_cast<uint32_t>(uint64_t{dh} * band / job.bands);
    const uint32_t to = static_cast<uint32_t>(uint64_t{dh} * (band + 1) / job.bands);
    uint32_t *sums = job.buffers[3 * band].as<uint32_t>();
    uint32_t *acc = job.buffers[3 * band + 1].as<uint32_t>();
    uint8_t *fetched = job.buffers[3 * band + 2].data();
    const uint32_t *first = job.down->first.as<uint32_t>();
    const uint32_t *source = job.down->source.as<uint32_t>();
    const uint32_t *units = job.down->units.as<uint32_t>();
    const size_t values = 3 * static_cast<size_t>(dw);
    const uint32_t half = job.divisor / 2;
    int64_t summedRow = -1;
    for (uint32_t i = from; i < to; ++i) {
        std::memset(acc, 0, values * 4);
        for (uint32_t e = first[i]; e < first[i + 1]; ++e) {
            if (static_cast<int64_t>(source[e]) != summedRow) {
                summedRow = source[e];
                const uint8_t *row = fetched;
                if (r->fetchRow != nullptr) {
                    r->fetchRow(r->fetchContext, summedRow, fetched);
                } else {
                    row = Resample_Row(r->srcBits, r->srcStride, summedRow);
                }
                AreaRowSums(row, *job.across, dw, job.p == 0, sums);
            }
            const uint32_t u = units[e];
            for (size_t k = 0; k < values; ++k) acc[k] += sums[k] * u;
        }
        uint8_t *out = Resample_Row(r->dstBits, r->dstStride, i);
        for (size_t k = 0; k < values; ++k) out[k] = static_cast<uint8_t>((acc[k] + half) / job.divisor);
    }
}

// Bands worth a thread: large pictures only, at least 32 rows each.
uint32_t AreaBands(const ResampleRequest *r) {
    constexpr uint32_t kMostBands = 16;
    const TaskRunner *tasks = g_resampleTasks;
    if (tasks == nullptr || tasks->run == nullptr || tasks->threads < 2) return 1;
    if (int64_t{r->srcWidth} * r->srcHeight < (int64_t{1} << 20)) return 1;
    uint32_t bands = tasks->threads < kMostBands ? tasks->threads : kMostBands;
    const uint32_t byRows = static_cast<uint32_t>(r->dstHeight) / 32;
    if (byRows < bands) bands = byRows;
    return bands < 1 ? 1 : bands;
}

// Averages the source, read as repeated kx times across and ky times down,
// into the destination; the repeated size is at least the destination's on
// both axes. 1 done, 0 when the grid is beyond the limits or memory is short
// (the caller decides about falling back).
int AreaAverageRepeated(const ResampleRequest *r, uint32_t kx, uint32_t ky) {
    const uint32_t sw = static_cast<uint32_t>(r->srcWidth), sh = static_cast<uint32_t>(r->srcHeight);
    const uint32_t dw = static_cast<uint32_t>(r->dstWidth), dh = static_cast<uint32_t>(r->dstHeight);
    const uint64_t vw = uint64_t{sw} * kx, vh = uint64_t{sh} * ky;
    if (vw > UINT32_MAX || vh > UINT32_MAX) return 0;
    const uint32_t lx = Resample_Lcm(dw, static_cast<uint32_t>(vw));
    const uint32_t ly = (dw == dh && vw == vh) ? lx : Resample_Lcm(dh, static_cast<uint32_t>(vh));
    if (lx == 0 || ly == 0) return 0;
    const uint32_t bx = lx / dw, by = ly / dh;
    if (bx > kAreaLimit || by > kAreaLimit) return 0;
    const uint32_t p = Math_MulLimit(bx, by, kAreaLimit);

    AreaAxis across, down;
    if (!across.Build(sw, dw, kx, lx) || !down.Build(sh, dh, ky, ly)) return 0;
    const uint32_t bands = AreaBands(r);
    ResampleBuffer buffers[3 * 16];
    for (uint32_t b = 0; b < bands; ++b)
        if (buffers[3 * b].Alloc(12 * uint64_t{dw}) == nullptr || buffers[3 * b + 1].Alloc(12 * uint64_t{dw}) == nullptr ||
            (r->fetchRow != nullptr && buffers[3 * b + 2].Alloc(3 * uint64_t{sw}) == nullptr))
            return 0;
    // With P = 0 the two axes are divided one after the other so that no sum
    // passes 32 bits.
    AreaJob job{r, &across, &down, p, p != 0 ? p : by, bands, buffers};
    Tasks_Run(g_resampleTasks, bands, AreaBand, &job);
    return 1;
}

}  // namespace

int Resample_AreaAverage(ResampleRequest *r) {
    if (!Resample_CheckRequest(r)) return 0;
    if (r->srcWidth < r->dstWidth || r->srcHeight < r->dstHeight) return Resample_AreaEnlarge(r);
    if (r->srcWidth == 1 && r->srcHeight == 1) return Resample_FillFromOnePixel(r);
    if (AreaAverageRepeated(r, 1, 1)) return 1;
    return r->fallback == 1 ? Resample_IntAverageHalf(r) : 0;
}

int Resample_AreaAverageFetched(ResampleRequest *r) {
    if (!Resample_CheckRequest(r) || r->fetchRow == nullptr) return 0;
    if (r->srcWidth < r->dstWidth || r->srcHeight < r->dstHeight) return 0;
    return AreaAverageRepeated(r, 1, 1);
}

int Resample_AreaEnlarge(ResampleRequest *r) {
    if (!Resample_CheckRequest(r)) return 0;
    if (r->dstWidth <= r->srcWidth && r->dstHeight <= r->srcHeight) return Resample_AreaAverage(r);
    if (r->srcWidth == 1 && r->srcHeight == 1) return Resample_FillFromOnePixel(r);
    const int64_t kx = (int64_t{r->srcWidth} + r->dstWidth - 1) / r->srcWidth;
    const int64_t ky = (int64_t{r->srcHeight} + r->dstHeight - 1) / r->srcHeight;
    if (r->srcWidth * kx == r->dstWidth && r->srcHeight * ky == r->dstHeight) return Resample_Replicate(r);
    if (AreaAverageRepeated(r, static_cast<uint32_t>(kx), static_cast<uint32_t>(ky))) return 1;
    return r->fallback == 1 ? Resample_Linear(r) : 0;
}

int Resample_Replicate(ResampleRequest *r) {
    if (!Resample_CheckRequest(r)) return 0;
    const int64_t kx = r->dstWidth / r->srcWidth, ky = r->dstHeight / r->srcHeight;
    if (kx < 1 || ky < 1 || kx * r->srcWidth != r->dstWidth || ky * r->srcHeight != r->dstHeight) return 0;
    const size_t rowBytes = static_cast<size_t>(r->dstWidth) * 3;
    for (int64_t y = 0; y < r->srcHeight; ++y) {
        const uint8_t *in = Resample_Row(r->srcBits, r->srcStride, y);
        uint8_t *first = Resample_Row(r->dstBits, r->dstStride, y * ky);
        uint8_t *out = first;
        for (int32_t x = 0; x < r->srcWidth; ++x, in += 3)
            for (int64_t k = 0; k < kx; ++k, out += 3) {
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
            }
        for (int64_t k = 1; k < ky; ++k)
            std::memcpy(Resample_Row(r->dstBits, r->dstStride, y * ky + k), first, rowBytes);
    }
    return 1;
}
