// Sorting that stays in bounds whatever the compare returns. Names are ordered
// by system collation functions that need not form a consistent order, and an
// introsort given such a compare can read past the array; a merge sort never
// does. Entries are large, so callers sort an index array and permute once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Sorts indices[0..count) by less(a, b) (a strict "comes before"); stable.
// Needs scratch for count indices; returns false when that cannot be had
// (the indices are then unchanged).
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
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) dst[k++] = less(src[j], src[i]) ? src[j++] : src[i++];
            while (i < mid) dst[k++] = src[i++];
            while (j < hi) dst[k++] = src[j++];
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
