#include "keyresgen_lib.h"

#include <iconv.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace keyresgen {

namespace {

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool Fail(std::string *error, int line, const std::string &what) {
    if (error != nullptr) *error = "line " + std::to_string(line) + ": " + what;
    return false;
}

void Put16(std::vector<uint8_t> *out, unsigned v) {
    out->push_back(uint8_t(v));
    out->push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t> *out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// UTF-8 to UTF-16 code units; false on a malformed sequence.
bool ToUtf16(const std::string &text, std::vector<uint16_t> *out) {
    for (size_t i = 0; i < text.size();) {
        const auto b = uint8_t(text[i]);
        uint32_t cp;
        size_t n;
        if (b < 0x80) cp = b, n = 1;
        else if ((b & 0xE0) == 0xC0) cp = b & 0x1F, n = 2;
        else if ((b & 0xF0) == 0xE0) cp = b & 0x0F, n = 3;
        else if ((b & 0xF8) == 0xF0) cp = b & 0x07, n = 4;
        else return false;
        if (i + n > text.size()) return false;
        for (size_t k = 1; k < n; ++k) {
            const auto c = uint8_t(text[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = cp << 6 | (c & 0x3F);
        }
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out->push_back(uint16_t(0xD800 + (cp >> 10)));
            out->push_back(uint16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out->push_back(uint16_t(cp));
        }
    }
    return true;
}

}  // namespace

bool ParseNames(const std::string &text, NameTable *out, std::string *error) {
    *out = NameTable{};
    int number = 0;
    for (const std::string &line : Lines(text)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind("separator ", 0) == 0) {
            out->separator = line.substr(10);
            continue;
        }
        if (line.rfind("unknown ", 0) == 0) {
            out->unknown = line.substr(8);
            continue;
        }
        unsigned code = 0;
        int used = 0;
        if (std::sscanf(line.c_str(), "%x %n", &code, &used) != 1 || used == 0 || code == 0 || code > 0xFFFF ||
            size_t(used) >= line.size())
            return Fail(error, number, "expected: hexadecimal code, blank, name");
        for (const NameRow &r : out->rows)
            if (r.code == code) return Fail(error, number, "code listed twice");
        out->rows.push_back(NameRow{code, line.substr(size_t(used))});
    }
    if (out->rows.empty() || out->separator.empty() || out->unknown.empty())
        return Fail(error, number, "names, separator and unknown text are all needed");
    return true;
}

bool ParseDefaultMap(const std::string &text, const NameTable &names, std::vector<MapRow> *out, std::string *error) {
    out->clear();
    int number = 0;
    for (const std::string &line : Lines(text)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        unsigned command = 0;
        if (!(words >> command) || command == 0 || command > 0xFFFF) return Fail(error, number, "bad command id");
        MapRow row{uint16_t(command), {}};
        std::string word;
        while (words >> word) {
            Key key{0x01, 0};
            if (word.rfind("char:", 0) == 0) {
                std::vector<uint16_t> units;
                if (!ToUtf16(word.substr(5), &units) || units.size() != 1)
                    return Fail(error, number, "char: takes one character");
                row.keys.push_back(Key{0x00, units[0]});
                continue;
            }
            static const struct {
                const char *prefix;
                uint8_t flag;
            } kModifiers[] = {{"Ctrl+", 0x08}, {"Alt+", 0x10}, {"Shift+", 0x04}};
            for (bool more = true; more;) {
                more = false;
                for (const auto &m : kModifiers) {
                    const size_t n = std::strlen(m.prefix);
                    if (word.size() > n && word.compare(0, n, m.prefix) == 0) {
                        key.flags |= m.flag;
                        word.erase(0, n);
                        more = true;
                    }
                }
            }
            if (word.size() == 1 && ((word[0] >= '0' && word[0] <= '9') || (word[0] >= 'A' && word[0] <= 'Z'))) {
                key.code = uint16_t(word[0]);
            } else {
                for (const NameRow &r : names.rows)
                    if (r.name == word) key.code = uint16_t(r.code);
                if (key.code == 0) return Fail(error, number, "unknown key name \"" + word + "\"");
            }
            row.keys.push_back(key);
        }
        if (row.keys.empty() || row.keys.size() > 8) return Fail(error, number, "a command takes 1 to 8 keys");
        out->push_back(row);
    }
    if (out->empty()) return Fail(error, number, "no commands");
    return true;
}

std::string NamesText(const NameTable &names) {
    char head[16];
    std::snprintf(head, sizeof head, "%X\r\n", unsigned(names.rows.size()));
    std::string text = head;
    for (const NameRow &r : names.rows) {
        char code[16];
        std::snprintf(code, sizeof code, "%02X ", r.code);
        text += code + r.name + "\r\n";
    }
    text += "<<\r\n" + names.separator + "\r\n" + names.unknown + "\r\n>>\r\n";
    return text;
}

bool NamesUtf16(const NameTable &names, std::vector<uint8_t> *out) {
    std::vector<uint16_t> units;
    if (!ToUtf16(NamesText(names), &units)) return false;
    out->assign({0xFF, 0xFE});
    for (uint16_t u : units) Put16(out, u);
    return true;
}

bool NamesCp932(const NameTable &names, std::vector<uint8_t> *out) {
    std::string text = NamesText(names);
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == iconv_t(-1)) return false;
    std::vector<char> buffer(text.size() * 2 + 16);
    char *in = text.data();
    size_t inLeft = text.size();
    char *o = buffer.data();
    size_t outLeft = buffer.size();
    const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (r == size_t(-1) || inLeft != 0) return false;
    out->assign(buffer.data(), o);
    return true;
}

std::vector<uint8_t> DefaultMapImage(const std::vector<MapRow> &rows, uint16_t textForm) {
    std::vector<uint8_t> data;
    Put32(&data, 0);
    Put16(&data, textForm);
    Put16(&data, unsigned(rows.size()));
    for (const MapRow &r : rows) {
        Put16(&data, r.command);
        Put16(&data, unsigned(r.keys.size()));
        for (const Key &k : r.keys) data.push_back(k.flags);
        for (const Key &k : r.keys) Put16(&data, k.code);
    }
    const uint32_t padding = uint32_t((4 - (data.size() + 4) % 4) % 4);
    Put32(&data, padding);
    data.insert(data.end(), padding, 0);
    static const uint8_t kSignature[16] = {0xAF, 'D', 'A', 'T', 0x0D, 0x0A, 0x1A, 0x0A,
                                           'Q',  'V', 'C', 'u', 's',  't',  'o',  'm'};
    std::vector<uint8_t> image(kSignature, kSignature + 16);
    Put32(&image, uint32_t(data.size()));
    image.insert(image.end(), {'K', 'e', 'y', 's'});
    image.insert(image.end(), data.begin(), data.end());
    Put32(&image, 0);
    return image;
}

std::string ReadWholeFile(const std::string &path, bool *ok) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    *ok = bool(in);
    return text.str();
}

}  // namespace keyresgen
