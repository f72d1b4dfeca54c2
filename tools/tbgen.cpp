// tbgen DESCRIPTION OUT_NORMAL OUT_ALPHA: draws the tool bar's button strip
// from a readable description (res/toolbar_icons.txt) into two bitmap files:
// the normal set, 16 pixels high with a 256-colour table whose background is
// the 3D face grey (so loading maps it to the system colours), and the
// 32-bit set with straight alpha at 48 pixels, which the program scales
// down to the button size. A program for the build machine.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kImages = 17;
constexpr int kAlphaSize = 48;
constexpr double kUnits = 16.0;  // the description's coordinate space per image
constexpr int kSamples = 4;      // per axis, per pixel
constexpr double kPi = 3.14159265358979323846;

struct Shape {
    std::string kind;
    uint32_t colour = 0;  // 0xRRGGBB
    std::vector<double> v;
};
struct Icon {
    std::string name;
    std::vector<Shape> shapes;
};

bool Covers(const Shape &s, double x, double y) {
    const auto &v = s.v;
    if (s.kind == "rect") return v.size() >= 4 && x >= v[0] && x < v[2] && y >= v[1] && y < v[3];
    if (s.kind == "frame" && v.size() >= 5) {  // width x0 y0 x1 y1
        const bool outer = x >= v[1] && x < v[3] && y >= v[2] && y < v[4];
        const bool inner = x >= v[1] + v[0] && x < v[3] - v[0] && y >= v[2] + v[0] && y < v[4] - v[0];
        return outer && !inner;
    }
    if (s.kind == "ellipse" && v.size() >= 4) {
        const double dx = (x - v[0]) / v[2], dy = (y - v[1]) / v[3];
        return dx * dx + dy * dy <= 1.0;
    }
    if ((s.kind == "ring" || s.kind == "arc") && v.size() >= 4) {  // cx cy r width [from to degrees]
        const double d = std::hypot(x - v[0], y - v[1]);
        if (d > v[2] + v[3] / 2 || d < v[2] - v[3] / 2) return false;
        if (s.kind == "ring" || v.size() < 6) return true;
        double a = std::atan2(v[1] - y, x - v[0]) * 180.0 / kPi;  // counter-clockwise from east
        if (a < 0) a += 360;
        return v[4] <= v[5] ? a >= v[4] && a <= v[5] : a >= v[4] || a <= v[5];
    }
    if (s.kind == "line" && v.size() >= 5) {  // width x0 y0 x1 y1, round ends
        const double ax = v[1], ay = v[2], bx = v[3], by = v[4];
        const double lx = bx - ax, ly = by - ay, len2 = lx * lx + ly * ly;
        double t = len2 > 0 ? ((x - ax) * lx + (y - ay) * ly) / len2 : 0;
        t = t < 0 ? 0 : t > 1 ? 1 : t;
        return std::hypot(x - (ax + t * lx), y - (ay + t * ly)) <= v[0] / 2;
    }
    if (s.kind == "poly" && v.size() >= 6) {  // even-odd
        bool inside = false;
        const size_t n = v.size() / 2;
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            const double xi = v[2 * i], yi = v[2 * i + 1], xj = v[2 * j], yj = v[2 * j + 1];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
        }
        return inside;
    }
    return false;
}

// Straight-alpha B, G, R, A pixels of one image at `size`, composed front
// to back in the order of the description.
void Draw(const Icon &icon, int size, uint8_t *out, int stride) {
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            double r = 0, g = 0, b = 0, a = 0;  // premultiplied
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = (px + (sx + 0.5) / kSamples) * kUnits / size;
                    const double y = (py + (sy + 0.5) / kSamples) * kUnits / size;
                    double cr = 0, cg = 0, cb = 0, ca = 0;
                    for (const Shape &s : icon.shapes)
                        if (Covers(s, x, y)) {
                            cr = (s.colour >> 16) & 255;
                            cg = (s.colour >> 8) & 255;
                            cb = s.colour & 255;
                            ca = 1;
                        }
                    r += cr * ca;
                    g += cg * ca;
                    b += cb * ca;
                    a += ca;
                }
            uint8_t *p = out + size_t(py) * stride + size_t(px) * 4;
            if (a <= 0) {
                p[0] = p[1] = p[2] = p[3] = 0;
                continue;
            }
            p[0] = uint8_t(b / a + 0.5);
            p[1] = uint8_t(g / a + 0.5);
            p[2] = uint8_t(r / a + 0.5);
            p[3] = uint8_t(a * 255 / (kSamples * kSamples) + 0.5);
        }
}

bool Parse(const char *path, std::vector<Icon> *icons) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        // A line whose first word starts with '#' is a comment.
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        std::istringstream words(line);
        std::string kind;
        if (!(words >> kind)) continue;
        if (kind == "icon") {
            icons->push_back(Icon{});
            words >> icons->back().name;
            continue;
        }
        if (icons->empty()) {
            std::fprintf(stderr, "%s:%d: shape before the first icon\n", path, lineNo);
            return false;
        }
        Shape s;
        s.kind = kind;
        std::string colour;
        words >> colour;
        if (colour.size() != 7 || colour[0] != '#') {
            std::fprintf(stderr, "%s:%d: colour must be #RRGGBB\n", path, lineNo);
            return false;
        }
        s.colour = uint32_t(std::stoul(colour.substr(1), nullptr, 16));
        double d;
        while (words >> d) s.v.push_back(d);
        icons->back().shapes.push_back(s);
    }
    return true;
}

void Put16(std::vector<uint8_t> &b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t> &b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

bool WriteBmp(const char *path, int width, int height, int bits, const std::vector<uint32_t> &palette,
              const std::vector<uint8_t> &topDownRows, int rowBytes) {
    const int stride = (width * bits + 31) / 32 * 4;
    const uint32_t tableBytes = uint32_t(palette.size() * 4);
    const uint32_t offset = 14 + 40 + tableBytes;
    std::vector<uint8_t> b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, offset + uint32_t(stride) * height);
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, 40);
    Put32(b, uint32_t(width));
    Put32(b, uint32_t(height));  // bottom-up
    Put16(b, 1);
    Put16(b, uint16_t(bits));
    Put32(b, 0);
    Put32(b, uint32_t(stride) * height);
    Put32(b, 3780);
    Put32(b, 3780);
    Put32(b, uint32_t(palette.size()));
    Put32(b, 0);
    for (uint32_t c : palette) Put32(b, c & 0xFFFFFF);
    for (int y = height - 1; y >= 0; --y) {
        const uint8_t *row = topDownRows.data() + size_t(y) * rowBytes;
        b.insert(b.end(), row, row + rowBytes);
        b.insert(b.end(), size_t(stride - rowBytes), 0);
    }
    std::FILE *f = std::fopen(path, "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: tbgen DESCRIPTION OUT_NORMAL OUT_ALPHA\n");
        return 2;
    }
    std::vector<Icon> icons;
    if (!Parse(argv[1], &icons)) return 1;
    if (icons.size() != kImages) {
        std::fprintf(stderr, "%s: %zu icons, the tool bar needs %d\n", argv[1], icons.size(), kImages);
        return 1;
    }

    // The 32-bit set.
    const int aw = kAlphaSize * kImages;
    std::vector<uint8_t> alpha(size_t(aw) * kAlphaSize * 4);
    for (int i = 0; i < kImages; ++i) Draw(icons[i], kAlphaSize, alpha.data() + size_t(i) * kAlphaSize * 4, aw * 4);
    if (!WriteBmp(argv[3], aw, kAlphaSize, 32, {}, alpha, aw * 4)) return 1;

    // The normal set: index 0 is the face grey; the other entries are the
    // description's colours, moved off the three greys that loading maps.
    const int nw = 16 * kImages;
    std::vector<uint8_t> rgba(size_t(nw) * 16 * 4);
    for (int i = 0; i < kImages; ++i) Draw(icons[i], 16, rgba.data() + size_t(i) * 16 * 4, nw * 4);
    std::vector<uint32_t> palette{0xC0C0C0};
    for (const Icon &icon : icons)
        for (const Shape &s : icon.shapes) {
            uint32_t c = s.colour;
            if (c == 0x808080 || c == 0xC0C0C0 || c == 0xDFDFDF) c += 0x010101;
            bool known = false;
            for (uint32_t p : palette) known = known || p == c;
            if (!known && palette.size() < 256) palette.push_back(c);
        }
    std::vector<uint8_t> indexes(size_t(nw) * 16);
    for (size_t i = 0; i < indexes.size(); ++i) {
        const uint8_t *p = &rgba[i * 4];
        if (p[3] < 128) continue;  // background
        int best = 1;
        long bestDistance = -1;
        for (size_t k = 1; k < palette.size(); ++k) {
            const long dr = long((palette[k] >> 16) & 255) - p[2], dg = long((palette[k] >> 8) & 255) - p[1],
                       db = long(palette[k] & 255) - p[0];
            const long d = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || d < bestDistance) bestDistance = d, best = int(k);
        }
        indexes[i] = uint8_t(best);
    }
    if (!WriteBmp(argv[2], nw, 16, 8, palette, indexes, nw)) return 1;
    return 0;
}
