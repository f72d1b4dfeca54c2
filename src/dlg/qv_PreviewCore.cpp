#include "dlg/qv_PreviewCore.h"

PreviewSteps Preview_OnChange(const PreviewChange &c) {
    PreviewSteps s{};
    const bool wanted = c.ticked && !c.targetEmpty && !c.identity;
    s.shown = c.shown;
    // The same preview again: no work, not even a refresh.
    if (wanted == c.shown && (!wanted || c.sameAsApplied)) return s;
    s.storeApplied = true;
    s.shown = wanted;
    if (wanted) {
        // Each preview starts from the untouched pixels; a snapshot of
        // another rectangle cannot restore the new target, so it is retaken.
        s.restore = c.held;
        s.clear = c.held && c.targetMoved;
        s.snapshot = !c.held || c.targetMoved;
        s.run = true;
        s.refresh = true;
    } else if (c.held) {
        s.restore = s.clear = s.refresh = true;
    }
    return s;
}

PreviewSteps Preview_AfterFailedRun(bool held) {
    PreviewSteps s{};
    s.restore = s.clear = held;
    s.refresh = true;
    return s;
}

PreviewEndSteps Preview_OnEnd(const PreviewEnd &e) {
    PreviewEndSteps s{};
    // Pixels saved from another picture must never be written into this
    // one, nor become its undo record.
    const bool held = e.held && !e.pictureReplaced;
    if (e.held && e.pictureReplaced) s.clear = true;
    if (e.ok) {
        s.commit = held;
        s.runWithUndo = !held;
        s.refresh = true;
        return s;
    }
    if (held) {
        s.restore = s.clear = s.refresh = true;
        return s;
    }
    // Cancel with nothing saved: only a shown preview leaves anything to
    // redraw.
    s.refresh = e.shown;
    return s;
}
