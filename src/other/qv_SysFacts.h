// Facts about the machine needed from the first steps of start-up on.
#pragma once

#include <windows.h>

#include <cstdint>

// Binds GlobalMemoryStatusEx from kernel32 unless already bound.
void Sys_BindMemoryStatus();
// Total physical memory in bytes; 0xFFFFFFFF for 4 GB or more.
uint32_t Sys_GetTotalPhysMemory();
