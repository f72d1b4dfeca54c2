#include "image/qv_Grey.h"

#include <cstring>
#include <memory>
#include <new>

#include "image/qv_DibApi.h"
#include "image/qv_DibOps.h"
#include "image/qv_DibRows.h"
#include "image/resample/qv_PixelFetch.h"

namespace {

// 8-bit grey rows from a 24-bit or plain 32-bit source row (B, G, R first).
void GreyRowFromBytes(const uint8_t *src, int bytesPerPixel, int32_t width, uint8_t *dst) {
    for (int32_t x = 0; x < width; ++x, src += bytesPerPixel) dst[x] = Grey_Of(src[2], src[1], src[0]);
}

// Whole 16/24/32-bit picture: a new bottom-up 8-bit picture with the grey
// palette. 0 on failure, the source untouched.
DibHandle GreyCopy(DibHandle picture) {
    DibRows src;
    if (!DibRows_Open(Dibcore_DataDIB(picture), &src)) return 0;
    const int32_t width = src.fields.width, height = src.fields.height;
    PixelSource source;  // masks normalised for 16 bits and masked 32 bits
    const DibData *sd = Dibcore_DataDIB(picture);
    if (sd == nullptr || !PixelSource_FromHeader(sd->header, sd->headerSize, &source)) return 0;
    const int32_t xppm = sd->header->biXPelsPerMeter, yppm = sd->header->biYPelsPerMeter;
    const bool bytes = src.fields.depth == 24 || source.plain32;
    std::unique_ptr<uint8_t[]> rgb;
    if (!bytes) {
        rgb.reset(new (std::nothrow) uint8_t[size_t(width) * 3]);
        if (!rgb) return 0;
    }

    DibRgbQuad grey[256];
    for (int i = 0; i < 256; ++i) grey[i] = DibRgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    const DibHandle result = Dib_Create(width, height, 8, 256, 1, grey);
    if (result == 0) return 0;
    Dib_SetResolution(result, xppm, yppm);
    // Creating may have moved storage: fetch both pictures afresh.
    DibRows dst;
    if (!DibRows_Open(Dibcore_DataDIB(result), &dst) || !DibRows_Open(Dibcore_DataDIB(picture), &src) ||
        src.fields.width != width || src.fields.height != height) {
        Dibcore_DeleteDIB(result);
        return 0;
    }
    const int step = src.fields.depth / 8;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t *row = src.Row(y);
        uint8_t *out = dst.Row(y);
        if (bytes) {
            GreyRowFromBytes(row, step, width, out);
        } else {
            PixelFetch_Row24(&source, row, 0, width, rgb.get());
            GreyRowFromBytes(rgb.get(), 3, width, out);
        }
    }
    return result;
}

// A part of the picture: make it 24 bits, then grey the rectangle's rows.
int GreyPart(DibHandle picture, const SelRect &r) {
    DibRows rows;
    if (!DibRows_Open(Dibcore_DataDIB(picture), &rows)) {
        // RLE pictures are made plain by the conversion below.
        const DibData *d = Dibcore_DataDIB(picture);
        if (d == nullptr || !Dib_IsRleCompressed(d->header)) return 0;
        rows.fields.depth = 0;
    }
    if (rows.fields.depth != 24 && !Dibcore_DIBto24Bit(picture)) return 0;
    if (!DibRows_Open(Dibcore_DataDIB(picture), &rows) || rows.fields.depth != 24) return 0;
    if (r.right > rows.fields.width || r.bottom > rows.fields.height) return 0;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        uint8_t *p = rows.Row(y) + int64_t(r.left) * 3;
        for (int32_t x = r.left; x < r.right; ++x, p += 3) p[0] = p[1] = p[2] = Grey_Of(p[2], p[1], p[0]);
    }
    return 1;
}

// A bit set over 32-bit keys in pages of 65536 bits, made on first use: a
// 24-bit key space costs at most 2 MB, and masks that cover all 32 bits only
// cost the pages their values touch.
class PagedBitSet {
public:
    bool Init() {
        pages_.reset(new (std::nothrow) std::unique_ptr<uint64_t[]>[kPages]);
        return pages_ != nullptr;
    }
    // 1 newly set, 0 already set, -1 out of memory.
    int Insert(uint32_t key) {
        std::unique_ptr<uint64_t[]> &page = pages_[key >> 16];
        if (!page) {
            page.reset(new (std::nothrow) uint64_t[kWordsPerPage]());
            if (!page) return -1;
        }
        uint64_t &word = page[(key & 0xFFFFu) >> 6];
        const uint64_t bit = uint64_t{1} << (key & 63u);
        if (word & bit) return 0;
        word |= bit;
        return 1;
    }

private:
    static constexpr size_t kPages = 65536, kWordsPerPage = 65536 / 64;
    std::unique_ptr<std::unique_ptr<uint64_t[]>[]> pages_;
};

uint64_t CountPalette(const DibData *data, const DibRows &rows) {
    uint8_t *entries = nullptr;
    uint32_t usable = 0;
    if (!DibRows_Palette(data, &entries, &usable)) return 0;
    const int depth = rows.fields.depth;
    const uint32_t size = 1u << depth;
    // Every possible index maps to a colour id; indexes past the usable
    // count read black, so the map never reaches past its end.
    uint32_t colourOf[256];
    for (uint32_t i = 0; i < size; ++i) {
        const uint8_t *e = entries + 4u * i;
        colourOf[i] = i < usable ? uint32_t(e[0]) | uint32_t(e[1]) << 8 | uint32_t(e[2]) << 16 : 0;
    }
    uint16_t id[256];
    uint32_t distinct = 0;
    for (uint32_t i = 0; i < size; ++i) {
        uint32_t j = 0;
        while (colourOf[j] != colourOf[i]) ++j;
        id[i] = j == i ? uint16_t(distinct++) : id[j];
    }
    bool met[256] = {};
    uint32_t count = 0;
    const int32_t width = rows.fields.width;
    for (int32_t y = 0; y < rows.fields.height && count < distinct; ++y) {
        const uint8_t *row = rows.Row(y);
        for (int32_t x = 0; x < width; ++x) {
            uint32_t index;
            if (depth == 1) index = (row[x >> 3] >> (7 - (x & 7))) & 1u;
            else if (depth == 4) index = (x & 1) ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4;
            else index = row[x];
            const uint16_t c = id[index];
            if (!met[c]) {
                met[c] = true;
                if (++count == distinct) break;
            }
        }
    }
    return count;
}

uint64_t CountTrueColour(const DibData *data, const DibRows &rows) {
    const int depth = rows.fields.depth;
    uint32_t keep = 0xFFFFFFu;
    if (depth == 16 || (depth == 32 && !DibRows_IsPlain32(data->header))) {
        uint32_t masks[3];
        if (!Dib_EffectiveMasks(data->header, masks)) return 0;
        keep = masks[0] | masks[1] | masks[2];
        if (depth == 16) keep &= 0xFFFFu;
    }
    if (keep == 0) return 0;
    // Every possible value met ends the scan; in 64 bits, since masks that
    // cover all 32 bits allow 2^32 values.
    const uint64_t most = uint64_t{1} << __builtin_popcount(keep);
    PagedBitSet set;
    if (!set.Init()) return 0;
    const int step = depth / 8;
    uint64_t count = 0;
    for (int32_t y = 0; y < rows.fields.height; ++y) {
        const uint8_t *p = rows.Row(y);
        for (int32_t x = 0; x < rows.fields.width; ++x, p += step) {
            uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8;
            if (step >= 3) v |= uint32_t(p[2]) << 16;
            if (step == 4) v |= uint32_t(p[3]) << 24;
            const int added = set.Insert(v & keep);
            if (added < 0) return 0;
            if (added && ++count == most) return count;
        }
    }
    return count;
}

}  // namespace

int Pal_IsGrey(DibHandle picture) {
    uint8_t *entries = nullptr;
    uint32_t count = 0;
    const DibData *d = Dibcore_DataDIB(picture);
    // Only palette depths: a true-colour picture may carry an optional table
    // that says nothing about its pixels.
    if (!DibRows_WholeTable(d, &entries, &count)) return 0;
    DibFields f;
    Dib_GetHeaderFields(d->header, &f);
    if (f.depth > 8) return 0;
    for (uint32_t i = 0; i < count; ++i, entries += 4)
        if (entries[0] != entries[1] || entries[1] != entries[2]) return 0;
    return 1;
}

int Grey_Apply(DibHandle picture, DibHandle *fresh, const SelRect *rect) {
    if (fresh == nullptr) return 0;
    *fresh = 0;
    if (Pal_IsGrey(picture)) return 1;
    int32_t width = 0, height = 0;
    const int32_t depth = Dib_GetInfo(picture, &width, nullptr, &height, 1);
    if (depth == 0) return 0;
    SelRect r;
    if (!Rect_ClipToImage(rect, width, height, &r)) return 0;
    if (r.left != 0 || r.top != 0 || r.right != width || r.bottom != height) return GreyPart(picture, r);
    if (depth <= 8) {
        uint8_t *entries = nullptr;
        uint32_t count = 0;
        if (!DibRows_WholeTable(Dibcore_DataDIB(picture), &entries, &count)) return 0;
        for (uint32_t i = 0; i < count; ++i, entries += 4)
            entries[0] = entries[1] = entries[2] = Grey_Of(entries[2], entries[1], entries[0]);
        return 1;
    }
    *fresh = GreyCopy(picture);
    return *fresh != 0 ? 1 : 0;
}

int DibHolder_Grayscale(DibHolder &h, const SelRect *rect) {
    if (h.empty()) return 0;
    DibHandle fresh = 0;
    const int ok = Grey_Apply(h.handle, &fresh, rect);
    return DibHolder_Replace(h, ok, fresh);
}

uint64_t Dib_CountColours(DibHandle picture) {
    const DibData *d = Dibcore_DataDIB(picture);
    DibRows rows;
    if (!DibRows_Open(d, &rows)) return 0;
    switch (rows.fields.depth) {
    case 1: case 4: case 8: return CountPalette(d, rows);
    case 16: case 24: case 32: return CountTrueColour(d, rows);
    default: return 0;
    }
}
