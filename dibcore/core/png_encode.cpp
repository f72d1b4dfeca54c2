// Png_Encode: picture rows to PNG rows, filtered, deflated straight into
// IDAT chunks of the output buffer.
#include <cstring>

#include <zlib.h>

#include "crc32.h"
#include "png_adam7.h"
#include "png_chunks.h"
#include "png_codec.h"
#include "png_filter.h"
#include "png_rows.h"

namespace dibcore {

namespace {

constexpr size_t kIdatBytes = 256 * 1024;  // largest IDAT chunk written
constexpr size_t kBatchBytes = 64 * 1024;  // filtered rows handed to deflate at once

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

inline uint32_t Load32(const uint8_t *p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// Reads 16- and 32-bit pixels through their channel masks.
struct MaskChannel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    void Set(uint32_t m) {
        mask = m;
        shift = 0;
        if (m == 0) return;
        while (((m >> shift) & 1) == 0) ++shift;
        max = m >> shift;
    }
    uint8_t Get(uint32_t v) const {
        return max == 0 ? 0 : uint8_t((uint64_t((v & mask) >> shift) * 255 + max / 2) / max);
    }
};

// What one picture row becomes in the file.
class RowSource {
public:
    bool Init(const Picture &p) {
        picture_ = &p;
        const DibInfoHeader &h = *p.data.header;
        bits_ = h.biBitCount;
        width_ = uint32_t(h.biWidth);
        if (bits_ == 16 || bits_ == 32) {
            uint32_t m[3];
            if (h.biCompression == kDibBitFields) {
                // After a 40-byte header or inside a longer one, the masks
                // sit at byte 40.
                const uint8_t *at = reinterpret_cast<const uint8_t *>(p.data.header) + 40;
                std::memcpy(m, at, 12);
            } else if (h.biCompression == kDibRgb) {
                if (bits_ == 16) {
                    m[0] = 0x7C00, m[1] = 0x03E0, m[2] = 0x001F;
                } else {
                    m[0] = 0xFF0000, m[1] = 0xFF00, m[2] = 0xFF;
                }
            } else {
                return false;
            }
            for (int i = 0; i < 3; ++i) channel_[i].Set(m[i]);
        } else if (h.biCompression != kDibRgb) {
            return false;  // RLE pictures are expanded by the caller first
        }
        return bits_ == 1 || bits_ == 4 || bits_ == 8 || bits_ == 16 || bits_ == 24 || bits_ == 32;
    }
    int fileBits() const { return bits_ <= 8 ? bits_ : 24; }

    // The file's row for picture row y (from the top).
    void Row(uint32_t y, uint8_t *out) const {
        const uint8_t *in = RowFromTop(*picture_, y);
        const uint32_t n = width_;
        switch (bits_) {
            case 1:
            case 4:
            case 8:
                std::memcpy(out, in, size_t(PngRowBytes(n, bits_)));
                break;
            case 24: {
                uint32_t i = 0;
                if (n > 1)
                    for (; i < n - 1; ++i) {
                        const uint32_t v = __builtin_bswap32(Load32(in + 3 * i)) >> 8;
                        std::memcpy(out + 3 * i, &v, 4);
                    }
                for (; i < n; ++i) {
                    out[3 * i] = in[3 * i + 2];
                    out[3 * i + 1] = in[3 * i + 1];
                    out[3 * i + 2] = in[3 * i];
                }
                break;
            }
            default:
                for (uint32_t i = 0; i < n; ++i) {
                    const uint32_t v = bits_ == 16 ? uint32_t(in[2 * i] | in[2 * i + 1] << 8) : Load32(in + 4 * i);
                    out[3 * i] = channel_[0].Get(v);
                    out[3 * i + 1] = channel_[1].Get(v);
                    out[3 * i + 2] = channel_[2].Get(v);
                }
                break;
        }
    }

private:
    const Picture *picture_ = nullptr;
    int bits_ = 0;
    uint32_t width_ = 0;
    MaskChannel channel_[3];
};

// Copies pixels x0, x0 + dx, ... of a file row into a pass row.
void PickPixels(const uint8_t *row, int bits, uint32_t x0, uint32_t dx, uint32_t n, uint8_t *out) {
    if (bits >= 8) {
        const size_t bytes = size_t(bits / 8);
        for (uint32_t i = 0; i < n; ++i) std::memcpy(out + i * bytes, row + (x0 + size_t(i) * dx) * bytes, bytes);
        return;
    }
    std::memset(out, 0, size_t(PngRowBytes(n, bits)));
    const unsigned mask = (1u << bits) - 1;
    for (uint32_t i = 0; i < n; ++i) {
        const size_t from = (x0 + size_t(i) * dx) * bits, to = size_t(i) * bits;
        const unsigned v = (row[from >> 3] >> (8 - bits - (from & 7))) & mask;
        out[to >> 3] |= uint8_t(v << (8 - bits - (to & 7)));
    }
}

// Filters rows into batches and hands them to the IDAT writer.
class RowFilterer {
public:
    RowFilterer(IdatWriter *writer, uint32_t filters) : writer_(writer), filters_(filters) {}
    bool Alloc(size_t maxRowBytes) {
        const size_t stride = maxRowBytes + 1;
        capacity_ = stride > kBatchBytes ? stride : kBatchBytes;
        return batch_.Alloc(capacity_) && prev_.Alloc(maxRowBytes) && trial_.Alloc(maxRowBytes);
    }
    void Begin(size_t rowBytes, int bpp) {
        rowBytes_ = rowBytes;
        bpp_ = bpp;
        std::memset(prev_.get(), 0, rowBytes);
    }
    // Filters `raw` and keeps it as the previous row for the next one.
    bool Add(const uint8_t *raw) {
        if (capacity_ - used_ < rowBytes_ + 1 && !Flush(false)) return false;
        uint8_t *dst = batch_.get() + used_;
        int best = -1;
        uint64_t bestSum = 0;
        for (int type = kFilterNone; type <= kFilterPaeth; ++type) {
            if ((filters_ & (kPngFilterNone << type)) == 0) continue;
            if (best < 0) {
                bestSum = PngFilterRow(type, raw, prev_.get(), rowBytes_, bpp_, dst + 1);
                best = type;
                continue;
            }
            const uint64_t sum = PngFilterRow(type, raw, prev_.get(), rowBytes_, bpp_, trial_.get());
            if (sum < bestSum) {
                bestSum = sum;
                best = type;
                std::memcpy(dst + 1, trial_.get(), rowBytes_);
            }
        }
        if (best < 0) {  // no filter allowed: none
            std::memcpy(dst + 1, raw, rowBytes_);
            best = kFilterNone;
        }
        dst[0] = uint8_t(best);
        used_ += rowBytes_ + 1;
        std::memcpy(prev_.get(), raw, rowBytes_);
        return true;
    }
    bool Flush(bool finish) {
        const bool ok = writer_->Write(batch_.get(), used_, finish);
        used_ = 0;
        return ok;
    }

private:
    IdatWriter *writer_;
    uint32_t filters_;
    PngHeapBytes batch_, prev_, trial_;
    size_t capacity_ = 0, used_ = 0, rowBytes_ = 0;
    int bpp_ = 1;
};

// Highest index the pixels of a palette picture use.
uint32_t PictureMaxIndex(const Picture &p, const RowSource &rows, uint8_t *scratch) {
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
    if (out == nullptr || picture.data.header == nullptr) return kPngFailed;
    const DibInfoHeader &h = *picture.data.header;
    const int64_t height64 = h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight;
    if (h.biWidth <= 0 || height64 == 0 || h.biWidth > kMaxSide || height64 > kMaxSide) return kPngFailed;
    const uint32_t width = uint32_t(h.biWidth), height = uint32_t(height64);

    RowSource rows;
    if (!rows.Init(picture)) return kPngFailed;
    const int bits = rows.fileBits();
    const bool palette = bits <= 8;
    const size_t rowBytes = size_t(PngRowBytes(width, bits));
    PngHeapBytes raw, passRow;
    if (!raw.Alloc(rowBytes) || !passRow.Alloc(rowBytes)) return kPngFailed;

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

    // Image data.
    IdatWriter writer(out);
    const bool onlyNone = (filters & ~kPngFilterNone) == 0;
    if (!writer.Init(level, onlyNone ? Z_DEFAULT_STRATEGY : Z_FILTERED)) return kPngFailed;
    RowFilterer filterer(&writer, filters);
    if (!filterer.Alloc(rowBytes)) return kPngFailed;
    const int filterBpp = bits >= 8 ? bits / 8 : 1;
    if (!interlace) {
        filterer.Begin(rowBytes, filterBpp);
        for (uint32_t y = 0; y < height; ++y) {
            rows.Row(y, raw.get());
            if (!filterer.Add(raw.get())) return kPngFailed;
        }
    } else {
        for (const PngPass &pass : kAdam7) {
            const uint32_t pw = PngPassSize(width, pass.x0, pass.dx);
            const uint32_t ph = PngPassSize(height, pass.y0, pass.dy);
            if (pw == 0 || ph == 0) continue;
            filterer.Begin(size_t(PngRowBytes(pw, bits)), filterBpp);
            for (uint32_t j = 0; j < ph; ++j) {
                rows.Row(pass.y0 + j * pass.dy, raw.get());
                PickPixels(raw.get(), bits, pass.x0, pass.dx, pw, passRow.get());
                if (!filterer.Add(passRow.get())) return kPngFailed;
            }
        }
    }
    if (!filterer.Flush(true)) return kPngFailed;
    if (!WriteChunk(out, kChunkIEND, nullptr, 0)) return kPngFailed;
    return out->failed() ? kPngFailed : kPngOk;
}

}  // namespace dibcore
