// A renamed file takes its new names in the current file list in place.
#pragma once

#include <windows.h>

#include "image/qv_FileList.h"

// The entry of oldName in a folder list takes newName, which the file must
// already carry on disk, with the system's new 8.3 name; hashes, type and
// picture numbers follow. The entry keeps its index. 1/0.
int FileList_RenameEntry(const TCHAR *oldName, FileList *list, const TCHAR *newName);
