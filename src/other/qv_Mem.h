// The program's allocator for work buffers, and small owners of blocks:
// OwnedBuffer (allocator memory), GMemBlock (movable global memory, for the
// clipboard and undo snapshots) and LMemBlock (local memory from plug-ins).
#pragma once

#include <windows.h>

#include <cstdint>

// Largest request: leaves room for the block header without overflow.
constexpr uint32_t kMemMaxRequest = 0x7FFFFF00u;
// Requests up to this size come from global memory, larger from virtual memory.
constexpr uint32_t kMemSmallLimit = 0xFFFFu;
// Bytes in front of every block; the 32-bit tag is the last word of it.
// 16 for both kinds keeps small blocks 16-byte aligned like large ones.
constexpr uint32_t kMemHeaderBytes = 16;
constexpr uint32_t kMemTagGlobal = 1;
constexpr uint32_t kMemTagVirtual = 2;

// Null on failure; the first failure of a run is a fatal error report.
void *QV_Alloc(uint32_t size);
// Null does nothing; a block with an unknown tag is left alone and reported
// (once per run).
void QV_Free(void *block);

// Tag of a block from QV_Alloc (for tests and diagnostics).
uint32_t QV_BlockTag(const void *block);

struct OwnedBuffer {
    uint8_t *data = nullptr;
    uint32_t size = 0;

    OwnedBuffer() = default;
    ~OwnedBuffer();
    OwnedBuffer(const OwnedBuffer &) = delete;
    OwnedBuffer &operator=(const OwnedBuffer &) = delete;
};

uint8_t *Buf_Alloc(OwnedBuffer *buffer, uint32_t size);
uint8_t *Buf_Grow(uint32_t bytesToAdd, OwnedBuffer *buffer);
void Buf_Reset(OwnedBuffer *buffer);
void Buf_Free(OwnedBuffer *buffer);

constexpr uint32_t kGMemMovable = 2;
constexpr uint32_t kMaxLockCount = 0x7FFFFFFFu;

struct GMemBlock {
    HGLOBAL handle = nullptr;
    uint32_t size = 0;
    uint32_t flags = 0;        // kGMemMovable: lock before use; 0: the handle is the address
    void *locked = nullptr;
    uint32_t lockCount = 0;
};

HGLOBAL GMem_Alloc(uint32_t size, GMemBlock *block);
void *GMem_Lock(GMemBlock *block);
int GMem_Unlock(GMemBlock *block);
HGLOBAL GMem_Free(GMemBlock *block);
// Unlocks the block as often as it is locked (when movable), frees it and
// clears the record: 1. An empty record gives 1. When GlobalFree fails the
// record is left as it was: 0.
int GMem_Release(GMemBlock *block);

struct LMemBlock {
    HLOCAL handle = nullptr;
    uint32_t size = 0;
    void *locked = nullptr;
    int32_t lockCount = 0;
};

void *LMem_Lock(LMemBlock *block);
HLOCAL LMem_Free(LMemBlock *block);
void LMem_FreeThunk(LMemBlock *block);
