// The editing operations side by side with ImageMagick (one thread) on a
// generated 6000 x 4000 photo-like picture: quarter turn, left-right flip,
// negative and greyscale, ours through the program's own calls (the image
// library's core, and the masks and greyscale over g_dibcore). Each of ours is listed next to the ImageMagick
// operation it matches; a plain memcpy of the same bytes is the memory-speed
// yardstick. Throughput is the bytes of the 24-bit picture per second.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <magick/MagickCore.h>

#include "core_binding.h"
#include "handles.h"
#include "photo_rgb.h"
#include "image/qv_DibApi.h"
#include "image/qv_Grey.h"
#include "image/qv_Mask.h"
#include "rle.h"
#include "storage.h"
#include "transform.h"

using namespace dibcore;

namespace {

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;

// The photo as packed R, G, B rows from the top.
std::vector<uint8_t> &Rgb() {
    static std::vector<uint8_t> rgb = MakePhotoRgb(kWidth, kHeight);
    return rgb;
}

// Our picture at `bpp`, bottom-up as the program holds photographs. 8 and 16
// bits take the bytes of the photo as they come: turning and flipping do not
// look at what the values mean.
Picture *OurPicture(int bpp) {
    const std::vector<uint8_t> &rgb = Rgb();
    Picture *p = NewSimplePicture(kWidth, kHeight, bpp, bpp == 8 ? 256 : 0, nullptr);
    if (p == nullptr) return nullptr;
    const uint64_t stride = RowStride(kWidth, bpp);
    for (int32_t y = 0; y < kHeight; ++y) {
        const uint8_t *in = rgb.data() + size_t(y) * kWidth * 3;
        uint8_t *out = RowFromTop(*p, y);
        if (bpp == 24 || bpp == 32) {
            const int step = bpp / 8;
            for (int32_t x = 0; x < kWidth; ++x) {
                out[step * x] = in[3 * x + 2];
                out[step * x + 1] = in[3 * x + 1];
                out[step * x + 2] = in[3 * x];
            }
        } else {
            std::memcpy(out, in, static_cast<size_t>(stride));
        }
    }
    return p;
}

uint64_t Bytes24() { return RowStride(kWidth, 24) * kHeight; }

void Memcpy(benchmark::State &state) {
    PictureOwner p(OurPicture(24));
    std::vector<uint8_t> dst(p->data.bitsSize);
    for (auto _ : state) {
        std::memcpy(dst.data(), p->data.bits, dst.size());
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p->data.bitsSize));
}

// Turns return a new picture, as TurnDIB does before it swaps it in.
void OurTurn(benchmark::State &state, int bpp, int32_t degrees) {
    PictureOwner p(OurPicture(bpp));
    for (auto _ : state) {
        Picture *t = TurnPicture(*p.get(), degrees);
        if (t == nullptr) state.SkipWithError("TurnPicture failed");
        FreePicture(t);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p->data.bitsSize));
}

// The program flips by cutting the whole picture with a negative width.
void OurFlip(benchmark::State &state, int bpp) {
    PictureOwner p(OurPicture(bpp));
    for (auto _ : state) {
        Picture *t = CutPicture(*p.get(), 0, 0, -kWidth, kHeight);
        if (t == nullptr) state.SkipWithError("CutPicture failed");
        FreePicture(t);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p->data.bitsSize));
}

// The program's negative and greyscale reach the library through g_dibcore,
// bound straight to the core.
using benchcore::BindCore;

// The whole picture XORed in place: its own inverse, so every round starts
// from a picture like the first.
void OurNegative(benchmark::State &state) {
    const DibHandle h = Handles_Add(OurPicture(24));
    for (auto _ : state)
        if (Mask_Negative(h, nullptr, 1, 1, 1) != 1) state.SkipWithError("Mask_Negative failed");
    Handles_Delete(h);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Bytes24()));
}

// A whole 24-bit picture gives a new 8-bit grey one and stays as it was.
void OurGrey(benchmark::State &state) {
    const DibHandle h = Handles_Add(OurPicture(24));
    for (auto _ : state) {
        DibHandle fresh = 0;
        if (Grey_Apply(h, &fresh, nullptr) != 1 || fresh == 0) state.SkipWithError("Grey_Apply failed");
        Handles_Delete(fresh);
    }
    Handles_Delete(h);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Bytes24()));
}

// The program's in-place mirror of a selection, here the whole picture.
void OurMirrorInPlace(benchmark::State &state) {
    const DibHandle h = Handles_Add(OurPicture(24));
    for (auto _ : state)
        if (Dib_MirrorRect(h, nullptr, 0) != 1) state.SkipWithError("Dib_MirrorRect failed");
    Handles_Delete(h);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Bytes24()));
}

Image *MagickPicture() {
    ExceptionInfo *exception = AcquireExceptionInfo();
    Image *image = ConstituteImage(kWidth, kHeight, "RGB", CharPixel, Rgb().data(), exception);
    DestroyExceptionInfo(exception);
    return image;
}

// ImageMagick operations that return a new image.
template <Image *(*Op)(const Image *, ExceptionInfo *)>
void MagickNew(benchmark::State &state) {
    Image *image = MagickPicture();
    ExceptionInfo *exception = AcquireExceptionInfo();
    for (auto _ : state) {
        Image *out = Op(image, exception);
        if (out == nullptr) {
            state.SkipWithError("ImageMagick failed");
            break;
        }
        DestroyImage(out);
    }
    DestroyExceptionInfo(exception);
    DestroyImage(image);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Bytes24()));
}

void MagickNegate(benchmark::State &state) {
    Image *image = MagickPicture();
    for (auto _ : state)
        if (NegateImage(image, MagickFalse) != MagickTrue) state.SkipWithError("NegateImage failed");
    DestroyImage(image);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Bytes24()));
}

// Grey works in place and only once, so every round greys a fresh copy made
// outside the timing.
void MagickGrey(benchmark::State &state) {
    Image *image = MagickPicture();
    ExceptionInfo *exception = AcquireExceptionInfo();
    for (auto _ : state) {
        state.PauseTiming();
        Image *copy = CloneImage(image, 0, 0, MagickTrue, exception);
        state.ResumeTiming();
        if (copy == nullptr || TransformImageColorspace(copy, GRAYColorspace) != MagickTrue)
            state.SkipWithError("TransformImageColorspace failed");
        if (copy != nullptr) DestroyImage(copy);
    }
    DestroyExceptionInfo(exception);
    DestroyImage(image);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Bytes24()));
}

Image *MagickRotate90(const Image *image, ExceptionInfo *exception) { return RotateImage(image, 90.0, exception); }

void Register() {
    const auto add = [](const std::string &name, auto fn, auto... args) {
        benchmark::RegisterBenchmark(name.c_str(), fn, args...)->Unit(benchmark::kMillisecond)->MinTime(0.5)->UseRealTime();
    };
    add("memcpy/24bit", Memcpy);
    for (int bpp : {8, 16, 24, 32}) add("turn90/" + std::to_string(bpp) + "bit/quivelta", OurTurn, bpp, 90);
    add("turn90/24bit/magick_rotate90", MagickNew<MagickRotate90>);
    add("turn270/24bit/quivelta", OurTurn, 24, 270);
    add("turn180/24bit/quivelta", OurTurn, 24, 180);
    for (int bpp : {8, 24, 32}) add("flip/" + std::to_string(bpp) + "bit/quivelta", OurFlip, bpp);
    add("flip/24bit/quivelta_in_place", OurMirrorInPlace);
    add("flip/24bit/magick_flop", MagickNew<FlopImage>);
    add("negative/24bit/quivelta", OurNegative);
    add("negative/24bit/magick_negate", MagickNegate);
    add("grey/24bit/quivelta", OurGrey);
    add("grey/24bit/magick_gray_colorspace", MagickGrey);
}

}  // namespace

int main(int argc, char **argv) {
    // Every operation here allocates a 72 MB result. Left to itself glibc
    // maps each one fresh and the first touch of every page costs more than
    // the operation (several ms per MB on some virtual machines); keeping
    // freed blocks in the heap measures the pixel work, for both sides.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    // The system policy would push the pixel caches of a 24-megapixel picture
    // and its result to disk.
    setenv("MAGICK_CONFIGURE_PATH", QV_MAGICK_POLICY_DIR, 0);
    MagickCoreGenesis(argv[0], MagickFalse);
    SetMagickResourceLimit(ThreadResource, 1);
    BindCore();
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    MagickCoreTerminus();
    return 0;
}
