// PNG writing: every picture depth comes back identical (pixels, palette
// order and size) at every filter set, with and without Adam7.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "png_codec.h"
#include "png_test_support.h"

using namespace pngtest;
using dibcore::Picture;
using dibcore::PictureOwner;

namespace {

Picture *RandomPicture(int32_t width, int32_t height, int bits, uint32_t colours, std::mt19937 *rnd) {
    DibRgbQuad table[256];
    for (auto &q : table) q = DibRgbQuad{uint8_t((*rnd)()), uint8_t((*rnd)()), uint8_t((*rnd)()), 0};
    Picture *p = dibcore::NewSimplePicture(width, height, bits, colours, bits <= 8 ? table : nullptr);
    if (p == nullptr) return nullptr;
    const uint32_t rows = uint32_t(height < 0 ? -height : height);
    for (uint32_t y = 0; y < rows; ++y) {
        uint8_t *row = dibcore::RowFromTop(*p, y);
        for (int32_t x = 0; x < width; ++x) {
            if (bits == 24) {
                for (int k = 0; k < 3; ++k) row[3 * x + k] = uint8_t((*rnd)());
            } else {
                const uint32_t v = (*rnd)() % colours;
                if (bits == 8) row[x] = uint8_t(v);
                else if (bits == 4) row[x >> 1] |= uint8_t(v << ((x & 1) ? 0 : 4));
                else row[x >> 3] |= uint8_t(v << (7 - (x & 7)));
            }
        }
    }
    return p;
}

void ExpectSamePicture(const Picture &a, const Picture &b) {
    const DibInfoHeader &ha = *a.data.header, &hb = *b.data.header;
    ASSERT_EQ(ha.biWidth, hb.biWidth);
    ASSERT_EQ(std::abs(ha.biHeight), std::abs(hb.biHeight));
    ASSERT_EQ(ha.biBitCount, hb.biBitCount);
    ASSERT_EQ(Colours(a), Colours(b));
    if (Colours(a)) {
        for (uint32_t i = 0; i < Colours(a); ++i) {
            const DibRgbQuad qa = dibcore::PaletteOf(a)[i], qb = dibcore::PaletteOf(b)[i];
            ASSERT_TRUE(qa.red == qb.red && qa.green == qb.green && qa.blue == qb.blue) << "entry " << i;
        }
    }
    for (int32_t y = 0; y < std::abs(ha.biHeight); ++y)
        for (int32_t x = 0; x < ha.biWidth; ++x)
            ASSERT_EQ(RawPixel(a, x, y), RawPixel(b, x, y)) << "at " << x << "," << y;
}

Picture *EncodeDecode(const Picture &p, const PngSaveOptions &o, dibcore::ByteBuffer *file) {
    if (dibcore::Png_Encode(p, &o, file) != dibcore::kPngOk) return nullptr;
    Picture *back = nullptr;
    if (dibcore::Png_Decode(file->data(), file->size(), &back, nullptr) != dibcore::kPngOk) return nullptr;
    return back;
}

TEST(PngRoundTrip, EveryDepthWidthFilterSetAndInterlace) {
    std::mt19937 rnd(7);
    struct Depth {
        int bits;
        uint32_t colours;
    };
    const Depth depths[] = {{1, 2}, {1, 1}, {4, 16}, {4, 5}, {8, 256}, {8, 77}, {24, 0}};
    const uint32_t filterSets[] = {kPngFilterNone, 0x38, kPngFilterAll, kPngFilterPaeth, kPngFilterAvg};
    for (const Depth &d : depths)
        for (int32_t width : {1, 3, 33})
            for (int32_t height : {7, -5})  // bottom-up and top-down
                for (uint32_t filters : filterSets)
                    for (bool interlace : {false, true}) {
                        SCOPED_TRACE(testing::Message() << d.bits << " bits, " << d.colours << " colours, " << width
                                                        << "x" << height << ", filters " << filters << ", Adam7 "
                                                        << interlace);
                        PictureOwner p(RandomPicture(width, height, d.bits, d.colours, &rnd));
                        ASSERT_TRUE(p);
                        dibcore::ByteBuffer file;
                        PictureOwner back(EncodeDecode(*p.get(), Options(filters, interlace, 6), &file));
                        ASSERT_TRUE(back);
                        ExpectSamePicture(*p.get(), *back.get());
                    }
}

TEST(PngRoundTrip, EveryLevelDecodes) {
    std::mt19937 rnd(11);
    PictureOwner p(RandomPicture(40, 30, 24, 0, &rnd));
    for (uint16_t level = 0; level <= 9; ++level) {
        dibcore::ByteBuffer file;
        PictureOwner back(EncodeDecode(*p.get(), Options(kPngFilterAll, false, level), &file));
        ASSERT_TRUE(back) << "level " << level;
        ExpectSamePicture(*p.get(), *back.get());
    }
}

// Every decoded fixture (2-bit palettes become 4-bit pictures, grey becomes
// a grey table) writes and reads back to the same picture.
TEST(PngRoundTrip, DecodedFixturesWriteBackUnchanged) {
    for (const char *name : {"c0_d1", "c0_d2", "c0_d16_i", "c2_d16", "c3_d1", "c3_d2_i", "c3_d4", "c3_d8",
                             "c4_d8", "c6_d16_i"}) {
        SCOPED_TRACE(name);
        const Bytes png = ReadFile(std::string(QV_TEST_FIXTURES) + "/png/" + name + ".png");
        Picture *first = nullptr;
        ASSERT_EQ(dibcore::Png_Decode(png.data(), png.size(), &first, nullptr), dibcore::kPngOk);
        PictureOwner own(first);
        dibcore::ByteBuffer file;
        PictureOwner back(EncodeDecode(*first, Options(0x38, true, 9), &file));
        ASSERT_TRUE(back);
        ExpectSamePicture(*first, *back.get());
    }
}

TEST(PngRoundTrip, SixteenAndThirtyTwoBitPicturesBecomeRgb) {
    // 16-bit 5-6-5 through masks, 32-bit plain.
    const uint32_t masks565[3] = {0xF800, 0x07E0, 0x001F};
    PictureOwner p16(dibcore::NewSimplePicture(3, 2, 16, 0, nullptr, masks565));
    PictureOwner p32(dibcore::NewSimplePicture(3, 2, 32, 0, nullptr));
    const uint16_t px16[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(dibcore::RowFromTop(*p16.get(), 0), px16, 6);
    const uint8_t px32[12] = {1, 2, 3, 99, 4, 5, 6, 99, 7, 8, 9, 99};
    std::memcpy(dibcore::RowFromTop(*p32.get(), 1), px32, 12);
    dibcore::ByteBuffer f16, f32;
    PictureOwner b16(EncodeDecode(*p16.get(), Options(kPngFilterAll, false, 6), &f16));
    PictureOwner b32(EncodeDecode(*p32.get(), Options(kPngFilterAll, false, 6), &f32));
    ASSERT_TRUE(b16 && b32);
    EXPECT_EQ(b16->data.header->biBitCount, 24);
    EXPECT_TRUE((Colour(*b16.get(), 0, 0) == Rgb{255, 0, 0}));
    EXPECT_TRUE((Colour(*b16.get(), 1, 0) == Rgb{0, 255, 0}));
    EXPECT_TRUE((Colour(*b16.get(), 2, 0) == Rgb{0, 0, 255}));
    EXPECT_TRUE((Colour(*b32.get(), 1, 1) == Rgb{6, 5, 4}));
}

TEST(PngRoundTrip, TransparencyIsWrittenAsTheOptionsSay) {
    std::mt19937 rnd(3);
    PictureOwner pal(RandomPicture(6, 4, 8, 20, &rnd));
    PictureOwner rgb(RandomPicture(6, 4, 24, 0, &rnd));
    const DibRgbQuad entry7 = dibcore::PaletteOf(*pal.get())[7];
    struct Case {
        const char *what;
        const Picture *picture;
        uint16_t indexFlag;
        uint32_t transparent;
        uint32_t flags, infoTransparent;
        int32_t count;
    };
    const Case cases[] = {
        {"palette index", pal.get(), kPngSaveIndex, 7, 0x8 | 0x20000, 7, 8},
        {"palette colour", pal.get(), 0, uint32_t(entry7.red | entry7.green << 8 | entry7.blue << 16), 0x8 | 0x20000, 7, 8},
        {"palette index past the table", pal.get(), kPngSaveIndex, 30, 0, 0, 0},
        {"rgb colour", rgb.get(), 0, 0x123456, 0x8, 0x123456, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PngSaveOptions o = Options(0x38, false, 6);
        o.flags |= kPngSaveTransparent;
        o.indexFlag = c.indexFlag;
        o.transparent = c.transparent;
        dibcore::ByteBuffer file;
        ASSERT_EQ(dibcore::Png_Encode(*c.picture, &o, &file), dibcore::kPngOk);
        PngInfo info{};
        PngAlphaTable table{};
        ASSERT_EQ(dibcore::Png_Info(file.data(), file.size(), &info, &table), dibcore::kPngOk);
        EXPECT_EQ(info.flags, c.flags);
        EXPECT_EQ(info.transparent, c.infoTransparent);
        EXPECT_EQ(table.count, c.count);
        if (c.count) {
            EXPECT_EQ(table.alpha[c.count - 1], 0);
        }
    }
}

TEST(PngRoundTrip, RefusesWhatItCannotWrite) {
    PictureOwner rle(dibcore::NewSimplePicture(4, 4, 8, 4, nullptr));
    rle->data.header->biCompression = kDibRle8;
    dibcore::ByteBuffer file;
    EXPECT_EQ(dibcore::Png_Encode(*rle.get(), nullptr, &file), dibcore::kPngFailed);
}

}  // namespace
