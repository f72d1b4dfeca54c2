// RLE and BMP: round trips at every depth, row order and odd width, header
// variants, hostile data, and agreement with an independent decoder.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bmp_codec.h"
#include "dib_fixtures.h"
#include "rle.h"
#include "storage.h"
#include "transform.h"

using namespace dibcore;
using namespace dibfix;

namespace {

std::vector<uint8_t> Encode(const Picture &p) {
    ByteBuffer b;
    EXPECT_TRUE(BmpEncode(p, &b));
    return std::vector<uint8_t>(b.data(), b.data() + b.size());
}

Picture *Decode(const std::vector<uint8_t> &file) {
    Picture *p = nullptr;
    EXPECT_EQ(BmpDecode(file.data(), file.size(), &p), 0);
    return p;
}

// Pixels as seen: RLE pictures expanded first.
std::vector<uint32_t> Seen(const Picture &p) {
    Owner flat;
    const Picture *q = Uncompressed(p, reinterpret_cast<PictureOwner *>(&flat));
    return RawPixels(*q);
}

TEST(DibRle, RoundTripsAt4And8BitsAndOddWidths) {
    for (int bpp : {4, 8}) {
        for (int32_t w : {1, 2, 3, 33, 300}) {
            for (bool runs : {false, true}) {
                const Kind k{bpp, 0, nullptr, "pal"};
                Owner src(MakePicture(k, w, -6, 5u * w + bpp, runs));
                Owner rle(RleCompress(*src.p));
                ASSERT_NE(rle.p, nullptr);
                EXPECT_EQ(rle.p->data.header->biCompression, bpp == 8 ? kDibRle8 : kDibRle4);
                EXPECT_GT(rle.p->data.header->biHeight, 0);
                EXPECT_EQ(rle.p->data.header->biSizeImage, rle.p->data.bitsSize);
                // Runs average seven pixels: RLE8 should more than halve them,
                // RLE4 (already two pixels a byte) at least shrink them.
                if (runs && w >= 33)
                    EXPECT_LT(rle.p->data.bitsSize, src.p->data.bitsSize / (bpp == 8 ? 2 : 1)) << bpp << " " << w;
                size_t used = 0;
                std::vector<uint8_t> scratch(src.p->data.bitsSize, 0);
                EXPECT_TRUE(RleDecode(rle.p->data.bits, rle.p->data.bitsSize, bpp, w, 6, RowStride(w, bpp),
                                      scratch.data(), &used));
                EXPECT_EQ(used, rle.p->data.bitsSize);
                Owner back(RleExpand(*rle.p));
                ASSERT_NE(back.p, nullptr);
                EXPECT_EQ(RawPixels(*back.p), RawPixels(*src.p)) << bpp << " w=" << w;
                EXPECT_EQ(TableBytesOf(*back.p), TableBytesOf(*src.p));
            }
        }
    }
    const Kind k24{24, 0, nullptr, "24"};
    Owner rgb(MakePicture(k24, 4, 4, 1));
    EXPECT_EQ(RleCompress(*rgb.p), nullptr);
}

TEST(DibRle, HostileStreamsStayInBounds) {
    struct Case {
        const char *what;
        int bpp;
        std::vector<uint8_t> stream;
        bool clean;
        std::vector<uint8_t> firstRow;  // 4 pixels of memory row 0 (8 bits) or 2 bytes (4 bits)
    } cases[] = {
        {"plain run then end", 8, {4, 7, 0, 1}, true, {7, 7, 7, 7}},
        {"run longer than the row", 8, {200, 9, 0, 1}, false, {9, 9, 9, 9}},
        {"absolute odd count with pad", 8, {0, 3, 1, 2, 3, 0, 0, 1}, true, {1, 2, 3, 0}},
        {"absolute cut off", 8, {0, 200, 5, 6}, false, {5, 6, 0, 0}},
        {"absolute past the row", 8, {0, 6, 1, 2, 3, 4, 5, 6, 0, 1}, false, {1, 2, 3, 4}},
        {"no end of bitmap", 8, {2, 1}, false, {1, 1, 0, 0}},
        {"empty", 8, {}, false, {0, 0, 0, 0}},
        {"lone byte", 8, {5}, false, {0, 0, 0, 0}},
        {"delta cut off", 8, {0, 2, 1}, false, {0, 0, 0, 0}},
        {"delta far above", 8, {0, 2, 1, 250, 3, 3, 0, 1}, false, {0, 0, 0, 0}},
        {"delta right then run", 8, {0, 2, 2, 0, 2, 8, 0, 1}, true, {0, 0, 8, 8}},
        {"rows beyond the last", 8, {0, 0, 0, 0, 0, 0, 0, 0, 4, 1, 0, 1}, false, {0, 0, 0, 0}},
        {"rle4 alternating run", 4, {4, 0x12, 0, 1}, true, {0x12, 0x12}},
        {"rle4 odd run", 4, {3, 0x34, 0, 1}, true, {0x34, 0x30}},
        {"rle4 absolute odd", 4, {0, 3, 0x56, 0x70, 0, 1}, true, {0x56, 0x70}},
        {"rle4 absolute cut", 4, {0, 9, 0xAB}, false, {0xAB, 0x00}},
        {"rle4 run past row", 4, {9, 0xCD, 0, 1}, false, {0xCD, 0xCD}},
    };
    for (const Case &c : cases) {
        const int32_t w = 4, h = 2;
        const uint64_t stride = RowStride(w, c.bpp);
        // Exact-size buffers so ASan sees any stray access.
        std::vector<uint8_t> bits(stride * h, 0);
        std::vector<uint8_t> stream(c.stream);
        uint8_t *data = stream.empty() ? nullptr : stream.data();
        EXPECT_EQ(RleDecode(data, stream.size(), c.bpp, w, h, stride, bits.data(), nullptr), c.clean) << c.what;
        for (size_t i = 0; i < c.firstRow.size(); ++i) EXPECT_EQ(bits[i], c.firstRow[i]) << c.what << " byte " << i;
    }
}

TEST(DibBmp, RoundTripsEveryDepthOrientationWidthAndRle) {
    for (const Kind &k : AllKinds()) {
        for (int32_t w : {1, 3, 33}) {
            for (int32_t h : {5, -5}) {
                for (bool rle : {false, true}) {
                    if (rle && k.bpp != 4 && k.bpp != 8) continue;
                    Owner src(MakePicture(k, w, h, 3u * w + k.bpp, rle));
                    Owner held(rle ? RleCompress(*src.p) : ClonePicture(*src.p));
                    ASSERT_NE(held.p, nullptr);
                    const std::vector<uint8_t> file = Encode(*held.p);
                    Owner back(Decode(file));
                    ASSERT_NE(back.p, nullptr) << k.name;
                    EXPECT_EQ(back.p->data.headerSize, held.p->data.headerSize) << k.name;
                    EXPECT_EQ(TableBytesOf(*back.p), TableBytesOf(*held.p)) << k.name << " palette";
                    EXPECT_EQ(back.p->data.header->biCompression, held.p->data.header->biCompression);
                    EXPECT_EQ(back.p->data.header->biHeight, held.p->data.header->biHeight);
                    EXPECT_EQ(Seen(*back.p), RawPixels(*src.p)) << k.name << " w=" << w << " h=" << h;
                    EXPECT_EQ(Encode(*back.p), file) << k.name << " written again";
                }
            }
        }
    }
}

// A BMP file from parts: file header with a given bits offset, header bytes,
// table or masks, bits.
std::vector<uint8_t> File(const std::vector<uint8_t> &header, const std::vector<uint8_t> &table,
                          const std::vector<uint8_t> &bits, int64_t offBits = -1) {
    std::vector<uint8_t> f = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const uint32_t off = offBits < 0 ? uint32_t(14 + header.size() + table.size()) : uint32_t(offBits);
    std::memcpy(f.data() + 10, &off, 4);
    f.insert(f.end(), header.begin(), header.end());
    f.insert(f.end(), table.begin(), table.end());
    f.insert(f.end(), bits.begin(), bits.end());
    const uint32_t size = uint32_t(f.size());
    std::memcpy(f.data() + 2, &size, 4);
    return f;
}

std::vector<uint8_t> InfoHeader(uint32_t size, int32_t w, int32_t h, uint16_t bpp, uint32_t comp, uint32_t clrUsed,
                                const std::vector<uint32_t> &masks = {}) {
    std::vector<uint8_t> v(size, 0);
    DibInfoHeader hd{};
    hd.biSize = size;
    hd.biWidth = w;
    hd.biHeight = h;
    hd.biPlanes = 1;
    hd.biBitCount = bpp;
    hd.biCompression = comp;
    hd.biClrUsed = clrUsed;
    std::memcpy(v.data(), &hd, size < 40 ? size : 40);
    for (size_t i = 0; i < masks.size() && 40 + 4 * i + 4 <= size; ++i) std::memcpy(v.data() + 40 + 4 * i, &masks[i], 4);
    return v;
}

TEST(DibBmp, ReadsEveryHeaderVariant) {
    const std::vector<uint8_t> pal2 = {10, 20, 30, 0, 40, 50, 60, 0};
    const std::vector<uint8_t> bits1 = {0x40, 0, 0, 0, 0x80, 0, 0, 0};  // 2x2: rows bottom-up
    struct Case {
        const char *what;
        std::vector<uint8_t> file;
        uint32_t wantHeader;
        std::vector<uint32_t> wantPixels;
    };
    std::vector<uint8_t> core = {12, 0, 0, 0, 2, 0, 2, 0, 1, 0, 1, 0};
    std::vector<uint8_t> os2 = InfoHeader(64, 2, 2, 1, 0, 0);
    const std::vector<uint32_t> m565 = {0xF800, 0x07E0, 0x001F, 0x0000};
    const std::vector<uint8_t> px16 = {0x1F, 0x00, 0xE0, 0x07, 0x00, 0xF8, 0xFF, 0xFF};  // 4x1
    std::vector<uint8_t> masksAfter;
    for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) for (int i = 0; i < 4; ++i) masksAfter.push_back(uint8_t(m >> (8 * i)));
    std::vector<uint8_t> alphaMasks = masksAfter;
    for (int i = 0; i < 4; ++i) alphaMasks.push_back(0);
    Case cases[] = {
        {"core", File(core, {10, 20, 30, 40, 50, 60}, bits1), 40, {1, 0, 0, 1}},
        {"os2 64", File(os2, pal2, bits1), 40, {1, 0, 0, 1}},
        {"info 40", File(InfoHeader(40, 2, 2, 1, 0, 2), pal2, bits1), 40, {1, 0, 0, 1}},
        {"top-down", File(InfoHeader(40, 2, -2, 1, 0, 2), pal2, bits1), 40, {0, 1, 1, 0}},
        {"40 bit fields", File(InfoHeader(40, 4, 1, 16, 3, 0), masksAfter, px16), 40, {0x1F, 0x7E0, 0xF800, 0xFFFF}},
        {"40 alpha bit fields", File(InfoHeader(40, 4, 1, 16, 6, 0), alphaMasks, px16), 56, {0x1F, 0x7E0, 0xF800, 0xFFFF}},
        {"52", File(InfoHeader(52, 4, 1, 16, 3, 0, m565), {}, px16), 52, {0x1F, 0x7E0, 0xF800, 0xFFFF}},
        {"56", File(InfoHeader(56, 4, 1, 16, 3, 0, m565), {}, px16), 56, {0x1F, 0x7E0, 0xF800, 0xFFFF}},
        {"108", File(InfoHeader(108, 4, 1, 16, 3, 0, m565), {}, px16), 108, {0x1F, 0x7E0, 0xF800, 0xFFFF}},
        {"124", File(InfoHeader(124, 2, 2, 1, 0, 0), pal2, bits1), 124, {1, 0, 0, 1}},
    };
    for (const Case &c : cases) {
        Owner p(Decode(c.file));
        ASSERT_NE(p.p, nullptr) << c.what;
        EXPECT_EQ(p.p->data.header->biSize, c.wantHeader) << c.what;
        EXPECT_EQ(RawPixels(*p.p), c.wantPixels) << c.what;
        if (c.wantPixels.size() == 4 && c.wantPixels[3] != 0xFFFF) {
            const std::vector<uint8_t> want = {10, 20, 30, 0, 40, 50, 60, 0};
            EXPECT_EQ(TableBytesOf(*p.p), want) << c.what;
        } else {
            Owner rgb(DibTo24(*p.p));
            EXPECT_EQ(RawPixels(*rgb.p), (std::vector<uint32_t>{0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF})) << c.what;
        }
    }
}

std::vector<uint8_t> Cut(std::vector<uint8_t> v, size_t n) {
    v.resize(n);
    return v;
}

TEST(DibBmp, HostileFilesDecodeWhatIsThereOrAreRefused) {
    const std::vector<uint8_t> pal2 = {10, 20, 30, 0, 40, 50, 60, 0};
    std::vector<uint8_t> bits8(4 * 4);
    for (size_t i = 0; i < bits8.size(); ++i) bits8[i] = uint8_t(i % 3);
    struct Case {
        const char *what;
        std::vector<uint8_t> file;
        int status;
    } cases[] = {
        {"not a bmp", {'P', 'K', 3, 4}, -1},
        {"magic only", {'B', 'M'}, 1},
        {"header cut", Cut(File(InfoHeader(40, 2, 2, 8, 0, 0), {}, {}), 30), 1},
        {"width 65536", File(InfoHeader(40, 65536, 1, 24, 0, 0), {}, {}), 1},
        {"height -65536", File(InfoHeader(40, 1, -65536, 24, 0, 0), {}, {}), 1},
        {"over 1 GiB", File(InfoHeader(40, 65535, 8200, 24, 0, 0), {}, {}), 1},
        {"depth 7", File(InfoHeader(40, 2, 2, 7, 0, 0), {}, {}), 1},
        {"unknown header 44", File(InfoHeader(44, 2, 2, 24, 0, 0), {}, std::vector<uint8_t>(16)), 1},
        {"lying offset past end", File(InfoHeader(40, 4, 4, 8, 0, 2), pal2, bits8, 100000), 0},
        {"offset past the end inside a claimed table", Cut(File(InfoHeader(40, 4, 4, 8, 0, 0), pal2, {}, 600), 62), 0},
        {"lying offset into header", File(InfoHeader(40, 4, 4, 8, 0, 2), pal2, bits8, 3), 0},
        {"bits cut off", File(InfoHeader(40, 4, 4, 8, 0, 2), pal2, {1, 2, 3}), 0},
        {"table claims 256, file has 2", File(InfoHeader(40, 4, 4, 8, 0, 0), pal2, {}), 0},
        {"no bits for RLE", File(InfoHeader(40, 4, 4, 8, 1, 2), pal2, {}), 0},
    };
    for (const Case &c : cases) {
        Picture *p = nullptr;
        EXPECT_EQ(BmpDecode(c.file.data(), c.file.size(), &p), c.status) << c.what;
        if (p != nullptr) {
            Owner o(p);
            // Whatever came out must convert without reading outside itself.
            Owner rgb(DibTo24(*p));
            EXPECT_NE(rgb.p, nullptr) << c.what;
        }
    }
    // Indexes past a short table read as black and never outside it.
    Owner p(Decode(File(InfoHeader(40, 4, 4, 8, 0, 2), pal2, bits8)));
    ASSERT_NE(p.p, nullptr);
    EXPECT_EQ(p.p->data.headerSize, 48u);
    Owner rgb(DibTo24(*p.p));
    EXPECT_EQ(RawPixel(*rgb.p, 1, 3), 0x3C3228u);  // index 1
    EXPECT_EQ(RawPixel(*rgb.p, 0, 3), 0x1E140Au);  // index 0
    EXPECT_EQ(RawPixel(*rgb.p, 2, 3), 0u);         // index 2: past the table
    // A lying offset that points at the header reads the bits after the table.
    Owner lie(Decode(File(InfoHeader(40, 4, 4, 8, 0, 2), pal2, bits8, 3)));
    EXPECT_EQ(RawPixels(*lie.p), RawPixels(*p.p));
    // Damaged RLE becomes the uncompressed picture it decodes to.
    Owner broken(Decode(File(InfoHeader(40, 4, 2, 8, 1, 2), pal2, {4, 1, 0, 0, 9, 1})));
    ASSERT_NE(broken.p, nullptr);
    EXPECT_EQ(broken.p->data.header->biCompression, kDibRgb);
    EXPECT_EQ(RawPixels(*broken.p), (std::vector<uint32_t>{1, 1, 1, 1, 1, 1, 1, 1}));
}

// ImageMagick, when installed, decodes the same files to RGB; every pixel
// must agree.
std::string RunConvert(const std::string &path) {
    const std::string cmd = "convert '" + path + "' -depth 8 rgb:- 2>/dev/null";
    std::string out;
    FILE *f = popen(cmd.c_str(), "r");
    if (f == nullptr) return out;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    pclose(f);
    return out;
}

// The colour of a raw pixel worked out from the header alone; mask fields
// widen by repeating their bits and wider ones go through a 16-bit value, as
// the independent decoder does.
uint32_t ReferenceColour(const Picture &p, uint32_t v) {
    const DibInfoHeader &h = *p.data.header;
    const uint8_t *after = reinterpret_cast<const uint8_t *>(p.data.header) + h.biSize;
    if (h.biBitCount <= 8) {
        const uint32_t n = (p.data.headerSize - h.biSize) / 4;
        if (v >= n) return 0;
        return after[4 * v] | (after[4 * v + 1] << 8) | (uint32_t(after[4 * v + 2]) << 16);
    }
    if (h.biBitCount == 24) return v;
    uint32_t m[3] = {0xFF0000, 0xFF00, 0xFF};
    if (h.biBitCount == 16) m[0] = 0x7C00, m[1] = 0x3E0, m[2] = 0x1F;
    if (h.biCompression == kDibBitFields) std::memcpy(m, h.biSize >= 52 ? reinterpret_cast<const uint8_t *>(&h) + 40 : after, 12);
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        int shift = 0, width = 0;
        while (!((m[c] >> shift) & 1)) ++shift;
        while ((m[c] >> (shift + width)) & 1) ++width;
        const uint32_t f = (v >> shift) & ((1u << width) - 1);
        uint32_t e = width == 8 ? f : width > 8 ? (width <= 16 ? (f << (16 - width)) / 257 : f >> (width - 8)) : 0;
        for (int at = 8 - width; width < 8 && at > -width; at -= width) e |= at >= 0 ? f << at : f >> -at;
        out |= (e & 0xFF) << (16 - 8 * c);
    }
    return out;
}

TEST(DibBmp, AgreesWithImageMagickPixelForPixel) {
    if (std::system("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick convert not installed";
    struct Case {
        Kind kind;
        int32_t width, height;
        bool rle;
    };
    std::vector<Case> cases;
    for (const Kind &k : AllKinds()) {
        cases.push_back({k, 33, 7, false});
        cases.push_back({k, 3, -5, false});
        if (k.bpp == 4 || k.bpp == 8) cases.push_back({k, 33, 7, true});
    }
    for (const Case &c : cases) {
        Owner src(MakePicture(c.kind, c.width, c.height, 99u + c.width, c.rle));
        Owner held(c.rle ? RleCompress(*src.p) : ClonePicture(*src.p));
        const std::string path = std::string(QV_TEST_OUTPUT) + "/im_" + c.kind.name + (c.rle ? "_rle" : "") +
                                 (c.height < 0 ? "_td" : "") + ".bmp";
        const std::vector<uint8_t> file = Encode(*held.p);
        FILE *f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
        const std::string im = RunConvert(path);
        Owner ours(Decode(file));
        Owner flat(RleExpand(*ours.p));
        const Picture &px = flat.p ? *flat.p : *ours.p;
        Owner rgb(DibTo24(*ours.p));
        const int32_t h = Height(px);
        ASSERT_EQ(im.size(), size_t(c.width) * h * 3) << path;
        int bad = 0;
        for (int32_t y = 0; y < h && bad < 5; ++y)
            for (int32_t x = 0; x < c.width && bad < 5; ++x) {
                const uint32_t v = ReferenceColour(px, RawPixel(px, x, y));
                // Our own widening rounds where bit repetition truncates: at
                // most one step apart.
                const uint32_t mine = RawPixel(*rgb.p, x, y);
                for (int s = 0; s < 24; s += 8)
                    EXPECT_LE(std::abs(int((mine >> s) & 0xFF) - int((v >> s) & 0xFF)), 1) << path;
                const uint8_t *m = reinterpret_cast<const uint8_t *>(im.data()) + (size_t(y) * c.width + x) * 3;
                const uint32_t want = m[2] | (m[1] << 8) | (uint32_t(m[0]) << 16);
                if (v != want) {
                    ++bad;
                    ADD_FAILURE() << path << " at " << x << "," << y << std::hex << " ours " << v << " convert " << want;
                }
            }
    }
}

}  // namespace
