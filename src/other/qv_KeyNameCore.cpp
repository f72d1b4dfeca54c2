// The key-name parser and formatter are templates in the header; this file
// pins the two text units the program uses so both compile in every build.
#include "other/qv_KeyNameCore.h"

template int KeyName_ParseTable<char>(const char *, size_t, KeyNameTableT<char> *);
template int KeyName_ParseTable<char16_t>(const char16_t *, size_t, KeyNameTableT<char16_t> *);
