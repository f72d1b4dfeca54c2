#include "image/qv_Histogram.h"

#include <cstring>
#include <memory>
#include <new>

#include "image/qv_DibApi.h"
#include "image/qv_DibOps.h"
#include "image/qv_DibRows.h"

namespace {

constexpr int kRed = 0, kGreen = 1, kBlue = 2;

bool CountPalette(const DibData *d, const DibRows &rows, const SelRect &r, Histogram *h) {
    uint8_t *entries = nullptr;
    uint32_t usable = 0;
    if (!DibRows_Palette(d, &entries, &usable)) return false;
    uint64_t byIndex[256] = {};
    const int depth = rows.fields.depth;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        const uint8_t *row = rows.Row(y);
        if (depth == 8) {
            for (int32_t x = r.left; x < r.right; ++x) ++byIndex[row[x]];
        } else if (depth == 4) {
            for (int32_t x = r.left; x < r.right; ++x) ++byIndex[(x & 1) ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4];
        } else {
            for (int32_t x = r.left; x < r.right; ++x) ++byIndex[(row[x >> 3] >> (7 - (x & 7))) & 1u];
        }
    }
    for (uint32_t i = 0; i < usable; ++i) {
        const uint8_t *e = entries + 4u * i;
        h->count[kBlue][e[0]] += uint32_t(byIndex[i]);
        h->count[kGreen][e[1]] += uint32_t(byIndex[i]);
        h->count[kRed][e[2]] += uint32_t(byIndex[i]);
    }
    return true;
}

void CountBytes(const DibRows &rows, const SelRect &r, int step, Histogram *h) {
    uint32_t *red = h->count[kRed], *green = h->count[kGreen], *blue = h->count[kBlue];
    for (int32_t y = r.top; y < r.bottom; ++y) {
        const uint8_t *p = rows.Row(y) + int64_t(r.left) * step;
        for (int32_t x = r.left; x < r.right; ++x, p += step) {
            ++blue[p[0]];
            ++green[p[1]];
            ++red[p[2]];
        }
    }
}

// Raw field values are counted first, then each narrow field's bins move to
// the 8-bit value the field widens to.
bool CountMasked(const DibData *d, const DibRows &rows, const SelRect &r, Histogram *h) {
    uint32_t masks[3];
    if (!Dib_EffectiveMasks(d->header, masks)) return false;
    ChannelMasks m;
    ChannelMasks_Set(rows.fields.depth, masks, &m);
    for (int c = 0; c < 3; ++c)
        if (m.width[c] > 8) return false;
    Histogram raw{};
    const int step = rows.fields.depth / 8;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        const uint8_t *p = rows.Row(y) + int64_t(r.left) * step;
        for (int32_t x = r.left; x < r.right; ++x, p += step) {
            uint32_t v = 0;
            std::memcpy(&v, p, size_t(step));
            for (int c = 0; c < 3; ++c) ++raw.count[c][(v & m.mask[c]) >> m.shift[c]];
        }
    }
    for (int c = 0; c < 3; ++c) {
        const uint32_t width = m.width[c];
        const uint32_t values = width == 0 ? 1u : 1u << width;
        for (uint32_t j = 0; j < values; ++j) h->count[c][Dib_ScaleTo8Bit(j, int(width))] += raw.count[c][j];
    }
    return true;
}

// Input low and high of one channel, or of the three added, from the
// thresholds.
struct Cut {
    int32_t low, high;
};

Cut FindCut(const uint64_t bins[256], uint64_t low, uint64_t high) {
    // The end bin is the first whose running sum reaches the threshold.
    const uint64_t belowLow = low > 0 ? low - 1 : 0, belowHigh = high > 0 ? high - 1 : 0;
    Cut cut{255, 0};
    uint64_t sum = 0;
    for (int32_t k = 0; k < 256; ++k) {
        sum += bins[k];
        if (sum > belowLow) {
            cut.low = k;
            break;
        }
    }
    sum = 0;
    for (int32_t k = 255; k >= 0; --k) {
        sum += bins[k];
        if (sum > belowHigh) {
            cut.high = k;
            break;
        }
    }
    if (cut.high <= cut.low) {
        // An empty or inverted range becomes the narrowest one about its middle.
        const int32_t mid = cut.low + (cut.high - cut.low) / 2 - 1;
        cut.low = mid < 0 ? 0 : mid;
        cut.high = cut.low + 1;
    }
    return cut;
}

// ceil(clip x total / 10000); beyond 32 bits counts as 0xFFFFFFFF.
uint64_t Threshold(int32_t clip, uint64_t total) {
    const unsigned __int128 q = (static_cast<unsigned __int128>(uint32_t(clip)) * total + 9999u) / 10000u;
    return q > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint64_t(q);
}

}  // namespace

int Histogram_Compute(DibHandle picture, const SelRect *rect, Histogram *histogram) {
    if (histogram == nullptr) return 0;
    std::memset(histogram, 0, sizeof *histogram);
    const DibData *d = Dibcore_DataDIB(picture);
    if (d == nullptr || d->header == nullptr || Dib_IsRleCompressed(d->header)) return 0;
    DibRows rows;
    if (!DibRows_Open(d, &rows)) return 0;
    SelRect r;
    if (!Rect_ClipToImage(rect, rows.fields.width, rows.fields.height, &r)) return 0;
    const int32_t depth = rows.fields.depth;
    bool ok;
    if (depth <= 8) ok = CountPalette(d, rows, r, histogram);
    else if (depth == 24) ok = (CountBytes(rows, r, 3, histogram), true);
    else if (depth == 32 && DibRows_IsPlain32(d->header)) ok = (CountBytes(rows, r, 4, histogram), true);
    else ok = (depth == 16 || depth == 32) && CountMasked(d, rows, r, histogram);
    if (!ok) std::memset(histogram, 0, sizeof *histogram);
    return ok ? 1 : 0;
}

int Levels_FromHistogram(const LevelsArea *area, int32_t lowClip, int32_t highClip, int perChannel,
                         const Histogram *histogram, LevelsParams *out) {
    if (out == nullptr) return 0;
    for (LevelsChannel &c : out->channel) c = LevelsChannel{1000, 0, 255, 0, 255};
    if (histogram == nullptr) return 0;
    uint64_t total = 0;
    if (area != nullptr) {
        if (area->width > 0 && area->height != 0)
            total = uint64_t(area->width) * uint64_t(area->height < 0 ? -int64_t{area->height} : area->height);
    } else {
        for (uint32_t n : histogram->count[kRed]) total += n;
    }
    if (total == 0) return 0;
    if (total == 1) return -1;
    lowClip = lowClip < 0 ? 0 : (lowClip > 10000 ? 10000 : lowClip);
    highClip = highClip < 0 ? 0 : (highClip > 10000 ? 10000 : highClip);

    uint64_t bins[256];
    if (perChannel) {
        const uint64_t low = Threshold(lowClip, total), high = Threshold(highClip, total);
        for (int c = 0; c < 3; ++c) {
            for (int k = 0; k < 256; ++k) bins[k] = histogram->count[c][k];
            const Cut cut = FindCut(bins, low, high);
            out->channel[c].inLow = uint8_t(cut.low);
            out->channel[c].inHigh = uint8_t(cut.high);
        }
    } else {
        for (int k = 0; k < 256; ++k)
            bins[k] = uint64_t{histogram->count[0][k]} + histogram->count[1][k] + histogram->count[2][k];
        const Cut cut = FindCut(bins, Threshold(lowClip, 3 * total), Threshold(highClip, 3 * total));
        for (LevelsChannel &c : out->channel) {
            c.inLow = uint8_t(cut.low);
            c.inHigh = uint8_t(cut.high);
        }
    }
    for (const LevelsChannel &c : out->channel)
        if (c.inLow != 0 || c.inHigh != 255) return 1;
    return -1;
}

int Tone_AutoLevel(DibHandle picture, const SelRect *rect, int perChannel) {
    int32_t width = 0, height = 0;
    const int32_t depth = Dib_GetInfo(picture, &width, nullptr, &height, 1);
    if (depth == 0 || width <= 0 || height == 0) return 0;
    SelRect r;
    if (!Rect_ClipToImage(rect, width, height, &r)) return 0;
    const LevelsArea area{r.right - r.left, r.bottom - r.top};
    if (area.width == 1 && area.height == 1) return 1;
    std::unique_ptr<Histogram> histogram(new (std::nothrow) Histogram);
    if (!histogram || !Histogram_Compute(picture, &r, histogram.get())) return 0;
    LevelsParams levels;
    const int found = Levels_FromHistogram(&area, 10, 10, perChannel, histogram.get(), &levels);
    if (found <= 0) return found < 0 ? 1 : 0;
    return Tone_Apply(picture, &r, kToneLevels, &levels);
}
