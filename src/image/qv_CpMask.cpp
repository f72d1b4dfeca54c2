// The CP mask: a keyword orders the 8 x 8 cells, the order pairs them from
// both ends, and each pair is exchanged (transposed as well when the two
// cell numbers differ in parity). Exchanging, transposing, inverting and the
// red-green exchange each undo themselves, so the mask does too.
#include <cstring>
#include <memory>
#include <new>

#include "image/qv_CellMask.h"
#include "image/qv_CellMaskWork.h"
#include "image/qv_ChannelSwap.h"
#include "image/qv_DibApi.h"
#include "image/qv_DibHolder.h"
#include "image/qv_Mask.h"

namespace {

// Values of the letters A..Z.
constexpr uint8_t kCpLetterValues[26] = {16, 23, 19, 21, 9,  8,  10, 20, 6, 5,  22, 2,  13,
                                         3,  1,  4,  25, 12, 15, 14, 18, 7, 11, 24, 17, 26};

struct CpPair {
    int32_t partner;
    int32_t flag;  // 1 when the two cell numbers differ in parity
};
static_assert(sizeof(CpPair) == 8, "two 32-bit fields");

// The keyword upper-cased into `out` (17 bytes); its length, or 0 when it is
// refused. Only the first 16 characters count.
int NormaliseKeyword(const char *keyword, char *out) {
    if (keyword == nullptr) return 0;
    int n = 0;
    for (; n < kCpMaxKeyword && keyword[n] != 0; ++n) {
        char c = keyword[n];
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') return 0;
        out[n] = c;
    }
    out[n] = 0;
    return n;
}

// Whether the red-green exchange must work on 24 bits: fields of unequal
// width cannot trade places, and a part cannot change a colour table shared
// with the rest of the picture. False when the picture cannot be read.
bool NeedsTrueColour(DibHandle picture, const CellArea &area, bool *convert) {
    DibData *data = Dibcore_DataDIB(picture);
    if (data == nullptr || data->header == nullptr) return false;
    *convert = area.depth <= 8 && !area.whole;
    uint32_t masks[3];
    if (Dib_EffectiveMasks(data->header, masks)) {
        ChannelMasks fields;
        ChannelMasks_Set(area.depth, masks, &fields);
        *convert = fields.width[0] != fields.width[1];
    }
    return true;
}

// Cell `target` of `work` receives cell `source` of `copy` mirrored
// top-bottom and turned a quarter: its transpose.
bool CopyTransposed(DibHandle work, int32_t target, DibHandle copy, int32_t source, const CellArea &area) {
    const int32_t s = area.cellSize;
    DibHolder cell;
    cell.handle = Dibcore_CutDIB(copy, (source % area.across) * s, (source / area.across) * s, s, -s);
    if (cell.empty() || !Dibcore_TurnDIB(cell.handle, 90)) return false;
    DibData *to = Dibcore_DataDIB(work);
    DibData *from = Dibcore_DataDIB(cell.handle);
    if (to == nullptr || from == nullptr) return false;
    return Dib_CopyRect(to->header, to->bits, (target % area.across) * s, (target / area.across) * s, s, s,
                        from->header, from->bits, 0, 0);
}

}  // namespace

int CpMask_CheckKeyword(const char *keyword) {
    char upper[kCpMaxKeyword + 1];
    return NormaliseKeyword(keyword, upper) > 0 ? 1 : 0;
}

bool CpMask_Order(const char *keyword, int32_t cells, int32_t *order) {
    char upper[kCpMaxKeyword + 1];
    const int length = NormaliseKeyword(keyword, upper);
    if (length == 0 || cells <= 0 || order == nullptr) return false;
    const int64_t n = cells;
    for (int64_t k = 0; k < n; ++k) order[k] = -1;
    int64_t d = n - 1, e = n % length + length;
    for (int64_t i = 0; i < n; ++i) {
        d += kCpLetterValues[upper[i % length] - 'A'] + e;
        if (d >= n) d %= n;
        // Odd steps look for a free slot downwards, even ones upwards.
        while (order[d] >= 0) {
            if (i & 1)
                d = d == 0 ? n - 1 : d - 1;
            else
                d = d == n - 1 ? 0 : d + 1;
        }
        order[d] = int32_t(i);
        ++e;
    }
    return true;
}

int CpMask_Apply(const char *keyword, DibHandle picture, const SelRect *rect) {
    if (!CpMask_CheckKeyword(keyword)) return 0;
    CellArea area;
    if (CellArea_Make(picture, rect, kCpCellSize, &area) != kCellAreaOk) return 0;
    bool convert = false;
    if (!NeedsTrueColour(picture, area, &convert)) return 0;
    if (convert && !CellArea_MakeTrueColour(picture, &area)) return 0;
    const int32_t cells = CellArea_Count(area);
    if (cells == 0) return 0;
    std::unique_ptr<int32_t[]> order(new (std::nothrow) int32_t[size_t(cells)]);
    std::unique_ptr<CpPair[]> pairs(new (std::nothrow) CpPair[size_t(cells)]);
    if (!order || !pairs || !CpMask_Order(keyword, cells, order.get())) return 0;
    for (int32_t c = 0; c < cells; ++c) pairs[size_t(c)] = CpPair{c, 0};
    for (int32_t k = 0; k < (cells - 1) - k; ++k) {
        const int32_t a = order[size_t(k)], b = order[size_t(cells - 1 - k)];
        const int32_t flag = (a ^ b) & 1;
        pairs[size_t(a)] = CpPair{b, flag};
        pairs[size_t(b)] = CpPair{a, flag};
    }

    DibHolder copy;
    copy.handle = Dibcore_CutDIB(picture, area.left, area.top, area.width, area.height);
    if (copy.empty()) return 0;
    // A palette copy of the whole picture changes only its table here; the
    // table goes into the picture with the pixels.
    if (!ChannelSwap(copy.handle, 1, 0, 2) || !Mask_Negative(copy.handle, nullptr, 1, 1, 1)) return 0;
    DibHolder work;
    work.handle = Dibcore_CopyDIB(copy.handle);
    if (work.empty()) return 0;
    for (int32_t c = 0; c < cells; ++c) {
        const CpPair pair = pairs[size_t(c)];
        if (pair.flag) {
            if (!CopyTransposed(work.handle, c, copy.handle, pair.partner, area)) return 0;
        } else if (pair.partner != c) {
            DibData *to = Dibcore_DataDIB(work.handle);
            DibData *from = Dibcore_DataDIB(copy.handle);
            if (to == nullptr || from == nullptr || !Cell_Copy(to, c, from, pair.partner, area)) return 0;
        }
    }
    return CellArea_Commit(picture, area, work.handle, area.depth <= 8) ? 1 : 0;
}
