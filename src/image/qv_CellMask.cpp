// The FL spiral and the Meko permutation. The CP mask is in qv_CpMask.cpp.
#include "image/qv_CellMask.h"

#include <memory>
#include <new>

#include "image/qv_CellMaskWork.h"
#include "image/qv_DibApi.h"
#include "image/qv_DibHolder.h"
#include "image/qv_DibOps.h"
#include "image/qv_Mask.h"

MekoTableSource g_mekoTableSource = nullptr;

bool Fl_SpiralOrder(int32_t across, int32_t down, int32_t *order) {
    if (across <= 0 || down <= 0 || order == nullptr) return false;
    int32_t left = 0, right = across - 1, top = 0, bottom = down - 1;
    int64_t n = 0;
    auto put = [&](int32_t x, int32_t y) { order[n++] = y * across + x; };
    while (left <= right && top <= bottom) {
        for (int32_t x = left; x <= right; ++x) put(x, bottom);
        --bottom;
        for (int32_t y = bottom; y >= top; --y) put(right, y);
        --right;
        // A ring one cell high or wide has no top row or left column of its
        // own: they are the row and column already walked.
        if (top <= bottom) {
            for (int32_t x = right; x >= left; --x) put(x, top);
            ++top;
        }
        if (left <= right) {
            for (int32_t y = top; y <= bottom; ++y) put(left, y);
            ++left;
        }
    }
    return true;
}

int Mask_Fl(DibHandle picture, const SelRect *rect, int withNegative) {
    CellArea area;
    if (CellArea_Make(picture, rect, kFlCellSize, &area) != kCellAreaOk) return 0;
    // The inverted cells need colours of their own, not a shared table.
    if (withNegative && area.depth <= 8 && !CellArea_MakeTrueColour(picture, &area)) return 0;
    const int32_t cells = CellArea_Count(area);
    if (cells == 0) return 0;
    std::unique_ptr<int32_t[]> order(new (std::nothrow) int32_t[size_t(cells)]);
    if (!order || !Fl_SpiralOrder(area.across, area.down, order.get())) return 0;

    DibHolder copy;
    copy.handle = Dibcore_CutDIB(picture, area.left, area.top, area.width, area.height);
    if (copy.empty()) return 0;
    DibHolder work;
    work.handle = Dibcore_CopyDIB(copy.handle);
    if (work.empty()) return 0;
    if (withNegative && !Mask_Negative(copy.handle, nullptr, 1, 1, 1)) return 0;
    DibData *from = Dibcore_DataDIB(copy.handle);
    DibData *to = Dibcore_DataDIB(work.handle);
    if (from == nullptr || to == nullptr) return 0;
    for (int32_t i = 0; i < cells; ++i) {
        const int32_t target = order[size_t(i)], source = order[size_t(cells - 1 - i)];
        // The middle cell of an odd count stays as it is, negative or not.
        if (target != source && !Cell_Copy(to, target, from, source, area)) return 0;
    }
    return CellArea_Commit(picture, area, work.handle, false) ? 1 : 0;
}

namespace {

bool LoadMekoTable(MekoTable *table) {
    *table = MekoTable{};
    return g_mekoTableSource != nullptr && g_mekoTableSource(table) && table->data != nullptr && table->count != 0;
}

int MekoArea(DibHandle picture, const SelRect *rect, CellArea *area, MekoTable *table) {
    if (Dib_GetInfo(picture, nullptr, nullptr, nullptr, 1) == 0) return kMekoNoPicture;
    if (!LoadMekoTable(table)) return kMekoNoTable;
    switch (CellArea_Make(picture, rect, kMekoCellSize, area)) {
        case kCellAreaOk:
            break;
        case kCellAreaNoPicture:
            return kMekoNoPicture;
        case kCellAreaTooSmall:
            return kMekoTooSmall;
    }
    MekoGrid grid;
    return Meko_Grid(area->width, area->height, table->count, &grid);
}

}  // namespace

int Meko_Check(DibHandle picture, const SelRect *rect, int32_t *left, int32_t *top, int32_t *width, int32_t *height,
               int32_t *across, int32_t *down) {
    CellArea area{};
    MekoTable table;
    const int code = MekoArea(picture, rect, &area, &table);
    if (code != kMekoReady) return code;
    if (left) *left = area.left;
    if (top) *top = area.top;
    if (width) *width = area.width;
    if (height) *height = area.height;
    if (across) *across = area.across;
    if (down) *down = area.down;
    return kMekoReady;
}

int Meko_Apply(DibHandle picture, const SelRect *rect, int reverse) {
    CellArea area{};
    MekoTable table;
    const int code = MekoArea(picture, rect, &area, &table);
    if (code != kMekoReady) return code;
    // A part cannot change a table shared with the rest of the picture.
    if (area.depth <= 8 && !area.whole && !CellArea_MakeTrueColour(picture, &area)) return kMekoNoPicture;
    const uint32_t cells = uint32_t(CellArea_Count(area));
    std::unique_ptr<uint32_t[]> order(new (std::nothrow) uint32_t[cells]);
    if (!order || Meko_CellOrder(table, cells, order.get()) != kMekoReady) return kMekoNoPicture;

    DibHolder copy;
    copy.handle = Dibcore_CutDIB(picture, area.left, area.top, area.width, area.height);
    if (copy.empty()) return kMekoNoPicture;
    DibHolder work;
    work.handle = Dibcore_CopyDIB(copy.handle);
    if (work.empty()) return kMekoNoPicture;
    // Inverting is its own inverse, so forward and reverse both do it. A
    // palette copy of the whole picture inverts its table, which goes back
    // with the pixels.
    if (!Mask_Negative(copy.handle, nullptr, 1, 1, 1)) return kMekoNoPicture;
    DibData *from = Dibcore_DataDIB(copy.handle);
    DibData *to = Dibcore_DataDIB(work.handle);
    if (from == nullptr || to == nullptr) return kMekoNoPicture;
    for (uint32_t s = 0; s < cells; ++s) {
        const int32_t a = int32_t(s), b = int32_t(order[s]);
        if (!(reverse ? Cell_Copy(to, b, from, a, area) : Cell_Copy(to, a, from, b, area))) return kMekoNoPicture;
    }
    return CellArea_Commit(picture, area, work.handle, area.depth <= 8) ? kMekoReady : kMekoNoPicture;
}
