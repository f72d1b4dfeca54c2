// Sorting that stays in bounds whatever the compare returns. Names are ordered
// by system collation functions that need not form a consistent order, and an
// introsort given such a compare can read past the array; a merge sort never
// does. Entries are large, so callers sort an index array and permute once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

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

// Sorts indices[0..count) by less(a, b) (a strict "comes before"); stable.
// Adaptive: input that is already in order, or nearly, costs about one
// compare per item, so a caller with a cheap approximate key can put the
// indices nearly in order first and pay for few exact compares; the result
// is the same whatever order the indices come in (for a consistent compare
// and items that differ). Needs scratch for count indices; returns false
// when that cannot be had (the indices are then unchanged).
template <class Less>
bool Util_SortIndices(uint32_t *indices, size_t count, Less less) {
    if (count < 2) return true;
    uint32_t *scratch = static_cast<uint32_t *>(std::malloc(count * sizeof(uint32_t)));
    if (scratch == nullptr) return false;
    uint32_t *src = indices;
    uint32_t *dst = scratch;
    // Insertion-sort runs of 16, then merge bottom-up.
    constexpr size_t kRun = 16;
    for (size_t lo = 0; lo < count; lo += kRun) {
        const size_t hi = lo + kRun < count ? lo + kRun : count;
        for (size_t i = lo + 1; i < hi; ++i) {
            const uint32_t v = src[i];
            size_t j = i;
            while (j > lo && less(v, src[j - 1])) {
                src[j] = src[j - 1];
                --j;
            }
            src[j] = v;
        }
    }
    for (size_t width = kRun; width < count; width *= 2) {
        for (size_t lo = 0; lo < count; lo += 2 * width) {
            const size_t mid = lo + width < count ? lo + width : count;
            const size_t hi = lo + 2 * width < count ? lo + 2 * width : count;
            qvsort::MergeRuns(src, dst, lo, mid, hi, less);
        }
        uint32_t *t = src;
        src = dst;
        dst = t;
    }
    if (src != indices)
        for (size_t i = 0; i < count; ++i) indices[i] = src[i];
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
