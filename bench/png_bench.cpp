// PNG decode and encode (level 6) against libpng, side by side on the same
// files: large photographs from the wallpaper package and a generated
// picture. Both decoders produce bottom-up 24-bit BGR rows (alpha dropped);
// both encoders write RGB at level 6 choosing among all five filters. Ours
// runs on its threads (wall-clock time) and on one; the sizes of both
// encoders' files, and whether libpng reads ours back exactly, are printed
// first.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "png_codec.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const char *path) {
    Bytes b;
    FILE *f = std::fopen(path, "rb");
    if (!f) return b;
    uint8_t buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) b.insert(b.end(), buf, buf + n);
    std::fclose(f);
    return b;
}

struct MemoryReader {
    const Bytes *data;
    size_t pos;
};

void ReadCallback(png_structp png, png_bytep out, png_size_t n) {
    auto *r = static_cast<MemoryReader *>(png_get_io_ptr(png));
    if (r->pos + n > r->data->size()) png_error(png, "short");
    std::memcpy(out, r->data->data() + r->pos, n);
    r->pos += n;
}

void WriteCallback(png_structp png, png_bytep in, png_size_t n) {
    auto *out = static_cast<Bytes *>(png_get_io_ptr(png));
    out->insert(out->end(), in, in + n);
}
void FlushCallback(png_structp) {}

// libpng into the same layout our decoder makes: 24-bit BGR, bottom-up rows
// padded to 4 bytes.
bool LibpngDecode(const Bytes &file, Bytes *pixels) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    MemoryReader reader{&file, 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, ReadCallback);
    png_read_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
    pixels->resize(stride * h);
    rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y) rows[y] = pixels->data() + (h - 1 - y) * stride;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool LibpngEncode(const dibcore::Picture &p, Bytes *out) {
    const DibInfoHeader &hd = *p.data.header;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, WriteCallback, FlushCallback);
    png_set_compression_level(png, 6);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_set_IHDR(png, info, uint32_t(hd.biWidth), uint32_t(hd.biHeight), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int32_t y = 0; y < hd.biHeight; ++y) png_write_row(png, dibcore::RowFromTop(p, y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

struct Sample {
    std::string name;
    Bytes file;
    dibcore::Picture *picture;  // decoded once, the encoders' input
};


void DecodeOurs(benchmark::State &state, const Sample *s) {
    for (auto _ : state) {
        dibcore::Picture *p = nullptr;
        if (dibcore::Png_Decode(s->file.data(), s->file.size(), &p, nullptr) != dibcore::kPngOk) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(p->data.bits);
        dibcore::FreePicture(p);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s->picture->data.bitsSize));
}

void DecodeLibpng(benchmark::State &state, const Sample *s) {
    Bytes pixels;
    for (auto _ : state) {
        if (!LibpngDecode(s->file, &pixels)) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s->picture->data.bitsSize));
}

PngSaveOptions Level6AllFilters() {
    PngSaveOptions options{};
    options.flags = kPngSaveBase;
    options.level = 6;
    options.filters = kPngFilterAll;
    return options;
}

// Ours with `threads` (0: as many as the machine gives, up to the cap; 1:
// the single stream).
void EncodeOurs(benchmark::State &state, const Sample *s, int threads) {
    const PngSaveOptions options = Level6AllFilters();
    dibcore::PngEncodeTuning tuning;
    tuning.threads = threads;
    size_t bytes = 0;
    for (auto _ : state) {
        dibcore::ByteBuffer out;
        if (dibcore::Png_EncodeTuned(*s->picture, &options, tuning, &out) != dibcore::kPngOk) {
            state.SkipWithError("encode failed");
            break;
        }
        bytes = out.size();
    }
    state.counters["file_bytes"] = double(bytes);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s->picture->data.bitsSize));
}

void EncodeLibpng(benchmark::State &state, const Sample *s) {
    size_t bytes = 0;
    for (auto _ : state) {
        Bytes out;
        out.reserve(s->file.size() * 2);
        if (!LibpngEncode(*s->picture, &out)) {
            state.SkipWithError("encode failed");
            break;
        }
        bytes = out.size();
    }
    state.counters["file_bytes"] = double(bytes);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s->picture->data.bitsSize));
}

// A synthetic 2048 x 2048 picture: smooth gradients with noise, the kind of
// content that exercises every filter.
Bytes GeneratedPng() {
    const int w = 2048, h = 2048;
    dibcore::PictureOwner p(dibcore::NewSimplePicture(w, h, 24, 0, nullptr));
    std::mt19937 rnd(9);
    for (int y = 0; y < h; ++y) {
        uint8_t *row = dibcore::RowFromTop(*p.get(), y);
        for (int x = 0; x < w; ++x) {
            const int n = int(rnd() % 9) - 4;
            row[3 * x] = uint8_t((x / 8 + n) & 255);
            row[3 * x + 1] = uint8_t((y / 8 + x / 16) & 255);
            row[3 * x + 2] = uint8_t(((x ^ y) / 4 + n) & 255);
        }
    }
    PngSaveOptions options{};
    options.level = 6;
    options.filters = kPngFilterAll;
    dibcore::ByteBuffer out;
    dibcore::Png_Encode(*p.get(), &options, &out);
    return Bytes(out.data(), out.data() + out.size());
}

// Our threaded file against libpng's: sizes, and whether libpng reads ours
// back to exactly the picture that was written.
void CompareWithLibpng(const Sample &s) {
    const PngSaveOptions options = Level6AllFilters();
    dibcore::ByteBuffer ours;
    Bytes theirs, ourPixels, theirPixels;
    if (dibcore::Png_Encode(*s.picture, &options, &ours) != dibcore::kPngOk || !LibpngEncode(*s.picture, &theirs))
        return;
    const bool same = LibpngDecode(Bytes(ours.data(), ours.data() + ours.size()), &ourPixels) &&
                      LibpngDecode(theirs, &theirPixels) && ourPixels == theirPixels;
    std::fprintf(stderr, "%s: level 6 ours %zu bytes, libpng %zu bytes (%+.2f %%); libpng decodes ours %s\n",
                 s.name.c_str(), ours.size(), theirs.size(), 100.0 * (double(ours.size()) / double(theirs.size()) - 1),
                 same ? "identically" : "DIFFERENTLY");
}

}  // namespace

int main(int argc, char **argv) {
    const char *files[] = {
        "/usr/share/wallpapers/Altai/contents/images/5120x2880.png",
        "/usr/share/wallpapers/Opal/contents/images/3840x2160.png",
        "/usr/share/wallpapers/Elarun/contents/images/2560x1600.png",  // RGBA
    };
    std::vector<Sample> samples;
    for (const char *path : files) {
        Bytes b = ReadFile(path);
        if (b.empty()) continue;
        std::string name = path;
        name = name.substr(std::string("/usr/share/wallpapers/").size());
        name = name.substr(0, name.find('/')) + "_" + name.substr(name.rfind('/') + 1);
        samples.push_back({name, std::move(b), nullptr});
    }
    samples.push_back({"generated_2048x2048.png", GeneratedPng(), nullptr});
    for (Sample &s : samples) {
        if (dibcore::Png_Decode(s.file.data(), s.file.size(), &s.picture, nullptr) != dibcore::kPngOk) {
            std::fprintf(stderr, "cannot decode %s\n", s.name.c_str());
            return 1;
        }
    }
    for (const Sample &s : samples) {
        benchmark::RegisterBenchmark(("decode/ours/" + s.name).c_str(), DecodeOurs, &s)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("decode/libpng/" + s.name).c_str(), DecodeLibpng, &s)->Unit(benchmark::kMillisecond);
    }
    for (const Sample &s : samples) {
        benchmark::RegisterBenchmark(("encode6/ours/" + s.name).c_str(), EncodeOurs, &s, 0)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("encode6/ours_1thread/" + s.name).c_str(), EncodeOurs, &s, 1)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("encode6/libpng/" + s.name).c_str(), EncodeLibpng, &s)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    for (const Sample &s : samples) CompareWithLibpng(s);
    benchmark::RunSpecifiedBenchmarks();
    for (Sample &s : samples) dibcore::FreePicture(s.picture);
    return 0;
}
