// Reading a folder many entries to a call: the native query must give what
// the find functions give, entry for entry, however many queries and
// whichever thread it takes, and stop cleanly when dropped half way.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "util/qv_FolderRead.h"

namespace {

struct Seen {
    tstring name;
    tstring shortName;
    DWORD attributes;
    DWORD sizeLow;
    DWORD sizeHigh;
    FILETIME written;
    bool operator<(const Seen &o) const { return name < o.name; }
};

// Restores the seams whatever a test set.
struct SeamGuard {
    FolderReadSeams saved = g_folderReadSeams;
    ~SeamGuard() { g_folderReadSeams = saved; }
};

// Work done while the reader waits: counts its calls, asks for at most
// `limit` of them.
struct IdleWork {
    int calls = 0;
    int limit = 0;
    static bool Run(void *context) {
        IdleWork &w = *static_cast<IdleWork *>(context);
        ++w.calls;
        return w.calls < w.limit;
    }
};

// Every entry of the folder, sorted by name, and the way the reader took.
std::vector<Seen> ReadAll(const tstring &folder, int *way = nullptr, IdleWork *idle = nullptr) {
    std::vector<Seen> seen;
    FolderReader reader;
    if (idle != nullptr) {
        reader.idle = IdleWork::Run;
        reader.idleContext = idle;
    }
    if (!FolderRead_Open(&reader, folder.c_str())) return seen;
    if (way != nullptr) *way = FolderRead_Way(reader);
    FolderItem item;
    while (FolderRead_Next(&reader, &item)) {
        seen.push_back(Seen{tstring(item.name, item.nameUnits), tstring(item.shortName, item.shortUnits),
                            item.attributes, item.sizeLow, item.sizeHigh, item.written});
    }
    std::sort(seen.begin(), seen.end());
    return seen;
}

// Files are made through the wide functions so both flavours see the same
// names, including those the ANSI code page cannot spell.
void MakeFile(const std::wstring &path, DWORD size, DWORD attributes = 0) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::string bytes(size, 'q');
    DWORD written = 0;
    if (size) WriteFile(h, bytes.data(), size, &written, nullptr);
    CloseHandle(h);
    if (attributes) SetFileAttributesW(path.c_str(), attributes);
}

std::wstring Wide(const tstring &text) {
#if defined(QV_ANSI)
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH);
    return wide;
#else
    return text;
#endif
}

void ExpectSameEntries(const std::vector<Seen> &query, const std::vector<Seen> &find) {
    ASSERT_EQ(query.size(), find.size());
    for (size_t i = 0; i < query.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(query[i].name == find[i].name);
        EXPECT_TRUE(query[i].shortName == find[i].shortName);
        EXPECT_EQ(query[i].attributes, find[i].attributes);
        EXPECT_EQ(query[i].sizeLow, find[i].sizeLow);
        EXPECT_EQ(query[i].sizeHigh, find[i].sizeHigh);
        // ".." is the shared temporary folder, which tests running
        // alongside touch between the two reads.
        if (query[i].name == TEXT("..")) continue;
        EXPECT_EQ(query[i].written.dwLowDateTime, find[i].written.dwLowDateTime);
        EXPECT_EQ(query[i].written.dwHighDateTime, find[i].written.dwHighDateTime);
    }
}

TEST(FolderRead, NativeQueryGivesWhatTheFindFunctionsGive) {
    TempFolder dir(TEXT("fread"));
    const std::wstring base = Wide(dir.path()) + L"\\";
    MakeFile(base + L"file2.png", 2);
    MakeFile(base + L"file10.png", 10);
    MakeFile(base + L"hidden.jpg", 7, FILE_ATTRIBUTE_HIDDEN);
    MakeFile(base + L"readonly.gif", 0, FILE_ATTRIBUTE_READONLY);
    MakeFile(base + L"A photo with a rather long name taken in summer.jpeg", 33);
    MakeFile(base + L"\x00fcber.bmp", 4);          // fits the ANSI code page
    MakeFile(base + L"\x65e5\x672c.png", 5);        // does not
    MakeFile(base + std::wstring(240, L'n') + L".png", 6);
    CreateDirectoryW((base + L"sub folder").c_str(), nullptr);

    SeamGuard guard;
    int way = -1;
    const std::vector<Seen> query = ReadAll(dir.path(), &way);
    EXPECT_EQ(way, 1);
    g_folderReadSeams.findOnly = true;
    int findWay = -1;
    const std::vector<Seen> find = ReadAll(dir.path(), &findWay);
    EXPECT_EQ(findWay, 0);
    ExpectSameEntries(query, find);
    // Nine made above, "." and ".." besides.
    EXPECT_EQ(query.size(), 11u);
    const auto dot = std::find_if(query.begin(), query.end(), [](const Seen &s) { return s.name == TEXT(".."); });
    EXPECT_NE(dot, query.end());
}

// A small buffer makes many queries and the read-ahead thread; a folder
// read in one query stays on the caller's thread. Work given for the waits
// changes nothing of what is read, however much of it there is.
TEST(FolderRead, ManyQueriesOnAThreadLoseAndRepeatNothing) {
    TempFolder dir(TEXT("fread_many"));
    const std::wstring base = Wide(dir.path()) + L"\\";
    constexpr int kFiles = 300;
    for (int i = 0; i < kFiles; ++i) {
        wchar_t name[64];
        wsprintfW(name, L"IMG_%04d scanned page of the album.jpg", i);
        MakeFile(base + name, DWORD(i));
    }
    SeamGuard guard;
    const struct {
        size_t bufferBytes;
        int way;
    } cases[] = {{4096, 2}, {8192, 2}, {size_t(1) << 20, 1}};
    g_folderReadSeams.findOnly = true;
    const std::vector<Seen> find = ReadAll(dir.path());
    g_folderReadSeams.findOnly = false;
    ASSERT_EQ(find.size(), size_t(kFiles) + 2);
    for (const auto &c : cases) {
        for (int limit : {0, 1, 1000000}) {
            SCOPED_TRACE(testing::Message() << c.bufferBytes << " bytes, idle limit " << limit);
            g_folderReadSeams.bufferBytes = c.bufferBytes;
            int way = -1;
            IdleWork idle;
            idle.limit = limit;
            const std::vector<Seen> query = ReadAll(dir.path(), &way, limit > 0 ? &idle : nullptr);
            EXPECT_EQ(way, c.way);
            ExpectSameEntries(query, find);
            // Waiting happens only for buffers read ahead.
            if (c.way != 2) {
                EXPECT_EQ(idle.calls, 0);
            }
        }
    }
}

TEST(FolderRead, DroppedHalfWayStopsTheThread) {
    TempFolder dir(TEXT("fread_drop"));
    const std::wstring base = Wide(dir.path()) + L"\\";
    for (int i = 0; i < 200; ++i) {
        wchar_t name[64];
        wsprintfW(name, L"DSC%05d with a long description.jpg", i);
        MakeFile(base + name, 1);
    }
    SeamGuard guard;
    g_folderReadSeams.bufferBytes = 4096;
    for (int taken : {0, 1, 5, 60}) {
        SCOPED_TRACE(taken);
        FolderReader reader;
        ASSERT_TRUE(FolderRead_Open(&reader, dir.path().c_str()));
        EXPECT_EQ(FolderRead_Way(reader), 2);
        FolderItem item;
        for (int i = 0; i < taken; ++i) ASSERT_TRUE(FolderRead_Next(&reader, &item));
    }  // each reader is destroyed with its thread mid-folder
}

TEST(FolderRead, EmptyMissingAndTrailingSeparator) {
    TempFolder dir(TEXT("fread_edge"));
    SeamGuard guard;
    for (bool findOnly : {false, true}) {
        SCOPED_TRACE(findOnly);
        g_folderReadSeams.findOnly = findOnly;
        const std::vector<Seen> empty = ReadAll(dir.path());
        ASSERT_EQ(empty.size(), 2u);
        EXPECT_TRUE(empty[0].name == TEXT("."));
        EXPECT_TRUE(empty[1].name == TEXT(".."));
        EXPECT_EQ(ReadAll(dir.path() + TEXT("\\")).size(), 2u);

        FolderReader reader;
        EXPECT_EQ(FolderRead_Open(&reader, dir.Join(TEXT("not there")).c_str()), 0);
        const DWORD error = GetLastError();
        EXPECT_TRUE(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) << error;
        FolderItem item;
        EXPECT_EQ(FolderRead_Next(&reader, &item), 0);
    }
    FolderReader reader;
    EXPECT_EQ(FolderRead_Open(&reader, TEXT("")), 0);
    EXPECT_EQ(FolderRead_Open(&reader, nullptr), 0);
}

}  // namespace
