#include "dlg/qv_ColDepthCore.h"

const uint32_t kColDepthMasks565[3] = {0xF800, 0x07E0, 0x001F};

namespace {

constexpr uint32_t kMasks555[3] = {0x7C00, 0x03E0, 0x001F};
constexpr uint32_t kMasks888[3] = {0xFF0000, 0x00FF00, 0x0000FF};

bool SameMasks(const uint32_t *a, const uint32_t *b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }

struct ButtonRow {
    int32_t button;
    int32_t target;
    ColDepthLayout ownLayout;  // the depth whose button is disabled
};
constexpr ButtonRow kButtons[kColDepthButtonCount] = {
    {kColDepthButton8, kColDepth8, kColLayout8},
    {kColDepthButton555, kColDepth555, kColLayout555},
    {kColDepthButton565, kColDepth565, kColLayout565},
    {kColDepthButton24, kColDepth24, kColLayout24},
    {kColDepthButtonOptimal, kColDepthOptimal, kColLayoutOther},  // never disabled
};

// Depths that a target would leave unchanged. Optimal has nothing to do on
// a picture the lossless reduction cannot take (1 bit: already the
// smallest; 16 bits and masked 32 bits: it does not read them).
struct NoOpRow {
    ColDepthLayout layout;
    int32_t target;
};
constexpr NoOpRow kNoOps[] = {
    {kColLayout1, kColDepthOptimal},
    {kColLayout8, kColDepth8},
    {kColLayout555, kColDepthOptimal},
    {kColLayout565, kColDepthOptimal},
    {kColLayout16Other, kColDepthOptimal},
    {kColLayout565, kColDepth565},
    // 5-5-5 with explicit masks is the same depth as without (its button is
    // disabled alike), so converting it would only cost an undo step.
    {kColLayout555, kColDepth555},
    {kColLayout24, kColDepth24},
    {kColLayout32Masked, kColDepthOptimal},
};

// 8 bits from more than 16: a lossless reduction first (which may already
// reach a palette), then through 16 bits, since the 8-bit conversion takes
// at most 16.
constexpr ColDepthPlan kPlans[] = {
    {kColDepthOptimal, 1, {{kColOpReduceLossless, false, true}}},
    {kColDepth8, 3, {{kColOpReduceLossless, true, true}, {kColOpTo16NoMasks, true, false}, {kColOpTo8, false, false}}},
    {kColDepth555, 1, {{kColOpTo16NoMasks, false, false}}},
    {kColDepth565, 1, {{kColOpTo16Masks565, false, false}}},
    {kColDepth24, 1, {{kColOpTo24, false, false}}},
};

}  // namespace

ColDepthLayout ColDepth_Layout(int32_t bitCount, const uint32_t *masks) {
    switch (bitCount) {
        case 1: return kColLayout1;
        case 8: return kColLayout8;
        case 16:
            if (masks == nullptr || SameMasks(masks, kMasks555)) return kColLayout555;
            if (SameMasks(masks, kColDepthMasks565)) return kColLayout565;
            return kColLayout16Other;
        case 24: return kColLayout24;
        case 32:
            return masks == nullptr || SameMasks(masks, kMasks888) ? kColLayoutOther : kColLayout32Masked;
        default: return kColLayoutOther;
    }
}

int32_t ColDepth_WheelButton(int32_t current, const bool enabled[kColDepthButtonCount], int wheelDelta) {
    int at = -1;
    for (int i = 0; i < kColDepthButtonCount; ++i)
        if (kButtons[i].button == current) at = i;
    if (at < 0) return 0;
    const int step = wheelDelta < 0 ? 1 : kColDepthButtonCount - 1;
    for (int n = 1; n < kColDepthButtonCount; ++n) {
        const int i = (at + step * n) % kColDepthButtonCount;
        if (enabled[i]) return kButtons[i].button;
    }
    return current;
}

bool ColDepth_TargetOfButton(int32_t button, int32_t *target) {
    for (const ButtonRow &row : kButtons)
        if (row.button == button) {
            if (target != nullptr) *target = row.target;
            return true;
        }
    return false;
}

int32_t ColDepth_OwnDepthButton(ColDepthLayout layout) {
    if (layout == kColLayoutOther) return 0;
    for (const ButtonRow &row : kButtons)
        if (row.ownLayout == layout) return row.button;
    return 0;
}

bool ColDepth_AlreadyTarget(ColDepthLayout layout, int32_t target) {
    for (const NoOpRow &row : kNoOps)
        if (row.layout == layout && row.target == target) return true;
    return false;
}

const ColDepthPlan *ColDepth_Plan(int32_t target) {
    for (const ColDepthPlan &plan : kPlans)
        if (plan.target == target) return &plan;
    return nullptr;
}
