// The edit commands end to end in the program's frame: each command sent as
// the menu sends it to a small picture shown at actual size, the result read
// back from the view's pixels on screen, then Undo restores the exact
// pixels and a second Undo changes nothing. Selection commands (cut, crop,
// paste, a flip of a part) and UndoMax 0 too.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "../../res/resource.h"
#include "dlg/qv_UnShMaskCore.h"
#include "image/qv_CellMask.h"
#include "image/qv_DibApi.h"
#include "image/qv_EditCommands.h"
#include "image/qv_ImgData.h"
#include "image/qv_MekoTable.h"
#include "image/qv_PixelValue.h"
#include "image/qv_Selection.h"
#include "image/qv_Undo.h"
#include "image/qv_View.h"
#include "image/qv_ViewLayout.h"
#include "image/qv_ViewPaint.h"
#include "other/qv_Frame.h"
#include "other/qv_Globals.h"
#include "other/qv_Menu.h"
#include "other/qv_MenuStateCore.h"
#include "other/qv_DlgValues.h"
#include "other/qv_Settings.h"
#include "other/qv_SysSeams.h"
#include "support/capture_boxes.h"
#include "support/dialog_driver.h"
#include "support/edit_fixture.h"
#include "support/real_dibcore.h"
#include "support/real_frame.h"
#include "support/user_folder.h"
#include "support/view_fixture.h"

namespace {

constexpr int32_t kSide = kFixtureSide;  // two Meko cells, four FL cells, two Win blocks

// A 32-bit table of `count` entries for the Meko provider.
std::vector<uint8_t> s_mekoData;
bool TestMekoTable(MekoTable *out) {
    out->data = s_mekoData.data();
    out->count = uint32_t(s_mekoData.size() / 2);
    return true;
}

class EditCommands : public EditFixture {
protected:
    void SetUp() override {
        EditFixture::SetUp();
        savedSource_ = g_mekoTableSource;
        // Entries descending: cell i goes to the place of cell n - 1 - i.
        s_mekoData.clear();
        for (int i = 0; i < 16; ++i) {
            s_mekoData.push_back(uint8_t(100 - i));
            s_mekoData.push_back(0);
        }
        g_mekoTableSource = TestMekoTable;
    }
    void TearDown() override {
        g_mekoTableSource = savedSource_;
        EditFixture::TearDown();
    }

    MekoTableSource savedSource_ = nullptr;
};

COLORREF Rgb(int r, int g, int b) { return RGB(r, g, b); }
int R(COLORREF c) { return GetRValue(c); }
int G(COLORREF c) { return GetGValue(c); }
int B(COLORREF c) { return GetBValue(c); }

// What each command does to a picture, computed here from the one before.
using Expected = std::function<COLORREF(const Shot &before, int32_t x, int32_t y)>;

TEST_F(EditCommands, WholePictureCommandsShowTheirResultAndUndoExactly) {
    const int32_t n = kSide - 1;
    struct Case {
        const char *name;
        UINT id;
        Expected expected;  // null: the result is checked against the held picture only
    } cases[] = {
        {"turn right", kCmdTurnRight, [n](const Shot &b, int32_t x, int32_t y) { return b.At(y, n - x); }},
        {"turn left", kCmdTurnLeft, [n](const Shot &b, int32_t x, int32_t y) { return b.At(n - y, x); }},
        {"flip top to bottom", kCmdFlipTopBottom, [n](const Shot &b, int32_t x, int32_t y) { return b.At(x, n - y); }},
        {"flip left to right", kCmdFlipLeftRight, [n](const Shot &b, int32_t x, int32_t y) { return b.At(n - x, y); }},
        {"negative", kCmdNegative, [](const Shot &b, int32_t x, int32_t y) { return ~b.At(x, y) & 0xFFFFFF; }},
        {"greyscale", kCmdGreyscale,
         [](const Shot &b, int32_t x, int32_t y) {
             const COLORREF c = b.At(x, y);
             const int grey = (299 * R(c) + 587 * G(c) + 114 * B(c) + 500) / 1000;
             return Rgb(grey, grey, grey);
         }},
        {"RGB -> GRB", kCmdSwapFirst,
         [](const Shot &b, int32_t x, int32_t y) { const COLORREF c = b.At(x, y); return Rgb(G(c), R(c), B(c)); }},
        {"RGB -> BGR", kCmdSwapFirst + 1,
         [](const Shot &b, int32_t x, int32_t y) { const COLORREF c = b.At(x, y); return Rgb(B(c), G(c), R(c)); }},
        {"RGB -> RBG", kCmdSwapFirst + 2,
         [](const Shot &b, int32_t x, int32_t y) { const COLORREF c = b.At(x, y); return Rgb(R(c), B(c), G(c)); }},
        {"RGB -> BRG", kCmdSwapFirst + 3,
         [](const Shot &b, int32_t x, int32_t y) { const COLORREF c = b.At(x, y); return Rgb(B(c), R(c), G(c)); }},
        {"RGB -> GBR", kCmdSwapLast,
         [](const Shot &b, int32_t x, int32_t y) { const COLORREF c = b.At(x, y); return Rgb(G(c), B(c), R(c)); }},
        {"glass (vertical)", kCmdMaskGlassVertical, nullptr},
        {"glass (horizontal)", kCmdMaskGlassHorizontal, nullptr},
        {"negative mask", kCmdMaskNegative, nullptr},
        {"XOR mask", kCmdMaskXor80, nullptr},
        {"RGB mask", kCmdMaskRgbSwap, nullptr},
        {"Q0 mask", kCmdMaskQ0, nullptr},
        {"Win mask", kCmdMaskWin, nullptr},
        {"FL mask", kCmdMaskFl, nullptr},
        {"Meko mask", kCmdMaskMeko, nullptr},
        {"Meko mask (reverse)", kCmdMaskMekoReverse, nullptr},
    };
    const std::string original = HeldBytes();
    const Shot before = Screen();
    ASSERT_EQ(before, Held()) << "the fixture is shown at actual size";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(UndoEnabledInMenu());
        Command(c.id);
        const Shot after = Screen();
        EXPECT_EQ(after, Held()) << "the view shows the edited picture";
        EXPECT_FALSE(after == before) << "the command changed the picture";
        if (c.expected) {
            Shot want;
            want.width = after.width;
            want.height = after.height;
            for (int32_t y = 0; y < after.height; ++y)
                for (int32_t x = 0; x < after.width; ++x) want.pixels.push_back(c.expected(before, x, y));
            EXPECT_EQ(after, want);
        }
        EXPECT_TRUE(UndoEnabledInMenu());
        Command(kCmdUndo);
        EXPECT_EQ(Screen(), before);
        EXPECT_TRUE(HeldBytes() == original) << "undo restores the exact picture";
        EXPECT_EQ(g_undo.kind, 0);
        Command(kCmdUndo);
        EXPECT_TRUE(HeldBytes() == original) << "a second undo does nothing";
    }
}

TEST_F(EditCommands, SelectionCommandsAndTheirUndo) {
    const std::string original = HeldBytes();
    const Shot before = Screen();
    // Flip of a part: only the part changes.
    Select(4, 2, 20, 10);
    Command(kCmdFlipLeftRight);
    Shot after = Screen();
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x) {
            const bool inside = x >= 4 && x < 20 && y >= 2 && y < 10;
            ASSERT_EQ(after.At(x, y), inside ? before.At(4 + 19 - x, y) : before.At(x, y)) << x << "," << y;
        }
    Command(kCmdUndo);
    EXPECT_TRUE(HeldBytes() == original);

    // A flip of a selection one pixel high changes nothing and records nothing.
    Select(0, 5, kSide, 6);
    Command(kCmdFlipTopBottom);
    EXPECT_TRUE(HeldBytes() == original);
    EXPECT_EQ(g_undo.kind, 0);

    // Crop: the selection becomes the picture; undo brings the whole back.
    Select(3, 5, 19, 13);
    Command(kCmdCrop);
    after = Screen();
    ASSERT_EQ(after.width, 16);
    ASSERT_EQ(after.height, 8);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 16; ++x) ASSERT_EQ(after.At(x, y), before.At(x + 3, y + 5));
    EXPECT_FALSE(Sel_HasSelection());
    Command(kCmdUndo);
    EXPECT_TRUE(HeldBytes() == original);
    EXPECT_EQ(Screen(), before);

    // Cut: the part goes to the clipboard and is filled with the cut colour.
    g_settings.optInt[5] = 0x00FF00;  // CutCol
    Select(8, 8, 12, 12);
    Command(kCmdCut);
    after = Screen();
    for (int32_t y = 8; y < 12; ++y)
        for (int32_t x = 8; x < 12; ++x) ASSERT_EQ(after.At(x, y), COLORREF(0x00FF00));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
    Command(kCmdUndo);
    EXPECT_TRUE(HeldBytes() == original);

    // Paste the cut part into another selection (selection mode on).
    Sel_SetMode(1);
    Select(0, 0, 4, 4);
    Command(kCmdPaste);
    after = Screen();
    ASSERT_EQ(after.width, kSide);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) ASSERT_EQ(after.At(x, y), before.At(x + 8, y + 8));
    EXPECT_EQ(g_undo.kind, kUndoPaste);
    Command(kCmdUndo);
    EXPECT_TRUE(HeldBytes() == original);
    Sel_SetMode(0);

    // Cut without a selection does nothing.
    Sel_Clear();
    Command(kCmdCut);
    EXPECT_TRUE(HeldBytes() == original);
    EXPECT_EQ(g_undo.kind, 0);

    // With PasteEx and selection mode off, paste makes the clipboard picture
    // the new picture; the old picture's undo record goes with it.
    g_settings.option[99] = 1;  // PasteEx
    Command(kCmdNegative);
    ASSERT_EQ(g_undo.kind, kUndoNegative);
    Command(kCmdPaste);
    after = Screen();
    ASSERT_EQ(after.width, 4);
    ASSERT_EQ(after.height, 4);
    EXPECT_EQ(after.At(1, 2), before.At(9, 10));
    EXPECT_EQ(g_undo.kind, 0);
}

TEST_F(EditCommands, UndoMaxZeroTakesNoSnapshot) {
    g_settings.undoMax = 0;
    Undo_SyncEnabled();
    const std::string original = HeldBytes();
    for (UINT id : {UINT(kCmdNegative), UINT(kCmdTurnRight), UINT(kCmdMaskWin)}) {
        Command(id);
        EXPECT_EQ(g_undo.kind, 0) << id;
        EXPECT_FALSE(UndoEnabledInMenu()) << id;
    }
    EXPECT_FALSE(HeldBytes() == original);
    Command(kCmdUndo);
    EXPECT_FALSE(HeldBytes() == original) << "nothing to undo";
}

// The Meko command reports a table that cannot be loaded and an area with
// more cells than the table has entries, and changes nothing.
bool NoMekoTable(MekoTable *) { return false; }

TEST_F(EditCommands, MekoReportsItsTable) {
    const std::string original = HeldBytes();
    g_mekoTableSource = NoMekoTable;
    Command(kCmdMaskMeko);
    s_mekoData.resize(8);  // 4 entries: the 2 x 2 cells need more
    g_mekoTableSource = TestMekoTable;
    Command(kCmdMaskMekoReverse);
    ASSERT_EQ(boxes_->boxes().size(), 2u);
    EXPECT_NE(boxes_->boxes()[0].text.find(TEXT("could not be loaded")), tstring::npos);
    EXPECT_EQ(boxes_->boxes()[0].type & MB_ICONMASK, UINT(MB_ICONSTOP));
    EXPECT_NE(boxes_->boxes()[1].text.find(TEXT("too large")), tstring::npos);
    EXPECT_EQ(boxes_->boxes()[1].type & MB_ICONMASK, UINT(MB_ICONEXCLAMATION));
    EXPECT_TRUE(HeldBytes() == original);
    EXPECT_EQ(g_undo.kind, 0);
}

TEST_F(EditCommands, CloseImageEmptiesTheRecord) {
    Command(kCmdNegative);
    EXPECT_EQ(g_undo.kind, kUndoNegative);
    Command(kCmdCloseImage);
    EXPECT_TRUE(g_imgData.image.empty());
    EXPECT_EQ(g_undo.kind, 0);
    EXPECT_FALSE(UndoEnabledInMenu());
}

// The lowest and highest value of each channel (red, green, blue) of a shot.
struct Span {
    int low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
};
Span SpanOf(const Shot &s) {
    Span out;
    for (COLORREF c : s.pixels) {
        const int v[3] = {R(c), G(c), B(c)};
        for (int i = 0; i < 3; ++i) {
            out.low[i] = std::min(out.low[i], v[i]);
            out.high[i] = std::max(out.high[i], v[i]);
        }
    }
    return out;
}

TEST_F(EditCommands, AutoLevelAndContrastStretchTheRangeAndUndoExactly) {
    // Red 60..122, green 100..162, blue 90..152: every value held by a whole
    // column or row, so the 0.1 % clipping cuts nothing off.
    Show([](int32_t x, int32_t y) { return Rgb(60 + 2 * x, 100 + 2 * y, 90 + 2 * ((x + y) % kSide)); });
    const std::string original = HeldBytes();
    const Shot before = Screen();

    Command(kCmdAutoLevel);
    Shot after = Screen();
    EXPECT_EQ(after, Held());
    Span span = SpanOf(after);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(span.low[i], 0) << "channel " << i;
        EXPECT_EQ(span.high[i], 255) << "channel " << i;
    }
    EXPECT_EQ(after.At(0, 0), Rgb(0, 0, 0));
    EXPECT_EQ(g_undo.kind, kUndoAutoLevel);
    Command(kCmdUndo);
    EXPECT_TRUE(HeldBytes() == original);
    EXPECT_EQ(Screen(), before);

    // Auto contrast stretches one range, 60..162, for all three channels, so
    // red keeps its place below green.
    Command(kCmdAutoContrast);
    after = Screen();
    span = SpanOf(after);
    EXPECT_EQ(span.low[0], 0);
    EXPECT_EQ(span.high[1], 255);
    EXPECT_NEAR(span.high[0], (122 - 60) * 255 / (162 - 60), 1);
    EXPECT_NEAR(span.low[1], (100 - 60) * 255 / (162 - 60), 1);
    EXPECT_EQ(g_undo.kind, kUndoAutoContrast);
    Command(kCmdUndo);
    EXPECT_TRUE(HeldBytes() == original);

    // A selection one pixel in size has nothing to stretch and keeps no record.
    Select(3, 3, 4, 4);
    Command(kCmdAutoLevel);
    EXPECT_TRUE(HeldBytes() == original);
    EXPECT_EQ(g_undo.kind, 0);
    // Only the selection changes.
    Select(0, 0, 16, kSide);
    Command(kCmdAutoLevel);
    after = Screen();
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 16; x < kSide; ++x) ASSERT_EQ(after.At(x, y), before.At(x, y)) << x << "," << y;
    EXPECT_EQ(R(after.At(0, 5)), 0);
    Command(kCmdUndo);
    EXPECT_TRUE(HeldBytes() == original);
}

TEST_F(EditCommands, AutoLevelLeavesAFullRangeAlone) {
    Show([](int32_t x, int32_t y) {
        return Rgb(x * 255 / (kSide - 1), y * 255 / (kSide - 1), (x + kSide / 2) % kSide * 255 / (kSide - 1));
    });
    const std::string original = HeldBytes();
    for (UINT id : {UINT(kCmdAutoLevel), UINT(kCmdAutoContrast)}) {
        Command(id);
        EXPECT_TRUE(HeldBytes() == original) << id;
    }
}

TEST_F(EditCommands, SharpenAndBlurPresetsWorkBesideEdgesOnly) {
    // A hard vertical edge between columns 15 and 16, flat on either side.
    const COLORREF dark = Rgb(40, 60, 80), light = Rgb(200, 180, 160);
    Show([&](int32_t x, int32_t) { return x < kSide / 2 ? dark : light; });
    const std::string original = HeldBytes();
    const Shot before = Screen();
    struct Case {
        const char *name;
        UINT id;
        int32_t undoKind;
        bool sharpens;  // the edge's sides move apart, else together
    } cases[] = {
        {"sharpen", kCmdSharpen, 28, true},
        {"sharpen strongly", kCmdSharpenStrong, 29, true},
        {"sharpen edges", kCmdSharpenEdges, 30, true},
        {"blur", kCmdBlur, 32, false},
        {"blur strongly", kCmdBlurStrong, 33, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Command(c.id);
        const Shot after = Screen();
        EXPECT_EQ(after, Held());
        EXPECT_EQ(g_undo.kind, c.undoKind);
        for (int32_t y = 0; y < kSide; ++y) {
            // Far from the edge the picture is flat and stays as it was.
            for (int32_t x = 0; x < 10; ++x) ASSERT_EQ(after.At(x, y), dark) << x << "," << y;
            for (int32_t x = 22; x < kSide; ++x) ASSERT_EQ(after.At(x, y), light) << x << "," << y;
            const COLORREF left = after.At(15, y), right = after.At(16, y);
            if (c.sharpens) {
                EXPECT_LT(R(left), R(dark));
                EXPECT_GT(R(right), R(light));
            } else {
                EXPECT_GT(R(left), R(dark));
                EXPECT_LT(R(right), R(light));
            }
        }
        Command(kCmdUndo);
        EXPECT_TRUE(HeldBytes() == original);
        EXPECT_EQ(Screen(), before);
    }
    // A blur of the upper half leaves the lower half as it was.
    Select(0, 0, kSide, kSide / 2);
    Command(kCmdBlurStrong);
    const Shot after = Screen();
    EXPECT_NE(after.At(15, 0), dark);
    for (int32_t y = kSide / 2; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x) ASSERT_EQ(after.At(x, y), before.At(x, y)) << x << "," << y;
    Command(kCmdUndo);
    EXPECT_TRUE(HeldBytes() == original);
    // The unsharp-mask and Gaussian-blur dialogs are not there: nothing runs.
    Sel_Clear();
    Command(kCmdUnsharpMask);
    Command(kCmdGaussianBlur);
    EXPECT_TRUE(HeldBytes() == original);
    EXPECT_EQ(g_undo.kind, 0);
}

}  // namespace

namespace {

int32_t DIBCORE_CALL FailTurn(DibHandle, int32_t) { return 0; }
DibHandle DIBCORE_CALL FailCut(DibHandle, int32_t, int32_t, int32_t, int32_t) { return 0; }
int32_t DIBCORE_CALL FailRle(DibHandle) { return 0; }
DibHandle DIBCORE_CALL FailCreate(const void *, const void *) { return 0; }
HGLOBAL FailAlloc(uint32_t, GMemBlock *) { return nullptr; }

// Puts one entry point of the bound library back when the case ends.
template <class Slot>
class SlotSwap {
public:
    SlotSwap(Slot &slot, Slot failing) : slot_(slot), saved_(slot) { slot_ = failing; }
    ~SlotSwap() { slot_ = saved_; }
    SlotSwap(const SlotSwap &) = delete;
    SlotSwap &operator=(const SlotSwap &) = delete;

private:
    Slot &slot_;
    Slot saved_;
};

// A failed library call leaves the picture as it was, and the record of the
// edit before it still undoes that edit.
TEST_F(EditCommands, FailuresLeaveThePictureAndTheRecord) {
    const std::string original = HeldBytes();
    Command(kCmdNegative);
    ASSERT_EQ(g_undo.kind, kUndoNegative);
    const std::string negative = HeldBytes();
    struct Case {
        const char *name;
        UINT id;
        std::function<void()> run;
    };
    const Case cases[] = {
        {"turn", kCmdTurnRight, [this] { SlotSwap<TurnDIB_t> s(g_dibcore.TurnDIB, FailTurn); Command(kCmdTurnRight); }},
        {"crop", kCmdCrop,
         [this] {
             Select(2, 2, 10, 10);
             SlotSwap<CutDIB_t> s(g_dibcore.CutDIB, FailCut);
             Command(kCmdCrop);
             Sel_Clear();
         }},
        {"Win mask", kCmdMaskWin, [this] { SlotSwap<RLEtoDIB_t> s(g_dibcore.RLEtoDIB, FailRle); Command(kCmdMaskWin); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        c.run();
        EXPECT_TRUE(HeldBytes() == negative);
        EXPECT_EQ(g_undo.kind, kUndoNegative);
    }
    ASSERT_EQ(boxes_->boxes().size(), 1u) << "the failed mask is reported, the turn and crop are not";
    EXPECT_NE(boxes_->boxes()[0].text.find(TEXT("1148")), tstring::npos);
    // A restore that cannot make the picture keeps the picture and the record.
    Command(kCmdUndo);
    ASSERT_TRUE(HeldBytes() == original);
    Command(kCmdGreyscale);
    ASSERT_EQ(g_undo.kind, kUndoGrey);
    const std::string grey = HeldBytes();
    {
        SlotSwap<CreateDIB_t> s(g_dibcore.CreateDIB, FailCreate);
        Command(kCmdUndo);
    }
    EXPECT_TRUE(HeldBytes() == grey);
    EXPECT_EQ(g_undo.kind, kUndoGrey);
    Command(kCmdUndo);
    EXPECT_TRUE(HeldBytes() == original) << "the kept record still undoes";

    // A snapshot that cannot get its memory: the edit still runs, nothing to undo.
    {
        SlotSwap<HGLOBAL (*)(uint32_t, GMemBlock *)> s(g_undoHooks.alloc, FailAlloc);
        Command(kCmdNegative);
    }
    EXPECT_TRUE(HeldBytes() == negative);
    EXPECT_EQ(g_undo.kind, 0);
    EXPECT_FALSE(UndoEnabledInMenu());
}

// ---- The rotate dialog (40605). ----

// The bytes of a copy of `picture` turned as the dialog should turn it.
std::string TurnedCopy(DibHandle picture, int32_t degrees, int32_t thousandths, COLORREF background) {
    DibHolder copy;
    if (!DibHolder_AttachNew(copy, Dib_To24Bit(1, picture))) return {};
    const int ok = thousandths != 0 ? DibHolder_TurnEx(copy, thousandths, background) : DibHolder_Turn(copy, degrees);
    if (!ok) return {};
    std::string out(reinterpret_cast<const char *>(copy.data->header), copy.data->headerSize);
    if (out.size() >= 24) out.replace(20, 4, 4, '\0');
    out.append(reinterpret_cast<const char *>(copy.data->bits), copy.data->bitsSize);
    return out;
}

// The colour chooser answers with this colour, as a user picking it would.
COLORREF s_chosen = 0;
BOOL WINAPI ChooseFixedColour(LPCHOOSECOLOR choice) {
    choice->rgbResult = s_chosen;
    return TRUE;
}

// The dialog run by the command, its angle field typed and OK or Cancel
// pressed; a text the dialog refuses leaves it open, and it is cancelled.
struct RotateRun {
    const TCHAR *angle;
    bool chooseColour;
    bool ok;
    bool stayedOpen = false;
    bool secondRefused = false;
};
RotateRun *s_rotate = nullptr;

class RotateDialog : public EditCommands {
protected:
    void Run(RotateRun &run) {
        s_rotate = &run;
        DialogDriver driver({[this](HWND dialog) {
            RotateRun &r = *s_rotate;
            // A second operation dialog cannot open over this one.
            SendMessage(frame_, WM_COMMAND, kCmdRotateDialog, 0);
            r.secondRefused = DialogDriver_FindOpen() == dialog;
            if (r.chooseColour) DialogDriver_Click(dialog, IDC_ROTATE_CHOOSE);
            DialogDriver_SetItemText(dialog, IDC_ROTATE_ANGLE, r.angle);
            DialogDriver_Click(dialog, r.ok ? IDOK : IDCANCEL);
            r.stayedOpen = IsWindowVisible(dialog) != FALSE;
            if (r.stayedOpen) DialogDriver_Click(dialog, IDCANCEL);
            return true;
        }});
        Command(kCmdRotateDialog);
        EXPECT_TRUE(driver.finished());
        EXPECT_EQ(driver.dialogsSeen(), 1u);
        EXPECT_TRUE(run.secondRefused);
    }
};

TEST_F(RotateDialog, TurnsAsTheAngleSaysAndUndoesExactly) {
    DibHolder picture;
    ASSERT_TRUE(MakePicture(picture, 24, 14, 3));
    ASSERT_EQ(ImgData_SetNewImage(picture, TEXT("fixture")), 1);
    RealFrame_Drain();
    const std::string original = HeldBytes();
    s_chosen = RGB(200, 30, 60);
    const SysSeams savedSeams = g_sys;
    g_sys.chooseColor = ChooseFixedColour;
    struct Case {
        const TCHAR *angle;
        bool chooseColour;
        int32_t degrees, thousandths;  // the turn expected
        int32_t stored;                // the remembered angle
    } cases[] = {
        {TEXT("450"), false, 90, 0, 90000},     // a whole turn and a quarter
        {TEXT("-90"), false, 270, 0, -90000},   // the same turn as 270
        {TEXT("180"), false, 180, 0, 180000},
        {TEXT("12.5"), true, 0, 12500, 12500},  // a free turn on the chosen colour
        {TEXT("-0.001"), false, 0, 359999, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.angle);
        const std::string want = TurnedCopy(g_imgData.image.handle, c.degrees, c.thousandths, c.chooseColour ? s_chosen : 0);
        ASSERT_FALSE(want.empty());
        g_dlgValues.rotateColour = 0;
        RotateRun run{c.angle, c.chooseColour, true};
        Run(run);
        EXPECT_FALSE(run.stayedOpen);
        EXPECT_TRUE(HeldBytes() == want);
        EXPECT_EQ(g_dlgValues.rotateAngle, c.stored);
        EXPECT_EQ(g_dlgValues.rotateColour, c.chooseColour ? s_chosen : 0u);
        EXPECT_EQ(g_undo.kind, kUndoRotate);
        Command(kCmdUndo);
        EXPECT_TRUE(HeldBytes() == original);
    }
    g_sys = savedSeams;
    EXPECT_TRUE(boxes_->boxes().empty());
}

TEST_F(RotateDialog, WholeTurnsCancelAndBadTextChangeNothing) {
    const std::string original = HeldBytes();
    const struct {
        const TCHAR *angle;
        bool ok;
        bool stays;
    } cases[] = {
        {TEXT("-360"), true, false},  // a whole turn: nothing done, no undo
        {TEXT("360"), true, false},
        {TEXT("0"), true, false},
        {TEXT("90"), false, false},    // Cancel
        {TEXT("1,000"), true, true},   // not a number: the dialog stays
        {TEXT("abc"), true, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.angle);
        RotateRun run{c.angle, false, c.ok};
        Run(run);
        EXPECT_EQ(run.stayedOpen, c.stays);
        EXPECT_TRUE(HeldBytes() == original);
        EXPECT_EQ(g_undo.kind, 0);
    }
    // Without a picture the command opens nothing.
    ImgData_Reset();
    RealFrame_Drain();
    Command(kCmdRotateDialog);
    EXPECT_EQ(DialogDriver_FindOpen(), nullptr);
    EXPECT_TRUE(boxes_->boxes().empty());
}

}  // namespace
