// The encoder's exact output: digests of files written from generated
// pictures (colour and grey, edges, noise, tiny and sampled-statistics
// sizes) at several qualities, baseline and progressive. Speed work on the
// transform and the scans must leave every byte as it was; a deliberate
// change of the output updates this table (a failure prints the new row).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "jpeg_codec.h"
#include "picture.h"

using namespace dibcore;

namespace {

enum Kind { kNoise, kChecker, kRamps, kSparseEdges };

// Integer arithmetic only, so the pictures are the same everywhere.
Picture *Generate(int w, int h, Kind kind, bool grey) {
    Picture *p;
    if (grey) {
        DibRgbQuad pal[256];
        for (int i = 0; i < 256; ++i) pal[i] = DibRgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
        p = NewSimplePicture(w, h, 8, 256, pal);
    } else {
        p = NewSimplePicture(w, h, 24, 0, nullptr);
    }
    if (p == nullptr) return nullptr;
    const int channels = grey ? 1 : 3;
    uint32_t s = 0x9E3779B9u * (uint32_t(kind) + 1) + uint32_t(w * 31 + h);
    for (int y = 0; y < h; ++y) {
        uint8_t *row = RowFromTop(*p, y);
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < channels; ++c) {
                s = s * 1664525u + 1013904223u;
                const int noise = int(s >> 28) - 8;
                int v;
                switch (kind) {
                case kNoise: v = int(s >> 24); break;
                case kChecker: v = ((x + y) & 1) ? 255 : 0; break;  // the largest coefficients
                case kRamps: v = (x * (3 + c) + y * (5 - c)) % 384 + noise; break;
                default: v = ((x / 7 + y / 5 + c) % 4 == 0) ? 240 : 40 + (noise & 3); break;
                }
                row[x * channels + c] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
            }
    }
    return p;
}

uint64_t Fnv1a(const uint8_t *p, size_t n) {
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

struct Picture_ {
    int w, h;
    Kind kind;
    bool grey;
};
const Picture_ kPictures[] = {
    {1, 1, kNoise, false},        {9, 17, kChecker, false},  {63, 31, kRamps, false},
    {130, 77, kNoise, true},      {257, 129, kSparseEdges, false}, {171, 99, kChecker, true},
    // Tall enough that baseline counts symbols on a sample of MCU rows.
    {300, 530, kRamps, false},    {200, 270, kSparseEdges, true},
};

struct Digest {
    int picture, quality;
    bool progressive;
    size_t size;
    uint64_t fnv;
};
const Digest kDigests[] = {
    {0, 1, false, 268, 0x9bb3c89e04a932d5ull},
    {0, 1, true, 509, 0x1143468a6c010eb7ull},
    {0, 50, false, 271, 0xac2fe262298db974ull},
    {0, 50, true, 513, 0x1a86a3e7f9d45bc8ull},
    {0, 90, false, 272, 0xc62431c663d2e6a8ull},
    {0, 90, true, 515, 0x43599681818c2e20ull},
    {0, 100, false, 272, 0xb9be5445237816a8ull},
    {0, 100, true, 514, 0x93674a2266662b30ull},
    {1, 1, false, 301, 0x1b1ebeac63f9fc9eull},
    {1, 1, true, 549, 0xbf428ce0b5a0847cull},
    {1, 50, false, 323, 0xc87cb59e5c8c9b0bull},
    {1, 50, true, 574, 0x8a25b5ec7976e250ull},
    {1, 90, false, 339, 0xc1f69a3a1f7a8689ull},
    {1, 90, true, 582, 0x51b272d14eb4364bull},
    {1, 100, false, 355, 0x349a19b6b7c1ea78ull},
    {1, 100, true, 601, 0x18e4dfc8cd819ec6ull},
    {2, 1, false, 290, 0x8cfbcf354ce25d05ull},
    {2, 1, true, 532, 0xd46b7b4b350a0b94ull},
    {2, 50, false, 423, 0xfcb52b99fcc1495full},
    {2, 50, true, 681, 0x14c41783423b6755ull},
    {2, 90, false, 755, 0x9f09e9256734596bull},
    {2, 90, true, 994, 0x955f367f8e635be2ull},
    {2, 100, false, 1860, 0x9baca6746a54c798ull},
    {2, 100, true, 2129, 0xd57a4414253f3b21ull},
    {3, 1, false, 919, 0x4ef6f4ba0ef32f5eull},
    {3, 1, true, 1066, 0x83941593c9811748ull},
    {3, 50, false, 4637, 0xcb798fe9c32e481full},
    {3, 50, true, 4573, 0x193c024800e5b0b0ull},
    {3, 90, false, 7862, 0x8c2761a5d083993cull},
    {3, 90, true, 7942, 0xd58fceaef1bf3cc7ull},
    {3, 100, false, 11610, 0x79b5915c2b2a3101ull},
    {3, 100, true, 11841, 0xc1118e8e87caadf4ull},
    {4, 1, false, 1568, 0x9763c0937ec1b47full},
    {4, 1, true, 1925, 0xf6e9c58a73dd7d01ull},
    {4, 50, false, 11062, 0xc4e6a9e95e8d1d49ull},
    {4, 50, true, 10505, 0x46a96db37b1677c3ull},
    {4, 90, false, 23950, 0xb1e0400d76ef3ac1ull},
    {4, 90, true, 22599, 0x44485302488f8e24ull},
    {4, 100, false, 44358, 0xcefd2c95cdd0d2b8ull},
    {4, 100, true, 43882, 0x3955a562409828d0ull},
    {5, 1, false, 1525, 0x095bc67232597640ull},
    {5, 1, true, 1860, 0x512a17c103567611ull},
    {5, 50, false, 3352, 0x4211c49b9a5b0e68ull},
    {5, 50, true, 3972, 0x22d8f463ec5adf45ull},
    {5, 90, false, 4986, 0x3f80d4617c4f82baull},
    {5, 90, true, 5170, 0x3d251b9d2c8126b3ull},
    {5, 100, false, 7267, 0x583d013b59c4071dull},
    {5, 100, true, 7334, 0x124afa890fa7c67eull},
    {6, 1, false, 3239, 0x25409524965260fbull},
    {6, 1, true, 3109, 0xa158e43beedab9dbull},
    {6, 50, false, 21148, 0x7605f11f7a59bdd4ull},
    {6, 50, true, 20667, 0xb8350cd9899b6794ull},
    {6, 90, false, 57437, 0x5206aff757950f86ull},
    {6, 90, true, 54523, 0xd3abe6759c3705c0ull},
    {6, 100, false, 155956, 0x906576c9532c8852ull},
    {6, 100, true, 153498, 0x7037d15bee2a4a5full},
    {7, 1, false, 2996, 0xf1e18984ef67e6a0ull},
    {7, 1, true, 2928, 0x7476cc5d17cc328eull},
    {7, 50, false, 16138, 0x35e8ae6989bc7fb7ull},
    {7, 50, true, 14532, 0x905e5bd61104cd6full},
    {7, 90, false, 30526, 0x08ed2221eed8f75full},
    {7, 90, true, 27722, 0x6575fa39aa25179dull},
    {7, 100, false, 50234, 0x3ff60e01cbd2360bull},
    {7, 100, true, 48427, 0xcb72be3272ac316aull},
};

TEST(JpegEncodeDigest, OutputBytesUnchanged) {
    for (size_t i = 0; i < sizeof kPictures / sizeof *kPictures; ++i) {
        const Picture_ &d = kPictures[i];
        PictureOwner pic(Generate(d.w, d.h, d.kind, d.grey));
        ASSERT_TRUE(pic);
        for (const Digest &e : kDigests) {
            if (e.picture != int(i)) continue;
            ByteBuffer out;
            ASSERT_TRUE(Jpeg_Encode(*pic.get(), e.quality, e.progressive, &out));
            char row[128];
            std::snprintf(row, sizeof row, "{%d, %d, %s, %zu, 0x%016llxull},", e.picture, e.quality,
                          e.progressive ? "true" : "false", out.size(),
                          static_cast<unsigned long long>(Fnv1a(out.data(), out.size())));
            EXPECT_EQ(out.size(), e.size) << row;
            EXPECT_EQ(Fnv1a(out.data(), out.size()), e.fnv) << row;
        }
    }
}

}  // namespace
