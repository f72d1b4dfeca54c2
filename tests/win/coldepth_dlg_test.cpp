// The colour depth dialog opened by its command on the program's frame: the
// chosen depth converts the picture exactly as the library's calls do on a
// copy, one undo step restores it, a conversion with nothing to do or that
// fails leaves the picture and the undo record alone (a failure reported
// with its number), the picture's own depth cannot be chosen, not even with
// the wheel, and a second dialog cannot open over it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../../res/resource.h"
#include "image/qv_DibApi.h"
#include "image/qv_DibHolder.h"
#include "image/qv_EditCommands.h"
#include "image/qv_ImgData.h"
#include "image/qv_PalOptimize.h"
#include "image/qv_Undo.h"
#include "other/qv_DlgValues.h"
#include "support/capture_boxes.h"
#include "support/dialog_driver.h"
#include "support/edit_fixture.h"
#include "support/real_frame.h"
#include "support/view_fixture.h"

namespace {

constexpr int32_t kDither = 2;
constexpr int32_t kNoDither = 0x100000;
const uint32_t kMasks565[3] = {0xF800, 0x07E0, 0x001F};

std::string BytesOf(const DibHolder &h) {
    std::string out(reinterpret_cast<const char *>(h.data->header), h.data->headerSize);
    if (out.size() >= 24) out.replace(20, 4, 4, '\0');
    out.append(reinterpret_cast<const char *>(h.data->bits), h.data->bitsSize);
    return out;
}

// The library's calls run on a copy of the held picture, as the user's
// choice should run them; empty when a call failed.
using Steps = std::function<bool(DibHolder &)>;
std::string ConvertedCopy(const Steps &steps) {
    DibHolder copy;
    if (!DibHolder_CopyFrom(copy, g_imgData.image) || !steps(copy) || !DibHolder_Lock(copy) || copy.empty())
        return {};
    return BytesOf(copy);
}

bool To16(DibHolder &h, const uint32_t *masks, int32_t flag) {
    return Dibcore_DIBto16BitEx(h.handle, masks, flag) != 0 && DibHolder_Lock(h);
}
bool To8(DibHolder &h, int32_t flag) { return Dibcore_DIBto8Bit(h.handle, 0, flag) != 0 && DibHolder_Lock(h); }
bool To24(DibHolder &h) { return Dibcore_DIBto24Bit(h.handle) != 0 && DibHolder_Lock(h); }
bool Reduce(DibHolder &h) {
    const DibHandle fresh = Pal_OptimizeDepth(h.handle);
    return fresh != 0 && DibHolder_Replace(h, 1, fresh);
}

// What the driver does in the dialog and what it saw there.
struct DepthRun {
    int button = 0;       // clicked when not 0
    int dither = -1;      // the check box set to 0 or 1; -1 left
    bool ok = true;
    std::function<void(HWND)> extra;  // more to do before OK or Cancel
    bool secondRefused = false;
    bool ownDisabled = false;
    int ownButton = 0;    // the disabled button, 0 when all are enabled
    bool optimalChecked = false;
    tstring current;      // the text telling the picture's depth
};
DepthRun *s_run = nullptr;

class ColDepthDialog : public EditFixture {
protected:
    ColDepthDialog() : EditFixture(TEXT("coldepthdlg")) {}
    void SetUp() override {
        EditFixture::SetUp();
        saved_ = g_dlgValues;
    }
    void TearDown() override {
        g_dlgValues = saved_;
        EditFixture::TearDown();
    }

    void Run(DepthRun &run) {
        s_run = &run;
        DialogDriver driver({[this](HWND dialog) {
            DepthRun &r = *s_run;
            SendMessage(frame_, WM_COMMAND, kCmdColourDepthDialog, 0);  // a second dialog over this one
            r.secondRefused = DialogDriver_FindOpen() == dialog;
            r.current = DialogDriver_ItemText(dialog, IDC_COLDEPTH_CURRENT);
            r.optimalChecked = IsDlgButtonChecked(dialog, IDC_COLDEPTH_OPTIMAL) == BST_CHECKED;
            for (int id = IDC_COLDEPTH_8; id <= IDC_COLDEPTH_OPTIMAL; ++id)
                if (!IsWindowEnabled(GetDlgItem(dialog, id))) r.ownButton = id;
            if (r.button != 0) DialogDriver_Click(dialog, r.button);
            if (r.dither >= 0 && (IsDlgButtonChecked(dialog, IDC_COLDEPTH_DITHER) == BST_CHECKED) != (r.dither == 1))
                DialogDriver_Click(dialog, IDC_COLDEPTH_DITHER);
            if (r.extra) r.extra(dialog);
            DialogDriver_Click(dialog, r.ok ? IDOK : IDCANCEL);
            return true;
        }});
        Command(kCmdColourDepthDialog);
        EXPECT_TRUE(driver.finished());
        EXPECT_EQ(driver.dialogsSeen(), 1u);
        EXPECT_TRUE(run.secondRefused);
        EXPECT_EQ(DialogDriver_FindOpen(), nullptr);
    }

    // Shows a picture made from the fixture's by `steps`, with no undo.
    static void ShowMade(const Steps &steps) {
        DibHolder made;
        ASSERT_TRUE(DibHolder_CopyFrom(made, g_imgData.image));
        ASSERT_TRUE(steps(made));
        ASSERT_EQ(ImgData_SetNewImage(made, TEXT("fixture")), 1);
        RealFrame_Drain();
        Undo_Clear(&g_undo);
    }

    DlgValues saved_;
};

// A 32-bit photograph: plain 32 bits, every pixel its own colour.
bool Make32(DibHolder &h) {
    const int32_t side = kFixtureSide;
    DibHolder made;
    if (!DibHolder_Create(made, side, side, 32, 0, 0, nullptr)) return false;
    for (int32_t y = 0; y < side; ++y)
        for (int32_t x = 0; x < side; ++x) {
            uint8_t *p = made.data->bits + (size_t(y) * side + size_t(x)) * 4;
            p[0] = uint8_t(x * 8 + y);
            p[1] = uint8_t(y * 8 + 3);
            p[2] = uint8_t((x * 7 + y * 5) & 0xFF);
            p[3] = 0;
        }
    DibHolder_Free(h);
    return DibHolder_Attach(h, DibHolder_Take(made)) != 0;
}

// Four colours in 24 bits: the lossless reduction makes it 4 bits.
COLORREF FourColours(int32_t x, int32_t y) {
    static const COLORREF k[4] = {RGB(255, 0, 0), RGB(0, 128, 0), RGB(0, 0, 255), RGB(250, 250, 250)};
    return k[((x / 4) + (y / 4)) & 3];
}

TEST_F(ColDepthDialog, ConvertsAsTheLibraryDoesAndUndoesExactly) {
    enum Start { kFixture24, kFew24, kEight, kThirtyTwo };
    const struct Case {
        const char *what;
        Start start;
        int button;
        int dither;
        Steps steps;
        int32_t bits;
    } cases[] = {
        {"8 bits from 24 goes through 16", kFixture24, IDC_COLDEPTH_8, 1,
         [](DibHolder &h) { return To16(h, nullptr, kDither) && To8(h, kDither); }, 8},
        {"8 bits without dithering", kFixture24, IDC_COLDEPTH_8, 0,
         [](DibHolder &h) { return To16(h, nullptr, kNoDither) && To8(h, kNoDither); }, 8},
        {"16 bits 5-5-5", kFixture24, IDC_COLDEPTH_555, 0, [](DibHolder &h) { return To16(h, nullptr, kNoDither); },
         16},
        {"16 bits 5-6-5 dithered", kFixture24, IDC_COLDEPTH_565, 1,
         [](DibHolder &h) { return To16(h, kMasks565, kDither); }, 16},
        {"optimal on four colours", kFew24, IDC_COLDEPTH_OPTIMAL, 1, Reduce, 4},
        {"8 bits from few colours: lossless first", kFew24, IDC_COLDEPTH_8, 1,
         [](DibHolder &h) { return Reduce(h) && To8(h, kDither); }, 8},
        {"24 bits from 8", kEight, IDC_COLDEPTH_24, 1, To24, 24},
        {"8 bits from a 32-bit photograph goes through 16", kThirtyTwo, IDC_COLDEPTH_8, 1,
         [](DibHolder &h) { return Reduce(h) && To16(h, nullptr, kDither) && To8(h, kDither); }, 8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        switch (c.start) {
            case kFixture24: ShowMade([](DibHolder &) { return true; }); break;
            case kFew24: Show(FourColours); break;
            case kEight: ShowMade([](DibHolder &h) { return To8(h, kNoDither); }); break;
            case kThirtyTwo: ShowMade(Make32); break;
        }
        Undo_Clear(&g_undo);
        const std::string original = HeldBytes();
        const std::string want = ConvertedCopy(c.steps);
        ASSERT_FALSE(want.empty());
        ASSERT_TRUE(want != original);
        g_dlgValues.colourDepthDither = 1 - c.dither;
        DepthRun run;
        run.button = c.button;
        run.dither = c.dither;
        Run(run);
        EXPECT_TRUE(run.optimalChecked);
        EXPECT_TRUE(HeldBytes() == want);
        EXPECT_EQ(DibHolder_GetBitCount(g_imgData.image), c.bits);
        EXPECT_EQ(g_imgData.bitsPerPixel, c.bits);  // the status bar's facts follow
        EXPECT_EQ(g_dlgValues.colourDepthDither, c.dither);
        EXPECT_EQ(g_undo.kind, kUndoDepth);
        Command(kCmdUndo);
        EXPECT_TRUE(HeldBytes() == original);
        // The original fixture again for the next case.
        ClearImgData();
        DibHolder picture;
        ASSERT_TRUE(MakePicture(picture, kFixtureSide, kFixtureSide, 7));
        ASSERT_EQ(ImgData_SetNewImage(picture, TEXT("fixture")), 1);
        RealFrame_Drain();
    }
    EXPECT_TRUE(boxes_->boxes().empty());
}

// Optimal on a picture of many colours, the disabled own depth, the wheel
// and Cancel: the picture and the undo record stay as they were.
TEST_F(ColDepthDialog, NothingToDoAndCancelLeaveThePictureAndUndo) {
    Command(kCmdNegative);  // an undo step the dialog must not lose
    ASSERT_EQ(g_undo.kind, kUndoNegative);
    const std::string before = HeldBytes();
    g_dlgValues.colourDepthDither = 1;

    DepthRun optimal;  // optimal is checked at the start
    Run(optimal);
    EXPECT_TRUE(optimal.optimalChecked);
    EXPECT_EQ(optimal.ownButton, IDC_COLDEPTH_24);
    EXPECT_NE(optimal.current.find(TEXT("24")), tstring::npos) << optimal.current.c_str();
    EXPECT_TRUE(HeldBytes() == before);
    EXPECT_EQ(g_undo.kind, kUndoNegative);

    // The picture's own depth cannot be chosen: its button is disabled, and
    // even checked by a message (which ignores that) OK converts nothing.
    DepthRun own;
    own.extra = [](HWND dialog) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_COLDEPTH_24)));
        CheckRadioButton(dialog, IDC_COLDEPTH_8, IDC_COLDEPTH_OPTIMAL, IDC_COLDEPTH_24);
    };
    Run(own);
    EXPECT_TRUE(HeldBytes() == before);
    EXPECT_EQ(g_undo.kind, kUndoNegative);

    // The wheel over a focused depth button walks the enabled ones.
    std::vector<int> walked;
    DepthRun wheel;
    wheel.ok = false;
    wheel.extra = [&walked](HWND dialog) {
        HWND from = GetDlgItem(dialog, IDC_COLDEPTH_565);
        SetFocus(from);
        CheckRadioButton(dialog, IDC_COLDEPTH_8, IDC_COLDEPTH_OPTIMAL, IDC_COLDEPTH_565);
        for (int turn = 0; turn < 3; ++turn) {
            SendMessage(GetFocus(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0);
            for (int id = IDC_COLDEPTH_8; id <= IDC_COLDEPTH_OPTIMAL; ++id)
                if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) walked.push_back(id);
        }
        SendMessage(GetFocus(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(WHEEL_DELTA)), 0);
        for (int id = IDC_COLDEPTH_8; id <= IDC_COLDEPTH_OPTIMAL; ++id)
            if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) walked.push_back(id);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), walked.back());
    };
    Run(wheel);
    EXPECT_EQ(walked, (std::vector<int>{IDC_COLDEPTH_OPTIMAL, IDC_COLDEPTH_8, IDC_COLDEPTH_555, IDC_COLDEPTH_8}));

    DepthRun cancel;  // fields changed, then Cancel
    cancel.button = IDC_COLDEPTH_8;
    cancel.dither = 0;
    cancel.ok = false;
    Run(cancel);
    EXPECT_TRUE(HeldBytes() == before);
    EXPECT_EQ(g_undo.kind, kUndoNegative);
    EXPECT_EQ(g_dlgValues.colourDepthDither, 1);
    EXPECT_TRUE(boxes_->boxes().empty());
}

// The 8-bit step refuses after the 16-bit one worked on the way.
int32_t DIBCORE_CALL RefuseTo8(DibHandle, int32_t, int32_t) { return 0; }

TEST_F(ColDepthDialog, FailureIsReportedAndChangesNothing) {
    Command(kCmdNegative);
    ASSERT_EQ(g_undo.kind, kUndoNegative);
    const std::string before = HeldBytes();
    const DIBto8Bit_t real = g_dibcore.DIBto8Bit;
    g_dibcore.DIBto8Bit = RefuseTo8;
    DepthRun run;
    run.button = IDC_COLDEPTH_8;
    Run(run);
    g_dibcore.DIBto8Bit = real;
    EXPECT_TRUE(HeldBytes() == before);
    EXPECT_EQ(DibHolder_GetBitCount(g_imgData.image), 24);
    EXPECT_EQ(g_undo.kind, kUndoNegative);
    ASSERT_EQ(boxes_->boxes().size(), 1u);
    EXPECT_NE(boxes_->boxes()[0].text.find(TEXT("qv_ColDepthDlg -95-")), tstring::npos)
        << boxes_->boxes()[0].text.c_str();
    // Without a picture the command opens nothing.
    ImgData_Reset();
    RealFrame_Drain();
    Command(kCmdColourDepthDialog);
    EXPECT_EQ(DialogDriver_FindOpen(), nullptr);
}

}  // namespace
