// JPEG encoder: any picture to YCbCr 4:2:0 (or one grey component), forward
// DCT and quantisation into a coefficient store, then Huffman tables made
// for this picture and the scans written, baseline or progressive.
#include <cstdlib>
#include <cstring>
#include <new>

#include "heap_array.h"
#include "jpeg_codec.h"
#include "jpeg_color.h"
#include "jpeg_fdct.h"
#include "jpeg_huffman_encode.h"
#include "jpeg_scan_coder.h"
#include "jpeg_tables.h"

namespace dibcore {

namespace {


// Rows of any uncompressed picture as B,G,R bytes, or as grey bytes when
// the picture is a palette of greys.
class RowSource {
public:
    bool Init(const Picture &p) {
        h_ = p.data.header;
        bpp_ = h_->biBitCount;
        width_ = h_->biWidth;
        if (h_->biCompression == kDibRle8 || h_->biCompression == kDibRle4) return false;
        if (bpp_ <= 8) {
            if (bpp_ != 1 && bpp_ != 4 && bpp_ != 8) return false;
            const DibRgbQuad *pal = PaletteOf(p);
            const uint32_t count = TableBytes(*h_) / 4;
            grey_ = true;
            for (uint32_t i = 0; i < 256; ++i) {
                palette_[i] = i < count ? pal[i] : DibRgbQuad{0, 0, 0, 0};
                if (i < count && (pal[i].red != pal[i].green || pal[i].red != pal[i].blue)) grey_ = false;
            }
        } else if (bpp_ == 16 || bpp_ == 32) {
            uint32_t masks[3];
            if (h_->biCompression == kDibBitFields) {
                const uint8_t *m = reinterpret_cast<const uint8_t *>(h_) + 40;
                std::memcpy(masks, m, 12);
            } else if (bpp_ == 16) {
                masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
            } else {
                masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
            }
            for (int c = 0; c < 3; ++c) {
                mask_[c] = masks[c];
                shift_[c] = 0;
                if (masks[c] == 0) continue;
                while (((masks[c] >> shift_[c]) & 1) == 0) ++shift_[c];
                max_[c] = masks[c] >> shift_[c];
            }
        } else if (bpp_ != 24) {
            return false;
        }
        picture_ = &p;
        return true;
    }
    bool grey() const { return bpp_ <= 8 && grey_; }
    // 24-bit rows can be read in place.
    bool Direct() const { return bpp_ == 24; }
    const Picture *picture() const { return picture_; }

    // Row y from the top into `out` (3 or 1 bytes per pixel).
    void Row(int y, uint8_t *out) const {
        const uint8_t *src = RowFromTop(*picture_, y);
        const int w = width_;
        if (bpp_ == 24) {
            std::memcpy(out, src, static_cast<size_t>(w) * 3);
            return;
        }
        if (bpp_ <= 8) {
            const int perByte = 8 / bpp_, mask = (1 << bpp_) - 1;
            for (int x = 0; x < w; ++x) {
                const int shift = 8 - bpp_ * (x % perByte + 1);
                const DibRgbQuad &q = palette_[(src[x / perByte] >> shift) & mask];
                if (grey_) {
                    out[x] = q.red;
                } else {
                    out[3 * x] = q.blue, out[3 * x + 1] = q.green, out[3 * x + 2] = q.red;
                }
            }
            return;
        }
        for (int x = 0; x < w; ++x) {
            uint32_t v;
            if (bpp_ == 16)
                v = static_cast<uint32_t>(src[2 * x] | (src[2 * x + 1] << 8));
            else
                std::memcpy(&v, src + 4 * x, 4);
            for (int c = 0; c < 3; ++c) {
                const uint32_t part = (v & mask_[c]) >> shift_[c];
                out[3 * x + 2 - c] =
                    mask_[c] ? static_cast<uint8_t>((uint64_t{part} * 255 + max_[c] / 2) / max_[c]) : 0;
            }
        }
    }

private:
    const Picture *picture_ = nullptr;
    const DibInfoHeader *h_ = nullptr;
    int bpp_ = 0, width_ = 0;
    bool grey_ = false;
    DibRgbQuad palette_[256];
    uint32_t mask_[3] = {}, max_[3] = {1, 1, 1};
    int shift_[3] = {};
};

struct EncComponent {
    int id, h, v, table;
    int bw, bh;  // blocks of the padded plane
    int pred;
    // Quantised blocks: all of them, in zigzag order, for a progressive file;
    // the last two MCU rows, in natural order, for a baseline one (written
    // as it goes).
    int storedRows;
    HeapArray<int16_t> coefs;
    int16_t *Block(int bx, int by) const {
        return coefs.get() + (static_cast<size_t>(by % storedRows) * bw + bx) * 64;
    }
};


// The usual progressive sequence: DC first at reduced precision, the low
// luma frequencies early, chroma next, then the refinement bits.
const JpegScanPlan kColourScript[] = {
    {3, {0, 1, 2}, 0, 0, 0, 1}, {1, {0}, 1, 5, 0, 2},  {1, {2}, 1, 63, 0, 1}, {1, {1}, 1, 63, 0, 1},
    {1, {0}, 6, 63, 0, 2},      {1, {0}, 1, 63, 2, 1}, {3, {0, 1, 2}, 0, 0, 1, 0}, {1, {2}, 1, 63, 1, 0},
    {1, {1}, 1, 63, 1, 0},      {1, {0}, 1, 63, 1, 0},
};
const JpegScanPlan kGreyScript[] = {
    {1, {0}, 0, 0, 0, 1}, {1, {0}, 1, 5, 0, 2}, {1, {0}, 6, 63, 0, 2},
    {1, {0}, 1, 63, 2, 1}, {1, {0}, 0, 0, 1, 0}, {1, {0}, 1, 63, 1, 0},
};
const JpegScanPlan kBaselineColour = {3, {0, 1, 2}, 0, 63, 0, 0};
const JpegScanPlan kBaselineGrey = {1, {0}, 0, 63, 0, 0};

class Encoder {
public:
    bool Run(const Picture &picture, int quality, bool progressive, ByteBuffer *out);

private:
    bool PrepareRows();
    void TransformRow(const RowSource &src, int my);
    void TransformBlock(const uint8_t *in, ptrdiff_t stride, const JpegDivisors &d, int16_t *out) const;
    template <bool kCount>
    void CodeScan(const JpegScanPlan &s, JpegScanCoder<kCount> &coder, JpegBitWriter *w);
    template <bool kCount>
    void CodeMcuRow(const JpegScanPlan &s, JpegScanCoder<kCount> &coder, int my);
    template <bool kCount>
    void CodeBlock(const JpegScanPlan &s, JpegScanCoder<kCount> &coder, EncComponent &c, const int16_t *z);
    void FlattenPadding(int my);
    bool AllocateSampleStore(int samples);
    void StoreSample(int my, int slot, bool back);
    void WriteMarker(uint8_t m, const uint8_t *payload, size_t n);
    void WriteHeaders(bool progressive);
    void WriteHuffman(const JpegScanPlan &s, uint32_t (*dcFreq)[256], uint32_t (*acFreq)[256]);

    static constexpr int kSampleStep = 4;
    HeapArray<uint8_t> rgb_, planes_, subsampled_;
    // Coefficients of the MCU rows transformed for the symbol counts, kept
    // so the writing pass need not transform them again (when memory allows).
    HeapArray<int16_t> samples_[3];
    size_t planeSize_ = 0;
    JpegDivisors div_[2];
    JpegBgrToYccFn bgrToYcc_ = nullptr;
    ByteBuffer *out_ = nullptr;
    bool zigzag_ = false;  // blocks kept in zigzag order
    int width_ = 0, height_ = 0, ncomp_ = 0, mcusX_ = 0, mcusY_ = 0, hmax_ = 1, vmax_ = 1;
    EncComponent comp_[3];
    uint16_t quant_[2][64];
    JpegHuffCode dcCode_[2], acCode_[2];
};

void Encoder::WriteMarker(uint8_t m, const uint8_t *payload, size_t n) {
    const uint8_t head[4] = {0xFF, m, static_cast<uint8_t>((n + 2) >> 8), static_cast<uint8_t>(n + 2)};
    out_->Append(head, 4);
    out_->Append(payload, n);
}

// Forward transform of the whole picture into the coefficient stores, one
// MCU row at a time: colour conversion, edge replication, 2x2 averaging.
bool Encoder::PrepareRows() {
    const int padW = mcusX_ * 8 * hmax_;
    if (!rgb_.Allocate(static_cast<uint64_t>(width_) * 3 + 16)) return false;
    planeSize_ = static_cast<size_t>(padW) * 8 * vmax_;
    if (!planes_.Allocate(planeSize_ * 3)) return false;
    if (ncomp_ == 3 && !subsampled_.Allocate(planeSize_ / 2)) return false;
    Jpeg_MakeDivisors(quant_[0], &div_[0]);
    Jpeg_MakeDivisors(quant_[1], &div_[1]);
    bgrToYcc_ = Jpeg_BgrToYccBest();
    return true;
}

// Forward transform of one MCU row into the coefficient stores: colour
// conversion, edge replication, 2x2 averaging, DCT and quantisation.
void Encoder::TransformRow(const RowSource &src, int my) {
    const int mcuH = 8 * vmax_;
    const int padW = mcusX_ * 8 * hmax_;
    uint8_t *plane[3] = {planes_.get(), planes_.get() + planeSize_, planes_.get() + 2 * planeSize_};
    for (int r = 0; r < mcuH; ++r) {
        int y = my * mcuH + r;
        if (y >= height_) y = height_ - 1;  // repeat the last row
        uint8_t *py = plane[0] + static_cast<size_t>(r) * padW;
        if (ncomp_ == 1) {
            src.Row(y, py);
        } else {
            const uint8_t *bgr = src.Direct() ? RowFromTop(*src.picture(), y) : (src.Row(y, rgb_.get()), rgb_.get());
            uint8_t *pb = plane[1] + static_cast<size_t>(r) * padW, *pr = plane[2] + static_cast<size_t>(r) * padW;
            bgrToYcc_(bgr, width_, py, pb, pr);
            for (int x = width_; x < padW; ++x) pb[x] = pb[width_ - 1], pr[x] = pr[width_ - 1];
        }
        for (int x = width_; x < padW; ++x) py[x] = py[width_ - 1];
    }
    EncComponent &Y = comp_[0];
    const int realBwY = (width_ + 7) / 8;
    for (int by = 0; by < Y.v; ++by)
        for (int bx = 0; bx < realBwY; ++bx)
            TransformBlock(plane[0] + static_cast<size_t>(by) * 8 * padW + bx * 8, padW, div_[0],
                           Y.Block(bx, my * Y.v + by));
    if (ncomp_ == 3) {
        // Chroma: 2x2 averages, then the blocks.
        const int subW = padW / 2;
        const int realBwC = ((width_ + 1) / 2 + 7) / 8;
        for (int c = 0; c < 2; ++c) {
            uint8_t *sub = subsampled_.get() + static_cast<size_t>(c) * (planeSize_ / 4);
            for (int r = 0; r < 8; ++r) {
                const uint8_t *a = plane[1 + c] + static_cast<size_t>(2 * r) * padW;
                JPEG_SIMD(Jpeg_Downsample2x2)(a, a + padW, subW, sub + static_cast<size_t>(r) * subW);
            }
            EncComponent &C = comp_[1 + c];
            for (int bx = 0; bx < realBwC; ++bx) TransformBlock(sub + bx * 8, subW, div_[1], C.Block(bx, my));
        }
    }
    FlattenPadding(my);
}

void Encoder::TransformBlock(const uint8_t *in, ptrdiff_t stride, const JpegDivisors &d, int16_t *out) const {
    if (!zigzag_) {
        Jpeg_FdctQuantize(in, stride, d, out);
        return;
    }
    alignas(16) int16_t natural[64];
    Jpeg_FdctQuantize(in, stride, d, natural);
    Jpeg_NaturalToZigzag(natural, out);
}

// Blocks that only pad the last MCUs are never shown: make them flat, with
// the DC of the block coded just before them (the last real one to the left,
// or the last of the MCU's row above), so their DC differences are zero.
void Encoder::FlattenPadding(int my) {
    for (int i = 0; i < ncomp_; ++i) {
        EncComponent &c = comp_[i];
        const int realBw = ((width_ * c.h + hmax_ - 1) / hmax_ + 7) / 8;
        const int realBh = ((height_ * c.v + vmax_ - 1) / vmax_ + 7) / 8;
        auto block = [&](int bx, int by) { return c.Block(bx, by); };
        for (int by = my * c.v; by < (my + 1) * c.v; ++by)
            for (int bx = 0; bx < c.bw; ++bx) {
                if (bx < realBw && by < realBh) continue;
                const int16_t dc =
                    by < realBh ? block(realBw - 1, by)[0] : block(bx / c.h * c.h + c.h - 1, by - 1)[0];
                int16_t *b = block(bx, by);
                std::memset(b, 0, 64 * sizeof(int16_t));
                b[0] = dc;
            }
    }
}

bool Encoder::AllocateSampleStore(int samples) {
    for (int i = 0; i < ncomp_; ++i) {
        const EncComponent &c = comp_[i];
        if (!samples_[i].Allocate(static_cast<uint64_t>(samples) * c.v * c.bw * 64)) return false;
    }
    return true;
}

// Copies MCU row `my` between the rolling store and slot `slot` of the kept
// samples (`back`: from the samples). An MCU row's blocks lie together in
// the rolling store.
void Encoder::StoreSample(int my, int slot, bool back) {
    for (int i = 0; i < ncomp_; ++i) {
        const EncComponent &c = comp_[i];
        const size_t n = static_cast<size_t>(c.v) * c.bw * 64;
        int16_t *rolling = c.Block(0, my * c.v), *kept = samples_[i].get() + static_cast<size_t>(slot) * n;
        if (back)
            std::memcpy(rolling, kept, n * sizeof(int16_t));
        else
            std::memcpy(kept, rolling, n * sizeof(int16_t));
    }
}

template <bool kCount>
void Encoder::CodeBlock(const JpegScanPlan &s, JpegScanCoder<kCount> &coder, EncComponent &c, const int16_t *z) {
    if (s.ss == 0 && s.se == 63) {
        coder.BaselineBlock(z, c.pred, c.table, c.table);
    } else if (s.ss == 0) {
        if (s.ah == 0) {
            const int v = z[0] >> s.al;
            coder.Dc(v - c.pred, c.table);
            c.pred = v;
        } else {
            coder.Bits(static_cast<uint32_t>(z[0] >> s.al) & 1, 1);
        }
    } else if (s.ah == 0) {
        coder.AcFirst(z, s, c.table);
    } else {
        coder.AcRefine(z, s, c.table);
    }
}

// One row of MCUs of an interleaved scan (or of a grey picture, whose
// blocks are its MCUs).
template <bool kCount>
void Encoder::CodeMcuRow(const JpegScanPlan &s, JpegScanCoder<kCount> &coder, int my) {
    if (s.ss == 0 && s.se == 63) {
        // Sequential scans of every component: the rows of blocks are found
        // once, then each MCU's blocks lie at fixed steps along them.
        const int16_t *rows[3][2];
        for (int i = 0; i < s.count; ++i) {
            const EncComponent &c = comp_[s.comp[i]];
            for (int by = 0; by < c.v; ++by) rows[i][by] = c.Block(0, my * c.v + by);
        }
        for (int mx = 0; mx < mcusX_; ++mx)
            for (int i = 0; i < s.count; ++i) {
                EncComponent &c = comp_[s.comp[i]];
                for (int by = 0; by < c.v; ++by)
                    for (int bx = 0; bx < c.h; ++bx)
                        coder.BaselineBlock(rows[i][by] + static_cast<size_t>(mx * c.h + bx) * 64, c.pred, c.table,
                                            c.table);
            }
        return;
    }
    for (int mx = 0; mx < mcusX_; ++mx)
        for (int i = 0; i < s.count; ++i) {
            EncComponent &c = comp_[s.comp[i]];
            for (int by = 0; by < c.v; ++by)
                for (int bx = 0; bx < c.h; ++bx)
                    CodeBlock(s, coder, c,
                              c.Block(mx * c.h + bx, my * c.v + by));
        }
}

template <bool kCount>
void Encoder::CodeScan(const JpegScanPlan &s, JpegScanCoder<kCount> &coder, JpegBitWriter *w) {
    for (int i = 0; i < s.count; ++i) comp_[s.comp[i]].pred = 0;
    if (s.count > 1 || ncomp_ == 1) {
        for (int my = 0; my < mcusY_; ++my) CodeMcuRow(s, coder, my);
    } else {
        // A lone component of a colour picture: only its real blocks.
        EncComponent &c = comp_[s.comp[0]];
        const int cw = ((width_ * c.h + hmax_ - 1) / hmax_ + 7) / 8;
        const int ch = ((height_ * c.v + vmax_ - 1) / vmax_ + 7) / 8;
        for (int by = 0; by < ch; ++by)
            for (int bx = 0; bx < cw; ++bx)
                CodeBlock(s, coder, c, c.Block(bx, by));
    }
    if (s.ss > 0) coder.EmitEobRun(comp_[s.comp[0]].table);
    if (w) w->Flush();
}

void Encoder::WriteHeaders(bool progressive) {
    out_->Byte(0xFF);
    out_->Byte(0xD8);
    static const uint8_t kJfif[14] = {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
    WriteMarker(0xE0, kJfif, sizeof kJfif);
    uint8_t dqt[2 * 65];
    const int tables = ncomp_ == 3 ? 2 : 1;
    for (int t = 0; t < tables; ++t) {
        dqt[t * 65] = static_cast<uint8_t>(t);
        for (int k = 0; k < 64; ++k) dqt[t * 65 + 1 + k] = static_cast<uint8_t>(quant_[t][k]);
    }
    WriteMarker(0xDB, dqt, static_cast<size_t>(tables) * 65);
    uint8_t sof[6 + 9] = {8, static_cast<uint8_t>(height_ >> 8), static_cast<uint8_t>(height_),
                          static_cast<uint8_t>(width_ >> 8), static_cast<uint8_t>(width_), static_cast<uint8_t>(ncomp_)};
    for (int i = 0; i < ncomp_; ++i) {
        sof[6 + 3 * i] = static_cast<uint8_t>(comp_[i].id);
        sof[7 + 3 * i] = static_cast<uint8_t>((comp_[i].h << 4) | comp_[i].v);
        sof[8 + 3 * i] = static_cast<uint8_t>(comp_[i].table);
    }
    WriteMarker(progressive ? 0xC2 : 0xC0, sof, 6 + 3 * static_cast<size_t>(ncomp_));
}

void Encoder::WriteHuffman(const JpegScanPlan &s, uint32_t (*dcFreq)[256], uint32_t (*acFreq)[256]) {
    uint8_t dht[4 * (17 + 256)];
    size_t n = 0;
    auto add = [&](int cls, int t, uint32_t *freq, JpegHuffCode *code) {
        bool any = false;
        for (int i = 0; i < 256; ++i) any = any || freq[i];
        if (!any) freq[0] = 1;  // never write an empty table
        Jpeg_OptimalHuffman(freq, code);
        dht[n++] = static_cast<uint8_t>((cls << 4) | t);
        std::memcpy(dht + n, code->counts, 16);
        n += 16;
        std::memcpy(dht + n, code->symbols, static_cast<size_t>(code->symbolCount));
        n += static_cast<size_t>(code->symbolCount);
    };
    bool used[2] = {};
    for (int i = 0; i < s.count; ++i) used[comp_[s.comp[i]].table] = true;
    for (int t = 0; t < 2; ++t) {
        if (!used[t]) continue;
        if (s.ss == 0 && s.ah == 0) add(0, t, dcFreq[t], &dcCode_[t]);
        if (s.se > 0) add(1, t, acFreq[t], &acCode_[t]);
    }
    if (n) WriteMarker(0xC4, dht, n);
}

bool Encoder::Run(const Picture &picture, int quality, bool progressive, ByteBuffer *out) {
    out_ = out;
    RowSource src;
    if (picture.data.header == nullptr || !src.Init(picture)) return false;
    width_ = picture.data.header->biWidth;
    height_ = picture.data.header->biHeight < 0 ? -picture.data.header->biHeight : picture.data.header->biHeight;
    if (width_ <= 0 || height_ <= 0 || width_ > 65535 || height_ > 65535) return false;
    ncomp_ = src.grey() ? 1 : 3;
    zigzag_ = progressive;
    hmax_ = vmax_ = ncomp_ == 3 ? 2 : 1;
    mcusX_ = (width_ + 8 * hmax_ - 1) / (8 * hmax_);
    mcusY_ = (height_ + 8 * vmax_ - 1) / (8 * vmax_);
    for (int i = 0; i < ncomp_; ++i) {
        EncComponent &c = comp_[i];
        c.id = i + 1;
        c.h = c.v = i == 0 ? hmax_ : 1;
        c.table = i == 0 ? 0 : 1;
        c.bw = mcusX_ * c.h;
        c.bh = mcusY_ * c.v;
        c.storedRows = progressive ? c.bh : 2 * c.v;
        if (!c.coefs.Allocate(static_cast<uint64_t>(c.bw) * c.storedRows * 64, true)) return false;
    }
    Jpeg_ScaleQuant(kJpegStdLumaQuant, quality, quant_[0]);
    Jpeg_ScaleQuant(kJpegStdChromaQuant, quality, quant_[1]);

    const JpegScanPlan *script;
    int scans;
    if (progressive) {
        script = ncomp_ == 3 ? kColourScript : kGreyScript;
        scans = ncomp_ == 3 ? int(sizeof kColourScript / sizeof *kColourScript)
                            : int(sizeof kGreyScript / sizeof *kGreyScript);
    } else {
        script = ncomp_ == 3 ? &kBaselineColour : &kBaselineGrey;
        scans = 1;
    }
    HeapArray<uint32_t> freqStore;
    if (!freqStore.Allocate(4 * 256, true) || !PrepareRows()) return false;
    auto *freq = reinterpret_cast<uint32_t(*)[256]>(freqStore.get());
    int step = 1;
    bool keepSamples = false;
    if (progressive) {
        for (int my = 0; my < mcusY_; ++my) TransformRow(src, my);
    } else {
        // Symbol counts first, from every fourth MCU row of a large picture
        // (which fits the tables as well at a quarter of the cost), then the
        // picture is transformed again and written as it goes: no store of
        // coefficients for the whole picture.
        step = mcusY_ >= 8 * kSampleStep ? kSampleStep : 1;
        keepSamples = AllocateSampleStore((mcusY_ + step - 1) / step);
        JpegScanCoder<true> counter(nullptr, freq, freq + 2, nullptr, nullptr);
        for (int i = 0; i < ncomp_; ++i) comp_[i].pred = 0;
        for (int my = 0; my < mcusY_; my += step) {
            TransformRow(src, my);
            if (keepSamples) StoreSample(my, my / step, false);
            CodeMcuRow(*script, counter, my);
        }
        if (step > 1) {
            // Rows not counted may hold symbols the sample lacks: every
            // symbol an 8-bit picture can produce gets a count.
            for (int t = 0; t < (ncomp_ == 3 ? 2 : 1); ++t) {
                for (int k = 0; k <= 11; ++k) freq[t][k]++;
                freq[2 + t][0x00]++;
                freq[2 + t][0xF0]++;
                for (int run = 0; run < 16; ++run)
                    for (int size = 1; size <= 10; ++size) freq[2 + t][(run << 4) | size]++;
            }
        }
    }
    WriteHeaders(progressive);
    for (int i = 0; i < scans; ++i) {
        const JpegScanPlan &s = script[i];
        const bool needsCodes = !(s.ss == 0 && s.ah != 0);  // DC refinement is raw bits
        if (needsCodes && progressive) {
            std::memset(freq, 0, sizeof(uint32_t) * 4 * 256);
            JpegScanCoder<true> counter(nullptr, freq, freq + 2, nullptr, nullptr);
            CodeScan(s, counter, nullptr);
        }
        if (needsCodes) WriteHuffman(s, freq, freq + 2);
        uint8_t sos[1 + 6 + 3];
        size_t n = 0;
        sos[n++] = static_cast<uint8_t>(s.count);
        for (int k = 0; k < s.count; ++k) {
            const EncComponent &c = comp_[s.comp[k]];
            sos[n++] = static_cast<uint8_t>(c.id);
            sos[n++] = static_cast<uint8_t>((c.table << 4) | c.table);
        }
        sos[n++] = static_cast<uint8_t>(s.ss);
        sos[n++] = static_cast<uint8_t>(s.se);
        sos[n++] = static_cast<uint8_t>((s.ah << 4) | s.al);
        WriteMarker(0xDA, sos, n);
        JpegBitWriter writer(out_);
        JpegScanCoder<false> coder(&writer, nullptr, nullptr, dcCode_, acCode_);
        if (progressive) {
            CodeScan(s, coder, &writer);
        } else {
            for (int k = 0; k < ncomp_; ++k) comp_[k].pred = 0;
            for (int my = 0; my < mcusY_; ++my) {
                if (keepSamples && my % step == 0) {
                    // Padding blocks take their DC from the row above,
                    // which the counting pass may not have transformed.
                    StoreSample(my, my / step, true);
                    FlattenPadding(my);
                } else {
                    TransformRow(src, my);
                }
                CodeMcuRow(s, coder, my);
            }
            writer.Flush();
        }
    }
    out_->Byte(0xFF);
    out_->Byte(0xD9);
    return !out_->failed();
}

}  // namespace

bool Jpeg_Encode(const Picture &picture, int quality, bool progressive, ByteBuffer *out) {
    if (out == nullptr) return false;
    auto *e = static_cast<Encoder *>(std::malloc(sizeof(Encoder)));
    if (e == nullptr) return false;
    new (e) Encoder();
    const bool ok = e->Run(picture, quality, progressive, out);
    e->~Encoder();
    std::free(e);
    return ok;
}

}  // namespace dibcore
