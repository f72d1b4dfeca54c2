// Runs the pixel operations' bands on standard threads for the span of a
// test, so banded results can be held against single-thread ones.
#pragma once

#include "image/qv_EditTasks.h"
#include "std_thread_runner.h"

class EditTasksScope {
public:
    using RunFunction = void (*)(size_t count, void (*task)(void *context, size_t index), void *context);
    explicit EditTasksScope(unsigned threads, RunFunction run = RunOnStdThreads)
        : saved_(g_editTasks), runner_{threads, run} {
        g_editTasks = &runner_;
    }
    ~EditTasksScope() { g_editTasks = saved_; }
    EditTasksScope(const EditTasksScope &) = delete;
    EditTasksScope &operator=(const EditTasksScope &) = delete;

private:
    const TaskRunner *saved_;
    TaskRunner runner_;
};
