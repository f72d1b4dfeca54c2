// The live mouse table and the view's mouse messages turned into commands:
// clicks, double clicks and the wheel post the command the table holds for
// them (held-button chords included), buttons that own a drag mode start and
// end their drags, and moves drive hover scrolling. The table is stored as
// the "Mous" chunk of Custom.dat.
#pragma once

#include <windows.h>

#include "other/qv_CustomFile.h"
#include "other/qv_MouseCore.h"

// Built with the defaults before start-up; the chunk replaces them when present.
extern MouseSettings g_mouse;

// Binds the target (frame) and view windows and joins the view's mouse
// messages through its hooks.
void Mouse_Attach(HWND target, HWND view);

// Message entry points (button 0..4, MK flags, client point).
void Mouse_OnButtonDown(int button, WPARAM keys, LPARAM point);
void Mouse_OnButtonUp(int button, WPARAM keys, LPARAM point);
// 1 when the double click ran a command; otherwise it acted as a press.
int Mouse_OnDoubleClick(int button, HWND window, WPARAM keys, LPARAM point);
// WM_MOUSEWHEEL's wParam: MK flags in the low word, the delta in the high word.
void Mouse_OnWheel(WPARAM wParam);
void Mouse_OnMove(WPARAM keys, LPARAM point);

// Posts WM_COMMAND id to the target; 0 without a target or id.
int Mouse_PostCommand(UINT id);

// With the cursor over the view, scrolls so that its place in the client
// matches its place in the picture. fromMessage: keys are the message's MK
// flags (else the buttons are asked). 1 positioned (*moved when a position
// changed), 0 off, -1 no scroll state, -2 the cursor could not be read.
int Mouse_HoverScroll(WPARAM keys, int fromMessage, int *moved);

// Reads the "Mous" chunk into the live table, only when it is whole. file
// null: opens Custom.dat itself. 0 ok; 255 open failed; 254 no chunk; 1 wrong
// length; 3 read failed; 4 bad first word.
int Mouse_LoadChunk(CustomFile *file);
// Writes the live table as the "Mous" chunk. 0 ok, else the failing step
// (the user has been told).
int Mouse_SaveChunk();

// Clears every cell whose command is not in the command catalogue.
void Mouse_DropUnknownCommands(MouseSettings *s);
// 1 when the drag modes or a cell differ from the live table.
int Mouse_IsChanged(const MouseSettings *s);
