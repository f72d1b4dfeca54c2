// The resize dialog run by its command on the frame's picture: the linked
// fields as the user types, the size limits holding OK back, the result
// equal byte for byte to the resampler run on a copy, undo restoring the
// picture exactly, Cancel changing nothing, and the values remembered.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../../res/resource.h"
#include "dlg/qv_ResizeCore.h"
#include "dlg/qv_ResizeDlg.h"
#include "dlg/qv_SizeLimits.h"
#include "image/qv_DibApi.h"
#include "image/qv_DibOps.h"
#include "image/qv_EditCommands.h"
#include "image/qv_ImgData.h"
#include "image/qv_ResizeHandle.h"
#include "image/qv_Undo.h"
#include "image/resample/qv_Resample.h"
#include "other/qv_DlgValues.h"
#include "support/dialog_driver.h"
#include "support/edit_fixture.h"
#include "support/real_frame.h"
#include "support/view_fixture.h"
#include "util/qv_Str.h"

namespace {

constexpr int32_t kSide = kFixtureSide;

// A picture's bytes as HeldBytes gives them: header, table and rows with the
// image size field left out.
std::string BytesOf(DibHandle picture) {
    const DibData *d = Dibcore_DataDIB(picture);
    if (d == nullptr) return {};
    std::string out(reinterpret_cast<const char *>(d->header), d->headerSize);
    if (out.size() >= 24) out.replace(20, 4, 4, '\0');
    out.append(reinterpret_cast<const char *>(d->bits), d->bitsSize);
    return out;
}

// One resampling step of the expected result on a copy.
struct Step {
    int32_t width, height;
    bool sharpen;
};

// The held picture resampled on a copy, step by step, with the codes given
// (reduce 0 and enlarge 0: the simple resize keeping the depth).
std::string ResampledCopy(const std::vector<Step> &steps, int32_t reduceCode, int32_t enlargeCode, bool simple) {
    DibHandle current = Dibcore_CopyDIB(g_imgData.image.handle);
    for (const Step &s : steps) {
        if (current == 0) return {};
        const DibHandle next = simple ? Resize_Simple(current, s.width, s.height)
                                      : Resize_Filtered(current, s.width, s.height, reduceCode, enlargeCode);
        Dibcore_DeleteDIB(current);
        current = next;
        if (current != 0 && s.sharpen && !Resample_Sharpen3x3(current, kResampleSharpenKernel)) return {};
    }
    if (current == 0) return {};
    const std::string out = BytesOf(current);
    Dibcore_DeleteDIB(current);
    return out;
}

int32_t HeldDepth() { return Dib_GetInfo(g_imgData.image.handle, nullptr, nullptr, nullptr, 0); }

// Selects a combo entry as the user does: the notification is sent too.
void Choose(HWND dialog, int id, int index) {
    HWND combo = GetDlgItem(dialog, id);
    SendMessage(combo, CB_SETCURSEL, WPARAM(index), 0);
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

tstring Text(HWND dialog, int id) { return DialogDriver_ItemText(dialog, id); }

bool EndsWith(const tstring &s, const tstring &tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// What a run saw inside the dialog.
struct Seen {
    bool secondRefused = false;
    bool stayedOpen = false;
};

class ResizeDialog : public EditFixture {
protected:
    ResizeDialog() : EditFixture(TEXT("resizedlg")) {}
    void SetUp() override {
        EditFixture::SetUp();
        g_dlgValues = g_dlgDefaults;
    }

    // Opens the dialog by its command, runs `steps` in it, then presses OK
    // or Cancel; a dialog still open after OK is cancelled.
    Seen Run(const std::function<void(HWND)> &steps, bool ok) {
        Seen seen;
        DialogDriver driver({[&](HWND dialog) {
            // A second operation dialog cannot open over this one.
            SendMessage(frame_, WM_COMMAND, kCmdResizeDialog, 0);
            seen.secondRefused = DialogDriver_FindOpen() == dialog;
            steps(dialog);
            DialogDriver_Click(dialog, ok ? IDOK : IDCANCEL);
            seen.stayedOpen = IsWindowVisible(dialog) != FALSE;
            if (seen.stayedOpen) DialogDriver_Click(dialog, IDCANCEL);
            return true;
        }});
        Command(kCmdResizeDialog);
        EXPECT_TRUE(driver.finished());
        EXPECT_EQ(driver.dialogsSeen(), 1u);
        EXPECT_TRUE(seen.secondRefused);
        return seen;
    }

    // An 8-bit picture of kSide x kSide with a grey ramp table.
    static void ShowEightBit() {
        DibRgbQuad table[256];
        for (int i = 0; i < 256; ++i) table[i] = DibRgbQuad{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
        DibHolder picture;
        ASSERT_TRUE(DibHolder_Create(picture, kSide, kSide, 8, 256, 1, table));
        const uint32_t stride = (kSide + 3) & ~3u;
        for (int32_t y = 0; y < kSide; ++y)
            for (int32_t x = 0; x < kSide; ++x) picture.data->bits[uint32_t(y) * stride + uint32_t(x)] = uint8_t(x * 7 + y * 3);
        ASSERT_EQ(ImgData_SetNewImage(picture, TEXT("eight")), 1);
        RealFrame_Drain();
    }
};

TEST_F(ResizeDialog, TwoHundredPercentDoublesBothSidesAndUndoesExactly) {
    const std::string original = HeldBytes();
    // Cubic-0.5 for enlarging by default; growing is never sharpened.
    const std::string want = ResampledCopy({{2 * kSide, 2 * kSide, false}}, 80, 80, false);
    ASSERT_FALSE(want.empty());
    tstring pixelsX, pixelsY, percentX, percentY, printX, printY;
    const Seen seen = Run(
        [&](HWND dialog) {
            DialogDriver_SetItemText(dialog, IDC_RESIZE_PERCENT_X, TEXT("200"));
            pixelsX = Text(dialog, IDC_RESIZE_PIXELS_X);
            pixelsY = Text(dialog, IDC_RESIZE_PIXELS_Y);
            percentX = Text(dialog, IDC_RESIZE_PERCENT_X);
            percentY = Text(dialog, IDC_RESIZE_PERCENT_Y);
            printX = Text(dialog, IDC_RESIZE_PRINT_X);
            printY = Text(dialog, IDC_RESIZE_PRINT_Y);
        },
        true);
    EXPECT_FALSE(seen.stayedOpen);
    EXPECT_EQ(pixelsX, TEXT("64"));
    EXPECT_EQ(pixelsY, TEXT("64"));
    // The typed field is left as typed; the other follows with decimals.
    EXPECT_EQ(percentX, TEXT("200"));
    EXPECT_EQ(percentY, TEXT("200.00"));
    // No resolution in the header: 72 DPI, so 64 pixels are 2.26 cm.
    EXPECT_EQ(printX, TEXT("2.26"));
    EXPECT_EQ(printY, TEXT("2.26"));

    EXPECT_EQ(DibHolder_GetWidth(g_imgData.image), 2 * kSide);
    EXPECT_TRUE(HeldBytes() == want);
    EXPECT_EQ(g_undo.kind, kUndoResize);
    // The header's missing resolution is not stamped with the 72 DPI shown.
    EXPECT_EQ(g_imgData.image.data->header->biXPelsPerMeter, 0);
    Command(kCmdUndo);
    EXPECT_TRUE(HeldBytes() == original);
    EXPECT_EQ(DibHolder_GetWidth(g_imgData.image), kSide);
    EXPECT_TRUE(boxes_->boxes().empty());
}

TEST_F(ResizeDialog, MethodsDecideTheDepthAndMatchTheResamplerOnACopy) {
    struct Case {
        const char *name;
        int reduce, enlarge;     // combo indexes
        int keepAspect;
        const TCHAR *width, *height;
        std::vector<Step> steps;  // the expected resampling
        int32_t reduceCode, enlargeCode;
        bool simple;
        int32_t depth;
    } cases[] = {
        // Reducing an 8-bit picture with Simple keeps 8 bits; the
        // enlargement method does not matter when nothing grows.
        {"simple reduce", 0, 10, 1, TEXT("16"), nullptr, {{16, 16, false}}, 0, 0, true, 8},
        // Any other reduction method gives 24 bits, sharpened once.
        {"linear reduce", 1, 0, 1, TEXT("16"), nullptr, {{16, 16, true}}, 31, 0, false, 24},
        // Growing with Simple keeps 8 bits whatever the reduction method.
        {"simple enlarge", 10, 0, 1, TEXT("48"), nullptr, {{48, 48, false}}, 0, 0, true, 8},
        {"linear enlarge", 0, 1, 1, TEXT("48"), nullptr, {{48, 48, false}}, 0, 10, false, 24},
        // One side shrinks and the other grows: shrink first and sharpen
        // that, then grow.
        {"shrink and grow", 6, 6, 0, TEXT("48"), TEXT("16"), {{32, 16, true}, {48, 16, false}}, 70, 70, false, 24},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ShowEightBit();
        const std::string original = HeldBytes();
        const std::string want = ResampledCopy(c.steps, c.reduceCode, c.enlargeCode, c.simple);
        ASSERT_FALSE(want.empty());
        g_dlgValues.resizeKeepAspect = c.keepAspect;
        tstring caption;
        Run(
            [&](HWND dialog) {
                Choose(dialog, IDC_RESIZE_REDUCE, c.reduce);
                Choose(dialog, IDC_RESIZE_ENLARGE, c.enlarge);
                DialogDriver_SetItemText(dialog, IDC_RESIZE_PIXELS_X, c.width);
                if (c.height != nullptr) DialogDriver_SetItemText(dialog, IDC_RESIZE_PIXELS_Y, c.height);
                caption = Text(dialog, IDC_RESIZE_NEW_GROUP);
            },
            true);
        // The new size group shows the byte size at the result's depth.
        const Step &last = c.steps.back();
        uint64_t bytes = 0;
        NewImgDlg_CheckSize(last.width, last.height, c.depth, SizeLimitFacts{1, 0}, &bytes, nullptr);
        TCHAR size[64];
        Str_FormatByteSize(uint32_t(bytes), size, uint32_t(bytes >> 32), 64);
        EXPECT_NE(caption.find(size), tstring::npos) << caption.c_str();

        EXPECT_EQ(HeldDepth(), c.depth);
        EXPECT_EQ(DibHolder_GetWidth(g_imgData.image), last.width);
        EXPECT_EQ(DibHolder_GetHeight(g_imgData.image), last.height);
        EXPECT_TRUE(HeldBytes() == want);
        EXPECT_EQ(g_dlgValues.resizeQuality[0], c.reduce);
        EXPECT_EQ(g_dlgValues.resizeQuality[1], c.enlarge);
        EXPECT_EQ(g_dlgValues.resizeKeepAspect, c.keepAspect);
        EXPECT_EQ(g_undo.kind, kUndoResize);
        Command(kCmdUndo);
        EXPECT_TRUE(HeldBytes() == original);
        EXPECT_EQ(HeldDepth(), 8);
    }
}

TEST_F(ResizeDialog, SizesBeyondTheLimitsKeepOkDisabled) {
    const std::string original = HeldBytes();
    struct {
        tstring pixelsX, pixelsY, caption;
        BOOL okEnabled;
    } refused{}, held{}, none{};
    const Seen seen = Run(
        [&](HWND dialog) {
            // With the aspect kept a typed 70000 is held to 65535 and the
            // height follows: 65535 x 65535 at 24 bits is above 1 GiB.
            DialogDriver_SetItemText(dialog, IDC_RESIZE_PIXELS_X, TEXT("70000"));
            held = {Text(dialog, IDC_RESIZE_PIXELS_X), Text(dialog, IDC_RESIZE_PIXELS_Y),
                    Text(dialog, IDC_RESIZE_NEW_GROUP), IsWindowEnabled(GetDlgItem(dialog, IDOK))};
            DialogDriver_Click(dialog, IDC_RESIZE_KEEP_ASPECT);
            DialogDriver_SetItemText(dialog, IDC_RESIZE_PIXELS_X, TEXT("65535"));
            DialogDriver_SetItemText(dialog, IDC_RESIZE_PIXELS_Y, TEXT("65535"));
            refused = {Text(dialog, IDC_RESIZE_PIXELS_X), Text(dialog, IDC_RESIZE_PIXELS_Y),
                       Text(dialog, IDC_RESIZE_NEW_GROUP), IsWindowEnabled(GetDlgItem(dialog, IDOK))};
            // Enter reaches OK even while it is disabled: still refused.
            SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            // No pixels at all, and a text that is no number, are refused too.
            DialogDriver_SetItemText(dialog, IDC_RESIZE_PIXELS_Y, TEXT("1,000"));
            none = {Text(dialog, IDC_RESIZE_PIXELS_X), Text(dialog, IDC_RESIZE_PIXELS_Y),
                    Text(dialog, IDC_RESIZE_NEW_GROUP), IsWindowEnabled(GetDlgItem(dialog, IDOK))};
        },
        true);
    EXPECT_TRUE(seen.stayedOpen);
    const tstring refusedTail = TEXT(" - this size is not allowed");
    EXPECT_EQ(held.pixelsX, TEXT("65535"));
    EXPECT_EQ(held.pixelsY, TEXT("65535"));
    EXPECT_FALSE(held.okEnabled);
    EXPECT_TRUE(EndsWith(held.caption, refusedTail)) << held.caption.c_str();
    EXPECT_EQ(refused.pixelsX, TEXT("65535"));
    EXPECT_EQ(refused.pixelsY, TEXT("65535"));
    EXPECT_FALSE(refused.okEnabled);
    EXPECT_TRUE(EndsWith(refused.caption, refusedTail)) << refused.caption.c_str();
    EXPECT_FALSE(none.okEnabled);
    EXPECT_TRUE(EndsWith(none.caption, refusedTail)) << none.caption.c_str();

    EXPECT_TRUE(HeldBytes() == original);
    EXPECT_EQ(g_undo.kind, 0);
    EXPECT_TRUE(boxes_->boxes().empty());

    // A size that is allowed enables OK again, without the refusal text.
    tstring caption;
    BOOL okEnabled = FALSE;
    Run(
        [&](HWND dialog) {
            DialogDriver_SetItemText(dialog, IDC_RESIZE_PIXELS_X, TEXT("70000"));
            DialogDriver_SetItemText(dialog, IDC_RESIZE_PIXELS_X, TEXT("40"));
            caption = Text(dialog, IDC_RESIZE_NEW_GROUP);
            okEnabled = IsWindowEnabled(GetDlgItem(dialog, IDOK));
        },
        false);
    EXPECT_TRUE(okEnabled);
    EXPECT_FALSE(EndsWith(caption, refusedTail)) << caption.c_str();
}

TEST_F(ResizeDialog, UntickingResizeChangesOnlyTheResolution) {
    const std::string original = HeldBytes();
    tstring pixelsX, pixelsY, resY, printX;
    BOOL pixelsEnabled = TRUE;
    Run(
        [&](HWND dialog) {
            DialogDriver_SetItemText(dialog, IDC_RESIZE_PIXELS_X, TEXT("100"));
            DialogDriver_Click(dialog, IDC_RESIZE_RESAMPLE);
            pixelsX = Text(dialog, IDC_RESIZE_PIXELS_X);
            pixelsY = Text(dialog, IDC_RESIZE_PIXELS_Y);
            pixelsEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_RESIZE_PIXELS_X));
            DialogDriver_SetItemText(dialog, IDC_RESIZE_RES_X, TEXT("300"));
            resY = Text(dialog, IDC_RESIZE_RES_Y);
            printX = Text(dialog, IDC_RESIZE_PRINT_X);
        },
        true);
    // The size goes back to the picture's; the resolution drives the print
    // size (32 pixels at 300 DPI are 0.27 cm), the height's follows.
    EXPECT_EQ(pixelsX, TEXT("32"));
    EXPECT_EQ(pixelsY, TEXT("32"));
    EXPECT_FALSE(pixelsEnabled);
    EXPECT_EQ(resY, TEXT("300.00"));
    EXPECT_EQ(printX, TEXT("0.27"));

    EXPECT_EQ(DibHolder_GetWidth(g_imgData.image), kSide);
    EXPECT_EQ(g_imgData.image.data->header->biXPelsPerMeter, 11811);
    EXPECT_EQ(g_imgData.image.data->header->biYPelsPerMeter, 11811);
    EXPECT_EQ(g_undo.kind, kUndoResolution);
    EXPECT_EQ(g_dlgValues.resizeResample, 0);
    // Only the header changed.
    std::string pixelsOnly = HeldBytes();
    ASSERT_EQ(pixelsOnly.size(), original.size());
    EXPECT_EQ(pixelsOnly.substr(40), original.substr(40));
    Command(kCmdUndo);
    EXPECT_TRUE(HeldBytes() == original);
}

TEST_F(ResizeDialog, CancelLeavesPictureAndUndoAlone) {
    Command(kCmdNegative);
    ASSERT_EQ(g_undo.kind, kUndoNegative);
    const std::string before = HeldBytes();
    Run(
        [&](HWND dialog) {
            DialogDriver_SetItemText(dialog, IDC_RESIZE_PERCENT_X, TEXT("50"));
            DialogDriver_Click(dialog, IDC_RESIZE_DOUBLE);
            Choose(dialog, IDC_RESIZE_PRINT_UNIT, 0);
            Choose(dialog, IDC_RESIZE_RES_UNIT, 1);
            Choose(dialog, IDC_RESIZE_REDUCE, 3);
            DialogDriver_Click(dialog, IDC_RESIZE_SHARPEN);
        },
        false);
    EXPECT_TRUE(HeldBytes() == before);
    EXPECT_EQ(g_undo.kind, kUndoNegative);
    // Nothing is remembered from a cancelled dialog.
    EXPECT_EQ(g_dlgValues.resizePrintUnit, g_dlgDefaults.resizePrintUnit);
    EXPECT_EQ(g_dlgValues.resizeResolutionUnit, g_dlgDefaults.resizeResolutionUnit);
    EXPECT_EQ(g_dlgValues.resizeQuality[0], g_dlgDefaults.resizeQuality[0]);
    EXPECT_EQ(g_dlgValues.resizeSharpen, g_dlgDefaults.resizeSharpen);
    Command(kCmdUndo);
    EXPECT_NE(HeldBytes(), before);
}

TEST_F(ResizeDialog, OkRemembersUnitsAndHalvesWithTheUnitsShown) {
    // Inches and pixels per metre; half of 32 x 32, sharpened with the
    // default method (Cubic-0.5) after the reduction.
    const std::string want = ResampledCopy({{16, 16, true}}, 80, 80, false);
    tstring res, print;
    Run(
        [&](HWND dialog) {
            Choose(dialog, IDC_RESIZE_PRINT_UNIT, 0);
            Choose(dialog, IDC_RESIZE_RES_UNIT, 1);
            DialogDriver_Click(dialog, IDC_RESIZE_HALF);
            res = Text(dialog, IDC_RESIZE_RES_X);
            print = Text(dialog, IDC_RESIZE_PRINT_X);
        },
        true);
    EXPECT_EQ(res, TEXT("2835"));
    EXPECT_EQ(print, TEXT("0.22"));  // 16 pixels at 72 DPI
    EXPECT_TRUE(HeldBytes() == want);
    EXPECT_EQ(g_dlgValues.resizePrintUnit, 0);
    EXPECT_EQ(g_dlgValues.resizeResolutionUnit, 1);
    EXPECT_EQ(g_dlgValues.resizeResample, 1);
    EXPECT_EQ(g_dlgValues.resizeKeepAspect, 1);
    EXPECT_EQ(g_dlgValues.resizeSharpen, 1);
    EXPECT_EQ(g_dlgValues.resizeQuality[0], 7);
    EXPECT_EQ(g_dlgValues.resizeQuality[1], 7);
}

TEST_F(ResizeDialog, ApplyRefusesSidesAboveTheLimit) {
    const std::string original = HeldBytes();
    EXPECT_EQ(ResizeDlg_Apply(65536, 10, -1, -1, 1), 0);
    EXPECT_EQ(ResizeDlg_Apply(kSide, kSide, -1, -1, 1), 1);  // nothing to do
    EXPECT_TRUE(HeldBytes() == original);
    EXPECT_EQ(g_undo.kind, 0);
    // Without a picture the command opens nothing.
    ImgData_Reset();
    RealFrame_Drain();
    Command(kCmdResizeDialog);
    EXPECT_EQ(DialogDriver_FindOpen(), nullptr);
    EXPECT_TRUE(boxes_->boxes().empty());
}

}  // namespace
