// The permutations in blocks of 16: rows (one block of rows buffered at a
// time) and columns (one row buffered at a time). The column form is the Win
// mask; it used to be done by turning the whole picture, permuting rows and
// turning back, where a failed turn back left the picture sideways. In place
// it gives the same pixels and has nothing that can fail half-way.
#include <cstdlib>

#include "image/qv_Mask.h"
#include "image/qv_MaskRows.h"

// constexpr (with the header's external linkage) so the check below can
// read it at compile time.
constexpr uint8_t kWinMaskTable[16] = {12, 8, 6, 15, 9, 13, 2, 11, 1, 4, 14, 7, 0, 5, 10, 3};

namespace {

constexpr bool IsInvolution(const uint8_t (&t)[16]) {
    for (int j = 0; j < 16; ++j)
        if (t[j] > 15 || t[t[j]] != j) return false;
    return true;
}
static_assert(IsInvolution(kWinMaskTable), "the Win mask undoes itself");

// Every entry 0..15 and none twice: anything else would lose pixels.
bool IsPermutation(const uint8_t table[16]) {
    if (table == nullptr) return false;
    unsigned seen = 0;
    for (int j = 0; j < 16; ++j) {
        if (table[j] > 15) return false;
        seen |= 1u << table[j];
    }
    return seen == 0xFFFFu;
}

// Buffer freed on every path.
struct Buffer {
    uint8_t *p = nullptr;
    explicit Buffer(uint64_t size) {
        if (size > 0 && size <= SIZE_MAX) p = static_cast<uint8_t *>(std::malloc(size_t(size)));
    }
    ~Buffer() { std::free(p); }
    Buffer(const Buffer &) = delete;
    Buffer &operator=(const Buffer &) = delete;
};

template <int Bytes>
void PermuteBytePixels(uint8_t *dst, const uint8_t *src, int64_t blocks, const uint8_t table[16]) {
    for (int64_t k = 0; k < blocks; ++k, dst += 16 * Bytes, src += 16 * Bytes)
        for (int j = 0; j < 16; ++j)
            for (int i = 0; i < Bytes; ++i) dst[table[j] * Bytes + i] = src[j * Bytes + i];
}

}  // namespace

int Mask_RowPermute16(DibHandle picture, const SelRect *rect, const uint8_t table[16]) {
    if (!IsPermutation(table)) return 0;
    DibRows rows;
    SelRect r;
    if (!MaskRows_Prepare(picture, rect, &rows, &r)) return 0;
    if (rows.fields.height < 16 || r.bottom - r.top < 16) return 0;
    const BitSpan span = BitSpan_Of(r.left, r.right, rows.fields.depth);
    Buffer block(uint64_t(span.bytes) * 16);
    if (block.p == nullptr) return 0;
    for (int32_t top = r.top; r.bottom - top >= 16; top += 16) {
        for (int j = 0; j < 16; ++j)
            std::memcpy(block.p + span.bytes * j, rows.Row(top + j) + span.first, size_t(span.bytes));
        for (int j = 0; j < 16; ++j)
            BitSpan_Copy(rows.Row(top + table[j]) + span.first, block.p + span.bytes * j, span);
    }
    return 1;
}

int Mask_ColumnPermute16(DibHandle picture, const SelRect *rect, const uint8_t table[16]) {
    if (!IsPermutation(table)) return 0;
    DibRows rows;
    SelRect r;
    if (!MaskRows_Prepare(picture, rect, &rows, &r)) return 0;
    if (rows.fields.width < 16 || r.right - r.left < 16) return 0;
    const int depth = rows.fields.depth;
    const int64_t blocks = (int64_t(r.right) - r.left) / 16;
    const BitSpan span = BitSpan_Of(r.left, r.left + blocks * 16, depth);
    Buffer line(uint64_t(span.bytes));
    if (line.p == nullptr) return 0;
    // Pixel index of column `left` inside the buffered bytes (sub-byte depths).
    const int64_t lead = depth < 8 ? int64_t(span.head) / depth : 0;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        uint8_t *row = rows.Row(y) + span.first;
        std::memcpy(line.p, row, size_t(span.bytes));
        switch (depth) {
        case 8: PermuteBytePixels<1>(row, line.p, blocks, table); break;
        case 16: PermuteBytePixels<2>(row, line.p, blocks, table); break;
        case 24: PermuteBytePixels<3>(row, line.p, blocks, table); break;
        case 32: PermuteBytePixels<4>(row, line.p, blocks, table); break;
        default:
            for (int64_t k = 0; k < blocks; ++k)
                for (int j = 0; j < 16; ++j) {
                    const int64_t base = lead + 16 * k;
                    MaskRows_Set(row, base + table[j], depth, MaskRows_Get(line.p, base + j, depth));
                }
            break;
        }
    }
    return 1;
}
