// The scanlines a picture becomes in a PNG file, numbered in file order
// (every Adam7 pass in turn when interlaced), and their filtering. Any run
// of scanlines can be filtered on its own: the row above the first one is
// rebuilt from the picture, so blocks of one file can be filtered apart and
// still come out as the whole file's filtering would.
#pragma once

#include <cstddef>
#include <cstdint>

#include "png_rows.h"
#include "picture.h"

namespace dibcore {

// Reads 16- and 32-bit pixels through their channel masks.
struct PngMaskChannel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    void Set(uint32_t m);
    uint8_t Get(uint32_t v) const {
        return max == 0 ? 0 : uint8_t((uint64_t((v & mask) >> shift) * 255 + max / 2) / max);
    }
};

// What one picture row becomes in the file: palette pictures keep their
// depth, the others become 8-bit RGB.
class PngRowSource {
public:
    // False for a picture the writer does not take (RLE, odd depths).
    bool Init(const Picture &p);
    int fileBits() const { return bits_ <= 8 ? bits_ : 24; }
    // The file's row for picture row y (from the top).
    void Row(uint32_t y, uint8_t *out) const;

private:
    const Picture *picture_ = nullptr;
    int bits_ = 0;
    uint32_t width_ = 0;
    PngMaskChannel channel_[3];
};

// Copies pixels x0, x0 + dx, ... of a file row into a pass row.
void PngPickPixels(const uint8_t *row, int bits, uint32_t x0, uint32_t dx, uint32_t n, uint8_t *out);

// The file's scanlines: one run of equal rows when not interlaced, up to
// seven (the non-empty passes) when interlaced.
class PngScanlines {
public:
    struct Run {
        uint32_t first;     // number of the run's first scanline
        uint32_t rows;
        uint32_t pixels;    // per row
        size_t rowBytes;    // without the filter byte
        uint32_t x0, dx, y0, dy;
        bool pass;          // an Adam7 pass: pixels picked out (unused bits zero)
    };

    PngScanlines(const PngRowSource &source, uint32_t width, uint32_t height, bool interlace);

    uint32_t count() const { return count_; }
    // Bytes of all scanlines with their filter bytes: what deflate gets.
    uint64_t filteredBytes() const { return filteredBytes_; }
    size_t fullRowBytes() const { return fullRowBytes_; }
    int bits() const { return bits_; }
    const Run &RunOf(uint32_t line) const;
    // The unfiltered scanline `line` into `out`; `scratch` holds a full row.
    void Raw(uint32_t line, uint8_t *out, uint8_t *scratch) const;

private:
    const PngRowSource &source_;
    Run runs_[7];
    int runCount_ = 0;
    int bits_;
    uint32_t count_ = 0;
    uint64_t filteredBytes_ = 0;
    size_t fullRowBytes_;
};

// Receives filtered scanlines (each with its filter byte) in batches.
class PngFilteredSink {
public:
    virtual bool Take(const uint8_t *bytes, size_t n, bool last) = 0;

protected:
    ~PngFilteredSink() = default;
};

// Filters scanlines with the row filter choice of a filter set.
class PngScanlineFilterer {
public:
    PngScanlineFilterer(const PngScanlines &lines, uint32_t filters) : lines_(lines), filters_(filters) {}
    // Batch of `batchBytes` (at least one scanline) and row buffers.
    bool Alloc(size_t batchBytes);
    // Filters scanlines [begin, end) into batches; a batch goes to `sink`
    // when the next scanline does not fit, the rest with `last` set.
    bool Run(uint32_t begin, uint32_t end, PngFilteredSink *sink);

private:
    const PngScanlines &lines_;
    uint32_t filters_;
    PngHeapBytes batch_, raw_, prev_, trial_, scratch_;
    size_t capacity_ = 0;
};

}  // namespace dibcore
