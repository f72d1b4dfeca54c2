// The questions and refusals before a file is written over: the overwrite
// confirmation, the read-only refusal and the report of a failed write.
#pragma once

#include <windows.h>

// Joins the pieces (a list ending with null) into one path, which must be
// shorter than outChars. When something of that name exists, asks whether to
// overwrite it (Yes / No, No the default). 1 go on (the path copied to out
// when given), 0 stop: declined, or the path does not fit.
int SaveFileDlg_ConfirmOverwrite(TCHAR *out, const TCHAR *const *pieces, HWND owner, int outChars);

// 1 refuse, after telling the user: the file exists and is read-only.
// 0 go on: no such file, or it may be replaced.
int SaveFileDlg_CheckReadOnly(const TCHAR *path, HWND owner);

// The error report of a writer that failed on path.
void SaveFileDlg_ReportWriteFailed(const TCHAR *path, HWND owner);
