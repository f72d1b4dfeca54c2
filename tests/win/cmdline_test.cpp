// The command line of the process itself: splitting, switches, the user
// part, the program and data folders and the instance names.
#include <gtest/gtest.h>

#include <string>

#include "other/qv_CmdLine.h"
#include "other/qv_Instance.h"
#include "support/temp_folder.h"

namespace {

tstring s_fakeProgramFiles;

int FakeProgramFiles(TCHAR *out, int capacity) {
    lstrcpyn(out, s_fakeProgramFiles.c_str(), capacity);
    return lstrlen(out);
}
tstring s_fakeProgramFilesX86 = TEXT("C:\\Nowhere (x86)");

int FakeProgramFilesX86(TCHAR *out, int capacity) {
    lstrcpyn(out, s_fakeProgramFilesX86.c_str(), capacity);
    return lstrlen(out);
}

int FakeAppData(TCHAR *out, int capacity) {
    lstrcpyn(out, TEXT("C:\\Users\\q\\AppData\\Roaming"), capacity);
    return lstrlen(out);
}

class CmdLineWin : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = g_cmdLineSeams;
        CmdLine_Release();
    }
    void TearDown() override {
        g_cmdLineSeams = saved_;
        CmdLine_Release();
    }
    CmdLineSeams saved_;
};

TEST_F(CmdLineWin, SplitsReadsSwitchesAndTheUser) {
    ASSERT_EQ(CmdLine_Split(TEXT("\"C:\\Q Q\\Quivelta.exe\" \"D:\\a b.jpg\" /slide /NEWWND /newwnd2 \"/user=  \t\"")), 0);
    ASSERT_EQ(g_cmdLine.argc, 6);
    EXPECT_EQ(tstring(g_cmdLine.argv[1]), TEXT("D:\\a b.jpg"));
    EXPECT_EQ(g_cmdLine.argv[6], nullptr);
    CmdLine_ReadSwitches();
    EXPECT_EQ(g_cmdLine.slide, 1);
    EXPECT_EQ(g_cmdLine.newWindow, 0);
    ASSERT_EQ(CmdLine_ReadUser(), 0);
    EXPECT_EQ(tstring(g_cmdLine.userPart), TEXT(""));  // blanks only: shared by all users
    ASSERT_EQ(CmdLine_Split(TEXT("q.exe /user=Con.")), 0);
    ASSERT_EQ(CmdLine_ReadUser(), 0);
    EXPECT_EQ(tstring(g_cmdLine.userPart), TEXT("Con_"));
    EXPECT_EQ(CmdLine_Split(TEXT("")), 2);
    EXPECT_EQ(CmdLine_Split(TEXT("   ")), 4);
    EXPECT_EQ(CmdLine_Split(nullptr), 1);
}

TEST_F(CmdLineWin, ProgramFolderDataFolderAndInstanceNames) {
    TCHAR module[MAX_PATH];
    GetModuleFileName(nullptr, module, MAX_PATH);
    tstring dir = module;
    dir = dir.substr(0, dir.find_last_of(TEXT("\\/")));

    s_fakeProgramFiles = TEXT("C:\\Nowhere");
    g_cmdLineSeams = {FakeProgramFiles, FakeAppData, FakeProgramFilesX86};
    ASSERT_EQ(CmdLine_Split(GetCommandLine()), 0);
    ASSERT_EQ(CmdLine_InitProgramPaths(), 0);
    EXPECT_TRUE(lstrcmpi(g_cmdLine.programDir, dir.c_str()) == 0);
    EXPECT_EQ(g_cmdLine.dataDir, g_cmdLine.programDir);

    // Installed inside the program-files folder: the per-user folder.
    s_fakeProgramFiles = dir.substr(0, dir.find_last_of(TEXT("\\/")));
    ASSERT_EQ(CmdLine_InitProgramPaths(), 0);
    EXPECT_EQ(tstring(g_cmdLine.dataDir), TEXT("C:\\Users\\q\\AppData\\Roaming\\Quivelta"));
    // A sibling whose name only starts the same is not inside.
    s_fakeProgramFiles = dir.substr(0, dir.size() - 1);
    ASSERT_EQ(CmdLine_InitProgramPaths(), 0);
    EXPECT_EQ(g_cmdLine.dataDir, g_cmdLine.programDir);

    // Inside the 32-bit program-files folder: the per-user folder too.
    s_fakeProgramFiles = TEXT("C:\\Nowhere");
    s_fakeProgramFilesX86 = dir.substr(0, dir.find_last_of(TEXT("\\/")));
    ASSERT_EQ(CmdLine_InitProgramPaths(), 0);
    EXPECT_EQ(tstring(g_cmdLine.dataDir), TEXT("C:\\Users\\q\\AppData\\Roaming\\Quivelta"));
    s_fakeProgramFilesX86 = TEXT("C:\\Nowhere (x86)");

    ASSERT_EQ(CmdLine_MakeInstanceId(), 0);
    EXPECT_EQ(lstrlen(g_cmdLine.instanceId), 8);
    lstrcpy(g_cmdLine.userPart, TEXT("Bob"));
    TCHAR name[260];
    ASSERT_EQ(Instance_ComposeName(TEXT("Mutex"), name), 1);
#if defined(QV_ANSI)
    EXPECT_EQ(tstring(name), tstring(TEXT("QV_Quivelta_01_A_Mutex_")) + g_cmdLine.instanceId + TEXT("_bob"));
#else
    EXPECT_EQ(tstring(name), tstring(TEXT("QV_Quivelta_01_W_Mutex_")) + g_cmdLine.instanceId + TEXT("_bob"));
#endif
}

}  // namespace
