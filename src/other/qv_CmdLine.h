// The program's command line, its folder and file name, the data folder
// that holds the user settings, the instance id and the user part; filled
// once at start-up (CmdLine_InitPaths) and read-only afterwards.
#pragma once

#include <windows.h>

#include <cstdint>

#include "other/qv_CmdLineCore.h"
#include "other/qv_Mem.h"

struct CommandLine {
    TCHAR *argBuffer;         // the arguments one after another (owned)
    int32_t argBufferBytes;   // (length of the process command line + 1) x unit
    TCHAR **argv;             // argc + 1 pointers into argBuffer, the last null (owned)
    int32_t argc;
    TCHAR *programBlock;      // program folder, zero, program file name (owned)
    TCHAR *programDir;        // no trailing separator (a drive root keeps it)
    TCHAR *programFileName;
    TCHAR *appDataDir;        // application-data folder + "Quivelta", when used (owned)
    TCHAR *dataDir;           // programDir or appDataDir
    int32_t newWindow, getClip, slide, blank;
    TCHAR userPart[kUserPartUnits + 1];
    TCHAR instanceId[9];
};

extern CommandLine g_cmdLine;

// The current directory at start (empty when it could not be read).
const TCHAR *CmdLine_StartDirectory();

// 1 ok, 0 failure (start-up number 675).
int CmdLine_InitPaths();
// 0 ok; 1 no command line, 2 empty, 3 no memory, 4 parse failure.
int CmdLine_Split(const TCHAR *commandLine);
int CmdLine_Parse(const TCHAR *text);
// Program paths: 0 ok, 1 file name not found, 2 split failed.
int CmdLine_InitProgramPaths();
TCHAR *CmdLine_GetModuleFileName(TCHAR *buffer, OwnedBuffer *fallback, int size);
int CmdLine_FindDataFolder();
int CmdLine_MakeInstanceId();
int CmdLine_FindSwitch(const TCHAR *word, TCHAR *const *argv, int argc, int exact);
int CmdLine_ReadSwitches();
int CmdLine_ReadUser();
// 1 exists, -1 missing, 0 error.
int CmdLine_HasSingleUserMarker();
void CmdLine_Release();

// Seams for tests: the program-files and application-data folders.
struct CmdLineSeams {
    int (*programFilesDir)(TCHAR *out, int capacity);  // length, 0 when none
    int (*appDataDir)(TCHAR *out, int capacity);       // length, 0 when none
    int (*programFilesX86Dir)(TCHAR *out, int capacity);  // the 32-bit one; may be null
};
extern CmdLineSeams g_cmdLineSeams;
