// The byte layout of Custom.dat: a 16-byte signature, then chunks of
// {u32 length L, 4-letter tag, L data bytes, u32 0}. The walk and the
// composition of a replaced file work on bytes in memory, in 64-bit offsets,
// so no stored length can send them backwards or past the end.
#pragma once

#include <cstdint>

constexpr uint32_t kCustomHeaderSize = 16;
extern const uint8_t kCustomSignature[kCustomHeaderSize];
// A chunk is L + 12 bytes; a larger L could not be stored in the u32 length.
constexpr uint32_t kCustomChunkOverhead = 12;
constexpr uint32_t kCustomMaxChunkLength = 0xFFFFFFF3u;
// Custom.dat is small; a writer refuses to load more than this.
constexpr uint64_t kCustomMaxFileSize = 16u * 1024u * 1024u;

inline uint32_t Custom_GetU32(const uint8_t *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t Custom_GetU16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
inline void Custom_PutU32(uint8_t *p, uint32_t v) {
    p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16), p[3] = uint8_t(v >> 24);
}
inline void Custom_PutU16(uint8_t *p, uint16_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8); }

// True when the first 16 bytes are the signature.
bool Custom_HasSignature(const uint8_t *data, uint64_t size);

// Judges the chunk header at `offset` of a file of `size` bytes whose length
// field reads `length`. 0 sound (the whole chunk with its trailer lies in the
// file; *next = the offset behind it); 6 fewer than 12 bytes remain (the end);
// 7 length above the limit; 8 the chunk runs past the end.
int Custom_CheckChunk(uint64_t offset, uint64_t size, uint32_t length, uint64_t *next);

// One sound chunk of a file image.
struct CustomChunk {
    uint64_t offset;   // of its length field
    uint32_t length;   // L
    char tag[4];
};

// Walks the sound chunks of a file image in order; ends at the first piece
// that is not a sound chunk (a stray tail, a huge or placeholder length).
class CustomChunkWalk {
public:
    CustomChunkWalk(const uint8_t *data, uint64_t size);
    // True with the next sound chunk in *chunk, false at the end.
    bool Next(CustomChunk *chunk);
    // Why the walk ended: 6 at the end, 7/8 at a broken chunk, 5 bad signature.
    int StopReason() const { return stop_; }

private:
    const uint8_t *data_;
    uint64_t size_;
    uint64_t pos_;
    int stop_ = 0;
};

// Finds chunk `tag` in a file image. 0 found (*dataOffset, *length); 5 bad
// signature; 6 not found; 7/8 the walk met a broken chunk before finding it.
int Custom_FindChunkIn(const uint8_t *data, uint64_t size, const char tag[4], uint64_t *dataOffset, uint32_t *length);

// Size of the file that Custom_Compose makes; 0 when it would be too big.
uint64_t Custom_ComposedSize(const uint8_t *old, uint64_t oldSize, const char tag[4], uint32_t length);
// The replaced file: signature, every other sound chunk of `old` byte for
// byte in order, then chunk `tag` with `data`. Chunks of `tag`, stray bytes
// and broken chunks of the old image are dropped. A bad signature drops the
// whole old image. Returns the bytes written, 0 when capacity is too small.
uint64_t Custom_Compose(const uint8_t *old, uint64_t oldSize, const char tag[4], const uint8_t *data, uint32_t length,
                        uint8_t *out, uint64_t capacity);
