// GIF writer and reader: round trips at every depth, width and mode; the
// records at their exact offsets; frames with offsets, tables and control
// blocks as the animation code receives them.
#include "gif_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gif_entry.h"
#include "gif_test_support.h"
#include "handles.h"

using namespace dibcore;
using namespace giftest;

namespace {

struct Decoded {
    PictureOwner picture;
    GifStillInfo info{};
};

void DecodeStill(const uint8_t *data, size_t size, Decoded *out) {
    Picture *p = nullptr;
    out->info.flags = kGifStillPreset;
    ASSERT_EQ(Gif_DecodeStill(data, size, &p, &out->info), GifStatus::kOk);
    out->picture.Reset(p);
}

Picture *MakePicture(int width, int height, int bpp, uint32_t colours, uint32_t seed) {
    std::vector<DibRgbQuad> palette(colours);
    for (uint32_t i = 0; i < colours; ++i)
        palette[i] = DibRgbQuad{uint8_t(i * 7 + seed), uint8_t(255 - i), uint8_t(i * 13), 0};
    Picture *p = NewSimplePicture(width, height, bpp, colours, palette.data());
    const int rows = height < 0 ? -height : height;
    const std::vector<uint8_t> px = Noise(size_t(width) * rows, colours, seed);
    for (int y = 0; y < rows; ++y) {
        uint8_t *row = RowFromTop(*p, y);
        for (int x = 0; x < width; ++x) {
            const uint8_t v = px[size_t(y) * width + x];
            if (bpp == 8)
                row[x] = v;
            else if (bpp == 4)
                row[x >> 1] |= (x & 1) ? v : uint8_t(v << 4);
            else
                row[x >> 3] |= uint8_t(v << (7 - (x & 7)));
        }
    }
    return p;
}

TEST(GifRoundTrip, PixelsAndPaletteComeBackAtEveryDepthWidthAndMode) {
    struct Depth {
        int bpp;
        uint32_t colours;
    };
    // Palettes whose size GIF can state exactly; the depth a reader picks
    // follows the table size, so each size here maps back to its own depth.
    const Depth depths[] = {{1, 2}, {4, 16}, {4, 4}, {4, 8}, {8, 256}, {8, 32}, {8, 128}};
    const int widths[] = {1, 3, 33};
    const int heights[] = {1, 7, 18, -9};  // negative: a top-down source
    const uint32_t modes[] = {0, kGifSaveInterlace, kGifSaveUncompressed, kGifSaveInterlace | kGifSaveUncompressed};
    for (const Depth &d : depths)
        for (int w : widths)
            for (int h : heights)
                for (uint32_t mode : modes) {
                    SCOPED_TRACE(testing::Message() << "bpp " << d.bpp << " colours " << d.colours << " " << w << "x"
                                                    << h << " mode " << mode);
                    PictureOwner src(MakePicture(w, h, d.bpp, d.colours, uint32_t(w * 31 + h + mode)));
                    GifSaveOptions options{};
                    options.flags = mode;
                    ByteBuffer file;
                    ASSERT_EQ(Gif_Encode(*src.get(), options, &file), GifStatus::kOk);
                    Decoded back;
                    DecodeStill(file.data(), file.size(), &back);
                    const Picture &p = *back.picture.get();
                    ASSERT_EQ(p.data.header->biBitCount, d.bpp);
                    ASSERT_EQ(Width(p), w);
                    ASSERT_EQ(Height(p), h < 0 ? -h : h);
                    ASSERT_EQ(PaletteSize(p), d.colours);
                    ASSERT_EQ(0, std::memcmp(PaletteOf(p), PaletteOf(*src.get()), d.colours * 4));
                    for (int y = 0; y < Height(p); ++y)
                        for (int x = 0; x < w; ++x)
                            ASSERT_EQ(IndexAt(p, x, y), IndexAt(*src.get(), x, y)) << x << "," << y;
                    EXPECT_EQ(back.info.flags & kGifStillTransparent, 0u);
                }
}

TEST(GifRoundTrip, LargeAndRepetitiveContentSurvivesTableResets) {
    // Long runs and a 1000 x 300 noise block drive the encoder through many
    // full tables and clears; both must decode to the same pixels.
    for (int pattern = 0; pattern < 2; ++pattern) {
        PictureOwner src(MakePicture(1000, 300, 8, 256, 5));
        if (pattern == 1)
            for (int y = 0; y < 300; ++y) std::memset(RowFromTop(*src.get(), y), y / 7, 1000);
        ByteBuffer file;
        ASSERT_EQ(Gif_Encode(*src.get(), GifSaveOptions{}, &file), GifStatus::kOk);
        Decoded back;
        DecodeStill(file.data(), file.size(), &back);
        for (int y = 0; y < 300; ++y)
            ASSERT_EQ(0, std::memcmp(RowFromTop(*back.picture.get(), y), RowFromTop(*src.get(), y), 1000)) << y;
    }
}

TEST(GifRoundTrip, PaletteIsPaddedToCoverEveryIndexUsed) {
    // Five colours go out as a table of eight; an index past the palette
    // widens the table so a reader keeps the pixel.
    PictureOwner src(MakePicture(9, 4, 8, 5, 1));
    RowFromTop(*src.get(), 0)[0] = 40;
    ByteBuffer file;
    ASSERT_EQ(Gif_Encode(*src.get(), GifSaveOptions{}, &file), GifStatus::kOk);
    Decoded back;
    DecodeStill(file.data(), file.size(), &back);
    EXPECT_EQ(PaletteSize(*back.picture.get()), 64u);
    EXPECT_EQ(0, std::memcmp(PaletteOf(*back.picture.get()), PaletteOf(*src.get()), 5 * 4));
    EXPECT_EQ(IndexAt(*back.picture.get(), 0, 0), 40u);
}

TEST(GifRoundTrip, TransparencyIsWrittenAndReported) {
    PictureOwner src(MakePicture(5, 5, 4, 16, 3));
    GifSaveOptions options{};
    options.flags = 0x20008;
    options.transparentIndex = 11;
    ByteBuffer file;
    ASSERT_EQ(Gif_Encode(*src.get(), options, &file), GifStatus::kOk);
    EXPECT_EQ(0, std::memcmp(file.data(), "GIF89a", 6));
    Decoded back;
    DecodeStill(file.data(), file.size(), &back);
    EXPECT_EQ(back.info.flags, kGifStillPreset | kGifStillTransparent | kGifStillBackground);
    EXPECT_EQ(back.info.transparentIndex, 11u);
}

TEST(GifRoundTrip, WriterRefusesWhatGifCannotHold) {
    const uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
    PictureOwner deep[] = {PictureOwner(NewSimplePicture(4, 4, 24, 0, nullptr)),
                           PictureOwner(NewSimplePicture(4, 4, 16, 0, nullptr, masks)),
                           PictureOwner(NewSimplePicture(4, 4, 32, 0, nullptr))};
    for (auto &p : deep) {
        ByteBuffer file;
        EXPECT_EQ(Gif_Encode(*p.get(), GifSaveOptions{}, &file), GifStatus::kBadPicture);
    }
    PictureOwner rle(MakePicture(4, 4, 8, 256, 1));
    rle->data.header->biCompression = kDibRle8;
    ByteBuffer file;
    EXPECT_EQ(Gif_Encode(*rle.get(), GifSaveOptions{}, &file), GifStatus::kBadPicture);
}

// A three-frame animation with everything the frame records carry.
File Animation() {
    File f;
    f.width = 40;
    f.height = 30;
    f.globalTable = Table(16, 1);
    f.background = 3;
    f.loop = 7;
    Frame a;
    a.width = 40;
    a.height = 30;
    a.indexes = Noise(40 * 30, 16, 1);
    a.delay = 12;
    a.disposal = 1;
    Frame b;
    b.left = 5;
    b.top = 6;
    b.width = 11;
    b.height = 9;
    b.localTable = Table(256, 2);
    b.indexes = Noise(11 * 9, 256, 2);
    b.transparent = 200;
    b.disposal = 2;
    b.delay = 3;
    b.interlaced = true;
    Frame c;
    c.left = 30;
    c.top = 25;
    c.width = 20;  // runs past the screen
    c.height = 2;
    c.localTable = Table(2, 3);
    c.indexes = Noise(40, 2, 3);
    c.disposal = 3;
    c.uncompressed = true;
    f.frames = {a, b, c};
    return f;
}

template <typename T>
T At(const void *record, size_t offset) {
    T v;
    std::memcpy(&v, static_cast<const uint8_t *>(record) + offset, sizeof v);
    return v;
}

TEST(GifRecords, InfoFieldsSitAtTheirOffsets) {
    const std::vector<uint8_t> file = Build(Animation());
    uint8_t raw[sizeof(GifInfo)];
    std::memset(raw, 0xCC, sizeof raw);
    ASSERT_EQ(GifEntry_Info(file.data(), file.size(), reinterpret_cast<GifInfo *>(raw)), 3);
    EXPECT_EQ(At<int32_t>(raw, 0), 3);
    EXPECT_EQ(At<uint16_t>(raw, 4), 40);
    EXPECT_EQ(At<uint16_t>(raw, 6), 30);
    EXPECT_EQ(At<int32_t>(raw, 8), 40);
    EXPECT_EQ(At<int32_t>(raw, 12), 30);
    EXPECT_EQ(At<uint16_t>(raw, 16), 7);
    EXPECT_EQ(At<uint16_t>(raw, 18), 3);
    const std::vector<uint8_t> t = Table(16, 1);
    EXPECT_EQ(At<uint32_t>(raw, 20), uint32_t(t[9] | t[10] << 8 | t[11] << 16));
    EXPECT_EQ(raw[24], 0);
    EXPECT_EQ(raw[25], 1);
    for (int i = 26; i < 32; ++i) EXPECT_EQ(raw[i], 0) << i;
}

TEST(GifRecords, ScreenOfZeroTakesTheFramesExtentAndNoBackgroundWithoutGlobalTable) {
    File f;
    f.width = 0;
    f.height = 0;
    Frame a;
    a.left = 3;
    a.top = 2;
    a.width = 5;
    a.height = 4;
    a.localTable = Table(4, 1);
    a.indexes = Noise(20, 4, 1);
    f.frames = {a};
    const std::vector<uint8_t> file = Build(f);
    GifInfo info;
    ASSERT_EQ(GifEntry_Info(file.data(), file.size(), &info), 1);
    EXPECT_EQ(info.screenWidth, 0);
    EXPECT_EQ(info.width, 8);
    EXPECT_EQ(info.height, 6);
    EXPECT_EQ(info.backgroundIndex, kGifNoIndex);
    EXPECT_EQ(info.loopFlag, 0);
}

TEST(GifRecords, FrameRecordsSitAtTheirOffsetsAndOwnTheirPictures) {
    const std::vector<uint8_t> file = Build(Animation());
    const uint32_t live = Handles_LiveCount();
    uint8_t raw[4 * sizeof(GifFrameRecord)];
    std::memset(raw, 0xCC, sizeof raw);
    GifInfo info;
    ASSERT_EQ(GifEntry_Frames(file.data(), file.size(), reinterpret_cast<GifFrameRecord *>(raw), 4, &info), 3);
    EXPECT_EQ(info.frameCount, 3);
    EXPECT_EQ(Handles_LiveCount(), live + 3);
    struct Want {
        uint16_t left, top, delay, transparent;
        uint8_t disposal;
        int bpp, width, height;
    } want[] = {
        {0, 0, 12, kGifNoIndex, 1, 4, 40, 30}, {5, 6, 3, 200, 2, 8, 11, 9}, {30, 25, 0, kGifNoIndex, 3, 1, 20, 2}};
    const File source = Animation();
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const uint8_t *r = raw + i * 16;
        EXPECT_EQ(At<uint16_t>(r, 4), want[i].left);
        EXPECT_EQ(At<uint16_t>(r, 6), want[i].top);
        EXPECT_EQ(At<uint16_t>(r, 8), want[i].delay);
        EXPECT_EQ(At<uint16_t>(r, 10), want[i].transparent);
        EXPECT_EQ(r[12], want[i].disposal);
        EXPECT_EQ(r[13] | r[14] | r[15], 0);
        Picture *p = Handles_Get(At<int32_t>(r, 0));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->data.header->biBitCount, want[i].bpp);
        EXPECT_EQ(Width(*p), want[i].width);
        EXPECT_EQ(Height(*p), want[i].height);
        const Frame &sf = source.frames[size_t(i)];
        for (int y = 0; y < sf.height; ++y)
            for (int x = 0; x < sf.width; ++x) ASSERT_EQ(IndexAt(*p, x, y), sf.indexes[size_t(y * sf.width + x)]);
    }
    EXPECT_EQ(At<int32_t>(raw + 48, 0), 0);  // the fourth record stays empty
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(Handles_Delete(At<int32_t>(raw + i * 16, 0)));
    EXPECT_EQ(Handles_LiveCount(), live);
}

TEST(GifRecords, FewerRecordsThanFramesDecodesTheFirstOnes) {
    const std::vector<uint8_t> file = Build(Animation());
    GifFrameRecord one[1];
    ASSERT_EQ(GifEntry_Frames(file.data(), file.size(), one, 1, nullptr), 1);
    Picture *p = Handles_Get(one[0].picture);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(Width(*p), 40);
    Handles_Delete(one[0].picture);
}

TEST(GifRecords, FailurePartWayLeavesNoHandleAndEmptyRecords) {
    // The third frame claims far more than its data could fill: the whole
    // call fails and the first two frames' pictures are released.
    File f = Animation();
    f.frames[2].width = 65000;
    f.frames[2].height = 60000;
    std::vector<uint8_t> file = Build(f);
    const uint32_t live = Handles_LiveCount();
    GifFrameRecord records[3];
    std::memset(records, 0xCC, sizeof records);
    EXPECT_EQ(GifEntry_Frames(file.data(), file.size(), records, 3, nullptr), 0);
    EXPECT_EQ(Handles_LiveCount(), live);
    for (const auto &r : records) EXPECT_EQ(r.picture, 0);
}

TEST(GifRecords, StillInfoAndScreenComposition) {
    // The first frame sits inside a larger screen: the still is the screen,
    // the frame at its place, and the rest the transparent index.
    File f;
    f.width = 12;
    f.height = 10;
    f.globalTable = Table(4, 9);
    f.background = 2;
    Frame a;
    a.left = 4;
    a.top = 3;
    a.width = 10;  // clipped at the right edge
    a.height = 4;
    a.indexes = Noise(40, 3, 4);
    a.transparent = 3;
    f.frames = {a};
    const std::vector<uint8_t> file = Build(f);
    uint8_t raw[sizeof(GifStillInfo)];
    std::memset(raw, 0xCC, sizeof raw);
    const uint32_t preset = kGifStillPreset;
    std::memcpy(raw, &preset, 4);
    const DibHandle h = GifEntry_Still(file.data(), file.size(), reinterpret_cast<GifStillInfo *>(raw));
    ASSERT_NE(h, 0);
    EXPECT_EQ(At<uint32_t>(raw, 0), kGifStillPreset | kGifStillTransparent | kGifStillBackground);
    EXPECT_EQ(At<uint32_t>(raw, 4), 3u);
    const std::vector<uint8_t> t = Table(4, 9);
    EXPECT_EQ(At<uint32_t>(raw, 8), uint32_t(t[6] | t[7] << 8 | t[8] << 16));
    for (size_t i = 12; i < 28; ++i) EXPECT_EQ(raw[i], 0) << i;
    const Picture &p = *Handles_Get(h);
    ASSERT_EQ(Width(p), 12);
    ASSERT_EQ(Height(p), 10);
    EXPECT_EQ(p.data.header->biBitCount, 4);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inside = x >= 4 && y >= 3 && y < 7;
            const uint32_t want = inside ? a.indexes[size_t((y - 3) * 10 + x - 4)] : 3u;
            ASSERT_EQ(IndexAt(p, x, y), want) << x << "," << y;
        }
    Handles_Delete(h);
}

TEST(GifRecords, FailedCallsZeroTheirRecords) {
    const uint8_t junk[] = {'G', 'I', 'X', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B};
    GifStillInfo still;
    std::memset(&still, 0xCC, sizeof still);
    EXPECT_EQ(GifEntry_Still(junk, sizeof junk, &still), 0);
    EXPECT_EQ(still.flags | still.transparentIndex | still.background, 0u);
    GifInfo info;
    std::memset(&info, 0xCC, sizeof info);
    EXPECT_EQ(GifEntry_Info(junk, sizeof junk, &info), 0);
    EXPECT_EQ(info.frameCount, 0);
    EXPECT_EQ(info.width, 0);
}

}  // namespace
