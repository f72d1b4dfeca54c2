// Texts from the program's string table.
#pragma once

#include <windows.h>

// Loads string `id` into out (capacity characters); returns its length, and
// leaves out empty on failure.
int Res_LoadText(TCHAR *out, UINT id, int capacity);
