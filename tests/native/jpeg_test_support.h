// Fixtures for the JPEG tests: generated photo-like pictures, PPM files for
// the reference tools, running cjpeg/djpeg, and pixel comparison.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "jpeg_codec.h"
#include "picture.h"

namespace jpegtest {

using Bytes = std::vector<uint8_t>;

// An RGB (or grey) raster in top-down rows.
struct Raster {
    int width = 0, height = 0, channels = 3;
    Bytes pixels;  // R,G,B order (as in PPM)
};

// Tests run as parallel processes: each names its files after itself.
inline std::string OutPath(const std::string &name) {
    const ::testing::TestInfo *t = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string prefix = t ? std::string(t->test_suite_name()) + "." + t->name() : "jpeg";
    for (char &c : prefix)
        if (c == '/') c = '_';
    return std::string(QV_TEST_OUTPUT) + "/" + prefix + "_" + name;
}

inline bool ReadFile(const std::string &path, Bytes *out) {
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out->clear();
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out->insert(out->end(), buf, buf + n);
    std::fclose(f);
    return true;
}

inline bool WriteFile(const std::string &path, const uint8_t *data, size_t n) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, n, f) == n;
    return std::fclose(f) == 0 && ok;
}

// A smooth picture with edges, texture and noise, so every kind of
// coefficient and every chroma position occurs.
inline Raster PhotoLike(int w, int h, unsigned seed) {
    Raster r;
    r.width = w;
    r.height = h;
    r.pixels.resize(static_cast<size_t>(w) * h * 3);
    uint32_t s = seed * 2654435761u + 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            s = s * 1664525u + 1013904223u;
            const int noise = static_cast<int>((s >> 24) % 17) - 8;
            const double fx = double(x) / w, fy = double(y) / h;
            int R = int(128 + 100 * std::sin(6.0 * fx + 2 * fy)) + noise;
            int G = int(128 + 90 * std::cos(5.0 * fy - 3 * fx)) + noise;
            int B = ((x / 7 + y / 5) % 2 ? 200 : 40) + noise;
            if ((x - w / 2) * (x - w / 2) + (y - h / 3) * (y - h / 3) < w * h / 20) R = 250 - noise, G = 30, B = 60;
            uint8_t *p = &r.pixels[(static_cast<size_t>(y) * w + x) * 3];
            p[0] = uint8_t(R < 0 ? 0 : R > 255 ? 255 : R);
            p[1] = uint8_t(G < 0 ? 0 : G > 255 ? 255 : G);
            p[2] = uint8_t(B < 0 ? 0 : B > 255 ? 255 : B);
        }
    return r;
}

inline bool WritePnm(const std::string &path, const Raster &r) {
    std::string head = (r.channels == 3 ? "P6\n" : "P5\n") + std::to_string(r.width) + " " +
                       std::to_string(r.height) + "\n255\n";
    Bytes all(head.begin(), head.end());
    all.insert(all.end(), r.pixels.begin(), r.pixels.end());
    return WriteFile(path, all.data(), all.size());
}

inline bool ReadPnm(const std::string &path, Raster *r) {
    Bytes d;
    if (!ReadFile(path, &d) || d.size() < 2 || d[0] != 'P') return false;
    r->channels = d[1] == '6' ? 3 : 1;
    size_t i = 2;
    int fields[3];
    for (int &f : fields) {
        while (i < d.size() && std::isspace(d[i])) ++i;
        f = 0;
        while (i < d.size() && std::isdigit(d[i])) f = f * 10 + (d[i++] - '0');
    }
    ++i;
    r->width = fields[0];
    r->height = fields[1];
    const size_t n = static_cast<size_t>(r->width) * r->height * r->channels;
    if (d.size() < i + n) return false;
    r->pixels.assign(d.begin() + static_cast<long>(i), d.begin() + static_cast<long>(i + n));
    return true;
}

// Runs a shell command; its stderr goes to `errPath` when given.
inline int RunTool(const std::string &cmd, const std::string &errPath = "") {
    const std::string full = cmd + (errPath.empty() ? " 2>/dev/null" : " 2>" + errPath);
    return std::system(full.c_str());
}

// The picture as an R,G,B (or grey) raster, top-down.
inline Raster FromPicture(const dibcore::Picture &p) {
    Raster r;
    const DibInfoHeader &h = *p.data.header;
    r.width = h.biWidth;
    r.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    r.channels = h.biBitCount == 8 ? 1 : 3;
    r.pixels.resize(static_cast<size_t>(r.width) * r.height * r.channels);
    for (int y = 0; y < r.height; ++y) {
        const uint8_t *row = dibcore::RowFromTop(p, y);
        uint8_t *o = &r.pixels[static_cast<size_t>(y) * r.width * r.channels];
        for (int x = 0; x < r.width; ++x) {
            if (r.channels == 1) {
                o[x] = dibcore::PaletteOf(p)[row[x]].red;
            } else {
                o[3 * x] = row[3 * x + 2];
                o[3 * x + 1] = row[3 * x + 1];
                o[3 * x + 2] = row[3 * x];
            }
        }
    }
    return r;
}

struct Difference {
    int max = 0;
    double mean = 0;
    double psnr = 0;
};

inline Difference Compare(const Raster &a, const Raster &b) {
    Difference d;
    if (a.pixels.size() != b.pixels.size() || a.pixels.empty()) {
        d.max = 9999;
        return d;
    }
    double sum = 0, sq = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        const int e = std::abs(int(a.pixels[i]) - int(b.pixels[i]));
        if (e > d.max) d.max = e;
        sum += e;
        sq += double(e) * e;
    }
    d.mean = sum / double(a.pixels.size());
    const double mse = sq / double(a.pixels.size());
    d.psnr = mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
    return d;
}

// Decodes with our codec into a raster; false on failure.
inline bool DecodeOurs(const Bytes &file, Raster *out, bool topDown = true) {
    dibcore::Picture *p = nullptr;
    if (dibcore::Jpeg_Decode(file.data(), file.size(), topDown, &p) != dibcore::kJpegOk) return false;
    dibcore::PictureOwner owner(p);
    *out = FromPicture(*p);
    return true;
}

// A 24-bit picture from a raster.
inline dibcore::Picture *ToPicture(const Raster &r) {
    dibcore::Picture *p = dibcore::NewSimplePicture(r.width, r.height, 24, 0, nullptr);
    if (!p) return nullptr;
    for (int y = 0; y < r.height; ++y) {
        uint8_t *row = dibcore::RowFromTop(*p, y);
        const uint8_t *s = &r.pixels[static_cast<size_t>(y) * r.width * 3];
        for (int x = 0; x < r.width; ++x) {
            row[3 * x] = s[3 * x + 2];
            row[3 * x + 1] = s[3 * x + 1];
            row[3 * x + 2] = s[3 * x];
        }
    }
    return p;
}

}  // namespace jpegtest
