#include "image/qv_Transp.h"

#include <cstring>

#include "image/qv_DibApi.h"
#include "image/qv_DibCore.h"
#include "image/qv_DibOps.h"

namespace {

inline uint32_t RgbOf(uint8_t r, uint8_t g, uint8_t b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; }
inline uint8_t RedOf(uint32_t c) { return uint8_t(c); }
inline uint8_t GreenOf(uint32_t c) { return uint8_t(c >> 8); }
inline uint8_t BlueOf(uint32_t c) { return uint8_t(c >> 16); }

struct Table {
    uint8_t *entries = nullptr;
    uint32_t count = 0;
    uint32_t entryBytes = 4;
};

bool GetTable(DibData *d, Table *t) {
    const uint8_t *entries = nullptr;
    const uint32_t kindDepth = Dib_GetColorTable(d->header, d->headerSize, &entries, nullptr, &t->count);
    if (kindDepth == 0 || (kindDepth & 0xFFFF) > 8 || entries == nullptr || t->count == 0) return false;
    t->entries = const_cast<uint8_t *>(entries);
    t->entryBytes = (kindDepth >> 16) == kDibKindCore ? 3 : 4;
    return true;
}

uint32_t EntryColour(const Table &t, uint32_t i) {
    if (i >= t.count) return 0;  // black past the table
    const uint8_t *e = t.entries + i * t.entryBytes;
    return RgbOf(e[2], e[1], e[0]);
}

void SetEntry(Table &t, uint32_t i, uint32_t colour) {
    uint8_t *e = t.entries + i * t.entryBytes;
    e[0] = BlueOf(colour);
    e[1] = GreenOf(colour);
    e[2] = RedOf(colour);
}

uint32_t ResolveBackground(const Table *t, uint32_t background, int isIndex) {
    if (!isIndex) return background & 0xFFFFFFu;
    return t ? EntryColour(*t, background) : 0;
}

struct MaskLayout {
    uint32_t masks[3];
    int shifts[3], widths[3];
};

bool GetMaskLayout(const void *header, MaskLayout *m) {
    if (!Dib_EffectiveMasks(header, m->masks)) return false;
    DibFields f;
    Dib_GetHeaderFields(header, &f);
    Dib_NormalizeMasks(f.depth, 3, m->masks, m->shifts, m->widths);
    return true;
}

uint32_t ColourToMasked(const MaskLayout &m, uint32_t colour) {
    const uint32_t ch[3] = {RedOf(colour), GreenOf(colour), BlueOf(colour)};
    uint32_t v = 0;
    for (int i = 0; i < 3; ++i) v |= (Transp_NarrowChannel(ch[i], m.widths[i]) << m.shifts[i]) & m.masks[i];
    return v;
}

int ReplaceColour(DibData *d, uint32_t transparent, uint32_t background) {
    DibFields f;
    if (Dib_GetHeaderFields(d->header, &f) == 0) return 0;
    if (f.depth <= 8) {
        Table t;
        if (!GetTable(d, &t)) return 0;
        for (uint32_t i = 0; i < t.count; ++i)
            if (EntryColour(t, i) == transparent) SetEntry(t, i, background);
        return 1;
    }
    if (f.compression != kDibRgb && f.compression != kDibBitFields) return 0;
    const uint32_t stride = Dib_RowStride(f.depth, f.width);
    if (stride == 0 || uint64_t(stride) * uint64_t(f.height) > d->bitsSize) return 0;
    uint32_t from, to;
    const int bytes = f.depth / 8;
    if (f.depth == 24) {
        from = BlueOf(transparent) | uint32_t(GreenOf(transparent)) << 8 | uint32_t(RedOf(transparent)) << 16;
        to = BlueOf(background) | uint32_t(GreenOf(background)) << 8 | uint32_t(RedOf(background)) << 16;
    } else {
        MaskLayout m;
        if (!GetMaskLayout(d->header, &m)) return 0;
        from = ColourToMasked(m, transparent);
        to = ColourToMasked(m, background);
    }
    for (int32_t y = 0; y < f.height; ++y) {
        uint8_t *row = d->bits + uint64_t(y) * stride;
        for (int32_t x = 0; x < f.width; ++x) {
            uint32_t v = 0;
            std::memcpy(&v, row + x * bytes, size_t(bytes));
            if (v == from) std::memcpy(row + x * bytes, &to, size_t(bytes));
        }
    }
    return 1;
}

int ComposeAlpha(DibHandle picture, DibHandle alpha, DibHandle *fresh, uint32_t background) {
    int32_t w = 0, h = 0, aw = 0, ah = 0;
    DibData *src = nullptr, *al = nullptr;
    const int32_t depth = Dib_GetInfo(picture, &w, &src, &h, 1);
    if (depth == 0 || Dib_GetInfo(alpha, &aw, &al, &ah, 1) != 8) return 0;
    if (aw != w || ah != h || al->header->biCompression != kDibRgb) return 0;
    if (src->header->biCompression != kDibRgb && src->header->biCompression != kDibBitFields) return 0;
    const DibHandle out = Dib_Create(w, h, 24, 0, 0, nullptr);
    if (out == 0) return 0;
    DibData *o = Dibcore_DataDIB(out);
    src = Dibcore_DataDIB(picture);  // creating may have moved the others' storage
    al = Dibcore_DataDIB(alpha);
    if (o == nullptr || src == nullptr || al == nullptr) {
        Dibcore_DeleteDIB(out);
        return 0;
    }
    Dib_CopyResolution(src->header, out);
    const uint32_t oStride = Dib_RowStride(24, w), aStride = Dib_RowStride(8, w), sStride = Dib_RowStride(depth, w);
    uint32_t masks[3];
    const bool direct = depth == 24 || (depth == 32 && Dib_EffectiveMasks(src->header, masks) &&
                                        Dib_IsStandardMasks(2, masks));
    const int step = depth / 8;
    const uint8_t bg[3] = {BlueOf(background), GreenOf(background), RedOf(background)};
    for (int32_t y = 0; y < h; ++y) {
        uint8_t *orow = Dib_RowFromTop(o->bits, oStride, o->header->biHeight, y);
        const uint8_t *arow = Dib_RowFromTop(al->bits, aStride, al->header->biHeight, y);
        const uint8_t *srow = Dib_RowFromTop(src->bits, sStride, src->header->biHeight, y);
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t a = arow[x];
            uint8_t px[3];
            if (direct) {
                std::memcpy(px, srow + x * step, 3);
            } else {
                const uint32_t c = Dib_ReadPixelColour(src, x, y);
                px[0] = BlueOf(c);
                px[1] = GreenOf(c);
                px[2] = RedOf(c);
            }
            uint8_t *dst = orow + x * 3;
            for (int i = 0; i < 3; ++i) dst[i] = a == 255 ? px[i] : a == 0 ? bg[i] : Transp_Blend(px[i], bg[i], a);
        }
    }
    *fresh = out;
    return 1;
}

}  // namespace

uint32_t Transp_NarrowChannel(uint32_t value, int width) {
    if (width <= 0) return 0;
    if (width >= 32) return value;
    const uint64_t top = (uint64_t{1} << width) - 1;
    return uint32_t((uint64_t(value) * top + 127) / 255);
}

uint32_t Dib_ReadPixelColour(const DibData *data, int32_t x, int32_t y) {
    if (data == nullptr || data->header == nullptr || data->bits == nullptr || x < 0 || y < 0) return 0;
    DibFields f;
    if (Dib_GetHeaderFields(data->header, &f) == 0 || x >= f.width || y >= f.height) return 0;
    if (f.compression != kDibRgb && f.compression != kDibBitFields) return 0;
    const uint32_t stride = Dib_RowStride(f.depth, f.width);
    if (uint64_t(stride) * uint64_t(f.height) > data->bitsSize) return 0;
    const uint8_t *row = Dib_RowFromTop(data->bits, stride, f.signedHeight, y);
    if (f.depth <= 8) {
        uint32_t index;
        if (f.depth == 8) index = row[x];
        else if (f.depth == 4) index = (x & 1) ? row[x >> 1] & 0xF : row[x >> 1] >> 4;
        else index = (row[x >> 3] >> (7 - (x & 7))) & 1;
        Table t;
        if (!GetTable(const_cast<DibData *>(data), &t)) return 0;
        return EntryColour(t, index);
    }
    if (f.depth == 24) return RgbOf(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
    MaskLayout m;
    if (!GetMaskLayout(data->header, &m)) return 0;
    uint32_t v = 0;
    std::memcpy(&v, row + x * (f.depth / 8), size_t(f.depth / 8));
    uint8_t ch[3];
    for (int i = 0; i < 3; ++i) ch[i] = Dib_ScaleTo8Bit((v & m.masks[i]) >> m.shifts[i], m.widths[i]);
    return RgbOf(ch[0], ch[1], ch[2]);
}

int Transp_Apply(const uint8_t *paletteAlpha, DibHandle picture, DibHandle alpha, DibHandle *fresh,
                 uint32_t background, int backgroundIsIndex, uint32_t transparent, int replace) {
    if (fresh) *fresh = 0;
    if (fresh == nullptr) return 0;
    DibData *d = Dibcore_DataDIB(picture);
    if (d == nullptr || d->header == nullptr) return 0;
    DibFields f;
    if (Dib_GetHeaderFields(d->header, &f) == 0) return 0;
    Table t;
    const bool hasTable = f.depth <= 8 && GetTable(d, &t);
    if (alpha != 0)
        return ComposeAlpha(picture, alpha, fresh, ResolveBackground(hasTable ? &t : nullptr, background, backgroundIsIndex));
    int32_t alphaCount = 0;
    if (paletteAlpha) std::memcpy(&alphaCount, paletteAlpha + 256, 4);
    if (paletteAlpha && alphaCount != 0) {
        if (!hasTable) return 0;
        const uint32_t bg = ResolveBackground(&t, background, backgroundIsIndex);
        uint32_t n = uint32_t(alphaCount) < t.count ? uint32_t(alphaCount) : t.count;
        if (n > 256) n = 256;
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t a = paletteAlpha[i];
            if (a == 255) continue;
            const uint32_t c = EntryColour(t, i);
            SetEntry(t, i,
                     a == 0 ? bg
                            : RgbOf(Transp_Blend(RedOf(c), RedOf(bg), a), Transp_Blend(GreenOf(c), GreenOf(bg), a),
                                    Transp_Blend(BlueOf(c), BlueOf(bg), a)));
        }
        return 1;
    }
    if (replace) {
        if (!hasTable) return 0;
        const uint32_t index = transparent & 0xFFFFu;
        if (index < t.count) SetEntry(t, index, ResolveBackground(&t, background, backgroundIsIndex));
        return 1;
    }
    const uint32_t bg = ResolveBackground(hasTable ? &t : nullptr, background, backgroundIsIndex);
    return ReplaceColour(d, transparent & 0xFFFFFFu, bg);
}

int Dib_SetPaletteEntries(const uint8_t *records, void *packed, int count) {
    if (records == nullptr || packed == nullptr || count < 1) return 0;
    const uint8_t *entries = nullptr;
    uint32_t n = 0;
    const uint32_t kindDepth = Dib_GetColorTable(packed, 0, &entries, nullptr, &n);
    if (kindDepth == 0 || entries == nullptr || n == 0) return 0;
    const uint32_t entryBytes = (kindDepth >> 16) == kDibKindCore ? 3 : 4;
    uint8_t *table = const_cast<uint8_t *>(entries);
    for (int i = 0; i < count; ++i) {
        const uint8_t *r = records + i * 6;
        const uint32_t index = uint32_t(r[0]) | uint32_t(r[1]) << 8;
        if (index >= n) continue;
        std::memcpy(table + index * entryBytes, r + 2, entryBytes);
    }
    return 1;
}
