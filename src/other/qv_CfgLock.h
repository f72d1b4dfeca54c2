// The configuration lock: a holder of the named single-instance mutex that
// counts its own acquisitions. Every read and write of the files shared by
// the instances of one user (the configuration file, Custom.dat,
// SpiList.dat, OtherApp.cfg) and of the hand-over block happens under it.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr uint32_t kCfgLockMaxCount = 0xFFFFFF00u;

struct CfgLock {
    HANDLE *mutex = nullptr;  // the handle of the named mutex
    uint32_t count = 0;
};

// 1 acquired (an abandoned mutex counts as acquired), 0 without a mutex, at
// the count limit, or when the wait fails. Waits without a time limit.
int CfgLock_Acquire(CfgLock *lock);
// 1 released once, 0 when nothing is held.
int CfgLock_Release(CfgLock *lock);
// Releases as often as held, then clears the mutex pointer and the count.
void CfgLock_ReleaseAll(CfgLock *lock);

// A holder for one scope, pointing at the instance mutex; releases every
// acquisition it made when it ends.
class CfgLockGuard {
public:
    CfgLockGuard();
    ~CfgLockGuard() { CfgLock_ReleaseAll(&lock_); }
    CfgLockGuard(const CfgLockGuard &) = delete;
    CfgLockGuard &operator=(const CfgLockGuard &) = delete;
    bool Acquire() { return CfgLock_Acquire(&lock_) != 0; }
    CfgLock *Get() { return &lock_; }

private:
    CfgLock lock_;
};
