// CRC-32, multiply-divide and unit conversions against independent models.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>

#include "util/qv_Crc32.h"
#include "util/qv_MathUtil.h"
#include "util/qv_Units.h"

namespace {

// Bit-at-a-time CRC, straight from the polynomial.
uint32_t ReferenceCrc(const uint8_t *p, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

TEST(Crc32, KnownValuesAndEmptyInput) {
    EXPECT_EQ(Util_Crc32(9, "123456789"), 0xCBF43926u);
    EXPECT_EQ(Util_Crc32(0, "x"), 0u);
    EXPECT_EQ(Util_Crc32(5, nullptr), 0u);
}

TEST(Crc32, MatchesBitwiseModelAtEveryLengthAndAlignment) {
    std::mt19937 rng(7);
    uint8_t buf[300];
    for (auto &b : buf) b = static_cast<uint8_t>(rng());
    for (size_t off = 0; off < 8; ++off)
        for (size_t n = 0; n + off <= sizeof buf; n += 7)
            ASSERT_EQ(Util_Crc32(n, buf + off), ReferenceCrc(buf + off, n)) << off << " " << n;
    // Continuing a CRC gives the CRC of the whole.
    EXPECT_EQ(Util_Crc32Update(Util_Crc32(100, buf), buf + 100, 200), ReferenceCrc(buf, 300));
}

// Exact rounded quotient, halves away from zero, in 128-bit arithmetic.
__int128 ExactRound(int32_t a, int32_t b, int32_t c) {
    __int128 p = static_cast<__int128>(a) * b;
    __int128 d = c;
    const bool neg = (p < 0) != (d < 0) && p != 0;
    if (p < 0) p = -p;
    if (d < 0) d = -d;
    __int128 q = (2 * p + d) / (2 * d);
    return neg ? -q : q;
}

TEST(MulDivRound, AgreesWithExactArithmeticOverAllSigns) {
    const int32_t values[] = {0, 1, -1, 2, -2, 3, -3, 7, -7, 10, -10, 99, -99, 46341, -46341,
                              65535, -65535, 1000000, -1000000, INT32_MAX, INT32_MIN, INT32_MAX - 1, INT32_MIN + 1};
    for (int32_t a : values)
        for (int32_t b : values)
            for (int32_t c : values) {
                if (c == 0) continue;
                int32_t ovf = -1;
                const int32_t got = Math_MulDivRound(a, &ovf, b, c);
                const __int128 want = ExactRound(a, b, c);
                if (want > INT32_MAX || want < INT32_MIN) {
                    EXPECT_EQ(ovf, 1) << a << "*" << b << "/" << c;
                    EXPECT_EQ(got, want > 0 ? INT32_MAX : INT32_MIN);
                } else {
                    EXPECT_EQ(ovf, 0) << a << "*" << b << "/" << c;
                    EXPECT_EQ(got, static_cast<int32_t>(want)) << a << "*" << b << "/" << c;
                }
            }
}

TEST(MulDivRound, RandomAgreementAndZeroDivisor) {
    std::mt19937 rng(11);
    for (int i = 0; i < 200000; ++i) {
        const int32_t a = static_cast<int32_t>(rng()), b = static_cast<int32_t>(rng() >> (rng() % 32));
        const int32_t c = static_cast<int32_t>(rng() >> (rng() % 32)) | 1;
        int32_t ovf = 0;
        const int32_t got = Math_MulDivRound(a, &ovf, b, c);
        const __int128 want = ExactRound(a, b, c);
        if (want <= INT32_MAX && want >= INT32_MIN) ASSERT_EQ(got, static_cast<int32_t>(want));
        else ASSERT_EQ(ovf, 1);
    }
    int32_t ovf = 0;
    EXPECT_EQ(Math_MulDivRound(5, &ovf, 3, 0), INT32_MAX);
    EXPECT_EQ(ovf, 1);
    EXPECT_EQ(Math_MulDivRound(-5, &ovf, 3, 0), INT32_MIN);
    EXPECT_EQ(Math_MulDiv(5, 3, 0), 0);
    EXPECT_EQ(Math_MulDiv(-7, 1, 2), -4);  // -3.5 rounds away from zero
    EXPECT_EQ(Math_MulDiv(7, 1, -2), -4);
    EXPECT_EQ(Math_MulDiv(-5, 1, 3), -2);  // -1.67
}

TEST(MulDiv, CheckedUnsignedAndLimit) {
    int32_t ovf = 0;
    EXPECT_EQ(Math_MulDivChecked(100000, 100000, &ovf, 1), INT32_MAX);
    EXPECT_EQ(ovf, 1);
    EXPECT_EQ(Math_MulDivChecked(-7, 3, &ovf, 2), -10);
    EXPECT_EQ(ovf, 0);
    EXPECT_EQ(Math_MulDivChecked(1, 1, &ovf, 0), INT32_MAX);
    EXPECT_EQ(ovf, 1);
    EXPECT_EQ(Math_MulDivUnsigned(&ovf, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu), 0xFFFFFFFFu);
    EXPECT_EQ(ovf, 0);
    EXPECT_EQ(Math_MulDivUnsigned(&ovf, 0xFFFFFFFFu, 2, 1), 0xFFFFFFFFu);
    EXPECT_EQ(ovf, 1);
    EXPECT_EQ(Math_MulDivUnsigned(&ovf, 5, 5, 0), 0xFFFFFFFFu);
    EXPECT_EQ(ovf, 1);
    EXPECT_EQ(Math_MulLimit(65536, 65535, 0xFFFFFFFFu), 65536u * 65535u);
    EXPECT_EQ(Math_MulLimit(65536, 65536, 0xFFFFFFFFu), 0u);
    EXPECT_EQ(Math_MulLimit(10, 10, 99), 0u);
}

struct ScaleCase {
    uint32_t flags;
    int32_t a, b, c;
    int32_t result;
    int32_t status;
};

TEST(ScaleSigned, RoundingModesTable) {
    const ScaleCase cases[] = {
        {0, 2, -5, 1, -2, 0},               // nearest, half toward +inf
        {0x100, 2, -5, 1, -3, 0},           // symmetric: half away from zero
        {0, 2, 5, 1, 3, 0},
        {1, 3, 7, 1, 3, 0},                 // ceiling of 2.33
        {1, 3, -7, 1, -2, 0},               // ceiling of -2.33
        {0x101, 3, -7, 1, -3, 0},           // symmetric ceiling: away from zero
        {2, 3, -7, 1, -3, 0},               // floor
        {0x102, 3, -7, 1, -2, 0},           // symmetric floor: toward zero
        {0, -3, 7, 1, -2, 0},               // negative divisor
        {0, 0, 7, 1, 0, 1},                 // a = 0
        {0, 1, 65536, 65536, 0, 2},         // above the range
        {0x200, 1, 65536, 65536, INT32_MAX, 2},
        {0x200, 1, -65536, 65536, INT32_MIN, 3},
        {0, 1, -65536, 65536, 0, 3},
    };
    for (const auto &k : cases) {
        int32_t status = -1;
        EXPECT_EQ(Math_ScaleSigned(k.flags, k.a, k.b, k.c, &status), k.result) << k.flags << " " << k.a << " " << k.b;
        EXPECT_EQ(status, k.status);
    }
}

TEST(Units, ConversionsTable) {
    EXPECT_EQ(Units_PpmToDpi(2835), 7200);
    EXPECT_EQ(Units_PpmToDpi(3780), 9600);
    EXPECT_EQ(Units_PpmToDpi(3000), 7620);
    EXPECT_EQ(Units_PpmToDpi(0), 0);
    EXPECT_EQ(Units_DpiToPpm(72), 2835);
    EXPECT_EQ(Units_InchToCm(100), 254);
    EXPECT_EQ(Units_CmToInch(254), 100);
    EXPECT_EQ(Units_CmToInch(-5), 0);
    EXPECT_EQ(Units_CmToInchSigned(-254), -100);
    EXPECT_EQ(Units_ToTenThousandths(1, 3), 3333);
    EXPECT_EQ(Units_FromTenThousandths(3333, 3), 1);
    EXPECT_EQ(Units_ScaleInch64(0, 5), 0);
    EXPECT_EQ(Units_ScaleInch64(1, INT32_MAX), 0);  // does not fit
    EXPECT_EQ(Units_ScaleMicro64(1000, 1000), 254);
    int32_t x = 0, y = 3780;
    Units_DefaultResolution(&x, &y);
    EXPECT_EQ(x, 3780);
    x = y = 0;
    Units_DefaultResolution(&x, &y);
    EXPECT_EQ(x, 2835);
    EXPECT_EQ(y, 2835);
}

TEST(Rects, FitIntoBounds) {
    struct Case {
        Rect bounds, rect, want;
    } cases[] = {
        {{0, 0, 100, 100}, {90, 90, 120, 130}, {70, 60, 100, 100}},   // moved back inside
        {{0, 0, 100, 100}, {-50, 10, 150, 20}, {0, 10, 100, 20}},     // wider than bounds: cut
        {{100, 100, 0, 0}, {10, 10, 20, 20}, {10, 10, 20, 20}},       // bounds normalised
        {{0, 0, 100, 100}, {-10, -10, 5, 5}, {0, 0, 15, 15}},
    };
    for (auto &k : cases) {
        Rect r = k.rect;
        Math_FitRectInto(&k.bounds, &r);
        EXPECT_TRUE(Rect_Equal(&r, &k.want)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
    Rect e{5, 5, 5, 9};
    EXPECT_TRUE(Rect_IsEmpty(&e));
    EXPECT_TRUE(Rect_IsEmpty(nullptr));
}

}  // namespace
