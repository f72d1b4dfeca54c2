// Independent tasks that may run on several threads at once. Portable code
// takes a runner from the program (null: everything on the calling thread),
// so the thread creation stays with the system code.
#pragma once

#include <cstddef>

struct TaskRunner {
    unsigned threads;  // how many tasks are worth making
    // Runs task(context, 0..count-1) and returns when all are done.
    void (*run)(size_t count, void (*task)(void *context, size_t index), void *context);
};

// Runs task(context, 0..count-1): on the runner when there is more than one,
// else here.
inline void Tasks_Run(const TaskRunner *runner, size_t count, void (*task)(void *context, size_t index),
                      void *context) {
    if (count > 1 && runner != nullptr && runner->run != nullptr) {
        runner->run(count, task, context);
        return;
    }
    for (size_t k = 0; k < count; ++k) task(context, k);
}
