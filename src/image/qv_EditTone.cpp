// Auto level and auto contrast: the levels of the selection (or the whole
// picture) stretched from its own histogram.
#include "image/qv_EditCommands.h"
#include "image/qv_EditShared.h"
#include "image/qv_Histogram.h"
#include "image/qv_Undo.h"

int Edit_AutoLevel(int contrast) {
    const int32_t kind = contrast ? kUndoAutoContrast : kUndoAutoLevel;
    DibHolder *image = Edit_GetImage(0);
    if (image == nullptr) return 0;
    SelRect target;
    if (!EditTarget(*image, nullptr, kTargetSelectionOrWhole, 0, 0, &target)) return 1;
    // A single pixel has no range to stretch; taking a snapshot for it would
    // only throw away the undo of the previous edit.
    if (target.right - target.left < 2 && target.bottom - target.top < 2) return 1;
    int ok;
    {
        EditWork wait;
        EditSnapshot(image->handle, kind, kSnapRectOver8, target);
        // Auto level stretches each channel on its own, auto contrast all
        // three over one range, so the colours keep their balance.
        ok = Tone_AutoLevel(image->handle, &target, contrast ? 0 : 1);
        DibHolder_Lock(*image);
    }
    Edit_RefreshByKind(kind);
    return ok;
}
