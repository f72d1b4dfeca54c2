// The pending list of files to open: which handed-over arguments are taken
// (bounded by the bytes they came in), switches as empty items, relative
// paths resolved against the sender's folder; and the dropped-file block
// reader, which refuses any block whose names do not end inside it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/arg_block.h"
#include "image/qv_DropListCore.h"

namespace {

using U16 = std::u16string;

using ArgBlock = ArgBlockT<char16_t>;

struct Received {
    int filled = 0;
    std::vector<U16> items;
    bool closed = false;  // the item after the last is empty
};

Received Receive(const ArgBlock &a, uint64_t bytes, const char16_t *dir) {
    Received r;
    DropArgsPlan plan{};
    r.filled = DropArgs_Measure(a.argv.data(), a.argc(), bytes, dir, &plan);
    if (!r.filled) return r;
    std::vector<char16_t> names(plan.units, u'#');
    std::vector<char16_t *> items(size_t(plan.taken) + 1);
    const uint64_t used = DropArgs_Copy(a.argv.data(), plan, dir, names.data(), items.data());
    EXPECT_LE(used, plan.units);
    for (int32_t i = 0; i < plan.taken; ++i) r.items.emplace_back(items[i]);
    r.closed = items[plan.taken][0] == 0;
    return r;
}

TEST(DropArgs, TakesSwitchesResolvesAndBounds) {
    const ArgBlock a({u"C:\\Q\\Quivelta.exe", u"/slide", u"pic.jpg", u"D:\\abs\\x.png", u"..\\up.gif", u"",
                      u"\\\\srv\\share\\y.jpg"});
    struct Case {
        const char *what;
        uint64_t bytes;
        const char16_t *dir;
        int filled;
        std::vector<U16> items;
    };
    const uint64_t all = a.bytes();
    const uint64_t throughPic = (18 + 7 + 8) * 2;  // program, "/slide", "pic.jpg" with their zeros
    const Case cases[] = {
        {"whole, resolved", all, u"E:\\cur\\dir", 1,
         {u"", u"E:\\cur\\dir\\pic.jpg", u"D:\\abs\\x.png", u"E:\\cur\\up.gif", u"", u"\\\\srv\\share\\y.jpg"}},
        {"no folder: copied as they are", all, u"", 1,
         {u"", u"pic.jpg", u"D:\\abs\\x.png", u"..\\up.gif", u"", u"\\\\srv\\share\\y.jpg"}},
        {"null folder", all, nullptr, 1,
         {u"", u"pic.jpg", u"D:\\abs\\x.png", u"..\\up.gif", u"", u"\\\\srv\\share\\y.jpg"}},
        {"a folder with too few levels: copied", all, u"E:\\", 1,
         {u"", u"E:\\pic.jpg", u"D:\\abs\\x.png", u"..\\up.gif", u"", u"\\\\srv\\share\\y.jpg"}},
        {"only what fits the bytes", throughPic, u"E:\\d", 1, {u"", u"E:\\d\\pic.jpg"}},
        {"one unit short of pic.jpg's zero", throughPic - 1, u"E:\\d", 0, {}},
        {"fewer than 3 bytes", 2, u"E:\\d", 0, {}},
        {"program path does not end in the bytes", 10, u"E:\\d", 0, {}},
    };
    for (const Case &c : cases) {
        const Received r = Receive(a, c.bytes, c.dir);
        EXPECT_EQ(r.filled, c.filled) << c.what;
        EXPECT_EQ(r.items, c.items) << c.what;
        if (r.filled) EXPECT_TRUE(r.closed) << c.what;
    }
}

TEST(DropArgs, NothingWithoutAFile) {
    const std::vector<std::vector<U16>> lists = {
        {u"Quivelta.exe"},
        {u"Quivelta.exe", u"/slide", u"/newwnd", u"/user=me"},
        {u"Quivelta.exe", u"", u"/blank"},
    };
    for (const auto &list : lists) {
        const ArgBlock a(list);
        DropArgsPlan plan{};
        EXPECT_EQ(DropArgs_Measure(a.argv.data(), a.argc(), a.bytes(), u"C:\\", &plan), 0) << list.size();
        EXPECT_EQ(plan.files, 0);
    }
    DropArgsPlan plan{};
    EXPECT_EQ(DropArgs_Measure<char16_t>(nullptr, 3, 100, nullptr, &plan), 0);
}

TEST(DropArgs, AnsiTextAndNullEndsTheList) {
    std::vector<char> buffer = {'q', '.', 'e', 'x', 'e', 0, 'a', '.', 'j', 'p', 'g', 0, 'b', 0};
    const char *argv[] = {buffer.data(), buffer.data() + 6, nullptr, buffer.data() + 12};
    DropArgsPlan plan{};
    ASSERT_EQ(DropArgs_Measure<char>(argv, 4, buffer.size(), "C:\\p", &plan), 1);
    EXPECT_EQ(plan.taken, 1);
    std::vector<char> names(plan.units);
    char *items[2];
    DropArgs_Copy<char>(argv, plan, "C:\\p", names.data(), items);
    EXPECT_STREQ(items[0], "C:\\p\\a.jpg");
    EXPECT_STREQ(items[1], "");
}

// A DROPFILES block: head, then the names, each with its zero, and a closing
// empty name.
std::vector<uint8_t> DropBlock(const std::vector<U16> &names, bool wide, uint32_t offset = 20, int x = 7,
                               int y = 9) {
    std::vector<uint8_t> b(offset, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
    };
    put32(0, offset);
    put32(4, uint32_t(x));
    put32(8, uint32_t(y));
    put32(16, wide ? 1 : 0);
    for (const auto &n : names) {
        for (char16_t c : n) {
            b.push_back(uint8_t(c));
            if (wide) b.push_back(uint8_t(c >> 8));
        }
        b.push_back(0);
        if (wide) b.push_back(0);
    }
    b.push_back(0);
    if (wide) b.push_back(0);
    return b;
}

TEST(DropBlock, ScansOnlyBlocksThatEndInside) {
    struct Case {
        const char *what;
        std::vector<uint8_t> block;
        size_t cut;  // bytes taken away from the end
        int ok;
        int32_t count;
        uint64_t units;
    };
    const std::vector<U16> two = {u"C:\\a.jpg", u"D:\\b"};
    std::vector<uint8_t> badOffset = DropBlock(two, true);
    badOffset[0] = 8;  // names inside the head
    std::vector<uint8_t> pastEnd = DropBlock(two, true);
    pastEnd[0] = uint8_t(pastEnd.size());
    const Case cases[] = {
        {"wide", DropBlock(two, true), 0, 1, 2, 9 + 5},
        {"bytes", DropBlock(two, false), 0, 1, 2, 9 + 5},
        {"names further on", DropBlock(two, true, 24), 0, 1, 2, 14},
        {"no names", DropBlock({}, true), 0, 1, 0, 0},
        {"closing name missing", DropBlock(two, true), 2, 0, 0, 0},
        {"last name cut", DropBlock(two, true), 4, 0, 0, 0},
        {"odd byte of a wide unit", DropBlock(two, true), 1, 0, 0, 0},
        {"bytes, closing missing", DropBlock(two, false), 1, 0, 0, 0},
        {"names inside the head", badOffset, 0, 0, 0, 0},
        {"names behind the block", pastEnd, 0, 0, 0, 0},
        {"head only", DropBlock({}, true), 2, 0, 0, 0},
    };
    for (const Case &c : cases) {
        // An exact-size copy, so a read past its end is an ASan error.
        std::vector<uint8_t> exact(c.block.begin(), c.block.end() - long(c.cut));
        exact.shrink_to_fit();
        DropBlockInfo info{};
        EXPECT_EQ(DropBlock_Scan(exact.data(), exact.size(), &info), c.ok) << c.what;
        EXPECT_EQ(info.count, c.count) << c.what;
        EXPECT_EQ(info.nameUnits, c.units) << c.what;
        if (c.ok) {
            EXPECT_EQ(info.x, 7) << c.what;
            EXPECT_EQ(info.y, 9) << c.what;
        }
    }
    EXPECT_EQ(DropBlock_Scan(nullptr, 40, nullptr), 0);
}

}  // namespace
