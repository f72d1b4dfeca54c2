// Unfiltered rows out of a PNG's image data: the IDAT chunks are inflated
// straight into a batch of rows and each row is unfiltered in place when it
// is asked for, so it is still in cache when the caller converts it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <zlib.h>

#include "png_chunks.h"

namespace dibcore {

// Owns one malloc'd block.
class PngHeapBytes {
public:
    PngHeapBytes() = default;
    ~PngHeapBytes() { std::free(p_); }
    PngHeapBytes(const PngHeapBytes &) = delete;
    PngHeapBytes &operator=(const PngHeapBytes &) = delete;
    bool Alloc(size_t n) {
        std::free(p_);
        p_ = static_cast<uint8_t *>(std::calloc(n ? n : 1, 1));
        return p_ != nullptr;
    }
    uint8_t *get() const { return p_; }

private:
    uint8_t *p_ = nullptr;
};

// The zlib stream spread over the IDAT chunks, starting at the first one.
class PngIdatInflater {
public:
    PngIdatInflater(const uint8_t *data, size_t size, size_t idatPos) : cursor_(data, size, idatPos) {}
    ~PngIdatInflater();
    PngIdatInflater(const PngIdatInflater &) = delete;
    PngIdatInflater &operator=(const PngIdatInflater &) = delete;

    bool Init();
    // Inflates up to `n` bytes into `out`; fewer when the data ends or turns
    // corrupt, after which nothing more comes.
    size_t Read(uint8_t *out, size_t n);
    // An IDAT chunk's checksum did not match.
    bool crcFailed() const { return crcFailed_; }

private:
    bool NextIdat();

    PngChunkCursor cursor_;
    z_stream z_{};
    bool ready_ = false;
    bool done_ = false;
    bool lastChunk_ = false;
    bool crcFailed_ = false;
};

class PngRowStream {
public:
    explicit PngRowStream(PngIdatInflater *source) : source_(source) {}
    // Buffers for rows of up to `maxRowBytes`; false when memory is short.
    bool Alloc(size_t maxRowBytes);
    // Starts an image (or an Adam7 pass) of `rows` rows of `rowBytes`.
    void Begin(size_t rowBytes, uint32_t rows, int bpp);
    // The next unfiltered row, or null when the data ran out or a row has an
    // unknown filter type.
    const uint8_t *Next();

private:
    PngIdatInflater *source_;
    PngHeapBytes batch_, prev_;
    size_t batchBytes_ = 0;
    size_t rowBytes_ = 0, stride_ = 0;
    uint32_t rowsLeft_ = 0;  // rows not yet inflated
    size_t batchRows_ = 0, filled_ = 0, at_ = 0;
    int bpp_ = 1;
};

}  // namespace dibcore
