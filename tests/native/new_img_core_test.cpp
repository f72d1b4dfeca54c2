// The new picture dialog's depth choices and the choice of the name.
#include <gtest/gtest.h>

#include <string>

#include "dlg/qv_NewImgCore.h"

namespace {

TEST(NewImgCore, DepthEntries) {
    const struct {
        int index;
        int32_t sizeBits, depth;
        bool masks565;
    } cases[] = {{0, 1, 1, false}, {1, 4, 4, false}, {2, 8, 8, false},
                 {3, 16, 16, false}, {4, 16, 16, true}, {5, 24, 24, false}};
    for (const auto &c : cases) {
        NewImgDepth d{};
        ASSERT_TRUE(NewImgDlg_DepthOf(c.index, &d)) << c.index;
        EXPECT_EQ(d.sizeBits, c.sizeBits);
        EXPECT_EQ(d.depth, c.depth);
        EXPECT_EQ(d.masks565, c.masks565);
    }
    EXPECT_FALSE(NewImgDlg_DepthOf(-1, nullptr));
    EXPECT_FALSE(NewImgDlg_DepthOf(kNewImgDepthCount, nullptr));
    EXPECT_EQ(kNewImgMasks565[0] | kNewImgMasks565[1] | kNewImgMasks565[2], 0xFFFFu);
}

TEST(NewImgCore, NameChoice) {
    const std::string longest(kNewImgNameChars - 1, 'a');  // 259: still fits the buffer
    const std::string tooLong(kNewImgNameChars, 'a');     // 260: no room for the terminator
    const struct {
        std::string typed;
        int want;
    } cases[] = {
        {"", kNewImgNameUntitled},
        {"photo", kNewImgNameTyped},
        {"a b.c", kNewImgNameTyped},
        {longest, kNewImgNameTyped},
        {tooLong, kNewImgNameUntitled},
        {std::string(kNewImgReadChars - 1, 'b'), kNewImgNameUntitled},
        {"a/b", kNewImgNameBad},
        {"a\\b", kNewImgNameBad},
        {"c:", kNewImgNameBad},
        {"*", kNewImgNameBad},
        {"why?", kNewImgNameBad},
        {"\"q\"", kNewImgNameBad},
        {"<x>", kNewImgNameBad},
        {"p|q", kNewImgNameBad},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(NewImgDlg_ChooseName(c.typed.c_str()), c.want) << c.typed.size() << " " << c.typed.substr(0, 8);
        const std::wstring wide(c.typed.begin(), c.typed.end());
        EXPECT_EQ(NewImgDlg_ChooseName(wide.c_str()), c.want);
    }
    EXPECT_EQ(NewImgDlg_ChooseName<char>(nullptr), kNewImgNameUntitled);
    EXPECT_FALSE(NewImgDlg_HasBadNameChar(L"Untitled 3"));
    EXPECT_TRUE(NewImgDlg_HasBadNameChar(L"Untitled/3"));
}

}  // namespace
