// Drives a modal dialog of the test's own thread through its messages: a
// thread timer, which the dialog's modal loop dispatches, runs a script of
// steps on the dialog that is open, and cancels a dialog left open too long
// so a failing test cannot hang.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

using tstring = std::basic_string<TCHAR>;

// The visible dialog (#32770) of the calling thread, or null.
HWND DialogDriver_FindOpen();

// A window's text, and a dialog item's.
tstring DialogDriver_Text(HWND window);
tstring DialogDriver_ItemText(HWND dialog, int id);
// Replaces an item's text as typing would (the item is told of the change).
void DialogDriver_SetItemText(HWND dialog, int id, const TCHAR *text);
// Clicks a button (a push button, a check box) as the mouse does: a
// disabled push button ignores it, but under Wine a disabled radio button
// is still checked, so a dialog must not trust a disabled choice.
void DialogDriver_Click(HWND dialog, int id);

class DialogDriver {
public:
    // Runs on every tick while a dialog is open until it answers true (done);
    // false waits for the next tick (the dialog not ready yet).
    using Step = std::function<bool(HWND dialog)>;
    // Runs once on a dialog of its own: step k on the k-th dialog that opens
    // (a dialog that rebuilds itself is a new one).
    using DialogStep = std::function<void(HWND dialog)>;
    struct EachDialog {};

    explicit DialogDriver(std::vector<Step> steps, UINT periodMs = 20);
    // A dialog beyond the steps is a failure and is cancelled.
    DialogDriver(EachDialog, std::vector<DialogStep> steps);
    ~DialogDriver();
    DialogDriver(const DialogDriver &) = delete;
    DialogDriver &operator=(const DialogDriver &) = delete;

    bool finished() const { return next_ == steps_.size(); }
    size_t dialogsSeen() const { return dialogs_; }
    const tstring &title() const { return title_; }  // the first dialog's caption

    // How long one dialog may stay open before it is cancelled as a failure.
    static constexpr DWORD kLimitMs = 15000;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void OnTick(HWND dialog);

    static DialogDriver *current_;
    std::vector<Step> steps_;
    bool eachDialog_ = false;
    size_t next_ = 0;
    size_t dialogs_ = 0;
    HWND last_ = nullptr;
    DWORD openedAt_ = 0;
    bool cancelled_ = false;
    bool busy_ = false;
    tstring title_;
    UINT_PTR timer_ = 0;
};
