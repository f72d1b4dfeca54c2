// A task runner on standard threads for the native tests of code that
// spreads work over the program's threads.
#pragma once

#include <thread>
#include <vector>

#include "util/qv_Tasks.h"

inline void RunOnStdThreads(size_t count, void (*task)(void *context, size_t index), void *context) {
    std::vector<std::thread> threads;
    for (size_t k = 1; k < count; ++k) threads.emplace_back(task, context, k);
    task(context, 0);
    for (std::thread &t : threads) t.join();
}
