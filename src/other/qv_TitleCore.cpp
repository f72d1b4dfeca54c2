// The title rules for each text unit the programs and tests use.
#include "other/qv_TitleCore.h"

template bool Title_Compose<char>(char *, size_t, const TitleFacts<char> &, const TitleTexts<char> &, bool);
template bool Title_Compose<wchar_t>(wchar_t *, size_t, const TitleFacts<wchar_t> &, const TitleTexts<wchar_t> &,
                                     bool);
template bool TitleCore_ShortenPath<char>(char *, const char *, size_t);
template bool TitleCore_ShortenPath<wchar_t>(wchar_t *, const wchar_t *, size_t);
