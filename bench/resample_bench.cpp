// The resampling engine side by side with libvips (one thread) and
// ImageMagick (one thread) on the same 24-bit pictures: a generated 6000 x
// 4000 photo-like image and a real photograph, reduced to 1920 x 1280 and
// enlarged 2x. Each of our methods is listed next to the reference kernel
// that matches it best; run with --benchmark_format=console and compare the
// rows of one picture and direction.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <vips/vips.h>

#include "vips_bench_support.h"
#include <magick/MagickCore.h>

#include "image/resample/qv_Resample.h"

namespace {

// Packed RGB for the references, bottom-up B, G, R rows for ours.
struct BenchPicture {
    std::string name;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;
    std::vector<uint8_t> dib;
    int32_t stride = 0;
    Image *magick = nullptr;
};

int32_t Stride24(int64_t w) { return static_cast<int32_t>(((24 * w + 31) / 32) * 4); }

void FillDib(BenchPicture &p) {
    p.stride = Stride24(p.width);
    p.dib.assign(static_cast<size_t>(p.stride) * p.height, 0);
    for (int32_t y = 0; y < p.height; ++y) {
        const uint8_t *in = p.rgb.data() + static_cast<size_t>(y) * p.width * 3;
        uint8_t *out = p.dib.data() + static_cast<size_t>(p.height - 1 - y) * p.stride;
        for (int32_t x = 0; x < p.width; ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
}

// Smooth light, soft shapes, hard edges, fine texture and sensor noise.
BenchPicture Generated() {
    BenchPicture p;
    p.name = "generated6000x4000";
    p.width = 6000;
    p.height = 4000;
    p.rgb.resize(static_cast<size_t>(p.width) * p.height * 3);
    std::mt19937 rng(42);
    for (int32_t y = 0; y < p.height; ++y)
        for (int32_t x = 0; x < p.width; ++x) {
            uint8_t *q = p.rgb.data() + (static_cast<size_t>(y) * p.width + x) * 3;
            const int sky = 80 + y * 120 / p.height;
            const int shape = ((x / 750 + y / 500) & 1) ? 40 : 0;
            const int texture = ((x * 13 + y * 7) % 23) - 11;
            const int noise = static_cast<int>(rng() % 9) - 4;
            const int v[3] = {sky + shape + texture + noise, 60 + x * 150 / p.width + shape / 2 + noise,
                              200 - y * 100 / p.height + texture + noise};
            for (int c = 0; c < 3; ++c) q[c] = static_cast<uint8_t>(v[c] < 0 ? 0 : v[c] > 255 ? 255 : v[c]);
        }
    return p;
}

bool LoadPhoto(const char *path, BenchPicture *p) {
    VipsImage *img = vips_image_new_from_file(path, "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
    if (img == nullptr) return false;
    VipsImage *rgb = nullptr;
    if (vips_extract_band(img, &rgb, 0, "n", 3, nullptr) != 0) {
        g_object_unref(img);
        return false;
    }
    size_t size = 0;
    void *mem = vips_image_write_to_memory(rgb, &size);
    p->name = "photo" + std::to_string(rgb->Xsize) + "x" + std::to_string(rgb->Ysize);
    p->width = rgb->Xsize;
    p->height = rgb->Ysize;
    p->rgb.assign(static_cast<uint8_t *>(mem), static_cast<uint8_t *>(mem) + size);
    g_free(mem);
    g_object_unref(rgb);
    g_object_unref(img);
    return size == static_cast<size_t>(p->width) * p->height * 3;
}

std::vector<BenchPicture> &Pictures() {
    static std::vector<BenchPicture> pictures;
    return pictures;
}

struct Target {
    const char *name;
    int32_t width;  // 0: twice the source
    int32_t height;
};
const Target kTargets[] = {{"reduce1920x1280", 1920, 1280}, {"enlarge2x", 0, 0}};

// Our methods and the reference kernel each is measured against.
struct Pairing {
    int32_t code;
    const char *ours;
    VipsKernel vips;
    bool vipsShrink;  // box averaging when reducing
    FilterTypes magick;
};
const Pairing kPairings[] = {
    {kQualityNone, "nearest", VIPS_KERNEL_NEAREST, false, PointFilter},
    {kQualityLinear, "linear", VIPS_KERNEL_LINEAR, false, TriangleFilter},
    {kQualityAreaAverage, "area", VIPS_KERNEL_LINEAR, true, BoxFilter},
    {kQualityIntAverage, "intaverage", VIPS_KERNEL_LINEAR, true, BoxFilter},
    {kQualityIntAverageHalf, "intaveragehalf", VIPS_KERNEL_LINEAR, true, BoxFilter},
    {kQualityHermite, "hermite", VIPS_KERNEL_LINEAR, false, HermiteFilter},
    {kQualityQuadraticSpline, "quadratic", VIPS_KERNEL_CUBIC, false, QuadraticFilter},
    {kQualityCubicSpline, "cubicspline", VIPS_KERNEL_CUBIC, false, CubicFilter},
    {kQualityMitchell, "mitchell", VIPS_KERNEL_MITCHELL, false, MitchellFilter},
    {kQualityCatmullRom, "catmullrom", VIPS_KERNEL_CUBIC, false, CatromFilter},
    {kQualitySinc225, "sinc225", VIPS_KERNEL_LANCZOS2, false, Lanczos2Filter},
    {kQualitySinc25, "sinc25", VIPS_KERNEL_LANCZOS2, false, Lanczos2Filter},
    {kQualityLanczos3, "lanczos3", VIPS_KERNEL_LANCZOS3, false, LanczosFilter},
};

const char *VipsKernelName(VipsKernel k) {
    switch (k) {
        case VIPS_KERNEL_NEAREST: return "nearest";
        case VIPS_KERNEL_LINEAR: return "linear";
        case VIPS_KERNEL_CUBIC: return "cubic";
        case VIPS_KERNEL_MITCHELL: return "mitchell";
        case VIPS_KERNEL_LANCZOS2: return "lanczos2";
        case VIPS_KERNEL_LANCZOS3: return "lanczos3";
        default: return "other";
    }
}

void Ours(benchmark::State &state, const BenchPicture *p, Target t, int32_t code) {
    const int32_t w = t.width ? t.width : 2 * p->width, h = t.height ? t.height : 2 * p->height;
    const int32_t stride = Stride24(w);
    std::vector<uint8_t> out(static_cast<size_t>(stride) * h);
    for (auto _ : state) {
        ResampleRequest r = {out.data(), w, h, stride, p->dib.data(), p->width, p->height, p->stride, 1};
        if (!Resample_Dispatch(&r, code, code)) state.SkipWithError("resample failed");
        benchmark::DoNotOptimize(out.data());
    }
}

void Vips(benchmark::State &state, const BenchPicture *p, Target t, VipsKernel kernel, bool shrink) {
    const double hs = t.width ? static_cast<double>(t.width) / p->width : 2.0;
    const double vs = t.height ? static_cast<double>(t.height) / p->height : 2.0;
    VipsRounds(state, p->rgb, p->width, p->height, [&](VipsImage *in, VipsImage **out) {
        return shrink && hs < 1.0 ? vips_shrink(in, out, 1.0 / hs, 1.0 / vs, nullptr)
                                  : vips_resize(in, out, hs, "vscale", vs, "kernel", kernel, nullptr);
    });
}

void Magick(benchmark::State &state, const BenchPicture *p, Target t, FilterTypes filter) {
    const size_t w = t.width ? t.width : 2 * p->width, h = t.height ? t.height : 2 * p->height;
    ExceptionInfo *exception = AcquireExceptionInfo();
    for (auto _ : state) {
        Image *out = ResizeImage(p->magick, w, h, filter, 1.0, exception);
        if (out == nullptr) {
            state.SkipWithError("ResizeImage failed");
            break;
        }
        DestroyImage(out);
    }
    DestroyExceptionInfo(exception);
}

void RegisterAll(bool withMagick) {
    for (BenchPicture &p : Pictures()) {
        if (withMagick) {
            ExceptionInfo *exception = AcquireExceptionInfo();
            p.magick = ConstituteImage(p.width, p.height, "RGB", CharPixel, p.rgb.data(), exception);
            DestroyExceptionInfo(exception);
        }
        for (const Target &t : kTargets)
            for (const Pairing &m : kPairings) {
                const std::string base = p.name + "/" + t.name + "/" + m.ours + "/";
                benchmark::RegisterBenchmark((base + "quivelta").c_str(), Ours, &p, t, m.code)
                    ->Unit(benchmark::kMillisecond)
                    ->MinTime(0.3)
                    ->UseRealTime();
                const bool shrink = m.vipsShrink && t.width != 0;
                benchmark::RegisterBenchmark(
                    (base + "vips_" + (shrink ? std::string("shrink") : VipsKernelName(m.vips))).c_str(), Vips, &p, t,
                    m.vips, shrink)
                    ->Unit(benchmark::kMillisecond)
                    ->MinTime(0.3)
                    ->UseRealTime();
                if (p.magick != nullptr)
                    benchmark::RegisterBenchmark((base + "magick").c_str(), Magick, &p, t, m.magick)
                        ->Unit(benchmark::kMillisecond)
                        ->Iterations(1);
            }
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (VIPS_INIT(argv[0])) return 1;
    vips_concurrency_set(1);
    vips_cache_set_max(0);
    // The system policy would keep an enlarged picture's pixel cache on disk.
    setenv("MAGICK_CONFIGURE_PATH", QV_MAGICK_POLICY_DIR, 0);
    MagickCoreGenesis(argv[0], MagickFalse);
    SetMagickResourceLimit(ThreadResource, 1);

    // QV_BENCH_PHOTO picks the photograph; QV_BENCH_NO_MAGICK=1 leaves the
    // (slow, 16-bit) ImageMagick rows out.
    const char *photo = std::getenv("QV_BENCH_PHOTO");
    if (photo == nullptr) photo = "/usr/share/wallpapers/Volna/contents/images/5120x2880.jpg";
    Pictures().push_back(Generated());
    BenchPicture real;
    if (LoadPhoto(photo, &real))
        Pictures().push_back(std::move(real));
    else
        std::fprintf(stderr, "photo %s not loaded; generated picture only\n", photo);
    for (BenchPicture &p : Pictures()) FillDib(p);
    const char *noMagick = std::getenv("QV_BENCH_NO_MAGICK");
    RegisterAll(noMagick == nullptr || std::strcmp(noMagick, "1") != 0);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (BenchPicture &p : Pictures())
        if (p.magick) DestroyImage(p.magick);
    MagickCoreTerminus();
    vips_shutdown();
    return 0;
}
