// The rename dialog driven through its messages: the fields it opens with,
// OK with edited fields, and the refusals that keep it open with a message
// while it stays usable. (Each shown dialog costs Wine about two seconds
// when it closes, so one dialog takes a whole series of refusals.)
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "../../res/resource.h"
#include "dlg/qv_RenameDlg.h"
#include "other/qv_Globals.h"
#include "other/qv_Msg.h"
#include "other/qv_Res.h"
#include "support/capture_boxes.h"
#include "support/dialog_driver.h"

namespace {

// One edit of the open dialog followed by OK.
struct Step {
    const TCHAR *label;
    const TCHAR *name;  // typed into the name field; null: left as it is
    const TCHAR *ext;   // typed into the extension field; null: left as it is
    UINT message;       // the refusal's string; 0 none (the dialog closes), 1 the too-long text
};

struct StepSeen {
    bool okEnabled = false;
    bool open = false;
    size_t boxes = 0;
};

// What the driver saw.
struct Seen {
    tstring caption, nameField, extField;
    std::vector<StepSeen> steps;
};

const std::vector<Step> *s_steps = nullptr;
const CaptureBoxes *s_boxes = nullptr;
Seen s_seen;

// Runs inside the dialog's modal loop: reads the fields, then per step types
// the texts and presses OK; Cancel when the dialog is still open at the end.
void Drive(HWND dialog) {
    s_seen.caption = DialogDriver_Text(dialog);
    s_seen.nameField = DialogDriver_ItemText(dialog, DLG_RENAME_NAME_EDIT);
    s_seen.extField = DialogDriver_ItemText(dialog, DLG_RENAME_EXT_EDIT);
    bool open = true;
    for (const Step &step : *s_steps) {
        if (!open) break;
        StepSeen seen;
        if (step.name != nullptr) DialogDriver_SetItemText(dialog, DLG_RENAME_NAME_EDIT, step.name);
        if (step.ext != nullptr) DialogDriver_SetItemText(dialog, DLG_RENAME_EXT_EDIT, step.ext);
        seen.okEnabled = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
        DialogDriver_Click(dialog, IDOK);
        open = seen.open = IsWindowVisible(dialog) != FALSE;
        seen.boxes = s_boxes->boxes().size();
        s_seen.steps.push_back(seen);
    }
    if (open) DialogDriver_Click(dialog, IDCANCEL);
}

tstring LoadText(UINT id) {
    TCHAR text[512] = {};
    Res_LoadText(text, id, 512);
    return text;
}

class RenameDlg : public ::testing::Test {
protected:
    void SetUp() override {
        Msg_ResetForTests();
        g_process.instance = GetModuleHandle(nullptr);
    }
    // Shows the dialog on `start` and runs the steps; the result, the name
    // buffer in name.
    INT_PTR Run(const tstring &start, const std::vector<Step> &steps, TCHAR *name) {
        s_steps = &steps;
        s_boxes = &boxes_;
        s_seen = Seen{};
        lstrcpyn(name, start.c_str(), kRenameNameChars);
        DialogDriver driver({[](HWND dialog) {
            Drive(dialog);
            return true;
        }});
        return RenameDlg_Show(name, nullptr);
    }
    CaptureBoxes boxes_;
};

TEST_F(RenameDlg, OpensSplitAndReturnsTheJoinedName) {
    const tstring n259(259, TEXT('n'));
    struct Case {
        tstring start;
        tstring nameField, extField;
        Step edit;
        tstring result;
    };
    const Case cases[] = {
        {TEXT("a.b.jpg"), TEXT("a.b"), TEXT("jpg"), {TEXT("unchanged"), nullptr, nullptr, 0}, TEXT("a.b.jpg")},
        {TEXT("photo"), TEXT("photo"), TEXT(""), {TEXT("no dot"), nullptr, nullptr, 0}, TEXT("photo")},
        {TEXT(".profile"), TEXT(""), TEXT("profile"), {TEXT("dot first"), nullptr, nullptr, 0}, TEXT(".profile")},
        {TEXT("photo.jpg"), TEXT("photo"), TEXT("jpg"), {TEXT("extension cleared"), nullptr, TEXT(""), 0},
         TEXT("photo")},
        {TEXT("photo.jpg"), TEXT("photo"), TEXT("jpg"), {TEXT("259"), n259.c_str(), TEXT(""), 0}, n259},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << c.edit.label);
        TCHAR name[kRenameNameChars];
        EXPECT_EQ(Run(c.start, {c.edit}, name), IDOK);
        EXPECT_TRUE(s_seen.nameField == c.nameField);
        EXPECT_TRUE(s_seen.extField == c.extField);
        EXPECT_TRUE(tstring(name) == c.result);
        EXPECT_EQ(s_seen.caption.find(TEXT("$aptt")), tstring::npos);
        EXPECT_NE(s_seen.caption.find(TEXT("Rename")), tstring::npos);
    }
    EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(RenameDlg, RefusalsKeepTheDialogOpenWithTheirMessage) {
    // Far beyond the name buffer: a field is measured before it is read.
    const tstring n255(255, TEXT('n')), n260(260, TEXT('n')), huge(1000, TEXT('x'));
    const std::vector<Step> steps = {
        {TEXT("255 + 1 + 4"), n255.c_str(), TEXT("jpeg"), 1},
        {TEXT("260 name"), n260.c_str(), TEXT(""), 1},
        {TEXT("huge name"), huge.c_str(), TEXT("jpg"), 1},
        {TEXT("huge extension"), TEXT("a"), huge.c_str(), 1},
        {TEXT("colon"), TEXT("a:b"), TEXT("jpg"), IDS_BAD_NAME_CHARS},
        {TEXT("quote"), TEXT("a\"b"), nullptr, IDS_BAD_NAME_CHARS},
        {TEXT("dot"), TEXT("."), TEXT(""), IDS_RENAME_DOT_NAME},
        {TEXT("dot dot"), TEXT(".."), TEXT(""), IDS_RENAME_DOT_NAME},
        {TEXT("trailing blank"), TEXT("name "), TEXT(""), IDS_RENAME_TRAILING_DOT},
        {TEXT("trailing dot"), TEXT("name."), TEXT(""), IDS_RENAME_TRAILING_DOT},
        {TEXT("extension's trailing blank"), TEXT("name"), TEXT("jpg "), IDS_RENAME_TRAILING_DOT},
        {TEXT("device with extension"), TEXT("Con"), TEXT("txt"), IDS_RENAME_DEVICE_NAME},
        {TEXT("device alone"), TEXT("lpt9"), TEXT(""), IDS_RENAME_DEVICE_NAME},
        {TEXT("tab"), TEXT("a\tb"), TEXT("jpg"), IDS_RENAME_CONTROL_CHAR},
        {TEXT("still usable"), TEXT("Holiday 1"), TEXT("png"), 0},
    };
    TCHAR name[kRenameNameChars + 8];
    name[kRenameNameChars] = TEXT('#');  // a guard after the buffer
    EXPECT_EQ(Run(TEXT("photo.jpg"), steps, name), IDOK);
    EXPECT_TRUE(tstring(name) == TEXT("Holiday 1.png"));
    EXPECT_EQ(name[kRenameNameChars], TEXT('#'));
    ASSERT_EQ(s_seen.steps.size(), steps.size());
    const std::vector<ShownBox> &shown = boxes_.boxes();
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step &step = steps[i];
        const StepSeen &seen = s_seen.steps[i];
        SCOPED_TRACE(::testing::Message() << "step " << step.label);
        EXPECT_TRUE(seen.okEnabled);
        EXPECT_EQ(seen.open, step.message != 0);
        ASSERT_EQ(seen.boxes, step.message != 0 ? i + 1 : i) << "one message per refusal";
        if (step.message == 0) continue;
        const tstring &text = shown[i].text;
        if (step.message == 1)
            EXPECT_NE(text.find(TEXT("too long")), tstring::npos);
        else if (step.message == IDS_BAD_NAME_CHARS)
            EXPECT_NE(text.find(TEXT("\\ / : * ?")), tstring::npos);
        else
            EXPECT_NE(text.find(LoadText(step.message)), tstring::npos);
    }
}

TEST_F(RenameDlg, EmptyFieldsDisableOkAndCancelEmptiesTheName) {
    const std::vector<Step> steps = {{TEXT("both empty"), TEXT(""), TEXT(""), 1}};
    TCHAR name[kRenameNameChars];
    EXPECT_EQ(Run(TEXT("photo.jpg"), steps, name), IDCANCEL);
    ASSERT_EQ(s_seen.steps.size(), 1u);
    EXPECT_FALSE(s_seen.steps[0].okEnabled);
    EXPECT_TRUE(s_seen.steps[0].open);
    EXPECT_TRUE(boxes_.boxes().empty());
    EXPECT_EQ(name[0], 0);
}

}  // namespace
