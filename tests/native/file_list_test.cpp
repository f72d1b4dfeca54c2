// The file list's rules over UTF-16 units: every sort order, the random
// order, navigation with hidden and removed entries, removal in place, the
// archive listing walk and the window title.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "image/qv_FileListArchive.h"
#include "image/qv_FileListCore.h"
#include "image/qv_FileListStage.h"
#include "other/qv_TitleCore.h"
#include "std_thread_runner.h"

namespace {

using U16 = std::u16string;
using Entry = FileListEntryT<char16_t>;
using List = FileListT<char16_t>;

char16_t Fold(char16_t c) { return c >= 'A' && c <= 'Z' ? char16_t(c + 32) : c; }

// Stand-ins for the system collation: caseless by ASCII folding; cased puts
// lower case before upper case, as the system's word order does.
int FoldN(const char16_t *a, size_t na, const char16_t *b, size_t nb) {
    for (size_t i = 0; i < std::min(na, nb); ++i)
        if (Fold(a[i]) != Fold(b[i])) return Fold(a[i]) < Fold(b[i]) ? -1 : 1;
    return na == nb ? 0 : (na < nb ? -1 : 1);
}
int CasedN(const char16_t *a, size_t na, const char16_t *b, size_t nb) {
    for (size_t i = 0; i < std::min(na, nb); ++i)
        if (a[i] != b[i]) {
            const bool la = a[i] >= 'a' && a[i] <= 'z', lb = b[i] >= 'a' && b[i] <= 'z';
            if (la != lb) return la ? -1 : 1;
            return a[i] < b[i] ? -1 : 1;
        }
    return na == nb ? 0 : (na < nb ? -1 : 1);
}
const qvtext::Collation<char16_t> kColl{FoldN, CasedN};

int Caseless(const char16_t *a, const char16_t *b) { return FoldN(a, qvtext::Length(a), b, qvtext::Length(b)); }
int Cased(const char16_t *a, const char16_t *b) { return CasedN(a, qvtext::Length(a), b, qvtext::Length(b)); }
int Natural(const char16_t *a, const char16_t *b) { return qvtext::CompareNatural(a, b, kColl); }
void Lower(char16_t *t, size_t n) {
    for (size_t i = 0; i < n; ++i) t[i] = Fold(t[i]);
}
int PathOrder(const char16_t *a, const char16_t *b, int natural) {
    return qvtext::CompareForSort(a, b, natural != 0, kColl);
}
const FileListText<char16_t> kText{Natural, Caseless, Cased, Lower, PathOrder, nullptr};

int32_t LoaderOf(const char16_t *name) {
    const char16_t *ext = FileEntry_Extension(name);
    if (ext == nullptr) return 0;
    static const std::map<U16, int32_t> ids = {
        {u".bmp", 2}, {u".jpg", 3}, {u".png", 4}, {u".gif", 5}, {u".zip", kFirstArchiveType}};
    U16 e(ext);
    for (auto &c : e) c = Fold(c);
    auto it = ids.find(e);
    return it == ids.end() ? 0 : it->second;
}

Entry MakeEntry(const U16 &name, uint32_t attributes, uint64_t size, uint32_t date, uint32_t shuffle = 0) {
    Entry e{};
    qvtext::CopyInto(e.find.name, kFileNameUnits, name.c_str());
    e.find.attributes = attributes;
    e.find.sizeHigh = uint32_t(size >> 32);
    e.find.sizeLow = uint32_t(size);
    e.find.written = {date, 0};
    e.shuffleKey = shuffle;
    e.folderOrder = -1;
    e.imageOrdinal = -1;
    e.type = (attributes & kAttrDirectory) ? kTypeFolder : LoaderOf(e.find.name);
    FileEntry_SetHashes(&e, kText);
    return e;
}

// One fixed set: two folders and seven files, with equal sizes, a name
// without extension, and two names that differ only in case.
std::vector<Entry> FixedSet() {
    return {
        MakeEntry(u"Zeta", kAttrDirectory, 0, 5),      MakeEntry(u"b.PNG", 0, 100, 3, 3),
        MakeEntry(u"a.jpg", 0, 100, 1, 6),             MakeEntry(u"file10.bmp", 0, 50, 7, 1),
        MakeEntry(u"alpha", kAttrDirectory, 4096, 9),  MakeEntry(u"A.jpg", 0, 300, 2, 0),
        MakeEntry(u"readme", 0, 10, 4, 2),             MakeEntry(u"file2.bmp", 0, 50, 8, 5),
        MakeEntry(u"c.gif", 0, 200, 6, 4),
    };
}

std::vector<U16> SortedNames(const std::vector<Entry> &entries, const SortOrder &order,
                             const FileListText<char16_t> &text = kText, Presort presort = Presort::kAuto) {
    GrowArray<Entry> array;
    for (const Entry &e : entries) EXPECT_TRUE(GrowArray_Append(&array, e));
    EXPECT_TRUE(FileList_SortEntries(&array, order, text, presort));
    std::vector<U16> names;
    for (int32_t i = 0; i < array.count; ++i) names.emplace_back(array.items[i].find.name);
    GrowArray_Free(&array);
    return names;
}

TEST(FileListOrder, EveryKeyAscendingAndDescendingNaturalOnAndOff) {
    struct Case {
        uint32_t key;
        bool natural;
        std::vector<U16> ascending;
    } cases[] = {
        {kSortName, true, {u"alpha", u"Zeta", u"a.jpg", u"A.jpg", u"b.PNG", u"c.gif", u"file2.bmp", u"file10.bmp", u"readme"}},
        {kSortName, false, {u"alpha", u"Zeta", u"a.jpg", u"A.jpg", u"b.PNG", u"c.gif", u"file10.bmp", u"file2.bmp", u"readme"}},
        {kSortSize, true, {u"alpha", u"Zeta", u"readme", u"file2.bmp", u"file10.bmp", u"a.jpg", u"b.PNG", u"c.gif", u"A.jpg"}},
        {kSortSize, false, {u"alpha", u"Zeta", u"readme", u"file10.bmp", u"file2.bmp", u"a.jpg", u"b.PNG", u"c.gif", u"A.jpg"}},
        {kSortExtension, true, {u"alpha", u"Zeta", u"readme", u"file2.bmp", u"file10.bmp", u"c.gif", u"a.jpg", u"A.jpg", u"b.PNG"}},
        {kSortExtension, false, {u"alpha", u"Zeta", u"readme", u"file10.bmp", u"file2.bmp", u"c.gif", u"a.jpg", u"A.jpg", u"b.PNG"}},
        // Folders by date too.
        {kSortDate, true, {u"Zeta", u"alpha", u"a.jpg", u"A.jpg", u"b.PNG", u"readme", u"c.gif", u"file10.bmp", u"file2.bmp"}},
        {kSortDate, false, {u"Zeta", u"alpha", u"a.jpg", u"A.jpg", u"b.PNG", u"readme", u"c.gif", u"file10.bmp", u"file2.bmp"}},
        // Folders by name, files by their shuffle keys.
        {kSortRandom, true, {u"alpha", u"Zeta", u"A.jpg", u"file10.bmp", u"readme", u"b.PNG", u"c.gif", u"file2.bmp", u"a.jpg"}},
        {kSortRandom, false, {u"alpha", u"Zeta", u"A.jpg", u"file10.bmp", u"readme", u"b.PNG", u"c.gif", u"file2.bmp", u"a.jpg"}},
    };
    const std::vector<Entry> set = FixedSet();
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << " natural " << c.natural);
        const SortOrder up{c.key, false, c.natural}, down{c.key, true, c.natural};
        EXPECT_EQ(SortedNames(set, up), c.ascending);
        // Descending is the exact reverse: folders last.
        std::vector<U16> reversed(c.ascending.rbegin(), c.ascending.rend());
        EXPECT_EQ(SortedNames(set, down), reversed);
        // Every pair answers consistently both ways, and no two differ-named entries tie.
        for (const Entry &a : set)
            for (const Entry &b : set) {
                const int ab = FileList_CompareEntries(a, b, up, kText);
                EXPECT_EQ(ab, -FileList_CompareEntries(b, a, up, kText));
                EXPECT_EQ(ab == 0, &a == &b);
                EXPECT_EQ(FileList_CompareEntries(a, b, down, kText), -ab);
            }
    }
}

TEST(FileListOrder, SortTypeBitsAndNaturalMode) {
    struct Case {
        uint32_t sortType;
        bool above50, option;
        SortOrder want;
    } cases[] = {
        {0x00001, false, true, {kSortName, false, true}},      // mode 0: the option decides
        {0x00102, true, false, {kSortSize, true, false}},
        {0x10001, true, false, {kSortName, false, true}},      // automatic: the system decides
        {0x10001, false, true, {kSortName, false, false}},
        {0x20003, true, true, {kSortExtension, false, false}}, // off
        {0x30004, false, false, {kSortDate, false, true}},     // on
        {0x0FF05, false, false, {kSortRandom, true, false}},
        {0x00009, false, false, {kSortName, false, false}},    // unknown keys sort by name
        {0x70000, false, true, {kSortName, false, true}},
    };
    for (const Case &c : cases) {
        const SortOrder o = SortOrder_From(c.sortType, c.above50, c.option);
        EXPECT_EQ(o.key, c.want.key) << std::hex << c.sortType;
        EXPECT_EQ(o.descending, c.want.descending) << std::hex << c.sortType;
        EXPECT_EQ(o.natural, c.want.natural) << std::hex << c.sortType;
    }
}

// A sort stays in bounds and keeps every entry even when the compare is no
// consistent order at all.
TEST(FileListOrder, InconsistentCompareStaysInBounds) {
    static int calls = 0;
    FileListText<char16_t> chaotic = kText;
    chaotic.natural = [](const char16_t *, const char16_t *) { return (++calls % 3) - 1; };
    chaotic.cased = [](const char16_t *, const char16_t *) { return (++calls % 2) ? 1 : -1; };
    GrowArray<Entry> array;
    for (int i = 0; i < 500; ++i)
        ASSERT_TRUE(GrowArray_Append(&array, MakeEntry(u"n" + U16(1, char16_t('a' + i % 26)) + U16(1, char16_t('0' + i % 10)), 0, i % 7, 0)));
    std::multiset<U16> before;
    for (int i = 0; i < array.count; ++i) before.insert(array.items[i].find.name);
    // Also through the presort, which ranks characters by the same compare.
    for (Presort presort : {Presort::kNever, Presort::kAlways}) {
        ASSERT_TRUE(FileList_SortEntries(&array, SortOrder{kSortName, false, true}, chaotic, presort));
        std::multiset<U16> after;
        for (int i = 0; i < array.count; ++i) after.insert(array.items[i].find.name);
        EXPECT_EQ(before, after);
    }
    GrowArray_Free(&array);
}

// A collation that is not one character after another: hyphens and
// apostrophes are ignored, as the system's word order does, so the cheap
// keys (which rank single characters) misplace names and the exact sort has
// to mend the order.
U16 WithoutHyphens(const char16_t *a, size_t n) {
    U16 s;
    for (size_t i = 0; i < n; ++i)
        if (a[i] != '-' && a[i] != '\'') s += Fold(a[i]);
    return s;
}
int WordN(const char16_t *a, size_t na, const char16_t *b, size_t nb) {
    const U16 x = WithoutHyphens(a, na), y = WithoutHyphens(b, nb);
    return x == y ? 0 : (x < y ? -1 : 1);
}
const qvtext::Collation<char16_t> kWordColl{WordN, CasedN};
int WordNatural(const char16_t *a, const char16_t *b) { return qvtext::CompareNatural(a, b, kWordColl); }
int WordCaseless(const char16_t *a, const char16_t *b) { return WordN(a, qvtext::Length(a), b, qvtext::Length(b)); }
const FileListText<char16_t> kWordText{WordNatural, WordCaseless, Cased, Lower, PathOrder, nullptr};

// Names that trouble a natural order: case, leading zeros, digit runs
// longer than any integer, punctuation that collations rank apart from its
// code, letters outside ASCII, a surrogate pair, names that are all digits.
std::vector<U16> TrickyNames() {
    return {u"a.jpg",      u"A.jpg",         u"a.JPG",        u"img01.jpg",   u"img1.jpg",     u"img001.jpg",
            u"img0.jpg",   u"img00.jpg",     u"img.jpg",      u"img 1.jpg",   u"img-1.jpg",    u"img_1.jpg",
            u"img(1).jpg", u"img (1).jpg",   u"img'1.jpg",    u"img~.jpg",    u"img!.jpg",     u"imgA.jpg",
            u"x99999999999999999999.png", u"x100000000000000000000.png", u"x2147483648.png", u"x4294967297.png",
            u"\u00e9t\u00e9.png", u"ete.png", u"Ete.png", u"\u00dfa.png", u"ssa.png", u"\u6f22\u5b57.png",
            u"\U0001F600.png", u"1",       u"0",             u"00",          u"01",           u".hidden",
            u"..x",        u"file2",         u"file10",       u"file 2",      u"file02b",      u"file2b",
            u"re-do.gif",  u"redo.gif",      u"red-o.gif",    u"re'do.gif",   u"readme",       u"README"};
}

// A few thousand names built from pieces at random: many share stems and
// differ in digits, case or punctuation.
std::vector<U16> RandomNames(uint32_t seed, size_t count) {
    std::mt19937 rng(seed);
    const U16 pieces[] = {u"IMG", u"img", u"_",  u"-", u" ", u".", u"(", u")", u"0", u"00", u"7",
                          u"42",  u"x",   u"X",  u"\u00e9", u"E", u"'", u"scan", u"Page", u"~"};
    const U16 extensions[] = {u".jpg", u".JPG", u".png", u"", u".txt", u".b-m-p"};
    std::set<U16> made;
    while (made.size() < count) {
        U16 name;
        for (unsigned k = 0, n = 1 + rng() % 6; k < n; ++k) name += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
        if (rng() % 2) name += U16(1, char16_t('0' + rng() % 10)) + U16(rng() % 3, char16_t('0' + rng() % 10));
        name += extensions[rng() % (sizeof extensions / sizeof extensions[0])];
        made.insert(name);
    }
    return std::vector<U16>(made.begin(), made.end());
}

// Entries for names, in a scrambled order, with folders among them and few
// distinct sizes, dates and shuffle keys so that the keys tie often.
std::vector<Entry> EntriesFor(const std::vector<U16> &names, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<Entry> set;
    for (const U16 &name : names)
        set.push_back(MakeEntry(name, rng() % 9 == 0 ? kAttrDirectory : 0, rng() % 4, rng() % 5, rng() % 3));
    std::shuffle(set.begin(), set.end(), rng);
    return set;
}

// The cheap keys only ever change the speed: for every order, the result is
// the one the exact compare gives from the array order.
TEST(FileListOrder, PresortNeverChangesTheOrder) {
    struct Set {
        const char *name;
        std::vector<Entry> entries;
    } sets[] = {
        {"tricky", EntriesFor(TrickyNames(), 1)},
        {"random", EntriesFor(RandomNames(2, 3000), 3)},
    };
    const struct {
        const char *name;
        const FileListText<char16_t> *text;
    } texts[] = {{"folding", &kText}, {"word order", &kWordText}};
    for (const Set &set : sets)
        for (const auto &t : texts)
            for (uint32_t key = kSortName; key <= kSortRandom; ++key)
                for (int flags = 0; flags < 4; ++flags) {
                    const SortOrder order{key, (flags & 1) != 0, (flags & 2) != 0};
                    SCOPED_TRACE(testing::Message() << set.name << ", " << t.name << ", key " << key << " descending "
                                                    << order.descending << " natural " << order.natural);
                    EXPECT_EQ(SortedNames(set.entries, order, *t.text, Presort::kAlways),
                              SortedNames(set.entries, order, *t.text, Presort::kNever));
                }
}

// Runs the tasks one after another, last first, so a task that leans on
// an earlier one having run shows.
void RunBackwards(size_t count, void (*task)(void *context, size_t index), void *context) {
    for (size_t k = count; k-- > 0;) task(context, k);
}

// A long list has its keys made in parts on the sort's threads: the
// presorted order is the one-part order, whatever order the parts run in.
TEST(FileListOrder, PresortInPartsEqualsOnePart) {
    std::vector<Entry> set = EntriesFor(RandomNames(5, 20000), 6);
    for (size_t i = 0; i < set.size(); i += 7) set[i].find.attributes = kAttrDirectory;
    const TaskRunner threads{4, RunOnStdThreads}, backwards{5, RunBackwards};
    for (const TaskRunner *runner : {&threads, &backwards})
        for (const SortOrder order : {SortOrder{kSortName, false, true}, SortOrder{kSortExtension, true, false},
                                      SortOrder{kSortSize, false, true}}) {
            SCOPED_TRACE(testing::Message() << "key " << order.key << ", " << runner->threads << " parts");
            FileListText<char16_t> parted = kText;
            parted.workers = runner;
            std::vector<uint32_t> one(set.size()), many(set.size());
            ASSERT_TRUE(FileList_Presort(set.data(), set.size(), order, kText, one.data()));
            ASSERT_TRUE(FileList_Presort(set.data(), set.size(), order, parted, many.data()));
            EXPECT_TRUE(one == many);
        }
}

// With common names the keys agree with the exact compare, so sorting asks
// it about once per entry; where they disagree (hyphens in word order) the
// exact sort still needs far fewer compares than sorting from scratch.
TEST(FileListOrder, PresortLeavesFewExactCompares) {
    static size_t calls;
    FileListText<char16_t> counting = kText;
    counting.natural = [](const char16_t *a, const char16_t *b) {
        ++calls;
        return Natural(a, b);
    };
    FileListText<char16_t> countingWords = kWordText;
    countingWords.natural = [](const char16_t *a, const char16_t *b) {
        ++calls;
        return WordNatural(a, b);
    };
    std::vector<U16> camera;
    for (int i = 0; i < 4000; ++i) {
        char text[40];
        if (i % 3 == 0) {
            std::snprintf(text, sizeof text, "IMG_%04d.JPG", i / 3 + 1);
        } else if (i % 3 == 1) {
            std::snprintf(text, sizeof text, "scan %d page %d.png", i / 3 + 1, i % 40 + 1);
        } else {
            std::snprintf(text, sizeof text, "2023-%02d-%02d a.jpg", i / 3 % 12 + 1, i / 36 + 1);
        }
        camera.emplace_back(text, text + std::strlen(text));
    }
    std::vector<U16> hyphens;
    for (int i = 0; i < 4000; ++i) hyphens.push_back((i % 2 ? u"trip-" : u"trip ") + U16(1, char16_t('a' + i / 2 % 26)) + U16(1, char16_t('a' + i / 52 % 26)) + U16(1, char16_t('0' + i / 1352)));
    const struct {
        const char *name;
        std::vector<U16> names;
        const FileListText<char16_t> *text;
        size_t maxPerEntry;
    } cases[] = {{"camera", camera, &counting, 1}, {"hyphens", hyphens, &countingWords, 3}};
    for (const auto &c : cases) {
        const std::vector<Entry> set = EntriesFor(c.names, 4);
        std::vector<Entry> files;
        for (Entry e : set) {
            e.find.attributes = 0;
            files.push_back(e);
        }
        calls = 0;
        SortedNames(files, SortOrder{kSortName, false, true}, *c.text, Presort::kAlways);
        const size_t presorted = calls;
        calls = 0;
        SortedNames(files, SortOrder{kSortName, false, true}, *c.text, Presort::kNever);
        EXPECT_LE(presorted, c.maxPerEntry * files.size() + files.size() / 10) << c.name;
        EXPECT_LT(presorted * 3, calls) << c.name;
    }
}

// ---------------------------------------------------------------- lists

struct ListGuard {
    List list;
    ~ListGuard() { FileList_Free(&list); }
};

void Fill(List *list, const std::vector<Entry> &entries) {
    list->classify = 1;
    ASSERT_TRUE(FileList_ResetArrays(list));
    for (const Entry &e : entries) ASSERT_TRUE(FileList_Place(list, e));
    FileList_NumberImages(list);
}

std::vector<Entry> NavigationSet() {
    return {
        MakeEntry(u"a.png", 0, 1, 0),                 // 0: picture 0
        MakeEntry(u".hidden.png", kAttrHidden, 1, 0), // 1: hidden
        MakeEntry(u"b.png", 0, 1, 0),                 // 2: picture 1
        MakeEntry(u"notes.txt", 0, 1, 0),             // 3: no picture
        MakeEntry(u"c.png", 0, 1, 0),                 // 4: picture 2
        MakeEntry(u"d.png", 0, 1, 0),                 // 5: picture 3
    };
}

void HideHidden(std::vector<Entry> *set) {
    FileListFilter filter;
    filter.listHidden = false;
    for (Entry &e : *set) e.type = FileEntry_Classify(e.find, filter, LoaderOf);
}

TEST(FileListNavigation, TableWithHiddenAndUnlistedEntries) {
    std::vector<Entry> set = NavigationSet();
    HideHidden(&set);
    ListGuard g;
    Fill(&g.list, set);
    ASSERT_EQ(g.list.imageCount, 4);
    struct Case {
        int32_t a, current, kind, want;
    } cases[] = {
        {1, 0, kNavStep, 2},    {1, 1, kNavStep, 2},   {-1, 1, kNavStep, 0},  {2, 2, kNavStep, 5},
        {3, 1, kNavStep, 5},    {1, 5, kNavStep, -3},  {2, 4, kNavStep, -3},  {-1, 0, kNavStep, -3},
        {1, 3, kNavStep, 4},    {-1, 3, kNavStep, 2},  {1, -1, kNavStep, 0},  {-1, -1, kNavStep, -3},
        {-1, 6, kNavStep, 5},   {1, 6, kNavStep, -3},  {-2, 6, kNavStep, 4},  {0, 3, kNavStep, 3},
        {0, 9, kNavStep, -2},   {0, -1, kNavStep, -2}, {0, 0, kNavFirst, 0},  {0, 0, kNavLast, 5},
        {-5, 0, kNavIndex, 0},  {99, 0, kNavIndex, 5}, {3, 0, kNavIndex, 3},  {0, 3, kNavCurrent, 3},
        {0, -1, kNavCurrent, -2}, {0, 6, kNavCurrent, -2}, {0, 0, 9, -2},     {0, 0, -1, -2},
        {INT32_MAX, 0, kNavStep, -3}, {INT32_MIN, 5, kNavStep, -3},
    };
    uint32_t seed = 1;
    for (const Case &c : cases)
        EXPECT_EQ(FileList_Navigate(c.a, c.current, c.kind, g.list, &seed), c.want)
            << c.a << " " << c.current << " " << c.kind;

    // A list without pictures, and no list at all.
    ListGuard none;
    Fill(&none.list, {MakeEntry(u"x.txt", 0, 1, 0)});
    EXPECT_EQ(FileList_Navigate(1, 0, kNavStep, none.list, &seed), kNavNoList);
    EXPECT_EQ(FileList_Navigate(0, 0, kNavFirst, none.list, &seed), kNavNoList);
    ListGuard empty;
    EXPECT_EQ(FileList_Navigate(1, 0, kNavStep, empty.list, &seed), kNavNoList);
}

TEST(FileListNavigation, RemovalKeepsEveryOtherIndex) {
    ListGuard g;
    Fill(&g.list, NavigationSet());
    ASSERT_EQ(g.list.imageCount, 5);
    std::vector<U16> before;
    for (int i = 0; i < g.list.files.count; ++i) before.emplace_back(g.list.files.items[i].find.name);

    ASSERT_TRUE(FileList_RemoveEntry(&g.list, u"C.PNG", kText));  // found without regard to case
    ASSERT_EQ(g.list.files.count, 6);
    for (int i = 0; i < 6; ++i)
        if (i != 4) {
            EXPECT_EQ(U16(g.list.files.items[i].find.name), before[i]) << i;
        }
    EXPECT_EQ(g.list.files.items[4].find.name[0], 0);
    EXPECT_EQ(g.list.files.items[4].imageOrdinal, -1);
    EXPECT_EQ(g.list.imageCount, 4);
    EXPECT_EQ(g.list.files.items[5].imageOrdinal, 3);  // ordinals close up

    int32_t index = -1;
    EXPECT_FALSE(FileList_FindByName(g.list, 1, u"c.png", &index, kText));
    EXPECT_FALSE(FileList_RemoveEntry(&g.list, u"c.png", kText));
    ASSERT_TRUE(FileList_FindByName(g.list, 1, u"D.png", &index, kText));
    EXPECT_EQ(index, 5);

    uint32_t seed = 7;
    EXPECT_EQ(FileList_Navigate(1, 2, kNavStep, g.list, &seed), 5);  // over the blank
    EXPECT_EQ(FileList_Navigate(1, 4, kNavStep, g.list, &seed), 5);  // from the blank
    EXPECT_EQ(FileList_Navigate(-1, 4, kNavStep, g.list, &seed), 2);
    for (int i = 0; i < 200; ++i) EXPECT_NE(FileList_Navigate(0, 0, kNavRandom, g.list, &seed), 4);
}

// Random moves draw over every picture but the current one, and over all of
// them when the current entry is no picture or lies outside the list.
TEST(FileListNavigation, RandomDrawsOverAllPictures) {
    std::vector<Entry> set = NavigationSet();
    HideHidden(&set);
    ListGuard g;
    Fill(&g.list, set);
    uint32_t seed = 12345;
    struct Case {
        int32_t current;
        std::set<int32_t> want;
    } cases[] = {
        {0, {2, 4, 5}},           // picture 0: any other
        {4, {0, 2, 5}},
        {1, {0, 2, 4, 5}},        // the hidden entry: all four, picture 0 included
        {3, {0, 2, 4, 5}},
        {-1, {0, 2, 4, 5}},       // no current entry
        {1000, {0, 2, 4, 5}},     // an index outside the list never reads outside it
    };
    for (const Case &c : cases) {
        std::set<int32_t> seen;
        for (int i = 0; i < 400; ++i) seen.insert(FileList_Navigate(0, c.current, kNavRandom, g.list, &seed));
        EXPECT_EQ(seen, c.want) << c.current;
    }

    // Two pictures and a current entry that is none: both come up.
    ListGuard two;
    Fill(&two.list, {MakeEntry(u"a.png", 0, 1, 0), MakeEntry(u"x.txt", 0, 1, 0), MakeEntry(u"b.png", 0, 1, 0)});
    std::set<int32_t> seen;
    for (int i = 0; i < 100; ++i) seen.insert(FileList_Navigate(0, 1, kNavRandom, two.list, &seed));
    EXPECT_EQ(seen, (std::set<int32_t>{0, 2}));
    EXPECT_EQ(FileList_Navigate(0, 0, kNavRandom, two.list, &seed), 2);
    EXPECT_EQ(FileList_Navigate(0, 2, kNavRandom, two.list, &seed), 0);

    // One picture: no other one to go to from it.
    ListGuard one;
    Fill(&one.list, {MakeEntry(u"a.png", 0, 1, 0), MakeEntry(u"x.txt", 0, 1, 0)});
    EXPECT_EQ(FileList_Navigate(0, 0, kNavRandom, one.list, &seed), kNavInvalid);
    EXPECT_EQ(FileList_Navigate(0, 1, kNavRandom, one.list, &seed), 0);
}

TEST(FileListRandom, ShuffleIsAPermutationAndReproducible) {
    auto order = [](uint32_t seed, int n) {
        std::vector<U16> names;
        ListGuard g;
        std::vector<Entry> set;
        for (int i = 0; i < n; ++i) set.push_back(MakeEntry(u"p" + U16(1, char16_t('A' + i % 26)) + u".png", 0, 0, 0));
        set.push_back(MakeEntry(u"sub", kAttrDirectory, 0, 0));
        set.push_back(MakeEntry(u"Alpha", kAttrDirectory, 0, 0));
        Fill(&g.list, set);
        EXPECT_TRUE(FileList_Sort(0, &g.list, kSortRandom, false, true, &seed, kText));
        EXPECT_TRUE(FileList_Sort(1, &g.list, kSortRandom, false, true, &seed, kText));
        EXPECT_EQ(U16(g.list.folders.items[0].find.name), u"Alpha");  // folders by name
        for (int i = 0; i < g.list.files.count; ++i) {
            EXPECT_EQ(g.list.files.items[i].shuffleKey, uint32_t(i));  // the keys are 0..n-1
            EXPECT_EQ(g.list.files.items[i].imageOrdinal, i);
            names.emplace_back(g.list.files.items[i].find.name);
        }
        return names;
    };
    const std::vector<U16> a = order(99, 20), b = order(99, 20), c = order(100, 20);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_TRUE(std::is_permutation(a.begin(), a.end(), c.begin()));
}

TEST(FileListRandom, RandomGeneratorAndShuffleDraws) {
    uint32_t x = 0;
    EXPECT_EQ(Rand_Advance(&x), 12345u);
    x = 1;
    const uint32_t state = 1u * 1103515245u + 12345u;
    EXPECT_EQ(Rand_Next(&x), ((state >> 16) | ((state & 0xFF00u) << 8) | ((state & 0xFEu) << 23)) & 0x7FFFFFFFu);
    // Every key of a shuffle appears once, and different seeds give different orders.
    ListGuard g;
    std::vector<Entry> set;
    for (int i = 0; i < 300; ++i) set.push_back(MakeEntry(u"f.png", 0, 0, 0));
    Fill(&g.list, set);
    uint32_t seed = 5;
    ASSERT_TRUE(FileList_Shuffle(&g.list, &seed));
    std::set<uint32_t> keys;
    int moved = 0;
    for (int i = 0; i < 300; ++i) {
        keys.insert(g.list.files.items[i].shuffleKey);
        moved += g.list.files.items[i].shuffleKey != uint32_t(i);
    }
    EXPECT_EQ(keys.size(), 300u);
    EXPECT_EQ(*keys.rbegin(), 299u);
    EXPECT_GT(moved, 250);
}

TEST(FileListRandom, MoveCurrentFirst) {
    ListGuard g;
    Fill(&g.list, {MakeEntry(u"a.png", 0, 1, 0), MakeEntry(u"x.txt", 0, 1, 0), MakeEntry(u"b.png", 0, 1, 0),
                   MakeEntry(u"c.png", 0, 1, 0)});
    uint32_t seed = 3;
    ASSERT_TRUE(FileList_MoveCurrentFirst(u"c.png", &g.list, true, &seed, kText));
    EXPECT_EQ(U16(g.list.files.items[0].find.name), u"c.png");
    EXPECT_EQ(U16(g.list.files.items[3].find.name), u"a.png");
    EXPECT_EQ(g.list.files.items[0].imageOrdinal, 0);
    // A new pass: the current picture moves off the first place.
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(FileList_MoveCurrentFirst(u"c.png", &g.list, false, &seed, kText));
        int32_t index = -1;
        ASSERT_TRUE(FileList_FindByName(g.list, 1, u"c.png", &index, kText));
        EXPECT_NE(g.list.files.items[index].imageOrdinal, 0);
        ASSERT_TRUE(FileList_MoveCurrentFirst(u"c.png", &g.list, true, &seed, kText));
    }
    EXPECT_FALSE(FileList_MoveCurrentFirst(u"gone.png", &g.list, true, &seed, kText));
}

TEST(FileListEntries, ClassificationTable) {
    struct Case {
        U16 name;
        uint32_t attributes;
        bool hid, sys, hs;
        int32_t type;
        bool toFolders;
    } cases[] = {
        {u"a.jpg", 0, true, true, false, 3, false},
        {u"a.JPG", kAttrHidden, false, true, true, 0, false},
        {u"a.jpg", kAttrHidden, true, true, false, 3, false},
        {u"a.jpg", kAttrSystem, true, false, true, 0, false},
        {u"a.jpg", kAttrHidden | kAttrSystem, true, true, false, 0, false},
        {u"a.jpg", kAttrHidden | kAttrSystem, true, true, true, 3, false},
        {u"sub", kAttrDirectory, true, true, false, kTypeFolder, true},
        {u"sub", kAttrDirectory | kAttrHidden, false, true, false, 0, true},
        {u"notes.txt", 0, true, true, false, 0, false},
        {u"pack.zip", 0, true, true, false, kFirstArchiveType, true},
        {u"noext", 0, true, true, false, 0, false},
    };
    for (const Case &c : cases) {
        Entry e = MakeEntry(c.name, c.attributes, 0, 0);
        FileListFilter f;
        f.listHidden = c.hid;
        f.listSystem = c.sys;
        f.listHiddenSystem = c.hs;
        e.type = FileEntry_Classify(e.find, f, LoaderOf);
        EXPECT_EQ(e.type, c.type) << std::string(c.name.begin(), c.name.end());
        EXPECT_EQ(FileEntry_GoesToFolders(e, true), c.toFolders);
    }
    EXPECT_TRUE(FileEntry_IsDotName(u"."));
    EXPECT_TRUE(FileEntry_IsDotName(u".."));
    EXPECT_FALSE(FileEntry_IsDotName(u"..."));
    EXPECT_FALSE(FileEntry_IsDotName(u".a"));
}

TEST(FileListEntries, ArraysGrowByDoublingAndKeepTheirItems) {
    GrowArray<Entry> a;
    ASSERT_TRUE(GrowArray_Init(&a, 0, true));
    for (int i = 0; i < 300; ++i) ASSERT_TRUE(GrowArray_Append(&a, MakeEntry(u"x", 0, uint64_t(i), 0)));
    EXPECT_EQ(a.count, 300);
    EXPECT_EQ(a.capacity, 512);
    for (int i = 0; i < 300; ++i) EXPECT_EQ(a.items[i].find.sizeLow, uint32_t(i));
    GrowArray_Free(&a);
    GrowArray<int> b;
    ASSERT_TRUE(GrowArray_Init(&b, 3, false));
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(GrowArray_Append(&b, i));
    EXPECT_EQ(b.capacity, 11);
    GrowArray_Free(&b);
}

// Staged entries land as placing them one by one would: same arrays, same
// order, same capacities, every field and both names, whether the runs are
// written on one thread or several, in any order, into arrays that already
// hold entries.
TEST(FileListEntries, StagedEntriesArePlacedAsOneByOne) {
    std::vector<Entry> set;
    for (int i = 0; i < 700; ++i) {
        Entry e = MakeEntry(u"entry " + U16(size_t(i % 250), char16_t('a' + i % 26)), i % 5 == 0 ? kAttrDirectory : 0,
                            uint64_t(i) << 20, uint32_t(i));
        if (i % 3 == 0) qvtext::CopyInto(e.find.shortName, kShortNameUnits, u"ENTRY~1.JPG");
        e.type = i % 7 == 0 ? kFirstArchiveType : e.type;
        set.push_back(e);
    }
    const TaskRunner threads{3, RunOnStdThreads}, many{16, RunOnStdThreads}, backwards{4, RunBackwards};
    const struct {
        const TaskRunner *runner;
        int32_t run;         // entries between marks
        size_t placedFirst;  // entries in the arrays before the stage
        size_t touchAhead;   // bytes made ready after each staged entry
    } cases[] = {
        {nullptr, 4096, 0, 0},   {&threads, 4096, 0, 0}, {&threads, 64, 0, 0},      {&many, 64, 0, 0},
        {&backwards, 7, 0, 0},   {&threads, 1, 0, 0},    {&threads, 50, 33, 0},     {&backwards, 100, 5, 0},
        {nullptr, 4096, 0, 100}, {&threads, 64, 0, 4096}, {&threads, 64, 0, 1 << 20}, {&threads, 50, 33, 4096},
    };
    for (const auto &c : cases) {
        for (bool classify : {true, false}) {
            SCOPED_TRACE(testing::Message() << "run " << c.run << ", first " << c.placedFirst << ", classify " << classify
                                            << ", threads " << (c.runner ? c.runner->threads : 0) << ", ahead "
                                            << c.touchAhead);
            ListGuard one, staged;
            one.list.classify = staged.list.classify = classify ? 1 : 0;
            ASSERT_TRUE(FileList_ResetArrays(&one.list));
            ASSERT_TRUE(FileList_ResetArrays(&staged.list));
            FileStageT<char16_t> stage;
            stage.run = c.run;
            for (size_t i = 0; i < set.size(); ++i) {
                ASSERT_TRUE(FileList_Place(&one.list, set[i]));
                if (i < c.placedFirst) {
                    ASSERT_TRUE(FileList_Place(&staged.list, set[i]));
                } else {
                    ASSERT_TRUE(FileStage_Add(&stage, set[i], FileEntry_GoesToFolders(set[i], classify)));
                    if (c.touchAhead > 0) FileStage_TouchAhead(&stage, &staged.list.files, c.touchAhead);
                }
            }
            // A block is made ready only for an empty files array, and is the
            // one placed into.
            const FileListEntryT<char16_t> *ready = stage.ready;
            EXPECT_EQ(ready != nullptr, c.touchAhead > 0 && c.placedFirst == 0);
            ASSERT_TRUE(FileList_PlaceStaged(&staged.list, stage, c.runner));
            EXPECT_EQ(stage.ready, nullptr);
            if (ready != nullptr) {
                EXPECT_EQ(staged.list.files.items, ready);
            }
            for (auto pick : {&List::folders, &List::files}) {
                const GrowArray<Entry> &a = one.list.*pick, &b = staged.list.*pick;
                ASSERT_EQ(a.count, b.count);
                EXPECT_EQ(a.capacity, b.capacity);
                for (int32_t i = 0; i < a.count; ++i) {
                    const Entry &x = a.items[i], &y = b.items[i];
                    EXPECT_EQ(U16(x.find.name), U16(y.find.name));
                    EXPECT_EQ(U16(x.find.shortName), U16(y.find.shortName));
                    EXPECT_EQ(0, std::memcmp(&x, &y, offsetof(Entry, find.name))) << i;
                }
            }
        }
    }
}

// ---------------------------------------------------------------- archives

struct Member {
    std::string path, name;
    uint32_t size, stamp;
};

std::vector<uint8_t> Listing(const std::vector<Member> &members, bool terminate) {
    std::vector<uint8_t> block((members.size() + (terminate ? 1 : 0)) * sizeof(SpiFileInfo), 0);
    for (size_t i = 0; i < members.size(); ++i) {
        SpiFileInfo r{};
        std::memcpy(r.method, "TEST", 4);
        r.size = members[i].size;
        r.timestamp = members[i].stamp;
        std::memcpy(r.path, members[i].path.data(), std::min(members[i].path.size(), sizeof(r.path)));
        std::memcpy(r.fileName, members[i].name.data(), std::min(members[i].name.size(), sizeof(r.fileName)));
        std::memcpy(block.data() + i * sizeof(SpiFileInfo), &r, sizeof(r));
    }
    return block;
}

void *CopyBlock(const std::vector<uint8_t> &block) {
    void *p = std::malloc(block.size());
    std::memcpy(p, block.data(), block.size());
    return p;
}

std::vector<U16> FileNames(const List &list) {
    std::vector<U16> names;
    for (int i = 0; i < list.files.count; ++i) names.emplace_back(list.files.items[i].find.name);
    return names;
}

TEST(FileListArchive, MembersOfInnerFoldersSortAfterTheRoot) {
    const auto block = Listing({{"b\\", "z1.png", 30, 100}, {"a\\", "y.png", 10, 0}, {"", "m.png", 20, 50},
                                {"b\\", "x.png", 40, 0}, {"", "", 1, 1}, {"a\\", "w.txt", 5, 0},
                                {"", "inner.zip", 5, 0}, {"", "b.png", 20, 0}},
                               true);
    ListGuard g;
    g.list.isArchive = 1;
    g.list.classify = 1;
    ASSERT_EQ(FileList_ScanArchiveBlock(&g.list, CopyBlock(block), block.size(), std::free, LoaderOf, kText), 1);
    ASSERT_EQ(g.list.files.count, 7);  // the nameless record is skipped
    EXPECT_EQ(g.list.archiveFolders.count, 2);
    EXPECT_EQ(g.list.folders.count, 0);  // members all go to files
    uint32_t seed = 1;
    ASSERT_TRUE(FileList_Sort(1, &g.list, kSortName, false, true, &seed, kText));
    EXPECT_EQ(FileNames(g.list),
              (std::vector<U16>{u"b.png", u"inner.zip", u"m.png", u"w.txt", u"y.png", u"x.png", u"z1.png"}));
    EXPECT_EQ(U16(FileList_GetItemName(0, g.list)), u"a\\");
    EXPECT_EQ(U16(FileList_GetItemName(2, g.list)), u"");
    // An archive inside the archive is not opened; a text file is no picture.
    EXPECT_EQ(g.list.files.items[1].type, 0);
    EXPECT_EQ(g.list.imageCount, 5);
    ASSERT_TRUE(FileList_Sort(1, &g.list, kSortSize | 0x100, false, true, &seed, kText));
    EXPECT_EQ(FileNames(g.list),
              (std::vector<U16>{u"x.png", u"z1.png", u"y.png", u"w.txt", u"m.png", u"b.png", u"inner.zip"}));

    int32_t index = -1;
    ASSERT_TRUE(FileList_FindArchivePath(u"/b/x.png", g.list, &index));
    EXPECT_EQ(U16(g.list.files.items[index].find.name), u"x.png");
    ASSERT_TRUE(FileList_FindArchivePath(u"m.png", g.list, &index));
    EXPECT_EQ(U16(g.list.files.items[index].find.name), u"m.png");
    EXPECT_FALSE(FileList_FindArchivePath(u"a\\x.png", g.list, &index));
    EXPECT_FALSE(FileList_FindArchivePath(u"B\\x.png", g.list, &index));  // case kept

    // Members' dates: 1970 plus the stamp; none for a stamp of 0.
    FileTime32 t{};
    int32_t z = -1;
    ASSERT_TRUE(FileList_FindArchivePath(u"b\\z1.png", g.list, &z));
    ASSERT_TRUE(FileEntry_GetTime(g.list.files.items[z], &t));
    EXPECT_EQ(FileTime_Value(t), (100ull + 11644473600ull) * 10000000ull);
    ASSERT_TRUE(FileList_FindArchivePath(u"a\\y.png", g.list, &index));
    EXPECT_FALSE(FileEntry_GetTime(g.list.files.items[index], &t));
}

// The walk stops at the end of the block even without an end record, and a
// name that fills its field keeps its terminator.
TEST(FileListArchive, WalkIsBoundedByTheBlock) {
    std::string longName(200, 'n');
    longName.replace(190, 4, ".png");
    std::vector<uint8_t> block = Listing({{"", "a.png", 1, 0}, {std::string(200, 'p'), longName, 2, 0}}, false);
    block.resize(block.size() + sizeof(SpiFileInfo) - 1, 0x41);  // a partial record after them
    ListGuard g;
    g.list.isArchive = 1;
    g.list.classify = 1;
    void *copy = CopyBlock(block);
    ASSERT_EQ(FileList_ScanArchiveBlock(&g.list, copy, block.size(), std::free, LoaderOf, kText), 1);
    ASSERT_EQ(g.list.files.count, 2);
    EXPECT_EQ(qvtext::Length(g.list.files.items[1].find.name), 199u);
    EXPECT_EQ(g.list.files.items[1].folderId, 1);  // a 199-unit inner path is kept
    EXPECT_EQ(g.list.files.items[0].folderId, 0);
    EXPECT_EQ(g.list.archiveFolders.count, 1);

    ListGuard empty;
    empty.list.isArchive = 1;
    ASSERT_EQ(FileList_ScanArchiveBlock(&empty.list, std::malloc(10), 10, std::free, LoaderOf, kText), 1);
    EXPECT_EQ(empty.list.files.count, 0);
}

// ---------------------------------------------------------------- title

TEST(Title, BuildTable) {
    const TitleTexts<char16_t> texts{u"Quivelta", u" (%d/%d)", u" <Zoom %d %%%s>", u" <Fit %d %%%s>", u" Lock",
                                     u" <Archive>", u" <Spread>", u" <Auto>", u" <Transparent>", u" <Animation>"};
    const char16_t *path = u"C:\\pictures\\2026\\b.png";
    auto facts = [&]() {
        TitleFacts<char16_t> f;
        f.hasRecord = true;
        f.hasFile = true;
        f.path = path;
        f.listPath = u"C:\\pictures\\2026";
        f.number = 2;
        f.count = 5;
        return f;
    };
    struct Case {
        const char *what;
        TitleFacts<char16_t> f;
        bool emptyWhenNothing;
        U16 want;
    };
    std::vector<Case> cases;
    cases.push_back({"name", facts(), false, u"b.png"});
    auto f = facts();
    f.nameMode = kTitleFullPath;
    cases.push_back({"full path", f, false, u"C:\\pictures\\2026\\b.png"});
    f.nameMode = kTitleFromFolder;
    cases.push_back({"from folder", f, false, u"2026\\b.png"});
    f = facts();
    f.statusShowsPosition = false;
    cases.push_back({"position", f, false, u"b.png (2/5)"});
    f = facts();
    f.zoomMode = 0x1;
    f.zoomPercent = 37;
    cases.push_back({"fit", f, false, u"b.png <Fit 37 %>"});
    f.zoomMode = 0x2;
    f.zoomLock = true;
    cases.push_back({"zoom lock", f, false, u"b.png <Zoom 37 % Lock>"});
    f.zoomMode = 0x80;
    f.zoomLock = false;
    cases.push_back({"keep zoom", f, false, u"b.png"});
    f = facts();
    f.listIsArchive = true;
    f.twoPages = true;
    f.slideShow = true;
    f.transparent = true;
    f.animation = true;
    cases.push_back({"markers", f, false, u"b.png <Archive> <Spread> <Auto> <Transparent> <Animation>"});
    f.isNew = true;
    cases.push_back({"new picture", f, false, u"b.png <Auto> <Transparent> <Animation>"});
    f = facts();
    f.hasFile = false;
    cases.push_back({"list only", f, false, u"2026\\"});
    f.nameMode = kTitleFullPath;
    cases.push_back({"list only full", f, false, u"C:\\pictures\\2026\\"});
    f.listPath = nullptr;
    cases.push_back({"nothing", f, false, u"Quivelta"});
    cases.push_back({"nothing, empty", f, true, u""});
    f = facts();
    f.path = u"b.png";
    f.nameMode = kTitleFromFolder;
    cases.push_back({"bare name", f, false, u"b.png"});
    for (const Case &c : cases) {
        char16_t out[300];
        ASSERT_TRUE(Title_Compose(out, 300, c.f, texts, c.emptyWhenNothing));
        EXPECT_EQ(U16(out), c.want) << c.what;
    }
    // A small buffer cuts the text and keeps its terminator.
    char16_t small[6];
    ASSERT_TRUE(Title_Compose(small, 6, facts(), texts, false));
    EXPECT_EQ(U16(small), u"b.png");
    char16_t tiny[4];
    ASSERT_TRUE(Title_Compose(tiny, 4, facts(), texts, false));
    EXPECT_EQ(U16(tiny), u"b.p");
}

TEST(Title, ShortenPath) {
    char16_t out[kTitleShortPathUnits];
    const U16 shortPath = u"C:\\a\\b.png";
    ASSERT_TRUE(TitleCore_ShortenPath(out, shortPath.c_str()));
    EXPECT_EQ(U16(out), shortPath);

    const U16 deep = u"C:" + std::u16string(60, u'\\') + U16(300, u'd') + u"\\photo.jpg";
    ASSERT_TRUE(TitleCore_ShortenPath(out, deep.c_str()));
    EXPECT_EQ(U16(out), u"C:...\\photo.jpg");

    const U16 unc = u"\\\\server\\share\\" + U16(300, u'f') + u"\\x.png";
    ASSERT_TRUE(TitleCore_ShortenPath(out, unc.c_str()));
    EXPECT_EQ(U16(out), u"\\\\server\\share...\\x.png");

    // The root reaches the name: the path is cut at the end.
    const U16 rootName = u"C:\\" + U16(400, u'n');
    ASSERT_TRUE(TitleCore_ShortenPath(out, rootName.c_str()));
    EXPECT_EQ(qvtext::Length(out), kTitleShortPathUnits - 1);
    EXPECT_EQ(U16(out).substr(0, 4), u"C:\\n");

    // No root: "..." and the tail.
    const U16 relative = U16(280, u'r') + u"\\tail.png";
    ASSERT_TRUE(TitleCore_ShortenPath(out, relative.c_str()));
    const U16 got(out);
    EXPECT_EQ(got.size(), kTitleShortPathUnits - 1);
    EXPECT_EQ(got.substr(0, 3), u"...");
    EXPECT_EQ(got.substr(got.size() - 9), u"\\tail.png");

    // A long name under a root: root, "..." and the end of the name.
    const U16 longName = u"C:\\dir\\" + U16(400, u'x') + u".png";
    ASSERT_TRUE(TitleCore_ShortenPath(out, longName.c_str()));
    EXPECT_EQ(qvtext::Length(out), kTitleShortPathUnits - 1);
    EXPECT_EQ(U16(out).substr(0, 5), u"C:...");
}

}  // namespace
