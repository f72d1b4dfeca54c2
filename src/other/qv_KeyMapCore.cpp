#include "other/qv_KeyMapCore.h"

#include <cstdlib>
#include <cstring>

#include "other/qv_CustomCore.h"

namespace {

int ClampedCount(const KeyBinding &r) {
    return r.count <= 0 ? 0 : (r.count > kKeysPerCommand ? kKeysPerCommand : r.count);
}

bool SameKey(uint8_t storedFlags, uint16_t storedKey, uint8_t flags, uint16_t key) {
    return storedKey == key && (storedFlags & kKeyCompareMask) == (flags & kKeyCompareMask);
}

// Index of key+flags in the record (compare rules), -1 none.
int FindKeyIndex(const KeyBinding &r, uint8_t flags, uint16_t key) {
    const int n = ClampedCount(r);
    for (int i = 0; i < n; ++i)
        if (SameKey(r.flags[i], r.key[i], flags, key)) return i;
    return -1;
}

}  // namespace

int KeyMap_FindCommand(const KeyTable *table, uint16_t command, uint8_t flags, uint16_t key, int byKey) {
    if (table == nullptr || table->items == nullptr) return -1;
    for (int32_t i = 0; i < table->count; ++i) {
        const KeyBinding &r = table->items[i];
        if (!byKey) {
            if (r.command == command) return i;
        } else if (r.command != command && FindKeyIndex(r, flags, key) >= 0) {
            return i;
        }
    }
    return -1;
}

int KeyMap_RemoveKey(KeyBinding *record, int index, uint8_t flags, uint16_t key) {
    if (record == nullptr) return -1;
    const int n = ClampedCount(*record);
    if (n == 0) return 0;
    if (index < 0) {
        index = -1;
        for (int i = 0; i < n; ++i)
            if (record->key[i] == key && record->flags[i] == flags) {
                index = i;
                break;
            }
        if (index < 0) return -1;
    } else if (index >= n) {
        return -1;
    }
    for (int i = index; i + 1 < n; ++i) {
        record->flags[i] = record->flags[i + 1];
        record->key[i] = record->key[i + 1];
    }
    record->flags[n - 1] = 0;
    record->key[n - 1] = 0;
    record->count = int16_t(n - 1);
    return n - 1;
}

int KeyMap_RemoveConflicts(KeyTable *table, uint16_t exceptCommand, uint8_t flags, uint16_t key) {
    int removed = 0;
    for (;;) {
        const int at = KeyMap_FindCommand(table, exceptCommand, flags, key, 1);
        if (at < 0) break;
        KeyBinding &r = table->items[at];
        // Remove the very key the search matched (its stored flags may differ
        // in the ignored bit), so every round removes one key or stops.
        const int which = FindKeyIndex(r, flags, key);
        if (which < 0 || KeyMap_RemoveKey(&r, which, 0, 0) < 0) break;
        ++removed;
    }
    return removed;
}

int KeyMap_Alloc(KeyTable *table, int32_t n) {
    if (table == nullptr) return 0;
    KeyMap_Free(table);
    if (n <= 0) return 0;
    auto *items = static_cast<KeyBinding *>(std::calloc(size_t(n), sizeof(KeyBinding)));
    if (items == nullptr) return 0;
    table->items = items;
    table->count = n;
    return 1;
}

void KeyMap_Free(KeyTable *table) {
    if (table == nullptr) return;
    std::free(table->items);
    table->items = nullptr;
    table->count = 0;
}

void KeyMap_Move(KeyTable *dst, KeyTable *src) {
    if (dst == src) return;
    KeyMap_Free(dst);
    dst->items = src->items;
    dst->count = src->count;
    src->items = nullptr;
    src->count = 0;
}

void KeyMap_ApplyDefaults(KeyTable *table, KeyTable *defaults) {
    if (table == nullptr || defaults == nullptr || defaults->count <= 0 || defaults->items == nullptr) return;
    for (int32_t i = 0; i < table->count; ++i) {
        KeyBinding &r = table->items[i];
        r.count = 0;
        if (r.command == 0) continue;
        const int d = KeyMap_FindCommand(defaults, r.command, 0, 0, 0);
        if (d < 0) continue;
        r = defaults->items[d];
        // Each default record serves once: later records of the same command
        // stay without keys.
        defaults->items[d] = defaults->items[defaults->count - 1];
        --defaults->count;
    }
}

// ------------------------------------------------------------ "Keys" chunk

int KeyMap_ParseChunk(const uint8_t *data, uint32_t length, int requiredTextForm, KeyAnsiToWide convert, KeyTable *out) {
    if (data == nullptr || length < 12) return 1;
    if (Custom_GetU32(data) != 0) return 4;
    const uint16_t textForm = Custom_GetU16(data + 4);
    uint32_t declared = Custom_GetU16(data + 6);
    if (requiredTextForm >= 0 && textForm != requiredTextForm) return 5;
    if (declared == 0) {
        KeyMap_Free(out);
        return 0;
    }
    if (declared & 0x8000u) declared = 0x7FFF;
    KeyTable taken{0, nullptr};
    if (!KeyMap_Alloc(&taken, int32_t(declared))) return 6;
    int32_t n = 0;
    uint32_t pos = 8;
    while (length - pos >= 4 && uint32_t(n) < declared) {
        const uint16_t command = Custom_GetU16(data + pos);
        const uint16_t keys = Custom_GetU16(data + pos + 2);
        pos += 4;
        // A record that claims more than remains ends the reading; the ones
        // before it are kept.
        if (keys < 1 || keys > kKeysPerCommand || length - pos < 3u * keys) break;
        KeyBinding &r = taken.items[n];
        r.command = command;
        int16_t kept = 0;
        for (uint16_t k = 0; k < keys; ++k) {
            const uint8_t flags = data[pos + k] & kKeyCompareMask;
            uint16_t code = Custom_GetU16(data + pos + keys + 2u * k);
            if (!(flags & kKeyVirt) && textForm != kKeyTextUtf16 && convert != nullptr) {
                uint16_t wide = 0;
                if (!convert(code, &wide)) continue;  // not a character of the code page: that key goes
                code = wide;
            }
            r.flags[kept] = flags;
            r.key[kept] = code;
            ++kept;
        }
        pos += 3u * keys;
        r.count = kept;
        if (kept > 0) ++n;
        else r = KeyBinding{};
    }
    if (n == 0) {
        KeyMap_Free(&taken);
        KeyMap_Free(out);
        return 0;
    }
    taken.count = n;
    KeyMap_Move(out, &taken);
    return 0;
}

namespace {

uint32_t RecordsSize(const KeyTable *table, uint32_t *records) {
    uint32_t bytes = 0, n = 0;
    for (int32_t i = 0; table != nullptr && table->items != nullptr && i < table->count; ++i) {
        const int c = ClampedCount(table->items[i]);
        if (c == 0) continue;
        ++n;
        bytes += 4 + 3u * uint32_t(c);
    }
    *records = n;
    return bytes;
}

}  // namespace

uint32_t KeyMap_ChunkSize(const KeyTable *table) {
    uint32_t records = 0;
    const uint32_t body = 8 + RecordsSize(table, &records) + 4;
    if (records > 0xFFFF) return 0;
    return body + (4 - body % 4) % 4;
}

uint32_t KeyMap_ComposeChunk(const KeyTable *table, uint16_t textForm, uint8_t *out, uint32_t capacity) {
    const uint32_t size = KeyMap_ChunkSize(table);
    if (size == 0 || out == nullptr || capacity < size) return 0;
    uint32_t records = 0;
    const uint32_t recordBytes = RecordsSize(table, &records);
    Custom_PutU32(out, 0);
    Custom_PutU16(out + 4, textForm);
    Custom_PutU16(out + 6, uint16_t(records));
    uint8_t *p = out + 8;
    for (int32_t i = 0; records != 0 && i < table->count; ++i) {
        const KeyBinding &r = table->items[i];
        const int c = ClampedCount(r);  // a ninth key is never saved
        if (c == 0) continue;
        Custom_PutU16(p, r.command);
        Custom_PutU16(p + 2, uint16_t(c));
        p += 4;
        for (int k = 0; k < c; ++k) *p++ = r.flags[k];
        for (int k = 0; k < c; ++k, p += 2) Custom_PutU16(p, r.key[k]);
    }
    const uint32_t padding = size - (8 + recordBytes + 4);
    Custom_PutU32(p, padding);
    std::memset(p + 4, 0, padding);
    return size;
}

// --------------------------------------------------------- accelerators

int32_t KeyMap_AccelCount(const KeyTable *table) {
    int32_t n = 0;
    for (int32_t i = 0; table != nullptr && table->items != nullptr && i < table->count; ++i)
        n += ClampedCount(table->items[i]);
    return n;
}

int32_t KeyMap_BuildAccelEntries(const KeyTable *table, AccelEntry *out, int32_t capacity) {
    int32_t n = 0;
    for (int32_t i = 0; table != nullptr && table->items != nullptr && i < table->count; ++i) {
        const KeyBinding &r = table->items[i];
        const int c = ClampedCount(r);
        for (int k = 0; k < c && n < capacity; ++k, ++n) out[n] = AccelEntry{r.flags[k], 0, r.key[k], r.command};
    }
    return n;
}
