// Path functions over the program's text unit. Both backslash and slash
// separate components.
#pragma once

#include <windows.h>

class StrBuf;
struct OwnedBuffer;

bool Path_IsSeparator(TCHAR c);
bool Path_IsAbsolute(const TCHAR *path);
bool Path_Exists(const TCHAR *path);
bool Dir_Exists(const TCHAR *path);

// Root-relative parts of a path (see qvtext::Split); 1/0.
int Path_Split(const TCHAR *path, const TCHAR **afterRoot, const TCHAR **lastFolder, const TCHAR **name,
               const TCHAR **extension);

// Appends piece with one separator between; returns the join point or null.
TCHAR *Path_Append(int capacity, TCHAR *buffer, const TCHAR *piece, int allowTruncation);
// The same over ANSI text in a 402-byte buffer, for paths handed to plug-ins.
char *Path_AppendAnsi(char *buffer402, const char *piece);

int Path_AddTrailingSep(int backslash, TCHAR *path);
int Path_RemoveTrailingSep(TCHAR *path);

// Resolves relative against base into the StrBuf (or, without one, the owned
// buffer). Returns length + 1, 0 for no result, -1 on failure.
int Path_MakeAbsolute(const TCHAR *relative, const TCHAR *base, OwnedBuffer *owned, StrBuf *buffer);

int Path_CompareForSort(const TCHAR *a, const TCHAR *b, int natural);
int Path_ComparePaths(const TCHAR *a, const TCHAR *b, int fold);
bool Path_IsSame(int fold, const TCHAR *a, const TCHAR *b);
int Path_Relation(const TCHAR *a, const TCHAR *b);
