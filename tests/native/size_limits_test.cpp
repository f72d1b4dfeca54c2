// The picture size limits: byte sizes in 64 bits, the sides, 32 bits and
// 1 GiB, the physical memory unless the option allows more, and when a
// large size must be confirmed.
#include <gtest/gtest.h>

#include <climits>

#include "dlg/qv_SizeLimits.h"

namespace {

constexpr uint64_t kGiB = 0x40000000;
const SizeLimitFacts kPlenty{0, 16 * kGiB};

struct CheckCase {
    const char *name;
    int64_t w, h;
    int32_t bits;
    uint64_t bytes;  // header + table + rows
    int32_t overflow;
    bool allowed;
};

const CheckCase kChecks[] = {
    {"1 x 1 at 1 bit", 1, 1, 1, 40 + 8 + 4, 0, true},
    {"palette and padded rows", 100, 100, 8, 40 + 1024 + 100 * 100, 0, true},
    {"24-bit rows padded to 4", 101, 2, 24, 40 + 2 * 304, 0, true},
    {"16 bits, no table", 3, 3, 16, 40 + 3 * 8, 0, true},
    // 65535 x 65535 at 24 bits needs 12 GB: refused, and its size passes 32 bits.
    {"65535 squared at 24 bits", 65535, 65535, 24, 40 + uint64_t{196608} * 65535, 1, false},
    // Within 32 bits but above 1 GiB.
    {"65535 squared at 8 bits", 65535, 65535, 8, 40 + 1024 + uint64_t{65536} * 65535, 0, false},
    // 1 GiB is allowed, one row more is not.
    {"just 1 GiB", 16384, 21845, 24, 40 + uint64_t{49152} * 21845, 0, true},
    {"just over 1 GiB", 16384, 21846, 24, 40 + uint64_t{49152} * 21846, 0, false},
    {"side above 65535", 65536, 1, 1, 40 + 8 + 8192, 0, false},
    {"height above 65535", 1, 65536, 1, 40 + 8 + 4 * uint64_t{65536}, 0, false},
    {"no width", 0, 10, 24, 40, 0, false},
    {"negative height", 10, -10, 24, 40, 0, false},
    {"no bits", 10, 10, 0, 40, 0, false},
    // Sides far beyond any field: the size saturates, never wraps small.
    {"huge sides", INT64_MAX, INT64_MAX, 32, UINT64_MAX, 1, false},
};

TEST(SizeLimits, CheckSize) {
    for (const CheckCase &c : kChecks) {
        SCOPED_TRACE(c.name);
        uint64_t bytes = 0;
        int32_t overflow = -1;
        EXPECT_EQ(NewImgDlg_CheckSize(c.w, c.h, c.bits, kPlenty, &bytes, &overflow), c.allowed);
        EXPECT_EQ(bytes, c.bytes);
        EXPECT_EQ(overflow, c.overflow);
    }
    EXPECT_TRUE(NewImgDlg_CheckSize(10, 10, 24, kPlenty, nullptr, nullptr));
}

TEST(SizeLimits, PhysicalMemoryUnlessTheOptionAllowsMore) {
    const uint64_t size = 40 + 1024 + 100 * 100;
    EXPECT_TRUE(NewImgDlg_CheckSize(100, 100, 8, SizeLimitFacts{0, size}, nullptr, nullptr));
    EXPECT_FALSE(NewImgDlg_CheckSize(100, 100, 8, SizeLimitFacts{0, size - 1}, nullptr, nullptr));
    EXPECT_TRUE(NewImgDlg_CheckSize(100, 100, 8, SizeLimitFacts{1, size - 1}, nullptr, nullptr));
    EXPECT_TRUE(NewImgDlg_CheckSize(100, 100, 8, SizeLimitFacts{1, 0}, nullptr, nullptr));
    // The option does not lift the fixed limits.
    EXPECT_FALSE(NewImgDlg_CheckSize(65535, 65535, 24, SizeLimitFacts{1, UINT64_MAX}, nullptr, nullptr));
    EXPECT_FALSE(NewImgDlg_CheckSize(16384, 21846, 24, SizeLimitFacts{1, UINT64_MAX}, nullptr, nullptr));
}

TEST(SizeLimits, LargeSizeDecision) {
    const uint64_t size = 40 + 1024 + 100 * 100;
    struct {
        const char *name;
        int64_t w, h;
        SizeLimitFacts facts;
        LargeSizeDecision want;
    } cases[] = {
        {"half the memory", 100, 100, {0, 2 * size}, kLargeSizeProceed},
        {"just above half", 100, 100, {0, 2 * size - 1}, kLargeSizeAsk},
        {"all the memory", 100, 100, {0, size}, kLargeSizeAsk},
        {"beyond memory with the option", 100, 100, {1, 100}, kLargeSizeAsk},
        {"beyond memory", 100, 100, {0, 100}, kLargeSizeRefuse},
        {"65535 squared", 65535, 65535, {1, UINT64_MAX}, kLargeSizeRefuse},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        uint64_t bytes = 0;
        EXPECT_EQ(NewImgDlg_LargeSizeDecision(c.w, c.h, 8, c.facts, &bytes), c.want);
        if (c.w == 100) {
            EXPECT_EQ(bytes, size);
        }
    }
    EXPECT_EQ(NewImgDlg_LargeSizeDecision(10, 10, 8, kPlenty, nullptr), kLargeSizeProceed);
}

}  // namespace
