// The one error report for internal failures, and message boxes built from
// string-table texts of the form caption, TAB, text.
#pragma once

#include <windows.h>

#include <cstdint>

// Shown text buffer of the error report, in characters.
constexpr int kReportChars = 292;
// Fatal reports shown per run; later ones are silent.
constexpr int kMaxFatalReports = 4;

// `source` is the reporting module's source path (its base name is shown with
// the number). Fatal reports set the no-save flag once the box is closed.
// Returns the box result, or 0 when a fatal report was suppressed.
int Msg_ReportError(LPCTSTR source, HWND owner, LPCTSTR message, int32_t number, int fatal);

// Composes the report text into out (kReportChars); exposed for tests.
void Msg_ComposeReport(LPCTSTR source, LPCTSTR message, int32_t number, TCHAR *out);

// Loads string `id`, splits it at its first TAB; returns the index of the text
// part, or -1 (missing, empty, too long for the buffer, or no TAB).
int Msg_LoadCaptionText(int capacity, TCHAR *buffer, UINT id);

// A box from a string-table text; "$aptt" in the text becomes the program
// title when asked. 0 when the string is missing or has no TAB.
int Msg_BoxById(HWND owner, UINT id, UINT type, int replaceTitle);

// A box from a string-table text (caption, TAB, text with one %s) with
// insert in place of the %s; insert is a path or name of at most MAX_PATH
// characters. 0 when the string is missing or has no TAB.
int Msg_BoxWithInsert(HWND owner, UINT id, const TCHAR *insert, UINT type);

// Caption = program title, a blank and the suffix.
int Msg_Box(LPCTSTR captionSuffix, HWND owner, LPCTSTR text, UINT type);

// Shows a string-table text as an error report with no source and number.
int Msg_ErrorFromString(HWND owner, UINT id, int fatal);

// Replaces the first "$aptt" in text (capacity characters) by the program title.
int Str_ReplaceAppTitle(TCHAR *text, int capacity);

// Fatal reports shown so far (tests reset it).
int32_t Msg_FatalReportCount();
void Msg_ResetForTests();
