#include "image/qv_DropList.h"

#include "image/qv_DropListCore.h"
#include "other/qv_Mem.h"

DropList g_pendingDrops;

namespace {

// Locks a drop's block for the length of a scope.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL handle) : handle_(handle), data_(static_cast<uint8_t *>(GlobalLock(handle))) {}
    ~GlobalLockGuard() {
        if (data_ != nullptr) GlobalUnlock(handle_);
    }
    GlobalLockGuard(const GlobalLockGuard &) = delete;
    GlobalLockGuard &operator=(const GlobalLockGuard &) = delete;
    const uint8_t *data() const { return data_; }

private:
    HGLOBAL handle_;
    uint8_t *data_;
};

// Both blocks of a list under construction; freed unless taken.
struct NameBlocks {
    TCHAR *names = nullptr;
    TCHAR **items = nullptr;
    NameBlocks() = default;
    ~NameBlocks() {
        QV_Free(names);
        QV_Free(items);
    }
    NameBlocks(const NameBlocks &) = delete;
    NameBlocks &operator=(const NameBlocks &) = delete;
    bool Alloc(uint64_t units, int32_t count) {
        const uint64_t nameBytes = units * sizeof(TCHAR);
        const uint64_t itemBytes = (uint64_t(count) + 1) * sizeof(TCHAR *);
        if (nameBytes > kMemMaxRequest || itemBytes > kMemMaxRequest) return false;
        names = static_cast<TCHAR *>(QV_Alloc(uint32_t(nameBytes)));
        items = static_cast<TCHAR **>(QV_Alloc(uint32_t(itemBytes)));
        return names != nullptr && items != nullptr;
    }
    void MoveInto(DropList *list) {
        list->names = names;
        list->items = items;
        names = nullptr;
        items = nullptr;
    }
};

// The block of a drop holds every name with its zero and a closing empty
// name within its own size.
bool DropBlockIsSound(HDROP drop) {
    const SIZE_T size = GlobalSize(drop);
    GlobalLockGuard lock(drop);
    DropBlockInfo info{};
    return lock.data() != nullptr && DropBlock_Scan(lock.data(), size, &info) && info.count > 0;
}

}  // namespace

void DropList_Init(DropList *list) {
    if (list != nullptr) *list = DropList{};
}

void DropList_Clear(DropList *list) {
    if (list == nullptr) return;
    QV_Free(list->names);
    QV_Free(list->items);
    DropList_Init(list);
}

void DropList_Free(DropList *list) { DropList_Clear(list); }

int DropList_FromHdrop(DropList *list, HDROP drop) {
    if (list == nullptr || list->filled || drop == nullptr) return 0;
    if (!DropBlockIsSound(drop)) return 0;
    POINT point{};
    DragQueryPoint(drop, &point);
    const UINT count = DragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0);
    if (count == 0 || count > 0x7FFFFFFEu) return 0;
    uint64_t units = 1;  // the closing empty name
    for (UINT i = 0; i < count; ++i) units += uint64_t(DragQueryFile(drop, i, nullptr, 0)) + 1;
    NameBlocks blocks;
    if (!blocks.Alloc(units, int32_t(count))) return 0;
    uint64_t at = 0;
    for (UINT i = 0; i < count; ++i) {
        TCHAR *item = blocks.names + at;
        blocks.items[i] = item;
        const uint64_t room = units - 1 - at;  // the closing name's unit stays free
        if (room == 0) continue;               // names grew since measured: the rest are empty
        UINT n = DragQueryFile(drop, i, item, UINT(room));
        if (n >= room) n = UINT(room - 1);
        item[n] = 0;
        at += uint64_t(n) + 1;
    }
    blocks.names[at] = 0;
    blocks.items[count] = blocks.names + at;
    list->drop = drop;
    list->namesLength = uint32_t(at + 1);
    list->count = int32_t(count);
    list->dropX = point.x;
    list->dropY = point.y;
    blocks.MoveInto(list);
    list->filled = 1;
    return 1;
}

int Instance_ReceiveCommandLine(int32_t argc, const TCHAR *const *argv, uint64_t bytesAvailable,
                                const TCHAR *senderDir) {
    DropList *list = &g_pendingDrops;
    if (list->filled) return 0;
    DropArgsPlan plan{};
    if (!DropArgs_Measure(argv, argc, bytesAvailable, senderDir, &plan)) return 0;
    NameBlocks blocks;
    if (!blocks.Alloc(plan.units, plan.taken)) return 0;
    const uint64_t used = DropArgs_Copy(argv, plan, senderDir, blocks.names, blocks.items);
    list->drop = nullptr;
    list->namesLength = uint32_t(used);
    list->count = plan.taken;
    list->dropX = 0;
    list->dropY = 0;
    blocks.MoveInto(list);
    list->filled = 1;
    return 1;
}
