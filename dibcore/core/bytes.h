// A growable byte buffer that encoders write into. Allocation failure is a
// status, not an exception.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace dibcore {

class ByteBuffer {
public:
    ByteBuffer() = default;
    ~ByteBuffer() { std::free(data_); }
    ByteBuffer(const ByteBuffer &) = delete;
    ByteBuffer &operator=(const ByteBuffer &) = delete;

    // Makes room for `more` further bytes; false when memory is short.
    bool Reserve(size_t more) {
        if (failed_) return false;
        if (more <= capacity_ - size_) return true;
        if (more > SIZE_MAX - size_) return Fail();
        // Doubles for many small appends; one large request (a whole
        // picture's rows) gets what it asks, not the next power of two.
        const size_t need = size_ + more;
        size_t want = capacity_ == 0 ? 4096 : capacity_ > (SIZE_MAX >> 1) ? need : capacity_ * 2;
        if (want < need) want = need;
        auto *p = static_cast<uint8_t *>(std::realloc(data_, want));
        if (p == nullptr) return Fail();
        data_ = p;
        capacity_ = want;
        return true;
    }
    bool Append(const void *bytes, size_t n) {
        if (!Reserve(n)) return false;
        if (n) std::memcpy(data_ + size_, bytes, n);
        size_ += n;
        return true;
    }
    bool Byte(uint8_t b) { return Append(&b, 1); }
    bool U16LE(uint16_t v) {
        const uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
        return Append(b, 2);
    }
    bool U32LE(uint32_t v) {
        const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        return Append(b, 4);
    }
    bool U32BE(uint32_t v) {
        const uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
        return Append(b, 4);
    }
    // Room to write directly: call Reserve first, then Commit what was written.
    uint8_t *Tail() { return data_ + size_; }
    void Commit(size_t n) { size_ += n; }

    const uint8_t *data() const { return data_; }
    uint8_t *data() { return data_; }
    size_t size() const { return size_; }
    bool failed() const { return failed_; }
    void Clear() { size_ = 0; }

private:
    bool Fail() {
        failed_ = true;
        return false;
    }
    uint8_t *data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
    bool failed_ = false;
};

}  // namespace dibcore
