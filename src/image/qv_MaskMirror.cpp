// Mirroring a rectangle and the glass mask built on it. Both work in place by
// exchanging pixels, so they need no copy of the rectangle and cannot fail
// once the pixels are reached.
#include <algorithm>

#include "image/qv_Mask.h"
#include "image/qv_MaskRows.h"

namespace {

template <int Bytes>
void ReverseBytePixels(uint8_t *p, int64_t count) {
    uint8_t *q = p + (count - 1) * Bytes;
    for (; p < q; p += Bytes, q -= Bytes)
        for (int i = 0; i < Bytes; ++i) std::swap(p[i], q[i]);
}

void ReverseRow(uint8_t *row, int64_t left, int64_t right, int depth) {
    const int64_t count = right - left;
    switch (depth) {
    case 8: ReverseBytePixels<1>(row + left, count); return;
    case 16: ReverseBytePixels<2>(row + left * 2, count); return;
    case 24: ReverseBytePixels<3>(row + left * 3, count); return;
    case 32: ReverseBytePixels<4>(row + left * 4, count); return;
    default:
        for (int64_t a = left, b = right - 1; a < b; ++a, --b) {
            const uint32_t va = MaskRows_Get(row, a, depth);
            MaskRows_Set(row, a, depth, MaskRows_Get(row, b, depth));
            MaskRows_Set(row, b, depth, va);
        }
        return;
    }
}

}  // namespace

// The rectangle must already be clipped to the picture.
static void MirrorRows(const DibRows &rows, const SelRect &r, bool vertical) {
    if (vertical) {
        const BitSpan span = BitSpan_Of(r.left, r.right, rows.fields.depth);
        for (int32_t a = r.top, b = r.bottom - 1; a < b; ++a, --b)
            BitSpan_Swap(rows.Row(a) + span.first, rows.Row(b) + span.first, span);
        return;
    }
    for (int32_t y = r.top; y < r.bottom; ++y) ReverseRow(rows.Row(y), r.left, r.right, rows.fields.depth);
}

int Dib_MirrorRect(DibHandle picture, const SelRect *rect, int vertical) {
    DibRows rows;
    SelRect r;
    if (!MaskRows_Prepare(picture, rect, &rows, &r)) return 0;
    MirrorRows(rows, r, vertical != 0);
    return 1;
}

int Mask_Glass(int32_t strip, DibHandle picture, const SelRect *rect, int sideBySide, int remainder) {
    if (strip <= 1) return 0;
    DibRows rows;
    SelRect r;
    if (!MaskRows_Prepare(picture, rect, &rows, &r)) return 0;
    const bool across = sideBySide != 0;
    const int32_t start = across ? r.left : r.top;
    const int32_t end = across ? r.right : r.bottom;
    // Glass strips across are mirrored left-right, strips down top-bottom.
    auto mirrorStrip = [&](int32_t from, int32_t to) {
        SelRect s = r;
        if (across) s.left = from, s.right = to;
        else s.top = from, s.bottom = to;
        MirrorRows(rows, s, !across);
    };
    int32_t at = start;
    for (; end - at >= strip; at += strip) mirrorStrip(at, at + strip);
    if (remainder && end - at > 1) mirrorStrip(at, end);
    return 1;
}
