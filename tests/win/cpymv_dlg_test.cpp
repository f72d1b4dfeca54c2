// The copy and move dialogs driven through messages under Wine: an empty
// registered slot opens the locked ten-folder form and keeps what is chosen,
// a filled one answers without a dialog, switching forms keeps unconfirmed
// text, clearing a field disables its OK, dropped names (a real shortcut
// among them) fill a field, the wheel walks the fields, Cancel and a second
// request give nothing, a dialog that cannot be made is reported, and the
// registered folders and forms survive a save and a new run.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "../../res/resource.h"
#include "dlg/qv_CpyMvCore.h"
#include "dlg/qv_CpyMvDlg.h"
#include "other/qv_Cfg.h"
#include "other/qv_CmdLine.h"
#include "other/qv_Instance.h"
#include "other/qv_Settings.h"
#include "support/capture_boxes.h"
#include "support/dialog_driver.h"
#include "support/shell_link.h"
#include "support/temp_folder.h"
#include "support/user_folder.h"

namespace {

constexpr int kOptCopyAskOverwrite = 96;
constexpr int kOptMoveAskOverwrite = 97;
constexpr int kCopy = 1, kMove = 0;  // CpyMvDlg_Show's isCopy

int Edit(int line) { return IDC_CPYMV_EDIT_FIRST + line; }
int Ok(int line) { return IDC_CPYMV_OK_FIRST + line; }

tstring Text(HWND window) { return DialogDriver_Text(window); }
tstring ItemText(HWND dialog, int id) { return DialogDriver_ItemText(dialog, id); }
tstring Str(const TCHAR *text) { return text != nullptr ? tstring(text) : tstring(TEXT("<null>")); }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

void SetItem(HWND dialog, int id, const TCHAR *text) { DialogDriver_SetItemText(dialog, id, text); }
void Click(HWND dialog, int id) { DialogDriver_Click(dialog, id); }

// Runs the messages already queued (posted default-button changes) without
// re-entering the script's timer.
void Pump(HWND dialog) {
    MSG m;
    for (int round = 0; round < 2; ++round)
        while (PeekMessage(&m, nullptr, round ? WM_TIMER + 1 : 0, round ? 0xFFFF : WM_TIMER - 1, PM_REMOVE))
            if (!IsDialogMessage(dialog, &m)) {
                TranslateMessage(&m);
                DispatchMessage(&m);
            }
}

// The dialogs of one request, step k on the k-th dialog that appears (a form
// switch makes a new one).
class DialogScript : public DialogDriver {
public:
    explicit DialogScript(std::vector<DialogStep> steps) : DialogDriver(EachDialog{}, std::move(steps)) {}
};

class CpyMvDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Open());
        Settings_InitBoth(61);
        CpyMvDlg_Free();
        // The section is read once per run: read (an empty file) before
        // the cases seed their folders.
        ASSERT_EQ(Cfg_LoadCpMv(), 1);
    }
    void TearDown() override {
        CpyMvDlg_Free();
        Cfg_ResetForTests();
        Instance_Release();
        g_cmdLine = CommandLine{};
        Settings_InitBoth(61);
    }
    TestUserFolder folder_{TEXT("cpymv"), TEXT("tester")};
    CaptureBoxes boxes_;
};

TEST_F(CpyMvDlgTest, EmptySlotOpensTheLockedTenFolderFormAndKeepsTheChoice) {
    CpyMvDlg_SetExtended(1, 0);  // the move dialog remembers the simple form
    ASSERT_EQ(CpyMvDlg_SetSlotPath(0, TEXT("C:\\moved\\one"), 1), 1);
    DialogScript script({[](HWND d) {
        EXPECT_NE(GetDlgItem(d, Edit(9)), nullptr) << "ten-folder form";
        EXPECT_FALSE(Enabled(d, IDC_CPYMV_EXTENDED)) << "form switch locked";
        EXPECT_EQ(IsDlgButtonChecked(d, IDC_CPYMV_EXTENDED), UINT(BST_CHECKED));
        EXPECT_EQ(GetFocus(), GetDlgItem(d, Edit(3))) << "the empty slot's line has the focus";
        EXPECT_TRUE(ItemText(d, Edit(0)) == TEXT("C:\\moved\\one"));
        EXPECT_FALSE(Enabled(d, Ok(3))) << "an empty line cannot be chosen";
        // The move texts replace the copy texts; the holders are gone.
        const tstring caption = Text(d);
        EXPECT_NE(caption.find(TEXT("Move")), tstring::npos);
        EXPECT_EQ(caption.find(TEXT("$aptt")), tstring::npos);
        EXPECT_NE(ItemText(d, IDC_CPYMV_LABEL).find(TEXT("Move")), tstring::npos);
        EXPECT_EQ(GetDlgItem(d, IDC_CPYMV_MOVE_CAPTION), nullptr);
        EXPECT_EQ(GetDlgItem(d, IDC_CPYMV_MOVE_LABEL), nullptr);
        EXPECT_EQ(IsDlgButtonChecked(d, IDC_CPYMV_ASK_OVERWRITE), UINT(BST_CHECKED));
        SetItem(d, Edit(3), TEXT("D:\\archive\\three"));
        EXPECT_TRUE(Enabled(d, Ok(3)));
        Click(d, IDC_CPYMV_ASK_OVERWRITE);
        Click(d, Ok(3));
    }});
    const TCHAR *chosen = CpyMvDlg_Show(nullptr, 3, kMove);
    EXPECT_EQ(script.dialogsSeen(), 1u);
    EXPECT_TRUE(Str(chosen) == TEXT("D:\\archive\\three"));
    EXPECT_EQ(chosen, CpyMvDlg_GetSlotPath(3, 1)) << "the answer is the registered text itself";
    EXPECT_TRUE(Str(CpyMvDlg_GetSlotPath(0, 1)) == TEXT("C:\\moved\\one"));
    EXPECT_EQ(CpyMvDlg_GetSlotPath(3, 0), nullptr) << "the copy list is another list";
    EXPECT_EQ(CpyMvDlg_GetExtended(1), 0) << "a forced form is not remembered";
    EXPECT_EQ(g_settings.option[kOptMoveAskOverwrite], 0);
    EXPECT_EQ(g_settings.option[kOptCopyAskOverwrite], 1);
}

TEST_F(CpyMvDlgTest, FilledSlotAnswersWithoutADialogAndBadSlotsNothing) {
    ASSERT_EQ(CpyMvDlg_SetSlotPath(3, TEXT("E:\\ready"), 1), 1);
    DialogScript noDialog({});
    const TCHAR *chosen = CpyMvDlg_Show(nullptr, 3, kMove);
    EXPECT_TRUE(Str(chosen) == TEXT("E:\\ready"));
    EXPECT_EQ(CpyMvDlg_Show(nullptr, 10, kMove), nullptr);
    EXPECT_EQ(CpyMvDlg_Show(nullptr, -2, kCopy), nullptr);
    EXPECT_EQ(noDialog.dialogsSeen(), 0u);
}

TEST_F(CpyMvDlgTest, SwitchingToTenFoldersKeepsTheEditedTextAndClearingDisablesOk) {
    ASSERT_EQ(CpyMvDlg_SetSlotPath(0, TEXT("C:\\first"), 0), 1);
    ASSERT_EQ(CpyMvDlg_SetSlotPath(1, TEXT("C:\\second"), 0), 1);
    CpyMvDlg_SetExtended(0, 0);
    RECT simpleRect{};
    DialogScript script({
        [&](HWND d) {
            EXPECT_EQ(GetDlgItem(d, Edit(1)), nullptr) << "simple form";
            EXPECT_NE(Text(d).find(TEXT("Copy")), tstring::npos);
            EXPECT_TRUE(ItemText(d, Edit(0)) == TEXT("C:\\first"));
            SetItem(d, Edit(0), TEXT("D:\\edited"));
            Click(d, IDC_CPYMV_ASK_OVERWRITE);
            SetWindowPos(d, nullptr, 37, 41, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            GetWindowRect(d, &simpleRect);
            Click(d, IDC_CPYMV_EXTENDED);
        },
        [&](HWND d) {
            EXPECT_NE(GetDlgItem(d, Edit(9)), nullptr) << "ten-folder form";
            EXPECT_TRUE(ItemText(d, Edit(0)) == TEXT("D:\\edited")) << "unconfirmed text kept";
            EXPECT_TRUE(ItemText(d, Edit(1)) == TEXT("C:\\second"));
            EXPECT_EQ(IsDlgButtonChecked(d, IDC_CPYMV_ASK_OVERWRITE), UINT(BST_UNCHECKED)) << "check state kept";
            EXPECT_TRUE(Enabled(d, IDC_CPYMV_EXTENDED));
            RECT r;
            GetWindowRect(d, &r);
            EXPECT_EQ(r.left, simpleRect.left) << "the window keeps its place";
            EXPECT_EQ(r.top, simpleRect.top);
            EXPECT_TRUE(Enabled(d, Ok(1)));
            SetItem(d, Edit(1), TEXT(""));
            EXPECT_FALSE(Enabled(d, Ok(1))) << "a cleared field cannot be chosen";
            SetItem(d, Edit(4), TEXT("F:\\five"));
            EXPECT_TRUE(Enabled(d, Ok(4)));
            Click(d, Ok(0));
        },
    });
    const TCHAR *chosen = CpyMvDlg_Show(nullptr, -1, kCopy);
    EXPECT_EQ(script.dialogsSeen(), 2u);
    EXPECT_TRUE(Str(chosen) == TEXT("D:\\edited"));
    EXPECT_TRUE(Str(CpyMvDlg_GetSlotPath(0, 0)) == TEXT("D:\\edited"));
    EXPECT_EQ(CpyMvDlg_GetSlotPath(1, 0), nullptr) << "an emptied field empties its slot";
    EXPECT_TRUE(Str(CpyMvDlg_GetSlotPath(4, 0)) == TEXT("F:\\five"));
    EXPECT_EQ(CpyMvDlg_GetExtended(0), 1) << "the chosen form is remembered";
    EXPECT_EQ(g_settings.option[kOptCopyAskOverwrite], 0);
}

TEST_F(CpyMvDlgTest, CancelAndASecondRequestGiveNothing) {
    ASSERT_EQ(CpyMvDlg_SetSlotPath(0, TEXT("C:\\kept"), 0), 1);
    ASSERT_EQ(CpyMvDlg_SetSlotPath(2, TEXT("C:\\other"), 0), 1);
    CpyMvDlg_SetExtended(0, 0);
    DialogScript script({[](HWND d) {
        EXPECT_EQ(CpyMvDlg_Show(nullptr, -1, kCopy), nullptr) << "one dialog at a time";
        EXPECT_EQ(CpyMvDlg_Show(nullptr, 2, kCopy), nullptr) << "even for a filled slot";
        SetItem(d, Edit(0), TEXT("C:\\typed"));
        Click(d, IDC_CPYMV_EXTENDED);
    },
                          [](HWND d) {
                              SetItem(d, Edit(2), TEXT("C:\\typed too"));
                              Click(d, IDCANCEL);
                          }});
    EXPECT_EQ(CpyMvDlg_Show(nullptr, -1, kCopy), nullptr);
    EXPECT_EQ(script.dialogsSeen(), 2u);
    EXPECT_TRUE(Str(CpyMvDlg_GetSlotPath(0, 0)) == TEXT("C:\\kept"));
    EXPECT_TRUE(Str(CpyMvDlg_GetSlotPath(2, 0)) == TEXT("C:\\other"));
    EXPECT_EQ(CpyMvDlg_GetExtended(0), 0) << "a cancelled switch is not remembered";
    // Closed again, the next request opens a dialog.
    DialogScript again({[](HWND d) { Click(d, IDCANCEL); }});
    EXPECT_EQ(CpyMvDlg_Show(nullptr, -1, kCopy), nullptr);
    EXPECT_EQ(again.dialogsSeen(), 1u);
}

// A drop as the shell delivers it: DROPFILES and a wide double-NUL list in
// movable global memory (the receiver frees it).
HDROP MakeDrop(const std::vector<tstring> &names) {
    std::wstring list;
    for (const tstring &n : names) {
#if defined(QV_ANSI)
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, n.c_str(), -1, wide, MAX_PATH);
        list += wide;
#else
        list += n;
#endif
        list.push_back(L'\0');
    }
    list.push_back(L'\0');
    const SIZE_T bytes = sizeof(DROPFILES) + list.size() * sizeof(WCHAR);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (memory == nullptr) return nullptr;
    auto *header = static_cast<DROPFILES *>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    memcpy(reinterpret_cast<BYTE *>(header) + sizeof(DROPFILES), list.data(), list.size() * sizeof(WCHAR));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

void Drop(HWND dialog, int line, const std::vector<tstring> &names) {
    HDROP drop = MakeDrop(names);
    ASSERT_NE(drop, nullptr);
    SendMessage(GetDlgItem(dialog, Edit(line)), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
}

TEST_F(CpyMvDlgTest, DroppedNamesFillTheField) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    TempFolder temp(TEXT("cpymvdrop"));
    const tstring pics = temp.Join(TEXT("pics")), links = temp.Join(TEXT("links"));
    ASSERT_TRUE(CreateDirectory(pics.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectory(links.c_str(), nullptr));
    const tstring picture = pics + TEXT("\\photo.bmp");
    ASSERT_TRUE(WriteFileBytes(picture, std::string("BM", 2)));
    const tstring toPicture = links + TEXT("\\photo.lnk"), toFolder = links + TEXT("\\pics.lnk");
    ASSERT_TRUE(ShellLink_Make(toPicture, picture));
    ASSERT_TRUE(ShellLink_Make(toFolder, pics));
    const tstring broken = links + TEXT("\\broken.lnk");
    ASSERT_TRUE(WriteFileBytes(broken, "not a shortcut"));
    CpyMvDlg_SetExtended(0, 1);
    ASSERT_EQ(CpyMvDlg_SetSlotPath(6, TEXT("C:\\unchanged"), 0), 1);
    DialogScript script({[&](HWND d) {
        EXPECT_FALSE(Enabled(d, Ok(4)));
        Drop(d, 4, {toPicture});
        EXPECT_TRUE(ItemText(d, Edit(4)) == pics) << "a shortcut to a picture gives the picture's folder";
        EXPECT_EQ(GetFocus(), GetDlgItem(d, Edit(4)));
        EXPECT_EQ(SendMessage(GetDlgItem(d, Edit(4)), EM_GETSEL, 0, 0), MAKELRESULT(0, pics.size())) << "all selected";
        EXPECT_TRUE(Enabled(d, Ok(4)));
        Drop(d, 0, {pics, picture});
        EXPECT_TRUE(ItemText(d, Edit(0)) == pics) << "a folder as it is; only the first name counts";
        Drop(d, 1, {picture});
        EXPECT_TRUE(ItemText(d, Edit(1)) == pics) << "a file gives its folder";
        Drop(d, 2, {toFolder});
        EXPECT_TRUE(ItemText(d, Edit(2)) == pics) << "a shortcut to a folder gives the folder";
        Drop(d, 3, {broken});
        EXPECT_TRUE(ItemText(d, Edit(3)) == links) << "an unresolvable shortcut gives its own folder";
        // A name that reads as a file but names no folder (relative to the
        // current folder) leaves the field alone.
        TCHAR current[MAX_PATH];
        GetCurrentDirectory(MAX_PATH, current);
        SetCurrentDirectory(pics.c_str());
        Drop(d, 6, {TEXT("photo.bmp")});
        SetCurrentDirectory(current);
        EXPECT_TRUE(ItemText(d, Edit(6)) == TEXT("C:\\unchanged")) << "a name with no folder changes nothing";
        Drop(d, 7, {TEXT("Q:\\not\\there")});
        EXPECT_TRUE(ItemText(d, Edit(7)) == TEXT("Q:\\not\\there")) << "unreadable: taken as it is";
        Click(d, Ok(4));
    }});
    const TCHAR *chosen = CpyMvDlg_Show(nullptr, -1, kCopy);
    CoUninitialize();
    EXPECT_TRUE(Str(chosen) == pics);
    EXPECT_TRUE(Str(CpyMvDlg_GetSlotPath(3, 0)) == links);
}

TEST_F(CpyMvDlgTest, WheelOnAFieldWalksTheLinesAndMovesTheDefaultButton) {
    CpyMvDlg_SetExtended(1, 1);
    DialogScript script({[](HWND d) {
        auto wheel = [d](int delta) {
            SendMessage(GetFocus(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(short(delta))), 0);
            Pump(d);
        };
        auto focusedLine = [d] { return GetDlgCtrlID(GetFocus()) - IDC_CPYMV_EDIT_FIRST; };
        SetFocus(GetDlgItem(d, Edit(2)));
        Pump(d);
        wheel(-120);
        EXPECT_EQ(focusedLine(), 3) << "towards the user: the next field, through the focused edit";
        EXPECT_EQ(LOWORD(SendMessage(d, DM_GETDEFID, 0, 0)), Ok(3)) << "its OK is the default button";
        wheel(240);
        EXPECT_EQ(focusedLine(), 1);
        wheel(-60);
        EXPECT_EQ(focusedLine(), 1) << "half a notch";
        wheel(-60);
        EXPECT_EQ(focusedLine(), 2);
        wheel(-120 * 20);
        EXPECT_EQ(focusedLine(), 9) << "not past the tenth";
        wheel(120 * 20);
        EXPECT_EQ(focusedLine(), 0) << "not before the first";
        SetFocus(GetDlgItem(d, IDC_CPYMV_BROWSE_FIRST + 5));
        wheel(-120);
        EXPECT_EQ(focusedLine(), 6) << "from a line's button, which passes the wheel on";
        Click(d, IDCANCEL);
    }});
    EXPECT_EQ(CpyMvDlg_Show(nullptr, -1, kMove), nullptr);
    EXPECT_EQ(script.dialogsSeen(), 1u);
}

HHOOK s_refuseHook = nullptr;
LRESULT CALLBACK RefuseDialogs(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const auto *create = reinterpret_cast<CBT_CREATEWND *>(lParam);
        const LPCTSTR cls = create->lpcs->lpszClass;
        const bool dialog = IS_INTRESOURCE(cls) ? LOWORD(reinterpret_cast<ULONG_PTR>(cls)) == 0x8002
                                                : lstrcmpi(cls, TEXT("#32770")) == 0;
        if (dialog) return 1;
    }
    return CallNextHookEx(s_refuseHook, code, wParam, lParam);
}

TEST_F(CpyMvDlgTest, ADialogThatCannotBeMadeIsReported) {
    s_refuseHook = SetWindowsHookEx(WH_CBT, RefuseDialogs, nullptr, GetCurrentThreadId());
    ASSERT_NE(s_refuseHook, nullptr);
    const TCHAR *chosen = CpyMvDlg_Show(nullptr, -1, kCopy);
    UnhookWindowsHookEx(s_refuseHook);
    EXPECT_EQ(chosen, nullptr);
    ASSERT_EQ(boxes_.boxes().size(), 1u);
    EXPECT_NE(boxes_.boxes()[0].text.find(TEXT("232")), tstring::npos);
    EXPECT_NE(boxes_.boxes()[0].text.find(TEXT("qv_CpyMvDlg")), tstring::npos);
    // Nothing is held: the next request opens its dialog.
    DialogScript script({[](HWND d) { Click(d, IDCANCEL); }});
    EXPECT_EQ(CpyMvDlg_Show(nullptr, -1, kCopy), nullptr);
    EXPECT_EQ(script.dialogsSeen(), 1u);
}

TEST(CpyMvSlots, ReplaceEmptyAndRefuse) {
    CpyMvDlg_Free();
    const tstring longest(kCpyMvPathChars - 1, TEXT('x')), tooLong(kCpyMvPathChars, TEXT('y'));
    struct Case {
        int slot;
        const TCHAR *text;
        int move;
        int result;
        const TCHAR *after;  // null: empty
    };
    const Case cases[] = {
        {0, TEXT("C:\\a"), 0, 1, TEXT("C:\\a")},
        {0, TEXT("C:\\b"), 0, 1, TEXT("C:\\b")},         // replaced
        {0, tooLong.c_str(), 0, 0, TEXT("C:\\b")},        // refused whole, slot kept
        {9, longest.c_str(), 1, 1, longest.c_str()},
        {9, TEXT(""), 1, 1, nullptr},                     // emptied
        {5, nullptr, 0, 1, nullptr},
        {10, TEXT("C:\\c"), 0, 0, nullptr},
        {-1, TEXT("C:\\c"), 0, 0, nullptr},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(CpyMvDlg_SetSlotPath(c.slot, c.text, c.move), c.result) << c.slot;
        const TCHAR *now = CpyMvDlg_GetSlotPath(c.slot, c.move);
        EXPECT_TRUE(Str(now) == Str(c.after)) << c.slot;
    }
    // Replacing a slot with its own text is safe.
    ASSERT_EQ(CpyMvDlg_SetSlotPath(0, CpyMvDlg_GetSlotPath(0, 0), 0), 1);
    EXPECT_TRUE(Str(CpyMvDlg_GetSlotPath(0, 0)) == TEXT("C:\\b"));
    EXPECT_EQ(CpyMvDlg_GetSlotPath(0, 1), nullptr);
    CpyMvDlg_Free();
    EXPECT_EQ(CpyMvDlg_GetSlotPath(0, 0), nullptr);
}

class CpyMvCfg : public CpyMvDlgTest {
protected:
    tstring Read(const TCHAR *key) {
        TCHAR buffer[1024];
        GetPrivateProfileString(TEXT("CpMv"), key, TEXT("<missing>"), buffer, 1024, Cfg_Path());
        return buffer;
    }
    // A later run: nothing remembered in memory, the section read anew.
    void NewRun() {
        CpyMvDlg_Free();
        Cfg_ResetForTests();
        Settings_InitBoth(61);
        ASSERT_EQ(Cfg_BuildPath(), 0);
        ASSERT_EQ(Cfg_LoadCpMv(), 1);
    }
};

TEST_F(CpyMvCfg, RegisteredFoldersAndFormsSurviveARestart) {
    ASSERT_EQ(CpyMvDlg_SetSlotPath(0, TEXT("C:\\copy zero"), 0), 1);
    ASSERT_EQ(CpyMvDlg_SetSlotPath(9, TEXT("\\\\srv\\share\\nine"), 0), 1);
    ASSERT_EQ(CpyMvDlg_SetSlotPath(4, TEXT("relative\\four"), 1), 1);
    CpyMvDlg_SetExtended(0, 1);
    CpyMvDlg_SetExtended(1, 0);
    ASSERT_EQ(Cfg_SaveAll(), 1);
    EXPECT_TRUE(Read(TEXT("CpD00")) == TEXT("C:\\copy zero"));
    EXPECT_TRUE(Read(TEXT("CpD01")) == TEXT("<missing>")) << "an empty slot writes no key";
    EXPECT_TRUE(Read(TEXT("CpEx")) == TEXT("1"));
    EXPECT_TRUE(Read(TEXT("MvEx")) == TEXT("0"));

    NewRun();
    EXPECT_TRUE(Str(CpyMvDlg_GetSlotPath(0, 0)) == TEXT("C:\\copy zero"));
    EXPECT_TRUE(Str(CpyMvDlg_GetSlotPath(9, 0)) == TEXT("\\\\srv\\share\\nine"));
    EXPECT_TRUE(Str(CpyMvDlg_GetSlotPath(4, 1)) == TEXT("relative\\four"));
    for (int i : {1, 2, 3, 4, 5, 6, 7, 8}) EXPECT_EQ(CpyMvDlg_GetSlotPath(i, 0), nullptr) << i;
    EXPECT_EQ(CpyMvDlg_GetSlotPath(4, 0), nullptr);
    EXPECT_EQ(CpyMvDlg_GetExtended(0), 1);
    EXPECT_EQ(CpyMvDlg_GetExtended(1), 0);

    // Emptied slots lose their keys at the next save.
    ASSERT_EQ(CpyMvDlg_SetSlotPath(9, nullptr, 0), 1);
    ASSERT_EQ(Cfg_SaveAll(), 1);
    EXPECT_TRUE(Read(TEXT("CpD09")) == TEXT("<missing>"));
    NewRun();
    EXPECT_EQ(CpyMvDlg_GetSlotPath(9, 0), nullptr);
    EXPECT_TRUE(Str(CpyMvDlg_GetSlotPath(0, 0)) == TEXT("C:\\copy zero"));
}

TEST_F(CpyMvCfg, AFolderChosenInTheDialogIsThereNextRun) {
    DialogScript script({[](HWND d) {
        SetItem(d, Edit(3), TEXT("G:\\from the dialog"));
        Click(d, Ok(3));
    }});
    ASSERT_TRUE(Str(CpyMvDlg_Show(nullptr, 3, kCopy)) == TEXT("G:\\from the dialog"));
    ASSERT_EQ(Cfg_SaveAll(), 1);
    NewRun();
    DialogScript noDialog({});
    EXPECT_TRUE(Str(CpyMvDlg_Show(nullptr, 3, kCopy)) == TEXT("G:\\from the dialog"));
    EXPECT_EQ(noDialog.dialogsSeen(), 0u);
}

TEST_F(CpyMvCfg, HandEditedKeysAreRefusedWholeAndCounted) {
    ASSERT_EQ(Cfg_SaveAll(), 1);  // makes the file
    const tstring tooLong = TEXT("C:\\") + tstring(300, TEXT('z'));
    WritePrivateProfileString(TEXT("CpMv"), TEXT("CpD03"), tooLong.c_str(), Cfg_Path());
    WritePrivateProfileString(TEXT("CpMv"), TEXT("CpD04"), TEXT("C:\\fine"), Cfg_Path());
    WritePrivateProfileString(TEXT("CpMv"), TEXT("MvEx"), TEXT("yes"), Cfg_Path());
    WritePrivateProfileString(TEXT("CpMv"), TEXT("CpEx"), TEXT("5"), Cfg_Path());
    WritePrivateProfileString(nullptr, nullptr, nullptr, Cfg_Path());
    NewRun();
    EXPECT_EQ(CpyMvDlg_GetSlotPath(3, 0), nullptr) << "never cut to another folder";
    EXPECT_TRUE(Str(CpyMvDlg_GetSlotPath(4, 0)) == TEXT("C:\\fine"));
    EXPECT_EQ(CpyMvDlg_GetExtended(1), 0);
    EXPECT_EQ(CpyMvDlg_GetExtended(0), 1) << "any non-zero form value is the ten-folder form";
    EXPECT_EQ(Cfg_RejectedKeyCount(), 2) << "the long folder and the bad form leave a trace";
}

}  // namespace
