#include "image/qv_CellMaskWork.h"

#include <cstring>

#include "image/qv_DibApi.h"
#include "image/qv_DibOps.h"

CellAreaResult CellArea_Make(DibHandle picture, const SelRect *rect, int32_t cellSize, CellArea *area) {
    DibData *data = Dibcore_DataDIB(picture);
    if (data == nullptr || data->header == nullptr) return kCellAreaNoPicture;
    // The last step writes straight into the picture's rows.
    if (Dib_IsRleCompressed(data->header) && !Dibcore_RLEtoDIB(picture)) return kCellAreaNoPicture;
    int32_t width = 0, height = 0;
    const int32_t depth = Dib_GetInfo(picture, &width, nullptr, &height, 1);
    if (depth == 0) return kCellAreaNoPicture;
    SelRect clipped;
    if (!Rect_ClipToImage(rect, width, height, &clipped)) return kCellAreaTooSmall;
    const int32_t w = clipped.right - clipped.left, h = clipped.bottom - clipped.top;
    if (w < cellSize || h < cellSize) return kCellAreaTooSmall;
    area->left = clipped.left;
    area->top = clipped.top;
    area->across = w / cellSize;
    area->down = h / cellSize;
    area->width = area->across * cellSize;
    area->height = area->down * cellSize;
    area->cellSize = cellSize;
    area->depth = depth;
    area->whole = area->left == 0 && area->top == 0 && area->width == width && area->height == height;
    return kCellAreaOk;
}

bool CellArea_MakeTrueColour(DibHandle picture, CellArea *area) {
    if (!Dibcore_DIBto24Bit(picture)) return false;
    area->depth = Dib_GetInfo(picture, nullptr, nullptr, nullptr, 1);
    return area->depth == 24;
}

bool Cell_Copy(DibData *dst, int32_t to, const DibData *src, int32_t from, const CellArea &area) {
    const int32_t s = area.cellSize;
    return Dib_CopyRect(dst->header, dst->bits, (to % area.across) * s, (to / area.across) * s, s, s, src->header,
                        src->bits, (from % area.across) * s, (from / area.across) * s);
}

namespace {

// The colour table as the library holds it: entries of 4 bytes only.
uint8_t *WritableTable(DibData *data, uint32_t *count) {
    const uint8_t *table = nullptr;
    const uint32_t kind = Dib_GetColorTable(data->header, data->headerSize, &table, nullptr, count) >> 16;
    if (kind == 0 || kind == kDibKindCore || table == nullptr) return nullptr;
    return const_cast<uint8_t *>(table);
}

}  // namespace

bool CellArea_Commit(DibHandle picture, const CellArea &area, DibHandle work, bool withTable) {
    DibData *to = Dibcore_DataDIB(picture);
    DibData *from = Dibcore_DataDIB(work);
    if (to == nullptr || from == nullptr || to->header == nullptr || from->header == nullptr) return false;
    uint8_t *toTable = nullptr, *fromTable = nullptr;
    uint32_t toCount = 0, fromCount = 0;
    if (withTable) {
        toTable = WritableTable(to, &toCount);
        fromTable = WritableTable(from, &fromCount);
        if (toTable == nullptr || fromTable == nullptr || toCount != fromCount) return false;
    }
    if (!Dib_CopyRect(to->header, to->bits, area.left, area.top, area.width, area.height, from->header, from->bits, 0,
                      0))
        return false;
    if (withTable) std::memcpy(toTable, fromTable, size_t(toCount) * 4);
    return true;
}

int32_t CellArea_Count(const CellArea &area) {
    const int64_t cells = int64_t{area.across} * int64_t{area.down};
    return cells > 0 && cells <= INT32_MAX ? int32_t(cells) : 0;
}
