// The file list's settings taken from the settings store, so that the list
// itself reads no globals.
#pragma once

#include "image/qv_FileList.h"

// Sort order (SortType, SortDsnd), natural order (SortFNXP and the system
// version), which hidden and system files are listed (LoadFAHid, LoadFASys,
// LoadFA_HS) and the plug-in priority (SpiPrior).
void FileList_SettingsFromOptions(FileListSettings *out);
