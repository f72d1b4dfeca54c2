// PNG writing on several threads: the blocks join into one valid zlib
// stream (checked by zlib's own inflate and Adler-32) that carries exactly
// the filtered rows of the single stream, whatever the depth, interlacing,
// block count or thread count; one thread still writes the single stream.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "png_codec.h"
#include "png_deflate_blocks.h"
#include "png_test_support.h"

using namespace pngtest;
using dibcore::ByteBuffer;
using dibcore::Picture;
using dibcore::PictureOwner;

namespace {

// A picture with smooth runs and noise, so every filter gets chosen
// somewhere and deflate finds matches.
Picture *TestPicture(int32_t width, int32_t height, int bits, std::mt19937 *rnd) {
    const uint32_t colours = bits <= 8 ? (1u << bits) : 0;
    DibRgbQuad table[256];
    for (auto &q : table) q = DibRgbQuad{uint8_t((*rnd)()), uint8_t((*rnd)()), uint8_t((*rnd)()), 0};
    Picture *p = dibcore::NewSimplePicture(width, height, bits, colours, colours ? table : nullptr);
    if (p == nullptr) return nullptr;
    const uint32_t rows = uint32_t(height < 0 ? -height : height);
    const size_t rowBytes = (size_t(width) * bits + 7) / 8;
    for (uint32_t y = 0; y < rows; ++y) {
        uint8_t *row = dibcore::RowFromTop(*p, y);
        for (size_t i = 0; i < rowBytes; ++i)
            row[i] = (*rnd)() % 4 == 0 ? uint8_t((*rnd)()) : uint8_t(i / 5 + y * 3);
        const size_t spare = (size_t(width) * bits) % 8;
        if (bits < 8 && spare) row[rowBytes - 1] &= uint8_t(0xFF << (8 - spare));
    }
    return p;
}

// The zlib stream: every IDAT body in order.
Bytes IdatStream(const ByteBuffer &file) {
    Bytes z;
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint8_t *c = file.data() + at;
        const uint32_t n = uint32_t(c[0]) << 24 | uint32_t(c[1]) << 16 | uint32_t(c[2]) << 8 | c[3];
        if (std::memcmp(c + 4, "IDAT", 4) == 0) z.insert(z.end(), c + 8, c + 8 + n);
        at += 12 + size_t(n);
    }
    return z;
}

// Inflates a whole zlib stream; zlib checks the header and the Adler-32
// trailer, and nothing may follow the stream.
testing::AssertionResult Inflate(const Bytes &z, Bytes *out) {
    z_stream s{};
    if (inflateInit(&s) != Z_OK) return testing::AssertionFailure() << "inflateInit";
    s.next_in = const_cast<Bytef *>(z.data());
    s.avail_in = uInt(z.size());
    uint8_t buf[1 << 16];
    int r;
    do {
        s.next_out = buf;
        s.avail_out = sizeof buf;
        r = inflate(&s, Z_NO_FLUSH);
        out->insert(out->end(), buf, buf + (sizeof buf - s.avail_out));
    } while (r == Z_OK);
    const uInt left = s.avail_in;
    inflateEnd(&s);
    if (r != Z_STREAM_END) return testing::AssertionFailure() << "inflate says " << r;
    if (left != 0) return testing::AssertionFailure() << left << " bytes after the stream";
    const uint8_t *t = z.data() + z.size() - 4;
    const uint32_t trailer = uint32_t(t[0]) << 24 | uint32_t(t[1]) << 16 | uint32_t(t[2]) << 8 | t[3];
    if (trailer != adler32(adler32(0, nullptr, 0), out->data(), uInt(out->size())))
        return testing::AssertionFailure() << "Adler-32 trailer wrong";
    return testing::AssertionSuccess();
}

ByteBuffer *Encode(const Picture &p, const PngSaveOptions &o, int threads, size_t blockBytes, ByteBuffer *file) {
    dibcore::PngEncodeTuning tuning;
    tuning.threads = threads;
    tuning.blockBytes = blockBytes;
    return dibcore::Png_EncodeTuned(p, &o, tuning, file) == dibcore::kPngOk ? file : nullptr;
}

Bytes Pixels(const Picture &p) {
    const uint8_t *b = static_cast<const uint8_t *>(p.data.bits);
    return Bytes(b, b + p.data.bitsSize);
}

// How many blocks the encoder cuts the picture's scanlines into (and the
// bytes it deflates).
uint32_t BlockCount(const Picture &p, bool interlace, size_t blockBytes, uint64_t *filteredBytes = nullptr) {
    dibcore::PngRowSource rows;
    if (!rows.Init(p)) return 0;
    const DibInfoHeader &h = *p.data.header;
    const dibcore::PngScanlines lines(rows, uint32_t(h.biWidth), uint32_t(std::abs(h.biHeight)), interlace);
    if (filteredBytes) *filteredBytes = lines.filteredBytes();
    return dibcore::PngBlockStarts(lines, blockBytes, nullptr);
}

enum Blocks { kOne, kTwo, kMany };

TEST(PngParallel, BlocksCarryTheSingleStreamsRowsAtEveryDepthAndLayout) {
    struct Case {
        int bits;
        int32_t width, height;  // negative height: top-down
        bool interlace;
        Blocks blocks;
    };
    const Case cases[] = {
        {24, 301, 97, false, kTwo},  {24, 301, 97, false, kMany}, {24, 64, -80, true, kMany},
        {24, 7, 5, true, kMany},     {8, 257, 41, false, kMany},  {8, 99, -33, true, kTwo},
        {4, 63, 70, false, kMany},   {4, 13, 29, true, kMany},    {1, 1, 300, false, kMany},
        {1, 45, 77, true, kMany},    {16, 77, 40, false, kMany},  {32, 50, -61, true, kMany},
        {24, 200, 30, false, kOne},
    };
    std::mt19937 rnd(5);
    for (const Case &c : cases) {
        for (uint32_t filters : {uint32_t{kPngFilterAll}, uint32_t{kPngFilterNone}, uint32_t{kPngFilterPaeth}}) {
            SCOPED_TRACE(testing::Message() << c.bits << " bits " << c.width << "x" << c.height << " Adam7 "
                                            << c.interlace << " filters " << filters << " blocks " << c.blocks);
            PictureOwner p(TestPicture(c.width, c.height, c.bits, &rnd));
            ASSERT_TRUE(p);
            uint64_t total = 0;
            BlockCount(*p.get(), c.interlace, 1, &total);
            // One scanline per block for many, the middle for two, all for one.
            const size_t blockBytes = c.blocks == kMany ? 1 : size_t(c.blocks == kTwo ? total / 2 : total);
            const uint32_t count = BlockCount(*p.get(), c.interlace, blockBytes);
            if (c.blocks == kMany) ASSERT_GT(count, 4u);
            else ASSERT_EQ(count, c.blocks == kTwo ? 2u : 1u);

            const PngSaveOptions o = Options(filters, c.interlace, 6);
            ByteBuffer single, blocks;
            ASSERT_TRUE(Encode(*p.get(), o, 1, 0, &single));
            ASSERT_TRUE(Encode(*p.get(), o, 3, blockBytes, &blocks));
            Bytes rowsSingle, rowsBlocks;
            ASSERT_TRUE(Inflate(IdatStream(single), &rowsSingle));
            ASSERT_TRUE(Inflate(IdatStream(blocks), &rowsBlocks));
            EXPECT_EQ(rowsSingle, rowsBlocks);

            Picture *a = nullptr, *b = nullptr;
            ASSERT_EQ(dibcore::Png_Decode(single.data(), single.size(), &a, nullptr), dibcore::kPngOk);
            PictureOwner ownA(a);
            ASSERT_EQ(dibcore::Png_Decode(blocks.data(), blocks.size(), &b, nullptr), dibcore::kPngOk);
            PictureOwner ownB(b);
            EXPECT_EQ(Pixels(*a), Pixels(*b));
            if (c.bits <= 8) {
                // Palette pictures come back as they went.
                for (int32_t y = 0; y < std::abs(c.height); ++y)
                    for (int32_t x = 0; x < c.width; ++x)
                        ASSERT_EQ(RawPixel(*p.get(), x, y), RawPixel(*b, x, y)) << x << "," << y;
            }
        }
    }
}

// The blocks are deflated alone, so the thread count changes only who does
// the work: with the block size fixed, the file is the same. Its zlib header
// names the level as the single stream's does.
TEST(PngParallel, FileDoesNotDependOnThreadCount) {
    std::mt19937 rnd(8);
    PictureOwner p(TestPicture(211, 150, 24, &rnd));
    for (uint16_t level : {1, 2, 5, 6, 7, 9}) {
        ByteBuffer single, blocks;
        ASSERT_TRUE(Encode(*p.get(), Options(kPngFilterAll, false, level), 1, 0, &single));
        ASSERT_TRUE(Encode(*p.get(), Options(kPngFilterAll, false, level), 4, 4000, &blocks));
        const Bytes a = IdatStream(single), b = IdatStream(blocks);
        EXPECT_EQ(Bytes(a.begin(), a.begin() + 2), Bytes(b.begin(), b.begin() + 2)) << "level " << level;
    }
    for (bool interlace : {false, true}) {
        const PngSaveOptions o = Options(kPngFilterAll, interlace, 6);
        ByteBuffer two;
        ASSERT_TRUE(Encode(*p.get(), o, 2, 4000, &two));
        for (int threads : {3, 8, 16}) {
            ByteBuffer other;
            ASSERT_TRUE(Encode(*p.get(), o, threads, 4000, &other));
            ASSERT_EQ(Bytes(two.data(), two.data() + two.size()), Bytes(other.data(), other.data() + other.size()))
                << threads << " threads, Adam7 " << interlace;
        }
    }
}

// One thread, level 0 or a picture of less than two blocks: one plain zlib
// stream, byte for byte what deflate makes of the filtered rows in one go.
TEST(PngParallel, SingleStreamWhereThreadsDoNotApply) {
    std::mt19937 rnd(3);
    PictureOwner p(TestPicture(120, 90, 24, &rnd));
    const size_t total = (120 * 3 + 1) * 90;
    struct Case {
        const char *name;
        int threads;
        size_t blockBytes;
        uint16_t level;
        uint32_t filters;
    };
    const Case cases[] = {
        {"one thread", 1, 100, 6, kPngFilterAll},       {"one thread, level 9", 1, 100, 9, kPngFilterSub},
        {"level 0", 4, 100, 0, kPngFilterAll},          {"under two blocks", 4, total / 2 + 1, 6, kPngFilterAll},
        {"default tuning, small picture", 0, 0, 6, kPngFilterAll}, {"no filters, level 1", 1, 0, 1, kPngFilterNone},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ByteBuffer file;
        ASSERT_TRUE(Encode(*p.get(), Options(c.filters, false, c.level), c.threads, c.blockBytes, &file));
        const Bytes z = IdatStream(file);
        Bytes rows;
        ASSERT_TRUE(Inflate(z, &rows));
        z_stream s{};
        const int strategy = c.filters == kPngFilterNone ? Z_DEFAULT_STRATEGY : Z_FILTERED;
        ASSERT_EQ(deflateInit2(&s, c.level, Z_DEFLATED, 15, 8, strategy), Z_OK);
        Bytes again(deflateBound(&s, uLong(rows.size())));
        s.next_in = rows.data();
        s.avail_in = uInt(rows.size());
        s.next_out = again.data();
        s.avail_out = uInt(again.size());
        EXPECT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
        again.resize(again.size() - s.avail_out);
        deflateEnd(&s);
        EXPECT_EQ(z, again);
    }
}

// Each block starts with the rows before it as deflate's history: rows that
// repeat across the cut still compress to almost nothing.
TEST(PngParallel, BlocksReachBackAcrossTheCut) {
    std::mt19937 rnd(4);
    const int32_t width = 1500, height = 60;
    PictureOwner p(dibcore::NewSimplePicture(width, height, 24, 0, nullptr));
    ASSERT_TRUE(p);
    Bytes noise(size_t(width) * 3);
    for (auto &b : noise) b = uint8_t(rnd());
    for (int32_t y = 0; y < height; ++y) std::memcpy(dibcore::RowFromTop(*p.get(), y), noise.data(), noise.size());
    const PngSaveOptions o = Options(kPngFilterNone, false, 6);
    ByteBuffer single, blocks;
    ASSERT_TRUE(Encode(*p.get(), o, 1, 0, &single));
    ASSERT_TRUE(Encode(*p.get(), o, 4, 1, &blocks));  // one row a block
    ASSERT_EQ(BlockCount(*p.get(), false, 1), uint32_t(height));
    // Without the history every block would hold its 4.5 KB of noise again.
    EXPECT_LT(blocks.size(), single.size() + size_t(height) * 64);
}

}  // namespace
