// Channel fields of 16- and 32-bit pictures: the one place where masks are
// cut to their fields and a field is widened to 8 bits. The bitmap core, the
// pixel readers and the resampler's fetch all go through here, so a picture
// reads the same whichever path draws it.
#pragma once

#include <cstdint>

// Widening of a field of w bits (w = 0..7) to 8 bits: entry v of row w is
// (v x 255 + (2^w - 1) / 2) / (2^w - 1); row 0 is all 0. Only the first 2^w
// entries of a row are meaningful; the rest are 0. Built at compile time, so
// no reader can see it unfilled during static start-up.
struct ChannelExpandRows {
    uint8_t row[8][128];
};

constexpr ChannelExpandRows MakeChannelExpandTable() {
    ChannelExpandRows t{};
    for (uint32_t w = 1; w < 8; ++w) {
        const uint32_t top = (1u << w) - 1u;
        for (uint32_t v = 0; v <= top; ++v) t.row[w][v] = uint8_t((v * 255u + top / 2) / top);
    }
    return t;
}

inline constexpr ChannelExpandRows ChannelExpandTable = MakeChannelExpandTable();

// A field of `width` bits widened to 8 bits: narrow fields through the table,
// 8 bits as they are, wider ones keep their top 8 bits. Inline: the
// resampler's row fetch calls it three times a pixel.
inline uint8_t Dib_ScaleTo8Bit(uint32_t value, int width) {
    if (width <= 0) return 0;
    if (width < 8) return ChannelExpandTable.row[width][value & 127u];
    if (width == 8) return uint8_t(value);
    return uint8_t(value >> (width - 8));
}

// Each mask cut to its lowest run of ones with its shift and width; for 16
// bits the high halves are cleared first; a mask that overlaps an earlier one
// loses the shared bits. `shifts` and `widths` may be null.
void Dib_NormalizeMasks(int32_t depth, int count, uint32_t *masks, int *shifts, int *widths);

// Red, green and blue fields of a 16- or 32-bit picture, normalised.
struct ChannelMasks {
    uint32_t mask[3];
    uint32_t shift[3];
    uint32_t width[3];
};

// Normalises `masks` (red, green, blue) of a picture of `depth` bits.
void ChannelMasks_Set(int32_t depth, const uint32_t masks[3], ChannelMasks *out);

// Packed value to 8-bit channels through the normalised fields.
inline void ChannelMasks_Widen(const ChannelMasks &m, uint32_t value, uint8_t rgb[3]) {
    for (int i = 0; i < 3; ++i) rgb[i] = Dib_ScaleTo8Bit((value & m.mask[i]) >> m.shift[i], int(m.width[i]));
}
