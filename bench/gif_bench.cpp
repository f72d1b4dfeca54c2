// GIF decoding, ours against giflib (DGifSlurp: every frame's indexes), on the
// same files in one run: a large photograph reduced to 256 colours and a
// multi-frame animation, both made by ImageMagick from a wallpaper photo.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gif_codec.h"

namespace {

const char *const kPhotos[] = {
    "/usr/share/wallpapers/FallenLeaf/contents/images/2560x1600.jpg",
    "/usr/share/wallpapers/Flow/contents/images/5120x2880.jpg",
};

std::string FirstPhoto() {
    for (const char *p : kPhotos)
        if (std::ifstream(p).good()) return p;
    const std::string cmd = "find /usr/share/wallpapers -name '*.jpg' | head -n 1";
    FILE *f = popen(cmd.c_str(), "r");
    char line[1024] = {};
    if (f) {
        if (!fgets(line, sizeof line, f)) line[0] = 0;
        pclose(f);
    }
    std::string s(line);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

std::vector<uint8_t> Load(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Made once per run in the temporary folder.
const std::vector<uint8_t> &Sample(bool animation) {
    static std::vector<uint8_t> files[2];
    static bool made = false;
    if (!made) {
        made = true;
        const std::string photo = FirstPhoto();
        const std::string dir = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
        const std::string big = dir + "/qv_gif_bench_big.gif", anim = dir + "/qv_gif_bench_anim.gif";
        std::string cmd = "convert '" + photo + "' -colors 256 '" + big + "'";
        if (std::system(cmd.c_str()) == 0) files[0] = Load(big);
        // Sixteen frames panning across the photo, each with its own table.
        cmd = "convert '" + photo + "' -resize 960x600^ -gravity center -extent 960x600 -write mpr:p +delete";
        for (int i = 0; i < 16; ++i)
            cmd += " \\( mpr:p -roll +" + std::to_string(i * 23) + "+" + std::to_string(i * 11) + " \\)";
        cmd += " -delay 4 -loop 0 -colors 256 '" + anim + "'";
        if (std::system(cmd.c_str()) == 0) files[1] = Load(anim);
    }
    return files[animation ? 1 : 0];
}

struct MemoryReader {
    const uint8_t *data;
    size_t size, pos;
};

int ReadMemory(GifFileType *gif, GifByteType *out, int n) {
    auto *m = static_cast<MemoryReader *>(gif->UserData);
    const size_t take = std::min<size_t>(size_t(n), m->size - m->pos);
    std::memcpy(out, m->data + m->pos, take);
    m->pos += take;
    return int(take);
}

void Giflib(benchmark::State &state, bool animation) {
    const std::vector<uint8_t> &file = Sample(animation);
    if (file.empty()) return state.SkipWithError("no sample (ImageMagick or wallpapers missing)");
    int frames = 0;
    for (auto _ : state) {
        MemoryReader m{file.data(), file.size(), 0};
        int error = 0;
        GifFileType *gif = DGifOpen(&m, ReadMemory, &error);
        if (gif == nullptr || DGifSlurp(gif) != GIF_OK) return state.SkipWithError("giflib failed");
        frames = gif->ImageCount;
        benchmark::DoNotOptimize(gif->SavedImages[0].RasterBits);
        DGifCloseFile(gif, &error);
    }
    state.counters["frames"] = frames;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void Ours(benchmark::State &state, bool animation) {
    using namespace dibcore;
    const std::vector<uint8_t> &file = Sample(animation);
    if (file.empty()) return state.SkipWithError("no sample (ImageMagick or wallpapers missing)");
    std::vector<GifFrame> frames(64);
    int n = 0;
    for (auto _ : state) {
        if (Gif_DecodeFrames(file.data(), file.size(), frames.data(), int(frames.size()), &n, nullptr) !=
            GifStatus::kOk)
            return state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(frames[0].picture->data.bits);
        for (int i = 0; i < n; ++i) FreePicture(frames[size_t(i)].picture);
    }
    state.counters["frames"] = n;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void OursStill(benchmark::State &state) {
    using namespace dibcore;
    const std::vector<uint8_t> &file = Sample(false);
    if (file.empty()) return state.SkipWithError("no sample (ImageMagick or wallpapers missing)");
    for (auto _ : state) {
        Picture *p = nullptr;
        if (Gif_DecodeStill(file.data(), file.size(), &p, nullptr) != GifStatus::kOk)
            return state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(p->data.bits);
        FreePicture(p);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void BM_GifDecodePhoto_Giflib(benchmark::State &s) { Giflib(s, false); }
void BM_GifDecodePhoto_Ours(benchmark::State &s) { Ours(s, false); }
void BM_GifDecodePhotoStill_Ours(benchmark::State &s) { OursStill(s); }
void BM_GifDecodeAnimation_Giflib(benchmark::State &s) { Giflib(s, true); }
void BM_GifDecodeAnimation_Ours(benchmark::State &s) { Ours(s, true); }

BENCHMARK(BM_GifDecodePhoto_Giflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDecodePhoto_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDecodePhotoStill_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDecodeAnimation_Giflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDecodeAnimation_Ours)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
