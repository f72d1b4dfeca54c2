// The threads the pixel operations (tone tables, hue and saturation, blurs)
// spread their rows over. Null, as in the native tests, runs everything on
// the calling thread; the program sets the system runner at start-up.
#pragma once

#include <cstddef>
#include <cstdint>

#include "util/qv_Tasks.h"

extern const TaskRunner *g_editTasks;

// How many bands of rows `pixels` pixels over `rows` rows are cut into:
// one below `minPixels` (waking a thread would cost more than the work) or
// without a runner, else one per thread, at most 16, at least 32 rows each.
uint32_t EditTasks_RowBands(int32_t rows, int64_t pixels, int64_t minPixels);

// Runs work(firstRow, endRow) over rows first..first+rows-1 on g_editTasks,
// in bands when it pays. Bands never share a row, so work that touches only
// its own rows gives the bytes of one band.
template <class Work>
void EditTasks_RunRows(int32_t first, int32_t rows, int64_t pixels, int64_t minPixels, const Work &work) {
    struct Job {
        const Work *work;
        int32_t first, rows;
        uint32_t bands;
    } job{&work, first, rows, EditTasks_RowBands(rows, pixels, minPixels)};
    Tasks_Run(g_editTasks, job.bands,
              [](void *context, size_t band) {
                  const Job &j = *static_cast<const Job *>(context);
                  const int32_t from = j.first + int32_t(int64_t{j.rows} * int64_t(band) / j.bands);
                  const int32_t to = j.first + int32_t(int64_t{j.rows} * int64_t(band + 1) / j.bands);
                  (*j.work)(from, to);
              },
              &job);
}
