#include "other/qv_CustomCore.h"

#include <cstring>

const uint8_t kCustomSignature[kCustomHeaderSize] = {0xAF, 'D', 'A', 'T', 0x0D, 0x0A, 0x1A, 0x0A,
                                                     'Q',  'V', 'C', 'u', 's',  't',  'o',  'm'};

bool Custom_HasSignature(const uint8_t *data, uint64_t size) {
    return data != nullptr && size >= kCustomHeaderSize && std::memcmp(data, kCustomSignature, kCustomHeaderSize) == 0;
}

int Custom_CheckChunk(uint64_t offset, uint64_t size, uint32_t length, uint64_t *next) {
    if (offset > size || size - offset < kCustomChunkOverhead) return 6;
    if (length > kCustomMaxChunkLength) return 7;
    // 64-bit sums: a length near 2^32 cannot wrap round to an earlier offset.
    const uint64_t end = offset + kCustomChunkOverhead + uint64_t(length);
    if (end > size) return 8;
    if (next != nullptr) *next = end;
    return 0;
}

CustomChunkWalk::CustomChunkWalk(const uint8_t *data, uint64_t size) : data_(data), size_(size), pos_(kCustomHeaderSize) {
    if (!Custom_HasSignature(data, size)) stop_ = 5;
}

bool CustomChunkWalk::Next(CustomChunk *chunk) {
    if (stop_ != 0) return false;
    const uint32_t length = pos_ + 8 <= size_ ? Custom_GetU32(data_ + pos_) : 0;
    uint64_t next = 0;
    const int check = Custom_CheckChunk(pos_, size_, length, &next);
    if (check != 0) {
        stop_ = check;
        return false;
    }
    chunk->offset = pos_;
    chunk->length = length;
    std::memcpy(chunk->tag, data_ + pos_ + 4, 4);
    pos_ = next;
    return true;
}

int Custom_FindChunkIn(const uint8_t *data, uint64_t size, const char tag[4], uint64_t *dataOffset, uint32_t *length) {
    CustomChunkWalk walk(data, size);
    CustomChunk chunk;
    while (walk.Next(&chunk)) {
        if (std::memcmp(chunk.tag, tag, 4) != 0) continue;
        if (dataOffset != nullptr) *dataOffset = chunk.offset + 8;
        if (length != nullptr) *length = chunk.length;
        return 0;
    }
    return walk.StopReason();
}

namespace {

// Calls keep(chunk) for every sound chunk of old that is not `tag`.
template <class Fn>
void ForKeptChunks(const uint8_t *old, uint64_t oldSize, const char tag[4], Fn keep) {
    CustomChunkWalk walk(old, oldSize);
    CustomChunk chunk;
    while (walk.Next(&chunk))
        if (std::memcmp(chunk.tag, tag, 4) != 0) keep(chunk);
}

}  // namespace

uint64_t Custom_ComposedSize(const uint8_t *old, uint64_t oldSize, const char tag[4], uint32_t length) {
    if (length > kCustomMaxChunkLength) return 0;
    uint64_t total = kCustomHeaderSize + kCustomChunkOverhead + uint64_t(length);
    ForKeptChunks(old, oldSize, tag, [&](const CustomChunk &c) { total += kCustomChunkOverhead + uint64_t(c.length); });
    return total;
}

uint64_t Custom_Compose(const uint8_t *old, uint64_t oldSize, const char tag[4], const uint8_t *data, uint32_t length,
                        uint8_t *out, uint64_t capacity) {
    const uint64_t total = Custom_ComposedSize(old, oldSize, tag, length);
    if (total == 0 || total > capacity || out == nullptr || (length != 0 && data == nullptr)) return 0;
    uint8_t *p = out;
    std::memcpy(p, kCustomSignature, kCustomHeaderSize);
    p += kCustomHeaderSize;
    ForKeptChunks(old, oldSize, tag, [&](const CustomChunk &c) {
        const uint64_t n = kCustomChunkOverhead + uint64_t(c.length);
        std::memcpy(p, old + c.offset, size_t(n));
        p += n;
    });
    Custom_PutU32(p, length);
    std::memcpy(p + 4, tag, 4);
    if (length != 0) std::memcpy(p + 8, data, length);
    Custom_PutU32(p + 8 + length, 0);
    return total;
}
