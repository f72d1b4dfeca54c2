// The JPEG encoder: files at every quality corner, baseline and progressive,
// read by the reference decoder without a warning and by ours; sizes and
// quality against the reference encoder; every picture depth as input.
#include <gtest/gtest.h>

#include "jpeg_test_support.h"

using namespace jpegtest;
using namespace dibcore;

namespace {

Bytes Encode(const Picture &p, int quality, bool progressive) {
    ByteBuffer out;
    EXPECT_TRUE(Jpeg_Encode(p, quality, progressive, &out));
    return Bytes(out.data(), out.data() + out.size());
}

bool HasMarker(const Bytes &f, uint8_t m) {
    for (size_t i = 0; i + 1 < f.size(); ++i)
        if (f[i] == 0xFF && f[i + 1] == m) return true;
    return false;
}

// Reference decode; `warnings` receives its stderr.
bool DecodeReference(const Bytes &file, const std::string &tag, Raster *out, std::string *warnings) {
    const std::string jpeg = OutPath("enc_" + tag + ".jpg"), pnm = OutPath("enc_" + tag + ".pnm"),
                      err = OutPath("enc_" + tag + ".err");
    if (!WriteFile(jpeg, file.data(), file.size())) return false;
    if (RunTool("djpeg -dct int -pnm -outfile " + pnm + " " + jpeg, err) != 0) return false;
    Bytes e;
    ReadFile(err, &e);
    warnings->assign(e.begin(), e.end());
    return ReadPnm(pnm, out);
}

TEST(JpegEncode, QualityCornersBaselineAndProgressive) {
    const Raster src = PhotoLike(203, 157, 8);
    PictureOwner pic(ToPicture(src));
    ASSERT_TRUE(pic);
    struct Case {
        int quality;
        double minPsnr;
    } cases[] = {{1, 14.0}, {50, 19.0}, {90, 20.5}, {100, 21.0}};  // sharp chroma edges lose most at 4:2:0
    for (const Case &c : cases)
        for (bool progressive : {false, true}) {
            const std::string tag = "q" + std::to_string(c.quality) + (progressive ? "p" : "b");
            const Bytes file = Encode(*pic.get(), c.quality, progressive);
            EXPECT_TRUE(HasMarker(file, progressive ? 0xC2 : 0xC0)) << tag;
            EXPECT_FALSE(HasMarker(file, progressive ? 0xC0 : 0xC2)) << tag;
            Raster theirs, ours;
            std::string warnings;
            ASSERT_TRUE(DecodeReference(file, tag, &theirs, &warnings)) << tag;
            EXPECT_EQ(warnings, "") << tag;
            ASSERT_TRUE(DecodeOurs(file, &ours)) << tag;
            const Difference d = Compare(ours, theirs);
            EXPECT_LE(d.max, 2) << tag;
            EXPECT_LT(d.mean, 0.5) << tag;
            EXPECT_GT(Compare(ours, src).psnr, c.minPsnr) << tag;
        }
}

TEST(JpegEncode, NoLargerThanReferenceEncoderAtSameQuality) {
    // Same quantisation as the reference, so the same picture quality; our
    // tables are fitted to the picture, so the file is no larger.
    const Raster src = PhotoLike(333, 211, 12);
    const std::string ppm = OutPath("size_src.ppm");
    ASSERT_TRUE(WritePnm(ppm, src));
    PictureOwner pic(ToPicture(src));
    for (int quality : {50, 75, 90, 100})
        for (bool progressive : {false, true}) {
            const std::string tag = "size" + std::to_string(quality) + (progressive ? "p" : "b");
            const Bytes ours = Encode(*pic.get(), quality, progressive);
            const std::string ref = OutPath(tag + "_ref.jpg");
            ASSERT_EQ(0, RunTool("cjpeg -quality " + std::to_string(quality) + (progressive ? " -progressive" : "") +
                             " -outfile " + ref + " " + ppm));
            Bytes theirs;
            ASSERT_TRUE(ReadFile(ref, &theirs));
            EXPECT_LE(ours.size(), theirs.size()) << tag;
            Raster a, b;
            ASSERT_TRUE(DecodeOurs(ours, &a));
            ASSERT_TRUE(DecodeOurs(theirs, &b));
            EXPECT_GE(Compare(a, src).psnr, Compare(b, src).psnr - 0.3) << tag;
        }
}

TEST(JpegEncode, TinyAndOddSizes) {
    for (auto [w, h] : {std::pair{1, 1}, {1, 17}, {17, 1}, {15, 9}, {16, 16}, {33, 31}}) {
        PictureOwner pic(ToPicture(PhotoLike(w, h, 5)));
        for (bool progressive : {false, true}) {
            const std::string tag = "odd" + std::to_string(w) + "x" + std::to_string(h) + (progressive ? "p" : "b");
            const Bytes file = Encode(*pic.get(), 75, progressive);
            Raster theirs, ours;
            std::string warnings;
            ASSERT_TRUE(DecodeReference(file, tag, &theirs, &warnings)) << tag;
            EXPECT_EQ(warnings, "") << tag;
            ASSERT_TRUE(DecodeOurs(file, &ours)) << tag;
            EXPECT_EQ(ours.width, w);
            EXPECT_EQ(ours.height, h);
            EXPECT_LE(Compare(ours, theirs).max, 2) << tag;
        }
    }
}

// Builds a picture of another depth showing the same colours as `src`
// (reduced to what the depth can hold) and the 24-bit expectation.
struct DepthCase {
    const char *what;
    int bits;
    bool greyPalette;
};

TEST(JpegEncode, EveryPictureDepthIsWritten) {
    const int w = 48, h = 32;
    const DepthCase cases[] = {{"grey palette", 8, true}, {"colour palette", 8, false}, {"4-bit", 4, false},
                               {"1-bit", 1, false},        {"16-bit", 16, false},       {"32-bit", 32, false}};
    for (const DepthCase &c : cases) {
        const uint32_t colours = c.bits <= 8 ? (1u << c.bits) : 0;
        DibRgbQuad pal[256];
        for (uint32_t i = 0; i < colours; ++i) {
            const uint8_t g = static_cast<uint8_t>(i * 255 / (colours - 1));
            pal[i] = c.greyPalette ? DibRgbQuad{g, g, g, 0} : DibRgbQuad{g, uint8_t(255 - g), uint8_t(g / 2), 0};
        }
        PictureOwner pic(NewSimplePicture(w, h, c.bits, colours, colours ? pal : nullptr));
        ASSERT_TRUE(pic) << c.what;
        Raster expect;
        expect.width = w;
        expect.height = h;
        expect.channels = c.greyPalette ? 1 : 3;
        expect.pixels.resize(size_t(w) * h * expect.channels);
        for (int y = 0; y < h; ++y) {
            uint8_t *row = RowFromTop(*pic.get(), y);
            for (int x = 0; x < w; ++x) {
                // Bands on block edges so JPEG loss stays small.
                const int band = (x / 16 + y / 16) % 2;
                uint8_t r, g, b;
                if (colours) {
                    const uint32_t index = band ? colours - 1 : colours / 3;
                    if (c.bits == 8) row[x] = uint8_t(index);
                    if (c.bits == 4) row[x / 2] |= uint8_t(index << (x % 2 ? 0 : 4));
                    if (c.bits == 1) row[x / 8] |= uint8_t(index << (7 - x % 8));
                    r = pal[index].red, g = pal[index].green, b = pal[index].blue;
                } else if (c.bits == 16) {
                    const uint16_t v = band ? 0x7C1F : 0x03E0;  // magenta / green in 5-5-5
                    row[2 * x] = uint8_t(v), row[2 * x + 1] = uint8_t(v >> 8);
                    r = band ? 255 : 0, g = band ? 0 : 255, b = band ? 255 : 0;
                } else {
                    r = band ? 200 : 30, g = 90, b = band ? 10 : 220;
                    row[4 * x] = b, row[4 * x + 1] = g, row[4 * x + 2] = r, row[4 * x + 3] = 0;
                }
                uint8_t *o = &expect.pixels[(size_t(y) * w + x) * expect.channels];
                if (c.greyPalette) {
                    o[0] = r;
                } else {
                    o[0] = r, o[1] = g, o[2] = b;
                }
            }
        }
        const Bytes file = Encode(*pic.get(), 95, false);
        JpegHeaderInfo info{};
        ASSERT_EQ(kJpegOk, Jpeg_ReadHeader(file.data(), file.size(), &info)) << c.what;
        EXPECT_EQ(info.components, c.greyPalette ? 1 : 3) << c.what;
        Raster ours;
        ASSERT_TRUE(DecodeOurs(file, &ours)) << c.what;
        ASSERT_EQ(ours.channels, expect.channels) << c.what;
        if (c.greyPalette) {
            EXPECT_GT(Compare(ours, expect).psnr, 40.0) << c.what;
        } else {
            // Exactly what the same colours give as a 24-bit picture.
            PictureOwner truecolour(ToPicture(expect));
            EXPECT_EQ(file, Encode(*truecolour.get(), 95, false)) << c.what;
        }
    }
}

TEST(JpegEncode, RefusesCompressedPictures) {
    PictureOwner pic(NewSimplePicture(8, 8, 8, 256, nullptr));
    pic->data.header->biCompression = kDibRle8;
    ByteBuffer out;
    EXPECT_FALSE(Jpeg_Encode(*pic.get(), 90, false, &out));
}

}  // namespace
