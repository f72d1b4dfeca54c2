// Our GIF frames against an independent decoder (ImageMagick's convert) on
// generated animations with offsets, local tables, interlace, disposal and
// transparency: each frame's colours, and the composed screens.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gif_codec.h"
#include "gif_test_support.h"

using namespace dibcore;
using namespace giftest;

namespace {

bool HaveConvert() { return std::system("convert -version >/dev/null 2>&1") == 0; }

std::string OutputPath(const std::string &name) { return std::string(QV_TEST_OUTPUT) + "/" + name; }

void WriteFile(const std::string &path, const std::vector<uint8_t> &bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), long(bytes.size()));
}

std::vector<uint8_t> ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// convert's RGBA output of every frame, one after the other.
std::vector<uint8_t> Convert(const std::string &gif, const std::string &options) {
    const std::string raw = gif + std::to_string(options.size()) + ".rgba";
    const std::string cmd = "convert '" + gif + "' " + options + " -depth 8 'rgba:" + raw + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) return {};
    return ReadFile(raw);
}

struct Rgba {
    uint8_t r, g, b, a;
};

// Composes frames over a transparent screen the way GIF disposal works.
std::vector<std::vector<Rgba>> Compose(const GifInfo &info, const std::vector<GifFrame> &frames) {
    const int w = info.width, h = info.height;
    std::vector<Rgba> canvas(size_t(w) * h, Rgba{0, 0, 0, 0});
    std::vector<std::vector<Rgba>> screens;
    for (const GifFrame &f : frames) {
        const std::vector<Rgba> before = canvas;
        const Picture *p = f.picture;
        const int fw = p ? Width(*p) : 0, fh = p ? Height(*p) : 0;
        for (int y = 0; y < fh; ++y)
            for (int x = 0; x < fw; ++x) {
                const int cx = f.left + x, cy = f.top + y;
                if (cx >= w || cy >= h) continue;
                const uint32_t i = IndexAt(*p, x, y);
                if (i == f.transparentIndex) continue;
                const DibRgbQuad q = PaletteOf(*p)[i];
                canvas[size_t(cy) * w + cx] = Rgba{q.red, q.green, q.blue, 255};
            }
        screens.push_back(canvas);
        if (f.disposal == 2) {
            for (int y = 0; y < fh; ++y)
                for (int x = 0; x < fw; ++x)
                    if (f.left + x < w && f.top + y < h) canvas[size_t(f.top + y) * w + f.left + x] = Rgba{0, 0, 0, 0};
        } else if (f.disposal == 3) {
            canvas = before;
        }
    }
    return screens;
}

File Scene(uint32_t seed) {
    File f;
    f.width = 37;
    f.height = 23;
    f.globalTable = Table(16, seed);
    f.loop = 2;
    struct Shape {
        uint16_t left, top, w, h;
        size_t local;  // local table entries, 0 = global
        int transparent, disposal;
        bool interlaced, uncompressed;
    } shapes[] = {
        {0, 0, 37, 23, 0, -1, 1, false, false},
        {4, 3, 17, 12, 256, 7, 2, true, false},
        {20, 10, 17, 13, 2, 1, 3, false, true},
        {1, 1, 9, 20, 64, 30, 1, true, true},
        {30, 0, 7, 5, 0, 15, 0, false, false},
        {33, 18, 9, 8, 4, -1, 2, false, false},  // runs past the screen
    };
    uint32_t s = seed;
    for (const Shape &sp : shapes) {
        Frame fr;
        fr.left = sp.left;
        fr.top = sp.top;
        fr.width = sp.w;
        fr.height = sp.h;
        if (sp.local) fr.localTable = Table(sp.local, ++s);
        fr.indexes = Noise(size_t(sp.w) * sp.h, uint32_t(sp.local ? sp.local : 16), ++s);
        fr.transparent = sp.transparent;
        fr.disposal = sp.disposal;
        fr.delay = 5;
        fr.interlaced = sp.interlaced;
        fr.uncompressed = sp.uncompressed;
        f.frames.push_back(fr);
    }
    return f;
}

class GifAgainstConvert : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    }
};

TEST_F(GifAgainstConvert, FramesAndComposedScreensMatch) {
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        SCOPED_TRACE(seed);
        const std::vector<uint8_t> bytes = Build(Scene(seed));
        const std::string path = OutputPath("reference_" + std::to_string(seed) + ".gif");
        WriteFile(path, bytes);

        std::vector<GifFrame> frames(8);
        int n = 0;
        GifInfo info;
        ASSERT_EQ(Gif_DecodeFrames(bytes.data(), bytes.size(), frames.data(), 8, &n, &info), GifStatus::kOk);
        ASSERT_EQ(n, 6);
        frames.resize(size_t(n));

        // Each frame on its own: colours where opaque, the transparent index
        // where convert says alpha 0.
        const std::vector<uint8_t> raw = Convert(path, "");
        size_t at = 0;
        for (int i = 0; i < n; ++i) {
            const Picture &p = *frames[size_t(i)].picture;
            for (int y = 0; y < Height(p); ++y)
                for (int x = 0; x < Width(p); ++x, at += 4) {
                    ASSERT_LE(at + 4, raw.size());
                    const uint32_t index = IndexAt(p, x, y);
                    if (raw[at + 3] == 0) {
                        ASSERT_EQ(index, frames[size_t(i)].transparentIndex) << i << " " << x << "," << y;
                        continue;
                    }
                    const DibRgbQuad q = PaletteOf(p)[index];
                    ASSERT_EQ(q.red, raw[at]) << i << " " << x << "," << y;
                    ASSERT_EQ(q.green, raw[at + 1]);
                    ASSERT_EQ(q.blue, raw[at + 2]);
                }
        }
        EXPECT_EQ(at, raw.size());

        // The screens after disposal, as convert composes them.
        const std::vector<uint8_t> coalesced = Convert(path, "-coalesce");
        const auto screens = Compose(info, frames);
        const size_t screenBytes = size_t(info.width) * info.height * 4;
        ASSERT_EQ(coalesced.size(), screenBytes * screens.size());
        for (size_t i = 0; i < screens.size(); ++i)
            for (size_t px = 0; px < screens[i].size(); ++px) {
                const uint8_t *c = &coalesced[i * screenBytes + px * 4];
                const Rgba ours = screens[i][px];
                ASSERT_EQ(ours.a, c[3]) << "screen " << i << " pixel " << px;
                if (ours.a) {
                    ASSERT_EQ(ours.r, c[0]) << "screen " << i << " pixel " << px;
                    ASSERT_EQ(ours.g, c[1]);
                    ASSERT_EQ(ours.b, c[2]);
                }
            }
        for (GifFrame &f : frames) FreePicture(f.picture);
    }
}

TEST_F(GifAgainstConvert, PhotoQuantisedByConvertDecodesTheSame) {
    // A real photograph reduced by convert itself, interlaced and not.
    const char *photo = "/usr/share/wallpapers/FallenLeaf/contents/images/1920x1080.jpg";
    if (std::system((std::string("test -r ") + photo).c_str()) != 0) GTEST_SKIP() << "no wallpaper";
    for (const char *interlace : {"-interlace none", "-interlace GIF"}) {
        SCOPED_TRACE(interlace);
        const std::string path = OutputPath(std::string("photo_") + (interlace[11] == 'G' ? "i" : "n") + ".gif");
        const std::string cmd = std::string("convert ") + photo + " -resize 160x120 -colors 200 " + interlace + " '" +
                                path + "' 2>/dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        const std::vector<uint8_t> bytes = ReadFile(path);
        Picture *p = nullptr;
        ASSERT_EQ(Gif_DecodeStill(bytes.data(), bytes.size(), &p, nullptr), GifStatus::kOk);
        PictureOwner own(p);
        const std::vector<uint8_t> raw = Convert(path, "");
        ASSERT_EQ(raw.size(), size_t(Width(*p)) * Height(*p) * 4);
        for (int y = 0; y < Height(*p); ++y)
            for (int x = 0; x < Width(*p); ++x) {
                const uint8_t *c = &raw[(size_t(y) * Width(*p) + x) * 4];
                const DibRgbQuad q = PaletteOf(*p)[IndexAt(*p, x, y)];
                ASSERT_EQ(q.red, c[0]) << x << "," << y;
                ASSERT_EQ(q.green, c[1]) << x << "," << y;
                ASSERT_EQ(q.blue, c[2]) << x << "," << y;
            }
    }
}

TEST_F(GifAgainstConvert, ConvertReadsWhatWeWriteInEveryMode) {
    // Uncompressed and interlaced output must be plain GIF to another reader.
    const uint32_t modes[] = {0, kGifSaveInterlace, kGifSaveUncompressed, kGifSaveInterlace | kGifSaveUncompressed};
    for (int bpp : {1, 4, 8})
        for (uint32_t mode : modes) {
            SCOPED_TRACE(testing::Message() << "bpp " << bpp << " mode " << mode);
            const uint32_t colours = 1u << bpp;
            const std::vector<uint8_t> table = Table(colours, uint32_t(bpp));
            std::vector<DibRgbQuad> palette(colours);
            for (uint32_t i = 0; i < colours; ++i)
                palette[i] = DibRgbQuad{table[i * 3 + 2], table[i * 3 + 1], table[i * 3], 0};
            const int w = 33, h = 21;
            PictureOwner p(NewSimplePicture(w, h, bpp, colours, palette.data()));
            const std::vector<uint8_t> px = Noise(size_t(w) * h, colours, mode + uint32_t(bpp));
            for (int y = 0; y < h; ++y) {
                uint8_t *row = RowFromTop(*p.get(), y);
                for (int x = 0; x < w; ++x) {
                    const uint8_t v = px[size_t(y) * w + x];
                    if (bpp == 8) row[x] = v;
                    else if (bpp == 4) row[x >> 1] |= (x & 1) ? v : uint8_t(v << 4);
                    else row[x >> 3] |= uint8_t(v << (7 - (x & 7)));
                }
            }
            GifSaveOptions options{};
            options.flags = mode;
            ByteBuffer out;
            ASSERT_EQ(Gif_Encode(*p.get(), options, &out), GifStatus::kOk);
            const std::string path = OutputPath("written_" + std::to_string(bpp) + "_" + std::to_string(mode) + ".gif");
            WriteFile(path, std::vector<uint8_t>(out.data(), out.data() + out.size()));
            const std::vector<uint8_t> raw = Convert(path, "");
            ASSERT_EQ(raw.size(), size_t(w) * h * 4);
            for (size_t i = 0; i < px.size(); ++i) {
                ASSERT_EQ(raw[i * 4], table[px[i] * 3]) << i;
                ASSERT_EQ(raw[i * 4 + 1], table[px[i] * 3 + 1]) << i;
                ASSERT_EQ(raw[i * 4 + 2], table[px[i] * 3 + 2]) << i;
            }
        }
}

}  // namespace
