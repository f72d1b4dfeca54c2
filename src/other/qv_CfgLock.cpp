#include "other/qv_CfgLock.h"

#include "other/qv_Instance.h"

int CfgLock_Acquire(CfgLock *lock) {
    if (lock == nullptr || lock->mutex == nullptr || *lock->mutex == nullptr) return 0;
    if (lock->count >= kCfgLockMaxCount) return 0;
    const DWORD r = WaitForSingleObject(*lock->mutex, INFINITE);
    if (r != WAIT_OBJECT_0 && r != WAIT_ABANDONED) return 0;
    ++lock->count;
    return 1;
}

int CfgLock_Release(CfgLock *lock) {
    if (lock == nullptr || lock->count == 0 || lock->mutex == nullptr || *lock->mutex == nullptr) return 0;
    --lock->count;
    ReleaseMutex(*lock->mutex);
    return 1;
}

void CfgLock_ReleaseAll(CfgLock *lock) {
    if (lock == nullptr) return;
    while (lock->count > 0 && CfgLock_Release(lock)) {
    }
    lock->mutex = nullptr;
    lock->count = 0;
}

CfgLockGuard::CfgLockGuard() { lock_.mutex = &g_instance.mutex; }
