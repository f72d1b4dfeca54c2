// Shared pieces of the DLL layer: the export macro, the path type of each
// flavour, and whole-file reading and safe writing.
#pragma once

#include <windows.h>

#include "bytes.h"
#include "dib_records.h"

#define DIBCORE_API extern "C" __declspec(dllexport)

#if DIBCORE_UTF16
using DibPath = const wchar_t *;
#else
using DibPath = const char *;
#endif

// Reads a whole file into `out`; false when it cannot be opened or read, or is
// larger than the library accepts (1 GiB).
bool Dll_ReadFile(DibPath path, dibcore::ByteBuffer *out);

// Writes `bytes` to `path` through a temporary file in the same folder that
// replaces the target only when complete, so a failed write never leaves a
// user's file half written.
bool Dll_WriteFile(DibPath path, const dibcore::ByteBuffer &bytes);
