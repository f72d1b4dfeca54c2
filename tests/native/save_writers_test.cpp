// The format writers' options and their preparation of the picture, with the
// fake library and a sink that records what would be written.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "colour_fixture.h"
#include "image/qv_SaveWriterCore.h"
#include "other/qv_OptTable.h"

namespace {

using namespace colourfix;

// What the library's writer was handed.
struct Record {
    int calls = 0;
    int32_t result = 1;  // what the writer answers
    DibHandle handle = 0;
    int32_t depth = 0, signedHeight = 0;
    std::vector<uint32_t> colours;
    std::vector<uint8_t> bytes;
    GifSaveOptions gif{};
    PngSaveOptions png{};
    int32_t quality = 0;
    uint32_t jpegFlags = 0;

    // The snapshot's own library calls neither fail nor count.
    void Take(DibHandle p) {
        fake::Library &lib = *fake::g_lib;
        int savedCalls[fake::kEntryCount], savedFail[fake::kEntryCount];
        std::memcpy(savedCalls, lib.calls, sizeof savedCalls);
        std::memcpy(savedFail, lib.failAt, sizeof savedFail);
        std::memset(lib.failAt, 0, sizeof lib.failAt);
        Snapshot(p);
        std::memcpy(lib.calls, savedCalls, sizeof savedCalls);
        std::memcpy(lib.failAt, savedFail, sizeof savedFail);
    }
    void Snapshot(DibHandle p) {
        ++calls;
        handle = p;
        depth = Depth(p);
        signedHeight = SignedHeight(p);
        colours = Colours(p);
        bytes = Bytes(p);
    }
};

Record &Rec(void *c) { return *static_cast<Record *>(c); }

SaveSink Sink(Record &r) {
    return SaveSink{&r,
                    [](void *c, DibHandle p) {
                        Rec(c).Take(p);
                        return Rec(c).result;
                    },
                    [](void *c, DibHandle p, const GifSaveOptions *o) {
                        Rec(c).Take(p);
                        Rec(c).gif = *o;
                        return Rec(c).result;
                    },
                    [](void *c, DibHandle p, int32_t q, uint32_t f) {
                        Rec(c).Take(p);
                        Rec(c).quality = q;
                        Rec(c).jpegFlags = f;
                        return Rec(c).result;
                    },
                    [](void *c, DibHandle p, const PngSaveOptions *o) {
                        Rec(c).Take(p);
                        Rec(c).png = *o;
                        return Rec(c).result;
                    }};
}

// A palette picture whose pixel (x, y) holds index 1 + y * w + x, so every
// corner has an index of its own.
DibHandle NumberedPalette(int32_t w, int32_t h) {
    std::vector<DibRgbQuad> pal(256);
    for (size_t i = 0; i < pal.size(); ++i) pal[i] = DibRgbQuad{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
    const DibHandle p = Dib_Create(w, h, 8, 256, 1, pal.data());
    const int32_t rows = h < 0 ? -h : h;
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const SelRect one{x, y, x + 1, y + 1};
            Dib_FillRect(p, &one, uint32_t(1 + y * w + x));
        }
    return p;
}

// A true-colour picture of `kind` using `n` distinct colours in turn.
DibHandle FewColours(const Kind &k, int32_t w, int32_t h, uint32_t n) {
    const DibHandle p = Dib_Create(w, h, k.depth, 0, 0, k.masks);
    const int32_t rows = h < 0 ? -h : h;
    uint32_t i = 0;
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < w; ++x, i = (i + 1) % n) {
            const SelRect one{x, y, x + 1, y + 1};
            Dib_FillColour(p, &one, (i * 37u) << 16 | (i * 11u & 0xFF) << 8 | (i * 5u & 0xFF));
        }
    return p;
}

struct Holder {
    DibHolder h;
    explicit Holder(DibHandle p) { DibHolder_Attach(h, p); }
};

TEST(SaveOptions, DefaultsAndClampsFollowTheRanges) {
    const SaveOptions d = SaveOptions_Defaults();
    EXPECT_EQ(d.jpgQual, 90);
    EXPECT_EQ(d.pngCmpLv, 6);
    EXPECT_EQ(d.pngFilt, kPngFiltSpeed);
    EXPECT_EQ(d.gifTrans, kGifTransNone);
    struct Case {
        SaveOpt id;
        int32_t typed, stored;
    };
    const Case cases[] = {
        {SaveOpt::JpgQual, 0, 1},      {SaveOpt::JpgQual, 101, 100},  {SaveOpt::PngCmpLv, -1, 0},
        {SaveOpt::PngCmpLv, 10, 9},    {SaveOpt::GifTraCol, 300, 255}, {SaveOpt::GifTraCol, -5, 0},
        {SaveOpt::GifTrans, 6, 5},     {SaveOpt::PngTrans, 5, 4},     {SaveOpt::PngFilt, 3, 2},
        {SaveOpt::BmpRle, 7, 1},       {SaveOpt::PngTrans, 3, 3},     {SaveOpt::JpgQual, 75, 75},
    };
    for (const Case &c : cases) {
        SaveOptions o = d;
        SaveOptions_Set(o, c.id, c.typed);
        EXPECT_EQ(SaveOptions_Get(o, c.id), c.stored) << int(c.id) << " typed " << c.typed;
    }
}

// The configuration file clamps with the option table: its ranges must be the
// writers' ranges, or a value the writer cannot use gets stored.
TEST(SaveOptions, OptionTableRangesMatch) {
    const struct {
        const char *key;
        SaveOpt id;
    } keys[] = {{"BmpTop", SaveOpt::BmpTop},     {"BmpRLE", SaveOpt::BmpRle},     {"GifLace", SaveOpt::GifLace},
                {"GifNoCmp", SaveOpt::GifNoCmp}, {"GifTrans", SaveOpt::GifTrans}, {"GifTraCol", SaveOpt::GifTraCol},
                {"JpgProg", SaveOpt::JpgProg},   {"JpgQual", SaveOpt::JpgQual},   {"PngLace", SaveOpt::PngLace},
                {"PngCmpLv", SaveOpt::PngCmpLv}, {"PngFilt", SaveOpt::PngFilt},   {"PngTrans", SaveOpt::PngTrans}};
    size_t count = 0;
    const OptRow *table = Opt_Table(&count);
    for (const auto &k : keys) {
        const OptRow *row = nullptr;
        for (size_t i = 0; i < count; ++i)
            if (table[i].section == CfgSection::Save && table[i].key && std::strcmp(table[i].key, k.key) == 0)
                row = &table[i];
        ASSERT_NE(row, nullptr) << k.key;
        EXPECT_EQ(row->min, SaveOptions_Range(k.id).min) << k.key;
        EXPECT_EQ(row->max, SaveOptions_Range(k.id).max) << k.key;
    }
}

TEST(SaveOptions, CornersOfThinPictures) {
    struct Case {
        int32_t w, h;
        int32_t xs[4], ys[4];
    };
    const Case cases[] = {
        {5, 3, {0, 4, 0, 4}, {0, 0, 2, 2}},
        {1, 3, {0, 0, 0, 0}, {0, 0, 2, 2}},
        {5, 1, {0, 4, 0, 4}, {0, 0, 0, 0}},
        {1, 1, {0, 0, 0, 0}, {0, 0, 0, 0}},
    };
    for (const Case &c : cases)
        for (int corner = 0; corner < 4; ++corner) {
            int32_t x, y;
            SaveCorner_Point(corner, c.w, c.h, &x, &y);
            EXPECT_EQ(x, c.xs[corner]) << c.w << "x" << c.h << " corner " << corner;
            EXPECT_EQ(y, c.ys[corner]) << c.w << "x" << c.h << " corner " << corner;
        }
}

TEST(SaveOptions, GifRecord) {
    fake::Scope scope;
    for (int32_t h : {3, -3, 1})
        for (int32_t w : {4, 1}) {
            const DibHandle p = NumberedPalette(w, h);
            const int32_t rows = h < 0 ? -h : h;
            const uint32_t last = uint32_t(w * rows);  // index of the bottom-right pixel
            struct Case {
                int32_t lace, noCmp, trans, traCol;
                uint32_t flags, index;
            };
            const Case cases[] = {
                {0, 0, kGifTransNone, 9, 0, 0},
                {1, 0, kGifTransNone, 0, 0x80, 0},
                {0, 1, kGifTransNone, 0, 0x100000, 0},
                {1, 1, kGifTransIndex, 200, 0x120088, 200},
                {0, 0, 2, 0, 0x20008, 1},
                {0, 0, 3, 0, 0x20008, uint32_t(w)},
                {0, 0, 4, 0, 0x20008, last - uint32_t(w) + 1},
                {0, 0, 5, 0, 0x20008, last},
            };
            for (const Case &c : cases) {
                SaveOptions o = SaveOptions_Defaults();
                o.gifLace = c.lace, o.gifNoCmp = c.noCmp, o.gifTrans = c.trans, o.gifTraCol = c.traCol;
                GifSaveOptions r;
                ASSERT_TRUE(SaveGif_Options(o, p, &r));
                SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " mode " + std::to_string(c.trans));
                EXPECT_EQ(r.flags, c.flags);
                EXPECT_EQ(r.transparentIndex, c.index);
                for (uint8_t b : r.reserved) EXPECT_EQ(b, 0);
            }
        }
}

TEST(SaveOptions, PngRecord) {
    fake::Scope scope;
    const DibHandle palette = NumberedPalette(3, -2);
    const DibHandle rgb = FewColours(KindNamed("24bit"), 3, 2, 6);
    struct Case {
        int32_t lace, level, filt, trans;
        uint32_t flags, filters;
        uint16_t level16;
    };
    const Case cases[] = {
        {0, 6, 0, 0, 3, 0x08, 6},      {1, 9, 1, 0, 0x83, 0x38, 9},   {0, 0, 2, 0, 3, 0xF8, 0},
        {0, 6, 1, 1, 0xB, 0x38, 6},    {1, 6, 1, 4, 0x8B, 0x38, 6},   {0, 12, 7, 0, 3, 0xF8, 9},
    };
    for (const Case &c : cases) {
        SaveOptions o = SaveOptions_Defaults();
        o.pngLace = c.lace, o.pngCmpLv = c.level, o.pngFilt = c.filt, o.pngTrans = c.trans;
        PngSaveOptions r;
        ASSERT_TRUE(SavePng_Options(o, rgb, &r));
        EXPECT_EQ(r.flags, c.flags) << c.lace << c.trans;
        EXPECT_EQ(r.filters, c.filters) << c.filt;
        EXPECT_EQ(r.level, c.level16);
        EXPECT_EQ(r.indexFlag, 0);
        EXPECT_EQ(r.reserved, 0u);
    }
    // Transparency: a palette picture gives the corner's index, a true-colour
    // one its COLORREF; a fifth corner from an older file is the last one.
    for (int32_t mode = 1; mode <= 5; ++mode) {
        SaveOptions o = SaveOptions_Defaults();
        o.pngTrans = mode;
        int32_t x, y;
        SaveCorner_Point((mode > 4 ? 4 : mode) - 1, 3, 2, &x, &y);
        PngSaveOptions p, t;
        ASSERT_TRUE(SavePng_Options(o, palette, &p));
        EXPECT_EQ(p.indexFlag, kPngSaveIndex);
        EXPECT_EQ(p.transparent, uint32_t(1 + y * 3 + x)) << mode;
        ASSERT_TRUE(SavePng_Options(o, rgb, &t));
        EXPECT_EQ(t.indexFlag, 0);
        EXPECT_EQ(t.transparent, Dib_GetPixelColour(x, rgb, y)) << mode;
    }
}

// The GIF corner is read from the 8-bit picture that is written: its index
// there must name the corner's colour in that picture's own table.
TEST(SaveWriters, GifCornerIndexComesFromTheWrittenPicture) {
    for (int32_t h : {5, -5})
        for (int32_t mode = 2; mode <= 5; ++mode) {
            fake::Scope scope;
            Holder pic(FewColours(KindNamed("24bit"), 7, h, 40));
            SaveOptions o = SaveOptions_Defaults();
            o.gifTrans = mode;
            Record rec;
            ASSERT_EQ(SaveGif_WriteTo(pic.h, o, Sink(rec)), 1);
            ASSERT_EQ(rec.depth, 8);
            int32_t x, y;
            SaveCorner_Point(mode - 2, 7, 5, &x, &y);
            const uint32_t colour = Dib_GetPixelColour(x, pic.h.handle, y);
            ASSERT_LT(rec.gif.transparentIndex, 256u);
            const uint8_t *table = rec.bytes.data() + 40 + rec.gif.transparentIndex * 4;
            EXPECT_EQ(uint32_t(table[2] | table[1] << 8 | table[0] << 16), colour) << "mode " << mode << " h " << h;
            EXPECT_EQ(scope.lib.Live(), 1u);
        }
}

struct PrepareCase {
    const char *kind;
    int gifDepth, jpegDepth, pngDepth;  // depth handed over; 0 = the picture itself
};

// Which picture each writer hands over, its colours, and that the picture
// in memory and the handle count are as before.
TEST(SaveWriters, PreparedPictureKeepsEveryColour) {
    const PrepareCase cases[] = {
        {"1bit", 0, 24, 0},       {"4bit", 0, 24, 0},      {"8bit-short", 0, 24, 0}, {"16bit-565", -1, 24, 24},
        {"24bit", 8, 0, 0},       {"32bit", 8, 24, 24},    {"32bit-101010", -1, 24, 24},
    };
    for (const PrepareCase &c : cases)
        for (int32_t h : {6, -6}) {
            SCOPED_TRACE(Name(KindNamed(c.kind), h));
            fake::Scope scope;
            const Kind &k = KindNamed(c.kind);
            Holder pic(k.depth <= 8 ? MakeRandom(k, 9, h, 3) : FewColours(k, 9, h, 30));
            const std::vector<uint8_t> before = Bytes(pic.h.handle);
            const std::vector<uint32_t> colours = Colours(pic.h.handle);
            const SaveOptions o = SaveOptions_Defaults();
            const struct {
                int depth;
                int (*write)(const DibHolder &, const SaveOptions &, const SaveSink &);
            } writers[] = {{c.gifDepth, SaveGif_WriteTo}, {c.jpegDepth, SaveJpeg_WriteTo}, {c.pngDepth, SavePng_WriteTo}};
            for (const auto &w : writers) {
                if (w.depth < 0) continue;  // needs the library's reduction (tested under Wine)
                Record rec;
                ASSERT_EQ(w.write(pic.h, o, Sink(rec)), 1);
                ASSERT_EQ(rec.calls, 1);
                if (w.depth == 0) {
                    EXPECT_EQ(rec.handle, pic.h.handle);
                } else {
                    EXPECT_NE(rec.handle, pic.h.handle);
                    EXPECT_EQ(rec.depth, w.depth);
                }
                EXPECT_EQ(rec.colours, colours);
                EXPECT_EQ(Bytes(pic.h.handle), before);
                EXPECT_EQ(scope.lib.Live(), 1u);
            }
        }
}

// BMP works on the picture itself: the rows go out in the order asked for,
// and afterwards the picture is byte for byte what it was.
TEST(SaveWriters, BmpOrientationAndRestore) {
    for (const char *kind : {"1bit", "4bit", "8bit", "16bit-565", "24bit", "32bit", "32bit-101010"})
        for (int32_t h : {4, -4})
            for (int32_t top : {0, 1})
                for (int32_t rle : {0, 1}) {
                    SCOPED_TRACE(Name(KindNamed(kind), h) + (top ? " BmpTop" : "") + (rle ? " BmpRLE" : ""));
                    fake::Scope scope;
                    Holder pic(MakeRandom(KindNamed(kind), 11, h, 5));
                    // Plain 32-bit pixels keep their fourth bytes as they are.
                    if (std::strcmp(kind, "32bit") != 0) Dib_Normalize(pic.h.handle);
                    DibHolder_Lock(pic.h);
                    const std::vector<uint8_t> before = Bytes(pic.h.handle);
                    const std::vector<uint32_t> colours = Colours(pic.h.handle);
                    SaveOptions o = SaveOptions_Defaults();
                    o.bmpTop = top;
                    o.bmpRle = rle;
                    Record rec;
                    ASSERT_EQ(SaveBmp_WriteTo(pic.h, o, Sink(rec)), 1);
                    EXPECT_EQ(rec.signedHeight, top ? -4 : 4);
                    EXPECT_EQ(rec.colours, colours);
                    EXPECT_EQ(Bytes(pic.h.handle), before);
                    EXPECT_EQ(pic.h.data, Dibcore_DataDIB(pic.h.handle));
                    EXPECT_EQ(scope.lib.Live(), 1u);
                }
}

// A failing library writer, or a library call failing anywhere on the way,
// gives 0, leaves the picture as it was and leaks nothing.
TEST(SaveWriters, FailuresLeaveThePictureAndLeakNothing) {
    using Writer = int (*)(DibHolder &, const SaveOptions &, const SaveSink &);
    const struct {
        const char *name;
        Writer write;
    } writers[] = {
        {"bmp", SaveBmp_WriteTo},
        {"gif", [](DibHolder &p, const SaveOptions &o, const SaveSink &s) { return SaveGif_WriteTo(p, o, s); }},
        {"jpeg", [](DibHolder &p, const SaveOptions &o, const SaveSink &s) { return SaveJpeg_WriteTo(p, o, s); }},
        {"png", [](DibHolder &p, const SaveOptions &o, const SaveSink &s) { return SavePng_WriteTo(p, o, s); }},
    };
    const fake::Entry entries[] = {fake::kData, fake::kCreate, fake::kCopy, fake::kTo24, fake::kRle};
    for (const auto &w : writers)
        for (const char *kind : {"8bit", "24bit", "32bit"})
            for (fake::Entry e : entries)
                for (int n = 0; n <= 8; ++n) {
                    SCOPED_TRACE(std::string(w.name) + " " + kind + " entry " + std::to_string(int(e)) + " call " +
                                 std::to_string(n));
                    fake::Scope scope;
                    const Kind &k = KindNamed(kind);
                    Holder pic(k.depth <= 8 ? MakeRandom(k, 6, -3, 9) : FewColours(k, 6, -3, 5));
                    if (k.depth != 32) Dib_Normalize(pic.h.handle);
                    DibHolder_Lock(pic.h);
                    const std::vector<uint8_t> before = Bytes(pic.h.handle);
                    const std::vector<uint32_t> colours = Colours(pic.h.handle);
                    std::memset(scope.lib.calls, 0, sizeof scope.lib.calls);
                    scope.lib.failAt[e] = n;
                    Record rec;
                    rec.result = n == 0 ? 0 : 1;  // call 0: the writer itself fails
                    SaveOptions o = SaveOptions_Defaults();
                    o.gifTrans = kGifTransBottomRight;  // the corners are read too
                    o.pngTrans = kPngTransBottomRight;
                    const int ok = w.write(pic.h, o, Sink(rec));
                    const bool reached = n == 0 || scope.lib.calls[e] >= n;
                    scope.lib.failAt[e] = 0;
                    // A failed fetch of storage may be one a step can do
                    // without (the resolution of a reduced copy); whatever is
                    // written then must still be the picture.
                    if (n == 0 || (reached && e != fake::kData)) {
                        EXPECT_EQ(ok, 0);
                    }
                    if (ok) {
                        EXPECT_EQ(rec.colours, colours);
                    }
                    EXPECT_EQ(scope.lib.doubleFrees, 0);
                    // BMP works on the picture itself: a library that can no
                    // longer give its storage back leaves the holder empty (the
                    // holder's rule), or with whatever was last fetched.
                    if (e == fake::kData && w.write == SaveBmp_WriteTo) {
                        EXPECT_EQ(scope.lib.Live(), pic.h.empty() ? 0u : 1u);
                        if (!reached) break;
                        continue;
                    }
                    ASSERT_FALSE(pic.h.empty());
                    EXPECT_EQ(pic.h.data, Dibcore_DataDIB(pic.h.handle));
                    EXPECT_EQ(Bytes(pic.h.handle), before);
                    EXPECT_EQ(scope.lib.Live(), 1u);
                    EXPECT_EQ(scope.lib.doubleFrees, 0);
                    if (!reached) break;
                }
}

}  // namespace
