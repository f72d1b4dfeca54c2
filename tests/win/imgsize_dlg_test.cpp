// The canvas size dialog run by its command on the program's frame: the
// fields typed in each unit, the anchor clicked, OK compared byte for byte
// with the same margins added on a copy, undo back to the original, Cancel
// changing nothing, the size limits with OK disabled, and the warning
// before a very large picture.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "../../res/resource.h"
#include "dlg/qv_ImgSizeDlg.h"
#include "dlg/qv_NewImgDlg.h"
#include "image/qv_Canvas.h"
#include "image/qv_DibApi.h"
#include "image/qv_DibHolder.h"
#include "image/qv_EditCommands.h"
#include "image/qv_ImgData.h"
#include "image/qv_Undo.h"
#include "other/qv_DlgValues.h"
#include "other/qv_SysSeams.h"
#include "support/dialog_driver.h"
#include "support/edit_fixture.h"
#include "support/real_frame.h"
#include "support/view_fixture.h"

namespace {

constexpr UINT kCmdCanvas = 40043;

// The bytes of a copy of the held picture with the margins added as the
// canvas operation adds them.
std::string CanvasCopy(int32_t left, int32_t top, int32_t right, int32_t bottom, COLORREF colour) {
    DibHolder copy;
    if (!DibHolder_AttachNew(copy, Canvas_Resize(left, g_imgData.image.handle, top, right, bottom, colour))) return {};
    std::string out(reinterpret_cast<const char *>(copy.data->header), copy.data->headerSize);
    if (out.size() >= 24) out.replace(20, 4, 4, '\0');
    out.append(reinterpret_cast<const char *>(copy.data->bits), copy.data->bitsSize);
    return out;
}

COLORREF s_chosen = 0;
BOOL WINAPI ChooseFixedColour(LPCHOOSECOLOR choice) {
    choice->rgbResult = s_chosen;
    return TRUE;
}

int s_boxAnswer = IDOK;
int s_boxesShown = 0;
int WINAPI AnswerBox(HWND, LPCTSTR, LPCTSTR, UINT) {
    ++s_boxesShown;
    return s_boxAnswer;
}

// A 48 x 48 picture (6952 bytes) is more than half of it, 30 x 32 (2984) is not.
SizeLimitFacts SmallMachine() { return SizeLimitFacts{0, 12000}; }

// Selects a unit as the user does (a selection by message sends no notice).
void SelectUnit(HWND dialog, int unit) {
    SendDlgItemMessage(dialog, IDC_IMGSIZE_UNIT, CB_SETCURSEL, WPARAM(unit), 0);
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDC_IMGSIZE_UNIT, CBN_SELCHANGE),
                reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_IMGSIZE_UNIT)));
}

void SetAspect(HWND dialog, bool keep) {
    const bool on = IsDlgButtonChecked(dialog, IDC_IMGSIZE_ASPECT) == BST_CHECKED;
    if (on != keep) DialogDriver_Click(dialog, IDC_IMGSIZE_ASPECT);
}

// A click in the middle of the anchor cell, as the mouse gives it.
void ClickAnchor(HWND dialog, int cell) {
    HWND picker = GetDlgItem(dialog, IDC_IMGSIZE_ANCHOR);
    RECT r;
    GetClientRect(picker, &r);
    POINT p{r.right * (2 * (cell % 3) + 1) / 6, r.bottom * (2 * (cell / 3) + 1) / 6};
    MapWindowPoints(picker, dialog, &p, 1);
    SendMessage(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessage(dialog, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

class ImgSizeDialog : public EditFixture {
protected:
    ImgSizeDialog() : EditFixture(TEXT("imgsize")) {}
    void SetUp() override {
        EditFixture::SetUp();
        savedSeams_ = g_sys;
        g_dlgValues = g_dlgDefaults;
    }
    void TearDown() override {
        g_sys = savedSeams_;
        g_sizeLimitFacts = NewImgDlg_MachineFacts;
        EditFixture::TearDown();
    }
    static void ShowPicture(int32_t w, int32_t h) {
        DibHolder picture;
        ASSERT_TRUE(MakePicture(picture, w, h, 3));
        ASSERT_EQ(ImgData_SetNewImage(picture, TEXT("fixture")), 1);
        RealFrame_Drain();
    }
    // Opens the dialog by its command and runs `step` on it; a second
    // command from inside finds the dialog open and opens nothing.
    void Run(const std::function<void(HWND)> &step) {
        bool secondRefused = false;
        DialogDriver driver({[&](HWND dialog) {
            SendMessage(frame_, WM_COMMAND, kCmdCanvas, 0);
            secondRefused = DialogDriver_FindOpen() == dialog;
            step(dialog);
            if (IsWindowVisible(dialog)) DialogDriver_Click(dialog, IDCANCEL);
            return true;
        }});
        Command(kCmdCanvas);
        EXPECT_TRUE(driver.finished());
        EXPECT_EQ(driver.dialogsSeen(), 1u);
        EXPECT_TRUE(secondRefused);
    }
    SysSeams savedSeams_{};
};

TEST_F(ImgSizeDialog, AddsAndCropsMarginsAsTheAnchorSaysAndUndoesExactly) {
    struct Case {
        const char *name;
        int32_t side;                    // the square picture
        const TCHAR *width, *height;     // typed in pixels
        int anchor;                      // clicked, -1 keeps the stored centre
        bool chooseColour;
        int32_t left, top, right, bottom;  // the margins expected
        int32_t undoKind;
    } cases[] = {
        // The centre: the odd pixel goes right and bottom.
        {"centre 10 to 13", 10, TEXT("13"), TEXT("13"), -1, true, 1, 1, 2, 2, kUndoCanvasGrow},
        {"top left shrinks", 32, TEXT("20"), TEXT("24"), 0, false, 0, 0, -12, -8, kUndoCanvas},
        {"bottom right grows", 8, TEXT("11"), TEXT("9"), 8, false, 3, 1, 0, 0, kUndoCanvasGrow},
        {"wider but shorter", 12, TEXT("16"), TEXT("9"), 1, false, 2, 0, 2, -3, kUndoCanvas},
    };
    s_chosen = RGB(10, 200, 40);
    g_sys.chooseColor = ChooseFixedColour;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ShowPicture(c.side, c.side);
        const std::string original = HeldBytes();
        const COLORREF colour = c.chooseColour ? s_chosen : 0;
        const std::string want = CanvasCopy(c.left, c.top, c.right, c.bottom, colour);
        ASSERT_FALSE(want.empty());
        g_dlgValues.canvasColour = 0;
        g_dlgValues.canvasAnchor = 4;
        Run([&](HWND dialog) {
            SetAspect(dialog, false);
            if (c.anchor >= 0) ClickAnchor(dialog, c.anchor);
            if (c.chooseColour) DialogDriver_Click(dialog, IDC_IMGSIZE_CHOOSE);
            DialogDriver_SetItemText(dialog, IDC_IMGSIZE_WIDTH, c.width);
            DialogDriver_SetItemText(dialog, IDC_IMGSIZE_HEIGHT, c.height);
            DialogDriver_Click(dialog, IDOK);
        });
        EXPECT_TRUE(HeldBytes() == want);
        EXPECT_EQ(g_undo.kind, c.undoKind);
        EXPECT_EQ(g_dlgValues.canvasAnchor, c.anchor >= 0 ? c.anchor : 4);
        EXPECT_EQ(g_dlgValues.canvasColour, colour);
        EXPECT_EQ(g_dlgValues.canvasKeepAspect, 0);
        EXPECT_EQ(g_dlgValues.canvasUnit, 0);
        Command(kCmdUndo);
        EXPECT_TRUE(HeldBytes() == original);
    }
    EXPECT_TRUE(boxes_->boxes().empty());
}

TEST_F(ImgSizeDialog, LinkedFieldsInEachUnit) {
    ShowPicture(24, 14);
    struct Case {
        const char *name;
        int unit;
        bool aspect;
        int axis;                 // 0 width typed, 1 height
        const TCHAR *typed;
        const TCHAR *width, *height;  // the fields afterwards
        int32_t w, h;             // the size made
    } cases[] = {
        // Percent with the aspect kept: the same percentage in both fields.
        {"percent linked", 1, true, 0, TEXT("150"), TEXT("150"), TEXT("150"), 36, 21},
        {"percent alone", 1, false, 1, TEXT("50"), TEXT("100"), TEXT("50"), 24, 7},
        {"pixels linked", 0, true, 0, TEXT("48"), TEXT("48"), TEXT("28"), 48, 28},
        {"pixels by height", 0, true, 1, TEXT("7"), TEXT("12"), TEXT("7"), 12, 7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        tstring width, height;
        Run([&](HWND dialog) {
            SetAspect(dialog, c.aspect);
            SelectUnit(dialog, c.unit);
            DialogDriver_SetItemText(dialog, c.axis == 0 ? IDC_IMGSIZE_WIDTH : IDC_IMGSIZE_HEIGHT, c.typed);
            width = DialogDriver_ItemText(dialog, IDC_IMGSIZE_WIDTH);
            height = DialogDriver_ItemText(dialog, IDC_IMGSIZE_HEIGHT);
            DialogDriver_Click(dialog, IDOK);
        });
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
        EXPECT_EQ(g_imgData.width, c.w);
        EXPECT_EQ(g_imgData.height, c.h);
        EXPECT_EQ(g_dlgValues.canvasUnit, c.unit);
        EXPECT_EQ(g_dlgValues.canvasKeepAspect, c.aspect ? 1 : 0);
        Command(kCmdUndo);
        EXPECT_EQ(g_imgData.width, 24);
        EXPECT_EQ(g_imgData.height, 14);
    }
}

TEST_F(ImgSizeDialog, UnitSwitchRewritesTheSameSize) {
    // 3780 pixels per metre: 96 pixels are 2.54 cm and 1 inch.
    DibHolder picture;
    ASSERT_TRUE(MakePicture(picture, 96, 48, 3));
    picture.data->header->biXPelsPerMeter = picture.data->header->biYPelsPerMeter = 3780;
    ASSERT_EQ(ImgData_SetNewImage(picture, TEXT("fixture")), 1);
    RealFrame_Drain();
    tstring inch[2], cm[2], pixels[2];
    Run([&](HWND dialog) {
        SetAspect(dialog, false);
        SelectUnit(dialog, 2);
        inch[0] = DialogDriver_ItemText(dialog, IDC_IMGSIZE_WIDTH);
        inch[1] = DialogDriver_ItemText(dialog, IDC_IMGSIZE_HEIGHT);
        SelectUnit(dialog, 3);
        cm[0] = DialogDriver_ItemText(dialog, IDC_IMGSIZE_WIDTH);
        cm[1] = DialogDriver_ItemText(dialog, IDC_IMGSIZE_HEIGHT);
        SelectUnit(dialog, 0);
        pixels[0] = DialogDriver_ItemText(dialog, IDC_IMGSIZE_WIDTH);
        pixels[1] = DialogDriver_ItemText(dialog, IDC_IMGSIZE_HEIGHT);
        DialogDriver_Click(dialog, IDOK);
    });
    EXPECT_EQ(inch[0], TEXT("1"));
    EXPECT_EQ(inch[1], TEXT("0.5"));
    EXPECT_EQ(cm[0], TEXT("2.54"));
    EXPECT_EQ(cm[1], TEXT("1.27"));
    EXPECT_EQ(pixels[0], TEXT("96"));
    EXPECT_EQ(pixels[1], TEXT("48"));
    // The same size: OK changes nothing and records no undo.
    EXPECT_EQ(g_imgData.width, 96);
    EXPECT_EQ(g_undo.kind, 0);
}

TEST_F(ImgSizeDialog, CancelAfterEditsChangesNothing) {
    Command(kCmdNegative);
    ASSERT_EQ(g_undo.kind, kUndoNegative);
    const std::string before = HeldBytes();
    g_dlgValues.canvasAnchor = 4;
    Run([&](HWND dialog) {
        ClickAnchor(dialog, 2);
        SelectUnit(dialog, 1);
        DialogDriver_SetItemText(dialog, IDC_IMGSIZE_WIDTH, TEXT("300"));
        DialogDriver_SetItemText(dialog, IDC_IMGSIZE_HEIGHT, TEXT("25"));
        DialogDriver_Click(dialog, IDCANCEL);
    });
    EXPECT_TRUE(HeldBytes() == before);
    EXPECT_EQ(g_undo.kind, kUndoNegative);
    EXPECT_EQ(g_dlgValues.canvasAnchor, 4);
    EXPECT_EQ(g_dlgValues.canvasUnit, 0);
    // Without a picture the command opens nothing.
    ImgData_Reset();
    RealFrame_Drain();
    Command(kCmdCanvas);
    EXPECT_EQ(DialogDriver_FindOpen(), nullptr);
}

TEST_F(ImgSizeDialog, SizeLimitsDisableOkAndHugeNumbersStayAtTheLimit) {
    const std::string original = HeldBytes();
    struct Case {
        const char *name;
        int unit;
        const TCHAR *width, *height;
        const TCHAR *widthShown;  // the field after typing
        bool okEnabled;
    } cases[] = {
        // 65535 squared at 24 bits is 12 GB: refused.
        {"largest sides", 0, TEXT("65535"), TEXT("65535"), TEXT("65535"), false},
        // Beyond 32 bits: limited to the maximum, never wrapped to a small size.
        {"pixels beyond 32 bits", 0, TEXT("99999999999"), TEXT("10"), TEXT("65535"), true},
        {"percent beyond 32 bits", 1, TEXT("999999999"), TEXT("100"), TEXT("204796.88"), true},
        {"no number", 0, TEXT("1,000"), TEXT("10"), TEXT("1,000"), false},
        {"zero", 0, TEXT("0"), TEXT("10"), TEXT("0"), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        bool enabled = true;
        tstring shown, caption;
        Run([&](HWND dialog) {
            SetAspect(dialog, false);
            SelectUnit(dialog, c.unit);
            DialogDriver_SetItemText(dialog, IDC_IMGSIZE_WIDTH, c.width);
            DialogDriver_SetItemText(dialog, IDC_IMGSIZE_HEIGHT, c.height);
            shown = DialogDriver_ItemText(dialog, IDC_IMGSIZE_WIDTH);
            caption = DialogDriver_ItemText(dialog, IDC_IMGSIZE_NEW_GROUP);
            enabled = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
            DialogDriver_Click(dialog, IDCANCEL);
        });
        EXPECT_EQ(shown, c.widthShown);
        EXPECT_EQ(enabled, c.okEnabled);
        const tstring refusal = TEXT(" - too large");
        const bool endsRefused = caption.size() >= refusal.size() &&
                                 caption.compare(caption.size() - refusal.size(), refusal.size(), refusal) == 0;
        EXPECT_EQ(endsRefused, !c.okEnabled) << caption.c_str();
        EXPECT_TRUE(HeldBytes() == original);
    }
}

TEST_F(ImgSizeDialog, LargePictureAsksFirst) {
    g_sizeLimitFacts = SmallMachine;
    g_sys.messageBox = AnswerBox;
    const std::string original = HeldBytes();
    // Declined: the dialog stays open and the picture is untouched.
    s_boxAnswer = IDCANCEL;
    s_boxesShown = 0;
    bool stayed = false;
    Run([&](HWND dialog) {
        SetAspect(dialog, false);
        DialogDriver_SetItemText(dialog, IDC_IMGSIZE_WIDTH, TEXT("48"));
        DialogDriver_SetItemText(dialog, IDC_IMGSIZE_HEIGHT, TEXT("48"));
        DialogDriver_Click(dialog, IDOK);
        stayed = IsWindowVisible(dialog) != FALSE;
    });
    EXPECT_TRUE(stayed);
    EXPECT_EQ(s_boxesShown, 1);
    EXPECT_TRUE(HeldBytes() == original);
    // Agreed: the canvas grows.
    s_boxAnswer = IDOK;
    Run([&](HWND dialog) {
        SetAspect(dialog, false);
        DialogDriver_SetItemText(dialog, IDC_IMGSIZE_WIDTH, TEXT("48"));
        DialogDriver_SetItemText(dialog, IDC_IMGSIZE_HEIGHT, TEXT("48"));
        DialogDriver_Click(dialog, IDOK);
    });
    EXPECT_EQ(s_boxesShown, 2);
    EXPECT_EQ(g_imgData.width, 48);
    // A side kept as it was accepts at once.
    Command(kCmdUndo);
    Run([&](HWND dialog) {
        SetAspect(dialog, false);
        DialogDriver_SetItemText(dialog, IDC_IMGSIZE_WIDTH, TEXT("30"));
        DialogDriver_Click(dialog, IDOK);
    });
    EXPECT_EQ(s_boxesShown, 2);
    EXPECT_EQ(g_imgData.width, 30);
}

DibHandle DIBCORE_CALL FailCreate(const void *, const void *) { return 0; }

TEST_F(ImgSizeDialog, FailedCanvasIsReportedAndKeepsPictureAndUndo) {
    Command(kCmdNegative);
    const std::string before = HeldBytes();
    {
        const CreateDIB_t saved = g_dibcore.CreateDIB;
        g_dibcore.CreateDIB = FailCreate;
        Run([&](HWND dialog) {
            SetAspect(dialog, false);
            DialogDriver_SetItemText(dialog, IDC_IMGSIZE_WIDTH, TEXT("40"));
            DialogDriver_Click(dialog, IDOK);
        });
        g_dibcore.CreateDIB = saved;
    }
    EXPECT_TRUE(HeldBytes() == before);
    EXPECT_EQ(g_undo.kind, kUndoNegative);
    ASSERT_EQ(boxes_->boxes().size(), 1u);
    EXPECT_NE(boxes_->boxes()[0].text.find(TEXT("388")), tstring::npos);
    // Requests the operation cannot take change nothing either.
    EXPECT_EQ(ImgSizeDlg_Apply(0, 10, 4, 0), 0);
    EXPECT_EQ(ImgSizeDlg_Apply(10, 10, 9, 0), 0);
    EXPECT_EQ(ImgSizeDlg_Apply(kFixtureSide, kFixtureSide, 4, 0), 1);
    EXPECT_TRUE(HeldBytes() == before);
    EXPECT_EQ(g_undo.kind, kUndoNegative);
}

}  // namespace
