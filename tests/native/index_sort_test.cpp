// The adaptive merge sort over index arrays: with a consistent compare it
// gives exactly the stable order whatever order the indices come in (so a
// presort can never change a result); with a compare that answers anything
// it stays inside its arrays and returns a permutation.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "util/qv_Sort.h"
#include "std_thread_runner.h"

namespace {

// Starting orders of the indices over keys that are then sorted.
enum class Start { kSorted, kReversed, kFewSwaps, kBlocksSwapped, kInterleaved, kRandom };

std::vector<uint32_t> StartOrder(const std::vector<int> &keys, Start start, std::mt19937 &rng) {
    std::vector<uint32_t> idx(keys.size());
    std::iota(idx.begin(), idx.end(), 0u);
    const auto byKey = [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; };
    const size_t n = idx.size();
    switch (start) {
        case Start::kSorted:
            std::stable_sort(idx.begin(), idx.end(), byKey);
            break;
        case Start::kReversed:
            std::stable_sort(idx.begin(), idx.end(), byKey);
            std::reverse(idx.begin(), idx.end());
            break;
        case Start::kFewSwaps:
            // Nearly in order: what a good presort leaves.
            std::stable_sort(idx.begin(), idx.end(), byKey);
            for (size_t s = 0; n > 1 && s < n / 50 + 1; ++s) std::swap(idx[rng() % n], idx[rng() % n]);
            break;
        case Start::kBlocksSwapped:
            // In order but for whole blocks out of place: what a presort that
            // misranks one character leaves.
            std::stable_sort(idx.begin(), idx.end(), byKey);
            for (size_t s = 0; n > 8 && s < 4; ++s) {
                const size_t a = rng() % (n / 2), len = 1 + rng() % (n / 4);
                std::rotate(idx.begin() + a, idx.begin() + a + len / 2, idx.begin() + std::min(n, a + len));
            }
            break;
        case Start::kInterleaved:
            // Two sorted halves shuffled into each other in stretches.
            std::stable_sort(idx.begin(), idx.end(), byKey);
            for (size_t i = 0; i + 40 < n; i += 40) std::rotate(idx.begin() + i, idx.begin() + i + 17, idx.begin() + i + 40);
            break;
        case Start::kRandom:
            std::shuffle(idx.begin(), idx.end(), rng);
            break;
    }
    return idx;
}

TEST(IndexSort, EqualsTheStableOrderFromEveryStartingOrder) {
    std::mt19937 rng(11);
    const Start starts[] = {Start::kSorted,      Start::kReversed,    Start::kFewSwaps,
                            Start::kBlocksSwapped, Start::kInterleaved, Start::kRandom};
    // Sizes around the insertion runs and merge widths; key ranges from all
    // distinct to heavy ties (stability shows only with ties).
    for (size_t n : {0u, 1u, 2u, 15u, 16u, 17u, 33u, 100u, 1000u, 4099u}) {
        for (int range : {1, 3, 50, 1 << 30}) {
            std::vector<int> keys(n);
            for (int &k : keys) k = int(rng() % unsigned(range));
            for (Start start : starts) {
                SCOPED_TRACE(testing::Message() << "n " << n << " range " << range << " start " << int(start));
                std::vector<uint32_t> got = StartOrder(keys, start, rng);
                std::vector<uint32_t> want = got;
                std::stable_sort(want.begin(), want.end(), [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
                ASSERT_TRUE(Util_SortIndices(got.data(), got.size(),
                                             [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; }));
                ASSERT_EQ(got, want);
            }
        }
    }
}

// Ordered input is checked, not sorted again: about one compare per item,
// and far fewer than a full sort for a few items out of place.
TEST(IndexSort, InputInOrderCostsAboutOneComparePerItem) {
    std::mt19937 rng(5);
    const size_t n = 50000;
    std::vector<int> keys(n);
    for (int &k : keys) k = int(rng());
    struct Case {
        Start start;
        size_t maxCompares;
    } cases[] = {
        {Start::kSorted, n + n / 8},
        {Start::kFewSwaps, 4 * n},
        {Start::kBlocksSwapped, 2 * n},
        {Start::kRandom, 20 * n},  // the full sort, for scale
    };
    for (const Case &c : cases) {
        std::vector<uint32_t> idx = StartOrder(keys, c.start, rng);
        size_t compares = 0;
        ASSERT_TRUE(Util_SortIndices(idx.data(), n, [&](uint32_t a, uint32_t b) {
            ++compares;
            return keys[a] < keys[b];
        }));
        EXPECT_LE(compares, c.maxCompares) << int(c.start);
        EXPECT_TRUE(std::is_sorted(idx.begin(), idx.end(), [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; }));
    }
}

// Compares that are no order at all: every index stays in its array (the
// sanitizers watch) and each item comes out exactly once.
TEST(IndexSort, AnyCompareAnswersGiveAPermutation) {
    std::mt19937 rng(7);
    std::vector<int> keys(3000);
    for (int &k : keys) k = int(rng() % 100);
    uint32_t calls = 0;
    struct Hostile {
        const char *name;
        std::function<bool(uint32_t, uint32_t)> less;
    } hostiles[] = {
        {"random", [&](uint32_t, uint32_t) { return (rng() & 1) != 0; }},
        {"always", [](uint32_t, uint32_t) { return true; }},
        {"never", [](uint32_t, uint32_t) { return false; }},
        {"alternating", [&](uint32_t, uint32_t) { return (++calls & 1) != 0; }},
        // Consistent for a while, then reversed: gallops start on one answer
        // and end on the other.
        {"flipping", [&](uint32_t a, uint32_t b) { return (++calls / 500) % 2 ? keys[b] < keys[a] : keys[a] < keys[b]; }},
        {"not irreflexive", [&](uint32_t a, uint32_t b) { return keys[a] <= keys[b]; }},
    };
    for (const Hostile &h : hostiles)
        for (Start start : {Start::kSorted, Start::kFewSwaps, Start::kRandom})
            for (size_t n : {2u, 17u, 300u, 3000u}) {
                SCOPED_TRACE(testing::Message() << h.name << " start " << int(start) << " n " << n);
                std::vector<int> part(keys.begin(), keys.begin() + long(n));
                std::vector<uint32_t> idx = StartOrder(part, start, rng);
                ASSERT_TRUE(Util_SortIndices(idx.data(), n, h.less));
                std::vector<uint32_t> seen = idx;
                std::sort(seen.begin(), seen.end());
                for (size_t i = 0; i < n; ++i) ASSERT_EQ(seen[i], i);
            }
}

// Parts sorted on threads, then merged: the same stable order, and any
// compare answers still give a permutation.
TEST(IndexSort, WorkersGiveTheSameOrder) {
    std::mt19937 rng(13);
    const size_t n = 40000;
    std::vector<int> keys(n);
    for (int &k : keys) k = int(rng() % 5000);
    for (unsigned threads : {1u, 2u, 3u, 4u, 7u, 100u})
        for (Start start : {Start::kSorted, Start::kFewSwaps, Start::kRandom}) {
            SCOPED_TRACE(testing::Message() << threads << " threads, start " << int(start));
            const SortWorkers workers{threads, RunOnStdThreads};
            std::vector<uint32_t> got = StartOrder(keys, start, rng);
            std::vector<uint32_t> want = got;
            std::stable_sort(want.begin(), want.end(), [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
            ASSERT_TRUE(Util_SortIndices(got.data(), n, [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; },
                                         &workers));
            ASSERT_EQ(got, want);
            // Answers from a shared counter, in any interleaving.
            std::atomic<uint32_t> calls{0};
            ASSERT_TRUE(Util_SortIndices(got.data(), n,
                                         [&](uint32_t a, uint32_t b) { return ((++calls * 2654435761u + a) >> 7 & 1) != 0; },
                                         &workers));
            std::sort(got.begin(), got.end());
            for (size_t i = 0; i < n; ++i) ASSERT_EQ(got[i], i);
        }
}

TEST(IndexSort, GallopCountFindsTheEndOfAPrefix) {
    for (size_t length : {0u, 1u, 2u, 3u, 7u, 8u, 100u})
        for (size_t holdsFor = 0; holdsFor <= length; ++holdsFor) {
            size_t calls = 0;
            const size_t got = qvsort::GallopCount(length, [&](size_t t) {
                ++calls;
                EXPECT_LT(t, length);
                return t < holdsFor;
            });
            EXPECT_EQ(got, holdsFor) << length;
            EXPECT_LE(calls, 2 * size_t(std::log2(double(holdsFor) + 1)) + 3) << length << " " << holdsFor;
        }
}

}  // namespace
