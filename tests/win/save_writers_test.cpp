// The four format writers with the build's own dibcore.dll: each format and
// option written to a file, read back with the library and compared pixel by
// pixel (exactly where the format is lossless), the options checked in the
// file's own bytes, and the picture in memory unchanged by every save.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "dib_gif.h"
#include "dib_png.h"
#include "image/qv_DibApi.h"
#include "image/qv_DibHolder.h"
#include "image/qv_DibOps.h"
#include "image/qv_PixelValue.h"
#include "image/qv_SaveOptions.h"
#include "image/qv_SaveWriters.h"
#include "support/real_dibcore.h"
#include "support/temp_folder.h"

namespace {

std::vector<uint8_t> Bytes(const DibHolder &h) {
    const DibData *d = Dibcore_DataDIB(h.handle);
    std::vector<uint8_t> v(reinterpret_cast<const uint8_t *>(d->header),
                           reinterpret_cast<const uint8_t *>(d->header) + d->headerSize);
    v.insert(v.end(), d->bits, d->bits + d->bitsSize);
    return v;
}

std::vector<uint32_t> Colours(const DibHolder &h) {
    std::vector<uint32_t> v;
    for (int32_t y = 0; y < DibHolder_GetHeight(h); ++y)
        for (int32_t x = 0; x < DibHolder_GetWidth(h); ++x) v.push_back(Dib_GetPixelColour(x, h.handle, y));
    return v;
}

uint32_t U32At(const std::string &s, size_t at) {
    uint32_t v = 0;
    if (at + 4 <= s.size()) std::memcpy(&v, s.data() + at, 4);
    return v;
}

// Colour i of a picture using `n` colours in turn (n up to 4096, all distinct).
uint32_t Spread(uint32_t i) { return (i * 53u % 256u) | ((i * 7u) % 256u) << 8 | ((i / 16u) * 17u % 256u) << 16; }

// A picture of `depth` bits; `n` colours placed in turn (or in runs of
// `run` pixels, the content RLE pays for). Palette pictures get a table of
// the n colours.
void Make(DibHolder &h, int32_t depth, int32_t w, int32_t height, uint32_t n, int32_t run = 1) {
    std::vector<DibRgbQuad> pal;
    for (uint32_t i = 0; depth <= 8 && i < (1u << depth); ++i) {
        const uint32_t c = Spread(i);
        pal.push_back(DibRgbQuad{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 0});
    }
    ASSERT_TRUE(DibHolder_Create(h, w, height, depth, uint32_t(pal.size()), 1, pal.empty() ? nullptr : pal.data()));
    const int32_t rows = height < 0 ? -height : height;
    uint32_t k = 0;
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < w; ++x, ++k) {
            const uint32_t i = (k / uint32_t(run)) % n;
            const SelRect one{x, y, x + 1, y + 1};
            ASSERT_TRUE(depth <= 8 ? Dib_FillRect(h.handle, &one, i) : Dib_FillColour(h.handle, &one, Spread(i)));
        }
    ASSERT_TRUE(Dib_Normalize(h.handle));
    ASSERT_TRUE(DibHolder_Lock(h));
}

class SaveWriters : public RealDibcoreSuite {
protected:
    void SetUp() override {
        ASSERT_TRUE(lib_->ok()) << lib_->problem();
        g_saveOptions = SaveOptions_Defaults();
    }
    void TearDown() override { g_saveOptions = SaveOptions_Defaults(); }

    // Writes `pic` with `writer`; checks the picture in memory is as before.
    std::string Save(int (*writer)(const TCHAR *, DibHolder &), DibHolder &pic, const TCHAR *name) {
        const std::vector<uint8_t> before = Bytes(pic);
        path_ = folder_.Join(name);
        EXPECT_EQ(writer(path_.c_str(), pic), 1);
        EXPECT_EQ(Bytes(pic), before) << "the picture in memory changed";
        EXPECT_EQ(pic.data, Dibcore_DataDIB(pic.handle));
        return ReadFileBytes(path_);
    }
    TempFolder folder_{TEXT("savewriters")};
    tstring path_;
};

TEST_F(SaveWriters, BmpCompressionAndRowOrder) {
    struct Case {
        const char *name;
        int32_t depth, height, run, rle, top;
        uint32_t compression;  // expected in the file
        bool topDownFile;
    };
    const Case cases[] = {
        {"8-bit runs, RLE", 8, 12, 9, 1, 0, kDibRle8, false},
        {"8-bit runs, RLE asked with top-down rows", 8, -12, 9, 1, 1, kDibRle8, false},
        {"4-bit runs, RLE", 4, 12, 9, 1, 0, kDibRle4, false},
        {"8-bit noise, RLE would be larger", 8, 12, 1, 1, 0, kDibRgb, false},
        {"24-bit, RLE asked", 24, 12, 9, 1, 0, kDibRgb, false},
        {"8-bit top-down written bottom-up", 8, -12, 1, 0, 0, kDibRgb, false},
        {"8-bit written top-down", 8, 12, 1, 0, 1, kDibRgb, true},
        {"24-bit written top-down", 24, 12, 1, 0, 1, kDibRgb, true},
        {"32-bit top-down kept", 32, -12, 1, 0, 1, kDibRgb, true},
        {"1-bit", 1, 12, 3, 1, 0, kDibRgb, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DibHolder pic;
        Make(pic, c.depth, 37, c.height, c.depth == 1 ? 2 : c.depth == 4 ? 16 : 200, c.run);
        g_saveOptions.bmpRle = c.rle;
        g_saveOptions.bmpTop = c.top;
        const std::string file = Save(SaveBmp_Write, pic, TEXT("a.bmp"));
        ASSERT_GT(file.size(), 54u);
        EXPECT_EQ(U32At(file, 30), c.compression);
        EXPECT_EQ(int32_t(U32At(file, 22)) < 0, c.topDownFile);
        DibHolder back;
        ASSERT_TRUE(DibHolder_BMPtoDIB(back, path_.c_str()));
        ASSERT_TRUE(Dibcore_RLEtoDIB(back.handle));  // the colour reader takes no RLE data
        ASSERT_TRUE(DibHolder_Lock(back));
        EXPECT_EQ(Colours(back), Colours(pic));
    }
}

// An RLE picture stays RLE in memory after a plain save.
TEST_F(SaveWriters, BmpKeepsACompressedPictureCompressed) {
    DibHolder pic;
    Make(pic, 8, 40, 10, 30, 12);
    ASSERT_TRUE(Dibcore_DIBtoRLE(pic.handle));
    ASSERT_TRUE(DibHolder_Lock(pic));
    ASSERT_EQ(pic.data->header->biCompression, uint32_t(kDibRle8));
    g_saveOptions.bmpTop = 1;
    const std::string file = Save(SaveBmp_Write, pic, TEXT("rle.bmp"));
    EXPECT_EQ(U32At(file, 30), uint32_t(kDibRgb));
    EXPECT_EQ(pic.data->header->biCompression, uint32_t(kDibRle8));
}

TEST_F(SaveWriters, GifPaletteTransparencyAndInterlace) {
    struct Case {
        const char *name;
        int32_t depth;
        uint32_t colours;
        int32_t lace, noCmp, trans;
        bool exact;  // colours kept exactly
    };
    const Case cases[] = {
        {"8-bit interlaced, top-right transparent", 8, 60, 1, 0, 3, true},
        {"24-bit of 200 colours: lossless palette", 24, 200, 0, 0, 2, true},
        {"24-bit of 300 colours: reduced", 24, 300, 0, 0, 5, false},
        {"32-bit of 12 colours, uncompressed", 32, 12, 1, 1, 4, true},
        {"16-bit reduced", 16, 50, 0, 0, 0, false},
        {"4-bit", 4, 16, 0, 0, 1, true},
    };
    for (const Case &c : cases)
        for (int32_t height : {15, -15}) {
            SCOPED_TRACE(std::string(c.name) + (height < 0 ? " top-down" : ""));
            DibHolder pic;
            Make(pic, c.depth, 20, height, c.colours);
            g_saveOptions.gifLace = c.lace;
            g_saveOptions.gifNoCmp = c.noCmp;
            g_saveOptions.gifTrans = c.trans;
            g_saveOptions.gifTraCol = 7;
            const std::string file = Save(SaveGif_Write, pic, TEXT("a.gif"));
            ASSERT_GT(file.size(), 13u);
            GifStillInfo info{};
            info.flags = kGifStillPreset;
            DibHolder back;
            ASSERT_TRUE(DibHolder_GIFtoDIBex(back, path_.c_str(), &info));
            EXPECT_LE(DibHolder_GetBitCount(back), 8);
            const std::vector<uint32_t> want = Colours(pic), got = Colours(back);
            if (c.exact) {
                EXPECT_EQ(got, want);
            } else {
                ASSERT_EQ(got.size(), want.size());
                double err = 0;
                for (size_t i = 0; i < got.size(); ++i)
                    for (int s = 0; s < 24; s += 8)
                        err += std::abs(int(got[i] >> s & 0xFF) - int(want[i] >> s & 0xFF));
                EXPECT_LT(err / double(got.size() * 3), 24.0);
            }
            // The interlace bit of the image descriptor after the global table.
            const size_t table = size_t(3) << ((uint8_t(file[10]) & 7) + 1);
            size_t at = 13 + table;
            while (at < file.size() && uint8_t(file[at]) == 0x21) {  // extensions before the image
                at += 2;
                while (at < file.size() && file[at] != 0) at += 1 + uint8_t(file[at]);
                ++at;
            }
            ASSERT_LT(at + 9, file.size());
            EXPECT_EQ(uint8_t(file[at]), 0x2C);
            EXPECT_EQ((uint8_t(file[at + 9]) & 0x40) != 0, c.lace != 0);
            // Transparency: the index the file names shows the corner's colour.
            EXPECT_EQ((info.flags & kGifStillTransparent) != 0, c.trans != 0);
            if (c.trans >= 2) {
                int32_t x, y;
                SaveCorner_Point(c.trans - 2, 20, 15, &x, &y);
                EXPECT_EQ(Dib_GetPixelValue(back.handle, x, y), info.transparentIndex);
            } else if (c.trans == 1) {
                EXPECT_EQ(info.transparentIndex, 7u);
            }
        }
}

TEST_F(SaveWriters, JpegQualityAndProgressive) {
    QV_SKIP_WITHOUT_JPEG();
    for (int32_t depth : {8, 24, 32}) {
        SCOPED_TRACE(depth);
        DibHolder pic;
        // Bands of eight rows: block-aligned, so a high quality comes close.
        Make(pic, depth, 48, -32, 40, 48 * 8);
        size_t lastSize = 0;
        double lastErr = 1e9;
        for (int32_t quality : {20, 60, 98}) {
            for (int32_t progressive : {0, 1}) {
                g_saveOptions.jpgQual = quality;
                g_saveOptions.jpgProg = progressive;
                const std::string file = Save(SaveJpeg_Write, pic, TEXT("a.jpg"));
                // The frame marker: baseline C0 or progressive C2.
                const bool sof2 = file.find("\xFF\xC2", 0, 2) != std::string::npos;
                const bool sof0 = file.find("\xFF\xC0", 0, 2) != std::string::npos;
                EXPECT_EQ(sof2, progressive != 0);
                EXPECT_EQ(sof0, progressive == 0);
                DibHolder back;
                ASSERT_TRUE(DibHolder_JPGtoDIB(back, path_.c_str()));
                const std::vector<uint32_t> want = Colours(pic), got = Colours(back);
                ASSERT_EQ(got.size(), want.size());
                double err = 0;
                for (size_t i = 0; i < got.size(); ++i)
                    for (int s = 0; s < 24; s += 8) err += std::abs(int(got[i] >> s & 0xFF) - int(want[i] >> s & 0xFF));
                err /= double(got.size() * 3);
                if (progressive == 0) {
                    EXPECT_GT(file.size(), lastSize) << "quality " << quality;
                    EXPECT_LT(err, lastErr) << "quality " << quality;
                    lastSize = file.size();
                    lastErr = err;
                }
            }
        }
        EXPECT_LT(lastErr, 4.0);
    }
}

TEST_F(SaveWriters, PngFiltersInterlaceAndTransparency) {
    struct Case {
        const char *name;
        int32_t depth;
        int32_t lace, level, filt, trans;
        uint8_t colourType;  // IHDR
    };
    const Case cases[] = {
        {"8-bit, no filter", 8, 0, 6, 0, 0, 3},
        {"8-bit interlaced, bottom-left index", 8, 1, 9, 2, 3, 3},
        {"24-bit, all filters, top-right colour", 24, 0, 9, 2, 2, 2},
        {"24-bit interlaced, speed filters, level 0", 24, 1, 0, 1, 4, 2},
        {"32-bit written as 24-bit", 32, 0, 6, 1, 1, 2},
        {"16-bit written as 24-bit", 16, 1, 6, 1, 0, 2},
        {"1-bit", 1, 0, 6, 1, 1, 3},
    };
    for (const Case &c : cases)
        for (int32_t height : {11, -11}) {
            SCOPED_TRACE(std::string(c.name) + (height < 0 ? " top-down" : ""));
            DibHolder pic;
            Make(pic, c.depth, 23, height, c.depth == 1 ? 2 : 90, 2);
            g_saveOptions.pngLace = c.lace;
            g_saveOptions.pngCmpLv = c.level;
            g_saveOptions.pngFilt = c.filt;
            g_saveOptions.pngTrans = c.trans;
            const std::string file = Save(SavePng_Write, pic, TEXT("a.png"));
            ASSERT_GT(file.size(), 33u);
            EXPECT_EQ(uint8_t(file[25]), c.colourType);
            EXPECT_EQ(uint8_t(file[28]), c.lace ? 1 : 0);
            DibHolder back;
            ASSERT_TRUE(DibHolder_PNGtoDIB(back, path_.c_str()));
            EXPECT_EQ(Colours(back), Colours(pic));

            PngInfo info{};
            info.flags = kPngInfoAsked;
            PngAlphaTable alpha{};
            ASSERT_TRUE(Dibcore_InfoPNG(path_.c_str(), &info, &alpha));
            EXPECT_EQ((info.flags & kPngInfoTransparency) != 0, c.trans != 0);
            if (c.trans == 0) continue;
            int32_t x, y;
            SaveCorner_Point(c.trans - 1, 23, 11, &x, &y);
            if (c.colourType == 3) {
                // One palette entry made transparent: the corner's index.
                const uint32_t index = Dib_GetPixelValue(pic.handle, x, y);
                ASSERT_LT(index, 256u);
                EXPECT_GT(alpha.count, int32_t(index));
                for (int32_t i = 0; i < alpha.count; ++i) EXPECT_EQ(alpha.alpha[i], i == int32_t(index) ? 0 : 255) << i;
            } else {
                EXPECT_EQ(info.transparent, Dib_GetPixelColour(x, pic.handle, y));
            }
        }
}

// Without a path, or with a library that cannot write there, nothing is
// reported as written and the picture stays as it was.
TEST_F(SaveWriters, FailuresReportZero) {
    DibHolder pic;
    Make(pic, 24, 9, 7, 20);
    const std::vector<uint8_t> before = Bytes(pic);
    const tstring missing = folder_.Join(TEXT("no such folder\\a"));
    int (*const writers[])(const TCHAR *, DibHolder &) = {SaveBmp_Write, SaveGif_Write, SaveJpeg_Write, SavePng_Write};
    for (auto writer : writers) {
        EXPECT_EQ(writer(nullptr, pic), 0);
        EXPECT_EQ(writer(TEXT(""), pic), 0);
        EXPECT_EQ(writer(missing.c_str(), pic), 0);
        EXPECT_EQ(Bytes(pic), before);
    }
    DibHolder empty;
    EXPECT_EQ(SavePng_Write(folder_.Join(TEXT("e.png")).c_str(), empty), 0);
}

}  // namespace

namespace {

// With QV_SAVE_OUT naming a folder, one file per format and option is left
// there for a check with outside tools (tests/e2e/save_formats.sh); the
// same picture goes into every file, so lossless ones must compare equal.
TEST_F(SaveWriters, ExportForOutsideCheck) {
    char out[MAX_PATH] = {};
    if (GetEnvironmentVariableA("QV_SAVE_OUT", out, MAX_PATH) == 0) GTEST_SKIP() << "QV_SAVE_OUT not set";
    tstring dir;
    for (const char *c = out; *c; ++c) dir.push_back(TCHAR(*c));
#ifdef QV_ANSI
    dir += TEXT("\\A_");
#else
    dir += TEXT("\\W_");
#endif
    struct Item {
        const TCHAR *name;
        int (*writer)(const TCHAR *, DibHolder &);
        int32_t depth;
        void (*set)(SaveOptions &);
    };
    const Item items[] = {
        {TEXT("plain.bmp"), SaveBmp_Write, 8, [](SaveOptions &) {}},
        {TEXT("rle.bmp"), SaveBmp_Write, 8, [](SaveOptions &o) { o.bmpRle = 1; }},
        {TEXT("top.bmp"), SaveBmp_Write, 24, [](SaveOptions &o) { o.bmpTop = 1; }},
        {TEXT("lace.gif"), SaveGif_Write, 24, [](SaveOptions &o) { o.gifLace = 1, o.gifTrans = 2; }},
        {TEXT("q90.jpg"), SaveJpeg_Write, 24, [](SaveOptions &o) { o.jpgQual = 90; }},
        {TEXT("q30prog.jpg"), SaveJpeg_Write, 24, [](SaveOptions &o) { o.jpgQual = 30, o.jpgProg = 1; }},
        {TEXT("lace.png"), SavePng_Write, 24, [](SaveOptions &o) { o.pngLace = 1, o.pngFilt = 2; }},
        {TEXT("trans8.png"), SavePng_Write, 8, [](SaveOptions &o) { o.pngTrans = 1; }},
        {TEXT("trans24.png"), SavePng_Write, 24, [](SaveOptions &o) { o.pngTrans = 4; }},
        {TEXT("nofilter.png"), SavePng_Write, 32, [](SaveOptions &o) { o.pngFilt = 0, o.pngCmpLv = 1; }},
    };
    for (const Item &item : items) {
        DibHolder pic;
        Make(pic, item.depth, 40, 24, 120, 16);
        g_saveOptions = SaveOptions_Defaults();
        item.set(g_saveOptions);
        const std::vector<uint8_t> before = Bytes(pic);
        EXPECT_EQ(item.writer((dir + item.name).c_str(), pic), 1);
        EXPECT_EQ(Bytes(pic), before);
    }
}

}  // namespace
