#include "rle.h"

#include <cstring>
#include <vector>

#include "dib_header.h"
#include "pixel_layout.h"

namespace dibcore {

namespace {

// Pixels of one run: alternating nibbles for RLE4, one byte for RLE8.
void FillRun(uint8_t *row, int64_t x, int64_t n, int bpp, uint8_t value) {
    if (bpp == 8) {
        std::memset(row + x, value, static_cast<size_t>(n));
        return;
    }
    const uint8_t hi = value >> 4, lo = value & 0x0F;
    for (int64_t k = 0; k < n; ++k) PutIndex(row, x + k, 4, (k & 1) ? lo : hi);
}

// Longest run at x: equal bytes (8 bits) or a repeating pair of nibbles.
int64_t RunAt(const uint8_t *row, int64_t x, int64_t width, int bpp, int64_t cap) {
    int64_t n = 1;
    if (bpp == 8) {
        while (x + n < width && n < cap && row[x + n] == row[x]) ++n;
        return n;
    }
    const uint32_t a = IndexAt(row, x, 4);
    const uint32_t b = x + 1 < width ? IndexAt(row, x + 1, 4) : 0;
    if (x + 1 < width) n = 2;
    while (x + n < width && n < cap && IndexAt(row, x + n, 4) == ((n & 1) ? b : a)) ++n;
    return n;
}

bool EncodeRow(const uint8_t *row, int bpp, int64_t width, ByteBuffer *out) {
    // Thresholds where a run beats being part of a literal: a repeated byte
    // costs two bytes either way from two pixels on; a nibble pair needs four.
    const int64_t runMin = bpp == 8 ? 2 : 4;
    const int64_t breakMin = bpp == 8 ? 3 : 8;
    int64_t x = 0;
    while (x < width) {
        const int64_t run = RunAt(row, x, width, bpp, 255);
        if (run >= runMin || run == width - x) {
            const uint8_t v = bpp == 8 ? row[x]
                                       : static_cast<uint8_t>((IndexAt(row, x, 4) << 4) |
                                                              (run > 1 ? IndexAt(row, x + 1, 4) : 0));
            if (!out->Byte(static_cast<uint8_t>(run)) || !out->Byte(v)) return false;
            x += run;
            continue;
        }
        const int64_t start = x;
        int64_t len = 0;
        while (x < width && len < 255) {
            if (len > 0 && RunAt(row, x, width, bpp, breakMin) >= breakMin) break;
            ++x;
            ++len;
        }
        if (len < 3) {
            // Absolute mode needs three pixels; shorter pieces go as runs.
            for (int64_t k = 0; k < len; ++k) {
                const uint32_t v = IndexAt(row, start + k, bpp);
                if (!out->Byte(1) || !out->Byte(static_cast<uint8_t>(bpp == 8 ? v : v << 4))) return false;
            }
            continue;
        }
        if (!out->Byte(0) || !out->Byte(static_cast<uint8_t>(len))) return false;
        const size_t bytes = bpp == 8 ? static_cast<size_t>(len) : static_cast<size_t>((len + 1) / 2);
        if (!out->Reserve(bytes + 1)) return false;
        uint8_t *dst = out->Tail();
        if (bpp == 8) {
            std::memcpy(dst, row + start, bytes);
        } else {
            std::memset(dst, 0, bytes);
            for (int64_t k = 0; k < len; ++k) PutIndex(dst, k, 4, IndexAt(row, start + k, 4));
        }
        size_t used = bytes;
        if (used & 1) dst[used++] = 0;  // absolute runs end on a 16-bit boundary
        out->Commit(used);
    }
    return true;
}

}  // namespace

bool RleDecode(const uint8_t *s, size_t n, int bpp, int32_t width, int32_t height, uint64_t stride,
               uint8_t *bits, size_t *consumed) {
    size_t i = 0;
    int64_t x = 0, y = 0;
    bool clean = true;
    const int64_t w = width, h = height;
    for (;;) {
        if (n - i < 2) {
            clean = false;
            break;
        }
        const uint8_t a = s[i], b = s[i + 1];
        i += 2;
        if (a != 0) {
            // Encoded run of `a` pixels, clipped to the row.
            if (y >= h || x >= w) {
                clean = false;
                x += a;
                continue;
            }
            int64_t k = a;
            if (k > w - x) {
                k = w - x;
                clean = false;
            }
            FillRun(bits + static_cast<uint64_t>(y) * stride, x, k, bpp, b);
            x += a;
            continue;
        }
        if (b == 0) {  // end of line
            x = 0;
            ++y;
            continue;
        }
        if (b == 1) {  // end of bitmap
            if (consumed) *consumed = i;
            return clean;
        }
        if (b == 2) {  // delta: right and up
            if (n - i < 2) {
                clean = false;
                break;
            }
            x += s[i];
            y += s[i + 1];
            i += 2;
            if (y > h) clean = false;
            continue;
        }
        // Absolute run of `b` pixels, padded to a 16-bit boundary.
        const size_t bytes = bpp == 8 ? b : (size_t{b} + 1) / 2;
        const size_t have = n - i < bytes ? n - i : bytes;
        if (have < bytes) clean = false;
        const int64_t pixels = bpp == 8 ? static_cast<int64_t>(have)
                                        : (have == bytes ? int64_t{b} : static_cast<int64_t>(have) * 2);
        if (y < h && x < w) {
            int64_t k = pixels;
            if (k > w - x) {
                k = w - x;
                clean = false;
            }
            uint8_t *row = bits + static_cast<uint64_t>(y) * stride;
            if (bpp == 8) {
                std::memcpy(row + x, s + i, static_cast<size_t>(k));
            } else {
                for (int64_t j = 0; j < k; ++j) PutIndex(row, x + j, 4, IndexAt(s + i, j, 4));
            }
        } else if (pixels > 0) {
            clean = false;
        }
        x += pixels;
        i += have;
        if (have < bytes) break;
        if ((bytes & 1) && i < n) ++i;
        else if (bytes & 1) {
            clean = false;
            break;
        }
    }
    if (consumed) *consumed = i;
    return false;
}

bool RleEncode(const uint8_t *const *rows, int bpp, int32_t width, int32_t height, ByteBuffer *out) {
    if (bpp != 4 && bpp != 8) return false;
    for (int32_t y = 0; y < height; ++y) {
        if (!EncodeRow(rows[y], bpp, width, out)) return false;
        if (y + 1 < height && (!out->Byte(0) || !out->Byte(0))) return false;
    }
    return out->Byte(0) && out->Byte(1);
}

Picture *RleCompress(const Picture &src) {
    PixelLayout l;
    if (!ReadLayout(src, &l) || l.compression != kDibRgb || (l.bpp != 4 && l.bpp != 8)) return nullptr;
    std::vector<const uint8_t *> rows;
    rows.reserve(static_cast<size_t>(l.height));
    for (int32_t y = 0; y < l.height; ++y) rows.push_back(LayoutRow(l, src.data.bits, l.height - 1 - y));
    ByteBuffer out;
    if (!RleEncode(rows.data(), l.bpp, l.width, l.height, &out)) return nullptr;
    const DibInfoHeader &sh = *src.data.header;
    uint8_t header[124];
    std::memcpy(header, src.data.header, sh.biSize);
    DibInfoHeader h;
    std::memcpy(&h, header, sizeof h);
    h.biHeight = l.height;
    h.biCompression = l.bpp == 8 ? kDibRle8 : kDibRle4;
    h.biSizeImage = static_cast<uint32_t>(out.size());
    std::memcpy(header, &h, sizeof h);
    Picture *p = NewPicture(header, sh.biSize, reinterpret_cast<const uint8_t *>(src.data.header) + sh.biSize,
                            src.data.headerSize - sh.biSize, out.size());
    if (p != nullptr) std::memcpy(p->data.bits, out.data(), out.size());
    return p;
}

Picture *RleExpand(const Picture &src) {
    PixelLayout l;
    if (!ReadLayout(src, &l) || (l.compression != kDibRle4 && l.compression != kDibRle8)) return nullptr;
    Picture *p = NewPictureLike(src, l.width, l.height);
    if (p == nullptr) return nullptr;
    // Held RLE pictures are bottom-up; the decoder writes memory rows in
    // stream order, which then is the right order for the new picture too.
    RleDecode(src.data.bits, src.data.bitsSize, l.bpp, l.width, l.height, l.stride, p->data.bits, nullptr);
    return p;
}

}  // namespace dibcore
