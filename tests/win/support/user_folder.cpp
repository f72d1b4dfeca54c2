#include "support/user_folder.h"

#include "other/qv_Cfg.h"
#include "other/qv_CmdLine.h"
#include "other/qv_Instance.h"

TestUserFolder::TestUserFolder(const TCHAR *tag, const TCHAR *user) : temp_(tag), user_(user) {}

bool TestUserFolder::Open() {
    Cfg_ResetForTests();
    Instance_Release();
    g_cmdLine = CommandLine{};
    lstrcpyn(dataDir_, temp_.path().c_str(), MAX_PATH);
    g_cmdLine.dataDir = dataDir_;
    lstrcpyn(g_cmdLine.userPart, user_, int(sizeof g_cmdLine.userPart / sizeof(TCHAR)));
    // Unique per process and run, so parallel test binaries never share a mutex.
    wsprintf(g_cmdLine.instanceId, TEXT("%08lX"), GetCurrentProcessId() ^ (GetTickCount() << 12));
    return Instance_CreateMutex() == 0 && Cfg_BuildPath() == 0;
}
