#include "other/qv_Globals.h"

ProcessState g_process;
