// JPEG codec speed and quality, side by side with libjpeg-turbo in one run:
// decoding the installed photographs and a generated photo-like picture to
// a 24-bit B,G,R picture (accurate integer IDCT, smooth upsampling on both
// sides), and encoding the same pictures at quality 90, baseline and
// progressive. Before the timings a table gives file sizes and PSNR of both
// encoders at several qualities.
#include <benchmark/benchmark.h>

#include <jpeglib.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "jpeg_codec.h"
#include "picture.h"

using namespace dibcore;

namespace {

using Bytes = std::vector<uint8_t>;

struct Sample {
    std::string name;
    Bytes jpeg;  // the file to decode
    PictureOwner picture;  // its pixels, to encode
};
std::vector<Sample *> gSamples;

struct ErrorJump {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};
void OnError(j_common_ptr c) { longjmp(reinterpret_cast<ErrorJump *>(c->err)->jump, 1); }
void Silent(j_common_ptr, int) {}

// Reference decode to a B,G,R buffer with rows padded to 4, as ours gives.
bool TurboDecode(const Bytes &file, Bytes *out, int *w, int *h) {
    jpeg_decompress_struct d;
    ErrorJump err;
    d.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = OnError;
    err.mgr.emit_message = Silent;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&d);
        return false;
    }
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_EXT_BGR;
    d.dct_method = JDCT_ISLOW;
    d.do_fancy_upsampling = TRUE;
    jpeg_start_decompress(&d);
    const size_t stride = (static_cast<size_t>(d.output_width) * 3 + 3) & ~size_t{3};
    out->resize(stride * d.output_height);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = out->data() + stride * d.output_scanline;
        jpeg_read_scanlines(&d, &row, 1);
    }
    *w = static_cast<int>(d.output_width);
    *h = static_cast<int>(d.output_height);
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return true;
}

// Reference encode of a 24-bit picture: the library defaults (4:2:0,
// accurate integer DCT, standard tables for baseline; the usual scan script
// and fitted tables for progressive).
Bytes TurboEncode(const Picture &p, int quality, bool progressive) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char *mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    const DibInfoHeader &h = *p.data.header;
    c.image_width = static_cast<JDIMENSION>(h.biWidth);
    c.image_height = static_cast<JDIMENSION>(h.biHeight < 0 ? -h.biHeight : h.biHeight);
    c.input_components = 3;
    c.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    c.dct_method = JDCT_ISLOW;
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = RowFromTop(p, c.next_scanline);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes out(mem, mem + size);
    free(mem);
    return out;
}

Bytes OursEncode(const Picture &p, int quality, bool progressive) {
    ByteBuffer b;
    Jpeg_Encode(p, quality, progressive, &b);
    return Bytes(b.data(), b.data() + b.size());
}

double Psnr(const Picture &ref, const Bytes &file) {
    Bytes px;
    int w = 0, h = 0;
    if (!TurboDecode(file, &px, &w, &h)) return 0;
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
    double sq = 0;
    for (int y = 0; y < h; ++y) {
        const uint8_t *a = RowFromTop(ref, y), *b = px.data() + stride * y;
        for (int x = 0; x < w * 3; ++x) sq += double(a[x] - b[x]) * (a[x] - b[x]);
    }
    const double mse = sq / (double(w) * h * 3);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// A photo-like picture: soft light, gradients, fine texture and sensor noise.
Picture *GeneratedPhoto(int w, int h) {
    Picture *p = NewSimplePicture(w, h, 24, 0, nullptr);
    uint32_t s = 12345;
    for (int y = 0; y < h; ++y) {
        uint8_t *row = RowFromTop(*p, y);
        for (int x = 0; x < w; ++x) {
            s = s * 1664525u + 1013904223u;
            const double fx = double(x) / w, fy = double(y) / h;
            const double light = 0.6 + 0.4 * std::sin(3.1 * fx + 1.7 * fy);
            const double texture = 18 * std::sin(x * 0.21 + std::sin(y * 0.05) * 4) * std::cos(y * 0.17);
            const int noise = static_cast<int>((s >> 24) % 9) - 4;
            const double r = light * (170 + 60 * fy) + texture + noise;
            const double g = light * (120 + 80 * std::cos(5 * fx)) + texture * 0.8 + noise;
            const double b = light * (90 + 100 * fx * fy) + texture * 0.5 + noise;
            auto clamp = [](double v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
            row[3 * x] = clamp(b), row[3 * x + 1] = clamp(g), row[3 * x + 2] = clamp(r);
        }
    }
    return p;
}

void LoadSamples() {
    const char *photos[] = {
        "/usr/share/wallpapers/Path/contents/images/2560x1600.jpg",
        "/usr/share/wallpapers/Shell/contents/images/5120x2880.jpg",
        "/usr/share/wallpapers/SafeLanding/contents/images/5120x2880.jpg",
        "/usr/share/wallpapers/Flow/contents/images/5120x2880.jpg",
    };
    for (const char *path : photos) {
        FILE *f = std::fopen(path, "rb");
        if (!f) continue;
        auto *s = new Sample;
        uint8_t buf[1 << 16];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s->jpeg.insert(s->jpeg.end(), buf, buf + n);
        std::fclose(f);
        std::string name = path;
        name = name.substr(std::strlen("/usr/share/wallpapers/"));
        name = name.substr(0, name.find('/')) + "_" + name.substr(name.rfind('/') + 1);
        s->name = name.substr(0, name.size() - 4);
        Picture *p = nullptr;
        Jpeg_Decode(s->jpeg.data(), s->jpeg.size(), false, &p);
        s->picture.Reset(p);
        gSamples.push_back(s);
    }
    auto *g = new Sample;
    g->name = "generated_6000x4000";
    g->picture.Reset(GeneratedPhoto(6000, 4000));
    g->jpeg = TurboEncode(*g->picture.get(), 92, false);
    gSamples.push_back(g);
}

void QualityTable() {
    std::printf("%-28s %4s %5s %12s %12s %7s %7s %8s\n", "picture", "q", "mode", "ours bytes", "turbo bytes",
                "size%", "dPSNR", "PSNR");
    for (Sample *s : gSamples) {
        if (!s->picture) continue;
        for (int q : {50, 75, 90, 95})
            for (bool prog : {false, true}) {
                const Bytes a = OursEncode(*s->picture.get(), q, prog), b = TurboEncode(*s->picture.get(), q, prog);
                const double pa = Psnr(*s->picture.get(), a), pb = Psnr(*s->picture.get(), b);
                std::printf("%-28s %4d %5s %12zu %12zu %6.1f%% %+7.3f %8.3f\n", s->name.c_str(), q,
                            prog ? "prog" : "base", a.size(), b.size(), 100.0 * double(a.size()) / double(b.size()),
                            pa - pb, pa);
            }
    }
    std::fflush(stdout);
}

void DecodeOurs(benchmark::State &state, Sample *s) {
    for (auto _ : state) {
        Picture *p = nullptr;
        Jpeg_Decode(s->jpeg.data(), s->jpeg.size(), true, &p);
        benchmark::DoNotOptimize(p);
        FreePicture(p);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s->jpeg.size()));
}

void DecodeTurbo(benchmark::State &state, Sample *s) {
    Bytes out;
    int w, h;
    for (auto _ : state) {
        Bytes fresh;  // a new picture each time, as ours makes
        TurboDecode(s->jpeg, &fresh, &w, &h);
        benchmark::DoNotOptimize(fresh.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s->jpeg.size()));
}

void EncodeOurs(benchmark::State &state, Sample *s, bool progressive) {
    size_t size = 0;
    for (auto _ : state) size = OursEncode(*s->picture.get(), 90, progressive).size();
    state.counters["bytes"] = double(size);
}

void EncodeTurbo(benchmark::State &state, Sample *s, bool progressive) {
    size_t size = 0;
    for (auto _ : state) size = TurboEncode(*s->picture.get(), 90, progressive).size();
    state.counters["bytes"] = double(size);
}

}  // namespace

int main(int argc, char **argv) {
    LoadSamples();
    // --no_quality skips the size and PSNR table (for profiling).
    bool quality = true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--no_quality") == 0) {
            quality = false;
            for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
            --argc;
            break;
        }
    if (quality) QualityTable();
    for (Sample *s : gSamples) {
        benchmark::RegisterBenchmark(("decode/" + s->name + "/ours").c_str(), DecodeOurs, s)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("decode/" + s->name + "/turbo").c_str(), DecodeTurbo, s)->Unit(benchmark::kMillisecond);
    }
    for (Sample *s : gSamples)
        for (bool prog : {false, true}) {
            const std::string mode = prog ? "progressive" : "baseline";
            benchmark::RegisterBenchmark(("encode/" + s->name + "/" + mode + "/ours").c_str(), EncodeOurs, s, prog)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("encode/" + s->name + "/" + mode + "/turbo").c_str(), EncodeTurbo, s, prog)
                ->Unit(benchmark::kMillisecond);
        }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (Sample *s : gSamples) delete s;
    return 0;
}
