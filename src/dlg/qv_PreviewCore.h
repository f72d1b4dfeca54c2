// The decisions of a dialog that previews its operation on the current
// picture: when to take the private snapshot, when to write it back, when
// to run the operation and refresh, and what OK and Cancel do at the end.
// The dialog holds the pictures and the undo record; this only decides.
#pragma once

#include <cstdint>

// What the dialog knows at one change of a value or of the preview box.
struct PreviewChange {
    bool ticked;         // the preview check box
    bool targetEmpty;    // selection (or picture) clipped to nothing
    bool identity;       // the values change nothing
    bool sameAsApplied;  // the values are those last drawn
    bool shown;          // a preview is in the picture now
    bool held;           // the snapshot holds pixels
    bool targetMoved;    // the target is not the snapshot's rectangle
};

// The steps in the order they run. `shown` is the new preview-shown flag;
// `storeApplied` says the values become the applied ones.
struct PreviewSteps {
    bool storeApplied;
    bool shown;
    bool restore;   // write the snapshot back into the picture
    bool clear;     // then drop it
    bool snapshot;  // snapshot the target (it is empty by now)
    bool run;       // the operation on the target, without undo of its own
    bool refresh;
};

PreviewSteps Preview_OnChange(const PreviewChange &c);

// A run that failed: its half-done pixels are written back and dropped, and
// the preview is no longer shown, so OK runs the operation again with undo
// and reports what went wrong.
PreviewSteps Preview_AfterFailedRun(bool held);

struct PreviewEnd {
    bool ok;               // OK, else Cancel
    bool held;             // the snapshot holds pixels
    bool shown;            // a preview is in the picture
    bool pictureReplaced;  // another picture came while the dialog was open
};

struct PreviewEndSteps {
    bool commit;   // the snapshot becomes the program's undo record
    bool runWithUndo;
    bool restore;  // write the snapshot back
    bool clear;    // drop the snapshot (after restore, or instead of it)
    bool refresh;
};

PreviewEndSteps Preview_OnEnd(const PreviewEnd &e);
