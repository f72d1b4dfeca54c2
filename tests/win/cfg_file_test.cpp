// The configuration file under Wine: the golden file of all defaults, a
// round trip of every option, conversion between the two builds' encodings,
// hand-edited and corrupt files, and the configuration lock.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "other/qv_Cfg.h"
#include "other/qv_CfgLock.h"
#include "other/qv_CmdLine.h"
#include "other/qv_Instance.h"
#include "other/qv_Mru.h"
#include "other/qv_OptTable.h"
#include "other/qv_Settings.h"
#include "support/user_folder.h"

namespace {

bool IsStoreRow(const OptRow &r) {
    if (r.section == CfgSection::None) return false;
    switch (r.kind) {
        case OptKind::Byte:
        case OptKind::BitOfByte:
        case OptKind::Int:
        case OptKind::Field:
        case OptKind::ZoomQ:
        case OptKind::SelGrid: return true;
        default: return false;
    }
}

[[maybe_unused]] tstring Widen(const char *s) { return tstring(s, s + std::strlen(s)); }

[[maybe_unused]] std::string Utf16(const std::string &ascii) {
    std::string out("\xFF\xFE", 2);
    for (char c : ascii) out += c, out += '\0';
    return out;
}

class CfgFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Open());
        Settings_InitBoth(61);
        Mru_ResetForTests();
        g_optEffects = OptEffects{};
    }
    void TearDown() override {
        Cfg_ResetForTests();
        Instance_Release();
        g_cmdLine = CommandLine{};
        Settings_InitBoth(61);
    }
    // A later run of the program: path and marks forgotten, settings fresh.
    void NewRun() {
        Cfg_ResetForTests();
        Settings_InitBoth(61);
        ASSERT_EQ(Cfg_BuildPath(), 0);
    }
    void LoadAsStartUp() {
        ASSERT_EQ(Cfg_LoadBoot(), 1);
        RECT r;
        int show = SW_SHOWNORMAL;
        DWORD ex = 0;
        ASSERT_EQ(Cfg_LoadWnd(&r, &show, &ex), 1);
        ASSERT_EQ(Cfg_LoadAll(), 1);
    }
    tstring Path() const { return Cfg_Path(); }
    tstring Read(const TCHAR *section, const TCHAR *key) {
        TCHAR buffer[512];
        GetPrivateProfileString(section, key, TEXT("<missing>"), buffer, 512, Cfg_Path());
        return buffer;
    }

    TestUserFolder folder_{TEXT("cfg"), TEXT("tester")};
};

TEST_F(CfgFile, PathAndUserFolder) {
    EXPECT_EQ(Path(), folder_.path() + TEXT("\\user\\tester\\Quivelta.cfg"));
    TCHAR folder[MAX_PATH];
    EXPECT_EQ(Cfg_GetUserFolder(folder, MAX_PATH), int(folder_.path().size() + 12));
    EXPECT_EQ(tstring(folder), folder_.path() + TEXT("\\user\\tester"));
    EXPECT_EQ(Cfg_GetUserFolder(nullptr, 0), int(folder_.path().size() + 13));
    EXPECT_EQ(Cfg_BuildPath(), 0);  // a second call does nothing
    EXPECT_EQ(Cfg_EnsureFolders(), 0);
    EXPECT_NE(GetFileAttributes(folder), INVALID_FILE_ATTRIBUTES);
}

#if !defined(QV_ANSI)
TEST_F(CfgFile, GoldenDefaultsReadBackUnchanged) {
    LoadAsStartUp();  // a first run: no file, so every default (the font from the resources)
    const Settings firstRun = g_settings;
    ASSERT_EQ(Cfg_SaveAll(), 1);
    const std::string bytes = ReadFileBytes(Path());
    ASSERT_GE(bytes.size(), 16u);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2));
    EXPECT_EQ(bytes.substr(2, 14), std::string("[\0B\0o\0o\0t\0]\0\r\0", 14)) << "first line is a section";
    const tstring golden = Widen(QV_TEST_FIXTURES) + TEXT("\\cfg\\defaults_w.cfg");
    const std::string want = ReadFileBytes(golden);
    if (want.empty()) WriteFileBytes(Widen(QV_BUILD_DIR) + TEXT("\\defaults_w.cfg"), bytes);
    EXPECT_TRUE(bytes == want) << "differs from tests/fixtures/cfg/defaults_w.cfg (actual written to the build folder)";

    // Read back into settings that differ everywhere: the defaults return.
    size_t count = 0;
    const OptRow *t = Opt_Table(&count);
    NewRun();
    for (size_t i = 0; i < count; ++i) {
        if (IsStoreRow(t[i])) Opt_StoreRaw(&g_settings, &t[i], t[i].max == INT_MAX ? 12345 : t[i].max - (t[i].def == t[i].max));
    }
    LoadAsStartUp();
    for (size_t i = 0; i < count; ++i) {
        if (!IsStoreRow(t[i])) continue;
        // Lazy sections are read by their dialogs; the rest must be back.
        if (t[i].lazy) continue;
        EXPECT_EQ(Opt_ReadRow(&g_settings, &t[i]), Opt_ReadRow(&firstRun, &t[i])) << t[i].key << " " << int(t[i].slot);
    }
    EXPECT_EQ(g_settings.hasFont, 1);
    // Written again, the file is the same to the byte.
    ASSERT_EQ(Cfg_SaveAll(), 1);
    const std::string again = ReadFileBytes(Path());
    EXPECT_TRUE(again == bytes);
    if (again != bytes) WriteFileBytes(Widen(QV_BUILD_DIR) + TEXT("\\defaults_w_again.cfg"), again);
}
#endif

// A valid value different from the default for every option.
int32_t OtherValue(const OptRow &r) {
    if (r.rule == OptRule::Any) return r.def + 7;
    for (int32_t v : {r.max, r.min, r.def + 1, r.def - 1, 4, 2})
        if (v != r.def && Opt_RowAccepts(&r, v)) return v;
    return r.def;
}

TEST_F(CfgFile, RoundTripOfEveryOptionNonDefault) {
    ASSERT_EQ(Cfg_LoadCpMv(), 1);  // the lazy section is written only once read
    size_t count = 0;
    const OptRow *t = Opt_Table(&count);
    for (size_t i = 0; i < count; ++i)
        if (IsStoreRow(t[i])) {
            int stored = 0;
            Opt_ApplyRow(&g_settings, &t[i], OtherValue(t[i]), &stored);
            EXPECT_NE(Opt_ReadRow(&g_settings, &t[i]), t[i].def) << t[i].key << " " << int(t[i].slot);
        }
    Opt_SetFlag(36, 1);  // keep the recent folders
    ASSERT_EQ(Opt_ParseFont(&g_settings, TEXT("R120|-20|0|0|0|700|1|0|0|0|0|0|2|0"), TEXT("Courier New"), 0), 1);
    ASSERT_EQ(Opt_SetLastOpened(TEXT("C:\\pics\\set.zip"), TEXT("inner\\a.png")), 1);
    Mru_Add(&g_recentFolders, TEXT("C:\\older"), nullptr);
    Mru_Add(&g_recentFolders, TEXT("C:\\newer"), TEXT("b.jpg"));
    const Settings written = g_settings;
    ASSERT_EQ(Cfg_SaveAll(), 1);

    NewRun();
    LoadAsStartUp();
    ASSERT_EQ(Cfg_LoadCpMv(), 1);
    for (size_t i = 0; i < count; ++i) {
        if (IsStoreRow(t[i])) {
            EXPECT_EQ(Opt_ReadRow(&g_settings, &t[i]), Opt_ReadRow(&written, &t[i])) << t[i].key << " " << int(t[i].slot);
        }
    }
    EXPECT_EQ(g_settings.fontDpi, 120);
    EXPECT_EQ(std::memcmp(&g_settings.font, &written.font, sizeof written.font), 0);
    EXPECT_EQ(tstring(Opt_LastFile()), TEXT("C:\\pics\\set.zip"));
    EXPECT_EQ(tstring(Opt_LastMember()), TEXT("inner\\a.png"));
    const TCHAR *file = nullptr;
    ASSERT_NE(Mru_Get(0, &file), nullptr);
    EXPECT_EQ(tstring(Mru_Get(0, &file)), TEXT("C:\\newer"));
    EXPECT_EQ(tstring(file), TEXT("b.jpg"));
    ASSERT_NE(Mru_Get(1, &file), nullptr);
    EXPECT_EQ(tstring(file), TEXT(""));
    EXPECT_EQ(Mru_Get(2, &file), nullptr);
    EXPECT_EQ(Cfg_RejectedKeyCount(), 0);
}

TEST_F(CfgFile, FontFromTheSettingsSheetRoundTrips) {
    LOGFONT edited{};
    edited.lfHeight = -17;
    edited.lfWeight = 700;
    edited.lfItalic = 1;
    edited.lfCharSet = 1;
    lstrcpy(edited.lfFaceName, TEXT("Tahoma"));
    Opt_ApplyFont(&edited, 144);
    ASSERT_EQ(Cfg_SaveAll(), 1);
    EXPECT_EQ(Read(TEXT("Other"), TEXT("FontName")), TEXT("Tahoma"));  // the quotes are the file's, not the value's
    EXPECT_EQ(Read(TEXT("Other"), TEXT("FontPrm")), TEXT("R144|-17|0|0|0|700|1|0|0|1|0|0|0|0"));
    NewRun();
    LoadAsStartUp();
    LOGFONT back{};
    ASSERT_NE(Opt_GetFont(&g_settings, &back), nullptr);
    EXPECT_EQ(back.lfHeight, -17);
    EXPECT_EQ(back.lfItalic, 1);
    EXPECT_EQ(tstring(back.lfFaceName), TEXT("Tahoma"));
    EXPECT_EQ(g_settings.fontDpi, 144);
    // Twelve values: the default font from the resources is used instead.
    WritePrivateProfileString(TEXT("Other"), TEXT("FontPrm"), TEXT("R96|-13|0|0|0|400|0|0|0|128|0|0|1"), Cfg_Path());
    NewRun();
    LoadAsStartUp();
    ASSERT_NE(Opt_GetFont(&g_settings, &back), nullptr);
    EXPECT_EQ(tstring(back.lfFaceName), TEXT("Arial"));
    EXPECT_EQ(back.lfHeight, -13);
}

TEST_F(CfgFile, WindowStateIsWrittenOnceRemembered) {
    Opt_SetAltRect(10, 20, 810, 620);
    Cfg_RememberWindowState(1, 0, 0);
    ASSERT_EQ(Cfg_SaveAll(), 1);
    EXPECT_EQ(Read(TEXT("Wnd"), TEXT("Rect")), TEXT("10|20|810|620"));
    EXPECT_EQ(Read(TEXT("Wnd"), TEXT("Show")), TEXT("1"));
    NewRun();
    RECT r{};
    int show = SW_SHOWNORMAL;
    DWORD ex = 0;
    ASSERT_EQ(Cfg_LoadWnd(&r, &show, &ex), 1);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.bottom, 620);
    EXPECT_EQ(show, SW_SHOWMAXIMIZED);  // IfMax is on and it was maximised
    // Not remembered in this run: the keys stay as they are.
    ASSERT_EQ(Cfg_SaveAll(), 1);
    EXPECT_EQ(Read(TEXT("Wnd"), TEXT("Rect")), TEXT("10|20|810|620"));
}

TEST_F(CfgFile, HandEditedAndCorruptFilesNeverLoseOtherKeys) {
    ASSERT_EQ(Cfg_EnsureFolders(), 0);
    std::string text =
        "[Other]\r\nWheelSpd=250\r\nGIFAniLmt=7\r\nZmQNml=11|3\r\nFileSkip=zz\r\nNoSuchKey=kept\r\n"
        "garbage line without equals\r\n=value without key\r\nTmAutoNx=99999999999999\r\n"
        "[Wnd]\r\nUserRect=1|2|3\r\nBGCol1=4294967295\r\n\x01\x02\xff\xfe binary\r\n"
        "[Mask]\r\nNega=255\r\nXOR=10\r\nQ0=300\r\n"
        "[MRUD]\r\nSave=1\r\nD05=C:\\only\r\n"
        "[Dlg]\r\nPrintCopi=1001\r\n"
        "[Unknown]\r\nmine=1\r\n";
#if defined(QV_ANSI)
    WriteFileBytes(Path(), text);
#else
    std::string wide("\xFF\xFE", 2);
    for (char c : text) wide += c, wide += '\0';
    wide += std::string("\x00\xD8\x00\x00", 4);  // an unpaired surrogate and a NUL
    WriteFileBytes(Path(), wide);
#endif
    LoadAsStartUp();
    EXPECT_EQ(g_settings.optInt[3], 250);
    EXPECT_EQ(g_settings.option[24], 0);          // 7 refused
    EXPECT_EQ(g_settings.zoomQuality[0], 2);      // 11 refused
    EXPECT_EQ(g_settings.zoomQuality[5], 3);
    EXPECT_EQ(g_settings.fileSkip, 10);
    EXPECT_EQ(g_settings.slideInterval, 5000);
    EXPECT_EQ(g_settings.optInt[13], 480);         // three values: ignored
    EXPECT_EQ(g_settings.optInt[0], 0xFFFFFF);
    EXPECT_EQ(g_settings.option[60], 7);
    EXPECT_EQ(g_settings.option[61], 2);
    EXPECT_EQ(g_settings.option[62], 300 & 63);
    ASSERT_NE(Mru_Get(0, nullptr), nullptr);       // only D05
    EXPECT_EQ(tstring(Mru_Get(0, nullptr)), TEXT("C:\\only"));
    EXPECT_EQ(Mru_Get(1, nullptr), nullptr);
    EXPECT_GE(Cfg_RejectedKeyCount(), 3);
    ASSERT_EQ(Cfg_SaveAll(), 1);
    EXPECT_EQ(Read(TEXT("Other"), TEXT("NoSuchKey")), TEXT("kept"));
    EXPECT_EQ(Read(TEXT("Unknown"), TEXT("mine")), TEXT("1"));
    EXPECT_EQ(Read(TEXT("Dlg"), TEXT("PrintCopi")), TEXT("1001"));  // its dialog decides
    EXPECT_EQ(Read(TEXT("Other"), TEXT("FileSkip")), TEXT("10"));
    EXPECT_EQ(Read(TEXT("MRUD"), TEXT("D00")), TEXT("C:\\only"));
}

#if !defined(QV_ANSI)
TEST_F(CfgFile, AnsiFileIsConvertedOnFirstWriteKeepingLazySections) {
    ASSERT_EQ(Cfg_EnsureFolders(), 0);
    WriteFileBytes(Path(),
                   "[Boot]\r\nMulti=1\r\n[Wnd]\r\nRect=5|6|505|406\r\nShow=1\r\n[Other]\r\nWheelSpd=77\r\n"
                   "[Dlg]\r\nPrintCopi=5\r\nRsizQual=3|4\r\n[Save]\r\nJpgQual=80\r\nPath=C:\\out\r\n"
                   "[CpMv]\r\nCpD00=C:\\copies\r\nCpAskOvWr=0\r\n");
    EXPECT_EQ(Cfg_IsUtf16File(), 0);
    LoadAsStartUp();
    EXPECT_EQ(g_settings.optInt[3], 77);
    EXPECT_EQ(g_settings.option[kOptMulti], 1);
    ASSERT_EQ(Cfg_SaveAll(), 1);
    EXPECT_EQ(Cfg_IsUtf16File(), 1);
    const std::string bytes = ReadFileBytes(Path());
    EXPECT_EQ(bytes.substr(0, 16), std::string("\xFF\xFE[\0B\0o\0o\0t\0]\0\r\0", 16));
    EXPECT_EQ(Read(TEXT("Dlg"), TEXT("PrintCopi")), TEXT("5"));
    EXPECT_EQ(Read(TEXT("Dlg"), TEXT("RsizQual")), TEXT("3|4"));
    EXPECT_EQ(Read(TEXT("Save"), TEXT("JpgQual")), TEXT("80"));
    EXPECT_EQ(Read(TEXT("Save"), TEXT("Path")), TEXT("C:\\out"));
    EXPECT_EQ(Read(TEXT("CpMv"), TEXT("CpD00")), TEXT("C:\\copies"));
    EXPECT_EQ(Read(TEXT("CpMv"), TEXT("CpAskOvWr")), TEXT("0"));
    EXPECT_EQ(Read(TEXT("Wnd"), TEXT("Rect")), TEXT("5|6|505|406"));
    EXPECT_EQ(Read(TEXT("Other"), TEXT("WheelSpd")), TEXT("77"));
    EXPECT_EQ(Read(TEXT("Boot"), TEXT("Multi")), TEXT("1"));
}

TEST_F(CfgFile, EncodingCheckTable) {
    ASSERT_EQ(Cfg_EnsureFolders(), 0);
    struct Case {
        std::string bytes;
        int want;
    } cases[] = {
        {std::string("\xFF\xFE", 2), 1},
        {std::string("\xFF\xFE[", 3), 0},                   // three bytes: not UTF-16
        {std::string("\xFF\xFE[\0", 4), 1},
        {std::string("\xFF\xFE\0\0", 4), 0},                 // first character NUL
        {std::string("[Boot]\r\n"), 0},
    };
    for (const auto &k : cases) {
        WriteFileBytes(Path(), k.bytes);
        EXPECT_EQ(Cfg_IsUtf16File(), k.want) << k.bytes.size();
    }
    DeleteFile(Path().c_str());
    EXPECT_EQ(Cfg_IsUtf16File(), 0);
    WriteFileBytes(Path(), std::string("\xFF\xFE", 2));
    SetFileAttributes(Path().c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Cfg_IsUtf16File(), -1);
    EXPECT_EQ(Cfg_SaveAll(), 0);  // a read-only file is left alone
    SetFileAttributes(Path().c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFile(Path().c_str());
    CreateDirectory(Path().c_str(), nullptr);
    EXPECT_EQ(Cfg_IsUtf16File(), -1);
    RemoveDirectory(Path().c_str());
}
#else
TEST_F(CfgFile, Utf16FileIsEmptiedAndRewrittenInTheCodePageKeepingLazySections) {
    ASSERT_EQ(Cfg_EnsureFolders(), 0);
    WriteFileBytes(Path(), Utf16("[Boot]\r\nMulti=0\r\n[Other]\r\nWheelSpd=66\r\n[Dlg]\r\nPrintCopi=9\r\n"));
    EXPECT_EQ(Cfg_IsUtf16File(), 1);
    LoadAsStartUp();
    EXPECT_EQ(g_settings.optInt[3], 66);
    ASSERT_EQ(Cfg_SaveAll(), 1);
    const std::string bytes = ReadFileBytes(Path());
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_NE(bytes.substr(0, 2), std::string("\xFF\xFE", 2));
    EXPECT_EQ(bytes.substr(0, 6), "[Boot]");
    EXPECT_EQ(Read(TEXT("Dlg"), TEXT("PrintCopi")), TEXT("9"));
    EXPECT_EQ(Read(TEXT("Other"), TEXT("WheelSpd")), TEXT("66"));
}
#endif

struct LockProbe {
    HANDLE mutex;
    DWORD result;
};

DWORD WINAPI TryFromOtherThread(void *arg) {
    auto *probe = static_cast<LockProbe *>(arg);
    probe->result = WaitForSingleObject(probe->mutex, 0);
    if (probe->result == WAIT_OBJECT_0 || probe->result == WAIT_ABANDONED) ReleaseMutex(probe->mutex);
    return 0;
}

DWORD ProbeFromOtherThread() {
    LockProbe probe{g_instance.mutex, WAIT_FAILED};
    HANDLE thread = CreateThread(nullptr, 0, TryFromOtherThread, &probe, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return probe.result;
}

TEST_F(CfgFile, LockCountsNestedAcquisitions) {
    CfgLock a;
    EXPECT_EQ(CfgLock_Acquire(&a), 0);  // no mutex yet
    a.mutex = &g_instance.mutex;
    ASSERT_EQ(CfgLock_Acquire(&a), 1);
    ASSERT_EQ(CfgLock_Acquire(&a), 1);
    ASSERT_EQ(CfgLock_Acquire(&a), 1);
    EXPECT_EQ(a.count, 3u);
    CfgLock b;
    b.mutex = &g_instance.mutex;
    ASSERT_EQ(CfgLock_Acquire(&b), 1);  // a second holder in the same thread
    EXPECT_EQ(b.count, 1u);
    EXPECT_EQ(ProbeFromOtherThread(), DWORD(WAIT_TIMEOUT));
    EXPECT_EQ(CfgLock_Release(&a), 1);
    EXPECT_EQ(CfgLock_Release(&a), 1);
    EXPECT_EQ(a.count, 1u);
    CfgLock_ReleaseAll(&b);
    EXPECT_EQ(ProbeFromOtherThread(), DWORD(WAIT_TIMEOUT));  // a still holds one
    EXPECT_EQ(CfgLock_Release(&a), 1);
    EXPECT_EQ(CfgLock_Release(&a), 0);  // nothing left
    EXPECT_EQ(ProbeFromOtherThread(), DWORD(WAIT_OBJECT_0));
    ASSERT_EQ(CfgLock_Acquire(&a), 1);
    ASSERT_EQ(CfgLock_Acquire(&a), 1);
    CfgLock_ReleaseAll(&a);
    EXPECT_EQ(a.count, 0u);
    EXPECT_EQ(a.mutex, nullptr);
    EXPECT_EQ(ProbeFromOtherThread(), DWORD(WAIT_OBJECT_0));
    CfgLock full;
    full.mutex = &g_instance.mutex;
    full.count = kCfgLockMaxCount;
    EXPECT_EQ(CfgLock_Acquire(&full), 0);
    full.count = 0;
}

TEST_F(CfgFile, WritersFailWithoutTheLock) {
    Instance_Release();  // no mutex: the lock cannot be taken
    EXPECT_EQ(Cfg_SaveAll(), 0);
    EXPECT_EQ(GetFileAttributes(Path().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Cfg_LoadBoot(), 0);
}

}  // namespace
