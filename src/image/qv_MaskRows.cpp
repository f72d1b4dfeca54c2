#include "image/qv_MaskRows.h"

#include <algorithm>

#include "image/qv_DibApi.h"

namespace {

// Masks of the span's bits in its first and last byte (one byte: both apply).
void EdgeMasks(const BitSpan &s, uint8_t *head, uint8_t *tail) {
    const int64_t lastBit = (int64_t(s.head) + s.count - 1) & 7;
    *head = uint8_t(0xFFu >> s.head);
    *tail = uint8_t(0xFF00u >> (lastBit + 1));
    if (s.bytes == 1) *head = *tail = uint8_t(*head & *tail);
}

inline uint8_t Merge(uint8_t keep, uint8_t take, uint8_t mask) { return uint8_t((keep & ~mask) | (take & mask)); }

}  // namespace

bool MaskRows_Prepare(DibHandle picture, const SelRect *rect, DibRows *rows, SelRect *clipped) {
    if (!Dibcore_RLEtoDIB(picture)) return false;
    // The conversion may have moved the storage: fetch it afterwards.
    if (!DibRows_Open(Dibcore_DataDIB(picture), rows)) return false;
    return Rect_ClipToImage(rect, rows->fields.width, rows->fields.height, clipped);
}

void BitSpan_Copy(uint8_t *dst, const uint8_t *src, const BitSpan &s) {
    if (s.bytes <= 0) return;
    uint8_t head, tail;
    EdgeMasks(s, &head, &tail);
    dst[0] = Merge(dst[0], src[0], head);
    if (s.bytes == 1) return;
    if (s.bytes > 2) std::memmove(dst + 1, src + 1, size_t(s.bytes - 2));
    dst[s.bytes - 1] = Merge(dst[s.bytes - 1], src[s.bytes - 1], tail);
}

void BitSpan_Swap(uint8_t *a, uint8_t *b, const BitSpan &s) {
    if (s.bytes <= 0) return;
    uint8_t head, tail;
    EdgeMasks(s, &head, &tail);
    auto swapEdge = [](uint8_t &x, uint8_t &y, uint8_t mask) {
        const uint8_t ox = x;
        x = Merge(x, y, mask);
        y = Merge(y, ox, mask);
    };
    swapEdge(a[0], b[0], head);
    if (s.bytes == 1) return;
    // Whole bytes in 8-byte words: a plain loop the compiler vectorises.
    int64_t i = 1;
    const int64_t end = s.bytes - 1;
    for (; i + 8 <= end; i += 8) {
        uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        std::memcpy(a + i, &y, 8);
        std::memcpy(b + i, &x, 8);
    }
    for (; i < end; ++i) std::swap(a[i], b[i]);
    swapEdge(a[end], b[end], tail);
}
