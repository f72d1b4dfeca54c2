// JPEG decoder: markers, baseline and progressive Huffman scans, and the
// output stage. A file with one interleaved baseline scan is decoded in a
// single pass straight into sample planes; every other layout (progressive,
// or several sequential scans) collects coefficients first and transforms
// them at the end.
#include <cstdlib>
#include <cstring>
#include <new>

#include "jpeg_bitreader.h"
#include "heap_array.h"
#include "jpeg_codec.h"
#include "jpeg_color.h"
#include "jpeg_idct.h"
#include "jpeg_tables.h"

namespace dibcore {

namespace {


enum class ColourModel { Grey, YCbCr, Rgb, Cmyk, Ycck };

struct Component {
    int id = 0, h = 1, v = 1, tq = 0;
    int bw = 0, bh = 0;        // blocks across and down the plane, MCU padded
    int realW = 0, realH = 0;  // samples of the component's own grid
    int dcTable = 0, acTable = 0;
    int pred = 0;
    bool quantLatched = false;
    uint16_t quantZigzag[64 + 16] = {};  // dequantisation in zigzag order
    size_t stride = 0;
    // Samples of the last three MCU rows: the row being decoded, the one
    // being output and the one above it that smooth upsampling reads.
    int ringRows = 0;
    HeapArray<uint8_t> plane;
    uint8_t *Row(int y) const { return plane.get() + static_cast<size_t>(y % ringRows) * stride; }
    HeapArray<int16_t> coefs;  // 64 per block, natural order, not dequantised
};

struct Scan {
    int count = 0;
    int comp[4] = {};
    int ss = 0, se = 63, ah = 0, al = 0;
};

inline uint16_t Be16(const uint8_t *p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline int CeilDiv(int64_t a, int64_t b) { return static_cast<int>((a + b - 1) / b); }

class Decoder {
public:
    Decoder(const uint8_t *data, size_t size) : begin_(data), end_(data + size) {}
    int Run(bool topDown, Picture **out, const char **message);
    int Header(JpegHeaderInfo *info);

private:
    int Fail(const char *why) {
        error_ = why;
        return kJpegFailed;
    }
    bool NextMarker(uint8_t *marker);
    bool Segment(const uint8_t **payload, size_t *length);
    int ReadFrame(const uint8_t *p, size_t n, uint8_t marker);
    int ReadHuffman(const uint8_t *p, size_t n);
    int ReadQuant(const uint8_t *p, size_t n);
    int ReadScanHeader(const uint8_t *p, size_t n, Scan *scan);
    int Prepare(bool topDown);
    int DecodeScan(const Scan &scan);
    int Restart(const Scan &scan, int expected);
    void DecodeMcuStreaming(const Scan &scan, int mx, int my);
    void FillMcuGrey(const Scan &scan, int mx, int my);
    void DecodeBlockProgressive(const Scan &scan, Component &c, int16_t *blk);
    void TransformMcuRow(int my);
    void EmitRows(int upTo);
    const uint8_t *ComponentRow(int ci, int y);
    ColourModel Model() const;

    const uint8_t *begin_, *end_;
    const uint8_t *p_ = nullptr;
    const char *error_ = nullptr;

    bool frame_ = false, progressive_ = false;
    int width_ = 0, height_ = 0, ncomp_ = 0, hmax_ = 1, vmax_ = 1, mcusX_ = 0, mcusY_ = 0;
    Component comp_[4];
    uint16_t quant_[4][64] = {};
    bool quantDefined_[4] = {};
    JpegHuffTable dc_[4] = {}, ac_[4] = {};
    int restartInterval_ = 0;
    bool jfif_ = false, adobe_ = false;
    int adobeTransform_ = -1;

    bool prepared_ = false, streaming_ = false, anyScan_ = false;
    int eobrun_ = 0;
    JpegBitReader br_;
    alignas(16) int16_t block_[64] = {};
    PictureOwner picture_;
    int rowsEmitted_ = 0;
    HeapArray<uint8_t> scratch_;
    HeapArray<int16_t> sums_;
    uint8_t *rowScratch_[4] = {};
};

bool Decoder::NextMarker(uint8_t *marker) {
    // Skip anything up to 0xFF, fill bytes, stuffed zeros and stray restarts.
    while (p_ + 1 < end_) {
        if (p_[0] != 0xFF) {
            ++p_;
            continue;
        }
        const uint8_t m = p_[1];
        if (m == 0xFF) {
            ++p_;
            continue;
        }
        p_ += 2;
        if (m < 0xC0 || (m >= 0xD0 && m <= 0xD7)) continue;
        *marker = m;
        return true;
    }
    p_ = end_;
    return false;
}

bool Decoder::Segment(const uint8_t **payload, size_t *length) {
    if (end_ - p_ < 2) return false;
    const size_t n = Be16(p_);
    if (n < 2 || static_cast<size_t>(end_ - p_) < n) return false;
    *payload = p_ + 2;
    *length = n - 2;
    p_ += n;
    return true;
}

int Decoder::ReadFrame(const uint8_t *p, size_t n, uint8_t marker) {
    if (frame_) return kJpegOk;  // a second frame header: keep the first
    if (marker >= 0xC9) return Fail("arithmetic-coded JPEG is not supported");
    if (marker == 0xC3 || marker >= 0xC5) return Fail("lossless or hierarchical JPEG is not supported");
    if (n < 6) return Fail("damaged frame header");
    if (p[0] != 8) return Fail("only 8-bit JPEG is supported (12-bit file)");
    height_ = Be16(p + 1);
    width_ = Be16(p + 3);
    ncomp_ = p[5];
    if (width_ == 0 || height_ == 0) return Fail("JPEG without a width or height");
    if (ncomp_ != 1 && ncomp_ != 3 && ncomp_ != 4) return Fail("unsupported number of colour components");
    if (n < 6 + 3 * static_cast<size_t>(ncomp_)) return Fail("damaged frame header");
    for (int i = 0; i < ncomp_; ++i) {
        Component &c = comp_[i];
        c.id = p[6 + 3 * i];
        c.h = p[7 + 3 * i] >> 4;
        c.v = p[7 + 3 * i] & 15;
        c.tq = p[8 + 3 * i];
        if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.tq > 3) return Fail("damaged frame header");
        if (hmax_ < c.h) hmax_ = c.h;
        if (vmax_ < c.v) vmax_ = c.v;
    }
    if (ncomp_ == 1) {
        // A lone component is never interleaved; its factors mean nothing.
        comp_[0].h = comp_[0].v = hmax_ = vmax_ = 1;
    }
    for (int i = 0; i < ncomp_; ++i)
        if (hmax_ % comp_[i].h || vmax_ % comp_[i].v) return Fail("unsupported sampling factors");
    mcusX_ = CeilDiv(width_, 8 * hmax_);
    mcusY_ = CeilDiv(height_, 8 * vmax_);
    for (int i = 0; i < ncomp_; ++i) {
        Component &c = comp_[i];
        c.bw = mcusX_ * c.h;
        c.bh = mcusY_ * c.v;
        c.realW = CeilDiv(int64_t{width_} * c.h, hmax_);
        c.realH = CeilDiv(int64_t{height_} * c.v, vmax_);
    }
    progressive_ = marker == 0xC2;
    frame_ = true;
    return kJpegOk;
}

int Decoder::ReadHuffman(const uint8_t *p, size_t n) {
    while (n > 0) {
        if (n < 17) return Fail("damaged Huffman table");
        const int tc = p[0] >> 4, th = p[0] & 15;
        int total = 0;
        for (int i = 0; i < 16; ++i) total += p[1 + i];
        if (tc > 1 || th > 3 || n < 17 + static_cast<size_t>(total)) return Fail("damaged Huffman table");
        JpegHuffTable &t = tc ? ac_[th] : dc_[th];
        if (!Jpeg_BuildHuffTable(p + 1, p + 17, total, tc == 1, &t)) return Fail("damaged Huffman table");
        p += 17 + total;
        n -= 17 + total;
    }
    return kJpegOk;
}

int Decoder::ReadQuant(const uint8_t *p, size_t n) {
    while (n > 0) {
        const int pq = p[0] >> 4, tq = p[0] & 15;
        const size_t need = 1 + 64 * (pq ? 2 : 1);
        if (pq > 1 || tq > 3 || n < need) return Fail("damaged quantisation table");
        for (int i = 0; i < 64; ++i) quant_[tq][i] = pq ? Be16(p + 1 + 2 * i) : p[1 + i];
        quantDefined_[tq] = true;
        p += need;
        n -= need;
    }
    return kJpegOk;
}

int Decoder::ReadScanHeader(const uint8_t *p, size_t n, Scan *scan) {
    if (n < 1) return Fail("damaged scan header");
    scan->count = p[0];
    if (scan->count < 1 || scan->count > ncomp_ || n < 4 + 2 * static_cast<size_t>(scan->count))
        return Fail("damaged scan header");
    int blocks = 0;
    for (int i = 0; i < scan->count; ++i) {
        int found = -1;
        for (int c = 0; c < ncomp_; ++c)
            if (comp_[c].id == p[1 + 2 * i]) found = c;
        if (found < 0) return Fail("scan names an unknown component");
        for (int j = 0; j < i; ++j)
            if (scan->comp[j] == found) return Fail("damaged scan header");
        scan->comp[i] = found;
        comp_[found].dcTable = (p[2 + 2 * i] >> 4) & 3;
        comp_[found].acTable = p[2 + 2 * i] & 3;
        blocks += comp_[found].h * comp_[found].v;
    }
    if (scan->count > 1 && blocks > 10) return Fail("damaged scan header");
    const uint8_t *q = p + 1 + 2 * scan->count;
    scan->ss = q[0];
    scan->se = q[1];
    scan->ah = q[2] >> 4;
    scan->al = q[2] & 15;
    if (progressive_) {
        const bool bad = scan->ss > scan->se || scan->se > 63 || (scan->ss == 0 && scan->se != 0) ||
                         (scan->ss > 0 && scan->count != 1) || scan->al > 13;
        if (bad) return Fail("damaged progressive scan");
    } else {
        scan->ss = 0;
        scan->se = 63;
        scan->ah = scan->al = 0;
    }
    // Tables are fixed for a component when it first appears in a scan.
    for (int i = 0; i < scan->count; ++i) {
        Component &c = comp_[scan->comp[i]];
        if (c.quantLatched) continue;
        if (!quantDefined_[c.tq]) return Fail("missing quantisation table");
        for (int k = 0; k < 64; ++k) c.quantZigzag[k] = quant_[c.tq][k];
        for (int k = 64; k < 80; ++k) c.quantZigzag[k] = 0;
        c.quantLatched = true;
    }
    // Motion-JPEG frames leave out the Huffman tables: use the standard ones.
    for (int i = 0; i < scan->count; ++i) {
        const Component &c = comp_[scan->comp[i]];
        if (!dc_[c.dcTable].defined) {
            const JpegStdHuffman &s = c.dcTable ? kJpegStdDcChroma : kJpegStdDcLuma;
            Jpeg_BuildHuffTable(s.counts, s.values, s.valueCount, false, &dc_[c.dcTable]);
        }
        if (!ac_[c.acTable].defined) {
            const JpegStdHuffman &s = c.acTable ? kJpegStdAcChroma : kJpegStdAcLuma;
            Jpeg_BuildHuffTable(s.counts, s.values, s.valueCount, true, &ac_[c.acTable]);
        }
    }
    return kJpegOk;
}

ColourModel Decoder::Model() const {
    if (ncomp_ == 1) return ColourModel::Grey;
    if (ncomp_ == 4) return adobe_ && adobeTransform_ == 2 ? ColourModel::Ycck : ColourModel::Cmyk;
    if (jfif_) return ColourModel::YCbCr;
    if (adobe_) return adobeTransform_ == 0 ? ColourModel::Rgb : ColourModel::YCbCr;
    if (comp_[0].id == 'R' && comp_[1].id == 'G' && comp_[2].id == 'B') return ColourModel::Rgb;
    return ColourModel::YCbCr;
}

// Allocates the picture and the planes once the first scan shows the layout.
int Decoder::Prepare(bool topDown) {
    const int bpp = ncomp_ == 1 ? 8 : 24;
    DibRgbQuad grey[256];
    for (int i = 0; i < 256; ++i) grey[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    picture_.Reset(NewSimplePicture(width_, topDown ? -height_ : height_, bpp, bpp == 8 ? 256 : 0,
                                    bpp == 8 ? grey : nullptr));
    if (!picture_) return Fail("picture too large or out of memory");
    uint64_t scratch = 0;
    for (int i = 0; i < ncomp_; ++i) {
        Component &c = comp_[i];
        c.stride = static_cast<size_t>(c.bw) * 8;
        c.ringRows = 8 * c.v * (mcusY_ < 3 ? mcusY_ : 3);
        if (!c.plane.Allocate(uint64_t{c.stride} * c.ringRows, false)) return Fail("out of memory");
        if (!streaming_ && !c.coefs.Allocate(static_cast<uint64_t>(c.bw) * c.bh * 64, true)) return Fail("out of memory");
        scratch += static_cast<uint64_t>(c.realW) * 4 + 64;
    }
    if (!scratch_.Allocate(scratch, false) || !sums_.Allocate(static_cast<uint64_t>(width_) + 64, false))
        return Fail("out of memory");
    uint8_t *s = scratch_.get();
    for (int i = 0; i < ncomp_; ++i) {
        rowScratch_[i] = s;
        s += static_cast<size_t>(comp_[i].realW) * 4 + 64;
    }
    prepared_ = true;
    return kJpegOk;
}

// Decodes one baseline block into `blk` (zeroed), multiplying by `q` (zigzag
// order). Returns the highest zigzag index written. The bit buffer lives in
// locals so it stays in registers.
inline int DecodeBlockBaseline(JpegBitReader &br, const JpegHuffTable &dc, const JpegHuffTable &ac, int &pred,
                               const uint16_t *q, int16_t *blk) {
    uint64_t buf;
    int bits;
    br.Export(&buf, &bits);
    auto fill = [&] {
        if (bits < 32) {
            br.Import(buf, bits);
            br.Refill();
            br.Export(&buf, &bits);
        }
    };
    auto skip = [&](int n) {
        buf <<= n;
        bits -= n;
    };
    // n in 0..16; the double shift gives 0 for n = 0 without a branch.
    auto get = [&](int n) {
        const uint32_t v = static_cast<uint32_t>((buf >> 1) >> (63 - n));
        skip(n);
        return v;
    };
    auto decode = [&](const JpegHuffTable &t) -> int {
        const uint16_t f = t.fast[buf >> (64 - kJpegLookBits)];
        if (f) {
            skip(f >> 8);
            return f & 0xFF;
        }
        const uint32_t peek16 = static_cast<uint32_t>(buf >> 48);
        int l = kJpegLookBits + 1;
        while (l <= 16 && peek16 >= t.maxcode[l]) ++l;
        if (l > 16) {  // no such code: damaged data
            skip(16);
            return 0;
        }
        const int index = static_cast<int>(peek16 >> (16 - l)) + t.delta[l];
        skip(l);
        return t.symbols[index & 0xFF];
    };

    fill();
    const int s = decode(dc) & 15;
    const int diff = Jpeg_Extend(get(s), s);
    pred = static_cast<int16_t>(static_cast<uint16_t>(pred + diff));
    blk[0] = static_cast<int16_t>(static_cast<uint32_t>(pred) * q[0]);
    int last = 0;
    for (int k = 1; k < 64;) {
        fill();
        const int32_t f = ac.fastAc[buf >> (64 - kJpegLookBits)];
        if (f) {
            skip(f & 0xFF);
            k += (f >> 8) & 15;
            blk[kJpegZigzagToNatural[k]] = static_cast<int16_t>(static_cast<uint32_t>(f >> 16) * q[k]);
            last = k++;
            continue;
        }
        const int rs = decode(ac);
        const int r = rs >> 4, sz = rs & 15;
        if (sz == 0) {
            if (r < 15) break;
            k += 16;
            continue;
        }
        k += r;
        const int value = Jpeg_Extend(get(sz), sz);
        blk[kJpegZigzagToNatural[k]] = static_cast<int16_t>(static_cast<uint32_t>(value) * q[k]);
        last = k++;
    }
    br.Import(buf, bits);
    return last;
}

void Decoder::DecodeMcuStreaming(const Scan &scan, int mx, int my) {
    for (int i = 0; i < scan.count; ++i) {
        Component &c = comp_[scan.comp[i]];
        const int bh = scan.count > 1 ? c.v : 1, bwid = scan.count > 1 ? c.h : 1;
        for (int by = 0; by < bh; ++by)
            for (int bx = 0; bx < bwid; ++bx) {
                const int x = mx * bwid + bx, y = my * bh + by;
                uint8_t *out = c.Row(y * 8) + static_cast<size_t>(x) * 8;
                const int last = DecodeBlockBaseline(br_, dc_[c.dcTable], ac_[c.acTable], c.pred, c.quantZigzag,
                                                     block_);
                if (last == 0)
                    Jpeg_IdctDcOnly(block_[0], out, static_cast<ptrdiff_t>(c.stride));
                else
                    Jpeg_Idct(block_, out, static_cast<ptrdiff_t>(c.stride));
                std::memset(block_, 0, sizeof block_);
            }
    }
}

void Decoder::FillMcuGrey(const Scan &scan, int mx, int my) {
    for (int i = 0; i < scan.count; ++i) {
        Component &c = comp_[scan.comp[i]];
        const int bh = scan.count > 1 ? c.v : 1, bwid = scan.count > 1 ? c.h : 1;
        for (int by = 0; by < bh; ++by)
            for (int bx = 0; bx < bwid; ++bx) {
                const int x = mx * bwid + bx, y = my * bh + by;
                Jpeg_IdctDcOnly(0, c.Row(y * 8) + static_cast<size_t>(x) * 8, static_cast<ptrdiff_t>(c.stride));
            }
    }
}

void Decoder::DecodeBlockProgressive(const Scan &scan, Component &c, int16_t *blk) {
    JpegBitReader &br = br_;
    br.Refill();
    if (scan.ss == 0) {
        if (scan.ah == 0) {
            const int s = br.Decode(dc_[c.dcTable]) & 15;
            const int diff = Jpeg_Extend(br.Get(s), s);
            c.pred = static_cast<int16_t>(static_cast<uint16_t>(c.pred + diff));
            blk[0] = static_cast<int16_t>(static_cast<uint32_t>(c.pred) << scan.al);
        } else if (br.Get(1)) {
            blk[0] = static_cast<int16_t>(blk[0] | (1 << scan.al));
        }
        return;
    }
    const JpegHuffTable &ac = ac_[c.acTable];
    if (scan.ah == 0) {
        if (eobrun_ > 0) {
            --eobrun_;
            return;
        }
        for (int k = scan.ss; k <= scan.se; ++k) {
            br.Refill();
            const int rs = br.Decode(ac);
            const int r = rs >> 4, s = rs & 15;
            if (s) {
                k += r;
                const int v = Jpeg_Extend(br.Get(s), s);
                blk[kJpegZigzagToNatural[k]] = static_cast<int16_t>(static_cast<uint32_t>(v) << scan.al);
            } else if (r == 15) {
                k += 15;
            } else {
                eobrun_ = (1 << r) - 1;
                if (r) eobrun_ += static_cast<int>(br.Get(r));
                break;
            }
        }
        return;
    }
    // Refinement: one more bit of every coefficient already seen, and new
    // coefficients of magnitude one.
    const int p1 = 1 << scan.al, m1 = -p1;
    int k = scan.ss;
    auto refine = [&](int16_t &coef) {
        if (br.Get(1) && (coef & p1) == 0) coef = static_cast<int16_t>(coef + (coef >= 0 ? p1 : m1));
    };
    if (eobrun_ == 0) {
        for (; k <= scan.se; ++k) {
            br.Refill();
            const int rs = br.Decode(ac);
            int r = rs >> 4, s = rs & 15;
            int value = 0;
            if (s) {
                value = br.Get(1) ? p1 : m1;
            } else if (r != 15) {
                eobrun_ = 1 << r;
                if (r) eobrun_ += static_cast<int>(br.Get(r));
                break;
            }
            while (k <= scan.se) {
                int16_t &coef = blk[kJpegZigzagToNatural[k]];
                br.Refill();
                if (coef != 0) {
                    refine(coef);
                } else {
                    if (--r < 0) break;
                }
                ++k;
            }
            if (value) blk[kJpegZigzagToNatural[k]] = static_cast<int16_t>(value);
        }
    }
    if (eobrun_ > 0) {
        for (; k <= scan.se; ++k) {
            int16_t &coef = blk[kJpegZigzagToNatural[k]];
            if (coef != 0) {
                br.Refill();
                refine(coef);
            }
        }
        --eobrun_;
    }
}

// At a restart interval: find the restart marker numbered `expected` and
// start afresh after it. Returns how many intervals were lost (a marker one
// or two numbers further on means intervals went missing), or -1 when the
// scan's data has ended (another marker or the end of the file).
int Decoder::Restart(const Scan &scan, int expected) {
    const uint8_t *p = br_.Position();
    while (p + 1 < end_) {
        if (p[0] == 0xFF && p[1] >= 0xD0 && p[1] <= 0xD7) {
            const int lost = (p[1] - 0xD0 - expected) & 7;
            // Other numbers are stray bytes of damaged data: keep looking.
            if (lost <= 2) {
                br_.SetPosition(p + 2);
                for (int i = 0; i < scan.count; ++i) comp_[scan.comp[i]].pred = 0;
                eobrun_ = 0;
                return lost;
            }
            p += 2;
            continue;
        }
        // Only a real marker ends the scan; 0xFF followed by a byte below
        // 0xC0 is damage, skipped like any other.
        if (p[0] == 0xFF && p[1] >= 0xC0 && p[1] != 0xFF) break;
        ++p;
    }
    br_.SetPosition(p);
    return -1;
}

int Decoder::DecodeScan(const Scan &scan) {
    for (int i = 0; i < scan.count; ++i) comp_[scan.comp[i]].pred = 0;
    eobrun_ = 0;
    br_.Start(p_, end_);
    const bool interleaved = scan.count > 1;
    const Component &first = comp_[scan.comp[0]];
    const int mcusX = interleaved ? mcusX_ : CeilDiv(first.realW, 8);
    const int mcusY = interleaved ? mcusY_ : CeilDiv(first.realH, 8);
    int restartLeft = restartInterval_, expectedRestart = 0, lostIntervals = 0;
    bool live = true;
    for (int my = 0; my < mcusY; ++my) {
        for (int mx = 0; mx < mcusX; ++mx) {
            if (restartInterval_) {
                if (restartLeft == 0) {
                    if (lostIntervals > 0) {
                        // The reader already waits after a later marker.
                        live = --lostIntervals == 0;
                    } else {
                        lostIntervals = Restart(scan, expectedRestart);
                        live = lostIntervals == 0;
                        if (lostIntervals < 0) lostIntervals = 0;
                    }
                    expectedRestart = (expectedRestart + 1) & 7;
                    restartLeft = restartInterval_;
                }
                --restartLeft;
            }
            if (streaming_) {
                if (live)
                    DecodeMcuStreaming(scan, mx, my);
                else
                    FillMcuGrey(scan, mx, my);
            } else if (live) {
                for (int i = 0; i < scan.count; ++i) {
                    Component &c = comp_[scan.comp[i]];
                    const int bh = interleaved ? c.v : 1, bwid = interleaved ? c.h : 1;
                    for (int by = 0; by < bh; ++by)
                        for (int bx = 0; bx < bwid; ++bx) {
                            const size_t index = static_cast<size_t>(my * bh + by) * c.bw + mx * bwid + bx;
                            int16_t *blk = c.coefs.get() + index * 64;
                            if (progressive_) {
                                DecodeBlockProgressive(scan, c, blk);
                            } else {
                                static const uint16_t kOnes[80] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                                                   1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                                                   1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                                                   1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
                                DecodeBlockBaseline(br_, dc_[c.dcTable], ac_[c.acTable], c.pred, kOnes, blk);
                            }
                        }
                }
            }
            // Data ran out inside this MCU: the rest stays grey, as the
            // common decoders show it, unless a restart marker resyncs.
            if (live && br_.Exhausted()) live = false;
        }
        if (streaming_) EmitRows((my + 1) * 8 * vmax_ - vmax_);
    }
    // Leave the reader's position for the marker search.
    p_ = br_.Position();
    return kJpegOk;
}

void Decoder::TransformMcuRow(int my) {
    alignas(16) int16_t deq[64];
    for (int i = 0; i < ncomp_; ++i) {
        Component &c = comp_[i];
        uint16_t quant[64];
        for (int k = 0; k < 64; ++k) quant[kJpegZigzagToNatural[k]] = c.quantLatched ? c.quantZigzag[k] : 0;
        for (int by = my * c.v; by < (my + 1) * c.v; ++by)
            for (int bx = 0; bx < c.bw; ++bx) {
                const int16_t *blk = c.coefs.get() + (static_cast<size_t>(by) * c.bw + bx) * 64;
                for (int k = 0; k < 64; ++k)
                    deq[k] = static_cast<int16_t>(static_cast<uint32_t>(blk[k]) * quant[k]);
                Jpeg_Idct(deq, c.Row(by * 8) + static_cast<size_t>(bx) * 8, static_cast<ptrdiff_t>(c.stride));
            }
    }
}

const uint8_t *Decoder::ComponentRow(int ci, int y) {
    Component &c = comp_[ci];
    const int hf = hmax_ / c.h, vf = vmax_ / c.v;
    auto row = [&](int r) { return c.Row(r); };
    if (hf == 1 && vf == 1) return row(y);
    uint8_t *out = rowScratch_[ci];
    const int n = c.realW;
    if (vf == 2 && (hf == 2 ? n > 2 : hf == 1)) {
        const int nearY = y >> 1;
        int farY = (y & 1) ? nearY + 1 : nearY - 1;
        if (farY < 0) farY = 0;
        if (farY > c.realH - 1) farY = c.realH - 1;
        if (hf == 2)
            JPEG_SIMD(Jpeg_UpsampleH2V2)(row(nearY), row(farY), n, out, sums_.get());
        else
            Jpeg_UpsampleV2(row(nearY), row(farY), n, (y & 1) != 0, out);
        return out;
    }
    const uint8_t *src = row(y / vf);
    if (hf == 1) return src;
    if (hf == 2 && vf == 1 && n > 2)
        JPEG_SIMD(Jpeg_UpsampleH2)(src, n, out);
    else
        Jpeg_UpsampleBox(src, n, hf, out);
    return out;
}

void Decoder::EmitRows(int upTo) {
    if (upTo > height_) upTo = height_;
    const ColourModel model = Model();
    for (int y = rowsEmitted_; y < upTo; ++y) {
        uint8_t *dst = RowFromTop(*picture_.get(), y);
        const uint8_t *r[4] = {};
        for (int i = 0; i < ncomp_; ++i) r[i] = ComponentRow(i, y);
        switch (model) {
            case ColourModel::Grey: std::memcpy(dst, r[0], static_cast<size_t>(width_)); break;
            case ColourModel::YCbCr: JPEG_SIMD(Jpeg_YccToBgr)(r[0], r[1], r[2], width_, dst); break;
            case ColourModel::Rgb: Jpeg_RgbToBgr(r[0], r[1], r[2], width_, dst); break;
            case ColourModel::Cmyk: Jpeg_CmykToBgr(r[0], r[1], r[2], r[3], width_, dst); break;
            case ColourModel::Ycck: Jpeg_YcckToBgr(r[0], r[1], r[2], r[3], width_, dst); break;
        }
    }
    if (upTo > rowsEmitted_) rowsEmitted_ = upTo;
}

int Decoder::Header(JpegHeaderInfo *info) {
    p_ = begin_;
    if (end_ - begin_ < 2 || begin_[0] != 0xFF || begin_[1] != 0xD8) return kJpegNotJpeg;
    p_ += 2;
    uint8_t marker;
    while (NextMarker(&marker)) {
        if (marker == 0xD9 || marker == 0xDA) break;
        const uint8_t *seg;
        size_t n;
        if (!Segment(&seg, &n)) break;
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            const int st = ReadFrame(seg, n, marker);
            if (st != kJpegOk) return st;
            info->width = width_;
            info->height = height_;
            info->components = ncomp_;
            info->progressive = progressive_;
            return kJpegOk;
        }
    }
    return Fail("no frame header");
}

int Decoder::Run(bool topDown, Picture **out, const char **message) {
    *out = nullptr;
    p_ = begin_;
    if (end_ - begin_ < 2 || begin_[0] != 0xFF || begin_[1] != 0xD8) return kJpegNotJpeg;
    p_ += 2;
    uint8_t marker;
    int status = kJpegOk;
    while (status == kJpegOk && NextMarker(&marker)) {
        if (marker == 0xD9) break;  // EOI
        const uint8_t *seg;
        size_t n;
        if (!Segment(&seg, &n)) break;  // cut inside a segment
        switch (marker) {
            case 0xC4: status = ReadHuffman(seg, n); break;
            case 0xCC: status = anyScan_ ? kJpegOk : Fail("arithmetic-coded JPEG is not supported"); break;
            case 0xDB: status = ReadQuant(seg, n); break;
            case 0xDD:
                if (n >= 2) restartInterval_ = Be16(seg);
                break;
            case 0xE0: jfif_ = jfif_ || (n >= 5 && std::memcmp(seg, "JFIF", 5) == 0); break;
            case 0xEE:
                if (n >= 12 && std::memcmp(seg, "Adobe", 5) == 0) {
                    adobe_ = true;
                    adobeTransform_ = seg[11];
                }
                break;
            case 0xDA: {
                if (!frame_) {
                    status = Fail("scan before the frame header");
                    break;
                }
                Scan scan;
                status = ReadScanHeader(seg, n, &scan);
                if (status != kJpegOk) {
                    // A damaged scan header after good scans ends the data.
                    if (anyScan_) status = kJpegOk, p_ = end_;
                    break;
                }
                if (!prepared_) {
                    streaming_ = !progressive_ && scan.count == ncomp_;
                    status = Prepare(topDown);
                    if (status != kJpegOk) break;
                } else if (streaming_) {
                    break;  // a stray further scan after a complete single-scan frame
                }
                anyScan_ = true;
                status = DecodeScan(scan);
                break;
            }
            default:
                if (marker >= 0xC0 && marker <= 0xCF) status = ReadFrame(seg, n, marker);
                break;
        }
    }
    if (status == kJpegOk && !anyScan_) status = Fail(frame_ ? "JPEG without image data" : "no frame header");
    if (status != kJpegOk) {
        if (message) *message = error_;
        return status;
    }
    if (!streaming_)
        for (int my = 0; my < mcusY_; ++my) {
            TransformMcuRow(my);
            EmitRows((my + 1) * 8 * vmax_ - vmax_);
        }
    EmitRows(height_);
    *out = picture_.Take();
    return kJpegOk;
}

}  // namespace

int Jpeg_ReadHeader(const uint8_t *data, size_t size, JpegHeaderInfo *info) {
    if (data == nullptr || info == nullptr) return kJpegNotJpeg;
    Decoder d(data, size);
    return d.Header(info);
}

int Jpeg_Decode(const uint8_t *data, size_t size, bool topDown, Picture **picture, const char **message) {
    if (picture == nullptr) return kJpegFailed;
    *picture = nullptr;
    if (data == nullptr) return kJpegNotJpeg;
    auto *d = static_cast<Decoder *>(std::malloc(sizeof(Decoder)));
    if (d == nullptr) return kJpegFailed;
    new (d) Decoder(data, size);
    const int st = d->Run(topDown, picture, message);
    d->~Decoder();
    std::free(d);
    return st;
}

}  // namespace dibcore
