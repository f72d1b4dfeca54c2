#include "support/dialog_driver.h"

#include <gtest/gtest.h>

#include <utility>

HWND DialogDriver_FindOpen() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM out) -> BOOL {
            TCHAR cls[16] = {};
            if (GetClassName(window, cls, 16) == 0 || lstrcmp(cls, TEXT("#32770")) != 0 || !IsWindowVisible(window))
                return TRUE;
            *reinterpret_cast<HWND *>(out) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

tstring DialogDriver_Text(HWND window) {
    TCHAR text[1024] = {};
    GetWindowText(window, text, 1024);
    return text;
}

tstring DialogDriver_ItemText(HWND dialog, int id) { return DialogDriver_Text(GetDlgItem(dialog, id)); }

void DialogDriver_SetItemText(HWND dialog, int id, const TCHAR *text) { SetDlgItemText(dialog, id, text); }

void DialogDriver_Click(HWND dialog, int id) { SendMessage(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

DialogDriver *DialogDriver::current_ = nullptr;

DialogDriver::DialogDriver(std::vector<Step> steps, UINT periodMs) : steps_(std::move(steps)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, periodMs, Tick);
}

DialogDriver::DialogDriver(EachDialog, std::vector<DialogStep> steps) : eachDialog_(true) {
    for (DialogStep &step : steps)
        steps_.push_back([run = std::move(step)](HWND dialog) {
            run(dialog);
            return true;
        });
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
}

DialogDriver::~DialogDriver() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
}

void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    DialogDriver *d = current_;
    // A step that shows a message box or a dialog runs a modal loop, which
    // dispatches this timer again: the script does not re-enter itself.
    if (d == nullptr || d->busy_) return;
    HWND dialog = DialogDriver_FindOpen();
    if (dialog == nullptr) return;
    d->busy_ = true;
    d->OnTick(dialog);
    d->busy_ = false;
    // A modal loop notices that its dialog ended only with the next message.
    PostMessage(dialog, WM_NULL, 0, 0);
}

void DialogDriver::OnTick(HWND dialog) {
    const bool fresh = dialog != last_;
    if (fresh) {
        last_ = dialog;
        ++dialogs_;
        openedAt_ = GetTickCount();
        cancelled_ = false;
        if (title_.empty()) title_ = DialogDriver_Text(dialog);
    } else if (!cancelled_ && GetTickCount() - openedAt_ > kLimitMs) {
        cancelled_ = true;
        ADD_FAILURE() << "the dialog stayed open";
        PostMessage(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (eachDialog_) {
        if (!fresh) return;
        if (next_ < steps_.size()) {
            steps_[next_++](dialog);
        } else {
            ADD_FAILURE() << "a dialog the script did not expect";
            PostMessage(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    } else if (!cancelled_ && next_ < steps_.size() && steps_[next_](dialog)) {
        ++next_;
    }
}
