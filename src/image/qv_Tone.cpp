#include "image/qv_Tone.h"

#include <cmath>
#include <cstring>

#include "image/qv_DibApi.h"
#include "image/qv_DibHolder.h"
#include "image/qv_DibOps.h"
#include "image/qv_DibRows.h"
#include "image/qv_EditTasks.h"

namespace {

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }
uint8_t ToByte(int32_t v) { return uint8_t(Clamp(v, 0, 255)); }

// Row r of the table maps channel 2 - r of a red, green, blue record.
constexpr int kChannelOfRow[3] = {2, 1, 0};

void IdentityRow(uint8_t row[256]) {
    for (int v = 0; v < 256; ++v) row[v] = uint8_t(v);
}

// (v / 255)^e x 255, rounded; 0 stays 0 whatever the exponent.
uint8_t GammaEntry(uint8_t v, double e) {
    if (v == 0) return 0;
    return ToByte(int32_t(std::pow(v / 255.0, e) * 255.0 + 0.5));
}

// ---- Brightness, contrast and gamma. ----

enum GroupState { kGroupOff = 0, kGroupUniform = -1, kGroupPerChannel = 1 };

struct Group {
    int state;
    int32_t value[3];  // red, green, blue
};

// Limits the values, spreads red over all three for a negative mode, and
// finds out whether the group changes anything and whether it differs per
// channel.
Group ReadGroup(int16_t mode, const int16_t values[3], bool gamma) {
    Group g{kGroupOff, {0, 0, 0}};
    if (mode == 0) return g;
    for (int c = 0; c < 3; ++c) {
        const int32_t v = mode < 0 ? values[0] : values[c];
        // Gammas are unsigned thousandths; 0 would be an infinite exponent.
        g.value[c] = gamma ? (uint16_t(v) == 0 ? 1000 : int32_t(uint16_t(v))) : Clamp(v, -255, 255);
    }
    const int32_t neutral = gamma ? 1000 : 0;
    if (g.value[0] == g.value[1] && g.value[1] == g.value[2])
        g.state = g.value[0] == neutral ? kGroupOff : kGroupUniform;
    else
        g.state = kGroupPerChannel;
    return g;
}

// v + ((2v - 255) x c - s) / d: the divisor shrinks from 512 (c = -255, all
// flat) to 2 (c = 255, a hard step at 128).
void ContrastRow(int32_t c, uint8_t row[256]) {
    const int32_t s = c <= 0 ? -1 : 1;
    const int32_t d = c <= 0 ? 252 - ((c + 1) * 260) / 254 : (250 - c * 250) / 254 + 252;
    for (int v = 0; v < 256; ++v) {
        const int32_t x = row[v];
        row[v] = ToByte(x + ((2 * x - 255) * c - s) / d);
    }
}

void BrightRow(const Group &brightness, const Group &contrast, const Group &gamma, int channel, uint8_t row[256]) {
    const int32_t b = brightness.state == kGroupOff ? 0 : brightness.value[channel];
    for (int v = 0; v < 256; ++v) row[v] = ToByte(v + b);
    if (contrast.state != kGroupOff) ContrastRow(contrast.value[channel], row);
    if (gamma.state != kGroupOff) {
        const double e = 1000.0 / gamma.value[channel];
        for (int v = 0; v < 256; ++v) row[v] = GammaEntry(row[v], e);
    }
}

// ---- Levels. ----

int32_t LevelsGamma(int32_t gamma) { return gamma <= 0 ? 1000 : gamma; }

bool SameLevels(const LevelsChannel &a, const LevelsChannel &b) {
    return LevelsGamma(a.gamma) == LevelsGamma(b.gamma) && a.inLow == b.inLow && a.inHigh == b.inHigh &&
           a.outLow == b.outLow && a.outHigh == b.outHigh;
}

bool IsIdentityLevels(const LevelsChannel &c) {
    return LevelsGamma(c.gamma) == 1000 && c.inLow == 0 && c.inHigh == 255 && c.outLow == 0 && c.outHigh == 255;
}

void LevelsRow(const LevelsChannel &c, uint8_t row[256]) {
    if (IsIdentityLevels(c)) {
        IdentityRow(row);
        return;
    }
    if (c.inLow == c.inHigh || c.outLow == c.outHigh) {
        std::memset(row, c.outLow, 256);
        return;
    }
    const int32_t inLow = c.inLow, inHigh = c.inHigh, outLow = c.outLow, outHigh = c.outHigh;
    const int32_t lo = outLow < outHigh ? outLow : outHigh, hi = outLow < outHigh ? outHigh : outLow;
    const int32_t gamma = LevelsGamma(c.gamma);
    if (gamma == 1000) {
        // Rounded to nearest, halves away from zero, in integers.
        const int32_t t = inHigh - inLow, o = outHigh - outLow, u = (t < 0 ? -t : t) / 2;
        for (int32_t v = 0; v < 256; ++v) {
            const int32_t w = (v - inLow) * o;
            row[v] = uint8_t(Clamp(outLow + (w >= 0 ? w + u : w - u) / t, lo, hi));
        }
        return;
    }
    // The curve is measured from input low toward input high; for an
    // inverted output the distances are turned round so o stays positive.
    const double e = 1000.0 / gamma;
    int32_t o = outHigh - outLow, range = inHigh - inLow;
    if (o < 0) {
        range = -range;
        o = -o;
    }
    for (int32_t v = 0; v < 256; ++v) {
        const double x = double(v - inLow) / range;
        int32_t out;
        if (x >= 1) out = hi;
        else if (x >= 0) out = outLow + int32_t(o * std::pow(x, e) + 0.5);
        else if (x > -1) out = outLow - int32_t(o * std::pow(-x, e) + 0.5);
        else out = lo;
        row[v] = uint8_t(Clamp(out, lo, hi));
    }
}

// ---- Applying a table. ----

// Large pictures only are spread over the edit threads: waking a thread
// costs more than a small picture's lookups.
constexpr int64_t kBandMinPixels = int64_t{1} << 18;

template <class Work>
void RunRows(int32_t rows, int64_t pixels, const Work &work) {
    EditTasks_RunRows(0, rows, pixels, kBandMinPixels, work);
}

// 24-bit row: the bytes of four pixels are looked up first and stored
// after, since a byte store may alias the table and would hold back the
// next lookup. Byte loads beat unpacking whole words with shifts and masks.
void Row24(const ToneTable &t, uint8_t *p, int32_t width) {
    const uint8_t *b = t.row[0], *g = t.row[1], *r = t.row[2];
    int32_t x = 0;
    for (; x + 4 <= width; x += 4, p += 12) {
        const uint8_t o0 = b[p[0]], o1 = g[p[1]], o2 = r[p[2]], o3 = b[p[3]], o4 = g[p[4]], o5 = r[p[5]];
        const uint8_t o6 = b[p[6]], o7 = g[p[7]], o8 = r[p[8]], o9 = b[p[9]], o10 = g[p[10]], o11 = r[p[11]];
        p[0] = o0, p[1] = o1, p[2] = o2, p[3] = o3, p[4] = o4, p[5] = o5;
        p[6] = o6, p[7] = o7, p[8] = o8, p[9] = o9, p[10] = o10, p[11] = o11;
    }
    for (; x < width; ++x, p += 3) {
        const uint8_t ob = b[p[0]], og = g[p[1]], orr = r[p[2]];
        p[0] = ob;
        p[1] = og;
        p[2] = orr;
    }
}

// Plain 32-bit row: the fourth byte is kept.
void Row32(const ToneTable &t, uint8_t *p, int32_t width) {
    const uint8_t *b = t.row[0], *g = t.row[1], *r = t.row[2];
    for (int32_t x = 0; x < width; ++x, p += 4) {
        uint32_t w;
        std::memcpy(&w, p, 4);
        w = uint32_t(b[w & 255]) | uint32_t(g[(w >> 8) & 255]) << 8 | uint32_t(r[(w >> 16) & 255]) << 16 |
            (w & 0xFF000000u);
        std::memcpy(p, &w, 4);
    }
}

// Masked pixels: each field's new value, already at its place, by the
// field's raw value. Built once per call so the pixel loop only looks up.
struct NarrowTables {
    uint32_t mask[3];
    uint32_t shift[3];
    uint32_t entry[3][256];  // red, green, blue
};

bool MakeNarrowTables(const DibData *d, int32_t depth, const ToneTable &t, NarrowTables *n) {
    uint32_t masks[3];
    if (!Dib_EffectiveMasks(d->header, masks)) return false;
    ChannelMasks m;
    ChannelMasks_Set(depth, masks, &m);
    for (int c = 0; c < 3; ++c) {
        const uint32_t width = m.width[c];
        if (width > 8) return false;
        const uint8_t *row = t.row[kChannelOfRow[c]];
        n->mask[c] = m.mask[c];
        n->shift[c] = m.shift[c];
        std::memset(n->entry[c], 0, sizeof n->entry[c]);
        const uint32_t top = (1u << width) - 1u;
        for (uint32_t j = 0; j <= top && width > 0; ++j) {
            const uint32_t value =
                width == 8 ? row[j] : (top * row[ChannelExpandTable.row[width][j]] + 127u) / 255u;
            n->entry[c][j] = value << m.shift[c];
        }
    }
    return true;
}

template <int kBytes>
void RowMasked(const NarrowTables &n, uint8_t *p, int32_t width) {
    for (int32_t x = 0; x < width; ++x, p += kBytes) {
        uint32_t v = 0;
        std::memcpy(&v, p, kBytes);
        v = n.entry[0][(v & n.mask[0]) >> n.shift[0]] | n.entry[1][(v & n.mask[1]) >> n.shift[1]] |
            n.entry[2][(v & n.mask[2]) >> n.shift[2]];
        std::memcpy(p, &v, kBytes);
    }
}

int ApplyToPalette(const DibData *d, const ToneTable &t) {
    uint8_t *entries = nullptr;
    uint32_t count = 0;
    if (!DibRows_Palette(d, &entries, &count)) return 0;
    for (uint32_t i = 0; i < count; ++i, entries += 4)
        for (int k = 0; k < 3; ++k) entries[k] = t.row[k][entries[k]];
    return 1;
}

}  // namespace

int ToneTable_FromBright(const BrightParams *params, ToneTable *table) {
    if (params == nullptr || table == nullptr) return 0;
    const Group brightness = ReadGroup(params->brightnessMode, params->brightness, false);
    const Group contrast = ReadGroup(params->contrastMode, params->contrast, false);
    const Group gamma = ReadGroup(params->gammaMode, params->gamma, true);
    if (brightness.state == kGroupOff && contrast.state == kGroupOff && gamma.state == kGroupOff) return -1;
    // Each row is brightness, then contrast, then gamma of its own channel;
    // with no group differing per channel the red row serves all three.
    BrightRow(brightness, contrast, gamma, 0, table->row[2]);
    const bool perChannel = brightness.state == kGroupPerChannel || contrast.state == kGroupPerChannel ||
                            gamma.state == kGroupPerChannel;
    for (int r = 0; r < 2; ++r) {
        if (perChannel) BrightRow(brightness, contrast, gamma, kChannelOfRow[r], table->row[r]);
        else std::memcpy(table->row[r], table->row[2], 256);
    }
    return 1;
}

int ToneTable_FromLevels(ToneTable *table, const LevelsParams *params) {
    if (params == nullptr || table == nullptr) return 0;
    const LevelsChannel &red = params->channel[0], &green = params->channel[1], &blue = params->channel[2];
    if (IsIdentityLevels(red) && IsIdentityLevels(green) && IsIdentityLevels(blue)) return -1;
    LevelsRow(red, table->row[2]);
    if (SameLevels(green, red)) std::memcpy(table->row[1], table->row[2], 256);
    else LevelsRow(green, table->row[1]);
    if (SameLevels(blue, red)) std::memcpy(table->row[0], table->row[2], 256);
    else if (SameLevels(blue, green)) std::memcpy(table->row[0], table->row[1], 256);
    else LevelsRow(blue, table->row[0]);
    return 1;
}

int ToneTable_ApplyToPicture(DibHandle picture, const ToneTable *table) {
    if (table == nullptr) return 0;
    const DibData *d = Dibcore_DataDIB(picture);
    if (d == nullptr || d->header == nullptr) return 0;
    DibFields f;
    if (Dib_GetHeaderFields(d->header, &f) == 0) return 0;
    // A palette picture changes only its colour table, so RLE pixels, which
    // are never read, do not matter.
    if (f.depth <= 8) return ApplyToPalette(d, *table);
    DibRows rows;
    if (!DibRows_Open(d, &rows)) return 0;
    const int32_t width = rows.fields.width, height = rows.fields.height;
    const int64_t pixels = int64_t{width} * height;
    const ToneTable &t = *table;
    if (f.depth == 24) {
        RunRows(height, pixels, [&](int32_t from, int32_t to) {
            for (int32_t y = from; y < to; ++y) Row24(t, rows.Row(y), width);
        });
        return 1;
    }
    if (f.depth == 32 && DibRows_IsPlain32(d->header)) {
        RunRows(height, pixels, [&](int32_t from, int32_t to) {
            for (int32_t y = from; y < to; ++y) Row32(t, rows.Row(y), width);
        });
        return 1;
    }
    if (f.depth != 16 && f.depth != 32) return 0;
    NarrowTables n;
    if (!MakeNarrowTables(d, f.depth, t, &n)) return 0;
    RunRows(height, pixels, [&](int32_t from, int32_t to) {
        for (int32_t y = from; y < to; ++y) {
            if (f.depth == 16) RowMasked<2>(n, rows.Row(y), width);
            else RowMasked<4>(n, rows.Row(y), width);
        }
    });
    return 1;
}

int Tone_Apply(DibHandle picture, const SelRect *rect, int32_t mode, const void *params) {
    int32_t width = 0, height = 0;
    const int32_t depth = Dib_GetInfo(picture, &width, nullptr, &height, 1);
    if (depth == 0) return 0;
    SelRect r;
    if (!Rect_ClipToImage(rect, width, height, &r)) return 0;
    ToneTable table;
    int built = 0;
    if (mode == kToneBright) built = ToneTable_FromBright(static_cast<const BrightParams *>(params), &table);
    else if (mode == kToneLevels) built = ToneTable_FromLevels(&table, static_cast<const LevelsParams *>(params));
    if (built < 0) return 1;
    if (built == 0) return 0;
    if (r.left == 0 && r.top == 0 && r.right == width && r.bottom == height)
        return ToneTable_ApplyToPicture(picture, &table);
    // A colour table cannot change for a part of the picture only.
    if (depth <= 8 && !Dibcore_DIBto24Bit(picture)) return 0;
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    DibHolder part;
    part.handle = Dibcore_CutDIB(picture, r.left, r.top, w, h);
    if (part.empty() || !ToneTable_ApplyToPicture(part.handle, &table)) return 0;
    return Dib_PasteRect(picture, part.handle, r.left, r.top, w, h, 0, 0) ? 1 : 0;
}
