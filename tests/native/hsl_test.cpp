// Hue, saturation and lightness: the fixed-point conversions and tables
// against a double-precision model of the same colour space, and the whole
// adjustment at every depth, on the whole picture and on a part, with library
// failures injected, and on several threads against one.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "colour_fixture.h"
#include "edit_tasks_scope.h"
#include "image/qv_Hsl.h"

using namespace colourfix;

namespace {

// ---- Double model: hue in degrees, saturation and lightness in 0..1. ----
struct ModelHsl {
    double h, s, l;
};

ModelHsl ModelFromRgb(int r, int g, int b) {
    const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const double range = mx - mn, sum = mx + mn;
    ModelHsl m{0, 0, sum / 510.0};
    if (range == 0) return m;
    m.s = range / (sum <= 255 ? sum : 510 - sum);
    if (r == mx) m.h = 60.0 * (g - b) / range;
    else if (g == mx) m.h = 120.0 + 60.0 * (b - r) / range;
    else m.h = 240.0 + 60.0 * (r - g) / range;
    if (m.h < 0) m.h += 360.0;
    return m;
}

// Channels in 0..255 (not rounded).
void ModelToRgb(ModelHsl m, double out[3]) {
    const double c = (1 - std::fabs(2 * m.l - 1)) * m.s;
    const double hp = std::fmod(m.h, 360.0) / 60.0;
    const double x = c * (1 - std::fabs(std::fmod(hp, 2.0) - 1));
    double rgb[3] = {0, 0, 0};
    switch (int(hp)) {
    case 0: rgb[0] = c, rgb[1] = x; break;
    case 1: rgb[0] = x, rgb[1] = c; break;
    case 2: rgb[1] = c, rgb[2] = x; break;
    case 3: rgb[1] = x, rgb[2] = c; break;
    case 4: rgb[0] = x, rgb[2] = c; break;
    default: rgb[0] = c, rgb[2] = x; break;
    }
    for (int i = 0; i < 3; ++i) out[i] = (rgb[i] + m.l - c / 2) * 255.0;
}

double ModelLightness(double v, int a) { return a >= 0 ? v + (255 - v) * a / 1000.0 : v * (1000 + a) / 1000.0; }

// Channel values 0, 5, .., 255 plus the values next to the edges and middle.
std::vector<int> Lattice() {
    std::vector<int> v;
    for (int i = 0; i <= 255; i += 5) v.push_back(i);
    for (int i : {1, 2, 127, 128, 253, 254}) v.push_back(i);
    return v;
}

// Strictly within 1 of the model: where the model is a whole number the
// integer formula must hit it exactly.
constexpr double kBelowOne = 1 - 1e-9;

TEST(HslConvert, FromRgbMatchesTheModelWithinOneAndExactWhereWhole) {
    const std::vector<int> values = Lattice();
    for (int r : values)
        for (int g : values)
            for (int b : values) {
                int32_t h = -1, s = -1, l = -1;
                Hsl_FromRgb(g, r, b, &h, &s, &l);
                const ModelHsl m = ModelFromRgb(r, g, b);
                ASSERT_LT(std::fabs(h - m.h * 100), kBelowOne) << r << "," << g << "," << b;
                ASSERT_LT(std::fabs(s - m.s * kHslOne), kBelowOne) << r << "," << g << "," << b;
                ASSERT_LT(std::fabs(l - m.l * kHslOne), kBelowOne) << r << "," << g << "," << b;
                ASSERT_TRUE(h >= 0 && h < kHslHueTurn && s >= 0 && s <= kHslOne && l >= 0 && l <= kHslOne);
            }
}

TEST(HslConvert, ToRgbMatchesTheModelWithinOneAndGreysExactly) {
    std::vector<int32_t> ls, ss, hs;
    for (int32_t v = 0; v <= kHslOne; v += 97) ls.push_back(v), ss.push_back(v);
    for (int32_t v : {8191, 8192, 8193, kHslOne}) ls.push_back(v), ss.push_back(v);
    for (int32_t v = 0; v < kHslHueTurn; v += 173) hs.push_back(v);
    for (int32_t v : {5999, 6000, 11999, 12000, 17999, 18000, 23999, 24000, 35999}) hs.push_back(v);
    for (int32_t l : ls)
        for (int32_t s : ss)
            for (int32_t h : hs) {
                int32_t out[3];
                Hsl_ToRgb(l, s, h, &out[0], &out[1], &out[2]);
                double model[3];
                ModelToRgb(ModelHsl{h / 100.0, s / double(kHslOne), l / double(kHslOne)}, model);
                for (int i = 0; i < 3; ++i) {
                    ASSERT_TRUE(out[i] >= 0 && out[i] <= 255);
                    ASSERT_LE(std::fabs(out[i] - model[i]), 1.0) << l << "," << s << "," << h << " ch " << i;
                    // Without saturation the result is the rounded lightness.
                    if (s == 0) {
                        ASSERT_EQ(out[i], int(std::floor(model[i] + 0.5))) << l;
                    }
                }
            }
}

TEST(HslConvert, RoundTripKeepsEveryColourWithinOne) {
    const std::vector<int> values = Lattice();
    for (int r : values)
        for (int g : values)
            for (int b : values) {
                int32_t h, s, l, out[3];
                Hsl_FromRgb(g, r, b, &h, &s, &l);
                Hsl_ToRgb(l, s, h, &out[0], &out[1], &out[2]);
                ASSERT_LE(std::abs(out[0] - r), 1);
                ASSERT_LE(std::abs(out[1] - g), 1);
                ASSERT_LE(std::abs(out[2] - b), 1) << r << "," << g << "," << b;
            }
}

// The conversion with plain integer division, step by step as the formula
// reads; the fast one replaces the divisions by varying values.
void DividingFromRgb(int32_t r, int32_t g, int32_t b, int32_t out[3]) {
    const int32_t mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const int32_t base = r >= g && r >= b ? 0 : (g < b ? 24000 : 12000);
    const int32_t diff = base == 0 ? g - b : (base == 24000 ? r - g : b - r);
    out[2] = (mx + mn) * kHslOne / 510;
    out[0] = out[1] = 0;
    if (mx == mn) return;
    out[1] = ((mx - mn) << 14) / (mx + mn <= 255 ? mx + mn : 510 - (mx + mn));
    out[0] = base + diff * 6000 / (mx - mn);
    if (out[0] < 0) out[0] += kHslHueTurn;
}

TEST(HslConvert, FromRgbEqualsPlainDivisionForEveryColour) {
    for (int32_t r = 0; r < 256; ++r)
        for (int32_t g = 0; g < 256; ++g)
            for (int32_t b = 0; b < 256; ++b) {
                int32_t want[3], h, s, l;
                DividingFromRgb(r, g, b, want);
                Hsl_FromRgb(g, r, b, &h, &s, &l);
                if (h != want[0] || s != want[1] || l != want[2]) {
                    FAIL() << r << "," << g << "," << b << ": " << h << " " << s << " " << l << " want " << want[0]
                           << " " << want[1] << " " << want[2];
                }
            }
}

TEST(HslConvert, SpecialColours) {
    const struct {
        int r, g, b;
        int32_t h, s, l;
    } cases[] = {
        {255, 0, 0, 0, 16384, 8192},      {0, 255, 0, 12000, 16384, 8192}, {0, 0, 255, 24000, 16384, 8192},
        {128, 128, 128, 0, 0, 8224},      {0, 0, 0, 0, 0, 0},              {255, 255, 255, 0, 0, 16384},
        {255, 0, 255, 30000, 16384, 8192}, {0, 255, 255, 18000, 16384, 8192},
    };
    for (const auto &c : cases) {
        int32_t h, s, l;
        Hsl_FromRgb(c.g, c.r, c.b, &h, &s, &l);
        EXPECT_EQ(h, c.h) << c.r << "," << c.g << "," << c.b;
        EXPECT_EQ(s, c.s) << c.r << "," << c.g << "," << c.b;
        EXPECT_EQ(l, c.l) << c.r << "," << c.g << "," << c.b;
    }
}

TEST(HslTables, LightnessAndGreyPullFollowTheirModels) {
    for (int a : {-1000, -999, -500, -1, 0, 1, 333, 500, 999, 1000, 5000, -5000}) {
        uint8_t t[256];
        Hsl_LightnessTable(a, t);
        const int limited = std::clamp(a, -1000, 1000);
        for (int v = 0; v < 256; ++v) {
            ASSERT_LE(std::fabs(t[v] - ModelLightness(v, limited)), 0.5 + 1e-9) << a << " v " << v;
            const int exact = limited == 0 ? v : limited == 1000 ? 255 : limited == -1000 ? 0 : -1;
            if (exact >= 0) {
                ASSERT_EQ(t[v], exact) << a;
            }
            if (v > 0) {
                ASSERT_GE(t[v], t[v - 1]) << a;
            }
        }
    }
    for (int s : {1, 2, 250, 500, 999, 1000}) {
        int16_t t[kHslPullEntries];
        Hsl_GreyPullTable(s, t);
        for (int i = 0; i <= 255; ++i) {
            ASSERT_LE(std::fabs(t[255 + i] - i * s / 1000.0), 0.5) << s << " i " << i;
            ASSERT_EQ(t[255 - i], -t[255 + i]);
            if (s == 1000) {
                ASSERT_EQ(t[255 + i], i);  // full strength lands on the grey
            }
        }
    }
}

// ---- The whole adjustment. ----

struct Rgb {
    double c[3];  // red, green, blue
};
Rgb Split(uint32_t colour) { return Rgb{{double(colour & 0xFF), double((colour >> 8) & 0xFF), double((colour >> 16) & 0xFF)}}; }
double Lum(const Rgb &c) { return (299 * c.c[0] + 587 * c.c[1] + 114 * c.c[2]) / 1000.0; }
double Avg(const Rgb &c) { return (c.c[0] + c.c[1] + c.c[2]) / 3.0; }
double Mid(const Rgb &c) { return (std::max({c.c[0], c.c[1], c.c[2]}) + std::min({c.c[0], c.c[1], c.c[2]})) / 2.0; }
Rgb Grey(double v) { return Rgb{{v, v, v}}; }
Rgb Light(Rgb c, int a) {
    for (double &v : c.c) v = ModelLightness(v, a);
    return c;
}
Rgb Rotate(const Rgb &c, double degrees) {
    ModelHsl m = ModelFromRgb(int(c.c[0]), int(c.c[1]), int(c.c[2]));
    m.h = std::fmod(m.h + degrees, 360.0);
    Rgb out;
    ModelToRgb(m, out.c);
    return out;
}

// HSL saturation times `factor`, at most 1.
Rgb Saturate(const Rgb &c, double factor) {
    ModelHsl m = ModelFromRgb(int(c.c[0]), int(c.c[1]), int(c.c[2]));
    m.s = std::min(1.0, m.s * factor);
    Rgb out;
    ModelToRgb(m, out.c);
    return out;
}

struct ApplyCase {
    const char *name;
    int32_t hue, saturation, lightness, greyMode, colourise;
    Rgb (*model)(const Rgb &);
    double tolerance;
};

// Each row's model says what any colour becomes, in doubles.
const ApplyCase kApplyCases[] = {
    {"lightness +1000 whitens", 0, 0, 1000, 0, 0, [](const Rgb &) { return Grey(255); }, 0},
    {"lightness -1000 blackens", 0, 0, -1000, 0, 0, [](const Rgb &) { return Grey(0); }, 0},
    {"lightness +1000 after a hue turn", 900, 300, 1000, 0, 0, [](const Rgb &) { return Grey(255); }, 0},
    {"lightness -400", 0, 0, -400, 0, 0, [](const Rgb &c) { return Light(c, -400); }, 0.5},
    {"hue 120 degrees", 1200, 0, 0, 0, 0, [](const Rgb &c) { return Rotate(c, 120); }, 1.5},
    {"hue -90 is 270 degrees", -900, 0, 0, 0, 0, [](const Rgb &c) { return Rotate(c, 270); }, 1.5},
    {"hue 3600 is none", 3600, 0, 300, 0, 0, [](const Rgb &c) { return Light(c, 300); }, 0.5},
    {"saturation +500 doubles S", 0, 500, 0, 0, 0, [](const Rgb &c) { return Saturate(c, 2); }, 1.5},
    {"saturation -500 mode 0 halves S", 0, -500, 0, 0, 0, [](const Rgb &c) { return Saturate(c, 0.5); }, 1},
    {"saturation -1000 mode 0: HSL lightness", 0, -1000, 0, 0, 0, [](const Rgb &c) { return Grey(Mid(c)); }, 0.5},
    {"saturation -1000 mode 1: channel average", 0, -1000, 0, 1, 0, [](const Rgb &c) { return Grey(Avg(c)); }, 0.5},
    {"saturation -1000 mode 1 then lightness", 0, -1000, 250, 1, 0,
     [](const Rgb &c) { return Light(Grey(Avg(c)), 250); }, 1},
    {"saturation -1000 luma, hue ignored in grey", 1800, -1000, 0, 7, 0,
     [](const Rgb &c) { return Grey(Lum(Rotate(c, 180))); }, 1.5},
    {"colourise saturation 0 mode 0", 2000, 0, 0, 0, 1, [](const Rgb &c) { return Grey(Mid(c)); }, 0.5},
    {"colourise saturation 0 mode 1 darker", 2000, 0, -300, 1, 1,
     [](const Rgb &c) { return Light(Grey(Avg(c)), -300); }, 1},
    {"colourise saturation 0 luma, limited", 0, -800, 0, 2, 1, [](const Rgb &c) { return Grey(Lum(c)); }, 0.5},
    {"colourise red at full saturation", 0, 1000, 0, 0, 1,
     [](const Rgb &c) {
         Rgb out;
         ModelToRgb(ModelHsl{0, 1, std::floor(Mid(c) + 0.5) / 255.0}, out.c);
         return out;
     },
     1},
};

bool Inside(const SelRect &r, int32_t x, int32_t y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

void ExpectModel(const ApplyCase &c, const std::vector<uint32_t> &before, const std::vector<uint32_t> &after,
                 int32_t width, const SelRect &r) {
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        const int32_t x = int32_t(i % size_t(width)), y = int32_t(i / size_t(width));
        if (!Inside(r, x, y)) {
            ASSERT_EQ(after[i], before[i]) << "outside changed at " << x << "," << y;
            continue;
        }
        const Rgb want = c.model(Split(before[i])), got = Split(after[i]);
        for (int ch = 0; ch < 3; ++ch)
            ASSERT_LE(std::fabs(got.c[ch] - want.c[ch]), c.tolerance + 1e-9)
                << std::hex << before[i] << " -> " << after[i] << std::dec << " ch " << ch << " at " << x << "," << y;
    }
}

HslParams Params(const ApplyCase &c, DibHandle p, const SelRect *rect) {
    return HslParams{p, rect, c.hue, c.saturation, c.lightness, c.greyMode, c.colourise};
}

TEST(HslApply, EveryCaseOnTheWholePictureAtEveryDepth) {
    for (const ApplyCase &c : kApplyCases)
        for (const Kind &k : kKinds)
            for (int32_t height : {7, -7}) {
                SCOPED_TRACE(std::string(c.name) + " / " + Name(k, height));
                fake::Scope scope;
                const DibHandle p = MakeRandom(k, 13, height, 11);
                ASSERT_NE(p, 0);
                const std::vector<uint32_t> before = Colours(p);
                const DibData *d = Dibcore_DataDIB(p);
                const std::vector<uint8_t> bits(d->bits, d->bits + d->bitsSize);
                ASSERT_EQ(Hsl_Apply(Params(c, p, nullptr)), 1);
                const bool plain = k.depth == 24 || (k.depth == 32 && k.masks == nullptr);
                // A palette picture changes only its table; plain true colour
                // stays as it is; the rest comes back as 24 bits.
                EXPECT_EQ(Depth(p), k.depth <= 8 || plain ? k.depth : 24);
                const DibData *after = Dibcore_DataDIB(p);
                if (k.depth <= 8) {
                    EXPECT_EQ(std::vector<uint8_t>(after->bits, after->bits + after->bitsSize), bits);
                }
                if (k.depth == 32 && plain) {  // the fourth byte is kept
                    for (size_t i = 3; i < bits.size(); i += 4) {
                        ASSERT_EQ(after->bits[i], bits[i]) << i;
                    }
                }
                ExpectModel(c, before, Colours(p), 13, SelRect{0, 0, 13, 7});
            }
}

TEST(HslApply, APartChangesAloneAndBecomesTrueColourWhereNeeded) {
    const SelRect rect{10, 5, 3, 1};  // corners in any order
    const SelRect r{3, 1, 10, 5};
    for (const ApplyCase &c : kApplyCases)
        for (const Kind &k : kKinds) {
            SCOPED_TRACE(std::string(c.name) + " / " + k.name);
            fake::Scope scope;
            const DibHandle p = MakeRandom(k, 12, -6, 5);
            ASSERT_NE(p, 0);
            const std::vector<uint32_t> before = Colours(p);
            ASSERT_EQ(Hsl_Apply(Params(c, p, &rect)), 1);
            const bool plain = k.depth == 24 || (k.depth == 32 && k.masks == nullptr);
            EXPECT_EQ(Depth(p), plain ? k.depth : 24);
            ExpectModel(c, before, Colours(p), 12, r);
        }
}

TEST(HslApply, FullSaturationAndSameResultForEquivalentRequests) {
    fake::Scope scope;
    const Kind &k = KindNamed("24bit");
    // Saturation 1000 drives every colour that has any saturation to full:
    // its largest channel reaches 255 or its smallest 0. Greys stay.
    const DibHandle p = MakeRandom(k, 16, 16, 21);
    const std::vector<uint32_t> before = Colours(p);
    ASSERT_EQ(Hsl_Apply(HslParams{p, nullptr, 0, 1000, 0, 0, 0}), 1);
    const std::vector<uint32_t> after = Colours(p);
    for (size_t i = 0; i < before.size(); ++i) {
        const Rgb b = Split(before[i]), a = Split(after[i]);
        if (b.c[0] == b.c[1] && b.c[1] == b.c[2]) {
            EXPECT_EQ(after[i], before[i]);
            continue;
        }
        EXPECT_TRUE(std::max({a.c[0], a.c[1], a.c[2]}) == 255 || std::min({a.c[0], a.c[1], a.c[2]}) == 0)
            << std::hex << before[i] << " -> " << after[i];
    }

    // Pairs of requests that must agree byte for byte: the hue is taken
    // modulo a full turn and the other values are limited.
    const struct {
        HslParams a, b;
    } same[] = {
        {{0, nullptr, 3600, 400, 0, 0, 0}, {0, nullptr, 0, 400, 0, 0, 0}},
        {{0, nullptr, -900, 0, 0, 0, 0}, {0, nullptr, 2700, 0, 0, 0, 0}},
        {{0, nullptr, 7200 + 450, -300, 100, 1, 0}, {0, nullptr, 450, -300, 100, 1, 0}},
        {{0, nullptr, 100, 5000, -7000, 0, 0}, {0, nullptr, 100, 1000, -1000, 0, 0}},
        {{0, nullptr, 100, -5000, 0, 2, 0}, {0, nullptr, 100, -1000, 0, 2, 0}},
        {{0, nullptr, -3600 * 5 - 1, 600, 0, 1, 1}, {0, nullptr, 3599, 600, 0, 1, 1}},
    };
    for (size_t i = 0; i < sizeof same / sizeof same[0]; ++i) {
        SCOPED_TRACE(i);
        HslParams a = same[i].a, b = same[i].b;
        a.picture = MakeRandom(k, 9, 9, 4);
        b.picture = MakeRandom(k, 9, 9, 4);
        ASSERT_EQ(Hsl_Apply(a), 1);
        ASSERT_EQ(Hsl_Apply(b), 1);
        EXPECT_EQ(Bytes(a.picture), Bytes(b.picture));
    }
}

TEST(HslApply, NothingToDoLeavesTrueColourButStillWidensSixteenBits) {
    fake::Scope scope;
    const DibHandle p24 = MakeRandom(KindNamed("24bit"), 5, 5, 1);
    const std::vector<uint8_t> bytes = Bytes(p24);
    ASSERT_EQ(Hsl_Apply(HslParams{p24, nullptr, 3600, 0, 0, 0, 0}), 1);
    EXPECT_EQ(Bytes(p24), bytes);

    // A small rectangle on a 16-bit picture: the picture comes back 24 bits.
    const DibHandle p16 = MakeRandom(KindNamed("16bit-565"), 8, 8, 2);
    const std::vector<uint32_t> before = Colours(p16);
    const SelRect one{2, 2, 3, 3};
    ASSERT_EQ(Hsl_Apply(HslParams{p16, &one, 0, 0, 0, 0, 0}), 1);
    EXPECT_EQ(Depth(p16), 24);
    EXPECT_EQ(Colours(p16), before);
}

TEST(HslApply, RefusedRequestsLeaveThePicture) {
    fake::Scope scope;
    const DibHandle p = MakeRandom(KindNamed("24bit"), 4, 4, 1);
    const std::vector<uint8_t> bytes = Bytes(p);
    const SelRect outside{10, 10, 20, 20}, empty{2, 2, 2, 3};
    EXPECT_EQ(Hsl_Apply(HslParams{p, &outside, 0, 0, 500, 0, 0}), 0);
    EXPECT_EQ(Hsl_Apply(HslParams{p, &empty, 0, 0, 500, 0, 0}), 0);
    EXPECT_EQ(Hsl_Apply(HslParams{0, nullptr, 0, 0, 500, 0, 0}), 0);
    EXPECT_EQ(Bytes(p), bytes);

    // Core headers hold 3-byte table entries: refused, whole or part.
    const DibHandle c = MakeCoreHeaderPicture();
    ASSERT_NE(c, 0);
    const std::vector<uint8_t> coreBytes = Bytes(c);
    const SelRect part{0, 0, 1, 1};
    EXPECT_EQ(Hsl_Apply(HslParams{c, nullptr, 0, 0, 500, 0, 0}), 0);
    EXPECT_EQ(Hsl_Apply(HslParams{c, &part, 0, 0, 500, 0, 0}), 0);
    EXPECT_EQ(Bytes(c), coreBytes);
    EXPECT_EQ(Depth(c), 1);

    // A failed 24-bit conversion is a failure, not a quiet success.
    const DibHandle p16 = MakeRandom(KindNamed("16bit-555"), 4, 4, 3);
    const std::vector<uint8_t> bytes16 = Bytes(p16);
    scope.lib.failAt[fake::kTo24] = scope.lib.calls[fake::kTo24] + 1;
    EXPECT_EQ(Hsl_Apply(HslParams{p16, &part, 0, 0, 500, 0, 0}), 0);
    EXPECT_EQ(Bytes(p16), bytes16);
}

TEST(HslApply, InjectedFailuresLeaveThePicture) {
    const SelRect part{1, 1, 4, 3};
    for (const char *name : {"8bit", "16bit-555", "32bit-101010"})
        for (const ApplyCase &c : {kApplyCases[3], kApplyCases[std::size(kApplyCases) - 1]}) {  // lightness, colourise
            SCOPED_TRACE(std::string(name) + " / " + c.name);
            ForEachInjectedFailure([&] { return MakeRandom(KindNamed(name), 6, 5, 9); },
                                   [&](DibHandle p, DibHandle *) { return Hsl_Apply(Params(c, p, &part)); });
        }
}

// ---- Bands on threads. ----

std::atomic<int> g_runs{0};
void CountedRun(size_t count, void (*task)(void *, size_t), void *context) {
    ++g_runs;
    RunOnStdThreads(count, task, context);
}

TEST(HslBands, ThreadsGiveTheSameBytesAsOne) {
    // One request for each way through the pixels.
    const HslParams requests[] = {
        {0, nullptr, 300, 200, 100, kHslGreyLightness, 0},  // convert, stretch S, lighten
        {0, nullptr, 1234, -600, -50, kHslGreyLightness, 0},  // convert, scale S
        {0, nullptr, 450, -300, 100, kHslGreyAverage, 0},     // convert, then pull to grey
        {0, nullptr, 0, -700, 0, 2, 0},                       // pull to luma only
        {0, nullptr, 0, 0, -400, kHslGreyLightness, 0},      // lightness only
        {0, nullptr, 2000, 600, 0, kHslGreyAverage, 1},       // colourise
    };
    // Large enough to be banded; odd sizes so bands split unevenly, and a
    // part whose rows and columns start inside the picture.
    const SelRect part{5, 3, 290, 250};
    for (const char *kind : {"24bit", "32bit"})
        for (int32_t height : {257, -259})
            for (const HslParams &request : requests)
                for (const SelRect *rect : {static_cast<const SelRect *>(nullptr), &part}) {
                    SCOPED_TRACE(Name(KindNamed(kind), height) + " hue " + std::to_string(request.hue) +
                                 " saturation " + std::to_string(request.saturation) + (rect ? " part" : ""));
                    fake::Scope scope;
                    HslParams params = request;
                    params.rect = rect;
                    params.picture = MakeRandom(KindNamed(kind), 301, height, 6);
                    ASSERT_EQ(Hsl_Apply(params), 1);
                    const std::vector<uint8_t> one = Bytes(params.picture);
                    for (unsigned threads : {2u, 3u, 7u}) {
                        params.picture = MakeRandom(KindNamed(kind), 301, height, 6);
                        {
                            EditTasksScope tasks(threads, CountedRun);
                            g_runs = 0;
                            ASSERT_EQ(Hsl_Apply(params), 1);
                            EXPECT_EQ(g_runs, 1);  // it really ran in bands
                        }
                        EXPECT_EQ(Bytes(params.picture), one) << threads << " threads";
                    }
                }
    // Small rectangles stay on the calling thread.
    fake::Scope scope;
    EditTasksScope tasks(4, CountedRun);
    g_runs = 0;
    ASSERT_EQ(Hsl_Apply(HslParams{MakeRandom(KindNamed("24bit"), 64, 64, 1), nullptr, 300, 200, 0, 0, 0}), 1);
    EXPECT_EQ(g_runs, 0);
}

}  // namespace
