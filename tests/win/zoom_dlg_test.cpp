// The zoom dialog opened by its command on the program's frame: a typed
// percentage zooms the view at once, the arrows step whole percents and
// never write a thousands separator ("1,000" would read as 1 %), OK and
// Cancel both keep the zoom and leave the picture and the undo record
// alone, the dialog reopens where it was left, and a second dialog cannot
// open over it.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>

#include "../../res/resource.h"
#include "dlg/qv_ZoomDlg.h"
#include "image/qv_EditCommands.h"
#include "image/qv_ImgData.h"
#include "image/qv_Undo.h"
#include "other/qv_DlgValues.h"
#include "support/capture_boxes.h"
#include "support/dialog_driver.h"
#include "support/edit_fixture.h"
#include "support/real_frame.h"

namespace {

constexpr int32_t kPercent = 100000;  // factor units per percent

int32_t UpDownPos(HWND dialog) {
    return int32_t(SendDlgItemMessage(dialog, IDC_ZOOM_UPDOWN, UDM_GETPOS32, 0, 0));
}

// The up arrow pressed and released with the mouse.
void ClickUp(HWND dialog) {
    HWND arrows = GetDlgItem(dialog, IDC_ZOOM_UPDOWN);
    RECT r{};
    GetClientRect(arrows, &r);
    const LPARAM at = MAKELPARAM(r.right / 2, 2);
    SendMessage(arrows, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessage(arrows, WM_LBUTTONUP, 0, at);
}

// What one opening of the dialog does; `steps` runs inside it.
struct ZoomRun {
    std::function<void(HWND)> steps;
    bool ok = true;
    bool secondRefused = false;
    tstring firstText;  // the field as the dialog opened
    RECT placed{};      // where it opened
};
ZoomRun *s_run = nullptr;

class ZoomDialog : public EditFixture {
protected:
    ZoomDialog() : EditFixture(TEXT("zoomdlg")) {}
    void SetUp() override {
        EditFixture::SetUp();
        saved_ = g_dlgValues;
        g_dlgValues.positionKnown[kDlgPosZoom] = 0;
    }
    void TearDown() override {
        g_dlgValues = saved_;
        EditFixture::TearDown();
    }

    void Run(ZoomRun &run) {
        s_run = &run;
        DialogDriver driver({[this](HWND dialog) {
            ZoomRun &r = *s_run;
            GetWindowRect(dialog, &r.placed);
            r.firstText = DialogDriver_ItemText(dialog, IDC_ZOOM_PERCENT);
            SendMessage(frame_, WM_COMMAND, kCmdZoomDialog, 0);  // a second dialog over this one
            r.secondRefused = DialogDriver_FindOpen() == dialog;
            if (r.steps) r.steps(dialog);
            DialogDriver_Click(dialog, r.ok ? IDOK : IDCANCEL);
            return true;
        }});
        Command(kCmdZoomDialog);
        EXPECT_TRUE(driver.finished());
        EXPECT_EQ(driver.dialogsSeen(), 1u);
        EXPECT_TRUE(run.secondRefused);
        EXPECT_EQ(DialogDriver_FindOpen(), nullptr);
    }

    DlgValues saved_;
};

// Each typed text, in order in one opening: the zoom it leaves, the field's
// text afterwards and the arrows' position.
TEST_F(ZoomDialog, TypedPercentZoomsAtOnceAndArrowsFollow) {
    Undo_Clear(&g_undo);
    Command(kCmdNegative);
    const std::string before = HeldBytes();
    const int32_t undoKind = g_undo.kind;
    struct Typed {
        const TCHAR *text;
        int32_t zoom;
        const TCHAR *shown;
        int32_t arrows;
    };
    static const Typed kTyped[] = {
        {TEXT("250.5"), 25050000, TEXT("250.5"), 250},  // the arrows show the whole percent
        {TEXT("6000"), 5000 * kPercent, TEXT("5000"), 5000},
        {TEXT("1,000"), 5000 * kPercent, TEXT("1,000"), 5000},  // no number: nothing zoomed
        {TEXT("33.333333"), 3333333, TEXT("33.333333"), 33},
        {TEXT("-4"), kPercent, TEXT("-4"), 0},  // below 0 is 0: the least zoom the view takes
    };
    ZoomRun run;
    run.ok = false;
    run.steps = [](HWND dialog) {
        for (const Typed &t : kTyped) {
            SCOPED_TRACE(t.text);
            DialogDriver_SetItemText(dialog, IDC_ZOOM_PERCENT, t.text);
            EXPECT_EQ(g_imgData.zoom, t.zoom);
            EXPECT_EQ(DialogDriver_ItemText(dialog, IDC_ZOOM_PERCENT), tstring(t.shown));
            EXPECT_EQ(UpDownPos(dialog), t.arrows);
        }
        DialogDriver_SetItemText(dialog, IDC_ZOOM_PERCENT, TEXT("250.5"));
    };
    Run(run);
    EXPECT_EQ(run.firstText, tstring(TEXT("100")));
    // Cancel keeps the zoom shown; the picture and its undo are untouched.
    EXPECT_EQ(g_imgData.zoom, 25050000);
    EXPECT_TRUE(HeldBytes() == before);
    EXPECT_EQ(g_undo.kind, undoKind);

    // The next opening starts from the zoom shown, with five decimals.
    ZoomRun again;
    again.steps = [](HWND dialog) { EXPECT_EQ(UpDownPos(dialog), 250); };
    Run(again);
    EXPECT_EQ(again.firstText, tstring(TEXT("250.5")));
    EXPECT_EQ(g_imgData.zoom, 25050000);
    EXPECT_TRUE(boxes_->boxes().empty());
}

// The arrows write plain whole numbers: past 999 no separator, and a
// fraction in the field gives way to the arrows' next percent.
TEST_F(ZoomDialog, ArrowsWriteWholePercentsWithoutSeparators) {
    ZoomRun run;
    run.steps = [](HWND dialog) {
        DialogDriver_SetItemText(dialog, IDC_ZOOM_PERCENT, TEXT("999"));
        ASSERT_EQ(UpDownPos(dialog), 999);
        ClickUp(dialog);
        EXPECT_EQ(DialogDriver_ItemText(dialog, IDC_ZOOM_PERCENT), tstring(TEXT("1000")));
        EXPECT_EQ(UpDownPos(dialog), 1000);
        EXPECT_EQ(g_imgData.zoom, 1000 * kPercent);
        ClickUp(dialog);
        EXPECT_EQ(DialogDriver_ItemText(dialog, IDC_ZOOM_PERCENT), tstring(TEXT("1001")));
        EXPECT_EQ(g_imgData.zoom, 1001 * kPercent);

        DialogDriver_SetItemText(dialog, IDC_ZOOM_PERCENT, TEXT("250.5"));
        ClickUp(dialog);
        EXPECT_EQ(DialogDriver_ItemText(dialog, IDC_ZOOM_PERCENT), tstring(TEXT("251")));
        EXPECT_EQ(g_imgData.zoom, 251 * kPercent);

        DialogDriver_SetItemText(dialog, IDC_ZOOM_PERCENT, TEXT("5000"));
        ClickUp(dialog);  // at the top: stays
        EXPECT_EQ(DialogDriver_ItemText(dialog, IDC_ZOOM_PERCENT), tstring(TEXT("5000")));
        EXPECT_EQ(g_imgData.zoom, 5000 * kPercent);
    };
    Run(run);
    EXPECT_EQ(g_imgData.zoom, 5000 * kPercent);  // OK keeps it too
}

// Opened, moved, closed with OK: the next opening is where it was left,
// and the remembered position is the one the configuration writes.
TEST_F(ZoomDialog, ReopensWhereItWasLeft) {
    const POINT kMovedTo{37, 41};
    ZoomRun first;
    first.steps = [&kMovedTo](HWND dialog) {
        SetWindowPos(dialog, nullptr, kMovedTo.x, kMovedTo.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    };
    Run(first);
    // The first opening had nowhere remembered: centred, not at the corner.
    EXPECT_FALSE(first.placed.left == kMovedTo.x && first.placed.top == kMovedTo.y);
    EXPECT_EQ(g_dlgValues.positionKnown[kDlgPosZoom], 1);
    EXPECT_EQ(g_dlgValues.position[kDlgPosZoom].left, kMovedTo.x);
    EXPECT_EQ(g_dlgValues.position[kDlgPosZoom].top, kMovedTo.y);

    ZoomRun second;
    second.ok = false;
    Run(second);
    EXPECT_EQ(second.placed.left, kMovedTo.x);
    EXPECT_EQ(second.placed.top, kMovedTo.y);

    // Without a picture the command opens nothing.
    ImgData_Reset();
    RealFrame_Drain();
    Command(kCmdZoomDialog);
    EXPECT_EQ(DialogDriver_FindOpen(), nullptr);
    EXPECT_TRUE(boxes_->boxes().empty());
}

}  // namespace
