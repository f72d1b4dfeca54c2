// Damaged JPEG files: cut anywhere, cut at each marker, garbage in the scan
// data, flipped bits. Each gives a picture or a clean failure (the native
// tests run under AddressSanitizer), and what a cut file holds is shown with
// the rest grey.
#include <gtest/gtest.h>

#include <random>

#include "jpeg_test_support.h"

using namespace jpegtest;
using namespace dibcore;

namespace {

Bytes MakeFixture(const std::string &name, const std::string &args, int w, int h) {
    const std::string ppm = OutPath(name + ".ppm"), jpeg = OutPath(name + ".jpg");
    Bytes file;
    if (!WritePnm(ppm, PhotoLike(w, h, 2)) || RunTool("cjpeg " + args + " -outfile " + jpeg + " " + ppm) != 0 ||
        !ReadFile(jpeg, &file))
        file.clear();
    return file;
}

// Decodes and, on success, touches every pixel so ASan sees a bad picture.
int DecodeAndTouch(const Bytes &file) {
    Picture *p = nullptr;
    const int st = Jpeg_Decode(file.data(), file.size(), false, &p);
    if (st == kJpegOk) {
        EXPECT_NE(p, nullptr);
        unsigned sum = 0;
        for (uint32_t i = 0; i < p->data.bitsSize; ++i) sum += p->data.bits[i];
        (void)sum;
        FreePicture(p);
    } else {
        EXPECT_EQ(p, nullptr);
    }
    return st;
}

struct Fixture {
    const char *name;
    const char *args;
};
const Fixture kFixtures[] = {
    {"dmg_base", "-sample 2x2 -quality 80"},
    {"dmg_rst", "-sample 2x1 -restart 1B"},
    {"dmg_prog", "-sample 2x2 -progressive"},
    {"dmg_grey", "-grayscale -progressive -restart 2B"},
};

TEST(JpegDamage, CutAtEveryLength) {
    for (const Fixture &f : kFixtures) {
        const Bytes whole = MakeFixture(f.name, f.args, 37, 29);
        ASSERT_FALSE(whole.empty());
        for (size_t n = 0; n <= whole.size(); ++n) {
            const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(n));
            const int st = DecodeAndTouch(cut);
            EXPECT_TRUE(st == kJpegOk || st == kJpegFailed || (n < 2 && st == kJpegNotJpeg)) << f.name << " " << n;
        }
    }
}

TEST(JpegDamage, CutAtEveryMarker) {
    for (const Fixture &f : kFixtures) {
        const Bytes whole = MakeFixture(f.name, f.args, 37, 29);
        ASSERT_FALSE(whole.empty());
        for (size_t i = 0; i + 1 < whole.size(); ++i) {
            if (whole[i] != 0xFF || whole[i + 1] == 0 || whole[i + 1] == 0xFF) continue;
            for (size_t extra : {size_t{0}, size_t{1}, size_t{2}, size_t{4}}) {
                const size_t n = std::min(whole.size(), i + extra);
                const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(n));
                DecodeAndTouch(cut);
            }
        }
    }
}

TEST(JpegDamage, CutScanShowsWhatItHoldsAndGreyBelow) {
    const Bytes whole = MakeFixture("dmg_tall", "-sample 2x2 -quality 90", 64, 256);
    ASSERT_FALSE(whole.empty());
    Raster full;
    ASSERT_TRUE(DecodeOurs(whole, &full));
    const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(whole.size() / 2));
    Raster half;
    ASSERT_TRUE(DecodeOurs(cut, &half));
    ASSERT_EQ(half.height, 256);
    // The top rows are as in the whole file, the last rows plain grey.
    const size_t row = 64 * 3;
    EXPECT_EQ(0, std::memcmp(full.pixels.data(), half.pixels.data(), row * 16));
    for (size_t i = row * 250; i < half.pixels.size(); ++i) ASSERT_EQ(half.pixels[i], 128) << i;
}

TEST(JpegDamage, RestartMarkersResyncAfterDamage) {
    // Garbage inside one restart interval spoils that interval only.
    const Bytes whole = MakeFixture("dmg_resync", "-sample 1x1 -restart 1", 64, 64);
    ASSERT_FALSE(whole.empty());
    Raster clean;
    ASSERT_TRUE(DecodeOurs(whole, &clean));
    size_t rst = 0;
    for (size_t i = 0; i + 1 < whole.size(); ++i)
        if (whole[i] == 0xFF && whole[i + 1] == 0xD2) rst = i;
    ASSERT_NE(rst, 0u);
    Bytes bad = whole;
    for (size_t i = rst - 40; i < rst - 2; ++i) bad[i] = 0xFF;  // a run of fill bytes
    Raster damaged;
    ASSERT_TRUE(DecodeOurs(bad, &damaged));
    const size_t row = 64 * 3;
    // One interval is one 8-row band; RST2 ends the third. Everything after
    // it decodes as before, even though the damage made a stray RST6.
    EXPECT_EQ(0, std::memcmp(clean.pixels.data() + row * 24, damaged.pixels.data() + row * 24, row * 40));
    EXPECT_EQ(0, std::memcmp(clean.pixels.data(), damaged.pixels.data(), row * 16));
}

TEST(JpegDamage, GarbageAfterStartOfScanAndFlippedBits) {
    std::mt19937 rng(99);
    for (const Fixture &f : kFixtures) {
        const Bytes whole = MakeFixture(f.name, f.args, 37, 29);
        ASSERT_FALSE(whole.empty());
        size_t sos = 0;
        for (size_t i = 0; i + 1 < whole.size(); ++i)
            if (whole[i] == 0xFF && whole[i + 1] == 0xDA) {
                sos = i;
                break;
            }
        ASSERT_NE(sos, 0u);
        for (int trial = 0; trial < 60; ++trial) {
            Bytes bad = whole;
            const size_t from = sos + 2 + rng() % 16;
            for (size_t i = from; i < bad.size(); ++i) bad[i] = static_cast<uint8_t>(rng());
            DecodeAndTouch(bad);
            Bytes flipped = whole;
            for (int k = 0; k < 1 + trial % 8; ++k) flipped[rng() % flipped.size()] ^= uint8_t(1u << (rng() % 8));
            DecodeAndTouch(flipped);
        }
    }
}

}  // namespace
