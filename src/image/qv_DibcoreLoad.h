// Loads data\dibcore.dll from the program folder and binds its entry points
// into g_dibcore (qv_DibApi.h).
#pragma once

#include <windows.h>

// 1 bound; -1 failed after reporting (the caller stops quietly); 0 failed
// silently (the caller reports its own number).
int Dibcore_Load(const TCHAR *programFolder);
// Frees the module and clears the table (tests load several libraries).
void Dibcore_UnloadForTests();
