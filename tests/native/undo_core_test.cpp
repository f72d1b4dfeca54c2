// The pixel side of undo over the fake library (which moves storage on every
// in-place call): the saved-region size checked in 64 bits, packing a region
// with its patched header at every depth and both row orders, writing it back
// into a part (same format only, nothing outside touched) or as a whole new
// picture that is created before the old one is released.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/fake_dibcore.h"
#include "image/qv_DibOps.h"
#include "image/qv_UndoCore.h"
#include "raw_pixel.h"

namespace {

constexpr uint32_t kMask565[3] = {0xF800, 0x07E0, 0x001F};

struct Format {
    const char *name;
    int depth;
    uint32_t colours;
    const uint32_t *masks;
};

const Format kFormats[] = {
    {"1bit", 1, 2, nullptr},     {"4bit", 4, 16, nullptr},   {"8bit", 8, 256, nullptr},
    {"16bit-565", 16, 0, kMask565}, {"24bit", 24, 0, nullptr}, {"32bit", 32, 0, nullptr},
};

// A picture of the format with random pixels and a palette of distinct
// colours; signedHeight < 0 makes it top-down.
DibHandle MakePicture(const Format &f, int32_t width, int32_t signedHeight, uint32_t seed) {
    std::vector<DibRgbQuad> pal(f.colours ? f.colours : 1);
    for (uint32_t i = 0; i < pal.size(); ++i) pal[i] = DibRgbQuad{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0};
    const DibHandle h = Dib_Create(width, signedHeight < 0 ? -signedHeight : signedHeight, f.depth, f.colours, 0,
                                   f.depth <= 8 ? static_cast<const void *>(pal.data()) : f.masks);
    if (h == 0) return 0;
    DibData *d = Dibcore_DataDIB(h);
    if (signedHeight < 0) d->header->biHeight = signedHeight;
    std::mt19937 rng(seed);
    for (uint32_t i = 0; i < d->bitsSize; ++i) d->bits[i] = uint8_t(rng());
    return h;
}

std::vector<uint32_t> Pixels(DibHandle h, SelRect r) {
    const DibData *d = Dibcore_DataDIB(h);
    std::vector<uint32_t> v;
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x) v.push_back(RawPixelOf(*d->header, d->bits, x, y));
    return v;
}

SelRect Whole(DibHandle h) {
    const DibData *d = Dibcore_DataDIB(h);
    const int32_t ht = d->header->biHeight;
    return SelRect{0, 0, d->header->biWidth, ht < 0 ? -ht : ht};
}

std::vector<uint8_t> Pack(DibHandle h, const SelRect *r) {
    const DibData *d = Dibcore_DataDIB(h);
    const SelRect whole = Whole(h);
    const SelRect &use = r ? *r : whole;
    UndoRegionSize size;
    if (!UndoCore_RegionSize(d, use.right - use.left, use.bottom - use.top, &size)) return {};
    std::vector<uint8_t> block(size_t(size.total), 0xCD);
    if (!UndoCore_PackRegion(d, r, block.data(), block.size())) return {};
    return block;
}

// Every pixel byte inverted (through the library's current storage).
void Scramble(DibHandle h) {
    DibData *d = Dibcore_DataDIB(h);
    for (uint32_t i = 0; i < d->bitsSize; ++i) d->bits[i] = uint8_t(~d->bits[i]);
}

// A hand-made record for size checks that never reads the bits.
struct FakeRecord {
    std::vector<uint8_t> packed;
    uint8_t byte = 0;
    DibData data{};
    FakeRecord(int32_t width, int32_t height, int depth, uint32_t clrUsed, uint32_t bitsSize) {
        DibInfoHeader h{};
        h.biSize = 40;
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = uint16_t(depth);
        h.biClrUsed = clrUsed;
        packed.assign(reinterpret_cast<uint8_t *>(&h), reinterpret_cast<uint8_t *>(&h) + 40);
        packed.resize(Dib_HeaderAndPaletteSize(packed.data()), 0);
        data.headerSize = uint32_t(packed.size());
        data.header = reinterpret_cast<DibInfoHeader *>(packed.data());
        data.bits = &byte;
        data.bitsSize = bitsSize;
    }
};

TEST(UndoCoreSize, WholeSizeIsCheckedInSixtyFourBits) {
    struct Case {
        const char *name;
        int32_t width, height;
        int depth;
        uint32_t clrUsed, bitsSize;
        int32_t regionW, regionH;
        bool ok;
        uint32_t headerBytes;
        uint64_t bits;
    };
    const Case cases[] = {
        {"8bit-region", 10, 5, 8, 0, 60, 5, 3, true, 40 + 1024, 8 * 3},
        {"1bit-odd", 33, 2, 1, 0, 16, 33, 2, true, 48, 8 * 2},
        {"24bit-whole", 3, 3, 24, 0, 36, 3, 3, true, 40, 12 * 3},
        // 2^32 - 1024 bytes of rows plus a 1064-byte header: the low word of
        // the total is 40, which must not pass for a small block.
        {"over-4GiB-total", 17664, 60787, 32, 256, 0xFFFFFC00u, 17664, 60787, false, 0, 0},
        {"just-fits", 16384, 65535, 32, 0, 0xFFFF0000u, 16384, 65535, true, 40, 0xFFFF0000ull},
        {"side-too-wide", 70000, 1, 1, 0, 8752, 70000, 1, false, 0, 0},
        {"region-wider-than-picture", 4, 4, 24, 0, 48, 5, 4, false, 0, 0},
        {"empty-region", 4, 4, 24, 0, 48, 0, 4, false, 0, 0},
        {"bits-shorter-than-header-says", 4, 4, 24, 0, 47, 4, 4, false, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeRecord rec(c.width, c.height, c.depth, c.clrUsed, c.bitsSize);
        UndoRegionSize size;
        ASSERT_EQ(UndoCore_RegionSize(&rec.data, c.regionW, c.regionH, &size), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(size.headerBytes, c.headerBytes);
        EXPECT_EQ(size.bitsBytes, c.bits);
        EXPECT_EQ(size.total, c.headerBytes + c.bits);
    }
}

TEST(UndoCoreSize, ShortTableFromTheLibraryIsRefused) {
    FakeRecord rec(4, 4, 8, 0, 16);
    rec.data.headerSize -= 4;  // the library holds one entry less than the header claims
    EXPECT_FALSE(UndoCore_RegionSize(&rec.data, 4, 4, nullptr));
}

// Pack, check the block's header, change the picture, write back: the region
// comes back exactly and nothing outside it changes.
TEST(UndoCoreRoundTrip, EveryDepthBothOrdersPartAndWhole) {
    const SelRect part{3, 1, 14, 5};
    for (const Format &f : kFormats)
        for (int32_t signedHeight : {7, -7})
            for (bool whole : {false, true}) {
                SCOPED_TRACE(std::string(f.name) + (signedHeight < 0 ? " top-down" : " bottom-up") +
                             (whole ? " whole" : " part"));
                fake::Scope lib;
                const DibHandle pic = MakePicture(f, 17, signedHeight, 11);
                ASSERT_NE(pic, 0);
                const SelRect region = whole ? Whole(pic) : part;
                const std::vector<uint32_t> before = Pixels(pic, Whole(pic));
                const std::vector<uint8_t> block = Pack(pic, whole ? nullptr : &part);
                ASSERT_FALSE(block.empty());

                DibInfoHeader hd;
                std::memcpy(&hd, block.data(), sizeof hd);
                const int32_t w = region.right - region.left, h = region.bottom - region.top;
                EXPECT_EQ(hd.biWidth, w);
                EXPECT_EQ(hd.biHeight, signedHeight < 0 ? -h : h);
                EXPECT_EQ(hd.biSizeImage, Dib_RowStride(f.depth, w) * uint32_t(h));
                const uint8_t *bits = UndoCore_SavedBits(block.data(), block.size());
                ASSERT_NE(bits, nullptr);
                for (int32_t y = 0; y < h; ++y)
                    for (int32_t x = 0; x < w; ++x)
                        ASSERT_EQ(RawPixelOf(hd, bits, x, y), before[size_t(region.top + y) * 17 + region.left + x]);

                Scramble(pic);
                const std::vector<uint32_t> scrambled = Pixels(pic, Whole(pic));
                DibHolder holder;
                ASSERT_TRUE(DibHolder_Attach(holder, pic));
                const int ok = whole ? UndoCore_RestoreWhole(holder, block.data(), block.size())
                                     : UndoCore_RestorePart(holder, block.data(), block.size(), part.left, part.top);
                ASSERT_EQ(ok, 1);
                const std::vector<uint32_t> after = Pixels(holder.handle, Whole(holder.handle));
                for (int32_t y = 0; y < 7; ++y)
                    for (int32_t x = 0; x < 17; ++x) {
                        const bool inside =
                            x >= region.left && x < region.right && y >= region.top && y < region.bottom;
                        const size_t i = size_t(y) * 17 + x;
                        ASSERT_EQ(after[i], inside ? before[i] : scrambled[i]) << x << "," << y;
                    }
                const DibData *d = holder.data;
                EXPECT_EQ(d->header->biHeight, signedHeight);
                EXPECT_EQ(lib.lib.Live(), 1u);
            }
}

// A 12-byte core header keeps its 3-byte table and gets its 16-bit sizes
// patched.
TEST(UndoCoreRoundTrip, CoreHeaderPart) {
    fake::Scope lib;
    std::vector<uint8_t> packed(12 + 3 * 256);
    const DibCoreHeader core{12, 9, 4, 1, 8};
    std::memcpy(packed.data(), &core, 12);
    for (int i = 0; i < 256; ++i) packed[12 + 3 * i] = uint8_t(i);
    std::vector<uint8_t> bits(12 * 4);
    for (size_t i = 0; i < bits.size(); ++i) bits[i] = uint8_t(i * 5);
    const DibHandle pic = Dibcore_CreateDIB(packed.data(), bits.data());
    ASSERT_NE(pic, 0);
    const SelRect part{2, 1, 7, 3};
    const std::vector<uint8_t> block = Pack(pic, &part);
    ASSERT_EQ(block.size(), 12u + 768u + 8u * 2u);
    DibCoreHeader saved;
    std::memcpy(&saved, block.data(), 12);
    EXPECT_EQ(saved.bcWidth, 5);
    EXPECT_EQ(saved.bcHeight, 2);
    EXPECT_EQ(std::memcmp(block.data() + 12, packed.data() + 12, 768), 0);

    Scramble(pic);
    DibHolder holder;
    ASSERT_TRUE(DibHolder_Attach(holder, pic));
    ASSERT_EQ(UndoCore_RestorePart(holder, block.data(), block.size(), part.left, part.top), 1);
    // Rows are stored bottom-up: picture row y (from the top) is stored row 3 - y.
    for (int32_t y = part.top; y < part.bottom; ++y)
        for (int32_t x = part.left; x < part.right; ++x)
            EXPECT_EQ(holder.data->bits[size_t(3 - y) * 12 + x], bits[size_t(3 - y) * 12 + x]);
}

// A part goes back only into a picture of the same format and only where it
// fits; a refusal leaves every pixel as it was.
TEST(UndoCoreRestore, PartIntoOtherFormatOrOutsideIsRefused) {
    struct Case {
        const char *name;
        Format saved, current;
        int32_t currentWidth;
        int32_t left;
    };
    const Format k8{"8bit", 8, 256, nullptr}, k8short{"8bit-16", 8, 16, nullptr};
    const Format k24{"24bit", 24, 0, nullptr}, k16{"16bit-555", 16, 0, nullptr}, k565{"16bit-565", 16, 0, kMask565};
    const Format k32{"32bit", 32, 0, nullptr};
    const Case cases[] = {
        {"depth", k8, k24, 12, 1},
        {"colour count", k8, k8short, 12, 1},
        {"masks", k16, k565, 12, 1},
        {"24 into 32", k24, k32, 12, 1},
        {"reaches past the right edge", k24, k24, 12, 8},
        {"negative left", k24, k24, 12, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fake::Scope lib;
        const DibHandle src = MakePicture(c.saved, 12, 6, 3);
        const SelRect part{0, 0, 5, 4};
        const std::vector<uint8_t> block = Pack(src, &part);
        ASSERT_FALSE(block.empty());
        const DibHandle cur = MakePicture(c.current, c.currentWidth, 6, 9);
        const std::vector<uint32_t> before = Pixels(cur, Whole(cur));
        DibHolder holder;
        ASSERT_TRUE(DibHolder_Attach(holder, cur));
        EXPECT_EQ(UndoCore_RestorePart(holder, block.data(), block.size(), c.left, 1), 0);
        EXPECT_EQ(Pixels(holder.handle, Whole(holder.handle)), before);
        Dibcore_DeleteDIB(src);
    }
}

TEST(UndoCoreRestore, DamagedBlocksAreRefused) {
    fake::Scope lib;
    const DibHandle pic = MakePicture(kFormats[2], 8, 4, 5);
    std::vector<uint8_t> block = Pack(pic, nullptr);
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(UndoCore_SavedBits(block.data(), block.size() - 1), nullptr);  // one row byte short
    EXPECT_EQ(UndoCore_SavedBits(block.data(), 1064), nullptr);              // only header and table
    EXPECT_EQ(UndoCore_SavedBits(block.data(), 3), nullptr);
    std::vector<uint8_t> bad = block;
    bad[0] = 41;  // no such header size
    EXPECT_EQ(UndoCore_SavedBits(bad.data(), bad.size()), nullptr);
    bad = block;
    bad[16] = kDibRle8;  // a saved block is always uncompressed
    EXPECT_EQ(UndoCore_SavedBits(bad.data(), bad.size()), nullptr);
    EXPECT_NE(UndoCore_SavedBits(block.data(), block.size()), nullptr);
}

// An injected failure of the creation or of fetching the new picture keeps
// the old picture in the holder, and no handle is left behind.
TEST(UndoCoreRestore, WholeRestoreFailureKeepsThePicture) {
    for (fake::Entry failing : {fake::kCreate, fake::kData}) {
        SCOPED_TRACE(failing == fake::kCreate ? "create" : "data");
        fake::Scope lib;
        const DibHandle saved = MakePicture(kFormats[4], 6, 5, 1);
        const std::vector<uint8_t> block = Pack(saved, nullptr);
        Dibcore_DeleteDIB(saved);
        const DibHandle cur = MakePicture(kFormats[2], 9, -3, 2);
        const std::vector<uint32_t> before = Pixels(cur, Whole(cur));
        DibHolder holder;
        ASSERT_TRUE(DibHolder_Attach(holder, cur));
        lib.lib.failAt[failing] = lib.lib.calls[failing] + 1;
        EXPECT_EQ(UndoCore_RestoreWhole(holder, block.data(), block.size()), 0);
        ASSERT_EQ(holder.handle, cur);
        ASSERT_NE(holder.data, nullptr);
        EXPECT_EQ(holder.data, Dibcore_DataDIB(cur));
        EXPECT_EQ(Pixels(cur, Whole(cur)), before);
        EXPECT_EQ(lib.lib.Live(), 1u);
        EXPECT_EQ(lib.lib.doubleFrees, 0);
    }
}

TEST(UndoCoreRestore, WholeRestoreIntoEmptyHolder) {
    fake::Scope lib;
    const DibHandle saved = MakePicture(kFormats[1], 5, -4, 8);
    const std::vector<uint32_t> before = Pixels(saved, Whole(saved));
    const std::vector<uint8_t> block = Pack(saved, nullptr);
    Dibcore_DeleteDIB(saved);
    DibHolder holder;
    ASSERT_EQ(UndoCore_RestoreWhole(holder, block.data(), block.size()), 1);
    EXPECT_EQ(Pixels(holder.handle, Whole(holder.handle)), before);
    EXPECT_EQ(holder.data->header->biHeight, -4);
    EXPECT_EQ(holder.data->headerSize, 40u + 16u * 4u);
}

}  // namespace
