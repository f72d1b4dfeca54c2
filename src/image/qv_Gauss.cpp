#include "image/qv_Gauss.h"

#include <cmath>

#include "image/qv_CorrectionTable.h"
#include "image/qv_DibApi.h"
#include "image/qv_DibHolder.h"
#include "image/qv_DibOps.h"
#include "image/qv_DibRows.h"
#include "image/qv_EditTasks.h"
#include "image/qv_GaussPass.h"
#include "image/qv_PixelValue.h"

namespace {

constexpr int32_t kFullBlur = 1000;

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

bool IsWhole(const SelRect &r, int32_t width, int32_t height) {
    return r.left == 0 && r.top == 0 && r.right == width && r.bottom == height;
}

// Where the filter reads and writes: the source, the rectangle in source
// coordinates and the result picture (slot mode only).
struct Working {
    DibHolder copy;    // a 24-bit source made for a picture of another depth
    DibHolder result;  // slot mode: the picture handed to the caller
    DibHandle source = 0;
    SelRect rect{};
    int32_t sourceWidth = 0, sourceHeight = 0;
};

int AttachCut(DibHolder &h, DibHandle picture, const SelRect &r) {
    return DibHolder_AttachNew(h, Dibcore_CutDIB(picture, r.left, r.top, r.right - r.left, r.bottom - r.top));
}

// The source's geometry before anything is made: the widened cut-out when a
// part of a picture that is not 24 bits is read through a copy.
void PlanSource(int32_t depth, const SelRect &r, int32_t width, int32_t height, int32_t n, bool slot,
                SelRect *cut, Working *w) {
    *cut = SelRect{0, 0, width, height};
    if (slot && depth != 24 && !IsWhole(r, width, height)) {
        // The rectangle and every pixel its kernel reaches, no more.
        *cut = SelRect{r.left - n > 0 ? r.left - n : 0, r.top - n > 0 ? r.top - n : 0,
                       r.right + n < width ? r.right + n : width, r.bottom + n < height ? r.bottom + n : height};
    }
    w->rect = SelRect{r.left - cut->left, r.top - cut->top, r.right - cut->left, r.bottom - cut->top};
    w->sourceWidth = cut->right - cut->left;
    w->sourceHeight = cut->bottom - cut->top;
}

// Slot mode: the 24-bit source and the result. A full blur writes every
// result pixel, so its result is a fresh picture; the other outputs start
// from the rectangle's own values. Nothing here touches the picture.
bool MakeSlotPictures(DibHandle picture, int32_t depth, bool whole, const SelRect &cut, bool fullBlur, Working *w) {
    const int32_t width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
    if (whole) {
        // The whole picture: the source is the picture, or for another
        // depth the result itself, a 24-bit copy filtered in place.
        if (depth == 24 && fullBlur) {
            if (!DibHolder_Create(w->result, width, height, 24, 0, 0, nullptr)) return false;
        } else if (!DibHolder_AttachNew(w->result, Dib_To24Bit(1, picture))) {
            return false;
        }
        w->source = depth == 24 ? picture : w->result.handle;
        return true;
    }
    if (depth != 24) {
        if (!AttachCut(w->copy, picture, cut) || !DibHolder_To24Bit(w->copy, 0)) return false;
        w->source = w->copy.handle;
    } else {
        w->source = picture;
    }
    if (fullBlur) return DibHolder_Create(w->result, width, height, 24, 0, 0, nullptr) != 0;
    return AttachCut(w->result, w->source, w->rect) != 0;
}

// The unchanged rectangle as a new 24-bit picture, for a kernel too small
// to change anything.
DibHandle UnchangedCopy(DibHandle picture, int32_t depth, const SelRect &r, int32_t width, int32_t height) {
    if (IsWhole(r, width, height)) return Dib_To24Bit(1, picture);
    DibHolder part;
    if (!AttachCut(part, picture, r) || (depth != 24 && !DibHolder_To24Bit(part, 0))) return 0;
    return DibHolder_Take(part);
}

bool OpenRows(DibHandle h, DibRows *rows) { return DibRows_Open(Dibcore_DataDIB(h), rows) && rows->fields.depth == 24; }

GaussSimd Level() {
    static const GaussSimd best = GaussSimd_Best();
    return best;
}

}  // namespace

int32_t Gauss_Kernel(int32_t sigmaMilli, int32_t *weights, int32_t nMax) {
    if (nMax < 1 || weights == nullptr || sigmaMilli == 0) return 0;
    // Extended precision throughout; the totals in 64 bits, since a huge
    // sigma keeps every weight near 65536 for as many taps as are allowed.
    const long double sigma = sigmaMilli / 1000.0L;
    const long double twoSigmaSquared = 2 * sigma * sigma;
    weights[0] = 65536;
    int64_t total = 65536;
    int32_t n = nMax;
    for (int32_t i = 1; i <= nMax; ++i) {
        const long double v = std::exp(-(static_cast<long double>(i) * i) / twoSigmaSquared);
        const int64_t w = static_cast<int64_t>(v * 65536);
        const int64_t grown = total + 2 * w;
        // A weight that would vanish once normalised ends the kernel.
        if (static_cast<int64_t>(w * (65536.0L / grown)) == 0) {
            n = i - 1;
            break;
        }
        weights[i] = static_cast<int32_t>(w);
        total = grown;
    }
    if (n < 1) return 0;
    for (int32_t k = 0; k <= n; ++k) weights[k] = static_cast<int32_t>(weights[k] * 65536.0L / total);
    return n;
}

void Gauss_KernelForRadius(int32_t radius, GaussKernel *kernel) {
    const int32_t r = Clamp(radius, 1, kGaussMaxRadius);
    kernel->n = Gauss_Kernel(r + 170, kernel->w, (5 * r + 1849) / 1000);
}

int Gauss_Apply(DibHandle picture, DibHandle *result, const SelRect *rect, int32_t radius, int32_t amount,
                int32_t threshold) {
    if (result != nullptr) *result = 0;
    int32_t width = 0, height = 0;
    const int32_t depth = Dib_GetInfo(picture, &width, nullptr, &height, 1);
    if (depth == 0 || radius < 1) return 0;
    // Every blur stronger than -1000 is the full blur, so limiting the
    // amount there changes nothing and lets it be negated safely; a
    // threshold means something only as a channel difference.
    amount = amount < -kFullBlur ? -kFullBlur : amount;
    threshold = Clamp(threshold, 0, 255);
    const GaussOutput output =
        amount >= 1 ? GaussOutput::Sharpen : (amount == -kFullBlur ? GaussOutput::FullBlur : GaussOutput::Blend);

    SelRect r;
    if (!Rect_ClipToImage(rect, width, height, &r)) return 0;
    GaussKernel kernel;
    Gauss_KernelForRadius(radius, &kernel);
    if (kernel.n == 0) {
        if (result == nullptr) return 1;
        *result = UnchangedCopy(picture, depth, r, width, height);
        return *result != 0 ? 1 : 0;
    }
    int16_t table[kCorrectionEntries];
    if (output == GaussOutput::Sharpen && !CorrectionTable_Build(amount, threshold, table)) return 0;
    if (output == GaussOutput::Blend && !CorrectionTable_Build(-amount, 0, table)) return 0;

    Working w;
    SelRect cut;
    PlanSource(depth, r, width, height, kernel.n, result != nullptr, &cut, &w);
    // The buffers first: short memory then leaves the picture as it was.
    GaussWork work;
    if (!GaussWork_Prepare(&work, kernel, w.rect, w.sourceWidth, w.sourceHeight, g_editTasks)) return 0;

    GaussPassJob job;
    job.rect = w.rect;
    job.output = output;
    job.table = output == GaussOutput::FullBlur ? nullptr : table;
    if (result == nullptr) {
        if (depth != 24 && !Dibcore_DIBto24Bit(picture)) return 0;
        if (!OpenRows(picture, &job.source)) return 0;
        job.target = job.source;
        job.targetLeft = r.left;
        job.targetTop = r.top;
        return GaussPass_Run(job, &work, Level());
    }
    if (!MakeSlotPictures(picture, depth, IsWhole(r, width, height), cut, output == GaussOutput::FullBlur, &w))
        return 0;
    // Every library call may have moved storage: rows are fetched last.
    if (!OpenRows(w.source, &job.source) || !OpenRows(w.result.handle, &job.target)) return 0;
    if (w.source == w.result.handle) {
        job.targetLeft = job.rect.left;
        job.targetTop = job.rect.top;
    }
    if (!GaussPass_Run(job, &work, Level())) return 0;
    *result = DibHolder_Take(w.result);
    return 1;
}
