// The two passes of the Gaussian filter over 24-bit rows, cut into bands of
// output rows that may run on several threads with the same result.
//
// Each band streams: a source row is copied into an edge-padded buffer and
// filtered across into a ring of 16-bit rows, and each output row is summed
// from the ring rows above and below it through row pointers clamped once per
// row. The horizontal rows a band shares with its neighbours are made before
// any band writes, so filtering a picture in place gives the one-band result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "image/qv_DibCore.h"
#include "image/qv_DibRows.h"
#include "image/qv_Gauss.h"
#include "image/qv_GaussTaps.h"
#include "util/qv_Tasks.h"

// What an output value becomes, with v the target's value and b the blurred
// one (T: the job's correction table), limited to 0..255.
enum class GaussOutput : int32_t {
    FullBlur,  // b
    Blend,     // v + T(b - v): part of the way toward b
    Sharpen,   // v + T(v - b): away from b
};

struct GaussPassJob {
    DibRows source;  // 24 bits
    SelRect rect;    // the pixels to filter, in source coordinates
    DibRows target;  // 24 bits; may be the source itself (same coordinates)
    int32_t targetLeft = 0, targetTop = 0;  // where the rectangle lands in the target
    GaussOutput output = GaussOutput::FullBlur;
    const int16_t *table = nullptr;  // kCorrectionEntries; Blend and Sharpen only
};

struct GaussBand;

// The band plan and every buffer of one job, made before any picture is
// touched, so that running short of memory leaves the pictures as they were.
class GaussWork {
public:
    GaussWork();
    ~GaussWork();
    GaussWork(const GaussWork &) = delete;
    GaussWork &operator=(const GaussWork &) = delete;

    GaussTaps taps;
    SelRect rect{};
    int32_t sourceWidth = 0, sourceHeight = 0;
    int32_t bandCount = 0;
    const TaskRunner *tasks = nullptr;
    std::unique_ptr<GaussBand[]> bands;
};

// Plans the bands of filtering `rect` of a source of the given size with
// `kernel` on `tasks` (null: this thread), and makes the buffers. False when
// the kernel does not fit the row functions (GaussTaps_Fits), the rectangle
// is empty or outside the source, or memory is short.
bool GaussWork_Prepare(GaussWork *work, const GaussKernel &kernel, const SelRect &rect, int32_t sourceWidth,
                       int32_t sourceHeight, const TaskRunner *tasks);

// Both passes at the given level. 0, with nothing written, when source or
// target are not 24 bits, the job does not match the prepared work, the
// target cannot hold the rectangle, a target sharing the source's pixels is
// not at the same place, or Blend and Sharpen have no table.
int GaussPass_Run(const GaussPassJob &job, GaussWork *work, GaussSimd level);
