// The Gaussian filter side by side with its references on a generated
// 14.7-megapixel 24-bit picture: the full blur at sigma 5 against libvips
// gaussblur with a kernel of the same reach (min_ampl 0.001; the default
// stops the kernel much sooner) and ImageMagick's separable blur, and the
// sharpen preset (sigma 0.77, strength 100 %, no threshold) against
// ImageMagick's unsharp mask with the same settings. References run on one
// thread; ours on the calling thread and on 2 and 4 edit threads (and as
// many as the machine has, when that is more). Throughput is the bytes of
// the 24-bit picture per second.
#include <benchmark/benchmark.h>

#include <string>
#include <thread>
#include <vector>

#include <magick/MagickCore.h>
#include <vips/vips.h>

#include "vips_bench_support.h"

#include "edit_tasks_scope.h"
#include "image/qv_Gauss.h"
#include "pixel_bench_support.h"
#include "reference_bench_main.h"

using namespace pixelbench;

namespace {

// Radii are sigma in thousandths less 170: sigma 5 and sigma 0.77.
constexpr int32_t kBlurRadius = 4830;
constexpr double kBlurSigma = 5.0;
constexpr int32_t kSharpenRadius = 600;
constexpr double kSharpenSigma = 0.77;
constexpr int32_t kFullBlur = -1000;
constexpr int32_t kSharpen100 = 1000;

void Processed(benchmark::State &state) { state.SetBytesProcessed(int64_t(state.iterations()) * PictureBytes()); }

// The whole picture in place, as the command filters it. Every round starts
// from the first picture, put back outside the timing.
void Ours(benchmark::State &state, int32_t radius, int32_t amount, unsigned threads) {
    EditTasksScope scope(threads);
    PictureOwner pristine(OurPicture());
    const DibHandle h = Handles_Add(ClonePicture(*pristine.get()));
    for (auto _ : state) {
        state.PauseTiming();
        Restore(h, *pristine.get());
        state.ResumeTiming();
        if (Gauss_Apply(h, nullptr, nullptr, radius, amount, 0) != 1) state.SkipWithError("Gauss_Apply failed");
    }
    Handles_Delete(h);
    Processed(state);
}

// The packed picture blurred into a new memory buffer.
void VipsGaussblur(benchmark::State &state) {
    const std::vector<uint8_t> &rgb = PhotoRgb();
    VipsRounds(state, rgb, kWidth, kHeight, [](VipsImage *in, VipsImage **out) {
        return vips_gaussblur(in, out, kBlurSigma, "min_ampl", 0.001, nullptr);
    });
    Processed(state);
}

Image *MagickBlur(const Image *image, ExceptionInfo *exception) {
    return BlurImage(image, 0.0, kBlurSigma, exception);
}
Image *MagickUnsharp(const Image *image, ExceptionInfo *exception) {
    return UnsharpMaskImage(image, 0.0, kSharpenSigma, 1.0, 0.0, exception);
}

// ImageMagick operations that return a new image.
template <Image *(*Op)(const Image *, ExceptionInfo *)>
void MagickNew(benchmark::State &state) {
    ExceptionInfo *exception = AcquireExceptionInfo();
    Image *image = ConstituteImage(kWidth, kHeight, "RGB", CharPixel, PhotoRgb().data(), exception);
    for (auto _ : state) {
        Image *out = image ? Op(image, exception) : nullptr;
        if (out == nullptr) {
            state.SkipWithError("ImageMagick failed");
            break;
        }
        DestroyImage(out);
    }
    if (image != nullptr) DestroyImage(image);
    DestroyExceptionInfo(exception);
    Processed(state);
}

void Register() {
    const auto add = [](const std::string &name, auto fn, auto... args) {
        benchmark::RegisterBenchmark(name.c_str(), fn, args...)->Unit(benchmark::kMillisecond)->UseRealTime();
    };
    std::vector<unsigned> threads = {1, 2, 4};
    const unsigned cores = std::thread::hardware_concurrency();
    if (cores > 4) threads.push_back(cores);
    for (unsigned t : threads)
        add("blur_sigma5/24bit/quivelta_" + std::to_string(t) + "thread", Ours, kBlurRadius, kFullBlur, t);
    add("blur_sigma5/24bit/vips_gaussblur_min_ampl_0.001", VipsGaussblur);
    add("blur_sigma5/24bit/magick_blur", MagickNew<MagickBlur>);
    for (unsigned t : threads)
        add("sharpen_preset/24bit/quivelta_" + std::to_string(t) + "thread", Ours, kSharpenRadius, kSharpen100, t);
    add("sharpen_preset/24bit/magick_unsharp", MagickNew<MagickUnsharp>);
}

}  // namespace

int main(int argc, char **argv) { return ReferenceBenchMain(argc, argv, Register); }
