// The recent-folder list is a set of templates in the header; this file pins
// the two text units the program uses so both compile in every build.
#include "other/qv_MruCore.h"

template int Mru_AddT<char>(RecentFolderListT<char> *, const char *, const char *);
template int Mru_AddT<char16_t>(RecentFolderListT<char16_t> *, const char16_t *, const char16_t *);
template int Mru_ResizeT<char>(RecentFolderListT<char> *, int32_t);
template int Mru_ResizeT<char16_t>(RecentFolderListT<char16_t> *, int32_t);
