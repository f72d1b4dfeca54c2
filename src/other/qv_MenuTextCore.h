// Text rules of menu items: the command name without its mnemonic marks and
// key text, the key name written after a TAB, and the selection-grid names.
// Written over the text unit type so both builds and the native tests share
// them.
#pragma once

#include <cstddef>
#include <cstdint>

// Longest item text, terminator included, that may carry a key name.
constexpr size_t kMenuKeyTextUnits = 768;

// Cuts the text at its TAB; removes every "(&X)" group (at the very start
// together with the blanks after it); then removes single "&" marks, keeping
// one "&" of each "&&". In place; the new length (0 for null).
template <class Ch>
size_t MenuText_StripMnemonic(Ch *text);

// Cuts text (capacity units) at its first TAB and, when name is not empty and
// text, TAB and name fit in kMenuKeyTextUnits units (and capacity), appends a
// TAB and the name. The new length.
template <class Ch>
size_t MenuText_SetKeyName(Ch *text, size_t capacity, const Ch *name);

// The field of the grid-name string (TAB separated: free, 2 x 2, ...,
// custom) for a selection-grid option value 1, 2, 4, 8, 16, 32 or 0; -1 for
// other values.
int MenuText_GridField(int32_t grid);

// Copies field `index` of a TAB-separated text into out (capacity units). 1
// when the field exists and fits, else 0 (out empty).
template <class Ch>
int MenuText_Field(const Ch *text, int index, Ch *out, size_t capacity);
