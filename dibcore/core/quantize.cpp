// Reduction to 8 bits: the picture's own colours when it has at most 256,
// else a median-cut palette refined by k-means, mapped with or without
// serpentine Floyd-Steinberg error diffusion.
#include <algorithm>
#include <cstring>
#include <vector>

#include "pixel_layout.h"
#include "storage.h"
#include "transform.h"

namespace dibcore {

namespace {

constexpr int kHistBits = 5;
constexpr uint32_t kHistSize = 1u << (3 * kHistBits);
constexpr int kCacheBits = 6;
constexpr uint32_t kCacheSize = 1u << (3 * kCacheBits);
constexpr uint16_t kUnknown = 0xFFFF;
constexpr int kRefinePasses = 4;

struct Bin {  // a populated histogram cell
    uint64_t r, g, b;  // sums of 8-bit values
    uint32_t count;
    uint8_t mr, mg, mb;  // mean colour
};

struct Box {
    uint32_t begin, end;  // range in the bin array
    double error;         // weighted squared deviation from the mean
    int axis;             // channel of the largest spread
};

struct Colour {
    int r, g, b;
};

using RowVisitor = void (*)(void *ctx, int64_t y, const uint8_t *bgr);

// Reads every row of the picture as B, G, R.
class BgrRows {
public:
    BgrRows(const Picture &p, const PixelLayout &l) : p_(p), l_(l), row_(static_cast<size_t>(l.width) * 3) {
        FullPalette(l, pal_);
    }
    const uint8_t *Row(int64_t y) {
        const uint8_t *s = LayoutRow(l_, p_.data.bits, y);
        if (l_.bpp == 24) return s;
        RowToBgr(l_, pal_, s, row_.data());
        return row_.data();
    }

private:
    const Picture &p_;
    const PixelLayout &l_;
    DibRgbQuad pal_[256];
    std::vector<uint8_t> row_;
};

// Collects up to 256 distinct colours; false as soon as a 257th appears.
bool ExactColours(BgrRows &rows, const PixelLayout &l, std::vector<uint32_t> *colours) {
    constexpr uint32_t kSlots = 1024, kEmpty = 0xFFFFFFFF;
    std::vector<uint32_t> table(kSlots, kEmpty);
    uint32_t last = kEmpty;
    for (int64_t y = 0; y < l.height; ++y) {
        const uint8_t *b = rows.Row(y);
        for (int64_t x = 0; x < l.width; ++x, b += 3) {
            const uint32_t c = b[0] | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16);
            if (c == last) continue;
            last = c;
            uint32_t h = (c * 2654435761u) >> 22;
            while (table[h] != kEmpty && table[h] != c) h = (h + 1) & (kSlots - 1);
            if (table[h] == c) continue;
            if (colours->size() == 256) return false;
            table[h] = c;
            colours->push_back(c);
        }
    }
    std::sort(colours->begin(), colours->end());
    return true;
}

void Measure(std::vector<Bin> &bins, Box *box) {
    double n = 0, s[3] = {0, 0, 0}, q[3] = {0, 0, 0};
    for (uint32_t i = box->begin; i < box->end; ++i) {
        const Bin &b = bins[i];
        const double v[3] = {double(b.mr), double(b.mg), double(b.mb)};
        for (int c = 0; c < 3; ++c) {
            s[c] += v[c] * b.count;
            q[c] += v[c] * v[c] * b.count;
        }
        n += b.count;
    }
    box->error = 0;
    double best = -1;
    for (int c = 0; c < 3; ++c) {
        const double var = q[c] - s[c] * s[c] / (n > 0 ? n : 1);
        box->error += var;
        if (var > best) {
            best = var;
            box->axis = c;
        }
    }
    if (box->end - box->begin < 2) box->error = 0;
}

std::vector<Colour> MedianCut(std::vector<Bin> &bins) {
    std::vector<Box> boxes;
    Box first{0, static_cast<uint32_t>(bins.size()), 0, 0};
    Measure(bins, &first);
    boxes.push_back(first);
    while (boxes.size() < 256) {
        size_t pick = 0;
        for (size_t i = 1; i < boxes.size(); ++i)
            if (boxes[i].error > boxes[pick].error) pick = i;
        Box &box = boxes[pick];
        if (box.error <= 0) break;
        const int axis = box.axis;
        auto key = [axis](const Bin &b) { return axis == 0 ? b.mr : axis == 1 ? b.mg : b.mb; };
        std::sort(bins.begin() + box.begin, bins.begin() + box.end,
                  [&](const Bin &a, const Bin &b) { return key(a) < key(b); });
        uint64_t total = 0, run = 0;
        for (uint32_t i = box.begin; i < box.end; ++i) total += bins[i].count;
        uint32_t cut = box.begin + 1;
        for (uint32_t i = box.begin; i + 1 < box.end; ++i) {
            run += bins[i].count;
            cut = i + 1;
            if (run * 2 >= total) break;
        }
        Box lo{box.begin, cut, 0, 0}, hi{cut, box.end, 0, 0};
        Measure(bins, &lo);
        Measure(bins, &hi);
        boxes[pick] = lo;
        boxes.push_back(hi);
    }
    std::vector<Colour> palette;
    for (const Box &box : boxes) {
        uint64_t n = 0, r = 0, g = 0, b = 0;
        for (uint32_t i = box.begin; i < box.end; ++i) {
            n += bins[i].count;
            r += bins[i].r;
            g += bins[i].g;
            b += bins[i].b;
        }
        if (n) palette.push_back({int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n)});
    }
    return palette;
}

int Nearest(const std::vector<Colour> &pal, int r, int g, int b) {
    int best = 0, bestD = 0x7FFFFFFF;
    for (size_t i = 0; i < pal.size(); ++i) {
        const int dr = pal[i].r - r, dg = pal[i].g - g, db = pal[i].b - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestD) {
            bestD = d;
            best = static_cast<int>(i);
            if (d == 0) break;
        }
    }
    return best;
}

// k-means over the histogram cells, starting from the median-cut palette.
void Refine(const std::vector<Bin> &bins, std::vector<Colour> *pal) {
    std::vector<uint64_t> acc;
    for (int pass = 0; pass < kRefinePasses; ++pass) {
        acc.assign(pal->size() * 4, 0);
        for (const Bin &b : bins) {
            const int k = Nearest(*pal, b.mr, b.mg, b.mb);
            acc[4 * k] += b.r;
            acc[4 * k + 1] += b.g;
            acc[4 * k + 2] += b.b;
            acc[4 * k + 3] += b.count;
        }
        for (size_t k = 0; k < pal->size(); ++k) {
            const uint64_t n = acc[4 * k + 3];
            if (n) (*pal)[k] = {int((acc[4 * k] + n / 2) / n), int((acc[4 * k + 1] + n / 2) / n),
                                int((acc[4 * k + 2] + n / 2) / n)};
        }
    }
}

// Nearest palette entry by colour, cached per 6-bit cell.
class Mapper {
public:
    explicit Mapper(const std::vector<Colour> &pal) : pal_(pal), cache_(kCacheSize, kUnknown) {}
    uint8_t Map(int r, int g, int b) {
        const uint32_t cell = (uint32_t(r) >> 2 << 12) | (uint32_t(g) >> 2 << 6) | (uint32_t(b) >> 2);
        uint16_t &c = cache_[cell];
        if (c == kUnknown) c = static_cast<uint16_t>(Nearest(pal_, (r & ~3) | 2, (g & ~3) | 2, (b & ~3) | 2));
        return static_cast<uint8_t>(c);
    }

private:
    const std::vector<Colour> &pal_;
    std::vector<uint16_t> cache_;
};

inline int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

void MapPlain(BgrRows &rows, const PixelLayout &l, Mapper &map, Picture *out, const PixelLayout &o) {
    for (int64_t y = 0; y < l.height; ++y) {
        const uint8_t *b = rows.Row(y);
        uint8_t *d = LayoutRow(o, out->data.bits, y);
        for (int64_t x = 0; x < l.width; ++x, b += 3) d[x] = map.Map(b[2], b[1], b[0]);
    }
}

// Serpentine Floyd-Steinberg; errors kept in sixteenths.
void MapDithered(BgrRows &rows, const PixelLayout &l, Mapper &map, const std::vector<Colour> &pal, Picture *out,
                 const PixelLayout &o) {
    const size_t w = static_cast<size_t>(l.width);
    std::vector<int> cur((w + 2) * 3, 0), next((w + 2) * 3, 0);
    for (int64_t y = 0; y < l.height; ++y) {
        const uint8_t *b = rows.Row(y);
        uint8_t *d = LayoutRow(o, out->data.bits, y);
        std::fill(next.begin(), next.end(), 0);
        const bool ltr = (y & 1) == 0;
        const int step = ltr ? 1 : -1;
        for (size_t i = 0; i < w; ++i) {
            const size_t x = ltr ? i : w - 1 - i;
            int *e = &cur[(x + 1) * 3];
            const int want[3] = {Clamp255(b[3 * x + 2] + (e[0] + 8) / 16), Clamp255(b[3 * x + 1] + (e[1] + 8) / 16),
                                 Clamp255(b[3 * x] + (e[2] + 8) / 16)};
            const uint8_t k = map.Map(want[0], want[1], want[2]);
            d[x] = k;
            const int got[3] = {pal[k].r, pal[k].g, pal[k].b};
            for (int c = 0; c < 3; ++c) {
                const int err = want[c] - got[c];
                cur[(x + 1 + step) * 3 + c] += err * 7;
                next[(x + 1 - step) * 3 + c] += err * 3;
                next[(x + 1) * 3 + c] += err * 5;
                next[(x + 1 + step) * 3 + c] += err;
            }
        }
        cur.swap(next);
    }
}

Picture *WidenIndexes(const Picture &src, const PixelLayout &l) {
    const uint32_t colours = l.colours ? l.colours : 1;
    Picture *out = NewSimplePicture(l.width, l.topDown ? -l.height : l.height, 8, colours, l.palette);
    if (out == nullptr) return nullptr;
    out->data.header->biXPelsPerMeter = src.data.header->biXPelsPerMeter;
    out->data.header->biYPelsPerMeter = src.data.header->biYPelsPerMeter;
    out->data.header->biClrUsed = colours;
    PixelLayout o;
    ReadLayout(*out, &o);
    for (int64_t y = 0; y < l.height; ++y) {
        const uint8_t *s = src.data.bits + y * l.stride;
        uint8_t *d = out->data.bits + y * o.stride;
        for (int64_t x = 0; x < l.width; ++x) d[x] = static_cast<uint8_t>(IndexAt(s, x, l.bpp));
    }
    return out;
}

}  // namespace

Picture *DibTo8(const Picture &source, int32_t mode) {
    PictureOwner temp;
    const Picture *srcp = Uncompressed(source, &temp);
    PixelLayout l;
    if (srcp == nullptr || !ReadLayout(*srcp, &l)) return nullptr;
    if (l.bpp == 8) return ClonePicture(*srcp);
    if (l.bpp < 8) return WidenIndexes(*srcp, l);

    BgrRows rows(*srcp, l);
    std::vector<uint32_t> exact;
    std::vector<Colour> palette;
    const bool few = ExactColours(rows, l, &exact);
    if (few) {
        for (uint32_t c : exact) palette.push_back({int(c >> 16), int((c >> 8) & 0xFF), int(c & 0xFF)});
    } else {
        std::vector<Bin> cells(kHistSize, Bin{0, 0, 0, 0, 0, 0, 0});
        for (int64_t y = 0; y < l.height; ++y) {
            const uint8_t *b = rows.Row(y);
            for (int64_t x = 0; x < l.width; ++x, b += 3) {
                const uint32_t i = (uint32_t(b[2]) >> 3 << 10) | (uint32_t(b[1]) >> 3 << 5) | (b[0] >> 3);
                Bin &c = cells[i];
                c.r += b[2];
                c.g += b[1];
                c.b += b[0];
                ++c.count;
            }
        }
        std::vector<Bin> bins;
        for (Bin &c : cells) {
            if (!c.count) continue;
            c.mr = static_cast<uint8_t>(c.r / c.count);
            c.mg = static_cast<uint8_t>(c.g / c.count);
            c.mb = static_cast<uint8_t>(c.b / c.count);
            bins.push_back(c);
        }
        palette = MedianCut(bins);
        Refine(bins, &palette);
    }
    if (palette.empty()) palette.push_back({0, 0, 0});

    DibRgbQuad quads[256];
    for (size_t i = 0; i < palette.size(); ++i)
        quads[i] = {uint8_t(palette[i].b), uint8_t(palette[i].g), uint8_t(palette[i].r), 0};
    const uint32_t count = static_cast<uint32_t>(palette.size());
    Picture *out = NewSimplePicture(l.width, l.topDown ? -l.height : l.height, 8, count, quads);
    if (out == nullptr) return nullptr;
    out->data.header->biXPelsPerMeter = srcp->data.header->biXPelsPerMeter;
    out->data.header->biYPelsPerMeter = srcp->data.header->biYPelsPerMeter;
    PixelLayout o;
    ReadLayout(*out, &o);
    Mapper map(palette);
    // A picture whose own colours all fit maps exactly; nothing to diffuse.
    if (few || !WantsDither(mode)) {
        if (few) {
            for (int64_t y = 0; y < l.height; ++y) {
                const uint8_t *b = rows.Row(y);
                uint8_t *d = LayoutRow(o, out->data.bits, y);
                for (int64_t x = 0; x < l.width; ++x, b += 3) {
                    const uint32_t c = b[0] | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16);
                    d[x] = static_cast<uint8_t>(std::lower_bound(exact.begin(), exact.end(), c) - exact.begin());
                }
            }
        } else {
            MapPlain(rows, l, map, out, o);
        }
    } else {
        MapDithered(rows, l, map, palette, out, o);
    }
    return out;
}

}  // namespace dibcore
