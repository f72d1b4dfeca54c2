// The new picture dialog run by its command on the program's frame: the
// picture it makes equals one made directly, in every depth; the current
// picture and its undo stay until the new one exists; names, the size
// limits and Cancel.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "../../res/resource.h"
#include "dlg/qv_NewImgCore.h"
#include "dlg/qv_NewImgDlg.h"
#include "image/qv_DibApi.h"
#include "image/qv_DibHolder.h"
#include "image/qv_DibOps.h"
#include "image/qv_EditCommands.h"
#include "image/qv_ImgData.h"
#include "image/qv_PixelValue.h"
#include "image/qv_Undo.h"
#include "other/qv_DlgValues.h"
#include "other/qv_SysSeams.h"
#include "support/dialog_driver.h"
#include "support/edit_fixture.h"
#include "support/real_frame.h"

namespace {

constexpr UINT kCmdNewImage = 40028;

std::string Bytes(const DibData *d) {
    std::string out(reinterpret_cast<const char *>(d->header), d->headerSize);
    if (out.size() >= 24) out.replace(20, 4, 4, '\0');
    out.append(reinterpret_cast<const char *>(d->bits), d->bitsSize);
    return out;
}

COLORREF s_chosen = 0;
BOOL WINAPI ChooseFixedColour(LPCHOOSECOLOR choice) {
    choice->rgbResult = s_chosen;
    return TRUE;
}

DibHandle DIBCORE_CALL FailCreate(const void *, const void *) { return 0; }

void SelectDepth(HWND dialog, int index) {
    SendDlgItemMessage(dialog, IDC_NEWIMG_DEPTH, CB_SETCURSEL, WPARAM(index), 0);
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDC_NEWIMG_DEPTH, CBN_SELCHANGE),
                reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_NEWIMG_DEPTH)));
}

class NewImgDialog : public EditFixture {
protected:
    NewImgDialog() : EditFixture(TEXT("newimg")) {}
    void SetUp() override {
        EditFixture::SetUp();
        savedSeams_ = g_sys;
        g_dlgValues = g_dlgDefaults;
    }
    void TearDown() override {
        g_sys = savedSeams_;
        EditFixture::TearDown();
    }
    // Opens the dialog by its command and runs `step`; a second command
    // from inside finds the dialog open and opens nothing. Returns whether
    // the dialog was still open after the step.
    bool Run(const std::function<void(HWND)> &step) {
        bool secondRefused = false, stayed = false;
        DialogDriver driver({[&](HWND dialog) {
            SendMessage(frame_, WM_COMMAND, kCmdNewImage, 0);
            secondRefused = DialogDriver_FindOpen() == dialog;
            step(dialog);
            stayed = IsWindowVisible(dialog) != FALSE;
            if (stayed) DialogDriver_Click(dialog, IDCANCEL);
            return true;
        }});
        Command(kCmdNewImage);
        EXPECT_TRUE(driver.finished());
        EXPECT_EQ(driver.dialogsSeen(), 1u);
        EXPECT_TRUE(secondRefused);
        return stayed;
    }
    SysSeams savedSeams_{};
};

TEST_F(NewImgDialog, MakesTheBlankPictureInEveryDepth) {
    s_chosen = RGB(30, 140, 220);
    g_sys.chooseColor = ChooseFixedColour;
    struct Case {
        int index;
        int32_t depth;
        const void *extra;  // masks of the 5-6-5 layout
    } cases[] = {{0, 1, nullptr}, {1, 4, nullptr}, {2, 8, nullptr},
                 {3, 16, nullptr}, {4, 16, kNewImgMasks565}, {5, 24, nullptr}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.index);
        // What the dialog must make: the colour in entry 0 of a table that is
        // otherwise black, every pixel of that colour.
        uint8_t table[256 * 4] = {};
        table[0] = GetBValue(s_chosen);
        table[1] = GetGValue(s_chosen);
        table[2] = GetRValue(s_chosen);
        DibHolder want;
        ASSERT_TRUE(DibHolder_Create(want, 21, 9, c.depth, 0, 1, c.depth <= 8 ? table : c.extra));
        ASSERT_TRUE(Dib_FillColour(want.handle, nullptr, s_chosen));
        ASSERT_TRUE(DibHolder_Lock(want));
        Command(kCmdNegative);  // an undo record of the old picture
        ASSERT_EQ(g_undo.kind, kUndoNegative);
        Run([&](HWND dialog) {
            DialogDriver_SetItemText(dialog, IDC_NEWIMG_NAME, TEXT("blank"));
            DialogDriver_SetItemText(dialog, IDC_NEWIMG_WIDTH, TEXT("21"));
            DialogDriver_SetItemText(dialog, IDC_NEWIMG_HEIGHT, TEXT("9"));
            SelectDepth(dialog, c.index);
            DialogDriver_Click(dialog, IDC_NEWIMG_CHOOSE);
            DialogDriver_Click(dialog, IDOK);
        });
        EXPECT_TRUE(HeldBytes() == Bytes(want.data));
        EXPECT_EQ(tstring(g_imgData.fileName), TEXT("blank"));
        EXPECT_EQ(g_undo.kind, 0) << "the old picture's undo went with it";
        EXPECT_EQ(g_dlgValues.newImageDepth, c.index);
        EXPECT_EQ(g_dlgValues.newImageSize[0], 21);
        EXPECT_EQ(g_dlgValues.newImageSize[1], 9);
        EXPECT_EQ(g_dlgValues.newImageColour, s_chosen);
    }
    // A 1-bit picture: entry 0 the colour, entry 1 black, every pixel 0.
    const DibData *d = g_imgData.image.data;
    Run([&](HWND dialog) {
        SelectDepth(dialog, 0);
        DialogDriver_Click(dialog, IDOK);
    });
    d = g_imgData.image.data;
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->header->biBitCount, 1);
    const uint8_t *entries = reinterpret_cast<const uint8_t *>(d->header) + d->header->biSize;
    EXPECT_EQ(RGB(entries[2], entries[1], entries[0]), s_chosen);
    EXPECT_EQ(entries[4] | entries[5] | entries[6], 0);
    for (uint32_t i = 0; i < d->bitsSize; ++i) ASSERT_EQ(d->bits[i], 0) << i;
    EXPECT_TRUE(boxes_->boxes().empty());
}

TEST_F(NewImgDialog, NamesTakenRefusedOrReplacedByTheUntitledOne) {
    const tstring longName(300, TEXT('n'));
    tstring shownName;
    // The untitled name the dialog offers is taken as it is.
    Run([&](HWND dialog) {
        shownName = DialogDriver_ItemText(dialog, IDC_NEWIMG_NAME);
        DialogDriver_Click(dialog, IDOK);
    });
    EXPECT_FALSE(shownName.empty());
    EXPECT_EQ(tstring(g_imgData.fileName), shownName);
    // Empty and too long take the next untitled name; it differs from the first.
    for (const TCHAR *typed : {TEXT(""), longName.c_str()}) {
        tstring offered;
        Run([&](HWND dialog) {
            offered = DialogDriver_ItemText(dialog, IDC_NEWIMG_NAME);
            DialogDriver_SetItemText(dialog, IDC_NEWIMG_NAME, typed);
            DialogDriver_Click(dialog, IDOK);
        });
        EXPECT_NE(offered, shownName);
        EXPECT_EQ(tstring(g_imgData.fileName), offered);
        shownName = offered;
    }
    // A forbidden character: the message, the dialog stays, nothing changes.
    const std::string before = HeldBytes();
    const size_t boxes = boxes_->boxes().size();
    const bool stayed = Run([&](HWND dialog) {
        DialogDriver_SetItemText(dialog, IDC_NEWIMG_NAME, TEXT("a/b"));
        DialogDriver_SetItemText(dialog, IDC_NEWIMG_WIDTH, TEXT("5"));
        DialogDriver_Click(dialog, IDOK);
    });
    EXPECT_TRUE(stayed);
    ASSERT_EQ(boxes_->boxes().size(), boxes + 1);
    EXPECT_NE(boxes_->boxes().back().text.find(TEXT("\\ / :")), tstring::npos);
    EXPECT_TRUE(HeldBytes() == before);
}

TEST_F(NewImgDialog, SizeLimitsAndCancelChangeNothing) {
    Command(kCmdNegative);
    const std::string before = HeldBytes();
    struct Case {
        const char *name;
        const TCHAR *width, *height;
        int depth;
        const TCHAR *widthShown;
        bool okEnabled;
    } cases[] = {
        {"65535 squared at 24 bits", TEXT("65535"), TEXT("65535"), 5, TEXT("65535"), false},
        {"the same at 1 bit", TEXT("65535"), TEXT("65535"), 0, TEXT("65535"), true},
        {"beyond the largest side", TEXT("99999999999"), TEXT("2"), 5, TEXT("65535"), true},
        {"zero", TEXT("0"), TEXT("2"), 5, TEXT("0"), false},
        {"empty", TEXT(""), TEXT("2"), 5, TEXT(""), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        bool enabled = true;
        tstring shown, caption;
        const bool stayed = Run([&](HWND dialog) {
            DialogDriver_SetItemText(dialog, IDC_NEWIMG_WIDTH, c.width);
            DialogDriver_SetItemText(dialog, IDC_NEWIMG_HEIGHT, c.height);
            SelectDepth(dialog, c.depth);
            shown = DialogDriver_ItemText(dialog, IDC_NEWIMG_WIDTH);
            caption = DialogDriver_ItemText(dialog, IDC_NEWIMG_GROUP);
            enabled = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
            DialogDriver_Click(dialog, IDCANCEL);
        });
        EXPECT_FALSE(stayed);
        EXPECT_EQ(shown, c.widthShown);
        EXPECT_EQ(enabled, c.okEnabled);
        const tstring refusal = TEXT(" - too large");
        const bool endsRefused = caption.size() >= refusal.size() &&
                                 caption.compare(caption.size() - refusal.size(), refusal.size(), refusal) == 0;
        EXPECT_EQ(endsRefused, !c.okEnabled) << caption.c_str();
        EXPECT_TRUE(HeldBytes() == before);
        EXPECT_EQ(g_undo.kind, kUndoNegative);
        EXPECT_EQ(g_dlgValues.newImageSize[0], 160) << "Cancel stores nothing";
    }
}

TEST_F(NewImgDialog, FailedCreationIsReportedAndKeepsThePicture) {
    Command(kCmdNegative);
    const std::string before = HeldBytes();
    {
        const CreateDIB_t saved = g_dibcore.CreateDIB;
        g_dibcore.CreateDIB = FailCreate;
        Run([&](HWND dialog) { DialogDriver_Click(dialog, IDOK); });
        g_dibcore.CreateDIB = saved;
    }
    EXPECT_TRUE(HeldBytes() == before);
    EXPECT_EQ(tstring(g_imgData.fileName), TEXT("fixture"));
    EXPECT_EQ(g_undo.kind, kUndoNegative);
    ASSERT_EQ(boxes_->boxes().size(), 1u);
    EXPECT_NE(boxes_->boxes()[0].text.find(TEXT("97")), tstring::npos);
}

TEST_F(NewImgDialog, OpensWithoutAPicture) {
    ImgData_Reset();
    RealFrame_Drain();
    Run([&](HWND dialog) {
        DialogDriver_SetItemText(dialog, IDC_NEWIMG_WIDTH, TEXT("7"));
        DialogDriver_SetItemText(dialog, IDC_NEWIMG_HEIGHT, TEXT("3"));
        DialogDriver_Click(dialog, IDOK);
    });
    EXPECT_TRUE(ImgData_HasImage());
    EXPECT_EQ(g_imgData.width, 7);
    EXPECT_EQ(g_imgData.height, 3);
    EXPECT_EQ(g_imgData.bitsPerPixel, 24);
}

}  // namespace
