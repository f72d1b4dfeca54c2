#include "image/qv_Hsl.h"

#include <algorithm>
#include <memory>
#include <new>

#include "image/qv_CorrectionTable.h"
#include "image/qv_DibApi.h"
#include "image/qv_DibOps.h"
#include "image/qv_DibRows.h"
#include "image/qv_EditTasks.h"

namespace {

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Division is the slowest step of the conversion to HSL, and its two
// divisors per pixel are small: max - min (1..255) for the hue and, for the
// saturation, max + min folded to 1..255 by 510 - (max + min) above 255. A
// rounded-up 2^31 / d makes (n x m) >> 31 the exact quotient for every
// numerator here (n < 255 << 14, so n times the rounding error, below d,
// stays under 2^31). Indexed by max + min (0..510), the folding needs no
// branch; by max - min the same entries serve, since they are 1..255.
struct Reciprocals {
    uint32_t of[511];
};

constexpr Reciprocals MakeReciprocals() {
    Reciprocals t{};
    for (uint32_t i = 1; i < 510; ++i) {
        const uint64_t d = i <= 255 ? i : 510 - i;
        t.of[i] = uint32_t(((uint64_t{1} << 31) + d - 1) / d);
    }
    return t;
}

constexpr Reciprocals kReciprocals = MakeReciprocals();

uint32_t DivideBy(uint32_t n, uint32_t index) { return uint32_t((uint64_t{n} * kReciprocals.of[index]) >> 31); }

// One channel of the HSL-to-RGB conversion at hue t (0..35999), in 0..16384.
int32_t HueChannel(int32_t p, int32_t q, int32_t t) {
    const int32_t d = q - p;
    if (t < 6000) return p + d * t / 6000;
    if (t < 18000) return q;
    if (t < 24000) return p + (24000 - t) * d / 6000;
    return p;
}

uint8_t ToByte(int32_t v) { return uint8_t((v * 255 + 8192) >> 14); }

// The conversions themselves, here so the pixel loops can inline them.
inline void FromRgb(int32_t g, int32_t r, int32_t b, int32_t *h, int32_t *s, int32_t *l) {
    const int32_t mx = std::max(r, std::max(g, b)), mn = std::min(r, std::min(g, b));
    int32_t base, diff;
    if (r >= g && r >= b) {
        base = 0;
        diff = g - b;
    } else if (g < b) {
        base = 24000;
        diff = r - g;
    } else {
        base = 12000;
        diff = b - r;
    }
    const int32_t sum = mx + mn, range = mx - mn;
    *l = sum * kHslOne / 510;
    if (range == 0) {
        *h = 0;
        *s = 0;
        return;
    }
    *s = int32_t(DivideBy(uint32_t(range) << 14, uint32_t(sum)));
    // The hue's quotient truncates toward zero, so a negative difference
    // is divided as its size.
    const int32_t turn = int32_t(DivideBy(uint32_t(diff < 0 ? -diff : diff) * 6000, uint32_t(range)));
    int32_t hue = base + (diff < 0 ? -turn : turn);
    if (hue < 0) hue += kHslHueTurn;
    *h = hue;
}

inline void ToRgb(int32_t l, int32_t s, int32_t h, int32_t *r, int32_t *g, int32_t *b) {
    if (s == 0) {
        *r = *g = *b = ToByte(l);
        return;
    }
    const int32_t q = l > 8192 ? s + (((kHslOne - s) * l) >> 14) : (l * (s + kHslOne)) >> 14;
    const int32_t p = 2 * l - q;
    int32_t tr = h + 12000, tb = h - 12000;
    if (tr > kHslHueTurn - 1) tr -= kHslHueTurn;
    if (tb < 0) tb += kHslHueTurn;
    *r = ToByte(HueChannel(p, q, tr));
    *g = ToByte(HueChannel(p, q, h));
    *b = ToByte(HueChannel(p, q, tb));
}

int32_t ShiftHue(int32_t h, int32_t shift) {
    h += shift;
    return h > kHslHueTurn - 1 ? h - kHslHueTurn : h;
}

// Saturation change of the normal mode: positive values stretch S toward
// 1.0 (s = 1000 saturates every colour that has any), negative ones scale
// it. Made into a table of every S once per call, because the stretch
// divides by a value that is fixed for the call but unknown until then.
constexpr int32_t kSaturationEntries = kHslOne + 1;

void SaturationTable(int32_t saturation, uint16_t table[kSaturationEntries]) {
    if (saturation >= 0) {
        const int32_t c = (saturation * 16383 + 500) / 1000;
        for (int32_t s = 0; s <= kHslOne; ++s) table[s] = uint16_t(std::min(kHslOne, s + c * s / (kHslOne - c)));
    } else {
        const int32_t c = ((saturation + 1000) * kHslOne + 500) / 1000;
        for (int32_t s = 0; s <= kHslOne; ++s) table[s] = uint16_t((c * s) >> 14);
    }
}

// The conversion costs far more than a table lookup, so smaller rectangles
// than the tone table's already pay for waking the edit threads.
constexpr int64_t kBandMinPixels = int64_t{1} << 16;

// Runs `op` on the B, G, R bytes of every pixel in the rectangle.
template <class Op>
void ForEachPixel(const DibRows &rows, const SelRect &r, int step, const Op &op) {
    const int64_t width = r.right - r.left;
    EditTasks_RunRows(r.top, r.bottom - r.top, width * (r.bottom - r.top), kBandMinPixels,
                      [&rows, &r, step, &op, width](int32_t from, int32_t to) {
                          // Copied out, since a pixel's byte stores could alias
                          // anything read through a reference and force it to be
                          // read again.
                          const Op pixelOp = op;
                          const int pixelStep = step;
                          const int64_t count = width;
                          for (int32_t y = from; y < to; ++y) {
                              uint8_t *p = rows.Row(y) + int64_t(r.left) * pixelStep;
                              for (int64_t x = 0; x < count; ++x, p += pixelStep) pixelOp(p);
                          }
                      });
}

template <class Op>
void ForEachEntry(uint8_t *entries, uint32_t count, const Op &op) {
    for (uint32_t i = 0; i < count; ++i, entries += 4) op(entries);
}

// Where the pixels to change live once the picture is ready.
struct Target {
    DibRows rows;
    int step = 0;               // 3 or 4 bytes a pixel; 0 works on the table
    uint8_t *entries = nullptr;
    uint32_t count = 0;
    template <class Op>
    void Run(const SelRect &r, const Op &op) const {
        if (step == 0) ForEachEntry(entries, count, op);
        else ForEachPixel(rows, r, step, op);
    }
};

// Readies the picture: a whole palette picture works on its table, 24-bit
// and plain 32-bit pictures in place, anything else after DIBto24Bit.
bool PrepareTarget(DibHandle picture, int32_t depth, bool whole, Target *t) {
    DibData *d = Dibcore_DataDIB(picture);
    if (d == nullptr) return false;
    if (depth <= 8 && whole) {
        if (!DibRows_WholeTable(d, &t->entries, &t->count) || t->count == 0) return false;
        t->step = 0;
        return true;
    }
    const bool inPlace = depth == 24 || (depth == 32 && DibRows_IsPlain32(d->header));
    if (!inPlace && !Dibcore_DIBto24Bit(picture)) return false;
    if (!DibRows_Open(Dibcore_DataDIB(picture), &t->rows)) return false;
    if (t->rows.fields.depth != 24 && t->rows.fields.depth != 32) return false;
    t->step = t->rows.fields.depth / 8;
    return true;
}

}  // namespace

void Hsl_FromRgb(int32_t g, int32_t r, int32_t b, int32_t *h, int32_t *s, int32_t *l) { FromRgb(g, r, b, h, s, l); }

void Hsl_ToRgb(int32_t l, int32_t s, int32_t h, int32_t *r, int32_t *g, int32_t *b) { ToRgb(l, s, h, r, g, b); }

void Hsl_LightnessTable(int32_t lightness, uint8_t table[256]) {
    const int32_t a = Clamp(lightness, -1000, 1000);
    if (a > 0) {
        const uint32_t k = uint32_t((int64_t(a) * 65536 + 500) / 1000);
        for (uint32_t v = 0; v < 256; ++v) table[v] = uint8_t(v + (((255 - v) * k + 0x8000) >> 16));
    } else if (a < 0) {
        const uint32_t step = uint32_t((int64_t(a + 1000) * 65536 + 500) / 1000);
        for (uint32_t v = 0; v < 256; ++v) table[v] = uint8_t((0x8000 + v * step) >> 16);
    } else {
        for (uint32_t v = 0; v < 256; ++v) table[v] = uint8_t(v);
    }
}

void Hsl_GreyPullTable(int32_t strength, int16_t table[kHslPullEntries]) {
    static_assert(kHslPullEntries == kCorrectionEntries, "the grey pull is a correction table");
    CorrectionTable_Build(Clamp(strength, 1, 1000), 0, table);
}

uint8_t Hsl_GreyOf(int32_t mode, uint32_t r, uint32_t g, uint32_t b) {
    if (mode == kHslGreyLightness) return uint8_t((std::max(r, std::max(g, b)) + std::min(r, std::min(g, b)) + 1) >> 1);
    if (mode == kHslGreyAverage) return uint8_t(((r + g + b) * 2 + 3) / 6);
    return uint8_t((587 * g + 299 * r + 114 * b + 500) / 1000);
}

int Hsl_Apply(const HslParams &params) {
    const DibHandle picture = params.picture;
    int32_t width = 0, height = 0;
    const int32_t depth = Dib_GetInfo(picture, &width, nullptr, &height, 1);
    if (depth == 0) return 0;
    SelRect r;
    if (!Rect_ClipToImage(params.rect, width, height, &r)) return 0;
    const bool whole = r.left == 0 && r.top == 0 && r.right == width && r.bottom == height;
    if (depth <= 8) {
        // A palette picture needs a readable table even when it is to become
        // 24 bits: a core header's 3-byte entries are refused, not misread.
        uint8_t *entries = nullptr;
        uint32_t count = 0;
        if (!DibRows_WholeTable(Dibcore_DataDIB(picture), &entries, &count) || count == 0) return 0;
    }

    // Normalise. The hue shift is reduced with a positive remainder, so
    // -900 (a quarter turn back) is 2700.
    const int32_t hue = ((params.hue % 3600) + 3600) % 3600 * 10;
    const int32_t lightness = Clamp(params.lightness, -1000, 1000);
    const bool colourise = params.colourise != 0;
    const int32_t saturation = Clamp(params.saturation, colourise ? 0 : -1000, 1000);
    const int32_t mode = params.greyMode;
    uint8_t lut[256];
    Hsl_LightnessTable(lightness, lut);

    // Tables are made before the picture is touched, so running out of
    // memory leaves it as it was.
    std::unique_ptr<int16_t[]> pull;
    std::unique_ptr<uint8_t[]> colours;  // R, G, B by adjusted grey value
    std::unique_ptr<uint16_t[]> saturated;  // new S by old S
    const bool pulling = !colourise && saturation < 0 && mode != kHslGreyLightness;
    if (pulling) {
        pull.reset(new (std::nothrow) int16_t[kHslPullEntries]);
        if (!pull) return 0;
        Hsl_GreyPullTable(-saturation, pull.get());
    }
    if (!colourise && !pulling && (hue != 0 || saturation != 0)) {
        saturated.reset(new (std::nothrow) uint16_t[kSaturationEntries]);
        if (!saturated) return 0;
        SaturationTable(saturation, saturated.get());
    }
    if (colourise) {
        colours.reset(new (std::nothrow) uint8_t[256 * 3]);
        if (!colours) return 0;
        const int32_t c = (saturation * kHslOne + 500) / 1000;
        for (int32_t v = 0; v < 256; ++v) {
            int32_t cr, cg, cb;
            Hsl_ToRgb((v * kHslOne + 127) / 255, c, hue, &cr, &cg, &cb);
            colours[3 * v] = uint8_t(cr);
            colours[3 * v + 1] = uint8_t(cg);
            colours[3 * v + 2] = uint8_t(cb);
        }
    }

    Target t;
    if (!PrepareTarget(picture, depth, whole, &t)) return 0;
    if (t.step != 0 && (r.right > t.rows.fields.width || r.bottom > t.rows.fields.height)) return 0;

    // The pixel steps capture by value and load before they store: a byte
    // store may alias anything, which would make the compiler read captured
    // references and tables again after each one.
    const uint8_t *light = lut;
    if (colourise) {
        const uint8_t *table = colours.get();
        t.Run(r, [mode, table, light](uint8_t *p) {
            const uint8_t *c = table + 3 * light[Hsl_GreyOf(mode, p[2], p[1], p[0])];
            const uint8_t nb = c[2], ng = c[1], nr = c[0];
            p[0] = nb;
            p[1] = ng;
            p[2] = nr;
        });
        return 1;
    }
    if (hue == 0 && saturation == 0) {
        if (lightness != 0)
            t.Run(r, [light](uint8_t *p) {
                const uint8_t nb = light[p[0]], ng = light[p[1]], nr = light[p[2]];
                p[0] = nb;
                p[1] = ng;
                p[2] = nr;
            });
        return 1;
    }
    if (pulling) {
        const int16_t *toward = pull.get() + 255;
        // Pulls a colour toward its grey, then lightens it, into p.
        const auto pullAndLight = [mode, toward, light](int32_t blue, int32_t green, int32_t red, uint8_t *p) {
            const int32_t grey = Hsl_GreyOf(mode, uint32_t(red), uint32_t(green), uint32_t(blue));
            const uint8_t nb = light[blue + toward[grey - blue]], ng = light[green + toward[grey - green]],
                          nr = light[red + toward[grey - red]];
            p[0] = nb;
            p[1] = ng;
            p[2] = nr;
        };
        if (hue == 0) {
            t.Run(r, [pullAndLight](uint8_t *p) { pullAndLight(p[0], p[1], p[2], p); });
        } else {
            t.Run(r, [hue, pullAndLight](uint8_t *p) {
                int32_t h, s, l, cr, cg, cb;
                FromRgb(p[1], p[2], p[0], &h, &s, &l);
                ToRgb(l, s, ShiftHue(h, hue), &cr, &cg, &cb);
                pullAndLight(cb, cg, cr, p);
            });
        }
        return 1;
    }
    const uint16_t *newS = saturated.get();
    t.Run(r, [hue, newS, light](uint8_t *p) {
        int32_t h, s, l, cr, cg, cb;
        FromRgb(p[1], p[2], p[0], &h, &s, &l);
        ToRgb(l, newS[s], ShiftHue(h, hue), &cr, &cg, &cb);
        const uint8_t nb = light[cb], ng = light[cg], nr = light[cr];
        p[0] = nb;
        p[1] = ng;
        p[2] = nr;
    });
    return 1;
}
