// The Meko table of the run: data\mekorand.dat of the program folder, read
// on the first Meko mask, checked (signature, length, CRC-32) and kept in a
// movable global block, locked once, until the program ends. A failed load
// leaves no table, and the next mask tries again.
#pragma once

#include <windows.h>

#include "image/qv_MekoTable.h"

// Loads the table from the program folder: 1, or 0 with no table.
int Meko_LoadTable();
// The same from another folder (the program folder is where it belongs;
// tests pass a folder of their own). Any old table is released first.
int Meko_LoadTableFrom(const TCHAR *programFolder);
// Releases the table; nothing when there is none.
void Meko_FreeTable();
// The table now held: false when none is loaded.
bool Meko_HeldTable(MekoTable *out);

// Makes the cell masks take their table from here, loading it on first use.
void Meko_InstallTableSource();
