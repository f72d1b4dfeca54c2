// What every operation dialog shares around its modal box: the one-dialog
// guard, the picture check, the remembered [Dlg] values read once, the
// up-down class, the report when the box cannot be made or OK's operation
// fails, and the state record published for the dialog procedure.
#pragma once

#include <windows.h>

#include <cstdint>

struct DlgFrameSpec {
    const TCHAR *templateName;
    const TCHAR *source;       // the source name of its reports
    int32_t createError;       // reported when the box cannot be made
    int32_t operationError;    // reported when OK's operation fails
    const TCHAR *helpPage;     // shown on F1
    bool needsPicture;
    bool usesUpDown;           // up-down controls: their class made once
};

// OK's operation, run after the box closed with the values the dialog left
// in its state record: 1 done, 0 failed (reported with operationError).
using DlgFrameOk = int (*)(void *state);

// Runs the dialog: 1 when it ran (Cancel, or OK and its operation
// succeeded), 0 when it was refused (another dialog open, no picture) or
// failed (reported).
int DlgFrame_Run(const DlgFrameSpec &spec, HWND owner, DLGPROC proc, void *state, DlgFrameOk onOk);

// F1 in a dialog: its help page.
void DlgFrame_OnHelp(HWND dialog, const DlgFrameSpec &spec);

// Texts a dialog keeps from its template (caption templates, refusals):
// at most kDlgTextChars - 2 characters, so that a longer one is refused
// rather than cut.
constexpr int kDlgTextChars = 64;
// A hidden or caption text of 1..kDlgTextChars - 2 characters.
bool DlgFrame_ReadText(HWND dialog, int id, TCHAR *out);
// A caption template: such a text holding one "%s" and no other '%'.
bool DlgFrame_ReadTemplate(HWND dialog, int id, TCHAR *out);
// `pattern` with its one "%s" replaced by `insert`; false when the pattern
// has no "%s" or another '%', or the result does not fit.
bool DlgFrame_FillTemplate(const TCHAR *pattern, const TCHAR *insert, TCHAR *out, int capacity);
// A group's caption: `pattern` with the byte size, followed by `refusal`
// when there is one.
void DlgFrame_ShowByteSize(HWND dialog, int groupId, const TCHAR *pattern, uint64_t bytes, const TCHAR *refusal);

// The up-down control class, made the first time a dialog needs it.
bool DlgFrame_EnsureUpDownClass();

// The state record of an open dialog of one kind, reachable from its
// procedure; a second dialog of the kind is refused while one is open.
template <class State>
class DlgPublication {
public:
    // The record is the entry function's local: published only for the span
    // of this object, which clears the slot before the record goes away.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif
    explicit DlgPublication(State *state) : held_(current_ == nullptr) {
        if (held_) current_ = state;
    }
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic pop
#endif
    ~DlgPublication() {
        if (held_) current_ = nullptr;
    }
    DlgPublication(const DlgPublication &) = delete;
    DlgPublication &operator=(const DlgPublication &) = delete;
    bool held() const { return held_; }
    static State *Current() { return current_; }

private:
    static inline State *current_ = nullptr;
    bool held_;
};
