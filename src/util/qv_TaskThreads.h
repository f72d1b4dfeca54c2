// The program's task runner: up to eight system threads.
#pragma once

#include "util/qv_Tasks.h"

const TaskRunner *Tasks_SystemRunner();
