// The JPEG decoder against the reference decoder (accurate integer IDCT,
// smooth upsampling): photographs and generated files of every sampling
// layout, baseline, progressive and multi-scan, with and without restarts.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>

#include "jpeg_test_support.h"

using namespace jpegtest;
using namespace dibcore;

namespace {

// Decodes `jpeg` with ours and with djpeg and checks the agreement.
void ExpectMatchesReference(const std::string &jpeg, const std::string &tag) {
    Bytes file;
    ASSERT_TRUE(ReadFile(jpeg, &file)) << jpeg;
    const std::string ref = OutPath("ref_" + tag + ".pnm");
    ASSERT_EQ(0, RunTool("djpeg -dct int -pnm -outfile " + ref + " " + jpeg)) << tag;
    Raster theirs, ours;
    ASSERT_TRUE(ReadPnm(ref, &theirs));
    ASSERT_TRUE(DecodeOurs(file, &ours)) << tag;
    ASSERT_EQ(ours.width, theirs.width);
    ASSERT_EQ(ours.height, theirs.height);
    ASSERT_EQ(ours.channels, theirs.channels);
    const Difference d = Compare(ours, theirs);
    EXPECT_LE(d.max, 2) << tag;
    EXPECT_LT(d.mean, 0.5) << tag;
}

struct Layout {
    const char *tag;
    const char *cjpegArgs;
};

// Every sampling factor in use, each baseline and progressive, restarts
// every MCU or every few rows, sequential files with one scan per component,
// and grey.
const Layout kLayouts[] = {
    {"444", "-sample 1x1"},
    {"422", "-sample 2x1"},
    {"420", "-sample 2x2"},
    {"440", "-sample 1x2"},
    {"411", "-sample 4x1"},
    {"444_prog", "-sample 1x1 -progressive"},
    {"422_prog", "-sample 2x1 -progressive"},
    {"420_prog", "-sample 2x2 -progressive"},
    {"440_prog", "-sample 1x2 -progressive"},
    {"411_prog", "-sample 4x1 -progressive"},
    {"420_rst1", "-sample 2x2 -restart 1B"},
    {"422_rst2rows", "-sample 2x1 -restart 2"},
    {"444_prog_rst", "-sample 1x1 -progressive -restart 1B"},
    {"420_prog_rst", "-sample 2x2 -progressive -restart 1"},
    {"411_prog_rst", "-sample 4x1 -progressive -restart 3B"},
    {"440_rst", "-sample 1x2 -restart 5B"},
    {"grey", "-grayscale"},
    {"grey_prog_rst", "-grayscale -progressive -restart 1B"},
    {"420_q100", "-sample 2x2 -quality 100"},
    {"420_q5_prog", "-sample 2x2 -quality 5 -baseline -progressive"},
};

class JpegLayouts : public ::testing::TestWithParam<Layout> {};

TEST_P(JpegLayouts, MatchesReferenceDecoder) {
    const Layout &l = GetParam();
    // Odd sizes so every edge MCU is partial.
    const std::string ppm = OutPath("layout_src.ppm");
    ASSERT_TRUE(WritePnm(ppm, PhotoLike(203, 157, 3)));
    const std::string jpeg = OutPath(std::string("layout_") + l.tag + ".jpg");
    ASSERT_EQ(0, RunTool(std::string("cjpeg ") + l.cjpegArgs + " -outfile " + jpeg + " " + ppm));
    ExpectMatchesReference(jpeg, l.tag);
}

INSTANTIATE_TEST_SUITE_P(All, JpegLayouts, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<Layout> &i) { return std::string(i.param.tag); });

TEST(JpegDecode, SequentialFileWithOneScanPerComponent) {
    // A baseline frame whose components arrive in separate scans goes
    // through the coefficient store instead of the single-pass path.
    const std::string ppm = OutPath("multiscan_src.ppm"), script = OutPath("multiscan.txt");
    ASSERT_TRUE(WritePnm(ppm, PhotoLike(77, 45, 9)));
    const char kScript[] = "0;\n1;\n2;\n";
    ASSERT_TRUE(WriteFile(script, reinterpret_cast<const uint8_t *>(kScript), sizeof kScript - 1));
    const std::string jpeg = OutPath("multiscan.jpg");
    ASSERT_EQ(0, RunTool("cjpeg -sample 2x2 -scans " + script + " -outfile " + jpeg + " " + ppm));
    Bytes file;
    ASSERT_TRUE(ReadFile(jpeg, &file));
    JpegHeaderInfo info{};
    ASSERT_EQ(kJpegOk, Jpeg_ReadHeader(file.data(), file.size(), &info));
    EXPECT_FALSE(info.progressive);
    EXPECT_EQ(info.components, 3);
    ExpectMatchesReference(jpeg, "multiscan");
}

TEST(JpegDecode, Photographs) {
    // Two of the large photographs, kept to two so the test stays quick.
    std::vector<std::string> found;
    const char *dirs[] = {"/usr/share/wallpapers/Path/contents/images/2560x1600.jpg",
                          "/usr/share/wallpapers/Autumn/contents/images/2560x1600.jpg"};
    for (const char *p : dirs)
        if (FILE *f = std::fopen(p, "rb")) {
            std::fclose(f);
            found.push_back(p);
        }
    if (found.empty()) GTEST_SKIP() << "no wallpaper photographs installed";
    int n = 0;
    for (const std::string &p : found) ExpectMatchesReference(p, "photo" + std::to_string(n++));
}

TEST(JpegDecode, RowOrderAndGreyPalette) {
    const std::string ppm = OutPath("order_src.ppm"), jpeg = OutPath("order.jpg");
    ASSERT_TRUE(WritePnm(ppm, PhotoLike(31, 19, 4)));
    ASSERT_EQ(0, RunTool("cjpeg -grayscale -outfile " + jpeg + " " + ppm));
    Bytes file;
    ASSERT_TRUE(ReadFile(jpeg, &file));
    Picture *up = nullptr, *down = nullptr;
    ASSERT_EQ(kJpegOk, Jpeg_Decode(file.data(), file.size(), false, &up));
    PictureOwner upOwner(up);
    ASSERT_EQ(kJpegOk, Jpeg_Decode(file.data(), file.size(), true, &down));
    PictureOwner downOwner(down);
    EXPECT_EQ(up->data.header->biHeight, 19);
    EXPECT_EQ(down->data.header->biHeight, -19);
    EXPECT_EQ(up->data.header->biBitCount, 8);
    EXPECT_EQ(up->data.headerSize, 40u + 256u * 4u);
    for (int i = 0; i < 256; i += 51) {
        EXPECT_EQ(PaletteOf(*up)[i].red, i);
        EXPECT_EQ(PaletteOf(*up)[i].blue, i);
    }
    for (int y = 0; y < 19; ++y) ASSERT_EQ(0, std::memcmp(RowFromTop(*up, y), RowFromTop(*down, y), 31));
    // The first stored row of a bottom-up picture is the bottom one.
    EXPECT_EQ(0, std::memcmp(up->data.bits, RowFromTop(*down, 18), 31));
}

TEST(JpegDecode, AdobeYcck) {
    // Four-component files as prepress tools write them (inverted inks, sent
    // as YCCK under the Adobe marker); the reference is the same picture
    // converted to RGB by another program.
    const std::string ppm = OutPath("cmyk_src.ppm"), cmyk = OutPath("cmyk.jpg");
    Raster src = PhotoLike(48, 40, 6);
    ASSERT_TRUE(WritePnm(ppm, src));
    ASSERT_EQ(0, RunTool("convert " + ppm + " -colorspace CMYK -quality 95 " + cmyk));
    for (const std::string &jpeg : {cmyk}) {
        Bytes file;
        ASSERT_TRUE(ReadFile(jpeg, &file));
        JpegHeaderInfo info{};
        ASSERT_EQ(kJpegOk, Jpeg_ReadHeader(file.data(), file.size(), &info));
        ASSERT_EQ(info.components, 4);
        Raster ours;
        ASSERT_TRUE(DecodeOurs(file, &ours));
        const std::string back = OutPath("cmyk_back.ppm");
        ASSERT_EQ(0, RunTool("convert " + jpeg + " -colorspace sRGB " + back));
        Raster theirs;
        ASSERT_TRUE(ReadPnm(back, &theirs));
        const Difference d = Compare(ours, theirs);
        EXPECT_LE(d.max, 3);
        EXPECT_LT(d.mean, 0.5);
        // And it is still the source picture, within JPEG loss.
        EXPECT_GT(Compare(ours, src).psnr, 28.0);
    }
}

TEST(JpegDecode, RefusesWhatItCannotDecode) {
    const std::string ppm = OutPath("refuse_src.ppm"), jpeg = OutPath("refuse.jpg");
    ASSERT_TRUE(WritePnm(ppm, PhotoLike(16, 16, 1)));
    ASSERT_EQ(0, RunTool("cjpeg -outfile " + jpeg + " " + ppm));
    Bytes good;
    ASSERT_TRUE(ReadFile(jpeg, &good));
    size_t sof = 0;
    for (size_t i = 2; i + 1 < good.size(); ++i)
        if (good[i] == 0xFF && good[i + 1] == 0xC0) {
            sof = i;
            break;
        }
    ASSERT_NE(sof, 0u);
    struct Case {
        const char *what;
        size_t offset;
        uint8_t value;
    } cases[] = {
        {"12-bit", sof + 4, 12},
        {"arithmetic", sof + 1, 0xC9},
        {"lossless", sof + 1, 0xC3},
        {"two components", sof + 9, 2},
        {"zero width", sof + 8, 0},
    };
    for (const Case &c : cases) {
        Bytes bad = good;
        bad[c.offset] = c.value;
        if (std::string(c.what) == "zero width") bad[c.offset - 1] = 0;
        Picture *p = nullptr;
        const char *message = nullptr;
        EXPECT_EQ(kJpegFailed, Jpeg_Decode(bad.data(), bad.size(), false, &p, &message)) << c.what;
        EXPECT_EQ(p, nullptr);
        ASSERT_NE(message, nullptr) << c.what;
        EXPECT_GT(std::strlen(message), 5u);
    }
    Picture *p = nullptr;
    const uint8_t png[] = {0x89, 'P', 'N', 'G'};
    EXPECT_EQ(kJpegNotJpeg, Jpeg_Decode(png, sizeof png, false, &p));
    EXPECT_EQ(kJpegNotJpeg, Jpeg_Decode(good.data(), 1, false, &p));
    EXPECT_EQ(kJpegFailed, Jpeg_Decode(good.data(), 2, false, &p));
    // A frame larger than the library holds is refused before any pixel
    // memory is taken.
    Bytes huge = good;
    huge[sof + 5] = huge[sof + 6] = huge[sof + 7] = huge[sof + 8] = 0xFF;
    const char *message = nullptr;
    EXPECT_EQ(kJpegFailed, Jpeg_Decode(huge.data(), huge.size(), false, &p, &message));
    EXPECT_EQ(p, nullptr);
}

}  // namespace
