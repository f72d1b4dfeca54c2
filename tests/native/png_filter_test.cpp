// PNG row filters (SIMD against the scalar reference) and the chunk CRC.
#include <gtest/gtest.h>

#include <zlib.h>

#include <random>
#include <vector>

#include "crc32.h"
#include "png_filter.h"

namespace {

TEST(PngFilter, FastUnfilterMatchesScalarAtEveryTypeStepAndLength) {
    std::mt19937 rnd(1);
    for (int bpp = 1; bpp <= 8; ++bpp)
        for (int type = 0; type <= 4; ++type)
            for (size_t pixels = 1; pixels <= 70; pixels += (pixels < 20 ? 1 : 7)) {
                const size_t bytes = pixels * size_t(bpp);
                std::vector<uint8_t> prev(bytes), row(bytes);
                for (auto &v : prev) v = uint8_t(rnd());
                for (auto &v : row) v = uint8_t(rnd());
                std::vector<uint8_t> fast = row, slow = row;
                ASSERT_TRUE(dibcore::PngUnfilterRow(type, fast.data(), prev.data(), bytes, bpp));
                ASSERT_TRUE(dibcore::PngUnfilterRowScalar(type, slow.data(), prev.data(), bytes, bpp));
                ASSERT_EQ(fast, slow) << "type " << type << " bpp " << bpp << " bytes " << bytes;
            }
}

TEST(PngFilter, FilterThenUnfilterRestoresTheRow) {
    std::mt19937 rnd(2);
    for (int bpp : {1, 2, 3, 4, 6, 8})
        for (int type = 0; type <= 4; ++type) {
            const size_t bytes = size_t(bpp) * 37;
            std::vector<uint8_t> prev(bytes), raw(bytes), filtered(bytes);
            for (auto &v : prev) v = uint8_t(rnd());
            for (auto &v : raw) v = uint8_t(rnd() % 16);  // small values give small signed sums
            const uint64_t sum = dibcore::PngFilterRow(type, raw.data(), prev.data(), bytes, bpp, filtered.data());
            uint64_t expect = 0;
            for (uint8_t v : filtered) expect += v < 128 ? v : 256 - v;
            EXPECT_EQ(sum, expect);
            ASSERT_TRUE(dibcore::PngUnfilterRow(type, filtered.data(), prev.data(), bytes, bpp));
            EXPECT_EQ(filtered, raw) << "type " << type << " bpp " << bpp;
        }
}

TEST(PngFilter, UnknownTypeIsRefused) {
    uint8_t row[24] = {}, prev[24] = {};
    // Types past Paeth, at every pixel step (some sums of step and type must
    // not be mistaken for a known pair).
    for (int bpp = 1; bpp <= 8; ++bpp)
        for (int type : {5, 9, 17, 33, 255}) {
            EXPECT_FALSE(dibcore::PngUnfilterRow(type, row, prev, 24, bpp)) << type << " " << bpp;
            EXPECT_FALSE(dibcore::PngUnfilterRowScalar(type, row, prev, 24, bpp));
        }
}

TEST(Crc32Table, MatchesZlibAtEveryLengthAlignmentAndSplit) {
    std::vector<uint8_t> data(300);
    std::mt19937 rnd(4);
    for (auto &v : data) v = uint8_t(rnd());
    EXPECT_EQ(dibcore::Crc32_Update(0, "123456789", 9), 0xCBF43926u);
    for (size_t offset = 0; offset < 8; ++offset)
        for (size_t n = 0; n + offset <= data.size(); n += 13) {
            const uint32_t want = uint32_t(crc32(0, data.data() + offset, uInt(n)));
            ASSERT_EQ(dibcore::Crc32_Update(0, data.data() + offset, n), want);
            const size_t half = n / 3;
            ASSERT_EQ(dibcore::Crc32_Update(dibcore::Crc32_Update(0, data.data() + offset, half),
                                            data.data() + offset + half, n - half),
                      want);
        }
}

}  // namespace
