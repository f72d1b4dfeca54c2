#include "image/qv_EditTasks.h"

const TaskRunner *g_editTasks = nullptr;

namespace {
constexpr uint32_t kMostBands = 16;
constexpr uint32_t kFewestBandRows = 32;
}  // namespace

uint32_t EditTasks_RowBands(int32_t rows, int64_t pixels, int64_t minPixels) {
    const TaskRunner *tasks = g_editTasks;
    if (tasks == nullptr || tasks->run == nullptr || tasks->threads < 2 || pixels < minPixels || rows < 1) return 1;
    uint32_t bands = tasks->threads < kMostBands ? tasks->threads : kMostBands;
    const uint32_t byRows = uint32_t(rows) / kFewestBandRows;
    if (byRows < bands) bands = byRows;
    return bands < 1 ? 1 : bands;
}
