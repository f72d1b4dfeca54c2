// Filtering and deflating a picture's scanlines on several threads at once,
// joined into one zlib stream. The scanlines are cut into blocks of whole
// rows; each block is filtered and deflated on its own (raw deflate primed
// with the 32 KiB of filtered bytes before it, so matches still reach back
// across the cut) and ended on a byte boundary with a full flush, the last
// with the final block. The zlib header comes once, and the trailer's
// Adler-32 is combined from the blocks' own. The filtered bytes are those a
// single stream would get, so the file decodes the same whatever the number
// of threads.
#pragma once

#include <cstddef>
#include <cstdint>

#include "png_scanlines.h"

namespace dibcore {

// Takes the stream's bytes in order (the IDAT chunk writer).
class PngStreamSink {
public:
    virtual bool Put(const uint8_t *bytes, size_t n) = 0;

protected:
    ~PngStreamSink() = default;
};

enum PngBlocksStatus : int {
    kPngBlocksOk = 0,
    kPngBlocksFailed = 1,      // memory short or deflate failed; the sink got part of a stream
    kPngBlocksNoThreads = 2,   // no thread could start; nothing went to the sink
};

// Filtered bytes per block when the caller does not choose.
constexpr size_t kPngDefaultBlockBytes = 1024 * 1024;
// Most threads a save uses.
constexpr int kPngMaxThreads = 8;

struct PngBlockJob {
    const PngScanlines *lines;
    uint32_t filters;   // kPngFilter... set
    int level;          // 1..9
    int strategy;       // zlib strategy
    int threads;        // workers, at least 1
    size_t blockBytes;  // filtered bytes per block (at least one scanline)
};

// The first scanline of each block, ending with lines.count(); blocks of
// whole scanlines of at least `blockBytes` filtered bytes, save the last.
// `starts` may be null to count only. Returns the number of blocks.
uint32_t PngBlockStarts(const PngScanlines &lines, size_t blockBytes, uint32_t *starts);

// Writes the whole zlib stream of the job's scanlines to `sink`.
int PngDeflateBlocks(const PngBlockJob &job, PngStreamSink *sink);

}  // namespace dibcore
