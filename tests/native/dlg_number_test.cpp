// Numbers typed into dialog fields: plain decimals only, so a thousands
// separator or any other stray character makes the text no number rather
// than a different one.
#include <gtest/gtest.h>

#include "dlg/qv_DlgNumber.h"

namespace {

struct ParseCase {
    const char *text;
    int digits;
    int status;
    int64_t value;
};

const ParseCase kCases[] = {
    {"250", 0, kDlgNumberOk, 250},
    {"  -12  ", 0, kDlgNumberOk, -12},
    {"+7", 0, kDlgNumberOk, 7},
    {"12.", 0, kDlgNumberOk, 12},  // a point on its way to nothing
    {"12.5", 0, kDlgNumberBad, 0},  // a pixel count has no fraction
    {"250.5", 5, kDlgNumberOk, 25050000},
    {".5", 2, kDlgNumberOk, 50},
    {"-0.5", 3, kDlgNumberOk, -500},
    {"12.3456", 3, kDlgNumberOk, 12345},  // extra digits cut off
    {"1,000", 0, kDlgNumberBad, 0},
    {"1,000", 5, kDlgNumberBad, 0},
    {"1 000", 0, kDlgNumberBad, 0},
    {"1.000.000", 2, kDlgNumberBad, 0},
    {"12a", 0, kDlgNumberBad, 0},
    {"--1", 0, kDlgNumberBad, 0},
    {"abc", 0, kDlgNumberBad, 0},
    {"", 0, kDlgNumberEmpty, 0},
    {"   ", 0, kDlgNumberEmpty, 0},
    {"-", 2, kDlgNumberEmpty, 0},
    {".", 2, kDlgNumberEmpty, 0},
    {"999999999999", 2, kDlgNumberOk, 99999999999900},
    {"1000000000000", 2, kDlgNumberOverflow, kDlgNumberLimit * 100},
    {"-123456789012345678901234567890.5", 5, kDlgNumberOverflow, -kDlgNumberLimit * 100000},
};

TEST(DlgNumber, ParseTable) {
    for (const ParseCase &c : kCases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" digits " << c.digits);
        int64_t v = -1;
        EXPECT_EQ(DlgNumber_Parse(c.text, c.digits, &v), c.status);
        EXPECT_EQ(v, c.value);
    }
}

TEST(DlgNumber, WideTextAndNull) {
    int64_t v = -1;
    EXPECT_EQ(DlgNumber_Parse(L"33.33333", 5, &v), kDlgNumberOk);
    EXPECT_EQ(v, 3333333);
    EXPECT_EQ(DlgNumber_Parse(L"1,000", 5, &v), kDlgNumberBad);
    EXPECT_EQ(DlgNumber_Parse(static_cast<const char *>(nullptr), 0, &v), kDlgNumberEmpty);
    EXPECT_EQ(DlgNumber_Parse("5", 7, &v), kDlgNumberBad);
    EXPECT_EQ(DlgNumber_Parse("5", 0, static_cast<int64_t *>(nullptr)), kDlgNumberOk);
}

}  // namespace
