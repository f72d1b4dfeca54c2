// The key map as plain data: the binding records, the "Keys" chunk reader
// and writer, the search and edit operations and the accelerator entry list.
// No Win32 here; the program's Win32 side (qv_KeyMap) feeds it bytes and
// turns its entry list into an accelerator table.
#pragma once

#include <cstddef>
#include <cstdint>

struct KeyBinding {            // one command and its keys
    uint16_t command;          // command id (ids run from 40001 to 65535, so unsigned)
    int16_t count;             // keys 0..8
    uint8_t flags[8];          // kKeyVirt/kKeyShift/kKeyCtrl/kKeyAlt; 0x02 ignored in compares
    uint16_t key[8];           // virtual-key code, or a UTF-16 character without kKeyVirt
};
static_assert(sizeof(KeyBinding) == 28, "KeyBinding is shared with the key dialogs and tests as 28 bytes");
static_assert(offsetof(KeyBinding, flags) == 4 && offsetof(KeyBinding, key) == 12, "KeyBinding layout");

struct KeyTable {
    int32_t count;
    KeyBinding *items;
};

constexpr uint8_t kKeyVirt = 0x01, kKeyShift = 0x04, kKeyCtrl = 0x08, kKeyAlt = 0x10;
// The bits a stored key may carry; others are dropped when a map is read.
constexpr uint8_t kKeyFlagMask = kKeyVirt | 0x02 | kKeyShift | kKeyCtrl | kKeyAlt;
// The bits that make two keys the same key.
constexpr uint8_t kKeyCompareMask = kKeyVirt | kKeyShift | kKeyCtrl | kKeyAlt;
constexpr int kKeysPerCommand = 8;

// Index of the record of `command` (byKey 0) or of the first record of a
// different command holding key+flags (byKey 1; bit 0x02 of flags ignored);
// -1 none.
int KeyMap_FindCommand(const KeyTable *table, uint16_t command, uint8_t flags, uint16_t key, int byKey);

// Removes the key at `index`, or with a negative index the key equal to `key`
// with exactly these flags; later keys move down. New count, 0 when the record
// had no keys, -1 when the index is out of range or the key is not found.
int KeyMap_RemoveKey(KeyBinding *record, int index, uint8_t flags, uint16_t key);

// Takes key+flags away from every command but `exceptCommand`. Stops at the
// first removal that fails, so a key that cannot be removed never loops.
// Returns the number of keys removed.
int KeyMap_RemoveConflicts(KeyTable *table, uint16_t exceptCommand, uint8_t flags, uint16_t key);

// Table storage, owned by the table (the C heap, so the core also builds
// natively). Alloc frees any old array first and refuses n <= 0; the records
// start zeroed. 1 ok, 0 refused or no memory.
int KeyMap_Alloc(KeyTable *table, int32_t n);
void KeyMap_Free(KeyTable *table);
// Replaces `dst` by `src`'s records (ownership moves; src is left empty).
void KeyMap_Move(KeyTable *dst, KeyTable *src);

// Keys of every command of `table` replaced by those of `defaults` (each
// default record used at most once); nothing changes when defaults is empty.
// The defaults table is consumed.
void KeyMap_ApplyDefaults(KeyTable *table, KeyTable *defaults);

// ------------------------------------------------------------ "Keys" chunk

// Text form of character keys in the chunk.
constexpr uint16_t kKeyTextAnsi = 0, kKeyTextUtf16 = 1;

// Converts one ANSI character key (a byte) to UTF-16; false when the byte is
// not a character of the code page. Null: the byte is taken unchanged.
using KeyAnsiToWide = bool (*)(uint16_t code, uint16_t *wide);

// Parses chunk data (from its u32 0 on) into `out` (replaced only on
// success). requiredTextForm < 0: any form, ANSI forms converted with
// `convert`; otherwise that form only (step 5 when it differs).
// 0 ok; 1 data shorter than 12 bytes; 4 first word not 0; 5 wrong text form;
// 6 no memory.
int KeyMap_ParseChunk(const uint8_t *data, uint32_t length, int requiredTextForm, KeyAnsiToWide convert, KeyTable *out);

// Size of the chunk data KeyMap_ComposeChunk writes; 0 when the table has
// more than 65535 commands with keys.
uint32_t KeyMap_ChunkSize(const KeyTable *table);
// Writes the chunk data (capacity >= KeyMap_ChunkSize) and returns its size,
// 0 on failure.
uint32_t KeyMap_ComposeChunk(const KeyTable *table, uint16_t textForm, uint8_t *out, uint32_t capacity);

// --------------------------------------------------------- accelerators

struct AccelEntry {            // the layout of a Windows ACCEL entry
    uint8_t fVirt;
    uint8_t pad;
    uint16_t key;
    uint16_t cmd;
};
static_assert(sizeof(AccelEntry) == 6, "ACCEL entries are 6 bytes");

// Number of accelerator entries the table gives.
int32_t KeyMap_AccelCount(const KeyTable *table);
// Fills `out` (capacity entries) in table order; returns the count written.
int32_t KeyMap_BuildAccelEntries(const KeyTable *table, AccelEntry *out, int32_t capacity);
