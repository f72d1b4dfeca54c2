// Hue, saturation and lightness adjustment in integer fixed point: the
// conversions between 8-bit RGB and fixed-point HSL, the lightness and
// grey-pull tables, and the whole operation on a picture or a rectangle.
#pragma once

#include <cstdint>

#include "dibcore_api.h"
#include "image/qv_DibCore.h"

// Fixed-point HSL: hue in hundredths of a degree (0..35999), saturation and
// lightness in 0..16384 (16384 = 1.0).
constexpr int32_t kHslOne = 16384;
constexpr int32_t kHslHueTurn = 36000;

// Grey value used by the saturation pull and by colourise.
enum HslGreyMode : int32_t {
    kHslGreyLightness = 0,  // (max + min + 1) / 2
    kHslGreyAverage = 1,    // ((R + G + B) x 2 + 3) / 6
    // any other value: luma (299 R + 587 G + 114 B + 500) / 1000
};

struct HslParams {
    DibHandle picture;
    const SelRect *rect;  // null = the whole picture
    int32_t hue;          // tenths of a degree, any value (taken modulo 3600)
    int32_t saturation;   // thousandths, -1000..1000 (0..1000 colourising)
    int32_t lightness;    // thousandths, -1000..1000
    int32_t greyMode;     // HslGreyMode
    int32_t colourise;    // non-zero: one hue and saturation, grey level kept
};

// Note the argument orders: green first in, lightness first in.
void Hsl_FromRgb(int32_t g, int32_t r, int32_t b, int32_t *h, int32_t *s, int32_t *l);
void Hsl_ToRgb(int32_t l, int32_t s, int32_t h, int32_t *r, int32_t *g, int32_t *b);

// 256-entry lightness table for `lightness` in thousandths (limited to
// -1000..1000): identity at 0, toward white above, toward black below.
void Hsl_LightnessTable(int32_t lightness, uint8_t table[256]);

// Grey-pull table of strength 1..1000 (limited): 511 entries, table[255 + i]
// for i = -255..255. A channel v with grey g becomes v + table[255 + g - v],
// moving v toward g by strength / 1000.
constexpr int kHslPullEntries = 511;
void Hsl_GreyPullTable(int32_t strength, int16_t table[kHslPullEntries]);

// Grey value of a colour by `mode` (HslGreyMode).
uint8_t Hsl_GreyOf(int32_t mode, uint32_t r, uint32_t g, uint32_t b);

// The whole adjustment, in the picture's own memory. 1 or 0. 24-bit and
// plain 32-bit pictures change in place (the fourth byte kept); a palette
// picture with the whole picture as its rectangle changes only its table;
// anything else is first made 24 bits (DIBto24Bit). On failure (empty
// rectangle, unreadable colour table, no memory, failed conversion) the
// picture is unchanged.
int Hsl_Apply(const HslParams &params);
