// Lists and sorts one folder the way the viewer does when it opens a
// picture's folder: enumeration, classification and the natural name order.
// Timed inside the program, so Wine's start-up is not counted.
//   filelist_bench_W.exe FOLDER [ROUNDS]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "bench_support.h"
#include "image/qv_FileList.h"
#include "image/qv_Format.h"
#include "util/qv_FolderRead.h"
#include "util/qv_Str.h"
#include "util/qv_Text.h"

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: filelist_bench FOLDER [ROUNDS]\n");
        return 2;
    }
    TCHAR folder[kPathChars];
    if (!Bench_FolderArgument(argv[1], folder)) return 2;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    Str_InitLogicalCompare();
    Format_RegisterBuiltins();
    FileListSettings natural;
    natural.sortType = kSortName;
    natural.naturalOption = true;
    FileListSettings unsorted = natural;
    unsorted.sortType = 0;
    double best = 1e30, bestList = 1e30, bestSort = 1e30;
    int files = 0, images = 0;
    uint32_t seed = 1;
    for (int r = 0; r < rounds; ++r) {
        // Whole job: list and sort in one scan.
        FileList list;
        const double t0 = Bench_NowMs();
        if (!FileList_SetPath(&list, folder, 0, 1) || FileList_Scan(&list, natural, nullptr, &seed) != 1) {
            std::fprintf(stderr, "listing failed\n");
            return 1;
        }
        const double t1 = Bench_NowMs();
        files = list.files.count;
        images = list.imageCount;
        FileList_Free(&list);
        // The two halves apart.
        FileList parts;
        const double t2 = Bench_NowMs();
        FileList_SetPath(&parts, folder, 0, 1);
        FileList_Scan(&parts, unsorted, nullptr, &seed);
        const double t3 = Bench_NowMs();
        FileList_SortWith(1, &parts, natural, &seed);
        const double t4 = Bench_NowMs();
        FileList_Free(&parts);
        if (t1 - t0 < best) best = t1 - t0;
        if (t3 - t2 < bestList) bestList = t3 - t2;
        if (t4 - t3 < bestSort) bestSort = t4 - t3;
    }
    // The system's enumeration alone: the reader the list uses, and the find
    // functions for reference.
    double bestReader = 1e30, bestFind = 1e30;
    int readerWay = -1;
    for (int r = 0; r < rounds; ++r) {
        const double t0 = Bench_NowMs();
        {
            FolderReader reader;
            FolderItem item;
            if (FolderRead_Open(&reader, folder)) {
                readerWay = FolderRead_Way(reader);
                while (FolderRead_Next(&reader, &item)) {
                }
            }
        }
        const double t1 = Bench_NowMs();
        TCHAR pattern[kPathChars + 4];
        lstrcpyn(pattern, folder, kPathChars);
        lstrcat(pattern, TEXT("\\*"));
        WIN32_FIND_DATA fd;
        HANDLE h = FindFirstFileEx(pattern, FindExInfoStandard, &fd, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
        if (h != INVALID_HANDLE_VALUE) {
            while (FindNextFile(h, &fd)) {
            }
            FindClose(h);
        }
        const double t2 = Bench_NowMs();
        if (t1 - t0 < bestReader) bestReader = t1 - t0;
        if (t2 - t1 < bestFind) bestFind = t2 - t1;
    }
    // The natural sort in its steps, on the unsorted list of the last round:
    // the cheap-key presort, the exact sort (and how often it asked the
    // system's compare), moving the entries.
    {
        FileList list;
        FileList_SetPath(&list, folder, 0, 1);
        FileList_Scan(&list, unsorted, nullptr, &seed);
        static long calls = 0;
        FileListText<TCHAR> counting = FileList_SystemText();
        counting.natural = [](const TCHAR *a, const TCHAR *b) {
            ++calls;
            return Str_CompareNatural(a, b);
        };
        counting.workers = nullptr;  // one thread, so the count is exact
        const SortOrder order{kSortName, false, true};
        const size_t n = size_t(list.files.count);
        uint32_t *indices = static_cast<uint32_t *>(std::malloc(n * sizeof(uint32_t)));
        if (indices == nullptr) return 1;
        for (size_t i = 0; i < n; ++i) indices[i] = uint32_t(i);
        const double t0 = Bench_NowMs();
        FileList_Presort(list.files.items, n, order, counting, indices);
        const double t1 = Bench_NowMs();
        const long rankCalls = calls;
        calls = 0;
        Util_SortIndices(indices, n, [&](uint32_t x, uint32_t y) {
            return FileList_CompareEntries(list.files.items[x], list.files.items[y], order, counting) < 0;
        });
        const double t2 = Bench_NowMs();
        Util_ApplyPermutation(list.files.items, indices, n);
        const double t3 = Bench_NowMs();
        std::printf("sort steps: presort %.1f ms (%ld compares ranking units), exact sort on one thread %.1f ms (%ld compares), "
                    "moving entries %.1f ms\n",
                    t1 - t0, rankCalls, t2 - t1, calls, t3 - t2);
        std::free(indices);
        FileList_Free(&list);
    }
    std::printf("files %d pictures %d\n", files, images);
    static const char *const kWays[] = {"find functions", "directory query", "directory query read ahead"};
    std::printf("system enumeration alone: folder reader %.1f ms (%s), find functions %.1f ms\n", bestReader,
                readerWay >= 0 ? kWays[readerWay] : "failed", bestFind);
    std::printf("list+sort %.1f ms (listing %.1f ms, natural sort %.1f ms), best of %d\n", best, bestList, bestSort,
                rounds);
    Format_DestroyRegistry();
    return 0;
}
