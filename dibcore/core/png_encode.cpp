// Png_Encode: picture rows to PNG rows, filtered, deflated straight into
// IDAT chunks of the output buffer; large pictures in blocks on several
// threads.
#include <cstring>
#include <thread>

#include <zlib.h>

#include "crc32.h"
#include "png_adam7.h"
#include "png_chunks.h"
#include "png_codec.h"
#include "png_deflate_blocks.h"
#include "png_rows.h"
#include "png_scanlines.h"

namespace dibcore {

namespace {

constexpr size_t kIdatBytes = 256 * 1024;  // largest IDAT chunk written
constexpr size_t kBatchBytes = 64 * 1024;  // filtered rows handed to deflate at once
constexpr size_t kParallelMin = 2;        // blocks a picture needs before threads pay

void PutU32(uint8_t *p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

bool WriteChunk(ByteBuffer *out, uint32_t type, const uint8_t *body, uint32_t length) {
    if (!out->Reserve(size_t(12) + length)) return false;
    uint8_t *p = out->Tail();
    PutU32(p, length);
    PutU32(p + 4, type);
    if (length) std::memcpy(p + 8, body, length);
    PutU32(p + 8 + length, Crc32_Update(0, p + 4, size_t(4) + length));
    out->Commit(size_t(12) + length);
    return true;
}

// Deflates into IDAT chunks written in place in the output buffer: a chunk
// is opened with room for its largest size, filled by deflate and closed
// (length and checksum) when full or at the end.
class IdatWriter {
public:
    explicit IdatWriter(ByteBuffer *out) : out_(out) {}
    ~IdatWriter() {
        if (ready_) deflateEnd(&z_);
    }
    IdatWriter(const IdatWriter &) = delete;
    IdatWriter &operator=(const IdatWriter &) = delete;

    bool Init(int level, int strategy) {
        ready_ = deflateInit2(&z_, level, Z_DEFLATED, 15, 8, strategy) == Z_OK;
        return ready_ && Open();
    }
    bool Write(const uint8_t *p, size_t n, bool finish) {
        z_.next_in = const_cast<Bytef *>(p);
        z_.avail_in = uInt(n);
        for (;;) {
            z_.next_out = out_->data() + chunk_ + 8 + used_;
            z_.avail_out = uInt(kIdatBytes - used_);
            const int r = deflate(&z_, finish ? Z_FINISH : Z_NO_FLUSH);
            if (r == Z_STREAM_ERROR) return false;
            used_ = kIdatBytes - z_.avail_out;
            if (used_ == kIdatBytes && !(Close() && Open())) return false;
            if (finish ? r == Z_STREAM_END : (z_.avail_in == 0 && z_.avail_out != 0)) break;
        }
        return !finish || Close();
    }
    // A stream deflated elsewhere: its bytes copied into the chunks.
    bool OpenChunks() { return Open(); }
    bool Put(const uint8_t *p, size_t n) {
        while (n > 0) {
            size_t take = kIdatBytes - used_;
            if (take > n) take = n;
            std::memcpy(out_->data() + chunk_ + 8 + used_, p, take);
            used_ += take, p += take, n -= take;
            if (used_ == kIdatBytes && !(Close() && Open())) return false;
        }
        return true;
    }
    bool Finish() { return Close(); }

private:
    bool Open() {
        if (!out_->Reserve(12 + kIdatBytes)) return false;
        chunk_ = out_->size();
        used_ = 0;
        return true;
    }
    bool Close() {
        if (used_ == 0) return true;
        uint8_t *p = out_->data() + chunk_;
        PutU32(p, uint32_t(used_));
        PutU32(p + 4, kChunkIDAT);
        PutU32(p + 8 + used_, Crc32_Update(0, p + 4, 4 + used_));
        out_->Commit(12 + used_);
        used_ = 0;
        return true;
    }

    ByteBuffer *out_;
    z_stream z_{};
    bool ready_ = false;
    size_t chunk_ = 0, used_ = 0;
};

// The serial stream's filtered batches go straight to its deflate.
class IdatFeed final : public PngFilteredSink {
public:
    explicit IdatFeed(IdatWriter *writer) : writer_(writer) {}
    bool Take(const uint8_t *bytes, size_t n, bool last) override { return writer_->Write(bytes, n, last); }

private:
    IdatWriter *writer_;
};

// The joined stream of the blocks goes into IDAT chunks as it comes.
class IdatStream final : public PngStreamSink {
public:
    explicit IdatStream(IdatWriter *writer) : writer_(writer) {}
    bool Put(const uint8_t *bytes, size_t n) override { return writer_->Put(bytes, n); }

private:
    IdatWriter *writer_;
};

// Highest index the pixels of a palette picture use.
uint32_t PictureMaxIndex(const Picture &p, const PngRowSource &rows, uint8_t *scratch) {
    const DibInfoHeader &h = *p.data.header;
    const uint32_t width = uint32_t(h.biWidth);
    const uint32_t height = uint32_t(h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight);
    const int bits = h.biBitCount;
    unsigned top = 0;
    for (uint32_t y = 0; y < height; ++y) {
        rows.Row(y, scratch);
        for (uint32_t x = 0; x < width; ++x) {
            const size_t bit = size_t(x) * bits;
            const unsigned v = (scratch[bit >> 3] >> (8 - bits - (bit & 7))) & ((1u << bits) - 1);
            top = v > top ? v : top;
        }
    }
    return top;
}

}  // namespace

int Png_Encode(const Picture &picture, const PngSaveOptions *options, ByteBuffer *out) {
    return Png_EncodeTuned(picture, options, PngEncodeTuning{}, out);
}

int Png_EncodeTuned(const Picture &picture, const PngSaveOptions *options, const PngEncodeTuning &tuning,
                    ByteBuffer *out) {
    if (out == nullptr || picture.data.header == nullptr) return kPngFailed;
    const DibInfoHeader &h = *picture.data.header;
    const int64_t height64 = h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight;
    if (h.biWidth <= 0 || height64 == 0 || h.biWidth > kMaxSide || height64 > kMaxSide) return kPngFailed;
    const uint32_t width = uint32_t(h.biWidth), height = uint32_t(height64);

    PngRowSource rows;
    if (!rows.Init(picture)) return kPngFailed;
    const int bits = rows.fileBits();
    const bool palette = bits <= 8;
    PngHeapBytes raw;
    if (!raw.Alloc(size_t(PngRowBytes(width, bits)))) return kPngFailed;

    const uint32_t flags = options ? options->flags : 0;
    int level = options ? options->level : 6;
    if (level > 9) level = 9;
    const uint32_t filters = options ? (options->filters & kPngFilterAll) : (kPngFilterNone | kPngFilterSub | kPngFilterUp);
    const bool interlace = (flags & kPngSaveInterlace) != 0;

    // Signature and IHDR.
    if (!out->Append(kPngSignature, 8)) return kPngFailed;
    uint8_t ihdr[13];
    PutU32(ihdr, width);
    PutU32(ihdr + 4, height);
    ihdr[8] = uint8_t(palette ? bits : 8);
    ihdr[9] = uint8_t(palette ? kPngPalette : kPngRgb);
    ihdr[10] = ihdr[11] = 0;
    ihdr[12] = interlace ? 1 : 0;
    if (!WriteChunk(out, kChunkIHDR, ihdr, 13)) return kPngFailed;

    if (palette) {
        // The table in order; grown with black only when pixels name entries
        // past its end, so the file stays valid.
        uint32_t colours = TableBytes(h) / 4;
        if (colours < (1u << bits)) {
            const uint32_t top = PictureMaxIndex(picture, rows, raw.get());
            if (top >= colours) colours = top + 1;
        }
        const uint32_t own = TableBytes(h) / 4;
        const DibRgbQuad *table = PaletteOf(picture);
        uint8_t plte[768] = {};
        for (uint32_t i = 0; i < own && i < colours; ++i) {
            plte[3 * i] = table[i].red;
            plte[3 * i + 1] = table[i].green;
            plte[3 * i + 2] = table[i].blue;
        }
        if (!WriteChunk(out, kChunkPLTE, plte, colours * 3)) return kPngFailed;

        if (flags & kPngSaveTransparent) {
            uint32_t index = options->transparent;
            if (options->indexFlag != kPngSaveIndex) {
                // A colour: the first entry that has it.
                const uint32_t c = options->transparent;
                index = colours;
                for (uint32_t i = 0; i < colours; ++i)
                    if (plte[3 * i] == (c & 0xFF) && plte[3 * i + 1] == ((c >> 8) & 0xFF) &&
                        plte[3 * i + 2] == ((c >> 16) & 0xFF)) {
                        index = i;
                        break;
                    }
            }
            if (index < colours) {
                uint8_t trns[256];
                std::memset(trns, 255, sizeof trns);
                trns[index] = 0;
                if (!WriteChunk(out, kChunktRNS, trns, index + 1)) return kPngFailed;
            }
        }
    } else if (flags & kPngSaveTransparent) {
        const uint32_t c = options->transparent;
        const uint8_t trns[6] = {0, uint8_t(c), 0, uint8_t(c >> 8), 0, uint8_t(c >> 16)};
        if (!WriteChunk(out, kChunktRNS, trns, 6)) return kPngFailed;
    }

    if (h.biXPelsPerMeter > 0 && h.biYPelsPerMeter > 0) {
        uint8_t phys[9];
        PutU32(phys, uint32_t(h.biXPelsPerMeter));
        PutU32(phys + 4, uint32_t(h.biYPelsPerMeter));
        phys[8] = 1;
        if (!WriteChunk(out, kChunkpHYs, phys, 9)) return kPngFailed;
    }

    // Image data: on several threads when the picture is large enough to
    // pay for them, else one stream as it always was.
    IdatWriter writer(out);
    const bool onlyNone = (filters & ~kPngFilterNone) == 0;
    const int strategy = onlyNone ? Z_DEFAULT_STRATEGY : Z_FILTERED;
    const PngScanlines lines(rows, width, height, interlace);
    const size_t blockBytes = tuning.blockBytes ? tuning.blockBytes : kPngDefaultBlockBytes;
    int threads = tuning.threads;
    if (threads <= 0) {
        const unsigned cores = std::thread::hardware_concurrency();
        threads = cores == 0 ? 1 : cores > unsigned(kPngMaxThreads) ? kPngMaxThreads : int(cores);
    }
    bool serial = true;
    if (threads > 1 && level > 0 && lines.filteredBytes() >= kParallelMin * uint64_t(blockBytes)) {
        const PngBlockJob job{&lines, filters, level, strategy, threads, blockBytes};
        IdatStream stream(&writer);
        if (!writer.OpenChunks()) return kPngFailed;
        const int r = PngDeflateBlocks(job, &stream);
        if (r == kPngBlocksFailed || (r == kPngBlocksOk && !writer.Finish())) return kPngFailed;
        serial = r == kPngBlocksNoThreads;
    }
    if (serial) {
        if (!writer.Init(level, strategy)) return kPngFailed;
        PngScanlineFilterer filterer(lines, filters);
        IdatFeed feed(&writer);
        if (!filterer.Alloc(kBatchBytes) || !filterer.Run(0, lines.count(), &feed)) return kPngFailed;
    }
    if (!WriteChunk(out, kChunkIEND, nullptr, 0)) return kPngFailed;
    return out->failed() ? kPngFailed : kPngOk;
}

}  // namespace dibcore
