#include "image/qv_ChannelMasks.h"

static_assert(ChannelExpandTable.row[3][3] == 109 && ChannelExpandTable.row[5][16] == 132 &&
                  ChannelExpandTable.row[7][64] == 129 && ChannelExpandTable.row[6][5] == 20,
              "widening rounds to nearest");

void Dib_NormalizeMasks(int32_t depth, int count, uint32_t *masks, int *shifts, int *widths) {
    uint32_t used = 0;
    for (int i = 0; i < count; ++i) {
        uint32_t m = masks[i];
        if (depth == 16) m &= 0xFFFFu;
        m &= ~used;
        int shift = 0, width = 0;
        if (m != 0) {
            while (((m >> shift) & 1u) == 0) ++shift;
            while (shift + width < 32 && ((m >> (shift + width)) & 1u) != 0) ++width;
            m = (width >= 32 ? 0xFFFFFFFFu : ((1u << width) - 1u)) << shift;
        }
        masks[i] = m;
        used |= m;
        if (shifts) shifts[i] = shift;
        if (widths) widths[i] = width;
    }
}

void ChannelMasks_Set(int32_t depth, const uint32_t masks[3], ChannelMasks *out) {
    uint32_t m[3] = {masks[0], masks[1], masks[2]};
    int shifts[3], widths[3];
    Dib_NormalizeMasks(depth, 3, m, shifts, widths);
    for (int i = 0; i < 3; ++i) {
        out->mask[i] = m[i];
        out->shift[i] = uint32_t(shifts[i]);
        out->width[i] = uint32_t(widths[i]);
    }
}
