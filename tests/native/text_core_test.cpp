// Text stepping, natural order and path algorithms over UTF-16 units and a
// double-byte code page.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "util/qv_Sort.h"
#include "util/qv_StrCore.h"

namespace {

using U16 = std::u16string;

// Stand-ins for the system collation: caseless by ASCII folding, then cased.
int FoldCompare(const char16_t *a, size_t na, const char16_t *b, size_t nb) {
    const size_t n = std::min(na, nb);
    for (size_t i = 0; i < n; ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y) return x < y ? -1 : 1;
    }
    return na == nb ? 0 : (na < nb ? -1 : 1);
}
int CasedCompare(const char16_t *a, size_t na, const char16_t *b, size_t nb) {
    // Word order: lower case before upper case, as the system's cased compare does.
    const size_t n = std::min(na, nb);
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) {
            const bool la = a[i] >= 'a' && a[i] <= 'z', lb = b[i] >= 'a' && b[i] <= 'z';
            if (la != lb) return la ? -1 : 1;
            return a[i] < b[i] ? -1 : 1;
        }
    return na == nb ? 0 : (na < nb ? -1 : 1);
}
const qvtext::Collation<char16_t> kColl{FoldCompare, CasedCompare};

int Nat(const U16 &a, const U16 &b) { return qvtext::CompareNatural(a.c_str(), b.c_str(), kColl); }

TEST(NaturalOrder, PairsTable) {
    struct Case {
        U16 a, b;
        int want;
    } cases[] = {
        {u"file2", u"file10", -1},
        {u"a", u"a1", -1},
        {u"1x", u"x1", -1},
        {u"007", u"7", 1},        // equal values: more leading zeros after
        {u"file", u"File", -1},   // equal but for case: never equal
        {u"File", u"file", 1},
        {u"x", u"x", 0},
        {u"img99999999999999999999", u"img100000000000000000000", -1},      // 20 vs 21 digits
        {u"a1234567890123456789012345", u"a123456789012345678901234", 1},   // 25 vs 24 digits
        {u"a1234567890123456799012345", u"a1234567890123456789012345", 1},  // differ in the 20th digit
        {u"", u"a", -1},
        {u"page 3 b", u"page 3 a", 1},
    };
    for (const auto &k : cases) {
        EXPECT_EQ(Nat(k.a, k.b), k.want) << std::string(k.a.begin(), k.a.end()) << " vs "
                                          << std::string(k.b.begin(), k.b.end());
        EXPECT_EQ(Nat(k.b, k.a), -k.want);
    }
    EXPECT_EQ(qvtext::CompareNatural<char16_t>(nullptr, u"a", kColl), -1);
}

TEST(NaturalOrder, IsAStrictWeakOrderOverTrickyNames) {
    std::vector<U16> names = {u"1x", u"x1", u"a", u"A", u"a1", u"a01", u"a001", u"a1b", u"a10", u"a2",
                              u"", u"0", u"00", u"x", u"X1", u"x01", u"b", u"a1a", u"a1A", u"10",
                              u"9", u"a 1", u"a_1", u"Z", u"z1z", u"z01z"};
    for (auto &a : names) {
        EXPECT_EQ(Nat(a, a), 0);
        for (auto &b : names) {
            EXPECT_EQ(Nat(a, b), -Nat(b, a));
            if (a != b) {
                EXPECT_NE(Nat(a, b), 0);
            }
            for (auto &c : names) {
                if (Nat(a, b) < 0 && Nat(b, c) < 0) {
                    EXPECT_LT(Nat(a, c), 0) << "transitivity";
                }
            }
        }
    }
}

TEST(Sorting, StaysInBoundsWithAnInconsistentCompareAndSortsWithAGoodOne) {
    std::mt19937 rng(3);
    for (size_t n : {0u, 1u, 2u, 17u, 100u, 1000u}) {
        std::vector<uint32_t> idx(n);
        for (size_t i = 0; i < n; ++i) idx[i] = uint32_t(i);
        // A compare that answers at random: only bounds and the permutation matter.
        ASSERT_TRUE(Util_SortIndices(idx.data(), n, [&](uint32_t, uint32_t) { return (rng() & 1) != 0; }));
        std::vector<uint32_t> sorted = idx;
        std::sort(sorted.begin(), sorted.end());
        for (size_t i = 0; i < n; ++i) ASSERT_EQ(sorted[i], i);
    }
    std::vector<int> keys(500);
    for (auto &k : keys) k = int(rng() % 50);
    std::vector<uint32_t> idx(keys.size());
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = uint32_t(i);
    Util_SortIndices(idx.data(), idx.size(), [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
    std::vector<int> permuted = keys;
    Util_ApplyPermutation(permuted.data(), idx.data(), permuted.size());
    EXPECT_TRUE(std::is_sorted(permuted.begin(), permuted.end()));
    std::vector<int> want = keys;
    std::stable_sort(want.begin(), want.end());
    EXPECT_EQ(permuted, want);
}

TEST(Stepping, SurrogatePairsAreNeverSplit) {
    const U16 s = u"ab\U0001F600c";  // a b <pair> c
    EXPECT_EQ(qvtext::FitLength(3, s.c_str()), 2u);
    EXPECT_EQ(qvtext::FitLength(4, s.c_str()), 4u);
    U16 t = s;
    EXPECT_EQ(qvtext::TruncateInPlace(&t[0], 3), 2u);
    EXPECT_EQ(U16(t.c_str()), u"ab");
    const char16_t *end = s.c_str() + 4;
    EXPECT_EQ(qvtext::PrevChar(end, s.c_str()), s.c_str() + 2);
    EXPECT_EQ(qvtext::PrevChar(s.c_str(), s.c_str()), nullptr);
    EXPECT_EQ(qvtext::NextChar(s.c_str() + 2), s.c_str() + 4);
    // A lone high surrogate is one character of its own.
    const char16_t lone[] = {u'a', 0xD800, u'b', 0};
    EXPECT_EQ(qvtext::FitLength(2, lone), 2u);
}

// A Shift-JIS-like code page: lead bytes 0x81..0x9F and 0xE0..0xFC.
bool FakeLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

TEST(Stepping, DoubleByteCharactersAreNeverSplit) {
    qvtext::g_leadByteTest = FakeLead;
    // "a", a double-byte char whose trail byte is '\' (0x5C), "b".
    const char s[] = {'a', char(0x95), char(0x5C), 'b', 0};
    EXPECT_EQ(qvtext::FitLength(2, s), 1u);
    EXPECT_EQ(qvtext::FitLength(3, s), 3u);
    EXPECT_EQ(qvtext::PrevChar(s + 3, s), s + 1);
    // The trail byte is not a separator: the name is the whole text.
    qvtext::PathParts<char> parts{};
    ASSERT_TRUE(qvtext::Split(s, &parts));
    EXPECT_EQ(parts.name, s);
    qvtext::g_leadByteTest = nullptr;
}

TEST(Paths, SplitTable) {
    struct Case {
        U16 path;
        int afterRoot, lastFolder, name, ext;  // offsets, -1 for null
    } cases[] = {
        {u"\\\\srv\\share\\dir\\a.b.c", 11, 12, 16, 19},
        {u"C:\\dir\\x.png", 2, 3, 7, 8},
        {u"C:\\", 2, -1, -1, -1},
        {u"C:\\dir\\", 2, 3, -1, -1},
        {u"name", 0, -1, 0, -1},
        {u".hidden", 0, -1, 0, 0},
        {u"a/b/c", 0, 2, 4, -1},
        {u"C:x", 0, -1, 0, -1},  // ':' not followed by a separator: no root
    };
    for (const auto &k : cases) {
        qvtext::PathParts<char16_t> p{};
        ASSERT_TRUE(qvtext::Split(k.path.c_str(), &p));
        auto off = [&](const char16_t *q) { return q ? int(q - k.path.c_str()) : -1; };
        EXPECT_EQ(off(p.afterRoot), k.afterRoot) << std::string(k.path.begin(), k.path.end());
        EXPECT_EQ(off(p.lastFolder), k.lastFolder) << std::string(k.path.begin(), k.path.end());
        EXPECT_EQ(off(p.name), k.name) << std::string(k.path.begin(), k.path.end());
        EXPECT_EQ(off(p.extension), k.ext) << std::string(k.path.begin(), k.path.end());
    }
    qvtext::PathParts<char16_t> p{};
    EXPECT_FALSE(qvtext::Split(u"", &p));
    EXPECT_FALSE(qvtext::Split<char16_t>(nullptr, &p));
}

TEST(Paths, AppendTable) {
    struct Case {
        U16 buffer, piece;
        size_t capacity;
        bool truncate;
        U16 want;
        bool ok;
    } cases[] = {
        {u"D:\\dir\\", u"\\x", 260, false, u"D:\\dir\\x", true},
        {u"D:\\dir", u"x", 260, false, u"D:\\dir\\x", true},
        {u"D:\\dir", u"/x", 260, false, u"D:\\dir/x", true},
        {u"", u"x", 260, false, u"x", true},
        {u"D:\\dir", u"", 260, false, u"D:\\dir", true},
        {u"abc", u"defg", 8, false, u"abc", false},     // needs 9 units
        {u"abc", u"defg", 8, true, u"abc\\def", true},  // cut to the room
        {u"abc", u"def", 8, false, u"abc\\def", true},  // exactly fits
        {u"abcdefg", u"x", 8, false, u"abcdefg", false},
    };
    for (const auto &k : cases) {
        std::vector<char16_t> buf(k.capacity + 4, u'#');
        std::copy(k.buffer.begin(), k.buffer.end(), buf.begin());
        buf[k.buffer.size()] = 0;
        const char16_t *r = qvtext::Append(k.capacity, buf.data(), k.piece.c_str(), k.truncate);
        EXPECT_EQ(r != nullptr, k.ok) << std::string(k.buffer.begin(), k.buffer.end());
        EXPECT_EQ(U16(buf.data()), k.want) << std::string(k.buffer.begin(), k.buffer.end());
        EXPECT_EQ(buf[k.capacity], u'#') << "wrote past the capacity";
    }
}

char16_t Lower(char16_t c) { return c >= 'A' && c <= 'Z' ? char16_t(c + 32) : c; }

TEST(Paths, CompareRelationAndTrailingSeparators) {
    EXPECT_EQ(qvtext::ComparePaths<char16_t>(u"a/b", u"A\\b\\", Lower), 1);
    EXPECT_EQ(qvtext::ComparePaths<char16_t>(u"a/b", u"A\\b\\", nullptr), 0);
    EXPECT_EQ(qvtext::ComparePaths<char16_t>(u"a\\b\\c", u"a\\b", nullptr), -1);
    EXPECT_EQ(qvtext::ComparePaths<char16_t>(u"a\\b", u"a\\b\\c", nullptr), -2);
    EXPECT_EQ(qvtext::ComparePaths<char16_t>(u"a\\\\b", u"a\\b", nullptr), 1);
    EXPECT_EQ(qvtext::Relation<char16_t>(u"c:\\x\\y", u"C:\\X", Lower), 1);

    U16 root = u"D:\\", dir = u"D:\\dir\\", lone = u"\\";
    EXPECT_EQ(qvtext::RemoveTrailingSep(&root[0]), 0);
    EXPECT_EQ(qvtext::RemoveTrailingSep(&dir[0]), 1);
    EXPECT_EQ(U16(dir.c_str()), u"D:\\dir");
    EXPECT_EQ(qvtext::RemoveTrailingSep(&lone[0]), 1);
    EXPECT_TRUE(qvtext::IsAbsolute(u"\\\\srv\\x"));
    EXPECT_TRUE(qvtext::IsAbsolute(u"C:x"));
    EXPECT_FALSE(qvtext::IsAbsolute(u"\\x"));
    EXPECT_FALSE(qvtext::IsAbsolute(u"dir\\a:b"));
}

TEST(Paths, MakeAbsoluteTable) {
    struct Case {
        U16 rel, base, want;
    } cases[] = {
        {u"x.png", u"C:\\a\\b", u"C:\\a\\b\\x.png"},
        {u"..\\x.png", u"C:\\a\\b", u"C:\\a\\x.png"},
        {u".\\..\\..\\x", u"C:\\a\\b\\", u"C:\\x"},
        {u"..\\..\\..\\x", u"C:\\a\\b", u""},  // more ".." than folders
        {u"C:\\abs", u"C:\\a", u""},           // absolute: used as it is by the caller
        {u"", u"C:\\a", u"C:\\a"},
        {u"..", u"\\\\srv\\share\\dir", u"\\\\srv\\share"},
    };
    for (const auto &k : cases) {
        char16_t out[64];
        const size_t n = qvtext::MakeAbsolute(k.rel.c_str(), k.base.c_str(), out, 64);
        EXPECT_EQ(U16(out), k.want) << std::string(k.rel.begin(), k.rel.end());
        EXPECT_EQ(n, k.want.empty() ? 0 : k.want.size() + 1);
    }
}

TEST(Paths, SortOrderByComponent) {
    EXPECT_LT(qvtext::CompareForSort<char16_t>(u"\\a\\file2", u"\\a\\file10", true, kColl), 0);
    EXPECT_GT(qvtext::CompareForSort<char16_t>(u"\\a\\file2", u"\\a\\file10", false, kColl), 0);
    EXPECT_LT(qvtext::CompareForSort<char16_t>(u"a", u"a\\b", true, kColl), 0);
    EXPECT_LT(qvtext::CompareForSort<char16_t>(nullptr, u"a", true, kColl), 0);
    EXPECT_EQ(qvtext::CompareForSort<char16_t>(u"", nullptr, true, kColl), 0);
}

TEST(Numbers, ByteSizesFixedPointAndHash) {
    struct Case {
        uint64_t size;
        int unit;
        uint32_t integer, fraction;
    } sizes[] = {
        {1023, 0, 1023, 0}, {1024, 1, 1, 0}, {1536, 1, 1, 50}, {1048575, 2, 1, 0},
        {1048576, 2, 1, 0}, {1073741823, 3, 1, 0}, {5 * 1024 + 1018, 1, 5, 99},
    };
    for (const auto &k : sizes) {
        int unit = -1;
        uint32_t ip = 0, fr = 0;
        qvtext::PickByteUnit(k.size, &unit, &ip, &fr);
        EXPECT_EQ(unit, k.unit) << k.size;
        EXPECT_EQ(ip, k.integer) << k.size;
        EXPECT_EQ(fr, k.fraction) << k.size;
    }
    EXPECT_EQ(qvtext::ParseFixed<char16_t>(3, u"12.5", false), 12500);
    EXPECT_EQ(qvtext::ParseFixed<char16_t>(3, u"-0.25", false), -250);
    EXPECT_EQ(qvtext::ParseFixed<char16_t>(3, u"9999999", false), 0);  // overflows the unit
    char16_t buf[32];
    qvtext::FormatFixed<char16_t>(12500, 3, false, false, buf, 32);
    EXPECT_EQ(U16(buf), u"12.5");
    qvtext::FormatFixed<char16_t>(-250, 3, false, true, buf, 32);
    EXPECT_EQ(U16(buf), u"-0.250");
    qvtext::FormatFixed<char16_t>(7000, 3, false, false, buf, 32);
    EXPECT_EQ(U16(buf), u"7");
    qvtext::FromUInt64(1, 0, buf);
    EXPECT_EQ(U16(buf), u"4294967296");
    EXPECT_EQ(qvtext::FromUInt64(0xFFFFFFFFu, 0, buf), 0u);
    EXPECT_EQ(qvtext::Hash<char16_t>(u""), 0u);
    EXPECT_EQ(qvtext::Hash<char16_t>(u"ab"), uint32_t('a') | uint32_t('b') << 16);
    EXPECT_EQ(qvtext::Hash<char16_t>(u"abc"), (uint32_t('a') | uint32_t('b') << 16) + 'c');
    EXPECT_EQ(qvtext::Hash<char>("abcde"), (0x64636261u + 'e'));
}

}  // namespace
