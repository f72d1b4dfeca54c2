// A row widened to 24 bits gives, pixel for pixel, what the single-pixel
// fetch of its depth gives, from any first column; palette indexes past the
// colour table come out black.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "image/resample/qv_PixelFetch.h"

namespace {

TEST(PixelFetchRow, WidenedRowEqualsPixelFetches) {
    std::mt19937 rng(7);
    for (int depth : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(depth);
        PixelSource source;
        source.bitsPerPixel = depth;
        source.plain32 = depth == 32;
        if (depth == 16) {
            const uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
            ChannelMasks_Set(16, masks, &source.masks);
        }
        if (depth <= 8) {
            source.colourCount = depth == 8 ? 200 : (1u << depth);  // 8 bits: a short table
            for (uint32_t i = 0; i < source.colourCount; ++i) source.palette[i] = rng() & 0xFFFFFF;
        }
        std::vector<uint8_t> row(4 * 100);
        for (auto &b : row) b = uint8_t(rng());
        const PixelFetch fetch = PixelFetch_ForDepth(&source);
        ASSERT_NE(fetch, nullptr);
        for (int64_t first : {0, 3, 17}) {
            const int64_t width = 100 * 8 / depth - first - 1;
            std::vector<uint8_t> out(size_t(3 * width));
            PixelFetch_Row24(&source, row.data(), first, width, out.data());
            for (int64_t x = 0; x < width; ++x) {
                const uint32_t c = fetch(row.data(), first + x, &source);
                ASSERT_EQ(out[size_t(3 * x)] | out[size_t(3 * x + 1)] << 8 | out[size_t(3 * x + 2)] << 16, c)
                    << "column " << first + x;
                if (depth == 8 && row[size_t(first + x)] >= 200) ASSERT_EQ(c, 0u);
            }
        }
    }
}

}  // namespace
