// The tone table and the hue, saturation and lightness adjustment side by
// side with their references on a generated 14.7-megapixel 24-bit picture:
// a brightness, contrast and gamma table over the whole picture against
// libvips maplut with the same table (one thread), and a hue turn with more
// saturation and lightness against ImageMagick's modulate in HSL (one
// thread). Ours run through the program's own calls, in place, on the
// calling thread and on 2 and 4 edit threads. A plain memcpy of the picture's bytes is the memory-speed
// yardstick. Throughput is the bytes of the 24-bit picture per second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include <magick/MagickCore.h>
#include <vips/vips.h>

#include "vips_bench_support.h"

#include "edit_tasks_scope.h"
#include "image/qv_Hsl.h"
#include "image/qv_Tone.h"
#include "pixel_bench_support.h"
#include "reference_bench_main.h"

using namespace pixelbench;

namespace {

// Brightness +20, contrast +30 on all channels, a different gamma on each,
// so the table has three rows of its own.
constexpr BrightParams kBright = {1, -1, 1, {20, 20, 20}, {30, 30, 30}, {1200, 1000, 900}};

// A hue turn of 30 degrees, saturation +20 % and lightness +10 %: every
// pixel goes to HSL and back.
constexpr int32_t kHueTenths = 300;
constexpr int32_t kSaturation = 200;
constexpr int32_t kLightness = 100;
// ImageMagick's modulate in per cent: brightness, saturation, and hue with
// 200 a half turn.
const char *const kModulate = "110,120,116.6667";

void Processed(benchmark::State &state) { state.SetBytesProcessed(int64_t(state.iterations()) * PictureBytes()); }

// How fast this machine moves the picture's bytes at all.
void Memcpy(benchmark::State &state) {
    PictureOwner p(OurPicture());
    std::vector<uint8_t> dst(p->data.bitsSize);
    for (auto _ : state) {
        std::memcpy(dst.data(), p->data.bits, dst.size());
        benchmark::DoNotOptimize(dst.data());
    }
    Processed(state);
}

// The table is built in every round, as the command does; it is 768 bytes
// against 44 MB of pixels. The picture changes in place and the next round
// works on the result: a lookup costs the same whatever the byte.
void OurTone(benchmark::State &state, unsigned threads) {
    EditTasksScope scope(threads);
    const DibHandle h = Handles_Add(OurPicture());
    for (auto _ : state)
        if (Tone_Apply(h, nullptr, kToneBright, &kBright) != 1) state.SkipWithError("Tone_Apply failed");
    Handles_Delete(h);
    Processed(state);
}

// The same table as a 256 x 1, three-band lookup image, red band first.
VipsImage *VipsLut() {
    ToneTable table;
    if (ToneTable_FromBright(&kBright, &table) != 1) return nullptr;
    std::vector<uint8_t> lut(256 * 3);
    for (int v = 0; v < 256; ++v)
        for (int band = 0; band < 3; ++band) lut[3 * v + band] = table.row[2 - band][v];
    return vips_image_new_from_memory_copy(lut.data(), lut.size(), 256, 1, 3, VIPS_FORMAT_UCHAR);
}

// The packed picture through maplut into a new memory buffer.
void VipsMaplut(benchmark::State &state) {
    const std::vector<uint8_t> &rgb = PhotoRgb();
    VipsImage *lut = VipsLut();
    if (lut == nullptr) {
        state.SkipWithError("no lookup image");
        return;
    }
    VipsRounds(state, rgb, kWidth, kHeight,
               [lut](VipsImage *in, VipsImage **out) { return vips_maplut(in, out, lut, nullptr); });
    g_object_unref(lut);
    Processed(state);
}

// The conversion's cost depends on the colours, so every round starts from
// the first picture, put back outside the timing.
void OurHsl(benchmark::State &state, unsigned threads) {
    EditTasksScope scope(threads);
    PictureOwner pristine(OurPicture());
    const DibHandle h = Handles_Add(ClonePicture(*pristine.get()));
    const HslParams params{h, nullptr, kHueTenths, kSaturation, kLightness, kHslGreyLightness, 0};
    for (auto _ : state) {
        state.PauseTiming();
        Restore(h, *pristine.get());
        state.ResumeTiming();
        if (Hsl_Apply(params) != 1) state.SkipWithError("Hsl_Apply failed");
    }
    Handles_Delete(h);
    Processed(state);
}

// Modulate works in place, so every round changes a fresh copy made outside
// the timing.
void MagickModulate(benchmark::State &state) {
    ExceptionInfo *exception = AcquireExceptionInfo();
    Image *image = ConstituteImage(kWidth, kHeight, "RGB", CharPixel, PhotoRgb().data(), exception);
    for (auto _ : state) {
        state.PauseTiming();
        Image *copy = image ? CloneImage(image, 0, 0, MagickTrue, exception) : nullptr;
        state.ResumeTiming();
        if (copy == nullptr || ModulateImage(copy, kModulate) != MagickTrue) state.SkipWithError("ModulateImage failed");
        if (copy != nullptr) DestroyImage(copy);
    }
    if (image != nullptr) DestroyImage(image);
    DestroyExceptionInfo(exception);
    Processed(state);
}

void Register() {
    const auto add = [](const std::string &name, auto fn, auto... args) {
        benchmark::RegisterBenchmark(name.c_str(), fn, args...)->Unit(benchmark::kMillisecond)->UseRealTime();
    };
    add("memcpy/24bit", Memcpy);
    // The tone table spreads its rows over the edit threads.
    for (unsigned threads : {1u, 2u, 4u})
        add("tone_table/24bit/quivelta_" + std::to_string(threads) + "thread", OurTone, threads);
    add("tone_table/24bit/vips_maplut", VipsMaplut);
    for (unsigned threads : {1u, 2u, 4u})
        add("hsl/24bit/quivelta_" + std::to_string(threads) + "thread", OurHsl, threads);
    add("hsl/24bit/magick_modulate", MagickModulate);
}

}  // namespace

int main(int argc, char **argv) { return ReferenceBenchMain(argc, argv, Register); }
