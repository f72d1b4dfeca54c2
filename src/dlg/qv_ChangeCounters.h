// Linked edit fields (resize, canvas size, selection) recompute each other
// when the user types. The program's own writes into a field must not start
// that again: before writing, the dialog counts the write, and the change
// notice that follows is taken as its echo and ignored.
#pragma once

#include <cstdint>

template <int kFields>
class ChangeCounters {
public:
    // Before the program sets field `i`'s text.
    void BeforeSet(int i) {
        if (i >= 0 && i < kFields) ++pending_[i];
    }
    // On the field's change notice: true when the user changed it.
    bool TypedByUser(int i) {
        if (i < 0 || i >= kFields) return false;
        if (pending_[i] == 0) return true;
        --pending_[i];
        return false;
    }
    // A write that raised no change notice (the text was already there)
    // leaves its count behind; the dialog takes it back.
    void Forget(int i) {
        if (i >= 0 && i < kFields && pending_[i] > 0) --pending_[i];
    }

private:
    int32_t pending_[kFields] = {};
};
