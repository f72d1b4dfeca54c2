// JPEG save of a 24-megapixel picture at quality 90, the whole path a save
// command takes: SafeSave_Write makes the temporary beside the target, the
// program's SaveJpeg_Write prepares the picture and has the image library
// encode it and write it (the library writes through a temporary of its own,
// flushes and moves it), then the temporary is flushed and moved over the
// target. Every step is the program's real code running under Wine, so the
// flushes and moves are the system calls a save really makes.
//   jpegsave_bench_W.exe FOLDER [ROUNDS]
// The picture, 6000x4000 and photo-like (soft light, fine texture, sensor
// noise and hard-edged shapes), is made here and also written to
// FOLDER\photo.ppm, so the script can time the reference encoder on the very
// same pixels. The image library is read from data\dibcore.dll beside the
// program. The last line, "result ...", is read by bench/jpegsave_bench.sh.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_support.h"
#include "image/qv_DibApi.h"
#include "image/qv_DibHolder.h"
#include "image/qv_DibcoreLoad.h"
#include "image/qv_SaveOptions.h"
#include "image/qv_SaveWriters.h"
#include "util/qv_HandleGuard.h"
#include "util/qv_Path.h"
#include "util/qv_SafeSave.h"
#include "util/qv_Text.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kQuality = 90;

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    return h ^ (h >> 15);
}

// Smooth noise in [0, 1): lattice values every `cell` pixels, blended with
// a smoothstep so the result has no visible grid.
float ValueNoise(int x, int y, int cell, uint32_t seed) {
    const int cx = x / cell, cy = y / cell;
    float fx = float(x % cell) / float(cell), fy = float(y % cell) / float(cell);
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    auto at = [&](int i, int j) { return float(Hash(uint32_t(i), uint32_t(j), seed) >> 8) / 16777216.0f; };
    const float top = at(cx, cy) + (at(cx + 1, cy) - at(cx, cy)) * fx;
    const float bottom = at(cx, cy + 1) + (at(cx + 1, cy + 1) - at(cx, cy + 1)) * fx;
    return top + (bottom - top) * fy;
}

// Hard-edged shapes in front of the scene: their outlines are the edges a
// photo has (buildings, a pole, a ball), with texture of their own.
struct Shape {
    enum Kind { kBox, kDisc } kind;
    int x0, y0, x1, y1;  // box corners, or the disc's centre (x0, y0) and radius x1
    float r, g, b;
    int stripes;  // window rows of a box; 0 none
};
const Shape kShapes[] = {
    {Shape::kBox, 300, 1300, 1500, 3000, 150, 140, 130, 12},
    {Shape::kBox, 1650, 900, 2400, 3000, 95, 100, 115, 20},
    {Shape::kBox, 4200, 1500, 5600, 3000, 180, 160, 120, 9},
    {Shape::kBox, 3050, 600, 3110, 3400, 40, 38, 35, 0},
    {Shape::kDisc, 3700, 3350, 380, 0, 210, 60, 40, 0},
    {Shape::kDisc, 5100, 700, 260, 0, 255, 244, 200, 0},
};

bool Inside(const Shape &s, int x, int y) {
    if (s.kind == Shape::kBox) return x >= s.x0 && x < s.x1 && y >= s.y0 && y < s.y1;
    const int dx = x - s.x0, dy = y - s.y0;
    return dx * dx + dy * dy < s.x1 * s.x1;
}

uint8_t Clamp(float v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v + 0.5f); }

// One pixel of the scene as R, G, B.
void Pixel(int x, int y, uint8_t rgb[3]) {
    const float fx = float(x) / kWidth, fy = float(y) / kHeight;
    const float horizon = 0.45f;
    float r, g, b;
    if (fy < horizon) {  // sky: a gradient with soft clouds
        const float t = fy / horizon, cloud = ValueNoise(x, y, 400, 1) * 0.6f + ValueNoise(x, y, 90, 2) * 0.4f;
        const float c = cloud > 0.55f ? (cloud - 0.55f) * 2.2f : 0;
        r = 70 + 110 * t + 150 * c, g = 120 + 90 * t + 120 * c, b = 210 + 30 * t + 40 * c;
    } else {  // ground: grass and soil, texture finer towards the viewer
        const float t = (fy - horizon) / (1 - horizon), patch = ValueNoise(x, y, 300, 3);
        const float grain = ValueNoise(x, y, 3 + int(5 * t), 4) - 0.5f, blade = ValueNoise(x, y, 12, 5) - 0.5f;
        r = 80 + 60 * patch + 50 * t + 60 * grain + 30 * blade;
        g = 110 + 50 * patch - 20 * t + 50 * grain + 40 * blade;
        b = 50 + 30 * patch + 10 * t + 30 * grain;
    }
    for (const Shape &s : kShapes) {
        if (!Inside(s, x, y)) continue;
        const float shade = 0.75f + 0.25f * std::sin(3.0f * fx + 2.0f * fy) + 0.15f * (ValueNoise(x, y, 6, 6) - 0.5f);
        r = s.r * shade, g = s.g * shade, b = s.b * shade;
        if (s.stripes > 0) {  // windows: dark panes in a regular grid
            const int cellH = (s.y1 - s.y0) / s.stripes, cellW = cellH * 3 / 4;
            const int ix = (x - s.x0) % cellW, iy = (y - s.y0) % cellH;
            if (ix > cellW / 5 && ix < cellW * 4 / 5 && iy > cellH / 4 && iy < cellH * 3 / 4)
                r *= 0.35f, g *= 0.4f, b *= 0.5f;
        }
    }
    const float noise = float(int(Hash(uint32_t(x), uint32_t(y), 7) % 9u) - 4);  // sensor noise
    rgb[0] = Clamp(r + noise), rgb[1] = Clamp(g + noise), rgb[2] = Clamp(b + noise);
}

// Fills the 24-bit picture (B,G,R rows, bottom-up) and the PPM (R,G,B rows,
// top-down) with the same pixels.
bool MakePicture(DibHolder &picture, std::vector<uint8_t> &ppm) {
    if (!DibHolder_Create(picture, kWidth, kHeight, 24, 0, 1, nullptr) || picture.data == nullptr) return false;
    char head[32];
    const int headLength = std::snprintf(head, sizeof head, "P6\n%d %d\n255\n", kWidth, kHeight);
    ppm.assign(head, head + headLength);
    ppm.resize(size_t(headLength) + size_t(kWidth) * kHeight * 3);
    const size_t stride = (size_t(kWidth) * 3 + 3) & ~size_t{3};
    if (picture.data->bitsSize < stride * kHeight) return false;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t *dib = picture.data->bits + stride * size_t(kHeight - 1 - y);
        uint8_t *rgb = ppm.data() + headLength + size_t(y) * kWidth * 3;
        for (int x = 0; x < kWidth; ++x, dib += 3, rgb += 3) {
            Pixel(x, y, rgb);
            dib[0] = rgb[2], dib[1] = rgb[1], dib[2] = rgb[0];
        }
    }
    return true;
}

struct SaveJob {
    DibHolder *picture;
};

int WriteJpegTemporary(void *context, const TCHAR *tempPath) {
    return SaveJpeg_Write(tempPath, *static_cast<SaveJob *>(context)->picture);
}

// The whole path: temporary, prepare, encode, the writes, flushes and moves.
double WholeSaveMs(const TCHAR *target, DibHolder &picture) {
    SaveJob job{&picture};
    const double t0 = Bench_NowMs();
    const int ok = SafeSave_Write(target, WriteJpegTemporary, &job, nullptr);
    const double t1 = Bench_NowMs();
    return ok ? t1 - t0 : -1;
}

// The writer alone, straight to the target: prepare, encode and the
// library's own temporary write, flush and move.
double WriterOnlyMs(const TCHAR *target, DibHolder &picture) {
    const double t0 = Bench_NowMs();
    const int ok = SaveJpeg_Write(target, picture);
    const double t1 = Bench_NowMs();
    return ok ? t1 - t0 : -1;
}

// The files alone: the same bytes through the safe save, once.
double BytesOnlyMs(const TCHAR *target, const std::vector<uint8_t> &bytes) {
    const double t0 = Bench_NowMs();
    const int ok = SafeSave_WriteBytes(target, bytes.data(), bytes.size());
    const double t1 = Bench_NowMs();
    return ok ? t1 - t0 : -1;
}

bool ReadWhole(const TCHAR *path, std::vector<uint8_t> &out) {
    HandleGuard file(CreateFile(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file.Valid() || !GetFileSizeEx(file.h, &size) || size.QuadPart <= 0 || size.QuadPart > (1 << 30))
        return false;
    out.resize(size_t(size.QuadPart));
    DWORD got = 0;
    return ReadFile(file.h, out.data(), DWORD(out.size()), &got, nullptr) && got == out.size();
}

struct Figures {
    double median, best;
};

Figures Summary(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? Figures{0, 0} : Figures{v[v.size() / 2], v.front()};
}

bool ProgramFolder(TCHAR *folder) {
    const DWORD n = GetModuleFileName(nullptr, folder, kPathChars);
    if (n == 0 || n >= DWORD(kPathChars)) return false;
    for (DWORD i = n; i > 0; --i)
        if (folder[i - 1] == TEXT('\\')) {
            folder[i] = 0;
            return true;
        }
    return false;
}

bool Compose(TCHAR *out, const TCHAR *folder, const TCHAR *name) {
    qvtext::CopyInto(out, kPathChars, folder);
    return Path_Append(kPathChars, out, name, 0) != nullptr;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: jpegsave_bench FOLDER [ROUNDS]\n");
        return 2;
    }
    TCHAR folder[kPathChars], programFolder[kPathChars], target[kPathChars], ppmPath[kPathChars],
        bytesTarget[kPathChars], writerTarget[kPathChars];
    if (!Bench_FolderArgument(argv[1], folder)) return 2;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (!ProgramFolder(programFolder) || !Compose(target, folder, TEXT("ours.jpg")) ||
        !Compose(ppmPath, folder, TEXT("photo.ppm")) || !Compose(bytesTarget, folder, TEXT("bytes.jpg")) ||
        !Compose(writerTarget, folder, TEXT("writer.jpg")))
        return 2;
    if (Dibcore_Load(programFolder) != 1) {
        std::fprintf(stderr, "data\\dibcore.dll could not be bound\n");
        return 1;
    }
    g_saveOptions = SaveOptions_Defaults();
    g_saveOptions.jpgQual = kQuality;
    g_saveOptions.jpgProg = 0;

    DibHolder picture;
    std::vector<uint8_t> ppm;
    if (!MakePicture(picture, ppm) || !SafeSave_WriteBytes(ppmPath, ppm.data(), ppm.size())) {
        std::fprintf(stderr, "the picture could not be made\n");
        return 1;
    }
    ppm = std::vector<uint8_t>();

    // The first save creates the file; every timed one replaces it, as saving
    // an opened picture again does.
    const double first = WholeSaveMs(target, picture);
    std::vector<uint8_t> jpeg;
    if (first < 0 || !ReadWhole(target, jpeg) || WriterOnlyMs(writerTarget, picture) < 0 ||
        BytesOnlyMs(bytesTarget, jpeg) < 0) {
        std::fprintf(stderr, "the first save failed\n");
        return 1;
    }
    // Interleaved, so a change of the machine's load touches all three alike.
    std::vector<double> whole, writer, bytes;
    for (int r = 0; r < rounds; ++r) {
        whole.push_back(WholeSaveMs(target, picture));
        writer.push_back(WriterOnlyMs(writerTarget, picture));
        bytes.push_back(BytesOnlyMs(bytesTarget, jpeg));
        if (whole.back() < 0 || writer.back() < 0 || bytes.back() < 0) {
            std::fprintf(stderr, "a save failed in round %d\n", r + 1);
            return 1;
        }
    }
    const Figures w = Summary(whole), e = Summary(writer), b = Summary(bytes);
    std::printf("picture %dx%d, 24-bit, quality %d, baseline; %d rounds (median / best)\n", kWidth, kHeight, kQuality,
                rounds);
    std::printf("  whole save path            %8.1f / %8.1f ms  (first save, new file: %.1f ms)\n", w.median,
                w.best, first);
    std::printf("  writer straight to target  %8.1f / %8.1f ms  (prepare, encode, library's own file steps)\n",
                e.median, e.best);
    std::printf("  file steps of the bytes    %8.1f / %8.1f ms  (temporary, write, flush, move)\n", b.median, b.best);
    std::printf("  file size                  %8zu bytes\n", jpeg.size());
    std::printf("result whole_median_ms=%.2f whole_best_ms=%.2f writer_median_ms=%.2f bytes_median_ms=%.2f "
                "size=%zu\n",
                w.median, w.best, e.median, b.median, jpeg.size());
    return 0;
}
