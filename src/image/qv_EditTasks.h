// The threads the pixel operations (tone tables, hue and saturation, blurs)
// spread their rows over. Null, as in the native tests, runs everything on
// the calling thread; the program sets the system runner at start-up.
#pragma once

#include "util/qv_Tasks.h"

extern const TaskRunner *g_editTasks;
