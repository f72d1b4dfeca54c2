// The hand-over block between two instances: writing, cutting long lists,
// and a reader that stays inside the block whatever it holds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/arg_block.h"
#include "other/qv_HandOverBlock.h"

namespace {

using U16 = std::u16string;

using Args = ArgBlockT<char16_t>;

struct Decoded {
    U16 dir;
    int32_t count = 0;
    std::vector<U16> args;
};

Decoded Decode(const std::vector<uint8_t> &block) {
    // The receiver's copy: the block and zeroed slack behind it; reads are
    // bounded by the block's own size.
    alignas(8) std::vector<uint8_t> copy(block);
    copy.resize(block.size() + kHandOverCopySlack, 0);
    HandOverView<char16_t> view{};
    std::vector<const char16_t *> args(block.size());
    Decoded d;
    if (!HandOver_Read(copy.data(), block.size(), &view, args.data(), int(args.size()))) return d;
    d.dir = view.dir;
    d.count = view.count;
    for (int i = 0; i < view.found; ++i) d.args.emplace_back(args[i]);
    return d;
}

TEST(HandOverBlock, WholeListRoundTrip) {
    std::vector<uint8_t> block(kHandOverBytesW, 0xCC);
    HandOver_InitBlock(block.data(), block.size());
    const Args a({u"C:\\Q\\Quivelta.exe", u"pic one.jpg", u"/slide"});
    ASSERT_EQ(HandOver_Write(block.data(), block.size(), u"D:\\Photos", a.buffer.data(), a.bytes(), a.argv.data(),
                             a.argc()),
              1);
    const Decoded d = Decode(block);
    EXPECT_EQ(d.dir, u"D:\\Photos");
    EXPECT_EQ(d.count, 3);
    EXPECT_EQ(d.args, (std::vector<U16>{u"C:\\Q\\Quivelta.exe", u"pic one.jpg", u"/slide"}));
}

TEST(HandOverBlock, ProgramPathAloneAndNoArguments) {
    std::vector<uint8_t> block(kHandOverBytesW, 0);
    const Args only({u"Quivelta.exe"});
    EXPECT_EQ(HandOver_Write(block.data(), block.size(), u"C:\\", only.buffer.data(), only.bytes(),
                             only.argv.data(), 1),
              1);
    EXPECT_EQ(Decode(block).count, 0);
    EXPECT_EQ(HandOver_Write<char16_t>(block.data(), block.size(), u"C:\\", nullptr, 0, nullptr, 0), 0);
}

TEST(HandOverBlock, LongDirectoryIsSentEmpty) {
    std::vector<uint8_t> block(kHandOverBytesW, 0);
    const U16 longDir(261, u'd');
    const Args a({u"q.exe", u"x.png"});
    HandOver_Write(block.data(), block.size(), longDir.c_str(), a.buffer.data(), a.bytes(), a.argv.data(), a.argc());
    Decoded d = Decode(block);
    EXPECT_EQ(d.dir, u"");
    EXPECT_EQ(d.args, (std::vector<U16>{u"q.exe", u"x.png"}));
    const U16 fits(260, u'd');
    HandOver_Write(block.data(), block.size(), fits.c_str(), a.buffer.data(), a.bytes(), a.argv.data(), a.argc());
    EXPECT_EQ(Decode(block).dir, fits);
}

TEST(HandOverBlock, ThreeHundredFilesAreCutInOrder) {
    std::vector<U16> list{u"C:\\Q\\Quivelta.exe", u"/newwnd", u"/user=bob", u""};
    for (int i = 0; i < 300; ++i) list.push_back(u"C:\\pics\\picture_" + U16(1, char16_t(u'A' + i % 26)) + u".jpg");
    const Args a(list);
    std::vector<uint8_t> block(kHandOverBytesW, 0);
    ASSERT_GT(a.bytes(), block.size());
    ASSERT_EQ(HandOver_Write(block.data(), block.size(), u"C:\\pics", a.buffer.data(), a.bytes(), a.argv.data(),
                             a.argc()),
              1);
    const Decoded d = Decode(block);
    ASSERT_GE(d.args.size(), 2u);
    EXPECT_EQ(d.args[0], u"");  // the cut list has no program path
    EXPECT_EQ(size_t(d.count), d.args.size());
    for (size_t i = 1; i < d.args.size(); ++i) EXPECT_EQ(d.args[i], list[3 + i]) << i;  // switches dropped
    // Everything written stays inside the block.
    const size_t header = 4 + 2 * (std::char_traits<char16_t>::length(u"C:\\pics") + 1) + 4;
    size_t used = header;
    for (const auto &s : d.args) used += 2 * (s.size() + 1);
    EXPECT_LE(used + 2, block.size());
    EXPECT_GT(used + 2 * 30, block.size());  // and the room was used
}

TEST(HandOverBlock, AnsiBlockUsesItsOwnSize) {
    std::vector<uint8_t> block(kHandOverBytesA + 64, 0xEE);  // guard bytes behind
    std::vector<std::string> list{"q.exe"};
    for (int i = 0; i < 400; ++i) list.push_back("file" + std::to_string(i) + ".bmp");
    std::vector<char> buffer;
    std::vector<const char *> argv;
    for (auto &s : list) buffer.insert(buffer.end(), s.c_str(), s.c_str() + s.size() + 1);
    size_t at = 0;
    for (auto &s : list) argv.push_back(buffer.data() + at), at += s.size() + 1;
    argv.push_back(nullptr);
    ASSERT_EQ(HandOver_Write(block.data(), kHandOverBytesA, "C:\\", buffer.data(), buffer.size(), argv.data(),
                             int(list.size())),
              1);
    for (size_t i = kHandOverBytesA; i < block.size(); ++i) ASSERT_EQ(block[i], 0xEE) << i;
    std::vector<const char *> args(kHandOverBytesA);
    HandOverView<char> view{};
    std::vector<uint8_t> copy(block.begin(), block.begin() + kHandOverBytesA);
    copy.resize(kHandOverBytesA + kHandOverCopySlack, 0);
    ASSERT_EQ(HandOver_Read(copy.data(), copy.size(), &view, args.data(), int(args.size())), 1);
    EXPECT_STREQ(view.dir, "C:\\");
    EXPECT_STREQ(args[0], "");
    EXPECT_STREQ(args[1], "file0.bmp");
    EXPECT_EQ(view.found, view.count);
}

TEST(HandOverBlock, ReaderStaysInsideAHostileBlock) {
    // A count far beyond what the block holds, texts without an end, and a
    // directory without its zero: the reader finds only what ends inside.
    std::vector<uint8_t> block(64, 0);
    HandOver_InitBlock(block.data(), block.size());
    const uint8_t count[4] = {0xFF, 0xFF, 0xFF, 0x7F};
    std::memcpy(block.data() + 6, count, 4);
    for (size_t i = 10; i < block.size(); ++i) block[i] = 'x';
    HandOverView<char16_t> view{};
    const char16_t *args[64];
    ASSERT_EQ(HandOver_Read(block.data(), block.size(), &view, args, 64), 1);
    EXPECT_EQ(view.count, 0x7FFFFFFF);
    EXPECT_EQ(view.found, 0);

    std::vector<uint8_t> noDirEnd(600, 'z');  // 261 units and no zero
    EXPECT_EQ(HandOver_Read(noDirEnd.data(), noDirEnd.size(), &view, args, 64), 0);
    std::vector<uint8_t> tiny(6, 0);
    EXPECT_EQ(HandOver_Read(tiny.data(), tiny.size(), &view, args, 64), 0);
}

TEST(HandOverBlock, ReceiverIsSignExtendedBack) {
    std::vector<uint8_t> block(kHandOverBytesW, 0);
    struct Case {
        uint64_t handle, want;
    } cases[] = {
        {0x00010203u, 0x00010203u},
        {0xFFFFFFFFFFFF8001ull, 0xFFFFFFFFFFFF8001ull},  // a "negative" handle survives
        {0x80000000u, 0xFFFFFFFF80000000ull},
        {0, 0},
    };
    for (const auto &k : cases) {
        HandOver_StoreReceiver(block.data(), k.handle);
        EXPECT_EQ(HandOver_LoadReceiver(block.data()), k.want);
    }
}

}  // namespace
