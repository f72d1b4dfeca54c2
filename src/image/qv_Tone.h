// Tonal corrections through one table: brightness, contrast and gamma (mode
// 1) or levels (mode 2) are turned into a ToneTable, which is then applied
// to a picture or a rectangle of it, one lookup per channel byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dibcore_api.h"
#include "image/qv_DibCore.h"

// Row 0 maps the blue byte of a pixel, row 1 green, row 2 red: row[r][v] is
// the new value of a channel that was v.
struct ToneTable {
    uint8_t row[3][256];
};

// Mode 1. A mode of 0 switches its group off, below 0 uses the red value for
// all three channels, above 0 takes each channel's own value. Brightness and
// contrast are limited to -255..255; the gammas are unsigned thousandths
// (1000 = 1.0, 0 read as 1000), stored in signed slots.
struct BrightParams {
    int16_t brightnessMode, contrastMode, gammaMode;
    int16_t brightness[3];  // red, green, blue
    int16_t contrast[3];
    int16_t gamma[3];
};
static_assert(sizeof(BrightParams) == 24, "twelve 16-bit values");
static_assert(offsetof(BrightParams, gamma) == 18, "gammas last");

// Mode 2: one record per channel, red, green, blue. Identity: gamma 1000,
// input 0..255, output 0..255. A gamma of 0 or less is read as 1000.
struct LevelsChannel {
    int32_t gamma;  // thousandths
    uint8_t inLow, inHigh, outLow, outHigh;
};
struct LevelsParams {
    LevelsChannel channel[3];  // red, green, blue
};
// Dialog values are stored and handed over as this record.
static_assert(sizeof(LevelsChannel) == 8, "gamma then four bytes");
static_assert(offsetof(LevelsChannel, inLow) == 4 && offsetof(LevelsChannel, outHigh) == 7, "level bytes");
static_assert(sizeof(LevelsParams) == 24, "three channel records");

enum ToneMode : int32_t { kToneBright = 1, kToneLevels = 2 };

// 1 built, -1 nothing changes (the table is then left as it was), 0 no
// parameters or table.
int ToneTable_FromBright(const BrightParams *params, ToneTable *table);
int ToneTable_FromLevels(ToneTable *table, const LevelsParams *params);

// The table over the whole picture, in place. 1, 4, 8 bits: only the colour
// table changes (the pixels are not read). 24 bits and plain 32 bits: the
// blue, green and red bytes (a fourth byte is kept). 16 bits and masked 32
// bits: each field through its row narrowed to the field's width; bits
// outside the three fields become 0, and a field wider than 8 bits fails.
// 0 also for a picture whose rows cannot be read (short bits, bad header).
int ToneTable_ApplyToPicture(DibHandle picture, const ToneTable *table);

// The whole operation on `rect` (null = the whole picture). `params` is a
// BrightParams for mode 1, a LevelsParams for mode 2. A rectangle smaller
// than the picture is cut out, changed and pasted back, a palette picture
// being made 24 bits first; the whole picture changes in place, a palette
// picture keeping its depth. 1 also when nothing changes; 0 on failure, the
// picture then unchanged apart from a conversion to 24 bits.
int Tone_Apply(DibHandle picture, const SelRect *rect, int32_t mode, const void *params);
