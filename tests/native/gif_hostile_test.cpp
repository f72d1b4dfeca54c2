// Damaged and hostile GIF data: every decoder path returns a status, stays
// inside its buffers and allocates no more than the data can fill. The fast
// LZW decoder is held against the one-code-at-a-time reference on streams
// that exercise every table state.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gif_codec.h"
#include "gif_entry.h"
#include "gif_format.h"
#include "gif_lzw.h"
#include "gif_test_support.h"
#include "handles.h"

using namespace dibcore;
using namespace giftest;

namespace {

// Packs codes LSB-first as a decoder reads them, tracking its table so the
// widths are right; `junk` puts one code past the table at that position.
class CodeStream {
public:
    explicit CodeStream(int minCodeSize) : mcs_(minCodeSize), clear_(1u << minCodeSize) { Reset(); }
    void Reset() {
        next_ = clear_ + 2;
        width_ = mcs_ + 1;
        first_ = true;
    }
    void Put(uint32_t code) {
        code &= (1u << width_) - 1;
        acc_ |= uint64_t(code) << used_;
        used_ += width_;
        while (used_ >= 8) {
            bytes_.push_back(uint8_t(acc_));
            acc_ >>= 8;
            used_ -= 8;
        }
        if (code == clear_) {
            Reset();
            return;
        }
        if (!first_ && next_ < 4096) {
            ++next_;
            if (next_ == (1u << width_) && width_ < 12) ++width_;
        }
        first_ = false;
    }
    uint32_t next() const { return next_; }
    bool first() const { return first_; }
    uint32_t clear() const { return clear_; }
    std::vector<uint8_t> Bytes() {
        std::vector<uint8_t> out = bytes_;
        if (used_) out.push_back(uint8_t(acc_));
        out.resize(out.size() + 8, 0);
        return out;
    }

private:
    int mcs_;
    uint32_t clear_;
    uint32_t next_ = 0;
    int width_ = 0;
    bool first_ = true;
    std::vector<uint8_t> bytes_;
    uint64_t acc_ = 0;
    int used_ = 0;
};

TEST(GifLzw, FastDecoderAgreesWithReferenceOnEveryTableState) {
    uint32_t rng = 12345;
    auto rand = [&rng](uint32_t n) {
        rng = rng * 1664525u + 1013904223u;
        return (rng >> 8) % n;
    };
    for (int round = 0; round < 600; ++round) {
        const int mcs = 1 + round % 8;
        CodeStream s(mcs);
        const uint32_t clear = s.clear();
        const bool startWithClear = round % 3 != 0;  // some streams never clear first
        if (startWithClear) s.Put(clear);
        const int codes = 50 + int(rand(6000));  // long ones fill the table and go on at 12 bits
        for (int i = 0; i < codes; ++i) {
            const uint32_t r = rand(1000);
            if (r < 2 && round % 5 != 0) s.Put(clear);
            else if (r < 3 && round % 7 == 0) s.Put(s.next() + 1 + rand(3));  // past the table
            else if (s.first() || r < 400) s.Put(rand(clear));
            else s.Put(clear + 2 + rand(s.next() - clear - 1));  // table codes, `next` included
        }
        if (round % 2) s.Put(clear + 1);
        const std::vector<uint8_t> bytes = s.Bytes();
        const uint32_t tableSize = 1u << (round % 9);  // roots beyond it come out as 0
        const size_t pixels = round % 4 == 0 ? 1 + rand(5000) : 1u << 18;
        std::vector<uint8_t> fast(pixels + kLzwOutputSlack, 0xEE), ref(pixels, 0xEE);
        const size_t n1 = Lzw_Decode(bytes.data(), bytes.size() - 8, mcs, tableSize, fast.data(), pixels);
        const size_t n2 = Lzw_DecodeReference(bytes.data(), bytes.size() - 8, mcs, tableSize, ref.data(), pixels);
        ASSERT_EQ(n1, n2) << "round " << round;
        ASSERT_EQ(0, std::memcmp(fast.data(), ref.data(), n1)) << "round " << round;
        for (size_t i = 0; i < n1; ++i) ASSERT_LT(fast[i], tableSize < 256 ? tableSize : 256u);
    }
}

TEST(GifLzw, RefusesCodeSizesNoDecoderCanHold) {
    const uint8_t data[16] = {0xFF, 0xFF, 0xFF, 0xFF};
    uint8_t out[64 + kLzwOutputSlack];
    for (int mcs : {0, 9, 12, 255}) EXPECT_EQ(Lzw_Decode(data, 8, mcs, 256, out, 64), 0u) << mcs;
}

File SmallAnimation() {
    File f;
    f.width = 8;
    f.height = 6;
    f.globalTable = Table(4, 1);
    f.loop = 0;
    for (int i = 0; i < 3; ++i) {
        Frame fr;
        fr.left = uint16_t(i);
        fr.width = 6;
        fr.height = 5;
        fr.indexes = Noise(30, 4, uint32_t(i));
        fr.transparent = i;
        fr.disposal = i;
        fr.interlaced = i == 1;
        f.frames.push_back(fr);
    }
    return f;
}

struct Outcome {
    GifStatus still;
    int32_t frames;  // GifEntry_Info's count
};

Outcome DecodeAll(const std::vector<uint8_t> &bytes) {
    Outcome o;
    // Each input is decoded from a copy of exactly its size so ASan sees any
    // read past the end.
    std::vector<uint8_t> exact(bytes);
    const uint8_t *data = exact.empty() ? reinterpret_cast<const uint8_t *>("") : exact.data();
    Picture *p = nullptr;
    GifStillInfo still{};
    o.still = Gif_DecodeStill(data, exact.size(), &p, &still);
    FreePicture(p);
    GifInfo info;
    o.frames = GifEntry_Info(data, exact.size(), &info);
    if (o.frames > 0) {
        std::vector<GifFrameRecord> records(size_t(o.frames) + 1);
        const int32_t n = GifEntry_Frames(data, exact.size(), records.data(), o.frames + 1, nullptr);
        EXPECT_TRUE(n == 0 || n == o.frames);
        for (const auto &r : records) {
            if (r.picture) Handles_Delete(r.picture);
        }
    }
    return o;
}

TEST(GifHostile, EveryTruncationDecodesWhatIsThere) {
    const std::vector<uint8_t> whole = Build(SmallAnimation());
    const uint32_t live = Handles_LiveCount();
    int lastFrames = 0;
    for (size_t n = 0; n <= whole.size(); ++n) {
        const Outcome o = DecodeAll(std::vector<uint8_t>(whole.begin(), whole.begin() + long(n)));
        ASSERT_GE(o.frames, lastFrames) << n;  // more data never loses a frame
        ASSERT_LE(o.frames, 3);
        lastFrames = o.frames;
        if (o.frames > 0) {
            ASSERT_EQ(o.still, GifStatus::kOk) << n;
        }
    }
    EXPECT_EQ(lastFrames, 3);
    EXPECT_EQ(Handles_LiveCount(), live);
}

std::vector<uint8_t> Patched(std::vector<uint8_t> v, size_t at, std::vector<uint8_t> bytes) {
    if (at + bytes.size() > v.size()) v.resize(at + bytes.size());
    std::memcpy(v.data() + at, bytes.data(), bytes.size());
    return v;
}

// Offset of the first image descriptor in files from Build() with a
// global table of `entries` and no loop block.
size_t FirstImage(const File &f) {
    size_t at = 13 + f.globalTable.size();
    if (f.frames[0].disposal >= 0 || f.frames[0].transparent >= 0 || f.frames[0].delay) at += 8;
    return at;
}

File OneFrame(uint16_t w, uint16_t h, size_t tableEntries) {
    File f;
    f.width = w;
    f.height = h;
    f.globalTable = Table(tableEntries, 1);
    Frame fr;
    fr.width = w;
    fr.height = h;
    fr.indexes = Noise(size_t(w) * h, uint32_t(tableEntries ? tableEntries : 2), 7);
    f.frames = {fr};
    return f;
}

TEST(GifHostile, DamagedFilesTable) {
    const File base = OneFrame(16, 8, 16);
    const std::vector<uint8_t> good = Build(base);
    const size_t image = FirstImage(base);
    const size_t codeSize = image + 10;

    File noTable = OneFrame(5, 5, 0);
    File hugeScreen = OneFrame(4, 4, 4);
    hugeScreen.width = 65535;
    hugeScreen.height = 65535;
    std::vector<uint8_t> manyFrames = Build(OneFrame(2, 2, 2));
    manyFrames.pop_back();  // trailer
    const size_t oneFrameAt = FirstImage(OneFrame(2, 2, 2));
    const std::vector<uint8_t> frameBytes(manyFrames.begin() + long(oneFrameAt), manyFrames.end());
    for (int i = 0; i < 3000; ++i) manyFrames.insert(manyFrames.end(), frameBytes.begin(), frameBytes.end());

    struct Case {
        const char *name;
        std::vector<uint8_t> bytes;
        GifStatus still;
        int32_t frames;
    } cases[] = {
        {"empty", {}, GifStatus::kNotGif, 0},
        {"signature only", {'G', 'I', 'F', '8', '9', 'a'}, GifStatus::kNotGif, 0},
        {"not a GIF", Patched(good, 0, {'P', 'N', 'G'}), GifStatus::kNotGif, 0},
        {"global table cut", std::vector<uint8_t>(good.begin(), good.begin() + 30), GifStatus::kNotGif, 0},
        {"no frames", std::vector<uint8_t>(good.begin(), good.begin() + long(image)), GifStatus::kNotGif, 0},
        {"trailer before frames", Patched(good, image, {0x3B}), GifStatus::kNotGif, 0},
        {"unknown block after the frame", Patched(good, good.size() - 1, {0x99, 0x2C, 0, 0}), GifStatus::kOk, 1},
        {"code size 0", Patched(good, codeSize, {0}), GifStatus::kOk, 1},
        {"code size 9", Patched(good, codeSize, {9}), GifStatus::kOk, 1},
        {"code size 12", Patched(good, codeSize, {12}), GifStatus::kOk, 1},
        {"code size 1", Patched(good, codeSize, {1}), GifStatus::kOk, 1},
        {"no data at all", Patched(good, codeSize + 1, {0, 0x3B}), GifStatus::kOk, 1},
        {"sub-block length past the end", Patched(good, codeSize + 1, {255}), GifStatus::kOk, 1},
        {"frame claims 65535 x 65535", Patched(good, image + 5, {0xFF, 0xFF, 0xFF, 0xFF}), GifStatus::kTooLarge, 1},
        {"screen claims 65535 x 65535", Build(hugeScreen), GifStatus::kTooLarge, 1},
        {"no colour table anywhere", Build(noTable), GifStatus::kOk, 1},
        {"extension cut short", Patched(std::vector<uint8_t>(good.begin(), good.begin() + long(image)), image,
                                        {0x21, 0xF9, 4, 1}), GifStatus::kNotGif, 0},
        {"loop block cut short", Patched(std::vector<uint8_t>(good.begin(), good.begin() + long(image)), image,
                                         {0x21, 0xFF, 11, 'N', 'E', 'T', 'S'}), GifStatus::kNotGif, 0},
        {"3001 frames", manyFrames, GifStatus::kOk, 3001},
    };
    const uint32_t live = Handles_LiveCount();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome o = DecodeAll(c.bytes);
        EXPECT_EQ(o.still, c.still);
        EXPECT_EQ(o.frames, c.frames);
    }
    EXPECT_EQ(Handles_LiveCount(), live);
}

TEST(GifHostile, IndexesPastTheTableBecomeZeroAndRampStandsInForAMissingTable) {
    // Codes of 8 bits over a table of 4: the roots 4..255 must not reach a
    // 4-bit picture as they are.
    File f = OneFrame(6, 1, 4);
    std::vector<uint8_t> bytes = Build(f);
    const size_t codeSize = FirstImage(f) + 10;
    const std::vector<uint8_t> idx = {1, 200, 3, 17, 255, 2};
    ByteBuffer lzw;
    ASSERT_TRUE(Lzw_Encode(idx.data(), idx.size(), 8, false, &lzw));
    bytes.resize(codeSize);
    bytes.push_back(8);
    bytes.insert(bytes.end(), lzw.data(), lzw.data() + lzw.size());
    bytes.push_back(0x3B);
    Picture *p = nullptr;
    ASSERT_EQ(Gif_DecodeStill(bytes.data(), bytes.size(), &p, nullptr), GifStatus::kOk);
    PictureOwner own(p);
    ASSERT_EQ(p->data.header->biBitCount, 4);
    const uint32_t want[] = {1, 0, 3, 0, 0, 2};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(IndexAt(*p, x, 0), want[x]) << x;

    File bare = OneFrame(5, 5, 0);
    const std::vector<uint8_t> noTable = Build(bare);
    ASSERT_EQ(Gif_DecodeStill(noTable.data(), noTable.size(), &p, nullptr), GifStatus::kOk);
    own.Reset(p);
    EXPECT_EQ(PaletteSize(*p), 4u);  // code size 2: a ramp of four greys
    EXPECT_EQ(PaletteOf(*p)[3].red, 255);
    EXPECT_EQ(PaletteOf(*p)[1].green, 85);
}

TEST(GifHostile, CutFrameKeepsTheRowsItHas) {
    const File f = OneFrame(50, 40, 256);
    std::vector<uint8_t> bytes = Build(f);
    bytes.resize(bytes.size() / 2);
    Picture *p = nullptr;
    ASSERT_EQ(Gif_DecodeStill(bytes.data(), bytes.size(), &p, nullptr), GifStatus::kOk);
    PictureOwner own(p);
    int intact = 0;
    for (int y = 0; y < 40; ++y) {
        bool same = true;
        for (int x = 0; x < 50; ++x) same = same && IndexAt(*p, x, y) == f.frames[0].indexes[size_t(y * 50 + x)];
        if (!same) break;
        ++intact;
    }
    EXPECT_GT(intact, 10);
    EXPECT_LT(intact, 40);
    for (int x = 0; x < 50; ++x) EXPECT_EQ(IndexAt(*p, x, 39), 0u);
}

}  // namespace
