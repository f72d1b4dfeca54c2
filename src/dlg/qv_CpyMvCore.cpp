#include "dlg/qv_CpyMvCore.h"

CpyMvOpen CpyMvCore_OpenMode(int slot, bool slotFilled) {
    if (slot == -1) return CpyMvOpen::Dialog;
    if (slot < 0 || slot >= kCpyMvLines) return CpyMvOpen::Refuse;
    return slotFilled ? CpyMvOpen::Direct : CpyMvOpen::Dialog;
}

CpyMvForm CpyMvCore_InitialForm(int slot, int rememberedExtended) {
    if (slot >= 0 && slot < kCpyMvLines) return CpyMvForm{1, 1};
    return CpyMvForm{rememberedExtended ? 1 : 0, 0};
}

int CpyMvCore_WheelSteps(int32_t *accumulated, int delta) {
    if (accumulated == nullptr) return 0;
    // A turn against the remainder's direction starts afresh: half a notch
    // one way and half the other is no step.
    if ((*accumulated > 0 && delta < 0) || (*accumulated < 0 && delta > 0)) *accumulated = 0;
    // Kept within one notch either way, so a flood of messages cannot overflow.
    int64_t sum = int64_t(*accumulated) + delta;
    const int steps = int(sum / 120);
    sum -= int64_t(steps) * 120;
    *accumulated = int32_t(sum);
    // The wheel turned away from the user gives a positive delta: the previous line.
    return -steps;
}

int CpyMvCore_WheelTarget(int current, int steps, int count) {
    if (count <= 0) return -1;
    if (current < 0 || current >= count) return 0;
    int64_t target = int64_t(current) + steps;
    if (target < 0) target = 0;
    if (target > count - 1) target = count - 1;
    return int(target);
}
