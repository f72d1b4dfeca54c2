// Picture storage: packed headers of every kind in, rectangles and mirrors
// out, quarter turns at every depth.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "dib_fixtures.h"
#include "dib_header.h"
#include "storage.h"
#include "transform.h"

using namespace dibcore;
using namespace dibfix;

namespace {

std::vector<uint8_t> Header40(int32_t w, int32_t h, uint16_t bpp, uint32_t comp = 0, uint32_t clrUsed = 0,
                              uint32_t sizeImage = 0) {
    DibInfoHeader hd{};
    hd.biSize = 40;
    hd.biWidth = w;
    hd.biHeight = h;
    hd.biPlanes = 1;
    hd.biBitCount = bpp;
    hd.biCompression = comp;
    hd.biSizeImage = sizeImage;
    hd.biClrUsed = clrUsed;
    std::vector<uint8_t> v(sizeof hd);
    std::memcpy(v.data(), &hd, sizeof hd);
    return v;
}

void Put32(std::vector<uint8_t> &v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}

TEST(DibCreate, AcceptsEveryHeaderKind) {
    // Core header: 3-byte table entries become quads, header becomes 40 bytes.
    {
        std::vector<uint8_t> core = {12, 0, 0, 0, 3, 0, 2, 0, 1, 0, 1, 0};
        const uint8_t table[6] = {1, 2, 3, 4, 5, 6};
        core.insert(core.end(), table, table + 6);
        const uint8_t bits[8] = {0xA0, 0, 0, 0, 0x40, 0, 0, 0};
        Owner o(PictureFromPacked(core.data(), bits));
        ASSERT_NE(o.p, nullptr);
        EXPECT_EQ(o.p->data.header->biSize, 40u);
        EXPECT_EQ(o.p->data.headerSize, 48u);
        const std::vector<uint8_t> want = {1, 2, 3, 0, 4, 5, 6, 0};
        EXPECT_EQ(TableBytesOf(*o.p), want);
        EXPECT_EQ(RawPixels(*o.p), (std::vector<uint32_t>{0, 1, 0, 1, 0, 1}));
    }
    // Info header with bit fields after it; longer headers with masks inside.
    struct Case {
        uint32_t size, comp;
        uint16_t bpp;
        uint32_t wantHeaderSize, wantRed;
    } cases[] = {
        {40, 3, 16, 52, 0xF800}, {52, 3, 16, 52, 0xF800}, {56, 3, 32, 56, 0xF800},
        {108, 3, 16, 108, 0xF800}, {124, 0, 24, 124, 0}, {40, 6, 16, 56, 0xF800},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> h = Header40(5, -2, c.bpp, c.comp);
        h.resize(c.size, 0);
        std::memcpy(h.data(), &c.size, 4);
        if (c.size == 40 && c.comp != 0) {
            Put32(h, 0xF800);
            Put32(h, 0x07E0);
            Put32(h, 0x001F);
            if (c.comp == 6) Put32(h, 0);
        } else if (c.size >= 52) {
            const uint32_t m[3] = {0xF800, 0x07E0, 0x001F};
            std::memcpy(h.data() + 40, m, 12);
        }
        Owner o(PictureFromPacked(h.data(), nullptr));
        ASSERT_NE(o.p, nullptr) << c.size << " " << c.comp;
        EXPECT_EQ(o.p->data.headerSize, c.wantHeaderSize) << c.size;
        EXPECT_EQ(o.p->data.header->biHeight, -2);
        if (c.wantRed) {
            uint32_t red;
            std::memcpy(&red, reinterpret_cast<uint8_t *>(o.p->data.header) + 40, 4);
            EXPECT_EQ(red, c.wantRed) << c.size;
            EXPECT_EQ(o.p->data.header->biCompression, 3u);
        }
    }
    // RLE takes its size from biSizeImage.
    {
        std::vector<uint8_t> h = Header40(4, 1, 8, kDibRle8, 2, 4);
        Put32(h, 0x00112233);
        Put32(h, 0x00445566);
        const uint8_t stream[4] = {4, 1, 0, 1};
        Owner o(PictureFromPacked(h.data(), stream));
        ASSERT_NE(o.p, nullptr);
        EXPECT_EQ(o.p->data.bitsSize, 4u);
        EXPECT_EQ(std::memcmp(o.p->data.bits, stream, 4), 0);
    }
}

TEST(DibCreate, RefusesNonsense) {
    struct Case {
        const char *what;
        std::vector<uint8_t> header;
    } cases[] = {
        {"zero width", Header40(0, 4, 8)},
        {"negative width", Header40(-3, 4, 8)},
        {"zero height", Header40(4, 0, 8)},
        {"width beyond 65535", Header40(65536, 1, 8)},
        {"height beyond 65535", Header40(1, -65536, 8)},
        {"2 bits", Header40(4, 4, 2)},
        {"64 bits", Header40(4, 4, 64)},
        {"RLE8 on 24 bits", Header40(4, 4, 24, kDibRle8, 0, 10)},
        {"RLE4 on 8 bits", Header40(4, 4, 8, kDibRle4, 0, 10)},
        {"bit fields on 8 bits", Header40(4, 4, 8, kDibBitFields)},
        {"JPEG compression", Header40(4, 4, 24, 4)},
        {"RLE without a size", Header40(4, 4, 8, kDibRle8, 0, 0)},
        {"top-down RLE", Header40(4, -4, 8, kDibRle8, 0, 8)},
        {"colour count beyond 65536", Header40(4, 4, 8, 0, 70000)},
        {"over 1 GiB of bits", Header40(65535, 65535, 32)},
        {"just over 1 GiB", Header40(16384, 16385, 32)},
    };
    for (auto &c : cases) {
        c.header.resize(40 + 1024, 0);
        EXPECT_EQ(PictureFromPacked(c.header.data(), nullptr), nullptr) << c.what;
    }
    std::vector<uint8_t> odd = Header40(4, 4, 8);
    odd[0] = 44;  // unknown header size
    odd.resize(2048, 0);
    EXPECT_EQ(PictureFromPacked(odd.data(), nullptr), nullptr);
    EXPECT_EQ(PictureFromPacked(nullptr, nullptr), nullptr);
}

TEST(DibCut, NegativeWidthMirrorsNegativeHeightFlipsAtEveryDepth) {
    for (const Kind &k : AllKinds()) {
        for (int32_t w : {1, 3, 33}) {
            for (int32_t sign : {1, -1}) {
                Owner src(MakePicture(k, w, sign * 5, 7u + w));
                ASSERT_NE(src.p, nullptr);
                for (int mode = 0; mode < 4; ++mode) {
                    const bool mx = mode & 1, my = mode & 2;
                    Owner cut(CutPicture(*src.p, 0, 0, mx ? -w : w, my ? -5 : 5));
                    ASSERT_NE(cut.p, nullptr) << k.name;
                    ASSERT_EQ(Width(*cut.p), w);
                    EXPECT_EQ(TableBytesOf(*cut.p), TableBytesOf(*src.p)) << k.name;
                    EXPECT_EQ(cut.p->data.header->biHeight, src.p->data.header->biHeight);
                    for (int y = 0; y < 5; ++y)
                        for (int x = 0; x < w; ++x)
                            ASSERT_EQ(RawPixel(*cut.p, x, y), RawPixel(*src.p, mx ? w - 1 - x : x, my ? 4 - y : y))
                                << k.name << " w=" << w << " mode=" << mode << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(DibCut, ClipsToThePictureAndKeepsOddOffsets) {
    for (const Kind &k : AllKinds()) {
        Owner src(MakePicture(k, 33, 9, 3));
        struct Case {
            int32_t x, y, w, h;
            int32_t wantX, wantY, wantW, wantH;  // wantW 0: refused
        } cases[] = {
            {3, 2, 7, 4, 3, 2, 7, 4},     {-5, -5, 10, 10, 0, 0, 5, 5}, {30, 7, 10, 10, 30, 7, 3, 2},
            {33, 0, 4, 4, 0, 0, 0, 0},    {0, 9, 4, 4, 0, 0, 0, 0},     {-10, 0, 10, 3, 0, 0, 0, 0},
            {5, 1, -3, 2, 5, 1, 3, 2},    {0, 0, 0, 3, 0, 0, 0, 0},
        };
        for (const Case &c : cases) {
            Owner cut(CutPicture(*src.p, c.x, c.y, c.w, c.h));
            if (c.wantW == 0) {
                EXPECT_EQ(cut.p, nullptr) << k.name << " " << c.x << "," << c.y;
                continue;
            }
            ASSERT_NE(cut.p, nullptr) << k.name;
            ASSERT_EQ(Width(*cut.p), c.wantW);
            ASSERT_EQ(Height(*cut.p), c.wantH);
            const bool mx = c.w < 0;
            for (int y = 0; y < c.wantH; ++y)
                for (int x = 0; x < c.wantW; ++x)
                    ASSERT_EQ(RawPixel(*cut.p, x, y), RawPixel(*src.p, c.wantX + (mx ? c.wantW - 1 - x : x), c.wantY + y))
                        << k.name;
        }
    }
}

TEST(DibTurn, QuarterTurnsMatchTheModelAndFourRestore) {
    for (const Kind &k : AllKinds()) {
        for (int32_t w : {1, 3, 33}) {
            for (int32_t h : {-7, 5}) {
                Owner src(MakePicture(k, w, h, 11u * w));
                const int32_t H = Height(*src.p);
                Owner q(TurnPicture(*src.p, 90));
                ASSERT_NE(q.p, nullptr);
                ASSERT_EQ(Width(*q.p), H);
                ASSERT_EQ(Height(*q.p), w);
                EXPECT_EQ(TableBytesOf(*q.p), TableBytesOf(*src.p)) << k.name;
                EXPECT_EQ(q.p->data.header->biHeight < 0, h < 0);
                for (int y = 0; y < w; ++y)
                    for (int x = 0; x < H; ++x)
                        ASSERT_EQ(RawPixel(*q.p, x, y), RawPixel(*src.p, y, H - 1 - x)) << k.name << " w=" << w;
                Owner ccw(TurnPicture(*src.p, -90));
                Owner ccw2(TurnPicture(*src.p, 270));
                ASSERT_NE(ccw.p, nullptr);
                EXPECT_EQ(RawPixels(*ccw.p), RawPixels(*ccw2.p));
                for (int y = 0; y < w; ++y)
                    for (int x = 0; x < H; ++x)
                        ASSERT_EQ(RawPixel(*ccw.p, x, y), RawPixel(*src.p, w - 1 - y, x)) << k.name;
                Owner half(TurnPicture(*src.p, 180));
                Owner twice(TurnPicture(*q.p, 450));
                EXPECT_EQ(RawPixels(*half.p), RawPixels(*twice.p)) << k.name;
                Owner t2(TurnPicture(*twice.p, 90)), t3(TurnPicture(*t2.p, 90));
                EXPECT_EQ(RawPixels(*t3.p), RawPixels(*src.p)) << k.name << " four turns w=" << w;
                EXPECT_EQ(std::memcmp(t3.p->data.header, src.p->data.header, src.p->data.headerSize), 0);
            }
        }
    }
    Owner p(MakePicture(AllKinds()[0], 3, 3, 1));
    EXPECT_EQ(TurnPicture(*p.p, 45), nullptr);
}

}  // namespace
