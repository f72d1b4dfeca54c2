// Pictures to and from the clipboard as CF_DIB (a packed DIB in movable
// shared global memory) and the file-name texts of commands 40421..40425.
// Nothing here shows a message; callers report, Clip_ReportDamaged for a
// clipboard picture that fails its size check.
#pragma once

#include <windows.h>

#include <cstdint>

#include "image/qv_DibHolder.h"

// Results of Clip_GetImage and Clip_PasteIntoImage besides 1 (done) and 0
// (failed, nothing on the clipboard, or a picture the program cannot hold).
// Callers test for 1, and tell the user with Clip_ReportDamaged on this one.
constexpr int kClipDamaged = -1;  // the clipboard DIB claims more than its block holds

// Results of Clip_CopyImage.
constexpr int kClipCopied = 0;
constexpr int kClipTooLarge = 1;  // over the copy limit (or no limit could be found)
constexpr int kClipCopyFailed = -1;

// Physical memory in bytes (0xFFFFFFFF for 4 GB or more) used for the copy
// limit; tests replace it so that no test needs a huge picture.
extern uint32_t (*g_clipPhysicalMemory)();

// Open, empty, close; 1 when emptying worked.
int Clip_Empty(HWND window);
// Open, empty, SetClipboardData, close. The handle on success; null when it
// failed, and the caller still owns (and frees) its block.
HANDLE Clip_SetData(HWND window, UINT format, HANDLE data);
// `length` characters of `text` put on the clipboard as text (UTF-16 in the
// Unicode build, CF_TEXT bytes in the ANSI build), NUL-terminated. Any
// failure frees the block, empties the clipboard and gives 0.
int Clip_SetText(int32_t length, HWND window, const TCHAR *text);

// The picture, or the rectangle of it cut to the picture (null: all), as
// CF_DIB: kClipCopied, kClipTooLarge or kClipCopyFailed.
int Clip_CopyImage(const DibHolder &picture, HWND window, const SelRect *rect);
// Into an empty holder: 1 when it received the clipboard picture, 0 when
// there is none or it cannot be made, kClipDamaged.
int Clip_GetImage(DibHolder &holder, HWND window);
// The clipboard picture pasted into the rectangle of the target (clipped to
// both). A picture of another layout turns the target into 24 bits first.
// 1 pasted, 0 failed, kClipDamaged (the target is untouched).
int Clip_PasteIntoImage(HWND window, DibHolder &target, int32_t left, int32_t top, int32_t right,
                        int32_t bottom);
// Shows that the clipboard picture is damaged and was refused.
void Clip_ReportDamaged(HWND owner);

// Commands 40421..40425: the current file's name, full path, the listed
// folder's name, its path, the short path. 1 when a text was put on the
// clipboard; 0 when there is no such text (the clipboard is emptied) or it
// failed.
int Clip_CopyPathText(UINT command, HWND window);
// The command block handler: Clip_CopyPathText, then the paste state.
int Clip_OnCopyNameText(HWND frame, UINT id);
