// One round of a libvips reference: the packed RGB bytes wrapped as an
// image, the operation, and the result written out to memory, so that the
// lazy pipeline really computes every pixel.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include <vips/vips.h>

// `op(in, &out)` returns a libvips status. Rounds until the state ends or
// the operation fails (then reported as the benchmark's error).
template <class Op>
void VipsRounds(benchmark::State &state, const std::vector<uint8_t> &rgb, int width, int height, Op op) {
    for (auto _ : state) {
        VipsImage *in = vips_image_new_from_memory(rgb.data(), rgb.size(), width, height, 3, VIPS_FORMAT_UCHAR);
        VipsImage *out = nullptr;
        if (op(in, &out) != 0) {
            state.SkipWithError(vips_error_buffer());
            g_object_unref(in);
            break;
        }
        size_t size = 0;
        void *mem = vips_image_write_to_memory(out, &size);
        benchmark::DoNotOptimize(mem);
        g_free(mem);
        g_object_unref(out);
        g_object_unref(in);
    }
}
