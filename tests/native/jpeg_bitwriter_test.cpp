// The encoder's word-at-a-time bit writer against a bit-by-bit reference:
// the same bytes for any mix of code lengths, with every 0xFF followed by a
// stuffed zero wherever it falls in the word, and the last byte padded with
// ones.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "bytes.h"
#include "jpeg_huffman_encode.h"

using namespace dibcore;

namespace {

struct Code {
    uint32_t bits;
    int n;
};

std::vector<uint8_t> Reference(const std::vector<Code> &codes) {
    std::vector<uint8_t> out;
    uint32_t byte = 0;
    int fill = 0;
    auto bit = [&](uint32_t b) {
        byte = byte << 1 | b;
        if (++fill == 8) {
            out.push_back(static_cast<uint8_t>(byte));
            if (byte == 0xFF) out.push_back(0);
            byte = 0, fill = 0;
        }
    };
    for (const Code &c : codes)
        for (int i = c.n - 1; i >= 0; --i) bit((c.bits >> i) & 1);
    while (fill) bit(1);
    return out;
}

// Writes through the hot-loop interface (clean bits, up to 27 per code) or
// the member one (bits above n are garbage and must be ignored).
std::vector<uint8_t> Written(const std::vector<Code> &codes, bool hot, std::mt19937 &rng) {
    ByteBuffer buf;
    JpegBitWriter w(&buf);
    size_t i = 0;
    while (i < codes.size()) {
        if (hot) {
            JpegBitWriter::State s = w.Open(512);
            for (int k = 0; k < 16 && i < codes.size(); ++k, ++i) JpegBitWriter::Put(s, codes[i].bits, codes[i].n);
            w.Close(s);
        } else {
            const uint32_t garbage = codes[i].n < 32 ? static_cast<uint32_t>(rng()) << codes[i].n : 0;
            w.Put(codes[i].bits | garbage, codes[i].n);
            ++i;
        }
    }
    w.Flush();
    EXPECT_TRUE(w.ok());
    return std::vector<uint8_t>(buf.data(), buf.data() + buf.size());
}

TEST(JpegBitWriter, EqualsBitByBitReference) {
    std::mt19937 rng(11);
    struct Case {
        const char *what;
        int maxBits;
        double onesBias;  // chance of an all-ones code: 0xFF bytes everywhere
        size_t count;
    };
    const Case cases[] = {
        {"short codes", 4, 0.0, 20000},  {"long codes", 27, 0.0, 20000}, {"full words", 32, 0.0, 5000},
        {"mostly ones", 16, 0.7, 20000}, {"all ones", 27, 1.0, 3000},   {"one code", 5, 0.0, 1},
        {"nothing", 1, 0.0, 0},
    };
    for (const Case &c : cases)
        for (const bool hot : {true, false}) {
            if (hot && c.maxBits > 27) continue;
            std::vector<Code> codes(c.count);
            for (Code &k : codes) {
                k.n = 1 + static_cast<int>(rng() % static_cast<uint32_t>(c.maxBits));
                const uint32_t mask = 0xFFFFFFFFu >> (32 - k.n);
                k.bits = (std::uniform_real_distribution<double>(0, 1)(rng) < c.onesBias ? ~0u : rng()) & mask;
            }
            EXPECT_EQ(Reference(codes), Written(codes, hot, rng)) << c.what << (hot ? " (hot)" : "");
        }
}

}  // namespace

namespace {

// The coefficient table against the arithmetic it replaces, over the whole
// 16-bit range (past the table, the computed path).
TEST(JpegCoefCode, TableEqualsArithmetic) {
    for (int v = -32767; v <= 32767; ++v) {
        const uint32_t a = static_cast<uint32_t>(v < 0 ? -v : v);
        int n = 0;
        while ((a >> n) != 0) ++n;
        const uint32_t bits = static_cast<uint32_t>(v < 0 ? v - 1 : v) & ((1u << n) - 1);
        ASSERT_EQ(bits << 4 | static_cast<uint32_t>(n), Jpeg_CoefCode(v)) << v;
    }
    EXPECT_EQ(0u, Jpeg_CoefCode(0));
    EXPECT_EQ((0u << 4) | 1, Jpeg_CoefCode(-1));
    EXPECT_EQ((1u << 4) | 1, Jpeg_CoefCode(1));
    EXPECT_EQ((0x3FEu << 4) | 11, Jpeg_CoefCode(-1025));
}

}  // namespace
