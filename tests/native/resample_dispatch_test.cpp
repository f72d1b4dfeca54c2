// Whole-picture resizing over DIB memory: every method code with every
// source depth gives the named method's pixels, size and depth; sizes,
// copies, single pixels and row order.
#include <gtest/gtest.h>

#include <cstdlib>

#include "image/resample/qv_ResampleDib.h"
#include "resample_test_support.h"
#include "std_thread_runner.h"

using namespace resample_test;

namespace {

// A packed DIB built by hand: 40-byte header, masks or colour table, bits.
struct TestDib {
    std::vector<uint8_t> head;
    std::vector<uint8_t> bits;
    int32_t stride = 0;

    DibInfoHeader *Header() { return reinterpret_cast<DibInfoHeader *>(head.data()); }
    DibView View() { return {Header(), static_cast<uint32_t>(head.size()), bits.data(), bits.size()}; }
    // Memory row of picture row y counted from the bottom.
    uint8_t *BottomRow(int32_t y) {
        const int32_t rows = Header()->biHeight < 0 ? -Header()->biHeight : Header()->biHeight;
        return bits.data() + static_cast<size_t>(Header()->biHeight < 0 ? rows - 1 - y : y) * stride;
    }
};

enum class Format { Pal1, Pal4, Pal8, Pal8Short, Rgb555, Rgb565, Rgb24, Plain32, Masked32 };
const Format kFormats[] = {Format::Pal1,   Format::Pal4,  Format::Pal8,    Format::Pal8Short, Format::Rgb555,
                           Format::Rgb565, Format::Rgb24, Format::Plain32, Format::Masked32};

int32_t DepthOf(Format f) {
    switch (f) {
        case Format::Pal1: return 1;
        case Format::Pal4: return 4;
        case Format::Pal8:
        case Format::Pal8Short: return 8;
        case Format::Rgb555:
        case Format::Rgb565: return 16;
        case Format::Rgb24: return 24;
        default: return 32;
    }
}

TestDib MakeDib(Format format, int32_t w, int32_t h, bool topDown, uint32_t seed) {
    std::mt19937 rng(seed);
    const int32_t bpp = DepthOf(format);
    TestDib dib;
    uint32_t colours = bpp <= 8 ? (1u << bpp) : 0;
    if (format == Format::Pal8Short) colours = 100;
    const bool masks = format == Format::Rgb565 || format == Format::Masked32;
    dib.head.assign(40 + 4 * colours + (masks ? 12 : 0), 0);
    DibInfoHeader *hd = dib.Header();
    hd->biSize = 40;
    hd->biWidth = w;
    hd->biHeight = topDown ? -h : h;
    hd->biPlanes = 1;
    hd->biBitCount = static_cast<uint16_t>(bpp);
    hd->biCompression = masks ? kDibBitFields : kDibRgb;
    hd->biClrUsed = format == Format::Pal8Short ? colours : 0;
    hd->biXPelsPerMeter = 2835;
    for (size_t i = 40; i < dib.head.size(); ++i) dib.head[i] = static_cast<uint8_t>(rng());
    if (format == Format::Rgb565) {
        const uint32_t m[3] = {0xF800, 0x07E0, 0x001F};
        std::memcpy(dib.head.data() + 40, m, 12);
    } else if (format == Format::Masked32) {
        const uint32_t m[3] = {0x3FF00000, 0x000FFC00, 0x000003FF};
        std::memcpy(dib.head.data() + 40, m, 12);
    }
    dib.stride = ((w * bpp + 31) / 32) * 4;
    dib.bits.resize(static_cast<size_t>(dib.stride) * h);
    for (uint8_t &b : dib.bits) b = static_cast<uint8_t>(rng());
    return dib;
}

// The same picture as 24-bit pixels, worked out here from the formats'
// definitions (row 0 at the bottom).
Image To24(TestDib &dib) {
    const DibInfoHeader &h = *dib.Header();
    const int32_t w = h.biWidth, rows = h.biHeight < 0 ? -h.biHeight : h.biHeight, bpp = h.biBitCount;
    const uint32_t colours = bpp <= 8 ? (h.biClrUsed ? h.biClrUsed : 1u << bpp) : 0;
    Image out(w, rows);
    auto widen = [](uint32_t v, int bits) {
        return static_cast<uint8_t>(bits >= 8 ? v >> (bits - 8)
                                              : (v * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1));
    };
    for (int32_t y = 0; y < rows; ++y) {
        const uint8_t *row = dib.BottomRow(y);
        for (int32_t x = 0; x < w; ++x) {
            uint8_t b = 0, g = 0, r = 0;
            if (bpp <= 8) {
                const uint32_t index = bpp == 8   ? row[x]
                                       : bpp == 4 ? (row[x / 2] >> (x % 2 ? 0 : 4)) & 15
                                                  : (row[x / 8] >> (7 - x % 8)) & 1;
                if (index < colours) {
                    const uint8_t *q = dib.head.data() + 40 + 4 * index;
                    b = q[0], g = q[1], r = q[2];
                }
            } else if (bpp == 16) {
                const uint32_t v = row[2 * x] | row[2 * x + 1] << 8;
                if (h.biCompression == kDibBitFields) {
                    r = widen(v >> 11, 5), g = widen((v >> 5) & 63, 6), b = widen(v & 31, 5);
                } else {
                    r = widen((v >> 10) & 31, 5), g = widen((v >> 5) & 31, 5), b = widen(v & 31, 5);
                }
            } else if (bpp == 24) {
                b = row[3 * x], g = row[3 * x + 1], r = row[3 * x + 2];
            } else if (h.biCompression == kDibBitFields) {
                uint32_t v;
                std::memcpy(&v, row + 4 * x, 4);
                r = widen((v >> 20) & 1023, 10), g = widen((v >> 10) & 1023, 10), b = widen(v & 1023, 10);
            } else {
                b = row[4 * x], g = row[4 * x + 1], r = row[4 * x + 2];
            }
            out.At(x, y, 0) = b, out.At(x, y, 1) = g, out.At(x, y, 2) = r;
        }
    }
    return out;
}

// Result rows counted from the bottom, pixel bytes only.
Image ResultAs24(const ResampledDib &dib) {
    const int32_t w = dib.header->biWidth,
                  rows = dib.header->biHeight < 0 ? -dib.header->biHeight : dib.header->biHeight;
    Image out(w, rows);
    const int32_t stride = ((w * 24 + 31) / 32) * 4;
    for (int32_t y = 0; y < rows; ++y)
        std::memcpy(out.Row(y), dib.bits + static_cast<size_t>(dib.header->biHeight < 0 ? rows - 1 - y : y) * stride,
                    3 * w);
    return out;
}

using Method = int (*)(ResampleRequest *);
int Lanczos3(ResampleRequest *r) { return Separable(kQualityLanczos3, r); }

// The table of methods by code: what a reduction and an enlargement run.
struct CodeRow {
    int32_t code;
    Method reduce;  // null: depth-keeping nearest neighbour
    Method enlarge;
};
const CodeRow kCodeTable[] = {
    {0, nullptr, nullptr},
    {10, Resample_Linear, Resample_Linear},
    {20, Resample_AreaAverage, Resample_AreaEnlarge},
    {30, Resample_IntAverage, Resample_AreaEnlarge},
    {31, Resample_IntAverageHalf, Resample_AreaEnlarge},
    {40, [](ResampleRequest *r) { return Separable(40, r); }, [](ResampleRequest *r) { return Separable(40, r); }},
    {50, [](ResampleRequest *r) { return Separable(50, r); }, [](ResampleRequest *r) { return Separable(50, r); }},
    {60, [](ResampleRequest *r) { return Separable(60, r); }, [](ResampleRequest *r) { return Separable(60, r); }},
    {70, [](ResampleRequest *r) { return Separable(70, r); }, [](ResampleRequest *r) { return Separable(70, r); }},
    {80, [](ResampleRequest *r) { return Separable(80, r); }, [](ResampleRequest *r) { return Separable(80, r); }},
    {90, [](ResampleRequest *r) { return Separable(90, r); }, [](ResampleRequest *r) { return Separable(90, r); }},
    {100, [](ResampleRequest *r) { return Separable(100, r); }, [](ResampleRequest *r) { return Separable(100, r); }},
    {110, Lanczos3, Lanczos3},
    {7, Resample_AreaAverage, Resample_AreaEnlarge},  // any other code
    {1000, Resample_AreaAverage, Resample_AreaEnlarge},
};

TEST(ResampleDispatch, EveryCodeWithEveryDepthRunsItsMethod) {
    struct Change {
        int32_t sw, sh, dw, dh;
    };
    // Reduction, enlargement, and one side up with the other down (counts
    // as enlarging).
    const Change changes[] = {{23, 17, 9, 6}, {9, 6, 23, 17}, {23, 6, 9, 17}};
    for (const CodeRow &row : kCodeTable)
        for (Format format : kFormats)
            for (const Change &c : changes)
                for (bool topDown : {false, true}) {
                    TestDib dib = MakeDib(format, c.sw, c.sh, topDown, static_cast<uint32_t>(row.code) * 7 + c.dw);
                    DibView view = dib.View();
                    ResampledDibOwner got;
                    ASSERT_EQ(Resize_Filtered(&view, c.dw, c.dh, row.code, row.code, got.get()), 1);
                    EXPECT_EQ(got->header->biWidth, c.dw);
                    EXPECT_EQ(std::abs(got->header->biHeight), c.dh);
                    const bool enlarging = c.dw > c.sw || c.dh > c.sh;
                    const Method method = enlarging ? row.enlarge : row.reduce;
                    if (method == nullptr) {
                        ResampledDibOwner simple;
                        ASSERT_EQ(Resize_Simple(&view, c.dw, c.dh, simple.get()), 1);
                        EXPECT_EQ(got->header->biBitCount, DepthOf(format));
                        ASSERT_EQ(got->bitsBytes, simple->bitsBytes);
                        EXPECT_EQ(0, std::memcmp(got->bits, simple->bits, got->bitsBytes));
                        continue;
                    }
                    EXPECT_EQ(got->header->biBitCount, 24) << row.code;
                    const Image src = To24(dib);
                    Image want(c.dw, c.dh);
                    ResampleRequest r = RequestFor(want, src);
                    ASSERT_EQ(method(&r), 1);
                    EXPECT_EQ(ResultAs24(*got).Pixels(), want.Pixels())
                        << "code " << row.code << " depth " << DepthOf(format) << " " << c.sw << "->" << c.dw
                        << (topDown ? " top-down" : "");
                }
}

TEST(ResampleDispatch, DirectionRulesForCodeZero) {
    TestDib dib = MakeDib(Format::Pal8, 10, 8, false, 1);
    DibView view = dib.View();
    struct Case {
        int32_t w, h, reduce, enlarge, depth;
    };
    const Case cases[] = {
        {20, 16, 40, 0, 8},  // enlarging with enlarge code 0: nearest, depth kept
        {5, 4, 0, 40, 8},    // reducing with reduce code 0
        {20, 4, 0, 40, 24},  // mixed counts as enlarging
        {5, 4, 40, 0, 24},   // reduce code set
        {10, 8, 40, 40, 8},  // same size: a copy
        {12, 8, 0, 0, 8},
    };
    for (const Case &c : cases) {
        ResampledDibOwner got;
        ASSERT_EQ(Resize_Filtered(&view, c.w, c.h, c.reduce, c.enlarge, got.get()), 1);
        EXPECT_EQ(got->header->biBitCount, c.depth) << c.w << "x" << c.h << " " << c.reduce << "/" << c.enlarge;
    }
    ResampledDibOwner copy;
    ASSERT_EQ(Resize_Filtered(&view, 10, 8, 110, 110, copy.get()), 1);
    EXPECT_EQ(copy->headerBytes, dib.head.size());
    EXPECT_EQ(0, std::memcmp(copy->header, dib.head.data(), dib.head.size()));
    EXPECT_EQ(0, std::memcmp(copy->bits, dib.bits.data(), dib.bits.size()));
}

TEST(ResampleDispatch, SizeResolution) {
    struct Case {
        int32_t sw, sh, w, h, ww, wh;
    };
    const Case cases[] = {{400, 300, -1, 150, 200, 150}, {400, 300, 200, -5, 200, 150}, {400, 300, -1, -1, 400, 300},
                          {400, 300, 0, 0, 400, 300},    {400, 300, 0, 10, 400, 10},    {4000, 3, -1, 1, 1333, 1},
                          {3, 4000, -1, 1, 1, 1},        {400, 300, 100, 0, 100, 300}};
    for (const Case &c : cases) {
        int32_t w = c.w, h = c.h;
        ASSERT_EQ(Resample_ResolveSize(c.sw, c.sh, &w, &h), 1);
        EXPECT_EQ(w, c.ww);
        EXPECT_EQ(h, c.wh);
    }
    int32_t w = -1, h = 2000000000;
    EXPECT_EQ(Resample_ResolveSize(65535, 1, &w, &h), 0);
}

TEST(ResampleDispatch, OnePixelPaletteFillsWithItsColour) {
    TestDib dib = MakeDib(Format::Pal8Short, 1, 1, false, 2);
    for (uint8_t index : {uint8_t{42}, uint8_t{200}}) {
        dib.bits[0] = index;
        DibView view = dib.View();
        ResampledDibOwner got;
        ASSERT_EQ(Resize_Filtered(&view, 5, 3, 20, 20, got.get()), 1);
        EXPECT_EQ(got->header->biBitCount, 24);
        const uint8_t *entry = dib.head.data() + 40 + 4 * (index < 100 ? index : 0);  // past the table: entry 0
        const Image img = ResultAs24(*got);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 5; ++x)
                for (int c = 0; c < 3; ++c) ASSERT_EQ(img.At(x, y, c), entry[c]);
    }
}

TEST(ResampleDispatch, FillOneReadsThroughTheHeadersDepth) {
    for (Format format : kFormats) {
        TestDib dib = MakeDib(format, 1, 1, false, 12);
        if (format == Format::Pal8Short) dib.bits[0] = 7;
        const Image want = To24(dib);
        Image got(4, 3);
        ASSERT_EQ(Resample_FillOne(dib.Header(), got.bytes.data(), 4, 3, got.stride, dib.bits.data()), 1);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 4; ++x)
                for (int c = 0; c < 3; ++c) ASSERT_EQ(got.At(x, y, c), want.At(0, 0, c)) << DepthOf(format);
    }
    const uint8_t px[3] = {1, 2, 3};
    Image got(2, 2);
    ASSERT_EQ(Resample_FillOne(nullptr, got.bytes.data(), 2, 2, got.stride, px), 1);
    EXPECT_EQ(got.At(1, 1, 2), 3);
    EXPECT_EQ(Resample_FillOne(nullptr, got.bytes.data(), 0, 2, got.stride, px), 0);
}

// The same picture stored top-down gives the same picture; a 24-bit one
// stays top-down and its rows are written in that order.
TEST(ResampleDispatch, TopDownSourceGivesSamePicture) {
    for (Format format : {Format::Rgb24, Format::Pal8, Format::Rgb565})
        for (int32_t code : {0, 10, 20, 30, 70, 110}) {
            TestDib up = MakeDib(format, 17, 13, false, 5);
            TestDib down = up;
            down.Header()->biHeight = -13;
            for (int32_t y = 0; y < 13; ++y)
                std::memcpy(down.BottomRow(y), up.BottomRow(y), static_cast<size_t>(up.stride));
            DibView a = up.View(), b = down.View();
            for (auto size : {std::pair<int32_t, int32_t>{7, 5}, {31, 29}}) {
                ResampledDibOwner ra, rb;
                ASSERT_EQ(Resize_Filtered(&a, size.first, size.second, code, code, ra.get()), 1);
                ASSERT_EQ(Resize_Filtered(&b, size.first, size.second, code, code, rb.get()), 1);
                ASSERT_EQ(ra->header->biBitCount, rb->header->biBitCount);
                const bool keepsOrder = code == 0 || format == Format::Rgb24;
                EXPECT_EQ(rb->header->biHeight, keepsOrder ? -size.second : size.second);
                const int32_t bpp = ra->header->biBitCount;
                const size_t stride = static_cast<size_t>(((size.first * bpp + 31) / 32) * 4);
                for (int32_t y = 0; y < size.second; ++y) {
                    const uint8_t *rowA = ra->bits + y * stride;
                    const uint8_t *rowB = rb->bits + (rb->header->biHeight < 0 ? size.second - 1 - y : y) * stride;
                    ASSERT_EQ(0, std::memcmp(rowA, rowB, (static_cast<size_t>(size.first) * bpp + 7) / 8))
                        << "code " << code << " depth " << bpp << " row " << y;
                }
            }
        }
}

TEST(ResampleDispatch, RefusesUnreadablePictures) {
    TestDib dib = MakeDib(Format::Rgb24, 4, 4, false, 1);
    ResampledDibOwner out;
    DibView view = dib.View();
    view.bitsBytes -= 1;  // bits shorter than the rows
    EXPECT_EQ(Resize_Filtered(&view, 2, 2, 20, 20, out.get()), 0);
    view = dib.View();
    dib.Header()->biCompression = kDibRle8;
    EXPECT_EQ(Resize_Filtered(&view, 2, 2, 20, 20, out.get()), 0);
    dib.Header()->biCompression = kDibRgb;
    dib.Header()->biBitCount = 2;
    EXPECT_EQ(Resize_Filtered(&view, 2, 2, 20, 20, out.get()), 0);
    dib.Header()->biBitCount = 24;
    EXPECT_EQ(Resize_Filtered(&view, 70000, 2, 20, 20, out.get()), 0);
    TestDib pal = MakeDib(Format::Pal8, 4, 4, false, 1);
    DibView cut = pal.View();
    cut.headerBytes = 40 + 4 * 100;  // table cut short
    EXPECT_EQ(Resize_Filtered(&cut, 2, 2, 20, 20, out.get()), 0);
    EXPECT_EQ(out->block, nullptr);
}

TEST(ResampleDispatch, Resize24ChoosesAveragingOrLinear) {
    for (Format format : kFormats) {
        TestDib dib = MakeDib(format, 30, 20, false, 8);
        const Image full = To24(dib);
        // Columns 3..27 of the source.
        Image part(25, 20);
        for (int32_t y = 0; y < 20; ++y) std::memcpy(part.Row(y), full.Row(y) + 9, 75);
        for (auto size : {std::pair<int32_t, int32_t>{13, 10}, {14, 10}, {40, 33}}) {
            Image got(size.first, size.second), want(size.first, size.second);
            ASSERT_EQ(
                Resample_Resize24(dib.Header(), static_cast<uint32_t>(dib.head.size()), dib.bits.data(), dib.stride, 3,
                                  25, 20, got.bytes.data(), 24, size.first, size.second, got.stride),
                1);
            ResampleRequest r = RequestFor(want, part);
            const bool average = (25 + 1) / 2 >= size.first && (20 + 1) / 2 >= size.second;
            ASSERT_EQ(average ? Resample_IntAverage(&r) : Resample_Linear(&r), 1);
            EXPECT_EQ(got.Pixels(), want.Pixels()) << DepthOf(format) << " " << size.first;
        }
        Image got(5, 5);
        EXPECT_EQ(Resample_Resize24(dib.Header(), static_cast<uint32_t>(dib.head.size()), dib.bits.data(), dib.stride,
                                    0, 30, 20, got.bytes.data(), 32, 5, 5, got.stride),
                  0);
    }
}

// Pictures of other depths are widened to 24 bits, whole in bands on the
// task threads or row by row inside the area average's bands: the result is
// the one-thread result byte for byte, in both row orders and whatever order
// the bands run in.
void RunBackwards(size_t count, void (*task)(void *context, size_t index), void *context) {
    for (size_t k = count; k-- > 0;) task(context, k);
}

TEST(ResampleDispatch, WideningOnThreadsEqualsOneThread) {
    const TaskRunner threads{3, RunOnStdThreads}, backwards{5, RunBackwards};
    for (Format format : kFormats)
        for (int32_t code : {kQualityAreaAverage, kQualityLinear}) {
            if (DepthOf(format) == 24) continue;
            for (bool topDown : {false, true}) {
                SCOPED_TRACE(::testing::Message() << DepthOf(format) << " bits, code " << code << (topDown ? " top-down" : ""));
                TestDib dib = MakeDib(format, 1030, 1021, topDown, 17);
                DibView view = dib.View();
                ResampledDibOwner one;
                ASSERT_EQ(Resize_Filtered(&view, 301, 217, code, code, one.get()), 1);
                for (const TaskRunner *runner : {&threads, &backwards}) {
                    g_resampleTasks = runner;
                    ResampledDibOwner banded;
                    const int done = Resize_Filtered(&view, 301, 217, code, code, banded.get());
                    g_resampleTasks = nullptr;
                    ASSERT_EQ(done, 1);
                    EXPECT_TRUE(ResultAs24(*banded.get()).Pixels() == ResultAs24(*one.get()).Pixels());
                }
            }
        }
}

}  // namespace
