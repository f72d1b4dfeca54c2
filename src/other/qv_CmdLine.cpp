#include "other/qv_CmdLine.h"
#include "other/qv_SysFacts.h"

#include <shlobj.h>

#include "other/qv_Mem.h"
#include "util/qv_Crc32.h"
#include "util/qv_Path.h"
#include "util/qv_StrBuf.h"
#include "util/qv_Text.h"

CommandLine g_cmdLine;

namespace {

StrBuf261 s_startDir;

void LowerBuffer(TCHAR *text, size_t n) { CharLowerBuff(text, DWORD(n)); }

TCHAR FoldChar(TCHAR c) {
#if defined(QV_ANSI)
    return c >= 'A' && c <= 'Z' ? TCHAR(c + 32) : c;
#else
    return TCHAR(reinterpret_cast<UINT_PTR>(CharLower(reinterpret_cast<LPTSTR>(UINT_PTR(c)))));
#endif
}

int RealProgramFiles(TCHAR *out, int capacity) {
    out[0] = 0;
    TCHAR path[MAX_PATH] = {};
    if (!Sys_GetProgramFilesDir(nullptr, path)) return 0;
    return int(qvtext::CopyInto(out, size_t(capacity), path));
}

// A 32-bit installation on a 64-bit system lives below the other
// program-files folder; it is just as read-only for users.
int RealProgramFilesX86(TCHAR *out, int capacity) {
    out[0] = 0;
    TCHAR path[MAX_PATH] = {};
    if (!Sys_GetProgramFilesX86Dir(nullptr, path)) return 0;
    return int(qvtext::CopyInto(out, size_t(capacity), path));
}

int RealAppData(TCHAR *out, int capacity) {
    out[0] = 0;
    TCHAR path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPath(nullptr, path, CSIDL_APPDATA, FALSE)) return 0;
    return int(qvtext::CopyInto(out, size_t(capacity), path));
}

}  // namespace

CmdLineSeams g_cmdLineSeams = {RealProgramFiles, RealAppData, RealProgramFilesX86};

const TCHAR *CmdLine_StartDirectory() { return s_startDir.Data(); }

int CmdLine_Parse(const TCHAR *text) {
    int argc = 0;
    const CmdLineParseResult r = CmdLine_ParseCore(text, g_cmdLine.argBuffer, &argc);
    if (r != kParseOk) return int(r);
    TCHAR **argv = static_cast<TCHAR **>(QV_Alloc(uint32_t((argc + 1) * sizeof(TCHAR *))));
    if (argv == nullptr) return 3;
    TCHAR *p = g_cmdLine.argBuffer;
    for (int i = 0; i < argc; ++i) {
        argv[i] = p;
        p += qvtext::Length(p) + 1;
    }
    argv[argc] = nullptr;
    g_cmdLine.argv = argv;
    g_cmdLine.argc = argc;
    return 0;
}

int CmdLine_Split(const TCHAR *commandLine) {
    if (commandLine == nullptr) return 1;
    if (commandLine[0] == 0) return 2;
    QV_Free(g_cmdLine.argBuffer);
    QV_Free(g_cmdLine.argv);
    g_cmdLine.argBuffer = nullptr;
    g_cmdLine.argv = nullptr;
    g_cmdLine.argc = 0;
    const uint64_t bytes = (uint64_t(qvtext::Length(commandLine)) + 1) * sizeof(TCHAR);
    if (bytes > 0x7FFFFFFF) return 3;
    g_cmdLine.argBuffer = static_cast<TCHAR *>(QV_Alloc(uint32_t(bytes)));
    if (g_cmdLine.argBuffer == nullptr) return 3;
    g_cmdLine.argBufferBytes = int32_t(bytes);
    return CmdLine_Parse(commandLine) == 0 ? 0 : 4;
}

TCHAR *CmdLine_GetModuleFileName(TCHAR *buffer, OwnedBuffer *fallback, int size) {
    TCHAR *result = nullptr;
    DWORD n = buffer != nullptr && size > 0 ? GetModuleFileName(nullptr, buffer, DWORD(size)) : 0;
    if (n > 0 && n < 260 && int(n) < size) {
        result = buffer;
    } else if (fallback != nullptr) {
        TCHAR *big = reinterpret_cast<TCHAR *>(Buf_Alloc(fallback, 32768));
        if (big == nullptr) return nullptr;
        n = GetModuleFileName(nullptr, big, 16384);
        if (n == 0 || n > 16382) return nullptr;
        result = big;
    } else {
        return nullptr;
    }
    if (g_cmdLine.argc > 0 && g_cmdLine.argv != nullptr)
        CmdLine_TakeArgv0Spelling<TCHAR>(result, g_cmdLine.argv[0], FoldChar);
    return result;
}

int CmdLine_FindDataFolder() {
    if (g_cmdLine.programDir == nullptr || g_cmdLine.programDir[0] == 0) return 1;
    g_cmdLine.dataDir = g_cmdLine.programDir;
    TCHAR programFiles[kPathChars];
    bool inside = g_cmdLineSeams.programFilesDir(programFiles, kPathChars) > 0 &&
                  CmdLine_UsesAppDataFolder<TCHAR>(g_cmdLine.programDir, programFiles, FoldChar);
    if (!inside && g_cmdLineSeams.programFilesX86Dir != nullptr &&
        g_cmdLineSeams.programFilesX86Dir(programFiles, kPathChars) > 0)
        inside = CmdLine_UsesAppDataFolder<TCHAR>(g_cmdLine.programDir, programFiles, FoldChar);
    if (!inside) return 0;
    constexpr int kAppDataChars = 517;
    TCHAR *block = static_cast<TCHAR *>(QV_Alloc(kAppDataChars * sizeof(TCHAR)));
    if (block == nullptr) return 0;  // the program folder stays the data folder
    if (g_cmdLineSeams.appDataDir(block, kAppDataChars) <= 0 ||
        Path_Append(kAppDataChars, block, TEXT("Quivelta"), 0) == nullptr) {
        QV_Free(block);
        return 0;
    }
    QV_Free(g_cmdLine.appDataDir);
    g_cmdLine.appDataDir = block;
    g_cmdLine.dataDir = block;
    return 0;
}

int CmdLine_InitProgramPaths() {
    TCHAR buffer[kPathChars];
    OwnedBuffer fallback;
    const TCHAR *path = CmdLine_GetModuleFileName(buffer, &fallback, kPathChars);
    if (path == nullptr) return 1;
    const TCHAR *name = nullptr;
    if (!Path_Split(path, nullptr, nullptr, &name, nullptr) || name == nullptr) return 2;
    const size_t total = qvtext::Length(path);
    const size_t dirUnits = size_t(name - path);
    // Folder, zero, name; a drive root keeps its separator.
    TCHAR *block = static_cast<TCHAR *>(QV_Alloc(uint32_t((total + 3) * sizeof(TCHAR))));
    if (block == nullptr) return 2;
    for (size_t i = 0; i < dirUnits; ++i) block[i] = path[i];
    block[dirUnits] = 0;
    Path_RemoveTrailingSep(block);
    TCHAR *fileName = block + qvtext::Length(block) + 1;
    qvtext::CopyInto(fileName, total - dirUnits + 1, name);
    QV_Free(g_cmdLine.programBlock);
    g_cmdLine.programBlock = block;
    g_cmdLine.programDir = block;
    g_cmdLine.programFileName = fileName;
    return CmdLine_FindDataFolder() == 0 ? 0 : 2;
}

int CmdLine_MakeInstanceId() {
    if (g_cmdLine.programDir == nullptr || g_cmdLine.programDir[0] == 0) return 1;
    CmdLine_FormatHex8<TCHAR>(CmdLine_InstanceCrc<TCHAR>(g_cmdLine.programDir, LowerBuffer), g_cmdLine.instanceId);
    return 0;
}

int CmdLine_FindSwitch(const TCHAR *word, TCHAR *const *argv, int argc, int exact) {
    return CmdLine_FindSwitchT<TCHAR>(word, argv, argc, exact != 0);
}

int CmdLine_ReadSwitches() {
    g_cmdLine.newWindow = CmdLine_FindSwitch(TEXT("newwnd"), g_cmdLine.argv, g_cmdLine.argc, 1) >= 0;
    g_cmdLine.getClip = CmdLine_FindSwitch(TEXT("getclip"), g_cmdLine.argv, g_cmdLine.argc, 1) >= 0;
    g_cmdLine.slide = CmdLine_FindSwitch(TEXT("slide"), g_cmdLine.argv, g_cmdLine.argc, 1) >= 0;
    g_cmdLine.blank = CmdLine_FindSwitch(TEXT("blank"), g_cmdLine.argv, g_cmdLine.argc, 1) >= 0;
    return 0;
}

int CmdLine_HasSingleUserMarker() {
    if (g_cmdLine.dataDir == nullptr && CmdLine_InitProgramPaths() != 0) return 0;
    StrBuf261 path;
    const TCHAR *pieces[] = {g_cmdLine.dataDir, TEXT("user"), TEXT("SingleU.cfg"), nullptr};
    if (!StrBuf_JoinPaths(&path, pieces)) return 0;
    return GetFileAttributes(path.Data()) != INVALID_FILE_ATTRIBUTES ? 1 : -1;
}

int CmdLine_ReadUser() {
    g_cmdLine.userPart[0] = 0;
    const int at = CmdLine_FindSwitch(TEXT("user="), g_cmdLine.argv, g_cmdLine.argc, 0);
    TCHAR name[kUserNameUnits + 1] = {};
    if (at >= 0) {
        qvtext::CopyTruncated<TCHAR>(g_cmdLine.argv[at] + 6, kUserNameUnits, name);
    } else {
        const int marker = CmdLine_HasSingleUserMarker();
        if (marker == 0) return 1;
        if (marker < 0) {
            DWORD size = kUserNameUnits + 1;
            if (!GetUserName(name, &size)) name[0] = 0;
        }
    }
    CmdLine_MakeUserPart<TCHAR>(name, LowerBuffer, g_cmdLine.userPart);
    return 0;
}

int CmdLine_InitPaths() {
    if (CmdLine_Split(GetCommandLine()) != 0) return 0;
    if (CmdLine_InitProgramPaths() != 0) return 0;
    if (CmdLine_MakeInstanceId() != 0) return 0;
    if (CmdLine_ReadSwitches() != 0) return 0;
    if (CmdLine_ReadUser() != 0) return 0;
    const DWORD n = GetCurrentDirectory(0, nullptr);
    TCHAR *dir = n > 0 ? s_startDir.Reserve(int(n) + 1) : nullptr;
    if (dir == nullptr || GetCurrentDirectory(n + 1, dir) == 0) {
        TCHAR *d = s_startDir.Reserve(1);
        if (d) d[0] = 0;
    }
    SetCurrentDirectory(g_cmdLine.programDir);
    return 1;
}

void CmdLine_Release() {
    QV_Free(g_cmdLine.argBuffer);
    QV_Free(g_cmdLine.argv);
    QV_Free(g_cmdLine.programBlock);
    QV_Free(g_cmdLine.appDataDir);
    g_cmdLine = CommandLine{};
}
