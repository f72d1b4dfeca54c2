#include "handles.h"

#include <cstdlib>
#include <mutex>

namespace dibcore {

namespace {

// Handle layout: low 20 bits slot index + 1, high 11 bits generation; the sign
// bit stays clear so handles are positive i32.
constexpr uint32_t kSlotBits = 20;
constexpr uint32_t kSlotMask = (1u << kSlotBits) - 1;
constexpr uint32_t kMaxSlots = kSlotMask;  // index + 1 must fit
constexpr uint32_t kGenerationMask = 0x7FF;

struct Slot {
    Picture *picture;
    uint32_t generation;
    uint32_t nextFree;  // index + 1 of the next free slot, 0 at the end
};

struct Table {
    Slot *slots = nullptr;
    uint32_t count = 0;     // slots in use or on the free list
    uint32_t capacity = 0;
    uint32_t freeHead = 0;  // index + 1
    uint32_t live = 0;
    std::mutex lock;        // the program has one thread, but tests and tools may not
};

Table &TheTable() {
    static Table table;
    return table;
}

Slot *Lookup(Table &t, DibHandle handle) {
    if (handle <= 0) return nullptr;
    const uint32_t h = static_cast<uint32_t>(handle);
    const uint32_t index = (h & kSlotMask);
    if (index == 0 || index > t.count) return nullptr;
    Slot &s = t.slots[index - 1];
    if (s.picture == nullptr || s.generation != ((h >> kSlotBits) & kGenerationMask)) return nullptr;
    return &s;
}

}  // namespace

DibHandle Handles_Add(Picture *picture) {
    if (picture == nullptr) return 0;
    Table &t = TheTable();
    std::lock_guard<std::mutex> guard(t.lock);
    uint32_t index;
    if (t.freeHead != 0) {
        index = t.freeHead - 1;
        t.freeHead = t.slots[index].nextFree;
    } else {
        if (t.count == t.capacity) {
            const uint32_t grown = t.capacity ? (t.capacity > kMaxSlots / 2 ? kMaxSlots : t.capacity * 2) : 256;
            if (grown <= t.capacity) {
                FreePicture(picture);
                return 0;
            }
            auto *slots = static_cast<Slot *>(std::realloc(t.slots, sizeof(Slot) * grown));
            if (slots == nullptr) {
                FreePicture(picture);
                return 0;
            }
            t.slots = slots;
            t.capacity = grown;
        }
        index = t.count++;
        t.slots[index].generation = 1;
    }
    Slot &s = t.slots[index];
    s.picture = picture;
    s.nextFree = 0;
    ++t.live;
    return static_cast<DibHandle>(((s.generation & kGenerationMask) << kSlotBits) | (index + 1));
}

Picture *Handles_Get(DibHandle handle) {
    Table &t = TheTable();
    std::lock_guard<std::mutex> guard(t.lock);
    Slot *s = Lookup(t, handle);
    return s ? s->picture : nullptr;
}

bool Handles_Replace(DibHandle handle, Picture *picture) {
    Table &t = TheTable();
    std::lock_guard<std::mutex> guard(t.lock);
    Slot *s = Lookup(t, handle);
    if (s == nullptr || picture == nullptr) {
        FreePicture(picture);
        return false;
    }
    if (s->picture != picture) FreePicture(s->picture);
    s->picture = picture;
    return true;
}

bool Handles_Delete(DibHandle handle) {
    Table &t = TheTable();
    std::lock_guard<std::mutex> guard(t.lock);
    Slot *s = Lookup(t, handle);
    if (s == nullptr) return false;
    FreePicture(s->picture);
    s->picture = nullptr;
    s->generation = (s->generation + 1) & kGenerationMask;
    if (s->generation == 0) s->generation = 1;
    const uint32_t index = static_cast<uint32_t>(s - t.slots);
    s->nextFree = t.freeHead;
    t.freeHead = index + 1;
    --t.live;
    return true;
}

uint32_t Handles_LiveCount() {
    Table &t = TheTable();
    std::lock_guard<std::mutex> guard(t.lock);
    return t.live;
}

}  // namespace dibcore
