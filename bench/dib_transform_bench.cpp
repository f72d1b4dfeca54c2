// BMP decode and the hot transforms on a 1920x1080 picture, beside a plain
// memcpy of the same bytes as the memory-bandwidth yardstick.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "bmp_codec.h"
#include "transform.h"

using namespace dibcore;

namespace {

Picture *Photo(int bpp) {
    Picture *p = NewSimplePicture(1920, 1080, 24, 0, nullptr);
    std::mt19937 rng(1);
    for (uint32_t i = 0; i < p->data.bitsSize; ++i) p->data.bits[i] = uint8_t((i / 3 % 1920) / 8 + rng() % 16);
    if (bpp == 8) {
        Picture *q = DibTo8(*p, 0);
        FreePicture(p);
        return q;
    }
    return p;
}

void BM_Memcpy24(benchmark::State &s) {
    PictureOwner p(Photo(24));
    std::vector<uint8_t> dst(p->data.bitsSize);
    for (auto _ : s) {
        std::memcpy(dst.data(), p->data.bits, dst.size());
        benchmark::DoNotOptimize(dst.data());
    }
    s.SetBytesProcessed(int64_t(s.iterations()) * p->data.bitsSize);
}

void BM_BmpDecode24(benchmark::State &s) {
    PictureOwner p(Photo(24));
    ByteBuffer file;
    BmpEncode(*p.get(), &file);
    for (auto _ : s) {
        Picture *out = nullptr;
        BmpDecode(file.data(), file.size(), &out);
        FreePicture(out);
    }
    s.SetBytesProcessed(int64_t(s.iterations()) * p->data.bitsSize);
}

void BM_Turn90(benchmark::State &s) {
    PictureOwner p(Photo(int(s.range(0))));
    for (auto _ : s) FreePicture(TurnPicture(*p.get(), 90));
    s.SetBytesProcessed(int64_t(s.iterations()) * p->data.bitsSize);
}

void BM_8To24(benchmark::State &s) {
    PictureOwner p(Photo(8));
    for (auto _ : s) FreePicture(DibTo24(*p.get()));
    s.SetBytesProcessed(int64_t(s.iterations()) * 1920 * 1080 * 3);
}

void BM_24To8(benchmark::State &s) {
    PictureOwner p(Photo(24));
    for (auto _ : s) FreePicture(DibTo8(*p.get(), int32_t(s.range(0))));
    s.SetBytesProcessed(int64_t(s.iterations()) * p->data.bitsSize);
}

}  // namespace

BENCHMARK(BM_Memcpy24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpDecode24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Turn90)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_8To24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_24To8)->Arg(0)->Arg(kDibModeDither)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
