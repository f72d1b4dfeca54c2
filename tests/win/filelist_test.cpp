// Listing a real folder of mixed files through the system, in both text
// flavours: classification, natural order, hidden files, "." and "..",
// the named-file scan, removal and the title texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/qv_FileList.h"
#include "image/qv_Format.h"
#include "other/qv_Title.h"
#include "util/qv_Str.h"

namespace {

using tstring = std::basic_string<TCHAR>;

// A fresh folder under the temporary folder, removed with its files.
class TempFolder {
public:
    TempFolder() {
        TCHAR base[MAX_PATH];
        GetTempPath(MAX_PATH, base);
        TCHAR name[64];
        wsprintf(name, TEXT("qvlist_%lu_%lu"), GetCurrentProcessId(), GetTickCount());
        path_ = tstring(base) + name;
        created_ = CreateDirectory(path_.c_str(), nullptr) != 0;
    }
    ~TempFolder() { Remove(path_); }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    bool created() const { return created_; }
    const tstring &path() const { return path_; }
    void File(const tstring &name, DWORD size, DWORD attributes = 0) const {
        const tstring full = path_ + TEXT("\\") + name;
        HANDLE h = CreateFile(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        std::vector<char> bytes(size, 'x');
        DWORD written = 0;
        if (size) WriteFile(h, bytes.data(), size, &written, nullptr);
        CloseHandle(h);
        if (attributes) SetFileAttributes(full.c_str(), attributes);
    }
    void Folder(const tstring &name) const { CreateDirectory((path_ + TEXT("\\") + name).c_str(), nullptr); }

private:
    static void Remove(const tstring &folder) {
        WIN32_FIND_DATA fd;
        HANDLE h = FindFirstFile((folder + TEXT("\\*")).c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const tstring n = fd.cFileName;
                if (n == TEXT(".") || n == TEXT("..")) continue;
                const tstring full = folder + TEXT("\\") + n;
                SetFileAttributes(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    Remove(full);
                } else {
                    DeleteFile(full.c_str());
                }
            } while (FindNextFile(h, &fd));
            FindClose(h);
        }
        RemoveDirectory(folder.c_str());
    }
    tstring path_;
    bool created_ = false;
};

class FileListFolder : public testing::Test {
protected:
    static void SetUpTestSuite() {
        Str_InitLogicalCompare();
        Format_RegisterBuiltins();
    }
    static void TearDownTestSuite() { Format_DestroyRegistry(); }

    void SetUp() override {
        ASSERT_TRUE(dir.created());
        dir.File(TEXT("file10.png"), 10);
        dir.File(TEXT("file2.png"), 30);
        dir.File(TEXT("file1.JPG"), 20);
        dir.File(TEXT("b.png"), 20);
        dir.File(TEXT("notes.txt"), 5);
        dir.File(TEXT("hidden.gif"), 5, FILE_ATTRIBUTE_HIDDEN);
        dir.File(TEXT("Image.bmp"), 40);
        dir.Folder(TEXT("sub"));
        dir.Folder(TEXT("Album 10"));
        dir.Folder(TEXT("Album 9"));
    }
    void TearDown() override { FileList_Free(&list); }

    static std::vector<tstring> Names(const GrowArray<FileListEntry> &a) {
        std::vector<tstring> names;
        for (int i = 0; i < a.count; ++i) names.emplace_back(a.items[i].find.name);
        return names;
    }

    TempFolder dir;
    FileList list;
    uint32_t seed = 1;
};

TEST_F(FileListFolder, ListsInNaturalOrderAndClassifies) {
    FileListSettings settings;
    settings.filter.listHidden = false;
    ASSERT_EQ(FileList_SetPath(&list, (dir.path() + TEXT("\\")).c_str(), 1, 1), 1);
    EXPECT_EQ(list.isArchive, 0);
    EXPECT_TRUE(tstring(list.path) == dir.path());  // trailing separator dropped
    ASSERT_EQ(FileList_Scan(&list, settings, nullptr, &seed), 1);

    EXPECT_EQ(Names(list.folders), (std::vector<tstring>{TEXT("Album 9"), TEXT("Album 10"), TEXT("sub")}));
    EXPECT_EQ(Names(list.files), (std::vector<tstring>{TEXT("b.png"), TEXT("file1.JPG"), TEXT("file2.png"),
                                                       TEXT("file10.png"), TEXT("hidden.gif"), TEXT("Image.bmp"),
                                                       TEXT("notes.txt")}));
    // Hidden and unknown files are listed but no pictures.
    const int32_t ordinals[] = {0, 1, 2, 3, -1, 4, -1};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(list.files.items[i].imageOrdinal, ordinals[i]) << i;
    EXPECT_EQ(list.imageCount, 5);
    EXPECT_EQ(list.files.items[1].type, int32_t(kLoaderJpeg));
    EXPECT_EQ(list.folders.items[0].type, kTypeFolder);

    // Next over the hidden file; the first, last and a move past the end.
    EXPECT_EQ(FileList_Navigate(1, 3, kNavStep, list, &seed), 5);
    EXPECT_EQ(FileList_Navigate(-1, 5, kNavStep, list, &seed), 3);
    EXPECT_EQ(FileList_Navigate(1, 5, kNavStep, list, &seed), kNavPastEnd);
    EXPECT_EQ(FileList_Navigate(0, 0, kNavLast, list, &seed), 5);

    int32_t index = -1;
    ASSERT_EQ(FileList_Find(list, 1, TEXT("IMAGE.BMP"), &index), 1);
    EXPECT_EQ(index, 5);
    ASSERT_EQ(FileList_RemoveEntryByName(&list, TEXT("file2.png")), 1);
    EXPECT_EQ(FileList_Find(list, 1, TEXT("file10.png"), &index), 1);
    EXPECT_EQ(index, 3);
    EXPECT_EQ(list.imageCount, 4);
}

TEST_F(FileListFolder, OtherOrdersAndHiddenFilesShown) {
    FileListSettings settings;
    settings.sortType = kSortSize | 0x100 | 0x20000;  // size, descending, natural off
    ASSERT_EQ(FileList_SetPath(&list, dir.path().c_str(), 0, 1), 1);
    ASSERT_EQ(FileList_Scan(&list, settings, nullptr, &seed), 1);
    EXPECT_EQ(Names(list.files), (std::vector<tstring>{TEXT("Image.bmp"), TEXT("file2.png"), TEXT("file1.JPG"),
                                                       TEXT("b.png"), TEXT("file10.png"), TEXT("notes.txt"),
                                                       TEXT("hidden.gif")}));
    EXPECT_EQ(list.imageCount, 5 + 1);  // the hidden picture counts now
    EXPECT_EQ(Names(list.folders), (std::vector<tstring>{TEXT("sub"), TEXT("Album 9"), TEXT("Album 10")}));
}

TEST_F(FileListFolder, NamedFileAndPathRules) {
    FileListSettings settings;
    ASSERT_EQ(FileList_SetPath(&list, dir.path().c_str(), 1, 1), 1);
    EXPECT_EQ(FileList_SetPath(&list, dir.path().c_str(), 1, 1), 0);  // a path is taken once
    EXPECT_EQ(FileList_Scan(&list, settings, TEXT("file2.png"), &seed), 2);
    EXPECT_EQ(list.namedOnly, 1);
    ASSERT_EQ(list.files.count, 1);
    EXPECT_EQ(list.files.items[0].find.sizeLow, 30u);
    EXPECT_EQ(list.imageCount, 1);
    // A missing name lists the whole folder; "." is never a named file.
    EXPECT_EQ(FileList_Scan(&list, settings, TEXT("gone.png"), &seed), 1);
    EXPECT_EQ(list.files.count, 7);
    EXPECT_EQ(FileList_Scan(&list, settings, TEXT(".."), &seed), 1);
    EXPECT_EQ(list.folders.count, 3);

    // A file as the path: an archive list only when archives are allowed.
    FileList archive, refused;
    const tstring file = dir.path() + TEXT("\\notes.txt");
    EXPECT_EQ(FileList_SetPath(&refused, file.c_str(), 0, 1), 0);
    ASSERT_EQ(FileList_SetPath(&archive, file.c_str(), 1, 1), 1);
    EXPECT_EQ(archive.isArchive, 1);
    EXPECT_TRUE(tstring(archive.folder) == dir.path());
    EXPECT_TRUE(tstring(archive.name) == TEXT("notes.txt"));
    EXPECT_EQ(FileList_Scan(&archive, settings, nullptr, &seed), 0);  // no plug-in lister yet
    EXPECT_EQ(FileList_ArchiveChanged(archive), 0);
    FileList_Free(&archive);
    FileList_Free(&refused);
    EXPECT_EQ(FileList_ArchiveChanged(list), -1);
}

TEST_F(FileListFolder, CurrentListAndRandomOrderKeepsTheNamedFileFirst) {
    FileListSettings settings;
    settings.sortType = kSortRandom;
    for (uint32_t s = 1; s < 6; ++s) {
        seed = s;
        ASSERT_EQ(FileList_MakeCurrent(0, dir.path().c_str(), TEXT("file10.png"), settings, &seed), 1);
        ASSERT_NE(FileList_Current(), nullptr);
        EXPECT_TRUE(tstring(FileList_Current()->files.items[0].find.name) == TEXT("file10.png"));
    }
    EXPECT_EQ(FileList_MakeCurrent(0, (dir.path() + TEXT("\\missing\\deeper")).c_str(), nullptr, settings, &seed), 0);
    EXPECT_NE(FileList_Current(), nullptr);  // the old list stays
    FileList_FreeCurrent();
    EXPECT_EQ(FileList_Current(), nullptr);
}

// A folder larger than the arrays' first room: every entry is listed, in
// the system's enumeration order (sort type 0), with its facts and 8.3 name,
// and classified as the format registry classifies its name.
TEST_F(FileListFolder, LargeFolderKeepsEnumerationOrderFactsAndTypes) {
    const TCHAR *extensions[] = {TEXT(".png"), TEXT(".JPG"), TEXT(".jpg"), TEXT(".txt"), TEXT(""),
                                 TEXT(".Gif"), TEXT(".bmp"), TEXT(".a.b.jpeg"), TEXT(".extensionlongerthansixteen")};
    for (int i = 0; i < 300; ++i) {
        TCHAR name[64];
        wsprintf(name, TEXT("long picture name %03d%s"), i, extensions[i % 9]);
        dir.File(name, DWORD(i % 7));
    }
    for (int i = 0; i < 140; ++i) {
        TCHAR name[32];
        wsprintf(name, TEXT("folder %d"), i);
        dir.Folder(name);
    }
    FileListSettings settings;
    settings.sortType = 0;
    ASSERT_EQ(FileList_SetPath(&list, dir.path().c_str(), 0, 1), 1);
    ASSERT_EQ(FileList_Scan(&list, settings, nullptr, &seed), 1);

    std::vector<WIN32_FIND_DATA> files, folders;
    WIN32_FIND_DATA fd;
    HANDLE h = FindFirstFile((dir.path() + TEXT("\\*")).c_str(), &fd);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    do {
        const tstring n = fd.cFileName;
        if (n == TEXT(".") || n == TEXT("..")) continue;
        ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? folders : files).push_back(fd);
    } while (FindNextFile(h, &fd));
    FindClose(h);
    ASSERT_EQ(list.files.count, int32_t(files.size()));
    ASSERT_EQ(list.folders.count, int32_t(folders.size()));
    EXPECT_EQ(list.files.capacity, 512);  // as appending one by one from 128 would leave it
    const struct {
        const GrowArray<FileListEntry> *entries;
        const std::vector<WIN32_FIND_DATA> *found;
    } arrays[] = {{&list.files, &files}, {&list.folders, &folders}};
    int32_t ordinal = 0;
    for (const auto &a : arrays)
        for (size_t i = 0; i < a.found->size(); ++i) {
            const FileListEntry &e = a.entries->items[i];
            const WIN32_FIND_DATA &f = (*a.found)[i];
            SCOPED_TRACE(testing::Message() << i);
            ASSERT_TRUE(tstring(e.find.name) == f.cFileName);
            EXPECT_TRUE(tstring(e.find.shortName) == f.cAlternateFileName);
            EXPECT_EQ(e.find.attributes, f.dwFileAttributes);
            EXPECT_EQ(e.find.sizeLow, f.nFileSizeLow);
            EXPECT_EQ(e.find.written.low, f.ftLastWriteTime.dwLowDateTime);
            EXPECT_EQ(e.member, nullptr);
            EXPECT_EQ(e.folderOrder, -1);
            EXPECT_EQ(e.nameHash, FileEntry_NameHash(f.cFileName, FileList_SystemText()));
            if (a.entries == &list.files) {
                const int32_t id = Format_IdFromPath(f.cFileName, false);
                EXPECT_EQ(e.type, id > 0 ? id : 0);
                EXPECT_EQ(e.imageOrdinal, e.type != kTypeNotListed ? ordinal++ : -1);
            } else {
                EXPECT_EQ(e.type, kTypeFolder);
            }
        }
    EXPECT_EQ(list.imageCount, ordinal);
}

// Name hashes fold ASCII without the system; they must equal the system's
// folding for every ASCII unit, and other names still go to the system.
TEST(FileListHashes, FoldingMatchesTheSystem) {
    std::vector<tstring> names;
    for (int c = 1; c < 128; ++c) names.push_back(tstring(TEXT("x")) + TCHAR(c) + TEXT("Y"));
    names.push_back(TEXT("MIXED Case.JPG"));
#if !defined(QV_ANSI)
    names.push_back(L"\u00c9T\u00c9 \u0130I.PNG");
#else
    names.push_back("\xc9T\xc9.PNG");
#endif
    for (const tstring &name : names) {
        tstring lowered = name;
        CharLowerBuff(&lowered[0], DWORD(lowered.size()));
        EXPECT_EQ(FileEntry_NameHash(name.c_str(), FileList_SystemText()), Str_Hash(lowered.c_str()))
            << unsigned(name[1]);
    }
}

// The cheap keys only ever change the speed: with the system's compare the
// order is the same with and without them, for awkward names and for a few
// thousand names built at random.
TEST(FileListSystemOrder, PresortGivesTheExactCompareOrder) {
    Str_InitLogicalCompare();
    std::vector<tstring> tricky = {
        TEXT("a.jpg"),    TEXT("A.jpg"),      TEXT("a.JPG"),     TEXT("img01.jpg"),  TEXT("img1.jpg"),
        TEXT("img001.jpg"), TEXT("img0.jpg"), TEXT("img.jpg"),   TEXT("img 1.jpg"),  TEXT("img-1.jpg"),
        TEXT("img_1.jpg"), TEXT("img(1).jpg"), TEXT("img (1).jpg"), TEXT("img'1.jpg"), TEXT("img~.jpg"),
        TEXT("x99999999999999999999.png"), TEXT("x100000000000000000000.png"), TEXT("x2147483648.png"),
        TEXT("x4294967297.png"), TEXT("x-5.png"), TEXT("x+5.png"), TEXT("x 5.png"), TEXT("1"), TEXT("0"),
        TEXT("00"), TEXT("01"), TEXT(".hidden"), TEXT("..x"), TEXT("file2"), TEXT("file10"), TEXT("file02b"),
        TEXT("re-do.gif"), TEXT("redo.gif"), TEXT("red-o.gif"), TEXT("re'do.gif"), TEXT("readme"), TEXT("README"),
#if !defined(QV_ANSI)
        L"\u00e9t\u00e9.png", L"ete.png", L"Ete.png", L"\u00dfa.png", L"ssa.png", L"\u6f22\u5b57.png",
        L"\U0001F600.png", L"\uff11\uff10.png", L"\u0661\u0662.png",
#else
        "\xe9t\xe9.png", "ete.png", "Ete.png", "\xdf" "a.png", "ssa.png", "\xb9\xb2.png",
#endif
    };
    std::vector<tstring> random;
    uint32_t state = 7;
    const TCHAR *pieces[] = {TEXT("IMG"), TEXT("img"), TEXT("_"),  TEXT("-"),    TEXT(" "),  TEXT("."),
                             TEXT("("),   TEXT(")"),   TEXT("0"),  TEXT("00"),   TEXT("7"),  TEXT("42"),
                             TEXT("x"),   TEXT("X"),   TEXT("'"),  TEXT("scan"), TEXT("~"),  TEXT("Page")};
    for (int i = 0; i < 3000; ++i) {
        tstring name;
        for (uint32_t k = 0, n = 1 + Rand_Next(&state) % 6; k < n; ++k) name += pieces[Rand_Next(&state) % 18];
        name += Rand_Next(&state) % 2 ? TEXT(".jpg") : TEXT(".PNG");
        random.push_back(name);
    }
    for (const std::vector<tstring> *names : {&tricky, &random}) {
        GrowArray<FileListEntry> entries;
        uint32_t scramble = 3;
        for (const tstring &name : *names) {
            FileListEntry e{};
            qvtext::CopyInto(e.find.name, kFileNameUnits, name.c_str());
            e.find.attributes = Rand_Next(&scramble) % 11 == 0 ? kAttrDirectory : 0;
            e.find.sizeLow = Rand_Next(&scramble) % 3;
            e.folderOrder = -1;
            ASSERT_TRUE(GrowArray_Append(&entries, e));
        }
        for (uint32_t key : {uint32_t(kSortName), uint32_t(kSortSize), uint32_t(kSortExtension)})
            for (int flags = 0; flags < 4; ++flags) {
                const SortOrder order{key, (flags & 1) != 0, (flags & 2) != 0};
                SCOPED_TRACE(testing::Message() << names->size() << " names, key " << key << " flags " << flags);
                std::vector<tstring> orders[2];
                for (int presorted = 0; presorted < 2; ++presorted) {
                    GrowArray<FileListEntry> copy;
                    for (int32_t i = 0; i < entries.count; ++i) ASSERT_TRUE(GrowArray_Append(&copy, entries.items[i]));
                    ASSERT_TRUE(FileList_SortEntries(&copy, order, FileList_SystemText(),
                                                     presorted ? Presort::kAlways : Presort::kNever));
                    for (int32_t i = 0; i < copy.count; ++i) orders[presorted].emplace_back(copy.items[i].find.name);
                    GrowArray_Free(&copy);
                }
                ASSERT_TRUE(orders[0] == orders[1]);
            }
        GrowArray_Free(&entries);
    }
}

// A list large enough to be checked in parts on several threads ends in the
// same order as on one thread.
TEST(FileListSystemOrder, ThreadsGiveTheOneThreadOrder) {
    Str_InitLogicalCompare();
    GrowArray<FileListEntry> entries;
    uint32_t state = 11;
    for (int i = 0; i < 12000; ++i) {
        FileListEntry e{};
        wsprintf(e.find.name, i % 3 ? TEXT("IMG_%04lu %s.jpg") : TEXT("scan %lu-%s.png"), Rand_Next(&state) % 20000,
                 Rand_Next(&state) % 2 ? TEXT("a") : TEXT("B"));
        e.folderOrder = -1;
        ASSERT_TRUE(GrowArray_Append(&entries, e));
    }
    FileListText<TCHAR> oneThread = FileList_SystemText();
    oneThread.workers = nullptr;
    ASSERT_NE(FileList_SystemText().workers, nullptr);
    for (int flags = 0; flags < 4; ++flags) {
        const SortOrder order{kSortName, (flags & 1) != 0, (flags & 2) != 0};
        std::vector<tstring> orders[2];
        for (int threads = 0; threads < 2; ++threads) {
            GrowArray<FileListEntry> copy;
            for (int32_t i = 0; i < entries.count; ++i) ASSERT_TRUE(GrowArray_Append(&copy, entries.items[i]));
            ASSERT_TRUE(FileList_SortEntries(&copy, order, threads ? FileList_SystemText() : oneThread));
            for (int32_t i = 0; i < copy.count; ++i) orders[threads].emplace_back(copy.items[i].find.name);
            GrowArray_Free(&copy);
        }
        EXPECT_TRUE(orders[0] == orders[1]) << flags;
    }
    GrowArray_Free(&entries);
}

TEST(Title, BuildFromTheStringTable) {
    TitleFacts<TCHAR> f;
    f.hasRecord = true;
    f.hasFile = true;
    f.path = TEXT("C:\\pictures\\b.png");
    f.statusShowsPosition = false;
    f.number = 3;
    f.count = 12;
    f.zoomMode = 1;
    f.zoomPercent = 50;
    TCHAR out[256];
    ASSERT_EQ(Title_Build(out, f, 256, 0), 1);
    EXPECT_TRUE(tstring(out) == TEXT("b.png (3/12) <Fit 50 %>"));
    TitleFacts<TCHAR> none;
    ASSERT_EQ(Title_Build(out, none, 256, 0), 1);
    EXPECT_TRUE(tstring(out) == TEXT("Quivelta"));
    TCHAR shortPath[kTitleShortPathUnits];
    ASSERT_EQ(Title_ShortenPath(shortPath, TEXT("C:\\a\\b.png")), 1);
    EXPECT_TRUE(tstring(shortPath) == TEXT("C:\\a\\b.png"));
}

}  // namespace
