// The in-picture preview of the operation dialogs: when the snapshot is
// taken, written back and dropped, when the operation runs, and what OK and
// Cancel leave; and the counters that tell typing from the program's own
// writes into linked fields.
#include <gtest/gtest.h>

#include <string>

#include "dlg/qv_ChangeCounters.h"
#include "dlg/qv_PreviewCore.h"

namespace {

std::string Steps(const PreviewSteps &s) {
    std::string out;
    if (s.storeApplied) out += "store ";
    if (s.restore) out += "restore ";
    if (s.clear) out += "clear ";
    if (s.snapshot) out += "snapshot ";
    if (s.run) out += "run ";
    if (s.refresh) out += "refresh ";
    out += s.shown ? "shown" : "hidden";
    return out;
}

std::string EndSteps(const PreviewEndSteps &s) {
    std::string out;
    if (s.commit) out += "commit ";
    if (s.runWithUndo) out += "run-with-undo ";
    if (s.restore) out += "restore ";
    if (s.clear) out += "clear ";
    if (s.refresh) out += "refresh";
    return out.empty() ? "nothing" : out;
}

TEST(PreviewCore, ChangesFromEveryState) {
    //  ticked, empty, identity, same, shown, held, moved
    const struct {
        const char *name;
        PreviewChange change;
        const char *want;
    } cases[] = {
        {"first preview", {true, false, false, false, false, false, false}, "store snapshot run refresh shown"},
        {"new values over a preview", {true, false, false, false, true, true, false},
         "store restore run refresh shown"},
        {"the same values again", {true, false, false, true, true, true, false}, "shown"},
        {"the target moved", {true, false, false, false, true, true, true},
         "store restore clear snapshot run refresh shown"},
        {"box unticked", {false, false, false, true, true, true, false}, "store restore clear refresh hidden"},
        {"back to identity", {true, false, true, false, true, true, false}, "store restore clear refresh hidden"},
        {"empty target", {true, true, false, false, true, true, false}, "store restore clear refresh hidden"},
        {"unticked, nothing shown", {false, false, false, false, false, false, false}, "hidden"},
        {"identity, nothing shown", {true, false, true, false, false, false, false}, "hidden"},
        // A preview hidden after a failed run, its snapshot dropped.
        {"hidden, nothing held, ticked again", {true, false, false, true, false, false, false},
         "store snapshot run refresh shown"},
        // Shown but nothing held cannot restore: it only stops showing.
        {"unticked, shown, nothing held", {false, false, false, true, true, false, false}, "store hidden"},
    };
    for (const auto &c : cases) EXPECT_EQ(Steps(Preview_OnChange(c.change)), c.want) << c.name;
}

TEST(PreviewCore, AFailedRunRestoresAndHides) {
    EXPECT_EQ(Steps(Preview_AfterFailedRun(true)), "restore clear refresh hidden");
    EXPECT_EQ(Steps(Preview_AfterFailedRun(false)), "refresh hidden");
}

TEST(PreviewCore, OkAndCancel) {
    //  ok, held, shown, replaced
    const struct {
        const char *name;
        PreviewEnd end;
        const char *want;
    } cases[] = {
        // OK after a preview does not run the operation again.
        {"OK over a preview", {true, true, true, false}, "commit refresh"},
        {"OK with nothing previewed", {true, false, false, false}, "run-with-undo refresh"},
        {"Cancel over a preview", {false, true, true, false}, "restore clear refresh"},
        {"Cancel with nothing previewed", {false, false, false, false}, "nothing"},
        {"Cancel after a failed run", {false, false, true, false}, "refresh"},
        // Pixels of another picture are dropped, never written back.
        {"Cancel after the picture changed", {false, true, true, true}, "clear refresh"},
        {"OK after the picture changed", {true, true, true, true}, "run-with-undo clear refresh"},
    };
    for (const auto &c : cases) EXPECT_EQ(EndSteps(Preview_OnEnd(c.end)), c.want) << c.name;
}

TEST(ChangeCounters, OnlyTypingCounts) {
    ChangeCounters<3> counters;
    EXPECT_TRUE(counters.TypedByUser(0));
    // Two writes by the program, two echoes ignored, then typing again.
    counters.BeforeSet(1);
    counters.BeforeSet(1);
    EXPECT_TRUE(counters.TypedByUser(0));
    EXPECT_FALSE(counters.TypedByUser(1));
    EXPECT_FALSE(counters.TypedByUser(1));
    EXPECT_TRUE(counters.TypedByUser(1));
    // A write that changed nothing raised no notice; its count is taken back.
    counters.BeforeSet(2);
    counters.Forget(2);
    EXPECT_TRUE(counters.TypedByUser(2));
    // Fields outside the set are ignored, never written.
    counters.BeforeSet(3);
    counters.BeforeSet(-1);
    EXPECT_FALSE(counters.TypedByUser(3));
    EXPECT_TRUE(counters.TypedByUser(2));
}

}  // namespace
