// The program's task runner: up to four system threads.
#pragma once

#include "util/qv_Tasks.h"

const TaskRunner *Tasks_SystemRunner();
