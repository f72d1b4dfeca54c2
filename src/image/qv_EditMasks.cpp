// The mask commands: glass, negative, XOR 0x80, RGB swap, Q0, Win, FL and
// Meko, with their options from the mask settings.
#include "image/qv_CellMask.h"
#include "image/qv_DibApi.h"
#include "image/qv_EditCommands.h"
#include "image/qv_EditCore.h"
#include "image/qv_EditShared.h"
#include "image/qv_ImgData.h"
#include "image/qv_Mask.h"
#include "image/qv_MekoTable.h"
#include "image/qv_Undo.h"
#include "other/qv_Settings.h"

namespace {

// Option bytes of the mask settings.
constexpr int kOptMaskNegative = 60;
constexpr int kOptMaskXor = 61;
constexpr int kOptMaskQ0 = 62;
constexpr int kOptGlassOption = 63;
constexpr int kOptFlNegative = 64;
constexpr int kOptMaskRgb = 65;

// The three channel flags of an option byte: bit 0 red, 1 green, 2 blue.
struct Channels {
    int red, green, blue;
};
Channels ChannelsOf(int option) { return Channels{option & 1, (option >> 1) & 1, (option >> 2) & 1}; }

}  // namespace

int Edit_MaskGlass(int32_t optionOverride, int undo, int refresh, const SelRect *rect, int32_t strip, int vertical) {
    DibHolder *image = Edit_GetImage(0);
    if (image == nullptr) return 0;
    SelRect target;
    if (!EditTarget(*image, rect, kTargetSelectionOrWhole, 1, 1, &target)) return 1;
    GlassPlan plan;
    switch (EditCore_GlassPlan(strip, g_settings.glassSize, optionOverride, g_settings.option[kOptGlassOption],
                               vertical, target, &plan)) {
        case kGlassFails: return 0;
        case kGlassNothing: return 1;
        case kGlassRun: break;
    }
    // The previous record is held aside while the strips move (see turns).
    UndoStash stash(undo != 0);
    int ok;
    {
        EditWork wait;
        ok = Mask_Glass(plan.strip, image->handle, &target, vertical, plan.option);
        DibHolder_Lock(*image);
    }
    if (!ok) {
        stash.Restore();
    } else if (undo) {
        Undo_RecordGlass(&target, plan.strip, vertical, plan.option);
    }
    if (refresh) Edit_RefreshByKind(kUndoGlass);
    return ok;
}

int Edit_MaskNegative(int undo, int refresh, const SelRect *rect) {
    const Channels c = ChannelsOf(g_settings.option[kOptMaskNegative]);
    if (c.red + c.green + c.blue == 0) return 1;
    return RunSnapshotEdit(undo, refresh, rect, 1, 1, kUndoMaskNegative, kSnapRectOver8,
                           [&](DibHolder &image, const SelRect &r) {
                               return Mask_Negative(image.handle, &r, c.red, c.green, c.blue);
                           });
}

int Edit_MaskXor80(int undo, int refresh, const SelRect *rect) {
    const Channels c = ChannelsOf(g_settings.option[kOptMaskXor]);
    if (c.red + c.green + c.blue == 0) return 1;
    return RunSnapshotEdit(undo, refresh, rect, 1, 1, kUndoMaskXor, kSnapRectOver8,
                           [&](DibHolder &image, const SelRect &r) {
                               return Mask_Xor80(image.handle, &r, c.red, c.green, c.blue);
                           });
}

int Edit_MaskRgbSwap() { return Edit_SwapChannels(EditCore_SwapRowOfCommand(g_settings.option[kOptMaskRgb])); }

int Edit_MaskQ0() {
    const uint32_t steps = g_settings.option[kOptMaskQ0];
    if (steps == 0) return 1;
    DibHolder *image = Edit_GetImage(0);
    if (image == nullptr) return 0;
    SelRect clipped;
    if (!EditTarget(*image, nullptr, kTargetSelectionOrWhole, 1, 1, &clipped)) return 1;
    Q0Plan plan;
    const bool glassOption = g_settings.option[kOptGlassOption] != 0;
    switch (EditCore_Q0Plan(steps, g_settings.glassSize, glassOption, clipped, &plan)) {
        case kQ0Fails: return 0;
        case kQ0Nothing: return 1;
        case kQ0Run: break;
    }
    int ok = 1;
    {
        EditWork wait;
        Undo_Snapshot(&g_undo, image->handle, kUndoQ0, &plan.rect);
        const int option = glassOption ? 1 : 0;
        struct Step {
            uint32_t bit;
            int (*run)(const SelRect *rect, int option, int32_t strip);
        };
        static const Step kSteps[] = {
            {kQ0GlassVertical, [](const SelRect *r, int o, int32_t s) { return Edit_MaskGlass(o, 0, 0, r, s, 1); }},
            {kQ0GlassHorizontal, [](const SelRect *r, int o, int32_t s) { return Edit_MaskGlass(o, 0, 0, r, s, 0); }},
            {kQ0Negative, [](const SelRect *r, int, int32_t) { return Edit_MaskNegative(0, 0, r); }},
            {kQ0Xor80, [](const SelRect *r, int, int32_t) { return Edit_MaskXor80(0, 0, r); }},
            {kQ0FlipTopBottom, [](const SelRect *r, int, int32_t) { return Edit_RotateFlip(0, 0, r, kFlipTopBottom); }},
            {kQ0FlipLeftRight, [](const SelRect *r, int, int32_t) { return Edit_RotateFlip(0, 0, r, kFlipLeftRight); }},
        };
        for (const Step &s : kSteps) {
            if ((plan.steps & s.bit) == 0) continue;
            if (!s.run(&plan.rect, option, g_settings.glassSize)) {
                ok = 0;
                break;
            }
        }
    }
    Edit_RefreshByKind(kUndoQ0);
    return ok;
}

int Edit_MaskWin(int undo, const SelRect *rect) {
    DibHolder *image = Edit_GetImage(0);
    if (image == nullptr) return 0;
    SelRect target;
    if (!EditTarget(*image, rect, kTargetSelectionOrWhole, 16, 1, &target)) return 1;
    UndoStash stash(undo != 0);
    int ok;
    {
        EditWork wait;
        // The columns are permuted in place: nothing is turned, so a failure
        // cannot leave the picture sideways, and it leaves it as it was.
        ok = Mask_ColumnPermute16(image->handle, &target, kWinMaskTable);
        DibHolder_Lock(*image);
    }
    if (!ok) {
        stash.Restore();
    } else if (undo) {
        Undo_RecordWin(&target);
    }
    Edit_RefreshByKind(kUndoWin);
    return ok;
}

int Edit_MaskFl() {
    const int negative = g_settings.option[kOptFlNegative] != 0;
    return RunSnapshotEdit(1, 1, nullptr, 8, 8, kUndoFl, kSnapRectOver8, [&](DibHolder &image, const SelRect &r) {
        return Mask_Fl(image.handle, &r, negative);
    });
}

int Edit_MaskMeko(int reverse) {
    DibHolder *image = Edit_GetImage(0);
    if (image == nullptr) return 0;
    SelRect target;
    if (!EditTarget(*image, nullptr, kTargetSelectionOrWhole, kMekoCellSize, kMekoCellSize, &target)) return 0;
    int32_t left, top, width, height, across, down;
    const int check = Meko_Check(image->handle, &target, &left, &top, &width, &height, &across, &down);
    if (check == kMekoTooSmall) return 0;
    if (check != kMekoReady) return check;
    int result;
    {
        EditWork wait;
        Undo_Snapshot(&g_undo, image->handle, kUndoMeko, &target);
        result = Meko_Apply(image->handle, &target, reverse);
        DibHolder_Lock(*image);
    }
    Edit_RefreshByKind(kUndoMeko);
    return result == kMekoReady ? kMekoReady : 1;
}
