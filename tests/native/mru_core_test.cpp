// The recent-folder list: the order of entries after sequences of adds (new
// folders, known folders in any case, the 21st folder, hash twins), resizing
// that keeps the newest, allocation failures that leave the list whole,
// reading stored keys, and when a pending folder is committed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "other/qv_MruCore.h"

namespace {

// Allocation number `s_failAt` (counted from 1) fails; 0 never.
int s_allocations = 0;
int s_failAt = 0;
int s_live = 0;

void *TestAlloc(uint32_t bytes) {
    ++s_allocations;
    if (s_failAt != 0 && s_allocations == s_failAt) return nullptr;
    ++s_live;
    return std::malloc(bytes == 0 ? 1 : bytes);
}
void TestRelease(void *block) {
    if (block == nullptr) return;
    --s_live;
    std::free(block);
}
template <class Ch>
void AsciiLower(Ch *text, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (text[i] >= Ch('A') && text[i] <= Ch('Z')) text[i] = Ch(text[i] + ('a' - 'A'));
}

template <class Ch>
struct ListFixture {
    RecentFolderListT<Ch> list;
    explicit ListFixture(int32_t slots = kRecentFolderSlots) {
        s_allocations = s_failAt = s_live = 0;
        list.env.alloc = TestAlloc;
        list.env.release = TestRelease;
        list.env.lower = AsciiLower<Ch>;
        EXPECT_EQ(Mru_ResizeT(&list, slots), 1);
    }
    ~ListFixture() {
        Mru_FreeSlotsT(&list);
        EXPECT_EQ(s_live, 0) << "blocks leaked";
    }
};

using U16 = std::u16string;
U16 W(const char *s) { return U16(s, s + std::char_traits<char>::length(s)); }

// "folder|file" of every entry, newest first.
std::vector<std::string> Entries(const RecentFolderListT<char16_t> &list) {
    std::vector<std::string> out;
    for (int32_t i = 0;; ++i) {
        const char16_t *file = nullptr;
        const char16_t *folder = Mru_GetT(list, i, &file);
        if (folder == nullptr) break;
        std::string e;
        for (const char16_t *p = folder; *p; ++p) e += char(*p);
        e += '|';
        for (const char16_t *p = file; *p; ++p) e += char(*p);
        out.push_back(e);
    }
    return out;
}

// The links agree with each other: newer of each older is itself, no cycle.
template <class Ch>
void ExpectLinked(const RecentFolderListT<Ch> &list) {
    int32_t n = 0;
    const RecentFolderSlotT<Ch> *prev = nullptr;
    for (const RecentFolderSlotT<Ch> *s = list.head; s != nullptr; s = s->older) {
        ASSERT_LE(++n, list.count) << "the older links loop";
        EXPECT_EQ(s->newer, prev);
        EXPECT_NE(s->folder, nullptr);
        prev = s;
    }
    int32_t used = 0;
    for (int32_t i = 0; i < list.count; ++i) used += list.slots[i].folder != nullptr;
    EXPECT_EQ(used, n) << "a used slot is not linked";
}

struct AddStep {
    const char *folder;
    const char *file;  // null: none
};
struct AddCase {
    const char *name;
    std::vector<AddStep> steps;
    std::vector<std::string> expected;  // newest first
};

TEST(MruCore, AddOrdersNewestFirstAndKeepsOneEntryPerFolder) {
    const std::vector<AddCase> cases = {
        {"new folders go in front", {{"C:\\a", "1.png"}, {"C:\\b", "2.png"}, {"C:\\c", nullptr}},
         {"C:\\c|", "C:\\b|2.png", "C:\\a|1.png"}},
        {"a known folder moves to the front with its new file",
         {{"C:\\a", "1.png"}, {"C:\\b", "2.png"}, {"C:\\c", "3.png"}, {"C:\\a", "9.png"}},
         {"C:\\a|9.png", "C:\\c|3.png", "C:\\b|2.png"}},
        {"the head added again stays single", {{"C:\\a", "1.png"}, {"C:\\a", "2.png"}}, {"C:\\a|2.png"}},
        {"one folder in two cases is one entry, spelt as last given",
         {{"C:\\Pics", "a.png"}, {"D:\\x", nullptr}, {"c:\\PICS", "b.png"}},
         {"c:\\PICS|b.png", "D:\\x|"}},
        // "abcd" and "cdab" sum the same 32-bit words: equal hashes, two folders.
        {"hash twins stay apart", {{"abcd", "1"}, {"cdab", "2"}}, {"cdab|2", "abcd|1"}},
        {"an empty file is no file", {{"C:\\a", ""}}, {"C:\\a|"}},
    };
    for (const AddCase &c : cases) {
        ListFixture<char16_t> f;
        for (const AddStep &s : c.steps) {
            const U16 folder = W(s.folder), file = s.file ? W(s.file) : U16();
            EXPECT_EQ(Mru_AddT(&f.list, folder.c_str(), s.file ? file.c_str() : nullptr), 1) << c.name;
        }
        EXPECT_EQ(Entries(f.list), c.expected) << c.name;
        ExpectLinked(f.list);
    }
}

TEST(MruCore, TwentyFirstFolderDropsTheOldestAndKnownOnesDropNothing) {
    ListFixture<char16_t> f;
    auto name = [](int i) { return W(("C:\\f" + std::to_string(i)).c_str()); };
    for (int i = 0; i < 20; ++i) ASSERT_EQ(Mru_AddT(&f.list, name(i).c_str(), nullptr), 1);
    // A known middle folder moves up; the full list loses nothing.
    ASSERT_EQ(Mru_AddT(&f.list, name(5).c_str(), u"x.png"), 1);
    std::vector<std::string> e = Entries(f.list);
    ASSERT_EQ(e.size(), 20u);
    EXPECT_EQ(e.front(), "C:\\f5|x.png");
    EXPECT_EQ(e.back(), "C:\\f0|");
    // The 21st different folder reuses the oldest slot.
    ASSERT_EQ(Mru_AddT(&f.list, u"C:\\new", nullptr), 1);
    e = Entries(f.list);
    ASSERT_EQ(e.size(), 20u);
    EXPECT_EQ(e.front(), "C:\\new|");
    EXPECT_EQ(e[1], "C:\\f5|x.png");
    EXPECT_EQ(e.back(), "C:\\f1|");
    ExpectLinked(f.list);
    // Past the end of the list, and before the first entry.
    const char16_t *file = u"stale";
    EXPECT_EQ(Mru_GetT(f.list, 20, &file), nullptr);
    EXPECT_EQ(file, nullptr);
    EXPECT_EQ(Mru_GetT(f.list, -1, &file), nullptr);
}

TEST(MruCore, AddRefusesWithoutSlotsFolderOrMemoryAndLeavesTheList) {
    RecentFolderListT<char16_t> bare;
    bare.env.alloc = TestAlloc;
    bare.env.release = TestRelease;
    EXPECT_EQ(Mru_AddT(&bare, u"C:\\a", nullptr), 0) << "no slots before the list is sized";

    ListFixture<char16_t> f;
    ASSERT_EQ(Mru_AddT(&f.list, u"C:\\a", u"1"), 1);
    EXPECT_EQ(Mru_AddT(&f.list, u"", u"1"), 0);
    EXPECT_EQ(Mru_AddT(&f.list, nullptr, u"1"), 0);
    for (int failing = 1; failing <= 2; ++failing) {  // the block, then the scratch text
        s_failAt = s_allocations + failing;
        EXPECT_EQ(Mru_AddT(&f.list, u"C:\\b", u"2"), 0) << "allocation " << failing;
        s_failAt = 0;
        EXPECT_EQ(Entries(f.list), std::vector<std::string>{"C:\\a|1"});
    }
}

TEST(MruCore, ResizeKeepsTheNewestInOrder) {
    struct Case {
        int32_t from, to, entries;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {20, 3, 5, {"C:\\4|", "C:\\3|", "C:\\2|"}},
        {20, 20, 5, {"C:\\4|", "C:\\3|", "C:\\2|", "C:\\1|", "C:\\0|"}},
        {3, 20, 3, {"C:\\2|", "C:\\1|", "C:\\0|"}},
        {20, 1, 2, {"C:\\1|"}},
    };
    for (const Case &c : cases) {
        ListFixture<char16_t> f(c.from);
        for (int i = 0; i < c.entries; ++i) Mru_AddT(&f.list, W(("C:\\" + std::to_string(i)).c_str()).c_str(), nullptr);
        ASSERT_EQ(Mru_ResizeT(&f.list, c.to), 1);
        EXPECT_EQ(f.list.count, c.to);
        EXPECT_EQ(Entries(f.list), c.expected) << c.from << " -> " << c.to;
        ExpectLinked(f.list);
        // The resized list still reuses its oldest slot when full.
        for (int i = 0; i < c.to; ++i) Mru_AddT(&f.list, W(("D:\\" + std::to_string(i)).c_str()).c_str(), nullptr);
        EXPECT_EQ(int32_t(Entries(f.list).size()), c.to);
    }
}

TEST(MruCore, ResizeFailures) {
    {  // No new array: the list stays as it was.
        ListFixture<char16_t> f;
        Mru_AddT(&f.list, u"C:\\a", u"1");
        s_failAt = s_allocations + 1;
        EXPECT_EQ(Mru_ResizeT(&f.list, 10), 0);
        EXPECT_EQ(f.list.count, 20);
        EXPECT_EQ(Entries(f.list), std::vector<std::string>{"C:\\a|1"});
        EXPECT_EQ(Mru_ResizeT(&f.list, 0), 0);
        EXPECT_EQ(Mru_ResizeT(&f.list, kRecentFolderMaxSlots + 1), 0);
        EXPECT_EQ(f.list.count, 20);
    }
    {  // An entry that cannot be carried over: everything goes, count 0.
        ListFixture<char16_t> f;
        Mru_AddT(&f.list, u"C:\\a", u"1");
        Mru_AddT(&f.list, u"C:\\b", u"2");
        s_failAt = s_allocations + 2;  // the array, then the first entry's block
        EXPECT_EQ(Mru_ResizeT(&f.list, 10), 0);
        EXPECT_EQ(f.list.count, 0);
        EXPECT_EQ(f.list.head, nullptr);
        EXPECT_EQ(Mru_AddT(&f.list, u"C:\\c", nullptr), 0);
    }
}

TEST(MruCore, AnsiTextFoldsAndHashesByFourBytes) {
    ListFixture<char> f;
    ASSERT_EQ(Mru_AddT(&f.list, "C:\\Photos\\Trip", "a.jpg"), 1);
    ASSERT_EQ(Mru_AddT(&f.list, "C:\\other", nullptr), 1);
    ASSERT_EQ(Mru_AddT(&f.list, "c:\\photos\\TRIP", "b.jpg"), 1);
    const char *file = nullptr;
    EXPECT_STREQ(Mru_GetT(f.list, 0, &file), "c:\\photos\\TRIP");
    EXPECT_STREQ(file, "b.jpg");
    EXPECT_STREQ(Mru_GetT(f.list, 1, &file), "C:\\other");
    EXPECT_EQ(Mru_GetT(f.list, 2, &file), nullptr);
    // Four bytes per word: "abcdefgh" and "efghabcd" are twins, still two entries.
    ASSERT_EQ(Mru_AddT(&f.list, "abcdefgh", nullptr), 1);
    ASSERT_EQ(Mru_AddT(&f.list, "efghabcd", nullptr), 1);
    EXPECT_STREQ(Mru_GetT(f.list, 1, &file), "abcdefgh");
}

// Stored keys as the configuration file holds them: index -> folder, file.
struct Stored {
    std::map<int, std::pair<U16, U16>> keys;
    bool operator()(int32_t i, const char16_t **folder, const char16_t **file) const {
        auto it = keys.find(i);
        if (it == keys.end()) return false;
        *folder = it->second.first.c_str();
        *file = it->second.second.c_str();
        return true;
    }
};

TEST(MruCore, LoadStoredKeysPutsIndexZeroFirst) {
    struct Case {
        const char *name;
        Stored stored;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"only index 5", {{{5, {u"C:\\five", u"5.png"}}}}, {"C:\\five|5.png"}},
        {"gaps and defaults are skipped",
         {{{0, {u"C:\\zero", u""}}, {3, {u"*", u"x"}}, {7, {u"", u"y"}}, {19, {u"C:\\last", u"l.png"}}}},
         {"C:\\zero|", "C:\\last|l.png"}},
        {"indexes past the capacity are not read", {{{20, {u"C:\\x", u""}}, {1, {u"C:\\one", u""}}}}, {"C:\\one|"}},
        {"a folder stored twice in two cases keeps the newer",
         {{{0, {u"C:\\A", u"new.png"}}, {4, {u"c:\\a", u"old.png"}}}},
         {"C:\\A|new.png"}},
    };
    for (const Case &c : cases) {
        ListFixture<char16_t> f;
        Mru_LoadStoredT(&f.list, kRecentFolderSlots, c.stored);
        EXPECT_EQ(Entries(f.list), c.expected) << c.name;
    }
}

TEST(MruCore, CommitRule) {
    struct Case {
        int force;
        int32_t slideShowMove, folderMove;
        int listFolderMoves;
        bool commit;
    };
    const Case cases[] = {
        {1, 1, 1, 0, true},   // leaving a folder always commits
        {0, 0, 0, 0, true},   // a folder opened by the user
        {0, 1, 0, 1, false},  // a slide show moved on
        {0, 0, 1, 0, false},  // next/previous folder without the option
        {0, 0, 1, 1, true},   // ... and with it
    };
    for (const Case &c : cases)
        EXPECT_EQ(Mru_ShouldCommit(c.force, c.slideShowMove, c.folderMove, c.listFolderMoves), c.commit)
            << c.force << c.slideShowMove << c.folderMove << c.listFolderMoves;
}

}  // namespace
