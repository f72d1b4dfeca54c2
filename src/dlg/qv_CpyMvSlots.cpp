// The registered destination folders of the copy and move dialogs and the
// remembered form of each kind, for the whole run.
#include "dlg/qv_CpyMvCore.h"
#include "dlg/qv_CpyMvDlg.h"
#include "other/qv_Mem.h"
#include "util/qv_Text.h"

static_assert(kCpyMvSlots == kCpyMvLines, "one registered folder per dialog line");

namespace {

// [0] copy, [1] move; an empty buffer is an empty slot.
OwnedBuffer s_slots[2][kCpyMvSlots];
int32_t s_extended[2] = {0, 0};

OwnedBuffer *Slot(int slot, int move) {
    if (slot < 0 || slot >= kCpyMvSlots) return nullptr;
    return &s_slots[move ? 1 : 0][slot];
}

}  // namespace

int CpyMvDlg_SetSlotPath(int slot, const TCHAR *text, int move) {
    OwnedBuffer *target = Slot(slot, move);
    if (target == nullptr) return 0;
    const size_t n = text != nullptr ? qvtext::Length(text) : 0;
    if (n >= size_t(kCpyMvPathChars)) return 0;
    if (n == 0) {
        Buf_Free(target);
        return 1;
    }
    // The new text is made before the old one is freed: a failure keeps the slot.
    OwnedBuffer fresh;
    auto *copy = reinterpret_cast<TCHAR *>(Buf_Alloc(&fresh, uint32_t((n + 1) * sizeof(TCHAR))));
    if (copy == nullptr) return 0;
    qvtext::CopyInto(copy, n + 1, text);
    Buf_Free(target);
    target->data = fresh.data;
    target->size = fresh.size;
    fresh.data = nullptr;
    fresh.size = 0;
    return 1;
}

const TCHAR *CpyMvDlg_GetSlotPath(int slot, int move) {
    const OwnedBuffer *s = Slot(slot, move);
    if (s == nullptr || s->data == nullptr) return nullptr;
    return reinterpret_cast<const TCHAR *>(s->data);
}

int CpyMvDlg_GetExtended(int move) { return s_extended[move ? 1 : 0]; }

void CpyMvDlg_SetExtended(int move, int extended) { s_extended[move ? 1 : 0] = extended ? 1 : 0; }

void CpyMvDlg_Free() {
    for (auto &kind : s_slots)
        for (OwnedBuffer &b : kind) Buf_Free(&b);
    s_extended[0] = s_extended[1] = 0;
}
