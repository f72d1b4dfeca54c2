// Cut, copy, paste, crop, close, turn and flip, greyscale, negative and the
// channel swaps. The masks are in qv_EditMasks.cpp, undo in
// qv_UndoExecute.cpp, the menu blocks in qv_EditDispatch.cpp.
#include "image/qv_EditCommands.h"

#include "image/qv_ChannelSwap.h"
#include "image/qv_Clip.h"
#include "image/qv_DibApi.h"
#include "image/qv_EditCore.h"
#include "image/qv_EditShared.h"
#include "image/qv_Grey.h"
#include "image/qv_ImgData.h"
#include "image/qv_Mask.h"
#include "image/qv_PixelValue.h"
#include "image/qv_Selection.h"
#include "image/qv_Undo.h"
#include "image/qv_ViewZoom.h"
#include "other/qv_Globals.h"
#include "other/qv_MenuState.h"
#include "other/qv_Settings.h"
#include "other/qv_WndUtil.h"

int (*g_editAnimationTransform)(int32_t how) = nullptr;

namespace {

constexpr int kOptIntCutColour = 5;
constexpr int kOptPasteAsNew = 99;

// How the animation module names the four transforms.
int32_t AnimationHow(int32_t type) {
    static const int32_t kHow[5] = {0, 2, 1, 4, 5};
    return type >= 1 && type <= 4 ? kHow[type] : 0;
}

bool ShowsAnimation() { return (g_imgData.state & kImgAnimation) != 0 && g_imgData.anim.valid != 0; }

}  // namespace

DibHolder *Edit_GetImage(int allowAnimation) {
    if (allowAnimation && ShowsAnimation()) return &g_imgData.image;
    if ((g_imgData.state & kImgStill) == 0 || g_imgData.image.empty()) return nullptr;
    return &g_imgData.image;
}

int Edit_Copy(const SelRect *rect) {
    DibHolder *image = Edit_GetImage(0);
    if (image == nullptr) return 0;
    SelRect target;
    if (!EditTarget(*image, rect, kTargetSelectionOrWhole, 1, 1, &target)) return 0;
    return Clip_CopyImage(*image, g_process.frameWindow, &target);
}

int Edit_Cut() {
    DibHolder *image = Edit_GetImage(0);
    SelRect target;
    if (image == nullptr || !EditTarget(*image, nullptr, kTargetSelectionRequired, 1, 1, &target)) return 0;
    const int copied = Edit_Copy(&target);
    if (copied != 0) return copied;
    EditWork work;
    Undo_SnapshotAny(&g_undo, image->handle, kUndoCut, &target);
    const int filled = Dib_FillColour(image->handle, &target, uint32_t(g_settings.optInt[kOptIntCutColour]));
    DibHolder_Lock(*image);
    Edit_RefreshByKind(kUndoCut);
    return filled ? 0 : -1;
}

int Edit_PasteAsNew() {
    DibHolder pasted;
    const int got = Clip_GetImage(pasted, g_process.frameWindow);
    if (got == kClipDamaged) {
        Clip_ReportDamaged(g_process.frameWindow);
        return 0;
    }
    if (got != 1) return 0;
    return ImgData_SetNewImage(pasted, nullptr);
}

int Edit_Paste() {
    const bool selectionMode = g_viewState.selectMode != 0;
    if (ImgData_IsEmpty() || (g_settings.option[kOptPasteAsNew] != 0 && !selectionMode)) return Edit_PasteAsNew();
    DibHolder *image = Edit_GetImage(0);
    if (image == nullptr || !IsClipboardFormatAvailable(CF_DIB)) return 0;
    SelRect target;
    if (!EditTarget(*image, nullptr, kTargetSelectionOrWhole, 1, 1, &target)) return 1;
    EditWork work;
    Undo_SnapshotIf24(&g_undo, image->handle, kUndoPaste, &target);
    const int pasted =
        Clip_PasteIntoImage(g_process.frameWindow, *image, target.left, target.top, target.right, target.bottom);
    if (pasted == kClipDamaged) {
        Undo_Clear(&g_undo);
        Clip_ReportDamaged(g_process.frameWindow);
        return 0;
    }
    // A failed paste may still have made the picture 24 bits.
    Edit_RefreshByKind(kUndoPaste);
    return pasted == 1 ? 1 : 0;
}

int Edit_Crop(int undo, int refresh, const SelRect *rect) {
    DibHolder *image = Edit_GetImage(0);
    if (image == nullptr) return 0;
    SelRect target;
    if (!EditTarget(*image, rect, kTargetSelectionRequired, 1, 1, &target)) return 1;
    EditWork work;
    const DibHandle cropped = Dibcore_CutDIB(image->handle, target.left, target.top, target.right - target.left,
                                             target.bottom - target.top);
    if (cropped == 0) return 0;
    UndoStash stash(undo != 0);
    if (undo) Undo_SnapshotAny(&g_undo, image->handle, kUndoCrop, nullptr);
    // The new picture goes in before the old one is released, so a failure
    // leaves the old one in place, and the previous record with it.
    const DibHandle old = DibHolder_Take(*image);
    if (!DibHolder_Attach(*image, cropped)) {
        Dibcore_DeleteDIB(cropped);
        if (DibHolder_Attach(*image, old)) {
            stash.Restore();
        } else {
            Dibcore_DeleteDIB(old);  // unreachable by the library: nothing left to keep
        }
        return 0;
    }
    Dibcore_DeleteDIB(old);
    if (refresh) {
        Edit_RefreshByKind(kUndoCrop);
    } else {
        Sel_Clear();
    }
    return 1;
}

int Edit_CloseImage() {
    ImgData_Reset();
    ImgData_FitWindow(0);
    Menu_UpdateToolbar();
    return 1;
}

int Edit_RotateFlip(int undo, int refresh, const SelRect *rect, int32_t type) {
    if (type < kTurnRight || type > kFlipLeftRight) return 0;
    const bool turn = type == kTurnRight || type == kTurnLeft;
    DibHolder *image = Edit_GetImage(1);
    if (image == nullptr) return 0;
    const bool animation = ShowsAnimation();
    // Turns always work on the whole picture, animations on all their frames.
    SelRect target{0, 0, 0, 0};
    if (!animation && !turn) {
        if (!EditTarget(*image, rect, kTargetSelectionOrWhole, 1, 1, &target)) return 1;
        if (!EditCore_FlipChangesRect(type, target)) return 1;
    }
    // The previous edit's record is held aside: it must not be applied to a
    // picture this operation changed, and comes back when it failed.
    UndoStash stash(undo != 0);
    int ok;
    {
        EditWork work;
        if (turn) Sel_Clear();
        if (animation) {
            ok = g_editAnimationTransform != nullptr ? g_editAnimationTransform(AnimationHow(type)) : 0;
        } else if (turn) {
            ok = DibHolder_Turn(*image, type == kTurnRight ? 90 : 270);
        } else {
            ok = Dib_MirrorRect(image->handle, &target, type == kFlipTopBottom);
            DibHolder_Lock(*image);
        }
    }
    if (refresh) {
        if (turn) {
            Edit_RefreshGeometry();
        } else {
            ImgData_RefreshAfterEdit();
        }
    }
    // A still picture is left as it was by a failure; an animation may have
    // changed some frames, so its previous record is dropped.
    if (!ok && !animation && !image->empty()) {
        stash.Restore();
    } else if (ok && undo) {
        Undo_RecordTurn(turn || animation ? nullptr : &target, type);
    }
    Menu_UpdateToolbar();
    return ok ? 1 : 0;
}

int Edit_Greyscale() {
    // The result may be a new 8-bit picture even for a selection, so the
    // whole picture is kept.
    return RunSnapshotEdit(1, 1, nullptr, 1, 1, kUndoGrey, kSnapWhole,
                           [](DibHolder &image, const SelRect &r) { return DibHolder_Grayscale(image, &r); });
}

int Edit_Negative() {
    return RunSnapshotEdit(1, 1, nullptr, 1, 1, kUndoNegative, kSnapRectOver8, [](DibHolder &image, const SelRect &r) {
        return Mask_Negative(image.handle, &r, 1, 1, 1);
    });
}

int Edit_SwapChannels(int32_t row) {
    if (row < 0 || row > 4) return 0;
    const int8_t *order = kChannelSwapOrders[row];
    return RunSnapshotEdit(1, 1, nullptr, 1, 1, kUndoChannelSwap, kSnapRectIf24,
                           [order](DibHolder &image, const SelRect &r) {
                               return ChannelSwap_Rect(image.handle, &r, order[0], order[1], order[2]);
                           });
}
