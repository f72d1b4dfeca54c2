#include "png_scanlines.h"

#include <cstring>

#include "png_adam7.h"
#include "png_filter.h"

namespace dibcore {

namespace {

inline uint32_t Load32(const uint8_t *p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

}  // namespace

void PngMaskChannel::Set(uint32_t m) {
    mask = m;
    shift = 0;
    if (m == 0) return;
    while (((m >> shift) & 1) == 0) ++shift;
    max = m >> shift;
}

bool PngRowSource::Init(const Picture &p) {
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

void PngRowSource::Row(uint32_t y, uint8_t *out) const {
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

void PngPickPixels(const uint8_t *row, int bits, uint32_t x0, uint32_t dx, uint32_t n, uint8_t *out) {
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

PngScanlines::PngScanlines(const PngRowSource &source, uint32_t width, uint32_t height, bool interlace)
    : source_(source), bits_(source.fileBits()), fullRowBytes_(size_t(PngRowBytes(width, source.fileBits()))) {
    static constexpr PngPass kWhole = {0, 0, 1, 1};
    const PngPass *passes = interlace ? kAdam7 : &kWhole;
    const int passCount = interlace ? 7 : 1;
    for (int i = 0; i < passCount; ++i) {
        const PngPass &pass = passes[i];
        const uint32_t pw = PngPassSize(width, pass.x0, pass.dx);
        const uint32_t ph = PngPassSize(height, pass.y0, pass.dy);
        if (pw == 0 || ph == 0) continue;
        Run &r = runs_[runCount_++];
        r = Run{count_, ph, pw, size_t(PngRowBytes(pw, bits_)), pass.x0, pass.dx, pass.y0, pass.dy, interlace};
        count_ += ph;
        filteredBytes_ += uint64_t(ph) * (r.rowBytes + 1);
    }
}

const PngScanlines::Run &PngScanlines::RunOf(uint32_t line) const {
    int i = runCount_ - 1;
    while (i > 0 && runs_[i].first > line) --i;
    return runs_[i];
}

void PngScanlines::Raw(uint32_t line, uint8_t *out, uint8_t *scratch) const {
    const Run &r = RunOf(line);
    const uint32_t y = r.y0 + (line - r.first) * r.dy;
    if (!r.pass) {
        source_.Row(y, out);
        return;
    }
    source_.Row(y, scratch);
    PngPickPixels(scratch, bits_, r.x0, r.dx, r.pixels, out);
}

bool PngScanlineFilterer::Alloc(size_t batchBytes) {
    const size_t row = lines_.fullRowBytes();
    capacity_ = row + 1 > batchBytes ? row + 1 : batchBytes;
    return batch_.Alloc(capacity_) && raw_.Alloc(row) && prev_.Alloc(row) && trial_.Alloc(row) &&
           scratch_.Alloc(row);
}

bool PngScanlineFilterer::Run(uint32_t begin, uint32_t end, PngFilteredSink *sink) {
    const int bpp = lines_.bits() >= 8 ? lines_.bits() / 8 : 1;
    size_t used = 0;
    for (uint32_t line = begin; line < end; ++line) {
        const PngScanlines::Run &run = lines_.RunOf(line);
        const size_t bytes = run.rowBytes;
        if (line == begin || line == run.first) {
            // The row above: zeros at the top of a pass, else rebuilt.
            if (line == run.first) std::memset(prev_.get(), 0, bytes);
            else lines_.Raw(line - 1, prev_.get(), scratch_.get());
        }
        lines_.Raw(line, raw_.get(), scratch_.get());
        if (capacity_ - used < bytes + 1) {
            if (!sink->Take(batch_.get(), used, false)) return false;
            used = 0;
        }
        uint8_t *dst = batch_.get() + used;
        dst[0] = uint8_t(PngFilterBest(filters_, raw_.get(), prev_.get(), bytes, bpp, dst + 1, trial_.get()));
        used += bytes + 1;
        std::memcpy(prev_.get(), raw_.get(), bytes);
    }
    return sink->Take(batch_.get(), used, true);
}

}  // namespace dibcore
