// The error report, message boxes from string-table texts and the allocator,
// run under Wine in both text flavours.
#include <gtest/gtest.h>

#include "../../res/resource.h"
#include "other/qv_Globals.h"
#include "other/qv_IniAndEnd.h"
#include "other/qv_Mem.h"
#include "other/qv_Msg.h"
#include "support/capture_boxes.h"

namespace {

class ErrorReport : public ::testing::Test {
protected:
    void SetUp() override {
        Msg_ResetForTests();
        lstrcpy(g_process.errorCaption, TEXT("Quivelta - ERROR -"));
    }
    void TearDown() override { Msg_ResetForTests(); }
};

tstring Repeat(TCHAR c, size_t n) { return tstring(n, c); }

TEST_F(ErrorReport, TextFormsAtThe292CharacterBoundary) {
    const tstring base = TEXT("qv_Mem.cpp");  // 10 characters
    struct Case {
        tstring source, message;
        int number;
        tstring want;
    } cases[] = {
        {TEXT("C:\\src\\other\\qv_Mem.cpp"), TEXT("QV_Alloc"), 75, TEXT("QV_Alloc\r\n\r\nqv_Mem.cpp -75-")},
        {TEXT("/build/src/other/qv_Mem.cpp"), TEXT("QV_Alloc"), 75, TEXT("QV_Alloc\r\n\r\nqv_Mem.cpp -75-")},
        {TEXT("qv_Mem.cpp"), TEXT(""), 7, TEXT("qv_Mem.cpp -7-")},
        {TEXT("src\\qv_Mem.cpp"), TEXT("shown alone"), -1, TEXT("shown alone")},
        {TEXT("src\\"), TEXT("empty base name"), 3, TEXT("empty base name")},
        // message + base + 18 == 292: still the long form
        {base, Repeat('m', 292 - 18 - 10), 1, Repeat('m', 264) + TEXT("\r\n\r\nqv_Mem.cpp -1-")},
        // one more character: the message is dropped
        {base, Repeat('m', 292 - 18 - 10 + 1), 1, TEXT("qv_Mem.cpp -1-")},
        // base + 14 == 292 still fits; one more gives an empty text
        {Repeat('b', 278), TEXT("x"), 1, Repeat('b', 278) + TEXT(" -1-")},
        {Repeat('b', 279), TEXT("x"), 1, TEXT("")},
    };
    for (const auto &k : cases) {
        CaptureBoxes capture;
        Msg_ReportError(k.source.c_str(), nullptr, k.message.c_str(), k.number, 0);
        ASSERT_EQ(capture.boxes().size(), 1u);
        EXPECT_TRUE(capture.boxes()[0].text == k.want) << k.number;
        EXPECT_TRUE(capture.boxes()[0].caption == TEXT("Quivelta - ERROR -"));
        EXPECT_EQ(capture.boxes()[0].type, UINT(MB_ICONERROR));
    }
    EXPECT_EQ(g_process.noSave, 0);  // none of them was fatal
}

TEST_F(ErrorReport, FourFatalReportsThenSilence) {
    CaptureBoxes capture;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Msg_ReportError(TEXT("a.cpp"), nullptr, TEXT("x"), i, 1), IDOK);
    EXPECT_EQ(Msg_ReportError(TEXT("a.cpp"), nullptr, TEXT("fifth"), 5, 1), 0);
    EXPECT_EQ(capture.boxes().size(), 4u);
    EXPECT_EQ(g_process.noSave, 1);
    // Non-fatal reports are always shown.
    Msg_ReportError(TEXT("a.cpp"), nullptr, TEXT("notice"), 6, 0);
    EXPECT_EQ(capture.boxes().size(), 5u);
}

TEST_F(ErrorReport, BoxByIdSplitsCaptionAndReplacesTitle) {
    CaptureBoxes capture;
    EXPECT_EQ(Msg_BoxById(nullptr, IDS_ASK_OVERWRITE, MB_YESNO, 1), IDOK);
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_TRUE(capture.boxes()[0].caption == TEXT("Quivelta - Confirm -"));
    EXPECT_EQ(capture.boxes()[0].text.find(TEXT("%s\r\n")), 0u);
    // A string without a TAB, and a missing one, show nothing.
    EXPECT_EQ(Msg_BoxById(nullptr, IDS_APP_TITLE, MB_OK, 1), 0);
    EXPECT_EQ(Msg_BoxById(nullptr, 9999, MB_OK, 1), 0);
    EXPECT_EQ(capture.boxes().size(), 1u);

    TCHAR text[64] = TEXT("About $aptt and $aptt");
    EXPECT_EQ(Str_ReplaceAppTitle(text, 64), 1);
    EXPECT_TRUE(tstring(text) == TEXT("About Quivelta and $aptt"));
    TCHAR small[12] = TEXT("ab $aptt");
    Str_ReplaceAppTitle(small, 12);
    EXPECT_TRUE(tstring(small) == TEXT("ab Quivelta"));
}

TEST_F(ErrorReport, AllocatorKindsTagsAndFailureReport) {
    CaptureBoxes capture;
    struct Case {
        uint32_t size;
        uint32_t tag;
    } cases[] = {{0, kMemTagGlobal}, {1, kMemTagGlobal}, {65535, kMemTagGlobal}, {65536, kMemTagVirtual},
                 {1 << 20, kMemTagVirtual}};
    for (const auto &k : cases) {
        void *p = QV_Alloc(k.size);
        ASSERT_NE(p, nullptr) << k.size;
        EXPECT_EQ(QV_BlockTag(p), k.tag) << k.size;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u) << "blocks are 16-byte aligned";
        QV_Free(p);
    }
    QV_Free(nullptr);
    EXPECT_EQ(QV_Alloc(0x7FFFFF01u), nullptr);
    EXPECT_EQ(QV_Alloc(0xFFFFFFFFu), nullptr);
    ASSERT_EQ(capture.boxes().size(), 1u);  // the first failure only
    EXPECT_NE(capture.boxes()[0].text.find(TEXT("QV_Alloc\r\n\r\nqv_Mem.cpp -75-")), tstring::npos);
    EXPECT_EQ(g_process.noSave, 1);
}

TEST_F(ErrorReport, OwnedAndGlobalBlocks) {
    OwnedBuffer buf;
    ASSERT_NE(Buf_Alloc(&buf, 100), nullptr);
    uint8_t *first = buf.data;
    EXPECT_EQ(Buf_Alloc(&buf, 50), nullptr);  // already holds memory
    EXPECT_EQ(buf.data, first);
    EXPECT_EQ(Buf_Grow(0, &buf), first);
    first[99] = 42;
    ASSERT_NE(Buf_Grow(100, &buf), nullptr);
    EXPECT_EQ(buf.size, 200u);
    EXPECT_EQ(buf.data[99], 42);
    EXPECT_EQ(Buf_Grow(0xFFFFFFFFu, &buf), nullptr);  // overflow: unchanged
    EXPECT_EQ(buf.size, 200u);
    OwnedBuffer empty;
    EXPECT_EQ(Buf_Grow(0, &empty), nullptr);

    GMemBlock g;
    ASSERT_NE(GMem_Alloc(64, &g), nullptr);
    for (int i = 0; i < 3; ++i) ASSERT_NE(GMem_Lock(&g), nullptr);
    EXPECT_EQ(g.lockCount, 3u);
    EXPECT_EQ(GMem_Free(&g), nullptr);
    EXPECT_EQ(g.handle, nullptr);
    EXPECT_EQ(g.lockCount, 0u);
}

TEST(Startup, StepOrderAndFailureNumbers) {
    int count = 0;
    const StartupStep *steps = IniAndEnd_Steps(&count);
    ASSERT_EQ(count, 33);
    const int numbers[] = {671, 675, 679, 683, 692, 716, 721, 726, 730, 734, 738, 742, 759, 768, 773, 782, 786};
    size_t next = 0;
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(steps[i].step, i + 1);
        if (steps[i].failure != 0) {
            ASSERT_LT(next, sizeof numbers / sizeof numbers[0]);
            EXPECT_EQ(steps[i].failure, numbers[next++]) << "step " << steps[i].step;
        }
    }
    EXPECT_EQ(next, sizeof numbers / sizeof numbers[0]);
}

}  // namespace
