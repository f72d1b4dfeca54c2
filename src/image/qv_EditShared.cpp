#include "image/qv_EditShared.h"

#include "image/qv_Selection.h"
#include "image/qv_Undo.h"
#include "other/qv_Settings.h"

bool EditTarget(const DibHolder &image, const SelRect *given, EditTargetRule rule, int32_t minWidth,
                int32_t minHeight, SelRect *out) {
    RECT sel{};
    const bool hasSelection = given == nullptr && Sel_GetRect(&sel, 0) != 0;
    const SelRect selection{sel.left, sel.top, sel.right, sel.bottom};
    return EditCore_TargetRect(given, selection, hasSelection, rule, minWidth, minHeight, DibHolder_GetWidth(image),
                               DibHolder_GetHeight(image), out);
}

EditWork::EditWork() : guard_(&g_frameRecord) {
    if (g_settings.option[kOptSlideRunning] == 0) WaitCursor_Begin(&guard_);
}

void EditSnapshot(DibHandle picture, int32_t kind, SnapshotRule rule, const SelRect &rect) {
    switch (rule) {
        case kSnapWhole: Undo_SnapshotAny(&g_undo, picture, kind, nullptr); break;
        case kSnapRect: Undo_SnapshotAny(&g_undo, picture, kind, &rect); break;
        case kSnapRectOver8: Undo_Snapshot(&g_undo, picture, kind, &rect); break;
        case kSnapRectIf24: Undo_SnapshotIf24(&g_undo, picture, kind, &rect); break;
    }
}
