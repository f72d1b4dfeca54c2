// The area average cut into bands of destination rows on several threads
// gives the one-thread result byte for byte: band edges that share a source
// row, bands of uneven height, reductions that divide per axis, enlargements
// through the repeated grid and both row orders.
#include <gtest/gtest.h>

#include <vector>

#include "image/resample/qv_Resample.h"
#include "resample_test_support.h"
#include "std_thread_runner.h"

namespace {

using resample_test::Image;
using resample_test::Photo;
using resample_test::RequestFor;

// Restores the one-thread default however the test ends.
struct RunnerScope {
    explicit RunnerScope(const TaskRunner *runner) { g_resampleTasks = runner; }
    ~RunnerScope() { g_resampleTasks = nullptr; }
};

std::vector<uint8_t> Resize(const Image &src, int32_t dw, int32_t dh, bool topDown, int (*method)(ResampleRequest *)) {
    Image dst(dw, dh);
    ResampleRequest r = RequestFor(dst, src);
    if (topDown) {  // the last memory row first, negative strides
        r.srcBits = src.bytes.data() + size_t(src.stride) * (src.height - 1);
        r.srcStride = -src.stride;
        r.dstBits = dst.bytes.data() + size_t(dst.stride) * (dst.height - 1);
        r.dstStride = -dst.stride;
    }
    EXPECT_EQ(method(&r), 1);
    return dst.Pixels();
}

TEST(ResampleBands, AreaAverageOnThreadsEqualsOneThread) {
    const struct {
        int32_t sw, sh, dw, dh;
    } cases[] = {
        {2048, 1536, 468, 351},   // a photo to a window: uneven bands
        {1500, 1400, 1499, 701},  // barely reduced across: many entries per row
        {1031, 1100, 97, 1099},   // tall bands sharing source rows
        {4096, 300, 64, 64},      // too few rows for more than two bands
        {1024, 1024, 1024, 1024}, // same size
    };
    const TaskRunner threads{7, RunOnStdThreads};
    for (const auto &c : cases)
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(::testing::Message() << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh
                                              << (topDown ? " top-down" : ""));
            const Image src = Photo(c.sw, c.sh, uint32_t(c.sw * 31 + c.dh));
            const std::vector<uint8_t> one = Resize(src, c.dw, c.dh, topDown, Resample_AreaAverage);
            RunnerScope scope(&threads);
            EXPECT_EQ(Resize(src, c.dw, c.dh, topDown, Resample_AreaAverage), one);
        }
}

TEST(ResampleBands, AreaEnlargeOnThreadsEqualsOneThread) {
    const TaskRunner threads{4, RunOnStdThreads};
    const Image src = Photo(1100, 1000, 5);
    const std::vector<uint8_t> one = Resize(src, 1650, 1400, false, Resample_AreaEnlarge);
    RunnerScope scope(&threads);
    EXPECT_EQ(Resize(src, 1650, 1400, false, Resample_AreaEnlarge), one);
}

}  // namespace
