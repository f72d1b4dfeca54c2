#include "other/qv_Mem.h"

#include <cstring>

#include "other/qv_Msg.h"
#include "other/qv_SysSeams.h"

namespace {

int32_t s_allocFailureReported = 0;
int32_t s_badFreeReported = 0;

void ReportAllocFailure() {
    if (s_allocFailureReported) return;
    s_allocFailureReported = 1;
    Msg_ReportError(TEXT(__FILE__), nullptr, TEXT("QV_Alloc"), 75, 1);
}

uint32_t *TagOf(const void *block) {
    return reinterpret_cast<uint32_t *>(const_cast<uint8_t *>(static_cast<const uint8_t *>(block)) - 4);
}

}  // namespace

void *QV_Alloc(uint32_t size) {
    if (size > kMemMaxRequest) {
        ReportAllocFailure();
        return nullptr;
    }
    uint8_t *base;
    uint32_t tag;
    if (size <= kMemSmallLimit) {
        base = static_cast<uint8_t *>(g_sys.globalAlloc(GMEM_FIXED, size + kMemHeaderBytes));
        tag = kMemTagGlobal;
    } else {
        base = static_cast<uint8_t *>(g_sys.virtualAlloc(nullptr, size + kMemHeaderBytes, MEM_COMMIT, PAGE_READWRITE));
        tag = kMemTagVirtual;
    }
    if (base == nullptr) {
        ReportAllocFailure();
        return nullptr;
    }
    std::memset(base, 0, kMemHeaderBytes - 4);
    uint8_t *block = base + kMemHeaderBytes;
    *TagOf(block) = tag;
    return block;
}

void QV_Free(void *block) {
    if (block == nullptr) return;
    uint8_t *base = static_cast<uint8_t *>(block) - kMemHeaderBytes;
    switch (*TagOf(block)) {
        case kMemTagGlobal:
            GlobalFree(base);
            return;
        case kMemTagVirtual:
            VirtualFree(base, 0, MEM_RELEASE);
            return;
        default:
            if (!s_badFreeReported) {
                s_badFreeReported = 1;
                Msg_ReportError(TEXT(__FILE__), nullptr, TEXT("QV_Free"), 134, 1);
            }
            return;
    }
}

uint32_t QV_BlockTag(const void *block) { return block ? *TagOf(block) : 0; }

OwnedBuffer::~OwnedBuffer() { Buf_Free(this); }

uint8_t *Buf_Alloc(OwnedBuffer *buffer, uint32_t size) {
    if (buffer == nullptr || size == 0 || buffer->data != nullptr) return nullptr;
    auto *data = static_cast<uint8_t *>(QV_Alloc(size));
    if (data == nullptr) return nullptr;
    buffer->data = data;
    buffer->size = size;
    return data;
}

uint8_t *Buf_Grow(uint32_t bytesToAdd, OwnedBuffer *buffer) {
    if (buffer == nullptr) return nullptr;
    const uint32_t current = buffer->data ? buffer->size : 0;
    const uint32_t newSize = current + bytesToAdd;
    if (newSize < current) return nullptr;  // unsigned overflow: unchanged
    if (newSize == 0) {
        Buf_Reset(buffer);
        return nullptr;
    }
    if (newSize == current) return buffer->data;
    if (buffer->data == nullptr) return Buf_Alloc(buffer, newSize);
    auto *data = static_cast<uint8_t *>(QV_Alloc(newSize));
    if (data == nullptr) return nullptr;
    std::memcpy(data, buffer->data, current < newSize ? current : newSize);
    QV_Free(buffer->data);
    buffer->data = data;
    buffer->size = newSize;
    return data;
}

void Buf_Reset(OwnedBuffer *buffer) {
    if (buffer == nullptr) return;
    QV_Free(buffer->data);
    buffer->data = nullptr;
    buffer->size = 0;
}

void Buf_Free(OwnedBuffer *buffer) { Buf_Reset(buffer); }

HGLOBAL GMem_Alloc(uint32_t size, GMemBlock *block) {
    if (block == nullptr || block->handle != nullptr || size == 0) return nullptr;
    *block = GMemBlock{};
    block->handle = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block->handle == nullptr) return nullptr;
    block->size = size;
    block->flags = kGMemMovable;
    return block->handle;
}

void *GMem_Lock(GMemBlock *block) {
    if (block == nullptr) return nullptr;
    if ((block->flags & kGMemMovable) == 0) return block->handle;
    if (block->handle == nullptr || block->lockCount >= kMaxLockCount) return nullptr;
    void *p = GlobalLock(block->handle);
    if (p == nullptr) return nullptr;
    ++block->lockCount;
    block->locked = p;
    return p;
}

int GMem_Unlock(GMemBlock *block) {
    if (block != nullptr && (block->flags & kGMemMovable) && block->handle != nullptr && block->lockCount > 0) {
        GlobalUnlock(block->handle);
        if (--block->lockCount == 0) block->locked = nullptr;
    }
    return 1;
}

HGLOBAL GMem_Free(GMemBlock *block) {
    if (block == nullptr || block->handle == nullptr) return nullptr;
    while (block->lockCount > 0) GMem_Unlock(block);
    if (GlobalFree(block->handle) != nullptr) return block->handle;
    *block = GMemBlock{};
    return nullptr;
}

int GMem_Release(GMemBlock *block) {
    if (block == nullptr) return 0;
    if (block->handle == nullptr) return 1;
    if (block->flags & kGMemMovable)
        for (uint32_t n = block->lockCount; n > 0; --n) GlobalUnlock(block->handle);
    if (GlobalFree(block->handle) != nullptr) return 0;
    *block = GMemBlock{};
    return 1;
}

void *LMem_Lock(LMemBlock *block) {
    if (block == nullptr || block->handle == nullptr || block->lockCount >= int32_t(kMaxLockCount)) return nullptr;
    void *p = LocalLock(block->handle);
    if (p == nullptr) return nullptr;
    ++block->lockCount;
    block->locked = p;
    return p;
}

HLOCAL LMem_Free(LMemBlock *block) {
    if (block == nullptr || block->handle == nullptr) return nullptr;
    while (block->lockCount > 0) {
        LocalUnlock(block->handle);
        if (--block->lockCount == 0) block->locked = nullptr;
    }
    if (LocalFree(block->handle) != nullptr) return block->handle;
    *block = LMemBlock{};
    return nullptr;
}

void LMem_FreeThunk(LMemBlock *block) { LMem_Free(block); }
