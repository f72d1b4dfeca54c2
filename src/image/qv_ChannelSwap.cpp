#include "image/qv_ChannelSwap.h"

#include "image/qv_DibApi.h"
#include "image/qv_DibOps.h"
#include "image/qv_DibRows.h"

const int8_t kChannelSwapOrders[5][3] = {{0, 2, 1}, {2, 1, 0}, {2, 0, 1}, {1, 0, 2}, {1, 2, 0}};

namespace {

struct Order {
    int source[3];  // source channel of red, green, blue
};

Order MakeOrder(int red, int green, int blue) {
    auto mod3 = [](int v) { return (v % 3 + 3) % 3; };
    return Order{{mod3(red), mod3(green), mod3(blue)}};
}

// Byte of a channel in B, G, R memory order.
constexpr int kByteOf[3] = {2, 1, 0};

void SwapBytes(uint8_t *p, const Order &o) {
    const uint8_t old[3] = {p[0], p[1], p[2]};
    for (int c = 0; c < 3; ++c) p[kByteOf[c]] = old[kByteOf[o.source[c]]];
}

// Masked 16/32 bits: the normalised fields, or false when the picture has
// plain bytes (plain 32 bits) or no masks.
bool MaskedFields(const DibData *d, ChannelMasks *m) {
    uint32_t masks[3];
    if (d == nullptr || DibRows_IsPlain32(d->header) || !Dib_EffectiveMasks(d->header, masks)) return false;
    DibFields f;
    Dib_GetHeaderFields(d->header, &f);
    ChannelMasks_Set(f.depth, masks, m);
    return true;
}

bool WidthsFit(const ChannelMasks &m, const Order &o) {
    for (int c = 0; c < 3; ++c)
        if (m.width[o.source[c]] != m.width[c]) return false;
    return true;
}

// Palette pictures, or masked ones whose fields cannot take the order, must
// become 24 bits before a part or the fields can be swapped.
bool NeedsTrueColour(const DibData *d, const Order &o, bool part) {
    DibFields f;
    if (d == nullptr || Dib_GetHeaderFields(d->header, &f) == 0) return false;
    if (f.depth <= 8) return part;
    ChannelMasks m;
    return MaskedFields(d, &m) && !WidthsFit(m, o);
}

int MakeTrueColour(DibHandle picture) {
    if (!Dibcore_DIBto24Bit(picture)) return 0;
    DibRows rows;
    return DibRows_Open(Dibcore_DataDIB(picture), &rows) && rows.fields.depth == 24 ? 1 : 0;
}

int SwapInPlace(DibHandle picture, const Order &o) {
    DibData *d = Dibcore_DataDIB(picture);
    if (d == nullptr || d->header == nullptr) return 0;
    DibFields f;
    if (Dib_GetHeaderFields(d->header, &f) == 0 || f.kind == kDibKindCore) return 0;
    if (f.depth <= 8) {
        uint8_t *entries = nullptr;
        uint32_t count = 0;
        if (!DibRows_WholeTable(d, &entries, &count)) return 0;
        for (uint32_t i = 0; i < count; ++i) SwapBytes(entries + 4u * i, o);
        return 1;
    }
    DibRows rows;
    if (!DibRows_Open(d, &rows)) return 0;
    const int32_t width = f.width;
    if (f.depth == 24 || DibRows_IsPlain32(d->header)) {
        const int step = f.depth / 8;
        for (int32_t y = 0; y < f.height; ++y) {
            uint8_t *p = rows.Row(y);
            for (int32_t x = 0; x < width; ++x, p += step) SwapBytes(p, o);
        }
        return 1;
    }
    ChannelMasks m;
    if (!MaskedFields(d, &m) || !WidthsFit(m, o)) return 0;
    for (int32_t y = 0; y < f.height; ++y) {
        uint8_t *row = rows.Row(y);
        for (int32_t x = 0; x < width; ++x) {
            uint32_t v = 0;
            uint8_t *p = row + int64_t(x) * (f.depth / 8);
            if (f.depth == 16) v = uint32_t(p[0]) | uint32_t(p[1]) << 8;
            else v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
            uint32_t field[3], out = 0;
            for (int c = 0; c < 3; ++c) field[c] = (v & m.mask[c]) >> m.shift[c];
            for (int c = 0; c < 3; ++c) out |= (field[o.source[c]] << m.shift[c]) & m.mask[c];
            p[0] = uint8_t(out);
            p[1] = uint8_t(out >> 8);
            if (f.depth == 32) {
                p[2] = uint8_t(out >> 16);
                p[3] = uint8_t(out >> 24);
            }
        }
    }
    return 1;
}

}  // namespace

int ChannelSwap(DibHandle picture, int red, int green, int blue) {
    const Order o = MakeOrder(red, green, blue);
    if (NeedsTrueColour(Dibcore_DataDIB(picture), o, false) && !MakeTrueColour(picture)) return 0;
    return SwapInPlace(picture, o);
}

int ChannelSwap_Rect(DibHandle picture, const SelRect *rect, int red, int green, int blue) {
    int32_t width = 0, height = 0;
    if (Dib_GetInfo(picture, &width, nullptr, &height, 1) == 0) return 0;
    SelRect r;
    if (!Rect_ClipToImage(rect, width, height, &r)) return 0;
    if (r.left == 0 && r.top == 0 && r.right == width && r.bottom == height)
        return ChannelSwap(picture, red, green, blue);
    const Order o = MakeOrder(red, green, blue);
    if (NeedsTrueColour(Dibcore_DataDIB(picture), o, true) && !MakeTrueColour(picture)) return 0;
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    const DibHandle part = Dibcore_CutDIB(picture, r.left, r.top, w, h);
    if (part == 0) return 0;
    int ok = SwapInPlace(part, o);
    if (ok) ok = Dib_PasteRect(picture, part, r.left, r.top, w, h, 0, 0);
    Dibcore_DeleteDIB(part);
    return ok;
}
