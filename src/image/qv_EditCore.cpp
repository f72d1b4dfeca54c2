#include "image/qv_EditCore.h"

namespace {

int32_t Width(const SelRect &r) { return r.right - r.left; }
int32_t Height(const SelRect &r) { return r.bottom - r.top; }

}  // namespace

bool EditCore_TargetRect(const SelRect *given, const SelRect &selection, bool hasSelection, EditTargetRule rule,
                         int32_t minWidth, int32_t minHeight, int32_t width, int32_t height, SelRect *out) {
    SelRect wanted;
    if (given != nullptr) {
        wanted = *given;
    } else if (hasSelection) {
        wanted = selection;
    } else if (rule == kTargetSelectionOrWhole) {
        wanted = SelRect{0, 0, width, height};
    } else {
        return false;
    }
    SelRect clipped;
    if (!Rect_ClipToImage(&wanted, width, height, &clipped)) return false;
    if (minWidth > 0 && minHeight > 0 && (Width(clipped) < minWidth || Height(clipped) < minHeight)) return false;
    *out = clipped;
    return true;
}

bool EditCore_SnapshotKeepsRect(SnapshotRule rule, int32_t depth) {
    switch (rule) {
        case kSnapRect: return true;
        case kSnapRectOver8: return depth > 8;
        case kSnapRectIf24: return depth == 24;
        default: return false;
    }
}

int32_t EditCore_InverseTurn(int32_t type) {
    switch (type) {
        case kTurnRight: return kTurnLeft;
        case kTurnLeft: return kTurnRight;
        case kFlipTopBottom:
        case kFlipLeftRight: return type;
        default: return 0;
    }
}

bool EditCore_FlipChangesRect(int32_t type, const SelRect &rect) {
    if (type == kFlipTopBottom) return Height(rect) > 1;
    if (type == kFlipLeftRight) return Width(rect) > 1;
    return true;
}

int32_t EditCore_SwapRowOfCommand(int32_t offset) {
    static const int32_t kRows[5] = {3, 1, 0, 2, 4};
    return offset >= 0 && offset < 5 ? kRows[offset] : -1;
}

GlassPlanResult EditCore_GlassPlan(int32_t argumentStrip, int32_t settingStrip, int32_t optionOverride,
                                   int32_t settingOption, int vertical, const SelRect &rect, GlassPlan *out) {
    const int32_t strip = argumentStrip > 1 ? argumentStrip : settingStrip;
    if (strip < 2) return kGlassFails;
    const int32_t option = optionOverride >= 0 ? (optionOverride != 0) : (settingOption != 0);
    const int32_t across = vertical ? Width(rect) : Height(rect);
    const int32_t along = vertical ? Height(rect) : Width(rect);
    const bool big = option ? (Width(rect) >= 2 && Height(rect) >= 2) : (across >= strip && along >= 2);
    if (!big) return kGlassNothing;
    *out = GlassPlan{strip, option};
    return kGlassRun;
}

Q0Result EditCore_Q0Plan(uint32_t steps, int32_t strip, bool glassOption, const SelRect &clipped, Q0Plan *out) {
    steps &= 0x3F;
    if (steps == 0) return kQ0Nothing;
    Q0Plan plan{steps, clipped};
    // Glass followed by a flip along the same axis is only reversible on
    // whole strips: the flip moves a short last strip to the other edge.
    struct Pairing {
        uint32_t glass, flip;
        bool widthAxis;
    };
    static const Pairing kPairs[2] = {{kQ0GlassVertical, kQ0FlipLeftRight, true},
                                      {kQ0GlassHorizontal, kQ0FlipTopBottom, false}};
    for (const Pairing &p : kPairs) {
        if ((steps & (p.glass | p.flip)) != (p.glass | p.flip)) continue;
        if (strip < 2) return kQ0Fails;
        int32_t &edge = p.widthAxis ? plan.rect.right : plan.rect.bottom;
        const int32_t start = p.widthAxis ? plan.rect.left : plan.rect.top;
        const int32_t size = edge - start;
        if (size >= strip) {
            edge = start + size - size % strip;
        } else if (!glassOption) {
            plan.steps &= ~p.glass;
        }
    }
    if (Width(plan.rect) <= 0 || Height(plan.rect) <= 0) return kQ0Nothing;
    *out = plan;
    return kQ0Run;
}
