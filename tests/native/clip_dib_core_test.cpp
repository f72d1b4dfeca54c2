// A clipboard DIB from another program is checked against its block before
// the library or a rectangle copy reads it: every header kind places its
// table, masks and bits where Windows puts them, a block one byte short of
// what the header claims is refused as damaged, and whatever is accepted is
// read by the library without leaving the block (exact-size buffers under
// ASan). Also the copy limit.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "image/qv_ClipDibCore.h"
#include "picture.h"
#include "storage.h"

namespace {

struct HeaderSpec {
    uint32_t size;  // 12 core, 40, 52, 56, 108, 124 ...
    int32_t width;
    int32_t height;
    uint16_t bpp;
    uint32_t compression;
    uint32_t clrUsed;
    uint32_t sizeImage;
};

void Put32(std::vector<uint8_t> &b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }
void Put16(std::vector<uint8_t> &b, size_t at, uint16_t v) { std::memcpy(b.data() + at, &v, 2); }

// Header, then `length - header` bytes of a counting pattern (table, masks
// and bits as the header places them).
std::vector<uint8_t> Block(const HeaderSpec &s, uint64_t length) {
    std::vector<uint8_t> b(size_t(length < s.size ? s.size : length));
    for (size_t i = 0; i < b.size(); ++i) b[i] = uint8_t(i * 7 + 3);
    std::memset(b.data(), 0, s.size);
    Put32(b, 0, s.size);
    if (s.size == 12) {
        Put16(b, 4, uint16_t(s.width));
        Put16(b, 6, uint16_t(s.height));
        Put16(b, 8, 1);
        Put16(b, 10, s.bpp);
    } else {
        Put32(b, 4, uint32_t(s.width));
        Put32(b, 8, uint32_t(s.height));
        Put16(b, 12, 1);
        Put16(b, 14, s.bpp);
        Put32(b, 16, s.compression);
        Put32(b, 20, s.sizeImage);
        Put32(b, 32, s.clrUsed);
        if (s.compression == kDibBitFields && s.size >= 52) {
            Put32(b, 40, 0xFF0000);
            Put32(b, 44, 0x00FF00);
            Put32(b, 48, 0x0000FF);
        }
    }
    if (length < s.size) b.resize(size_t(length));
    b.shrink_to_fit();
    return b;
}

struct LayoutCase {
    const char *name;
    HeaderSpec spec;
    uint32_t bitsOffset;
    uint64_t bitsBytes;
};

// Where the bits start and how many there are, for the header kinds a
// clipboard carries.
const LayoutCase kLayouts[] = {
    {"8-bit full table", {40, 5, 3, 8, kDibRgb, 0, 0}, 40 + 1024, 8 * 3},
    {"8-bit short table", {40, 5, -3, 8, kDibRgb, 2, 0}, 40 + 8, 8 * 3},
    {"1-bit", {40, 9, 2, 1, kDibRgb, 0, 0}, 40 + 8, 4 * 2},
    {"4-bit core header", {12, 3, 2, 4, kDibRgb, 0, 0}, 12 + 48, 4 * 2},
    {"24-bit core header", {12, 3, 2, 24, kDibRgb, 0, 0}, 12, 12 * 2},
    {"24-bit with a display-hint table", {40, 2, 2, 24, kDibRgb, 3, 0}, 40 + 12, 8 * 2},
    {"32-bit bit fields after a 40-byte header", {40, 3, 4, 32, kDibBitFields, 0, 0}, 52, 12 * 4},
    {"16-bit bit fields after a 40-byte header", {40, 3, -2, 16, kDibBitFields, 0, 0}, 52, 8 * 2},
    {"32-bit bit fields inside a 108-byte header", {108, 3, 4, 32, kDibBitFields, 0, 0}, 108, 12 * 4},
    {"32-bit 124-byte header", {124, 2, 2, 32, kDibRgb, 0, 0}, 124, 8 * 2},
    {"8-bit 56-byte header", {56, 4, 1, 8, kDibRgb, 4, 0}, 56 + 16, 4},
    {"RLE8 bounded by its stored size", {40, 64, 64, 8, kDibRle8, 2, 10}, 40 + 8, 10},
    {"RLE4 bounded by its stored size", {40, 64, 64, 4, kDibRle4, 0, 6}, 40 + 64, 6},
};

TEST(ClipDibCore, PlacesTableMasksAndBitsAndRefusesAShortBlock) {
    for (const auto &c : kLayouts) {
        SCOPED_TRACE(c.name);
        const uint64_t needed = c.bitsOffset + c.bitsBytes;
        std::vector<uint8_t> exact = Block(c.spec, needed);
        ClipDibLayout l{};
        ASSERT_EQ(ClipDib_Check(exact.data(), exact.size(), &l), kClipDibOk);
        EXPECT_EQ(l.headerBytes, c.spec.size);
        EXPECT_EQ(l.bitsOffset, c.bitsOffset);
        EXPECT_EQ(l.bitsOffset, l.headerBytes + l.maskBytes + l.tableBytes);
        EXPECT_EQ(l.bitsBytes, c.bitsBytes);
        EXPECT_EQ(l.neededBytes, needed);

        // Larger blocks are fine (the system may round a block up).
        std::vector<uint8_t> larger = Block(c.spec, needed + 100);
        EXPECT_EQ(ClipDib_Check(larger.data(), larger.size(), nullptr), kClipDibOk);

        // Every shorter block is refused, and the check itself never reads
        // past the block.
        for (uint64_t n = 0; n < needed; ++n) {
            std::vector<uint8_t> shorter = Block(c.spec, needed);
            shorter.resize(size_t(n));
            shorter.shrink_to_fit();
            ClipDibLayout s{};
            const ClipDibVerdict v = ClipDib_Check(shorter.data(), n, &s);
            ASSERT_NE(v, kClipDibOk) << "length " << n;
            EXPECT_EQ(s.neededBytes, 0u);
        }
        std::vector<uint8_t> oneShort = Block(c.spec, needed);
        EXPECT_EQ(ClipDib_Check(oneShort.data(), needed - 1, nullptr), kClipDibDamaged);
    }
}

TEST(ClipDibCore, AcceptedBlocksAreReadInsideTheBlockByTheLibrary) {
    for (const auto &c : kLayouts) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> exact = Block(c.spec, c.bitsOffset + c.bitsBytes);
        ClipDibLayout l{};
        ASSERT_EQ(ClipDib_Check(exact.data(), exact.size(), &l), kClipDibOk);
        dibcore::PictureOwner picture(dibcore::PictureFromPacked(exact.data(), exact.data() + l.bitsOffset));
        ASSERT_NE(picture.get(), nullptr);
        // The bits came from where the check said they are.
        ASSERT_GE(picture.get()->data.bitsSize, l.bitsBytes);
        EXPECT_EQ(std::memcmp(picture.get()->data.bits, exact.data() + l.bitsOffset, size_t(l.bitsBytes)), 0);
    }
}

TEST(ClipDibCore, LyingAndUnsupportedHeaders) {
    struct Case {
        const char *name;
        HeaderSpec spec;
        uint64_t length;
        ClipDibVerdict verdict;
    };
    const Case cases[] = {
        {"height far beyond the block", {40, 100, 100000, 24, kDibRgb, 0, 0}, 4096, kClipDibDamaged},
        {"top-down height far beyond the block", {40, 100, -100000, 24, kDibRgb, 0, 0}, 4096, kClipDibDamaged},
        {"sides that need more than 4 GB", {40, 0x1FFFFFFE, 0x7FFFFFFF, 32, kDibRgb, 0, 0}, 4096, kClipDibDamaged},
        {"colour count beyond the block", {40, 1, 1, 8, kDibRgb, 65536, 0}, 4096, kClipDibDamaged},
        {"RLE stored size beyond the block", {40, 4, 4, 8, kDibRle8, 2, 0x7FFFFFFF}, 4096, kClipDibDamaged},
        {"header longer than the block", {124, 1, 1, 24, kDibRgb, 0, 0}, 100, kClipDibDamaged},
        {"less than a size field", {40, 1, 1, 24, kDibRgb, 0, 0}, 3, kClipDibDamaged},
        {"unknown header size", {44, 1, 1, 24, kDibRgb, 0, 0}, 4096, kClipDibUnsupported},
        {"OS/2 header size", {64, 1, 1, 24, kDibRgb, 0, 0}, 4096, kClipDibUnsupported},
        {"more than 65536 colours", {40, 1, 1, 8, kDibRgb, 65537, 0}, 4096, kClipDibUnsupported},
        {"bit fields with 24 bits", {40, 1, 1, 24, kDibBitFields, 0, 0}, 4096, kClipDibUnsupported},
        {"alpha bit fields", {40, 1, 1, 32, 6, 0, 0}, 4096, kClipDibUnsupported},
        {"RLE without a stored size", {40, 4, 4, 8, kDibRle8, 0, 0}, 4096, kClipDibUnsupported},
        {"RLE stored top-down", {40, 4, -4, 8, kDibRle8, 0, 16}, 4096, kClipDibUnsupported},
        {"zero width", {40, 0, 4, 8, kDibRgb, 0, 0}, 4096, kClipDibUnsupported},
        {"negative width", {40, -4, 4, 8, kDibRgb, 0, 0}, 4096, kClipDibUnsupported},
        {"zero height", {40, 4, 0, 8, kDibRgb, 0, 0}, 4096, kClipDibUnsupported},
        {"depth 2", {40, 4, 4, 2, kDibRgb, 0, 0}, 4096, kClipDibUnsupported},
        {"width beyond any stride", {40, 0x7FFFFFFF, 1, 1, kDibRgb, 0, 0}, 4096, kClipDibUnsupported},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> b = Block(c.spec, c.length);
        ClipDibLayout l{};
        EXPECT_EQ(ClipDib_Check(b.data(), b.size(), &l), c.verdict);
        EXPECT_EQ(l.bitsOffset, 0u);
    }
    EXPECT_EQ(ClipDib_Check(nullptr, 100, nullptr), kClipDibDamaged);
}

TEST(ClipDibCore, CopyLimitIsAShareOfPhysicalMemoryCappedAtOneGiB) {
    struct Case {
        uint32_t physical;
        uint32_t percent;
        uint32_t limit;
    };
    const Case cases[] = {
        {0, 25, 0},
        {3, 25, 0},                          // rounds down to nothing
        {4000, 25, 1000},
        {0x80000000u, 25, 0x20000000u},      // 2 GB: a quarter
        {0xFFFFFFFFu, 25, 0x3FFFFFFFu},      // 4 GB or more: the product needs 64 bits
        {0xFFFFFFFFu, 100, kClipMaxCopyBytes},  // capped
        {0xFFFFFFFFu, 255, kClipMaxCopyBytes},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ClipDib_CopyLimit(c.physical, c.percent), c.limit) << c.physical << " x " << c.percent;
}

}  // namespace
