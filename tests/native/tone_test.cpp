// Tone tables: both builders against a double-precision model of their
// formulas over many parameter sets, the edge cases, the table applied at
// every depth (palette, bytes, narrowed masked fields), the operation on a
// part with library failures injected, and bands on threads against one
// thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "colour_fixture.h"
#include "edit_tasks_scope.h"
#include "image/qv_DibRows.h"
#include "image/qv_Tone.h"

using namespace colourfix;

namespace {

// ---- Brightness, contrast, gamma: the model. ----

struct ModelGroup {
    bool on;
    int value[3];  // red, green, blue
};

ModelGroup ModelRead(int mode, const int16_t v[3], bool gamma) {
    ModelGroup g{false, {0, 0, 0}};
    if (mode == 0) return g;
    for (int c = 0; c < 3; ++c) {
        const int16_t raw = mode < 0 ? v[0] : v[c];
        g.value[c] = gamma ? (uint16_t(raw) == 0 ? 1000 : uint16_t(raw)) : std::clamp<int>(raw, -255, 255);
    }
    const int neutral = gamma ? 1000 : 0;
    g.on = !(g.value[0] == neutral && g.value[1] == neutral && g.value[2] == neutral);
    return g;
}

int ModelContrast(int x, int c) {
    const double s = c <= 0 ? -1 : 1;
    const double d = c <= 0 ? 252 - std::trunc((c + 1) * 260 / 254.0) : std::trunc((250 - c * 250) / 254.0) + 252;
    return std::clamp(int(x + std::trunc(((2 * x - 255) * c - s) / d)), 0, 255);
}

// Real-valued entry of channel c for input v; `exact` when no rounding of a
// power is involved.
double ModelBright(const BrightParams &p, int c, int v, bool *exact) {
    const ModelGroup b = ModelRead(p.brightnessMode, p.brightness, false);
    const ModelGroup k = ModelRead(p.contrastMode, p.contrast, false);
    const ModelGroup g = ModelRead(p.gammaMode, p.gamma, true);
    int x = std::clamp(v + (b.on ? b.value[c] : 0), 0, 255);
    if (k.on) x = ModelContrast(x, k.value[c]);
    *exact = !g.on;
    if (!g.on) return x;
    return std::pow(x / 255.0, 1000.0 / g.value[c]) * 255.0;
}

bool ModelBrightOff(const BrightParams &p) {
    return !ModelRead(p.brightnessMode, p.brightness, false).on && !ModelRead(p.contrastMode, p.contrast, false).on &&
           !ModelRead(p.gammaMode, p.gamma, true).on;
}

// Table row of channel c (0 red, 1 green, 2 blue).
const uint8_t *RowOf(const ToneTable &t, int c) { return t.row[2 - c]; }

void ExpectBrightModel(const BrightParams &p) {
    ToneTable t;
    std::memset(&t, 0x5A, sizeof t);
    const int result = ToneTable_FromBright(&p, &t);
    if (ModelBrightOff(p)) {
        ASSERT_EQ(result, -1);
        for (const auto &row : t.row)
            for (uint8_t v : row) ASSERT_EQ(v, 0x5A);  // left alone
        return;
    }
    ASSERT_EQ(result, 1);
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v) {
            bool exact = false;
            const double want = ModelBright(p, c, v, &exact);
            const int got = RowOf(t, c)[v];
            if (exact) {
                ASSERT_EQ(got, int(want)) << "channel " << c << " v " << v;
            } else {
                ASSERT_LE(std::fabs(got - want), 0.5 + 1e-9) << "channel " << c << " v " << v;
            }
        }
}

std::string Describe(const BrightParams &p) {
    std::string s;
    for (int16_t v : {p.brightnessMode, p.contrastMode, p.gammaMode, p.brightness[0], p.brightness[1],
                      p.brightness[2], p.contrast[0], p.contrast[1], p.contrast[2], p.gamma[0], p.gamma[1], p.gamma[2]})
        s += std::to_string(v) + " ";
    return s;
}

TEST(ToneBright, ManyParameterSetsFollowTheModel) {
    const int16_t modes[] = {-1, 0, 1, 3};
    const int16_t brightness[] = {-300, -255, -254, -100, -1, 0, 0, 1, 77, 254, 255, 300};
    const int16_t contrast[] = {-400, -255, -254, -200, -1, 0, 0, 1, 2, 50, 127, 128, 200, 254, 255, 999};
    // Gammas as stored: -1 is 65535 thousandths.
    const int16_t gamma[] = {0, 1, 100, 333, 999, 1000, 1000, 1001, 2000, 4500, 9999, 32767, -1, -30000};
    std::mt19937 rng(17);
    auto pick = [&](const auto &list) { return list[rng() % std::size(list)]; };
    for (int i = 0; i < 4000; ++i) {
        BrightParams p{pick(modes), pick(modes), pick(modes), {}, {}, {}};
        // Often all three channels alike, so uniform groups are covered too.
        const bool alike = rng() % 3 == 0;
        for (int c = 0; c < 3; ++c) {
            p.brightness[c] = alike && c > 0 ? p.brightness[0] : pick(brightness);
            p.contrast[c] = alike && c > 0 ? p.contrast[0] : pick(contrast);
            p.gamma[c] = alike && c > 0 ? p.gamma[0] : pick(gamma);
        }
        SCOPED_TRACE(Describe(p));
        ExpectBrightModel(p);
    }
}

TEST(ToneBright, EdgeCases) {
    const struct {
        const char *name;
        BrightParams params;
        int v, red, green, blue;  // entry v of each channel; -1 not checked
    } cases[] = {
        {"brightness 300 limited to 255 whitens", {-1, 0, 0, {300, 0, 0}, {}, {}}, 0, 255, 255, 255},
        {"brightness 300 at the top", {-1, 0, 0, {300, 0, 0}, {}, {}}, 255, 255, 255, 255},
        {"brightness -300 blackens", {-1, 0, 0, {-300, 9, 9}, {}, {}}, 255, 0, 0, 0},
        {"contrast 255: 127 drops to 0", {0, -1, 0, {}, {255}, {}}, 127, 0, 0, 0},
        {"contrast 255: 128 rises to 255", {0, -1, 0, {}, {255}, {}}, 128, 255, 255, 255},
        {"contrast 255: 0 stays 0", {0, -1, 0, {}, {255}, {}}, 0, 0, 0, 0},
        {"contrast -255 flattens 0 to 127", {0, -1, 0, {}, {-255}, {}}, 0, 127, 127, 127},
        {"contrast -255 flattens 255 to 128", {0, -1, 0, {}, {-255}, {}}, 255, 128, 128, 128},
        {"gamma 2000 maps 128 to 181", {0, 0, -1, {}, {}, {2000}}, 128, 181, 181, 181},
        {"gamma keeps 0", {0, 0, -1, {}, {}, {300}}, 0, 0, 0, 0},
        {"per channel, own values", {1, 0, 0, {10, -20, 30}, {}, {}}, 100, 110, 80, 130},
        {"mode 0 ignores values", {0, 0, 1, {100, 100, 100}, {200, 0, 0}, {1000, 2000, 1000}}, 128, 128, 181, 128},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ToneTable t;
        ASSERT_EQ(ToneTable_FromBright(&c.params, &t), 1);
        EXPECT_EQ(RowOf(t, 0)[c.v], c.red);
        EXPECT_EQ(RowOf(t, 1)[c.v], c.green);
        EXPECT_EQ(RowOf(t, 2)[c.v], c.blue);
    }
    // Contrast 255 is a hard step at 128 over the whole row.
    ToneTable t;
    const BrightParams step{0, -1, 0, {}, {255}, {}};
    ASSERT_EQ(ToneTable_FromBright(&step, &t), 1);
    for (int v = 0; v < 256; ++v) ASSERT_EQ(t.row[2][v], v < 128 ? 0 : 255) << v;

    // Nothing to do: all groups off, or every value neutral (gamma 0 is
    // 1000, not an infinite exponent), or no parameters at all.
    const BrightParams nothing[] = {
        {0, 0, 0, {50, 50, 50}, {50, 50, 50}, {500, 500, 500}},
        {1, -1, 1, {0, 0, 0}, {0, 7, 7}, {0, 1000, 0}},
        {-1, -1, -1, {0, 99, 99}, {0, 99, 99}, {0, 99, 99}},
    };
    for (const BrightParams &p : nothing) EXPECT_EQ(ToneTable_FromBright(&p, &t), -1) << Describe(p);
    EXPECT_EQ(ToneTable_FromBright(nullptr, &t), 0);
    EXPECT_EQ(ToneTable_FromBright(&step, nullptr), 0);
}

// ---- Levels: the model. ----

int ModelLevelsGamma(int32_t g) { return g <= 0 ? 1000 : g; }

// The natural levels curve: x = (v - in low) / (in high - in low) limited to
// 0..1, out = out low + (out high - out low) x x^e. Linear rows are whole
// numbers rounded half away from zero.
void ExpectLevelsRow(const LevelsChannel &c, const uint8_t *row) {
    const int inLow = c.inLow, inHigh = c.inHigh, outLow = c.outLow, outHigh = c.outHigh;
    const int lo = std::min(outLow, outHigh), hi = std::max(outLow, outHigh);
    const int gamma = ModelLevelsGamma(c.gamma);
    for (int v = 0; v < 256; ++v) {
        if (inLow == inHigh || outLow == outHigh) {
            ASSERT_EQ(row[v], outLow) << v;
            continue;
        }
        if (gamma == 1000) {
            const double y = double((v - inLow) * (outHigh - outLow)) / (inHigh - inLow);
            ASSERT_EQ(row[v], std::clamp(outLow + int(std::round(y)), lo, hi)) << v;
            continue;
        }
        const double x = std::clamp(double(v - inLow) / (inHigh - inLow), 0.0, 1.0);
        const double want = outLow + (outHigh - outLow) * std::pow(x, 1000.0 / gamma);
        ASSERT_LE(std::fabs(row[v] - want), 0.5 + 1e-9) << v;
    }
}

bool ModelLevelsIdentity(const LevelsChannel &c) {
    return ModelLevelsGamma(c.gamma) == 1000 && c.inLow == 0 && c.inHigh == 255 && c.outLow == 0 &&
           c.outHigh == 255;
}

std::string Describe(const LevelsParams &p) {
    std::string s;
    for (const LevelsChannel &c : p.channel)
        s += std::to_string(c.gamma) + " " + std::to_string(c.inLow) + ".." + std::to_string(c.inHigh) + " -> " +
             std::to_string(c.outLow) + ".." + std::to_string(c.outHigh) + "; ";
    return s;
}

TEST(ToneLevels, ManyParameterSetsFollowTheModel) {
    const int32_t gammas[] = {-5000, -1, 0, 1000, 1000, 1000, 1, 250, 500, 999, 1001, 2000, 4000, 9999, 100000};
    const uint8_t levels[] = {0, 0, 1, 7, 50, 100, 127, 128, 200, 254, 255, 255};
    std::mt19937 rng(23);
    auto pick = [&](const auto &list) { return list[rng() % std::size(list)]; };
    for (int i = 0; i < 6000; ++i) {
        LevelsParams p;
        for (LevelsChannel &c : p.channel) {
            c.gamma = pick(gammas);
            // Half the time any byte, else the values an editor tends to set.
            auto level = [&] { return rng() % 2 ? uint8_t(rng()) : pick(levels); };
            c.inLow = level();
            c.inHigh = level();
            c.outLow = level();
            c.outHigh = level();
        }
        // Channels copied from one another, as the together-mode gives them.
        if (rng() % 4 == 0) p.channel[1] = p.channel[0];
        if (rng() % 4 == 0) p.channel[2] = p.channel[rng() % 2];
        if (rng() % 8 == 0) p.channel[rng() % 3] = LevelsChannel{0, 0, 255, 0, 255};
        SCOPED_TRACE(Describe(p));
        ToneTable t;
        const int result = ToneTable_FromLevels(&t, &p);
        const bool identity = ModelLevelsIdentity(p.channel[0]) && ModelLevelsIdentity(p.channel[1]) &&
                              ModelLevelsIdentity(p.channel[2]);
        ASSERT_EQ(result, identity ? -1 : 1);
        if (identity) continue;
        for (int c = 0; c < 3; ++c) {
            SCOPED_TRACE(c);
            ExpectLevelsRow(p.channel[c], RowOf(t, c));
        }
    }
}

TEST(ToneLevels, EdgeCases) {
    const LevelsChannel id{1000, 0, 255, 0, 255};
    const struct {
        const char *name;
        LevelsChannel red;
        uint8_t (*want)(int v);
    } cases[] = {
        {"input 100..100 gives out low everywhere", {1000, 100, 100, 0, 255}, [](int) { return uint8_t(0); }},
        {"output 255..0 inverts", {1000, 0, 255, 255, 0}, [](int v) { return uint8_t(255 - v); }},
        {"gamma 0 is linear", {0, 0, 255, 255, 0}, [](int v) { return uint8_t(255 - v); }},
        {"negative gamma is linear, not an infinite exponent", {-7, 0, 255, 255, 0},
         [](int v) { return uint8_t(255 - v); }},
        {"output 40..40 is flat", {3000, 10, 20, 40, 40}, [](int) { return uint8_t(40); }},
        {"stretch 64..191 to 0..255", {1000, 64, 191, 0, 255},
         [](int v) { return uint8_t(std::clamp(int(std::round((v - 64) * 255.0 / 127)), 0, 255)); }},
        {"gamma 2000 at the middle", {2000, 0, 255, 0, 255},
         [](int v) { return uint8_t(int(std::sqrt(v / 255.0) * 255 + 0.5)); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const LevelsParams p{{c.red, id, id}};
        ToneTable t;
        ASSERT_EQ(ToneTable_FromLevels(&t, &p), 1);
        for (int v = 0; v < 256; ++v) {
            ASSERT_EQ(t.row[2][v], c.want(v)) << v;
            ASSERT_EQ(t.row[1][v], v);
            ASSERT_EQ(t.row[0][v], v);
        }
    }
    // Green equal to red (gamma 0 and 1000 are the same) and blue equal to
    // green: one row three times.
    const LevelsParams same{{{1000, 30, 200, 10, 250}, {0, 30, 200, 10, 250}, {-3, 30, 200, 10, 250}}};
    ToneTable t;
    ASSERT_EQ(ToneTable_FromLevels(&t, &same), 1);
    EXPECT_EQ(0, std::memcmp(t.row[0], t.row[2], 256));
    EXPECT_EQ(0, std::memcmp(t.row[1], t.row[2], 256));
    EXPECT_EQ(t.row[2][30], 10);
    EXPECT_EQ(t.row[2][200], 250);
    // Identity everywhere, gamma 0 counting as 1000, leaves the table alone.
    const LevelsParams identity{{{0, 0, 255, 0, 255}, id, {0, 0, 255, 0, 255}}};
    std::memset(&t, 0x33, sizeof t);
    EXPECT_EQ(ToneTable_FromLevels(&t, &identity), -1);
    EXPECT_EQ(t.row[1][200], 0x33);
    EXPECT_EQ(ToneTable_FromLevels(nullptr, &identity), 0);
    EXPECT_EQ(ToneTable_FromLevels(&t, nullptr), 0);
}

// ---- Applying a table. ----

ToneTable RandomTable(uint32_t seed) {
    std::mt19937 rng(seed);
    ToneTable t;
    for (auto &row : t.row)
        for (uint8_t &v : row) v = uint8_t(rng());
    return t;
}

// Masked kinds beyond the shared fixture: fields narrower than 8 bits in a
// 32-bit pixel, a field with no bits, 8-bit fields out of the usual order.
constexpr uint32_t kMask565In32[3] = {0xF800, 0x07E0, 0x001F};
constexpr uint32_t kMaskNoBlue[3] = {0x7C00, 0x03E0, 0};
constexpr uint32_t kMaskSwapped888[3] = {0x0000FF, 0x00FF00, 0xFF0000};
const Kind kMaskedKinds[] = {
    {"16bit-555", 16, 0, nullptr},           {"16bit-565", 16, 0, kMask565},
    {"16bit-no-blue", 16, 0, kMaskNoBlue},   {"32bit-565", 32, 0, kMask565In32},
    {"32bit-swapped", 32, 0, kMaskSwapped888},
};

// A field of n bits through a row: widened, looked up, narrowed, rounded.
uint32_t ModelField(uint32_t raw, uint32_t n, const uint8_t *row) {
    if (n == 0) return 0;
    const double top = double((1u << n) - 1);
    const int wide = int(std::lround(raw * 255.0 / top));
    return uint32_t(std::lround(top * row[wide] / 255.0));
}

uint32_t Read(const uint8_t *p, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint32_t(p[i]) << (8 * i);
    return v;
}

TEST(ToneApplyToPicture, PaletteChangesOnlyItsTable) {
    const ToneTable t = RandomTable(5);
    for (const Kind &k : KindsNamed({"1bit", "4bit", "4bit-short", "8bit", "8bit-short"})) {
        SCOPED_TRACE(k.name);
        fake::Scope scope;
        const DibHandle p = MakeRandom(k, 9, -5, 3);
        const DibData *d = Dibcore_DataDIB(p);
        const std::vector<uint8_t> bits(d->bits, d->bits + d->bitsSize);
        const std::vector<uint8_t> header(reinterpret_cast<const uint8_t *>(d->header),
                                          reinterpret_cast<const uint8_t *>(d->header) + d->headerSize);
        ASSERT_EQ(ToneTable_ApplyToPicture(p, &t), 1);
        d = Dibcore_DataDIB(p);
        EXPECT_EQ(std::vector<uint8_t>(d->bits, d->bits + d->bitsSize), bits);
        const uint8_t *after = reinterpret_cast<const uint8_t *>(d->header) + 40;
        for (uint32_t i = 0; i < k.colours; ++i)
            for (int b = 0; b < 4; ++b)
                ASSERT_EQ(after[4 * i + b], b < 3 ? t.row[b][header[40 + 4 * i + b]] : header[40 + 4 * i + b]) << i;
    }
}

TEST(ToneApplyToPicture, BytesAndNarrowedFieldsAtEveryDepth) {
    const ToneTable t = RandomTable(6);
    std::vector<Kind> kinds = KindsNamed({"24bit", "32bit", "32bit-888"});
    kinds.insert(kinds.end(), std::begin(kMaskedKinds), std::end(kMaskedKinds));
    for (const Kind &k : kinds)
        for (int32_t width : {1, 2, 3, 4, 5, 7, 13})
            for (int32_t height : {3, -3}) {
                SCOPED_TRACE(Name(k, height) + " width " + std::to_string(width));
                fake::Scope scope;
                const DibHandle p = MakeRandom(k, width, height, uint32_t(width));
                ASSERT_NE(p, 0);
                const DibData *d = Dibcore_DataDIB(p);
                const std::vector<uint8_t> before(d->bits, d->bits + d->bitsSize);
                ASSERT_EQ(ToneTable_ApplyToPicture(p, &t), 1);
                d = Dibcore_DataDIB(p);
                const uint32_t stride = Dib_RowStride(k.depth, width);
                const int bytes = k.depth / 8;
                const bool plain = k.depth == 24 || (k.depth == 32 && (k.masks == nullptr || k.masks == kMask888));
                for (uint32_t at = 0; at < d->bitsSize; ++at) {
                    const uint32_t x = at % stride;
                    if (x >= uint32_t(width * bytes)) {
                        ASSERT_EQ(d->bits[at], before[at]) << "padding " << at;
                    } else if (plain) {
                        const int b = int(x % uint32_t(bytes));
                        ASSERT_EQ(d->bits[at], b < 3 ? t.row[b][before[at]] : before[at]) << at;
                    } else if (x % uint32_t(bytes) == 0) {
                        const uint32_t* masks = k.masks != nullptr ? k.masks : kMask555;
                        const uint32_t v = Read(&before[at], bytes);
                        uint32_t want = 0;
                        for (int c = 0; c < 3; ++c) {
                            if (masks[c] == 0) continue;
                            const uint32_t shift = uint32_t(__builtin_ctz(masks[c]));
                            const uint32_t n = uint32_t(__builtin_popcount(masks[c]));
                            want |= ModelField((v & masks[c]) >> shift, n, t.row[2 - c]) << shift;
                        }
                        ASSERT_EQ(Read(&d->bits[at], bytes), want) << std::hex << v;
                    }
                }
            }
}

TEST(ToneApplyToPicture, RefusesWhatItCannotReadOrWrite) {
    const ToneTable t = RandomTable(7);
    fake::Scope scope;
    // Fields of 10 bits cannot take an 8-bit table.
    const DibHandle wide = MakeRandom(KindNamed("32bit-101010"), 5, 5, 1);
    const std::vector<uint8_t> wideBytes = Bytes(wide);
    EXPECT_EQ(ToneTable_ApplyToPicture(wide, &t), 0);
    EXPECT_EQ(Bytes(wide), wideBytes);

    // Bits shorter than the header claims: refused, not read past the end.
    const DibHandle shorter = MakeRandom(KindNamed("24bit"), 5, 5, 2);
    fake::Pic *pic = scope.lib.Get(shorter);
    pic->bits.resize(pic->bits.size() - 1);
    pic->Point();
    const std::vector<uint8_t> shortBytes = Bytes(shorter);
    EXPECT_EQ(ToneTable_ApplyToPicture(shorter, &t), 0);
    EXPECT_EQ(Bytes(shorter), shortBytes);

    // A core header's 3-byte entries are refused rather than misread.
    const DibHandle core = MakeCoreHeaderPicture();
    const std::vector<uint8_t> coreBytes = Bytes(core);
    EXPECT_EQ(ToneTable_ApplyToPicture(core, &t), 0);
    EXPECT_EQ(Bytes(core), coreBytes);

    EXPECT_EQ(ToneTable_ApplyToPicture(0, &t), 0);
    EXPECT_EQ(ToneTable_ApplyToPicture(shorter, nullptr), 0);

    // RLE pixels are never read for a palette picture: its table changes.
    const uint8_t stream[4] = {2, 1, 0, 1};
    const DibHandle r = MakeRle8Picture({10, 20, 30, 0}, stream);
    ASSERT_NE(r, 0);
    ASSERT_EQ(ToneTable_ApplyToPicture(r, &t), 1);
    const DibData *d = Dibcore_DataDIB(r);
    EXPECT_EQ(0, std::memcmp(d->bits, stream, 4));
    const uint8_t *entry1 = reinterpret_cast<const uint8_t *>(d->header) + 44;
    EXPECT_EQ(entry1[0], t.row[0][10]);
    EXPECT_EQ(entry1[1], t.row[1][20]);
    EXPECT_EQ(entry1[2], t.row[2][30]);
}

// ---- The whole operation. ----

const LevelsParams kStretch{{{1500, 20, 230, 5, 250}, {1000, 40, 200, 0, 255}, {700, 0, 255, 255, 0}}};
const BrightParams kBright{1, -1, 1, {20, -10, 5}, {60}, {1200, 800, 1000}};

struct ApplyCase {
    const char *name;
    int32_t mode;
    const void *params;
};
const ApplyCase kApplyCases[] = {{"levels", kToneLevels, &kStretch}, {"brightness", kToneBright, &kBright}};

TEST(ToneApply, APartChangesAloneAndPalettesBecomeTrueColour) {
    const SelRect rect{9, 5, 2, 1};  // corners in any order
    const SelRect r{2, 1, 9, 5};
    std::vector<Kind> kinds = kKinds;
    kinds.insert(kinds.end(), std::begin(kMaskedKinds), std::end(kMaskedKinds));
    for (const ApplyCase &c : kApplyCases)
        for (const Kind &k : kinds)
            for (int32_t height : {7, -7}) {
                SCOPED_TRACE(std::string(c.name) + " / " + Name(k, height));
                fake::Scope scope;
                const DibHandle p = MakeRandom(k, 11, height, 8);
                const DibHandle whole = MakeRandom(k, 11, height, 8);
                const std::vector<uint32_t> before = Colours(p);
                const size_t live = scope.lib.Live();
                if (k.masks == kMask101010) {  // fields too wide: refused, unchanged
                    EXPECT_EQ(Tone_Apply(p, &rect, c.mode, c.params), 0);
                    EXPECT_EQ(Colours(p), before);
                    EXPECT_EQ(scope.lib.Live(), live);
                    continue;
                }
                ASSERT_EQ(Tone_Apply(whole, nullptr, c.mode, c.params), 1);
                EXPECT_EQ(Depth(whole), k.depth);  // the whole picture keeps its depth
                ASSERT_EQ(Tone_Apply(p, &rect, c.mode, c.params), 1);
                EXPECT_EQ(Depth(p), k.depth <= 8 ? 24 : k.depth);
                EXPECT_EQ(scope.lib.Live(), live);  // the cut-out copy is released
                const std::vector<uint32_t> after = Colours(p), changed = Colours(whole);
                for (size_t i = 0; i < after.size(); ++i) {
                    const int32_t x = int32_t(i % 11), y = int32_t(i / 11);
                    const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                    ASSERT_EQ(after[i], inside ? changed[i] : before[i]) << x << "," << y;
                }
            }
}

TEST(ToneApply, NothingToDoAndRefusals) {
    fake::Scope scope;
    const LevelsParams identity{{{0, 0, 255, 0, 255}, {1000, 0, 255, 0, 255}, {1000, 0, 255, 0, 255}}};
    const BrightParams off{0, 0, 0, {9, 9, 9}, {9, 9, 9}, {9, 9, 9}};
    const SelRect part{1, 1, 3, 3}, empty{2, 2, 2, 4}, outside{20, 20, 30, 30};
    // A 4-bit picture with nothing to do is not even made 24 bits.
    const DibHandle p = MakeRandom(KindNamed("4bit"), 6, 6, 1);
    const std::vector<uint8_t> bytes = Bytes(p);
    EXPECT_EQ(Tone_Apply(p, &part, kToneLevels, &identity), 1);
    EXPECT_EQ(Tone_Apply(p, &part, kToneBright, &off), 1);
    EXPECT_EQ(Bytes(p), bytes);
    // Refused: empty or outside rectangles, unknown modes, no parameters, no picture.
    EXPECT_EQ(Tone_Apply(p, &empty, kToneLevels, &kStretch), 0);
    EXPECT_EQ(Tone_Apply(p, &outside, kToneLevels, &kStretch), 0);
    EXPECT_EQ(Tone_Apply(p, &part, 3, &kStretch), 0);
    EXPECT_EQ(Tone_Apply(p, &part, 0, &kStretch), 0);
    EXPECT_EQ(Tone_Apply(p, &part, kToneLevels, nullptr), 0);
    EXPECT_EQ(Tone_Apply(0, nullptr, kToneLevels, &kStretch), 0);
    EXPECT_EQ(Bytes(p), bytes);
    // A 4-bit picture changed on a part becomes 24 bits as a whole.
    ASSERT_EQ(Tone_Apply(p, &part, kToneLevels, &kStretch), 1);
    EXPECT_EQ(Depth(p), 24);
}

TEST(ToneApply, InjectedFailuresLeaveThePicture) {
    const SelRect part{1, 1, 5, 4};
    for (const char *name : {"4bit", "16bit-565", "24bit", "32bit"})
        for (const SelRect *rect : {&part, static_cast<const SelRect *>(nullptr)}) {
            SCOPED_TRACE(std::string(name) + (rect ? " part" : " whole"));
            ForEachInjectedFailure([&] { return MakeRandom(KindNamed(name), 7, 6, 4); },
                                   [&](DibHandle p, DibHandle *) { return Tone_Apply(p, rect, kToneLevels, &kStretch); });
        }
}

// ---- Bands on threads. ----

std::atomic<int> g_runs{0};
void CountedRun(size_t count, void (*task)(void *, size_t), void *context) {
    ++g_runs;
    RunOnStdThreads(count, task, context);
}

TEST(ToneBands, ThreadsGiveTheSameBytesAsOne) {
    const ToneTable t = RandomTable(9);
    std::vector<Kind> kinds = KindsNamed({"24bit", "32bit"});
    kinds.push_back(kMaskedKinds[1]);
    kinds.push_back(kMaskedKinds[3]);
    // Large enough to be banded; odd sizes so bands split unevenly.
    for (const Kind &k : kinds)
        for (int32_t height : {403, -401}) {
            SCOPED_TRACE(Name(k, height));
            fake::Scope scope;
            const DibHandle one = MakeRandom(k, 701, height, 2);
            ASSERT_EQ(ToneTable_ApplyToPicture(one, &t), 1);
            for (unsigned threads : {2u, 3u, 7u}) {
                const DibHandle banded = MakeRandom(k, 701, height, 2);
                {
                    EditTasksScope tasks(threads, CountedRun);
                    g_runs = 0;
                    ASSERT_EQ(ToneTable_ApplyToPicture(banded, &t), 1);
                    EXPECT_EQ(g_runs, 1);  // it really ran in bands
                }
                EXPECT_EQ(Bytes(banded), Bytes(one)) << threads << " threads";
            }
            // Small pictures stay on the calling thread.
            EditTasksScope tasks(4, CountedRun);
            g_runs = 0;
            ASSERT_EQ(ToneTable_ApplyToPicture(MakeRandom(k, 64, 64, 1), &t), 1);
            EXPECT_EQ(g_runs, 0);
        }
}

}  // namespace
