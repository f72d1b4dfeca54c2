// The live key map of the program, its file and resource forms, and the
// accelerator table built from it.
#pragma once

#include <windows.h>

#include "other/qv_KeyMapCore.h"

struct CustomFile;

// The live map (empty until start-up reads it).
extern KeyTable g_keyMap;

// Reads the "Keys" chunk into table (replaced only on success). file null:
// opens Custom.dat itself. 0 ok; 255 open failed; 254 no chunk; 1 chunk
// shorter than 12 bytes; 3 read failed; 4 first data word not 0; 5 text form
// of the other build (ANSI build only); 6 no memory.
int KeyMap_Load(KeyTable *table, CustomFile *file);
// Writes the live map as the "Keys" chunk. 0 ok, else the failing step.
int KeyMap_SaveChunk();
// Reads this build's default map resource. 0 ok; -1 resource missing or
// empty; 1 not loadable; 2 memory open failed; 3 parse failed; 254 no chunk.
int KeyMap_LoadDefault(KeyTable *table);
// Replaces the keys of every command of table by the default map's.
void KeyMap_ResetToDefault(KeyTable *table);
// Builds the accelerator table of the live map and installs it; 1 ok, 0 failed.
int KeyMap_BuildAccelerators();
// Installs the entries as the program's accelerator table (none for 0 or
// null). The old table is destroyed only after the new one exists; 1 ok, 0
// failed (the old one stays).
int KeyMap_InstallAccelerators(const AccelEntry *entries, int32_t count);

// Start-up: reads Custom.dat (mouse and keys) under the configuration lock,
// falling back to the default key map. Always 0: a missing customisation is
// not a start-up failure.
int KeyMap_StartupRead();
// Start-up: the default map when nothing was read, then the accelerators.
int KeyMap_StartupAccelerators();
