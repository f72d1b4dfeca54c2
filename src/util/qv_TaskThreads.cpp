#include "util/qv_TaskThreads.h"

#include <windows.h>

namespace {

constexpr unsigned kMostThreads = 8;

using TaskFunction = void (*)(void *context, size_t index);

// Threads started once and kept: starting a thread costs about a
// millisecond under some systems, which a display copy of a few
// milliseconds cannot afford on every picture. Worker k runs the tasks
// k, k + p, k + 2p, ... of a run shared by p participants, the caller being
// participant 0. One run at a time; a run asked for while another is in
// progress (from another thread, or from inside a task) gets threads of
// its own.
class TaskPool {
public:
    TaskPool() = default;
    ~TaskPool();
    TaskPool(const TaskPool &) = delete;
    TaskPool &operator=(const TaskPool &) = delete;

    // False when the pool is busy; the tasks then still have to be run.
    bool Run(size_t count, TaskFunction task, void *context);

private:
    struct Worker {
        TaskPool *pool = nullptr;
        unsigned index = 0;
        HANDLE thread = nullptr;
        HANDLE go = nullptr;
        HANDLE done = nullptr;
    };

    static DWORD WINAPI Main(void *worker);
    static void RunShare(TaskFunction task, void *context, size_t count, size_t first, size_t step) {
        for (size_t k = first; k < count; k += step) task(context, k);
    }
    unsigned Start(unsigned wanted);

    volatile LONG busy_ = 0;  // not a critical section: it must refuse its own thread too
    Worker workers_[kMostThreads - 1];
    unsigned started_ = 0;
    volatile LONG stop_ = 0;
    // The run in progress, written before the workers are woken.
    TaskFunction task_ = nullptr;
    void *context_ = nullptr;
    size_t count_ = 0;
    size_t step_ = 1;
};

DWORD WINAPI TaskPool::Main(void *param) {
    Worker &w = *static_cast<Worker *>(param);
    for (;;) {
        WaitForSingleObject(w.go, INFINITE);
        if (InterlockedCompareExchange(&w.pool->stop_, 0, 0) != 0) return 0;
        RunShare(w.pool->task_, w.pool->context_, w.pool->count_, w.index, w.pool->step_);
        SetEvent(w.done);
    }
}

// Starts workers until `wanted` run; how many run.
unsigned TaskPool::Start(unsigned wanted) {
    while (started_ < wanted) {
        Worker &w = workers_[started_];
        w.pool = this;
        w.index = started_ + 1;
        w.go = CreateEvent(nullptr, FALSE, FALSE, nullptr);
        w.done = CreateEvent(nullptr, FALSE, FALSE, nullptr);
        if (w.go != nullptr && w.done != nullptr) w.thread = CreateThread(nullptr, 0, Main, &w, 0, nullptr);
        if (w.thread == nullptr) {
            if (w.go != nullptr) CloseHandle(w.go);
            if (w.done != nullptr) CloseHandle(w.done);
            w = Worker{};
            break;
        }
        ++started_;
    }
    return started_;
}

bool TaskPool::Run(size_t count, TaskFunction task, void *context) {
    if (InterlockedCompareExchange(&busy_, 1, 0) != 0) return false;
    const unsigned helpers = Start(count - 1 < kMostThreads - 1 ? unsigned(count - 1) : kMostThreads - 1);
    task_ = task;
    context_ = context;
    count_ = count;
    step_ = helpers + 1;
    HANDLE done[kMostThreads - 1];
    for (unsigned k = 0; k < helpers; ++k) {
        done[k] = workers_[k].done;
        SetEvent(workers_[k].go);
    }
    RunShare(task, context, count, 0, step_);
    if (helpers > 0) WaitForMultipleObjects(helpers, done, TRUE, INFINITE);
    InterlockedExchange(&busy_, 0);
    return true;
}

TaskPool::~TaskPool() {
    InterlockedExchange(&stop_, 1);
    HANDLE threads[kMostThreads - 1];
    for (unsigned k = 0; k < started_; ++k) {
        SetEvent(workers_[k].go);
        threads[k] = workers_[k].thread;
    }
    // Idle workers end at once; the wait is bounded so that a process
    // ending from inside a task is not held up.
    if (started_ > 0) WaitForMultipleObjects(started_, threads, TRUE, 1000);
    for (unsigned k = 0; k < started_; ++k) {
        CloseHandle(workers_[k].thread);
        CloseHandle(workers_[k].go);
        CloseHandle(workers_[k].done);
    }
}

struct TaskSlot {
    TaskFunction task;
    void *context;
    size_t index;
};

DWORD WINAPI RunTask(void *slot) {
    const TaskSlot &s = *static_cast<TaskSlot *>(slot);
    s.task(s.context, s.index);
    return 0;
}

// Threads for one run only. Task 0 runs here; a thread that cannot be
// started runs its task here too.
void RunOnNewThreads(size_t count, TaskFunction task, void *context) {
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

TaskPool &Pool() {
    static TaskPool pool;
    return pool;
}

void RunTasks(size_t count, TaskFunction task, void *context) {
    if (count == 0) return;
    if (count == 1) {
        task(context, 0);
        return;
    }
    if (!Pool().Run(count, task, context)) RunOnNewThreads(count, task, context);
}

TaskRunner MakeRunner() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const unsigned cpus = info.dwNumberOfProcessors > 0 ? unsigned(info.dwNumberOfProcessors) : 1u;
    return TaskRunner{cpus < kMostThreads ? cpus : kMostThreads, RunTasks};
}

}  // namespace

const TaskRunner *Tasks_SystemRunner() {
    static const TaskRunner runner = MakeRunner();
    return &runner;
}
