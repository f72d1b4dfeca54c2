// The key-name table and the display text of a key, written once over the
// text unit: UTF-16 units for the program's own table, bytes of the ANSI code
// page for the ANSI build's. No Win32 here.
//
// Table text, one item per line (CR LF, a lone LF is taken too):
//   K                      entry count in hexadecimal, 1..0x7F00
//   code<sep>name          K times: hexadecimal virtual-key code, one
//                          separating character, a name of 1+ characters
//   <...                   a line starting with '<', ignored
//   separator              placed between modifier names and the key name
//   unknown                the text of a key with no name; a line break ends it
// The entries of Shift (0x10), Ctrl (0x11) and Alt (0x12) must be present.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

constexpr uint32_t kKeyNameMaxEntries = 0x7F00;
// Size limits of the resource in bytes.
constexpr uint32_t kKeyNameMinBytes = 4, kKeyNameMaxBytes = 65535;
constexpr uint16_t kVkShift = 0x10, kVkCtrl = 0x11, kVkAlt = 0x12;

template <class Ch>
struct KeyNameEntryT {
    int32_t code;
    const Ch *name;  // into the table's block
};

template <class Ch>
struct KeyNameTableT {
    int32_t count = 0;
    KeyNameEntryT<Ch> *entries = nullptr;
    Ch *block = nullptr;  // all texts, each ended by 0
    const Ch *separator = nullptr;
    const Ch *unknown = nullptr;
    int shift = -1, ctrl = -1, alt = -1;  // entry indexes

    KeyNameTableT() = default;
    ~KeyNameTableT() { Clear(); }
    KeyNameTableT(const KeyNameTableT &) = delete;
    KeyNameTableT &operator=(const KeyNameTableT &) = delete;
    void Clear() {
        std::free(entries);
        std::free(block);
        count = 0;
        entries = nullptr;
        block = nullptr;
        separator = unknown = nullptr;
        shift = ctrl = alt = -1;
    }
    bool Loaded() const { return block != nullptr; }
};

namespace keyname_detail {

template <class Ch>
int HexDigit(Ch c) {
    const uint32_t u = uint32_t(static_cast<std::make_unsigned_t<Ch>>(c));
    if (u >= '0' && u <= '9') return int(u - '0');
    if (u >= 'A' && u <= 'F') return int(u - 'A' + 10);
    if (u >= 'a' && u <= 'f') return int(u - 'a' + 10);
    return -1;
}

// Splits the block into lines in place: each line end becomes 0. Returns the
// start of the next line or null when the text has no more line break.
template <class Ch>
Ch *CutLine(Ch *line, Ch *end) {
    for (Ch *p = line; p < end; ++p) {
        if (*p == Ch('\n')) {
            *p = 0;
            if (p > line && p[-1] == Ch('\r')) p[-1] = 0;
            return p + 1;
        }
    }
    return nullptr;
}

// Hexadecimal number at the start of line: value and the units it took (0
// when none or above limit).
template <class Ch>
size_t ParseHex(const Ch *line, uint32_t limit, uint32_t *value) {
    uint32_t v = 0;
    size_t n = 0;
    for (int d; (d = HexDigit(line[n])) >= 0; ++n) {
        v = v * 16 + uint32_t(d);
        if (v > limit) return 0;
    }
    *value = v;
    return n;
}

}  // namespace keyname_detail

// Parses `units` text units (no byte-order mark) into table. 1 ok, 0 failure
// (the table is left empty).
template <class Ch>
int KeyName_ParseTable(const Ch *text, size_t units, KeyNameTableT<Ch> *table) {
    using namespace keyname_detail;
    table->Clear();
    if (text == nullptr || units == 0 || units > kKeyNameMaxBytes) return 0;
    Ch *block = static_cast<Ch *>(std::malloc((units + 1) * sizeof(Ch)));
    if (block == nullptr) return 0;
    std::memcpy(block, text, units * sizeof(Ch));
    block[units] = 0;
    Ch *const end = block + units;
    KeyNameEntryT<Ch> *entries = nullptr;
    auto fail = [&]() {
        std::free(block);
        std::free(entries);
        return 0;
    };
    Ch *line = block;
    Ch *next = CutLine(line, end);
    uint32_t count = 0;
    const size_t digits = ParseHex(line, kKeyNameMaxEntries, &count);
    if (next == nullptr || digits == 0 || line[digits] != 0 || count == 0) return fail();
    entries = static_cast<KeyNameEntryT<Ch> *>(std::calloc(count, sizeof(KeyNameEntryT<Ch>)));
    if (entries == nullptr) return fail();
    int shift = -1, ctrl = -1, alt = -1;
    for (uint32_t i = 0; i < count; ++i) {
        line = next;
        next = CutLine(line, end);
        uint32_t code = 0;
        const size_t n = ParseHex(line, 0xFFFF, &code);
        // code, one separating character, then at least one character of name
        if (next == nullptr || n == 0 || code == 0 || line[n] == 0 || line[n + 1] == 0) return fail();
        entries[i] = KeyNameEntryT<Ch>{int32_t(code), line + n + 1};
        if (code == kVkShift) shift = int(i);
        if (code == kVkCtrl) ctrl = int(i);
        if (code == kVkAlt) alt = int(i);
    }
    line = next;  // the "<" line
    if ((next = CutLine(line, end)) == nullptr || line[0] != Ch('<')) return fail();
    Ch *separator = next;
    if ((next = CutLine(separator, end)) == nullptr) return fail();
    Ch *unknown = next;
    if (CutLine(unknown, end) == nullptr) return fail();
    if (shift < 0 || ctrl < 0 || alt < 0) return fail();
    table->count = int32_t(count);
    table->entries = entries;
    table->block = block;
    table->separator = separator;
    table->unknown = unknown;
    table->shift = shift, table->ctrl = ctrl, table->alt = alt;
    return 1;
}

// Entry index of a virtual-key code, -1 none.
template <class Ch>
int KeyName_FindEntry(const KeyNameTableT<Ch> *table, int32_t code) {
    for (int32_t i = 0; i < table->count; ++i)
        if (table->entries[i].code == code) return int(i);
    return -1;
}

// The code itself for 0-9 and A-Z, else 0.
inline int KeyName_CharKeyCodeOf(int code) {
    return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') ? code : 0;
}

// Whether a character key can be shown as itself (the program asks the
// system; tests pass their own rule).
using KeyCharPrintable = bool (*)(uint16_t code);

// Display text of key+flags into out (capacity units, at least 1). Length, 0
// when the key has no text, -1 without table or out (a given out is emptied).
// Modifier names come first in the order Ctrl, Alt, Shift, each followed by
// the separator; the key name follows when it fits.
template <class Ch>
int KeyName_FormatText(const KeyNameTableT<Ch> *table, uint16_t key, uint8_t flags, int allowUnknown,
                       KeyCharPrintable printable, Ch *out, int capacity) {
    if (out == nullptr || capacity <= 0) return -1;
    out[0] = 0;
    if (table == nullptr || !table->Loaded()) return -1;
    Ch own[3] = {0, 0, 0};
    const Ch *name = nullptr;
    if (flags & 0x01) {
        if (key == kVkShift || key == kVkCtrl || key == kVkAlt) return 0;
        if (KeyName_CharKeyCodeOf(key) != 0) {
            own[0] = Ch(key);
            name = own;
        } else {
            const int at = KeyName_FindEntry(table, key);
            name = at >= 0 ? table->entries[at].name : (allowUnknown ? table->unknown : nullptr);
        }
    } else {
        if (key == 0) return 0;
        const bool lead = key >= 0xD800 && key <= 0xDBFF;
        if (lead || (printable != nullptr && !printable(key))) {
            name = allowUnknown ? table->unknown : nullptr;
        } else if (sizeof(Ch) == 1 && key > 0xFF) {
            own[0] = Ch(key >> 8), own[1] = Ch(key & 0xFF);  // a double-byte character
            name = own;
        } else {
            own[0] = Ch(key);
            name = own;
        }
    }
    if (name == nullptr || name[0] == 0) return 0;
    int len = 0;
    auto append = [&](const Ch *s) {
        size_t n = 0;
        while (s[n] != 0) ++n;
        if (size_t(len) + n >= size_t(capacity)) return false;
        std::memcpy(out + len, s, n * sizeof(Ch));
        len += int(n);
        out[len] = 0;
        return true;
    };
    const struct {
        uint8_t bit;
        int entry;
    } modifiers[] = {{0x08, table->ctrl}, {0x10, table->alt}, {0x04, table->shift}};
    for (const auto &m : modifiers)
        if ((flags & m.bit) && append(table->entries[m.entry].name)) append(table->separator);
    append(name);
    return len;
}
