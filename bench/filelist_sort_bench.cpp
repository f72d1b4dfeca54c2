// Sorting a file list of 100,000 camera and scan names in natural order:
// the exact merge sort alone next to the same sort after the cheap-key
// presort, and the presort by itself. The natural compare here is the
// portable one over a folding collation, far cheaper than the system's, so
// the "compares" counter is the figure that carries over to the program.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "image/qv_FileListCore.h"

namespace {

using Entry = FileListEntryT<char16_t>;

char16_t Fold(char16_t c) { return c >= 'A' && c <= 'Z' ? char16_t(c + 32) : c; }
int FoldN(const char16_t *a, size_t na, const char16_t *b, size_t nb) {
    for (size_t i = 0; i < na && i < nb; ++i)
        if (Fold(a[i]) != Fold(b[i])) return Fold(a[i]) < Fold(b[i]) ? -1 : 1;
    return na == nb ? 0 : (na < nb ? -1 : 1);
}
int OrdN(const char16_t *a, size_t na, const char16_t *b, size_t nb) {
    for (size_t i = 0; i < na && i < nb; ++i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return na == nb ? 0 : (na < nb ? -1 : 1);
}
const qvtext::Collation<char16_t> kColl{FoldN, OrdN};
long g_compares = 0;
int Natural(const char16_t *a, const char16_t *b) {
    ++g_compares;
    return qvtext::CompareNatural(a, b, kColl);
}
int Caseless(const char16_t *a, const char16_t *b) { return FoldN(a, qvtext::Length(a), b, qvtext::Length(b)); }
int Cased(const char16_t *a, const char16_t *b) { return OrdN(a, qvtext::Length(a), b, qvtext::Length(b)); }
const FileListText<char16_t> kText{Natural, Caseless, Cased, nullptr, nullptr, nullptr};

// The names of bench/filelist_bench.sh, in a fixed scrambled order.
std::vector<Entry> Names(size_t count) {
    std::vector<Entry> entries;
    std::set<std::string> made;
    char text[96];
    for (size_t i = 0; made.size() < count; ++i) {
        const size_t v = i / 7 + (i % 97) * 1000;
        switch (i % 7) {
            case 0: std::snprintf(text, sizeof text, "IMG_%04zu.JPG", v % 10000); break;
            case 1: std::snprintf(text, sizeof text, "DSC%05zu.jpg", v); break;
            case 2: std::snprintf(text, sizeof text, "scan %zu page %zu.png", v / 40, v % 40 + 1); break;
            case 3: std::snprintf(text, sizeof text, "P%07zu.JPG", v * 7); break;
            case 4:
                std::snprintf(text, sizeof text, "2023-%02zu-%02zu %02zu.%02zu.%02zu.jpg", v % 12 + 1, v % 28 + 1, v % 24,
                              v % 60, v / 60 % 60);
                break;
            case 5: std::snprintf(text, sizeof text, "Screenshot (%zu).png", v); break;
            default: std::snprintf(text, sizeof text, "notes %zu.txt", v); break;
        }
        if (!made.insert(text).second) continue;
        Entry e{};
        for (size_t k = 0; text[k] != 0; ++k) e.find.name[k] = char16_t(text[k]);
        e.folderOrder = -1;
        entries.push_back(e);
    }
    // Directory order is no name order: scramble by a fixed multiplier.
    std::vector<Entry> scrambled(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) scrambled[(i * 40503u) % entries.size()] = entries[i];
    return scrambled;
}

const std::vector<Entry> &Set() {
    static const std::vector<Entry> set = Names(100000);
    return set;
}

void SortOnce(benchmark::State &state, Presort presort) {
    const std::vector<Entry> &set = Set();
    const SortOrder order{kSortName, false, true};
    long compares = 0;
    for (auto _ : state) {
        state.PauseTiming();
        GrowArray<Entry> array;
        GrowArray_Init(&array, int32_t(set.size()), true);
        for (const Entry &e : set) GrowArray_Append(&array, e);
        g_compares = 0;
        state.ResumeTiming();
        FileList_SortEntries(&array, order, kText, presort);
        compares = g_compares;
        state.PauseTiming();
        GrowArray_Free(&array);
        state.ResumeTiming();
    }
    state.counters["compares"] = double(compares);
}

void BM_NaturalSortExactOnly(benchmark::State &state) { SortOnce(state, Presort::kNever); }
void BM_NaturalSortAfterPresort(benchmark::State &state) { SortOnce(state, Presort::kAlways); }

void BM_PresortAlone(benchmark::State &state) {
    const std::vector<Entry> &set = Set();
    const SortOrder order{kSortName, false, true};
    std::vector<uint32_t> indices(set.size());
    for (auto _ : state) {
        for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint32_t(i);
        FileList_Presort(set.data(), set.size(), order, kText, indices.data());
        benchmark::DoNotOptimize(indices.data());
    }
}

BENCHMARK(BM_NaturalSortExactOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NaturalSortAfterPresort)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PresortAlone)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
