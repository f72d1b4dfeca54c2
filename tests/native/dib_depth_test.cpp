// Depth conversion and free turns: 24-bit expansion against a model, 16-bit
// packing with and without dither, 8-bit palettes exact and reduced, and the
// look of a dithered photo.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bmp_codec.h"
#include "dib_fixtures.h"
#include "transform.h"

using namespace dibcore;
using namespace dibfix;

namespace {

TEST(DibDepth, To24WidensFieldsByTheRoundingTable) {
    struct Case {
        uint16_t pixel;
        const uint32_t *masks;
        uint32_t want;  // B | G << 8 | R << 16
    } cases[] = {
        {0x07E0, kMask565, 0x00FF00},  // green field 63
        {0x0400, kMask565, 0x008200},  // green field 32 -> 130
        {0x8000, kMask565, 0x840000},  // red field 16 -> 132
        {0x4000, nullptr, 0x840000},   // 5-5-5 red 16
        {0x0001, nullptr, 0x000008},   // blue 1 -> 8
    };
    for (const Case &c : cases) {
        Owner p(NewSimplePicture(1, 1, 16, 0, nullptr, c.masks));
        std::memcpy(p.p->data.bits, &c.pixel, 2);
        Owner rgb(DibTo24(*p.p));
        ASSERT_NE(rgb.p, nullptr);
        EXPECT_EQ(RawPixel(*rgb.p, 0, 0), c.want) << std::hex << c.pixel;
    }
    // A 4-bit picture with a 6-entry table turns indexes 6..15 black.
    const Kind k{4, 6, nullptr, "short"};
    Owner p(MakePicture(k, 16, 1, 1));
    for (int x = 0; x < 16; ++x) p.p->data.bits[x / 2] = 0x01 * 0 + uint8_t(((2 * (x / 2)) << 4) | (2 * (x / 2) + 1));
    Owner rgb(DibTo24(*p.p));
    const DibRgbQuad *pal = reinterpret_cast<const DibRgbQuad *>(reinterpret_cast<uint8_t *>(p.p->data.header) + 40);
    for (int x = 0; x < 16; ++x) {
        const uint32_t want = x < 6 ? pal[x].blue | (pal[x].green << 8) | (uint32_t(pal[x].red) << 16) : 0;
        EXPECT_EQ(RawPixel(*rgb.p, x, 0), want) << x;
    }
}

TEST(DibDepth, EveryDepthReachesEveryOtherAndKeepsTheLook) {
    for (const Kind &k : AllKinds()) {
        Owner src(MakePicture(k, 33, -3, 5));
        Owner ref(DibTo24(*src.p));
        ASSERT_NE(ref.p, nullptr);
        EXPECT_EQ(ref.p->data.header->biHeight, -3);
        Owner to16(DibTo16(*src.p, nullptr, 0));
        Owner to565(DibTo16(*src.p, kMask565, kDibModeDither));
        Owner to8(DibTo8(*src.p, kDibModeDither));
        ASSERT_TRUE(to16.p && to565.p && to8.p) << k.name;
        EXPECT_EQ(to16.p->data.header->biCompression, kDibRgb);
        EXPECT_EQ(to565.p->data.header->biCompression, kDibBitFields);
        EXPECT_EQ(to8.p->data.header->biBitCount, 8);
        Owner back16(DibTo24(*to16.p)), back8(DibTo24(*to8.p));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 33; ++x) {
                const uint32_t a = RawPixel(*ref.p, x, y), b = RawPixel(*back16.p, x, y);
                for (int s = 0; s < 24; s += 8)
                    ASSERT_LE(std::abs(int((a >> s) & 255) - int((b >> s) & 255)), 4) << k.name;
            }
        // At most 256 distinct colours here: the 8-bit result is exact.
        if (k.bpp > 8 && 33 * 3 <= 256) EXPECT_EQ(RawPixels(*back8.p), RawPixels(*ref.p)) << k.name;
        if (k.bpp <= 8) {
            EXPECT_EQ(RawPixels(*to8.p), RawPixels(*src.p)) << k.name << " indexes kept";
            EXPECT_EQ(TableBytesOf(*to8.p), TableBytesOf(*src.p)) << k.name << " palette kept";
        }
    }
    Owner p(MakePicture(AllKinds()[7], 4, 4, 1));
    const uint32_t overlapping[3] = {0xF800, 0x0FE0, 0x001F};
    const uint32_t gappy[3] = {0xF400, 0x07E0, 0x001F};
    EXPECT_EQ(DibTo16(*p.p, overlapping, 0), nullptr);
    EXPECT_EQ(DibTo16(*p.p, gappy, 0), nullptr);
}

// A smooth gradient: dithered 16-bit output averages back to the source over
// each 4x4 cell, plain output stays within half a step everywhere.
TEST(DibDepth, SixteenBitDitherKeepsTheAverage) {
    Owner src(NewSimplePicture(64, 64, 24, 0, nullptr));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            uint8_t *p = src.p->data.bits + y * 192 + 3 * x;
            p[0] = uint8_t(x * 4), p[1] = uint8_t(y * 4), p[2] = uint8_t(100 + (x + y) / 2);
        }
    Owner plain(DibTo16(*src.p, nullptr, kDibModeDither | kDibModeNoDither));
    Owner dith(DibTo16(*src.p, nullptr, kDibModeDither));
    Owner a(DibTo24(*plain.p)), b(DibTo24(*dith.p));
    double errPlain = 0, errDith = 0;
    for (int cy = 0; cy < 64; cy += 4)
        for (int cx = 0; cx < 64; cx += 4) {
            double s[3] = {0, 0, 0}, d[3] = {0, 0, 0};
            for (int y = cy; y < cy + 4; ++y)
                for (int x = cx; x < cx + 4; ++x) {
                    const uint32_t o = RawPixel(*src.p, x, y), q = RawPixel(*b.p, x, y), r = RawPixel(*a.p, x, y);
                    for (int c = 0; c < 3; ++c) {
                        s[c] += (o >> (8 * c)) & 255;
                        d[c] += (q >> (8 * c)) & 255;
                        EXPECT_LE(std::abs(int((o >> (8 * c)) & 255) - int((r >> (8 * c)) & 255)), 5);
                        errPlain += std::abs(int((o >> (8 * c)) & 255) - int((r >> (8 * c)) & 255));
                    }
                }
            for (int c = 0; c < 3; ++c) errDith += std::abs(s[c] - d[c]);
        }
    EXPECT_LT(errDith / (16 * 16 * 3 * 16), errPlain / (64 * 64 * 3));
}

bool HaveConvert() { return std::system("command -v convert >/dev/null 2>&1") == 0; }

// A real photograph: reduction to 256 colours keeps it close, dithering
// keeps local averages closer still; the dithered result is saved as PNG for
// a person to look at.
TEST(DibDepth, EightBitReductionOfAPhoto) {
    const char *photo = "/usr/share/wallpapers/Autumn/contents/images/1280x800.jpg";
    if (!HaveConvert() || std::system((std::string("test -r ") + photo).c_str()) != 0)
        GTEST_SKIP() << "no photo or no ImageMagick";
    const std::string out = std::string(QV_TEST_OUTPUT);
    const std::string bmp = out + "/photo24.bmp";
    ASSERT_EQ(std::system(("convert '" + std::string(photo) + "' -resize 640x360 -type TrueColor BMP3:'" + bmp + "'").c_str()), 0);
    FILE *f = std::fopen(bmp.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> file(1 << 22);
    file.resize(std::fread(file.data(), 1, file.size(), f));
    std::fclose(f);
    Picture *raw = nullptr;
    ASSERT_EQ(BmpDecode(file.data(), file.size(), &raw), 0);
    Owner src(raw);
    ASSERT_EQ(src.p->data.header->biBitCount, 24);
    Owner plain(DibTo8(*src.p, 0)), dith(DibTo8(*src.p, kDibModeDither));
    ASSERT_TRUE(plain.p && dith.p);
    EXPECT_EQ(plain.p->data.header->biClrUsed, 0u);  // all 256 entries used
    Owner a(DibTo24(*plain.p)), b(DibTo24(*dith.p));
    const int w = Width(*src.p), h = Height(*src.p);
    double mse = 0, blockPlain = 0, blockDith = 0;
    for (int cy = 0; cy + 4 <= h; cy += 4)
        for (int cx = 0; cx + 4 <= w; cx += 4) {
            double s[3] = {0, 0, 0}, p[3] = {0, 0, 0}, d[3] = {0, 0, 0};
            for (int y = cy; y < cy + 4; ++y)
                for (int x = cx; x < cx + 4; ++x) {
                    const uint32_t o = RawPixel(*src.p, x, y), q = RawPixel(*a.p, x, y), r = RawPixel(*b.p, x, y);
                    for (int c = 0; c < 3; ++c) {
                        const int ov = (o >> (8 * c)) & 255, qv = (q >> (8 * c)) & 255;
                        mse += double(ov - qv) * (ov - qv);
                        s[c] += ov, p[c] += qv, d[c] += (r >> (8 * c)) & 255;
                    }
                }
            for (int c = 0; c < 3; ++c) blockPlain += std::fabs(s[c] - p[c]) / 16, blockDith += std::fabs(s[c] - d[c]) / 16;
        }
    mse /= double(w) * h * 3;
    EXPECT_LT(std::sqrt(mse), 6.0) << "median cut plus refinement should stay close";
    EXPECT_LT(blockDith, blockPlain) << "dithering keeps local averages";
    ByteBuffer bytes;
    ASSERT_TRUE(BmpEncode(*dith.p, &bytes));
    const std::string out8 = out + "/photo8_dithered.bmp";
    f = std::fopen(out8.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    EXPECT_EQ(std::system(("convert '" + out8 + "' '" + out + "/photo8_dithered.png'").c_str()), 0);
}

TEST(DibTurnAny, KeepsTheCanvasFilledAndTheCentreSharp) {
    const uint32_t background = 0x00FF8040;  // COLORREF: red 0x40, blue 0xFF
    for (const Kind &k : AllKinds()) {
        Owner src(MakePicture(k, 33, 17, 2));
        Owner t(TurnPictureAny(*src.p, 30000, background));
        ASSERT_NE(t.p, nullptr) << k.name;
        EXPECT_EQ(t.p->data.header->biBitCount, 24);
        const double r = 30 * M_PI / 180;
        EXPECT_EQ(Width(*t.p), int(std::ceil(33 * std::cos(r) + 17 * std::sin(r) - 1e-6)));
        EXPECT_EQ(Height(*t.p), int(std::ceil(33 * std::sin(r) + 17 * std::cos(r) - 1e-6)));
        EXPECT_EQ(RawPixel(*t.p, 0, 0), 0x4080FFu) << "corner shows the background as B, G, R";
    }
    // A flat picture turned stays flat inside; edges blend toward the background.
    Owner flat(NewSimplePicture(40, 40, 24, 0, nullptr));
    std::memset(flat.p->data.bits, 200, flat.p->data.bitsSize);
    Owner t(TurnPictureAny(*flat.p, -12345, 0));
    const int w = Width(*t.p), h = Height(*t.p);
    EXPECT_EQ(RawPixel(*t.p, w / 2, h / 2), 0xC8C8C8u);
    bool blended = false;
    for (int x = 0; x < w; ++x) {
        const uint32_t v = RawPixel(*t.p, x, h / 2) & 255;
        if (v > 0 && v < 200) blended = true;
    }
    EXPECT_TRUE(blended);
    // Multiples of 90 degrees are exact turns.
    const Kind k8{8, 0, nullptr, "8"};
    Owner p8(MakePicture(k8, 5, 3, 4));
    Owner q(TurnPictureAny(*p8.p, -90000, 0)), r(TurnPicture(*p8.p, 270));
    EXPECT_EQ(q.p->data.header->biBitCount, 8);
    EXPECT_EQ(RawPixels(*q.p), RawPixels(*r.p));
}

}  // namespace
