// Save and Save As under Wine: the real system save dialog driven from a
// thread timer (type combo, the PNG panel, the file name, OK), Save without
// the dialog writing the picture's own file, the overwrite question, the
// read-only refusal, a failing writer leaving the original byte-identical,
// the source file's time kept, the option panels' read-back and the [Save]
// section of the configuration file.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "../../res/resource.h"
#include "dlg/qv_SaveFileDlg.h"
#include "dlg/qv_SavePanels.h"
#include "image/qv_DibApi.h"
#include "image/qv_DibHolder.h"
#include "image/qv_FileList.h"
#include "image/qv_FileListOptions.h"
#include "image/qv_ImgData.h"
#include "image/qv_PixelValue.h"
#include "image/qv_SaveOptions.h"
#include "image/qv_SaveWriters.h"
#include "other/qv_Cfg.h"
#include "other/qv_CmdLine.h"
#include "other/qv_Dlg.h"
#include "other/qv_Frame.h"
#include "other/qv_Instance.h"
#include "other/qv_Settings.h"
#include "other/qv_SysSeams.h"
#include "support/dialog_driver.h"
#include "support/real_dibcore.h"
#include "support/temp_folder.h"
#include "support/user_folder.h"
#include "util/qv_Path.h"

namespace {

constexpr int kOptOverwriteAsk = 57;
constexpr int kOptOverwriteDialog = 58;
constexpr int kOptSaveAsLastFolder = 59;
constexpr int kTypeCombo = 0x470;      // cmb1
constexpr int kNameCombo = 0x47c;      // cmb13
constexpr int kNameEdit = 0x480;       // edt1

// Message boxes recorded and answered with a chosen button.
struct BoxLog {
    struct Box {
        tstring text;
        UINT type;
    };
    std::vector<Box> boxes;
    int answer = IDOK;
};
BoxLog *g_boxLog = nullptr;
int WINAPI AnswerBox(HWND, LPCTSTR text, LPCTSTR, UINT type) {
    g_boxLog->boxes.push_back({text != nullptr ? text : TEXT(""), type});
    return (type & 0xF) == MB_YESNO ? g_boxLog->answer : IDOK;
}

int g_refreshCount = 0;
void CountRefresh() { ++g_refreshCount; }

int32_t DIBCORE_CALL FailingBmpWriter(const DibPathChar *path, DibHandle) {
    // A writer that leaves half a file behind before failing.
    WriteFileBytes(path, "BM garbage");
    return 0;
}

bool Contains(const tstring &text, const tstring &part) { return text.find(part) != tstring::npos; }

// The program's part of the dialog: the child dialog holding check box 2001.
HWND FindHook(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgItem(child, IDC_SAVE_CHECK1) != nullptr && GetDlgItem(child, IDC_SAVE_PANEL_AREA) != nullptr)
            return child;
    return nullptr;
}
// The visible panel inside the program's part.
HWND FindPanel(HWND hook) {
    for (HWND child = GetWindow(hook, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        TCHAR cls[16] = {};
        GetClassName(child, cls, 16);
        if (lstrcmp(cls, TEXT("#32770")) == 0 && IsWindowVisible(child)) return child;
    }
    return nullptr;
}

// The save dialog is driven one step per tick, each step answering whether
// it is done; no step runs before the program's part of the dialog exists.
constexpr UINT kTickMs = 60;
DialogDriver::Step Check(std::function<bool(HWND dialog, HWND hook)> fn) {
    return [fn](HWND dialog) {
        HWND hook = FindHook(dialog);
        return hook != nullptr && fn(dialog, hook);
    };
}

// Steps the tests put together.
DialogDriver::Step ChooseType(int filterIndex) {
    return Check([filterIndex](HWND dialog, HWND) {
        HWND combo = GetDlgItem(dialog, kTypeCombo);
        if (combo == nullptr) return false;
        SendMessage(combo, CB_SETCURSEL, WPARAM(filterIndex - 1), 0);
        // Windows acts on the selection change, Wine on the selection's end.
        for (WORD code : {WORD(CBN_SELCHANGE), WORD(CBN_SELENDOK)})
            SendMessage(dialog, WM_COMMAND, MAKEWPARAM(kTypeCombo, code), reinterpret_cast<LPARAM>(combo));
        return true;
    });
}
DialogDriver::Step TypeName(const tstring &name) {
    return Check([name](HWND dialog, HWND) {
        HWND box = GetDlgItem(dialog, kNameCombo);
        if (box == nullptr) box = GetDlgItem(dialog, kNameEdit);
        if (box == nullptr) return false;
        SetWindowText(box, name.c_str());
        return true;
    });
}
DialogDriver::Step PressOk() {
    return Check([](HWND dialog, HWND) {
        PostMessage(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        return true;
    });
}

class SaveDialog : public RealDibcoreSuite {
protected:
    void SetUp() override {
        g_saveOptions = SaveOptions_Defaults();
        g_saveDlgRemembered = SaveDlgRemembered{};
        for (int i = 0; i < 3; ++i) savedOptions_[i] = g_settings.option[kOptOverwriteAsk + i];
        g_settings.option[kOptOverwriteAsk] = 0;
        g_settings.option[kOptOverwriteDialog] = 0;
        g_settings.option[kOptSaveAsLastFolder] = 0;
        savedSys_ = g_sys;
        g_boxLog = &boxes_;
        g_sys.messageBox = AnswerBox;
        savedHooks_ = g_frameHooks;
        g_frameHooks.refreshList = CountRefresh;
        g_refreshCount = 0;
        ASSERT_TRUE(lib_->ok()) << lib_->problem();  // last: TearDown restores what is saved above
    }
    void TearDown() override {
        ImgData_FreePathParts();
        DibHolder_Free(g_imgData.image);
        g_imgData.state = 0;
        g_imgData.singlePage = 0;
        g_imgData.listIndex = -1;
        FileList_FreeCurrent();
        g_frameHooks = savedHooks_;
        g_sys = savedSys_;
        g_boxLog = nullptr;
        for (int i = 0; i < 3; ++i) g_settings.option[kOptOverwriteAsk + i] = savedOptions_[i];
        g_saveOptions = SaveOptions_Defaults();
        g_saveDlgRemembered = SaveDlgRemembered{};
    }

    // A small 24-bit picture of one colour and a stripe.
    static void Picture(DibHolder &h, uint32_t colour) {
        ASSERT_TRUE(DibHolder_Create(h, 9, 7, 24, 0, 1, nullptr));
        const SelRect all{0, 0, 9, 7}, stripe{2, 0, 4, 7};
        ASSERT_TRUE(Dib_FillColour(h.handle, &all, colour));
        ASSERT_TRUE(Dib_FillColour(h.handle, &stripe, 0x00FF00));
        ASSERT_TRUE(DibHolder_Lock(h));
    }
    // A file of the picture in `colour` written with the format's writer.
    static void WriteFile(const tstring &path, uint32_t colour, int (*writer)(const TCHAR *, DibHolder &) = SaveBmp_Write) {
        DibHolder h;
        Picture(h, colour);
        ASSERT_EQ(writer(path.c_str(), h), 1);
    }
    // The current picture: red, as if loaded from `path` by `loader`.
    void Show(const tstring &path, int32_t loader) {
        DibHolder_Free(g_imgData.image);
        Picture(g_imgData.image, 0x0000FF);
        ImgData_FreePathParts();
        auto *text = static_cast<TCHAR *>(std::malloc((path.size() + 1) * sizeof(TCHAR)));
        ASSERT_NE(text, nullptr);
        lstrcpy(text, path.c_str());
        g_imgData.pathText = text;
        g_imgData.fileName = text + path.rfind(TEXT('\\')) + 1;
        g_imgData.pathEnd = text + path.size();
        g_imgData.state = kImgStill;
        g_imgData.loaderId = loader;
        g_imgData.singlePage = 1;
    }
    void ListFolder(const tstring &folder) {
        FileListSettings settings;
        FileList_SettingsFromOptions(&settings);
        uint32_t seed = 1;
        ASSERT_NE(FileList_MakeCurrent(0, folder.c_str(), nullptr, settings, &seed), 0);
    }
    // The names in a folder (to see that no temporary was left behind).
    static std::vector<tstring> Names(const tstring &folder) {
        std::vector<tstring> names;
        WIN32_FIND_DATA data;
        HANDLE find = FindFirstFile((folder + TEXT("\\*")).c_str(), &data);
        while (find != INVALID_HANDLE_VALUE) {
            if (data.cFileName[0] != TEXT('.')) names.push_back(data.cFileName);
            if (!FindNextFile(find, &data)) {
                FindClose(find);
                break;
            }
        }
        return names;
    }
    static FILETIME WriteTime(const tstring &path) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesEx(path.c_str(), GetFileExInfoStandard, &data);
        return data.ftLastWriteTime;
    }
    static bool IsPng(const std::string &bytes) { return bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0; }

    TempFolder folder_{TEXT("savedlg")};
    BoxLog boxes_;
    uint8_t savedOptions_[3] = {};
    SysSeams savedSys_;
    FrameHooks savedHooks_;
};

// Save As through the real dialog: PNG chosen in the type combo, its panel's
// options changed, a bare name typed; the file gets .png and the options are
// kept. A second save dialog while this one is open is refused.
TEST_F(SaveDialog, SaveAsPngWithPanelOptions) {
    const tstring source = folder_.Join(TEXT("src.bmp"));
    WriteFile(source, 0x0000FF);
    Show(source, 2);
    int secondResult = -1;
    DialogDriver driver({
        ChooseType(4),
        Check([](HWND dialog, HWND hook) {
            HWND panel = FindPanel(hook);
            if (panel == nullptr || GetDlgItem(panel, IDC_SAVE_COMBO2) == nullptr) return false;  // the PNG panel
            SendDlgItemMessage(panel, IDC_SAVE_CHECK1, BM_CLICK, 0, 0);
            SetDlgItemText(panel, IDC_SAVE_EDIT, TEXT("12"));  // limited while typing
            return true;
        }),
        Check([&secondResult](HWND, HWND) {
            secondResult = SaveFileDlg_Show(nullptr, 1);
            return true;
        }),
        TypeName(TEXT("out")),
        PressOk(),
    }, kTickMs);
    EXPECT_EQ(SaveFileDlg_Show(nullptr, 1), 1);
    EXPECT_TRUE(driver.finished());
    EXPECT_TRUE(driver.title().compare(0, 7, TEXT("Save As")) == 0);
    EXPECT_EQ(secondResult, 0);
    ASSERT_EQ(boxes_.boxes.size(), 1u) << "the second dialog is reported";
    EXPECT_TRUE(Contains(boxes_.boxes[0].text, TEXT("261")));
    EXPECT_TRUE(IsPng(ReadFileBytes(folder_.Join(TEXT("out.png")))));
    EXPECT_EQ(g_saveOptions.pngLace, 1);
    EXPECT_EQ(g_saveOptions.pngCmpLv, 9);
    EXPECT_EQ(g_saveDlgRemembered.filter, 4);
    EXPECT_TRUE(Path_IsSame(1, g_saveDlgRemembered.path, folder_.path().c_str()));
    EXPECT_EQ(DlgGuard_OpenName(), nullptr);
}

// Save As starts in the folder of the last Save As when asked to; the check
// boxes show and store OrigTime and ExtenUp, and an upper-case extension is
// appended to the typed name.
TEST_F(SaveDialog, SaveAsInTheLastFolderWithUpperCaseExtension) {
    const tstring source = folder_.Join(TEXT("src.gif"));
    WriteFile(source, 0x0000FF, SaveGif_Write);
    Show(source, 5);
    TempFolder last(TEXT("savedlg-last"));
    SaveFileDlg_SetSavePath(0, last.path().c_str());
    g_settings.option[kOptSaveAsLastFolder] = 1;
    g_saveDlgRemembered.filter = 2;  // GIF
    g_saveDlgRemembered.origTime = 1;
    bool shownChecked = false;
    DialogDriver driver({
        Check([&shownChecked](HWND, HWND hook) {
            shownChecked = IsDlgButtonChecked(hook, IDC_SAVE_CHECK1) == BST_CHECKED &&
                           IsDlgButtonChecked(hook, IDC_SAVE_CHECK2) == BST_UNCHECKED;
            SendDlgItemMessage(hook, IDC_SAVE_CHECK1, BM_CLICK, 0, 0);
            SendDlgItemMessage(hook, IDC_SAVE_CHECK2, BM_CLICK, 0, 0);
            return true;
        }),
        TypeName(TEXT("pic")),
        PressOk(),
    }, kTickMs);
    EXPECT_EQ(SaveFileDlg_Show(nullptr, 1), 1);
    EXPECT_TRUE(driver.finished());
    EXPECT_TRUE(shownChecked);
    EXPECT_EQ(Names(last.path()), std::vector<tstring>{TEXT("pic.GIF")});
    EXPECT_EQ(ReadFileBytes(last.Join(TEXT("pic.GIF"))).compare(0, 3, "GIF"), 0);
    EXPECT_EQ(g_saveDlgRemembered.origTime, 0);
    EXPECT_EQ(g_saveDlgRemembered.extenUp, 1);
    EXPECT_EQ(g_saveDlgRemembered.filter, 2);
}

// In the dialog a name that could only end in a bare dot is refused and the
// dialog stays open; the next name is written. Cancel writes nothing.
TEST_F(SaveDialog, BareDotKeepsTheDialogOpen) {
    const tstring source = folder_.Join(TEXT("src.png"));
    WriteFile(source, 0x0000FF, SavePng_Write);
    Show(source, 4);
    g_settings.option[kOptOverwriteDialog] = 1;  // Save shows the dialog
    // The full path ends one unit short of the buffer: the dot fits, "png" not.
    const size_t length = MAX_PATH - 3 - folder_.path().size() - 1;
    const tstring longName(length, TEXT('n'));
    {
        DialogDriver driver({
            TypeName(longName),
            PressOk(),
            Check([this](HWND, HWND) { return !boxes_.boxes.empty(); }),
            TypeName(TEXT("short")),
            PressOk(),
        }, kTickMs);
        EXPECT_EQ(SaveFileDlg_Show(nullptr, 0), 1);
        EXPECT_TRUE(driver.finished());
        EXPECT_TRUE(driver.title().compare(0, 4, TEXT("Save")) == 0 && driver.title().compare(0, 7, TEXT("Save As")) != 0);
    }
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_TRUE(Contains(boxes_.boxes[0].text, TEXT("dot")));
    EXPECT_TRUE(IsPng(ReadFileBytes(folder_.Join(TEXT("short.png")))));
    for (const tstring &name : Names(folder_.path())) EXPECT_TRUE(name == TEXT("src.png") || name == TEXT("short.png"));

    DialogDriver cancel({Check([](HWND dialog, HWND) { return PostMessage(dialog, WM_COMMAND, IDCANCEL, 0) != 0; })}, kTickMs);
    EXPECT_EQ(SaveFileDlg_Show(nullptr, 1), 0);
    EXPECT_EQ(Names(folder_.path()).size(), 2u);
}

// Save in the dialog with the name and format left as offered keeps the
// picture's own extension, also one that is not the format's default.
TEST_F(SaveDialog, SaveUntouchedNameKeepsDib) {
    const tstring source = folder_.Join(TEXT("photo.dib"));
    WriteFile(source, 0xFF0000);
    const std::string before = ReadFileBytes(source);
    Show(source, 2);
    g_settings.option[kOptOverwriteDialog] = 1;
    DialogDriver driver({PressOk()}, kTickMs);
    EXPECT_EQ(SaveFileDlg_Show(nullptr, 0), 1);
    EXPECT_TRUE(driver.finished());
    EXPECT_NE(ReadFileBytes(source), before) << "the red picture replaced the blue file";
    EXPECT_EQ(Names(folder_.path()), std::vector<tstring>{TEXT("photo.dib")});
}

// Save without the dialog writes the picture's own file, even while the list
// shows another folder holding a file of the same name; the list is
// refreshed directly only when it shows the folder written to.
TEST_F(SaveDialog, SaveWritesThePicturesOwnFile) {
    TempFolder listed(TEXT("savedlg-list"));
    const tstring decoy = listed.Join(TEXT("pic.jpeg"));
    WriteFile(decoy, 0x00FFFF);
    const std::string decoyBytes = ReadFileBytes(decoy);
    const tstring own = folder_.Join(TEXT("pic.jpeg"));
    WriteFile(own, 0x00FFFF);
    const std::string ownBytes = ReadFileBytes(own);
    struct Case {
        const char *what;
        const TCHAR *listFolder;
        int refreshes;
    } cases[] = {{"list of another folder", listed.path().c_str(), 0}, {"list of its folder", folder_.path().c_str(), 1}};
    QV_SKIP_WITHOUT_JPEG();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(own, ownBytes);
        ListFolder(c.listFolder);
        Show(own, 3);
        g_refreshCount = 0;
        EXPECT_EQ(SaveFileDlg_Show(nullptr, 0), 1);
        const std::string written = ReadFileBytes(own);
        EXPECT_NE(written, ownBytes);
        EXPECT_EQ(written.compare(0, 2, "\xFF\xD8"), 0) << "written as JPEG";
        EXPECT_EQ(ReadFileBytes(decoy), decoyBytes);
        EXPECT_EQ(g_refreshCount, c.refreshes);
        EXPECT_TRUE(boxes_.boxes.empty());
    }
}

// The overwrite question of Save: No changes nothing, Yes writes.
TEST_F(SaveDialog, OverwriteQuestion) {
    const tstring own = folder_.Join(TEXT("q.bmp"));
    g_settings.option[kOptOverwriteAsk] = 1;
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDNO ? "No" : "Yes");
        WriteFile(own, 0x123456);
        const std::string before = ReadFileBytes(own);
        Show(own, 2);
        boxes_ = BoxLog{};
        boxes_.answer = answer;
        EXPECT_EQ(SaveFileDlg_Show(nullptr, 0), answer == IDYES ? 1 : 0);
        ASSERT_EQ(boxes_.boxes.size(), 1u);
        EXPECT_EQ(boxes_.boxes[0].type & 0xF, UINT(MB_YESNO));
        EXPECT_EQ(boxes_.boxes[0].type & MB_DEFMASK, UINT(MB_DEFBUTTON2));
        EXPECT_EQ(ReadFileBytes(own) == before, answer == IDNO);
    }
}

// A read-only original is reported and kept; a writer that fails (leaving
// half a file of its own) leaves the original byte-identical, reports the
// failure and leaves no temporary behind.
TEST_F(SaveDialog, RefusalsAndFailuresKeepTheOriginal) {
    const tstring own = folder_.Join(TEXT("keep.bmp"));
    WriteFile(own, 0x445566);
    const std::string before = ReadFileBytes(own);
    Show(own, 2);

    ASSERT_TRUE(SetFileAttributes(own.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(SaveFileDlg_Show(nullptr, 0), 0);
    SetFileAttributes(own.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_TRUE(Contains(boxes_.boxes[0].text, TEXT("read-only")));
    EXPECT_TRUE(Contains(boxes_.boxes[0].text, own));
    EXPECT_EQ(ReadFileBytes(own), before);

    boxes_ = BoxLog{};
    const DIBtoBMP_t real = g_dibcore.DIBtoBMP;
    g_dibcore.DIBtoBMP = FailingBmpWriter;
    const int result = SaveFileDlg_Show(nullptr, 0);
    g_dibcore.DIBtoBMP = real;
    EXPECT_EQ(result, 0);
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_TRUE(Contains(boxes_.boxes[0].text, TEXT("could not be written")));
    EXPECT_EQ(ReadFileBytes(own), before);
    EXPECT_EQ(Names(folder_.path()), std::vector<tstring>{TEXT("keep.bmp")});
    EXPECT_EQ(g_refreshCount, 0);
}

// OrigTime: the new file, and the file written over, carry the source's
// write time; without it the write time is the time of writing.
TEST_F(SaveDialog, OrigTimeKeepsTheSourceTime) {
    const tstring own = folder_.Join(TEXT("old.bmp"));
    WriteFile(own, 0x010203);
    SYSTEMTIME st{2001, 2, 0, 3, 4, 5, 6, 0};
    FILETIME old{};
    SystemTimeToFileTime(&st, &old);
    {
        HANDLE file = CreateFile(own.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        SetFileTime(file, &old, nullptr, &old);
        CloseHandle(file);
    }
    Show(own, 2);
    struct Case {
        const char *what;
        int origTime;
        const TCHAR *target;
        bool keeps;
    } cases[] = {{"a new file", 1, TEXT("copy.png"), true},
                 {"without the option", 0, TEXT("fresh.png"), false},
                 {"over the source itself", 1, TEXT("old.bmp"), true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        g_saveDlgRemembered.origTime = c.origTime;
        const tstring target = folder_.Join(c.target);
        const int format = Contains(c.target, TEXT(".png")) ? kSavePng : kSaveBmp;
        ASSERT_EQ(SaveFileDlg_Write(nullptr, target.c_str(), format), 1);
        const FILETIME written = WriteTime(target);
        EXPECT_EQ(CompareFileTime(&old, &written) == 0, c.keeps);
    }
}

// Each panel reads its controls back limited to the option's range: numbers
// typed out of range are replaced while typing, a combo without a selection
// counts as item 0; the enabling follows the controlling control.
TEST_F(SaveDialog, PanelsCommitWithinRange) {
    HWND parent = CreateWindowEx(0, TEXT("STATIC"), TEXT("host"), WS_OVERLAPPEDWINDOW, 0, 0, 500, 200, nullptr,
                                 nullptr, GetModuleHandle(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    struct Case {
        const char *what;
        int format;
        const TCHAR *typed;  // into the edit (null: none)
        int comboToClear;    // combo given no selection (0: none)
        SaveOpt option;
        int32_t want;
    } cases[] = {
        {"JPEG quality 0", kSaveJpeg, TEXT("0"), 0, SaveOpt::JpgQual, 1},
        {"JPEG quality 250", kSaveJpeg, TEXT("250"), 0, SaveOpt::JpgQual, 100},
        {"JPEG quality not a number", kSaveJpeg, TEXT("abc"), 0, SaveOpt::JpgQual, 90},
        {"PNG level 12", kSavePng, TEXT("12"), 0, SaveOpt::PngCmpLv, 9},
        {"GIF index 300", kSaveGif, TEXT("300"), 0, SaveOpt::GifTraCol, 255},
        {"GIF mode without selection", kSaveGif, nullptr, IDC_SAVE_COMBO1, SaveOpt::GifTrans, 0},
        {"PNG corner without selection", kSavePng, nullptr, IDC_SAVE_COMBO2, SaveOpt::PngTrans, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        g_saveOptions = SaveOptions_Defaults();
        g_saveOptions.gifTrans = 3;
        g_saveOptions.pngTrans = 2;
        HWND panel = SavePanel_Create(*SaveWriter_Slot(c.format)->panel, parent);
        ASSERT_NE(panel, nullptr);
        if (c.typed != nullptr) SetDlgItemText(panel, IDC_SAVE_EDIT, c.typed);
        if (c.comboToClear != 0) SendDlgItemMessage(panel, c.comboToClear, CB_SETCURSEL, WPARAM(-1), 0);
        SendMessage(panel, WM_COMMAND, kSavePanelCommit, 0);
        EXPECT_EQ(SaveOptions_Get(g_saveOptions, c.option), c.want);
        DestroyWindow(panel);
    }

    // GIF: the index edit only for the "given index" mode; BMP: the note
    // only while compression is checked.
    g_saveOptions = SaveOptions_Defaults();
    HWND gif = SavePanel_Create(g_saveGifPanel, parent);
    ASSERT_NE(gif, nullptr);
    EXPECT_EQ(SendDlgItemMessage(gif, IDC_SAVE_COMBO1, CB_GETCOUNT, 0, 0), 6);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(gif, IDC_SAVE_EDIT)));
    SendDlgItemMessage(gif, IDC_SAVE_COMBO1, CB_SETCURSEL, kGifTransIndex, 0);
    SendMessage(gif, WM_COMMAND, MAKEWPARAM(IDC_SAVE_COMBO1, CBN_SELCHANGE), 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(gif, IDC_SAVE_EDIT)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(gif, IDC_SAVE_UPDOWN)));
    DestroyWindow(gif);
    HWND bmp = SavePanel_Create(g_saveBmpPanel, parent);
    ASSERT_NE(bmp, nullptr);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(bmp, IDC_SAVE_NOTE)));
    SendDlgItemMessage(bmp, IDC_SAVE_CHECK2, BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(bmp, IDC_SAVE_NOTE)));
    SendMessage(bmp, WM_COMMAND, kSavePanelCommit, 0);
    EXPECT_EQ(g_saveOptions.bmpRle, 1);
    DestroyWindow(bmp);
    DestroyWindow(parent);
}

// The [Save] section: written from memory, read back in a later run through
// the table's rules (Filter outside 1..4 ignored, the others clamped).
class SaveConfig : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Open());
        Settings_InitBoth(61);
        g_saveOptions = SaveOptions_Defaults();
        g_saveDlgRemembered = SaveDlgRemembered{};
    }
    void TearDown() override {
        Cfg_ResetForTests();
        Instance_Release();
        g_cmdLine = CommandLine{};
        Settings_InitBoth(61);
        g_saveOptions = SaveOptions_Defaults();
        g_saveDlgRemembered = SaveDlgRemembered{};
    }
    void NewRun() {
        Cfg_ResetForTests();
        ASSERT_EQ(Cfg_BuildPath(), 0);
        g_saveOptions = SaveOptions_Defaults();
        g_saveDlgRemembered = SaveDlgRemembered{};
    }
    TestUserFolder folder_{TEXT("savecfg"), TEXT("tester")};
};

TEST_F(SaveConfig, RoundTripAndHandEditedValues) {
    EXPECT_EQ(Cfg_LoadSave(), 1);
    g_saveOptions.jpgQual = 55;
    g_saveOptions.pngTrans = 3;
    g_saveOptions.gifTraCol = 200;
    g_saveOptions.bmpRle = 1;
    g_saveDlgRemembered.filter = 3;
    g_saveDlgRemembered.origTime = 1;
    SaveFileDlg_SetSavePath(0, TEXT("C:\\out put"));
    ASSERT_EQ(Cfg_SaveSave(), 1);
    NewRun();
    EXPECT_EQ(Cfg_LoadSave(), 1);
    EXPECT_EQ(g_saveOptions.jpgQual, 55);
    EXPECT_EQ(g_saveOptions.pngTrans, 3);
    EXPECT_EQ(g_saveOptions.gifTraCol, 200);
    EXPECT_EQ(g_saveOptions.bmpRle, 1);
    EXPECT_EQ(g_saveDlgRemembered.filter, 3);
    EXPECT_EQ(g_saveDlgRemembered.origTime, 1);
    EXPECT_EQ(g_saveDlgRemembered.extenUp, 0);
    EXPECT_EQ(tstring(g_saveDlgRemembered.path), TEXT("C:\\out put"));

    const TCHAR *cfg = Cfg_Path();
    WritePrivateProfileString(TEXT("Save"), TEXT("JpgQual"), TEXT("0"), cfg);
    WritePrivateProfileString(TEXT("Save"), TEXT("PngCmpLv"), TEXT("12"), cfg);
    WritePrivateProfileString(TEXT("Save"), TEXT("Filter"), TEXT("9"), cfg);
    WritePrivateProfileString(TEXT("Save"), TEXT("GifTrans"), TEXT("x"), cfg);
    WritePrivateProfileString(TEXT("Save"), TEXT("ExtenUp"), TEXT("7"), cfg);
    WritePrivateProfileString(nullptr, nullptr, nullptr, cfg);
    NewRun();
    g_saveDlgRemembered.filter = 2;
    g_saveOptions.gifTrans = 4;
    EXPECT_EQ(Cfg_LoadSave(), 1);
    EXPECT_EQ(g_saveOptions.jpgQual, 1);
    EXPECT_EQ(g_saveOptions.pngCmpLv, 9);
    EXPECT_EQ(g_saveDlgRemembered.filter, 2) << "a filter outside 1..4 is ignored";
    EXPECT_EQ(g_saveOptions.gifTrans, 4) << "a value that is no number is ignored";
    EXPECT_EQ(g_saveDlgRemembered.extenUp, 1);
    EXPECT_EQ(Cfg_RejectedKeyCount(), 1);
    EXPECT_EQ(Cfg_LoadSave(), 1) << "read once per run";
}

}  // namespace
