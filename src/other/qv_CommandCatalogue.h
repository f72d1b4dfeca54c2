// The command catalogue: every command id of the program with its name, from
// menu 61 (commands without a menu item) and a private copy of menu 60. The
// key and mouse customisation show it as a tree; the mouse table asks it
// whether an id is known.
#pragma once

#include <windows.h>

constexpr int kCatalogueSlots = 35;

// Builds the catalogue once; a second call returns 1 at once. 1 ok, 0
// failure (nothing is kept). Menu_GetCommandText builds it on first use.
int Menu_BuildCommandMenus();
// Destroys the catalogue (end of the run, tests).
void Menu_DestroyCommandMenus();
// The catalogue root (menu 61 with the copy of menu 60 inside), null before
// it is built.
HMENU Menu_GetCommandRoot();
// The submenu of slot 0..34, null outside or before the build.
HMENU Menu_GetCommandSlot(int slot);
// The slot whose submenu holds the id as its own item, -1 none.
int Menu_FindCommandSlot(unsigned id);

// existsOnly: 1 when id is a known command, else 0. Otherwise copies the item
// text into text (size characters) and, when parentText is given, the text
// of the submenu's item in its parent (empty under the catalogue root);
// returns the text length, 0 (texts emptied) when the id is unknown.
int Menu_GetCommandText(unsigned id, TCHAR *text, int size, TCHAR *parentText, int size2, int existsOnly);

// The command name without mnemonic marks and key text, in place; its length.
int Menu_StripMnemonic(TCHAR *text);
