// Text and path functions through the system's collation, in both text
// flavours.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/qv_Path.h"
#include "util/qv_Str.h"
#include "util/qv_StrBuf.h"

namespace {

using tstring = std::basic_string<TCHAR>;

void ExpectOrder(const std::vector<tstring> &names) {
    for (size_t i = 0; i < names.size(); ++i)
        for (size_t j = 0; j < names.size(); ++j) {
            const int r = Str_CompareNatural(names[i].c_str(), names[j].c_str());
            const int want = i < j ? -1 : (i == j ? 0 : 1);
            EXPECT_EQ((r > 0) - (r < 0), want) << i << " " << j;
        }
}

// The same expectations hold with the program's own compare and, once bound,
// with the system's natural compare.
TEST(NaturalOrder, FixedListWithAndWithoutTheSystemCompare) {
    const std::vector<tstring> names = {
        TEXT("file1.jpg"), TEXT("file2.jpg"), TEXT("file10.jpg"), TEXT("file100.jpg"),
        TEXT("img12345678901234567890.png"), TEXT("img123456789012345678901.png"),
    };
    ExpectOrder(names);
    Str_InitLogicalCompare();
    ExpectOrder(names);
    // Equal but for case: different names never compare equal.
    const int r = Str_CompareNatural(TEXT("Photo.JPG"), TEXT("photo.jpg"));
    EXPECT_NE(r, 0);
    EXPECT_EQ(Str_CompareNatural(TEXT("photo.jpg"), TEXT("Photo.JPG")), -r);
}

TEST(Paths, JoinSplitAndCompare) {
    TCHAR buf[MAX_PATH] = TEXT("C:\\pictures\\");
    ASSERT_NE(Path_Append(MAX_PATH, buf, TEXT("\\2026\\a.png"), 0), nullptr);
    EXPECT_TRUE(tstring(buf) == TEXT("C:\\pictures\\2026\\a.png"));
    const TCHAR *root, *folder, *name, *ext;
    ASSERT_EQ(Path_Split(buf, &root, &folder, &name, &ext), 1);
    EXPECT_TRUE(tstring(name) == TEXT("a.png"));
    EXPECT_TRUE(tstring(ext) == TEXT(".png"));
    EXPECT_EQ(Path_Split(buf, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_TRUE(Path_IsSame(1, TEXT("c:/PICTURES/2026/A.PNG"), buf));
    EXPECT_FALSE(Path_IsSame(0, TEXT("c:/PICTURES/2026/A.PNG"), buf));
    EXPECT_EQ(Path_Relation(TEXT("C:\\pictures\\2026"), TEXT("c:\\Pictures")), 1);

    // Joining past the path limit: refused without truncation, cut with it.
    TCHAR small[16] = TEXT("C:\\abc");
    EXPECT_EQ(Path_Append(16, small, TEXT("0123456789"), 0), nullptr);
    EXPECT_TRUE(tstring(small) == TEXT("C:\\abc"));
    EXPECT_NE(Path_Append(16, small, TEXT("0123456789"), 1), nullptr);
    EXPECT_EQ(tstring(small).size(), 15u);

    // A StrBuf takes any length.
    StrBuf261 joined;
    const tstring longPiece(400, TEXT('x'));
    const TCHAR *pieces[] = {TEXT("C:\\dir"), longPiece.c_str(), TEXT("end.png"), nullptr};
    ASSERT_EQ(StrBuf_JoinPaths(&joined, pieces), 1);
    EXPECT_EQ(tstring(joined.Data()).size(), 6 + 1 + 400 + 1 + 7);
}

TEST(Paths, MakeAbsoluteIntoBothOutputs) {
    StrBuf128 out;
    EXPECT_EQ(Path_MakeAbsolute(TEXT("..\\b\\c.gif"), TEXT("D:\\x\\y"), nullptr, &out), 13);
    EXPECT_TRUE(tstring(out.Data()) == TEXT("D:\\x\\b\\c.gif"));
    EXPECT_EQ(Path_MakeAbsolute(TEXT("D:\\abs"), TEXT("D:\\x"), nullptr, &out), 0);
    EXPECT_EQ(Path_MakeAbsolute(TEXT("a"), TEXT("D:\\x"), nullptr, nullptr), -1);
}

TEST(Numbers, TextsOfSizesAndFixedPoint) {
    struct Case {
        uint32_t high, low;
        const TCHAR *want;
    } cases[] = {
        {0, 1023, TEXT("1023 B")},
        {0, 1024, TEXT("1.00 KB")},
        {0, 1048575, TEXT("1.00 MB")},
        {0, 1536, TEXT("1.50 KB")},
        {1, 0, TEXT("4.00 GB")},
    };
    for (const auto &k : cases) {
        TCHAR out[32];
        Str_FormatByteSize(k.low, out, k.high, 32);
        EXPECT_TRUE(tstring(out) == k.want) << k.low;
    }
    TCHAR out[32];
    Str_FormatFixed(-1500, 3, 0, 0, out, 32);
    EXPECT_TRUE(tstring(out) == TEXT("-1.5"));
    EXPECT_EQ(Str_ParseFixed(2, TEXT(" 3.14159"), 0), 314);
    int error = 0;
    EXPECT_EQ(Str_ToIntChecked(TEXT("42x"), &error, 0), 42);
    EXPECT_EQ(error, 1);
    EXPECT_EQ(Str_ToIntChecked(TEXT("-42"), &error, 0), -42);
    EXPECT_EQ(error, 0);
    Str_ToIntChecked(TEXT("4294967296"), &error, 1);
    EXPECT_EQ(error, 1);
    TCHAR list[] = TEXT("10|-3||7");
    int32_t values[4] = {};
    EXPECT_EQ(Str_ParseIntList(list, 4, values), 3);
    EXPECT_EQ(values[1], -3);
    EXPECT_EQ(values[2], 7);
}

TEST(Stepping, TruncationKeepsWholeCharacters) {
#if !defined(QV_ANSI)
    TCHAR s[] = {L'a', 0xD83D, 0xDE00, L'b', 0};
    EXPECT_EQ(Str_TruncateInPlace(s, 2), 1);
    EXPECT_EQ(s[1], 0);
#else
    TCHAR s[] = "abc";
    EXPECT_EQ(Str_TruncateInPlace(s, 2), 2);
#endif
    const TCHAR *text = TEXT("a?b");
    EXPECT_EQ(Str_FindAnyOf(TEXT("*?"), text), text + 1);
    EXPECT_EQ(Str_FindAnyOf(TEXT(""), text), nullptr);
    TCHAR name[] = TEXT("a*b?c");
    EXPECT_EQ(Str_ReplaceAnyOf(name, TEXT("*?"), TEXT('_')), 2);
    EXPECT_TRUE(tstring(name) == TEXT("a_b_c"));
}

}  // namespace
