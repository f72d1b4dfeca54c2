#include "other/qv_SysFacts.h"

namespace {
using MemoryStatusExFn = BOOL(WINAPI *)(LPMEMORYSTATUSEX);
MemoryStatusExFn s_memoryStatusEx = nullptr;
}  // namespace

void Sys_BindMemoryStatus() {
    if (s_memoryStatusEx != nullptr) return;
    HMODULE kernel = GetModuleHandle(TEXT("kernel32.dll"));
    if (kernel != nullptr)
        s_memoryStatusEx = reinterpret_cast<MemoryStatusExFn>(GetProcAddress(kernel, "GlobalMemoryStatusEx"));
}

uint32_t Sys_GetTotalPhysMemory() {
    if (s_memoryStatusEx != nullptr) {
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof status;
        if (s_memoryStatusEx(&status))
            return status.ullTotalPhys >= 0x100000000ull ? 0xFFFFFFFFu : uint32_t(status.ullTotalPhys);
    }
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    return status.dwTotalPhys >= 0x100000000ull ? 0xFFFFFFFFu : uint32_t(status.dwTotalPhys);
}
