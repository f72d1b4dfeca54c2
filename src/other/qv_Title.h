// The frame's title text (rules in qv_TitleCore.h, texts from the string
// table).
#pragma once

#include <windows.h>

#include "other/qv_TitleCore.h"

// Builds the title into out (capacity characters). Without anything to name
// it is the program title, or empty when emptyWhenNothing. 1/0.
int Title_Build(TCHAR *out, const TitleFacts<TCHAR> &facts, int capacity, int emptyWhenNothing);

// Shortens a path into out (limit characters, terminator included; a path
// shorter than that is kept). 1/0.
int Title_ShortenPath(TCHAR *out, const TCHAR *path, int limit = int(kTitleShortPathUnits));

// Builds the title from the current picture and list and sets it on the
// frame.
void Title_Update();

// Whether the status bar exists to show the picture's position; until it is
// part of the program (null) the title shows the position.
extern bool (*g_titleStatusBarPresent)();
