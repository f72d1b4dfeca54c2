// Custom.dat as bytes: finding a chunk in sound and damaged files, and the
// composition of a file with one chunk replaced.
#include <gtest/gtest.h>

#include <cstring>

#include "custom_fixture.h"
#include "other/qv_CustomCore.h"

namespace {

const Bytes kMous = Bytes(132, 0x11);
const Bytes kKeys = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};

struct FindCase {
    const char *name;
    Bytes image;
    int expect;             // Custom_FindChunkIn result for "Keys"
    uint32_t keysLength;    // when found
};

TEST(CustomChunkWalk, FindsChunksAndStopsAtDamage) {
    Bytes keysNoTrailer = Chunk("Keys", kKeys);
    keysNoTrailer.resize(keysNoTrailer.size() - 4);
    const FindCase cases[] = {
        {"empty file", {}, 5, 0},
        {"10-byte file", Bytes(10, 0xAF), 5, 0},
        {"wrong signature", Join({Bytes(16, 'x'), Chunk("Keys", kKeys)}), 5, 0},
        {"header only", Header(), 6, 0},
        {"keys after mous", Join({Header(), Chunk("Mous", kMous), Chunk("Keys", kKeys)}), 0, 12},
        {"stray tail behind keys", Join({Header(), Chunk("Keys", kKeys), Bytes{1, 2, 3}}), 0, 12},
        {"stray tail only", Join({Header(), Bytes(11, 0)}), 6, 0},
        {"placeholder length left by a crash", Join({Header(), Chunk("Mous", kMous, 0xFFFFFFFF), Chunk("Keys", kKeys)}), 7, 0},
        // 0xFFFFFFF0 + 12 wraps to 0xFFFFFFFC in 32 bits: an old walk went back.
        {"length near 2^32", Join({Header(), Chunk("Mous", kMous, 0xFFFFFFF0), Chunk("Keys", kKeys)}), 8, 0},
        // In 32 bits 16 + 0xFFFFFFE8 + 12 is 4: back into the header.
        {"length wrapping to offset 4", Join({Header(), Chunk("Mous", {}, 0xFFFFFFE8), Chunk("Keys", kKeys)}), 8, 0},
        {"short chunk", Join({Header(), Chunk("Mous", kMous, 500), Chunk("Keys", kKeys)}), 8, 0},
        {"keys without trailer", Join({Header(), keysNoTrailer}), 8, 0},
    };
    for (const FindCase &c : cases) {
        SCOPED_TRACE(c.name);
        uint64_t offset = 0;
        uint32_t length = 0;
        EXPECT_EQ(Custom_FindChunkIn(c.image.data(), c.image.size(), "Keys", &offset, &length), c.expect);
        if (c.expect == 0) {
            EXPECT_EQ(length, c.keysLength);
            EXPECT_EQ(0, std::memcmp(c.image.data() + offset, kKeys.data(), kKeys.size()));
        }
    }
}

TEST(CustomChunkWalk, CheckChunkUsesWholeOffsets) {
    uint64_t next = 0;
    EXPECT_EQ(Custom_CheckChunk(16, 28, 0, &next), 0);
    EXPECT_EQ(next, 28u);
    EXPECT_EQ(Custom_CheckChunk(16, 27, 0, &next), 6);
    EXPECT_EQ(Custom_CheckChunk(16, 1000, kCustomMaxChunkLength, &next), 8);
    EXPECT_EQ(Custom_CheckChunk(16, 1000, kCustomMaxChunkLength + 1, &next), 7);
    // A file past 4 GiB: the sum does not wrap.
    EXPECT_EQ(Custom_CheckChunk(0xFFFFFFF0ull, 0x200000000ull, 0xFFFFFF00u, &next), 0);
    EXPECT_EQ(next, 0xFFFFFFF0ull + 12 + 0xFFFFFF00ull);
}

Bytes Compose(const Bytes &old, const char *tag, const Bytes &data) {
    const uint64_t size = Custom_ComposedSize(old.data(), old.size(), tag, uint32_t(data.size()));
    Bytes out(size_t(size) + 8, 0xEE);
    EXPECT_EQ(Custom_Compose(old.data(), old.size(), tag, data.data(), uint32_t(data.size()), out.data(), out.size()), size);
    out.resize(size_t(size));
    return out;
}

TEST(CustomCompose, ReplacesOnlyItsOwnChunk) {
    const Bytes keys = Chunk("Keys", kKeys);
    const Bytes otherTag = Chunk("Xtra", Bytes{9, 9, 9, 9});
    const Bytes old = Join({Header(), Chunk("Mous", Bytes(132, 0x22)), keys, otherTag});
    const Bytes once = Compose(old, "Mous", kMous);
    EXPECT_EQ(once, Join({Header(), keys, otherTag, Chunk("Mous", kMous)}));
    // A second save leaves one "Mous" chunk and the others byte for byte.
    const Bytes twice = Compose(once, "Mous", kMous);
    EXPECT_EQ(twice, once);
}

TEST(CustomCompose, DropsWhatIsNotSound) {
    const Bytes keys = Chunk("Keys", kKeys);
    struct Case {
        const char *name;
        Bytes old;
        Bytes expect;
    } cases[] = {
        {"no file", {}, Join({Header(), Chunk("Mous", kMous)})},
        {"10-byte file", Bytes(10, 0xAF), Join({Header(), Chunk("Mous", kMous)})},
        {"wrong signature drops all", Join({Bytes(16, 'x'), keys}), Join({Header(), Chunk("Mous", kMous)})},
        {"stray tail", Join({Header(), keys, Bytes{7, 7, 7}}), Join({Header(), keys, Chunk("Mous", kMous)})},
        {"placeholder length and all behind it",
         Join({Header(), keys, Chunk("Mous", kMous, 0xFFFFFFFF), keys}), Join({Header(), keys, Chunk("Mous", kMous)})},
        {"short chunk", Join({Header(), keys, Chunk("Xtra", kMous, 4000)}), Join({Header(), keys, Chunk("Mous", kMous)})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Compose(c.old, "Mous", kMous), c.expect);
    }
}

TEST(CustomCompose, RefusesSmallBuffer) {
    const Bytes old = Join({Header(), Chunk("Keys", kKeys)});
    const uint64_t size = Custom_ComposedSize(old.data(), old.size(), "Mous", 132);
    Bytes out(size_t(size) - 1);
    EXPECT_EQ(Custom_Compose(old.data(), old.size(), "Mous", kMous.data(), 132, out.data(), out.size()), 0u);
    EXPECT_EQ(Custom_ComposedSize(old.data(), old.size(), "Mous", kCustomMaxChunkLength + 1), 0u);
}

}  // namespace
