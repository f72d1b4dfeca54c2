// Small builders of Custom.dat images and "Keys" chunk data for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "other/qv_CustomCore.h"

using Bytes = std::vector<uint8_t>;

inline void Add16(Bytes *b, unsigned v) {
    b->push_back(uint8_t(v));
    b->push_back(uint8_t(v >> 8));
}
inline void Add32(Bytes *b, uint32_t v) {
    Add16(b, v & 0xFFFF);
    Add16(b, v >> 16);
}
inline Bytes Header() { return Bytes(kCustomSignature, kCustomSignature + kCustomHeaderSize); }

// A chunk with its length field, tag, data and trailer; `lengthField`
// overrides the stored length (a damaged chunk).
inline Bytes Chunk(const char *tag, const Bytes &data, int64_t lengthField = -1) {
    Bytes b;
    Add32(&b, lengthField < 0 ? uint32_t(data.size()) : uint32_t(lengthField));
    b.insert(b.end(), tag, tag + 4);
    b.insert(b.end(), data.begin(), data.end());
    Add32(&b, 0);
    return b;
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes &p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// A "Keys" record as stored: command, count, flags, codes.
struct StoredKey {
    uint8_t flags;
    uint16_t code;
};
inline bool operator==(const StoredKey &a, const StoredKey &b) { return a.flags == b.flags && a.code == b.code; }
inline Bytes KeysData(uint16_t textForm, unsigned declared, std::initializer_list<std::pair<uint16_t, std::vector<StoredKey>>> records,
                      bool pad = true) {
    Bytes b;
    Add32(&b, 0);
    Add16(&b, textForm);
    Add16(&b, declared);
    for (const auto &r : records) {
        Add16(&b, r.first);
        Add16(&b, unsigned(r.second.size()));
        for (const StoredKey &k : r.second) b.push_back(k.flags);
        for (const StoredKey &k : r.second) Add16(&b, k.code);
    }
    if (pad) {
        const uint32_t p = uint32_t((4 - (b.size() + 4) % 4) % 4);
        Add32(&b, p);
        b.insert(b.end(), p, 0);
    }
    return b;
}
