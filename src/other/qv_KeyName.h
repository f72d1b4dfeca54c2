// Display names of keys ("Ctrl+Shift+A", "PageDown") from the key-name
// resource of the build.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int kKeyNameChars = 512;

// 1 ok, 0 failure, -1 already loaded.
int KeyName_LoadTable();
bool KeyName_IsLoaded();
// Fills out (kKeyNameChars) with the text of key+flags; its length, 0 when
// the key has no text, -1 without a table or out (a given out is emptied).
int KeyName_Format(uint16_t key, TCHAR *out, uint8_t flags, int allowUnknown);
// The code itself for 0-9 and A-Z, else 0.
int KeyName_CharKeyCode(int code);
