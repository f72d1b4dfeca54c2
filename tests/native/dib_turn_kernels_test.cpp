// The blocked quarter turn, the half turn and the mirrored cut against a
// pixel-by-pixel model, at sizes that leave partial blocks and partial bands
// on every edge, at every whole-byte depth and in both row orders; and the
// padding at the end of each row left as the library made it (zero).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dib_fixtures.h"
#include "storage.h"
#include "transform.h"
#include "turn_kernels.h"

using namespace dibcore;
using namespace dibfix;

namespace {

struct Size {
    int32_t w, h;
};

// Thin strips, sizes that are no multiple of any block (4, 8 or 16 pixels),
// rows with no padding at 24 bits (last row in memory read to its last
// byte), and widths past one band of columns at each depth (768 bytes).
const Size kSizes[] = {{1, 1},  {1, 37},  {37, 1},  {33, 17}, {17, 33}, {16, 16}, {64, 9},
                       {8, 33}, {203, 45}, {257, 7}, {197, 6}, {389, 5}, {770, 3}, {5, 770}};

std::vector<Kind> WholeByteKinds() {
    std::vector<Kind> kinds;
    for (const Kind &k : AllKinds())
        if (k.bpp >= 8) kinds.push_back(k);
    return kinds;
}

// Where target pixel (x, y) of each operation comes from in a w x h source.
enum class Op { kTurn90, kTurn270, kTurn180, kMirror };
struct OpCase {
    Op op;
    const char *name;
};
const OpCase kOps[] = {{Op::kTurn90, "turn90"}, {Op::kTurn270, "turn270"}, {Op::kTurn180, "turn180"}, {Op::kMirror, "mirror"}};

void SourceOf(Op op, int64_t w, int64_t h, int64_t x, int64_t y, int64_t *sx, int64_t *sy) {
    switch (op) {
        case Op::kTurn90: *sx = y; *sy = h - 1 - x; break;
        case Op::kTurn270: *sx = w - 1 - y; *sy = x; break;
        case Op::kTurn180: *sx = w - 1 - x; *sy = h - 1 - y; break;
        case Op::kMirror: *sx = w - 1 - x; *sy = y; break;
    }
}

Picture *Apply(Op op, const Picture &src, int32_t w, int32_t h) {
    switch (op) {
        case Op::kTurn90: return TurnPicture(src, 90);
        case Op::kTurn270: return TurnPicture(src, -90);
        case Op::kTurn180: return TurnPicture(src, 180);
        case Op::kMirror: return CutPicture(src, 0, 0, -w, h);
    }
    return nullptr;
}

// Bytes between the last pixel of a row and the next row.
bool PaddingIsZero(const Picture &p) {
    const DibInfoHeader &hd = *p.data.header;
    const uint64_t stride = RowStride(hd.biWidth, hd.biBitCount);
    const uint64_t used = (uint64_t(hd.biWidth) * hd.biBitCount + 7) / 8;
    for (int64_t r = 0; r < Height(p); ++r)
        for (uint64_t b = used; b < stride; ++b)
            if (p.data.bits[r * stride + b] != 0) return false;
    return true;
}

TEST(DibTurnKernels, EveryOperationMatchesThePixelModel) {
    for (const Kind &k : WholeByteKinds())
        for (const Size &s : kSizes)
            for (int32_t order : {1, -1}) {
                Owner src(MakePicture(k, s.w, order * s.h, 977u * s.w + s.h));
                ASSERT_NE(src.p, nullptr);
                for (const OpCase &o : kOps) {
                    const std::string where = std::string(k.name) + " " + o.name + " " + std::to_string(s.w) + "x" +
                                              std::to_string(order * s.h);
                    Owner out(Apply(o.op, *src.p, s.w, s.h));
                    ASSERT_NE(out.p, nullptr) << where;
                    const bool quarter = o.op == Op::kTurn90 || o.op == Op::kTurn270;
                    ASSERT_EQ(Width(*out.p), quarter ? s.h : s.w) << where;
                    ASSERT_EQ(Height(*out.p), quarter ? s.w : s.h) << where;
                    EXPECT_EQ(out.p->data.header->biHeight < 0, order < 0) << where;
                    for (int64_t y = 0; y < Height(*out.p); ++y)
                        for (int64_t x = 0; x < Width(*out.p); ++x) {
                            int64_t sx, sy;
                            SourceOf(o.op, s.w, s.h, x, y, &sx, &sy);
                            ASSERT_EQ(RawPixel(*out.p, x, y), RawPixel(*src.p, sx, sy))
                                << where << " at " << x << "," << y;
                        }
                    EXPECT_TRUE(PaddingIsZero(*out.p)) << where;
                }
            }
}

// The kernels on their own: a target plane inside a larger buffer, rows
// spaced wider than they need, keeps every byte it does not own. A turn that
// wrote a spare byte past a pixel run, or a row reversal that stored a whole
// vector past its end, shows here.
TEST(DibTurnKernels, WriteOnlyTheTargetPixels) {
    constexpr uint8_t kGuard = 0xA5;
    for (int b = 1; b <= 4; ++b)
        for (const Size &s : kSizes) {
            const int64_t sStride = s.w * b, dStride = s.h * b + 5;  // no source padding: an over-read leaves the buffer
            std::vector<uint8_t> src(size_t(sStride * s.h));
            for (size_t i = 0; i < src.size(); ++i) src[i] = uint8_t(i * 7 + i / 251);
            for (bool clockwise : {true, false}) {
                std::vector<uint8_t> dst(size_t(dStride * s.w + 2 * dStride), kGuard);
                // Bottom-up target, a row of guard bytes either side.
                const PixelPlane sp{src.data(), sStride};
                const PixelPlane dp{dst.data() + dStride * s.w, -dStride};
                TurnPlaneQuarter(sp, s.w, s.h, b, dp, clockwise);
                for (int64_t i = 0; i < int64_t(dst.size()); ++i) {
                    const int64_t row = i / dStride - 1, col = i % dStride;  // row from the bottom
                    const bool owned = row >= 0 && row < s.w && col < s.h * b;
                    if (!owned) {
                        ASSERT_EQ(dst[i], kGuard) << b << " bytes " << s.w << "x" << s.h << " byte " << i;
                        continue;
                    }
                    const int64_t ty = s.w - 1 - row, tx = col / b;
                    const int64_t sx = clockwise ? ty : s.w - 1 - ty, sy = clockwise ? s.h - 1 - tx : tx;
                    ASSERT_EQ(dst[i], src[size_t(sy * sStride + sx * b + col % b)])
                        << b << " bytes " << s.w << "x" << s.h << (clockwise ? " cw" : " ccw");
                }
            }
            std::vector<uint8_t> row(size_t(s.w * b + 32), kGuard);
            ReverseRow(src.data(), row.data() + 16, s.w, b);
            for (int64_t i = 0; i < int64_t(row.size()); ++i) {
                const int64_t at = i - 16;
                if (at < 0 || at >= s.w * b) {
                    ASSERT_EQ(row[i], kGuard) << b << " bytes, reversed " << s.w;
                    continue;
                }
                ASSERT_EQ(row[i], src[size_t((s.w - 1 - at / b) * b + at % b)]) << b << " bytes, reversed " << s.w;
            }
        }
}

}  // namespace
