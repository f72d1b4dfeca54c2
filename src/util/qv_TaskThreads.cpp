#include "util/qv_TaskThreads.h"

#include <windows.h>

namespace {

struct TaskSlot {
    void (*task)(void *context, size_t index);
    void *context;
    size_t index;
};

DWORD WINAPI RunTask(void *slot) {
    const TaskSlot &s = *static_cast<TaskSlot *>(slot);
    s.task(s.context, s.index);
    return 0;
}

// Task 0 runs here; a thread that cannot be started runs its task here too.
void RunOnThreads(size_t count, void (*task)(void *context, size_t index), void *context) {
    constexpr size_t kMost = 16;
    TaskSlot slots[kMost];
    HANDLE threads[kMost];
    DWORD started = 0;
    for (size_t k = 1; k < count; ++k) {
        HANDLE h = nullptr;
        if (k < kMost) {
            slots[k] = TaskSlot{task, context, k};
            h = CreateThread(nullptr, 0, RunTask, &slots[k], 0, nullptr);
        }
        if (h != nullptr) {
            threads[started++] = h;
        } else {
            task(context, k);
        }
    }
    task(context, 0);
    if (started > 0) WaitForMultipleObjects(started, threads, TRUE, INFINITE);
    for (DWORD i = 0; i < started; ++i) CloseHandle(threads[i]);
}

TaskRunner MakeRunner() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const unsigned cpus = info.dwNumberOfProcessors > 0 ? unsigned(info.dwNumberOfProcessors) : 1u;
    return TaskRunner{cpus < 4 ? cpus : 4, RunOnThreads};
}

}  // namespace

const TaskRunner *Tasks_SystemRunner() {
    static const TaskRunner runner = MakeRunner();
    return &runner;
}
