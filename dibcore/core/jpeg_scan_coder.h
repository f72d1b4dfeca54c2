// One block of a JPEG scan, as the encoder sends it: the symbols of a
// sequential block, a DC first or refinement pass, or an AC band's first or
// refinement pass, either counted (for the Huffman tables fitted to the
// picture) or written. Progressive blocks come in zigzag order, sequential
// ones in natural order.
#pragma once

#include <cstdint>
#include <cstring>

#include "jpeg_coef_masks.h"
#include "jpeg_huffman_encode.h"
#include "jpeg_tables.h"

namespace dibcore {

// A scan: how many components and which (frame indices), the band ss..se,
// and the point transform before (ah) and now (al).
struct JpegScanPlan {
    int count;
    int comp[3];
    int ss, se, ah, al;
};

inline int Jpeg_BitLength(uint32_t v) { return v ? 32 - __builtin_clz(v) : 0; }

// Walks one scan either counting symbols (kCount) or writing them.
template <bool kCount>
class JpegScanCoder {
public:
    JpegScanCoder(JpegBitWriter *w, uint32_t (*dcFreq)[256], uint32_t (*acFreq)[256], const JpegHuffCode *dc,
                  const JpegHuffCode *ac)
        : w_(w), dcFreq_(dcFreq), acFreq_(acFreq), dc_(dc), ac_(ac) {}

    void Symbol(bool isAc, int table, int s) {
        if (kCount) {
            (isAc ? acFreq_ : dcFreq_)[table][s]++;
        } else {
            const JpegHuffCode &c = (isAc ? ac_ : dc_)[table];
            w_->Put(c.code[s], c.size[s]);
        }
    }
    void Bits(uint32_t v, int n) {
        if (!kCount && n) w_->Put(v, n);
    }

    void Dc(int diff, int table) {
        uint32_t a = static_cast<uint32_t>(diff < 0 ? -diff : diff);
        const int n = Jpeg_BitLength(a);
        Symbol(false, table, n);
        Bits(static_cast<uint32_t>(diff < 0 ? diff - 1 : diff), n);
    }

    void BaselineBlock(const int16_t *z, int &pred, int dcTable, int acTable) {
        // Walk only the coefficients that are not zero.
        uint64_t mask = Jpeg_NonzeroMask(z) & ~uint64_t{1};
        if (kCount) {
            dcFreq_[dcTable][Jpeg_CoefCode(z[0] - pred) & 15]++;
            pred = z[0];
            uint32_t *freq = acFreq_[acTable];
            int last = 0;
            while (mask) {
                const int k = __builtin_ctzll(mask);
                mask &= mask - 1;
                int run = k - last - 1;
                last = k;
                for (; run > 15; run -= 16) freq[0xF0]++;
                freq[(run << 4) | (Jpeg_CoefCode(z[kJpegZigzagToNatural[k]]) & 15)]++;
            }
            if (last != 63) freq[0]++;
            return;
        }
        // A block needs at most 64 codes of 27 bits, doubled by stuffing.
        JpegBitWriter::State st = w_->Open(512);
        const JpegHuffCode &dc = dc_[dcTable], &ac = ac_[acTable];
        const uint32_t d = Jpeg_CoefCode(z[0] - pred);
        pred = z[0];
        const int dn = static_cast<int>(d & 15);
        JpegBitWriter::Put(st, (uint32_t{dc.code[dn]} << dn) | (d >> 4), dc.size[dn] + dn);
        int last = 0;
        while (mask) {
            const int k = __builtin_ctzll(mask);
            mask &= mask - 1;
            int run = k - last - 1;
            last = k;
            for (; run > 15; run -= 16) JpegBitWriter::Put(st, ac.code[0xF0], ac.size[0xF0]);
            const uint32_t v = Jpeg_CoefCode(z[kJpegZigzagToNatural[k]]);
            const int n = static_cast<int>(v & 15);
            const uint32_t e = ac.packed[(run << 4) | n];
            JpegBitWriter::Put(st, ((e >> 8) << n) | (v >> 4), static_cast<int>(e & 0xFF) + n);
        }
        if (last != 63) JpegBitWriter::Put(st, ac.code[0], ac.size[0]);
        w_->Close(st);
    }

    // Ends an EOB run (and sends the correction bits that wait behind it).
    void EmitEobRun(int table) {
        JpegBitWriter::State st = Open(kMaxBlockBytes);
        FlushEobRun(st, table);
        Close(st);
    }

    // First pass over a band of a block in zigzag order: only the
    // coefficients still non-zero after the point transform are visited.
    void AcFirst(const int16_t *z, const JpegScanPlan &s, int table) {
        uint64_t mask = Jpeg_MagnitudeMasks(z, s.al).nonzero & Jpeg_BandMask(s.ss, s.se);
        JpegBitWriter::State st = Open(kMaxBlockBytes);
        int last = s.ss - 1;
        while (mask) {
            const int k = __builtin_ctzll(mask);
            mask &= mask - 1;
            int run = k - last - 1;
            last = k;
            FlushEobRun(st, table);
            for (; run > 15; run -= 16) Symbol(st, table, 0xF0);
            const int v = z[k];
            const int a = (v < 0 ? -v : v) >> s.al;
            const uint32_t code = Jpeg_CoefCode(v < 0 ? -a : a);
            SymbolAndBits(st, table, (run << 4) | static_cast<int>(code & 15), code >> 4,
                          static_cast<int>(code & 15));
        }
        if (last < s.se && ++eobrun_ == 0x7FFF) FlushEobRun(st, table);
        Close(st);
    }

    // Refinement of coefficients already sent, new ones of magnitude one.
    // Correction bits of coefficients skipped by a run wait until the symbol
    // (or EOB run) that precedes them in the stream is written.
    void AcRefine(const int16_t *z, const JpegScanPlan &s, int table) {
        const uint64_t band = Jpeg_BandMask(s.ss, s.se);
        const JpegMagnitudeMasks m = Jpeg_MagnitudeMasks(z, s.al);
        uint64_t mask = m.nonzero & band;
        const uint64_t fresh = mask & ~m.above1;
        // The last new coefficient: runs of 16 zeros before it are sent as
        // ZRL, those after it join the EOB.
        const int eob = fresh ? 63 - __builtin_clzll(fresh) : 0;
        JpegBitWriter::State st = Open(kMaxBlockBytes);
        uint64_t local = 0;
        int localCount = 0, run = 0, last = s.ss - 1;
        while (mask) {
            const int k = __builtin_ctzll(mask);
            mask &= mask - 1;
            run += k - last - 1;
            last = k;
            while (run > 15 && k <= eob) {
                FlushEobRun(st, table);
                Symbol(st, table, 0xF0);
                run -= 16;
                PutBits(st, local, localCount);
                local = 0, localCount = 0;
            }
            const int v = z[k];
            const int a = (v < 0 ? -v : v) >> s.al;
            if (a > 1) {
                local = (local << 1) | static_cast<uint64_t>(a & 1);
                ++localCount;
                continue;
            }
            FlushEobRun(st, table);
            SymbolAndBits(st, table, (run << 4) | 1, v < 0 ? 0 : 1, 1);
            PutBits(st, local, localCount);
            local = 0, localCount = 0;
            run = 0;
        }
        run += s.se - last;
        if (run > 0 || localCount > 0) {
            ++eobrun_;
            if (!kCount) pending_.Append(local, localCount);
            pendingCount_ += localCount;
            // Keep room in the buffer for another whole block of bits.
            if (eobrun_ == 0x7FFF || pendingCount_ > kMaxPending - 64) FlushEobRun(st, table);
        }
        Close(st);
    }

private:
    // An EOB run's symbol and length bits, at most 1000 waiting correction
    // bits and a block's 63 codes, doubled by stuffing.
    static constexpr size_t kMaxBlockBytes = 1024;
    static constexpr int kMaxPending = 1000;

    // Correction bits in stream order, first bit highest.
    struct BitList {
        uint64_t words[kMaxPending / 64 + 2];
        int count = 0;
        void Append(uint64_t bits, int n) {
            if (n == 0) return;
            const int w = count >> 6, used = count & 63, room = 64 - used;
            if (used == 0) words[w] = 0;
            if (n <= room) {
                words[w] |= bits << (room - n);
            } else {
                words[w] |= bits >> (n - room);
                words[w + 1] = bits << (64 - (n - room));
            }
            count += n;
        }
    };

    JpegBitWriter::State Open(size_t bytes) {
        if (kCount) return JpegBitWriter::State{0, 0, nullptr};
        return w_->Open(bytes);
    }
    void Close(const JpegBitWriter::State &st) {
        if (!kCount) w_->Close(st);
    }
    void Symbol(JpegBitWriter::State &st, int table, int s) {
        if (kCount) {
            acFreq_[table][s]++;
        } else {
            const uint32_t e = ac_[table].packed[s];
            JpegBitWriter::Put(st, e >> 8, static_cast<int>(e & 0xFF));
        }
    }
    // `bits` holds exactly n (0..15) bits.
    void SymbolAndBits(JpegBitWriter::State &st, int table, int s, uint32_t bits, int n) {
        if (kCount) {
            acFreq_[table][s]++;
        } else {
            const uint32_t e = ac_[table].packed[s];
            JpegBitWriter::Put(st, ((e >> 8) << n) | bits, static_cast<int>(e & 0xFF) + n);
        }
    }
    // The low n (0..64) bits of `bits`, highest first.
    static void PutBits(JpegBitWriter::State &st, uint64_t bits, int n) {
        if (kCount || n == 0) return;
        if (n > 32) {
            JpegBitWriter::Put(st, static_cast<uint32_t>(bits >> 32) & (0xFFFFFFFFu >> (64 - n)), n - 32);
            JpegBitWriter::Put(st, static_cast<uint32_t>(bits), 32);
        } else {
            JpegBitWriter::Put(st, static_cast<uint32_t>(bits) & (0xFFFFFFFFu >> (32 - n)), n);
        }
    }
    void FlushEobRun(JpegBitWriter::State &st, int table) {
        if (eobrun_ > 0) {
            const int n = Jpeg_BitLength(static_cast<uint32_t>(eobrun_)) - 1;
            SymbolAndBits(st, table, n << 4, static_cast<uint32_t>(eobrun_) & ((1u << n) - 1), n);
            eobrun_ = 0;
        }
        if (!kCount) {
            const int full = pending_.count >> 6, rest = pending_.count & 63;
            for (int i = 0; i < full; ++i) PutBits(st, pending_.words[i], 64);
            if (rest) PutBits(st, pending_.words[full] >> (64 - rest), rest);
            pending_.count = 0;
        }
        pendingCount_ = 0;
    }

    JpegBitWriter *w_;
    uint32_t (*dcFreq_)[256];
    uint32_t (*acFreq_)[256];
    const JpegHuffCode *dc_, *ac_;
    int eobrun_ = 0;
    BitList pending_;
    int pendingCount_ = 0;
};

}  // namespace dibcore
