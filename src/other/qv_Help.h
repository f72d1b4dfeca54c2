// Help: the compiled help file beside the program, shown through HTML Help,
// with the help web address as the fallback.
#pragma once

#include <windows.h>

// Once: initialises HTML Help when `programFolder`\Quivelta.chm exists.
int Help_Init(LPCTSTR programFolder);
// Offers a message to the help viewer; TRUE when it took it.
BOOL Help_PreTranslate(MSG *message);
// Shows a topic (null or empty: the start page) with `owner` as owner.
int Help_ShowTopic(HWND owner, LPCTSTR topic);
// Closes every help window (the frame's destruction).
void Help_CloseAll();
// Uninitialises HTML Help (the end sequence).
void Help_Shutdown();

// The shown target, for tests: the chm path with "::/_RESOURCE/" and the
// topic, or the web address and topic.
int Help_BuildTarget(LPCTSTR programFolder, LPCTSTR topic, bool haveChm, TCHAR *out, int capacity);
