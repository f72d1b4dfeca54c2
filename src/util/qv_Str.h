// Text functions over the program's text unit (UTF-16 in Quivelta, the ANSI
// code page in Quivelta98). Null arguments are failure or the empty text as
// each function says; none shows a message.
#pragma once

#include <windows.h>

#include <cstdint>

// Binds StrCmpLogicalW when shlwapi 5.5 or later has it (UTF-16 build);
// 1 when bound. The ANSI build also installs the lead-byte test here.
int Str_InitLogicalCompare();

const TCHAR *Str_NextChar(const TCHAR *cursor);
const TCHAR *Str_PrevChar(const TCHAR *position, const TCHAR *start);
const TCHAR *Path_LastChar(int length, const TCHAR *s);
int Str_FitLength(int limit, const TCHAR *s);
int Str_TruncateInPlace(TCHAR *s, int limit);
int Str_CopyTruncated(const TCHAR *source, int limit, TCHAR *target);
void Str_CopyN(const TCHAR *source, int n, TCHAR *target);
void Str_CopyLower(int size, TCHAR *target, const TCHAR *source);
TCHAR *Str_Append(int capacity, TCHAR *buffer, const TCHAR *text);
int Str_Concat3(TCHAR *buffer, const TCHAR *a, const TCHAR *b, const TCHAR *c);
const TCHAR *Str_SkipSpace(const TCHAR *s);
const TCHAR *Str_SkipToDigit(const TCHAR *s);
const TCHAR *Str_SkipDigits(const TCHAR *s);
const TCHAR *Str_SkipSet(const TCHAR *s, const TCHAR *set);
const TCHAR *Str_FindAnyOf(const TCHAR *set, const TCHAR *s);
int Str_ReplaceAnyOf(TCHAR *s, const TCHAR *set, TCHAR replacement);

int Str_Compare(const TCHAR *a, const TCHAR *b);
int Str_CompareN(int n, const TCHAR *a, const TCHAR *b);
bool Str_EqualNoCase(const TCHAR *a, const TCHAR *b);
// Natural name order; a strict weak order in which different names never
// compare equal.
int Str_CompareNatural(const TCHAR *a, const TCHAR *b);

int32_t Str_ToInt(const TCHAR *s);
int32_t Str_ToIntChecked(const TCHAR *s, int *error, int isUnsigned);
void Str_FromInt(int32_t v, TCHAR *out);
void Str_FromUInt(uint32_t v, TCHAR *out);
int Str_FromUInt64(uint32_t high, uint32_t low, TCHAR *out);
int Str_ParseIntList(TCHAR *s, int n, int32_t *out);
int32_t Str_ParseFixed(int digits, const TCHAR *s, int isUnsigned);
int Str_FormatFixed(int32_t value, int digits, int isUnsigned, int keepZeros, TCHAR *out, int capacity);
int Str_FormatByteSize(uint32_t sizeLow, TCHAR *out, uint32_t sizeHigh, int capacity);
uint32_t Str_Hash(const TCHAR *s);

// Groups a number text by the user's locale (no decimals) into a 64-unit
// buffer; 0 when the locale facts were not read.
int Str_FormatNumberLocale(TCHAR *buffer, const TCHAR *number);

// The user's decimal separator (read once at start-up with the locale facts).
const TCHAR *Str_DecimalSeparator();
void Str_SetDecimalSeparator(const TCHAR *separator);
