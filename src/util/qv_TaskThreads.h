// The program's task runner: up to eight system threads, one per processor,
// started once and kept.
#pragma once

#include "util/qv_Tasks.h"

const TaskRunner *Tasks_SystemRunner();
