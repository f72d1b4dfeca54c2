#include "support/capture_boxes.h"

CaptureBoxes *CaptureBoxes::current_ = nullptr;

CaptureBoxes::CaptureBoxes() : saved_(g_sys) {
    current_ = this;
    g_sys.messageBox = Record;
}

CaptureBoxes::~CaptureBoxes() {
    g_sys = saved_;
    current_ = nullptr;
}

int WINAPI CaptureBoxes::Record(HWND, LPCTSTR text, LPCTSTR caption, UINT type) {
    current_->boxes_.push_back({text ? text : TEXT(""), caption ? caption : TEXT(""), type});
    return IDOK;
}
