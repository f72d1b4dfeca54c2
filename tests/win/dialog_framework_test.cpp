// Dialog helpers, the one-dialog guard, timers and the wait cursor on real
// windows under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "other/qv_Dlg.h"
#include "other/qv_WndUtil.h"

namespace {

using tstring = std::basic_string<TCHAR>;

// A parent window with child controls addressed by id, as a dialog has.
class ControlHost : public ::testing::Test {
protected:
    void SetUp() override {
        parent_ = CreateWindowEx(0, TEXT("STATIC"), TEXT("host"), WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                 nullptr, GetModuleHandle(nullptr), nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override { DestroyWindow(parent_); }
    HWND Add(LPCTSTR cls, LPCTSTR text, int id, int x, int y, int w, int h, DWORD style = 0) {
        return CreateWindowEx(0, cls, text, WS_CHILD | style, x, y, w, h, parent_, reinterpret_cast<HMENU>(INT_PTR(id)),
                              GetModuleHandle(nullptr), nullptr);
    }
    RECT ChildRect(int id) {
        RECT r;
        GetWindowRect(GetDlgItem(parent_, id), &r);
        MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT *>(&r), 2);
        return r;
    }
    HWND parent_ = nullptr;
};

TEST_F(ControlHost, LayoutDirectiveTakesTheNamedEdges) {
    Add(TEXT("STATIC"), TEXT("1=2(1010)"), 2201, 0, 0, 10, 10);
    Add(TEXT("STATIC"), TEXT("ref"), 2131, 20, 30, 200, 40);
    Add(TEXT("STATIC"), TEXT("target"), 2132, 50, 100, 60, 25);
    ASSERT_EQ(Dlg_ApplyTextLayout(parent_), 1);
    const RECT r = ChildRect(2132);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.right, 220);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.bottom, 125);
    EXPECT_EQ(GetDlgItem(parent_, 2201), nullptr) << "the directive's holder is closed";
}

TEST_F(ControlHost, ComboFromTabTextAndEditClamp) {
    Add(TEXT("STATIC"), TEXT("a\t\tb"), 3001, 0, 0, 10, 10);
    HWND combo = Add(TEXT("COMBOBOX"), TEXT(""), 3000, 0, 20, 100, 200, CBS_DROPDOWNLIST);
    ASSERT_EQ(Dlg_FillComboFromText(parent_, 3000, 3001, 0, 1), 1);
    EXPECT_EQ(SendMessage(combo, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(Combo_GetCurSel(combo), 1);
    EXPECT_EQ(Dlg_FillComboFromText(parent_, 3000, 3001, 3, 0), 0);  // the count must match

    HWND edit = Add(TEXT("EDIT"), TEXT("250"), 3002, 0, 60, 100, 20);
    const int32_t lo = 1, hi = 100;
    Ctl_ClampEditInt(&lo, edit, &hi);
    TCHAR text[16];
    Ctl_GetText(text, 16, edit);
    EXPECT_TRUE(tstring(text) == TEXT("100"));
    Ctl_SetText(edit, TEXT("50"));
    Ctl_ClampEditInt(&lo, edit, &hi);
    Ctl_GetText(text, 16, edit);
    EXPECT_TRUE(tstring(text) == TEXT("50"));

    const CheckRow checks[] = {{3003, 1}, {0, 0}};
    Add(TEXT("BUTTON"), TEXT("x"), 3003, 0, 90, 50, 20, BS_AUTOCHECKBOX);
    EXPECT_EQ(Dlg_CheckItems(parent_, checks), 1);
    EXPECT_TRUE(Dlg_IsChecked(parent_, 3003));
    const CheckRow missing[] = {{3999, 1}, {0, 0}};
    EXPECT_EQ(Dlg_CheckItems(parent_, missing), 0);
}

TEST(DialogGuard, OneAtATimeAndReleasedOnScopeExit) {
    {
        DlgGuard first;
        ASSERT_EQ(DlgGuard_Acquire(&first, TEXT("DLG_RESIZE")), 1);
        DlgGuard second;
        EXPECT_EQ(DlgGuard_Acquire(&second, TEXT("DLG_LEVEL")), 0);
        EXPECT_EQ(DlgGuard_Acquire(&first, TEXT("DLG_LEVEL")), 0);
        EXPECT_TRUE(tstring(DlgGuard_OpenName()) == TEXT("DLG_RESIZE"));
        EXPECT_EQ(DlgGuard_Release(&second), 0);
    }
    EXPECT_EQ(DlgGuard_OpenName(), nullptr);
    DlgGuard g;
    EXPECT_EQ(DlgGuard_Acquire(&g, nullptr), 0);
}

TEST(WindowServices, TimersWaitCursorAndContext) {
    HWND w = CreateWindowEx(0, TEXT("STATIC"), TEXT("t"), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandle(nullptr), nullptr);
    ASSERT_NE(w, nullptr);
    TimerRecord t;
    ASSERT_EQ(Timer_Set(50, &t, w, 1002), 1);
    EXPECT_EQ(Timer_Set(10, &t, w, 1002), 0);  // a set record keeps its timer
    EXPECT_EQ(t.interval, 50);
    EXPECT_EQ(Timer_Kill(&t), 1);
    EXPECT_EQ(t.set, 0);

    WindowRecord owner;
    owner.window = w;
    {
        WaitCursorGuard outer(&owner);
        ASSERT_EQ(WaitCursor_Begin(&outer), 1);
        {
            WaitCursorGuard inner(&owner);
            WaitCursor_Begin(&inner);
            EXPECT_EQ(owner.waitCount, 2);
        }
        EXPECT_EQ(owner.waitCount, 1) << "the arrow comes back only with the outer guard";
    }
    EXPECT_EQ(owner.waitCount, 0);
    WaitCursorGuard inert(nullptr);
    EXPECT_EQ(WaitCursor_Begin(&inert), 0);

    struct Record {
        DlgContext context;
        int value;
    } record{{nullptr}, 7};
    EXPECT_EQ(Dlg_SetContext(&record.context, w), 0) << "first field must point to the record";
    DestroyWindow(w);

    // ShowCursor stays balanced whatever the order of reasons.
    const int before = ShowCursor(TRUE) - 1;
    ShowCursor(FALSE);
    Cursor_SetHideReason(3, 1);
    Cursor_SetHideReason(3, 1);
    Cursor_SetShowReason(kShowReasonWait, 1);
    Cursor_SetShowReason(kShowReasonWait, 0);
    Cursor_SetHideReason(3, 0);
    const int after = ShowCursor(TRUE) - 1;
    ShowCursor(FALSE);
    EXPECT_EQ(before, after);
}

}  // namespace
