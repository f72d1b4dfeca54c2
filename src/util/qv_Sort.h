// Sorting that stays in bounds whatever the compare returns. Names are ordered
// by system collation functions that need not form a consistent order, and an
// introsort given such a compare can read past the array; a merge sort never
// does. Entries are large, so callers sort an index array and permute once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "util/qv_Tasks.h"

namespace qvsort {

// How many leading positions t = 0, 1, ... of a range of `length` satisfy
// holds(t), for a predicate that holds on a prefix of the range: probes at
// 0, 2, 6, 14, ... then a binary search, so a count c costs about 2 log c
// calls. With a predicate that is not monotone the answer is still some
// count in 0..length.
template <class Holds>
size_t GallopCount(size_t length, Holds holds) {
    size_t known = 0;       // holds on [0, known)
    size_t limit = length;  // fails at limit, or limit == length
    for (size_t probe = 1; probe <= length; probe = probe * 2 + 1) {
        if (!holds(probe - 1)) {
            limit = probe - 1;
            break;
        }
        known = probe;
    }
    while (known < limit) {
        const size_t mid = known + (limit - known) / 2;
        if (holds(mid)) {
            known = mid + 1;
        } else {
            limit = mid;
        }
    }
    return known;
}

// After this many items in a row from one side, a merge stops comparing item
// by item and gallops over that side.
constexpr size_t kGallopAfter = 7;

// Merges the sorted runs src[lo, mid) and src[mid, hi) into dst[lo, hi),
// stably. Runs already in order cost one compare; otherwise the items of the
// left run that precede the whole right run, and those of the right run that
// follow the whole left run, are found by galloping and copied, and only the
// middle is merged, galloping again over long stretches from one side. For
// a consistent compare the result is that of a plain merge; for any compare
// every item is written exactly once and no index leaves its run.
template <class Less>
void MergeRuns(const uint32_t *src, uint32_t *dst, size_t lo, size_t mid, size_t hi, Less &less) {
    size_t i = lo, j = mid, k = lo;
    size_t leftEnd = mid, rightEnd = hi;
    if (mid < hi && mid > lo && less(src[mid], src[mid - 1])) {
        // Left items not after src[mid] stay first.
        const uint32_t firstRight = src[mid];
        const size_t late = GallopCount(mid - lo, [&](size_t t) { return less(firstRight, src[mid - 1 - t]); });
        // Right items not before src[mid - 1] stay last.
        const uint32_t lastLeft = src[mid - 1];
        const size_t early = GallopCount(hi - mid, [&](size_t t) { return less(src[mid + t], lastLeft); });
        while (i < mid - late) dst[k++] = src[i++];
        rightEnd = mid + early;
        size_t leftRun = 0, rightRun = 0;
        while (i < leftEnd && j < rightEnd) {
            if (less(src[j], src[i])) {
                dst[k++] = src[j++];
                leftRun = 0;
                if (++rightRun >= kGallopAfter && j < rightEnd) {
                    const uint32_t pivot = src[i];
                    const size_t take = GallopCount(rightEnd - j, [&](size_t t) { return less(src[j + t], pivot); });
                    for (size_t t = 0; t < take; ++t) dst[k++] = src[j++];
                    rightRun = 0;
                }
            } else {
                dst[k++] = src[i++];
                rightRun = 0;
                if (++leftRun >= kGallopAfter && i < leftEnd) {
                    const uint32_t pivot = src[j];
                    const size_t take = GallopCount(leftEnd - i, [&](size_t t) { return !less(pivot, src[i + t]); });
                    for (size_t t = 0; t < take; ++t) dst[k++] = src[i++];
                    leftRun = 0;
                }
            }
        }
    }
    while (i < leftEnd) dst[k++] = src[i++];
    while (j < hi) dst[k++] = src[j++];
}

}  // namespace qvsort

namespace qvsort {

// Sorts src[lo, hi) using dst[lo, hi) as scratch; returns the array that
// holds the result (src or dst).
template <class Less>
uint32_t *SortRange(uint32_t *src, uint32_t *dst, size_t lo, size_t hi, Less &less) {
    // Insertion-sort runs of 16, then merge bottom-up.
    constexpr size_t kRun = 16;
    for (size_t start = lo; start < hi; start += kRun) {
        const size_t end = start + kRun < hi ? start + kRun : hi;
        for (size_t i = start + 1; i < end; ++i) {
            const uint32_t v = src[i];
            size_t j = i;
            while (j > start && less(v, src[j - 1])) {
                src[j] = src[j - 1];
                --j;
            }
            src[j] = v;
        }
    }
    for (size_t width = kRun; width < hi - lo; width *= 2) {
        for (size_t left = lo; left < hi; left += 2 * width) {
            const size_t mid = width < hi - left ? left + width : hi;
            const size_t right = 2 * width < hi - left ? left + 2 * width : hi;
            MergeRuns(src, dst, left, mid, right, less);
        }
        uint32_t *t = src;
        src = dst;
        dst = t;
    }
    return src;
}

}  // namespace qvsort

// Parts of a long sort may run on several threads at once; set by a caller
// whose compare may be called from several threads at once.
using SortWorkers = TaskRunner;

// Sorts indices[0..count) by less(a, b) (a strict "comes before"); stable.
// Adaptive: input that is already in order, or nearly, costs about one
// compare per item, so a caller with a cheap approximate key can put the
// indices nearly in order first and pay for few exact compares; the result
// is the same whatever order the indices come in (for a consistent compare
// and items that differ). With workers, equal parts are sorted at once and
// then merged. Needs scratch for count indices; returns false when that
// cannot be had (the indices are then unchanged).
template <class Less>
bool Util_SortIndices(uint32_t *indices, size_t count, Less less, const SortWorkers *workers = nullptr) {
    if (count < 2) return true;
    uint32_t *scratch = static_cast<uint32_t *>(std::malloc(count * sizeof(uint32_t)));
    if (scratch == nullptr) return false;
    // Parts of at least this many items are worth a thread.
    constexpr size_t kPartFrom = 4096;
    size_t parts = workers != nullptr && workers->run != nullptr ? workers->threads : 1;
    if (parts > count / kPartFrom) parts = count / kPartFrom;
    if (parts > 64) parts = 64;
    if (parts < 2) {
        const uint32_t *sorted = qvsort::SortRange(indices, scratch, 0, count, less);
        if (sorted != indices) std::memcpy(indices, sorted, count * sizeof(uint32_t));
        std::free(scratch);
        return true;
    }
    // Part k is [bound[k], bound[k + 1]); each sorts into indices.
    size_t bound[65];
    for (size_t k = 0; k <= parts; ++k) bound[k] = count * k / parts;
    struct Job {
        uint32_t *indices, *scratch;
        const size_t *bound;
        Less *less;
    } job{indices, scratch, bound, &less};
    workers->run(parts, [](void *context, size_t k) {
        Job &j = *static_cast<Job *>(context);
        const uint32_t *sorted = qvsort::SortRange(j.indices, j.scratch, j.bound[k], j.bound[k + 1], *j.less);
        if (sorted != j.indices)
            std::memcpy(j.indices + j.bound[k], sorted + j.bound[k], (j.bound[k + 1] - j.bound[k]) * sizeof(uint32_t));
    }, &job);
    // Merge neighbouring parts until one is left.
    uint32_t *src = indices, *dst = scratch;
    while (parts > 1) {
        size_t merged = 0;
        for (size_t k = 0; k < parts; k += 2) {
            if (k + 1 < parts) {
                qvsort::MergeRuns(src, dst, bound[k], bound[k + 1], bound[k + 2], less);
            } else {
                std::memcpy(dst + bound[k], src + bound[k], (bound[k + 1] - bound[k]) * sizeof(uint32_t));
            }
            bound[merged++] = bound[k];
        }
        bound[merged] = count;
        parts = merged;
        uint32_t *t = src;
        src = dst;
        dst = t;
    }
    if (src != indices) std::memcpy(indices, src, count * sizeof(uint32_t));
    std::free(scratch);
    return true;
}

// Applies a permutation made by Util_SortIndices to an array of large
// entries with one move each (cycle walk); `order[i]` is the old index of the
// entry that goes to place i. `order` is consumed (left as the identity).
template <class T>
void Util_ApplyPermutation(T *entries, uint32_t *order, size_t count) {
    for (size_t start = 0; start < count; ++start) {
        if (order[start] == start) continue;
        T held = static_cast<T &&>(entries[start]);
        size_t cur = start;
        for (;;) {
            const size_t from = order[cur];
            order[cur] = static_cast<uint32_t>(cur);
            if (from == start) {
                entries[cur] = static_cast<T &&>(held);
                break;
            }
            entries[cur] = static_cast<T &&>(entries[from]);
            cur = from;
        }
    }
}
