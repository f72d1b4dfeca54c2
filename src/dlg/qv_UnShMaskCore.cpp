#include "dlg/qv_UnShMaskCore.h"

#include <algorithm>

namespace {

// Undo kinds follow the command order, 28 for 40681 to 35 for 40688.
constexpr int32_t kFirstUndoKind = 28;

struct Preset {
    uint32_t command;
    bool fromDialog;  // the caller's values
    bool blur;
    int32_t radius, amount, threshold;
};

constexpr Preset kPresets[] = {
    {kCmdSharpen, false, false, 600, 1000, 0},
    {kCmdSharpenStrong, false, false, 800, 2000, 0},
    {kCmdSharpenEdges, false, false, 600, 1500, 15},
    {kCmdUnsharpMask, true, false, 0, 0, 0},
    {kCmdBlur, false, true, 400, 1000, 0},
    {kCmdBlurStrong, false, true, 800, 1000, 0},
    {kCmdBlurSoft, false, true, 5000, 350, 0},
    {kCmdGaussianBlur, true, true, 0, 0, 0},
};

const Preset *Find(uint32_t command) {
    for (const Preset &p : kPresets)
        if (p.command == command) return &p;
    return nullptr;
}

}  // namespace

bool UnShMask_PlanRun(uint32_t command, int32_t radius, int32_t amount, int32_t threshold, SharpenBlurRun *out) {
    const Preset *p = Find(command);
    if (p == nullptr || out == nullptr) return false;
    if (!p->fromDialog) {
        radius = p->radius;
        amount = p->amount;
        threshold = p->threshold;
    }
    out->radius = radius;
    out->undoKind = kFirstUndoKind + int32_t(command - kCmdSharpen);
    if (p->blur) {
        // The filter blurs with a negative amount. A negative strength here
        // would turn the blur into a sharpen, so it counts as none (which the
        // filter refuses rather than reporting a change it did not make).
        out->amount = -std::clamp(amount, 0, 1000);
        out->threshold = 0;
    } else {
        out->amount = amount;
        out->threshold = threshold;
    }
    return true;
}

bool UnShMask_IsDialogCommand(uint32_t command) {
    const Preset *p = Find(command);
    return p != nullptr && p->fromDialog;
}
