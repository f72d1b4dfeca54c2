#include "image/qv_GaussPass.h"

#include <new>

#include "image/qv_CorrectionTable.h"

// One band of output rows and its buffers (one block, cut into pieces).
struct GaussBand {
    int32_t top = 0, bottom = 0;  // output rows, source coordinates
    int32_t first = 0;            // first horizontal row in the ring: top - n, at least 0
    int32_t tailEnd = 0;          // horizontal rows bottom..tailEnd-1 are kept in `tail`
    int32_t ringRows = 0;
    size_t rowValues = 0;  // 3 x rectangle width
    size_t rowStride = 0;  // values from one ring row to the next
    std::unique_ptr<uint8_t[]> block;
    uint16_t *pad = nullptr;   // one source row, n edge pixels added on each side
    uint16_t *ring = nullptr;  // ringRows rows
    uint16_t *tail = nullptr;  // tailEnd - bottom rows
    uint8_t *line = nullptr;   // blurred values of one output row
    const uint16_t **across = nullptr;  // horizontal taps: minus then plus, n + 2 each
    const uint16_t **down = nullptr;    // vertical taps of the current row, the same way

    uint16_t *Horizontal(int32_t row) const {
        if (row >= bottom) return tail + size_t(row - bottom) * rowStride;
        return ring + size_t((row - first) % ringRows) * rowStride;
    }
};

GaussWork::GaussWork() = default;
GaussWork::~GaussWork() = default;

namespace {

// Threads pay for themselves from about this many multiply-adds on.
constexpr uint64_t kThreadWork = uint64_t{1} << 22;
constexpr int32_t kMostBands = 16;
constexpr int32_t kFewestBandRows = 16;
// Ring rows start on a cache line.
constexpr size_t kLineValues = 32;

size_t RoundUp(size_t v, size_t to) { return (v + to - 1) / to * to; }

int32_t PlanBands(const SelRect &r, int32_t n, const TaskRunner *tasks) {
    if (tasks == nullptr || tasks->run == nullptr || tasks->threads < 2) return 1;
    const int64_t rows = r.bottom - r.top;
    const uint64_t work = 3 * uint64_t(r.right - r.left) * uint64_t(rows) * uint64_t(2 * n + 1);
    if (work < kThreadWork) return 1;
    // Every band makes the 2n horizontal rows it shares with its neighbours
    // again: bands are kept at least that tall.
    const int64_t fewest = 2 * n > kFewestBandRows ? 2 * n : kFewestBandRows;
    int64_t bands = rows / fewest;
    if (bands > int64_t(tasks->threads)) bands = tasks->threads;
    if (bands > kMostBands) bands = kMostBands;
    return bands < 1 ? 1 : int32_t(bands);
}

bool MakeBand(GaussBand *b, const SelRect &r, int32_t sourceHeight, int32_t n, int32_t top, int32_t bottom) {
    b->top = top;
    b->bottom = bottom;
    b->first = top - n > 0 ? top - n : 0;
    b->tailEnd = bottom + n < sourceHeight ? bottom + n : sourceHeight;
    const int32_t own = bottom - b->first;
    b->ringRows = own < 2 * n + 1 ? own : 2 * n + 1;
    const uint64_t width = uint64_t(r.right - r.left);
    const uint64_t rowValues = 3 * width;
    const uint64_t rowStride = (rowValues + kLineValues - 1) / kLineValues * kLineValues;
    const uint64_t padValues = 3 * (width + 2 * uint64_t(n));
    const uint64_t rows = uint64_t(b->ringRows) + uint64_t(b->tailEnd - bottom);
    const uint64_t pointers = 4 * (uint64_t(n) + 2);
    const uint64_t bytes = 2 * (RoundUp(padValues, kLineValues) + rows * rowStride) + RoundUp(rowValues, 64) +
                           pointers * sizeof(void *) + 64;
    if (bytes > uint64_t(SIZE_MAX / 2)) return false;
    b->block.reset(new (std::nothrow) uint8_t[size_t(bytes)]);
    if (!b->block) return false;
    uint8_t *p = b->block.get();
    p += (64 - reinterpret_cast<uintptr_t>(p) % 64) % 64;
    auto take = [&p](size_t n) {
        uint8_t *at = p;
        p += n;
        return at;
    };
    b->rowValues = size_t(rowValues);
    b->rowStride = size_t(rowStride);
    b->ring = reinterpret_cast<uint16_t *>(take(2 * size_t(b->ringRows) * b->rowStride));
    b->tail = reinterpret_cast<uint16_t *>(take(2 * size_t(b->tailEnd - bottom) * b->rowStride));
    b->pad = reinterpret_cast<uint16_t *>(take(2 * RoundUp(size_t(padValues), kLineValues)));
    b->line = take(RoundUp(size_t(rowValues), 64));
    b->across = reinterpret_cast<const uint16_t **>(take(2 * (size_t(n) + 2) * sizeof(void *)));
    b->down = reinterpret_cast<const uint16_t **>(take(2 * (size_t(n) + 2) * sizeof(void *)));
    // The horizontal taps never move: value x of the output reads padded
    // values x + n - k and x + n + k pixels in.
    const uint16_t **minus = b->across, **plus = b->across + n + 2;
    for (int32_t k = 0; k <= n; ++k) {
        minus[k] = b->pad + 3 * size_t(n - k);
        plus[k] = b->pad + 3 * size_t(n + k);
    }
    minus[n + 1] = minus[n];  // the zero-weight partner of an odd n
    plus[n + 1] = plus[n];
    return true;
}

struct RunContext {
    const GaussPassJob *job;
    GaussWork *work;
    GaussRowFns fns;
};

// Source row `row` filtered across the rectangle's columns into `out`.
void FilterAcross(const RunContext &c, const GaussBand &b, int32_t row, uint16_t *out) {
    const GaussPassJob &job = *c.job;
    const int32_t n = c.work->taps.n;
    const int32_t width = job.source.fields.width;
    const uint8_t *in = job.source.Row(row);
    // Padded columns rect.left - n .. rect.right + n - 1; outside the source
    // they repeat its first or last pixel.
    const int32_t from = job.rect.left - n, to = job.rect.right + n;
    const int32_t inFrom = from > 0 ? from : 0, inTo = to < width ? to : width;
    uint16_t *p = b.pad;
    for (int32_t x = from; x < inFrom; ++x, p += 3) p[0] = in[0], p[1] = in[1], p[2] = in[2];
    c.fns.widen(in + 3 * size_t(inFrom), 3 * size_t(inTo - inFrom), p);
    p += 3 * size_t(inTo - inFrom);
    const uint8_t *last = in + 3 * size_t(width - 1);
    for (int32_t x = inTo; x < to; ++x, p += 3) p[0] = last[0], p[1] = last[1], p[2] = last[2];
    c.fns.row16(c.work->taps, b.across, b.across + n + 2, b.rowValues, out);
}

// The horizontal rows this band shares with its neighbours: made before
// any band writes, since in place those rows are the neighbours' output.
void ShareTask(void *context, size_t index) {
    const RunContext &c = *static_cast<const RunContext *>(context);
    const GaussBand &b = c.work->bands[index];
    for (int32_t row = b.first; row < b.top; ++row) FilterAcross(c, b, row, b.Horizontal(row));
    for (int32_t row = b.bottom; row < b.tailEnd; ++row) FilterAcross(c, b, row, b.Horizontal(row));
}

void Correct(const int16_t *table, bool sharpen, const uint8_t *blurred, uint8_t *out, size_t count) {
    const int16_t *t = table + kCorrectionCentre;
    for (size_t i = 0; i < count; ++i) {
        const int32_t v = out[i], b = blurred[i];
        const int32_t x = v + t[sharpen ? v - b : b - v];
        out[i] = uint8_t(x < 0 ? 0 : (x > 255 ? 255 : x));
    }
}

void BandTask(void *context, size_t index) {
    const RunContext &c = *static_cast<const RunContext *>(context);
    const GaussPassJob &job = *c.job;
    const GaussBand &b = c.work->bands[index];
    const int32_t n = c.work->taps.n, lastRow = job.source.fields.height - 1;
    const uint16_t **minus = b.down, **plus = b.down + n + 2;
    int32_t next = b.top;  // the next horizontal row to make
    for (int32_t y = b.top; y < b.bottom; ++y) {
        const int32_t need = y + n < b.bottom - 1 ? y + n : b.bottom - 1;
        for (; next <= need; ++next) FilterAcross(c, b, next, b.Horizontal(next));
        for (int32_t k = 0; k <= n; ++k) {
            minus[k] = b.Horizontal(y - k > 0 ? y - k : 0);
            plus[k] = b.Horizontal(y + k < lastRow ? y + k : lastRow);
        }
        minus[n + 1] = minus[n];
        plus[n + 1] = plus[n];
        uint8_t *out = job.target.Row(job.targetTop + (y - job.rect.top)) + 3 * size_t(job.targetLeft);
        if (job.output == GaussOutput::FullBlur) {
            c.fns.row8(c.work->taps, minus, plus, b.rowValues, out);
        } else {
            c.fns.row8(c.work->taps, minus, plus, b.rowValues, b.line);
            Correct(job.table, job.output == GaussOutput::Sharpen, b.line, out, b.rowValues);
        }
    }
}

bool SameRect(const SelRect &a, const SelRect &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

bool GaussWork_Prepare(GaussWork *work, const GaussKernel &kernel, const SelRect &rect, int32_t sourceWidth,
                       int32_t sourceHeight, const TaskRunner *tasks) {
    if (work == nullptr || !GaussTaps_Make(kernel, &work->taps)) return false;
    if (rect.left < 0 || rect.top < 0 || rect.left >= rect.right || rect.top >= rect.bottom ||
        rect.right > sourceWidth || rect.bottom > sourceHeight)
        return false;
    const int32_t n = kernel.n;
    const int32_t bands = PlanBands(rect, n, tasks);
    work->bands.reset(new (std::nothrow) GaussBand[size_t(bands)]);
    work->bandCount = 0;
    if (!work->bands) return false;
    const int64_t rows = rect.bottom - rect.top;
    for (int32_t i = 0; i < bands; ++i) {
        const int32_t top = rect.top + int32_t(rows * i / bands), bottom = rect.top + int32_t(rows * (i + 1) / bands);
        if (!MakeBand(&work->bands[i], rect, sourceHeight, n, top, bottom)) {
            work->bands.reset();
            return false;
        }
    }
    work->rect = rect;
    work->sourceWidth = sourceWidth;
    work->sourceHeight = sourceHeight;
    work->bandCount = bands;
    work->tasks = tasks;
    return true;
}

int GaussPass_Run(const GaussPassJob &job, GaussWork *work, GaussSimd level) {
    if (work == nullptr || work->bandCount < 1) return 0;
    const DibFields &s = job.source.fields, &t = job.target.fields;
    if (s.depth != 24 || t.depth != 24 || job.source.bits == nullptr || job.target.bits == nullptr) return 0;
    if (!SameRect(job.rect, work->rect) || s.width != work->sourceWidth || s.height != work->sourceHeight) return 0;
    const int32_t w = job.rect.right - job.rect.left, h = job.rect.bottom - job.rect.top;
    if (job.targetLeft < 0 || job.targetTop < 0 || int64_t(job.targetLeft) + w > t.width ||
        int64_t(job.targetTop) + h > t.height)
        return 0;
    // Filtering in place works row by row from the top; a target that shares
    // the source's pixels anywhere else would be read after it was written.
    if (job.target.bits == job.source.bits && (job.targetLeft != job.rect.left || job.targetTop != job.rect.top))
        return 0;
    if (job.output != GaussOutput::FullBlur && job.table == nullptr) return 0;
    RunContext context{&job, work, GaussTaps_Functions(level)};
    Tasks_Run(work->tasks, size_t(work->bandCount), ShareTask, &context);
    Tasks_Run(work->tasks, size_t(work->bandCount), BandTask, &context);
    return 1;
}
