// EXIF orientation, file sniffing, the bitmap core's sizes and copies, the
// BMP alpha mask and transparency composition, on hand-made fixtures.
#include <gtest/gtest.h>

#include <cstring>

#include "common/fake_dibcore.h"
#include "common/fixtures.h"
#include "image/qv_BmpAlpha.h"
#include "image/qv_DibHolder.h"
#include "image/qv_DibOps.h"
#include "image/qv_Exif.h"
#include "image/qv_Sniff.h"
#include "image/qv_Transp.h"

namespace {

int Orientation(const std::vector<uint8_t> &file) {
    MemoryReader m;
    return Exif_ReadOrientation(ByteSource_FromMemory(&m, file.data(), uint32_t(file.size())));
}

TEST(Exif, OrientationInBothByteOrdersAndBrokenBlocks) {
    for (bool be : {false, true})
        for (uint16_t o = 0; o <= 9; ++o) EXPECT_EQ(Orientation(fixtures::ExifJpeg(be, o)), o <= 8 ? o : 0);
    EXPECT_EQ(Orientation(fixtures::ExifJpeg(false, 6, 4)), 0);        // LONG type ignored
    EXPECT_EQ(Orientation(fixtures::ExifJpeg(true, 6, 3, 2)), 0);      // count 2
    EXPECT_EQ(Orientation(fixtures::ExifJpeg(false, 6, 3, 1, 200)), 6); // count beyond the segment is cut
    // A truncated IFD: the file ends inside the orientation entry.
    auto cut = fixtures::ExifJpeg(false, 6);
    cut.resize(cut.size() - 20);
    EXPECT_EQ(Orientation(cut), 0);
    // Every prefix of a good file is handled without reading past it.
    const auto whole = fixtures::ExifJpeg(true, 3);
    for (size_t n = 0; n < whole.size(); ++n) Orientation(std::vector<uint8_t>(whole.begin(), whole.begin() + n));
    // APP1 after the start of scan is not searched.
    auto late = fixtures::ExifJpeg(false, 6);
    const std::vector<uint8_t> sos = {0xFF, 0xDA, 0x00, 0x02};
    late.insert(late.begin() + 2, sos.begin(), sos.end());
    EXPECT_EQ(Orientation(late), 0);
    // An IFD offset pointing past the segment.
    auto far = fixtures::ExifJpeg(false, 6);
    far[20 + 4 + 6 + 4] = 0xF0;
    EXPECT_EQ(Orientation(far), 0);
}

// A 4 x 2 picture whose corners are red, green (top) and blue, white
// (bottom), turned upright for each orientation: the corner colours and the
// swapped sizes of 5..8.
TEST(Exif, EachOrientationTurnsQuadrantsUpright) {
    const uint32_t R = 0x0000FF, G = 0x00FF00, B = 0xFF0000, W = 0xFFFFFF;
    const uint32_t want[9][4] = {{R, G, B, W}, {R, G, B, W}, {G, R, W, B}, {W, B, G, R}, {B, W, R, G},
                                 {R, B, G, W}, {B, R, W, G}, {W, G, B, R}, {G, W, R, B}};
    for (bool be : {false, true})
        for (int o = 1; o <= 8; ++o) {
            fake::Scope scope;
            const DibHandle stored = Dib_Create(4, 2, 24, 0, 0, nullptr);
            DibData *d = Dibcore_DataDIB(stored);
            const uint32_t stride = Dib_RowStride(24, 4);
            const uint32_t corner[2][2] = {{R, G}, {B, W}};
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 4; ++x) {
                    const uint32_t c = corner[y][x / 2];
                    uint8_t *p = Dib_RowFromTop(d->bits, stride, d->header->biHeight, y) + x * 3;
                    p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c);
                }
            scope.lib.decoded = stored;
            const auto file = fixtures::ExifJpeg(be, uint16_t(o));
            DibHolder h;
            ASSERT_TRUE(DibHolder_JPGMtoDIB(h, file.data(), uint32_t(file.size())));
            ASSERT_TRUE(Exif_ApplyOrientation(h, Orientation(file)));
            const int32_t w = DibHolder_GetWidth(h), ht = DibHolder_GetHeight(h);
            EXPECT_EQ(w, o >= 5 ? 2 : 4) << o;
            EXPECT_EQ(ht, o >= 5 ? 4 : 2) << o;
            const uint32_t got[4] = {Dib_ReadPixelColour(h.data, 0, 0), Dib_ReadPixelColour(h.data, w - 1, 0),
                                     Dib_ReadPixelColour(h.data, 0, ht - 1), Dib_ReadPixelColour(h.data, w - 1, ht - 1)};
            for (int i = 0; i < 4; ++i) EXPECT_EQ(got[i], want[o][i]) << "orientation " << o << " corner " << i;
            DibHolder_Free(h);
            Dibcore_DeleteDIB(stored);
            EXPECT_EQ(scope.lib.Live(), 0u);
        }
}

TEST(Sniff, Signatures) {
    struct Case {
        std::vector<uint8_t> head;
        int want;
    } cases[] = {
        {{0xFF, 0xD8, 0xFF, 0xE0}, kSniffJpeg},
        {{0xFF, 0xD8, 0xFF, 0xD9}, kSniffNone},
        {{0xFF, 0xD8, 0xFF, 0xD8}, kSniffNone},
        {{'G', 'I', 'F', '8', '9', 'a'}, kSniffGif},
        {{'G', 'I', 'F', '8', '7', 'a'}, kSniffGif},
        {{'G', 'I', 'F', '8', '7', 'b'}, kSniffNone},
        {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, kSniffPng},
        {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A}, kSniffNone},
        {{'B', 'M'}, kSniffNone},
        {{}, kSniffNone},
    };
    for (const Case &c : cases) {
        uint8_t head[kSniffBytes] = {};
        if (!c.head.empty()) std::memcpy(head, c.head.data(), c.head.size());
        EXPECT_EQ(Format_SniffBytes(head), c.want);
    }
    const uint32_t masks[4] = {0x7C00, 0x03E0, 0x001F, 0x8000};
    auto bmp = fixtures::MaskedBmp(2, 2, 16, masks, {0, 0, 0, 0});
    bmp.resize(kSniffBytes);
    EXPECT_EQ(Format_SniffBytes(bmp.data()), kSniffBmp);
    bmp[14 + 16] = 2;  // RLE4 with 16 bits
    EXPECT_EQ(Format_SniffBytes(bmp.data()), kSniffNone);
}

TEST(Sniff, MasksThatNeed24Bits) {
    const uint32_t m555[3] = {0x7C00, 0x03E0, 0x001F}, m565[3] = {0xF800, 0x07E0, 0x001F},
                   m444[3] = {0x0F00, 0x00F0, 0x000F}, odd[3] = {0x001F, 0x03E0, 0x7C00},
                   m888[3] = {0xFF0000, 0xFF00, 0xFF}, m101010[3] = {0x3FF00000, 0xFFC00, 0x3FF};
    EXPECT_FALSE(Bmp_MasksNeed24Bit(nullptr, 16, false, false));
    EXPECT_TRUE(Bmp_MasksNeed24Bit(nullptr, 16, true, false));
    EXPECT_FALSE(Bmp_MasksNeed24Bit(m555, 16, false, false));
    EXPECT_FALSE(Bmp_MasksNeed24Bit(m565, 16, false, true));
    EXPECT_FALSE(Bmp_MasksNeed24Bit(m444, 16, false, false));
    EXPECT_TRUE(Bmp_MasksNeed24Bit(m444, 16, false, true));
    EXPECT_TRUE(Bmp_MasksNeed24Bit(odd, 16, false, false));
    EXPECT_FALSE(Bmp_MasksNeed24Bit(m888, 32, false, false));
    EXPECT_TRUE(Bmp_MasksNeed24Bit(m101010, 32, false, false));
    EXPECT_FALSE(Bmp_MasksNeed24Bit(nullptr, 32, true, false));
}

TEST(BitmapCore, SizesAndHeaders) {
    DibInfoHeader h{40, 3, -2, 1, 16, kDibBitFields, 0, 0, 0, 0, 0};
    EXPECT_EQ(Dib_HeaderAndPaletteSize(&h), 52u);
    EXPECT_EQ(Dib_RowStride(24, 3), 12u);
    EXPECT_EQ(Dib_RowStride(1, 33), 8u);
    EXPECT_EQ(Dib_RowStride(33, 1), 0u);
    EXPECT_EQ(Dib_RowStride(32, 0x1FFFFFFF), 0u);
    EXPECT_EQ(Dib_CalcSize(&h, 1, 1, nullptr), 8u * 2 + 40 + 12);
    uint32_t high = 0;
    EXPECT_EQ(Dib_CalcImageSizeWH(65536, 65536, 32, &high), 0u);
    EXPECT_EQ(high, 4u);
    EXPECT_EQ(Dib_CalcImageSizeWH(65536, 65536, 32, nullptr), 0xFFFFFFFFu);
    DibInfoHeader bad = h;
    bad.biSize = 44;
    EXPECT_FALSE(Dib_IsValidPacked(&bad));
    bad = h;
    bad.biBitCount = 4;
    bad.biCompression = kDibRle8;
    EXPECT_EQ(Dib_GetColorTable(&bad, 0, nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(Dib_ScaleTo8Bit(3, 3), 109);
    EXPECT_EQ(Dib_ScaleTo8Bit(16, 5), 132);
    SelRect r{5, 7, -3, 2}, out;
    ASSERT_TRUE(Rect_ClipToImage(&r, 4, 4, &out));
    EXPECT_EQ(out.left, 0); EXPECT_EQ(out.top, 2); EXPECT_EQ(out.right, 4); EXPECT_EQ(out.bottom, 4);
    SelRect outside{9, 0, 12, 2};
    EXPECT_FALSE(Rect_ClipToImage(&outside, 4, 4, &out));
}

TEST(BitmapCore, CopyRectOverlapAndSubByteEdges) {
    fake::Scope scope;
    // 8 bits: copying onto itself shifted by one equals copying from a copy.
    const DibHandle a = Dib_Create(9, 5, 8, 256, 1, nullptr);
    DibData *d = Dibcore_DataDIB(a);
    for (uint32_t i = 0; i < d->bitsSize; ++i) d->bits[i] = uint8_t(i * 7 + 1);
    const DibHandle copy = Dibcore_CopyDIB(a);
    DibData *c = Dibcore_DataDIB(copy);
    std::vector<uint8_t> expect(c->bits, c->bits + c->bitsSize);
    ASSERT_TRUE(Dib_CopyRect(d->header, d->bits, 1, 1, 7, 3, d->header, d->bits, 0, 0));
    ASSERT_TRUE(Dib_CopyRect(c->header, c->bits, 1, 1, 7, 3, c->header, expect.data(), 0, 0));
    EXPECT_EQ(0, std::memcmp(d->bits, c->bits, d->bitsSize));
    // 1 bit: x = 3 to x = 5 keeps the destination's bits outside.
    const DibHandle src = Dib_Create(16, -1, 1, 2, 1, nullptr), dst = Dib_Create(16, -1, 1, 2, 1, nullptr);
    DibData *s1 = Dibcore_DataDIB(src), *d1 = Dibcore_DataDIB(dst);
    s1->bits[0] = 0xFF, s1->bits[1] = 0xFF;
    d1->bits[0] = 0x00, d1->bits[1] = 0x00;
    ASSERT_TRUE(Dib_CopyRect(d1->header, d1->bits, 5, 0, 6, 1, s1->header, s1->bits, 3, 0));
    EXPECT_EQ(d1->bits[0], 0x07);  // pixels 5, 6, 7
    EXPECT_EQ(d1->bits[1], 0xE0);  // pixels 8, 9, 10
    // Opposite orientations copy by image row.
    const DibHandle up = Dib_Create(2, 2, 8, 256, 1, nullptr), down = Dib_Create(2, -2, 8, 256, 1, nullptr);
    DibData *u = Dibcore_DataDIB(up), *dn = Dibcore_DataDIB(down);
    u->bits[0] = 10, u->bits[4] = 20;  // bottom row 10, top row 20
    ASSERT_TRUE(Dib_CopyRect(dn->header, dn->bits, 0, 0, 2, 2, u->header, u->bits, 0, 0));
    EXPECT_EQ(dn->bits[0], 20);
    EXPECT_EQ(dn->bits[4], 10);
    for (DibHandle h : {a, copy, src, dst, up, down}) Dibcore_DeleteDIB(h);
}

TEST(BitmapCore, SetOrientationAndShortPalettes) {
    fake::Scope scope;
    const DibHandle h = Dib_Create(3, 2, 8, 256, 1, nullptr);
    DibData *d = Dibcore_DataDIB(h);
    d->bits[0] = 1;  // bottom row
    ASSERT_TRUE(SaveBmp_SetOrientation(0, h));
    d = Dibcore_DataDIB(h);
    EXPECT_EQ(d->header->biHeight, -2);
    EXPECT_EQ(d->bits[4], 1);  // the same row, now last in memory
    // A compressed picture stays as it is and the call succeeds.
    d->header->biHeight = 2;
    d->header->biCompression = kDibRle8;
    const std::vector<uint8_t> before(d->bits, d->bits + d->bitsSize);
    EXPECT_EQ(SaveBmp_SetOrientation(0, h), 1);
    EXPECT_EQ(d->header->biHeight, 2);
    EXPECT_EQ(0, std::memcmp(before.data(), d->bits, before.size()));
    // Index 200 of a 4-entry table reads as black, never outside the table.
    DibRgbQuad four[4] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}, {10, 11, 12, 0}};
    const DibHandle p = Dib_Create(2, 1, 8, 4, 0, four);
    DibData *pd = Dibcore_DataDIB(p);
    EXPECT_EQ(pd->headerSize, 40u + 16u);
    pd->bits[0] = 200, pd->bits[1] = 3;
    EXPECT_EQ(Dib_ReadPixelColour(pd, 0, 0), 0u);
    EXPECT_EQ(Dib_ReadPixelColour(pd, 1, 0), 0x0A0B0Cu);
    Dibcore_DeleteDIB(h);
    Dibcore_DeleteDIB(p);
}

DibHandle AlphaMask(const std::vector<uint8_t> &file) {
    MemoryReader m;
    return BmpAlpha_ReadMask(ByteSource_FromMemory(&m, file.data(), uint32_t(file.size())));
}

TEST(BmpAlpha, MaskValuesAndTruncatedFiles) {
    fake::Scope scope;
    const uint32_t m16[4] = {0x7C00, 0x03E0, 0x001F, 0x8000};
    const auto f16 = fixtures::MaskedBmp(3, 2, 16, m16, {0x8000, 0x7FFF, 0xFFFF, 0, 0x8000, 0x1234});
    const DibHandle a = AlphaMask(f16);
    ASSERT_NE(a, 0);
    DibData *d = Dibcore_DataDIB(a);
    EXPECT_EQ(d->header->biBitCount, 8);
    const uint8_t want[6] = {255, 0, 255, 0, 255, 0};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(d->bits[i], want[i]);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(d->bits[4 + i], want[3 + i]);
    // Cut after half its rows: the missing rows are opaque.
    const uint32_t m32[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    auto f32 = fixtures::MaskedBmp(2, 4, 32, m32, std::vector<uint32_t>(8, 0x10000000));
    f32.resize(f32.size() - 16);
    const DibHandle b = AlphaMask(f32);
    ASSERT_NE(b, 0);
    DibData *e = Dibcore_DataDIB(b);
    EXPECT_EQ(e->bits[0], 0x10);
    EXPECT_EQ(e->bits[4], 0x10);
    EXPECT_EQ(e->bits[8], 255);
    EXPECT_EQ(e->bits[12], 255);
    // No alpha mask, or not a single row: no picture.
    const uint32_t none[4] = {0x7C00, 0x03E0, 0x001F, 0};
    EXPECT_EQ(AlphaMask(fixtures::MaskedBmp(2, 2, 16, none, {0, 0, 0, 0})), 0);
    auto empty = fixtures::MaskedBmp(2, 2, 16, m16, {0, 0, 0, 0});
    empty.resize(14 + 56);
    EXPECT_EQ(AlphaMask(empty), 0);
    Dibcore_DeleteDIB(a);
    Dibcore_DeleteDIB(b);
    EXPECT_EQ(scope.lib.Live(), 0u);
}

TEST(Transparency, PaletteAlphaColourKeyAndAlphaChannel) {
    fake::Scope scope;
    // Palette alpha 128: black over white becomes 127.
    DibRgbQuad pal[2] = {{0, 0, 0, 0}, {50, 60, 70, 0}};
    const DibHandle p = Dib_Create(2, 2, 8, 2, 0, pal);
    uint8_t table[kPaletteAlphaBytes] = {128, 0};
    const int32_t count = 2;
    std::memcpy(table + 256, &count, 4);
    DibHandle fresh = 1;
    ASSERT_TRUE(Transp_Apply(table, p, 0, &fresh, 0xFFFFFF, 0, 0, 0));
    EXPECT_EQ(fresh, 0);
    const uint8_t *t = nullptr;
    Dib_GetColorTable(Dibcore_DataDIB(p)->header, 0, &t, nullptr, nullptr);
    EXPECT_EQ(t[0], 127); EXPECT_EQ(t[1], 127); EXPECT_EQ(t[2], 127);
    EXPECT_EQ(t[4], 255); EXPECT_EQ(t[6], 255);  // alpha 0: the background
    // A transparent colour on a 5-6-5 picture: red pixels become green.
    const uint32_t m565[3] = {0xF800, 0x07E0, 0x001F};
    const DibHandle q = Dib_Create(3, 1, 16, 0, 0, m565);
    DibData *qd = Dibcore_DataDIB(q);
    const uint16_t px[3] = {0xF800, 0x001F, 0xF800};
    std::memcpy(qd->bits, px, 6);
    ASSERT_TRUE(Transp_Apply(nullptr, q, 0, &fresh, 0x00FF00, 0, 0x0000FF, 0));
    uint16_t got[3];
    std::memcpy(got, qd->bits, 6);
    EXPECT_EQ(got[0], 0x07E0); EXPECT_EQ(got[1], 0x001F); EXPECT_EQ(got[2], 0x07E0);
    // An alpha channel over a bottom-up picture.
    const DibHandle src = Dib_Create(2, 2, 24, 0, 0, nullptr);
    DibData *sd = Dibcore_DataDIB(src);
    for (int i = 0; i < 2; ++i) {
        sd->bits[i * 3 + 2] = 200;       // bottom row red 200
        sd->bits[8 + i * 3 + 1] = 100;   // top row green 100
    }
    DibRgbQuad grey[256];
    for (int i = 0; i < 256; ++i) grey[i] = DibRgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    const DibHandle alpha = Dib_Create(2, -2, 8, 256, 1, grey);  // top-down mask
    DibData *ad = Dibcore_DataDIB(alpha);
    ad->bits[0] = 255, ad->bits[1] = 0;   // top row
    ad->bits[4] = 51, ad->bits[5] = 128;  // bottom row
    DibHolder h;
    ASSERT_TRUE(DibHolder_Attach(h, src));
    ASSERT_TRUE(DibHolder_ApplyTransparency(h, nullptr, alpha, 0x000000FF, 0, 0, 0));  // over red 255
    EXPECT_EQ(Dib_ReadPixelColour(h.data, 0, 0), 0x006400u);                        // opaque green
    EXPECT_EQ(Dib_ReadPixelColour(h.data, 1, 0), 0x0000FFu);                        // background
    EXPECT_EQ(Dib_ReadPixelColour(h.data, 0, 1), uint32_t((200 * 51 + 255 * 204) / 255));
    EXPECT_EQ(Dib_ReadPixelColour(h.data, 1, 1), uint32_t((200 * 128 + 255 * 127) / 255));
    DibHolder_Free(h);
    for (DibHandle x : {p, q, alpha}) Dibcore_DeleteDIB(x);
    EXPECT_EQ(scope.lib.Live(), 0u);
    EXPECT_EQ(scope.lib.doubleFrees, 0);
}

}  // namespace
