// What the edit command files share: the target rectangle of a command on
// the held picture and the wait cursor of the work.
#pragma once

#include <cstdint>

#include "image/qv_DibHolder.h"
#include "image/qv_EditCommands.h"
#include "image/qv_EditCore.h"
#include "other/qv_WndUtil.h"

// The command's rectangle (given, else the selection, else by `rule`), at
// least minWidth x minHeight when both are positive. False: no change.
bool EditTarget(const DibHolder &image, const SelRect *given, EditTargetRule rule, int32_t minWidth,
                int32_t minHeight, SelRect *out);

// The undo snapshot of `kind` on the global record, keeping the rectangle or
// the whole picture by `rule` and the picture's depth.
void EditSnapshot(DibHandle picture, int32_t kind, SnapshotRule rule, const SelRect &rect);

// The wait cursor for the span of an edit (not during a slide show).
class EditWork {
public:
    EditWork();
    ~EditWork() = default;
    EditWork(const EditWork &) = delete;
    EditWork &operator=(const EditWork &) = delete;

private:
    WaitCursorGuard guard_;
};

// The common shape of an edit that keeps the picture's size and is undone
// from a snapshot: picture, rectangle (given, else the selection, else the
// whole picture) of at least minWidth x minHeight, snapshot, the work under
// the wait cursor, the refresh by kind. 0 without a picture; 1 when the
// rectangle is too small (nothing to do); else what `work` gave.
template <class Work>
int RunSnapshotEdit(int undo, int refresh, const SelRect *rect, int32_t minWidth, int32_t minHeight, int32_t kind,
                    SnapshotRule rule, Work work) {
    DibHolder *image = Edit_GetImage(0);
    if (image == nullptr) return 0;
    SelRect target;
    if (!EditTarget(*image, rect, kTargetSelectionOrWhole, minWidth, minHeight, &target)) return 1;
    int ok;
    {
        EditWork wait;
        if (undo) EditSnapshot(image->handle, kind, rule, target);
        ok = work(*image, target) ? 1 : 0;
        DibHolder_Lock(*image);
    }
    if (refresh) Edit_RefreshByKind(kind);
    return ok;
}
