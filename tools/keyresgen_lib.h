// Build-time generator of the key resources: reads the readable tables
// res/keynames.txt and res/keymap_default.txt and produces the key-name
// texts (UTF-16 with byte-order mark, and code page 932) and the default
// Custom.dat images of both builds. Host code, compiled for the build machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace keyresgen {

struct NameRow {
    unsigned code;
    std::string name;  // UTF-8
};
struct NameTable {
    std::vector<NameRow> rows;
    std::string separator;
    std::string unknown;
};

struct Key {
    uint8_t flags;  // 0x01 virtual key, 0x04 Shift, 0x08 Ctrl, 0x10 Alt
    uint16_t code;
};
struct MapRow {
    uint16_t command;
    std::vector<Key> keys;
};

// Each returns false with a message naming the line on a bad table.
bool ParseNames(const std::string &text, NameTable *out, std::string *error);
bool ParseDefaultMap(const std::string &text, const NameTable &names, std::vector<MapRow> *out, std::string *error);

// The key-name resource text with CR LF lines, in UTF-8.
std::string NamesText(const NameTable &names);
// FILE 80: FF FE and the text in UTF-16 LE.
bool NamesUtf16(const NameTable &names, std::vector<uint8_t> *out);
// FILE 81: the text in code page 932.
bool NamesCp932(const NameTable &names, std::vector<uint8_t> *out);
// FILE 82 (textForm 1) and 83 (textForm 0): a whole Custom.dat image.
std::vector<uint8_t> DefaultMapImage(const std::vector<MapRow> &rows, uint16_t textForm);

std::string ReadWholeFile(const std::string &path, bool *ok);

}  // namespace keyresgen
