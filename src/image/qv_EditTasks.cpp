#include "image/qv_EditTasks.h"

const TaskRunner *g_editTasks = nullptr;
