// The start and end of a benchmark that runs our pixel operations beside
// libvips and ImageMagick, each reference held to one thread.
#pragma once

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdlib>

#include <magick/MagickCore.h>
#include <vips/vips.h>

#include "pixel_bench_support.h"

// Starts both libraries, binds the image core, registers the cases with
// `registerCases` and runs them.
inline int ReferenceBenchMain(int argc, char **argv, void (*registerCases)()) {
    // Every reference round allocates a result of 44 MB or more. Left to
    // itself glibc maps each one fresh and the first touch of every page can
    // cost more than the operation; keeping freed blocks in the heap
    // measures the pixel work.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    if (VIPS_INIT(argv[0])) return 1;
    vips_concurrency_set(1);
    vips_cache_set_max(0);
    setenv("MAGICK_CONFIGURE_PATH", QV_MAGICK_POLICY_DIR, 0);
    MagickCoreGenesis(argv[0], MagickFalse);
    SetMagickResourceLimit(ThreadResource, 1);
    benchcore::BindCore();
    registerCases();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    MagickCoreTerminus();
    vips_shutdown();
    return 0;
}
