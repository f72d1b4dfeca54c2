#include "image/qv_ByteSource.h"

#include <cstring>

bool ByteSource_ReadExact(const ByteSource &s, void *buffer, uint32_t n) {
    uint8_t *out = static_cast<uint8_t *>(buffer);
    while (n > 0) {
        const uint32_t got = s.read(s.context, out, n);
        if (got == 0 || got > n) return false;
        out += got;
        n -= got;
    }
    return true;
}

namespace {

uint32_t MemoryRead(void *context, void *buffer, uint32_t n) {
    auto *m = static_cast<MemoryReader *>(context);
    const uint32_t left = m->size - m->position;
    if (n > left) n = left;
    if (n) std::memcpy(buffer, m->data + m->position, n);
    m->position += n;
    return n;
}

bool MemorySkip(void *context, uint32_t n) {
    auto *m = static_cast<MemoryReader *>(context);
    if (n > m->size - m->position) return false;
    m->position += n;
    return true;
}

}  // namespace

ByteSource ByteSource_FromMemory(MemoryReader *reader, const void *data, uint32_t size) {
    reader->data = static_cast<const uint8_t *>(data);
    reader->size = data ? size : 0;
    reader->position = 0;
    return ByteSource{reader, MemoryRead, MemorySkip};
}
