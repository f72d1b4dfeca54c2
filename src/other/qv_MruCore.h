// The recent-folder list over the text unit (UTF-16 units in Quivelta, bytes
// of the ANSI code page in Quivelta98): slots linked from the newest through
// older links, each holding one block with the folder and the file last shown
// there. No Win32 here: the allocator and the lower-casing come from the
// list's environment, so the program passes its own and tests pass theirs.
//
// One folder is one entry whatever its case: the hash is taken of the
// lower-cased text and two folders are equal when their lower-cased texts
// are, so the hash and the comparison can never disagree.
#pragma once

#include <cstddef>
#include <cstdint>

#include "util/qv_StrCore.h"

constexpr int32_t kRecentFolderSlots = 20;
// Larger lists are refused: the slot array's size stays far below 32 bits.
constexpr int32_t kRecentFolderMaxSlots = 4096;

template <class Ch>
struct RecentFolderSlotT {
    Ch *folder = nullptr;  // one block: folder, NUL, file, NUL; null: the slot is free
    Ch *file = nullptr;    // into the same block
    uint32_t hash = 0;     // of the lower-cased folder
    RecentFolderSlotT *older = nullptr;
    RecentFolderSlotT *newer = nullptr;
};

template <class Ch>
struct MruEnvT {
    void *(*alloc)(uint32_t bytes) = nullptr;  // null on failure
    void (*release)(void *block) = nullptr;
    void (*lower)(Ch *text, size_t length) = nullptr;  // in place, the length kept
};

template <class Ch>
struct RecentFolderListT {
    int32_t count = 0;
    RecentFolderSlotT<Ch> *slots = nullptr;
    RecentFolderSlotT<Ch> *head = nullptr;  // the most recent; null when empty
    MruEnvT<Ch> env;
};

// Whether the pending folder enters the list now: always when forced,
// otherwise not during a slide show's move and, after a move to the next or
// previous folder, only with the option that lists such folders.
inline bool Mru_ShouldCommit(int force, int32_t slideShowMove, int32_t folderMove, int listFolderMoves) {
    if (force) return true;
    return slideShowMove == 0 && (folderMove == 0 || listFolderMoves != 0);
}

namespace mru_detail {

// The text unit is taken from the list alone, so null and literal texts pass.
template <class T>
struct Same {
    using type = T;
};

template <class Ch>
void Unlink(RecentFolderListT<Ch> *list, RecentFolderSlotT<Ch> *slot) {
    if (slot->newer != nullptr) slot->newer->older = slot->older;
    if (slot->older != nullptr) slot->older->newer = slot->newer;
    if (list->head == slot) list->head = slot->older;
    slot->older = slot->newer = nullptr;
}

template <class Ch>
void LinkAtHead(RecentFolderListT<Ch> *list, RecentFolderSlotT<Ch> *slot) {
    slot->newer = nullptr;
    slot->older = list->head;
    if (list->head != nullptr) list->head->newer = slot;
    list->head = slot;
}

template <class Ch>
bool SameFolded(const MruEnvT<Ch> &env, const Ch *folded, size_t length, const Ch *other, Ch *scratch) {
    for (size_t i = 0; i <= length; ++i) {
        scratch[i] = other[i];
        if (other[i] == 0) {
            if (i != length) return false;
            break;
        }
    }
    if (scratch[length] != 0) return false;
    if (env.lower != nullptr) env.lower(scratch, length);
    for (size_t i = 0; i < length; ++i)
        if (scratch[i] != folded[i]) return false;
    return true;
}

}  // namespace mru_detail

// Lower-cases `text` into `out` (length + 1 units) and returns its hash.
template <class Ch>
uint32_t Mru_FoldedHash(const MruEnvT<Ch> &env, const Ch *text, size_t length, Ch *out) {
    for (size_t i = 0; i < length; ++i) out[i] = text[i];
    out[length] = 0;
    if (env.lower != nullptr) env.lower(out, length);
    return qvtext::Hash(out);
}

// Puts `folder` with `file` (null: none) at the front: a folder already
// listed moves there and takes the new texts; a new one takes the first free
// slot, else the oldest. 1 added, 0 refused (no slots, no folder, no memory;
// the list is then unchanged).
template <class Ch>
int Mru_AddT(RecentFolderListT<Ch> *list, const typename mru_detail::Same<Ch>::type *folder,
             const typename mru_detail::Same<Ch>::type *file) {
    if (list == nullptr || list->slots == nullptr || list->count <= 0 || folder == nullptr || folder[0] == 0)
        return 0;
    const MruEnvT<Ch> &env = list->env;
    if (env.alloc == nullptr || env.release == nullptr) return 0;
    const size_t folderLength = qvtext::Length(folder);
    const size_t fileLength = file != nullptr ? qvtext::Length(file) : 0;
    // Both the block and the scratch space of the comparison stay well within
    // 32 bits; a longer text is refused rather than wrapped.
    constexpr size_t kMaxUnits = (0x7FFF0000u / sizeof(Ch)) / 2 - 2;
    if (folderLength > kMaxUnits || fileLength > kMaxUnits - folderLength) return 0;

    Ch *block = static_cast<Ch *>(env.alloc(uint32_t((folderLength + fileLength + 2) * sizeof(Ch))));
    if (block == nullptr) return 0;
    Ch *scratch = static_cast<Ch *>(env.alloc(uint32_t((folderLength + 1) * 2 * sizeof(Ch))));
    if (scratch == nullptr) {
        env.release(block);
        return 0;
    }
    for (size_t i = 0; i < folderLength; ++i) block[i] = folder[i];
    block[folderLength] = 0;
    Ch *fileText = block + folderLength + 1;
    for (size_t i = 0; i < fileLength; ++i) fileText[i] = file[i];
    fileText[fileLength] = 0;

    Ch *folded = scratch;
    const uint32_t hash = Mru_FoldedHash(env, folder, folderLength, folded);
    RecentFolderSlotT<Ch> *found = nullptr;
    int32_t steps = 0;
    for (RecentFolderSlotT<Ch> *s = list->head; s != nullptr && steps < list->count; s = s->older, ++steps) {
        if (s->hash == hash && mru_detail::SameFolded(env, folded, folderLength, s->folder, scratch + folderLength + 1)) {
            found = s;
            break;
        }
    }
    env.release(scratch);

    RecentFolderSlotT<Ch> *slot = found;
    if (slot == nullptr) {
        for (int32_t i = 0; i < list->count; ++i) {
            if (list->slots[i].folder == nullptr) {
                slot = &list->slots[i];
                break;
            }
        }
        if (slot == nullptr) {
            slot = list->head;
            while (slot->older != nullptr) slot = slot->older;
        }
        slot->hash = hash;
    }
    if (slot != list->head) {
        mru_detail::Unlink(list, slot);
        mru_detail::LinkAtHead(list, slot);
    }
    env.release(slot->folder);
    slot->folder = block;
    slot->file = fileText;
    return 1;
}

// The folder of the index-th most recent entry (0 the newest) and its file
// (empty when none), or null past the used entries.
template <class Ch>
const Ch *Mru_GetT(const RecentFolderListT<Ch> &list, int32_t index, const Ch **file) {
    if (file != nullptr) *file = nullptr;
    if (index < 0 || index >= list.count) return nullptr;
    const RecentFolderSlotT<Ch> *s = list.head;
    for (int32_t i = 0; s != nullptr && i < index; ++i) s = s->older;
    if (s == nullptr || s->folder == nullptr) return nullptr;
    if (file != nullptr) *file = s->file;
    return s->folder;
}

// Frees every slot's block and the array; count 0, no head.
template <class Ch>
void Mru_FreeSlotsT(RecentFolderListT<Ch> *list) {
    if (list == nullptr) return;
    if (list->slots != nullptr) {
        for (int32_t i = 0; i < list->count; ++i) list->env.release(list->slots[i].folder);
        list->env.release(list->slots);
    }
    list->slots = nullptr;
    list->head = nullptr;
    list->count = 0;
}

// A new array of newCount empty slots replaces the old one and takes over
// its newest newCount entries in their order. 0 when the new array cannot be
// allocated (nothing changes); when an entry cannot be carried over, both
// arrays are freed and the count becomes 0 (result 0).
template <class Ch>
int Mru_ResizeT(RecentFolderListT<Ch> *list, int32_t newCount) {
    if (list == nullptr || newCount <= 0 || newCount > kRecentFolderMaxSlots || list->env.alloc == nullptr) return 0;
    auto *slots = static_cast<RecentFolderSlotT<Ch> *>(
        list->env.alloc(uint32_t(sizeof(RecentFolderSlotT<Ch>)) * uint32_t(newCount)));
    if (slots == nullptr) return 0;
    for (int32_t i = 0; i < newCount; ++i) slots[i] = RecentFolderSlotT<Ch>{};

    RecentFolderListT<Ch> fresh;
    fresh.env = list->env;
    fresh.count = newCount;
    fresh.slots = slots;
    // The newest newCount entries, added oldest first so the newest ends at the head.
    RecentFolderSlotT<Ch> *from = list->head;
    for (int32_t i = 1; from != nullptr && from->older != nullptr && i < newCount; ++i) from = from->older;
    bool ok = true;
    for (RecentFolderSlotT<Ch> *s = from; s != nullptr && ok; s = s->newer)
        ok = Mru_AddT(&fresh, s->folder, s->file) != 0;
    Mru_FreeSlotsT(list);
    if (!ok) {
        Mru_FreeSlotsT(&fresh);
        return 0;
    }
    list->slots = fresh.slots;
    list->head = fresh.head;
    list->count = fresh.count;
    return 1;
}

// Fills the list from stored keys: indexes from the capacity minus 1 down to
// 0, each present folder added to the front, so index 0 ends up the newest.
// read(index, &folder, &file) -> false when the folder key is missing; a
// folder "*" (the missing-key default) or an empty one is skipped too.
// Returns the number of entries added.
template <class Ch, class Reader>
int Mru_LoadStoredT(RecentFolderListT<Ch> *list, int32_t capacity, Reader read) {
    int added = 0;
    for (int32_t i = capacity - 1; i >= 0; --i) {
        const Ch *folder = nullptr;
        const Ch *file = nullptr;
        if (!read(i, &folder, &file) || folder == nullptr || folder[0] == 0) continue;
        if (folder[0] == Ch('*') && folder[1] == 0) continue;
        added += Mru_AddT(list, folder, file != nullptr && file[0] != 0 ? file : nullptr);
    }
    return added;
}
