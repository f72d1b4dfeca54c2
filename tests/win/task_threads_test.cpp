// The program's task runner: every task of a run exactly once, the same
// threads kept from run to run, and runs asked for at the same time (from
// two threads, or from inside a task) each complete.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <vector>

#include "util/qv_TaskThreads.h"

namespace {

struct Tally {
    std::vector<LONG> runs;
    std::vector<DWORD> thread;
    explicit Tally(size_t n) : runs(n, 0), thread(n, 0) {}
    static void Task(void *context, size_t index) {
        Tally &t = *static_cast<Tally *>(context);
        InterlockedIncrement(&t.runs[index]);
        t.thread[index] = GetCurrentThreadId();
        Sleep(index % 3 == 0 ? 2 : 0);
    }
};

TEST(TaskThreads, EveryTaskOnceAndTheThreadsKept) {
    const TaskRunner *runner = Tasks_SystemRunner();
    ASSERT_NE(runner, nullptr);
    ASSERT_GE(runner->threads, 1u);
    std::set<DWORD> seen;
    for (size_t count : {0, 1, 2, 3, 4, 5, 9, 16, 17, 40}) {
        for (int round = 0; round < 3; ++round) {
            SCOPED_TRACE(testing::Message() << count << " tasks, round " << round);
            Tally tally(count);
            runner->run(count, Tally::Task, &tally);
            for (size_t i = 0; i < count; ++i) EXPECT_EQ(tally.runs[i], 1) << i;
            seen.insert(tally.thread.begin(), tally.thread.end());
        }
    }
    // The caller and at most the runner's other threads ever ran a task.
    seen.erase(0);
    EXPECT_LE(seen.size(), size_t(runner->threads));
    EXPECT_EQ(seen.count(GetCurrentThreadId()), 1u);
}

// A task that asks for a run of its own, and two threads running at once.
struct Nested {
    std::vector<LONG> inner;
    std::vector<LONG> outer;
    Nested() : inner(4 * 6, 0), outer(4, 0) {}
    static void Inner(void *context, size_t index) {
        InterlockedIncrement(&static_cast<Nested *>(context)->inner[index]);
    }
    struct Slice {
        Nested *nested;
        size_t base;
    };
    static void InnerSlice(void *context, size_t index) {
        const Slice &s = *static_cast<Slice *>(context);
        Inner(s.nested, s.base + index);
    }
    static void Outer(void *context, size_t index) {
        Nested &n = *static_cast<Nested *>(context);
        InterlockedIncrement(&n.outer[index]);
        Slice slice{&n, 6 * index};
        Tasks_SystemRunner()->run(6, InnerSlice, &slice);
    }
};

DWORD WINAPI RunNested(void *context) {
    for (int i = 0; i < 20; ++i) Tasks_SystemRunner()->run(4, Nested::Outer, context);
    return 0;
}

TEST(TaskThreads, RunsInsideTasksAndFromTwoThreadsComplete) {
    Nested a, b;
    HANDLE other = CreateThread(nullptr, 0, RunNested, &b, 0, nullptr);
    ASSERT_NE(other, nullptr);
    RunNested(&a);
    ASSERT_EQ(WaitForSingleObject(other, 30000), WAIT_OBJECT_0);
    CloseHandle(other);
    for (const Nested *n : {&a, &b}) {
        for (LONG v : n->outer) EXPECT_EQ(v, 20);
        for (LONG v : n->inner) EXPECT_EQ(v, 20);
    }
}

}  // namespace
